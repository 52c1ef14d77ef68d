#include "LocalFile.h"

#include "Types.h"
#include "core/Error.h"

namespace db {

LocalFileKind localFileKind(const QString&) { return LocalFileKind::Other; }
bool isDatabaseFileInUse(const QString&) { return false; }
void CompactDatabase(const QString&, const QString&, const QString&) { raise(errDatabase, QStringLiteral("not yet")); }
void ReplaceDatabaseFile(const QString&, const QString&) { raise(errDatabase, QStringLiteral("not yet")); }

} // namespace db
