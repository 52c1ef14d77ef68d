// frmMain: its controls, the sliding menus, the keys and the pages' events.
#include "frmMain.h"

#include "controls/ControlSupport.h"
#include "controls/TextRoom.h"
#include "core/Dialogs.h"
#include "core/ProgramFolder.h"
#include "core/Screen.h"
#include "messages/clsError.h"
#include "platform/keys/KeyEvents.h"
#include "platform/shell/Shell.h"
#include "querypage/HelpPages.h"

#include <QAction>
#include <QApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QTimer>

using namespace MainWindowRules;

namespace {

// Design places of the three menus (left, width) and the entries' pitch.
struct MenuPlace {
    double Left;
    double Width;
};
constexpr double kMenuTop = 900; // under the page's toolbar
constexpr double kShadowOffset = 60;
constexpr double kEntryTop = 280;
constexpr double kEntryPitch = 900;
constexpr double kEntryHeight = 820;

MenuPlace menuPlace(Menu menu)
{
    switch (menu) {
    // Each under its button of the page's toolbar.
    case Menu::Clean: return {1980, 1800};
    case Menu::DataBase: return {60, 1800};
    case Menu::Export: return {9720, 1800};
    }
    return {0, 0};
}

// The entry pictures, drawn here: a coloured one and its grey twin.
QPixmap entryPixmap(const QColor& colour, bool script)
{
    QPixmap pm(24, 24);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(colour.darker(150), 1.5));
    p.setBrush(colour);
    if (script) {
        p.drawRect(QRectF(5, 3, 14, 18));
        p.setPen(QPen(Qt::white, 1.5));
        for (int y = 8; y <= 16; y += 4)
            p.drawLine(QPointF(8, y), QPointF(16, y));
    } else {
        p.drawRect(QRectF(5, 6, 14, 13));
        p.drawEllipse(QRectF(5, 2, 14, 7));
        p.drawEllipse(QRectF(5, 15, 14, 7));
    }
    return pm;
}

QLabel* pictureStore(QWidget* parent, const QString& name, const QPixmap& pm)
{
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setPixmap(pm);
    label->hide();
    return label;
}

} // namespace

