// A light reading of a SELECT: which table each select-list item comes from.
// It works on blanks, keywords and commas only; the results are as good as the
// statement's layout allows.
#include "data/clsDO.h"

#include "core/Error.h"

#include <QStringList>

namespace {

void collapseBlanks(QString& s)
{
    while (s.contains(QLatin1String("  ")))
        s.replace(QLatin1String("  "), QLatin1String(" "));
}

// Text before / after the first occurrence of a separator (the whole text / "" when absent).
QString before(const QString& s, const QString& sep, Qt::CaseSensitivity cs = Qt::CaseSensitive)
{
    const qsizetype p = s.indexOf(sep, 0, cs);
    return p < 0 ? s : s.left(p);
}

QString after(const QString& s, const QString& sep, Qt::CaseSensitivity cs = Qt::CaseSensitive)
{
    const qsizetype p = s.indexOf(sep, 0, cs);
    return p < 0 ? QString() : s.mid(p + sep.size());
}

// One FROM source as its words, with a sentinel so that word 1 always exists.
QStringList sourceWords(const QString& piece)
{
    return (piece.trimmed() + QStringLiteral(" :-)")).split(QLatin1Char(' '));
}

} // namespace

QString clsDO::RemoveBrackets(ByRef<QString> sString)
{
    QString& s = *sString;
    // A "(" counts as opening a nested level only when a ")" follows it.
    auto descend = [](QString& rest, int& depth) {
        for (;;) {
            const qsizetype open = rest.indexOf(QLatin1Char('('));
            const qsizetype close = rest.indexOf(QLatin1Char(')'));
            if (open < 0 || close < 0 || open > close)
                return;
            ++depth;
            rest = rest.mid(open + 1);
        }
    };
    while (s.contains(QLatin1Char('('))) {
        const qsizetype open = s.indexOf(QLatin1Char('('));
        const QString head = s.left(open);
        QString rest = s.mid(open + 1);
        int depth = 1;
        descend(rest, depth);
        while (rest.contains(QLatin1Char(')')) && depth >= 1) {
            descend(rest, depth);
            --depth;
            rest = rest.mid(rest.indexOf(QLatin1Char(')')) + 1);
        }
        s = head + QLatin1Char(' ') + rest;
    }
    collapseBlanks(s);
    return s;
}

Variant clsDO::Parsing(ByRef<QString> sSQL)
{
    QString& sql = *sSQL;
    sql.replace(QLatin1String(" as "), QLatin1String(" AS "));
    sql.replace(QLatin1String(" As "), QLatin1String(" AS "));
    // Line breaks of this platform's text boxes are LF alone; treat every kind as a blank.
    sql.replace(QLatin1String("\r\n"), QLatin1String(" "));
    sql.replace(QLatin1Char('\r'), QLatin1Char(' '));
    sql.replace(QLatin1Char('\n'), QLatin1Char(' '));
    sql.replace(QLatin1Char('\t'), QLatin1Char(' '));
    sql.replace(QLatin1String(" DISTINCT "), QLatin1String(" "));
    sql.replace(QLatin1String(" distinct "), QLatin1String(" "));
    sql.replace(QLatin1String("(NOLOCK)"), QString());
    sql.replace(QLatin1String("(nolock)"), QString());
    sql.replace(QLatin1String(" WITH "), QLatin1String(" "));
    sql.replace(QLatin1String(" with "), QLatin1String(" "));
    collapseBlanks(sql);

    const QString kFrom = QStringLiteral(" FROM ");
    const qsizetype fromPos = sql.indexOf(kFrom, 0, Qt::CaseInsensitive);
    // The select list runs from the eighth character to " FROM ".
    if (fromPos < 7)
        raise(Error::InvalidProcedureCall, QStringLiteral("Llamada a procedimiento o argumento no válidos"),
              QStringLiteral("Zolt12.clsDO"));
    QString f = sql.mid(7, fromPos - 7);
    const QString tail = sql.mid(fromPos + kFrom.size()).trimmed();

    if (f.trimmed() == QLatin1String("*")) {
        QString t = before(tail, QStringLiteral(" "));
        if (t.endsWith(QLatin1Char(',')))
            t.chop(1);
        auto result = std::make_shared<VArray>(0, 0);
        result->at(0) = Variant(t + QStringLiteral(".*"));
        return Variant(result);
    }

    QString s = tail;
    collapseBlanks(s);
    if (s.startsWith(QLatin1Char('('))) {
        s.remove(QLatin1Char('('));
        s.remove(QLatin1Char(')'));
    }
    s = RemoveBrackets(s);

    std::vector<QStringList> sources;
    if (!s.contains(QLatin1String(" JOIN "), Qt::CaseInsensitive)) {
        for (const char* word : {" WHERE ", " ORDER BY ", " GROUP BY "}) {
            const qsizetype p = s.indexOf(QLatin1String(word), 0, Qt::CaseInsensitive);
            if (p >= 0)
                s = s.left(p);
        }
        for (const QString& piece : s.split(QLatin1Char(',')))
            sources.push_back(sourceWords(piece));
    } else {
        s.replace(QLatin1String(" join "), QLatin1String(" JOIN "));
        s.replace(QLatin1String(" Join "), QLatin1String(" JOIN "));
        for (const QString& piece : s.split(QLatin1String(" JOIN ")))
            sources.push_back(sourceWords(piece));
    }

    f = RemoveBrackets(f);
    if (f.startsWith(QLatin1String("TOP "), Qt::CaseInsensitive)) {
        f = f.mid(4).trimmed();
        const qsizetype blank = f.indexOf(QLatin1Char(' '));
        f = f.mid(blank + 1).trimmed();
    }

    auto stripCommas = [](QString w) { return w.remove(QLatin1Char(',')); };
    const QStringList items = f.split(QLatin1Char(','));
    auto result = std::make_shared<VArray>(0, int(items.size()) - 1);
    for (int i = 0; i < items.size(); ++i) {
        QString item = items.at(i);
        if (item.contains(QLatin1String(" AS ")))
            item = after(item, QStringLiteral(" AS "));
        else if (item.contains(QLatin1String(" = ")))
            item = before(item, QStringLiteral(" = "));
        if (!item.contains(QLatin1Char('.'))) {
            item = sources.front().at(0).trimmed() + QLatin1Char('.') + item.trimmed();
        } else {
            const QString p = before(item, QStringLiteral(".")).trimmed();
            bool found = false;
            for (const QStringList& words : sources) {
                for (int w = 0; w < 2 && !found; ++w) {
                    if (stripCommas(words.at(w)) == p) {
                        item = stripCommas(words.at(0)) + QLatin1Char('.') + after(item.trimmed(), QStringLiteral("."));
                        found = true;
                    }
                }
                if (found)
                    break;
            }
        }
        result->at(i) = Variant(item);
    }
    return Variant(result);
}
