// Connection strings, the provider look-up, the fall-back of connection
// values, Execute, transactions and their log lines, dialect strings and the
// change history, through the recording backend.
#include "DataTestSupport.h"

using namespace datatest;

namespace {

class ConnectionTest : public RecordedObjectTest<TestDO> {
protected:
    // The procedure column of a log line: the database padded to 16, then the member.
    static QString proc(const char* member) { return u"d"_s + QString(15, QLatin1Char(' ')) + "\t" + member; }
    // The backend's events in order, one letter each: Open, Run, Begin, coMmit, rollBack (U), Close, Describe.
    QString kinds() const
    {
        QString out;
        for (const auto& e : rec->events())
            out += QChar(u"ORBMUCD"[int(e.kind)]);
        return out;
    }

    // The connection string the object builds for the given values.
    QString stringFor(std::int16_t type, std::int16_t driver, const QString& user = u"u"_s)
    {
        rec->clearLog();
        o.setConnectionType(type);
        o.setUsedDriver(driver);
        o.Execute(u"UPDATE t SET a = 1"_s, u"srv"_s, u"db"_s, user, u"p"_s);
        const QStringList s = rec->connectionStrings();
        return s.isEmpty() ? u"<none>"_s : s.first();
    }
};

// Each type and driver's string; where it holds a password ("@" here), a failed
// opening logs it masked while the driver itself still receives it as given.
TEST_F(ConnectionTest, ConnectionStringForEveryTypeAndDriverAndItsMaskedLogLine)
{
    o.providers = [](const QString& p) { return p == QLatin1String("Microsoft.Jet.OLEDB.4.0"); };
    const struct {
        std::int16_t type, driver;
        const char *user, *string;
    } cases[] = {
        {0, 0, "u", "driver={SQL Server};server=tcp:srv;uid=u;pwd=@;database=db"},
        {0, 2, "InTeGrAtEd", "driver={SQL Server};server=tcp:srv;Trusted_Connection=yes;database=db"},
        {1, 0, "u", "Data Source=db;Provider=Microsoft.Jet.OLEDB.4.0; "},
        {2, 1, "u", "Provider=Microsoft.ACE.OLEDB.12.0;Data Source=db;Persist Security Info=False;Jet OLEDB:Database Password=@;"},
        {3, 0, "u", "DSN=srv;DATABASE=db;UID=u;PWD=@"},
        {3, 1, "u", "DSN=srv;"},
        {3, 2, "u", "DATABASE=db;UID=u;PWD=@;DSN=srv;"},
    };
    o.StartObject(u"srv"_s, u"db"_s, u"u"_s, u"s3cret"_s);
    const QString secret = u"ab;Cd=ef}{gh}"_s;
    for (const auto& c : cases) {
        if (c.type == 2)
            o.setSQLProvider(u"Microsoft.ACE.OLEDB.12.0"_s);
        EXPECT_EQ(stringFor(c.type, c.driver, QLatin1String(c.user)), QString::fromUtf8(c.string).replace('@', 'p'));
        EXPECT_TRUE(dialogs->calls.empty());
        if (!QByteArray(c.string).contains('@'))
            continue;
        log->lines.clear();
        rec->failOpen(u"."_s, u"Login failed"_s);
        EXPECT_FALSE(o.Execute(u"DELETE FROM t"_s, u"srv"_s, u"db"_s, u"u"_s, secret));
        EXPECT_EQ(log->texts(), QStringList{u"db"_s + QString(15, QLatin1Char(' ')) + u"\tOpenConnection|No se ha podido abrir la conexión "_s
                                            + QString::fromUtf8(c.string).replace('@', u"****"_s) + u"|4"_s});
        EXPECT_EQ(log->lines[0].className, "clsDO");
        EXPECT_TRUE(rec->connectionStrings().last().contains(secret));
        rec = db::RecordingBackend::install();
        dialogs->calls.clear();
    }
}

TEST_F(ConnectionTest, UnknownTypeOrDriverDoesNotOpenAndExecuteSaysSo)
{
    for (auto [type, driver] : {std::pair<std::int16_t, std::int16_t>{3, 3}, {4, 0}}) {
        dialogs->calls.clear();
        o.setConnectionType(type);
        o.setUsedDriver(driver);
        std::int32_t affected = 77;
        EXPECT_FALSE(o.Execute(u"DELETE FROM t"_s, u"s"_s, u"d"_s, u"u"_s, u"p"_s, affected));
        EXPECT_EQ(affected, 77);
        EXPECT_EQ(boxes(dialogs), QStringList{"Aviso|64|No se ha podido abrir la conexión"});
    }
    EXPECT_TRUE(rec->statements().isEmpty());
}

TEST_F(ConnectionTest, ProviderLookUp)
{
    // Looked up once, in its order, and stored back: the same provider serves a later .accdb connection.
    o.providers = [](const QString& p) { return p == QLatin1String("Microsoft.Jet.OLEDB.4.0"); };
    stringFor(1, 0);
    EXPECT_EQ(o.SQLProvider(), "Microsoft.Jet.OLEDB.4.0");
    EXPECT_EQ(stringFor(2, 0), "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=db;Persist Security Info=False;"
                               "Jet OLEDB:Database Password=p;");
    EXPECT_EQ(o.asked, QStringList{"Microsoft.Jet.OLEDB.4.0"});

    // None found: the fixed default of each kind; the data layer's own list has the newest ACE provider.
    const struct {
        std::int16_t type;
        bool none;
        QStringList asked;
        const char* provider;
    } cases[] = {
        {1, true, {"Microsoft.Jet.OLEDB.4.0", "Microsoft.Jet.OLEDB.3.51"}, "Microsoft.Jet.OLEDB.4.0"},
        {2, true, {"Microsoft.ACE.OLEDB.16.0", "Microsoft.ACE.OLEDB.12.0"}, "Microsoft.ACE.OLEDB.12.0"},
        {2, false, {"Microsoft.ACE.OLEDB.16.0"}, "Microsoft.ACE.OLEDB.16.0"},
    };
    for (const auto& c : cases) {
        TestDO d;
        if (c.none)
            d.providers = [](const QString&) { return false; };
        d.setConnectionType(c.type);
        d.Execute(u"DELETE FROM t"_s, QString(), u"f.accdb"_s);
        EXPECT_EQ(d.asked, c.asked);
        EXPECT_EQ(d.SQLProvider(), c.provider);
    }
}

TEST_F(ConnectionTest, RemoteServerWinsAndEmptyArgumentsTakeTheStoredValues)
{
    o.StartObject(u"stored"_s, u"sdb"_s, u"su"_s, u"sp"_s);
    QString server = u"given"_s, database, user = u"u2"_s, password;
    o.Execute(u"DELETE FROM t"_s, server, database, user, password);
    EXPECT_EQ(rec->connectionStrings().last(), "driver={SQL Server};server=tcp:given;uid=u2;pwd=sp;database=sdb");
    // The caller's variables receive the values that were used.
    EXPECT_EQ(database + password, "sdbsp");

    o.setRemoteServer(u"remote"_s);
    server = u"given"_s;
    o.Execute(u"DELETE FROM t"_s, server);
    EXPECT_EQ(server, "remote");
    EXPECT_TRUE(rec->connectionStrings().last().startsWith(QLatin1String("driver={SQL Server};server=tcp:remote;")));
}

// A statement that runs is logged, counted and its connection closed; one that
// fails raises the engine's error after its own log line.
TEST_F(ConnectionTest, ExecuteAndStoredProceduresRunLogCountAndClose)
{
    rec->answerAffected(u"UPDATE t SET a = 1"_s, 3);
    start();
    std::int32_t affected = 0;
    EXPECT_TRUE(o.Execute(u"UPDATE t SET a = 1"_s, QString(), QString(), QString(), QString(), affected));
    EXPECT_EQ(affected, 3);
    EXPECT_EQ(log->texts(), QStringList{proc("Execute") + "|UPDATE t SET a = 1|1"});

    log->lines.clear();
    rec->clearLog();
    rec->answerError(u"DELETE FROM x"_s, -2147217865, u"Invalid object name 'x'."_s);
    o.StartObject(u"s"_s, u"longdatabasename_abcdefgh"_s, u"u"_s, u"p"_s);
    EXPECT_EQ(raised([&] { o.Execute(u"DELETE FROM x"_s); }), "Zolt12.clsDO.Execute|-2147217865|Invalid object name 'x'.");
    EXPECT_EQ(log->texts(), (QStringList{"longdatabasename_abc\tExecute|DELETE FROM x|1",
                                     "longdatabasename_abc\tExecute|Error al intentar ejecutar la siguiente SQL -> "
                                     "DELETE FROM x\r\nInvalid object name 'x'.|4"}));

    // The stored procedure path.
    rec->clearLog();
    start();
    // A statement that ran leaves the connection open and answers false; the next opening closes it first.
    EXPECT_FALSE(o.Execute(u"EXEC sp_x"_s, QString(), QString(), QString(), QString(), 0, true));
    o.Execute(u"UPDATE t SET a = 1"_s);
    EXPECT_EQ(kinds(), "ORCORC");

    // A failing procedure reaches the caller as its own error, not as a connection notice.
    rec->answerError(u"EXEC sp_bad"_s, 50000, u"boom"_s);
    EXPECT_EQ(raised([&] { o.Execute(u"EXEC sp_bad"_s, QString(), QString(), QString(), QString(), 0, true); }),
              "Zolt12.clsDO.Execute|50000|boom");
    EXPECT_TRUE(dialogs->calls.empty());
    EXPECT_TRUE(kinds().endsWith(u'C'));

    // Inside a transaction the procedure runs on the transaction's connection.
    rec->clearLog();
    o.OpenTransaction();
    EXPECT_FALSE(o.Execute(u"EXEC sp_y"_s, QString(), QString(), QString(), QString(), 0, true));
    EXPECT_EQ(rec->statements(), QStringList{"EXEC sp_y"});
    o.UnDoTransaction();

    // A connection that does not open: true, the notice shown.
    rec->failOpen(u"."_s, u"no"_s);
    EXPECT_TRUE(o.Execute(u"EXEC sp_x"_s, QString(), QString(), QString(), QString(), 0, true));
    EXPECT_EQ(dialogs->calls.size(), 1u);
}

TEST_F(ConnectionTest, TransactionsShareOneConnectionAndLogTheirSteps)
{
    start();
    o.OpenTransaction();
    EXPECT_TRUE(o.TransactionOpen());
    o.Execute(u"UPDATE a SET x = 1"_s);
    o.Execute(u"UPDATE b SET x = 1"_s);
    o.CloseTransaction();
    EXPECT_FALSE(o.TransactionOpen());
    EXPECT_EQ(kinds(), "OBRRMC");
    const QString rollback = proc("RollBack") + "|Se hace rollback en la Transaccion actual|1";
    EXPECT_EQ(log->texts(), (QStringList{proc("OpenTransaction") + "|Se abre una Transaccion|1",
                                     proc("Execute") + "|UPDATE a SET x = 1|1", proc("Execute") + "|UPDATE b SET x = 1|1",
                                     proc("CloseTransaction") + "|Se cierra una Transaccion|1"}));

    // Without an open transaction CloseTransaction does nothing, UnDoTransaction only writes its line.
    rec->clearLog();
    log->lines.clear();
    o.CloseTransaction();
    o.UnDoTransaction();
    EXPECT_TRUE(rec->events().empty());
    EXPECT_EQ(log->texts(), QStringList{rollback});

    o.OpenTransaction();
    o.Execute(u"UPDATE a SET x = 1"_s);
    o.UnDoTransaction();
    EXPECT_FALSE(o.TransactionOpen());
    EXPECT_EQ(kinds(), "OBRUC");
    EXPECT_EQ(log->texts().last(), rollback);
    EXPECT_TRUE(dialogs->calls.empty());

    // A second one on the same connection is refused by the layer.
    o.OpenTransaction();
    o.OpenTransaction();
    EXPECT_TRUE(o.TransactionOpen());
    EXPECT_EQ(boxes(dialogs), QStringList{"Error|16|Error al abrir la Transacción"});
    EXPECT_EQ(log->texts().last(), proc("query") + "|Error al intentar abrir una Transaccion|4");
    o.UnDoTransaction();
}

TEST(DialectTest, StringsFollowConnectionTypeAndDriver)
{
    // Union, date start and end, time start and end, and which of SQL Server, Access, Oracle it is.
    const std::tuple<std::int16_t, std::int16_t, const char*> cases[] = {
        {0, 0, "+|CONVERT(smalldatetime,'|',103)|CONVERT(varchar,|, 'dd/MM/yyyy hh:nn:ss')|100"},
        {1, 0, "&|DateValue('|')|FORMAT('|', 'dd/MM/yyyy hh:nn:ss')|010"},
        {3, 2, "|||TO_DATE('|', 'DD/MM/YYYY')|TO_CHAR('|', 'DD/MM/YYYY HH24:MI:SS')|001"},
        // Behind a data source driver 0 is SQL Server, driver 1 Access.
        {3, 0, "+|CONVERT(smalldatetime,'|',103)|CONVERT(varchar,|, 'dd/MM/yyyy hh:nn:ss')|100"},
        {3, 1, "&|DateValue('|')|FORMAT('|', 'dd/MM/yyyy hh:nn:ss')|000"},
        // A driver outside the table keeps the strings it had.
        {3, 7, "&|DateValue('|')|FORMAT('|', 'dd/MM/yyyy hh:nn:ss')|000"},
    };
    clsDO o;
    for (const auto& [type, driver, strings] : cases) {
        o.setConnectionType(type);
        o.setUsedDriver(driver);
        EXPECT_EQ(QStringList({o.sUnion(), o.sInicioFecha(), o.sFinalFecha(), o.sInicioFormatoHora(), o.sFinalFormatoHora(),
                               QString::number(o.IsSQLServer()) + QString::number(o.IsAccess()) + QString::number(o.IsOracle())})
                      .join('|'),
                  QString::fromUtf8(strings))
            << type << "/" << driver;
    }
}

} // namespace
