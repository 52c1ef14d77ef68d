#pragma once
// A connection row laid out for a connection type and driver, as twips: the
// query page's connection panel and the comparison window's two rows follow
// this one rule over their own columns.

namespace panellayout {

// Panel row.
constexpr int PanelTop = 1590;
constexpr int PanelLabelTop = 1380;
constexpr int PanelHeight = 315;
constexpr int ServerWidth = 2115;
constexpr int PickerWidth = 285;
constexpr int UserWidth = 1810;
constexpr int PasswordWidth = 1335;
constexpr int PasswordLabelWidth = 450;

// Where a connection row's boxes sit before a type moves them (twips): the
// page's panel and the comparison window's rows differ only in these.
struct Columns {
    int serverLeft, serverWidth;
    int databaseLeft, databaseWidth;
    int userLeft, userWidth;
    int passwordLeft, passwordWidth;
    int passwordLabelWidth; // the password check box follows the password's caption
    // A data source with the SQL Server driver offers the data-source picker
    // (the page) or is laid out as a plain SQL Server row (the comparison).
    bool pickerForOdbcServer;
};
inline constexpr Columns PageColumns{2700,          ServerWidth,   4830, 4245, 9090, UserWidth, 10920,
                                     PasswordWidth, PasswordLabelWidth, true};
// An Access file's box is wider: it takes the server's place too.
constexpr int AccessDatabaseWidth = 6360;

struct Box {
    int left = 0;
    int width = 0;
    bool visible = true;
};

// A connection row for one connection type and driver.
struct Panel {
    bool laidOut = false;          // false for a type of -1: nothing changes
    int driverIndex = 0;           // the driver list index the layout puts in force
    bool driverEnabled = false;
    bool compactEnabled = false;
    bool odbc = false;             // the server caption reads "Origen de Datos"
    bool accessProvider = false;   // an Access type: its [Drivers] provider is pushed
    Box server, dsn, database, accessPicker, user, password, visibleCheck;
    // Boxes emptied as they are hidden.
    bool clearServer = false, clearDatabase = false, clearUser = false, clearPassword = false;
};

Panel panel(int connectionType, int driver, const Columns& columns = PageColumns);

} // namespace panellayout
