#pragma once
// What the page's run needs of SQL text, read through the project's one
// quote-aware scanner (data/SqlScan.h): clean-up, comment removal and
// splitting never change what stands inside '...' literals, "..." or [...]
// names.
#include <QString>
#include <vector>

namespace sqllex {

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

// A statement that fills the grid: it begins with SELECT and puts nothing
// INTO a table.
bool fillsGrid(const QString& statement);

// The last statement of a text that fills the grid, "" when none does: what
// an export of that text reads, without running the statements around it.
QString lastSelect(const QString& text);

} // namespace sqllex
