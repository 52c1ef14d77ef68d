#pragma once
// Room for texts. The design places of controls are twips measured for the
// original platform's narrower font; here a text never gets less room than it
// needs in the font and language in force: a control grows to its text and
// the controls after it on its row move along, so the arrangement and order
// stay while no text is cut and nothing lands on anything else.
#include <QList>
#include <QString>

class QFont;
class QFontMetrics;
class QHeaderView;
class QRect;
class QWidget;

namespace controls {

// Pixels across that the control's own text needs, its frame and indicator
// included: labels, push and tool buttons, check and option boxes, combo
// boxes (their longest item, as any may be chosen). 0 for anything else.
int textWidthNeeded(const QWidget* w);

// Pixels a text needs in a grid cell or list column in that font (its
// padding included).
int cellWidthNeeded(const QFont& font, const QString& text);

// Pixels a text needs in a grid's header cell: a header keeps clear of the
// lines around it, where a body cell may run close to its border.
int headerCellWidthNeeded(const QFont& font, const QString& text);

// A cell's one-line text as `width` pixels show it: whole when it fits, else
// shortened with "…" so that it never reads as another value. The end goes
// (a number keeps its leading digits), or the start where keepEnd asks for
// the end to stay in sight (the caret typed there).
QString fittedCellText(const QString& text, const QFontMetrics& metrics, int width, bool keepEnd);

// Places a control at its design place (pixels from its twips) and, while
// its window is shown, fits its row again: where twips become pixels.
void placeAtDesign(QWidget* w, const QRect& pixels);

// Applies the rule to one window: every control placed by position (not by a
// layout) whose text does not fit grows, and the controls to its right whose
// rows it shares move by as much; a window, or a container, grows to hold
// what moved past its edge. Controls marked floating (menus and panels
// drawn over the rest) are left alone. Safe to run again after a re-layout.
void fitTexts(QWidget* window);

// Marks a long box without a text of its own to fit (a path, a server name):
// pushed by a grown control before it on its row, it gives up to half its
// width instead of moving whole, so the controls after it keep their places
// and the window its width.
void setYielding(QWidget* w, bool yielding = true);

// Marks a panel that floats over the window's other controls by design.
void setFloating(QWidget* w, bool floating = true);
bool isFloating(const QWidget* w);

// Widens each shown section of a header to the room its text needs (the
// header's own size hint for it); a wider section keeps its width.
void fitHeaderSections(QHeaderView* header);

// Fits every header inside the window each time it is shown. For dialogs that
// restore stored column widths as they appear (Qt's file chooser): a stored
// width narrower than the text in this language is widened, a wider one kept.
void fitHeadersOnShow(QWidget* window);

// Runs fitTexts on every window as it is shown (the program installs it once).
void installTextFitting();

} // namespace controls
