#pragma once
// The comparison window's state and rules, free of widgets: its inputs from
// the query page, the two connection rows, the initial listing and the
// compare run with their progress, pause and cancel, the keys, the resize
// layout, the three result grids with their filters and menu. frmCompare
// wires its widgets to these members; tests drive them directly through the
// sinks below and the seams (clock, waiter, events, hourglass, data objects).
#include "core/ConnectionValues.h"
#include "compare/CompareEngine.h"
#include "compare/PanelControl.h"
#include "data/clsDO.h"
#include "messages/clsError.h"
#include "services/clsTablas.h"

#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>

namespace compare {

// The grid members the result grids are filled through (MaxGrid's names).
class GridSink {
public:
    enum class Picture { Equal, Different, OnlyCurrent, OnlyCompared, MidIndexField, LastIndexField };
    virtual ~GridSink() = default;
    virtual bool Redraw() const = 0;
    virtual void setRedraw(bool on) = 0;
    virtual int Rows() const = 0;
    virtual void setRows(int rows) = 0;
    virtual int Cols() const = 0;
    virtual void setCols(int cols) = 0;
    virtual void setColWidth(int col, int twips) = 0;
    virtual QString TextMatrix(int row, int col) const = 0;
    virtual void setTextMatrix(int row, int col, const QString& text) = 0;
    virtual int Row() const = 0;
    virtual void setRow(int row) = 0;
    virtual void setCol(int col) = 0;
    virtual void setColSel(int col) = 0;
    virtual void setCellPicture(Picture picture) = 0;
    virtual void setCellPictureAlignment(int alignment) = 0;
    virtual int Width() const = 0; // twips
    virtual int Height() const = 0;
    virtual void setHeight(int twips) = 0;
};

// The progress panel: two lines, two bars (0 to 100), and where the panel is.
class ProgressSink {
public:
    virtual ~ProgressSink() = default;
    virtual void setMainText(const QString& text) = 0;
    virtual void setMainValue(int value) = 0;
    virtual void setSubText(const QString& text) = 0;
    virtual void setSubValue(int value) = 0;
    // The panel's top-left corner in twips; its shadow sits 60 twips further.
    virtual void placePanel(double left, double top) = 0;
};

// What the rules ask of the window itself.
class WindowSink {
public:
    virtual ~WindowSink() = default;
    virtual bool IsVisible() const = 0;
    virtual void Hide() = 0;
    // Outer size in twips (caption and frame included).
    virtual double Width() const = 0;
    virtual double Height() const = 0;
    virtual void Place(double top, double height) = 0;
    // The control models changed (places, texts, pairs shown, a run started or ended).
    virtual void ControlsChanged() = 0;
};

// Caption height, frame width and frame height, twips.
struct WindowMeasures {
    double captionHeight = 0;
    double frameWidth = 0;
    double frameHeight = 0;
};

// --- the plain rules

inline constexpr double PanelWidth = 6765;
inline constexpr double PanelHeight = 1695;
inline constexpr double GridTop = 1170;

// Top of the progress panel for the opener's window height.
double panelTopFor(std::int32_t parentFormHeight);
// A step as a percentage of its total, half to even; 0 without a total.
std::int32_t percentOf(std::int32_t step, std::int32_t total);
// Milliseconds every sub step waits: the smaller of the two engines' values
// (SQL Server 10, Access 30, Oracle 0).
std::int32_t pauseFor(int currentDriver, int comparedDriver);
// Rows that fill a grid of that height with empty rows (header included).
int fillerRows(double heightTwips);

class CompareController : public QObject, public CompareHost {
    Q_OBJECT
public:
    explicit CompareController(QObject* parent = nullptr);
    ~CompareController() override;

    // --- inputs (set by the opener before load)
    std::shared_ptr<clsTablas> SCR;
    clsErrorPtr MSG;
    std::shared_ptr<clsDO> Zolt;
    // The page's connection: the current side.
    ConnectionValues Current;
    std::int32_t ParentFormTop = 0;
    std::int32_t ParentFormHeight() const { return parentFormHeight_; }
    void setParentFormHeight(std::int32_t value);

