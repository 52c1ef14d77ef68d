#include "BackendSuite.h"

#include <sqlite3.h>

void BackendSuite::SetUp()
{
    ASSERT_TRUE(dir_.isValid());
    file_ = dir_.filePath(QStringLiteral("suite.db"));
}

void prepareSqliteFile(const QString& file, const QStringList& statements)
{
    sqlite3* h = nullptr;
    ASSERT_EQ(sqlite3_open(file.toUtf8().constData(), &h), SQLITE_OK);
    for (const QString& s : statements) {
        char* err = nullptr;
        int rc = sqlite3_exec(h, s.toUtf8().constData(), nullptr, nullptr, &err);
        EXPECT_EQ(rc, SQLITE_OK) << s.toStdString() << ": " << (err ? err : "");
        sqlite3_free(err);
    }
    sqlite3_close(h);
}

db::ConnectionPtr BackendSuite::open()
{
    auto cn = std::make_shared<db::Connection>();
    cn->Open(GetParam().connectionString(file_));
    return cn;
}

// ---- shared behaviour ---------------------------------------------------------

namespace {

// The type families the program tells apart (text, whole numbers, ...): each backend
// reports its own exact DataType, but a column never changes family.
enum class Family { Text, Whole, Real, Money, Date, Boolean, Binary, Other };

Family familyOf(int type)
{
    switch (type) {
    case db::adChar: case db::adWChar: case db::adVarChar: case db::adVarWChar: case db::adLongVarChar: case db::adLongVarWChar:
        return Family::Text;
    case db::adTinyInt: case db::adUnsignedTinyInt: case db::adSmallInt: case db::adInteger: case db::adBigInt:
        return Family::Whole;
    case db::adSingle: case db::adDouble: case db::adNumeric: case db::adDecimal:
        return Family::Real;
    case db::adCurrency:
        return Family::Money;
    case db::adDate: case db::adDBDate: case db::adDBTimeStamp:
        return Family::Date;
    case db::adBoolean:
        return Family::Boolean;
    case db::adBinary: case db::adVarBinary: case db::adLongVarBinary:
        return Family::Binary;
    default:
        return Family::Other;
    }
}

QStringList sampleTable()
{
    return {
        "CREATE TABLE Items (Id INTEGER NOT NULL PRIMARY KEY, Name VARCHAR(40) NOT NULL, Note TEXT, Qty INTEGER, "
        "Price DOUBLE, Born DATE, Photo BLOB)",
        "INSERT INTO Items VALUES (1, 'Uno', 'primero', 10, 1.5, '2024-12-25', NULL)",
        "INSERT INTO Items VALUES (2, 'Dos', NULL, 20, 2.25, NULL, NULL)",
        "INSERT INTO Items VALUES (3, 'Tres', 'tercero', NULL, NULL, '2023-01-02', NULL)",
    };
}

} // namespace

TEST_P(BackendSuite, FieldsReportFamilyNullabilityAndBaseColumn)
{
    prepareFile(sampleTable());
    auto cn = open();
    db::Recordset rs;
    rs.Open("SELECT Id, Name, Note, Qty, Price, Born, Photo FROM Items WHERE 1 = 2", cn, db::adOpenStatic, db::adLockReadOnly);
    ASSERT_EQ(rs.FieldCount(), 7);
    EXPECT_EQ(rs.RecordCount(), 0);
    EXPECT_TRUE(rs.Eof());
    const Family expected[] = {Family::Whole, Family::Text, Family::Text, Family::Whole, Family::Real, Family::Date, Family::Binary};
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(familyOf(rs.Fields(i).Type()), expected[i]) << rs.Fields(i).Name().toStdString();
    // NOT NULL columns (and the key) refuse nulls; the others accept them.
    EXPECT_FALSE(rs.Fields("Id").Attributes() & db::adFldIsNullable);
    EXPECT_FALSE(rs.Fields("Name").Attributes() & db::adFldIsNullable);
    EXPECT_TRUE(rs.Fields("Note").Attributes() & db::adFldIsNullable);
    EXPECT_TRUE(rs.Fields("Qty").Attributes() & db::adFldIsNullable);
    EXPECT_EQ(rs.Fields("Name").DefinedSize(), 40);
    EXPECT_EQ(rs.Fields("Qty").BaseTableName(), "Items");
    EXPECT_EQ(rs.Fields("Qty").BaseColumnName(), "Qty");
}

