#include "Connection.h"

#include "core/Error.h"

namespace db {

namespace {
const QString Src = QStringLiteral("ADODB.Connection");
}

Connection::~Connection()
{
    try {
        Close();
    } catch (...) {
    }
}

void Connection::setConnectionString(const QString& s)
{
    if (backend_)
        raise(errObjectOpen, QStringLiteral("No se permite realizar la operación si el objeto está abierto."), Src);
    connectionString_ = s;
}

void Connection::Open(const QString& connectionString, const QString& user, const QString& password)
{
    if (backend_)
        raise(errObjectOpen, QStringLiteral("No se permite realizar la operación si el objeto está abierto."), Src);
    if (!connectionString.isEmpty())
        connectionString_ = connectionString;
    OpenRequest req;
    req.connectionString = db::ConnectionString(connectionString_);
    req.user = user;
    req.password = password;
    req.connectionTimeout = connectionTimeout_;
    backend_ = openBackend(req);
    backend_->setCommandTimeout(commandTimeout_);
    transLevel_ = 0;
}

void Connection::Close()
{
    if (!backend_)
        return;
    auto b = std::move(backend_);
    if (transLevel_ > 0) {
        transLevel_ = 0;
        try {
            b->rollbackTrans();
        } catch (const Error&) {
        }
    }
}

BackendConnection& Connection::backend() const
{
    if (!backend_)
        raise(errObjectClosed, QStringLiteral("No se permite realizar la operación si el objeto está cerrado."), Src);
    return *backend_;
}

void Connection::Execute(const QString& sql, qint64* rowsAffected, CommandType type)
{
    auto results = backend().run(sql, type);
    if (rowsAffected)
        *rowsAffected = results.empty() ? -1 : results.front()->rowsAffected;
}

int Connection::BeginTrans()
{
    if (transLevel_ > 0)
        raise(errDatabase, QStringLiteral("No se admiten transacciones anidadas."), Src);
    backend().beginTrans();
    transLevel_ = 1;
    return transLevel_;
}

void Connection::CommitTrans()
{
    if (transLevel_ == 0)
        raise(errDatabase, QStringLiteral("No hay ninguna transacción activa."), Src);
    backend().commitTrans();
    transLevel_ = 0;
}

void Connection::RollbackTrans()
{
    if (transLevel_ == 0)
        raise(errDatabase, QStringLiteral("No hay ninguna transacción activa."), Src);
    transLevel_ = 0;
    backend().rollbackTrans();
}

void Connection::setCommandTimeout(int seconds)
{
    commandTimeout_ = seconds;
    if (backend_)
        backend_->setCommandTimeout(seconds);
}

QString Connection::Provider() const
{
    if (backend_)
        return backend_->provider();
    QString p = db::ConnectionString(connectionString_).value(QStringLiteral("Provider"));
    return p.isEmpty() ? QStringLiteral("MSDASQL") : p;
}

} // namespace db
