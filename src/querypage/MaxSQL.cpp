// The page's frame: its controls, the layout on resize, the splitter, the
// connection panel with its pickers and password clock, the simple
// properties, the start step and the toolbar's enabling.
#include "querypage/MaxSQL.h"

#include "controls/ControlSupport.h"
#include "controls/clsCommonDialog.h"
#include "core/Dialogs.h"
#include "core/Error.h"
#include "core/ProgramFolder.h"
#include "core/Screen.h"
#include "core/VelmoraIni.h"
#include "data/clsDO.h"
#include "messages/clsError.h"
#include "querypage/PageLayout.h"
#include "controls/PushButton.h"
#include "querypage/TabHistoryFile.h"
#include "querypage/modCommons.h"
#include "services/clsTablas.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <limits>

namespace {

using namespace pagelayout;

} // namespace

ClockFace::ClockFace(QWidget* parent) : QWidget(parent) {}

void ClockFace::paintEvent(QPaintEvent*)
{
    // Spokes around (210, 225) twips, clockwise from the top.
    static const int spokes[6][4] = {{210, 30, 210, 135},  {270, 180, 390, 120}, {270, 270, 390, 330},
                                     {210, 330, 210, 435}, {150, 270, 30, 330},  {150, 180, 30, 120}};
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(controls::resolveColor(0x80000010), 2)); // button shadow
    for (int i = 0; i < 6; ++i)
        if (lines[std::size_t(i)])
            p.drawLine(Screen::pixelsFromTwips(spokes[i][0]), Screen::pixelsFromTwips(spokes[i][1]),
                       Screen::pixelsFromTwips(spokes[i][2]), Screen::pixelsFromTwips(spokes[i][3]));
}

MaxSQL::MaxSQL(QWidget* parent) : QWidget(parent), dialogs_(PageDialogs::defaults())
{
    setObjectName(QStringLiteral("MaxSQL"));
    createControls();
    LayoutTwips(PageWidth, PageHeight);
}

MaxSQL::~MaxSQL() = default;

