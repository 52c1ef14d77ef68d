#include "SqliteBackend.h"

#include "../LocalFile.h"
#include "AccessDialect.h"
#include "LocalRegistry.h"
#include "SqliteInternal.h"
#include "SqliteTypes.h"
#include "core/Error.h"
#include "core/ValueText.h"

#include <QDate>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QRegularExpression>
#include <mutex>
#include <optional>
#include <sqlite3.h>
#include <sys/stat.h>

namespace db {

namespace {

// The last number each COUNTER that is not a table's key gave; the catalog does not list it.
const QString CounterStore = QStringLiteral("velmora_counters");
using sqlite::quoteName;
using sqlitebackend::fail;
using sqlitebackend::SchemaMemo;
using sqlitebackend::SqliteRows;
using sqlitebackend::Src;
using sqlitebackend::Stmt;
using sqlitebackend::declareExpressionTypes;
using sqlitebackend::registerFunctions;

QString columnText(sqlite3_stmt* st, int column)
{
    return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, column)));
}

// The catalog's type of a table the engine lists as "table" or "view".
QString tableType(const QString& engineType, const QString& name)
{
    if (engineType == QLatin1String("view"))
        return QStringLiteral("VIEW");
    return name.startsWith(QLatin1String("sqlite_"), Qt::CaseInsensitive) ? QStringLiteral("SYSTEM TABLE")
                                                                           : QStringLiteral("TABLE");
}


bool startsWithWord(const QString& sql, const char* word)
{
    const QString t = sql.trimmed();
    const int n = int(qstrlen(word));
    return t.size() >= n && t.left(n).compare(QLatin1String(word), Qt::CaseInsensitive) == 0
        && (t.size() == n || !t[n].isLetterOrNumber());
}

struct ForeignKey {
    QStringList from, to;
    QString parent, onUpdate, onDelete;
};

// The clauses of the references a rebuilt table keeps: those whose columns it still has.
QStringList referenceClauses(const std::vector<ForeignKey>& keys, const QSet<QString>& newColumns)
{
    QStringList clauses;
    for (const ForeignKey& k : keys) {
        bool kept = true;
        QStringList from, to;
        for (const QString& c : k.from) {
            kept = kept && newColumns.contains(c.toCaseFolded());
            from << quoteName(c);
        }
        for (const QString& c : k.to)
            to << quoteName(c);
        if (!kept)
            continue;
        QString clause = QStringLiteral("FOREIGN KEY (") + from.join(QStringLiteral(", ")) + QStringLiteral(") REFERENCES ")
            + quoteName(k.parent);
        if (!to.isEmpty())
            clause += QStringLiteral(" (") + to.join(QStringLiteral(", ")) + QLatin1Char(')');
        if (k.onUpdate != QLatin1String("NO ACTION"))
            clause += QStringLiteral(" ON UPDATE ") + k.onUpdate;
        if (k.onDelete != QLatin1String("NO ACTION"))
            clause += QStringLiteral(" ON DELETE ") + k.onDelete;
        clauses << clause;
    }
    return clauses;
}

// Makes again the indexes and triggers of a rebuilt table, but for its numbering
// triggers and those on a column the change removed.
void remakeDependents(sqlite3* h, const std::vector<std::pair<QString, QString>>& dependents, const QString& counterPrefix)
{
    for (const auto& [name, sql] : dependents) {
        if (name.startsWith(counterPrefix, Qt::CaseInsensitive))
            continue;
        Stmt st;
        const QByteArray u = sql.toUtf8();
        if (sqlite3_prepare_v2(h, u.constData(), int(u.size()), &st.s, nullptr) != SQLITE_OK) {
            if (QString::fromUtf8(sqlite3_errmsg(h)).contains(QLatin1String("no such column")))
                continue;
            fail(h);
        }
        if (sqlite3_step(st.s) != SQLITE_DONE)
            fail(h);
    }
}

