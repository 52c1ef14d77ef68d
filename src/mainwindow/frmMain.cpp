// frmMain: start-up, shutdown, window measures and the layout rule.
#include "frmMain.h"

#include "controls/ControlSupport.h"
#include "controls/TextRoom.h"
#include "core/Dialogs.h"
#include "core/FileReplace.h"
#include "core/ProfileFile.h"
#include "core/ProgramFolder.h"
#include "core/Screen.h"
#include "data/clsDO.h"
#include "messages/StandardTexts.h"
#include "platform/db/LocalFile.h"
#include "querypage/InsertScript.h"
#include "messages/clsError.h"
#include "services/clsTablas.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QFontMetricsF>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <cmath>

using namespace MainWindowRules;

namespace {
const QString kForm = QStringLiteral("frmMain");
} // namespace

frmMain::frmMain(QWidget* parent) : QWidget(parent)
{
    setObjectName(kForm);
    setWindowTitle(QStringLiteral("Velmora 3.0"));
    frameMargins_ = [this] {
        // The window system knows the frame once the window is shown; the
        // offscreen platform has none.
        if (!isVisible() || !windowHandle())
            return QMargins();
        return windowHandle()->frameMargins();
    };
    endProgram_ = [this] {
        hide();
        QCoreApplication::exit(0);
    };
    popupMenu_ = [](QMenu* menu, const QPoint& at) { menu->popup(at); };
    servicesStart_ = [](clsTablas& scr, ObjectPtr host, std::shared_ptr<clsDO> zolt, std::shared_ptr<clsError> msg,
                        const QString& folder) { return scr.Iniciar(std::move(host), std::move(zolt), std::move(msg), folder); };
    pageFactory_ = defaultQueryPageFactory();
    pages_.resize(1);
    buildControls();
    qApp->installEventFilter(this);
}

frmMain::~frmMain()
{
    qApp->removeEventFilter(this);
    // The pages go before the controls they are laid over.
    pages_.clear();
}

bool frmMain::guarded(const QString& procedure, const std::function<void()>& body)
{
    return controls::trapHandler(msg_, kForm, procedure, body);
}

// --- start-up

void frmMain::Form_Load()
{
    guarded(QStringLiteral("Form_Load"), [&] {
        // No window skin: this platform draws its own windows.
        msg_ = std::make_shared<clsError>();
        msg_->Parent = this;
        if (recorder_)
            msg_->setRecorder(recorder_);
        zolt_ = std::make_shared<clsDO>();
        zolt_->setParent(this);
        nesko_ = std::make_shared<clsDO>();
        scr_ = std::make_shared<clsTablas>();

        const QString folder = ProgramFolder::path();
        // What saves and exports cut short by a crash left: beside the settings
        // and tab files, in the export folders and wherever an export recorded it.
        static const QRegularExpression settingsFiles(
            QStringLiteral("Velmora(_Tab[0-9]+)?\\.ini|Velmora\\.exports|Velmora\\.checked"));
        FileReplace::removeLeftovers(folder, settingsFiles);
        const QString exportRecord = ProgramFolder::file(QStringLiteral("Velmora.exports"));
        FileReplace::removeUnfinishedExports(exportRecord, {folder + QStringLiteral("/Excel"), folder + QStringLiteral("/CSV"),
                                                            insertscript::defaultFolder(folder)});
        FileReplace::setExportRecord(exportRecord);
        // The local files found sound, so that a start does not read them whole again.
        db::setCaseCheckMemo(ProgramFolder::file(QStringLiteral("Velmora.checked")));
        translateDb_ = ProgramFolder::file(QStringLiteral("translate.vrx"));
        settings_ = readFormSettings(ProfileFile::load(ProgramFolder::file(QStringLiteral("Velmora.ini"))));

        nesko_->setSQLProvider(settings_.AccessProvider);
        nesko_->setConnectionType(1);
        nesko_->setUsedDriver(1);
        if (!nesko_->StartObject(QString(), translateDb_, QString(), QString()))
            return;
        msg_->setNesko(nesko_);
        msg_->setSCR(scr_);
        msg_->setLanguage(settings_.Translation);
        // Qt's own dialogs speak the same language, and every window's texts get their room.
        messages::installStandardTexts(msg_.get());
        controls::installTextFitting();

        widthTw_ = settings_.Width;
        heightTw_ = settings_.Height;
        applyOuterSize();
        setWindowState(settings_.WindowState == 1   ? Qt::WindowMinimized
                       : settings_.WindowState == 2 ? Qt::WindowMaximized
                                                    : Qt::WindowNoState);
        // Setting the size raised the resize rule in the original window.
        Form_Resize();

        // The host is this window for as long as it lives; nobody else owns it.
        if (!servicesStart_(*scr_, ObjectPtr(this, [](Object*) {}), zolt_, msg_, folder)) {
            endProgram();
            return;
        }
        scr_->DisableSecurity = true;
        refreshMeasures();

        BttDataBaseMenu[2]->setEnabled(false);
        BttExportMenu[2]->setEnabled(false);

        showKey_ = settings_.ShowKey;
        loading_ = true;
        struct LoadingOff {
            bool& flag;
            ~LoadingOff() { flag = false; }
        } off{loading_};
        for (int n = 1; n <= settings_.OpenTabs; ++n)
            LoadTab(n, n == settings_.SelectedTab);
        loading_ = false;

        QueryPage_CompactEnabledChanged(0);
        QueryPage_ScriptEnabledChanged(0);
        msg_->TransMe(this);
    });
}

