// The output forms of Query on a local database file, and the forms whose
// statements only a server answers through the recording backend.
#include "DataTestSupport.h"

#include "platform/db/sqlite/SqliteBackend.h"

using namespace datatest;

namespace {

class QueryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        db::createLocalDatabase(file.path);
        file.exec({u"CREATE TABLE Items (Id LONG, Name TEXT(20), Note TEXT(20))"_s,
                   u"INSERT INTO Items VALUES (12, 'a\tb', NULL)"_s, u"INSERT INTO Items VALUES (7, 'c', 'x')"_s,
                   u"INSERT INTO Items VALUES (3, NULL, 'y')"_s, u"CREATE TABLE Vacia (Id LONG, Name TEXT(20))"_s,
                   u"CREATE TABLE Pairs (A LONG, B LONG, C TEXT(5))"_s, u"INSERT INTO Pairs VALUES (12, 7, 'x')"_s,
                   u"INSERT INTO Pairs VALUES (12, 8, NULL)"_s});
        file.point(o);
        o.InicializateLog(log);
    }

    Variant query(const QString& sql, const QString& form, const Variant& keys = Variant(std::int16_t(0)),
                  bool counters = false, bool useKey = true, bool names = false)
    {
        Variant k = keys;
        return o.Query(sql, QString(), QString(), QString(), QString(), form, k, counters, useKey, names);
    }
    // For statements and keys the call rewrites in the caller's variables.
    Variant queryRef(QString& sql, const QString& form, Variant& keys)
    {
        return o.Query(sql, QString(), QString(), QString(), QString(), form, keys);
    }
    // The paged form with known counts and header.
    Variant known(const QString& sql, int rows, int columns, const QString& header)
    {
        Variant k;
        return o.Query(sql, QString(), QString(), QString(), QString(), u"StringRowsExcelCellCount"_s, k, false, true,
                       false, rows, columns, header);
    }

    LocalDb file;
    TestDO o;
    std::shared_ptr<LogRecorder> log = std::make_shared<LogRecorder>();
    ScopedRecordingDialogs dialogs;
};

const QString kItems = u"SELECT Id, Name, Note FROM Items ORDER BY Id DESC"_s;
const QString kEmpty = u"SELECT Id FROM Vacia"_s;

// Each form's whole answer; every call writes only its statement to the log
// (an empty result is no failure) and closes its connection.
TEST_F(QueryTest, EveryFormsAnswer)
{
    const QString odd = u"SELECT 'a;b' AS [x;y], 'Dice \"hola\"' AS q, 'l1' & char(13, 10) & 'l2' AS l, '--' AS n "
                        "FROM Items WHERE Id = 7"_s;
    const struct {
        const char* form;
        QString sql;
        const char* answer;
    } cases[] = {
        {"GridArray", kItems, "{12\ta   b\t\t 7\tc\tx\t 3\t\ty\t}"},
        {"GridArray", kEmpty, "{}"},
        {"BiDimArray", kItems, "[12,a\tb,NULL|7,c,x|3,NULL,y]"},
        {"BiDimArray", kEmpty, "<empty>"},
        {"StringRows", kItems, "[3|3|12\ta\tb\t\r7\tc\tx\r3\t\ty\r]"},
        {"StringRows", u"SELECT Id, Name FROM Vacia"_s, "[0|2|]"},
        {"StringRows2Array", u"SELECT Id, Note FROM Items ORDER BY Id"_s, "[3\ty|7\tx|12\t|]"},
        {"CSV", kItems, "Id;Name;Note\r\n12;a\tb;\r7;c;x\r3;;y\r"},
        {"CSV", kEmpty, ""},
        {"CSV2", kItems, "12;a\tb;--\r\n7;c;x\r\n3;--;y\r\n"},
        {"CSV2", kEmpty, "<empty>"},
        // A value or name holding the separator, a quote or a line break stays one field.
        {"CSV", odd, "\"x;y\";q;l;n\r\n\"a;b\";\"Dice \"\"hola\"\"\";\"l1\r\nl2\";--\r"},
        {"CSV2", odd, "\"a;b\";\"Dice \"\"hola\"\"\";\"l1\r\nl2\";--\r\n"},
        {"gridarray", kItems, "<empty>"},
        {"Collection", kEmpty, "<nothing>"},
        {"Collection2", kEmpty, "{}"},
        {"StraightToExcel :)", u"UPDATE Items SET Note = 'z' WHERE Id > 5"_s, "2"},
        {"CSV", u"SELECT Note FROM Items ORDER BY Id"_s, "Note\r\ny\rz\rz\r"},
    };
    for (const auto& c : cases) {
        log->lines.clear();
        EXPECT_EQ(show(query(c.sql, QLatin1String(c.form))), QString::fromUtf8(c.answer)) << c.form << " " << c.sql.toStdString();
        QStringList logged = log->messages();
        logged.removeDuplicates(); // the export form writes its statement twice
        EXPECT_EQ(logged, QStringList{c.sql}) << c.form;
        EXPECT_FALSE(db::isDatabaseFileInUse(file.path)) << c.form;
    }
    EXPECT_TRUE(query(kEmpty, u"CSV"_s).isString());
    EXPECT_EQ(query(u"UPDATE Items SET Note = 'z' WHERE Id > 5"_s, u"StraightToExcel :)"_s).type(), VarType::Long);
    EXPECT_EQ(log->lines[0].procedure, file.path.left(20) + "\tquery");

    // A record set stays usable after its connection closes.
    for (const QString& form : {u"Recordset"_s, u"ShapeRecordset"_s}) {
        const auto rs = query(kItems, form).as<db::Recordset>();
        ASSERT_TRUE(rs);
        EXPECT_EQ(rs->RecordCount(), 3);
        EXPECT_FALSE(rs->ActiveConnection());
        EXPECT_FALSE(db::isDatabaseFileInUse(file.path));
        EXPECT_EQ(rs->value(u"Name"_s).toString(), "a\tb");
    }
}