TEST_P(BackendSuite, RecordsetIsStaticAndOutlivesItsConnection)
{
    prepareFile(sampleTable());
    auto cn = open();
    auto rs = std::make_shared<db::Recordset>();
    rs->Open("SELECT Id, Name, Note, Qty, Price FROM Items ORDER BY Id", cn, db::adOpenDynamic, db::adLockOptimistic);
    rs->setActiveConnection(nullptr);
    cn->Close();
    ASSERT_EQ(rs->RecordCount(), 3);
    EXPECT_EQ(rs->value("Name").toString(), "Uno");
    EXPECT_EQ(rs->value("Qty").toLong(), 10);
    EXPECT_DOUBLE_EQ(rs->value("Price").toDouble(), 1.5);
    rs->MoveNext();
    EXPECT_TRUE(rs->value("Note").isNull());
    EXPECT_EQ(rs->AbsolutePosition(), 2);
    rs->MoveNext();
    rs->MoveNext();
    EXPECT_TRUE(rs->Eof());
    EXPECT_THROW(rs->MoveNext(), Error);
    EXPECT_THROW(rs->value(0), Error);
    rs->MoveFirst();
    EXPECT_EQ(rs->value(0).toLong(), 1);
    rs->setAbsolutePosition(3);
    EXPECT_EQ(rs->value("Name").toString(), "Tres");
}

TEST_P(BackendSuite, GetRowsAndGetStringLayouts)
{
    prepareFile(sampleTable());
    auto cn = open();
    db::Recordset rs;
    rs.Open("SELECT Id, Name, Note FROM Items ORDER BY Id", cn);
    auto rows = rs.GetRows();
    ASSERT_EQ(rows->dimensions(), 2);
    EXPECT_EQ(rows->ubound(1), 2); // fields
    EXPECT_EQ(rows->ubound(2), 2); // records
    EXPECT_EQ(rows->at(1, 2).toString(), "Tres");
    EXPECT_TRUE(rows->at(2, 1).isNull());
    EXPECT_TRUE(rs.Eof());
    EXPECT_THROW(rs.GetRows(), Error); // no current record

    db::Recordset rs2;
    rs2.Open("SELECT Id, Name, Note FROM Items ORDER BY Id", cn);
    EXPECT_EQ(rs2.GetString(), "1\tUno\tprimero\r2\tDos\t\r3\tTres\ttercero\r");
    rs2.MoveFirst();
    EXPECT_EQ(rs2.GetString(db::adClipString, -1, ";", "\r\n", "--"), "1;Uno;primero\r\n2;Dos;--\r\n3;Tres;tercero\r\n");

    db::Recordset empty;
    empty.Open("SELECT Id FROM Items WHERE Id > 100", cn);
    EXPECT_TRUE(empty.Eof() && empty.Bof());
    try {
        empty.GetString();
        FAIL() << "GetString on an empty record set must fail";
    } catch (const Error& e) {
        EXPECT_EQ(e.number, db::errNoCurrentRecord);
    }
}

TEST_P(BackendSuite, RowsAffectedAndWhatATransactionLeaves)
{
    prepareFile(sampleTable());
    {
        auto cn = open();
        qint64 n = -7;
        for (const auto& [sql, rows] : {std::pair{"UPDATE Items SET Qty = 5 WHERE Id >= 2", 2}, {"UPDATE Items SET Qty = 5 WHERE Id = 99", 0},
                                        {"DELETE FROM Items WHERE Id = 3", 1}, {"INSERT INTO Items (Id, Name) VALUES (7, 'Siete')", 1}}) {
            cn->Execute(sql, &n);
            EXPECT_EQ(n, rows) << sql;
        }
        // Rolled back, then committed, then closed with a transaction open.
        cn->BeginTrans();
        cn->Execute("INSERT INTO Items (Id, Name) VALUES (10, 'Diez')");
        cn->Execute("DELETE FROM Items WHERE Id = 1");
        cn->RollbackTrans();
        cn->BeginTrans();
        cn->Execute("INSERT INTO Items (Id, Name) VALUES (11, 'Once')");
        cn->CommitTrans();
        cn->BeginTrans();
        cn->Execute("DELETE FROM Items");
        cn->Close();
    }
    auto again = open();
    db::Recordset rs;
    rs.Open("SELECT Id || ':' || Name FROM Items ORDER BY Id", again);
    EXPECT_EQ(rs.GetString(), "1:Uno\r2:Dos\r7:Siete\r11:Once\r");
}

