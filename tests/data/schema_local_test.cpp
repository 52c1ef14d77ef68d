// Tables, fields, keys, indexes, views and structures read from a real local
// database file through the data layer's catalog.
#include "DataTestSupport.h"

#include "core/Error.h"
#include "core/ValueText.h"

#include <gtest/gtest.h>

using namespace datatest;

namespace {

class SchemaLocalTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(db_.dir.isValid());
        db::Catalog::Create(db_.connectionString());
        db_.exec({
            QStringLiteral("CREATE TABLE Clientes ([Id] COUNTER, [Zeta] TEXT(50) NOT NULL, [alpha] DOUBLE, "
                           "[Nota] MEMO, [Codigo] CHAR(5), [Alta] DATETIME, CONSTRAINT PK_Clientes PRIMARY KEY ([Id]))"),
            QStringLiteral("CREATE TABLE S ([Ref] LONG NOT NULL, [Nombre] TEXT(20))"),
            QStringLiteral("CREATE UNIQUE INDEX UQ_Ref ON S ([Ref], [Nombre])"),
            QStringLiteral("CREATE INDEX IX_Nombre ON S ([Nombre])"),
            QStringLiteral("CREATE TABLE ACCESS ([A] LONG)"),
            QStringLiteral("CREATE TABLE OBJECTS ([B] LONG)"),
            QStringLiteral("CREATE VIEW Totales AS SELECT Zeta, alpha AS Importe FROM Clientes"),
            QStringLiteral("INSERT INTO Clientes (Zeta, alpha) VALUES ('a', 1.5)"),
        });
        db_.point(o_);
    }

    CollectionPtr table(const QString& name)
    {
        QString s, d, u, p, t = name;
        return o_.TableList(s, d, u, p, t);
    }

    LocalDb db_;
    clsDO o_;
};

} // namespace

TEST_F(SchemaLocalTest, ListingNamesEveryUserTableIncludingShortAndReservedLookingNames)
{
    QString s, d, u, p;
    const CollectionPtr list = o_.TableList(s, d, u, p);
    ASSERT_TRUE(list);
    EXPECT_EQ(keysOf(list), (QStringList{"ACCESS", "Clientes", "OBJECTS", "S"}));
    EXPECT_EQ(d, db_.path) << "the stored database is written back into the caller's variable";
    const CollectionPtr item = sub(list, "S");
    EXPECT_EQ(keysOf(item), (QStringList{"Name", "Fields", "Key"}));
    EXPECT_EQ(at(item, "Name").toString(), QStringLiteral("S"));
    EXPECT_EQ(sub(item, "Fields")->Count(), 0);
    EXPECT_EQ(sub(item, "Key")->Count(), 0);
}

TEST_F(SchemaLocalTest, OneTableGivesItsItemWithSortedFieldsAndKey)
{
    const CollectionPtr item = table("Clientes");
    ASSERT_TRUE(item);
    EXPECT_EQ(at(item, "Name").toString(), QStringLiteral("Clientes"));
    const CollectionPtr fields = sub(item, "Fields");
    // Character-code order: upper case before lower case.
    EXPECT_EQ(keysOf(fields), (QStringList{"Alta", "Codigo", "Id", "Nota", "Zeta", "alpha"}));
    EXPECT_EQ(valuesOf(sub(item, "Key")), QStringList{"Id"});

    // Every attribute in the order the item keeps them.
    const std::pair<const char*, const char*> expected[] = {
        {"Zeta", "Name=Zeta Nullable=0 Type=8 Size=50 Precision=0 FixedLenght=0 AutoIncrease=0 DefaultValue= "
                 "AllowZeroLenght=1 ValidationText= ValidationRule="},
        {"Id", "Name=Id Nullable=0 Type=3 Size=4 Precision=10 FixedLenght=1 AutoIncrease=1 DefaultValue= "
               "AllowZeroLenght=0 ValidationText= ValidationRule="},
        {"alpha", "Name=alpha Nullable=1 Type=5 Size=8 Precision=15 FixedLenght=1 AutoIncrease=0 DefaultValue= "
                  "AllowZeroLenght=0 ValidationText= ValidationRule="},
        {"Alta", "Name=Alta Nullable=1 Type=7 Size=8 Precision=0 FixedLenght=1 AutoIncrease=0 DefaultValue= "
                 "AllowZeroLenght=0 ValidationText= ValidationRule="},
        {"Codigo", "Name=Codigo Nullable=1 Type=8 Size=5 Precision=0 FixedLenght=1 AutoIncrease=0 DefaultValue= "
                   "AllowZeroLenght=1 ValidationText= ValidationRule="},
    };
    for (auto [name, attributes] : expected)
        EXPECT_EQ(describe(sub(fields, QLatin1String(name))), QLatin1String(attributes));
    EXPECT_EQ(at(sub(fields, "Nota"), "Type").toInt(), 8);
}

