#include "Command.h"

#include "Recordset.h"
#include "core/Error.h"

namespace db {

std::shared_ptr<Recordset> Command::Execute(qint64* rowsAffected)
{
    if (!connection_ || connection_->State() != adStateOpen)
        raise(errObjectClosed, QStringLiteral("No se permite realizar la operación si el objeto está cerrado."),
              QStringLiteral("ADODB.Command"));
    const int previous = connection_->CommandTimeout();
    if (timeout_ != previous)
        connection_->backend().setCommandTimeout(timeout_);
    std::vector<ResultSetPtr> results;
    try {
        results = connection_->backend().run(text_, type_ == adCmdStoredProc ? adCmdStoredProc : adCmdText);
    } catch (...) {
        if (timeout_ != previous)
            connection_->backend().setCommandTimeout(previous);
        throw;
    }
    if (timeout_ != previous)
        connection_->backend().setCommandTimeout(previous);
    if (rowsAffected)
        *rowsAffected = results.empty() ? -1 : results.front()->rowsAffected;
    // Skip leading results without columns (counts of statements before the first SELECT).
    while (!results.empty() && results.front()->fields.empty())
        results.erase(results.begin());
    if (results.empty())
        return nullptr;
    auto rs = std::make_shared<Recordset>();
    rs->attach(std::move(results));
    return rs;
}

} // namespace db