// Every form reads its result from one run of the statement on a real file: a
// large result is never read twice. Only the identity form runs a second
// statement of its own. A backend wrapped around the local one counts them.
struct CountingConnection : db::BackendConnection {
    std::unique_ptr<db::BackendConnection> inner;
    QStringList* seen;
    QString provider() const override { return inner->provider(); }
    std::vector<db::ResultSetPtr> run(const QString& sql, db::CommandType type) override
    {
        *seen << sql;
        return inner->run(sql, type);
    }
    void beginTrans() override { inner->beginTrans(); }
    void commitTrans() override { inner->commitTrans(); }
    void rollbackTrans() override { inner->rollbackTrans(); }
    void setCommandTimeout(int s) override { inner->setCommandTimeout(s); }
    std::vector<db::TableInfo> tables() override { return inner->tables(); }
    db::TableInfo table(const QString& name) override { return inner->table(name); }
    std::vector<db::ViewInfo> views() override { return inner->views(); }
};

TEST_F(QueryTest, EveryFormRunsTheStatementOnceOnTheFile)
{
    QStringList seen;
    bool opening = false;
    db::registerBackend({u"counting-test"_s, 1000, [&](const db::OpenRequest&) { return !opening; },
                         [&](const db::OpenRequest& r) -> std::unique_ptr<db::BackendConnection> {
                             opening = true;
                             auto c = std::make_unique<CountingConnection>();
                             c->seen = &seen;
                             try {
                                 c->inner = db::openBackend(r);
                             } catch (...) {
                                 opening = false;
                                 throw;
                             }
                             opening = false;
                             return c;
                         }});
    const std::pair<const char*, int> forms[] = {
        {"GridArray", 1},   {"BiDimArray", 1},       {"StringRows", 1},         {"StringRows2Array", 1},
        {"Recordset", 1},   {"ShapeRecordset", 1},   {"CSV", 1},                {"CSV2", 1},
        {"Collection", 1},  {"Collection2", 1},      {"StringRowsExcel", 1},    {"StraightToExcel :)", 1},
        {"GetScopeIdentity", 2}, {"StringRowsExcelCellCount", 1},
    };
    for (const auto& [form, count] : forms) {
        seen.clear();
        Variant k;
        trap([&] { o.Query(kItems, QString(), QString(), QString(), QString(), QLatin1String(form), k, false, true, false, 3, 3, u"H"_s); },
             [](const Error&) {});
        EXPECT_EQ(seen.size(), count) << form << ": " << seen.join(" | ").toStdString();
        EXPECT_EQ(seen.value(0), kItems) << form;
    }
    db::unregisterBackend(u"counting-test"_s);
}

