#pragma once
// A statement bound to a connection; a stored procedure is run by name.
#include "Connection.h"
#include "core/Object.h"

namespace db {

class Recordset;

class Command : public Object {
public:
    QString typeName() const override { return QStringLiteral("Command"); }

    ConnectionPtr ActiveConnection() const { return connection_; }
    void setActiveConnection(ConnectionPtr c) { connection_ = std::move(c); }
    QString CommandText() const { return text_; }
    void setCommandText(const QString& t) { text_ = t; }
    int CommandType() const { return type_; }
    void setCommandType(int t) { type_ = t; }
    int CommandTimeout() const { return timeout_; }
    void setCommandTimeout(int s) { timeout_ = s; }

    // Runs the command. rowsAffected as for Connection::Execute. The rows of a statement that
    // returns them come back as a record set (fully read, extra results reachable through
    // NextRecordset); nullptr when it returned none. Raises errObjectClosed without an open connection.
    std::shared_ptr<Recordset> Execute(qint64* rowsAffected = nullptr);

private:
    ConnectionPtr connection_;
    QString text_;
    int type_ = adCmdText;
    int timeout_ = 30;
};

using CommandPtr = std::shared_ptr<Command>;

} // namespace db
