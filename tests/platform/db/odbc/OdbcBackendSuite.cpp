// The shared backend suite over the same SQLite files, reached through unixODBC.
#include "BackendSuite.h"
#include "platform/db/odbc/OdbcTestEnvironment.h"

INSTANTIATE_TEST_SUITE_P(Odbc, BackendSuite, ::testing::Values(BackendParam{"odbc", [](const QString& file) {
                                                                                return odbctest::sqliteConnectionString(file);
                                                                            }}));
