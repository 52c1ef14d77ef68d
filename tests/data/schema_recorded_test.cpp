// SQL Server and Oracle schema discovery, answered by the recording backend.
// No engine here speaks either dialect: one statement of each is pinned whole,
// the others are answered by a fragment only they contain.
#include "DataTestSupport.h"

using namespace datatest;

namespace {

Variant n(int v) { return Variant(std::int32_t(v)); }
Variant s(const char* v) { return Variant(v); }
const Variant null = Variant::null();

class RecordedSchemaTest : public ::testing::Test {
protected:

    void oracle()
    {
        o_.setConnectionType(3);
        o_.setUsedDriver(2);
        o_.StartObject(u"ORA"_s, u"ORCL"_s, u"scott"_s, u"tiger"_s);
    }
    void sqlServer()
    {
        o_.setConnectionType(0);
        o_.StartObject(u"srv"_s, u"Ventas"_s, u"sa"_s, u"pw"_s);
    }
    // Answers every statement containing the fragment.
    void when(const QString& fragment, const QStringList& columns, Rows rows)
    {
        rec_->answerRegex(QRegularExpression::escape(fragment), db::RecordingBackend::Answer::table(columns, std::move(rows)));
    }

    CollectionPtr table(QString t) { return o_.TableList(sv_, db_, us_, pw_, t); }
    CollectionPtr indexes(QString t) { return o_.TableIndexes(sv_, db_, us_, pw_, t); }

    std::shared_ptr<db::RecordingBackend> rec_ = db::RecordingBackend::install(); // gone with the last reference
    clsDO o_;
    QString sv_, db_, us_, pw_;
};

const QString kSqlServerKey =
    QStringLiteral("SELECT C.Name FROM sys.indexes AS I INNER JOIN sys.index_columns AS ic ON I.object_id = ic.object_id "
                   "AND I.index_id = ic.index_id INNER JOIN sys.columns AS c ON ic.object_id = c.object_id AND ic.column_id = "
                   "c.column_id INNER JOIN sys.objects AS o ON I.object_id = o.object_id WHERE I.is_primary_key = 1 AND "
                   "o.name = 'Pedidos'");

} // namespace

