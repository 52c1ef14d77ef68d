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

Error expectError(const std::function<void()>& f, long number, const QStringList& texts)
{
    try {
        f();
    } catch (const Error& e) {
        EXPECT_TRUE(number == 0 || e.number == number) << e.number << ": " << e.description.toStdString();
        for (const QString& t : texts)
            EXPECT_TRUE(e.description.contains(t, Qt::CaseInsensitive)) << t.toStdString() << " not in " << e.description.toStdString();
        return e;
    }
    ADD_FAILURE() << "no error raised";
    return Error();
}

db::ConnectionPtr BackendSuite::open()
{
    auto cn = std::make_shared<db::Connection>();
    cn->Open(GetParam().connectionString(file_));
    return cn;
}

// ---- shared behaviour ---------------------------------------------------------

namespace {

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

TEST_P(BackendSuite, FieldsRowsAndTextsOfRecordsetsThatOutliveTheirConnection)
{
    prepareFile(sampleTable());
    auto cn = open();
    db::Recordset rs;
    rs.Open("SELECT Id, Name, Note, Qty, Price, Born, Photo FROM Items WHERE 1 = 2", cn, db::adOpenStatic, db::adLockReadOnly);
    ASSERT_EQ(rs.FieldCount(), 7);
    EXPECT_EQ(rs.RecordCount(), 0);
    EXPECT_TRUE(rs.Eof());
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(rs.Fields(i).Type(), GetParam().types[std::size_t(i)]) << rs.Fields(i).Name().toStdString();
    // NOT NULL columns (and the key) refuse nulls; the others accept them.
    for (const auto& [name, nullable] : {std::pair{"Id", false}, {"Name", false}, {"Note", true}, {"Qty", true}})
        EXPECT_EQ(bool(rs.Fields(name).Attributes() & db::adFldIsNullable), nullable) << name;
    EXPECT_EQ(rs.Fields("Name").DefinedSize(), 40);
    EXPECT_EQ(rs.Fields("Qty").BaseTableName(), "Items");
    EXPECT_EQ(rs.Fields("Qty").BaseColumnName(), "Qty");

    // GetRows: fields by records; GetString: rows in the separators given.
    db::Recordset all;
    all.Open("SELECT Id, Name, Note FROM Items ORDER BY Id", cn);
    auto grid = all.GetRows();
    ASSERT_EQ(grid->dimensions(), 2);
    EXPECT_EQ(grid->ubound(1), 2); // fields
    EXPECT_EQ(grid->ubound(2), 2); // records
    EXPECT_EQ(grid->at(1, 2).toString(), "Tres");
    EXPECT_TRUE(grid->at(2, 1).isNull());
    EXPECT_TRUE(all.Eof());
    EXPECT_THROW(all.GetRows(), Error); // no current record
    all.MoveFirst();
    EXPECT_EQ(all.GetString(), "1\tUno\tprimero\r2\tDos\t\r3\tTres\ttercero\r");
    all.MoveFirst();
    EXPECT_EQ(all.GetString(db::adClipString, -1, ";", "\r\n", "--"), "1;Uno;primero\r\n2;Dos;--\r\n3;Tres;tercero\r\n");
    db::Recordset empty;
    empty.Open("SELECT Id FROM Items WHERE Id > 100", cn);
    EXPECT_TRUE(empty.Eof() && empty.Bof());
    expectError([&] { empty.GetString(); }, db::errNoCurrentRecord);

    // The record set is static and outlives its connection.
    auto rows = std::make_shared<db::Recordset>();
    rows->Open("SELECT Id, Name, Note, Qty, Price FROM Items ORDER BY Id", cn, db::adOpenDynamic, db::adLockOptimistic);
    rows->setActiveConnection(nullptr);
    cn->Close();
    ASSERT_EQ(rows->RecordCount(), 3);
    EXPECT_EQ(rows->value("Name").toString(), "Uno");
    EXPECT_EQ(rows->value("Qty").toLong(), 10);
    EXPECT_DOUBLE_EQ(rows->value("Price").toDouble(), 1.5);
    rows->MoveNext();
    EXPECT_TRUE(rows->value("Note").isNull());
    EXPECT_EQ(rows->AbsolutePosition(), 2);
    rows->MoveNext();
    rows->MoveNext();
    EXPECT_TRUE(rows->Eof());
    EXPECT_THROW(rows->MoveNext(), Error);
    EXPECT_THROW(rows->value(0), Error);
    rows->MoveFirst();
    EXPECT_EQ(rows->value(0).toLong(), 1);
    rows->setAbsolutePosition(3);
    EXPECT_EQ(rows->value("Name").toString(), "Tres");
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

// Quotes inside literals and bracketed names reach the engine as written; its errors carry its message.
TEST_P(BackendSuite, StatementsReachTheEngineAsWrittenAndItsErrorsCarryItsMessage)
{
    prepareFile(sampleTable() + QStringList{"CREATE TABLE [Order Details] ([Line Text] VARCHAR(50))"});
    auto cn = open();
    cn->Execute("INSERT INTO [Order Details] ([Line Text]) VALUES ('O''Brien; said \"hi\" -- not a comment')");
    db::Recordset rs;
    rs.Open("SELECT [Line Text] FROM [Order Details] WHERE [Line Text] = 'O''Brien; said \"hi\" -- not a comment'", cn);
    ASSERT_EQ(rs.RecordCount(), 1);
    EXPECT_EQ(rs.value(0).toString(), "O'Brien; said \"hi\" -- not a comment");
    expectError([&] { cn->Execute("SELECT * FROM NoSuchTable"); }, 0, {"NoSuchTable"});
    expectError([&] { cn->Execute("INSERT INTO Items (Id, Name) VALUES (1, 'again')"); }, 0, {"UNIQUE"});
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
    // Each index as "name:unique:columns", the key as "key:columns" (its name is the backend's).
    QStringList indexes;
    for (const auto& ix : items.indexes)
        indexes << (ix.primaryKey ? "key" : ix.name + ':' + QString::number(ix.unique)) + ':' + ix.columns.join(',');
    EXPECT_TRUE(indexes.contains("key:Id")) << indexes.join(' ').toStdString();
    EXPECT_TRUE(indexes.contains("ixName:1:Name")) << indexes.join(' ').toStdString();
    EXPECT_EQ(cat.PrimaryKey("Pairs"), (QStringList{"A", "B"}));
    EXPECT_THROW(cat.Table("Nothing"), Error);

    const auto views = cat.Views();
    ASSERT_EQ(views.size(), 1u);
    EXPECT_EQ(views[0].name, "Totals");
    EXPECT_TRUE(views[0].commandText.startsWith("SELECT Id, Qty FROM Items", Qt::CaseInsensitive)) << views[0].commandText.toStdString();
}
