#include "querypage/SqlText.h"

namespace sqllex {

namespace {

bool isLineBreak(QChar c) { return c == u'\n' || c == u'\r' || c == QChar(0x2029) || c == QChar(0x2028); }

// End (exclusive) of a quoted part that opens at `open` and closes with `close`,
// a doubled closing character standing for itself; the text's end when unclosed.
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

} // namespace

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

QString removeComments(const QString& text)
{
    if (!text.contains(QLatin1String("--")))
        return text;
    QString out;
    out.reserve(text.size());
    for (const Segment& s : segments(text))
        if (s.kind != Kind::Comment)
            out += QStringView(text).mid(s.start, s.length);
    return out;
}

QString cleanUp(const QString& text)
{
    QString out = mapCode(text, [](QStringView code, QString& to) {
        bool blank = !to.isEmpty() && to.back() == u' ';
        for (QChar c : code) {
            if (isLineBreak(c) || c == u'\t')
                c = u' ';
            if (c == u' ') {
                if (blank)
                    continue;
                blank = true;
            } else {
                blank = false;
            }
            to += c;
        }
    });
    out = out.trimmed();
    if (out.endsWith(u';'))
        out.chop(1);
    return out;
}

std::vector<Piece> split(const QString& text)
{
    std::vector<Piece> out;
    const std::vector<Segment> parts = segments(text);
    bool literalHoldsSemicolon = false;
    std::vector<qsizetype> cuts;
    for (const Segment& s : parts) {
        const QStringView part = QStringView(text).mid(s.start, s.length);
        if (s.kind == Kind::Literal && part.contains(u';'))
            literalHoldsSemicolon = true;
        if (s.kind != Kind::Code)
            continue;
        for (qsizetype i = 0; i < part.size(); ++i)
            if (part[i] == u';')
                cuts.push_back(s.start + i);
    }
    cuts.push_back(text.size());
    qsizetype from = 0;
    for (qsizetype cut : cuts) {
        const QString piece = text.mid(from, cut - from).trimmed();
        from = cut + 1;
        if (!piece.isEmpty())
            out.push_back({piece, false});
    }
    const bool doubling = text.contains(u'\'') && !literalHoldsSemicolon;
    if (doubling)
        for (std::size_t i = 0; i + 1 < out.size(); ++i)
            out[i].runTwice = out[i].text.contains(QLatin1String("sp_set_session_context"));
    return out;
}

} // namespace sqllex
