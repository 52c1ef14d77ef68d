#include "querypage/PageLayout.h"

#include <algorithm>

namespace pagelayout {

Panel panel(int connectionType, int driver, const Columns& c)
{
    Panel p;
    p.server = {c.serverLeft, c.serverWidth, true};
    p.dsn = {c.serverLeft + c.serverWidth, PickerWidth, false};
    p.database = {c.databaseLeft, c.databaseWidth, true};
    p.accessPicker = {0, PickerWidth, false};
    p.user = {c.userLeft, c.userWidth, true};
    p.password = {c.passwordLeft, c.passwordWidth, true};
    switch (connectionType) {
    case 0:
        p.driverIndex = 0;
        p.compactEnabled = true;
        break;
    case 1:
    case 2:
        p.driverIndex = 1;
        p.compactEnabled = true;
        p.accessProvider = true;
        p.server.visible = false;
        p.clearServer = true;
        p.database = {c.serverLeft, AccessDatabaseWidth, true};
        p.accessPicker = {p.database.left + p.database.width, PickerWidth, true};
        p.user.visible = false;
        p.clearUser = true;
        p.password.left = p.accessPicker.left + p.accessPicker.width + 30;
        break;
    case 3:
        p.driverIndex = driver == -1 ? 1 : driver;
        p.driverEnabled = true;
        p.odbc = true;
        if (p.driverIndex == 0 && !c.pickerForOdbcServer)
            break;
        p.dsn.visible = true;
        if (p.driverIndex == 1) {
            p.database.visible = false;
            p.clearDatabase = true;
            p.user.visible = false;
            p.clearUser = true;
            p.password.visible = false;
            p.clearPassword = true;
        } else {
            p.database.left = p.dsn.left + p.dsn.width + 15;
            p.user.left = p.dsn.width + c.userLeft;
            p.password.left = p.dsn.width + c.passwordLeft;
        }
        break;
    default:
        return p;
    }
    p.laidOut = true;
    p.visibleCheck = {p.password.left + c.passwordLabelWidth, 825, p.password.visible};
    return p;
}

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