void MaxSQL::createControls()
{
    QStyle* st = style();
    auto picture = [st](QStyle::StandardPixmap sp) { return st->standardIcon(sp).pixmap(24, 24); };
    auto grey = [](const QPixmap& p) { return QIcon(p).pixmap(24, 24, QIcon::Disabled); };
    const std::tuple<QPixmap*, QPixmap*, QStyle::StandardPixmap> pictures[] = {
        {&imgFlechaIzda, &imgFlechaIzdaGris, QStyle::SP_ArrowLeft},
        {&imgFlechaDcha, &imgFlechaDchaGris, QStyle::SP_ArrowRight},
        {&imgKey, &ImgKeyGris, QStyle::SP_DialogApplyButton},
        {&imgAdd, &imgAddGrey, QStyle::SP_FileIcon},
        {&imgDelete, &imgDeleteGrey, QStyle::SP_TrashIcon},
        {&imgConfirm, &imgConfirmGrey, QStyle::SP_DialogSaveButton},
        {&imgCompact, &imgCompactGris, QStyle::SP_DriveHDIcon}};
    for (const auto& [enabled, greyed, sp] : pictures) {
        *enabled = picture(sp);
        *greyed = grey(*enabled);
    }

    struct ButtonDef {
        PushButton** slot;
        const char* name;
        const char* caption;
        int left;
        int width;
        QPixmap pic;
        QPixmap greyPic;
        void (MaxSQL::*handler)(int, int, float, float);
    };
    const ButtonDef defs[] = {
        {&BttDataBase, "BttDataBase", "Base Datos", 60, 945, picture(QStyle::SP_DriveHDIcon), {}, &MaxSQL::BttDataBase_MouseUp},
        {&BttKey, "BttKey", "Clave", 1020, 795, imgKey, ImgKeyGris, &MaxSQL::BttKey_MouseUp},
        {&BttClean, "BttClean", "Limpiar", 1980, 795, picture(QStyle::SP_DialogResetButton), {}, &MaxSQL::BttClean_MouseUp},
        {&BttComment, "BttComment", "Comentar", 2790, 795, picture(QStyle::SP_FileDialogContentsView), {}, &MaxSQL::BttComment_MouseUp},
        {&BttUncomment, "BttUncomment", "Habilitar", 3600, 795, picture(QStyle::SP_FileDialogListView), {}, &MaxSQL::BttUncomment_MouseUp},
        {&BttPreviousQuery, "BttPreviousQuery", "Anterior", 4410, 795, imgFlechaIzda, imgFlechaIzdaGris, &MaxSQL::BttPreviousQuery_MouseUp},
        {&BttNextQuery, "BttNextQuery", "Siguiente", 5220, 795, imgFlechaDcha, imgFlechaDchaGris, &MaxSQL::BttNextQuery_MouseUp},
        {&BttExecute, "BttExecute", "Ejecutar", 6180, 795, picture(QStyle::SP_MediaPlay), {}, &MaxSQL::BttExecute_MouseUp},
        {&BttAdd, "BttAdd", "Añadir", 7140, 795, imgAdd, imgAddGrey, &MaxSQL::BttAdd_MouseUp},
        {&BttDelete, "BttDelete", "Quitar", 7950, 795, imgDelete, imgDeleteGrey, &MaxSQL::BttDelete_MouseUp},
        {&BttConfirm, "BttConfirm", "Confirmar", 8760, 795, imgConfirm, imgConfirmGrey, &MaxSQL::BttConfirm_MouseUp},
        {&BttExport, "BttExport", "Exportar", 9720, 795, picture(QStyle::SP_ArrowUp), {}, &MaxSQL::BttExport_MouseUp},
        {&BttAutoSize, "BttAutoSize", "Ajustar", 12090, 795, picture(QStyle::SP_TitleBarMaxButton), {}, &MaxSQL::BttAutoSize_MouseUp},
        {&BttEditor, "BttEditor", "Editor", 12900, 795, picture(QStyle::SP_FileDialogDetailedView), {}, &MaxSQL::BttEditor_MouseUp},
        {&BttSettings, "BttSettings", "Opciones", 13890, 795, picture(QStyle::SP_ComputerIcon), {}, &MaxSQL::BttSettings_MouseUp},
        {&BttHelp, "BttHelp", "Ayuda", 14700, 795, picture(QStyle::SP_DialogHelpButton), {}, &MaxSQL::BttHelp_MouseUp},
        {&BttExit, "BttExit", "Salir", 15510, 795, picture(QStyle::SP_DialogCloseButton), {}, &MaxSQL::BttExit_MouseUp},
    };
    for (const ButtonDef& d : defs) {
        auto* b = new PushButton(QString::fromLatin1(d.name), QString::fromUtf8(d.caption), this);
        b->setPictures(d.pic, d.greyPic);
        *d.slot = b;
        place(b, d.left, ButtonTop, d.width, ButtonHeight);
        connectButton(b, d.handler);
    }

    TabReservedSpace = new QWidget(this);
    TabReservedSpace->setObjectName(QStringLiteral("TabReservedSpace"));
    place(TabReservedSpace, 0, 900, 16365, 345);
    createConnectionPanel();
    createResultArea();
}

