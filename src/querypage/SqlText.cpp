#include "querypage/SqlText.h"

#include "data/SqlScan.h"

namespace sqllex {

using sqltext::Kind;
using sqltext::Segment;

QString removeComments(const QString& text)
{
    if (!text.contains(QLatin1String("--")))
        return text;
    QString out;
    out.reserve(text.size());
    for (const Segment& s : sqltext::segments(text))
        if (s.kind != Kind::Comment)
            out += QStringView(text).mid(s.start, s.length);
    return out;
}

QString cleanUp(const QString& text)
{
    QString out = sqltext::mapCode(text, [](QStringView code, QString& to) {
        bool blank = !to.isEmpty() && to.back() == u' ';
        for (QChar c : code) {
            if (sqltext::isLineBreak(c) || c == u'\t')
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
    const std::vector<Segment> parts = sqltext::segments(text);
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

bool fillsGrid(const QString& statement)
{
    const QString upper = statement.trimmed().toUpper();
    return upper.startsWith(QLatin1String("SELECT")) && !upper.contains(QLatin1String(" INTO "));
}

QString lastSelect(const QString& text)
{
    const std::vector<Piece> pieces = split(text);
    for (auto it = pieces.rbegin(); it != pieces.rend(); ++it)
        if (fillsGrid(it->text))
            return it->text;
    return QString();
}

} // namespace sqllex
