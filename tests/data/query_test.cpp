// The output forms of Query on a local database file, and the forms whose
// statements only a server answers through the recording backend.
#include "DataTestSupport.h"

#include "core/Error.h"
#include "platform/db/sqlite/SqliteBackend.h"

#include <gtest/gtest.h>

using namespace datatest;

namespace {

class QueryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        db::createLocalDatabase(file.path);
        file.exec({QStringLiteral("CREATE TABLE Items (Id LONG, Name TEXT(20), Note TEXT(20))"),
                   QStringLiteral("INSERT INTO Items VALUES (12, 'a\tb', NULL)"),
                   QStringLiteral("INSERT INTO Items VALUES (7, 'c', 'x')"),
                   QStringLiteral("INSERT INTO Items VALUES (3, NULL, 'y')"),
                   QStringLiteral("CREATE TABLE Vacia (Id LONG, Name TEXT(20))")});
        file.point(o);
        log = std::make_shared<LogRecorder>();
        o.InicializateLog(log);
    }

    Variant query(const QString& sql, const char* form, const Variant& keys = Variant(std::int16_t(0)),
                  bool counters = false)
    {
        Variant k = keys;
        return o.Query(sql, QString(), QString(), QString(), QString(), QLatin1String(form), k, counters);
    }
    // For statements and keys the call rewrites in the caller's variables.
    Variant queryRef(QString& sql, const char* form, Variant& keys)
    {
        return o.Query(sql, QString(), QString(), QString(), QString(), QLatin1String(form), keys);
    }

    LocalDb file;
    TestDO o;
    std::shared_ptr<LogRecorder> log;
    ScopedRecordingDialogs dialogs;
};

const QString kItems = QStringLiteral("SELECT Id, Name, Note FROM Items ORDER BY Id DESC");
const QString kEmpty = QStringLiteral("SELECT Id FROM Vacia");

// The items of a one-dimensional array as texts.
QStringList texts(const Variant& v)
{
    QStringList out;
    const VArray& a = *v.array();
    for (int i = a.lbound(); i <= a.ubound(); ++i)
        out << a.at(i).toString();
    return out;
}

TEST_F(QueryTest, GridArrayLinesEndWithATabAndHideTabs)
{
    const auto lines = query(kItems, "GridArray").as<Collection>();
    ASSERT_TRUE(lines);
    ASSERT_EQ(lines->Count(), 3);
    EXPECT_EQ(lines->Item(Variant(1)).toString(), "12\ta   b\t\t");
    EXPECT_EQ(lines->Item(Variant(3)).toString(), "3\t\ty\t");
    EXPECT_EQ(lines->KeyAt(1), "");
    EXPECT_EQ(query(kEmpty, "GridArray").as<Collection>()->Count(), 0);
    // Every call writes its statement to the log, and closes its connection.
    EXPECT_EQ(log->lines[0].procedure, file.path.left(20) + "\tquery");
    EXPECT_EQ(log->lines[0].message, kItems);
    EXPECT_FALSE(db::isDatabaseFileInUse(file.path));
}

TEST_F(QueryTest, BiDimArrayIsFieldByRecordAndEmptyWithoutRows)
{
    const Variant v = query(kItems, "BiDimArray");
    ASSERT_TRUE(v.isArray());
    const VArray& a = *v.array();
    EXPECT_EQ(a.dimensions(), 2);
    EXPECT_EQ(a.ubound(1), 2);
    EXPECT_EQ(a.ubound(2), 2);
    EXPECT_EQ(a.at(0, 1).toLong(), 7);
    EXPECT_TRUE(a.at(2, 0).isNull());

    log->lines.clear();
    EXPECT_TRUE(query(kEmpty, "BiDimArray").isEmpty());
    // Only the statement's own line: an empty result is no failure.
    EXPECT_EQ(log->messages(), QStringList{"SELECT Id FROM Vacia"});
}