    // --- seams
    std::function<qint64()> clock;                 // milliseconds on a clock that does not wrap
    std::function<void(int ms)> waiter;            // lets events run for about that long
    std::function<void()> events;                  // lets pending events run once
    std::function<std::shared_ptr<void>()> busy;   // the hourglass while the guard lives
    std::function<std::shared_ptr<clsDO>()> newDataObject;
    std::optional<std::int32_t> pauseOverride;     // tests and benchmarks: a fixed pause
    // The open-file dialog with its filter ("" when cancelled) and the data-source
    // dialog for a driver text (nothing when cancelled).
    std::function<QString(const QString& filter)> openFile;
    std::function<std::optional<QString>(const QString& databaseType)> chooseDsn;
    WindowMeasures measures;

    void attach(WindowSink* window, ProgressSink* progress, GridSink* tables, GridSink* fields, GridSink* indexes);

    // --- controls (design places in twips)
    PanelControl BttCompare{QStringLiteral("BttCompare"), 60, 60, 915, 855};
    PanelControl BttCompareDisabled{QStringLiteral("BttCompareDisabled"), 60, 60, 915, 855};
    PanelControl BttFilter{QStringLiteral("BttFilter"), 990, 60, 795, 855};
    PanelControl BttFilterDisabled{QStringLiteral("BttFilterDisabled"), 990, 60, 795, 855};
    PanelControl BttSalir{QStringLiteral("BttSalir"), 14550, 60, 795, 855};
    PanelControl cboCurrentConnectionType{QStringLiteral("cboCurrentConnectionType"), 2970, 30, 1395, 315};
    PanelControl cboCurrentDriver{QStringLiteral("cboCurrentDriver"), 4380, 30, 1125, 315};
    PanelControl txtCurrentServidor{QStringLiteral("txtCurrentServidor"), 5520, 30, 1695, 315};
    PanelControl txtCurrentBBDD{QStringLiteral("txtCurrentBBDD"), 7230, 30, 4245, 315};
    PanelControl txtCurrentUser{QStringLiteral("txtCurrentUser"), 11850, 30, 1275, 315};
    PanelControl cboComparedConnectionType{QStringLiteral("cboComparedConnectionType"), 2970, 600, 1395, 315};
    PanelControl cboComparedDriver{QStringLiteral("cboComparedDriver"), 4380, 600, 1125, 315};
    PanelControl lblServer{QStringLiteral("lblServer"), 5580, 390, 1635, 195};
    PanelControl txtComparedServidor{QStringLiteral("txtComparedServidor"), 5520, 600, 1695, 315};
    PanelControl BttDSN{QStringLiteral("BttDSN"), 7650, 600, 285, 315};
    PanelControl lblBBDD{QStringLiteral("lblBBDD"), 7230, 390, 855, 225};
    PanelControl txtComparedBBDD{QStringLiteral("txtComparedBBDD"), 7230, 600, 4245, 315};
    PanelControl BttAccessFileSelection{QStringLiteral("BttAccessFileSelection"), 11490, 600, 285, 315};
    PanelControl lblUser{QStringLiteral("lblUser"), 11880, 390, 825, 225};
    PanelControl txtComparedUser{QStringLiteral("txtComparedUser"), 11850, 600, 1275, 315};
    PanelControl lblPassword{QStringLiteral("lblPassword"), 13170, 390, 435, 225};
    PanelControl txtComparedPassword{QStringLiteral("txtComparedPassword"), 13140, 600, 1335, 315};
    PanelControl chkPwdVisible{QStringLiteral("chkPwdVisible"), 13650, 390, 825, 195};
    PanelControl mnuDataBase{QStringLiteral("mnuDataBase"), 990, 930, 2625, 1800};
    PanelControl mnuDatabaseShadow{QStringLiteral("mnuDatabaseShadow"), 1050, 990, 2625, 1745};
    PanelControl chkEqual{QStringLiteral("chkEqual"), 510, 330, 1900, 285};
    PanelControl chkDifferent{QStringLiteral("chkDifferent"), 510, 660, 1900, 285};
    PanelControl chkOnlyCurrent{QStringLiteral("chkOnlyCurrent"), 510, 990, 1900, 285};
    PanelControl chkOnlyCompared{QStringLiteral("chkOnlyCompared"), 510, 1320, 1900, 285};
    // The controls that follow the rules, in the order above.
    QList<PanelControl*> controls();

    QTimer tmrInitial;
    QTimer tmrEnd;
    QTimer tmrMenuDatabase;

