// The result model, the merge and the comparison of tables and views.
#include "CompareTestSupport.h"

using namespace comparetest;
using compare::CompareEngine;
using compare::Kind;
using compare::Line;

namespace {

// A host that counts steps and answers "cancelled" from a given sub step on.
class StepHost : public compare::CompareHost {
public:
    bool ShowProgress(Line line, const QString& name, std::int32_t total, std::int32_t step, bool main) override
    {
        if (main)
            return true;
        ++subSteps;
        seen << compare::RunTexts().line(line, name, step, total);
        return cancelAt == 0 || subSteps < cancelAt;
    }
    void ShowProgressPanel() override {}
    void HideProgressPanel() override {}
    void StartSteps(std::int32_t) override {}
    void InitializeTableGrid() override {}
    void DoEvents() override {}
    std::shared_ptr<void> Busy() override { return nullptr; }
    int subSteps = 0, cancelAt = 0;
    QStringList seen;
};

// A collection of the given items under the given keys, in order.
CollectionPtr of(std::initializer_list<std::pair<QString, Variant>> items)
{
    auto c = newCollection();
    for (const auto& [key, item] : items)
        c->Add(item, key);
    return c;
}

// A list of names, each under its own key.
CollectionPtr names(const QStringList& list)
{
    auto c = newCollection();
    for (const QString& n : list)
        c->Add(n, n);
    return c;
}

CollectionPtr field(const QString& name, Variant type, Variant nullable = true, Variant size = std::int32_t(4))
{
    return of({{"Name", name}, {"Type", type}, {"Nullable", nullable}, {"Size", size}, {"Precision", std::int32_t(0)},
               {"FixedLenght", true}, {"AutoIncrease", false}});
}

CollectionPtr keyed(std::initializer_list<CollectionPtr> items, const QString& key = "Name")
{
    auto c = newCollection();
    for (const auto& i : items)
        c->Add(Variant(i), i->Item(Variant(key)).toString());
    return c;
}

CollectionPtr index(const QString& name, QStringList columns, bool unique = false)
{
    return of({{"IndexName", name}, {"IsPrimaryKey", false}, {"IsUnique", unique}, {"IsNullable", true},
               {"IndexFields", Variant(names(columns))}});
}

// A complete table item (with fields, and indexes unless null).
CollectionPtr table(const QString& name, CollectionPtr fields, CollectionPtr indexes = newCollection())
{
    auto t = of({{"Name", name}, {"Fields", Variant(fields)}});
    if (indexes)
        t->Add(Variant(indexes), "Indexes");
    return t;
}

CollectionPtr view(const QString& name, QStringList columns)
{
    return of({{"Name", name}, {"SQLText", QString("SELECT 1")}, {"Fields", Variant(names(columns))}});
}

CollectionPtr tableList(QStringList names)
{
    auto c = newCollection();
    for (const QString& n : names)
        c->Add(Variant(table(n, keyed({field("ID", std::int16_t(3))}))), n);
    return c;
}

class EngineTest : public CompareTest {
protected:
    CompareEngine engine() { return CompareEngine(c, msg, compare::RunTexts()); }
    CompareEngine counted() { return CompareEngine(steps, msg, compare::RunTexts()); }
    // The merge of preloaded lists (nothing is read from a database).
    QStringList merge(const CollectionPtr& curTables, const CollectionPtr& compTables, const CollectionPtr& curViews,
                      const CollectionPtr& compViews)
    {
        const auto r = engine().GetTablesAndViews({}, curTables, {}, compTables, curViews, compViews);
        QStringList out;
        for (int i = 1; r && i <= r->Count(); ++i) {
            const auto t = r->Item(Variant(std::int32_t(i))).as<Collection>();
            out << t->Item(Variant("TableName")).toString();
        }
        return out;
    }
    StepHost steps;
};

} // namespace

TEST_F(EngineTest, TypeNamesAndThePlaceOfACompared_onlyTable)
{
    EXPECT_EQ(compare::FindInsertPosition(Collection(), "A"), 1);
    // Code-unit order: every capital sorts before every small letter.
    EXPECT_EQ(merge(tableList({"B", "D"}), tableList({"A", "C", "E"}), newCollection(), newCollection()),
              (QStringList{"A", "B", "C", "D", "E"}));
    EXPECT_EQ(merge(tableList({"alpha", "Beta"}), tableList({"Zeta"}), newCollection(), newCollection()),
              (QStringList{"Zeta", "alpha", "Beta"}));
    EXPECT_EQ(merge(tableList({}), tableList({"X", "Y"}), newCollection(), newCollection()), (QStringList{"X", "Y"}));
    // Views found only in the compared database come last, whatever their names.
    EXPECT_EQ(merge(tableList({"T"}), tableList({"T"}), keyed({view("M", {"a"})}), keyed({view("A", {"a"}), view("M", {"a"})})),
              (QStringList{"T", "M", "A"}));
}

