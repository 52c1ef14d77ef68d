#pragma once
// The schema of the database behind a connection: tables with their columns
// and indexes, views with their statement text.
#include "Backend.h"
#include "Connection.h"
#include "core/Object.h"

namespace db {

class Catalog : public Object {
public:
    QString typeName() const override { return QStringLiteral("Catalog"); }

    void setActiveConnection(ConnectionPtr c) { connection_ = std::move(c); }
    ConnectionPtr ActiveConnection() const { return connection_; }

    // Tables in the catalog's order with their Type text ("TABLE", "VIEW",
    // "SYSTEM TABLE"); columns and indexes are not filled here.
    std::vector<TableInfo> Tables() const;
    // One table (or view) with columns and indexes; raises errItemNotFound for an unknown name.
    TableInfo Table(const QString& name) const;
    std::vector<ViewInfo> Views() const;

    // Primary key columns of a table, in key order (empty when it has none).
    QStringList PrimaryKey(const QString& table) const;

    // Creates a new, empty local database file from a connection string with
    // "Data Source=" (raises errDatabaseExists when the file exists).
    static void Create(const QString& connectionString);

private:
    BackendConnection& backend() const;
    ConnectionPtr connection_;
};

using CatalogPtr = std::shared_ptr<Catalog>;

} // namespace db