    // --- the window (10.101)
    void Form_Load();
    void InitialLaunch();
    void tmrInitial_Timer();
    void tmrEnd_Timer();
    void BttCompare_MouseUp();
    void BttSalir_MouseUp();
    // A close asked by the window system: the exit button's action, never more.
    void CloseRequested() { BttSalir_MouseUp(); }
    void Form_KeyDown(int keyCode);
    // Returns the key as it goes on (0 when swallowed).
    int Form_KeyPress(int keyAscii);
    void Form_Resize();
    void Form_Unload();
    void Wait(double duration, const QString& unit);

    bool ShowProgress(Line line, const QString& name, std::int32_t subTotal, std::int32_t subStep, bool main) override;
    void ShowProgressPanel() override;
    void HideProgressPanel() override;
    void StartSteps(std::int32_t total) override;
    void InitializeTableGrid() override;
    void DoEvents() override;
    std::shared_ptr<void> Busy() override;

    // --- the compared connection (10.102)
    struct Row {
        PanelControl* type;
        PanelControl* driver;
        PanelControl* server;
        PanelControl* database;
        PanelControl* user;
        PanelControl* password; // null for the current row
        bool compared;
        PanelControl *lS, *lD, *lU, *lP;
    };
    Row currentRow();
    Row comparedRow();
    void ChangeConnectionType(const Row& row);
    bool ValidateAll(bool withMessages);
    void PrepareComparedConnection(bool create);
    void cboComparedConnectionType_Click();
    void cboComparedDriver_Click();
    void txtCompared_Change();
    void chkPwdVisible_Click();
    void BttDSN_MouseUp();
    void BttAccessFileSelection_MouseUp();

    // --- grids and filters (10.106)
    void InitializeFieldsGrid();
    void InitializeIndexesGrid();
    void LoadTablesGrid(const CollectionPtr& records);
    void LoadFieldsGrid(const CollectionPtr& fields);
    void LoadIndexesGrid(const CollectionPtr& indexes);
    bool IsAnyIndexFieldVisible(const Collection& indexFields) const;
    void ShowTableDetails(int row);
    void fgrTables_EnterCell();
    void BttFilter_MouseUp();
    void tmrMenuDatabase_Timer();
    void chkFilter_Click(PanelControl& box);
    void MenuClose();
    void BttCloseMenuDatabase_MouseUp();
    bool Passes(const QString& state) const;

    // --- state
    bool Comparing() const { return comparing_; }
    // A listing or run is under way past its validation: the compared row and the filter button are off.
    bool Running() const { return running_; }
    std::int32_t Pause() const { return pause_; }
    double PanelLeft() const { return panelLeft_; }
    double PanelTop() const { return panelTop_; }
    CollectionPtr ComparisonResult() const { return result_; }
    CollectionPtr CurrentTables() const { return curTables_; }
    std::shared_ptr<clsDO> ComparedObject() const { return comparedDO_; }
    bool FilterEqual = true, FilterDifferent = true, FilterOnlyCurrent = true, FilterOnlyCompared = true;
    const RunTexts& Texts() const { return texts_; }

private:
    friend class RunGuard;
    template <class F>
    bool handle(const char* procedure, F&& body);
    void changed();
    void setRunning(bool on);
    void placePanel(double left);
    void pushCurrent();
    bool blank(PanelControl& box, const QString& description, bool withMessages);
    bool refuse(const QString& message, bool withMessages);
    void initializeGrid(GridSink* grid, int cols, const QList<int>& widths);
    void placePicture(GridSink& grid, int row, int col, GridSink::Picture picture, int alignment);
    static int grow(GridSink& grid, int n);

    WindowSink* window_ = nullptr;
    ProgressSink* progress_ = nullptr;
    GridSink* tables_ = nullptr;
    GridSink* fields_ = nullptr;
    GridSink* indexes_ = nullptr;

    std::int32_t parentFormHeight_ = 0;
    double panelLeft_ = 3780;
    double panelTop_ = 3660;
    CollectionPtr curTables_, curViews_, compTables_, compViews_;
    CollectionPtr result_ = newCollection();
    std::shared_ptr<clsDO> comparedDO_;
    QString comparedProvider_;
    // Server, database, user and password of the compared side at the last start.
    ConnectionValues compared_;
    std::int32_t pause_ = 0;
    std::int32_t runPause_ = 0;
    RunTexts texts_;
    std::int32_t stepTotal_ = 0;
    std::int32_t stepCounter_ = 0;
    bool comparing_ = false;
    bool cancel_ = false;
    bool running_ = false;
    bool escSwallow_ = false;
    bool loading_ = false;
};

} // namespace compare