TEST_F(EngineTest, ListingGivesNoneRecordsTablesFirstWithTheirStepsCounted)
{
    makeFile(cur, {"CREATE TABLE T1 (A INTEGER)", "CREATE TABLE T2 (B INTEGER)", "CREATE TABLE T3 (A INTEGER)",
               "CREATE VIEW V1 AS SELECT A FROM T1"});
    openOn(cur);
    EXPECT_EQ(records(), (QStringList{"None T1", "None T2", "None T3", "None V1"}));
    EXPECT_EQ(progress.mainTexts, (QStringList{"Tabla T1 Actual (1 de 4)", "Tabla T2 Actual (2 de 4)",
                                               "Tabla T3 Actual (3 de 4)", "Vista V1 Actual (4 de 4)"}));
    // The columns of a listed table carry their one-sided state.
    EXPECT_EQ(rows(datatest::sub(record("T1"), "Fields"), "Field"), (QStringList{"OnlyCurrent A | Solo en BBDD actual"}));
    EXPECT_EQ(tables.column(1), (QStringList{"T1", "T2", "T3", "V1"}));
    EXPECT_TRUE(box->calls.empty());

    // A fill that fails is reported and leaves the grid drawing; its row changes stay live.
    tables.failOnWrite = 2;
    tables.writes = 0;
    c.LoadTablesGrid(c.ComparisonResult());
    ASSERT_EQ(box->calls.size(), 1u);
    EXPECT_TRUE(box->calls[0].body.startsWith("\r\nFRMCOMPARE.LOADTABLESGRID\r\nError: "));
    EXPECT_TRUE(tables.redraw);
    tables.failOnWrite = 0;
    tables.text[{2, 1}] = "T2";
    tables.text[{2, 2}] = "Tabla";
    tables.row = 2;
    c.fgrTables_EnterCell();
    EXPECT_EQ(fields.column(1), QStringList{"B"});
}

// Names pair without regard to case; a table and a view of one name stay apart.
TEST_F(EngineTest, TablesCompareColumnsAndIndexesButNotTheirOrderNorTheCaseOfTheirNames)
{
    datatest::LocalDb typed("typed.accdb");
    makeFile(typed, {"CREATE TABLE Orders (ID INTEGER PRIMARY KEY, Qty TEXT(20) NOT NULL, Name TEXT(50) NOT NULL)",
                     "CREATE UNIQUE INDEX IX_N ON Orders (Name)"});
    openFiles(kOrders + QStringList{"CREATE TABLE Pairs (A INTEGER, B INTEGER, C INTEGER)", "CREATE INDEX IX_AB ON Pairs (A, B)",
                                    "CREATE INDEX IX_BA ON Pairs (B, A)", "CREATE TABLE Ventas (ID INTEGER)"},
              {"CREATE TABLE ORDERS (Name TEXT(50) NOT NULL, Qty LONG, ID INTEGER PRIMARY KEY)",
               "CREATE UNIQUE INDEX IX_N ON ORDERS (Name)", "CREATE TABLE Pairs (C INTEGER, B INTEGER, A INTEGER)",
               "CREATE INDEX IX_AB ON Pairs (A, C)", "CREATE INDEX IX_BA ON Pairs (A, B)",
               "CREATE TABLE Base (ID INTEGER)", "CREATE VIEW Ventas AS SELECT ID FROM Base"});
    c.BttCompare_MouseUp();
    EXPECT_EQ(records(), (QStringList{"OnlyCompared Base", "Equal Orders", "Different Pairs", "OnlyCurrent Ventas",
                                      "OnlyCompared Ventas"}));
    EXPECT_EQ(record("Ventas", Kind::View)->Item(Variant("TableType")).toString(), "Vista");
    EXPECT_TRUE(box->calls.empty()) << messages().join('\n').toStdString();
    EXPECT_EQ(rows(datatest::sub(record("Pairs"), "Indexes"), "Index").filter("IX_AB"),
              (QStringList{"Different IX_AB | Diferentes Campos Indexados"}));
    EXPECT_EQ(rows(datatest::sub(record("Pairs"), "Indexes"), "Index").filter("IX_BA"), (QStringList{"Equal IX_BA"}));
    const auto ab = datatest::sub(datatest::sub(record("Pairs"), "Indexes"), "IX_AB");
    EXPECT_EQ(rows(datatest::sub(ab, "IndexFields"), "IndexField"),
              (QStringList{"Equal A", "OnlyCurrent B | Solo en BBDD actual", "OnlyCompared C | Solo en BBDD comparada"}));

    compareWith(typed);
    // Type and nullability differ: only the first difference is told.
    EXPECT_EQ(rows(datatest::sub(record("Orders"), "Fields"), "Field"),
              (QStringList{"Equal ID", "Equal Name", "Different Qty | Type: 'Long' vs 'Text'"}));
    EXPECT_EQ(record("Orders")->Item(Variant("TableIconName")).toString(), "Different");
    EXPECT_EQ(records(), (QStringList{"Different Orders", "OnlyCurrent Pairs", "OnlyCurrent Ventas"}));
}

