#include "platform/db/odbc/OdbcTestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <memory>

namespace odbctest {

QString sqliteDriverLibrary() { return QStringLiteral(VELMORA_SQLITE_ODBC_DRIVER); }
QString mdbToolsDriverLibrary() { return QStringLiteral(VELMORA_MDBTOOLS_ODBC_DRIVER); }
QString freeTdsDriverLibrary() { return QStringLiteral(VELMORA_FREETDS_ODBC_DRIVER); }
QString postgresDriverLibrary() { return QStringLiteral(VELMORA_PSQL_ODBC_DRIVER); }

QString dsnFile()
{
    return QDir(installDrivers()).filePath(QStringLiteral("dsn.db"));
}

QString accessDsnFile()
{
    return QDir(installDrivers()).filePath(QStringLiteral("dsn.mdb"));
}

QString installDrivers()
{
    static std::unique_ptr<QTemporaryDir> dir;
    if (dir)
        return dir->path();
    dir = std::make_unique<QTemporaryDir>();
    QFile ini(dir->filePath(QStringLiteral("odbcinst.ini")));
    if (ini.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        // DontDLClose keeps driver libraries mapped after a disconnect, so the
        // leak checker can still name them (and their own leaks are suppressed).
        QByteArray text = "[SQLite3]\nDescription=SQLite3 ODBC Driver\nDriver=" + sqliteDriverLibrary().toUtf8()
                          + "\nDontDLClose=1\n";
        if (!freeTdsDriverLibrary().isEmpty())
            text += "\n[FreeTDS]\nDescription=FreeTDS\nDriver=" + freeTdsDriverLibrary().toUtf8() + "\nDontDLClose=1\n";
        if (!mdbToolsDriverLibrary().isEmpty())
            text += "\n[MDBTools]\nDescription=MDBTools Driver\nDriver=" + mdbToolsDriverLibrary().toUtf8()
                    + "\nDontDLClose=1\n";
        if (!postgresDriverLibrary().isEmpty())
            text += "\n[PostgreSQL Unicode]\nDescription=psqlODBC\nDriver=" + postgresDriverLibrary().toUtf8()
                    + "\nDontDLClose=1\n";
        ini.write(text);
    }
    QFile dsn(dir->filePath(QStringLiteral("odbc.ini")));
    if (dsn.open(QIODevice::WriteOnly | QIODevice::Truncate))
        dsn.write("[" + QByteArray(TestDsn) + "]\nDescription=Velmora test\nDriver=SQLite3\nDatabase="
                  + dir->filePath(QStringLiteral("dsn.db")).toUtf8() + "\n\n[" + QByteArray(AccessDsn)
                  + "]\nDescription=Velmora Access\nDriver=MDBTools\nDatabase=" + dir->filePath(QStringLiteral("dsn.mdb")).toUtf8()
                  + "\n");
    // Pin the driver libraries too: a data-source connection loads them through
    // paths DontDLClose does not cover, and an unmapped library's allocations
    // cannot be attributed (so not suppressed) by the leak checker.
    for (const QString& lib : {sqliteDriverLibrary(), freeTdsDriverLibrary(), mdbToolsDriverLibrary(), postgresDriverLibrary()})
        if (!lib.isEmpty())
            dlopen(lib.toUtf8().constData(), RTLD_NOW | RTLD_NODELETE);
    qputenv("ODBCSYSINI", dir->path().toUtf8());
    qputenv("ODBCINI", dir->filePath(QStringLiteral("odbc.ini")).toUtf8());
    return dir->path();
}

} // namespace odbctest

namespace {
// Before any test of the process talks to the driver manager.
class DriverEnvironment : public ::testing::Environment {
public:
    void SetUp() override { odbctest::installDrivers(); }
};
[[maybe_unused]] const auto* const registered = ::testing::AddGlobalTestEnvironment(new DriverEnvironment);
} // namespace