void frmMain::buildControls()
{
    QueryTabs = new QueryTabStrip(this);
    QueryTabs->setObjectName(QStringLiteral("QueryTabs"));
    // The strip of the design: one query tab and the "+" tab.
    QueryTabs->setTabs(2);
    QueryTabs->setTabCaption(1, tabCaption(1));
    QueryTabs->setTabCaption(2, PlusCaption);
    QueryTabs->setCurrentTab(1);
    QueryTabs->setFixedHeight(Screen::pixelsFromTwips(315));
    connect(QueryTabs, &QueryTabStrip::TabChange, this, [this] { QueryTabs_TabChange(); });
    connect(QueryTabs, &QueryTabStrip::MouseUp, this,
            [this](short& button, short& shift, float& x, float& y) { QueryTabs_MouseUp(button, shift, x, y); });

    BttCloseTab = new QPushButton(QueryTabs);
    BttCloseTab->setObjectName(QStringLiteral("BttCloseTab"));
    BttCloseTab->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    BttCloseTab->setFlat(true);
    BttCloseTab->setFocusPolicy(Qt::NoFocus);
    controls::setTwipsGeometry(BttCloseTab, 0, 100, 195, 180);
    BttCloseTab->hide();
    connect(BttCloseTab, &QPushButton::clicked, this, [this] { BttCloseTab_MouseUp(); });

    mnuSolapas = new QMenu(QStringLiteral("Solapas"), this);
    mnuSolapas->setObjectName(QStringLiteral("mnuSolapas"));
    auto action = [this](const QString& name, const QString& text) {
        auto* a = new QAction(text, mnuSolapas);
        a->setObjectName(name);
        mnuSolapas->addAction(a);
        return a;
    };
    connect(action(QStringLiteral("mnuDuplicarSolapa"), QStringLiteral("Duplicar Solapa Actual")), &QAction::triggered,
            this, [this] { mnuDuplicarSolapa_Click(); });
    connect(action(QStringLiteral("mnuDuplicarConexion"), QStringLiteral("Duplicar Solo Conexión Actual")),
            &QAction::triggered, this, [this] { mnuDuplicarConexion_Click(); });
    auto* separator = new QAction(mnuSolapas);
    separator->setObjectName(QStringLiteral("separador1"));
    separator->setSeparator(true);
    mnuSolapas->addAction(separator);
    connect(action(QStringLiteral("mnuCerrarSolapa"), QStringLiteral("Cerrar Solapa Actual")), &QAction::triggered,
            this, [this] { mnuCerrarSolapa_Click(); });

    const QColor compact(46, 125, 50), script(21, 101, 192), grey(160, 160, 160);
    imgCompact = pictureStore(this, QStringLiteral("imgCompact"), entryPixmap(compact, false));
    imgCompactGris = pictureStore(this, QStringLiteral("imgCompactGris"), entryPixmap(grey, false));
    imgScript = pictureStore(this, QStringLiteral("imgScript"), entryPixmap(script, true));
    imgScriptGrey = pictureStore(this, QStringLiteral("imgScriptGrey"), entryPixmap(grey, true));

    buildMenu(Menu::Clean, {QStringLiteral("Conexión"), QStringLiteral("Sentencia"), QStringLiteral("Rejilla"),
                            QStringLiteral("Solapas"), QStringLiteral("Todo")});
    buildMenu(Menu::DataBase, {QStringLiteral("Tablas"), QStringLiteral("Comparar"), QStringLiteral("Compactar")});
    buildMenu(Menu::Export, {QStringLiteral("Excel"), QStringLiteral("CSV"), QStringLiteral("Script")});
    entryPicture(BttDataBaseMenu[2], imgCompact, true);
    entryPicture(BttExportMenu[2], imgScript, true);
}

void frmMain::buildMenu(Menu menu, const QStringList& captions)
{
    static const char* const names[][6] = {
        {"mnuClean", "mnuCleanShadow", "BttCleanMenu", "BttCloseMenuClean", "tmrMenu"},
        {"mnuDataBase", "mnuDatabaseShadow", "BttDataBaseMenu", "BttCloseMenuDatabase", "tmrMenuDatabase"},
        {"mnuExport", "mnuExportShadow", "BttExportMenu", "BttCloseMenuExport", "tmrMenuExport"},
    };
    const auto& n = names[int(menu)];
    const MenuPlace at = menuPlace(menu);
    const SlideConstants c = slideConstants(menu);

    auto* shadow = new QFrame(this);
    controls::setFloating(shadow);
    shadow->setObjectName(QString::fromLatin1(n[1]));
    shadow->setAutoFillBackground(true);
    QPalette sp = shadow->palette();
    sp.setColor(QPalette::Window, QColor(95, 95, 95));
    shadow->setPalette(sp);
    controls::setTwipsGeometry(shadow, at.Left + kShadowOffset, kMenuTop + kShadowOffset, at.Width, c.OpenShadowHeight);
    shadow->hide();

    auto* frame = new QFrame(this);
    controls::setFloating(frame); // slides over the page
    frame->setObjectName(QString::fromLatin1(n[0]));
    frame->setFrameShape(QFrame::Panel);
    frame->setFrameShadow(QFrame::Raised);
    frame->setAutoFillBackground(true);
    controls::setTwipsGeometry(frame, at.Left, kMenuTop, at.Width, c.OpenHeight);
    frame->hide();

    auto* close = new QPushButton(frame);
    close->setObjectName(QString::fromLatin1(n[3]));
    close->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    close->setFlat(true);
    close->setFocusPolicy(Qt::NoFocus);
    controls::setTwipsGeometry(close, at.Width - 270, 30, 225, 210);
    connect(close, &QPushButton::clicked, this, [this, menu] { BttCloseMenu_MouseUp(menu); });

    QList<QPushButton*> entries;
    for (int i = 0; i < captions.size(); ++i) {
        auto* entry = new QPushButton(captions[i], frame);
        entry->setObjectName(QString::fromLatin1(n[2]));
        entry->setProperty("Index", i);
        entry->setFocusPolicy(Qt::NoFocus);
        controls::setTwipsGeometry(entry, 90, kEntryTop + i * kEntryPitch, at.Width - 180, kEntryHeight);
        connect(entry, &QPushButton::clicked, this, [this, menu, i] {
            if (menu == Menu::Clean)
                BttCleanMenu_MouseUp(i);
            else if (menu == Menu::DataBase)
                BttDataBaseMenu_MouseUp(i);
            else
                BttExportMenu_MouseUp(i);
        });
        entries.append(entry);
    }

    auto* timer = new QTimer(this);
    timer->setObjectName(QString::fromLatin1(n[4]));
    timer->setInterval(10);
    connect(timer, &QTimer::timeout, this, [this, menu] {
        guarded(QString::fromLatin1(names[int(menu)][4]) + QStringLiteral("_Timer"), [&] { slideTick(menu); });
    });

    switch (menu) {
    case Menu::Clean:
        mnuClean = frame, mnuCleanShadow = shadow, BttCleanMenu = entries, BttCloseMenuClean = close, tmrMenu = timer;
        break;
    case Menu::DataBase:
        mnuDataBase = frame, mnuDatabaseShadow = shadow, BttDataBaseMenu = entries, BttCloseMenuDatabase = close,
        tmrMenuDatabase = timer;
        break;
    case Menu::Export:
        mnuExport = frame, mnuExportShadow = shadow, BttExportMenu = entries, BttCloseMenuExport = close,
        tmrMenuExport = timer;
        break;
    }
}

