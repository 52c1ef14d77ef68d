#pragma once
// Registers the SQLite ODBC driver for this test process only: a temporary
// odbcinst.ini, with ODBCSYSINI and ODBCINI pointing at its folder, set before
// the driver manager reads anything. Every SQLite file can then be reached as
// "Driver={SQLite3};Database=<file>".
#include <QString>

namespace odbctest {

// Idempotent; returns the folder holding odbcinst.ini.
QString installDrivers();

// Path of the SQLite ODBC driver library found at configure time (empty when none).
QString sqliteDriverLibrary();
QString mdbToolsDriverLibrary();
QString freeTdsDriverLibrary();
// psqlODBC, registered as "PostgreSQL Unicode" (empty when not installed).
QString postgresDriverLibrary();

// A data source registered for the process: the SQLite ODBC driver on dsnFile().
inline constexpr char TestDsn[] = "VelmoraPrueba";
QString dsnFile();
// A data source on the MDBTools driver, on accessDsnFile().
inline constexpr char AccessDsn[] = "VelmoraAccess";
QString accessDsnFile();

inline QString sqliteConnectionString(const QString& file)
{
    installDrivers();
    return QStringLiteral("Driver={SQLite3};Database=") + file;
}

} // namespace odbctest
