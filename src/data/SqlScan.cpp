#include "data/SqlScan.h"

namespace sqltext {

qsizetype quotedEnd(QStringView text, qsizetype open, QChar close)
{
    const qsizetype n = text.size();
    for (qsizetype i = open + 1; i < n; ++i) {
        if (text[i] != close)
            continue;
        if (i + 1 < n && text[i + 1] == close) {
            ++i;
            continue;
        }
        return i + 1;
    }
    return n;
}

bool isLineBreak(QChar c) { return c == u'\n' || c == u'\r' || c == QChar(0x2029) || c == QChar(0x2028); }

std::vector<Segment> segments(QStringView text)
{
    std::vector<Segment> out;
    const qsizetype n = text.size();
    qsizetype codeStart = 0;
    auto flushCode = [&](qsizetype end) {
        if (end > codeStart)
            out.push_back({Kind::Code, codeStart, end - codeStart});
    };
    qsizetype i = 0;
    while (i < n) {
        const QChar c = text[i];
        Kind kind;
        qsizetype end;
        if (c == u'\'') {
            kind = Kind::Literal;
            end = quotedEnd(text, i, u'\'');
        } else if (c == u'"') {
            kind = Kind::QuotedName;
            end = quotedEnd(text, i, u'"');
        } else if (c == u'[') {
            kind = Kind::BracketName;
            end = quotedEnd(text, i, u']');
        } else if (c == u'-' && i + 1 < n && text[i + 1] == u'-') {
            kind = Kind::Comment;
            end = i + 2;
            while (end < n && !isLineBreak(text[end]))
                ++end;
        } else {
            ++i;
            continue;
        }
        flushCode(i);
        out.push_back({kind, i, end - i});
        i = end;
        codeStart = end;
    }
    flushCode(n);
    return out;
}

} // namespace sqltext
