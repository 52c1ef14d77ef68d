// SQL Server and Oracle schema discovery on exact statement texts, answered
// by the recording backend.
#include "DataTestSupport.h"

#include "core/Error.h"

#include <gtest/gtest.h>

using namespace datatest;

namespace {

Variant n(int v) { return Variant(std::int32_t(v)); }
Variant s(const char* v) { return Variant(v); }
const Variant null = Variant::null();

class RecordedSchemaTest : public ::testing::Test {
protected:
    void SetUp() override { rec_ = db::RecordingBackend::install(); }
    void TearDown() override { db::RecordingBackend::uninstall(); }

    void oracle()
    {
        o_.setConnectionType(3);
        o_.setUsedDriver(2);
        o_.StartObject(QStringLiteral("ORA"), QStringLiteral("ORCL"), QStringLiteral("scott"), QStringLiteral("tiger"));
    }
    void sqlServer()
    {
        o_.setConnectionType(0);
        o_.StartObject(QStringLiteral("srv"), QStringLiteral("Ventas"), QStringLiteral("sa"), QStringLiteral("pw"));
    }

    std::shared_ptr<db::RecordingBackend> rec_;
    clsDO o_;
    QString sv_, db_, us_, pw_;
};

const QString kSqlServerKey =
    QStringLiteral("SELECT C.Name FROM sys.indexes AS I INNER JOIN sys.index_columns AS ic ON I.object_id = ic.object_id "
                   "AND I.index_id = ic.index_id INNER JOIN sys.columns AS c ON ic.object_id = c.object_id AND ic.column_id = "
                   "c.column_id INNER JOIN sys.objects AS o ON I.object_id = o.object_id WHERE I.is_primary_key = 1 AND "
                   "o.name = 'Pedidos'");

} // namespace

TEST_F(RecordedSchemaTest, OracleTableListing)
{
    oracle();
    const QString sql =
        QStringLiteral("SELECT DISTINCT TABLE_NAME FROM USER_TABLES WHERE TABLE_NAME NOT LIKE '%.%' ORDER BY 1");
    rec_->answerRows(sql, {"TABLE_NAME"}, Rows{{s("CLIENTES")}, {s("S")}});
    const CollectionPtr list = o_.TableList(sv_, db_, us_, pw_);
    ASSERT_TRUE(list);
    EXPECT_EQ(rec_->statements(), QStringList{sql});
    EXPECT_EQ(keysOf(list), (QStringList{"CLIENTES", "S"}));
    EXPECT_EQ(keysOf(sub(list, "S")), (QStringList{"Name", "Fields", "Key"}));
    EXPECT_EQ(us_, QStringLiteral("scott"));

    rec_ = db::RecordingBackend::install();
    rec_->answerRows(sql, {"TABLE_NAME"}, Rows{});
    EXPECT_EQ(o_.TableList(sv_, db_, us_, pw_)->Count(), 0);
}

TEST_F(RecordedSchemaTest, OracleTableWithFieldsAndKey)
{
    oracle();
    const QString columns = QStringLiteral(
        "SELECT column_name, data_type, data_precision, data_scale, data_length, nullable, CASE WHEN DATA_TYPE IN "
        "('VARCHAR2', 'NVARCHAR2', 'RAW') THEN 0 ELSE -1 END AS FixedLenght, data_default FROM all_tab_columns WHERE "
        "table_name IN ('Clientes', 'clientes', 'CLIENTES') AND  Owner = 'scott' ORDER BY column_name");
    const QString key = QStringLiteral(
        "SELECT DISTINCT ACC.COLUMN_NAME FROM ALL_CONS_COLUMNS ACC INNER JOIN ALL_CONSTRAINTS AC ON AC.CONSTRAINT_NAME = "
        "ACC.CONSTRAINT_NAME WHERE AC.CONSTRAINT_TYPE = 'P' AND AC.TABLE_NAME IN ('Clientes', 'clientes', 'CLIENTES')");
    rec_->answerRows(columns,
                     {"column_name", "data_type", "data_precision", "data_scale", "data_length", "nullable", "FixedLenght",
                      "data_default"},
                     Rows{{s("CODIGO"), s("NUMBER"), null, null, n(22), s("N"), n(-1), null},
                          {s("NOMBRE"), s("VARCHAR2"), null, null, n(50), s("Y"), n(0), s("'x'")},
                          {s("PRECIO"), s("NUMBER"), n(10), n(2), n(22), s("Y"), n(-1), null}});
    rec_->answerRows(key, {"COLUMN_NAME"}, Rows{{s("CODIGO")}});

    QString t = QStringLiteral("Clientes");
    const CollectionPtr item = o_.TableList(sv_, db_, us_, pw_, t);
    ASSERT_TRUE(item);
    EXPECT_EQ(rec_->statements(), (QStringList{columns, key}));
    EXPECT_EQ(at(item, "Name").toString(), QStringLiteral("Clientes"));
    EXPECT_EQ(valuesOf(sub(item, "Key")), QStringList{"CODIGO"});
    const CollectionPtr fields = sub(item, "Fields");
    EXPECT_EQ(keysOf(fields), (QStringList{"CODIGO", "NOMBRE", "PRECIO"}));

    // The dictionary writes Y for a nullable column.
    EXPECT_EQ(describe(sub(fields, "CODIGO")), "Name=CODIGO Nullable=0 Type=4 Size=0 Precision=0 FixedLenght=1 "
                                               "DefaultValue=NULL AutoIncrease=0 AllowZeroLenght=1 ValidationText= "
                                               "ValidationRule=");
    EXPECT_EQ(describe(sub(fields, "NOMBRE")), "Name=NOMBRE Nullable=1 Type=8 Size=50 Precision=0 FixedLenght=0 "
                                               "DefaultValue='x' AutoIncrease=0 AllowZeroLenght=1 ValidationText= "
                                               "ValidationRule=");
    EXPECT_EQ(at(sub(fields, "PRECIO"), "Precision").toLong(), 10);
}

