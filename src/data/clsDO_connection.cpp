// Connections and statements: the connection string per connection type and
// driver, the provider look-up, opening and closing, Execute and transactions.
#include "data/clsDO.h"

#include "core/Dialogs.h"
#include "core/Error.h"
#include "platform/db/Db.h"

#include <algorithm>
#include <limits>

namespace {
const QString kCrLf = QStringLiteral("\r\n");
// What the log shows in place of a password.
const QString kPasswordMask = QStringLiteral("****");
} // namespace

bool clsDO::ProviderRegistered(const QString& providerName) const { return db::isProviderRegistered(providerName); }

QString clsDO::FindOleDbProvider(int providerKind) const
{
    QStringList candidates;
    if (providerKind == 2)
        candidates = {QStringLiteral("Microsoft.ACE.OLEDB.16.0"), QStringLiteral("Microsoft.ACE.OLEDB.12.0")};
    else if (providerKind == 1)
        candidates = {QStringLiteral("Microsoft.Jet.OLEDB.4.0"), QStringLiteral("Microsoft.Jet.OLEDB.3.51")};
    for (const QString& name : candidates)
        if (ProviderRegistered(name))
            return name;
    return QString();
}

QString clsDO::ConnectionString(const QString& S, const QString& D, const QString& U, const QString& P, bool shape)
{
    const QString shapeTail = shape ? QStringLiteral(";Provider=MSDataShape") : QString();
    switch (connectionType_) {
    case 0:
        if (U.toUpper() == QLatin1String("INTEGRATED"))
            return QStringLiteral("driver={SQL Server};server=tcp:") + S +
                   QStringLiteral(";Trusted_Connection=yes;database=") + D + shapeTail;
        return QStringLiteral("driver={SQL Server};server=tcp:") + S + QStringLiteral(";uid=") + U +
               QStringLiteral(";pwd=") + P + QStringLiteral(";database=") + D + shapeTail;
    case 1:
    case 2:
        if (sqlProvider_.isEmpty()) {
            sqlProvider_ = FindOleDbProvider(connectionType_);
            if (sqlProvider_.isEmpty())
                sqlProvider_ = connectionType_ == 1 ? QStringLiteral("Microsoft.Jet.OLEDB.4.0")
                                                    : QStringLiteral("Microsoft.ACE.OLEDB.12.0");
        }
        if (connectionType_ == 1)
            return QStringLiteral("Data Source=") + D + QStringLiteral(";Provider=") + sqlProvider_ +
                   QStringLiteral("; ");
        return QStringLiteral("Provider=") + sqlProvider_ + QStringLiteral(";Data Source=") + D +
               QStringLiteral(";Persist Security Info=False;Jet OLEDB:Database Password=") + P +
               QStringLiteral(";");
    case 3:
        switch (usedDriver_) {
        case 0:
            return QStringLiteral("DSN=") + S + QStringLiteral(";DATABASE=") + D + QStringLiteral(";UID=") + U +
                   QStringLiteral(";PWD=") + P + shapeTail;
        case 1:
            return QStringLiteral("DSN=") + S + QStringLiteral(";");
        case 2:
            return QStringLiteral("DATABASE=") + D + QStringLiteral(";UID=") + U + QStringLiteral(";PWD=") + P +
                   QStringLiteral(";DSN=") + S + QStringLiteral(";");
        default:
            return QString();
        }
    default:
        return QString();
    }
}

bool clsDO::OpenConnection(const QString& server, const QString& database, const QString& user,
                           const QString& password, bool shape, const QString& statement)
{
    // A statement given here runs at once; its failure is the caller's to report.
    auto runStatement = [&] {
        procedureCommand_ = std::make_shared<db::Command>();
        procedureCommand_->setCommandTimeout(0);
        procedureCommand_->setActiveConnection(connection_);
        procedureCommand_->setCommandText(statement);
        procedureCommand_->Execute();
    };

    if (transactionOpen_) {
        const bool open = connection_ && connection_->State() == db::adStateOpen;
        // Inside a transaction the statement runs on its connection: skipped, it would
        // pass for run with the caller.
        lastOpenFailed_ = !open;
        if (open && !statement.isEmpty())
            runStatement();
        return open;
    }

    // A connection a stored-procedure run left open is closed before it is replaced; any
    // other earlier connection closes when its last holder lets it go.
    if (procedureCommand_) {
        if (auto left = procedureCommand_->ActiveConnection())
            trap([&] { left->Close(); }, [](const Error&) {});
        procedureCommand_.reset();
    }

    const bool opened = trap(
        [&] {
            connection_ = std::make_shared<db::Connection>();
            connection_->setCursorLocation(db::adUseClient);
            connection_->setConnectionTimeout(0);
            const QString text = ConnectionString(server, database, user, password, shape);
            if (text.isEmpty())
                raise(db::errProviderNotFound, QStringLiteral("No hay cadena de conexión para este tipo de conexión"));
            connection_->Open(text);
            connection_->setCommandTimeout(0);
        },
        [&](const Error&) {
            // The logged string is built again around a mask: a password holding ";", "=" or
            // braces would otherwise show past whatever a pattern takes for its end.
            InsertLog(QStringLiteral("OpenConnection"),
                      QStringLiteral("No se ha podido abrir la conexión ") +
                          ConnectionString(server, database, user, password.isEmpty() ? password : kPasswordMask, shape),
                      4);
            SystemMsgBox(QStringLiteral("No se ha podido abrir la conexión"), 64, QStringLiteral("Aviso"));
        });
    lastOpenFailed_ = !opened;
    if (!opened)
        return false;

    if (!statement.isEmpty())
        runStatement();
    return connection_->State() == db::adStateOpen;
}