// An empty answer lists nothing, a listing names every table with an empty item,
// indexes are grouped by name in key order with the Oracle primary key asked per
// index, and an Oracle view gets its columns.
TEST_F(RecordedSchemaTest, ListingsAndIndexes)
{
    auto tableList = [&] { return o_.TableList(sv_, db_, us_, pw_); };
    auto viewList = [&] { return o_.ViewList(sv_, db_, us_, pw_); };
    struct Answer {
        QString fragment;
        QStringList columns;
        Rows rows;
    };
    const struct {
        bool onOracle;
        std::vector<Answer> answers;
        std::function<CollectionPtr()> call;
        const char* shown;
    } cases[] = {
        {true, {{"FROM USER_TABLES", {"TABLE_NAME"}, {}}}, tableList, "{}"},
        {true, {{"FROM USER_VIEWS", {"VIEW_NAME", "TEXT"}, {}}}, viewList, "{}"},
        {false, {{kSqlServerIndexes, kSqlServerIndexColumns, {}}}, [&] { return indexes(u"Pedidos"_s); }, "{}"},
        {false, {{kSqlServerIndexes, kSqlServerIndexColumns, {{s("IX_Fecha"), s("Total"), Variant(false), Variant(false), n(0)},
                                                              {s("IX_Fecha"), s("Fecha"), Variant(false), Variant(false), n(1)},
                                                              {s("PK_Pedidos"), s("Id"), Variant(true), Variant(true), n(1)}}}},
         [&] { return indexes(u"Pedidos"_s); },
         "{IX_Fecha={IndexName=IX_Fecha IsPrimaryKey=0 IsUnique=0 IsNullable=1 IndexFields={Total=Total Fecha=Fecha}} "
         "PK_Pedidos={IndexName=PK_Pedidos IsPrimaryKey=1 IsUnique=1 IsNullable=1 IndexFields={Id=Id}}}"},
        {true, {{"INDEX_NAME = 'PK_C'", {"CONSTRAINT_TYPE"}, {{s("P")}}}, {"INDEX_NAME = 'IX_N'", {"CONSTRAINT_TYPE"}, {}},
                {"FROM ALL_INDEXES ind", {"INDEX_NAME", "COLUMN_NAME", "UNIQUENESS", "COLUMN_POSITION"},
                 {{s("IX_N"), s("NOMBRE"), s("NONUNIQUE"), n(1)}, {s("IX_N"), s("CIUDAD"), s("NONUNIQUE"), n(2)},
                  {s("PK_C"), s("CODIGO"), s("UNIQUE"), n(1)}}}},
         [&] { return indexes(u"CLIENTES"_s); },
         "{IX_N={IndexName=IX_N IsPrimaryKey=0 IsUnique=0 IsNullable=1 IndexFields={NOMBRE=NOMBRE CIUDAD=CIUDAD}} "
         "PK_C={IndexName=PK_C IsPrimaryKey=1 IsUnique=1 IsNullable=1 IndexFields={CODIGO=CODIGO}}}"},
        {true, {{"FROM USER_VIEWS", {"VIEW_NAME", "TEXT"}, {{s("V_TOT"), s("select a, b from t")}}},
                {"TABLE_NAME IN('V_TOT', 'v_tot', 'V_TOT') AND  OWNER = 'scott'", {"COLUMN_NAME"}, {{s("A")}, {s("B")}}}},
         viewList, "{V_TOT={Name=V_TOT SQLText=select a, b from t Fields={A=A B=B}}}"},
        {true, {{"FROM USER_TABLES", {"TABLE_NAME"}, {{s("CLIENTES")}, {s("S")}}}}, tableList,
         "{CLIENTES={Name=CLIENTES Fields={} Key={}} S={Name=S Fields={} Key={}}}"},
    };
    for (const auto& c : cases) {
        rec_ = db::RecordingBackend::install();
        c.onOracle ? oracle() : sqlServer();
        for (const Answer& a : c.answers)
            when(a.fragment, a.columns, a.rows);
        EXPECT_EQ(show(Variant(c.call())), QString::fromUtf8(c.shown)) << c.answers[0].fragment.toStdString();
    }
    // The caller's variables receive the stored values.
    EXPECT_EQ(us_, u"scott"_s);
}

TEST_F(RecordedSchemaTest, OracleTableWithFieldsAndKey)
{
    oracle();
    const QString columns = QStringLiteral(
        "SELECT column_name, data_type, data_precision, data_scale, data_length, nullable, CASE WHEN DATA_TYPE IN "
        "('VARCHAR2', 'NVARCHAR2', 'RAW') THEN 0 ELSE -1 END AS FixedLenght, data_default FROM all_tab_columns WHERE "
        "table_name IN ('Clientes', 'clientes', 'CLIENTES') AND  Owner = 'scott' ORDER BY column_name");
    rec_->answerRows(columns,
                     {"column_name", "data_type", "data_precision", "data_scale", "data_length", "nullable", "FixedLenght",
                      "data_default"},
                     Rows{{s("CODIGO"), s("NUMBER"), null, null, n(22), s("N"), n(-1), null},
                          {s("NOMBRE"), s("VARCHAR2"), null, null, n(50), s("Y"), n(0), s("'x'")},
                          {s("PRECIO"), s("NUMBER"), n(10), n(2), n(22), s("Y"), n(-1), null}});
    when(u"AC.CONSTRAINT_TYPE = 'P' AND AC.TABLE_NAME IN ('Clientes'"_s, {"COLUMN_NAME"}, Rows{{s("CODIGO")}});

    // The dictionary writes Y for a nullable column.
    EXPECT_EQ(show(Variant(table(u"Clientes"_s))), "{Name=Clientes Fields={"
              "CODIGO={Name=CODIGO Nullable=0 Type=4 Size=0 Precision=0 FixedLenght=1 DefaultValue=NULL AutoIncrease=0 AllowZeroLenght=1 ValidationText= ValidationRule=} "
              "NOMBRE={Name=NOMBRE Nullable=1 Type=8 Size=50 Precision=0 FixedLenght=0 DefaultValue='x' AutoIncrease=0 AllowZeroLenght=1 ValidationText= ValidationRule=} "
              "PRECIO={Name=PRECIO Nullable=1 Type=4 Size=0 Precision=10 FixedLenght=1 DefaultValue=NULL AutoIncrease=0 AllowZeroLenght=1 ValidationText= ValidationRule=}} Key={CODIGO}}");

    // A table without columns takes the error path: the notice, and no key statement after it.
    ScopedRecordingDialogs dialogs;
    rec_->clearLog();
    EXPECT_FALSE(table(u"Nada"_s));
    EXPECT_EQ(boxes(dialogs).value(0).section(u"\r\n"_s, 0, 0), "Error|16|CLSDO.TABLELIST");
    EXPECT_EQ(rec_->statements().size(), 1);
}