TEST_F(RecordedSchemaTest, OracleTableWithoutColumnsTakesTheErrorPath)
{
    oracle();
    ScopedRecordingDialogs dialogs;
    rec_->answerRegex(QStringLiteral("^SELECT column_name"), db::RecordingBackend::Answer::table({"column_name"}, Rows{}));
    QString t = QStringLiteral("Nada");
    EXPECT_FALSE(o_.TableList(sv_, db_, us_, pw_, t));
    ASSERT_EQ(dialogs->calls.size(), 1u);
    EXPECT_TRUE(dialogs->calls[0].prompt.startsWith(QStringLiteral("CLSDO.TABLELIST\r\n")));
    EXPECT_EQ(rec_->statements().size(), 1) << "no key statement after the failure";
}

TEST_F(RecordedSchemaTest, OracleIndexesGroupedWithThePrimaryKeyAskedPerIndex)
{
    oracle();
    const QString sql = QStringLiteral(
        "SELECT DISTINCT ind.INDEX_NAME, col.COLUMN_NAME, ind.UNIQUENESS, col.COLUMN_POSITION FROM ALL_INDEXES ind JOIN "
        "ALL_IND_COLUMNS col ON ind.INDEX_NAME = col.INDEX_NAME WHERE ind.TABLE_NAME IN ('CLIENTES', 'clientes', "
        "'CLIENTES') ORDER BY ind.INDEX_NAME, col.COLUMN_POSITION");
    auto pk = [](const char* index) {
        return QStringLiteral("SELECT DISTINCT ac.CONSTRAINT_TYPE FROM ALL_CONSTRAINTS ac WHERE ac.TABLE_NAME = 'CLIENTES' "
                              "AND ac.INDEX_NAME = '%1' AND ac.CONSTRAINT_TYPE = 'P'")
            .arg(QLatin1String(index));
    };
    rec_->answerRows(sql, {"INDEX_NAME", "COLUMN_NAME", "UNIQUENESS", "COLUMN_POSITION"},
                     Rows{{s("IX_N"), s("NOMBRE"), s("NONUNIQUE"), n(1)},
                          {s("IX_N"), s("CIUDAD"), s("NONUNIQUE"), n(2)},
                          {s("PK_C"), s("CODIGO"), s("UNIQUE"), n(1)}});
    rec_->answerRows(pk("PK_C"), {"CONSTRAINT_TYPE"}, Rows{{s("P")}});
    rec_->answerRows(pk("IX_N"), {"CONSTRAINT_TYPE"}, Rows{});

    QString t = QStringLiteral("CLIENTES");
    const CollectionPtr indexes = o_.TableIndexes(sv_, db_, us_, pw_, t);
    ASSERT_TRUE(indexes);
    EXPECT_EQ(rec_->statements(), (QStringList{sql, pk("IX_N"), pk("PK_C")}));
    EXPECT_EQ(keysOf(indexes), (QStringList{"IX_N", "PK_C"}));
    const CollectionPtr ix = sub(indexes, "IX_N");
    EXPECT_EQ(keysOf(ix), (QStringList{"IndexName", "IsPrimaryKey", "IsUnique", "IsNullable", "IndexFields"}));
    EXPECT_FALSE(at(ix, "IsPrimaryKey").toBool());
    EXPECT_FALSE(at(ix, "IsUnique").toBool());
    EXPECT_TRUE(at(ix, "IsNullable").toBool());
    EXPECT_EQ(keysOf(sub(ix, "IndexFields")), (QStringList{"NOMBRE", "CIUDAD"}));
    EXPECT_TRUE(at(sub(indexes, "PK_C"), "IsPrimaryKey").toBool());
    EXPECT_TRUE(at(sub(indexes, "PK_C"), "IsUnique").toBool());
}

