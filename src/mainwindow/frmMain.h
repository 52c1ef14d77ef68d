#pragma once
// frmMain: the program's only top-level window. Its load builds the running
// system (message, data-access and services objects, settings, the tabs of
// query pages restored from their files, translation); Terminar writes the
// window and every tab back and releases the shared objects. Between the
// two it holds the strip of query tabs, slides its three menus open on the
// pages' toolbar buttons and turns keys into commands of the current page.
#include "IQueryPage.h"
#include "MainWindowRules.h"
#include "QueryTabStrip.h"

#include "core/Error.h"
#include "core/Object.h"
#include "services/HostWindow.h"

#include <QList>
#include <QMargins>
#include <QPointer>
#include <QVariant>
#include <QWidget>
#include <functional>
#include <memory>
#include <span>
#include <vector>

class QFrame;
class QLabel;
class QMenu;
class QPushButton;
class QTimer;
class clsDO;
class clsError;
class clsTablas;
class MsgBoxRecorder;

class frmMain : public QWidget, public Object, public QueryObjectHost, public PageHost {
    Q_OBJECT
public:
    explicit frmMain(QWidget* parent = nullptr);
    ~frmMain() override;

    QString typeName() const override { return QStringLiteral("frmMain"); }

    // --- what can be put in place for tests (set before Form_Load)
    void setPageFactory(QueryPageFactory factory) { pageFactory_ = std::move(factory); }
    // The window frame in pixels (left, top = title bar + border, right, bottom).
    void setFrameMarginsSource(std::function<QMargins()> source) { frameMargins_ = std::move(source); }
    // Ends the program; called when the services do not start, and after
    // Terminar by a page's exit button.
    void setEndProgram(std::function<void()> end) { endProgram_ = std::move(end); }
    // Shows the tabs' context menu at a global position.
    void setPopupMenu(std::function<void(QMenu*, const QPoint&)> popup) { popupMenu_ = std::move(popup); }
    // The services' start-up step (Iniciar on the services object by default).
    using ServicesStart = std::function<bool(clsTablas&, ObjectPtr host, std::shared_ptr<clsDO>,
                                             std::shared_ptr<clsError>, const QString& folder)>;
    void setServicesStart(ServicesStart start) { servicesStart_ = std::move(start); }
    // How long Terminar waits for a page's pending check before it saves
    // anyway, in steps of ShutdownStepMs; a step lets events run (tests count them).
    static constexpr int ShutdownStepMs = 10;
    void setShutdownWait(int milliseconds) { shutdownWaitMs_ = milliseconds; }
    void setShutdownStep(std::function<void()> step) { shutdownStep_ = std::move(step); }
    // Answers the message object's questions and keeps its messages.
    void setMsgBoxRecorder(std::shared_ptr<MsgBoxRecorder> recorder) { recorder_ = std::move(recorder); }

    // --- start-up and shutdown
    void Form_Load();
    // True once the program was ended (the window must not be shown, or is done).
    bool ProgramEnded() const { return ended_; }
    QVariant Terminar();
    std::shared_ptr<clsDO> oConsulta() override { return zolt_; }
    std::shared_ptr<clsError> MSG() const { return msg_; }
    std::shared_ptr<clsTablas> SCR() const { return scr_; }

    // --- PageHost
    int WindowState() const override;
    QString Caption() const override { return windowTitle(); }
    double Top() const override;
    double Height() const override { return heightTw_; }
    double Width() const { return widthTw_; }
    double TextWidth(const QString& text) const override;
    double CaptionHeight() const override { return measures_.CaptionHeight; }
    double FrameWidth() const override { return measures_.FrameWidth; }
    double FrameHeight() const override { return measures_.FrameHeight; }

    // Outer size in twips; applied to the window less its frame.
    void setWidth(double twips);
    void setHeight(double twips);

    // --- controls and state, by their names
    QueryTabStrip* QueryTabs = nullptr;
    // Page k of tab k (null while not loaded); 0 and beyond the last give null.
    IQueryPage* QueryPage(int index) const;
    QPushButton* BttCloseTab = nullptr;
    QMenu* mnuSolapas = nullptr;
    QFrame* mnuClean = nullptr;
    QFrame* mnuCleanShadow = nullptr;
    QFrame* mnuDataBase = nullptr;
    QFrame* mnuDatabaseShadow = nullptr;
    QFrame* mnuExport = nullptr;
    QFrame* mnuExportShadow = nullptr;
    QList<QPushButton*> BttCleanMenu;
    QList<QPushButton*> BttDataBaseMenu;
    QList<QPushButton*> BttExportMenu;
    QPushButton* BttCloseMenuClean = nullptr;
    QPushButton* BttCloseMenuDatabase = nullptr;
    QPushButton* BttCloseMenuExport = nullptr;
    QTimer* tmrMenu = nullptr;
    QTimer* tmrMenuDatabase = nullptr;
    QTimer* tmrMenuExport = nullptr;
    QLabel* imgCompact = nullptr;
    QLabel* imgCompactGris = nullptr;
    QLabel* imgScript = nullptr;
    QLabel* imgScriptGrey = nullptr;