void frmMain::endProgram()
{
    ended_ = true;
    if (endProgram_)
        endProgram_();
}

// --- shutdown

QVariant frmMain::Terminar()
{
    if (terminated_)
        return QVariant();
    terminated_ = true;
    // Nothing the user does may change the tabs while they are saved.
    setEnabled(false);
    const QString procedure = QStringLiteral("Terminar");
    // Every file that could not be saved, reported together at the end.
    FileReplace::FailedSaves failed;
    guarded(procedure, [&] {
        const QString iniPath = ProgramFolder::file(QStringLiteral("Velmora.ini"));
        ProfileFile ini = ProfileFile::load(iniPath);
        ClosingState state;
        state.WindowState = WindowState();
        state.Width = widthTw_;
        state.Height = heightTw_;
        state.OpenTabs = QueryTabs->Tabs() - 1;
        state.SelectedTab = QueryTabs->CurrentTab();
        writeClosingState(ini, state);
        if (!ini.save(iniPath))
            FileReplace::FailedSaves::collect(iniPath);
    });

    for (int i = 1; i <= QueryTabs->Tabs() - 1; ++i) {
        guarded(procedure, [&] {
            // Counted in steps rather than read off the clock: a page gets the
            // same number of chances to end its check on any machine, however busy.
            for (int step = 0; step < shutdownWaitMs_ / ShutdownStepMs && QueryPage(i) && QueryPage(i)->TimerEnabled();
                 ++step) {
                if (shutdownStep_) {
                    shutdownStep_();
                    continue;
                }
                QEventLoop loop;
                QTimer::singleShot(ShutdownStepMs, &loop, &QEventLoop::quit);
                loop.exec();
            }
            if (IQueryPage* page = QueryPage(i))
                page->SaveLastQuery();
        });
    }
    const QStringList& unsaved = failed.files();
    if (!unsaved.isEmpty())
        guarded(procedure, [&] {
            ::raise(Error::PathNotFound, (unsaved.size() == 1 ? QStringLiteral("No se ha podido guardar el fichero ")
                                                              : QStringLiteral("No se han podido guardar los ficheros ")) +
                                             BraceBlock(1, unsaved.join(QStringLiteral(", "))));
        });

    msg_.reset();
    QCoreApplication::processEvents();
    scr_.reset();
    QCoreApplication::processEvents();
    zolt_.reset();
    QCoreApplication::processEvents();
    return QVariant();
}

void frmMain::closeEvent(QCloseEvent* e)
{
    Terminar();
    e->accept();
}

// --- window state and measures

int frmMain::WindowState() const
{
    const Qt::WindowStates s = windowState();
    if (s & Qt::WindowMinimized)
        return 1;
    if (s & (Qt::WindowMaximized | Qt::WindowFullScreen))
        return 2;
    return 0;
}

double frmMain::Top() const { return frameGeometry().y() * Screen::twipsPerPixel(); }

double frmMain::TextWidth(const QString& text) const
{
    return QFontMetricsF(font()).horizontalAdvance(text) * Screen::twipsPerPixel();
}

void frmMain::setWidth(double twips)
{
    widthTw_ = twips;
    applyOuterSize();
}

void frmMain::setHeight(double twips)
{
    heightTw_ = twips;
    applyOuterSize();
}

