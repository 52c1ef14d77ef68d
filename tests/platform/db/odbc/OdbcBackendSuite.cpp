// The shared backend suite over the same SQLite files, reached through unixODBC.
#include "BackendSuite.h"
#include "platform/db/odbc/OdbcTestEnvironment.h"

using namespace db;

INSTANTIATE_TEST_SUITE_P(Odbc, BackendSuite,
                         ::testing::Values(BackendParam{"odbc", odbctest::sqliteConnectionString,
                                                        {adInteger, adVarChar, adLongVarChar, adInteger, adDouble, adDBDate, adBinary}}));
