#pragma once
// A database connection: opened from a connection string, runs statements,
// holds transactions. The engine behind it is chosen from the string.
#include "Backend.h"
#include "core/Object.h"

#include <QString>
#include <memory>

namespace db {

class Connection : public Object {
public:
    Connection() = default;
    ~Connection() override;
    QString typeName() const override { return QStringLiteral("Connection"); }

    QString ConnectionString() const { return connectionString_; }
    void setConnectionString(const QString& s); // raises errObjectOpen while open

    // Opens with the given string (or the stored one when empty). Raises Error on failure.
    void Open(const QString& connectionString = QString(), const QString& user = QString(),
              const QString& password = QString());
    // Closes; an open transaction is rolled back. Closing a closed connection does nothing.
    void Close();
    int State() const { return backend_ ? adStateOpen : adStateClosed; }

    // Runs a statement; rowsAffected receives the records it changed (-1 when the engine does not say).
    void Execute(const QString& sql, qint64* rowsAffected = nullptr, CommandType type = adCmdText);

    // Transactions: BeginTrans returns the nesting level (1). Nested transactions are refused.
    int BeginTrans();
    void CommitTrans();
    void RollbackTrans();
    bool InTransaction() const { return transLevel_ > 0; }

    int CommandTimeout() const { return commandTimeout_; }
    void setCommandTimeout(int seconds);
    int ConnectionTimeout() const { return connectionTimeout_; }
    void setConnectionTimeout(int seconds) { connectionTimeout_ = seconds; }
    int CursorLocation() const { return cursorLocation_; }
    void setCursorLocation(int location) { cursorLocation_ = location; }

    // Provider of the open connection, else the "Provider=" of the string.
    QString Provider() const;

    // The engine, for Command, Recordset and Catalog. Raises errObjectClosed when closed.
    BackendConnection& backend() const;

private:
    QString connectionString_;
    std::unique_ptr<BackendConnection> backend_;
    int commandTimeout_ = 30;
    int connectionTimeout_ = 15;
    int cursorLocation_ = adUseServer;
    int transLevel_ = 0;
};

using ConnectionPtr = std::shared_ptr<Connection>;

} // namespace db