TEST_F(QueryTest, FailuresReachTheCaller)
{
    // Each error as "source|number|description" and the last log line after it.
    auto failure = [&](const std::function<void()>& call) {
        const QString error = raised(call);
        EXPECT_FALSE(db::isDatabaseFileInUse(file.path));
        return QStringList{error, log->texts().last().section(u'|', 1)};
    };
    const QString missing = u"|-2147467259|no such table: Missing"_s, twice = u"Esta clave ya está asociada a un elemento de esta colección"_s;
    EXPECT_EQ(failure([&] { query(u"SELECT Id FROM Missing"_s, u"GridArray"_s); }),
              (QStringList{"Zolt.clsDO.Execute" + missing, "Error en el metodo Query --> no such table: Missing|4"}));
    EXPECT_EQ(failure([&] { o.Execute(u"DELETE FROM Missing"_s); }),
              (QStringList{"Zolt12.clsDO.Execute" + missing,
                           "Error al intentar ejecutar la siguiente SQL -> DELETE FROM Missing\r\nno such table: Missing|4"}));
    // Two records under one key.
    EXPECT_EQ(failure([&] { query(u"SELECT A, B FROM Pairs"_s, u"Collection"_s); }),
              (QStringList{"Zolt.clsDO.Execute|457|" + twice, "Error en el metodo Query --> " + twice + "|4"}));

    // A connection that does not open: empty, and the notice shown.
    o.setConnectionType(9);
    EXPECT_TRUE(query(kItems, u"GridArray"_s).isEmpty());
    EXPECT_EQ(dialogs->calls.size(), 1u);
}

TEST_F(QueryTest, CollectionKeysAndColumnNames)
{
    const Variant keys(arrayOf({Variant(std::int16_t(0)), Variant(std::int16_t(1))}));
    EXPECT_EQ(show(query(u"SELECT p.A, p.B, p.C FROM Pairs p"_s, u"Collection"_s, keys, true)),
              "{#12#7={Pairs.A=12 Pairs.B=7 Pairs.C=x} #12#8={Pairs.A=12 Pairs.B=8 Pairs.C=NULL} "
              "ContadoresCampos={TotalRegistros=2 PosicionInicial=1 PosicionFinal=2}}");

    // A null single key value is written 0; a name becomes its index in the caller's variable.
    Variant name = Variant("C");
    QString sql = u"SELECT p.A, p.C FROM Pairs p WHERE p.B = 8"_s;
    EXPECT_EQ(show(queryRef(sql, u"Collection"_s, name)), "{#0={Pairs.A=12 Pairs.C=NULL}}");
    EXPECT_EQ(name.type(), VarType::Integer);
    EXPECT_EQ(name.toInt(), 1);

    // A lone star takes each field's name.
    EXPECT_EQ(show(query(u"SELECT * FROM Pairs WHERE B = 7"_s, u"Collection"_s, Variant(std::int16_t(1)))), "{#7={Pairs.A=12 Pairs.B=7 Pairs.C=x}}");

    // A list of names resolves through the first column's table, in the caller's list too;
    // "Collection2" matches whole column names, and a name that stays a name fails there.
    const VArrayPtr named = arrayOf({Variant("B"), Variant("A")});
    Variant list(named);
    sql = u"SELECT p.A, p.B FROM Pairs p WHERE p.B = 7"_s;
    EXPECT_EQ(queryRef(sql, u"Collection"_s, list).as<Collection>()->KeyAt(1), "#7#12");
    EXPECT_EQ(show(list), "[1|0]");
    named->at(0) = Variant("Pairs.B");
    named->at(1) = Variant("Pairs.A");
    sql = u"SELECT A, B FROM Pairs WHERE B = 7"_s;
    EXPECT_EQ(queryRef(sql, u"Collection2"_s, list).as<Collection>()->KeyAt(1), "#7#12");
    named->at(1) = Variant("Nada");
    EXPECT_THROW(queryRef(sql, u"Collection2"_s, list), Error);

    // Collection2 without keys takes them all, with the names of the columns.
    EXPECT_EQ(show(query(u"SELECT A, B FROM Pairs"_s, u"Collection2"_s, Variant(std::int16_t(0)), false, false, true)),
              "{{Pairs.A=12 Pairs.B=7} {Pairs.A=12 Pairs.B=8} NombresCampos={Pairs.A=A Pairs.B=B}}");

    // An expression has no base column: the main table of the statement names it. A key
    // name matches a whole column name only, so "Label" alone resolves to the first column.
    file.exec({u"CREATE TABLE Other (K LONG, Label TEXT(5))"_s, u"INSERT INTO Other VALUES (12, 'doce')"_s});
    Variant k = Variant("Label");
    sql = u"SELECT i.Id, o.Label, i.Id + 1 AS Next FROM Items i, Other o WHERE o.K = i.Id"_s;
    EXPECT_EQ(show(queryRef(sql, u"Collection2"_s, k)), "{#12={Items.Id=12 Other.Label=doce Items.Next=13}}");
    EXPECT_EQ(k.toInt(), 0);
}