    bool ShowKeyFlag() const { return showKey_; }
    bool Loading() const { return loading_; }
    const MainWindowRules::FormSettings& Settings() const { return settings_; }

    // --- handlers (public so tests drive them as the events would)
    void QueryPage_ButtonClicked(int Index, const QString& ButtonName);
    void QueryPage_CompactEnabledChanged(int Index);
    void QueryPage_ScriptEnabledChanged(int Index);
    void QueryPage_ShowKeyChanged(int Index);
    void QueryTabs_TabChange();
    void QueryTabs_MouseUp(int Button, int Shift, float X, float Y);
    void BttCloseTab_MouseUp();
    void mnuCerrarSolapa_Click();
    void mnuDuplicarSolapa_Click();
    void mnuDuplicarConexion_Click();
    void BttCleanMenu_MouseUp(int Index);
    void BttDataBaseMenu_MouseUp(int Index);
    void BttExportMenu_MouseUp(int Index);
    void BttCloseMenu_MouseUp(MainWindowRules::Menu menu);
    void tmrMenu_Timer();
    void tmrMenuDatabase_Timer();
    void tmrMenuExport_Timer();
    void Form_KeyDown(int& KeyCode, int Shift);
    void Form_KeyPress(int& KeyAscii);
    void Form_Resize();

    // --- tab operations
    void LoadTab(int tab, bool selected);
    void SelectTab(int tab);
    void CloseCurrentTab();
    void DuplicateTab(bool withSQL);
    void RemoveEmptyTabs();

protected:
    void closeEvent(QCloseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void changeEvent(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void buildMenu(MainWindowRules::Menu menu, const QStringList& captions);
    QFrame* menuFrame(MainWindowRules::Menu menu) const;
    QFrame* menuShadow(MainWindowRules::Menu menu) const;
    QTimer* menuTimer(MainWindowRules::Menu menu) const;
    void openMenu(MainWindowRules::Menu menu);
    void slideTick(MainWindowRules::Menu menu);
    void HideMenus();
    // A Database or Export entry: its page command, then the menu closes.
    void menuCommand(const QString& procedure, std::span<void (IQueryPage::* const)()> commands, int Index);
    bool menuVisible() const;
    bool askYes(const QString& question);
    void entryPicture(QPushButton* entry, QLabel* picture, bool enabled);

    IQueryPage* currentPage() const;
    IQueryPage* createPage(int tab);
    void setUpPage(int tab);
    void unloadPage(int tab);
    void layoutCurrentPage();
    void placeCloseButton(int tab);
    void refreshMeasures();
    void applyOuterSize();
    void queueMinimumSize();
    void endProgram();
    // The help page of a window of the program, in the user's language.
    void openHelp(const QWidget* window);

    // Runs a handler body; an error is reported with the handler's tag and
    // never leaves the handler. False when it caught.
    bool guarded(const QString& procedure, const std::function<void()>& body);

    QueryPageFactory pageFactory_;
    std::function<QMargins()> frameMargins_;
    std::function<void()> endProgram_;
    std::function<void(QMenu*, const QPoint&)> popupMenu_;
    ServicesStart servicesStart_;
    int shutdownWaitMs_ = 5000;
    std::function<void()> shutdownStep_;
    std::shared_ptr<MsgBoxRecorder> recorder_;

    std::shared_ptr<clsError> msg_;
    std::shared_ptr<clsDO> zolt_;
    std::shared_ptr<clsDO> nesko_;
    std::shared_ptr<clsTablas> scr_;
    QString translateDb_;

    MainWindowRules::FormSettings settings_;
    MainWindowRules::WindowMeasures measures_;
    std::vector<std::unique_ptr<IQueryPage>> pages_; // [0] unused
    double widthTw_ = 0;
    double heightTw_ = 0;
    bool loading_ = false;
    bool showKey_ = true;
    bool ended_ = false;
    bool terminated_ = false;
    bool tabBusy_ = false;
    bool resizing_ = false;
    bool minimumQueued_ = false;
    const QEvent* lastKeyEvent_ = nullptr;
    quint64 lastKeyTimestamp_ = 0;
    QPointer<QWidget> lastKeyReceiver_;
};
