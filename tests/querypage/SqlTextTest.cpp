// The page's reading of SQL text: comments, clean-up, splitting, colouring
// and keyword upper-casing never touch literals and names.
#include "querypage/SqlText.h"
#include "querypage/modCommons.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextLayout>
#include <gtest/gtest.h>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

QStringList texts(const std::vector<sqllex::Piece>& pieces)
{
    QStringList out;
    for (const auto& p : pieces)
        out << p.text + (p.runTwice ? QStringLiteral(" [x2]") : QString());
    return out;
}

TEST(SqlText, CommentsGoLineBreaksAndLiteralsStay)
{
    const std::pair<const char*, const char*> cases[] = {
        {"DELETE FROM t -- a -- b\nWHERE id = 5", "DELETE FROM t \nWHERE id = 5"},
        {"SELECT '--x' FROM t -- c", "SELECT '--x' FROM t "},
        {"SELECT [a--b], \"c--d\" FROM t", "SELECT [a--b], \"c--d\" FROM t"},
        {"SELECT 1 /* -- */", "SELECT 1 /* "},
        {"SELECT 'it''s -- here' -- gone\nx", "SELECT 'it''s -- here' \nx"},
        {"SELECT 'open -- no end", "SELECT 'open -- no end"},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(sqllex::removeComments(QString::fromUtf8(in)), QString::fromUtf8(out)) << in;
}

TEST(SqlText, CleanUpNormalisesOutsideLiteralsOnly)
{
    const std::pair<const char*, const char*> cases[] = {
        {"  SELECT   a,\tb\n FROM t;", "SELECT a, b FROM t"},
        {"SELECT 'x  y' FROM [a  b]  ;", "SELECT 'x  y' FROM [a  b] "},
        {"UPDATE t SET a = 'l1\nl2'", "UPDATE t SET a = 'l1\nl2'"},
        {"DELETE FROM t \nWHERE id = 5", "DELETE FROM t WHERE id = 5"},
        {"SELECT 1;", "SELECT 1"},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(sqllex::cleanUp(QString::fromUtf8(in)), QString::fromUtf8(out)) << in;
}

TEST(SqlText, SplitsOutsideLiteralsSkipsBlanksAndMarksContextCalls)
{
    const std::pair<const char*, QStringList> cases[] = {
        {"SELECT * FROM t WHERE a = 'x;y'", {"SELECT * FROM t WHERE a = 'x;y'"}},
        {"UPDATE t SET a = 'x'; SELECT * FROM t", {"UPDATE t SET a = 'x'", "SELECT * FROM t"}},
        {"a;;SELECT 1", {"a", "SELECT 1"}},
        {"a; ;b", {"a", "b"}},
        {" ; ", {}},
        {"SELECT [x;y] FROM t; b", {"SELECT [x;y] FROM t", "b"}},
        {"EXEC sp_set_session_context 'k', 1; SELECT 1", {"EXEC sp_set_session_context 'k', 1 [x2]", "SELECT 1"}},
        {"EXEC sp_set_session_context @k, 1; SELECT 1", {"EXEC sp_set_session_context @k, 1", "SELECT 1"}},
        {"EXEC sp_set_session_context 'k', ';'; SELECT 1", {"EXEC sp_set_session_context 'k', ';'", "SELECT 1"}},
        {"SELECT 'open; x", {"SELECT 'open; x"}},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(texts(sqllex::split(QString::fromUtf8(in))), out) << in;
}

QStringList spanText(const std::vector<modCommons::Span>& spans)
{
    QStringList out;
    for (const auto& s : spans)
        out << QStringLiteral("%1+%2%3").arg(s.start).arg(s.length).arg(s.colour == modCommons::KeywordColour ? "b" : "g");
    return out;
}

TEST(Colouring, KeywordsAndCommentsAsWholeWords)
{
    const std::pair<const char*, QStringList> cases[] = {
        {"select a from t", {"0+6b", "9+4b"}},
        {"SELECTED my_select Select1 AS_OF", {}},
        {"t.FROM [FROM] (IN)", {"2+4b", "8+4b", "15+2b"}},
        {"INç ñin INé", {"0+2b"}},
        {"SELECT 1 -- FROM x", {"0+6b", "9+9g"}},
        {"a--b", {}},
        {"x -- c\ny -- c", {"2+4g", "9+4g"}},
        {"'where' -- in", {"1+5b", "8+5g"}},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(spanText(modCommons::keywordSpans(QString::fromUtf8(in))), out) << in;
}

TEST(Colouring, UpperKeywordsLeavesLiteralsNamesAndComments)
{
    QString text = QStringLiteral("where name = 'in' and [order by] = \"from\" -- select\nor x in (1)");
    EXPECT_EQ(modCommons::UpperKeywords(text),
              QStringLiteral("WHERE name = 'in' AND [order by] = \"from\" -- select\nOR x IN (1)"));
    EXPECT_EQ(text.left(5), QStringLiteral("WHERE"));
}

TEST(Colouring, HighlightKeywordsColoursBlocksKeepsCaretTextAndUndo)
{
    QPlainTextEdit box, shadow;
    const QString text = QStringLiteral("select a -- note\nfrom t where b in (1) -- note");
    box.setPlainText(text);
    QTextCursor c = box.textCursor();
    c.setPosition(5);
    c.setPosition(9, QTextCursor::KeepAnchor);
    box.setTextCursor(c);
    const bool undo = box.document()->isUndoAvailable();
    modCommons::HighlightKeywords(&box, &shadow);

    std::vector<modCommons::Span> shown;
    int offset = 0;
    for (QTextBlock b = box.document()->begin(); b.isValid(); b = b.next()) {
        for (const QTextLayout::FormatRange& r : b.layout()->formats()) {
            const QColor col = r.format.foreground().color();
            if (col == QColor(0, 0, 255))
                shown.push_back({offset + r.start, r.length, modCommons::KeywordColour});
            else if (col == QColor(0, 128, 0))
                shown.push_back({offset + r.start, r.length, modCommons::CommentColour});
        }
        offset += b.length();
    }
    EXPECT_EQ(spanText(shown), spanText(modCommons::keywordSpans(text)));
    EXPECT_EQ(box.textCursor().position(), 9);
    EXPECT_FALSE(box.textCursor().hasSelection());
    EXPECT_EQ(box.toPlainText(), text);
    EXPECT_EQ(box.document()->isUndoAvailable(), undo);
    EXPECT_TRUE(shadow.isHidden());

    // One keystroke re-colours one block.
    auto* h = modCommons::highlighterOf(&box);
    h->takeBlocksHighlighted();
    QTextCursor end = box.textCursor();
    end.movePosition(QTextCursor::End);
    end.insertText(QStringLiteral("x"));
    EXPECT_EQ(h->takeBlocksHighlighted(), 1);
}

} // namespace
