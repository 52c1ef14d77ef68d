#include "Backend.h"

#include "RecordingBackend.h"
#include "core/Error.h"
#include "sqlite/SqliteBackend.h"
#ifdef VELMORA_HAVE_ODBC
#include "odbc/OdbcBackend.h"
#endif

#include <QMutex>
#include <algorithm>
#include <mutex>

namespace db {

ConnectionString::ConnectionString(const QString& text) : text_(text)
{
    // key=value pairs separated by ';'; a value in braces may hold ';'.
    const int n = int(text.size());
    int i = 0;
    while (i < n) {
        int eq = text.indexOf(QLatin1Char('='), i);
        int semi = text.indexOf(QLatin1Char(';'), i);
        if (eq < 0 || (semi >= 0 && semi < eq)) {
            if (semi < 0)
                break;
            i = semi + 1;
            continue;
        }
        QString key = text.mid(i, eq - i).trimmed();
        int j = eq + 1;
        while (j < n && text[j] == QLatin1Char(' '))
            ++j;
        QString value;
        if (j < n && text[j] == QLatin1Char('{')) {
            int close = text.indexOf(QLatin1Char('}'), j + 1);
            if (close < 0)
                close = n;
            value = text.mid(j + 1, close - j - 1);
            int next = text.indexOf(QLatin1Char(';'), close);
            i = next < 0 ? n : next + 1;
        } else {
            int next = text.indexOf(QLatin1Char(';'), j);
            if (next < 0)
                next = n;
            value = text.mid(j, next - j).trimmed();
            i = next + 1;
        }
        if (!key.isEmpty())
            items_.emplace_back(key, value);
    }
}

bool ConnectionString::has(const QString& key) const
{
    return std::any_of(items_.begin(), items_.end(),
                       [&](const auto& kv) { return kv.first.compare(key, Qt::CaseInsensitive) == 0; });
}

QString ConnectionString::value(const QString& key) const
{
    for (const auto& kv : items_)
        if (kv.first.compare(key, Qt::CaseInsensitive) == 0)
            return kv.second;
    return QString();
}

bool ColumnInfo::hasProperty(const QString& name) const
{
    return std::any_of(properties.begin(), properties.end(),
                       [&](const auto& p) { return p.first.compare(name, Qt::CaseInsensitive) == 0; });
}

Variant ColumnInfo::property(const QString& name) const
{
    for (const auto& p : properties)
        if (p.first.compare(name, Qt::CaseInsensitive) == 0)
            return p.second;
    raise(errItemNotFound, QStringLiteral("No se encuentra el elemento en la colección que corresponde al nombre o al ordinal solicitado."),
          QStringLiteral("ADOX.Column"));
}

// ---- registry ----------------------------------------------------------------

namespace {
QMutex registryMutex;
std::vector<BackendRegistration>& registry()
{
    static std::vector<BackendRegistration> r;
    return r;
}

// Backends of this layer register on first use, so a static library keeps them.
void registerBuiltinBackends()
{
    static std::once_flag once;
    std::call_once(once, [] {
        registerSqliteBackend();
#ifdef VELMORA_HAVE_ODBC
        registerOdbcBackends();
#endif
    });
}
} // namespace

void registerBackend(BackendRegistration registration)
{
    QMutexLocker lock(&registryMutex);
    auto& r = registry();
    r.erase(std::remove_if(r.begin(), r.end(), [&](const auto& b) { return b.name == registration.name; }), r.end());
    r.push_back(std::move(registration));
    std::stable_sort(r.begin(), r.end(), [](const auto& a, const auto& b) { return a.priority > b.priority; });
}

void unregisterBackend(const QString& name)
{
    QMutexLocker lock(&registryMutex);
    auto& r = registry();
    r.erase(std::remove_if(r.begin(), r.end(), [&](const auto& b) { return b.name == name; }), r.end());
}

ResultSetPtr BackendConnection::describeColumns(const QString& sql)
{
    auto described = std::make_shared<ResultSet>();
    for (const ResultSetPtr& r : run(sql, adCmdText))
        if (!r->fields.empty()) {
            described->fields = r->fields;
            break;
        }
    return described;
}

namespace {

// The rows of a result read whole, handed out a block at a time.
class HeldRows : public RowSource {
public:
    explicit HeldRows(ResultSetPtr rows) : rows_(std::move(rows)) {}
    const std::vector<FieldInfo>& fields() const override { return rows_->fields; }
    qint64 read(ResultBuilder& b, qint64 rows) override
    {
        const qint64 n = std::min(rows, rows_->rowCount() - next_);
        for (qint64 i = 0; i < n; ++i)
            b.addRow(*rows_, next_++);
        return n;
    }

private:
    ResultSetPtr rows_;
    qint64 next_ = 0;
};

} // namespace

std::unique_ptr<RowSource> heldRows(ResultSetPtr rows) { return std::make_unique<HeldRows>(std::move(rows)); }

std::unique_ptr<RowSource> BackendConnection::openRows(const QString& sql, bool settledTypes)
{
    (void)settledTypes; // a result read whole has its types settled
    for (ResultSetPtr& r : run(sql, adCmdText))
        if (!r->fields.empty())
            return heldRows(std::move(r));
    return heldRows(std::make_shared<ResultSet>());
}

void BackendConnection::rebuildTable(const TableRebuild& change)
{
    raise(errDatabase, QStringLiteral("Este motor no reconstruye la tabla '%1'.").arg(change.table));
}

std::unique_ptr<BackendConnection> openBackend(const OpenRequest& request)
{
    if (auto rec = RecordingBackend::installed())
        return rec->open(request);
    registerBuiltinBackends();
    BackendFactory factory;
    {
        QMutexLocker lock(&registryMutex);
        for (const auto& b : registry())
            if (b.accepts && b.accepts(request)) {
                factory = b.open;
                break;
            }
    }
    if (!factory)
        raise(errProviderNotFound,
              QStringLiteral("No se encuentra el proveedor. Es posible que no esté instalado correctamente."),
              QStringLiteral("ADODB.Connection"));
    return factory(request);
}

QStringList localProviders()
{
    return {QStringLiteral("Microsoft.ACE.OLEDB.16.0"), QStringLiteral("Microsoft.ACE.OLEDB.12.0"),
            QStringLiteral("Microsoft.Jet.OLEDB.4.0"), QStringLiteral("Microsoft.Jet.OLEDB.3.51")};
}

bool isProviderRegistered(const QString& providerName)
{
    const QString p = providerName.trimmed();
    const auto list = localProviders();
    return std::any_of(list.begin(), list.end(), [&](const QString& x) { return x.compare(p, Qt::CaseInsensitive) == 0; });
}

} // namespace db
