#pragma once
// Shared pieces of the services tests: a services object whose questions and
// reports are recorded, a data-access object on the recording backend, and a
// folder for settings files.
#include "core/Dialogs.h"
#include "core/Error.h"
#include "data/clsDO.h"
#include "platform/db/RecordingBackend.h"
#include "services/clsTablas.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

// Readable values in failure messages.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const Variant& v, std::ostream* os) { *os << debugText(v).toStdString(); }

namespace svctest {

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
                questions.push_back({p, QString::number(s), t});
                return answers.isEmpty() ? 1 : answers.takeFirst();
            },
            [this](const QString& p, const QString& c, int ty, const QString& t) {
                reports.push_back({p, c, QString::number(ty), t});
            });
        svc->setProcessEvents([] {});
        ASSERT_TRUE(!startedInSetUp || start());
    }
    void TearDown() override { db::RecordingBackend::uninstall(); }

    // A recording backend with no answers yet, for a case of its own.
    void freshBackend()
    {
        rec = db::RecordingBackend::install();
        // A query nothing else answers finds no rows, as a server would answer it.
        rec->answerRegex(QStringLiteral("^\\s*(?i:select) "), db::RecordingBackend::Answer::table({"Nada"}, {}));
    }

    // Starts the services object on its folder (with no server configured unless the file says so).
    bool start() { return svc->Iniciar(nullptr, data, nullptr, dir.path()); }
    QString iniPath() const { return dir.path() + QStringLiteral("/Dovrin.ini"); }
    QStringList reportTexts() const
    {
        QStringList out;
        for (const auto& r : reports)
            out << r[0];
        return out;
    }
    // A question (prompt, style, title) or a report (procedure, component, type, title) as its texts.
    QStringList asked(qsizetype i) const { return questions.value(i, {"(not asked)"}); }
    QStringList reported(qsizetype i) const { return reports.value(i, {"(not reported)"}); }
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
    QList<QStringList> questions, reports;
    QList<int> answers; // to the questions in turn, then 1
    bool startedInSetUp = true;
    ScopedRecordingDialogs dialogs;
    QTemporaryDir dir;
};

} // namespace svctest