TEST_F(QueryTest, StringRowsForms)
{
    EXPECT_EQ(texts(query(kItems, "StringRows")), (QStringList{"3", "3", "12\ta\tb\t\r7\tc\tx\r3\t\ty\r"}));
    EXPECT_EQ(texts(query(QStringLiteral("SELECT Id, Name FROM Vacia"), "StringRows")), (QStringList{"0", "2", ""}));
    EXPECT_EQ(texts(query(QStringLiteral("SELECT Id, Note FROM Items ORDER BY Id"), "StringRows2Array")),
              (QStringList{"3\ty", "7\tx", "12\t", ""}));
}

TEST_F(QueryTest, CsvForms)
{
    EXPECT_EQ(query(kItems, "CSV").toString(), "Id;Name;Note\r\n12;a\tb;\r7;c;x\r3;;y\r");
    EXPECT_EQ(query(kEmpty, "CSV").toString(), "");
    EXPECT_TRUE(query(kEmpty, "CSV").isString());
    EXPECT_EQ(query(kItems, "CSV2").toString(), "12;a\tb;--\r\n7;c;x\r\n3;--;y\r\n");
    EXPECT_TRUE(query(kEmpty, "CSV2").isEmpty());

    // A value or name holding the separator, a quote or a line break stays one field.
    const QString odd = QStringLiteral("SELECT 'a;b' AS [x;y], 'Dice \"hola\"' AS q, 'l1' & char(13, 10) & 'l2' AS l, "
                                       "'--' AS n FROM Items WHERE Id = 7");
    EXPECT_EQ(query(odd, "CSV").toString(), "\"x;y\";q;l;n\r\n\"a;b\";\"Dice \"\"hola\"\"\";\"l1\r\nl2\";--\r");
    EXPECT_EQ(query(odd, "CSV2").toString(), "\"a;b\";\"Dice \"\"hola\"\"\";\"l1\r\nl2\";--\r\n");
}

// Every form reads its result from one run of the statement: a large result
// is never read twice. Only the identity form runs a second statement of its own.
TEST_F(QueryTest, EveryFormRunsTheStatementOnce)
{
    StatementWatch watch(file.path);
    const std::pair<const char*, int> forms[] = {
        {"GridArray", 1},   {"BiDimArray", 1},       {"StringRows", 1},         {"StringRows2Array", 1},
        {"Recordset", 1},   {"ShapeRecordset", 1},   {"CSV", 1},                {"CSV2", 1},
        {"Collection", 1},  {"Collection2", 1},      {"StringRowsExcel", 1},    {"StraightToExcel :)", 1},
        {"GetScopeIdentity", 2},
    };
    for (const auto& [form, count] : forms) {
        watch.clear();
        trap([&] { query(kItems, form); }, [](const Error&) {});
        const QStringList run = watch.statements();
        EXPECT_EQ(run.size(), count) << form << ": " << run.join(" | ").toStdString();
        EXPECT_EQ(run.value(0), kItems) << form;
    }
    // Known counts: the statement runs once for its rows, not for counting.
    watch.clear();
    QString sql = kItems;
    Variant k;
    o.Query(sql, QString(), QString(), QString(), QString(), QStringLiteral("StringRowsExcelCellCount"), k, false,
            true, false, 3, 3, QStringLiteral("Id\tName\tNote\t\r\n"));
    EXPECT_EQ(watch.statements(), QStringList{kItems});
}

TEST_F(QueryTest, RecordsetStaysUsableAfterTheConnectionCloses)
{
    const auto rs = query(kItems, "Recordset").as<db::Recordset>();
    ASSERT_TRUE(rs);
    EXPECT_EQ(rs->RecordCount(), 3);
    EXPECT_FALSE(rs->ActiveConnection());
    EXPECT_FALSE(db::isDatabaseFileInUse(file.path));
    EXPECT_EQ(rs->value(QStringLiteral("Name")).toString(), "a\tb");
    const auto shaped = query(kItems, "ShapeRecordset").as<db::Recordset>();
    ASSERT_TRUE(shaped);
    EXPECT_EQ(shaped->RecordCount(), 3);
}