TEST_F(RecordedSchemaTest, SqlServerIndexesInKeyOrder)
{
    sqlServer();
    const QString& sql = kSqlServerIndexes;
    rec_->answerRows(sql, kSqlServerIndexColumns,
                     Rows{{s("IX_Fecha"), s("Total"), Variant(false), Variant(false), n(0)},
                          {s("IX_Fecha"), s("Fecha"), Variant(false), Variant(false), n(1)},
                          {s("PK_Pedidos"), s("Id"), Variant(true), Variant(true), n(1)}});
    QString t = QStringLiteral("Pedidos");
    const CollectionPtr indexes = o_.TableIndexes(sv_, db_, us_, pw_, t);
    ASSERT_TRUE(indexes);
    EXPECT_EQ(rec_->statements(), QStringList{sql});
    EXPECT_EQ(keysOf(sub(sub(indexes, "IX_Fecha"), "IndexFields")), (QStringList{"Total", "Fecha"}));
    EXPECT_FALSE(at(sub(indexes, "IX_Fecha"), "IsUnique").toBool());
    EXPECT_TRUE(at(sub(indexes, "PK_Pedidos"), "IsPrimaryKey").toBool());

    rec_ = db::RecordingBackend::install();
    rec_->answerRows(sql, kSqlServerIndexColumns, Rows{});
    EXPECT_EQ(o_.TableIndexes(sv_, db_, us_, pw_, t)->Count(), 0);
}