class SqliteConnection : public BackendConnection {
public:
    SqliteConnection(const QString& path, bool readOnly, const QString& provider)
        : path_(path), provider_(provider), readOnly_(readOnly)
    {
        // A connection serves one thread at a time (a fetch elsewhere opens its
        // own): SQLite's own lock around every call would cost a fifth of a read.
        const int flags = (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX;
        int rc = sqlite3_open_v2(path.toUtf8().constData(), &h_, flags, nullptr);
        if (rc != SQLITE_OK) {
            QString msg = h_ ? QString::fromUtf8(sqlite3_errmsg(h_)) : QStringLiteral("out of memory");
            sqlite3_close(h_);
            h_ = nullptr;
            raise(errDatabase, QStringLiteral("No se puede abrir la base de datos '%1': %2").arg(path, msg), Src);
        }
        sqlite3_extended_result_codes(h_, 0);
        sqlite3_busy_timeout(h_, 5000);
        registerFunctions(h_);
        // Declared relationships are enforced, as the original engine enforced them.
        sqlite3_exec(h_, "PRAGMA foreign_keys = ON", nullptr, nullptr, nullptr);
        // A file that is not a database is refused now, not at the first statement;
        // so is one whose stored schema does not parse, unless that very schema
        // parsed before (the version number is read without parsing it).
        fileId_ = SchemaMemo::identify(path_);
        int version = -1;
        if (!schemaVersion(version)
            || (!SchemaMemo::instance().known(path_, fileId_, version)
                && sqlite3_exec(h_, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr) != SQLITE_OK)) {
            QString msg = QString::fromUtf8(sqlite3_errmsg(h_));
            sqlite3_close(h_);
            h_ = nullptr;
            raise(errDatabase, QStringLiteral("No se puede abrir la base de datos '%1': %2").arg(path, msg), Src);
        }
        SchemaMemo::instance().noteParsed(path_, fileId_, version);
        if (!readOnly)
            repairOnce();
        LocalRegistry::opened(path_);
    }

    ~SqliteConnection() override
    {
        if (h_) {
            sqlite3_close_v2(h_);
            LocalRegistry::closed(path_);
            if (keptSound_)
                noteCaseIndexesSound(path_);
        }
    }

    QString provider() const override { return provider_; }

    void setCommandTimeout(int seconds) override
    {
        timeout_ = seconds;
        sqlite3_busy_timeout(h_, seconds > 0 ? seconds * 1000 : 5000);
    }

    std::vector<ResultSetPtr> run(const QString& sql, CommandType type) override
    {
        ranStatements_ = true;
        std::vector<ResultSetPtr> out;
        QString text = sql;
        if (type == adCmdStoredProc || type == adCmdTable) {
            // A stored query of a local file is a view: its rows are read by name.
            QString name = text.trimmed();
            if (!name.contains(QLatin1Char(' ')) || name.startsWith(QLatin1Char('[')))
                text = QStringLiteral("SELECT * FROM ") + quoteName(sqlite::unquoteName(name));
        }
        const auto statements = sqlite::translate(text);
        if (statements.empty())
            raise(errDatabase, QStringLiteral("La instrucción SQL está vacía."), Src);
        armTimeout();
        for (const auto& st : statements) {
            switch (st.kind) {
            case sqlite::Statement::Plain:
                out.push_back(runPlain(st.sql));
                break;
            case sqlite::Statement::SelectInto:
                out.push_back(runSelectInto(st));
                break;
            case sqlite::Statement::CreateTable:
                out.push_back(runCreate(st));
                break;
            case sqlite::Statement::AddConstraint:
                out.push_back(runAddConstraint(st));
                break;
            case sqlite::Statement::DropConstraint:
                out.push_back(runDropConstraint(st));
                break;
            }
        }
        return out;
    }

    ResultSetPtr describeColumns(const QString& sql) override
    {
        const auto statements = sqlite::translate(sql);
        if (statements.size() != 1 || statements.front().kind != sqlite::Statement::Plain)
            return BackendConnection::describeColumns(sql);
        Stmt st;
        prepare(st, statements.front().sql);
        const int cols = st.s ? sqlite3_column_count(st.s) : 0;
        if (cols == 0 || !sqlite3_stmt_readonly(st.s))
            return BackendConnection::describeColumns(sql);
        // Prepared, never stepped: no row is read.
        std::vector<bool> inferred;
        auto rs = describePrepared(st.s, cols, inferred);
        for (int c = 0; c < cols; ++c)
            if (inferred[std::size_t(c)])
                sqlitetypes::inferField(*rs, c);
        return rs;
    }

    std::unique_ptr<RowSource> openRows(const QString& sql, bool settledTypes) override
    {
        const auto statements = sqlite::translate(sql);
        if (statements.size() != 1 || statements.front().kind != sqlite::Statement::Plain)
            return BackendConnection::openRows(sql, settledTypes);
        ranStatements_ = true;
        armTimeout();
        Stmt st;
        prepare(st, statements.front().sql);
        const int cols = st.s ? sqlite3_column_count(st.s) : 0;
        if (cols == 0) {
            runPlain(statements.front().sql);
            return heldRows(std::make_shared<ResultSet>());
        }
        if (!sqlite3_stmt_readonly(st.s))
            checkWritable();
        return std::make_unique<SqliteRows>(source(st, cols, settledTypes));
    }

    void rebuildTable(const TableRebuild& change) override;

    void beginTrans() override { exec("BEGIN"); }
    void commitTrans() override { exec("COMMIT"); }
    void rollbackTrans() override
    {
        if (!sqlite3_get_autocommit(h_))
            exec("ROLLBACK");
    }

    std::vector<TableInfo> tables() override;
    TableInfo table(const QString& name) override;
    std::vector<ViewInfo> views() override;

private:
    void exec(const char* sql)
    {
        if (sqlite3_exec(h_, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
            fail(h_);
    }

    void prepare(Stmt& st, const QString& sql)
    {
        QByteArray u = sql.toUtf8();
        if (sqlite3_prepare_v2(h_, u.constData(), int(u.size()), &st.s, nullptr) != SQLITE_OK)
            fail(h_);
    }
    // With texts bound to ?1, ?2, ...
    void prepare(Stmt& st, const QString& sql, std::initializer_list<QString> texts)
    {
        prepare(st, sql);
        int i = 0;
        for (const QString& t : texts) {
            const QByteArray u = t.toUtf8();
            sqlite3_bind_text(st.s, ++i, u.constData(), int(u.size()), SQLITE_TRANSIENT);
        }
    }

    // CommandTimeout: a statement running longer is interrupted.
    void armTimeout()
    {
        if (timeout_ <= 0) {
            sqlite3_progress_handler(h_, 0, nullptr, nullptr);
            return;
        }
        deadline_ = QDeadlineTimer(qint64(timeout_) * 1000);
        sqlite3_progress_handler(
            h_, 100000, [](void* p) -> int { return static_cast<SqliteConnection*>(p)->deadline_.hasExpired() ? 1 : 0; },
            this);
    }

    ResultSetPtr runPlain(const QString& sql)
    {
        Stmt st;
        prepare(st, sql);
        if (!st.s) { // only a comment
            auto rs = std::make_shared<ResultSet>();
            rs->rowsAffected = 0;
            return rs;
        }
        if (!sqlite3_stmt_readonly(st.s))
            checkWritable();
        const int cols = sqlite3_column_count(st.s);
        if (cols > 0)
            return readRows(st, cols);
        auto rs = std::make_shared<ResultSet>();
        int rc;
        while ((rc = sqlite3_step(st.s)) == SQLITE_ROW) {
        }
        if (rc != SQLITE_DONE)
            fail(h_);
        const bool dml = startsWithWord(sql, "INSERT") || startsWithWord(sql, "UPDATE") || startsWithWord(sql, "DELETE")
            || startsWithWord(sql, "REPLACE") || startsWithWord(sql, "WITH");
        rs->rowsAffected = dml ? sqlite3_changes64(h_) : 0;
        return rs;
    }

    // The fields of a prepared statement; inferred marks the columns without a
    // declared type, which only their values can type.
    std::shared_ptr<ResultSet> describePrepared(sqlite3_stmt* s, int cols, std::vector<bool>& inferred)
    {
        auto rs = std::make_shared<ResultSet>();
        rs->fields.resize(std::size_t(cols));
        inferred.assign(std::size_t(cols), false);
        for (int c = 0; c < cols; ++c) {
            FieldInfo& f = rs->fields[std::size_t(c)];
            f.name = QString::fromUtf8(sqlite3_column_name(s, c));
            const char* decl = sqlite3_column_decltype(s, c);
            const char* table = sqlite3_column_table_name(s, c);
            const char* column = sqlite3_column_origin_name(s, c);
            const char* dbName = sqlite3_column_database_name(s, c);
            if (table && column) {
                f.baseTable = QString::fromUtf8(table);
                f.baseColumn = QString::fromUtf8(column);
            }
            if (decl) {
                sqlitetypes::describeField(QString::fromUtf8(decl), f);
            } else {
                inferred[std::size_t(c)] = true;
                f.type = adEmpty;
            }
            int notNull = 0, pk = 0, autoinc = 0;
            if (table && column
                && sqlite3_table_column_metadata(h_, dbName, table, column, nullptr, nullptr, &notNull, &pk, &autoinc)
                    == SQLITE_OK) {
                if (notNull || pk)
                    f.attributes &= ~(adFldIsNullable | adFldMayBeNull);
                if (pk)
                    f.attributes |= adFldKeyColumn;
            }
        }
        declareExpressionTypes(h_, s, *rs, inferred);
        return rs;
    }

    // Reads every row of a prepared statement; takes the statement over.
    ResultSetPtr readRows(Stmt& st, int cols)
    {
        SqliteRows rows = source(st, cols, false);
        auto rs = std::make_shared<ResultSet>();
        rs->fields = rows.fields();
        ResultBuilder b(*rs);
        while (rows.read(b, std::numeric_limits<qint64>::max()) > 0) {
        }
        rs->fields = rows.fields(); // typed by every value now
        rs->rowsAffected = -1;
        return rs;
    }

    SqliteRows source(Stmt& st, int cols, bool settle)
    {
        std::vector<bool> inferred;
        auto described = describePrepared(st.s, cols, inferred);
        sqlite3_stmt* s = std::exchange(st.s, nullptr);
        return SqliteRows(h_, s, std::move(described->fields), std::move(inferred), settle);
    }

    // Runs body inside a savepoint: a failure leaves nothing behind. Outside a
    // transaction of the caller a failure rolls the whole transaction back, so
    // not even the file's change counter moves.
    template <class F>
    auto atomically(F body)
    {
        const bool outermost = sqlite3_get_autocommit(h_) != 0;
        exec("SAVEPOINT velmora_step");
        try {
            auto r = body();
            exec("RELEASE velmora_step");
            return r;
        } catch (...) {
            if (outermost) {
                sqlite3_exec(h_, "ROLLBACK", nullptr, nullptr, nullptr);
            } else {
                sqlite3_exec(h_, "ROLLBACK TO velmora_step", nullptr, nullptr, nullptr);
                sqlite3_exec(h_, "RELEASE velmora_step", nullptr, nullptr, nullptr);
            }
            throw;
        }
    }

    // SELECT ... INTO t: a new table with the columns (and declared types) of the
    // result, filled with its rows.
    ResultSetPtr runSelectInto(const sqlite::Statement& st)
    {
        checkWritable();
        return atomically([&] {
            QStringList defs;
            {
                Stmt probe;
                prepare(probe, st.sql);
                const int cols = probe.s ? sqlite3_column_count(probe.s) : 0;
                if (cols == 0)
                    raise(errDatabase, QStringLiteral("SELECT ... INTO necesita una consulta que devuelva columnas."), Src);
                for (int c = 0; c < cols; ++c) {
                    QString def = quoteName(QString::fromUtf8(sqlite3_column_name(probe.s, c)));
                    if (const char* decl = sqlite3_column_decltype(probe.s, c)) {
                        QString d = QString::fromUtf8(decl);
                        // A copy holds the numbers; it does not number rows itself.
                        if (sqlitetypes::describeColumn(d).counter)
                            d = QStringLiteral("LONG");
                        def += QLatin1Char(' ') + d;
                        if (sqlitetypes::isTextDecl(d))
                            def += QStringLiteral(" COLLATE NOCASE");
                    }
                    defs << def;
                }
            }
            const QString target = quoteName(st.target);
            Stmt create;
            prepare(create, QStringLiteral("CREATE TABLE ") + target + QStringLiteral(" (") + defs.join(QStringLiteral(", "))
                                + QLatin1Char(')'));
            if (sqlite3_step(create.s) != SQLITE_DONE)
                fail(h_);
            Stmt insert;
            prepare(insert, QStringLiteral("INSERT INTO ") + target + QLatin1Char(' ') + st.sql);
            if (sqlite3_step(insert.s) != SQLITE_DONE)
                fail(h_);
            auto rs = std::make_shared<ResultSet>();
            rs->rowsAffected = sqlite3_changes64(h_);
            return rs;
        });
    }

    // CREATE TABLE (or ADD COLUMN) with COUNTER columns that are not the row id:
    // a trigger gives each new row the number after the last one given, kept in
    // the file's counter store, so that a number is never given twice (not even
    // after its row is deleted) and no insert reads the whole table. A number
    // written by hand (a copy keeping its numbers) moves the last one up.
    ResultSetPtr runCreate(const sqlite::Statement& st)
    {
        if (st.counters.isEmpty())
            return runPlain(st.sql);
        return atomically([&] {
            auto rs = runPlain(st.sql);
            for (const QString& col : st.counters)
                addCounter(st.table, col, startsWithWord(st.sql, "ALTER"), 0);
            return rs;
        });
    }

    // Numbering of a COUNTER column that is not the row id. A table made again
    // under an old name starts from its own rows (or from lastGiven), as a new key
    // counter does.
    void addCounter(const QString& table, const QString& col, bool numberRows, qint64 lastGiven)
    {
        runPlain(QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (tbl TEXT COLLATE NOCASE, col TEXT COLLATE NOCASE, "
                                "seq INTEGER NOT NULL, PRIMARY KEY (tbl, col))")
                     .arg(CounterStore));
        const QString t = quoteName(table), c = quoteName(col);
        const QString trig = quoteName(table + QStringLiteral("_counter_") + col);
        const QString key = QStringLiteral("tbl = %1 AND col = %2").arg(literal(table), literal(col));
        // The first statement only matters when the store lost the entry: it starts again from the highest number.
        runPlain(QStringLiteral("CREATE TRIGGER %1 AFTER INSERT ON %2 FOR EACH ROW BEGIN "
                                "INSERT INTO %4 (tbl, col, seq) SELECT %6, %7, (SELECT IFNULL(MAX(%3), 0) FROM %2) "
                                "WHERE NOT EXISTS (SELECT 1 FROM %4 WHERE %5); "
                                "UPDATE %4 SET seq = CASE WHEN NEW.%3 IS NULL THEN seq + 1 "
                                "WHEN typeof(NEW.%3) = 'integer' AND NEW.%3 > seq THEN NEW.%3 ELSE seq END WHERE %5; "
                                "UPDATE %2 SET %3 = (SELECT seq FROM %4 WHERE %5) WHERE NEW.%3 IS NULL AND rowid = NEW.rowid; "
                                "END")
                     .arg(trig, t, c, CounterStore, key, literal(table), literal(col)));
        // A counter added to a table that has rows numbers them, in the order they were written.
        if (numberRows)
            runPlain(QStringLiteral("UPDATE %1 SET %2 = n.num FROM (SELECT rowid AS r, ROW_NUMBER() OVER (ORDER BY rowid) "
                                    "AS num FROM %1) AS n WHERE n.r = %1.rowid")
                         .arg(t, c));
        runPlain(QStringLiteral("INSERT OR REPLACE INTO %1 (tbl, col, seq) VALUES (%2, %3, MAX(%6, (SELECT IFNULL(MAX(%4), 0) FROM %5)))")
                     .arg(CounterStore, literal(table), literal(col), c, t, QString::number(lastGiven)));
    }

    static QString literal(const QString& s)
    {
        return QLatin1Char('\'') + QString(s).replace(QLatin1Char('\''), QLatin1String("''")) + QLatin1Char('\'');
    }

    // The last number a key counter gave (sqlite_sequence), -1 when none is kept.
    qint64 keySequence(const QString& table)
    {
        Stmt st;
        prepare(st, QStringLiteral("SELECT seq FROM sqlite_sequence WHERE name = ?1"), {table});
        return sqlite3_step(st.s) == SQLITE_ROW ? sqlite3_column_int64(st.s, 0) : -1;
    }

    // The column that is the row id of a table (the catalog calls it a counter); "" when none.
    QString rowIdColumn(const QString& table)
    {
        Stmt info;
        prepare(info, QStringLiteral("PRAGMA table_info(") + quoteName(table) + QLatin1Char(')'));
        QString name;
        int keys = 0;
        while (sqlite3_step(info.s) == SQLITE_ROW) {
            if (sqlite3_column_int(info.s, 5) == 0)
                continue;
            ++keys;
            if (columnText(info.s, 2).compare(QLatin1String("INTEGER"), Qt::CaseInsensitive) == 0)
                name = columnText(info.s, 1);
        }
        return keys == 1 ? name : QString();
    }

    bool hasKeySequences()
    {
        Stmt st;
        prepare(st, QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'sqlite_sequence'"));
        return sqlite3_step(st.s) == SQLITE_ROW;
    }

    void checkWritable()
    {
        if (readOnly_)
            raise(errReadOnlyDatabase, QStringLiteral("No se puede actualizar. La base de datos es de solo lectura."), Src);
    }

    // The engine cannot add or drop a key or a constraint of an existing table:
    // the table is rebuilt from its stored definition with the change made in it.
    void rebuildStored(const QString& table, const QString& definition)
    {
        TableRebuild change;
        change.table = change.newName = table;
        {
            Stmt info;
            prepare(info, QStringLiteral("PRAGMA table_info(") + quoteName(table) + QLatin1Char(')'));
            while (sqlite3_step(info.s) == SQLITE_ROW)
                change.columns << quoteName(columnText(info.s, 1));
        }
        change.values = change.columns;
        rebuildAs(change, definition, false);
    }

    ResultSetPtr runAddConstraint(const sqlite::Statement& st)
    {
        checkWritable();
        QString type, realName;
        const QString sql = masterSql(st.table, &type, &realName);
        const int paren = st.constraint.indexOf(QLatin1Char('('));
        if (st.constraint.contains(QRegularExpression(QStringLiteral(R"(^\s*CONSTRAINT\s+\S+\s+UNIQUE\b)"),
                                                      QRegularExpression::CaseInsensitiveOption))
            && paren > 0) {
            return runPlain(QStringLiteral("CREATE UNIQUE INDEX ") + quoteName(st.constraintName) + QStringLiteral(" ON ")
                            + quoteName(realName) + QLatin1Char(' ') + st.constraint.mid(paren));
        }
        if (st.constraint.contains(QRegularExpression(QStringLiteral(R"(\bPRIMARY\s+KEY\b)"),
                                                      QRegularExpression::CaseInsensitiveOption))) {
            Stmt info;
            prepare(info, QStringLiteral("PRAGMA table_info(") + quoteName(realName) + QLatin1Char(')'));
            while (sqlite3_step(info.s) == SQLITE_ROW)
                if (sqlite3_column_int(info.s, 5) > 0)
                    raise(errDatabase, QStringLiteral("La tabla '%1' ya tiene una clave principal.").arg(realName), Src);
        }
        const QString def = sqlite::rewriteTableDefinition(sql, realName, st.constraint, QString(), QString());
        if (def.isEmpty())
            raise(errDatabase, QStringLiteral("No se puede cambiar la definición de la tabla '%1'.").arg(realName), Src);
        rebuildStored(realName, def);
        auto rs = std::make_shared<ResultSet>();
        rs->rowsAffected = 0;
        return rs;
    }

    ResultSetPtr runDropConstraint(const sqlite::Statement& st)
    {
        checkWritable();
        QString type, realName;
        const QString sql = masterSql(st.table, &type, &realName);
        QString indexName;
        {
            Stmt ix;
            prepare(ix, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'index' AND sql IS NOT NULL "
                                       "AND name = ?1 COLLATE NOCASE AND tbl_name = ?2 COLLATE NOCASE"),
                    {st.constraintName, realName});
            if (sqlite3_step(ix.s) == SQLITE_ROW)
                indexName = columnText(ix.s, 0);
        } // finished before the drop: a pending read locks the schema
        if (!indexName.isEmpty())
            return runPlain(QStringLiteral("DROP INDEX ") + quoteName(indexName));
        QString pkName = sqlite::primaryKeyConstraintName(sql);
        if (pkName.isEmpty())
            pkName = QStringLiteral("PrimaryKey");
        QString def = sqlite::rewriteTableDefinition(sql, realName, QString(), st.constraintName, pkName);
        if (def.isEmpty())
            raise(errDatabase, QStringLiteral("No existe la restricción '%1' en la tabla '%2'.").arg(st.constraintName, realName), Src);
        // A counter that was the key stays a counter without it, going on from the last number it gave.
        const bool withoutRowId = sql.contains(QRegularExpression(QStringLiteral(R"(\bWITHOUT\s+ROWID\b)"),
                                                                  QRegularExpression::CaseInsensitiveOption));
        if (st.constraintName.compare(pkName, Qt::CaseInsensitive) == 0 && !withoutRowId)
            if (const QString counter = rowIdColumn(realName); !counter.isEmpty())
                if (const QString retyped = sqlite::retypeColumn(def, counter, QStringLiteral("COUNTER")); !retyped.isEmpty())
                    def = retyped;
        rebuildStored(realName, def);
        auto rs = std::make_shared<ResultSet>();
        rs->rowsAffected = 0;
        return rs;
    }

    QString masterSql(const QString& name, QString* type, QString* realName)
    {
        Stmt st;
        prepare(st, QStringLiteral("SELECT type, name, sql FROM sqlite_master WHERE type IN ('table','view') AND name = ?1 "
                                   "COLLATE NOCASE"), {name});
        if (sqlite3_step(st.s) != SQLITE_ROW)
            raise(errItemNotFound,
                  QStringLiteral("No se encuentra el elemento en la colección que corresponde al nombre o al ordinal solicitado."),
                  QStringLiteral("ADOX.Tables"));
        if (type)
            *type = columnText(st.s, 0);
        if (realName)
            *realName = columnText(st.s, 1);
        return columnText(st.s, 2);
    }

    // A file written by an earlier build is repaired at a writing open; one
    // found sound before and unchanged since is not checked again, and what
    // this connection writes keeps it sound (noted again at the close).
    void repairOnce()
    {
        int tables = 0;
        if (caseIndexesKnownSound(path_))
            keptSound_ = true;
        else if (repairCaseIndexes(h_, &tables) && tables > 0)
            noteCaseIndexesSound(path_), keptSound_ = true;
    }

    // The stored schema's version number, read without parsing the schema.
    bool schemaVersion(int& version)
    {
        Stmt st;
        if (sqlite3_prepare_v2(h_, "PRAGMA schema_version", -1, &st.s, nullptr) != SQLITE_OK
            || sqlite3_step(st.s) != SQLITE_ROW)
            return false;
        version = sqlite3_column_int(st.s, 0);
        return true;
    }
    TableInfo describeTable(const QString& name);
    // The one way a table is rebuilt. definition: the CREATE TABLE of its new
    // structure (under any name); ownReferences: it lacks the table's own
    // foreign keys, which the rebuild keeps from the stored table.
    void rebuildAs(const TableRebuild& change, const QString& definition, bool ownReferences);
    std::vector<ForeignKey> foreignKeys(const QString& table);
    QHash<QString, qint64> counterNumbersOf(const QString& table);
    void checkReferences(const QString& table);

    sqlite3* h_ = nullptr;
    QString path_;
    SchemaMemo::FileId fileId_;
    bool keptSound_ = false; // its case-free indexes were found in order at the open
    bool ranStatements_ = false;
    QString provider_;
    bool readOnly_ = false;
    int timeout_ = 0;
    QDeadlineTimer deadline_;
};

// The engine's documented way to change a table: a new table under a
// temporary name with the table's own foreign keys, the rows copied, the old
// table dropped, the new one renamed, its indexes and triggers made again from
// the stored schema; all in one transaction, foreign-key enforcement off around
// it (the engine ignores the switch inside a transaction) and the references
// checked before the commit.
void SqliteConnection::rebuildTable(const TableRebuild& change)
{
    checkWritable();
    const auto statements = sqlite::translate(change.createStatement);
    if (statements.size() != 1 || (statements.front().kind != sqlite::Statement::CreateTable
                                   && statements.front().kind != sqlite::Statement::Plain))
        raise(errDatabase, QStringLiteral("La definición de la tabla '%1' no es válida.").arg(change.newName), Src);
    rebuildAs(change, statements.front().sql, true);
}

// A table's references as the engine lists them, one entry per reference.
std::vector<ForeignKey> SqliteConnection::foreignKeys(const QString& table)
{
    std::vector<ForeignKey> keys;
    Stmt st;
    prepare(st, QStringLiteral("PRAGMA foreign_key_list(") + quoteName(table) + QLatin1Char(')'));
    int current = -1;
    while (sqlite3_step(st.s) == SQLITE_ROW) {
        if (sqlite3_column_int(st.s, 0) != current) {
            current = sqlite3_column_int(st.s, 0);
            keys.push_back({{}, {}, columnText(st.s, 2), columnText(st.s, 5), columnText(st.s, 6)});
        }
        keys.back().from << columnText(st.s, 3);
        if (sqlite3_column_type(st.s, 4) != SQLITE_NULL)
            keys.back().to << columnText(st.s, 4);
    }
    return keys;
}

// The last number each COUNTER of a table that is not its key gave, by column name case-folded.
QHash<QString, qint64> SqliteConnection::counterNumbersOf(const QString& table)
{
    QHash<QString, qint64> counterNumbers;
    Stmt st;
    prepare(st, QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?1"), {CounterStore});
    if (sqlite3_step(st.s) == SQLITE_ROW) {
        Stmt seq;
        prepare(seq, QStringLiteral("SELECT col, seq FROM %1 WHERE tbl = ?1").arg(CounterStore), {table});
        while (sqlite3_step(seq.s) == SQLITE_ROW)
            counterNumbers.insert(columnText(seq.s, 0).toCaseFolded(), sqlite3_column_int64(seq.s, 1));
    }
    return counterNumbers;
}

void SqliteConnection::rebuildAs(const TableRebuild& change, const QString& definition, bool ownReferences)
{
    QString type, table;
    masterSql(change.table, &type, &table);
    if (type != QLatin1String("table"))
        raise(errDatabase, QStringLiteral("'%1' no es una tabla.").arg(table), Src);

    bool enforced = false;
    {
        Stmt st;
        prepare(st, QStringLiteral("PRAGMA foreign_keys"));
        enforced = sqlite3_step(st.s) == SQLITE_ROW && sqlite3_column_int(st.s, 0) != 0;
    }
    if (enforced)
        exec("PRAGMA foreign_keys = OFF");
    // Inside a transaction of the caller the switch does nothing: the checks wait for its end.
    exec("PRAGMA defer_foreign_keys = ON");
    try {
        atomically([&] {
            const QString temp = QStringLiteral("velmora_rebuild");
            if (change.newName != table) {
                // Renamed first: the references of other tables, indexes and triggers follow the name.
                runPlain(QStringLiteral("ALTER TABLE ") + quoteName(table) + QStringLiteral(" RENAME TO ") + quoteName(change.newName));
                table = change.newName;
            }
            // Two steps, so that names swapped between columns never meet.
            int n = 0;
            for (const auto& [from, to] : change.renamedColumns)
                runPlain(QStringLiteral("ALTER TABLE %1 RENAME COLUMN %2 TO %3")
                             .arg(quoteName(table), quoteName(from), quoteName(QStringLiteral("velmora_col_%1").arg(n++))));
            n = 0;
            for (const auto& [from, to] : change.renamedColumns)
                runPlain(QStringLiteral("ALTER TABLE %1 RENAME COLUMN %2 TO %3")
                             .arg(quoteName(table), quoteName(QStringLiteral("velmora_col_%1").arg(n++)), quoteName(to)));

            // What the table keeps, read from the stored schema.
            std::vector<std::pair<QString, QString>> dependents; // name, statement
            {
                Stmt st;
                prepare(st, QStringLiteral("SELECT name, sql FROM sqlite_master WHERE tbl_name = ?1 COLLATE NOCASE "
                                           "AND type IN ('index', 'trigger') AND sql IS NOT NULL ORDER BY type, rowid"), {table});
                while (sqlite3_step(st.s) == SQLITE_ROW)
                    dependents.emplace_back(columnText(st.s, 0), columnText(st.s, 1));
            }
            const std::vector<ForeignKey> keys = foreignKeys(table);
            const qint64 lastNumber = hasKeySequences() ? keySequence(table) : -1;
            const QHash<QString, qint64> counterNumbers = counterNumbersOf(table);

            // The new structure, first without references to learn its columns.
            const QString bare = sqlite::rewriteTableDefinition(definition, temp, QString(), QString(), QString());
            if (bare.isEmpty())
                raise(errDatabase, QStringLiteral("La definición de la tabla '%1' no es válida.").arg(change.newName), Src);
            QSet<QString> newColumns;
            QStringList counters; // numbered by a trigger, made again below
            runPlain(bare);
            {
                Stmt info;
                prepare(info, QStringLiteral("PRAGMA table_info(") + quoteName(temp) + QLatin1Char(')'));
                while (sqlite3_step(info.s) == SQLITE_ROW) {
                    newColumns.insert(columnText(info.s, 1).toCaseFolded());
                    if (columnText(info.s, 2).compare(QLatin1String("COUNTER"), Qt::CaseInsensitive) == 0)
                        counters << columnText(info.s, 1);
                }
            }
            runPlain(QStringLiteral("DROP TABLE ") + quoteName(temp));
            // A reference whose columns the change removed goes with them.
            const QStringList clauses = ownReferences ? referenceClauses(keys, newColumns) : QStringList();
            runPlain(clauses.isEmpty() ? bare
                                       : sqlite::rewriteTableDefinition(definition, temp, clauses.join(QStringLiteral(", ")),
                                                                        QString(), QString()));
            runPlain(QStringLiteral("INSERT INTO ") + quoteName(temp) + QStringLiteral(" (") + change.columns.join(QStringLiteral(", "))
                     + QStringLiteral(") SELECT ") + change.values.join(QStringLiteral(", ")) + QStringLiteral(" FROM ") + quoteName(table));
            runPlain(QStringLiteral("DROP TABLE ") + quoteName(table));
            exec("PRAGMA legacy_alter_table = ON");
            try {
                runPlain(QStringLiteral("ALTER TABLE ") + quoteName(temp) + QStringLiteral(" RENAME TO ") + quoteName(table));
            } catch (...) {
                exec("PRAGMA legacy_alter_table = OFF");
                throw;
            }
            exec("PRAGMA legacy_alter_table = OFF");

            // Indexes and triggers as they were; the numbering triggers are made again below,
            // and an index or trigger on a column the change removed goes with it.
            const QString counterPrefix = table + QStringLiteral("_counter_");
            remakeDependents(h_, dependents, counterPrefix);
            if (lastNumber > 0) {
                if (keySequence(table) < 0)
                    runPlain(QStringLiteral("INSERT INTO sqlite_sequence (name, seq) VALUES (%1, %2)").arg(literal(table)).arg(lastNumber));
                else
                    runPlain(QStringLiteral("UPDATE sqlite_sequence SET seq = MAX(seq, %2) WHERE name = %1").arg(literal(table)).arg(lastNumber));
            }
            QSet<QString> copied;
            for (const QString& c : change.columns)
                copied.insert(sqlite::unquoteName(c).toCaseFolded());
            // A key counter that becomes a counter of its own goes on from the last number it gave.
            for (const QString& col : counters)
                addCounter(table, col, !copied.contains(col.toCaseFolded()),
                           counterNumbers.value(col.toCaseFolded(), qMax<qint64>(lastNumber, 0)));
            checkReferences(table);
            return 0;
        });
    } catch (...) {
        exec("PRAGMA defer_foreign_keys = OFF");
        if (enforced)
            exec("PRAGMA foreign_keys = ON");
        throw;
    }
    exec("PRAGMA defer_foreign_keys = OFF");
    if (enforced)
        exec("PRAGMA foreign_keys = ON");
}

// The references a rebuild can break: the table's own and those of every
// table naming it. The first one broken refuses the change, naming the table
// that refers and the rows that break it.
void SqliteConnection::checkReferences(const QString& table)
{
    QStringList tables{table};
    {
        Stmt st;
        prepare(st, QStringLiteral("SELECT DISTINCT m.name FROM sqlite_master AS m, pragma_foreign_key_list(m.name) AS f "
                                   "WHERE m.type = 'table' AND f.\"table\" = ?1 COLLATE NOCASE AND m.name <> ?1 COLLATE NOCASE"), {table});
        while (sqlite3_step(st.s) == SQLITE_ROW)
            tables << columnText(st.s, 0);
    }
    for (const QString& t : tables) {
        Stmt check;
        const QByteArray u = (QStringLiteral("PRAGMA foreign_key_check(") + quoteName(t) + QLatin1Char(')')).toUtf8();
        int rc = sqlite3_prepare_v2(h_, u.constData(), int(u.size()), &check.s, nullptr);
        if (rc == SQLITE_OK)
            rc = sqlite3_step(check.s);
        if (rc == SQLITE_ROW) {
            const QString parent = columnText(check.s, 2);
            QStringList rowIds;
            do {
                if (sqlite3_column_type(check.s, 1) != SQLITE_NULL && rowIds.size() < 5)
                    rowIds << columnText(check.s, 1);
            } while (sqlite3_step(check.s) == SQLITE_ROW && columnText(check.s, 2) == parent);
            QString msg = QStringLiteral("Hay filas de la tabla '%1' que no cumplen la relación con la tabla '%2'.").arg(t, parent);
            if (!rowIds.isEmpty())
                msg += QStringLiteral(" Filas: %1.").arg(rowIds.join(QStringLiteral(", ")));
            raise(errDatabase, msg, Src);
        }
        if (rc != SQLITE_DONE && rc != SQLITE_OK) {
            // The engine cannot check a reference whose columns are no longer a key of the table it names.
            if (t != table)
                raise(errDatabase,
                      QStringLiteral("No se puede cambiar la tabla '%1' porque la tabla '%2' hace referencia a ella por "
                                     "campos que dejarían de ser su clave.")
                          .arg(table, t),
                      Src);
            fail(h_, QStringLiteral("No se puede cambiar la tabla '%1'").arg(table));
        }
    }
}

std::vector<TableInfo> SqliteConnection::tables()
{
    std::vector<TableInfo> out;
    Stmt st;
    prepare(st, QStringLiteral("SELECT name, type FROM sqlite_master WHERE type IN ('table','view') AND name <> ?1 "
                               "ORDER BY name COLLATE NOCASE"), {CounterStore});
    while (sqlite3_step(st.s) == SQLITE_ROW) {
        TableInfo t;
        t.name = columnText(st.s, 0);
        t.type = tableType(columnText(st.s, 1), t.name);
        out.push_back(t);
    }
    return out;
}

// Outside a transaction a description read before at the same schema version
// is given again; a new one is read with its version in one snapshot.
TableInfo SqliteConnection::table(const QString& name)
{
    // A statement of this connection may have made a temporary table that
    // hides a stored one of that name.
    if (ranStatements_ || !sqlite3_get_autocommit(h_))
        return describeTable(name);
    SchemaMemo& memo = SchemaMemo::instance();
    int version = -1;
    if (schemaVersion(version))
        if (auto known = memo.table(path_, fileId_, version, name))
            return *known;
    exec("BEGIN");
    TableInfo t;
    try {
        if (!schemaVersion(version))
            fail(h_);
        t = describeTable(name);
    } catch (...) {
        sqlite3_exec(h_, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
    exec("COMMIT");
    memo.remember(path_, fileId_, version, name, t);
    return t;
}

TableInfo SqliteConnection::describeTable(const QString& name)
{
    TableInfo t;
    QString type;
    const QString sql = masterSql(name, &type, &t.name);
    t.type = tableType(type, t.name);
    const QString qname = quoteName(t.name);

    struct Col {
        QString name, decl, dflt;
        bool notNull;
        int pk;
    };
    std::vector<Col> cols;
    {
        Stmt st;
        prepare(st, QStringLiteral("PRAGMA table_info(") + qname + QLatin1Char(')'));
        while (sqlite3_step(st.s) == SQLITE_ROW) {
            Col c;
            c.name = columnText(st.s, 1);
            c.decl = columnText(st.s, 2);
            c.notNull = sqlite3_column_int(st.s, 3) != 0;
            c.dflt = sqlite3_column_type(st.s, 4) == SQLITE_NULL
                ? QString()
                : columnText(st.s, 4);
            c.pk = sqlite3_column_int(st.s, 5);
            cols.push_back(c);
        }
    }
    int pkCount = 0;
    for (const auto& c : cols)
        pkCount += c.pk > 0 ? 1 : 0;
    const bool withoutRowId = sql.contains(QRegularExpression(QStringLiteral(R"(\bWITHOUT\s+ROWID\b)"),
                                                              QRegularExpression::CaseInsensitiveOption));
    for (const auto& c : cols) {
        ColumnInfo ci;
        ci.name = c.name;
        const bool rowId = t.type == QLatin1String("TABLE") && !withoutRowId && pkCount == 1 && c.pk == 1
            && c.decl.compare(QLatin1String("INTEGER"), Qt::CaseInsensitive) == 0;
        const auto d = sqlitetypes::describeColumn(c.decl);
        ci.type = d.type;
        ci.definedSize = d.size;
        ci.precision = d.precision;
        ci.numericScale = d.scale;
        const bool nullable = !c.notNull && c.pk == 0;
        ci.attributes = (nullable ? adColNullable : 0) | (d.fixed ? adColFixed : 0);
        const bool autoinc = rowId || d.counter;
        ci.properties = {
            {QStringLiteral("Autoincrement"), Variant(autoinc)},
            {QStringLiteral("Default"), Variant(c.dflt)},
            {QStringLiteral("Jet OLEDB:Allow Zero Length"), Variant(d.text)},
            {QStringLiteral("Jet OLEDB:Validation Text"), Variant(QString())},
            {QStringLiteral("Jet OLEDB:Validation Rule"), Variant(QString())},
        };
        t.columns.push_back(ci);
    }

    // Indexes: the primary key first, then the others as the engine lists them.
    if (t.type != QLatin1String("VIEW")) {
        QString pkName = sqlite::primaryKeyConstraintName(sql);
        if (pkName.isEmpty())
            pkName = QStringLiteral("PrimaryKey");
        std::vector<IndexInfo> others;
        bool pkFound = false;
        std::vector<std::pair<QString, IndexInfo>> list;
        {
            Stmt st;
            prepare(st, QStringLiteral("PRAGMA index_list(") + qname + QLatin1Char(')'));
            while (sqlite3_step(st.s) == SQLITE_ROW) {
                IndexInfo ix;
                const QString engineName = columnText(st.s, 1);
                ix.unique = sqlite3_column_int(st.s, 2) != 0;
                const QString origin = columnText(st.s, 3);
                ix.primaryKey = origin == QLatin1String("pk");
                ix.name = ix.primaryKey ? pkName : engineName;
                ix.indexNulls = ix.primaryKey ? adIndexNullsDisallow : adIndexNullsAllow;
                list.emplace_back(engineName, ix);
            }
        }
        for (auto& [engineName, ix] : list) {
            Stmt st;
            prepare(st, QStringLiteral("PRAGMA index_info(") + quoteName(engineName) + QLatin1Char(')'));
            while (sqlite3_step(st.s) == SQLITE_ROW)
                if (sqlite3_column_type(st.s, 2) != SQLITE_NULL)
                    ix.columns << columnText(st.s, 2);
            if (ix.primaryKey) {
                pkFound = true;
                t.indexes.insert(t.indexes.begin(), ix);
            } else {
                others.push_back(ix);
            }
        }
        if (!pkFound && pkCount > 0) {
            // A row-id key has no index of its own in the engine.
            IndexInfo ix;
            ix.name = pkName;
            ix.primaryKey = true;
            ix.unique = true;
            ix.indexNulls = adIndexNullsDisallow;
            std::vector<std::pair<int, QString>> keyCols;
            for (const auto& c : cols)
                if (c.pk > 0)
                    keyCols.emplace_back(c.pk, c.name);
            std::sort(keyCols.begin(), keyCols.end());
            for (const auto& kc : keyCols)
                ix.columns << kc.second;
            t.indexes.insert(t.indexes.begin(), ix);
        }
        for (auto& ix : others)
            t.indexes.push_back(ix);
    }
    return t;
}

std::vector<ViewInfo> SqliteConnection::views()
{
    std::vector<ViewInfo> out;
    Stmt st;
    prepare(st, QStringLiteral("SELECT name, sql FROM sqlite_master WHERE type = 'view' ORDER BY name COLLATE NOCASE"));
    while (sqlite3_step(st.s) == SQLITE_ROW) {
        ViewInfo v;
        v.name = columnText(st.s, 0);
        v.commandText = sqlite::viewBody(columnText(st.s, 1));
        out.push_back(v);
    }
    return out;
}

bool isLocalProvider(const QString& provider)
{
    return provider.startsWith(QLatin1String("Microsoft.Jet.OLEDB"), Qt::CaseInsensitive)
        || provider.startsWith(QLatin1String("Microsoft.ACE.OLEDB"), Qt::CaseInsensitive);
}

} // namespace

std::unique_ptr<BackendConnection> openSqliteFile(const QString& path, bool readOnly)
{
    return std::make_unique<SqliteConnection>(path, readOnly, QStringLiteral("Microsoft.ACE.OLEDB.12.0"));
}

void createLocalDatabase(const QString& path)
{
    if (path.isEmpty())
        raise(errDatabase, QStringLiteral("No se ha indicado el fichero de la base de datos."), Src);
    if (QFileInfo::exists(path))
        raise(errDatabaseExists, QStringLiteral("La base de datos ya existe."), Src);
    sqlite3* h = nullptr;
    int rc = sqlite3_open_v2(path.toUtf8().constData(), &h, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    // Writing the schema header makes the file a database from the start.
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(h, "PRAGMA user_version = 0; BEGIN; CREATE TABLE velmora_init(x); DROP TABLE velmora_init; COMMIT;",
                          nullptr, nullptr, nullptr);
    QString msg = rc == SQLITE_OK ? QString() : QString::fromUtf8(sqlite3_errmsg(h));
    sqlite3_close(h);
    if (rc != SQLITE_OK)
        raise(errDatabase, msg, Src);
}

void registerSqliteBackend()
{
    BackendRegistration r;
    r.name = QStringLiteral("sqlite");
    r.priority = 0;
    r.accepts = [](const OpenRequest& req) {
        return isLocalProvider(req.connectionString.value(QStringLiteral("Provider")));
    };
    r.open = [](const OpenRequest& req) -> std::unique_ptr<BackendConnection> {
        const QString path = req.connectionString.value(QStringLiteral("Data Source"));
        const QString provider = req.connectionString.value(QStringLiteral("Provider"));
        if (path.isEmpty())
            raise(errDatabase, QStringLiteral("No se ha indicado el fichero de la base de datos (Data Source)."), Src);
        switch (localFileKind(path)) {
        case LocalFileKind::Missing:
            raise(errDatabase, QStringLiteral("No se encuentra el archivo '%1'.").arg(path), Src);
        case LocalFileKind::AccessJet:
        case LocalFileKind::AccessAce:
            raise(errProviderNotFound,
                  QStringLiteral("El archivo '%1' fue creado por el motor de Access de Windows. Para abrirlo (solo lectura) "
                                 "hace falta el controlador ODBC de MDBTools, que no está instalado.")
                      .arg(path),
                  Src);
        case LocalFileKind::Other:
            raise(errDatabase, QStringLiteral("No se reconoce el formato de base de datos '%1'.").arg(path), Src);
        default:
            break;
        }
        const bool readOnly = req.connectionString.value(QStringLiteral("Mode")).contains(QLatin1String("Read"), Qt::CaseInsensitive)
            && !req.connectionString.value(QStringLiteral("Mode")).contains(QLatin1String("Write"), Qt::CaseInsensitive);
        return std::make_unique<SqliteConnection>(path, readOnly, provider);
    };
    registerBackend(std::move(r));
}

} // namespace db
