// Connection strings, the provider look-up, the fall-back of connection
// values, Execute, transactions and their log lines, dialect strings and the
// change history, through the recording backend.
#include "DataTestSupport.h"

#include "core/Error.h"

#include <gtest/gtest.h>

using namespace datatest;

namespace {

class ConnectionTest : public RecordedObjectTest<TestDO> {
protected:
    // The procedure column of a log line: the database padded to 16, then the member.
    static QString proc(const char* member) { return QStringLiteral("d") + QString(15, QLatin1Char(' ')) + "\t" + member; }
    std::vector<db::RecordingBackend::EventKind> kinds() const
    {
        std::vector<db::RecordingBackend::EventKind> out;
        for (const auto& e : rec->events())
            out.push_back(e.kind);
        return out;
    }

    // The connection string the object builds for the given values.
    QString stringFor(std::int16_t type, std::int16_t driver, const QString& user = QStringLiteral("u"))
    {
        rec->clearLog();
        o.setConnectionType(type);
        o.setUsedDriver(driver);
        o.Execute(QStringLiteral("UPDATE t SET a = 1"), QStringLiteral("srv"), QStringLiteral("db"), user,
                  QStringLiteral("p"));
        const QStringList s = rec->connectionStrings();
        return s.isEmpty() ? QStringLiteral("<none>") : s.first();
    }

};

TEST_F(ConnectionTest, ConnectionStringForEveryTypeAndDriver)
{
    o.providers = [](const QString& p) { return p == QLatin1String("Microsoft.Jet.OLEDB.4.0"); };
    EXPECT_EQ(stringFor(0, 0), "driver={SQL Server};server=tcp:srv;uid=u;pwd=p;database=db");
    EXPECT_EQ(stringFor(0, 2, QStringLiteral("InTeGrAtEd")),
              "driver={SQL Server};server=tcp:srv;Trusted_Connection=yes;database=db");
    EXPECT_EQ(stringFor(1, 0), "Data Source=db;Provider=Microsoft.Jet.OLEDB.4.0; ");
    o.setSQLProvider(QStringLiteral("Microsoft.ACE.OLEDB.12.0"));
    EXPECT_EQ(stringFor(2, 1), "Provider=Microsoft.ACE.OLEDB.12.0;Data Source=db;Persist Security Info=False;"
                               "Jet OLEDB:Database Password=p;");
    EXPECT_EQ(stringFor(3, 0), "DSN=srv;DATABASE=db;UID=u;PWD=p");
    EXPECT_EQ(stringFor(3, 1), "DSN=srv;");
    EXPECT_EQ(stringFor(3, 2), "DATABASE=db;UID=u;PWD=p;DSN=srv;");
    EXPECT_TRUE(dialogs->calls.empty());
}

TEST_F(ConnectionTest, UnknownTypeOrDriverDoesNotOpenAndExecuteSaysSo)
{
    for (auto [type, driver] : {std::pair<std::int16_t, std::int16_t>{3, 3}, {4, 0}}) {
        dialogs->calls.clear();
        o.setConnectionType(type);
        o.setUsedDriver(driver);
        std::int32_t affected = 77;
        EXPECT_FALSE(o.Execute(QStringLiteral("DELETE FROM t"), QStringLiteral("s"), QStringLiteral("d"),
                               QStringLiteral("u"), QStringLiteral("p"), affected));
        EXPECT_EQ(affected, 77);
        ASSERT_EQ(dialogs->calls.size(), 1u);
        EXPECT_EQ(dialogs->calls[0].prompt, "No se ha podido abrir la conexión");
        EXPECT_EQ(dialogs->calls[0].style, 64);
        EXPECT_EQ(dialogs->calls[0].title, "Aviso");
    }
    EXPECT_TRUE(rec->statements().isEmpty());
}

TEST_F(ConnectionTest, FailedOpenLogsTheStringWithoutItsPassword)
{
    rec->failOpen(QStringLiteral("."), QStringLiteral("Login failed"));
    o.StartObject(QStringLiteral("srv"), QStringLiteral("db"), QStringLiteral("sa"), QStringLiteral("s3cret"));
    o.setSQLProvider(QStringLiteral("Microsoft.ACE.OLEDB.12.0"));
    const QString secret = QStringLiteral("ab;Cd=ef}{gh}");
    const struct {
        std::int16_t type, driver;
        const char* logged;
    } cases[] = {
        {0, 0, "driver={SQL Server};server=tcp:srv;uid=sa;pwd=****;database=db"},
        {3, 0, "DSN=srv;DATABASE=db;UID=sa;PWD=****"},
        {3, 2, "DATABASE=db;UID=sa;PWD=****;DSN=srv;"},
        {2, 0, "Provider=Microsoft.ACE.OLEDB.12.0;Data Source=db;Persist Security Info=False;"
               "Jet OLEDB:Database Password=****;"},
    };
    for (const auto& c : cases) {
        log->lines.clear();
        o.setConnectionType(c.type);
        o.setUsedDriver(c.driver);
        EXPECT_FALSE(o.Execute(QStringLiteral("DELETE FROM t"), QStringLiteral("srv"), QStringLiteral("db"),
                               QStringLiteral("sa"), secret));
        ASSERT_EQ(log->lines.size(), 1u);
        EXPECT_EQ(log->lines[0].className, "clsDO");
        EXPECT_EQ(log->lines[0].procedure, QStringLiteral("db") + QString(15, QLatin1Char(' ')) + "\tOpenConnection");
        EXPECT_EQ(log->lines[0].message, QStringLiteral("No se ha podido abrir la conexión ") + QString::fromUtf8(c.logged));
        EXPECT_EQ(log->lines[0].kind, 4);
        // The driver itself still receives the password as given.
        EXPECT_TRUE(rec->connectionStrings().last().contains(secret));
    }
}

TEST_F(ConnectionTest, ProviderIsLookedUpOnceAndStoredBack)
{
    o.providers = [](const QString& p) { return p == QLatin1String("Microsoft.Jet.OLEDB.4.0"); };
    stringFor(1, 0);
    EXPECT_EQ(o.SQLProvider(), "Microsoft.Jet.OLEDB.4.0");
    EXPECT_EQ(o.asked, QStringList{"Microsoft.Jet.OLEDB.4.0"});
    // The same provider serves a later .accdb connection: no second look-up.
    EXPECT_EQ(stringFor(2, 0), "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=db;Persist Security Info=False;"
                               "Jet OLEDB:Database Password=p;");
    EXPECT_EQ(o.asked.size(), 1);
}

TEST_F(ConnectionTest, ProviderLookUpOrderAndFixedDefaults)
{
    o.providers = [](const QString&) { return false; };
    stringFor(1, 0);
    EXPECT_EQ(o.asked, (QStringList{"Microsoft.Jet.OLEDB.4.0", "Microsoft.Jet.OLEDB.3.51"}));
    EXPECT_EQ(o.SQLProvider(), "Microsoft.Jet.OLEDB.4.0");

    TestDO accdb;
    accdb.providers = [](const QString&) { return false; };
    accdb.setConnectionType(2);
    accdb.Execute(QStringLiteral("DELETE FROM t"), QString(), QStringLiteral("f.accdb"));
    EXPECT_EQ(accdb.asked, (QStringList{"Microsoft.ACE.OLEDB.16.0", "Microsoft.ACE.OLEDB.12.0"}));
    EXPECT_EQ(accdb.SQLProvider(), "Microsoft.ACE.OLEDB.12.0");

    // The data layer's own list: the newest ACE provider it implements.
    TestDO layer;
    layer.setConnectionType(2);
    layer.Execute(QStringLiteral("DELETE FROM t"), QString(), QStringLiteral("f.accdb"));
    EXPECT_EQ(layer.SQLProvider(), "Microsoft.ACE.OLEDB.16.0");
}

TEST_F(ConnectionTest, RemoteServerWinsAndEmptyArgumentsTakeTheStoredValues)
{
    o.StartObject(QStringLiteral("stored"), QStringLiteral("sdb"), QStringLiteral("su"), QStringLiteral("sp"));
    QString server = QStringLiteral("given"), database, user = QStringLiteral("u2"), password;
    o.Execute(QStringLiteral("DELETE FROM t"), server, database, user, password);
    EXPECT_EQ(rec->connectionStrings().last(), "driver={SQL Server};server=tcp:given;uid=u2;pwd=sp;database=sdb");
    // The caller's variables receive the values that were used.
    EXPECT_EQ(database, "sdb");
    EXPECT_EQ(password, "sp");

    o.setRemoteServer(QStringLiteral("remote"));
    server = QStringLiteral("given");
    o.Execute(QStringLiteral("DELETE FROM t"), server);
    EXPECT_EQ(server, "remote");
    EXPECT_TRUE(rec->connectionStrings().last().startsWith(QLatin1String("driver={SQL Server};server=tcp:remote;")));
}

TEST_F(ConnectionTest, ExecuteRunsLogsCountsAndCloses)
{
    rec->answerAffected(QStringLiteral("UPDATE t SET a = 1"), 3);
    start();
    std::int32_t affected = 0;
    EXPECT_TRUE(o.Execute(QStringLiteral("UPDATE t SET a = 1"), QString(), QString(), QString(), QString(), affected));
    EXPECT_EQ(affected, 3);
    ASSERT_EQ(log->lines.size(), 1u);
    EXPECT_EQ(log->lines[0].procedure, proc("Execute"));
    EXPECT_EQ(log->lines[0].message, "UPDATE t SET a = 1");
    EXPECT_EQ(log->lines[0].kind, 1);
    const auto events = rec->events();
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[2].kind, db::RecordingBackend::EventKind::Close);
}

