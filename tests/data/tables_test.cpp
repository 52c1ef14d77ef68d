// Table creation and rebuild, index creation and removal: exact statements per
// dialect, and rows kept on the local engine whatever step fails.
#include "DataTestSupport.h"

#include "data/clsField.h"
#include "platform/db/sqlite/SqliteBackend.h"

#include <QRegularExpression>

using namespace datatest;

namespace {

const QString kAttributes =
    u"No se pudieron agregar los atributos de longitud cero, valor por defecto, regla y texto de validación."_s;

struct ColumnDef {
    const char* name;
    int type;
    int length = 0;
    bool allowNull = true;
    bool fixed = false;
    bool autoIncrease = false;
    bool key = false;
    const char* defaultValue = "";
    const char* rule = "";
    bool newAllowZero = true;
    const char* validationText = "";
};

CollectionPtr fields(const QString& table, const std::vector<ColumnDef>& columns)
{
    auto c = newCollection();
    for (const ColumnDef& s : columns) {
        auto f = std::make_shared<clsField>();
        f->setFieldName(QLatin1String(s.name));
        f->setDataType(std::int16_t(s.type));
        f->setLenght(s.length);
        f->setAllowNull(s.allowNull);
        f->setAllowZeroLenght(true);
        f->setFixedLenght(s.fixed);
        f->setAutoIncrease(s.autoIncrease);
        f->setIsKey(s.key);
        f->setDefaultValue(QString::fromUtf8(s.defaultValue));
        f->setValidationRule(QString::fromUtf8(s.rule));
        if (!s.newAllowZero)
            f->setNewAllowZeroLenght(false);
        f->setValidationText(QString::fromUtf8(s.validationText));
        f->setKeyCode(table + QLatin1Char('.') + QLatin1String(s.name));
        c->Add(Variant(f), f->KeyCode());
    }
    return c;
}

clsFieldPtr fieldOf(const CollectionPtr& c, const QString& key) { return c->Item(Variant(key)).as<clsField>(); }

} // namespace

// ---- statements through the recording backend -----------------------------

class TableStatementsTest : public ::testing::Test {
protected:
    std::shared_ptr<db::RecordingBackend> rec_ = db::RecordingBackend::install(); // gone with the last reference
    clsDO o_;
};

// Each creation: the statements sent and the answer; a failing step (empty: none) is
// reported, a failing attribute while the other columns still get theirs.
TEST_F(TableStatementsTest, CreateTableStatementsAndFailures)
{
    o_.StartObject(u"srv"_s, u"Ventas"_s, u"sa"_s, u"pw"_s);
    const auto two = {ColumnDef{"A", 5, 0, true, false, false, false, "1"}, ColumnDef{"B", 5, 0, true, false, false, false, "2"}};
    const struct {
        QString table;
        std::vector<ColumnDef> columns;
        QString failing, answer;
        QStringList statements;
    } cases[] = {
        {u"Pedidos"_s, {{"Id", 3, 0, false, false, false, true, "0"},
                        {"Nombre", 8, 50, true, false, false, false, "O'B", "Nombre <> 'x'", false, "nunca escrito"}}, {}, {},
         {"CREATE TABLE [Pedidos] ([Id] INT NOT NULL, [Nombre] NVARCHAR(50), CONSTRAINT PK_Pedidos PRIMARY KEY ([Id]))",
          "ALTER TABLE [Pedidos] \r\nADD CONSTRAINT DF_Id DEFAULT 0 FOR [Id]",
          "ALTER TABLE [Pedidos] \r\nALTER COLUMN [Nombre] NVARCHAR(50) NOT NULL",
          "ALTER TABLE [Pedidos] \r\nADD CONSTRAINT DF_Nombre DEFAULT 'O''B' FOR [Nombre]",
          "ALTER TABLE [Pedidos] \r\nADD CONSTRAINT CHK_Nombre CHECK (Nombre <> 'x')"}},
        {u"T"_s, two, u"DF_A "_s, kAttributes, {}},
        {u"T"_s, two, u"^CREATE"_s, u"No se pudo crear la tabla T."_s, {}},
        // Names that are not plain identifiers keep their constraints valid.
        {u"Mis Datos"_s, {{"Fecha Alta", 7, 0, false, false, false, true, "01/02/2024", "[Fecha Alta] > 0"}}, {}, {},
         {"CREATE TABLE [Mis Datos] ([Fecha Alta] DATETIME NOT NULL, CONSTRAINT [PK_Mis Datos] PRIMARY KEY ([Fecha Alta]))",
          "ALTER TABLE [Mis Datos] \r\nADD CONSTRAINT [DF_Fecha Alta] DEFAULT CONVERT(smalldatetime,'01/02/2024',103) FOR [Fecha Alta]",
          "ALTER TABLE [Mis Datos] \r\nADD CONSTRAINT [CHK_Fecha Alta] CHECK ([Fecha Alta] > 0)"}},
    };
    for (const auto& c : cases) {
        rec_ = db::RecordingBackend::install();
        if (!c.failing.isEmpty())
            rec_->answerRegex(c.failing, db::RecordingBackend::Answer::failure(db::errDatabase, u"no"_s));
        EXPECT_EQ(o_.CreateTable(c.table, fields(c.table, c.columns)), c.answer) << c.table.toStdString();
        EXPECT_EQ(c.statements.isEmpty() ? c.statements : rec_->statements(), c.statements);
    }
}

