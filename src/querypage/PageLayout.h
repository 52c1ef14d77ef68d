#pragma once
// The query page's geometry as pure twips functions: the connection panel for
// a connection type and driver, the frame on every resize and the splitter
// drag. The page applies the results to its widgets.
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
