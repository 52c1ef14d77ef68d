#pragma once
// A backend for tests: replays scripted answers and records every connection
// string and statement in order, so behaviour of engines that cannot run here
// is tested on exact SQL text. While installed it serves every connection.
//
//   auto rec = db::RecordingBackend::install();     // uninstalled when the last reference goes
//   rec->answerRows("SELECT a FROM t", {"a"}, {{1}, {2}});
//   rec->answerRegex("^DELETE ", db::RecordingBackend::Answer::affected(3));
//   ... code under test ...
//   EXPECT_EQ(rec->statements(), QStringList{...});
#include "Backend.h"
#include "core/Error.h"

#include <QMutex>
#include <QRegularExpression>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

namespace db {

class RecordingBackend : public std::enable_shared_from_this<RecordingBackend> {
public:
    struct Answer {
        std::vector<FieldInfo> fields;          // empty: a statement without rows
        std::vector<std::vector<Variant>> rows;
        qint64 rowsAffected = -1;
        std::optional<Error> error;             // raised instead of answering
        std::vector<Answer> more;               // further result sets of the batch

        static Answer affected(qint64 n);
        static Answer failure(long number, const QString& description);
        // Fields named by `names`, typed from the first non-null value of each column.
        static Answer table(const QStringList& names, std::vector<std::vector<Variant>> rows);
    };

    // Describe: a statement whose columns were asked for without its rows.
    enum class EventKind { Open, Run, Begin, Commit, Rollback, Close, Describe };
    struct Event {
        EventKind kind;
        QString text; // connection string for Open, statement for Run
    };

    static std::shared_ptr<RecordingBackend> install();
    static void uninstall();
    static std::shared_ptr<RecordingBackend> installed();

    // Answers are matched in the order given: exact text first (all of them), then patterns.
    void answer(const QString& exactSql, Answer a);
    void answerRows(const QString& exactSql, const QStringList& names, std::vector<std::vector<Variant>> rows);
    void answerAffected(const QString& exactSql, qint64 n);
    void answerError(const QString& exactSql, long number, const QString& description);
    void answerRegex(const QString& pattern, Answer a);
    // Answer for statements nothing matches (default: no rows, 0 affected).
    void setDefaultAnswer(Answer a);
    // Makes Open fail for connection strings matching the pattern.
    void failOpen(const QString& pattern, const QString& description);
    // Catalog content served to Catalog.
    void setTables(std::vector<TableInfo> tables);
    void setViews(std::vector<ViewInfo> views);
    void setProvider(const QString& provider) { provider_ = provider; }

    QStringList connectionStrings() const;
    QStringList statements() const;
    // Statements described without running them (EventKind::Describe).
    QStringList described() const;
    std::vector<Event> events() const;
    void clearLog();

    // Used by the layer.
    std::unique_ptr<BackendConnection> open(const OpenRequest& request);
    Answer find(const QString& sql) const;
    void record(EventKind kind, const QString& text);
    std::vector<TableInfo> tables() const;
    std::vector<ViewInfo> views() const;
    QString provider() const { return provider_; }

private:
    mutable QMutex mutex_;
    std::vector<std::pair<QString, Answer>> exact_;
    std::vector<std::pair<QRegularExpression, Answer>> patterns_;
    std::vector<std::pair<QRegularExpression, QString>> openFailures_;
    Answer default_ = Answer::affected(0);
    std::vector<TableInfo> tables_;
    std::vector<ViewInfo> views_;
    std::vector<Event> events_;
    QString provider_ = QStringLiteral("Recorder");
};

} // namespace db