TEST_F(TableStatementsTest, ColumnClausesPerConnectionType)
{
    auto cols = fields(u"T"_s, {{"a", 11, 0, false}, {"b", 2, 0, false}, {"c", 17}, {"d", 3, 0, false, false, true}, {"e", 3},
                                {"f", 8, 4000}, {"g", 8, 4001, true, true}, {"h", 8, 255, false, true}, {"i", 8, 256, true, true},
                                {"j", 6}, {"k", 7}, {"l", 5}, {"m", 4}, {"n", 12}, {"o]p", 0, 0, false}});
    // Only the server's text is pinned; the local file kinds are run on the engine elsewhere.
    const QString expected =
        "CREATE TABLE [T] ([a] BIT, [b] SMALLINT NOT NULL, [c] TINYINT, [d] INT IDENTITY(1,1), [e] INT, [f] NVARCHAR(4000), "
        "[g] NVARCHAR(MAX), [h] CHAR(255) NOT NULL, [i] CHAR(256), [j] MONEY, [k] DATETIME, [l] FLOAT, [m] REAL, "
        "[n] SQL_VARIANT, [o]]p] )";
    for (int type = 0; type <= 3; ++type) {
        SCOPED_TRACE(type);
        rec_ = db::RecordingBackend::install();
        o_.setConnectionType(std::int16_t(type));
        o_.StartObject(u"srv"_s, u"x.mdb"_s, QString(), QString());
        const QString result = o_.CreateTable(u"T"_s, cols);
        ASSERT_FALSE(rec_->statements().isEmpty());
        if (type == 0) {
            EXPECT_EQ(rec_->statements().first(), expected);
        } else { // local files take no attribute statements; a data source reports it cannot
            EXPECT_EQ(result, type == 3 ? kAttributes : QString());
            EXPECT_EQ(rec_->statements().size(), 1);
        }
    }
    // The local file's own dialect runs on the engine: the table exists and takes a row.
    rec_.reset();
    LocalDb file;
    db::createLocalDatabase(file.path);
    file.point(o_);
    EXPECT_EQ(o_.CreateTable(u"T"_s, cols), QString());
    file.exec({u"INSERT INTO [T] ([b], [h]) VALUES (1, 'x')"_s});
    EXPECT_EQ(file.rows(u"SELECT [b], [h], [e] FROM [T]"_s), QStringList{u"1|x|NULL"_s});
}