TEST_F(RecordedSchemaTest, SqlServerTableReadsDefaultsAndChecksOnceAndTheKey)
{
    sqlServer();
    db::TableInfo table;
    table.name = QStringLiteral("Pedidos");
    table.type = QStringLiteral("TABLE");
    auto column = [](const char* name, int type, int size, bool nullable, bool autoIncrement) {
        db::ColumnInfo c;
        c.name = QLatin1String(name);
        c.type = type;
        c.definedSize = size;
        c.attributes = nullable ? db::adColNullable : 0;
        c.properties = {{QStringLiteral("Autoincrement"), Variant(autoIncrement)}};
        return c;
    };
    table.columns = {column("Id", db::adInteger, 4, false, true), column("Nombre", db::adVarWChar, 50, true, false),
                     column("Codigo", db::adVarWChar, 10, false, false), column("Qty", db::adInteger, 4, true, false),
                     column("Ref", db::adWChar, 3, true, false)};
    rec_->setTables({table});
    const QString defaults = QStringLiteral(
        "SELECT c.name AS ColumnName, dc.definition AS DefaultValue, cc.definition AS CheckConstraintDefinition FROM "
        "sys.tables t INNER JOIN sys.columns c ON t.object_id = c.object_id LEFT JOIN sys.default_constraints dc ON "
        "c.default_object_id = dc.object_id LEFT JOIN sys.check_constraints cc ON c.object_id = cc.parent_object_id AND "
        "c.column_id = cc.parent_column_id WHERE t.name = 'Pedidos'");
    rec_->answerRows(defaults, {"ColumnName", "DefaultValue", "CheckConstraintDefinition"},
                     Rows{{s("Id"), null, null},
                          {s("Nombre"), s("('abc')"), null},
                          {s("Codigo"), s("(N'abc')"), null},
                          {s("Qty"), s("((0))"), s("([Qty]>(0))")}});
    rec_->answerRows(kSqlServerKey, {"Name"}, Rows{{s("Id")}});

    QString t = QStringLiteral("Pedidos");
    const CollectionPtr item = o_.TableList(sv_, db_, us_, pw_, t);
    ASSERT_TRUE(item);
    EXPECT_EQ(rec_->statements(), (QStringList{defaults, kSqlServerKey}));
    EXPECT_EQ(valuesOf(sub(item, "Key")), QStringList{"Id"});
    const CollectionPtr fields = sub(item, "Fields");
    EXPECT_EQ(keysOf(fields), (QStringList{"Codigo", "Id", "Nombre", "Qty", "Ref"}));

    // A column without a row gets no default.
    const std::pair<const char*, const char*> expected[] = {
        {"Nombre", "Name=Nombre Nullable=1 Type=8 Size=50 Precision=0 FixedLenght=0 AutoIncrease=0 AllowZeroLenght=1 "
                   "ValidationText= DefaultValue=abc ValidationRule="},
        {"Codigo", "Name=Codigo Nullable=0 Type=8 Size=10 Precision=0 FixedLenght=0 AutoIncrease=0 AllowZeroLenght=0 "
                   "ValidationText= DefaultValue=(N'abc ValidationRule="},
        {"Qty", "Name=Qty Nullable=1 Type=3 Size=4 Precision=0 FixedLenght=1 AutoIncrease=0 AllowZeroLenght=0 "
                "ValidationText= DefaultValue=((0)) ValidationRule=[Qty]>(0)"},
        {"Id", "Name=Id Nullable=0 Type=3 Size=4 Precision=0 FixedLenght=1 AutoIncrease=1 AllowZeroLenght=0 "
               "ValidationText= DefaultValue= ValidationRule="},
        {"Ref", "Name=Ref Nullable=1 Type=8 Size=3 Precision=0 FixedLenght=1 AutoIncrease=0 AllowZeroLenght=1 "
                "ValidationText= DefaultValue= ValidationRule="},
    };
    for (auto [name, attributes] : expected)
        EXPECT_EQ(describe(sub(fields, QLatin1String(name))), QLatin1String(attributes));

    // The same table through a data source with another driver has no key.
    rec_->clearLog();
    o_.setConnectionType(3);
    o_.setUsedDriver(1);
    const CollectionPtr viaDsn = o_.TableList(sv_, db_, us_, pw_, t);
    ASSERT_TRUE(viaDsn);
    EXPECT_FALSE(viaDsn->Exists(QStringLiteral("Key")));
    EXPECT_TRUE(rec_->statements().isEmpty());
}

TEST_F(RecordedSchemaTest, SqlServerKeyAndOracleKeyStatements)
{
    sqlServer();
    db::TableInfo table;
    table.name = QStringLiteral("Pedidos");
    table.type = QStringLiteral("TABLE");
    rec_->setTables({table});
    rec_->answerRows(kSqlServerKey, {"Name"}, Rows{{s("Serie")}, {s("Numero")}});
    QString t = QStringLiteral("Pedidos");
    EXPECT_EQ(valuesOf(o_.TableKey(sv_, db_, us_, pw_, t)), (QStringList{"Serie", "Numero"}));
    EXPECT_EQ(rec_->statements(), QStringList{kSqlServerKey});

    // A quote in a name stays inside its literal.
    rec_->clearLog();
    QString quoted = QStringLiteral("O'Pedidos");
    table.name = quoted;
    rec_->setTables({table});
    o_.TableKey(sv_, db_, us_, pw_, quoted);
    ASSERT_EQ(rec_->statements().size(), 1);
    EXPECT_TRUE(rec_->statements()[0].endsWith(QStringLiteral("o.name = 'O''Pedidos'")));
}

TEST_F(RecordedSchemaTest, OracleViews)
{
    oracle();
    const QString views =
        QStringLiteral("SELECT VIEW_NAME, TEXT FROM USER_VIEWS WHERE VIEW_NAME NOT LIKE '%.%' ORDER BY 1");
    const QString columns = QStringLiteral("SELECT COLUMN_NAME FROM ALL_TAB_COLUMNS WHERE TABLE_NAME IN('V_TOT', 'v_tot', "
                                           "'V_TOT') AND  OWNER = 'scott'");
    rec_->answerRows(views, {"VIEW_NAME", "TEXT"}, Rows{{s("V_TOT"), s("select a, b from t")}});
    rec_->answerRows(columns, {"COLUMN_NAME"}, Rows{{s("A")}, {s("B")}});
    const CollectionPtr list = o_.ViewList(sv_, db_, us_, pw_);
    ASSERT_TRUE(list);
    EXPECT_EQ(rec_->statements(), (QStringList{views, columns}));
    const CollectionPtr v = sub(list, "V_TOT");
    EXPECT_EQ(keysOf(v), (QStringList{"Name", "SQLText", "Fields"}));
    EXPECT_EQ(at(v, "SQLText").toString(), QStringLiteral("select a, b from t"));
    EXPECT_EQ(keysOf(sub(v, "Fields")), (QStringList{"A", "B"}));

    rec_ = db::RecordingBackend::install();
    rec_->answerRows(views, {"VIEW_NAME", "TEXT"}, Rows{});
    EXPECT_EQ(o_.ViewList(sv_, db_, us_, pw_)->Count(), 0);
}