TEST_F(QueryTest, UnknownFormGivesEmptyAndFailuresReachTheCaller)
{
    EXPECT_TRUE(query(kItems, "gridarray").isEmpty());
    try {
        query(QStringLiteral("SELECT Id FROM Missing"), "GridArray");
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_TRUE(e.description.contains(QLatin1String("Missing"))) << qPrintable(e.description);
        EXPECT_EQ(log->lines.back().message, "Error en el metodo Query --> " + e.description);
        EXPECT_EQ(log->lines.back().kind, 4);
        EXPECT_EQ(e.source, "Zolt.clsDO.Execute");
    }
    EXPECT_FALSE(db::isDatabaseFileInUse(file.path));
    try {
        o.Execute(QStringLiteral("DELETE FROM Missing"));
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_TRUE(e.description.contains(QLatin1String("Missing"))) << qPrintable(e.description);
        EXPECT_EQ(e.source, "Zolt12.clsDO.Execute");
    }
    // A connection that does not open: empty, and the notice shown.
    o.setConnectionType(9);
    EXPECT_TRUE(query(kItems, "GridArray").isEmpty());
    EXPECT_EQ(dialogs->calls.size(), 1u);
}

TEST_F(QueryTest, CollectionKeysAndColumnNames)
{
    file.exec({QStringLiteral("CREATE TABLE Pairs (A LONG, B LONG, C TEXT(5))"),
               QStringLiteral("INSERT INTO Pairs VALUES (12, 7, 'x')"),
               QStringLiteral("INSERT INTO Pairs VALUES (12, 8, NULL)")});
    const Variant keys(arrayOf({Variant(std::int16_t(0)), Variant(std::int16_t(1))}));
    const auto rows = query(QStringLiteral("SELECT p.A, p.B, p.C FROM Pairs p"), "Collection", keys, true)
                          .as<Collection>();
    ASSERT_TRUE(rows);
    EXPECT_EQ(rows->KeyAt(1), "#12#7");
    EXPECT_EQ(rows->KeyAt(2), "#12#8");
    const auto first = rows->Item(Variant("#12#7")).as<Collection>();
    EXPECT_EQ(first->KeyAt(1), "Pairs.A");
    EXPECT_EQ(first->KeyAt(3), "Pairs.C");
    EXPECT_TRUE(rows->Item(Variant("#12#8")).as<Collection>()->Item(Variant("Pairs.C")).isNull());
    const auto counters = sub(rows, "ContadoresCampos");
    EXPECT_EQ(at(counters, "TotalRegistros").toLong(), 2);
    EXPECT_EQ(at(counters, "PosicionInicial").toLong(), 1);
    EXPECT_EQ(at(counters, "PosicionFinal").toLong(), 2);

    // A null single key value is written 0; a name becomes its index in the caller's variable.
    Variant name = Variant("C");
    QString sql = QStringLiteral("SELECT p.A, p.C FROM Pairs p WHERE p.B = 8");
    const auto byName = queryRef(sql, "Collection", name).as<Collection>();
    EXPECT_EQ(byName->KeyAt(1), "#0");
    EXPECT_EQ(name.type(), VarType::Integer);
    EXPECT_EQ(name.toInt(), 1);

    // A lone star takes each field's name.
    const auto star = query(QStringLiteral("SELECT * FROM Pairs WHERE B = 7"), "Collection",
                            Variant(std::int16_t(1)))
                          .as<Collection>();
    EXPECT_EQ(star->KeyAt(1), "#7");
    EXPECT_EQ(star->Item(Variant(1)).as<Collection>()->KeyAt(2), "Pairs.B");

    // A list of names resolves through the first column's table, in the caller's list too;
    // "Collection2" matches whole column names, and a name that stays a name fails there.
    const VArrayPtr named = arrayOf({Variant("B"), Variant("A")});
    Variant list(named);
    sql = QStringLiteral("SELECT p.A, p.B FROM Pairs p WHERE p.B = 7");
    EXPECT_EQ(queryRef(sql, "Collection", list).as<Collection>()->KeyAt(1), "#7#12");
    EXPECT_EQ(named->at(0).toInt(), 1);
    EXPECT_EQ(named->at(1).toInt(), 0);
    named->at(0) = Variant("Pairs.B");
    named->at(1) = Variant("Pairs.A");
    sql = QStringLiteral("SELECT A, B FROM Pairs WHERE B = 7");
    EXPECT_EQ(queryRef(sql, "Collection2", list).as<Collection>()->KeyAt(1), "#7#12");
    named->at(0) = Variant("Pairs.B");
    named->at(1) = Variant("Nada");
    EXPECT_THROW(queryRef(sql, "Collection2", list), Error);

    // No rows: nothing.
    EXPECT_TRUE(query(kEmpty, "Collection").isNothing());
}