TEST_F(RecordedSchemaTest, SqlServerTableReadsDefaultsAndChecksOnceAndTheKey)
{
    sqlServer();
    db::TableInfo info;
    info.name = u"Pedidos"_s;
    info.type = u"TABLE"_s;
    auto column = [](const char* name, int type, int size, bool nullable, bool autoIncrement) {
        db::ColumnInfo c;
        c.name = QLatin1String(name);
        c.type = type;
        c.definedSize = size;
        c.attributes = nullable ? db::adColNullable : 0;
        c.properties = {{u"Autoincrement"_s, Variant(autoIncrement)}};
        return c;
    };
    info.columns = {column("Id", db::adInteger, 4, false, true), column("Nombre", db::adVarWChar, 50, true, false),
                     column("Codigo", db::adVarWChar, 10, false, false), column("Qty", db::adInteger, 4, true, false),
                     column("Ref", db::adWChar, 3, true, false)};
    rec_->setTables({info});
    when(u"sys.default_constraints"_s, {"ColumnName", "DefaultValue", "CheckConstraintDefinition"},
         Rows{{s("Id"), null, null}, {s("Nombre"), s("('abc')"), null}, {s("Codigo"), s("(N'abc')"), null},
              {s("Qty"), s("((0))"), s("([Qty]>(0))")}});
    rec_->answerRows(kSqlServerKey, {"Name"}, Rows{{s("Id")}});

    const Variant item(table(u"Pedidos"_s));
    EXPECT_EQ(rec_->statements().size(), 2);
    // A column without a row gets no default.
    EXPECT_EQ(show(item), "{Name=Pedidos Fields={"
              "Codigo={Name=Codigo Nullable=0 Type=8 Size=10 Precision=0 FixedLenght=0 AutoIncrease=0 AllowZeroLenght=0 ValidationText= DefaultValue=(N'abc ValidationRule=} "
              "Id={Name=Id Nullable=0 Type=3 Size=4 Precision=0 FixedLenght=1 AutoIncrease=1 AllowZeroLenght=0 ValidationText= DefaultValue= ValidationRule=} "
              "Nombre={Name=Nombre Nullable=1 Type=8 Size=50 Precision=0 FixedLenght=0 AutoIncrease=0 AllowZeroLenght=1 ValidationText= DefaultValue=abc ValidationRule=} "
              "Qty={Name=Qty Nullable=1 Type=3 Size=4 Precision=0 FixedLenght=1 AutoIncrease=0 AllowZeroLenght=0 ValidationText= DefaultValue=((0)) ValidationRule=[Qty]>(0)} "
              "Ref={Name=Ref Nullable=1 Type=8 Size=3 Precision=0 FixedLenght=1 AutoIncrease=0 AllowZeroLenght=1 ValidationText= DefaultValue= ValidationRule=}} Key={Id}}");

    // The same table through a data source with another driver has no key.
    rec_->clearLog();
    o_.setConnectionType(3);
    o_.setUsedDriver(1);
    const CollectionPtr viaDsn = table(u"Pedidos"_s);
    ASSERT_TRUE(viaDsn);
    EXPECT_FALSE(viaDsn->Exists(u"Key"_s));
    EXPECT_TRUE(rec_->statements().isEmpty());

    // A key in order, and a quote in a name stays inside its literal.
    rec_ = db::RecordingBackend::install();
    rec_->setTables({info});
    sqlServer();
    rec_->answerRows(kSqlServerKey, {"Name"}, Rows{{s("Serie")}, {s("Numero")}});
    QString t = u"Pedidos"_s;
    EXPECT_EQ(valuesOf(o_.TableKey(sv_, db_, us_, pw_, t)), (QStringList{"Serie", "Numero"}));
    info.name = t = u"O'Pedidos"_s;
    rec_->setTables({info});
    o_.TableKey(sv_, db_, us_, pw_, t);
    EXPECT_TRUE(rec_->statements().last().endsWith(u"o.name = 'O''Pedidos'"_s));
}