TEST_F(SchemaLocalTest, KeyIsTheFirstUniqueIndexWithoutPrimaryKeyAndAbsentWithNeither)
{
    EXPECT_EQ(valuesOf(sub(table("S"), "Key")), (QStringList{"Ref", "Nombre"}));
    EXPECT_FALSE(table("ACCESS")->Exists(QStringLiteral("Key")));

    QString s, d, u, p, t = QStringLiteral("S");
    EXPECT_EQ(valuesOf(o_.TableKey(s, d, u, p, t)), (QStringList{"Ref", "Nombre"}));
    t = QStringLiteral("Clientes");
    EXPECT_EQ(valuesOf(o_.TableKey(s, d, u, p, t)), QStringList{"Id"});
    t = QStringLiteral("OBJECTS");
    EXPECT_EQ(o_.TableKey(s, d, u, p, t)->Count(), 0);
}

TEST_F(SchemaLocalTest, UnknownTableTakesTheErrorPath)
{
    ScopedRecordingDialogs rec;
    QString s, d, u, p, t = QStringLiteral("Nada");
    EXPECT_FALSE(o_.TableList(s, d, u, p, t, true));
    EXPECT_TRUE(rec->calls.empty());
    EXPECT_FALSE(o_.TableList(s, d, u, p, t, false));
    ASSERT_EQ(rec->calls.size(), 1u);
    EXPECT_TRUE(rec->calls[0].prompt.startsWith(QStringLiteral("CLSDO.TABLELIST\r\n")));
    EXPECT_EQ(rec->calls[0].style, 16);
    EXPECT_EQ(rec->calls[0].title, QStringLiteral("Error"));

    EXPECT_FALSE(o_.TableIndexes(s, d, u, p, t));
    EXPECT_FALSE(o_.TableKey(s, d, u, p, t));
    ASSERT_EQ(rec->calls.size(), 3u);
    EXPECT_TRUE(rec->calls[1].prompt.startsWith(QStringLiteral("CLSDO.TABLEINDEXES\r\n")));
    EXPECT_TRUE(rec->calls[2].prompt.startsWith(QStringLiteral("CLSDO.TABLEKEY\r\n")));
}

TEST_F(SchemaLocalTest, IndexesWithFlagsAndColumnsInOrder)
{
    QString s, d, u, p, t = QStringLiteral("S");
    const CollectionPtr indexes = o_.TableIndexes(s, d, u, p, t);
    ASSERT_TRUE(indexes);
    ASSERT_TRUE(indexes->Exists("UQ_Ref"));
    ASSERT_TRUE(indexes->Exists("IX_Nombre"));
    const CollectionPtr uq = sub(indexes, "UQ_Ref");
    EXPECT_EQ(keysOf(uq), (QStringList{"IndexName", "IsPrimaryKey", "IsUnique", "IsNullable", "IndexFields"}));
    EXPECT_FALSE(at(uq, "IsPrimaryKey").toBool());
    EXPECT_TRUE(at(uq, "IsUnique").toBool());
    EXPECT_EQ(keysOf(sub(uq, "IndexFields")), (QStringList{"Ref", "Nombre"}));
    EXPECT_FALSE(at(sub(indexes, "IX_Nombre"), "IsUnique").toBool());

    t = QStringLiteral("Clientes");
    const CollectionPtr pk = o_.TableIndexes(s, d, u, p, t);
    ASSERT_TRUE(pk);
    bool found = false;
    for (const Variant& v : *pk)
        if (v.as<Collection>()->Item(Variant("IsPrimaryKey")).toBool()) {
            found = true;
            EXPECT_EQ(keysOf(v.as<Collection>()->Item(Variant("IndexFields")).as<Collection>()), QStringList{"Id"});
        }
    EXPECT_TRUE(found);
}

