// frmMain: the query tabs and their pages.
#include "frmMain.h"

#include "controls/ControlSupport.h"
#include "core/ProgramFolder.h"
#include "core/Screen.h"
#include "data/clsDO.h"
#include "messages/clsError.h"
#include "services/clsTablas.h"

#include <QFile>
#include <QMenu>
#include <QPushButton>
#include <QVariant>

using namespace MainWindowRules;

namespace {
// Set while a tab operation runs: the strip raises TabChange on every
// caption and selection it is given, and the operation selects by itself.
struct Busy {
    bool& flag;
    bool was;
    explicit Busy(bool& f) : flag(f), was(f) { flag = true; }
    ~Busy() { flag = was; }
};
} // namespace

IQueryPage* frmMain::QueryPage(int index) const
{
    return index >= 1 && index < int(pages_.size()) ? pages_[index].get() : nullptr;
}

IQueryPage* frmMain::currentPage() const { return QueryTabs ? QueryPage(QueryTabs->CurrentTab()) : nullptr; }

IQueryPage* frmMain::createPage(int tab)
{
    if (!pageFactory_)
        ::raise(Error::CannotCreateObject, QStringLiteral("El componente ActiveX no puede crear el objeto"),
              QStringLiteral("MaxSQL"));
    std::unique_ptr<IQueryPage> page = pageFactory_(this);
    if (!page)
        ::raise(Error::CannotCreateObject, QStringLiteral("El componente ActiveX no puede crear el objeto"),
              QStringLiteral("MaxSQL"));
    QWidget* w = page->widget();
    w->setObjectName(QStringLiteral("QueryPage"));
    w->setProperty("Index", tab);
    // A page made before the window is shown would appear with it; every
    // page stays hidden until it is selected.
    w->hide();
    QueryPageEvents events;
    events.ButtonClicked = [this, tab](const QString& name) {
        guarded(QStringLiteral("QueryPage_ButtonClicked"), [&] { QueryPage_ButtonClicked(tab, name); });
    };
    events.CompactEnabledChanged = [this, tab] {
        guarded(QStringLiteral("QueryPage_CompactEnabledChanged"), [&] { QueryPage_CompactEnabledChanged(tab); });
    };
    events.ScriptEnabledChanged = [this, tab] {
        guarded(QStringLiteral("QueryPage_ScriptEnabledChanged"), [&] { QueryPage_ScriptEnabledChanged(tab); });
    };
    events.ShowKeyChanged = [this, tab] {
        guarded(QStringLiteral("QueryPage_ShowKeyChanged"), [&] { QueryPage_ShowKeyChanged(tab); });
    };
    page->setEvents(std::move(events));
    if (int(pages_.size()) <= tab)
        pages_.resize(tab + 1);
    pages_[tab] = std::move(page);
    return pages_[tab].get();
}

void frmMain::setUpPage(int tab)
{
    IQueryPage* page = QueryPage(tab);
    page->setParentForm(this);
    page->setErrorObject(msg_);
    page->setZoltObject(zolt_);
    page->setSCRObject(scr_);
    page->setCurrentTab(tab);
    page->StartControl();
    page->GetQuery(0, tab);
}

void frmMain::unloadPage(int tab)
{
    if (tab >= 1 && tab < int(pages_.size()))
        pages_[tab].reset();
    while (pages_.size() > 1 && !pages_.back())
        pages_.pop_back();
}

void frmMain::LoadTab(int tab, bool selected)
{
    guarded(QStringLiteral("LoadTab"), [&] {
        Busy busy(tabBusy_);
        if (QueryTabs->Tabs() < tab + 1) {
            createPage(tab);
            setUpPage(tab);
            QueryTabs->setTabs(tab + 1);
            QueryTabs->setTabCaption(tab, tabCaption(tab));
            QueryTabs->setTabCaption(tab + 1, PlusCaption);
            QueryPage(tab)->setCurrentTab(tab);
        }
        if (selected)
            SelectTab(tab);
    });
}

void frmMain::SelectTab(int tab)
{
    guarded(QStringLiteral("SelectTab"), [&] {
        Busy busy(tabBusy_);
        if (QueryTabs->CurrentTab() != tab)
            QueryTabs->setCurrentTab(tab);
        bool isNew = false;
        if (!QueryPage(tab)) {
            createPage(tab);
            isNew = true;
        }
        for (int i = 1; i <= QueryTabs->Tabs() - 1; ++i) {
            if (i == tab) {
                if (isNew)
                    setUpPage(tab);
                IQueryPage* page = QueryPage(tab);
                page->setShowKey(showKey_);
                page->widget()->show();
                continue;
            }
            // Hiding the others does not stop the selection.
            controls::ignoreErrors([&] {
                if (!QueryPage(i)) {
                    createPage(i);
                    setUpPage(i);
                }
                QueryPage(i)->widget()->hide();
            });
        }
        if (!currentPage())
            return;
        layoutCurrentPage();
        placeCloseButton(tab);
    });
}

