// The schema windows' rules on their own: types, the field dialog's type
// evaluation, the field collection, save checks, the index re-add plan, the
// table search and the index dialog's field order.
#include "SchemaTestSupport.h"
#include "schema/SchemaRules.h"

#include <tuple>

using namespace schema;

namespace {

CollectionPtr fieldsNamed(const QStringList& names)
{
    auto c = newCollection();
    for (const QString& n : names) {
        auto f = std::make_shared<clsField>();
        f->setFieldName(n);
        f->setKeyCode(QStringLiteral("T.") + n);
        c->Add(Variant(f), f->KeyCode());
    }
    RenumberFields(*c);
    return c;
}

QStringList order(const CollectionPtr& fields)
{
    QStringList out;
    for (int i = 1; i <= fields->Count(); ++i) {
        const clsFieldPtr f = FieldAt(*fields, i);
        EXPECT_EQ(f->OrdinalPosition(), i);
        out << f->NewFieldName();
    }
    return out;
}

CollectionPtr index(const QString& name, const QStringList& columns, bool key = false, bool unique = false)
{
    auto ix = newCollection();
    ix->Add(Variant(name), "IndexName");
    ix->Add(Variant(key), "IsPrimaryKey");
    ix->Add(Variant(unique), "IsUnique");
    ix->Add(Variant(false), "IsNullable");
    auto f = newCollection();
    for (const QString& c : columns)
        f->Add(Variant(c), c);
    ix->Add(Variant(f), "IndexFields");
    return ix;
}

CollectionPtr indexes(std::initializer_list<CollectionPtr> items)
{
    auto c = newCollection();
    for (const auto& i : items)
        c->Add(Variant(i), TextOf(i.get(), "IndexName"));
    return c;
}

} // namespace

TEST(SchemaRules, TypeListNamesAndSizes)
{
    EXPECT_EQ(FieldTypeItems(), (QStringList{"Boolean", "Byte", "Integer", "Long", "Currency", "Single", "Double / Float",
                                             "DateTime", "Text", "Binary"}));
    const int codes[] = {11, 17, 2, 3, 6, 4, 5, 7, 8, 12};
    const char* names[] = {"Booleano", "Byte", "Entero", "Entero largo", "Moneda", "Precisión Sencilla",
                           "Precisión Doble", "Fecha", "Texto", "Binario"};
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(FieldTypeCodeAt(i), codes[i]);
        EXPECT_EQ(FieldTypeIndex(codes[i]), i);
        EXPECT_EQ(DataTypeName(codes[i]), QString::fromUtf8(names[i]));
    }
    EXPECT_EQ(FieldTypeIndex(131), 0);
    EXPECT_EQ(DataTypeName(131), "");
    EXPECT_EQ((QStringList{SizeText("0"), SizeText("2147483647"), SizeText("50")}), (QStringList{"-", "(memo)", "50"}));
}

TEST(SchemaRules, TypeEvaluationWritesTheDefaultLengthOnlyForANewTypeAndSetsTheOptions)
{
    TypeControls c;
    QString tag = EvaluateFieldType(8, QString(), c);
    EXPECT_EQ(c.length, "50");
    EXPECT_EQ(std::tuple(c.lengthEnabled, c.fixedEnabled, c.zeroLengthEnabled, c.nullsEnabled, c.autoIncreaseEnabled), std::tuple(true, true, true, true, false));
    c.length = "120";
    tag = EvaluateFieldType(8, tag, c);
    EXPECT_EQ(c.length, "120");
    tag = EvaluateFieldType(3, tag, c);
    EXPECT_EQ(c.length, "4");
    EXPECT_FALSE(c.lengthEnabled);
    tag = EvaluateFieldType(8, tag, c);
    EXPECT_EQ(c.length, "50");
    EXPECT_EQ(EvaluateFieldType(-1, tag, c), "");

    // A boolean refuses nulls and the text options (a counter's nulls are checked through the field dialog).
    TypeControls b;
    b.nulls = b.fixed = b.zeroLength = b.autoIncrease = true;
    EvaluateFieldType(0, QString(), b);
    EXPECT_FALSE(b.nulls || b.nullsEnabled || b.fixed || b.zeroLength || b.autoIncrease);
    const auto state = [](const ZeroLengthState& s) { return std::tuple{s.enabled, s.value, s.setsField}; };
    EXPECT_EQ(state(ZeroLengthRule(kTextTypeIndex, true, true, false)), (std::tuple{false, true, true}));
    EXPECT_EQ(state(ZeroLengthRule(kTextTypeIndex, false, false, true)), (std::tuple{true, true, false}));
    EXPECT_EQ(state(ZeroLengthRule(kLongTypeIndex, true, true, true)), (std::tuple{false, false, true}));
}