TEST_F(QueryTest, DuplicateRecordKeyFailsTheCall)
{
    file.exec({QStringLiteral("CREATE TABLE Dup (A LONG, B LONG)"), QStringLiteral("INSERT INTO Dup VALUES (1, 1)"),
               QStringLiteral("INSERT INTO Dup VALUES (1, 2)")});
    try {
        query(QStringLiteral("SELECT A, B FROM Dup"), "Collection");
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(e.number, Error::KeyAlreadyAssociated);
    }
    EXPECT_TRUE(log->lines.back().message.startsWith(QLatin1String("Error en el metodo Query --> ")));

    // Collection2 without keys takes them all.
    Variant k = Variant(std::int16_t(0));
    QString sql = QStringLiteral("SELECT A, B FROM Dup");
    const auto all = o.Query(sql, QString(), QString(), QString(), QString(), QStringLiteral("Collection2"), k, false,
                             false, true)
                         .as<Collection>();
    ASSERT_EQ(all->Count(), 3);
    EXPECT_EQ(all->Item(Variant(1)).as<Collection>()->KeyAt(2), "Dup.B");
    const auto names = all->Item(Variant("NombresCampos")).as<Collection>();
    EXPECT_EQ(names->Item(Variant("Dup.A")).toString(), "A");
    EXPECT_EQ(query(kEmpty, "Collection2").as<Collection>()->Count(), 0);
}

TEST_F(QueryTest, Collection2NamesColumnsByTheirBaseTable)
{
    file.exec({QStringLiteral("CREATE TABLE Other (K LONG, Label TEXT(5))"),
               QStringLiteral("INSERT INTO Other VALUES (12, 'doce')")});
    Variant k = Variant("Label");
    QString sql = QStringLiteral("SELECT i.Id, o.Label, i.Id + 1 AS Next FROM Items i, Other o WHERE o.K = i.Id");
    const auto rows = queryRef(sql, "Collection2", k).as<Collection>();
    ASSERT_TRUE(rows);
    const auto record = rows->Item(Variant(1)).as<Collection>();
    EXPECT_EQ(record->KeyAt(1), "Items.Id");
    EXPECT_EQ(record->KeyAt(2), "Other.Label");
    // An expression has no base column: the main table of the statement names it.
    EXPECT_EQ(record->KeyAt(3), "Items.Next");
    // A key name matches a whole column name only, so "Label" alone resolves to the first column.
    EXPECT_EQ(k.toInt(), 0);
    EXPECT_EQ(rows->KeyAt(1), "#12");
}

TEST_F(QueryTest, StraightToExcelGivesTheRecordsAffected)
{
    const Variant n = query(QStringLiteral("UPDATE Items SET Note = 'z' WHERE Id > 5"), "StraightToExcel :)");
    EXPECT_EQ(n.type(), VarType::Long);
    EXPECT_EQ(n.toLong(), 2);
    EXPECT_EQ(query(QStringLiteral("SELECT Note FROM Items ORDER BY Id"), "CSV").toString(), "Note\r\ny\rz\rz\r");
}