TEST_F(QueryTest, RollbackRestoresRows)
{
    const QString ids = u"SELECT Id FROM Items ORDER BY Id"_s;
    o.OpenTransaction();
    o.Execute(u"DELETE FROM Items"_s);
    EXPECT_EQ(query(ids, u"CSV"_s).toString(), "");
    o.UnDoTransaction();
    EXPECT_EQ(query(ids, u"CSV"_s).toString(), "Id\r\n3\r7\r12\r");
    o.OpenTransaction();
    o.Execute(u"DELETE FROM Items WHERE Id = 3"_s);
    o.CloseTransaction();
    EXPECT_EQ(query(ids, u"CSV"_s).toString(), "Id\r\n7\r12\r");
}

// The cell limit of "StringRows": the statement as rewritten, the rows loaded, the notice.
TEST_F(QueryTest, CellLimitOfStringRows)
{
    file.exec({u"CREATE TABLE Big (a LONG, b LONG, c LONG, d LONG)"_s,
               u"WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 100000) "
               "INSERT INTO Big SELECT i, i, i, i FROM n"_s});
    const struct {
        QString sql;
        const char* rewritten;
        int rows, columns;
        std::size_t notices = 1;
    } cases[] = {
        {u"SELECT a, b, c, d FROM Big WHERE a <= 82500"_s, "SELECT a, b, c, d FROM Big WHERE a <= 82500", 82500, 4, 0},
        {u"select a, b, c, d from Big"_s, "SELECT TOP 82500 a, b, c, d from Big", 82500, 4},
        {u"SELECT TOP 500000 a, b, c, d FROM Big"_s, "SELECT TOP 82500 a, b, c, d FROM Big", 82500, 4},
        {u"SELECT DISTINCT a, b, c, d FROM Big"_s, "SELECT DISTINCT TOP 82500 a, b, c, d FROM Big", 82500, 4},
        {u"SELECT a, b, c, d, a AS e, b AS f, c AS g FROM Big WHERE a <= 47143"_s,
         "SELECT TOP 47142 a, b, c, d, a AS e, b AS f, c AS g FROM Big WHERE a <= 47143", 47142, 7},
    };
    QStringList shown;
    for (auto c : cases) {
        dialogs->calls.clear();
        Variant k;
        const Variant v = queryRef(c.sql, u"StringRows"_s, k);
        EXPECT_EQ(c.sql, c.rewritten);
        EXPECT_EQ(v.array()->at(0).toLong(), c.rows);
        EXPECT_EQ(v.array()->at(1).toLong(), c.columns);
        EXPECT_EQ(v.array()->at(2).toString().count(QLatin1Char('\r')), c.rows);
        EXPECT_EQ(dialogs->calls.size(), c.notices) << c.rewritten;
        shown = boxes(dialogs);
    }
    // A cell too many: the rows that fit, the notice and the log line.
    EXPECT_EQ(shown.value(0), "|0|Se han encontrado 47143 registros, pero por limitaciones\r\n"
                              "de memoria local solo se cargarán los 47142 primeros.");
    EXPECT_EQ(log->lines.back().message, "Limitacion de numero de registros, el recordset contiene 7 y solo se pueden "
                                         "mostrar 330000 SQL -> " + QString::fromUtf8(cases[4].rewritten));
}

// ---- spreadsheet pages -------------------------------------------------------

class SheetPagesTest : public QueryTest {
protected:
    // A table of n rows: Id 1..n, Name "Nnn".
    void table(int n)
    {
        QStringList statements = {u"DROP TABLE IF EXISTS P"_s, u"CREATE TABLE P (Id LONG, Name TEXT(10))"_s};
        for (int i = 1; i <= n; ++i)
            statements << u"INSERT INTO P VALUES (%1, 'N%2')"_s.arg(i).arg(i, 2, 10, QLatin1Char('0'));
        file.exec(statements);
    }
    QString pages(const QString& statement) { return show(query(statement, u"StringRowsExcel"_s)); }
    void SetUp() override
    {
        QueryTest::SetUp();
        o.setRowsPerSheet(3);
    }
};

