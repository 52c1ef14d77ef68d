#pragma once
// ODBC connection strings: "key=value;" pairs where a value may be wrapped in
// braces to carry ";" or "=" ("}" doubled inside). Order and spelling of the
// keys are kept so a string passes to the driver as the caller wrote it.
#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

namespace db::odbc {

class ConnectionString {
public:
    static ConnectionString parse(const QString& text);

    // Value of a key (compared without regard to case), braces removed; empty when absent.
    QString value(const QString& key) const;
    bool contains(const QString& key) const;
    // Replaces the first pair with this key (keeping its place) or appends one.
    void set(const QString& key, const QString& value);
    void remove(const QString& key);

    QString toString() const;

    const std::vector<std::pair<QString, QString>>& pairs() const { return pairs_; }

private:
    std::vector<std::pair<QString, QString>> pairs_;
};

// Names under which SQL Server client drivers are registered, in order of preference.
inline const QString SqlServerDriverName = QStringLiteral("SQL Server");
inline const QString MsDriver18 = QStringLiteral("ODBC Driver 18 for SQL Server");
inline const QString MsDriver17 = QStringLiteral("ODBC Driver 17 for SQL Server");
inline const QString FreeTdsDriverName = QStringLiteral("FreeTDS");
// The protocol FreeTDS speaks to SQL Server 2012 and later.
inline const QString FreeTdsVersion = QStringLiteral("7.4");

// A connection string naming the driver "{SQL Server}" is made to name the
// SQL Server driver installed here: one registered under that very name, else
// Microsoft's driver 18 or 17, else FreeTDS with the server written the way it
// wants it ("tcp:" dropped, "host,port" split into Server and Port, TDS
// version given). Other strings, or no SQL Server driver at all, come back as
// given (the driver manager then says which driver it could not load).
QString resolveSqlServerDriver(const QString& connectionString, const QStringList& installed);

} // namespace db::odbc
