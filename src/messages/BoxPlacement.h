#pragma once
// Where a message box opens: centred on the window it belongs to and wholly
// on that window's screen. The window that was active before a box closed is
// not active yet when the next box of a sequence opens, so the owner is
// looked for beyond the active window.
#include <QPoint>
#include <QRect>

class QWidget;

namespace boxplacement {

// The window a new box belongs to: the active modal dialog or window, else
// preferred's window, else the program's visible main window; may be null.
QWidget* owner(QWidget* preferred = nullptr);

// The top-left corner that centres a box of the given size on owner and
// keeps it inside available (its top-left corner wins when it is larger).
QPoint centred(const QRect& owner, const QSize& box, const QRect& available);

// Moves box (before it is shown) onto its parent's window, or the owner when
// it has no parent, or the middle of its screen.
void place(QWidget& box);

} // namespace boxplacement