TEST_F(TableStatementsTest, SqlServerRebuildStatementsInOrder)
{
    o_.StartObject(u"srv"_s, u"Ventas"_s, u"sa"_s, u"pw"_s);
    db::TableInfo table;
    table.name = u"Pedidos"_s;
    table.type = u"TABLE"_s;
    for (const char* c : {"Id", "Nombre", "Precio", "Viejo"}) {
        db::ColumnInfo col;
        col.name = QLatin1String(c);
        col.type = db::adInteger;
        table.columns.push_back(col);
    }
    rec_->setTables({table});
    rec_->answerRegex(u"^SELECT COUNT"_s, db::RecordingBackend::Answer::table({"Recuento"}, Rows{{Variant(std::int32_t(3))}}));
    rec_->answerRegex(u"^SELECT (c|C)\\.(n|N)ame"_s, db::RecordingBackend::Answer::table({"Name"}, Rows{}));

    auto cols = fields(u"Pedidos"_s, {{"Id", 3, 0, false, false, true, true}, {"Nombre", 8, 50}, {"Precio", 5}, {"Alta", 7, 0, false},
                                      {"Notas", 8, 100}, {"Cant", 3, 0, false, false, false, false, "1"}});
    fieldOf(cols, "Pedidos.Nombre")->setNewAllowNull(false);
    fieldOf(cols, "Pedidos.Nombre")->setNewFieldName(u"Cliente"_s);
    fieldOf(cols, "Pedidos.Notas")->setNewAllowZeroLenght(true);

    EXPECT_EQ(o_.ModifyTable(u"Pedidos"_s, u"Pedidos"_s, cols), QString());
    // Without the look-ups of defaults and keys.
    EXPECT_EQ(rec_->statements().filter(QRegularExpression(u"^(?!SELECT (c|C)\\.(n|N)ame)"_s)), (QStringList{
                       "SELECT COUNT(*) AS Recuento FROM [Pedidos]",
                       "SELECT * INTO [Pedidos_OLD] FROM [Pedidos]",
                       "DROP TABLE [Pedidos]",
                       "CREATE TABLE [Pedidos] ([Id] INT IDENTITY(1,1), [Cliente] NVARCHAR(50) NOT NULL, [Precio] FLOAT, "
                       "[Alta] DATETIME NOT NULL, [Notas] NVARCHAR(100), [Cant] INT NOT NULL, CONSTRAINT PK_Pedidos PRIMARY KEY ([Id]))",
                       "SET IDENTITY_INSERT [Pedidos] ON;\r\nINSERT INTO [Pedidos] ([Id], [Cliente], [Precio], [Alta], [Notas], [Cant]) "
                       "SELECT [Id], ISNULL([Nombre], ''), [Precio], CONVERT(smalldatetime,'01/01/1900',103) AS [Alta], NULL AS [Notas], "
                       "1 AS [Cant] "
                       "FROM [Pedidos_OLD];\r\nSET IDENTITY_INSERT [Pedidos] OFF",
                       "DROP TABLE [Pedidos_OLD]",
                       "ALTER TABLE [Pedidos] \r\nALTER COLUMN [Cliente] NVARCHAR(50)",
                       "ALTER TABLE [Pedidos] \r\nALTER COLUMN [Notas] NVARCHAR(100)",
                       "ALTER TABLE [Pedidos] \r\nADD CONSTRAINT DF_Cant DEFAULT 1 FOR [Cant]",
                   }));

    // The first attribute that fails stops the others; structure and rows stay.
    rec_->clearLog();
    rec_->answerRegex(u"ALTER COLUMN \\[Cliente\\]"_s, db::RecordingBackend::Answer::failure(db::errDatabase, u"no"_s));
    EXPECT_EQ(o_.ModifyTable(u"Pedidos"_s, u"Pedidos"_s, cols), kAttributes);
    EXPECT_FALSE(rec_->statements().join(QLatin1Char('\n')).contains(u"[Notas] NVARCHAR(100)\n"_s));
    EXPECT_TRUE(rec_->statements().contains(u"DROP TABLE [Pedidos_OLD]"_s));
}