TEST_F(ConnectionTest, FailingStatementRaisesTheEngineErrorAfterItsLogLine)
{
    rec->answerError(QStringLiteral("DELETE FROM x"), -2147217865, QStringLiteral("Invalid object name 'x'."));
    o.StartObject(QStringLiteral("s"), QStringLiteral("longdatabasename_abcdefgh"), QStringLiteral("u"),
                  QStringLiteral("p"));
    try {
        o.Execute(QStringLiteral("DELETE FROM x"));
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(e.number, -2147217865);
        EXPECT_EQ(e.description, "Invalid object name 'x'.");
        EXPECT_EQ(e.source, "Zolt12.clsDO.Execute");
    }
    ASSERT_EQ(log->lines.size(), 2u);
    EXPECT_EQ(log->lines[1].procedure, "longdatabasename_abc\tExecute");
    EXPECT_EQ(log->lines[1].message,
              "Error al intentar ejecutar la siguiente SQL -> DELETE FROM x\r\nInvalid object name 'x'.");
    EXPECT_EQ(log->lines[1].kind, 4);
    EXPECT_EQ(rec->events().back().kind, db::RecordingBackend::EventKind::Close);
}

TEST_F(ConnectionTest, StoredProcedurePath)
{
    start();
    // A statement that ran leaves the connection open and answers false.
    EXPECT_FALSE(o.Execute(QStringLiteral("EXEC sp_x"), QString(), QString(), QString(), QString(), 0, true));
    EXPECT_EQ(rec->statements(), QStringList{"EXEC sp_x"});
    EXPECT_NE(rec->events().back().kind, db::RecordingBackend::EventKind::Close);

    // The next opening closes it first.
    o.Execute(QStringLiteral("UPDATE t SET a = 1"));
    int closes = 0;
    for (const auto& e : rec->events())
        closes += e.kind == db::RecordingBackend::EventKind::Close;
    EXPECT_EQ(closes, 2);

    // A failing procedure reaches the caller as its own error, not as a connection notice.
    rec->answerError(QStringLiteral("EXEC sp_bad"), 50000, QStringLiteral("boom"));
    try {
        o.Execute(QStringLiteral("EXEC sp_bad"), QString(), QString(), QString(), QString(), 0, true);
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(e.number, 50000);
        EXPECT_EQ(e.description, "boom");
        EXPECT_EQ(e.source, "Zolt12.clsDO.Execute");
    }
    EXPECT_TRUE(dialogs->calls.empty());
    EXPECT_EQ(rec->events().back().kind, db::RecordingBackend::EventKind::Close);

    // Inside a transaction the procedure runs on the transaction's connection.
    rec->clearLog();
    o.OpenTransaction();
    EXPECT_FALSE(o.Execute(QStringLiteral("EXEC sp_y"), QString(), QString(), QString(), QString(), 0, true));
    EXPECT_EQ(rec->statements(), QStringList{"EXEC sp_y"});
    o.UnDoTransaction();

    // A connection that does not open: true, the notice shown.
    rec->failOpen(QStringLiteral("."), QStringLiteral("no"));
    EXPECT_TRUE(o.Execute(QStringLiteral("EXEC sp_x"), QString(), QString(), QString(), QString(), 0, true));
    EXPECT_EQ(dialogs->calls.size(), 1u);
}