// The button sits on the strip at the right end of the current tab.
void frmMain::placeCloseButton(int tab)
{
    const int right = QueryTabs->TabLeft(tab) + QueryTabs->TabWidth(tab);
    BttCloseTab->move(Screen::pixelsFromTwips(right) - BttCloseTab->width() - 2, BttCloseTab->y());
    BttCloseTab->show();
    BttCloseTab->raise();
}

void frmMain::QueryTabs_TabChange()
{
    guarded(QStringLiteral("QueryTabs_TabChange"), [&] {
        if (loading_ || tabBusy_ || terminated_)
            return;
        const int current = QueryTabs->CurrentTab();
        if (current == QueryTabs->Tabs())
            LoadTab(current, true);
        else
            SelectTab(current);
    });
}

void frmMain::QueryTabs_MouseUp(int Button, int, float, float)
{
    guarded(QStringLiteral("QueryTabs_MouseUp"), [&] {
        if (Button != 2)
            return;
        QueryTabs->setIgnoreNextClick(true);
        popupMenu_(mnuSolapas, QCursor::pos());
    });
}

void frmMain::BttCloseTab_MouseUp()
{
    guarded(QStringLiteral("BttCloseTab_MouseUp"), [&] { CloseCurrentTab(); });
}

void frmMain::mnuCerrarSolapa_Click()
{
    guarded(QStringLiteral("mnuCerrarSolapa_Click"), [&] { CloseCurrentTab(); });
}

void frmMain::mnuDuplicarSolapa_Click()
{
    guarded(QStringLiteral("mnuDuplicarSolapa_Click"), [&] { DuplicateTab(true); });
}

void frmMain::mnuDuplicarConexion_Click()
{
    guarded(QStringLiteral("mnuDuplicarConexion_Click"), [&] { DuplicateTab(false); });
}

void frmMain::CloseCurrentTab()
{
    guarded(QStringLiteral("CloseCurrentTab"), [&] {
        Busy busy(tabBusy_);
        const int n = QueryTabs->Tabs() - 1;
        const int c = QueryTabs->CurrentTab();
        const QString folder = ProgramFolder::path();
        if (c == n) {
            IQueryPage* page = QueryPage(c);
            if (n < 2) {
                if (page) {
                    page->DeleteConnectionData();
                    page->DeleteQueryData();
                    page->DeleteGridData();
                }
                return;
            }
            SelectTab(c - 1);
            unloadPage(c);
            QueryTabs->setTabs(n);
            QueryTabs->setTabCaption(n, PlusCaption);
            QFile::remove(tabFile(folder, n));
            SelectTab(c - 1);
            return;
        }
        // Each later tab keeps its own history: its page saves into its own
        // file, the files move one number down, and the pages that stay
        // reload from the file now under their number.
        for (int i = c + 1; i <= n; ++i)
            if (IQueryPage* page = QueryPage(i))
                page->SaveLastQuery(i);
        const bool moved = shiftTabFiles(folder, c, n);
        for (int k = c; k < n; ++k) {
            if (IQueryPage* page = QueryPage(k)) {
                page->GetQuery(0, k);
                page->DeleteGridData();
                page->ResetEditState();
            }
        }
        unloadPage(n);
        QueryTabs->setTabs(n);
        QueryTabs->setTabCaption(n, PlusCaption);
        SelectTab(c);
        if (!moved)
            ::raise(Error::PathNotFound, QStringLiteral("No se han podido renumerar los ficheros de las solapas."));
    });
}

void frmMain::DuplicateTab(bool withSQL)
{
    const int s = QueryTabs->CurrentTab();
    IQueryPage* source = QueryPage(s);
    if (!source)
        return;
    LoadTab(QueryTabs->Tabs(), true);
    const int m = QueryTabs->Tabs() - 1;
    IQueryPage* target = QueryPage(m);
    if (!target || target == source)
        return;
    target->ParametersConnection(source->ConnectionType(), source->SelectedDriver(), source->ServerName(),
                                 source->DatabaseName(), source->UserName(), source->Password());
    if (withSQL)
        target->setRtfSQL(source->RtfSQL());
    SelectTab(m);
}

void frmMain::RemoveEmptyTabs()
{
    for (int i = QueryTabs->Tabs() - 1; i >= 1; --i) {
        controls::ignoreErrors([&] {
            IQueryPage* page = QueryPage(i);
            if (!page)
                return;
            page->widget()->hide();
            const bool empty = page->ServerName().isEmpty() && page->DatabaseName().isEmpty() &&
                               page->UserName().isEmpty() && page->Password().isEmpty() &&
                               page->TextSQL().isEmpty();
            if (!empty)
                return;
            SelectTab(i);
            CloseCurrentTab();
        });
    }
    controls::ignoreErrors([&] { SelectTab(1); });
}
