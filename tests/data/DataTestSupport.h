#pragma once
// Shared pieces of the data-access object tests: a log object that keeps its
// lines, a data-access object whose sheet size and provider list a test sets,
// local database files made from statements, and readers of the nested
// collections the schema members answer.
#include "core/Collection.h"
#include "core/Dialogs.h"
#include "core/Error.h"
#include "data/clsDO.h"
#include "platform/db/Db.h"

#include <QStringList>
#include <gtest/gtest.h>
#include <QTemporaryDir>
#include <functional>
#include <ostream>
#include <vector>

// Every test of the folder writes its texts as u"..."_s.
using namespace Qt::StringLiterals;

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace datatest {

struct LogLine {
    QString className;
    QString procedure;
    QString message;
    int kind = 0;
    bool flag = false;
};

class LogRecorder : public Object, public LogTarget {
public:
    QString typeName() const override { return QStringLiteral("LogRecorder"); }
    bool InsertLog(const QString& c, const QString& p, const QString& m, std::int16_t k, bool f) override
    {
        lines.push_back({c, p, m, k, f});
        return false;
    }
    QStringList messages() const
    {
        QStringList out;
        for (const auto& l : lines)
            out << l.message;
        return out;
    }
    // Every line as "procedure|message|kind".
    QStringList texts() const
    {
        QStringList out;
        for (const auto& l : lines)
            out << l.procedure + QLatin1Char('|') + l.message + QLatin1Char('|') + QString::number(l.kind);
        return out;
    }
    std::vector<LogLine> lines;
};

class TestDO : public clsDO {
public:
    using clsDO::setRowsPerSheet;
    // Providers the look-up finds; every question is counted.
    std::function<bool(const QString&)> providers;
    mutable QStringList asked;

protected:
    bool ProviderRegistered(const QString& name) const override
    {
        asked << name;
        return providers ? providers(name) : clsDO::ProviderRegistered(name);
    }
};

inline QStringList rowsOf(const QString& connectionString, const QString& sql)
{
    QStringList out;
    auto conn = std::make_shared<db::Connection>();
    conn->Open(connectionString);
    try {
        db::Recordset rs;
        rs.Open(sql, conn, db::adOpenStatic);
        for (; !rs.Eof(); rs.MoveNext()) {
            QStringList cells;
            for (int i = 0; i < rs.FieldCount(); ++i)
                cells << (rs.value(i).isNull() ? QStringLiteral("NULL") : rs.value(i).toString());
            out << cells.join(QLatin1Char('|'));
        }
    } catch (const Error&) {
        out = QStringList{QStringLiteral("-")};
    }
    conn->Close();
    return out;
}

// A local database file (the .accdb kind) in a temporary folder.
class LocalDb {
public:
    explicit LocalDb(const QString& name = QStringLiteral("test.accdb"))
    {
        path = dir.filePath(name);
    }
    QString connectionString() const
    {
        return QStringLiteral("Provider=Microsoft.ACE.OLEDB.12.0;Data Source=") + path;
    }
    // The rows of a statement on the file, fields joined by "|", NULL for null; {"-"} when it fails.
    QStringList rows(const QString& sql) const { return rowsOf(connectionString(), sql); }
    void exec(const QStringList& statements) const
    {
        db::Connection c;
        c.Open(connectionString());
        for (const QString& s : statements)
            c.Execute(s);
        c.Close();
    }
    // A data-access object pointed at the file.
    void point(clsDO& o) const
    {
        o.setConnectionType(2);
        o.StartObject(QString(), path, QString(), QString());
    }
    QTemporaryDir dir;
    QString path;
};

// The schema members for one table, the connection values left to the object.
inline CollectionPtr tableItem(clsDO& o, QString t, bool silent = false) { QString s, d, u, p; return o.TableList(s, d, u, p, t, silent); }
inline CollectionPtr tableKey(clsDO& o, QString t) { QString s, d, u, p; return o.TableKey(s, d, u, p, t); }
inline CollectionPtr tableIndexes(clsDO& o, QString t) { QString s, d, u, p; return o.TableIndexes(s, d, u, p, t); }
inline CollectionPtr viewList(clsDO& o) { QString s, d, u, p; return o.ViewList(s, d, u, p); }

// The error a call raises as "source|number|description", or "no error".
inline QString raised(const std::function<void()>& call)
{
    QString out = QStringLiteral("no error");
    trap(call, [&](const Error& e) { out = e.source + QLatin1Char('|') + QString::number(e.number) + QLatin1Char('|') + e.description; });
    return out;
}

// Every message box shown, as "title|style|prompt".
inline QStringList boxes(ScopedRecordingDialogs& d)
{
    QStringList out;
    for (const auto& c : d->calls)
        out << c.title + QLatin1Char('|') + QString::number(c.style) + QLatin1Char('|') + c.prompt;
    return out;
}

inline Variant collectionItem(const Variant& c, const QString& key) { return c.as<Collection>()->Item(Variant(key)); }

using Rows = std::vector<std::vector<Variant>>;

// The statement that lists the indexes of the SQL Server table "Pedidos", and its columns.
inline const QString kSqlServerIndexes = QStringLiteral(
    "SELECT i.name AS IndexName, c.name AS ColumnName, i.is_primary_key, i.is_unique, ic.key_ordinal FROM sys.indexes AS "
    "i INNER JOIN sys.index_columns AS ic ON i.object_id = ic.object_id AND i.index_id = ic.index_id INNER JOIN "
    "sys.columns AS c ON ic.object_id = c.object_id AND ic.column_id = c.column_id WHERE i.object_id = "
    "OBJECT_ID('Pedidos') ORDER BY i.name, ic.key_ordinal");
inline const QStringList kSqlServerIndexColumns = {"IndexName", "ColumnName", "is_primary_key", "is_unique", "key_ordinal"};

// A zero-based one-dimensional array of the given values.
inline VArrayPtr arrayOf(std::initializer_list<Variant> items)
{
    auto a = std::make_shared<VArray>(0, int(items.size()) - 1);
    int i = 0;
    for (const Variant& v : items)
        a->at(i++) = v;
    return a;
}

inline QStringList keysOf(const CollectionPtr& c)
{
    QStringList out;
    for (int i = 1; i <= c->Count(); ++i)
        out << c->KeyAt(i);
    return out;
}

inline QStringList valuesOf(const CollectionPtr& c)
{
    QStringList out;
    for (const Variant& v : *c)
        out << v.toString();
    return out;
}

// Any answer of Query as one text: <empty>, NULL, <nothing>, [a|b] for an array
// (records of a two-dimensional one as [f,f|f,f]), {key=value ...} for a collection.
inline QString show(const Variant& v)
{
    if (v.isEmpty() || v.isNull() || v.isNothing())
        return v.isEmpty() ? QStringLiteral("<empty>") : v.isNull() ? QStringLiteral("NULL") : QStringLiteral("<nothing>");
    QStringList out;
    if (v.isArray()) {
        const VArray& a = *v.array();
        for (int r = a.lbound(a.dimensions()); a.allocated() && r <= a.ubound(a.dimensions()); ++r) {
            QStringList fields;
            for (int f = a.lbound(); a.dimensions() == 2 && f <= a.ubound(); ++f)
                fields << show(a.at(f, r));
            out << (a.dimensions() == 2 ? fields.join(QLatin1Char(',')) : show(a.at(r)));
        }
        return QLatin1Char('[') + out.join(QLatin1Char('|')) + QLatin1Char(']');
    }
    if (const auto c = v.as<Collection>()) {
        for (int i = 1; i <= c->Count(); ++i)
            out << (c->KeyAt(i).isEmpty() ? QString() : c->KeyAt(i) + QLatin1Char('=')) + show(c->Item(Variant(i)));
        return QLatin1Char('{') + out.join(QLatin1Char(' ')) + QLatin1Char('}');
    }
    if (v.type() == VarType::Boolean)
        return QString::number(int(v.toBool()));
    return v.isObject() ? QStringLiteral("<object>") : v.toString();
}

inline CollectionPtr sub(const CollectionPtr& c, const QString& key) { return c->Item(Variant(key)).as<Collection>(); }
inline Variant at(const CollectionPtr& c, const QString& key) { return c->Item(Variant(key)); }

// A data-access object over the recording backend, with its log lines and
// message boxes recorded; start() pushes the connection values "s", "d", "u", "p".
template <class DataObject = clsDO>
class RecordedObjectTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        rec = db::RecordingBackend::install();
        log = std::make_shared<LogRecorder>();
        o.InicializateLog(log);
    }
    void TearDown() override { db::RecordingBackend::uninstall(); }
    void start() { o.StartObject(QStringLiteral("s"), QStringLiteral("d"), QStringLiteral("u"), QStringLiteral("p")); }

    std::shared_ptr<db::RecordingBackend> rec;
    std::shared_ptr<LogRecorder> log;
    ScopedRecordingDialogs dialogs;
    DataObject o;
};

} // namespace datatest