// The connection panel: type, driver, server or data source, database with
// its picker, user, password with its visibility box and countdown clock.
void MaxSQL::createConnectionPanel()
{

    auto label = [this](const char* name, const char* caption, int left, int width) {
        auto* l = new QLabel(QString::fromUtf8(caption), this);
        l->setObjectName(QString::fromLatin1(name));
        place(l, left, PanelLabelTop, width, 195);
        return l;
    };
    Label1 = label("Label1", "Tipo", 120, 1300);
    Label4 = label("Label4", "Driver", 1530, 1000);
    lblServidor = label("lblServidor", "Servidor", 2700, 2000);
    lblBBDD = label("lblBBDD", "BBDD", 4770, 1500);
    lblUser = label("lblUser", "Usuario", 9390, 1500);
    lblPassword = label("lblPassword", "Pwd", 11220, PasswordLabelWidth);

    cboConnectionType = new QComboBox(this);
    cboConnectionType->setObjectName(QStringLiteral("cboConnectionType"));
    cboConnectionType->addItems({QStringLiteral("SQL Server"), QStringLiteral("Access.mdb"),
                                 QStringLiteral("Access.accdb"), QStringLiteral("Fuente ODBC")});
    place(cboConnectionType, 90, PanelTop, 1395, PanelHeight);
    cboDriver = new QComboBox(this);
    cboDriver->setObjectName(QStringLiteral("cboDriver"));
    cboDriver->addItems({QStringLiteral("SQL Server"), QStringLiteral("Access"), QStringLiteral("Oracle")});
    place(cboDriver, 1500, PanelTop, 1125, PanelHeight);
    connect(cboConnectionType, &QComboBox::currentIndexChanged, this, [this] { cboConnectionType_Click(); });
    connect(cboDriver, &QComboBox::currentIndexChanged, this, [this] { cboDriver_Click(); });

    auto line = [this](const char* name, int left, int width) {
        auto* e = new QLineEdit(this);
        e->setObjectName(QString::fromLatin1(name));
        place(e, left, PanelTop, width, PanelHeight);
        return e;
    };
    txtServidor = line("txtServidor", 2640, ServerWidth);
    txtBBDD = line("txtBBDD", 4770, 4245);
    txtUser = line("txtUser", 9360, UserWidth);
    txtPassword = line("txtPassword", 11190, PasswordWidth);
    txtPassword->setEchoMode(QLineEdit::Password);
    BttDSN = new PushButton(QStringLiteral("BttDSN"), QStringLiteral("..."), this);
    BttDSN->setToolButtonStyle(Qt::ToolButtonTextOnly);
    place(BttDSN, 4770, PanelTop, PickerWidth, PanelHeight);
    connectButton(BttDSN, &MaxSQL::BttDSN_MouseUp);
    BttAccessFileSelection = new PushButton(QStringLiteral("BttAccessFileSelection"), QStringLiteral("..."), this);
    BttAccessFileSelection->setToolButtonStyle(Qt::ToolButtonTextOnly);
    place(BttAccessFileSelection, 9030, PanelTop, PickerWidth, PanelHeight);
    connectButton(BttAccessFileSelection, &MaxSQL::BttAccessFileSelection_MouseUp);

    chkPwdVisible = new QCheckBox(QStringLiteral("Visible"), this);
    chkPwdVisible->setObjectName(QStringLiteral("chkPwdVisible"));
    place(chkPwdVisible, 11670, PanelLabelTop, 825, 195);
    connect(chkPwdVisible, &QCheckBox::stateChanged, this, [this] { chkPwdVisible_Click(); });

    Clocky = new ClockFace(this);
    Clocky->setObjectName(QStringLiteral("Clocky"));
    place(Clocky, 12570, PanelLabelTop, 435, 465);
    Clocky->hide();
    tmrVisiblePassword = new QTimer(this);
    tmrVisiblePassword->setObjectName(QStringLiteral("tmrVisiblePassword"));
    onTick(tmrVisiblePassword, &MaxSQL::tmrVisiblePassword_Timer);

}