TEST_F(SheetPagesTest, PagesOfEachSize)
{
    const QString ordered = u"SELECT Id, Name FROM P ORDER BY Id"_s;
    const struct {
        int rows;
        QString sql;
        const char* pages;
    } cases[] = {
        // One sheet needs no order.
        {3, u"SELECT Id, Name FROM P"_s, "[3|2|[Id\tName\t\r\n1\tN01\r2\tN02\r3\tN03\r]]"},
        {4, ordered, "[4|2|[Id\tName\t\r\n1\tN01\r2\tN02\r3\tN03\r|Id\tName\t\r\n4\tN04\r]]"},
        {7, ordered, "[7|2|[Id\tName\t\r\n1\tN01\r2\tN02\r3\tN03\r|Id\tName\t\r\n4\tN04\r5\tN05\r6\tN06\r|"
                     "Id\tName\t\r\n7\tN07\r]]"},
        {7, u"SELECT Id, Name FROM P WHERE Id > 9"_s, "[0|2|[]]"},
        {5, u"SELECT Id, Name FROM P WHERE Name <> 'select x' ORDER BY Name DESC, Id"_s,
         "[5|2|[Id\tName\t\r\n5\tN05\r4\tN04\r3\tN03\r|Id\tName\t\r\n2\tN02\r1\tN01\r]]"},
    };
    for (const auto& c : cases) {
        table(c.rows);
        log->lines.clear();
        EXPECT_EQ(pages(c.sql), QString::fromUtf8(c.pages)) << c.rows;
        if (&c == &cases[2]) {
            EXPECT_EQ(log->messages(), (QStringList{"SELECT Id, Name FROM P ORDER BY Id",
                                   "Para paginar como salida a excel. SQL -> SELECT TOP 1 * FROM (SELECT TOP 1 Id, Name "
                                   "FROM P ORDER BY Id DESC) A ORDER BY Id ASC",
                                   "Pagina 1 SQL -> SELECT TOP 4 Id, Name FROM P ORDER BY Id DESC",
                                   "Pagina 2 SQL -> SELECT TOP 7 Id, Name FROM P ORDER BY Id DESC"}));
        }
    }
    // Descending order and literals survive the reversal.
    EXPECT_TRUE(log->lines.back().message.endsWith(
        QLatin1String("SELECT TOP 5 Id, Name FROM P WHERE Name <> 'select x' ORDER BY Name ASC, Id DESC")));

    // More than a sheet without an order: no pages, and the notice.
    table(4);
    const QString message = u"Se han encontrado 4 registros, debido a que no existe ordenación en la sentencia SQL, "
                            "no se puede realizar paginación."_s;
    for (const QString& sql : {u"SELECT Id, Name FROM P"_s, u"SELECT Id, Name FROM P order by Id"_s}) {
        dialogs->calls.clear();
        EXPECT_EQ(pages(sql), "<empty>");
        EXPECT_EQ(boxes(dialogs), QStringList{"|0|" + message});
        EXPECT_EQ(log->texts().last().section(u'|', 1), message + "|1");
    }

    // Known counts skip the counting.
    EXPECT_EQ(show(known(u"SELECT Id, Name FROM Missing"_s, 0, 2, u"H\r\n"_s)), "[0|2|[]]");
    EXPECT_EQ(show(known(ordered, 4, 2, u"H\r\n"_s)), "[4|2|[H\r\n1\tN01\r2\tN02\r3\tN03\r|H\r\n4\tN04\r]]");
}

// ---- forms only a server answers -------------------------------------------

using QueryRecorderTest = RecordedObjectTest<>;

TEST_F(QueryRecorderTest, ScopeIdentityAndStraightToExcel)
{
    const QString identity = u"select  SCOPE_IDENTITY()"_s;
    const std::pair<Rows, const char*> answers[] = {{{{Variant(std::int32_t(41))}}, "41"}, {{{Variant::null()}}, "NULL"},
                                                    {{}, "-1"}};
    start();
    Variant k;
    for (const auto& [rows, id] : answers) {
        rec = db::RecordingBackend::install();
        rec->answerRows(identity, {"id"}, rows);
        EXPECT_EQ(show(o.Query(u"INSERT INTO t (a) VALUES (1)"_s, QString(), QString(), QString(), QString(),
                               u"GetScopeIdentity"_s, k)),
                  id);
        EXPECT_EQ(rec->statements(), (QStringList{"INSERT INTO t (a) VALUES (1)", identity}));
    }

    // The export form runs on the stored connection, not on the arguments.
    o.StartObject(u"stored"_s, u"d"_s, u"u"_s, u"p"_s);
    const QString into = u"SELECT * INTO [Excel 8.0;Database=x.xls].[Hoja1] FROM t"_s;
    rec->clearLog();
    rec->answerAffected(into, 5);
    EXPECT_EQ(o.Query(into, u"given"_s, QString(), QString(), QString(), u"StraightToExcel :)"_s, k).toLong(), 5);
    const QStringList strings = rec->connectionStrings();
    ASSERT_EQ(strings.size(), 2);
    EXPECT_TRUE(strings[0].contains(QLatin1String("server=tcp:given;")));
    EXPECT_TRUE(strings[1].contains(QLatin1String("server=tcp:stored;")));
}

} // namespace
