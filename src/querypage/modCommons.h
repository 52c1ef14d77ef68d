#pragma once
// SQL keyword colouring and upper-casing. The colours are derived from the
// text, never stored in it: keywordSpans() says which characters are blue
// (the 45 keywords as whole words, also inside literals) and which green
// (each line's "--" comment, and the same comment text wherever it stands as
// a whole word); a QSyntaxHighlighter applies them block by block.
#include <QColor>
#include <QSet>
#include <QString>
#include <QStringView>
#include <QSyntaxHighlighter>
#include <cstdint>
#include <vector>

class QPlainTextEdit;

namespace modCommons {

// &HBBGGRR colours of the colouring.
constexpr std::uint32_t KeywordColour = 0xFF0000; // blue
constexpr std::uint32_t CommentColour = 0x8000;   // green
constexpr std::uint32_t DefaultColour = 0x404040; // dark grey

struct Span {
    int start;
    int length;
    std::uint32_t colour;
    bool operator==(const Span&) const = default;
};

// The 45 keywords in colouring order.
const QStringList& Keywords();
// A word character: the lower-cased character stands in
// "abcdefghijklmnñopqrstuvwxyzáéíóúü0123456789_".
bool IsWordChar(QChar c);

// The comment pieces of a text: from the first "--" of each line to its end,
// each distinct text once (compared without regard to case, case-folded).
QSet<QString> CommentPieces(QStringView text);
// Coloured spans of one line (no line break inside) given the comment pieces
// of the whole text; ordered, not overlapping, default-coloured text left out.
std::vector<Span> lineSpans(QStringView line, const QSet<QString>& pieces);
// Coloured spans of a whole text; a line break ("\n") counts as one position.
std::vector<Span> keywordSpans(const QString& text);

// The text with every whole-word keyword in upper case; literals, quoted
// names and comments are left as they are. The variable receives it too.
QString UpperKeywords(QString& text);

// Applies the colours to a QPlainTextEdit's document, one block at a time.
// Comment pieces are those HighlightKeywords last computed; while reset
// (ResetColour) everything shows in the default colour.
class SqlHighlighter : public QSyntaxHighlighter {
    Q_OBJECT
public:
    explicit SqlHighlighter(QTextDocument* document);
    void setPieces(QSet<QString> pieces) { pieces_ = std::move(pieces); }
    void setActive(bool active) { active_ = active; }
    bool active() const { return active_; }
    // Blocks coloured since the counter was last read (tests and benchmarks).
    int takeBlocksHighlighted();

protected:
    void highlightBlock(const QString& text) override;

private:
    QSet<QString> pieces_;
    bool active_ = true;
    int blocks_ = 0;
};

// The box's highlighter, made on first use.
SqlHighlighter* highlighterOf(QPlainTextEdit* box);

// Recolours the main box from its whole text: comment pieces recomputed,
// colouring switched on, caret kept, no selection, main box visible with the
// focus. Text and undo history are not touched.
void HighlightKeywords(QPlainTextEdit* mainBox);
// The whole text in the default colour until the next HighlightKeywords;
// caret kept, selection emptied.
void ResetColour(QPlainTextEdit* box);

} // namespace modCommons
