// Temporary: members waiting for the data layer.
#include "data/clsDO.h"
#include "core/Error.h"
namespace {
[[noreturn]] void pending(const char* m) { raise(5, QStringLiteral("not built yet: clsDO.%1").arg(QLatin1String(m))); }
}
QString clsDO::FindOleDbProvider(int) const { return QString(); }
bool clsDO::OpenConnection(const QString&, const QString&, const QString&, const QString&, bool, const QString&) { pending("OpenConnection"); }
void clsDO::CloseConnection() {}
bool clsDO::Execute(const QString&, ByRef<QString>, ByRef<QString>, ByRef<QString>, ByRef<QString>, ByRef<std::int32_t>, bool) { pending("Execute"); }
Variant clsDO::Query(ByRef<QString>, ByRef<QString>, ByRef<QString>, ByRef<QString>, ByRef<QString>, const QString&, ByRef<Variant>, bool, bool, bool, std::int32_t, std::int32_t, const QString&) { pending("Query"); }
void clsDO::OpenTransaction() { pending("OpenTransaction"); }
void clsDO::CloseTransaction() { pending("CloseTransaction"); }
void clsDO::UnDoTransaction() { pending("UnDoTransaction"); }
