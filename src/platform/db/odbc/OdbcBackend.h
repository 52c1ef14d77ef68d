#pragma once
// The ODBC backend: connection strings with "Driver=" or "DSN=" (connection
// types 0 and 3), and files written by the Windows Access engine, which are
// read through the MDBTools driver and never changed.
#include "../Backend.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <string_view>

namespace db {

// Registers the ODBC and Access-file backends (called by the registry on first use).
void registerOdbcBackends();

namespace odbc {

// Opens a connection through the driver manager. "{SQL Server}" is resolved to
// the installed SQL Server driver; ";Provider=MSDataShape" (no data shaping
// here, the rows come back as a plain record set) and "Provider=MSDASQL" are dropped.
std::unique_ptr<BackendConnection> openOdbc(const OpenRequest& request);

// Opens a file written by the Windows Access engine read-only through MDBTools.
// Raises errProviderNotFound, saying why, when no MDBTools driver is installed.
std::unique_ptr<BackendConnection> openAccessFile(const QString& path, int connectionTimeout = 15);

// A connection that refuses every statement but a single SELECT, naming label
// (the file) in its refusal.
std::unique_ptr<BackendConnection> openReadOnly(const QString& connectionString, const QString& label,
                                                int connectionTimeout = 15);

// The connection string that reaches path through MDBTools: a driver registered
// under a name with "MDBTools" in it, else the driver library found in one of
// libraryDirs. Raises errProviderNotFound when there is neither.
QString mdbToolsConnectionString(const QString& path, const QStringList& installed, const QStringList& libraryDirs);
// Folders where Debian installs ODBC driver libraries.
QStringList defaultDriverDirs();

// True for a single statement that only reads: SELECT (or a parenthesised
// SELECT) without INTO, nothing after it but blanks, comments and one ";".
bool isReadOnlyStatement(const QString& sql);

// DataType number a result or catalog column of this ODBC SQL type reports.
// fixedPrecScale marks money columns (exact, 4 decimals), unsignedType a tinyint 0..255.
// size is the column size the driver gives (-1 when it gives none) and typeName its own
// name for the type: a float of at most 7 digits (or 4 bytes) is a Single, and a
// variable text without a size or named "MEMO" is long text.
int dataTypeFor(int sqlType, bool unsignedType, bool fixedPrecScale, int scale, qint64 size = -1,
                const QString& typeName = QString());

// Money as a driver writes it in text ("-12.34565", "1,5"): scaled by 10000,
// the fifth decimal rounded half to even. False for anything else.
bool parseMoneyText(std::string_view text, std::int64_t& scaled);

} // namespace odbc
} // namespace db