TEST_F(EngineTest, PropertiesCompareByValueIndexesWhereBothSidesListThemAndViewsByColumnNames)
{
    auto e = engine();
    auto cur = table("T", keyed({field("A", std::int16_t(3), true, std::int16_t(50)), field("B", std::int16_t(8), Variant::null())}));
    auto cmp = table("T", keyed({field("A", std::int16_t(3), true, std::int32_t(50)), field("B", std::int16_t(8), Variant::null())}));
    const auto r = e.CompareTables(cur, cmp);
    ASSERT_TRUE(r);
    EXPECT_EQ(rows(datatest::sub(r, "Fields"), "Field"), (QStringList{"Equal A", "Different B | Nullable:  vs "}));

    auto sized = table("T", keyed({field("A", std::int16_t(3), true, std::int32_t(100))}));
    EXPECT_EQ(rows(datatest::sub(e.CompareTables(table("T", keyed({field("A", std::int16_t(3), true, std::int32_t(50))})), sized), "Fields"), "Field"),
              (QStringList{"Different A | Size: 50 vs 100"}));

    // An engine without index lists counts no index difference.
    const auto cols = keyed({field("A", std::int16_t(3))});
    const auto unlisted = e.CompareTables(table("T", cols, keyed({index("IX", {"A"})}, "IndexName")), table("T", cols, nullptr));
    ASSERT_TRUE(unlisted);
    EXPECT_EQ(unlisted->Item(Variant("TableIconName")).toString(), "Equal");
    EXPECT_EQ(datatest::sub(unlisted, "Indexes")->Count(), 0);
    // On one side alone the table's indexes are listed when it has them.
    EXPECT_EQ(rows(datatest::sub(e.CompareTables(table("T", cols, keyed({index("IX", {"A"})}, "IndexName")), nullptr), "Indexes"), "Index"),
              (QStringList{"OnlyCurrent IX | Solo en BBDD actual"}));

    // Views compare their column names only.
    const auto v = engine().CompareViews(view("V", {"A", "B"}), view("v", {"b", "C"}));
    ASSERT_TRUE(v);
    EXPECT_EQ(v->Item(Variant("TableIconName")).toString(), "Different");
    EXPECT_EQ(rows(datatest::sub(v, "Fields"), "Field"),
              (QStringList{"OnlyCurrent A | Solo en BBDD actual", "Equal B", "OnlyCompared C | Solo en BBDD comparada"}));
    EXPECT_EQ(engine().CompareViews(view("V", {"A", "B"}), view("V", {"B", "A"}))->Item(Variant("TableIconName")).toString(), "Equal");
    EXPECT_EQ(engine().CompareViews(view("V", {}), view("V", {}))->Item(Variant("TableIconName")).toString(), "Equal");
}