TEST_F(QueryTest, RollbackRestoresRows)
{
    o.OpenTransaction();
    o.Execute(QStringLiteral("DELETE FROM Items"));
    EXPECT_EQ(query(QStringLiteral("SELECT Id FROM Items"), "CSV").toString(), "");
    o.UnDoTransaction();
    EXPECT_EQ(query(QStringLiteral("SELECT Id FROM Items ORDER BY Id"), "CSV").toString(), "Id\r\n3\r7\r12\r");
    o.OpenTransaction();
    o.Execute(QStringLiteral("DELETE FROM Items WHERE Id = 3"));
    o.CloseTransaction();
    EXPECT_EQ(query(QStringLiteral("SELECT Id FROM Items ORDER BY Id"), "CSV").toString(), "Id\r\n7\r12\r");
}

// ---- the cell limit of "StringRows" ----------------------------------------

class CellLimitTest : public QueryTest {
protected:
    void SetUp() override
    {
        QueryTest::SetUp();
        file.exec({QStringLiteral("CREATE TABLE Big (a LONG, b LONG, c LONG, d LONG)"),
                   QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 100000) "
                                  "INSERT INTO Big SELECT i, i, i, i FROM n")});
    }
    const VArray& rows(QString& sql)
    {
        Variant k;
        result = queryRef(sql, "StringRows", k);
        return *result.array();
    }
    Variant result;
};

TEST_F(CellLimitTest, ExactlyTheLimitLoadsEverything)
{
    QString sql = QStringLiteral("SELECT a, b, c, d FROM Big WHERE a <= 82500");
    const VArray& r = rows(sql);
    EXPECT_EQ(r.at(0).toLong(), 82500);
    EXPECT_EQ(r.at(2).toString().count(QLatin1Char('\r')), 82500);
    EXPECT_TRUE(dialogs->calls.empty());
    EXPECT_EQ(sql, "SELECT a, b, c, d FROM Big WHERE a <= 82500");
}

TEST_F(CellLimitTest, OneCellMoreLimitsTheLoad)
{
    QString sql = QStringLiteral("SELECT a, b, c, d, a AS e, b AS f, c AS g FROM Big WHERE a <= 47143");
    const VArray& r = rows(sql);
    ASSERT_EQ(dialogs->calls.size(), 1u);
    EXPECT_EQ(dialogs->calls[0].prompt, "Se han encontrado 47143 registros, pero por limitaciones\r\n"
                                        "de memoria local solo se cargarán los 47142 primeros.");
    EXPECT_EQ(dialogs->calls[0].style, 0);
    EXPECT_EQ(sql, "SELECT TOP 47142 a, b, c, d, a AS e, b AS f, c AS g FROM Big WHERE a <= 47143");
    EXPECT_EQ(r.at(0).toLong(), 47142);
    EXPECT_EQ(r.at(1).toLong(), 7);
    EXPECT_EQ(r.at(2).toString().count(QLatin1Char('\r')), 47142);
    EXPECT_EQ(log->lines.back().message,
              "Limitacion de numero de registros, el recordset contiene 7 y solo se pueden mostrar 330000 SQL -> " + sql);
}

TEST_F(CellLimitTest, RewritesOfTheStatement)
{
    QString lower = QStringLiteral("select a, b, c, d from Big");
    EXPECT_EQ(rows(lower).at(0).toLong(), 82500);
    EXPECT_EQ(lower, "SELECT TOP 82500 a, b, c, d from Big");

    QString top = QStringLiteral("SELECT TOP 500000 a, b, c, d FROM Big");
    EXPECT_EQ(rows(top).at(2).toString().count(QLatin1Char('\r')), 82500);
    EXPECT_EQ(top, "SELECT TOP 82500 a, b, c, d FROM Big");

    QString distinct = QStringLiteral("SELECT DISTINCT a, b, c, d FROM Big");
    rows(distinct);
    EXPECT_EQ(distinct, "SELECT DISTINCT TOP 82500 a, b, c, d FROM Big");
}

