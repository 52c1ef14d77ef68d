#include "SqliteBackend.h"

#include "core/Error.h"

namespace db {

void registerSqliteBackend() {}

std::unique_ptr<BackendConnection> openSqliteFile(const QString&, bool)
{
    raise(errProviderNotFound, QStringLiteral("not yet"), QStringLiteral("db"));
}

void createLocalDatabase(const QString&) { raise(errProviderNotFound, QStringLiteral("not yet"), QStringLiteral("db")); }

} // namespace db
