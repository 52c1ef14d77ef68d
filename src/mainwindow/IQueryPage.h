#pragma once
// What the main window uses of a query page: one page per tab, each a widget
// the window places, shows and hides, reached through the members below.
// The query page control implements it; tests put a recording page in its
// place through the window's page factory.
#include <QString>
#include <functional>
#include <memory>

class QWidget;
class PageHost;
class clsDO;
class clsError;
class clsTablas;

// The events a page raises towards its host.
struct QueryPageEvents {
    std::function<void(const QString& ButtonName)> ButtonClicked;
    std::function<void()> CompactEnabledChanged;
    std::function<void()> ScriptEnabledChanged;
    std::function<void()> ShowKeyChanged;
};

class IQueryPage {
public:
    virtual ~IQueryPage() = default;

    // The page itself; deleting it deletes the page.
    virtual QWidget* widget() = 0;
    virtual void setEvents(QueryPageEvents events) = 0;

    // --- set-up and settings file
    virtual void setParentForm(PageHost* host) = 0;
    virtual void setErrorObject(std::shared_ptr<clsError> msg) = 0;
    virtual void setZoltObject(std::shared_ptr<clsDO> zolt) = 0;
    virtual void setSCRObject(std::shared_ptr<clsTablas> scr) = 0;
    virtual int CurrentTab() const = 0;
    virtual void setCurrentTab(int tab) = 0;
    virtual void StartControl() = 0;
    virtual void GetQuery(int lPos, int iTab) = 0;
    virtual void SaveLastQuery(int iTab = 0) = 0;
    virtual bool TimerEnabled() const = 0;
    // Forgets pending record edits and takes what the page shows now as its
    // saved text, as a freshly started page does.
    virtual void ResetEditState() = 0;

    // --- layout and state
    virtual bool ShowKey() const = 0;
    virtual void setShowKey(bool value) = 0;
    virtual double TabReservedSpaceLeft() const = 0;
    virtual double TabReservedSpaceTop() const = 0;
    virtual bool ButtonsDisabled() const = 0;
    virtual void DisableButtons(bool disable) = 0;
    virtual bool FlexiFocus() const = 0;
    virtual bool IgnoreKeyPress() const = 0;
    virtual void setIgnoreKeyPress(bool value) = 0;
    virtual bool CompactEnabled() const = 0;
    virtual bool ScriptEnabled() const = 0;

    // --- commands
    virtual void ExecuteQuery() = 0;
    virtual void SetToClipboard() = 0;
    virtual void GetFromClipboard() = 0;
    virtual void DeleteConnectionData() = 0;
    virtual void DeleteQueryData() = 0;
    virtual void DeleteGridData() = 0;
    virtual void ShowTables() = 0;
    virtual void CompareDatabases() = 0;
    virtual void CompactDatabase() = 0;
    virtual void GenerateExcel() = 0;
    virtual void GenerateCSV() = 0;
    virtual void GenerateScript() = 0;

    // --- connection and text
    virtual int ConnectionType() const = 0;
    virtual int SelectedDriver() const = 0;
    virtual QString ServerName() const = 0;
    virtual QString DatabaseName() const = 0;
    virtual QString UserName() const = 0;
    virtual QString Password() const = 0;
    virtual QString TextSQL() const = 0;
    virtual QString RtfSQL() const = 0;
    virtual void setRtfSQL(const QString& text) = 0;
    virtual void ParametersConnection(int connectionType, int driver, const QString& server,
                                      const QString& database, const QString& user, const QString& password) = 0;
};

// Makes a new page as a child of the host window.
using QueryPageFactory = std::function<std::unique_ptr<IQueryPage>(QWidget* parent)>;

// The program's own pages (the query page control); an empty factory when
// the build has none.
QueryPageFactory defaultQueryPageFactory();