TEST(SchemaRules, PlacingAndMovingRenumberAndTheKeyFollowsTheMarks)
{
    auto three = fieldsNamed({"A", "B", "C"});
    auto added = std::make_shared<clsField>();
    added->setFieldName("N");
    added->setKeyCode("T.N");
    PlaceField(*three, added, 1);
    EXPECT_EQ(order(three), (QStringList{"N", "A", "B", "C"}));

    auto four = fieldsNamed({"1", "2", "3", "4"});
    EXPECT_TRUE(MoveField(*four, "T.2", 3)); // to the last place: the structure window's test
    EXPECT_EQ(order(four), (QStringList{"1", "3", "2", "4"}));
    for (const char* below : {"0", "-"}) {
        four = fieldsNamed({"1", "2", "3", "4"});
        MoveField(*four, "T.3", PositionFromNumber(clsTablas::Blank2Zero(below)));
        EXPECT_EQ(order(four), (QStringList{"3", "1", "2", "4"})) << below;
    }
    EXPECT_FALSE(MoveField(*four, "T.3", 1));

    // The key follows the marks.
    auto f = fieldsNamed({"A", "B", "C"});
    EXPECT_EQ(KeyFromMarks(*f, {true, false, true}, {"A", "B", " C "}), (QStringList{"A", "C"}));
    EXPECT_TRUE(FieldAt(*f, 1)->IsKey() && !FieldAt(*f, 2)->IsKey() && FieldAt(*f, 3)->IsKey());
    EXPECT_TRUE(KeyFromMarks(*f, {false, false, false}, {"A", "B", "C"}).isEmpty() &&
                !(FieldAt(*f, 1)->IsKey() || FieldAt(*f, 2)->IsKey() || FieldAt(*f, 3)->IsKey()));
}

TEST(SchemaRules, IndexPlansFollowRenamesAndNameWhatCannotComeBackOrGuardsAField)
{
    auto f = fieldsNamed({"A", "B", "C"});
    FieldAt(*f, 2)->setNewFieldName("B2");
    const auto saved = indexes({index("PK_T", {"A"}, true), index("IX_B", {"b", "A"}, false, true),
                                index("IX_GONE", {"Z"}), index("sqlite_autoindex_T_1", {"C"})});
    const IndexReAddPlan plan = PlanIndexReAdd(saved.get(), *f);
    ASSERT_EQ(plan.restore.size(), 1u);
    EXPECT_EQ((std::tuple{plan.restore[0].name, plan.restore[0].fields, plan.restore[0].unique}),
              (std::tuple{QString("IX_B"), QString("B2#A"), true}));
    EXPECT_EQ(plan.lost, (QStringList{"IX_GONE", "sqlite_autoindex_T_1"}));
    EXPECT_EQ(IndexesNotRestoredMessage("T", plan.lost),
              "La tabla {1T} se ha guardado, pero no se han podido volver a crear los índices {2IX_GONE, "
              "sqlite_autoindex_T_1}.");

    // The delete guard names the field and the index, the key included.
    const auto guarded = indexes({index("PK_T", {"A"}, true), index("IX", {"C", "B"})});
    const QString guard = "El campo {1%1} no se puede eliminar porque está incluido en el índice {2%2}. Para eliminarlo "
                          "debe quitarlo previamente de dicho índice.";
    EXPECT_EQ(IndexGuardMessage(guarded.get(), {"     B"}), guard.arg("B", "IX"));
    EXPECT_EQ(IndexGuardMessage(guarded.get(), {"D", "a"}), guard.arg("A", "PK_T"));
    EXPECT_EQ(IndexGuardMessage(guarded.get(), {"D"}), "");
    EXPECT_EQ(IndexGuardMessage(nullptr, {"A"}), "");
}

TEST(SchemaRules, SearchReplaceAndSortedFields)
{
    auto tables = schematest::namedItems({"CLIENTES", "Clientes2", "Pedidos"});
    EXPECT_EQ((std::vector{FilterTables(*tables, "cli"), FilterTables(*tables, ""), FilterTables(*tables, "zzz")}),
              (std::vector<std::vector<int>>{{1, 2}, {1, 2, 3}, {}}));

    for (int p : {2, 3}) {
        auto item = newCollection();
        const QString name = datatest::keysOf(tables)[p - 1];
        ReplaceItem(*tables, p, Variant(item), name);
        EXPECT_EQ(tables->Item(Variant(name)).as<Collection>(), item);
        EXPECT_EQ(tables->IndexOf(name), p);
    }

    QStringList names;
    for (const char* n : {"b", "A", "a"})
        names.insert(SortedPosition(names, n) - 1, n);
    EXPECT_EQ(names, (QStringList{"A", "a", "b"}));
    auto ix = newCollection();
    for (const char* n : {"b", "B2", "a", "c"})
        AddSorted(*ix, n);
    EXPECT_EQ(datatest::valuesOf(ix), (QStringList{"B2", "a", "b", "c"}));
    EXPECT_EQ(datatest::keysOf(ix), (QStringList{"B2", "a", "b", "c"}));

    auto tableFields = schematest::namedItems({"a", "A2", "b", "c"});
    auto used = newCollection();
    used->Add(Variant("B"), "B");
    used->Add(Variant("X"), "X"); // not a field of the table: the list is not a row short
    EXPECT_EQ(AvailableFields(tableFields.get(), used.get()), (QStringList{"a", "A2", "c"}));
}