QFrame* frmMain::menuFrame(Menu menu) const
{
    return menu == Menu::Clean ? mnuClean : menu == Menu::DataBase ? mnuDataBase : mnuExport;
}

QFrame* frmMain::menuShadow(Menu menu) const
{
    return menu == Menu::Clean ? mnuCleanShadow : menu == Menu::DataBase ? mnuDatabaseShadow : mnuExportShadow;
}

QTimer* frmMain::menuTimer(Menu menu) const
{
    return menu == Menu::Clean ? tmrMenu : menu == Menu::DataBase ? tmrMenuDatabase : tmrMenuExport;
}

void frmMain::entryPicture(QPushButton* entry, QLabel* picture, bool enabled)
{
    entry->setIcon(QIcon(picture->pixmap()));
    entry->setIconSize(picture->pixmap().size());
    entry->setEnabled(enabled);
}

bool frmMain::menuVisible() const
{
    return !mnuClean->isHidden() || !mnuDataBase->isHidden() || !mnuExport->isHidden();
}

bool frmMain::askYes(const QString& question)
{
    if (!msg_)
        return SystemMsgBox(question, 36, QStringLiteral("Velmora 3.0")) == 6;
    return msg_->MsgBox(QString(question), 36, QStringLiteral("Velmora 3.0")) == 6;
}

// --- page events

void frmMain::QueryPage_ButtonClicked(int Index, const QString& ButtonName)
{
    if (ButtonName == QStringLiteral("BttExit")) {
        if (askYes(QStringLiteral("¿Desea cerrar la aplicación?"))) {
            Terminar();
            endProgram();
        }
        return;
    }
    const Menu menu = ButtonName == QStringLiteral("BttClean")      ? Menu::Clean
                      : ButtonName == QStringLiteral("BttDataBase") ? Menu::DataBase
                      : ButtonName == QStringLiteral("BttExport")   ? Menu::Export
                                                                    : Menu(-1);
    if (int(menu) < 0)
        return;
    if (IQueryPage* page = QueryPage(Index))
        page->DisableButtons(true);
    openMenu(menu);
}

