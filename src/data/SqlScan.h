#pragma once
// The one quote-aware reading of SQL text. The text is the user's: whatever
// splits, cleans, strips comments from, upper-cases or re-indents it works on
// the Code segments only and copies the others as they are. '...' literals,
// "..." and [...] names close at their closing character, a doubled one
// standing for itself; a "--" comment runs from the first "--" outside them
// to the end of its line. An unclosed quote or bracket runs to the end of the
// text. /* */ is no comment.
#include <QString>
#include <QStringView>
#include <vector>

namespace sqltext {

enum class Kind { Code, Literal, QuotedName, BracketName, Comment };

struct Segment {
    Kind kind;
    qsizetype start;
    qsizetype length;
};

// End (exclusive) of the quoted part that opens at `open` and closes with
// `close` (' for a literal, " or ] for a name), a doubled closing character
// standing for itself; the text's end when it is unclosed.
qsizetype quotedEnd(QStringView text, qsizetype open, QChar close);

// LF, CR and the Unicode line and paragraph separators.
bool isLineBreak(QChar c);

// The text as consecutive segments covering it whole. A comment segment ends
// before its line break.
std::vector<Segment> segments(QStringView text);

// The text with every Code segment passed through f(code, out) (literals,
// names and comments appended as they are).
template <class F>
QString mapCode(const QString& text, F&& f)
{
    QString out;
    out.reserve(text.size());
    for (const Segment& s : segments(text)) {
        const QStringView part = QStringView(text).mid(s.start, s.length);
        if (s.kind == Kind::Code)
            f(part, out);
        else
            out += part;
    }
    return out;
}

} // namespace sqltext