// The SQL box with its caption, the splitter, the result grid with its
// paging bar, the status line and the idle timer of the edit check.
void MaxSQL::createResultArea()
{
    txtSQL = new QLineEdit(QStringLiteral("Sentencia SQL (última consulta)"), this);
    txtSQL->setObjectName(QStringLiteral("txtSQL"));
    txtSQL->setReadOnly(true);
    txtSQL->setFrame(false);
    place(txtSQL, 120, 1980, 3915, 195);

    auto sqlBox = [this](const char* name) {
        auto* t = new QPlainTextEdit(this);
        t->setObjectName(QString::fromLatin1(name));
        QFont f(QStringLiteral("Courier New"));
        f.setStyleHint(QFont::Monospace);
        t->setFont(f);
        t->setLineWrapMode(QPlainTextEdit::NoWrap);
        place(t, SqlLeft, SqlTop, 10245, 1335);
        return t;
    };
    txtTabla = sqlBox("txtTabla");
    // Keywords colour as they are typed; comment pieces follow at the next HighlightKeywords.
    modCommons::highlighterOf(txtTabla);
    connect(txtTabla, &QPlainTextEdit::textChanged, this, [this] { txtTabla_Change(); });

    Splitter = new QWidget(this);
    Splitter->setObjectName(QStringLiteral("Splitter"));
    Splitter->setCursor(Qt::SizeVerCursor);
    Splitter->installEventFilter(this);

    // Results have no fixed column; the page adds rows itself, the grid never grows on its own.
    flexi_ = new MaxGrid(this);
    flexi_->setObjectName(QStringLiteral("Flexi"));
    flexi_->setFixedCols(0);
    flexi_->setAutomaticGrowing(false);
    connectGrid();

    OnDemandElevator = new QScrollBar(Qt::Vertical, this);
    OnDemandElevator->setObjectName(QStringLiteral("OnDemandElevator"));
    OnDemandElevator->hide();
    connect(OnDemandElevator, &QScrollBar::actionTriggered, this, [this](int action) { OnDemandElevator_Change(action); });

    Picture1 = new QWidget(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Label2 = new QLabel(Picture1);
    Label2->setObjectName(QStringLiteral("Label2"));
    controls::setTwipsGeometry(Label2, 30, 30, 8745, 225);

    tmrFetch = new QTimer(this);
    onTick(tmrFetch, &MaxSQL::tmrFetch_Timer);
    tmrCheckEditable = new QTimer(this);
    tmrCheckEditable->setObjectName(QStringLiteral("tmrCheckEditable"));
    tmrCheckEditable->setInterval(300);
    onTick(tmrCheckEditable, &MaxSQL::tmrCheckEditable_Timer);
}

void MaxSQL::onTick(QTimer* timer, void (MaxSQL::*tick)())
{
    connect(timer, &QTimer::timeout, this, [this, tick] {
        if (!ctl_.StepsOnRequest)
            (this->*tick)();
    });
}

void MaxSQL::connectButton(PushButton* b, void (MaxSQL::*handler)(int, int, float, float))
{
    connect(b, &PushButton::mouseUp, this, [this, handler](int button, int shift, float x, float y) {
        (this->*handler)(button, shift, x, y);
    });
}

void MaxSQL::place(QWidget* w, int left, int top, int width, int height)
{
    twips_[w] = QRect(left, top, width, height);
    controls::setTwipsGeometry(w, left, top, width, height);
}

void MaxSQL::placeLeft(QWidget* w, int left)
{
    const QRect r = twips_.value(w);
    place(w, left, r.top(), r.width(), r.height());
}

QRect MaxSQL::TwipsBox(const QString& controlName) const
{
    for (auto it = twips_.cbegin(); it != twips_.cend(); ++it)
        if (it.key()->objectName() == controlName)
            return it.value();
    return {};
}

bool MaxSQL::guarded(const char* procedure, const std::function<void()>& body)
{
    return controls::trapHandler(errorObject_, QStringLiteral("MaxSQL"), QString::fromLatin1(procedure), body);
}

QString MaxSQL::translate(const QString& text)
{
    if (errorObject_)
        return errorObject_->Translate(text, true, QStringLiteral("MaxSQL"));
    static const QRegularExpression block(QStringLiteral("\\{\\d(.*?)\\}"));
    return QString(text).replace(block, QStringLiteral("\\1"));
}

void MaxSQL::notice(const QString& text)
{
    if (errorObject_)
        errorObject_->MsgBox(text, 64, QStringLiteral("Velmora 3.0"));
    else
        SystemMsgBox(translate(text), 64, QStringLiteral("Velmora 3.0"));
}

void MaxSQL::pendingEvents() { QCoreApplication::processEvents(QEventLoop::AllEvents, 50); }

// --- layout

void MaxSQL::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (!parentForm_ || parentForm_->isMinimized())
        return;
    LayoutTwips(Screen::twipsFromPixels(width()), Screen::twipsFromPixels(height()));
}

void MaxSQL::LayoutTwips(int width, int height)
{
    guarded("UserControl_Resize", [&] {
        innerWidth_ = width;
        innerHeight_ = height;
        applyFrame();
        if (ctl_.PagingActive) {
            qint64 count = ctl_.PagingRecordCount;
            bool reset = false;
            OnDemandElevatorConfig(count, reset);
            RefillPage();
        }
    });
}