TEST_F(RecordedSchemaTest, StructureNamesTheTableAsTheDialectQuotesItAndMapsTypes)
{
    sqlServer();
    db::RecordingBackend::Answer a;
    auto field = [](const char* name, int type, int size, int attributes) {
        db::FieldInfo f;
        f.name = QLatin1String(name);
        f.type = type;
        f.definedSize = size;
        f.attributes = attributes;
        return f;
    };
    a.fields = {field("Nombre", db::adVarWChar, 50, db::adFldIsNullable | db::adFldUpdatable),
                field("Byte", db::adUnsignedTinyInt, 1, db::adFldMayBeNull),
                field("Dec", db::adDecimal, 19, db::adFldIsNullable),
                field("Bit", db::adBoolean, 2, 0)};
    rec_->answerRegex(u"^SELECT \\* FROM"_s, a);

    const auto orders = o_.EstructuraTabla(u"Ejercicio"_s, u"Orders"_s).as<Collection>();
    o_.EstructuraTabla(u"Ejercicio"_s, u"[dbo].[Orders]"_s);
    o_.EstructuraTabla(u"Ejercicio"_s, u"a]b"_s);
    o_.setConnectionType(3);
    o_.setUsedDriver(2);
    o_.EstructuraTabla(u"Ejercicio"_s, u"[Orders]"_s);
    EXPECT_EQ(rec_->statements(), (QStringList{"SELECT * FROM [Orders] WHERE 1 = 2", "SELECT * FROM [dbo].[Orders] WHERE 1 = 2",
                                               "SELECT * FROM [a]]b] WHERE 1 = 2", "SELECT * FROM Orders WHERE 1 = 2"}));

    ASSERT_TRUE(orders);
    // Only the nullable bit counts.
    EXPECT_EQ(show(Variant(orders)), "{Orders.Nombre=[Orders.Nombre|1|8|50] Orders.Byte=[Orders.Byte|0|2|1] Orders.Dec=[Orders.Dec|1|0|19] "
              "Orders.Bit=[Orders.Bit|0|11|2]}");
}

TEST_F(RecordedSchemaTest, CatalogViewsDescribedOnTheStoredConnection)
{
    sqlServer();
    rec_->setViews({{u"SYS"_s, u"SELECT a, b AS c FROM t"_s}, {u"MSysVista"_s, u"SELECT x FROM y"_s},
                    {u"Rota"_s, u"SELECT nada FROM falta"_s}});
    db::RecordingBackend::Answer columns;
    for (const char* name : {"a", "c", "a"}) {
        db::FieldInfo f;
        f.name = QLatin1String(name);
        columns.fields.push_back(f);
    }
    rec_->answer(u"SELECT a, b AS c FROM t"_s, columns);
    rec_->answerError(u"SELECT nada FROM falta"_s, db::errDatabase, u"no existe"_s);

    // A repeated column is listed once; a view that cannot be described has no columns.
    EXPECT_EQ(show(Variant(o_.ViewList(sv_, db_, us_, pw_))), "{SYS={Name=SYS SQLText=SELECT a, b AS c FROM t Fields={a=a c=c}} Rota={Name=Rota SQLText=SELECT nada FROM falta "
              "Fields={}}}");
    EXPECT_TRUE(rec_->statements().isEmpty()) << "no view is run for its rows";
}
