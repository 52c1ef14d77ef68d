#include "querypage/PageLayout.h"

#include <algorithm>

namespace pagelayout {

int dragSplitter(int splitterTop, int dy, int height)
{
    const int top = splitterTop + dy;
    const int statusTop = height - StatusHeight;
    if (top < MinSplitterTop)
        return MinSplitterTop;
    if (statusTop - (top + SplitterHeight) < MinGridSpace)
        return statusTop - MinGridSpace - SplitterHeight;
    return top;
}

Frame frame(int width, int height, int splitterTop, bool elevatorVisible)
{
    Frame f;
    const int lowest = height - SplitterHeight - StatusHeight - MinGridSpace;
    f.splitterTop = lowest < splitterTop ? dragSplitter(lowest, 0, height) : splitterTop;
    f.splitterWidth = std::max(0, width);
    f.sqlHeight = std::max(0, f.splitterTop - SqlTop);
    f.sqlWidth = std::max(0, width - SqlLeft - FirstButtonLeft);
    f.gridTop = f.splitterTop + SplitterHeight;
    f.gridWidth = std::max(0, width - GridLeft - (elevatorVisible ? ElevatorWidth : 0));
    f.gridHeight = std::max(0, height - StatusHeight - f.splitterTop - SplitterHeight);
    f.elevatorLeft = GridLeft + f.gridWidth;
    f.elevatorTop = f.gridTop;
    f.elevatorHeight = std::max(0, f.gridHeight - ElevatorWidth);
    f.statusTop = height - StatusHeight;
    f.tabSpaceWidth = f.splitterWidth;
    f.exitLeft = width - ButtonWidth - FirstButtonLeft;
    f.helpLeft = f.exitLeft - ButtonWidth - 15;
    f.settingsLeft = f.helpLeft - ButtonWidth - 15;
    f.editorLeft = f.settingsLeft - ButtonWidth - 160;
    f.autoSizeLeft = f.editorLeft - ButtonWidth - 15;
    return f;
}

} // namespace pagelayout
