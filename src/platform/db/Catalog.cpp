#include "Catalog.h"

#include "core/Error.h"
#include "sqlite/SqliteBackend.h"

namespace db {

BackendConnection& Catalog::backend() const
{
    if (!connection_ || connection_->State() != adStateOpen)
        raise(errObjectClosed, QStringLiteral("No se permite realizar la operación si el objeto está cerrado."),
              QStringLiteral("ADOX.Catalog"));
    return connection_->backend();
}

std::vector<TableInfo> Catalog::Tables() const { return backend().tables(); }
TableInfo Catalog::Table(const QString& name) const { return backend().table(name); }
std::vector<ViewInfo> Catalog::Views() const { return backend().views(); }

QStringList Catalog::PrimaryKey(const QString& table) const
{
    for (const auto& ix : Table(table).indexes)
        if (ix.primaryKey)
            return ix.columns;
    return {};
}

void Catalog::Create(const QString& connectionString)
{
    createLocalDatabase(db::ConnectionString(connectionString).value(QStringLiteral("Data Source")));
}

} // namespace db
