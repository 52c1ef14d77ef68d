#pragma once
// The query page's geometry as pure twips functions: the connection panel for
// a connection type and driver, the frame on every resize and the splitter
// drag. The page applies the results to its widgets.
#include "controls/ConnectionPanel.h"

#include <optional>

namespace pagelayout {

// Design sizes (twips) the layout rules read.
constexpr int PageWidth = 16380;
constexpr int PageHeight = 11130;
constexpr int ButtonTop = 30;
constexpr int ButtonHeight = 855;
constexpr int ButtonWidth = 795;
constexpr int FirstButtonLeft = 60; // BttDataBase.Left, also the right margin
constexpr int SplitterHeight = 75;
constexpr int StatusHeight = 345;   // Picture1
constexpr int SqlTop = 2190;        // txtTabla.Top
constexpr int SqlLeft = 60;
constexpr int GridLeft = 0;
constexpr int ElevatorWidth = 255;
constexpr int MinSplitterTop = 2600;
constexpr int MinGridSpace = 3000;
constexpr int DefaultSplitterTop = 3240;

// Panel row: the connection panel's rule is shared with the comparison window.
using namespace panellayout;

// Every box of the frame after a resize. Sizes never go below 0.
struct Frame {
    int splitterTop = 0;
    int splitterWidth = 0;
    int sqlWidth = 0, sqlHeight = 0;
    int gridTop = 0, gridWidth = 0, gridHeight = 0;
    int elevatorLeft = 0, elevatorTop = 0, elevatorHeight = 0;
    int statusTop = 0;
    int tabSpaceWidth = 0;
    int exitLeft = 0, helpLeft = 0, settingsLeft = 0, editorLeft = 0, autoSizeLeft = 0;
};

// The frame for an inner size W x H with the splitter at splitterTop.
Frame frame(int width, int height, int splitterTop, bool elevatorVisible);

// A splitter dragged by dy twips on a page of the given height: at least
// 2600, else at least 3000 above the status bar (which may go below 2600).
int dragSplitter(int splitterTop, int dy, int height);

} // namespace pagelayout
