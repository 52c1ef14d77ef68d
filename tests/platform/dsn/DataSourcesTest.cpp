// The data sources the driver manager reports and the engine filter.
#include "platform/dsn/DataSources.h"
#include "platform/dsn/OdbcConfig.h"

#include <gtest/gtest.h>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

TEST(DriverFilter, TextOrFamilyWithoutRegardToCase)
{
    const struct { const char* driver; const char* filter; bool passes; } cases[] = {
        {"FreeTDS", "SQL Server", true},
        {"/usr/lib/x86_64-linux-gnu/odbc/libtdsodbc.so", "SQL Server", true},
        {"ODBC Driver 18 for SQL Server", "SQL Server", true},
        {"ODBC Driver 18 for SQL Server", "sql server", true},
        {"MDBTools", "Access", true},
        {"/usr/lib/libmdbodbc.so", "Access", true},
        {"Oracle 19 ODBC driver", "oracle", true},
        {"/opt/oracle/libsqora.so.19.1", "Oracle", true},
        {"SQLite3", "Oracle", false},
        {"FreeTDS", "Oracle", false},
        {"MDBTools", "SQL Server", false},
        {"SQLite3", "sqlite", true},
        {"SQLite3", "", true},
        {"", "Access", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(dsn::driverMatches(c.driver, c.filter), c.passes) << c.driver << " / " << c.filter;
}

TEST(DataSources, SystemSourcesOnlyByTheirOwnNamesAndNothingWithoutConfiguration)
{
    OdbcConfig::instance().write(kSystemIni, kUserIni);
    const QList<dsn::Source> all = dsn::dataSources(dsn::FetchFirstSystem);
    ASSERT_EQ(all.size(), 3);
    EXPECT_EQ(all[0].name, "Ventas");
    EXPECT_EQ(all[0].driver, "FreeTDS");
    EXPECT_EQ(dsn::EnumDSN(dsn::FetchFirstSystem, "oracle"), QStringList{"Stock"});
    EXPECT_EQ(dsn::EnumDSN(dsn::FetchFirstSystem, "SQL Server"), QStringList{"Ventas"});
    EXPECT_EQ(dsn::EnumDSN(dsn::FetchFirstSystem, ""), (QStringList{"Ventas", "Stock", "Local"}));
    // From the first of all sources the user's come too.
    EXPECT_TRUE(dsn::EnumDSN(dsn::FetchFirst, "").contains("Mine"));
    // An empty configuration gives nothing.
    OdbcConfig::instance().clear();
    EXPECT_TRUE(dsn::dataSources(dsn::FetchFirstSystem).isEmpty());
}
