#pragma once
// The page's reading of SQL text: one quote-aware lexer and what the run needs
// of it. The text is the user's: clean-up, comment removal and splitting never
// change what stands inside '...' literals, "..." or [...] names. A "--"
// comment runs from the first "--" outside them to the end of its line; an
// unclosed quote or bracket runs to the end of the text. /* */ is no comment.
#include <QString>
#include <QStringView>
#include <vector>

namespace sqllex {

enum class Kind { Code, Literal, QuotedName, BracketName, Comment };

struct Segment {
    Kind kind;
    qsizetype start;
    qsizetype length;
};

// The text as consecutive segments covering it whole. A comment segment ends
// before its line break.
std::vector<Segment> segments(QStringView text);

// The text without its "--" comments; line breaks and everything else stay.
QString removeComments(const QString& text);

// Line breaks and tabs outside literals and names become blanks, runs of
// blanks there collapse to one, the text is trimmed and a final ";" is cut.
QString cleanUp(const QString& text);

// One statement of a run. runTwice: the statement is sent a second time right
// after the first (a session-context call in a text with quotes but no
// literal holding a ";").
struct Piece {
    QString text;
    bool runTwice = false;
};

// The statements of a text, split at the ";" outside literals and names,
// trimmed; blank pieces are left out. The last piece is the final statement.
std::vector<Piece> split(const QString& text);

// The text with every Code segment passed through f (literals, names and
// comments copied as they are).
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

} // namespace sqllex