// The window's own size is its outer size less the frame.
void frmMain::applyOuterSize()
{
    const int w = std::max(1, Screen::pixelsFromTwips(widthTw_ - 2 * measures_.FrameWidth));
    const int h = std::max(1, Screen::pixelsFromTwips(heightTw_ - measures_.CaptionHeight - 2 * measures_.FrameHeight));
    if (size() == QSize(w, h))
        return;
    resizing_ = true;
    resize(w, h);
    resizing_ = false;
}

void frmMain::refreshMeasures()
{
    const QMargins m = frameMargins_ ? frameMargins_() : QMargins();
    const double tw = Screen::twipsPerPixel();
    const WindowMeasures now{double(m.top() - m.bottom()) * tw, double(m.left()) * tw, double(m.bottom()) * tw};
    if (now == measures_)
        return;
    measures_ = now;
    // The stored size is the outer one: a frame that became known takes its
    // room from the inside.
    if (WindowState() == 0)
        applyOuterSize();
}

void frmMain::resizeEvent(QResizeEvent* e)
{
    QWidget::resizeEvent(e);
    const QSize applied(std::max(1, Screen::pixelsFromTwips(widthTw_ - 2 * measures_.FrameWidth)),
                        std::max(1, Screen::pixelsFromTwips(heightTw_ - measures_.CaptionHeight -
                                                             2 * measures_.FrameHeight)));
    // A size that is ours already keeps its exact twips.
    if (!resizing_ && size() != applied && WindowState() != 1) {
        widthTw_ = Screen::twipsFromPixels(width()) + 2 * measures_.FrameWidth;
        heightTw_ = Screen::twipsFromPixels(height()) + measures_.CaptionHeight + 2 * measures_.FrameHeight;
    }
    Form_Resize();
}

void frmMain::showEvent(QShowEvent* e)
{
    QWidget::showEvent(e);
    // The frame is known once the window system has put the window up.
    QTimer::singleShot(0, this, [this] { guarded(QStringLiteral("Form_Resize"), [&] { Form_Resize(); }); });
}

void frmMain::changeEvent(QEvent* e)
{
    QWidget::changeEvent(e);
    if (e->type() == QEvent::WindowStateChange)
        guarded(QStringLiteral("Form_Resize"), [&] { Form_Resize(); });
}

void frmMain::queueMinimumSize()
{
    if (minimumQueued_)
        return;
    minimumQueued_ = true;
    // Applied after the event that found the window too small, as a resize
    // of its own; the window system gets no minimum to enforce.
    QTimer::singleShot(0, this, [this] {
        minimumQueued_ = false;
        guarded(QStringLiteral("Form_Resize"), [&] {
            if (WindowState() != 0)
                return;
            const Size fixed = minimumSizeRule({widthTw_, heightTw_});
            widthTw_ = fixed.Width;
            heightTw_ = fixed.Height;
            applyOuterSize();
            Form_Resize();
        });
    });
}

void frmMain::Form_Resize()
{
    guarded(QStringLiteral("Form_Resize"), [&] {
        const int state = WindowState();
        if (state == 1)
            return;
        if (state == 0 && !(minimumSizeRule({widthTw_, heightTw_}) == Size{widthTw_, heightTw_}))
            queueMinimumSize();
        refreshMeasures();
        layoutCurrentPage();
    });
}

void frmMain::layoutCurrentPage()
{
    IQueryPage* page = currentPage();
    if (!page || !QueryTabs)
        return;
    LayoutInput in;
    in.WindowState = WindowState();
    in.Window = {widthTw_, heightTw_};
    if (const QScreen* s = screen())
        in.Screen = {double(Screen::twipsFromPixels(s->geometry().width())),
                     double(Screen::twipsFromPixels(s->geometry().height()))};
    in.Measures = measures_;
    in.RightBorderWidth = settings_.RightBorderWidth;
    in.DownBorderHeight = settings_.DownBorderHeight;
    in.ReservedLeft = page->TabReservedSpaceLeft();
    in.ReservedTop = page->TabReservedSpaceTop();

    const Rect p = pageRect(in);
    controls::setTwipsGeometry(page->widget(), p.Left, p.Top, std::max(0.0, p.Width), std::max(0.0, p.Height));
    const Rect s = stripRect(in, Screen::twipsFromPixels(QueryTabs->height()));
    QueryTabs->setGeometry(Screen::pixelsFromTwips(s.Left), Screen::pixelsFromTwips(s.Top),
                           std::max(0, Screen::pixelsFromTwips(s.Width)), QueryTabs->height());
    QueryTabs->raise();
}