void MaxSQL::applyFrame()
{
    // A page laid out short (a hidden tab before its first show, a small
    // window) shows less of the SQL box but keeps the height the user chose.
    const Frame f = frame(innerWidth_, innerHeight_, ctl_.SplitterTop, !OnDemandElevator->isHidden());
    place(Splitter, 0, f.splitterTop, f.splitterWidth, SplitterHeight);
    place(txtTabla, SqlLeft, SqlTop, f.sqlWidth, f.sqlHeight);
    place(flexi_, GridLeft, f.gridTop, f.gridWidth, f.gridHeight);
    place(OnDemandElevator, f.elevatorLeft, f.elevatorTop, ElevatorWidth, f.elevatorHeight);
    place(Picture1, 0, f.statusTop, f.splitterWidth, StatusHeight);
    place(TabReservedSpace, 0, 900, f.tabSpaceWidth, 345);
    placeLeft(BttExit, f.exitLeft);
    placeLeft(BttHelp, f.helpLeft);
    placeLeft(BttSettings, f.settingsLeft);
    placeLeft(BttEditor, f.editorLeft);
    placeLeft(BttAutoSize, f.autoSizeLeft);
}

void MaxSQL::DragSplitter(int dy)
{
    // The drag starts where the user sees the splitter.
    const int shown = frame(innerWidth_, innerHeight_, ctl_.SplitterTop, !OnDemandElevator->isHidden()).splitterTop;
    ctl_.SplitterTop = dragSplitter(shown, dy, innerHeight_);
    applyFrame();
    if (ctl_.PagingActive) {
        qint64 count = ctl_.PagingRecordCount;
        bool reset = false;
        OnDemandElevatorConfig(count, reset);
        RefillPage();
    }
}