TEST_P(BackendSuite, QuotesInsideLiteralsAndBracketedNames)
{
    prepareFile({"CREATE TABLE [Order Details] ([Line Text] VARCHAR(50))"});
    auto cn = open();
    cn->Execute("INSERT INTO [Order Details] ([Line Text]) VALUES ('O''Brien; said \"hi\" -- not a comment')");
    db::Recordset rs;
    rs.Open("SELECT [Line Text] FROM [Order Details] WHERE [Line Text] = 'O''Brien; said \"hi\" -- not a comment'", cn);
    ASSERT_EQ(rs.RecordCount(), 1);
    EXPECT_EQ(rs.value(0).toString(), "O'Brien; said \"hi\" -- not a comment");
}

TEST_P(BackendSuite, EngineErrorsCarryTheEngineMessage)
{
    prepareFile(sampleTable());
    auto cn = open();
    try {
        cn->Execute("SELECT * FROM NoSuchTable");
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_TRUE(e.description.contains("NoSuchTable", Qt::CaseInsensitive)) << e.description.toStdString();
    }
    try {
        cn->Execute("INSERT INTO Items (Id, Name) VALUES (1, 'again')");
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_TRUE(e.description.contains("UNIQUE", Qt::CaseInsensitive)) << e.description.toStdString();
    }
}

TEST_P(BackendSuite, CatalogListsTablesColumnsAndIndexes)
{
    prepareFile(sampleTable() + QStringList{
        "CREATE UNIQUE INDEX ixName ON Items (Name)",
        "CREATE TABLE Pairs (A INTEGER NOT NULL, B VARCHAR(10) NOT NULL, C INTEGER, PRIMARY KEY (A, B))",
        "CREATE VIEW Totals AS SELECT Id, Qty FROM Items",
    });
    auto cn = open();
    db::Catalog cat;
    cat.setActiveConnection(cn);
    QStringList tables;
    for (const auto& t : cat.Tables())
        if (t.type == "TABLE")
            tables << t.name;
    EXPECT_TRUE(tables.contains("Items"));
    EXPECT_TRUE(tables.contains("Pairs"));
    EXPECT_FALSE(tables.contains("Totals"));

    auto items = cat.Table("Items");
    ASSERT_EQ(items.columns.size(), 7u);
    EXPECT_EQ(items.columns[1].name, "Name");
    EXPECT_FALSE(items.columns[1].attributes & db::adColNullable);
    EXPECT_TRUE(items.columns[2].attributes & db::adColNullable);
    EXPECT_EQ(items.columns[1].definedSize, 40);
    bool sawUnique = false, sawPk = false;
    for (const auto& ix : items.indexes) {
        if (ix.primaryKey) {
            sawPk = true;
            EXPECT_EQ(ix.columns, QStringList{"Id"});
        } else if (ix.name == "ixName") {
            sawUnique = true;
            EXPECT_TRUE(ix.unique);
            EXPECT_EQ(ix.columns, QStringList{"Name"});
        }
    }
    EXPECT_TRUE(sawPk);
    EXPECT_TRUE(sawUnique);
    EXPECT_EQ(cat.PrimaryKey("Pairs"), (QStringList{"A", "B"}));
    EXPECT_THROW(cat.Table("Nothing"), Error);

    bool sawView = false;
    for (const auto& v : cat.Views())
        if (v.name == "Totals") {
            sawView = true;
            EXPECT_TRUE(v.commandText.startsWith("SELECT Id, Qty FROM Items", Qt::CaseInsensitive)) << v.commandText.toStdString();
        }
    EXPECT_TRUE(sawView);
}
