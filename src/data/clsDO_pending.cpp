// Members whose implementation has not landed yet: each says so when called.
#include "data/clsDO.h"

#include "core/Error.h"

namespace {
[[noreturn]] void pending(const char* member)
{
    raise(Error::InvalidProcedureCall, QStringLiteral("not built yet: clsDO.%1").arg(QLatin1String(member)),
          QStringLiteral("Zolt12.clsDO"));
}
} // namespace

Variant clsDO::EstructuraTabla(const QString&, const QString&) { pending("EstructuraTabla"); }
Variant clsDO::EstructuraConsulta(const QString&, const QString&, const QString&) { pending("EstructuraConsulta"); }
CollectionPtr clsDO::TableList(ByRef<QString>, ByRef<QString>, ByRef<QString>, ByRef<QString>, ByRef<QString>, bool) { pending("TableList"); }
CollectionPtr clsDO::TableIndexes(ByRef<QString>, ByRef<QString>, ByRef<QString>, ByRef<QString>, ByRef<QString>) { pending("TableIndexes"); }
CollectionPtr clsDO::TableKey(ByRef<QString>, ByRef<QString>, ByRef<QString>, ByRef<QString>, ByRef<QString>) { pending("TableKey"); }
bool clsDO::IsOraclePrimaryKey(ByRef<QString>, ByRef<QString>) { pending("IsOraclePrimaryKey"); }
CollectionPtr clsDO::ViewList(ByRef<QString>, ByRef<QString>, ByRef<QString>, ByRef<QString>) { pending("ViewList"); }
QString clsDO::CreateTable(const QString&, const CollectionPtr&) { pending("CreateTable"); }
QString clsDO::ModifyTable(const QString&, const QString&, const CollectionPtr&) { pending("ModifyTable"); }
bool clsDO::AddNewIndex(const QString&, const QString&, bool, bool, bool, const QString&) { pending("AddNewIndex"); }
Variant clsDO::RemoveIndex(const QString&, const QString&, bool) { pending("RemoveIndex"); }
QString clsDO::CompactSQLServerDataBase(ByRef<QString>, ByRef<QString>, ByRef<QString>, ByRef<QString>, bool) { pending("CompactSQLServerDataBase"); }
QString clsDO::CompactAccessDataBase(ByRef<QString>, ByRef<QString>, ByRef<QString>, ByRef<QString>) { pending("CompactAccessDataBase"); }