TEST_F(SchemaLocalTest, ViewsWithTheirTextAndBareColumnNames)
{
    QString s, d, u, p;
    const CollectionPtr views = o_.ViewList(s, d, u, p);
    ASSERT_TRUE(views);
    EXPECT_EQ(keysOf(views), QStringList{"Totales"});
    const CollectionPtr v = sub(views, "Totales");
    EXPECT_EQ(keysOf(v), (QStringList{"Name", "SQLText", "Fields"}));
    EXPECT_TRUE(at(v, "SQLText").toString().contains(QStringLiteral("FROM Clientes")));
    EXPECT_EQ(keysOf(sub(v, "Fields")), (QStringList{"Zeta", "Importe"}));
}

TEST_F(SchemaLocalTest, StructuresOfTablesAndStatements)
{
    const auto structure = o_.EstructuraTabla(QStringLiteral("Ejercicio"), QStringLiteral("Clientes")).as<Collection>();
    ASSERT_TRUE(structure);
    EXPECT_EQ(keysOf(structure), (QStringList{"Clientes.Id", "Clientes.Zeta", "Clientes.alpha", "Clientes.Nota",
                                              "Clientes.Codigo", "Clientes.Alta"}));
    const VArrayPtr zeta = structure->Item(Variant("Clientes.Zeta")).array();
    EXPECT_EQ(zeta->at(0).toString(), QStringLiteral("Clientes.Zeta"));
    EXPECT_FALSE(zeta->at(1).toBool());
    EXPECT_EQ(zeta->at(2).type(), VarType::Integer);
    EXPECT_EQ(zeta->at(2).toInt(), 8);
    EXPECT_EQ(zeta->at(3).toLong(), 50);
    EXPECT_TRUE(structure->Item(Variant("Clientes.alpha")).array()->at(1).toBool());

    const auto joined = o_.EstructuraConsulta(QStringLiteral("Ejercicio"),
                                              QStringLiteral("SELECT a.Id, b.Ref AS Id, a.Id FROM Clientes a, S b"),
                                              QStringLiteral("T"))
                            .as<Collection>();
    ASSERT_TRUE(joined);
    EXPECT_EQ(keysOf(joined), (QStringList{"T.Id", "T.Id(2)", "T.Id(3)"}));
    EXPECT_EQ(joined->Item(Variant("T.Id(2)")).array()->at(0).toString(), QStringLiteral("T.Id"));

    // An empty holder with "Empresa" is the caller's error.
    EXPECT_THROW(o_.EstructuraTabla(QStringLiteral("Empresa"), QStringLiteral("Clientes")), Error);
}

TEST(LastOpenFailedTest, AMissingFileIsToldApartFromAnEmptyDatabase)
{
    ScopedRecordingDialogs dialogs;
    LocalDb empty;
    db::Catalog::Create(empty.connectionString());
    LocalDb missing; // never created

    // Each member once on the missing file, then once on the empty one: the
    // answers look alike (empty or nothing), the flag does not.
    auto calls = [](clsDO& o) {
        std::vector<std::pair<const char*, bool>> flags;
        QString s, d, u, p, t = QStringLiteral("T"), sql = QStringLiteral("SELECT 1 AS x WHERE 1 = 0");
        const CollectionPtr tables = o.TableList(s, d, u, p);
        EXPECT_TRUE(tables && tables->Count() == 0);
        flags.emplace_back("TableList", o.LastOpenFailed());
        const CollectionPtr views = o.ViewList(s, d, u, p);
        EXPECT_TRUE(views && views->Count() == 0);
        flags.emplace_back("ViewList", o.LastOpenFailed());
        o.TableIndexes(s, d, u, p, t);
        flags.emplace_back("TableIndexes", o.LastOpenFailed());
        o.Query(sql, s, d, u, p);
        flags.emplace_back("Query", o.LastOpenFailed());
        return flags;
    };
    clsDO o;
    missing.point(o);
    EXPECT_FALSE(o.LastOpenFailed()) << "nothing tried yet";
    for (const auto& [member, failed] : calls(o))
        EXPECT_TRUE(failed) << member;
    empty.point(o);
    for (const auto& [member, failed] : calls(o))
        EXPECT_FALSE(failed) << member;
}

