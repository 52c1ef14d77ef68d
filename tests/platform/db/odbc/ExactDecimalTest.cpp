// Exact numeric values through a driver that reports SQL_NUMERIC columns: a
// throw-away PostgreSQL server on a local socket, reached with psqlODBC.
#include "core/ValueText.h"
#include "platform/db/Db.h"
#include "platform/db/odbc/OdbcTestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <pwd.h>
#include <unistd.h>

using namespace db;

namespace {

// A server of its own in a temporary folder (the newest installed version; Debian keeps them per major
// version), stopped when the test ends. The server refuses to run as root: then it runs as "nobody",
// which owns the folder.
class Server {
public:
    QString start()
    {
        QStringList versions = QDir("/usr/lib/postgresql").entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        std::sort(versions.begin(), versions.end(), [](const QString& a, const QString& b) { return a.toInt() > b.toInt(); });
        for (const QString& v : versions)
            if (bin_.isEmpty() && QFileInfo("/usr/lib/postgresql/" + v + "/bin/pg_ctl").isExecutable())
                bin_ = "/usr/lib/postgresql/" + v + "/bin";
        if (bin_.isEmpty())
            return "PostgreSQL server binaries not installed";
        if (geteuid() == 0) {
            const passwd* pw = getpwnam("nobody");
            if (!pw || chown(QFile::encodeName(dir_.path()).constData(), pw->pw_uid, pw->pw_gid) != 0)
                return "cannot hand the server folder to user nobody";
            runAs_ = "nobody";
        }
        const QString data = dir_.filePath("data");
        QString out;
        if (!run("initdb", {"-D", data, "-A", "trust", "-U", "postgres", "-E", "UTF8", "--no-sync"}, out))
            return "initdb failed: " + out;
        // Reached only through a socket in its own folder, so no port is shared with anything else.
        // pg_ctl waits for the server to take connections; its own 60 s limit would fail a slow
        // machine, so the limit is a day and the test runner's is the one that counts.
        const QString options = QString("-F -k %1 -c listen_addresses=''").arg(dir_.path());
        if (!run("pg_ctl", {"-D", data, "-o", options, "-l", dir_.filePath("server.log"), "-w", "-t", "86400", "start"}, out))
            return "pg_ctl start failed: " + out;
        started_ = true;
        return QString();
    }

    ~Server()
    {
        QString ignored;
        if (started_)
            run("pg_ctl", {"-D", dir_.filePath("data"), "-m", "immediate", "stop"}, ignored);
    }

    QString connectionString() const
    {
        return QString("Driver={PostgreSQL Unicode};Server=%1;Database=postgres;UID=postgres;").arg(dir_.path());
    }

private:
    bool run(const QString& tool, const QStringList& args, QString& output) const
    {
        QProcess p;
        const QString program = QDir(bin_).filePath(tool);
        if (runAs_.isEmpty())
            p.start(program, args);
        else
            p.start("runuser", QStringList{"-u", runAs_, "--", program} + args);
        // No time limit of its own: the test runner's ends a tool that hangs.
        const bool ok = p.waitForFinished(-1) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
        output = QString::fromLocal8Bit(p.readAllStandardOutput() + p.readAllStandardError());
        return ok;
    }

    // The server's socket lies in this folder, and a socket's path (with its
    // closing zero) holds at most 108 bytes: a long TMPDIR gives way to /tmp.
    static QString folderTemplate()
    {
        const QString inTemp = QDir::tempPath() + "/pg-XXXXXX";
        return QFile::encodeName(inTemp).size() + qsizetype(sizeof("/.s.PGSQL.5432")) <= 108 ? inTemp
                                                                                          : QStringLiteral("/tmp/pg-XXXXXX");
    }

    QTemporaryDir dir_{folderTemplate()};
    QString bin_, runAs_;
    bool started_ = false;
};

// The exact digits of a value read, or of the server's text for it, without trailing zeros.
QString exactText(const Variant& v)
{
    QString t = v.type() == VarType::String
                    ? v.toString()
                    : QString::fromStdString((v.type() == VarType::Currency ? Decimal::fromScaled(v.toCurrency().scaled, 4)
                                                                            : std::get<Decimal>(v.storage()))
                                                 .toAscii());
    while (t.contains('.') && (t.endsWith('0') || t.endsWith('.')))
        t.chop(1);
    return t;
}

} // namespace

TEST(ExactDecimal, NumericValuesReadBackDigitForDigitAsTheServerWritesThem)
{
    if (odbctest::postgresDriverLibrary().isEmpty())
        GTEST_SKIP() << "psqlODBC (package odbc-postgresql) not installed";
    odbctest::installDrivers();
    Server server;
    const QString why = server.start();
    if (why.startsWith("PostgreSQL server binaries"))
        GTEST_SKIP() << why.toStdString();
    ASSERT_TRUE(why.isEmpty()) << why.toStdString();

    auto cn = std::make_shared<Connection>();
    cn->Open(server.connectionString());
    cn->Execute("CREATE TABLE Importes (Id integer PRIMARY KEY, Importe numeric(18,4), Cantidad numeric(38,10))");
    cn->Execute("INSERT INTO Importes VALUES (1, 99999999999999.9999, 1234567890123456.7890123456), "
                "(2, 564999999721.0030, -0.0000000001)");
    cn->Execute("INSERT INTO Importes SELECT i + 2, (i * 9999999999.9973) % 99999999999999.9999, "
                "(i * 98765432109876.5432109877) % 9999999999999999.9999999999 - 4999999999999999 "
                "FROM generate_series(1, 10000) AS i");

    Recordset rs;
    rs.Open("SELECT Importe, Cantidad FROM Importes ORDER BY Id", cn);
    ASSERT_EQ(rs.RecordCount(), 10002);
    EXPECT_EQ(rs.Fields(0).Type(), adNumeric);
    EXPECT_EQ(rs.Fields(0).Precision(), 18);
    EXPECT_EQ(rs.Fields(0).NumericScale(), 4);
    EXPECT_EQ(rs.Fields(1).Precision(), 38);
    EXPECT_EQ(rs.Fields(1).NumericScale(), 10);

    // At most four decimals and within range: Currency; more decimals: Decimal.
    EXPECT_EQ(rs.value(0), Variant(Currency::fromScaled(999999999999999999)));
    EXPECT_EQ(debugText(rs.value(1)), "14 " + ValueText::toText(Variant(*Decimal::parse("1234567890123456.7890123456"))));
    EXPECT_EQ(std::get<Decimal>(rs.value(1).storage()).toAscii(), "1234567890123456.7890123456");
    rs.MoveNext();
    EXPECT_EQ(rs.value(0), Variant(Currency::fromScaled(5649999997210030)));
    EXPECT_EQ(std::get<Decimal>(rs.value(1).storage()).toAscii(), "-0.0000000001");

    // Every value, digit for digit as the server writes it.
    Recordset texts;
    texts.Open("SELECT CAST(Importe AS text), CAST(Cantidad AS text) FROM Importes ORDER BY Id", cn);
    for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext(), texts.MoveNext()) {
        ASSERT_EQ(exactText(rs.value(0)), exactText(texts.value(0))) << rs.AbsolutePosition();
        ASSERT_EQ(exactText(rs.value(1)), exactText(texts.value(1))) << rs.AbsolutePosition();
    }
}
