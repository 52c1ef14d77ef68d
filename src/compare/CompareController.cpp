#include "compare/CompareController.h"

#include "controls/ConnectionPanel.h"

#include "controls/ControlSupport.h"
#include "core/ProgramFolder.h"
#include "core/ValueText.h"
#include "core/VelmoraIni.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <cmath>

namespace compare {

namespace {

// The connection rows' columns (twips) before a type moves them.
constexpr panellayout::Columns kRowColumns{5520, 1695, 7230, 4245, 11490, 1275, 12785, 1335, 435, false};
const QString kWindow = QStringLiteral("frmCompare");
const QString kTitle = QStringLiteral("Comparador de Bases de Datos");
const QStringList kConnectionTypes = {QStringLiteral("SQL Server"), QStringLiteral("Access.mdb"),
                                      QStringLiteral("Access.accdb"), QStringLiteral("Fuente ODBC")};
const QStringList kDrivers = {QStringLiteral("SQL Server"), QStringLiteral("Access"), QStringLiteral("Oracle")};
} // namespace

// --- plain rules

double panelTopFor(std::int32_t parentFormHeight) { return ((double(parentFormHeight) - 1000) - PanelHeight) / 2; }

std::int32_t percentOf(std::int32_t step, std::int32_t total)
{
    if (total == 0)
        return 0;
    return std::int32_t(ValueText::roundHalfEven(double(step) * 100.0 / double(total)));
}

std::int32_t pauseFor(int currentDriver, int comparedDriver)
{
    std::int32_t pause = currentDriver == 2 ? 0 : currentDriver == 0 ? 10 : 30;
    if (comparedDriver == 2)
        pause = 0;
    else if (comparedDriver == 0)
        pause = std::min(pause, 10);
    else
        pause = std::min(pause, 30);
    return pause;
}

int fillerRows(double heightTwips) { return int(ValueText::roundHalfEven(heightTwips / 240.0 + 1)); }

// --- the guard of a listing or run: whatever way it ends, the window is idle
// again, without hourglass and without the progress panel.
class RunGuard {
public:
    explicit RunGuard(CompareController& c) : c_(c)
    {
        c_.comparing_ = true;
        c_.cancel_ = false;
    }
    // The run proper starts: hourglass, compared row and filter button off.
    void start()
    {
        busy_ = c_.Busy();
        c_.setRunning(true);
    }
    ~RunGuard()
    {
        c_.comparing_ = false;
        controls::ignoreErrors([&] { c_.placePanel(-2 * PanelWidth); });
        busy_.reset();
        controls::ignoreErrors([&] { c_.setRunning(false); });
    }
    RunGuard(const RunGuard&) = delete;
    RunGuard& operator=(const RunGuard&) = delete;

private:
    CompareController& c_;
    std::shared_ptr<void> busy_;
};

CompareController::CompareController(QObject* parent) : QObject(parent)
{
    // The pickers come with the connection types that use them; before a type
    // is chosen they would lie over the database box.
    BttDSN.Visible = false;
    BttAccessFileSelection.Visible = false;
    auto started = std::make_shared<QElapsedTimer>();
    started->start();
    clock = [started] { return started->elapsed(); };
    waiter = [](int ms) {
        QEventLoop loop;
        QTimer::singleShot(ms, &loop, &QEventLoop::quit);
        loop.exec();
    };
    events = [] { QCoreApplication::processEvents(); };
    busy = [] { return std::shared_ptr<void>(); };
    newDataObject = [] { return std::make_shared<clsDO>(); };

    cboCurrentConnectionType.Items = cboComparedConnectionType.Items = kConnectionTypes;
    cboCurrentDriver.Items = cboComparedDriver.Items = kDrivers;
    txtComparedPassword.Masked = true;
    mnuDataBase.Visible = mnuDatabaseShadow.Visible = false;

    tmrInitial.setObjectName(QStringLiteral("tmrInitial"));
    tmrInitial.setInterval(100);
    tmrEnd.setObjectName(QStringLiteral("tmrEnd"));
    tmrEnd.setInterval(300);
    tmrMenuDatabase.setObjectName(QStringLiteral("tmrMenuDatabase"));
    tmrMenuDatabase.setInterval(10);
    connect(&tmrInitial, &QTimer::timeout, this, &CompareController::tmrInitial_Timer);
    connect(&tmrEnd, &QTimer::timeout, this, &CompareController::tmrEnd_Timer);
    connect(&tmrMenuDatabase, &QTimer::timeout, this, &CompareController::tmrMenuDatabase_Timer);
}

CompareController::~CompareController() = default;

void CompareController::attach(WindowSink* window, ProgressSink* progress, GridSink* tables, GridSink* fields,
                               GridSink* indexes)
{
    window_ = window;
    progress_ = progress;
    tables_ = tables;
    fields_ = fields;
    indexes_ = indexes;
}

QList<PanelControl*> CompareController::controls()
{
    return {&BttCompare, &BttCompareDisabled, &BttFilter, &BttFilterDisabled, &BttSalir,
            &cboCurrentConnectionType, &cboCurrentDriver, &txtCurrentServidor, &txtCurrentBBDD, &txtCurrentUser,
            &cboComparedConnectionType, &cboComparedDriver, &lblServer, &txtComparedServidor, &BttDSN, &lblBBDD,
            &txtComparedBBDD, &BttAccessFileSelection, &lblUser, &txtComparedUser, &lblPassword,
            &txtComparedPassword, &chkPwdVisible, &mnuDataBase, &mnuDatabaseShadow, &chkEqual, &chkDifferent,
            &chkOnlyCurrent, &chkOnlyCompared};
}

template <class F>
bool CompareController::handle(const char* procedure, F&& body)
{
    return controls::trapHandler(MSG, kWindow, QString::fromLatin1(procedure), std::forward<F>(body));
}

void CompareController::changed()
{
    if (window_)
        window_->ControlsChanged();
}

void CompareController::setRunning(bool on)
{
    if (running_ == on)
        return;
    running_ = on;
    changed();
}

void CompareController::DoEvents()
{
    if (events)
        events();
}

std::shared_ptr<void> CompareController::Busy() { return busy ? busy() : nullptr; }

// --- placement, load, timers

void CompareController::setParentFormHeight(std::int32_t value)
{
    parentFormHeight_ = value;
    panelTop_ = panelTopFor(value);
    placePanel(panelLeft_);
}

void CompareController::placePanel(double left)
{
    panelLeft_ = left;
    if (progress_)
        progress_->placePanel(panelLeft_, panelTop_);
}

void CompareController::Form_Load()
{
    handle("Form_Load", [&] {
        if (window_)
            window_->Place(double(ParentFormTop) + 500, double(parentFormHeight_) - 1000);
        InitializeTableGrid();
        InitializeFieldsGrid();
        InitializeIndexesGrid();
        tmrInitial.start();
    });
}

void CompareController::tmrInitial_Timer()
{
    tmrInitial.stop();
    InitialLaunch();
}

void CompareController::pushCurrent()
{
    if (!Zolt)
        raise(Error::ObjectVariableNotSet, QStringLiteral("Object variable or With block variable not set"));
    Zolt->StartObject(Current.server, Current.database, Current.user, Current.password);
    const int type = cboCurrentConnectionType.ListIndex;
    Zolt->setSQLProvider(velmoraini::accessProvider(type));
    Zolt->setConnectionType(std::int16_t(type));
    Zolt->setUsedDriver(std::int16_t(cboCurrentDriver.ListIndex));
}

void CompareController::InitialLaunch()
{
    handle("InitialLaunch", [&] {
        FilterEqual = FilterDifferent = FilterOnlyCurrent = FilterOnlyCompared = true;
        BttCompareDisabled.Enabled = false;
        BttFilterDisabled.Enabled = false;
        cboCurrentConnectionType.ListIndex = Current.connectionType;
        cboCurrentDriver.ListIndex = Current.driver;
        txtCurrentServidor.Text = Current.server;
        txtCurrentBBDD.Text = Current.database;
        txtCurrentUser.Text = Current.user;
        ChangeConnectionType(currentRow());

        RunGuard guard(*this);
        guard.start();
        pushCurrent();
        QString s = Current.server, d = Current.database, u = Current.user, p = Current.password;
        curTables_ = Zolt->TableList(s, d, u, p);
        s = Current.server, d = Current.database, u = Current.user, p = Current.password;
        curViews_ = Zolt->ViewList(s, d, u, p);
        compTables_.reset();
        compViews_.reset();
        DoEvents();
        InitializeFieldsGrid();
        InitializeIndexesGrid();

        texts_ = RunTexts::translated(MSG.get());
        runPause_ = 0;
        CompareEngine engine(*this, MSG, texts_);
        const Side current{Zolt, Current.server, Current.database, Current.user, Current.password};
        const CollectionPtr merged = engine.GetTablesAndViews(current, curTables_, Side{}, nullptr, curViews_, nullptr);
        // A merge that stopped leaves an empty result and the grids as the merge left them.
        result_ = merged ? merged : newCollection();
        if (!cancel_ && merged)
            LoadTablesGrid(result_);
    });
}

void CompareController::BttCompare_MouseUp()
{
    handle("BttCompare_MouseUp", [&] {
        if (comparing_)
            return;
        RunGuard guard(*this);
        if (!ValidateAll(true) || cancel_)
            return;
        // The run keeps what it starts with: typing in the compared row while it
        // goes on makes a new object for the next run, not for this one.
        const Side compared{comparedDO_, compared_.server, compared_.database, compared_.user, compared_.password};
        runPause_ = pauseOverride ? *pauseOverride : pause_;
        guard.start();
        if (!compared.zolt)
            return;
        texts_ = RunTexts::translated(MSG.get());
        pushCurrent();

        QString s = compared.SRV, d = compared.BBDD, u = compared.UID, p = compared.PWD;
        compTables_ = compared.zolt->TableList(s, d, u, p);
        // A compared database that did not open is no empty database: its own
        // notice is all the user sees, and the last result stays.
        if (cancel_ || !compTables_ || compared.zolt->LastOpenFailed())
            return;
        s = compared.SRV, d = compared.BBDD, u = compared.UID, p = compared.PWD;
        compViews_ = compared.zolt->ViewList(s, d, u, p);
        if (cancel_ || !compViews_ || compared.zolt->LastOpenFailed())
            return;
        InitializeFieldsGrid();
        InitializeIndexesGrid();

        CompareEngine engine(*this, MSG, texts_);
        const Side current{Zolt, Current.server, Current.database, Current.user, Current.password};
        const CollectionPtr merged = engine.GetTablesAndViews(current, curTables_, compared, compTables_, curViews_, compViews_);
        result_ = merged ? merged : newCollection();
        if (!cancel_ && merged)
            LoadTablesGrid(result_);
    });
}

void CompareController::BttSalir_MouseUp()
{
    handle("BttSalir_MouseUp", [&] {
        if (comparing_) {
            cancel_ = true;
            tmrEnd.start();
            return;
        }
        if (window_)
            window_->Hide();
    });
}

void CompareController::tmrEnd_Timer()
{
    controls::ignoreErrors([&] {
        if (comparing_)
            return;
        tmrEnd.stop();
        tmrInitial.stop();
        tmrMenuDatabase.stop();
        if (window_)
            window_->Hide();
    });
}

void CompareController::Form_KeyDown(int keyCode)
{
    controls::ignoreErrors([&] {
        if (keyCode == 27 && mnuDataBase.Visible) {
            escSwallow_ = true;
            MenuClose();
        }
    });
}

int CompareController::Form_KeyPress(int keyAscii)
{
    handle("Form_KeyPress", [&] {
        if (escSwallow_) {
            escSwallow_ = false;
            keyAscii = 0;
            return;
        }
        if (keyAscii == 27 && !comparing_ && window_)
            window_->Hide();
    });
    return keyAscii;
}

void CompareController::Form_Resize()
{
    controls::ignoreErrors([&] {
        if (!window_)
            return;
        BttSalir.Left = window_->Width() - BttSalir.Width - BttCompare.Left - measures.frameWidth;
        changed();
        const double height = window_->Height() - measures.captionHeight - 2 * measures.frameHeight - GridTop;
        // A window too short for a grid leaves the grids as they are.
        if (height <= 0 || !tables_ || !fields_ || !indexes_)
            return;
        tables_->setHeight(int(height));
        if (height / 240 > tables_->Rows())
            tables_->setRows(int(ValueText::roundHalfEven(height / 240)));
        for (GridSink* g : {fields_, indexes_}) {
            g->setHeight(int(height));
            if (g->Rows() < tables_->Rows())
                g->setRows(tables_->Rows());
        }
    });
}

void CompareController::Form_Unload()
{
    SCR.reset();
    MSG.reset();
    Zolt.reset();
    comparedDO_.reset();
    curTables_.reset();
    curViews_.reset();
    compTables_.reset();
    compViews_.reset();
}

// --- progress

void CompareController::StartSteps(std::int32_t total)
{
    stepTotal_ = total;
    stepCounter_ = 0;
}

bool CompareController::ShowProgress(Line line, const QString& name, std::int32_t subTotal, std::int32_t subStep, bool main)
{
    if (cancel_)
        return false;
    if (!window_ || !window_->IsVisible())
        return true;
    if (main) {
        ++stepCounter_;
        if (progress_)
            progress_->setMainText(texts_.line(line, name, stepCounter_, stepTotal_));
        DoEvents();
        if (progress_)
            progress_->setMainValue(percentOf(stepCounter_, stepTotal_));
        DoEvents();
        return true;
    }
    if (progress_)
        progress_->setSubText(texts_.line(line, name, subStep, subTotal));
    DoEvents();
    if (progress_)
        progress_->setSubValue(percentOf(subStep, subTotal));
    Wait(runPause_, QStringLiteral("milliseconds"));
    return true;
}

void CompareController::ShowProgressPanel()
{
    if (window_ && window_->IsVisible() && panelLeft_ < 0)
        placePanel((window_->Width() - PanelWidth) / 2);
}

void CompareController::HideProgressPanel()
{
    placePanel(-2 * PanelWidth);
    DoEvents();
}

void CompareController::Wait(double duration, const QString& unit)
{
    controls::ignoreErrors([&] {
        double ms = 0;
        if (unit == QLatin1String("milliseconds"))
            ms = duration;
        else if (unit == QLatin1String("seconds"))
            ms = duration * 1000;
        else
            return;
        const qint64 start = clock();
        for (qint64 elapsed = 0; elapsed < ms; elapsed = clock() - start)
            waiter(int(std::ceil(ms - double(elapsed))));
    });
}

// --- the connection rows

CompareController::Row CompareController::currentRow()
{
    return {&cboCurrentConnectionType, &cboCurrentDriver, &txtCurrentServidor, &txtCurrentBBDD, &txtCurrentUser,
            nullptr, false, nullptr, nullptr, nullptr, nullptr};
}

CompareController::Row CompareController::comparedRow()
{
    return {&cboComparedConnectionType, &cboComparedDriver, &txtComparedServidor, &txtComparedBBDD, &txtComparedUser,
            &txtComparedPassword, true, &lblServer, &lblBBDD, &lblUser, &lblPassword};
}

void CompareController::ChangeConnectionType(const Row& r)
{
    handle("ChangeConnectionType", [&] {
        comparedProvider_.clear();
        const int type = r.type->ListIndex;
        if (r.compared && (type == 1 || type == 2))
            comparedProvider_ = velmoraini::accessProvider(type);
        // The same rule as the query page's panel, over this window's columns.
        const panellayout::Panel p = panellayout::panel(type, r.driver->ListIndex, kRowColumns);
        if (p.laidOut) {
            r.driver->ListIndex = p.driverIndex;
            r.driver->Enabled = p.driverEnabled;
            // A box and, on the compared row, its caption above it.
            auto put = [&](PanelControl* box, PanelControl* caption, const panellayout::Box& b, bool emptied) {
                box->Left = b.left;
                box->Visible = b.visible;
                if (emptied)
                    box->Text.clear();
                if (r.compared && caption) {
                    caption->Left = b.left;
                    caption->Visible = b.visible;
                }
            };
            put(r.server, r.lS, p.server, p.clearServer);
            put(r.database, r.lD, p.database, p.clearDatabase);
            r.database->Width = p.database.width;
            put(r.user, r.lU, p.user, p.clearUser);
            if (r.compared) {
                put(&BttDSN, nullptr, p.dsn, false);
                put(&BttAccessFileSelection, nullptr, p.accessPicker, false);
            }
            if (r.password) {
                put(r.password, r.lP, p.password, p.clearPassword);
                put(&chkPwdVisible, nullptr, p.visibleCheck, false);
            }
        }
        PrepareComparedConnection(r.compared);
    });
    changed();
}

bool CompareController::blank(PanelControl& box, const QString& description, bool withMessages)
{
    if (box.text() != QString())
        return true;
    if (withMessages) {
        if (SCR)
            return SCR->EvitarBlancos(&box, QString(), description);
        if (MSG)
            MSG->MsgBox(description + QStringLiteral(" no puede estar en blanco"), 64, QStringLiteral("Aviso"));
    }
    return false;
}

bool CompareController::refuse(const QString& message, bool withMessages)
{
    if (withMessages && MSG)
        MSG->MsgBox(message, 64, kTitle);
    return false;
}

bool CompareController::ValidateAll(bool withMessages)
{
    bool valid = false;
    handle("ValidateAll", [&] {
        const QString server = txtComparedServidor.text();
        const QString database = txtComparedBBDD.text();
        auto serverChecks = [&](const QString& engine) {
            const QString with = QStringLiteral("Con una conexión ") + engine;
            const QString path = with + QStringLiteral(" la caja de texto de la base de datos no puede contener una ruta a un "
                                                       "fichero con extensión ");
            return blank(txtComparedServidor, with + QStringLiteral(" el nombre del servidor"), withMessages) &&
                   blank(txtComparedBBDD, with + QStringLiteral(" el nombre de base de datos"), withMessages) &&
                   (!database.right(4).toLower().endsWith(QLatin1String(".mdb")) ||
                    refuse(path + QStringLiteral(".mdb"), withMessages)) &&
                   (!database.right(6).toLower().endsWith(QLatin1String(".accdb")) ||
                    refuse(path + QStringLiteral(".accdb"), withMessages)) &&
                   blank(txtComparedUser, with + QStringLiteral(" el usuario"), withMessages) &&
                   blank(txtComparedPassword, with + QStringLiteral(" la contraseña"), withMessages);
        };
        // A database file: an absolute path ending in the extension, naming an
        // existing regular file (no wildcard is expanded).
        auto accessChecks = [&](const QString& extension) {
            const QString full = QStringLiteral("Con una conexión Access la caja de texto de la base de datos debe "
                                                "contener la ruta completa a un fichero con extensión ") +
                                 extension;
            return blank(txtComparedBBDD, QStringLiteral("Con una conexión Access el nombre de base de datos"), withMessages) &&
                   ((QFileInfo(database).isAbsolute() && database.toLower().endsWith(extension)) ||
                    refuse(full, withMessages)) &&
                   (QFileInfo(database).isFile() ||
                    refuse(QStringLiteral("No se encuentra el fichero de base de datos especificado."), withMessages));
        };
        bool checks = true;
        switch (cboComparedConnectionType.ListIndex) {
        case -1:
            checks = withMessages && blank(cboComparedConnectionType, QStringLiteral("El tipo de conexión"), true);
            break;
        case 0: checks = serverChecks(QStringLiteral("SQL Server")); break;
        case 1: checks = accessChecks(QStringLiteral(".mdb")); break;
        case 2: checks = accessChecks(QStringLiteral(".accdb")); break;
        case 3:
            switch (cboComparedDriver.ListIndex) {
            case -1:
                checks = withMessages &&
                         blank(cboComparedDriver, QStringLiteral("El driver utilizado por el motor de base de datos"), true);
                break;
            case 0: checks = serverChecks(QStringLiteral("SQL Server")); break;
            case 1:
                checks = blank(txtComparedServidor,
                               QStringLiteral("Con una conexión de tipo ODBC el nombre de la DSN u Origen de Datos"),
                               withMessages);
                break;
            case 2: checks = serverChecks(QStringLiteral("Oracle")); break;
            default: break;
            }
            break;
        default: break;
        }
        if (!checks)
            return;
        if (!withMessages) {
            valid = true;
            return;
        }
        compared_.server = txtComparedServidor.text();
        compared_.database = database;
        compared_.user = txtComparedUser.text();
        compared_.password = txtComparedPassword.text();
        if (compared_.server == Current.server && compared_.database == Current.database && compared_.user == Current.user &&
            compared_.password == Current.password && MSG &&
            MSG->MsgBox(QStringLiteral("Si compara una base de datos consigo misma, obviamente todos los resultados serán "
                                       "idénticos. No obstante, si lo desea podemos seguir adelante.\r\n\r\n¿Desea realizar "
                                       "la comparación?"),
                        36, kTitle) == 7)
            return;
        valid = true;
    });
    return valid;
}

void CompareController::PrepareComparedConnection(bool create)
{
    const bool valid = ValidateAll(false);
    BttCompare.Visible = BttFilter.Visible = valid;
    BttCompareDisabled.Visible = BttFilterDisabled.Visible = !valid;
    if (!valid || !create) {
        comparedDO_.reset();
        changed();
        return;
    }
    comparedDO_ = newDataObject();
    pause_ = pauseFor(cboCurrentDriver.ListIndex, cboComparedDriver.ListIndex);
    comparedDO_->StartObject(txtComparedServidor.text(), txtComparedBBDD.text(), txtComparedUser.text(),
                             txtComparedPassword.text());
    comparedDO_->setSQLProvider(comparedProvider_);
    comparedDO_->setConnectionType(std::int16_t(cboComparedConnectionType.ListIndex));
    comparedDO_->setUsedDriver(std::int16_t(cboComparedDriver.ListIndex));
    changed();
}

void CompareController::cboComparedConnectionType_Click()
{
    handle("cboConnectionType_Click", [&] { ChangeConnectionType(comparedRow()); });
}

void CompareController::cboComparedDriver_Click()
{
    handle("cboDriver_Click", [&] { ChangeConnectionType(comparedRow()); });
}

void CompareController::txtCompared_Change()
{
    // No handler of its own: the caller's reports.
    PrepareComparedConnection(true);
}

void CompareController::chkPwdVisible_Click()
{
    handle("chkPwdVisible_Click", [&] {
        txtComparedPassword.Masked = chkPwdVisible.Value != 1;
        changed();
    });
}

void CompareController::BttDSN_MouseUp()
{
    handle("BttDSN_MouseUp", [&] {
        if (cboComparedDriver.text().isEmpty()) {
            if (MSG)
                MSG->MsgBox(QStringLiteral("Debe seleccionar el Driver a utilizar por el Origen de Datos"), 64, kTitle);
            return;
        }
        if (!chooseDsn)
            return;
        const std::optional<QString> dsn = chooseDsn(cboComparedDriver.text());
        if (!dsn)
            return;
        txtComparedServidor.Text = *dsn;
        txtCompared_Change();
    });
}

void CompareController::BttAccessFileSelection_MouseUp()
{
    handle("BttAccessFileSelection_MouseUp", [&] {
        QString filter;
        switch (cboComparedConnectionType.ListIndex) {
        case 1: filter = QStringLiteral("Access Clásico (*.mdb)|*.mdb"); break;
        case 2: filter = QStringLiteral("Access Actual (*.accdb)|*.accdb"); break;
        default: return;
        }
        if (!openFile)
            return;
        const QString file = openFile(filter);
        if (file.isEmpty())
            return;
        txtComparedBBDD.Text = file;
        txtCompared_Change();
    });
}

// --- grids

int CompareController::grow(GridSink& grid, int n)
{
    if (grid.Rows() < n + 1)
        grid.setRows(n + 1);
    return n + 1;
}

void CompareController::initializeGrid(GridSink* grid, int cols, const QList<int>& widths)
{
    if (!grid)
        return;
    controls::RedrawGuard redraw([grid](bool on) { grid->setRedraw(on); });
    grid->setCols(cols);
    grid->setRows(1);
    grid->setRows(fillerRows(grid->Height()));
    for (int c = 0; c < widths.size(); ++c)
        grid->setColWidth(c, widths.at(c));
}

void CompareController::InitializeTableGrid()
{
    handle("InitializeTableGrid", [&] {
        if (tables_)
            initializeGrid(tables_, 4, {0, tables_->Width() - 1600, 700, 660});
    });
}

void CompareController::InitializeFieldsGrid()
{
    if (fields_)
        initializeGrid(fields_, 4, {0, 2000, 500, fields_->Width() - 2500});
}

void CompareController::InitializeIndexesGrid()
{
    if (indexes_)
        initializeGrid(indexes_, 5, {0, 2300, 700, 500, indexes_->Width() - 3500});
}

bool CompareController::Passes(const QString& state) const
{
    if (state == StateEqual)
        return FilterEqual;
    if (state == StateDifferent)
        return FilterDifferent;
    if (state == StateOnlyCurrent)
        return FilterOnlyCurrent;
    if (state == StateOnlyCompared)
        return FilterOnlyCompared;
    return state == StateNone;
}

namespace {
std::optional<GridSink::Picture> statePicture(const QString& state)
{
    if (state == StateEqual)
        return GridSink::Picture::Equal;
    if (state == StateDifferent)
        return GridSink::Picture::Different;
    if (state == StateOnlyCurrent)
        return GridSink::Picture::OnlyCurrent;
    if (state == StateOnlyCompared)
        return GridSink::Picture::OnlyCompared;
    return std::nullopt;
}

CollectionPtr recordAt(const Collection& c, int i)
{
    auto r = c[i].as<Collection>();
    if (!r)
        raise(Error::ObjectVariableNotSet, QStringLiteral("Object variable or With block variable not set"));
    return r;
}
} // namespace

void CompareController::placePicture(GridSink& grid, int row, int col, GridSink::Picture picture, int alignment)
{
    grid.setCol(col);
    grid.setRow(row);
    grid.setCellPicture(picture);
    grid.setCellPictureAlignment(alignment);
}

void CompareController::LoadTablesGrid(const CollectionPtr& records)
{
    handle("LoadTablesGrid", [&] {
        if (!tables_)
            return;
        if (!records)
            raise(Error::ObjectVariableNotSet, QStringLiteral("Object variable or With block variable not set"));
        // Whatever way the fill ends, the grid draws again and its row changes count again.
        loading_ = true;
        std::shared_ptr<void> loaded(nullptr, [this](void*) { loading_ = false; });
        InitializeTableGrid();
        InitializeFieldsGrid();
        InitializeIndexesGrid();
        controls::RedrawGuard redraw([this](bool on) { tables_->setRedraw(on); });
        int n = 0;
        for (int i = 1; i <= records->Count(); ++i) {
            const auto r = recordAt(*records, i);
            const QString state = textItem(*r, QStringLiteral("TableIconName"));
            if (!Passes(state))
                continue;
            n = grow(*tables_, n);
            tables_->setTextMatrix(n, 0, state);
            tables_->setTextMatrix(n, 1, textItem(*r, QStringLiteral("TableName")));
            tables_->setTextMatrix(n, 2, textItem(*r, QStringLiteral("TableType")));
            if (const auto picture = statePicture(state))
                placePicture(*tables_, n, 3, *picture, 4);
        }
        if (tables_->Rows() > 1) {
            tables_->setRow(1);
            tables_->setCol(0);
            tables_->setColSel(3);
            ShowTableDetails(1);
        }
    });
}

void CompareController::ShowTableDetails(int row)
{
    const QString name = tables_->TextMatrix(row, 1);
    if (name.isEmpty())
        return;
    const bool table = tables_->TextMatrix(row, 2) == texts_.table;
    const auto r = result_->Item(Variant(RecordKey(table ? Kind::Table : Kind::View, name))).as<Collection>();
    if (!r)
        raise(Error::ObjectVariableNotSet, QStringLiteral("Object variable or With block variable not set"));
    LoadFieldsGrid(sub(*r, QStringLiteral("Fields")));
    if (table)
        LoadIndexesGrid(sub(*r, QStringLiteral("Indexes")));
    else
        InitializeIndexesGrid();
}

void CompareController::LoadFieldsGrid(const CollectionPtr& fields)
{
    handle("LoadFieldsGrid", [&] {
        if (!fields_)
            return;
        InitializeFieldsGrid();
        if (!fields)
            raise(Error::ObjectVariableNotSet, QStringLiteral("Object variable or With block variable not set"));
        controls::RedrawGuard redraw([this](bool on) { fields_->setRedraw(on); });
        int n = 0;
        for (int i = 1; i <= fields->Count(); ++i) {
            const auto f = recordAt(*fields, i);
            const QString state = textItem(*f, QStringLiteral("FieldIconName"));
            if (!Passes(state))
                continue;
            n = grow(*fields_, n);
            fields_->setTextMatrix(n, 0, state);
            fields_->setTextMatrix(n, 1, textItem(*f, QStringLiteral("FieldName")));
            fields_->setTextMatrix(n, 3, textItem(*f, QStringLiteral("FieldDifferences")));
            if (const auto picture = statePicture(state))
                placePicture(*fields_, n, 2, *picture, 4);
        }
    });
}

bool CompareController::IsAnyIndexFieldVisible(const Collection& indexFields) const
{
    for (int k = 1; k <= indexFields.Count(); ++k)
        if (Passes(textItem(*recordAt(indexFields, k), QStringLiteral("IndexFieldIconName"))))
            return true;
    return false;
}

void CompareController::LoadIndexesGrid(const CollectionPtr& indexes)
{
    handle("LoadIndexesGrid", [&] {
        if (!indexes_)
            return;
        InitializeIndexesGrid();
        if (!indexes)
            raise(Error::ObjectVariableNotSet, QStringLiteral("Object variable or With block variable not set"));
        GridSink& g = *indexes_;
        controls::RedrawGuard redraw([&g](bool on) { g.setRedraw(on); });
        int n = 0;
        for (int i = 1; i <= indexes->Count(); ++i) {
            const auto index = recordAt(*indexes, i);
            const QString state = textItem(*index, QStringLiteral("IndexIconName"));
            const auto columns = sub(*index, QStringLiteral("IndexFields"));
            if (!columns)
                raise(Error::ObjectVariableNotSet, QStringLiteral("Object variable or With block variable not set"));
            const bool indexPasses = Passes(state);
            const bool fieldsPass = IsAnyIndexFieldVisible(*columns);
            if (!indexPasses && !fieldsPass)
                continue;
            n = grow(g, n);
            g.setTextMatrix(n, 0, state);
            g.setTextMatrix(n, 1, textItem(*index, QStringLiteral("IndexName")));
            g.setTextMatrix(n, 2, QStringLiteral("Indice"));
            g.setTextMatrix(n, 4, textItem(*index, QStringLiteral("IndexDifferences")));
            if (const auto picture = statePicture(state))
                placePicture(g, n, 3, *picture, 4);
            if (fieldsPass) {
                const int m = columns->Count();
                for (int k = 1; k <= m; ++k) {
                    const auto f = recordAt(*columns, k);
                    const QString fieldState = textItem(*f, QStringLiteral("IndexFieldIconName"));
                    if (!Passes(fieldState))
                        continue;
                    n = grow(g, n);
                    g.setTextMatrix(n, 0, fieldState);
                    g.setTextMatrix(n, 1, QString(20, u' ') + textItem(*f, QStringLiteral("IndexFieldName")));
                    g.setTextMatrix(n, 2, QStringLiteral("Campo"));
                    g.setTextMatrix(n, 4, textItem(*f, QStringLiteral("IndexFieldDifferences")));
                    if (const auto picture = statePicture(fieldState))
                        placePicture(g, n, 3, *picture, 4);
                    placePicture(g, n, 1, k == m ? GridSink::Picture::LastIndexField : GridSink::Picture::MidIndexField, 1);
                }
            }
            n = grow(g, n);
        }
    });
}

void CompareController::fgrTables_EnterCell()
{
    handle("fgrTables_EnterCell", [&] {
        if (!loading_ && tables_ && tables_->Rows() >= 2 && tables_->Row() >= 1)
            ShowTableDetails(tables_->Row());
    });
}

// --- filter menu

void CompareController::BttFilter_MouseUp()
{
    handle("BttFilter_MouseUp", [&] {
        chkEqual.Value = FilterEqual ? 1 : 0;
        chkDifferent.Value = FilterDifferent ? 1 : 0;
        chkOnlyCurrent.Value = FilterOnlyCurrent ? 1 : 0;
        chkOnlyCompared.Value = FilterOnlyCompared ? 1 : 0;
        mnuDataBase.Height = 600;
        mnuDatabaseShadow.Height = 545;
        mnuDataBase.Visible = mnuDatabaseShadow.Visible = true;
        tmrMenuDatabase.start();
        changed();
    });
}

void CompareController::tmrMenuDatabase_Timer()
{
    controls::ignoreErrors([&] {
        if (mnuDataBase.Height < 1800) {
            mnuDataBase.Height += 600;
            mnuDatabaseShadow.Height += 600;
        } else {
            tmrMenuDatabase.stop();
            mnuDataBase.Height = 1800;
            mnuDatabaseShadow.Height = 1745;
        }
        changed();
    });
}

void CompareController::chkFilter_Click(PanelControl& box)
{
    const bool on = box.Value == 1;
    if (&box == &chkEqual)
        FilterEqual = on;
    else if (&box == &chkDifferent)
        FilterDifferent = on;
    else if (&box == &chkOnlyCurrent)
        FilterOnlyCurrent = on;
    else if (&box == &chkOnlyCompared)
        FilterOnlyCompared = on;
}

void CompareController::MenuClose()
{
    handle("MenuClose", [&] {
        mnuDataBase.Visible = mnuDatabaseShadow.Visible = false;
        tmrMenuDatabase.stop();
        changed();
        LoadTablesGrid(result_);
    });
}

void CompareController::BttCloseMenuDatabase_MouseUp()
{
    handle("BttCloseMenuDatabase_MouseUp", [&] { MenuClose(); });
}

} // namespace compare
