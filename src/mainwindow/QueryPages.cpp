// The query page control behind the page interface: the main window's pages.
#include "IQueryPage.h"

#include "querypage/MaxSQL.h"

#include <QWidget>

namespace {

class MaxSQLPage : public MaxSQL, public IQueryPage {
public:
    explicit MaxSQLPage(QWidget* parent) : MaxSQL(parent)
    {
        connect(this, &MaxSQL::ButtonClicked, this, [this](QString& name) {
            if (events_.ButtonClicked)
                events_.ButtonClicked(name);
        });
        connect(this, &MaxSQL::CompactEnabledChanged, this, [this] { fire(events_.CompactEnabledChanged); });
        connect(this, &MaxSQL::ScriptEnabledChanged, this, [this] { fire(events_.ScriptEnabledChanged); });
        connect(this, &MaxSQL::ShowKeyChanged, this, [this] { fire(events_.ShowKeyChanged); });
    }

    QWidget* widget() override { return this; }
    void setEvents(QueryPageEvents events) override { events_ = std::move(events); }

    // The page sees its host as the window it is placed on; the host's
    // measures are reached from there (PageHost).
    void setParentForm(PageHost* host) override { MaxSQL::setParentForm(dynamic_cast<QWidget*>(host)); }
    void setErrorObject(std::shared_ptr<clsError> msg) override { MaxSQL::setErrorObject(std::move(msg)); }
    void setZoltObject(std::shared_ptr<clsDO> zolt) override { MaxSQL::setZoltObject(std::move(zolt)); }
    void setSCRObject(std::shared_ptr<clsTablas> scr) override { MaxSQL::setSCRObject(std::move(scr)); }
    int CurrentTab() const override { return MaxSQL::CurrentTab(); }
    void setCurrentTab(int tab) override { MaxSQL::setCurrentTab(std::int16_t(tab)); }
    void StartControl() override { MaxSQL::StartControl(); }
    void GetQuery(int lPos, int iTab) override
    {
        std::int32_t position = lPos;
        std::int16_t tab = std::int16_t(iTab);
        MaxSQL::GetQuery(position, tab);
    }
    void SaveLastQuery(int iTab) override { MaxSQL::SaveLastQuery(std::int16_t(iTab)); }
    bool TimerEnabled() const override { return MaxSQL::TimerEnabled(); }
    void ResetEditState() override
    {
        MaxSQL::ResetEditState(true);
        // What the page shows now is its file's latest query: it counts as the
        // saved one, as at start, so a close does not record it a second time.
        MaxSQL::StartControl();
    }

    bool ShowKey() const override { return MaxSQL::ShowKey(); }
    void setShowKey(bool value) override { MaxSQL::setShowKey(value); }
    double TabReservedSpaceLeft() const override { return MaxSQL::TabReservedSpaceLeft(); }
    double TabReservedSpaceTop() const override { return MaxSQL::TabReservedSpaceTop(); }
    bool ButtonsDisabled() const override { return MaxSQL::ButtonsDisabled(); }
    void DisableButtons(bool disable) override { MaxSQL::DisableButtons(disable); }
    bool FlexiFocus() const override { return MaxSQL::FlexiFocus(); }
    bool IgnoreKeyPress() const override { return MaxSQL::IgnoreKeyPress(); }
    void setIgnoreKeyPress(bool value) override { MaxSQL::setIgnoreKeyPress(value); }
    bool CompactEnabled() const override { return MaxSQL::CompactEnabled(); }
    bool ScriptEnabled() const override { return MaxSQL::ScriptEnabled(); }

    void ExecuteQuery() override { MaxSQL::ExecuteQuery(); }
    void SetToClipboard() override { MaxSQL::SetToClipboard(); }
    void GetFromClipboard() override { MaxSQL::GetFromClipboard(); }
    void DeleteConnectionData() override { MaxSQL::DeleteConnectionData(); }
    void DeleteQueryData() override { MaxSQL::DeleteQueryData(); }
    void DeleteGridData() override { MaxSQL::DeleteGridData(); }
    void ShowTables() override { MaxSQL::ShowTables(); }
    void CompareDatabases() override { MaxSQL::CompareDatabases(); }
    void CompactDatabase() override { MaxSQL::CompactDatabase(); }
    void GenerateExcel() override { MaxSQL::GenerateExcel(); }
    void GenerateCSV() override { MaxSQL::GenerateCSV(); }
    void GenerateScript() override { MaxSQL::GenerateScript(); }

    int ConnectionType() const override { return MaxSQL::ConnectionType(); }
    int SelectedDriver() const override { return MaxSQL::SelectedDriver(); }
    QString ServerName() const override { return MaxSQL::ServerName(); }
    QString DatabaseName() const override { return MaxSQL::DatabaseName(); }
    QString UserName() const override { return MaxSQL::UserName(); }
    QString Password() const override { return MaxSQL::Password(); }
    QString TextSQL() const override { return MaxSQL::TextSQL(); }
    QString RtfSQL() const override { return MaxSQL::RtfSQL(); }
    void setRtfSQL(const QString& text) override { MaxSQL::setRtfSQL(text); }
    void ParametersConnection(int connectionType, int driver, const QString& server, const QString& database,
                              const QString& user, const QString& password) override
    {
        MaxSQL::ParametersConnection(std::int16_t(connectionType), std::int16_t(driver), server, database, user,
                                     password);
    }

private:
    static void fire(const std::function<void()>& event)
    {
        if (event)
            event();
    }
    QueryPageEvents events_;
};

} // namespace

QueryPageFactory defaultQueryPageFactory()
{
    return [](QWidget* parent) -> std::unique_ptr<IQueryPage> { return std::make_unique<MaxSQLPage>(parent); };
}