TEST_F(ConnectionTest, TransactionsShareOneConnectionAndLogTheirSteps)
{
    using K = db::RecordingBackend::EventKind;
    start();
    o.OpenTransaction();
    EXPECT_TRUE(o.TransactionOpen());
    o.Execute(QStringLiteral("UPDATE a SET x = 1"));
    o.Execute(QStringLiteral("UPDATE b SET x = 1"));
    o.CloseTransaction();
    EXPECT_FALSE(o.TransactionOpen());
    EXPECT_EQ(kinds(), (std::vector<K>{K::Open, K::Begin, K::Run, K::Run, K::Commit, K::Close}));
    ASSERT_EQ(log->lines.size(), 4u);
    EXPECT_EQ(log->lines[0].procedure, proc("OpenTransaction"));
    EXPECT_EQ(log->lines[0].message, "Se abre una Transaccion");
    EXPECT_EQ(log->lines[0].kind, 1);
    EXPECT_EQ(log->lines[3].procedure, proc("CloseTransaction"));
    EXPECT_EQ(log->lines[3].message, "Se cierra una Transaccion");

    // Without an open transaction CloseTransaction does nothing, UnDoTransaction only writes its line.
    rec->clearLog();
    log->lines.clear();
    o.CloseTransaction();
    EXPECT_TRUE(log->lines.empty());
    o.UnDoTransaction();
    EXPECT_TRUE(rec->events().empty());
    ASSERT_EQ(log->lines.size(), 1u);
    EXPECT_EQ(log->lines[0].procedure, proc("RollBack"));
    EXPECT_EQ(log->lines[0].message, "Se hace rollback en la Transaccion actual");

    o.OpenTransaction();
    o.Execute(QStringLiteral("UPDATE a SET x = 1"));
    o.UnDoTransaction();
    EXPECT_FALSE(o.TransactionOpen());
    EXPECT_EQ(kinds(), (std::vector<K>{K::Open, K::Begin, K::Run, K::Rollback, K::Close}));
    EXPECT_EQ(log->lines.back().message, "Se hace rollback en la Transaccion actual");
    EXPECT_TRUE(dialogs->calls.empty());

    // Without a log object the lines go nowhere.
    clsDO plain;
    plain.StartObject(QStringLiteral("s"), QStringLiteral("d"), QStringLiteral("u"), QStringLiteral("p"));
    plain.OpenTransaction();
    EXPECT_TRUE(plain.Execute(QStringLiteral("UPDATE a SET x = 1")));
    plain.CloseTransaction();
}