// ---- spreadsheet pages -------------------------------------------------------

class SheetPagesTest : public QueryTest {
protected:
    // A table of n rows: Id 1..n, Name "Nnn".
    void table(int n)
    {
        file.exec({QStringLiteral("DROP TABLE IF EXISTS P"), QStringLiteral("CREATE TABLE P (Id LONG, Name TEXT(10))")});
        QStringList inserts;
        for (int i = 1; i <= n; ++i)
            inserts << QStringLiteral("INSERT INTO P VALUES (%1, 'N%2')").arg(i).arg(i, 2, 10, QLatin1Char('0'));
        file.exec(inserts);
    }
    QStringList pages(const QString& statement, std::int64_t* count = nullptr)
    {
        Variant k;
        const Variant v = o.Query(statement, QString(), QString(), QString(), QString(),
                                  QStringLiteral("StringRowsExcel"), k);
        if (!v.isArray())
            return {QStringLiteral("<empty>")};
        if (count)
            *count = v.array()->at(0).toLongLong();
        return texts(v.array()->at(2));
    }
    void SetUp() override
    {
        QueryTest::SetUp();
        o.setRowsPerSheet(3);
    }
};

const QString kHeader = QStringLiteral("Id\tName\t\r\n");

TEST_F(SheetPagesTest, OneSheetOneRowMoreAndTwoSheetsAndOneRow)
{
    const QString first = kHeader + "1\tN01\r2\tN02\r3\tN03\r";
    const QString ordered = QStringLiteral("SELECT Id, Name FROM P ORDER BY Id");
    const struct {
        int rows;
        QString sql;
        QStringList pages;
    } cases[] = {
        // One sheet needs no order.
        {3, QStringLiteral("SELECT Id, Name FROM P"), {first}},
        {4, ordered, {first, kHeader + "4\tN04\r"}},
        {7, ordered, {first, kHeader + "4\tN04\r5\tN05\r6\tN06\r", kHeader + "7\tN07\r"}},
    };
    for (const auto& c : cases) {
        table(c.rows);
        log->lines.clear();
        std::int64_t n = 0;
        EXPECT_EQ(pages(c.sql, &n), c.pages) << c.rows;
        EXPECT_EQ(n, c.rows);
    }
    EXPECT_EQ(log->messages(),
              (QStringList{"SELECT Id, Name FROM P ORDER BY Id",
                           "Para paginar como salida a excel. SQL -> SELECT TOP 1 * FROM (SELECT TOP 1 Id, Name FROM P "
                           "ORDER BY Id DESC) A ORDER BY Id ASC",
                           "Pagina 1 SQL -> SELECT TOP 4 Id, Name FROM P ORDER BY Id DESC",
                           "Pagina 2 SQL -> SELECT TOP 7 Id, Name FROM P ORDER BY Id DESC"}));
    EXPECT_EQ(pages(QStringLiteral("SELECT Id, Name FROM P WHERE Id > 9")), QStringList{""});
}

TEST_F(SheetPagesTest, DescendingOrderAndLiteralsSurvive)
{
    table(5);
    EXPECT_EQ(pages(QStringLiteral("SELECT Id, Name FROM P WHERE Name <> 'select x' ORDER BY Name DESC, Id")),
              (QStringList{kHeader + "5\tN05\r4\tN04\r3\tN03\r", kHeader + "2\tN02\r1\tN01\r"}));
    EXPECT_TRUE(log->lines.back().message.endsWith(
        QLatin1String("SELECT TOP 5 Id, Name FROM P WHERE Name <> 'select x' ORDER BY Name ASC, Id DESC")));
}