TEST_F(TableStatementsTest, IndexStatementsPerDialect)
{
    o_.StartObject(u"srv"_s, u"Ventas"_s, u"sa"_s, u"pw"_s);
    const QString& list = kSqlServerIndexes;
    const QStringList& names = kSqlServerIndexColumns;
    rec_->answerRows(list, names, Rows{});

    EXPECT_TRUE(o_.AddNewIndex(u"Pedidos"_s, u"IX_A"_s, false, true, false, u"a#b"_s));
    EXPECT_TRUE(o_.AddNewIndex(u"Pedidos"_s, u"IX_B"_s, false, false, true, u"a"_s));
    EXPECT_TRUE(o_.AddNewIndex(u"Pedidos"_s, u"Cualquiera"_s, true, false, false, u"a#b"_s));
    EXPECT_EQ(rec_->statements(), (QStringList{list, "CREATE UNIQUE INDEX IX_A \r\nON [Pedidos] (a, b)", list,
                                               "CREATE  INDEX IX_B \r\nON [Pedidos] (a)", list,
                                               "ALTER TABLE [Pedidos] \r\nADD CONSTRAINT PK_Pedidos PRIMARY KEY (a, b)"}));

    // Removing an index the table does not have sends nothing and says false.
    rec_->clearLog();
    EXPECT_FALSE(o_.RemoveIndex(u"Pedidos"_s, u"IX_A"_s, false).toBool());
    EXPECT_EQ(rec_->statements(), QStringList{list});

    // An index that exists is dropped first, with the new request's key flag.
    rec_ = db::RecordingBackend::install();
    rec_->answerRows(list, names, Rows{{Variant("IX_A"), Variant("a"), Variant(false), Variant(true), Variant(std::int32_t(1))}});
    EXPECT_TRUE(o_.AddNewIndex(u"Pedidos"_s, u"IX_A"_s, false, false, false, u"c"_s));
    EXPECT_EQ(rec_->statements(), (QStringList{list, list, "DROP INDEX IX_A ON [Pedidos]", "CREATE  INDEX IX_A \r\nON [Pedidos] (c)"}));
    rec_->clearLog();
    EXPECT_TRUE(o_.RemoveIndex(u"Pedidos"_s, u"IX_A"_s, true).toBool());
    EXPECT_EQ(rec_->statements().last(), u"ALTER TABLE [Pedidos] \r\nDROP CONSTRAINT IX_A"_s);

    // A drop that fails leaves the old index, creates nothing and lets the engine's reason through.
    rec_->clearLog();
    rec_->answerError(u"DROP INDEX IX_A ON [Pedidos]"_s, db::errDatabase, u"en uso"_s);
    EXPECT_TRUE(raised([&] { o_.AddNewIndex(u"Pedidos"_s, u"IX_A"_s, false, false, false, u"c"_s); }).contains(u"en uso"_s));
    EXPECT_EQ(rec_->statements().last(), u"DROP INDEX IX_A ON [Pedidos]"_s);

    // Oracle: no brackets, the key dropped without a name.
    rec_ = db::RecordingBackend::install();
    o_.setConnectionType(3);
    o_.setUsedDriver(2);
    rec_->answerRegex(u"^SELECT DISTINCT ind"_s,
                      db::RecordingBackend::Answer::table({"INDEX_NAME", "COLUMN_NAME", "UNIQUENESS", "COLUMN_POSITION"},
                                                          Rows{{Variant("IX_A"), Variant("A"), Variant("NONUNIQUE"), Variant(std::int32_t(1))}}));
    rec_->answerRegex(u"^SELECT DISTINCT ac"_s, db::RecordingBackend::Answer::table({"CONSTRAINT_TYPE"}, Rows{}));
    EXPECT_TRUE(o_.AddNewIndex(u"Pedidos"_s, u"IX_N"_s, false, true, false, u"a#b"_s));
    EXPECT_TRUE(o_.AddNewIndex(u"Pedidos"_s, u"X"_s, true, false, false, u"a"_s));
    EXPECT_TRUE(o_.RemoveIndex(u"Pedidos"_s, u"IX_A"_s, false).toBool());
    EXPECT_TRUE(o_.RemoveIndex(u"Pedidos"_s, u"IX_A"_s, true).toBool());
    EXPECT_EQ(rec_->statements().filter(QRegularExpression(u"^(?!SELECT)"_s)), (QStringList{"CREATE UNIQUE INDEX IX_N \r\nON Pedidos (a, b)",
                                "ALTER TABLE Pedidos \r\nADD CONSTRAINT PK_Pedidos PRIMARY KEY (a)", "DROP INDEX IX_A",
                                "ALTER TABLE Pedidos \r\nDROP PRIMARY KEY"}));
}
