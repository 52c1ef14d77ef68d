#pragma once
// A query page that records every call the main window makes, in order,
// into a log shared by all pages of a test ("2:GetQuery(0,2)"). Its tab
// settings file holds its SQL text and connection under [Fake], so moves of
// tab files can be followed.
#include "core/Error.h"
#include "core/ProfileFile.h"
#include "core/ProgramFolder.h"
#include "mainwindow/IQueryPage.h"
#include "mainwindow/MainWindowRules.h"
#include "support/QtPrinters.h"

#include <QSet>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>

// A command the page only records.
#define FAKE_COMMAND(name) \
    void name() override { note(QStringLiteral(#name)); }

class FakeQueryPage : public QWidget, public IQueryPage {
public:
    struct Shared {
        QStringList log;
        QSet<QString> throwIn; // members that raise
        std::function<void(FakeQueryPage&)> onMake;
    };

    FakeQueryPage(QWidget* parent, std::shared_ptr<Shared> shared) : QWidget(parent), shared_(std::move(shared))
    {
        if (shared_->onMake)
            shared_->onMake(*this);
    }
    static QueryPageFactory factory(std::shared_ptr<Shared> shared)
    {
        return [shared](QWidget* parent) { return std::make_unique<FakeQueryPage>(parent, shared); };
    }

    // State the tests set or read.
    QueryPageEvents events;
    int tab = 0;
    bool showKey = false;
    bool buttonsDisabled = false, flexiFocus = false, ignoreKeyPress = false;
    bool compactEnabled = true, scriptEnabled = true;
    std::function<bool()> timerEnabled = [] { return false; };
    int connectionType = 0, driver = 0;
    QString server, database, user, password, sql;
    bool gridFilled = true;
    mutable QStringList calls; // this page's own calls

    QWidget* widget() override { return this; }
    void setEvents(QueryPageEvents e) override { events = std::move(e); }

    void setParentForm(PageHost*) override { note(QStringLiteral("ParentForm")); }
    void setErrorObject(std::shared_ptr<clsError>) override { note(QStringLiteral("ErrorObject")); }
    void setZoltObject(std::shared_ptr<clsDO>) override { note(QStringLiteral("ZoltObject")); }
    void setSCRObject(std::shared_ptr<clsTablas>) override { note(QStringLiteral("SCRObject")); }
    int CurrentTab() const override { return tab; }
    void setCurrentTab(int t) override { note(QStringLiteral("CurrentTab")), tab = t; }
    void GetQuery(int lPos, int iTab) override
    {
        note(QStringLiteral("GetQuery(%1,%2)").arg(lPos).arg(iTab));
        const ProfileFile f = ProfileFile::load(file(iTab ? iTab : tab));
        sql = f.value("Fake", "SQL"), server = f.value("Fake", "Server"), user = f.value("Fake", "User");
    }
    void SaveLastQuery(int iTab) override
    {
        note(QStringLiteral("SaveLastQuery(%1)").arg(iTab));
        if (sql.isEmpty() && (iTab == 0 || iTab == tab))
            return;
        ProfileFile f = ProfileFile::load(file(iTab ? iTab : tab));
        f.setValue("Fake", "SQL", sql), f.setValue("Fake", "Server", server), f.setValue("Fake", "User", user);
        f.save(file(iTab ? iTab : tab));
    }
    bool TimerEnabled() const override { return timerEnabled(); }

    bool ShowKey() const override { return showKey; }
    void setShowKey(bool v) override { showKey = v; }
    double TabReservedSpaceLeft() const override { return 2600; }
    double TabReservedSpaceTop() const override { return 60; }
    bool ButtonsDisabled() const override { return buttonsDisabled; }
    void DisableButtons(bool d) override { note(QStringLiteral("DisableButtons(%1)").arg(d)), buttonsDisabled = d; }
    bool FlexiFocus() const override { return flexiFocus; }
    bool IgnoreKeyPress() const override { return ignoreKeyPress; }
    void setIgnoreKeyPress(bool v) override { ignoreKeyPress = v; }
    bool CompactEnabled() const override { return compactEnabled; }
    bool ScriptEnabled() const override { return scriptEnabled; }

    FAKE_COMMAND(StartControl)
    FAKE_COMMAND(ResetEditState)
    FAKE_COMMAND(ExecuteQuery)
    FAKE_COMMAND(SetToClipboard)
    FAKE_COMMAND(GetFromClipboard)
    FAKE_COMMAND(ShowTables)
    FAKE_COMMAND(CompareDatabases)
    FAKE_COMMAND(CompactDatabase)
    FAKE_COMMAND(GenerateExcel)
    FAKE_COMMAND(GenerateCSV)
    FAKE_COMMAND(GenerateScript)
    void DeleteConnectionData() override { note("DeleteConnectionData"), server = database = user = password = QString(); }
    void DeleteQueryData() override { note(QStringLiteral("DeleteQueryData")), sql.clear(); }
    void DeleteGridData() override { note(QStringLiteral("DeleteGridData")), gridFilled = false; }

    int ConnectionType() const override { return connectionType; }
    int SelectedDriver() const override { return driver; }
    QString ServerName() const override { return server; }
    QString DatabaseName() const override { return database; }
    QString UserName() const override { return user; }
    QString Password() const override { return password; }
    QString TextSQL() const override { return sql; }
    QString RtfSQL() const override { return sql; }
    void setRtfSQL(const QString& text) override { note(QStringLiteral("RtfSQL")), sql = text; }
    void ParametersConnection(int type, int drv, const QString& srv, const QString& db, const QString& usr,
                              const QString& pwd) override
    {
        note(QStringLiteral("ParametersConnection(%1,%2,%3,%4,%5,%6)").arg(type).arg(drv).arg(srv, db, usr, pwd));
        connectionType = type, driver = drv, server = srv, database = db, user = usr, password = pwd;
    }

    static QString file(int t) { return MainWindowRules::tabFile(ProgramFolder::path(), t); }

private:
    void note(const QString& call) const
    {
        shared_->log.append(QString::number(tab) + QLatin1Char(':') + call);
        calls.append(call);
        const QString member = call.section(QLatin1Char('('), 0, 0);
        if (shared_->throwIn.contains(member))
            ::raise(5, QStringLiteral("falla ") + member);
    }
    std::shared_ptr<Shared> shared_;
};