bool MaxSQL::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Splitter) {
        if (event->type() == QEvent::MouseButtonPress) {
            SplitterPressY = Screen::twipsFromPixels(static_cast<QMouseEvent*>(event)->position().y());
        } else if (event->type() == QEvent::MouseMove) {
            auto* m = static_cast<QMouseEvent*>(event);
            if (m->buttons() == Qt::LeftButton) {
                // The drag reports nothing: a step that fails is skipped.
                try {
                    DragSplitter(Screen::twipsFromPixels(m->position().y()) - SplitterPressY);
                } catch (...) {
                }
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

// --- properties

std::shared_ptr<clsDO> MaxSQL::oConsulta() { return ctl_.zolt; }

int MaxSQL::TabReservedSpaceLeft() const { return twips_.value(TabReservedSpace).left() + 30; }

int MaxSQL::TabReservedSpaceTop() const { return twips_.value(TabReservedSpace).top() + 30; }

bool MaxSQL::TimerEnabled() const { return tmrCheckEditable->isActive() || ctl_.CheckRunning; }

void MaxSQL::setTimerEnabled(bool on)
{
    if (on)
        tmrCheckEditable->start();
    else
        tmrCheckEditable->stop();
}

std::int16_t MaxSQL::ConnectionType() const { return std::int16_t(cboConnectionType->currentIndex()); }

std::int16_t MaxSQL::SelectedDriver() const { return std::int16_t(cboDriver->currentIndex()); }

QString MaxSQL::ServerName() const { return txtServidor->text(); }

QString MaxSQL::DatabaseName() const { return txtBBDD->text(); }

QString MaxSQL::UserName() const { return txtUser->text(); }

QString MaxSQL::Password() const { return txtPassword->text(); }

QString MaxSQL::TextSQL() const { return txtTabla->toPlainText(); }

void MaxSQL::setTextSQL(const QString& text) { txtTabla->setPlainText(text); }

QString MaxSQL::RtfSQL() const { return txtTabla->toPlainText(); }

void MaxSQL::setRtfSQL(const QString& text) { txtTabla->setPlainText(text); }

QString MaxSQL::StatusText() const { return Label2->text(); }

ConnectionValues MaxSQL::connectionValues() const
{
    return {ConnectionType(), SelectedDriver(), ServerName(), DatabaseName(), UserName(), Password()};
}

QList<QObject*> MaxSQL::ChildControls() const
{
    QList<QObject*> out;
    for (QWidget* w : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        if (!w->objectName().isEmpty())
            out << w;
    out << Label2 << tmrVisiblePassword << tmrCheckEditable;
    return out;
}

// --- start

void MaxSQL::setListIndexes(int connectionType, int driver)
{
    {
        const QSignalBlocker a(cboConnectionType), b(cboDriver);
        cboConnectionType->setCurrentIndex(connectionType);
        cboDriver->setCurrentIndex(driver);
    }
    ChangeConnectionType();
}

void MaxSQL::StartControl()
{
    guarded("StartControl", [this] {
        const TabHistoryFile file = TabHistoryFile::load(TabHistoryFile::pathOf(currentTab_));
        // A value the file should not hold gives the default, never an abort.
        ctl_.SplitterTop = std::max(MinSplitterTop, file.splitter());
        const ConnectionValues c = file.connection(0);
        ParametersConnection(std::int16_t(c.connectionType), std::int16_t(c.driver), c.server, c.database, c.user,
                             c.password);
        applyFrame();
        ctl_.HistoryIndex = 0;
        std::int16_t tab = currentTab_;
        GetQuery(ctl_.HistoryIndex, tab);
        ctl_.SavedKeyFields = ctl_.KeyFields;
        ctl_.SavedSQLText = txtTabla->toPlainText();
        flexi_->setMsgObject(errorObject_);
        DeleteGridData();
    });
}

void MaxSQL::ParametersConnection(std::int16_t iConnectionType, std::int16_t iDriver, const QString& sServer,
                                  const QString& sDataBase, const QString& sUser, const QString& sPassword)
{
    setListIndexes(iConnectionType, iDriver);
    txtServidor->setText(sServer);
    txtBBDD->setText(sDataBase);
    txtUser->setText(sUser);
    txtPassword->setText(sPassword);
}

void MaxSQL::DisableButtons(bool bDisable)
{
    buttonsDisabled_ = bDisable;
    BttDataBase->setEnabled(!bDisable);
    for (PushButton* b : {BttClean, BttComment, BttUncomment, BttPreviousQuery, BttNextQuery, BttExecute})
        b->setEnabled(!bDisable);
    SetStateButtons();
    for (PushButton* b : {BttExport, BttAutoSize, BttEditor, BttSettings, BttExit})
        b->setEnabled(!bDisable);
}

void MaxSQL::raiseButtonClicked(const QString& name)
{
    QString buttonName = name;
    emit ButtonClicked(buttonName);
}

void MaxSQL::BttDataBase_MouseUp(int, int, float, float) { raiseButtonClicked(QStringLiteral("BttDataBase")); }

void MaxSQL::BttClean_MouseUp(int, int, float, float) { raiseButtonClicked(QStringLiteral("BttClean")); }

void MaxSQL::BttExport_MouseUp(int, int, float, float) { raiseButtonClicked(QStringLiteral("BttExport")); }

// --- connection panel

void MaxSQL::cboConnectionType_Click()
{
    guarded("cboConnectionType_Click", [this] { ChangeConnectionType(); });
}

void MaxSQL::cboDriver_Click()
{
    guarded("cboDriver_Click", [this] { ChangeConnectionType(); });
}

void MaxSQL::ChangeConnectionType(bool endEditing)
{
    // Setting a list index from here would come back through the click handlers.
    if (changingConnection_)
        return;
    changingConnection_ = true;
    guarded("ChangeConnectionType", [this, endEditing] {
        lblServidor->setText(translate(QStringLiteral("Servidor")));
        if (endEditing)
            ResetEditState(true);
        const int type = ConnectionType();
        const Panel p = panel(type, SelectedDriver());
        QString provider;
        if (p.laidOut) {
            {
                const QSignalBlocker block(cboDriver);
                cboDriver->setCurrentIndex(p.driverIndex);
            }
            cboDriver->setEnabled(p.driverEnabled);
            if (p.odbc)
                lblServidor->setText(translate(QStringLiteral("Origen de Datos")));
            const std::pair<QWidget*, Box> boxes[] = {{txtServidor, p.server},  {lblServidor, p.server},
                                                      {BttDSN, p.dsn},          {txtBBDD, p.database},
                                                      {lblBBDD, p.database},    {BttAccessFileSelection, p.accessPicker},
                                                      {txtUser, p.user},        {lblUser, p.user},
                                                      {txtPassword, p.password}, {lblPassword, p.password},
                                                      {chkPwdVisible, p.visibleCheck}};
            for (const auto& [w, box] : boxes) {
                const QRect r = twips_.value(w);
                const bool label = qobject_cast<QLabel*>(w) != nullptr;
                place(w, box.left, r.top(), label || w == chkPwdVisible ? r.width() : box.width, r.height());
                w->setVisible(box.visible);
            }
            if (p.clearServer)
                txtServidor->clear();
            if (p.clearDatabase)
                txtBBDD->clear();
            if (p.clearUser)
                txtUser->clear();
            if (p.clearPassword)
                txtPassword->clear();
            if (p.accessProvider)
                provider = velmoraini::accessProvider(type);
            compactEnabled_ = p.compactEnabled;
            emit CompactEnabledChanged();
        }
        if (ctl_.zolt) {
            ctl_.zolt->setSQLProvider(provider);
            ctl_.zolt->setConnectionType(std::int16_t(type));
            ctl_.zolt->setUsedDriver(std::int16_t(SelectedDriver()));
        }
    });
    changingConnection_ = false;
}

void MaxSQL::BttAccessFileSelection_MouseUp(int, int, float, float)
{
    guarded("BttAccessFileSelection_MouseUp", [this] {
        const int type = ConnectionType();
        if (type != 1 && type != 2)
            return;
        QString file;
        const QString filter = type == 1
                                   ? translate(QStringLiteral("Access Clásico (*.mdb)")) + QStringLiteral("|*.mdb")
                                   : translate(QStringLiteral("Access Actual (*.accdb)")) + QStringLiteral("|*.accdb");
        // Must exist, single selection, read-only box shown and not ticked, no folder, extension or owner.
        clsCommonDialog dialog;
        if (dialog.VBGetOpenFileName(file, QString(), true, false, false, false, filter, 1, QString(),
                                     translate(QStringLiteral("Abrir Fichero"))) &&
            !file.isEmpty())
            txtBBDD->setText(file);
    });
}

void MaxSQL::BttDSN_MouseUp(int, int, float, float)
{
    guarded("BttDSN_MouseUp", [this] {
        if (cboDriver->currentText().isEmpty()) {
            notice(QStringLiteral("Debe seleccionar el Driver a utilizar por el Origen de Datos"));
            return;
        }
        std::unique_ptr<DsnDialog> dialog = dialogs_.frmDSN();
        dialog->MSG = errorObject_;
        dialog->DatabaseType = cboDriver->currentText();
        dialog->Show(this);
        if (!dialog->Cancelled)
            txtServidor->setText(dialog->DSN);
    });
}

void MaxSQL::chkPwdVisible_Click()
{
    guarded("chkPwdVisible_Click", [this] {
        if (chkPwdVisible->checkState() != Qt::Checked) {
            txtPassword->setEchoMode(QLineEdit::Password);
            return;
        }
        txtPassword->setEchoMode(QLineEdit::Normal);
        if (!Variant(velmoraini::read(velmoraini::PasswordTimeEnabled)).toBool())
            return;
        const QRect pwd = twips_.value(txtPassword);
        placeLeft(Clocky, pwd.left() + pwd.width());
        Clocky->show();
        Clocky->lines[0] = true;
        Clocky->update();
        // 32 bits: 60 seconds give 12000 ms instead of an overflow.
        const std::int64_t seconds =
            Variant(velmoraini::read(velmoraini::PasswordTimeSeconds)).toLong();
        if (seconds < 0)
            ::raise(Error::InvalidProcedureCall, QStringLiteral("Invalid procedure call or argument"));
        const std::int64_t interval = seconds * 1000 / 5;
        if (interval > std::numeric_limits<int>::max())
            ::raise(Error::Overflow, QStringLiteral("Overflow"));
        if (interval == 0)
            return;
        tmrVisiblePassword->setInterval(int(interval));
        tmrVisiblePassword->start();
    });
}

void MaxSQL::tmrVisiblePassword_Timer()
{
    try {
        const int step = Clocky->property("Tag").toInt();
        if (step != 5) {
            Clocky->setProperty("Tag", QString::number(step + 1));
            for (int i = 0; i <= step + 1; ++i)
                Clocky->lines[std::size_t(i)] = true;
            Clocky->update();
            return;
        }
        tmrVisiblePassword->stop();
        Clocky->hide();
        Clocky->setProperty("Tag", QString());
        Clocky->lines.fill(false);
        chkPwdVisible->setCheckState(Qt::Unchecked);
    } catch (...) {
        // The countdown tick has no report of its own.
    }
}