TEST_F(EngineTest, AFailureIsReportedWithItsStepAndACancelStopsAtOnce)
{
    auto broken = keyed({field("A", std::int16_t(3)), field("B", std::int16_t(3)), field("C", std::int16_t(3))});
    datatest::sub(broken, "C")->Remove(Variant("Type"));
    auto e = engine();
    EXPECT_FALSE(e.CompareTables(table("T", broken), table("T", keyed({field("C", std::int16_t(3))}))));
    ASSERT_EQ(box->calls.size(), 1u);
    EXPECT_TRUE(box->calls[0].body.startsWith("\r\nFRMCOMPARE.COMPARETABLES\r\nError: ")) << box->calls[0].body.toStdString();
    EXPECT_TRUE(box->calls[0].body.endsWith("\r\nFor lCurField = 1 To oCurTable('Fields').Count (lCurField = 3)"));
    EXPECT_EQ(box->calls[0].style, 16);

    // Cancelled at the third sub step: nothing after it, nothing returned.
    steps.cancelAt = 3;
    auto five = keyed({field("A", std::int16_t(3)), field("B", std::int16_t(3)), field("C", std::int16_t(3)),
                       field("D", std::int16_t(3)), field("E", std::int16_t(3))});
    EXPECT_FALSE(counted().CompareTables(table("T", five), table("T", five)));
    EXPECT_EQ(steps.subSteps, 3);
    steps.subSteps = 0;
    EXPECT_FALSE(counted().CompareViews(view("V", {"a", "b", "c", "d"}), nullptr));
    EXPECT_EQ(steps.subSteps, 3);
    EXPECT_EQ(box->calls.size(), 1u);
}

TEST_F(EngineTest, StructureIsReadOnceInItsPlaceUnderTheListsOwnNameAndATableGoneStopsTheMerge)
{
    makeFile(cur, {"CREATE TABLE T1 (A INTEGER)", "CREATE TABLE T2 (A INTEGER)", "CREATE TABLE T3 (A INTEGER, B TEXT(5))",
               "CREATE TABLE T4 (A INTEGER)", "CREATE TABLE T5 (A INTEGER)", "CREATE INDEX IX3 ON T3 (B)"});
    cur.point(*zolt);
    QString s, d = cur.path, u, p;
    const CollectionPtr list = zolt->TableList(s, d, u, p);
    const compare::Side side{zolt, QString(), cur.path, QString(), QString()};
    const auto full = CompareEngine::LoadTableStructure(side, *list, "t3", 0);
    ASSERT_TRUE(full);
    EXPECT_EQ(datatest::keysOf(list), (QStringList{"T1", "T2", "T3", "T4", "T5"}));
    EXPECT_EQ(list->Item(Variant(std::int32_t(3))).as<Collection>(), full);
    EXPECT_EQ(datatest::keysOf(datatest::sub(full, "Fields")), (QStringList{"A", "B"}));
    EXPECT_EQ(datatest::keysOf(datatest::sub(full, "Indexes")), (QStringList{"IX3"}));
    EXPECT_EQ(CompareEngine::LoadTableStructure(side, *list, "T3", 3), full);
    const auto last = CompareEngine::LoadTableStructure(side, *list, "T5", 5);
    EXPECT_EQ(list->Item(Variant(std::int32_t(5))).as<Collection>(), last);
    EXPECT_FALSE(CompareEngine::LoadTableStructure(side, *list, "T9", 0));

    // A table gone since the listing stops the merge with one report.
    list->Add(Variant(table("Gone", newCollection())), "Gone");
    EXPECT_FALSE(engine().GetTablesAndViews(side, list, {}, nullptr, newCollection(), nullptr));
    ASSERT_EQ(box->calls.size(), 1u);
    EXPECT_TRUE(box->calls[0].body.startsWith("\r\nFRMCOMPARE.GetTablesAndViews\r\nError: ")) << box->calls[0].body.toStdString();
}

TEST_F(EngineTest, ACase_sensitiveEngineIsAskedUnderItsOwnSpelling)
{
    serverCatalog({"Orders"});
    auto compared = std::make_shared<clsDO>();
    compared->setConnectionType(0);
    const compare::Side side{compared, "srv", "Ventas", "sa", "pw"};
    auto curList = keyed({table("ORDERS", keyed({field("ID", std::int16_t(3))}))});
    auto cmpList = newCollection();
    auto bare = table("Orders", newCollection(), nullptr);
    bare->Add(Variant(newCollection()), "Key");
    cmpList->Add(Variant(bare), "Orders");
    const auto r = engine().GetTablesAndViews({}, curList, side, cmpList, newCollection(), newCollection());
    ASSERT_TRUE(r) << messages().join('\n').toStdString();
    const QStringList statements = rec->statements();
    EXPECT_FALSE(statements.filter("'Orders'").isEmpty()) << statements.join('\n').toStdString();
    EXPECT_TRUE(statements.filter("ORDERS").isEmpty()) << statements.join('\n').toStdString();
    EXPECT_EQ(r->Count(), 1);
}
