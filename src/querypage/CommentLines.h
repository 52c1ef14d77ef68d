#pragma once
// Commenting and uncommenting lines of an SQL text with "--", as the page's
// and the SQL editor's buttons do it, over a selection or the whole text.
#include <QString>

namespace commentlines {

// The range: the selection when its length is at least 1, else the whole
// text. It is split at CR LF or LF into lines; every line gets "--" in front
// of its first character (leading blanks stay behind it); the lines are joined
// again with the text's own line break (CR LF when the text holds one, else
// LF). Text before and after the range is kept. A selection may start
// mid-line: that line is commented from there.
QString comment(const QString& text, int selStart, int selLength);

// As comment(), but every line whose blank-trimmed form begins with "--"
// loses its first "--" and keeps its leading blanks; other lines stay.
QString uncomment(const QString& text, int selStart, int selLength);

} // namespace commentlines