TEST_F(RecordedSchemaTest, StructureStatementsAndTypeMapping)
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
    rec_->answerRegex(QStringLiteral("^SELECT \\* FROM"), a);

    const auto orders = o_.EstructuraTabla(QStringLiteral("Ejercicio"), QStringLiteral("Orders")).as<Collection>();
    o_.EstructuraTabla(QStringLiteral("Ejercicio"), QStringLiteral("[dbo].[Orders]"));
    o_.EstructuraTabla(QStringLiteral("Ejercicio"), QStringLiteral("a]b"));
    o_.setConnectionType(3);
    o_.setUsedDriver(2);
    o_.EstructuraTabla(QStringLiteral("Ejercicio"), QStringLiteral("[Orders]"));
    EXPECT_EQ(rec_->statements(), (QStringList{"SELECT * FROM [Orders] WHERE 1 = 2", "SELECT * FROM [dbo].[Orders] WHERE 1 = 2",
                                               "SELECT * FROM [a]]b] WHERE 1 = 2", "SELECT * FROM Orders WHERE 1 = 2"}));

    ASSERT_TRUE(orders);
    EXPECT_EQ(keysOf(orders), (QStringList{"Orders.Nombre", "Orders.Byte", "Orders.Dec", "Orders.Bit"}));
    auto entry = [&](const char* key) { return orders->Item(Variant(QLatin1String(key))).array(); };
    EXPECT_TRUE(entry("Orders.Nombre")->at(1).toBool());
    EXPECT_EQ(entry("Orders.Nombre")->at(2).toInt(), 8);
    EXPECT_EQ(entry("Orders.Nombre")->at(3).toLong(), 50);
    EXPECT_FALSE(entry("Orders.Byte")->at(1).toBool()) << "only the nullable bit counts";
    EXPECT_EQ(entry("Orders.Byte")->at(2).toInt(), 2);
    EXPECT_EQ(entry("Orders.Dec")->at(2).toInt(), 0);
    EXPECT_EQ(entry("Orders.Bit")->at(2).toInt(), 11);
}

TEST_F(RecordedSchemaTest, CatalogViewsDescribedOnTheStoredConnection)
{
    sqlServer();
    rec_->setViews({{QStringLiteral("SYS"), QStringLiteral("SELECT a, b AS c FROM t")},
                    {QStringLiteral("MSysVista"), QStringLiteral("SELECT x FROM y")},
                    {QStringLiteral("Rota"), QStringLiteral("SELECT nada FROM falta")}});
    db::RecordingBackend::Answer columns;
    for (const char* name : {"a", "c", "a"}) {
        db::FieldInfo f;
        f.name = QLatin1String(name);
        columns.fields.push_back(f);
    }
    rec_->answer(QStringLiteral("SELECT a, b AS c FROM t"), columns);
    rec_->answerError(QStringLiteral("SELECT nada FROM falta"), db::errDatabase, QStringLiteral("no existe"));

    const CollectionPtr views = o_.ViewList(sv_, db_, us_, pw_);
    ASSERT_TRUE(views);
    EXPECT_EQ(keysOf(views), (QStringList{"SYS", "Rota"}));
    EXPECT_EQ(keysOf(sub(sub(views, "SYS"), "Fields")), (QStringList{"a", "c"})) << "a repeated column is listed once";
    EXPECT_EQ(sub(sub(views, "Rota"), "Fields")->Count(), 0) << "a view that cannot be described has no columns";
    EXPECT_EQ(at(sub(views, "SYS"), "SQLText").toString(), QStringLiteral("SELECT a, b AS c FROM t"));
    EXPECT_EQ(rec_->described(), (QStringList{"SELECT a, b AS c FROM t", "SELECT nada FROM falta"}));
    EXPECT_TRUE(rec_->statements().isEmpty()) << "no view is run for its rows";
}
