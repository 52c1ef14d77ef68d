// Tables, fields, keys, indexes, views and structures read from a real local
// database file through the data layer's catalog.
#include "DataTestSupport.h"

#include "core/ValueText.h"

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
            u"CREATE TABLE S ([Ref] LONG NOT NULL, [Nombre] TEXT(20))"_s,
            u"CREATE UNIQUE INDEX UQ_Ref ON S ([Ref], [Nombre])"_s,
            u"CREATE INDEX IX_Nombre ON S ([Nombre])"_s,
            u"CREATE TABLE ACCESS ([A] LONG)"_s,
            u"CREATE TABLE OBJECTS ([B] LONG)"_s,
            u"CREATE VIEW Totales AS SELECT Zeta, alpha AS Importe FROM Clientes"_s,
            u"INSERT INTO Clientes (Zeta, alpha) VALUES ('a', 1.5)"_s,
        });
        db_.point(o_);
    }

    LocalDb db_;
    clsDO o_;
};

} // namespace

TEST_F(SchemaLocalTest, TablesFieldsKeysIndexesAndViewsOfTheFile)
{
    QString s, d, u, p;
    const CollectionPtr list = o_.TableList(s, d, u, p);
    ASSERT_TRUE(list);
    EXPECT_EQ(show(Variant(list)), "{ACCESS={Name=ACCESS Fields={} Key={}} Clientes={Name=Clientes Fields={} Key={}} "
                                   "OBJECTS={Name=OBJECTS Fields={} Key={}} S={Name=S Fields={} Key={}}}");
    EXPECT_EQ(d, db_.path) << "the stored database is written back into the caller's variable";

    // One table: fields in character-code order (upper case before lower case), every
    // attribute in the order the item keeps them.
    EXPECT_EQ(show(Variant(tableItem(o_, u"Clientes"_s))), "{Name=Clientes Fields={"
              "Alta={Name=Alta Nullable=1 Type=7 Size=8 Precision=0 FixedLenght=1 AutoIncrease=0 DefaultValue= AllowZeroLenght=0 ValidationText= ValidationRule=} "
              "Codigo={Name=Codigo Nullable=1 Type=8 Size=5 Precision=0 FixedLenght=1 AutoIncrease=0 DefaultValue= AllowZeroLenght=1 ValidationText= ValidationRule=} "
              "Id={Name=Id Nullable=0 Type=3 Size=4 Precision=10 FixedLenght=1 AutoIncrease=1 DefaultValue= AllowZeroLenght=0 ValidationText= ValidationRule=} "
              "Nota={Name=Nota Nullable=1 Type=8 Size=0 Precision=0 FixedLenght=1 AutoIncrease=0 DefaultValue= AllowZeroLenght=1 ValidationText= ValidationRule=} "
              "Zeta={Name=Zeta Nullable=0 Type=8 Size=50 Precision=0 FixedLenght=0 AutoIncrease=0 DefaultValue= AllowZeroLenght=1 ValidationText= ValidationRule=} "
              "alpha={Name=alpha Nullable=1 Type=5 Size=8 Precision=15 FixedLenght=1 AutoIncrease=0 DefaultValue= AllowZeroLenght=0 ValidationText= ValidationRule=}} Key={Id}}");

    // The key is the first unique index without a primary key, and absent with neither.
    EXPECT_EQ(valuesOf(sub(tableItem(o_, u"S"_s), "Key")), (QStringList{"Ref", "Nombre"}));
    EXPECT_FALSE(tableItem(o_, u"ACCESS"_s)->Exists(u"Key"_s));

    EXPECT_EQ(valuesOf(tableKey(o_, u"S"_s)), (QStringList{"Ref", "Nombre"}));
    EXPECT_EQ(valuesOf(tableKey(o_, u"Clientes"_s)), QStringList{"Id"});
    EXPECT_EQ(tableKey(o_, u"OBJECTS"_s)->Count(), 0);

    // Indexes with their flags and columns in order; views with their text and bare column names.
    EXPECT_EQ(show(Variant(tableIndexes(o_, u"S"_s))), "{IX_Nombre={IndexName=IX_Nombre IsPrimaryKey=0 IsUnique=0 IsNullable=0 IndexFields={Nombre=Nombre}} "
                                      "UQ_Ref={IndexName=UQ_Ref IsPrimaryKey=0 IsUnique=1 IsNullable=0 IndexFields={Ref=Ref Nombre=Nombre}}}");
    EXPECT_EQ(show(Variant(tableIndexes(o_, u"Clientes"_s))), "{PK_Clientes={IndexName=PK_Clientes IsPrimaryKey=1 IsUnique=1 IsNullable=1 IndexFields={Id=Id}}}");
    EXPECT_EQ(show(Variant(viewList(o_))), "{Totales={Name=Totales SQLText=SELECT Zeta, alpha AS Importe FROM Clientes Fields={Zeta=Zeta Importe=Importe}}}");
}

