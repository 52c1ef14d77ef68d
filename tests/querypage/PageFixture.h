#pragma once
// The bases of the page's tests: a query page with scripted dialogs, on local
// database files or over the recording backend.
#include "PageAccess.h"

#include "core/Dialogs.h"
#include "core/ProgramFolder.h"
#include "core/ValueText.h"
#include "messages/clsError.h"
#include "platform/db/RecordingBackend.h"
#include "platform/db/Types.h"
#include "platform/shell/Shell.h"
#include "querypage/LoadRules.h"
#include "controls/PushButton.h"
#include "services/clsTablas.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

// A dialog whose Show runs a script over it; every shown instance is counted.
template <class D>
class Scripted : public D {
public:
    explicit Scripted(std::function<void(D&)> step, int& shown) : step_(std::move(step)), shown_(shown) {}
    void Show(QWidget*) override
    {
        ++shown_;
        if (step_)
            step_(*this);
    }

private:
    std::function<void(D&)> step_;
    int& shown_;
};

// A query page wired as the main window wires it, on its own program folder,
// with a message object that records what it would show.
class PageBase : public ::testing::Test {
protected:
    void SetUp() override
    {
        ProgramFolder::setPath(dir.path());
        msg->setRecorder(recorder);
        scr->oError = msg;
        wire(page);
    }
    void TearDown() override
    {
        loadrules::setPagingCellLimit(0);
        ProgramFolder::setPath(QString());
    }
    // Pages of one window share the message, settings and data-access objects.
    void wire(MaxSQL& p)
    {
        MaxSQLTestAccess::stepsOnRequest(p);
        p.setErrorObject(msg);
        p.setSCRObject(scr);
        p.setZoltObject(zolt);
    }
    // As the program starts: on the shared data-access object, security off, keys shown.
    void startAsTheProgram()
    {
        scr->Iniciar(ObjectPtr(), zolt, msg, ProgramFolder::path());
        scr->DisableSecurity = true;
        page.setShowKey(true);
    }
    // Runs and waits for the whole result.
    void run(const QString& sql)
    {
        page.setTextSQL(sql);
        page.ExecuteQuery();
        MaxSQLTestAccess::finishFetch(page);
    }
    // The messages shown, each as "body (style, title)", or the bodies alone; without the leading line break.
    QStringList shown(bool bodiesOnly = false) const
    {
        QStringList out;
        for (const auto& c : recorder->calls)
            out << c.body.trimmed() + (bodiesOnly ? QString() : QStringLiteral(" (%1, %2)").arg(c.style).arg(c.title));
        return out;
    }
    QStringList reports() const { return shown(true); }
    // The grid's rows, each its cells joined by '|'.
    QStringList gridRows()
    {
        QStringList out;
        for (int r = 0; r < page.Flexi().Rows(); ++r) {
            QStringList cells;
            for (int c = 0; c < page.Flexi().Cols(); ++c)
                cells << page.Flexi().TextMatrix(r, c);
            out << cells.join('|');
        }
        return out;
    }
    template <class D>
    void script(std::function<std::unique_ptr<D>()>& factory, std::function<void(D&)> step)
    {
        factory = [this, step] { return std::make_unique<Scripted<D>>(step, dialogsShown); };
    }
    template <class W>
    W* child(const char* name)
    {
        return page.findChild<W*>(QString::fromLatin1(name));
    }
    void click(const char* button) { emit child<PushButton>(button)->mouseUp(1, 0, 0, 0); }
    bool enabled(const char* button) { return child<PushButton>(button)->isEnabled(); }

    ValueText::ScopedLocale spanish{QLocale(QLocale::Spanish, QLocale::Spain)};
    QTemporaryDir dir;
    std::shared_ptr<clsDO> zolt = std::make_shared<clsDO>();
    std::shared_ptr<clsError> msg = std::make_shared<clsError>();
    std::shared_ptr<MsgBoxRecorder> recorder = std::make_shared<MsgBoxRecorder>();
    std::shared_ptr<clsTablas> scr = std::make_shared<clsTablas>();
    MaxSQL page;
    int dialogsShown = 0;
};

// The page over the recording backend, on a SQL Server panel at a fixed clock.
class PageFixture : public PageBase {
protected:
    using Answer = db::RecordingBackend::Answer;

    void SetUp() override
    {
        rec = db::RecordingBackend::install();
        PageBase::SetUp();
        page.setCurrentTab(1);
        page.setClock([] { return QDateTime(QDate(2024, 1, 31), QTime(15, 45, 3)); });
        page.ParametersConnection(0, 0, "s", "d", "u", "p");
        rec->answer("SELECT * FROM [t] WHERE 1 = 2", Answer::table({"a", "b"}, {}));
        rec->answerRows("SELECT * FROM t", {"a", "b"}, {{1, "x"}, {2, "y"}, {3, Variant::null()}});
        rec->clearLog();
    }
    void TearDown() override
    {
        PageBase::TearDown();
        db::RecordingBackend::uninstall();
    }
    // A run whose statements and messages are then forgotten.
    void load(const QString& sql)
    {
        run(sql);
        rec->clearLog();
        recorder->calls.clear();
    }
    // Switches the page to an (empty) local database file.
    void useLocalFile()
    {
        EXPECT_TRUE(QFile(dir.filePath("db.mdb")).open(QIODevice::WriteOnly));
        page.ParametersConnection(1, 1, "", dir.filePath("db.mdb"), "", "");
    }

    std::shared_ptr<db::RecordingBackend> rec;
};