void frmMain::openMenu(Menu menu)
{
    QueryTabs->setEnabled(false);
    const SlideConstants c = slideConstants(menu);
    QFrame* frame = menuFrame(menu);
    QFrame* shadow = menuShadow(menu);
    frame->resize(frame->width(), Screen::pixelsFromTwips(c.OpenHeight));
    shadow->resize(shadow->width(), Screen::pixelsFromTwips(c.OpenShadowHeight));
    shadow->show();
    shadow->raise();
    frame->show();
    frame->raise();
    menuTimer(menu)->start();
}

void frmMain::slideTick(Menu menu)
{
    QFrame* frame = menuFrame(menu);
    QFrame* shadow = menuShadow(menu);
    SlideState s{double(Screen::twipsFromPixels(frame->height())), double(Screen::twipsFromPixels(shadow->height())),
                 true};
    s = slideStep(menu, s);
    frame->resize(frame->width(), Screen::pixelsFromTwips(s.Height));
    shadow->resize(shadow->width(), Screen::pixelsFromTwips(s.ShadowHeight));
    if (!s.Running)
        menuTimer(menu)->stop();
}

void frmMain::tmrMenu_Timer() { guarded(QStringLiteral("tmrMenu_Timer"), [&] { slideTick(Menu::Clean); }); }
void frmMain::tmrMenuDatabase_Timer()
{
    guarded(QStringLiteral("tmrMenuDatabase_Timer"), [&] { slideTick(Menu::DataBase); });
}
void frmMain::tmrMenuExport_Timer()
{
    guarded(QStringLiteral("tmrMenuExport_Timer"), [&] { slideTick(Menu::Export); });
}

void frmMain::HideMenus()
{
    for (Menu menu : {Menu::Clean, Menu::Export, Menu::DataBase}) {
        if (!menuFrame(menu)->isHidden()) {
            menuFrame(menu)->hide();
            menuShadow(menu)->hide();
            menuTimer(menu)->stop();
            break;
        }
    }
    for (int i = 1; i <= QueryTabs->Tabs() - 1; ++i)
        if (IQueryPage* page = QueryPage(i))
            page->DisableButtons(false);
    QueryTabs->setEnabled(true);
    QueryTabs->setFocus();
}

void frmMain::BttCloseMenu_MouseUp(Menu menu)
{
    static const QString names[] = {QStringLiteral("BttCloseMenuClean_MouseUp"),
                                    QStringLiteral("BttCloseMenuDatabase_MouseUp"),
                                    QStringLiteral("BttCloseMenuExport_MouseUp")};
    guarded(names[int(menu)], [&] { HideMenus(); });
}

void frmMain::BttCleanMenu_MouseUp(int Index)
{
    guarded(QStringLiteral("BttCleanMenu_MouseUp"), [&] {
        IQueryPage* page = currentPage();
        if (!page)
            return;
        switch (Index) {
        case 0:
            if (askYes(QStringLiteral("¿Quiere borrar los datos de conexión?")))
                page->DeleteConnectionData();
            break;
        case 1:
            if (askYes(QStringLiteral("¿Quiere borrar la consulta y la clave actuales?")))
                page->DeleteQueryData();
            break;
        case 2:
            page->DeleteGridData();
            break;
        case 3:
            if (askYes(QStringLiteral("¿Quiere eliminar todas las solapas que no contienen ninguna consulta?")))
                RemoveEmptyTabs();
            break;
        case 4:
            if (askYes(QStringLiteral(
                    "¿Quiere borrar todos los datos de la pantalla (conexión, consulta y rejilla)?"))) {
                page->DeleteConnectionData();
                page->DeleteQueryData();
                page->DeleteGridData();
                RemoveEmptyTabs();
            }
            break;
        }
        HideMenus();
    });
}

void frmMain::menuCommand(const QString& procedure, std::span<void (IQueryPage::* const)()> commands, int Index)
{
    guarded(procedure, [&] {
        if (IQueryPage* page = currentPage(); page && Index >= 0 && Index < int(commands.size()))
            (page->*commands[Index])();
        HideMenus();
    });
}

