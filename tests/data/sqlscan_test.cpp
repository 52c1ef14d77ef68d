// The one quote-aware scanner of SQL text: every caller's reading of
// literals, names and comments rests on these spans.
#include "data/SqlScan.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace {

// Each segment as "<kind letter>:<text>": c code, l literal, q "name", b [name], m comment.
QStringList spans(const QString& text)
{
    QStringList out;
    for (const sqltext::Segment& s : sqltext::segments(text))
        out << QChar(u"clqbm"[int(s.kind)]) + u':' + text.mid(s.start, s.length);
    return out;
}

TEST(SqlScan, SpansCoverTheTextAndRespectDoubledClosers)
{
    const std::pair<const char*, QStringList> cases[] = {
        {"", {}},
        {"SELECT 1", {"c:SELECT 1"}},
        {"a='it''s'--x", {"c:a=", "l:'it''s'", "m:--x"}},
        {"\"a\"\"b\" [c]]d] e", {"q:\"a\"\"b\"", "c: ", "b:[c]]d]", "c: e"}},
        {"[a'b] 'c\"d' \"e[f\"", {"b:[a'b]", "c: ", "l:'c\"d'", "c: ", "q:\"e[f\""}},
        {"x -- a 'b\r\ny", {"c:x ", "m:-- a 'b", "c:\r\ny"}},
        {"x --a\xe2\x80\xa8y", {"c:x ", "m:--a", "c:\xe2\x80\xa8y"}},
        {"a - -b /* -- */", {"c:a - -b /* ", "m:-- */"}},
        {"'open -- no end", {"l:'open -- no end"}},
        {"[open; x", {"b:[open; x"}},
        {"'a'''", {"l:'a'''"}},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(spans(QString::fromUtf8(in)), out) << in;
}

TEST(SqlScan, MapCodeTouchesCodeOnly)
{
    const QString text = QStringLiteral("select 'x' from [y] -- z\nwhere \"w\"");
    const QString upper = sqltext::mapCode(text, [](QStringView code, QString& to) { to += code.toString().toUpper(); });
    EXPECT_EQ(upper, QStringLiteral("SELECT 'x' FROM [y] -- z\nWHERE \"w\""));
}

} // namespace