void clsDO::CloseConnection()
{
    if (transactionOpen_)
        return;
    if (connection_)
        trap([&] { connection_->Close(); }, [](const Error&) {});
    connection_.reset();
}

bool clsDO::Execute(const QString& sSQL, ByRef<QString> sServer, ByRef<QString> sBBDD, ByRef<QString> sUID,
                    ByRef<QString> sPassword, ByRef<std::int32_t> lFilasAfectadas, bool bStoredProcedure)
{
    FallBack(*sServer, *sBBDD, *sUID, *sPassword);

    auto fail = [&](const Error& e) {
        InsertLog(QStringLiteral("Execute"),
                  QStringLiteral("Error al intentar ejecutar la siguiente SQL -> ") + sSQL + kCrLf + e.description, 4);
        CloseConnection();
        raise(e.number, e.description, QStringLiteral("Zolt12.clsDO.Execute"));
    };

    if (bStoredProcedure) {
        bool open = false;
        try {
            open = OpenConnection(*sServer, *sBBDD, *sUID, *sPassword, false, sSQL);
        } catch (const Error& e) {
            procedureCommand_.reset();
            fail(e);
        }
        if (open)
            return false; // ran; the connection stays open for what follows
        CloseConnection();
        return true;
    }

    // A connection that did not open has shown its notice; nothing ran.
    if (!OpenConnection(*sServer, *sBBDD, *sUID, *sPassword))
        return false;
    InsertLog(QStringLiteral("Execute"), sSQL, 1);
    try {
        auto command = std::make_shared<db::Command>();
        command->setCommandTimeout(0);
        command->setActiveConnection(connection_);
        command->setCommandText(sSQL);
        qint64 affected = -1;
        command->Execute(&affected);
        *lFilasAfectadas = std::int32_t(std::clamp<qint64>(affected, std::numeric_limits<std::int32_t>::min(),
                                                           std::numeric_limits<std::int32_t>::max()));
    } catch (const Error& e) {
        fail(e);
    }
    CloseConnection();
    return true;
}

void clsDO::OpenTransaction()
{
    trap(
        [&] {
            if (!OpenConnection(servidor_, baseDatos_, usuario_, contraseña_))
                return;
            connection_->BeginTrans();
            InsertLog(QStringLiteral("OpenTransaction"), QStringLiteral("Se abre una Transaccion"), 1);
            transactionOpen_ = true;
        },
        [&](const Error&) {
            InsertLog(QStringLiteral("query"), QStringLiteral("Error al intentar abrir una Transaccion"), 4);
            // A connection opened for a transaction that did not begin is not kept.
            CloseConnection();
            SystemMsgBox(QStringLiteral("Error al abrir la Transacción"), 16, QStringLiteral("Error"));
        });
}

void clsDO::CloseTransaction()
{
    if (!transactionOpen_)
        return;
    trap(
        [&] {
            if (!connection_)
                raise(Error::ObjectVariableNotSet, QStringLiteral("Variable de objeto no establecida"));
            connection_->CommitTrans();
            InsertLog(QStringLiteral("CloseTransaction"), QStringLiteral("Se cierra una Transaccion"), 1);
            transactionOpen_ = false;
            CloseConnection();
        },
        [&](const Error&) {
            InsertLog(QStringLiteral("CloseTransaction"), QStringLiteral("Error al intentar cerrar una Transaccion"), 4);
            SystemMsgBox(QStringLiteral("Error al cerrar la Transacción"), 16, QStringLiteral("Error"));
        });
}

void clsDO::UnDoTransaction()
{
    InsertLog(QStringLiteral("RollBack"), QStringLiteral("Se hace rollback en la Transaccion actual"), 1);
    if (connection_)
        trap([&] { connection_->RollbackTrans(); }, [](const Error&) {});
    transactionOpen_ = false;
    CloseConnection();
}