TEST(ViewColumnsTest, AMillionRowViewIsDescribedWithoutReadingARow)
{
    LocalDb big;
    db::Catalog::Create(big.connectionString());
    // Reading the last of its million rows fails: only a description that
    // reads no row at all lists the view's columns.
    big.exec({QStringLiteral(
        "CREATE VIEW Millon AS WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1000000) "
        "SELECT i AS Id, CLng(CASE WHEN i = 1000000 THEN 'x' ELSE i END) AS Numero FROM n")});
    clsDO o;
    big.point(o);
    QString s, d, u, p;
    const CollectionPtr views = o.ViewList(s, d, u, p);
    ASSERT_TRUE(views);
    EXPECT_EQ(keysOf(sub(sub(views, "Millon"), "Fields")), (QStringList{"Id", "Numero"}));

    const auto structure =
        o.EstructuraConsulta(QStringLiteral("Ejercicio"), QStringLiteral("SELECT * FROM Millon"), QStringLiteral("M")).as<Collection>();
    ASSERT_TRUE(structure);
    EXPECT_EQ(keysOf(structure), (QStringList{"M.Id", "M.Numero"}));
}

TEST(ExpressionColumnsTest, TypedByWhatTheyCompute)
{
    ValueText::setLocale(QLocale(QLocale::Spanish, QLocale::Spain));
    LocalDb file;
    db::Catalog::Create(file.connectionString());
    file.exec({QStringLiteral("CREATE TABLE Facturas ([Id] LONG, [Fecha] DATETIME, [Importe] CURRENCY)"),
               QStringLiteral("INSERT INTO Facturas VALUES (1, #2021-01-01 10:30#, 10.5)"),
               QStringLiteral("INSERT INTO Facturas VALUES (2, #2021-03-05#, 2)")});
    const QString sql = QStringLiteral(
        "SELECT DateValue(Fecha) AS Dia, MAX(Fecha) Ultima, CDate('25/12/2024'), SUM(Importe) AS Total, "
        "MIN(Id) AS Primero, COUNT(*) AS N, Fecha FROM Facturas");
    auto conn = std::make_shared<db::Connection>();
    conn->Open(file.connectionString());
    db::Recordset rs;
    rs.Open(sql, conn, db::adOpenStatic);
    const std::vector<std::pair<int, QString>> expected = {
        {db::adDate, QStringLiteral("01/01/2021")}, {db::adDate, QStringLiteral("05/03/2021")},
        {db::adDate, QStringLiteral("25/12/2024")}, {db::adCurrency, QStringLiteral("12,5")},
        {db::adInteger, QStringLiteral("1")},           {db::adInteger, QStringLiteral("2")},
        {db::adDate, QStringLiteral("01/01/2021 10:30:00")}};
    ASSERT_EQ(rs.FieldCount(), int(expected.size()));
    for (int i = 0; i < rs.FieldCount(); ++i) {
        EXPECT_EQ(rs.Fields(i).Type(), expected[std::size_t(i)].first) << rs.Fields(i).Name().toStdString();
        EXPECT_EQ(ValueText::displayText(rs.value(i)), expected[std::size_t(i)].second) << rs.Fields(i).Name().toStdString();
    }
    conn->Close();

    // Described without rows, the same types (FieldTypeCode 7 is a date).
    clsDO o;
    file.point(o);
    const auto structure = o.EstructuraConsulta(QStringLiteral("Ejercicio"), sql, QStringLiteral("F")).as<Collection>();
    ASSERT_TRUE(structure);
    EXPECT_EQ(structure->Item(Variant("F.Dia")).array()->at(2).toInt(), 7);
    EXPECT_EQ(structure->Item(Variant("F.Ultima")).array()->at(2).toInt(), 7);
    EXPECT_EQ(structure->Item(Variant("F.Total")).array()->at(2).toInt(), 6);
}