TEST_F(SchemaLocalTest, UnknownTableTakesTheErrorPathAndStructuresOfTablesAndStatements)
{
    ScopedRecordingDialogs rec;
    const QString t = u"Nada"_s;
    EXPECT_FALSE(tableItem(o_, t, true));
    EXPECT_TRUE(rec->calls.empty());
    EXPECT_FALSE(tableItem(o_, t, false));
    EXPECT_FALSE(tableIndexes(o_, t));
    EXPECT_FALSE(tableKey(o_, t));
    QStringList shown = boxes(rec);
    for (QString& b : shown)
        b = b.section(u"\r\n"_s, 0, 0);
    EXPECT_EQ(shown, (QStringList{"Error|16|CLSDO.TABLELIST", "Error|16|CLSDO.TABLEINDEXES", "Error|16|CLSDO.TABLEKEY"}));

    // Structures of a table and of a statement.
    const auto structure = o_.EstructuraTabla(u"Ejercicio"_s, u"Clientes"_s).as<Collection>();
    ASSERT_TRUE(structure);
    EXPECT_EQ(show(Variant(structure)), "{Clientes.Id=[Clientes.Id|0|3|4] Clientes.Zeta=[Clientes.Zeta|0|8|50] Clientes.alpha=[Clientes.alpha|1|5|8] "
              "Clientes.Nota=[Clientes.Nota|1|8|536870910] Clientes.Codigo=[Clientes.Codigo|1|8|5] Clientes.Alta=[Clientes.Alta|1|7|8]}");
    EXPECT_EQ(structure->Item(Variant("Clientes.Zeta")).array()->at(2).type(), VarType::Integer);

    const auto joined = o_.EstructuraConsulta(u"Ejercicio"_s, u"SELECT a.Id, b.Ref AS Id, a.Id FROM Clientes a, S b"_s, u"T"_s)
                            .as<Collection>();
    ASSERT_TRUE(joined);
    EXPECT_EQ(show(Variant(joined)), "{T.Id=[T.Id|0|3|4] T.Id(2)=[T.Id|0|3|4] T.Id(3)=[T.Id|0|3|4]}");

    // An empty holder with "Empresa" is the caller's error.
    EXPECT_THROW(o_.EstructuraTabla(u"Empresa"_s, u"Clientes"_s), Error);
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
        QString s, d, u, p, t = u"T"_s, sql = u"SELECT 1 AS x WHERE 1 = 0"_s, out;
        // One call a statement: the flag is read after each member has run.
        out += show(Variant(o.TableList(s, d, u, p)));
        out += QString::number(o.LastOpenFailed());
        out += show(Variant(o.ViewList(s, d, u, p)));
        out += QString::number(o.LastOpenFailed());
        o.TableIndexes(s, d, u, p, t);
        out += QString::number(o.LastOpenFailed());
        o.Query(sql, s, d, u, p);
        return out + QString::number(o.LastOpenFailed());
    };
    clsDO o;
    missing.point(o);
    EXPECT_FALSE(o.LastOpenFailed()) << "nothing tried yet";
    EXPECT_EQ(calls(o), "{}1{}111");
    empty.point(o);
    EXPECT_EQ(calls(o), "{}0{}000");
}