void frmMain::BttDataBaseMenu_MouseUp(int Index)
{
    static void (IQueryPage::* const commands[])() = {&IQueryPage::ShowTables, &IQueryPage::CompareDatabases,
                                                        &IQueryPage::CompactDatabase};
    menuCommand(QStringLiteral("BttDataBaseMenu_MouseUp"), commands, Index);
}

void frmMain::BttExportMenu_MouseUp(int Index)
{
    static void (IQueryPage::* const commands[])() = {&IQueryPage::GenerateExcel, &IQueryPage::GenerateCSV,
                                                        &IQueryPage::GenerateScript};
    menuCommand(QStringLiteral("BttExportMenu_MouseUp"), commands, Index);
}

void frmMain::QueryPage_CompactEnabledChanged(int)
{
    if (loading_)
        return;
    if (IQueryPage* page = currentPage()) {
        const bool on = page->CompactEnabled();
        entryPicture(BttDataBaseMenu[2], on ? imgCompact : imgCompactGris, on);
    }
}

void frmMain::QueryPage_ScriptEnabledChanged(int)
{
    if (loading_)
        return;
    if (IQueryPage* page = currentPage()) {
        const bool on = page->ScriptEnabled();
        entryPicture(BttExportMenu[2], on ? imgScript : imgScriptGrey, on);
    }
}

void frmMain::QueryPage_ShowKeyChanged(int Index)
{
    if (loading_)
        return;
    if (IQueryPage* page = QueryPage(Index))
        showKey_ = page->ShowKey();
}

// --- keys

void frmMain::Form_KeyDown(int& KeyCode, int Shift)
{
    IQueryPage* page = currentPage();
    switch (KeyCode) {
    case 116: // F5
        if (page && !page->ButtonsDisabled())
            page->ExecuteQuery();
        break;
    case 112: // F1
        openHelp(this);
        break;
    case 67: // C
        if (Shift == 2 && page && page->FlexiFocus())
            page->SetToClipboard();
        break;
    case 86: // V
        if (Shift == 2 && page && page->FlexiFocus())
            page->GetFromClipboard();
        break;
    case 27: // Esc
        if (menuVisible())
            HideMenus();
        break;
    }
}

void frmMain::openHelp(const QWidget* window)
{
    helppages::openPage(window->objectName(), msg_ ? msg_->Language() : QString());
}

void frmMain::Form_KeyPress(int& KeyAscii)
{
    guarded(QStringLiteral("Form_KeyPress"), [&] {
        IQueryPage* page = currentPage();
        if (page && page->IgnoreKeyPress()) {
            page->setIgnoreKeyPress(false);
            return;
        }
        if (KeyAscii == 27 && askYes(QStringLiteral("¿Desea cerrar la aplicación?")))
            close();
    });
}

bool frmMain::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    auto* w = qobject_cast<QWidget*>(watched);
    auto* key = static_cast<QKeyEvent*>(event);
    // F1 in any other window of the program opens that window's help page.
    if (w && w->window() != this && key->key() == Qt::Key_F1 && w->window()->windowType() != Qt::Popup) {
        guarded(QStringLiteral("Form_KeyDown"), [&] { openHelp(w->window()); });
        return true;
    }
    if (!w || w->window() != this)
        return false;
    // A key the focused control leaves goes on to its parents: it is one press.
    const bool passedOn = key == lastKeyEvent_ && key->timestamp() == lastKeyTimestamp_ && lastKeyReceiver_ &&
                          w != lastKeyReceiver_ && w->isAncestorOf(lastKeyReceiver_);
    lastKeyEvent_ = key;
    lastKeyTimestamp_ = key->timestamp();
    lastKeyReceiver_ = w;
    if (passedOn)
        return terminated_;
    if (terminated_ || ended_)
        return true;
    keys::dispatchPress(
        keys::fromKeyEvent(*key),
        [this](int& keyCode, int& shift) {
            guarded(QStringLiteral("Form_KeyDown"), [&] { Form_KeyDown(keyCode, shift); });
        },
        [this](int& keyAscii) { Form_KeyPress(keyAscii); });
    return terminated_ || ended_;
}
