// Files written by the Windows Access engine: read through MDBTools, never changed.
#include "BackendSuite.h"
#include "platform/db/Db.h"
#include "platform/db/odbc/OdbcBackend.h"
#include "platform/db/odbc/OdbcTestEnvironment.h"
#include "support/AccessTestFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace db;
using db::odbc::isReadOnlyStatement;
using accesstest::sha256;

// The registered driver comes before its library; with neither, opening says why.
TEST(AccessFile, TheMdbToolsDriverIsFoundByNameOrLibraryOrOpeningSaysWhy)
{
    QTemporaryDir libs, empty;
    QFile lib(libs.filePath("libmdbodbc.so"));
    ASSERT_TRUE(lib.open(QIODevice::WriteOnly));
    lib.close();
    EXPECT_EQ(odbc::mdbToolsConnectionString("/d/a b.mdb", {"SQLite3", "MDBTools"}, {libs.path()}),
              "Driver={MDBTools};DBQ=/d/a b.mdb");
    EXPECT_EQ(odbc::mdbToolsConnectionString("/d/x.accdb", {"SQLite3"}, {libs.path()}),
              "Driver=" + libs.filePath("libmdbodbc.so") + ";DBQ=/d/x.accdb");
    expectError([&] { odbc::mdbToolsConnectionString("/datos/viejo.mdb", {"SQLite3", "FreeTDS"}, {empty.path()}); },
                errProviderNotFound, {"/datos/viejo.mdb", "MDBTools"});
}

namespace {

// A file that starts like one of the Windows engine; returns its hash.
QByteArray writeEngineFile(const QString& path, const char* signature)
{
    QByteArray page(4096 * 4, '\0');
    page[1] = 1;
    page.replace(4, int(std::strlen(signature)), signature);
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly) && f.write(page) == page.size());
    f.close();
    return sha256(path);
}

} // namespace

// Whether the MDBTools driver is missing or cannot read the file, opening says so and nothing reaches the file.
TEST(AccessFile, AFileMdbToolsCannotReadFailsToOpenAndStaysAsItWas)
{
    odbctest::installDrivers();
    QTemporaryDir dir;
    const struct { const char* file; const char* provider; const char* signature; LocalFileKind kind; } cases[] = {
        {"viejo.mdb", "Microsoft.Jet.OLEDB.4.0", "Standard Jet DB", LocalFileKind::AccessJet},
        {"nuevo.accdb", "Microsoft.ACE.OLEDB.12.0", "Standard ACE DB", LocalFileKind::AccessAce},
    };
    for (const auto& c : cases) {
        const QString path = dir.filePath(c.file);
        const QByteArray before = writeEngineFile(path, c.signature);
        EXPECT_EQ(localFileKind(path), c.kind) << c.file;
        auto cn = std::make_shared<Connection>();
        expectError([&] { cn->Open(QString("Data Source=%1;Provider=%2; ").arg(path, c.provider)); }, 0, {"MDBTools", c.file});
        EXPECT_EQ(sha256(path), before);
    }
    // A data source on such a file opens through the driver and is only read.
    if (odbctest::mdbToolsDriverLibrary().isEmpty())
        GTEST_SKIP() << "MDBTools ODBC driver not installed";
    const QByteArray before = writeEngineFile(odbctest::accessDsnFile(), "Standard Jet DB");
    auto cn = std::make_shared<Connection>();
    cn->Open(QString("DSN=%1;").arg(odbctest::AccessDsn));
    expectError([&] { cn->Execute("DELETE FROM Clientes"); }, errReadOnlyDatabase, {odbctest::AccessDsn});
    cn->Close();
    EXPECT_EQ(sha256(odbctest::accessDsnFile()), before);
}

// The guard an Access file gets, here over a file the SQLite driver can read: only one SELECT
// without INTO (outside literals, names and comments) reaches the driver.
TEST(AccessFile, StatementsThatWouldChangeTheFileAreRefusedAndItStaysAsItWas)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("guardado.db");
    prepareSqliteFile(path, {"CREATE TABLE T (a INTEGER, [into] VARCHAR(20), x VARCHAR(5))", "INSERT INTO T VALUES (1, 'Ana', 'a''b')"});
    const QByteArray before = sha256(path);
    const QDateTime modified = QFileInfo(path).lastModified();
    auto cn = odbc::openReadOnly(odbctest::sqliteConnectionString(path), path);
    for (const char* sql : {"SELECT * INTO Copia FROM T", "SELECT 1; DELETE FROM T", "UPDATE T SET a = 1", "/* SELECT */ DROP TABLE T",
                            "INSERT INTO T SELECT * FROM T", "DELETE FROM T", "CREATE TABLE U (a INT)", ""})
        expectError([&] { cn->run(sql, adCmdText); }, errReadOnlyDatabase, {"guardado.db"});
    for (const char* sql : {"SELECT * FROM T", "  -- list\n (SELECT a FROM T) ;  /* done */ "})
        EXPECT_TRUE(isReadOnlyStatement(sql)) << sql;
    cn->beginTrans();
    auto rows = cn->run("select [into], 'DELETE; INTO' FROM T WHERE x = 'a''b'", adCmdText);
    cn->rollbackTrans();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0]->value(0, 0).toString(), "Ana");
    cn.reset();
    EXPECT_EQ(sha256(path), before);
    EXPECT_EQ(QFileInfo(path).lastModified(), modified);
}
