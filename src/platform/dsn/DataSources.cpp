#include "platform/dsn/DataSources.h"

#include "platform/db/odbc/OdbcApi.h"

#include <array>

namespace dsn {

QString driverFamily(const QString& driver)
{
    const auto has = [&driver](const char* word) { return driver.contains(QLatin1String(word), Qt::CaseInsensitive); };
    if (has("freetds") || has("libtdsodbc") || has("for sql server"))
        return QStringLiteral("SQL Server");
    if (has("mdbtools") || has("libmdbodbc"))
        return QStringLiteral("Access");
    if (has("oracle") || has("libsqora"))
        return QStringLiteral("Oracle");
    return QString();
}

bool driverMatches(const QString& driver, const QString& filter)
{
    if (filter.isEmpty() || driver.contains(filter, Qt::CaseInsensitive))
        return true;
    const QString family = driverFamily(driver);
    return !family.isEmpty() && family.compare(filter, Qt::CaseInsensitive) == 0;
}

QList<Source> dataSources(int firstDirection)
{
    QList<Source> out;
    SQLHENV env = SQL_NULL_HENV;
    if (SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env) != SQL_SUCCESS)
        return out;
    // The driver manager refuses to list sources for an environment without a version.
    db::odbc::Handle owner(SQL_HANDLE_ENV, env);
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);

    constexpr SQLSMALLINT BufferLength = 1024;
    std::array<SQLWCHAR, BufferLength> name{}, description{};
    SQLUSMALLINT direction = SQLUSMALLINT(firstDirection);
    for (;;) {
        SQLSMALLINT nameLength = 0, descriptionLength = 0;
        const SQLRETURN ret = SQLDataSourcesW(env, direction, name.data(), BufferLength, &nameLength,
                                              description.data(), BufferLength, &descriptionLength);
        if (ret != SQL_SUCCESS)
            break;
        const auto cut = [](SQLSMALLINT length) { return qsizetype(qBound<int>(0, length, BufferLength - 1)); };
        out.append(Source{db::odbc::fromWChars(name.data(), cut(nameLength)),
                          db::odbc::fromWChars(description.data(), cut(descriptionLength))});
        direction = SQL_FETCH_NEXT;
    }
    return out;
}

QStringList EnumDSN(int firstDirection, const QString& filter)
{
    QStringList names;
    for (const Source& s : dataSources(firstDirection))
        if (driverMatches(s.driver, filter))
            names << s.name;
    return names;
}

} // namespace dsn
