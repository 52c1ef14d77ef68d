#include "controls/ConnectionPanel.h"

namespace panellayout {

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

} // namespace panellayout
