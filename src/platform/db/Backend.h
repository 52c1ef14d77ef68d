#pragma once
// What a database engine offers the layer. Connection, Command, Recordset and
// Catalog talk only to this interface; which engine serves a connection string
// is decided by the registry below (local files, ODBC, the test recorder).
#include "ResultSet.h"
#include "Types.h"
#include "core/Variant.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace db {

// "Key=Value;Key={va;lue};..." with keys matched without regard to case.
class ConnectionString {
public:
    ConnectionString() = default;
    explicit ConnectionString(const QString& text);
    const QString& text() const { return text_; }
    bool has(const QString& key) const;
    QString value(const QString& key) const; // trimmed, braces removed; "" when absent
    const std::vector<std::pair<QString, QString>>& items() const { return items_; }

private:
    QString text_;
    std::vector<std::pair<QString, QString>> items_;
};

// ---- catalog data --------------------------------------------------------

struct ColumnInfo {
    QString name;
    int type = adVarWChar;       // DataType number
    qint64 definedSize = 0;
    int precision = 0;
    int numericScale = 0;
    int attributes = adColNullable; // ColumnAttribute bits
    // Named properties in the catalog's order: "Autoincrement" (bool), "Default" (text, "" none),
    // "Jet OLEDB:Allow Zero Length" (bool), "Jet OLEDB:Validation Text", "Jet OLEDB:Validation Rule".
    std::vector<std::pair<QString, Variant>> properties;

    bool hasProperty(const QString& name) const;
    Variant property(const QString& name) const; // raises errItemNotFound
};

struct IndexInfo {
    QString name;
    bool primaryKey = false;
    bool unique = false;
    int indexNulls = adIndexNullsAllow;
    QStringList columns; // in index order
};

struct TableInfo {
    QString name;
    QString type; // "TABLE", "VIEW", "SYSTEM TABLE", "LINK", ...
    std::vector<ColumnInfo> columns;
    std::vector<IndexInfo> indexes;
};

struct ViewInfo {
    QString name;
    QString commandText; // the view's defining SELECT
};

// A table built again under a new structure in one step: everything the change
// does not name (rows, its own foreign keys, indexes, triggers, the references
// of other tables to it) is kept, and a failure leaves the table as it was.
struct TableRebuild {
    QString table;           // the stored table
    QString newName;         // its name afterwards (the same name when it keeps it)
    QString createStatement; // CREATE TABLE for the new structure, in the connection's dialect
    std::vector<std::pair<QString, QString>> renamedColumns; // stored name, new name
    QStringList columns;     // the columns the copy fills
    QStringList values;      // their select-list items, reading the stored columns under their new names
};

// ---- the backend interface ----------------------------------------------

class RowSource;
// The rows of a result already read, handed out as a source.
std::unique_ptr<RowSource> heldRows(ResultSetPtr rows);

// The rows of one statement read forward only, a block at a time, without
// holding what was read before. Used from one thread at a time.
class RowSource {
public:
    virtual ~RowSource() = default;
    // The result's columns. A column only its values can type has the type of
    // the values read so far, unless the source was opened with settled types.
    virtual const std::vector<FieldInfo>& fields() const = 0;
    // Appends up to `rows` further rows through b (whose result has these
    // fields); returns how many, 0 once every row was read. Raises Error.
    virtual qint64 read(ResultBuilder& b, qint64 rows) = 0;
};

class BackendConnection {
public:
    virtual ~BackendConnection() = default;

    // Provider name as a connection would report it.
    virtual QString provider() const = 0;

    // Runs a statement that may return rows. The first result comes first;
    // every further result set is drained into the list as well. A statement
    // that returns no rows gives one result with no fields and its rowsAffected.
    // Errors raise Error carrying the engine's message.
    virtual std::vector<ResultSetPtr> run(const QString& sql, CommandType type) = 0;

    virtual void beginTrans() = 0;
    virtual void commitTrans() = 0;
    virtual void rollbackTrans() = 0;

    virtual void setCommandTimeout(int seconds) { (void)seconds; }

    // Catalog. tables() lists names and types only; table() fills columns and
    // indexes and raises errItemNotFound for an unknown name.
    virtual std::vector<TableInfo> tables() = 0;
    virtual TableInfo table(const QString& name) = 0;
    virtual std::vector<ViewInfo> views() = 0;

    // The columns a statement returns, as run() would report them, without
    // reading its rows: one result with fields and no rows. Engines that can
    // describe a prepared statement do so; the fallback runs it and drops the rows.
    virtual ResultSetPtr describeColumns(const QString& sql);

    // The rows of one statement that returns rows, read as they are asked for.
    // settledTypes: columns typed by their values get their final type before
    // the first row (the engine reads the values once more for it). Engines
    // that cannot read forward this way run the statement whole and hand its
    // rows out. A statement without rows gives a source without fields.
    virtual std::unique_ptr<RowSource> openRows(const QString& sql, bool settledTypes);

    // Engines whose tables cannot be altered in place rebuild them this way;
    // the others refuse.
    virtual void rebuildTable(const TableRebuild& change);
};

// Everything a factory gets to open a connection.
struct OpenRequest {
    ConnectionString connectionString;
    QString user;
    QString password;
    int connectionTimeout = 15; // seconds, 0 = no limit
};

using BackendFactory = std::function<std::unique_ptr<BackendConnection>(const OpenRequest&)>;

// A backend declares which connection strings it serves. Higher priority is
// asked first. The layer registers its own (local files) on first use; the
// ODBC backend registers itself from registerBuiltinBackends().
struct BackendRegistration {
    QString name;     // "sqlite", "odbc", "access-file", ...
    int priority = 0;
    std::function<bool(const OpenRequest&)> accepts;
    BackendFactory open;
};

void registerBackend(BackendRegistration registration); // replaces one of the same name
void unregisterBackend(const QString& name);
// Opens through the first backend that accepts the request (a recording backend, when
// one is installed, takes every request). Raises errProviderNotFound when none does.
std::unique_ptr<BackendConnection> openBackend(const OpenRequest& request);

// Providers the local file backend implements, newest first
// ("Microsoft.ACE.OLEDB.16.0", "Microsoft.ACE.OLEDB.12.0", "Microsoft.Jet.OLEDB.4.0", ...).
QStringList localProviders();
// Whether a provider name (matched without regard to case) is implemented here.
bool isProviderRegistered(const QString& providerName);

} // namespace db