TEST_F(SchemaLocalTest, AMillionRowViewIsDescribedWithoutReadingARow)
{
    // Reading the last of its million rows fails: only a description that
    // reads no row at all lists the view's columns.
    db_.exec({QStringLiteral(
        "CREATE VIEW Millon AS WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1000000) "
        "SELECT i AS Id, CLng(CASE WHEN i = 1000000 THEN 'x' ELSE i END) AS Numero FROM n")});
    const CollectionPtr views = viewList(o_);
    ASSERT_TRUE(views);
    EXPECT_EQ(keysOf(sub(sub(views, "Millon"), "Fields")), (QStringList{"Id", "Numero"}));

    const auto structure =
        o_.EstructuraConsulta(u"Ejercicio"_s, u"SELECT * FROM Millon"_s, u"M"_s).as<Collection>();
    ASSERT_TRUE(structure);
    EXPECT_EQ(keysOf(structure), (QStringList{"M.Id", "M.Numero"}));
}

TEST_F(SchemaLocalTest, ExpressionColumnsAreTypedByWhatTheyCompute)
{
    ValueText::setLocale(QLocale(QLocale::Spanish, QLocale::Spain));
    db_.exec({u"CREATE TABLE Facturas ([Id] LONG, [Fecha] DATETIME, [Importe] CURRENCY)"_s,
               u"INSERT INTO Facturas VALUES (1, #2021-01-01 10:30#, 10.5)"_s,
               u"INSERT INTO Facturas VALUES (2, #2021-03-05#, 2)"_s});
    const QString sql = QStringLiteral(
        "SELECT DateValue(Fecha) AS Dia, MAX(Fecha) Ultima, CDate('25/12/2024'), SUM(Importe) AS Total, "
        "MIN(Id) AS Primero, COUNT(*) AS N, Fecha FROM Facturas");
    auto conn = std::make_shared<db::Connection>();
    conn->Open(db_.connectionString());
    db::Recordset rs;
    rs.Open(sql, conn, db::adOpenStatic);
    const std::vector<std::pair<int, QString>> expected = {
        {db::adDate, u"01/01/2021"_s}, {db::adDate, u"05/03/2021"_s},
        {db::adDate, u"25/12/2024"_s}, {db::adCurrency, u"12,5"_s},
        {db::adInteger, u"1"_s},           {db::adInteger, u"2"_s},
        {db::adDate, u"01/01/2021 10:30:00"_s}};
    ASSERT_EQ(rs.FieldCount(), int(expected.size()));
    for (int i = 0; i < rs.FieldCount(); ++i) {
        EXPECT_EQ(rs.Fields(i).Type(), expected[std::size_t(i)].first) << rs.Fields(i).Name().toStdString();
        EXPECT_EQ(ValueText::displayText(rs.value(i)), expected[std::size_t(i)].second) << rs.Fields(i).Name().toStdString();
    }
    conn->Close();

    // Described without rows, the same types (FieldTypeCode 7 is a date).
    EXPECT_EQ(show(o_.EstructuraConsulta(u"Ejercicio"_s, sql, u"F"_s)),
              "{F.Dia=[F.Dia|1|7|8] F.Ultima=[F.Ultima|1|7|8] F.CDate('25/12/2024')=[F.CDate('25/12/2024')|1|7|8] "
              "F.Total=[F.Total|1|6|8] F.Primero=[F.Primero|1|3|4] F.N=[F.N|1|3|4] F.Fecha=[F.Fecha|1|7|8]}");
}
