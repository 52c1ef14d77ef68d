#pragma once
// Shared pieces of the services tests: a services object whose questions and
// reports are recorded, a data-access object on the recording backend, and a
// folder for settings files.
#include "core/Collection.h"
#include "core/Dialogs.h"
#include "data/clsDO.h"
#include "platform/db/RecordingBackend.h"
#include "services/clsTablas.h"

#include <QTemporaryDir>
#include <functional>
#include <ostream>
#include <gtest/gtest.h>
#include <vector>

// Readable values in failure messages.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const Variant& v, std::ostream* os) { *os << debugText(v).toStdString(); }

namespace svctest {

struct Question {
    QString prompt;
    int style = 0;
    QString title;
};

struct Report {
    QString procedure;
    QString component;
    int type = 0;
    QString title;
};

class ServicesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        freshBackend();
        data = std::make_shared<clsDO>();
        data->setConnectionType(0);
        data->setUsedDriver(0);
        data->StartObject(QStringLiteral("srv"), QStringLiteral("work"), QStringLiteral("u"), QStringLiteral("p"));
        svc = std::make_shared<clsTablas>();
        svc->setMessageHooks(
            [this](const QString& p, int s, const QString& t) {
                questions.push_back({p, s, t});
                if (answers.empty())
                    return 1;
                const int a = answers.front();
                answers.erase(answers.begin());
                return a;
            },
            [this](const QString& p, const QString& c, int ty, const QString& t) {
                reports.push_back({p, c, ty, t});
            });
        svc->setProcessEvents([] {});
    }
    void TearDown() override { db::RecordingBackend::uninstall(); }

    // A recording backend with no answers yet, for a case of its own.
    void freshBackend()
    {
        rec = db::RecordingBackend::install();
        // A query nothing else answers finds no rows, as a server would answer it.
        rec->answerRegex(QStringLiteral("^\\s*(?i:select) "), db::RecordingBackend::Answer::table({"Nada"}, {}));
    }

    // Starts the services object on a folder (with no server configured unless the file says so).
    bool start(const QString& folder = QString())
    {
        return svc->Iniciar(nullptr, data, nullptr, folder.isEmpty() ? dir.path() : folder);
    }
    QString iniPath() const { return dir.path() + QStringLiteral("/Dovrin.ini"); }
    QStringList reportTexts() const
    {
        QStringList out;
        for (const auto& r : reports)
            out << r.procedure;
        return out;
    }
    // A question or a report as its texts, the style or type as a number.
    QStringList asked(std::size_t i) const
    {
        return i < questions.size()
                   ? QStringList{questions[i].prompt, QString::number(questions[i].style), questions[i].title}
                   : QStringList{"(not asked)"};
    }
    QStringList reported(std::size_t i) const
    {
        if (i >= reports.size())
            return {"(not reported)"};
        const Report& r = reports[i];
        return {r.procedure, r.component, QString::number(r.type), r.title};
    }
    // Answers sql with one column, a value a row.
    void answerColumn(const QString& sql, const QString& column, std::initializer_list<Variant> values)
    {
        std::vector<std::vector<Variant>> rows;
        for (const Variant& v : values)
            rows.push_back({v});
        rec->answerRows(sql, {column}, rows);
    }
    // The statements a call sends, counted from an emptied log.
    QStringList sent(const std::function<void()>& call)
    {
        rec->clearLog();
        call();
        return rec->statements();
    }

    std::shared_ptr<db::RecordingBackend> rec;
    std::shared_ptr<clsDO> data;
    std::shared_ptr<clsTablas> svc;
    std::vector<Question> questions;
    std::vector<int> answers;
    std::vector<Report> reports;
    ScopedRecordingDialogs dialogs;
    QTemporaryDir dir;
};

} // namespace svctest