TEST_F(ConnectionTest, TransactionThatCannotBeginIsReported)
{
    start();
    o.OpenTransaction();
    // A second one on the same connection is refused by the layer.
    o.OpenTransaction();
    EXPECT_TRUE(o.TransactionOpen());
    ASSERT_EQ(dialogs->calls.size(), 1u);
    EXPECT_EQ(dialogs->calls[0].prompt, "Error al abrir la Transacción");
    EXPECT_EQ(dialogs->calls[0].style, 16);
    EXPECT_EQ(dialogs->calls[0].title, "Error");
    EXPECT_EQ(log->lines.back().procedure, proc("query"));
    EXPECT_EQ(log->lines.back().message, "Error al intentar abrir una Transaccion");
    EXPECT_EQ(log->lines.back().kind, 4);
    o.UnDoTransaction();
}

TEST(DialectTest, StringsFollowConnectionTypeAndDriver)
{
    const struct {
        std::int16_t type, driver;
        const char *unionOp, *dateStart, *dateEnd, *timeStart, *timeEnd;
        bool sqlServer, access, oracle;
    } cases[] = {
        {0, 0, "+", "CONVERT(smalldatetime,'", "',103)", "CONVERT(varchar,", ", 'dd/MM/yyyy hh:nn:ss')", true, false, false},
        {1, 0, "&", "DateValue('", "')", "FORMAT('", "', 'dd/MM/yyyy hh:nn:ss')", false, true, false},
        {3, 2, "||", "TO_DATE('", "', 'DD/MM/YYYY')", "TO_CHAR('", "', 'DD/MM/YYYY HH24:MI:SS')", false, false, true},
        // Behind a data source driver 0 is SQL Server, driver 1 Access.
        {3, 0, "+", "CONVERT(smalldatetime,'", "',103)", "CONVERT(varchar,", ", 'dd/MM/yyyy hh:nn:ss')", true, false, false},
        {3, 1, "&", "DateValue('", "')", "FORMAT('", "', 'dd/MM/yyyy hh:nn:ss')", false, false, false},
        // A driver outside the table keeps the strings it had.
        {3, 7, "&", "DateValue('", "')", "FORMAT('", "', 'dd/MM/yyyy hh:nn:ss')", false, false, false},
    };
    clsDO o;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.type << "/" << c.driver);
        o.setConnectionType(c.type);
        o.setUsedDriver(c.driver);
        EXPECT_EQ(o.sUnion(), c.unionOp);
        EXPECT_EQ(o.sInicioFecha(), c.dateStart);
        EXPECT_EQ(o.sFinalFecha(), c.dateEnd);
        EXPECT_EQ(o.sInicioFormatoHora(), c.timeStart);
        EXPECT_EQ(o.sFinalFormatoHora(), c.timeEnd);
        EXPECT_EQ(o.IsSQLServer(), c.sqlServer);
        EXPECT_EQ(o.IsAccess(), c.access);
        EXPECT_EQ(o.IsOracle(), c.oracle);
    }
}

TEST(ChangeHistoryTest, StringAndArrayForms)
{
    clsDO o;
    const QString text = o.VersionControl(QStringLiteral("String")).toString();
    const QStringList lines = text.split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0], "Creación de la librería\t13/02/2003\tVL");
    EXPECT_EQ(lines[2],
              "Cambios para diferentes motores de BBDD y para averiguar automáticamente el motor de access\t27/04/2024\tVL");
    EXPECT_EQ(lines[3], "");

    clsDO a;
    a.VersionControl(QStringLiteral("Array"));
    const Variant twice = a.VersionControl(QStringLiteral("Array"));
    ASSERT_TRUE(twice.isArray());
    EXPECT_EQ(twice.array()->lbound(), 0);
    EXPECT_EQ(twice.array()->ubound(), 5);
    EXPECT_EQ(twice.array()->at(4).toString(), "Añadido del método Execute\t13/02/2003\tVL");
    EXPECT_TRUE(a.VersionControl(QStringLiteral("XML")).isEmpty());
    EXPECT_FALSE(a.ChangeAdd(QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("Array")));
}

} // namespace
