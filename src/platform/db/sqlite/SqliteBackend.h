#pragma once
// The local database engine: files named by "Data Source=" with a Jet or ACE
// provider are SQLite files, and the Access dialect Velmora writes is
// translated for SQLite (see AccessDialect.h).
#include "../Backend.h"

namespace db {

// Registers the local file backend (called by the registry on first use).
void registerSqliteBackend();
// Opens a local file directly (tests, tools). Raises Error.
std::unique_ptr<BackendConnection> openSqliteFile(const QString& path, bool readOnly = false);
// Creates an empty local database file; raises errDatabaseExists when it exists.
void createLocalDatabase(const QString& path);

} // namespace db