TEST_F(SheetPagesTest, NoOrderNoPages)
{
    table(4);
    for (const QString& sql : {QStringLiteral("SELECT Id, Name FROM P"), QStringLiteral("SELECT Id, Name FROM P order by Id")}) {
        dialogs->calls.clear();
        EXPECT_EQ(pages(sql), QStringList{"<empty>"});
        const QString message = QStringLiteral("Se han encontrado 4 registros, debido a que no existe ordenación en la "
                                               "sentencia SQL, no se puede realizar paginación.");
        ASSERT_EQ(dialogs->calls.size(), 1u);
        EXPECT_EQ(dialogs->calls[0].prompt, message);
        EXPECT_EQ(log->lines.back().message, message);
        EXPECT_EQ(log->lines.back().kind, 1);
    }
}

TEST_F(SheetPagesTest, KnownCountsSkipTheCounting)
{
    table(4);
    Variant k;
    const Variant none = o.Query(QStringLiteral("SELECT Id, Name FROM Missing"), QString(), QString(), QString(),
                                 QString(), QStringLiteral("StringRowsExcelCellCount"), k, false, true, false, 0, 2,
                                 QStringLiteral("H\r\n"));
    EXPECT_EQ(none.array()->at(0).toLong(), 0);
    EXPECT_EQ(none.array()->at(1).toLong(), 2);
    EXPECT_EQ(none.array()->at(2).array()->at(0).toString(), "");

    const Variant two = o.Query(QStringLiteral("SELECT Id, Name FROM P ORDER BY Id"), QString(), QString(), QString(),
                                QString(), QStringLiteral("StringRowsExcelCellCount"), k, false, true, false, 4, 2,
                                QStringLiteral("H\r\n"));
    EXPECT_EQ(two.array()->at(2).array()->at(1).toString(), "H\r\n4\tN04\r");
}

// ---- forms only a server answers -------------------------------------------

TEST(QueryRecorderTest, ScopeIdentity)
{
    const QString identity = QStringLiteral("select  SCOPE_IDENTITY()");
    const Rows answers[] = {{{Variant(std::int32_t(41))}}, {{Variant::null()}}, {}};
    const Variant expected[] = {Variant(std::int32_t(41)), Variant::null(), Variant(std::int32_t(-1))};
    for (int i = 0; i < 3; ++i) {
        auto rec = db::RecordingBackend::install();
        rec->answerRows(identity, {"id"}, answers[i]);
        clsDO o;
        o.StartObject(QStringLiteral("s"), QStringLiteral("d"), QStringLiteral("u"), QStringLiteral("p"));
        Variant k;
        const Variant id = o.Query(QStringLiteral("INSERT INTO t (a) VALUES (1)"), QString(), QString(), QString(),
                                   QString(), QStringLiteral("GetScopeIdentity"), k);
        EXPECT_EQ(id.isNull(), expected[i].isNull()) << i;
        if (!expected[i].isNull()) {
            EXPECT_EQ(id.toLong(), expected[i].toLong()) << i;
        }
        EXPECT_EQ(rec->statements(), (QStringList{"INSERT INTO t (a) VALUES (1)", identity}));
    }
    db::RecordingBackend::uninstall();
}

TEST(QueryRecorderTest, StraightToExcelUsesTheStoredConnectionNotTheArguments)
{
    auto rec = db::RecordingBackend::install();
    clsDO o;
    o.StartObject(QStringLiteral("stored"), QStringLiteral("d"), QStringLiteral("u"), QStringLiteral("p"));
    rec->answerAffected(QStringLiteral("SELECT * INTO [Excel 8.0;Database=x.xls].[Hoja1] FROM t"), 5);
    Variant k;
    const Variant n = o.Query(QStringLiteral("SELECT * INTO [Excel 8.0;Database=x.xls].[Hoja1] FROM t"),
                              QStringLiteral("given"), QString(), QString(), QString(),
                              QStringLiteral("StraightToExcel :)"), k);
    EXPECT_EQ(n.toLong(), 5);
    const QStringList strings = rec->connectionStrings();
    ASSERT_EQ(strings.size(), 2);
    EXPECT_TRUE(strings[0].contains(QLatin1String("server=tcp:given;")));
    EXPECT_TRUE(strings[1].contains(QLatin1String("server=tcp:stored;")));
    db::RecordingBackend::uninstall();
}

} // namespace
