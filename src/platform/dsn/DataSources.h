#pragma once
// The ODBC data sources the driver manager reports, and the filter by
// database engine that the data-source picker applies to their drivers.
#include <QString>
#include <QStringList>

namespace dsn {

// Directions of the first fetch: every source, or only the system ones.
constexpr int FetchFirst = 2;        // SQL_FETCH_FIRST
constexpr int FetchFirstSystem = 32; // SQL_FETCH_FIRST_SYSTEM

// The engine a driver text belongs to: "SQL Server" (FreeTDS, libtdsodbc,
// "... for SQL Server"), "Access" (MDBTools, libmdbodbc), "Oracle" (Oracle,
// libsqora), else "".
QString driverFamily(const QString& driver);

// Whether a source's driver text passes the filter: the text contains the
// filter, or its family is the filter (both without regard to case). An
// empty filter passes every driver.
bool driverMatches(const QString& driver, const QString& filter);

struct Source {
    QString name;
    QString driver; // the DSN's "Driver=" text, as the driver manager reports it
};

// Every source from the first direction on, in the driver manager's order,
// through a fresh environment: the names by the length reported, 1024
// characters at most. The list ends at the first fetch that does not answer
// plain success (end of list, an error, or a truncated value). No driver
// manager environment gives an empty list.
QList<Source> dataSources(int firstDirection);

// The names of the sources whose driver passes the filter.
QStringList EnumDSN(int firstDirection, const QString& filter);

} // namespace dsn
