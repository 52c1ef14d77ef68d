// The local file backend: the shared suite, then the Access dialect, the
// catalog's Access types, compaction and files of the Windows engine.
#include "BackendSuite.h"
#include "core/ValueText.h"
#include "platform/db/LocalFile.h"
#include "platform/db/ResultFile.h"
#include "platform/db/RowReader.h"
#include "platform/db/sqlite/AccessDialect.h"
#include "support/PlainReader.h"

#include <QCollator>

#include <QFile>
#include <QFileInfo>
#include <fcntl.h>
#include <functional>
#include <sqlite3.h>
#include <sys/stat.h>

namespace {
QString localString(const QString& file)
{
    return "Provider=Microsoft.ACE.OLEDB.12.0;Data Source=" + file + ";Persist Security Info=False;Jet OLEDB:Database Password=;";
}
} // namespace

INSTANTIATE_TEST_SUITE_P(Local, BackendSuite,
                         ::testing::Values(BackendParam{"local", localString, {db::adInteger, db::adVarWChar, db::adLongVarWChar,
                                                                               db::adInteger, db::adDouble, db::adDate,
                                                                               db::adLongVarBinary}}));

class LocalTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        file_ = dir_.filePath("data.mdb");
        db::Catalog::Create("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + file_);
        cn_ = std::make_shared<db::Connection>();
        cn_->Open("Data Source=" + file_ + ";Provider=Microsoft.Jet.OLEDB.4.0; ");
    }
    void exec(const QString& sql, qint64* n = nullptr) { cn_->Execute(sql, n); }
    void execAll(const QStringList& sql)
    {
        for (const QString& s : sql)
            exec(s);
    }
    // Runs each step's statements, then checks the first column of its query's rows (joined by '|').
    struct Step { QString query, rows; QStringList sql = {}; };
    void run(const std::vector<Step>& steps)
    {
        for (const auto& s : steps) {
            execAll(s.sql);
            EXPECT_EQ(column(s.query).join('|'), s.rows) << s.query.toStdString();
        }
    }
    // Each index of the table as "name:columns", "name:key:columns" or "name:unique:columns".
    QStringList indexes(const QString& table) const
    {
        QStringList out;
        for (const auto& ix : catalog().Table(table).indexes)
            out << ix.name + (ix.primaryKey ? ":key:" : ix.unique ? ":unique:" : ":") + ix.columns.join(',');
        return out;
    }
    db::Catalog catalog() const
    {
        db::Catalog cat;
        cat.setActiveConnection(cn_);
        return cat;
    }
    std::shared_ptr<db::Recordset> query(const QString& sql)
    {
        auto rs = std::make_shared<db::Recordset>();
        rs->Open(sql, cn_, db::adOpenStatic, db::adLockReadOnly);
        return rs;
    }
    QStringList column(const QString& sql)
    {
        auto rs = query(sql);
        QStringList out;
        for (; !rs->Eof(); rs->MoveNext())
            out << ValueText::displayText(rs->value(0));
        return out;
    }
    QTemporaryDir dir_;
    QString file_;
    db::ConnectionPtr cn_;
};

// Access expressions run by the engine: TOP at any depth, '&', dates, FORMAT, text compared without case.
TEST_F(LocalTest, AccessExpressionsGiveTheRowsAccessWould)
{
    execAll({"CREATE TABLE T (Id LONG, Name TEXT(20))",
             "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 10) INSERT INTO T SELECT i, 'n' || i FROM n",
             "CREATE TABLE P (Name TEXT(20), Born DATETIME, Amount DOUBLE)",
             "INSERT INTO P VALUES ('Ana', DateValue('25/12/2024'), 1234.5)",
             "INSERT INTO P VALUES ('Luis & Co', #2024-01-31 08:05:00#, 2)", "CREATE TABLE W (Word TEXT(30))",
             "INSERT INTO W VALUES ('Árbol')", "INSERT INTO W VALUES ('zeta')", "INSERT INTO W VALUES ('ÑANDÚ')"});
    // The grouped amount padded to fifteen characters, as the data-access object writes it.
    const QString e = "FORMAT(Amount,'###,###,##0.00')";
    run({{"SELECT TOP 3 Id FROM T ORDER BY Id DESC", "10|9|8"},
         {"SELECT DISTINCT TOP 2 Name FROM T ORDER BY Name", "n1|n10"},
         // The paging shape: the last rows of the first seven, in ascending order again.
         {"SELECT * FROM (SELECT TOP 3 * FROM (SELECT TOP 7 Id FROM T ORDER BY Id) A ORDER BY Id DESC) B ORDER BY Id", "5|6|7"},
         {"SELECT TOP 2 Id FROM T WHERE Id IN (SELECT TOP 4 Id FROM T ORDER BY Id DESC) ORDER BY Id", "7|8"},
         {"SELECT TOP 1 Id FROM T WHERE Id < 3 UNION ALL SELECT TOP 1 Id FROM T WHERE Id > 8", "1|9"},
         // SQLite's own paging and printf-style format() stay as they are.
         {"SELECT Id FROM T ORDER BY Id LIMIT 2 OFFSET 1", "2|3"},
         {"SELECT format('%05d', 42)", "00042"},
         {"SELECT Name & ' (' & 'x' & ')' FROM P ORDER BY Name", "Ana (x)|Luis & Co (x)"},
         {"SELECT Name FROM P WHERE Born = DateValue('25/12/2024')", "Ana"},
         {"SELECT Name FROM P WHERE Born > #12/1/2024#", "Ana"},
         {"SELECT FORMAT(Born, 'dd/mm/yyyy') FROM P ORDER BY Born", "31/01/2024|25/12/2024"},
         {"SELECT FORMAT('25/12/2024 10:00:00', 'dd/MM/yyyy hh:nn:ss')", "25/12/2024 10:00:00"},
         {"SELECT IIF(Amount > 100, 'big', 'small') FROM P ORDER BY Name", "big|small"},
         {"SELECT LEFT(Name, 2) & RIGHT(Name, 1) FROM P WHERE Name = 'Ana'", "Ana"},
         {"SELECT IIF(LEN(" + e + ") < 15, LEFT('                    ', 15 - LEN(" + e + ")) & " + e + "," + e +
              ") AS M FROM P WHERE Name = 'Ana'",
          "       1.234,50"},
         // Null joins as empty text; arithmetic goes first; reals read as the program writes them.
         {"SELECT '[' & Name & ']' FROM P WHERE Name IS NULL", "[]", {"INSERT INTO P (Name, Amount) VALUES (NULL, 2.5)"}},
         {"SELECT Amount * 2 & ' uds' FROM P WHERE Name IS NULL", "5 uds"},
         {"SELECT Amount & '' FROM P WHERE Name IS NULL", "2,5"},
         // Text compares without case across Unicode; accents still count.
         {"SELECT Word FROM W WHERE Word = 'árbol'", "Árbol"},
         {"SELECT Word FROM W WHERE Word = 'ñandú'", "ÑANDÚ"},
         {"SELECT Word FROM W WHERE Word = 'ZETA'", "zeta"},
         {"SELECT Word FROM W WHERE Word = 'arbol'", ""},
         {"SELECT Word FROM W WHERE Word LIKE 'ñan%'", "ÑANDÚ"},
         {"SELECT Word FROM W WHERE Word LIKE '_RBOL'", "Árbol"},
         {"SELECT Word FROM W WHERE Word LIKE 'Z%' ORDER BY Word", "zeta"},
         {"SELECT Word FROM W WHERE Word NOT LIKE 'ñan%' AND Word <> 'árbol'", "zeta"}});
    EXPECT_TRUE(query("SELECT Name & Name FROM P WHERE Name IS NULL")->value(0).isNull()); // only Null on both sides gives Null
    exec("CREATE UNIQUE INDEX ixWord ON W (Word)");
    EXPECT_THROW(exec("INSERT INTO W VALUES ('ZETA')"), Error);
}

// The case-free matching beyond ASCII gives what the engine's own LIKE gives
// for the same rows in ASCII (Ñ for N, ú for u): the same wildcards, the same
// escapes, the same letters told apart; what it cannot take over exactly it
// leaves to the engine as written.
TEST_F(LocalTest, CaseFreeMatchingBeyondAsciiAgreesWithTheEnginesOwnLike)
{
    const QStringList words{"Ñandú", "ñu", "Ñ%", "ÑÑ", "ñÑ", "Ñ_u", "zeta"};
    const auto ascii = [](QString s) { return s.replace("Ñ", "N").replace("ñ", "n").replace("ú", "u").replace("Ú", "U"); };
    execAll({"CREATE TABLE U (Id LONG, Word TEXT(30))", "CREATE TABLE A (Id LONG, Word TEXT(30))",
             "CREATE TABLE S (Id LONG, Word TEXT(30))", "INSERT INTO S VALUES (1, 'Ǆemal'), (2, '𐐀x'), (3, 'ǆ')"});
    for (int i = 0; i < words.size(); ++i) {
        const QString values = QString(" VALUES (%1, '%2')").arg(i);
        execAll({"INSERT INTO U" + values.arg(words[i]), "INSERT INTO A" + values.arg(ascii(words[i]))});
    }
    for (const char* condition : {"Word LIKE 'ñan%'", "Word NOT LIKE 'ñ%'", "Word LIKE 'Ñ%%' ESCAPE '%'",
                                  "Word LIKE 'Ñ%' ESCAPE '%'", "Word LIKE 'Ñ_u' ESCAPE '_'", "Word LIKE 'ñ_'",
                                  "Word LIKE 'ñÑ%' ESCAPE 'Ñ'", "Word LIKE 'ÑÑ%' ESCAPE 'Ñ'", "Word LIKE 'ñ%' ESCAPE 'x'",
                                  "(Word LIKE 'ñ%' ESCAPE '\\') AND Id > 0", "Word LIKE 'ñÑ' = 1", "Word = 'ññ'",
                                  "Word <> 'ÑANDÚ' AND Word LIKE '%Ñ%'"}) {
        const QString unicode = QString::fromUtf8(condition), where = " WHERE " + unicode + " ORDER BY Id";
        EXPECT_EQ(ascii(column("SELECT Word FROM U" + where).join('|')).toStdString(),
                  column("SELECT Word FROM A" + ascii(where)).join('|').toStdString())
            << condition;
    }
    run({// More than one literal on the right, or an escape that is no literal: the engine's own LIKE,
         // which tells ñ from Ñ.
         {"SELECT Word FROM U WHERE Word LIKE 'ñ' || '%' ORDER BY Id", "ñu|ñÑ"},
         {"SELECT Word FROM U WHERE Word LIKE 'ñ' & '%' ORDER BY Id", "ñu|ñÑ"},
         {"SELECT Word FROM U WHERE Word LIKE 'Ñ%' ESCAPE NULL", ""},
         {"SELECT COUNT(*) FROM U WHERE Word LIKE 'Ñ%' ESCAPE (SELECT '%')", "0"},
         {"SELECT Word FROM U WHERE Word LIKE 'ñ%' ESCAPE '\\' || '' ORDER BY Id", "ñu|ñÑ"},
         // Letters whose case is title case, or beyond the Basic Multilingual Plane.
         {"SELECT Word FROM S WHERE Word = 'ǅEMAL'", "Ǆemal"},
         {"SELECT Word FROM S WHERE Word LIKE 'ǅ%' ORDER BY Id", "Ǆemal|ǆ"},
         {"SELECT Word FROM S WHERE Word = '𐐨X'", "𐐀x"},
         {"SELECT Word FROM S WHERE Word LIKE '𐐨_'", "𐐀x"}});
    EXPECT_THROW(column("SELECT Word FROM U WHERE Word LIKE 'Ñ%' ESCAPE 'ab'"), Error);
}

TEST_F(LocalTest, AccessTypeWordsBehaveAndAreReportedAsAccessWould)
{
    exec("CREATE TABLE Types ([Id] COUNTER, [Flag] LOGICAL, [Yes] BOOLEAN, [Small] SMALLINT, [Tiny] BYTE, [Whole] LONG, "
         "[Money] CURRENCY, [When] DATETIME, [Ratio] DOUBLE, [Half] SINGLE, [Short] TEXT(50) NOT NULL, [Fixed] CHAR(3), "
         "[Memo] MEMO, [Long] LONGTEXT, [Blob] OLEOBJECT, CONSTRAINT PK_Types PRIMARY KEY ([Id]))");
    exec("INSERT INTO Types ([Flag], [Yes], [Small], [Tiny], [Whole], [Money], [When], [Ratio], [Half], [Short], [Memo], [Long]) "
         "VALUES (True, False, 7, 200, 70000, 12.3456, #12/25/2024 10:30:00#, 0.5, 1.5, 'Ábc', '007', '0012')");
    exec("INSERT INTO Types ([Short], [Memo]) VALUES ('second', '  ')");
    // A copy keeps the rows and their types; a failing copy leaves no table behind.
    qint64 n = 0;
    exec("SELECT * INTO [Types_OLD] FROM [Types]", &n);
    EXPECT_EQ(n, 2);
    EXPECT_THROW(exec("SELECT NoSuchColumn INTO Broken FROM Types"), Error);
    EXPECT_THROW(catalog().Table("Broken"), Error);

    const std::pair<const char*, int> expect[] = {
        {"Id", db::adInteger},           {"Flag", db::adBoolean},      {"Yes", db::adBoolean},       {"Small", db::adSmallInt},
        {"Tiny", db::adUnsignedTinyInt}, {"Whole", db::adInteger},     {"Money", db::adCurrency},    {"When", db::adDate},
        {"Ratio", db::adDouble},         {"Half", db::adSingle},       {"Short", db::adVarWChar},    {"Fixed", db::adWChar},
        {"Memo", db::adLongVarWChar},    {"Long", db::adLongVarWChar}, {"Blob", db::adLongVarBinary}};
    // Text stays text ("007" is no number).
    const std::pair<const char*, Variant> values[] = {
        {"Id", std::int32_t(1)}, {"Flag", true}, {"Yes", false}, {"Small", std::int16_t(7)}, {"Tiny", std::uint8_t(200)},
        {"Whole", std::int32_t(70000)}, {"Money", Currency::fromScaled(123456)},
        {"When", QDateTime(QDate(2024, 12, 25), QTime(10, 30), Qt::UTC)}, {"Half", 1.5f}, {"Short", "Ábc"},
        {"Memo", "007"}, {"Long", "0012"}};
    std::shared_ptr<db::Recordset> rs;
    for (const char* table : {"Types_OLD", "Types"}) {
        rs = query(QString("SELECT * FROM %1 ORDER BY Id").arg(table));
        ASSERT_EQ(rs->RecordCount(), 2);
        for (const auto& [name, type] : expect)
            EXPECT_EQ(rs->Fields(name).Type(), type) << name << " of " << table;
        for (const auto& [name, value] : values)
            EXPECT_EQ(rs->value(name), value) << name << " of " << table;
    }
    EXPECT_EQ(rs->Fields("Short").DefinedSize(), 50);
    for (const auto& [name, nullable] : {std::pair{"Short", false}, {"Id", false}, {"Memo", true}})
        EXPECT_EQ(bool(rs->Fields(name).Attributes() & db::adFldIsNullable), nullable) << name;
    rs->MoveNext();
    EXPECT_EQ(rs->value("Id"), Variant(std::int32_t(2))); // the counter numbered itself
    EXPECT_EQ(rs->value("Memo"), Variant("  "));
    EXPECT_EQ(rs->value("Flag"), Variant(false)); // a Yes/No column given nothing says No
    exec("UPDATE Types SET [Flag] = NULL, [Yes] = True");
    EXPECT_EQ(column("SELECT COUNT(*) FROM Types WHERE [Flag] = False AND [Yes] <> False"), QStringList{"2"});
    EXPECT_FALSE(rs->Fields("Flag").Attributes() & db::adFldIsNullable);

    const auto cat = catalog();
    auto t = cat.Table("types");
    EXPECT_EQ(t.name, "Types");
    ASSERT_EQ(t.columns.size(), 15u);
    for (std::size_t i = 0; i < t.columns.size(); ++i)
        EXPECT_EQ(t.columns[i].type, expect[i].second) << t.columns[i].name.toStdString();
    EXPECT_EQ(t.columns[0].property("Autoincrement"), Variant(true));
    EXPECT_EQ(t.columns[1].property("Autoincrement"), Variant(false));
    EXPECT_EQ(t.columns[10].definedSize, 50);
    EXPECT_EQ(t.columns[12].definedSize, 0); // a memo is a long text
    EXPECT_EQ(t.columns[10].property("Jet OLEDB:Allow Zero Length"), Variant(true));
    EXPECT_EQ(t.columns[10].property("Default"), Variant(""));
    EXPECT_FALSE(t.columns[10].attributes & db::adColNullable);
    EXPECT_TRUE(t.columns[12].attributes & db::adColNullable);
    EXPECT_EQ(t.columns[5].precision, 10);
    EXPECT_EQ(indexes("Types").value(0), "PK_Types:key:Id");
    EXPECT_EQ(t.indexes[0].indexNulls, db::adIndexNullsDisallow);
}

TEST_F(LocalTest, ProviderAndLookUp)
{
    EXPECT_EQ(cn_->Provider(), "Microsoft.Jet.OLEDB.4.0");
    for (const char* provider : {"microsoft.ace.oledb.12.0", "Microsoft.ACE.OLEDB.16.0", "Microsoft.Jet.OLEDB.4.0"})
        EXPECT_TRUE(db::isProviderRegistered(provider)) << provider;
    EXPECT_FALSE(db::isProviderRegistered("MSDataShape"));
    auto other = std::make_shared<db::Connection>();
    EXPECT_THROW(other->Open("Provider=SQLOLEDB;Data Source=x"), Error);
    EXPECT_THROW(other->Open("Provider=Microsoft.ACE.OLEDB.12.0;Data Source=" + dir_.filePath("missing.accdb")), Error);
    EXPECT_FALSE(QFileInfo::exists(dir_.filePath("missing.accdb")));
    // A file that only starts like a database.
    QFile text(dir_.filePath("notes.accdb"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write(QByteArray("SQLite format 3", 16) + QByteArray(4080, 'x'));
    text.close();
    EXPECT_THROW(other->Open("Provider=Microsoft.ACE.OLEDB.12.0;Data Source=" + text.fileName()), Error);
}

TEST_F(LocalTest, CompactionKeepsRowsAndReplacesByRename)
{
    execAll({"CREATE TABLE R (Id COUNTER PRIMARY KEY, Txt MEMO)",
             "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 199) "
             "INSERT INTO R (Txt) SELECT printf('%.*c', 200, char(97 + i % 26)) FROM n",
             "DELETE FROM R WHERE Id > 20"});
    const QString compacted = dir_.filePath("data_COMPACT.mdb");
    db::CompactDatabase(file_, compacted);
    EXPECT_LT(QFileInfo(compacted).size(), QFileInfo(file_).size());

    // A target somebody holds is not replaced; both files stay as they were.
    EXPECT_TRUE(db::isDatabaseFileInUse(file_));
    expectError([&] { db::ReplaceDatabaseFile(compacted, file_); }, db::errFileInUse);
    EXPECT_TRUE(QFileInfo::exists(compacted));
    EXPECT_EQ(column("SELECT COUNT(*) FROM R"), QStringList{"20"});

    // Compacting onto an existing file fails and leaves it alone.
    QFile marker(dir_.filePath("taken.mdb"));
    ASSERT_TRUE(marker.open(QIODevice::WriteOnly));
    marker.write("keep");
    marker.close();
    EXPECT_THROW(db::CompactDatabase(file_, marker.fileName()), Error);
    ASSERT_TRUE(marker.open(QIODevice::ReadOnly));
    EXPECT_EQ(marker.readAll(), QByteArray("keep"));
    marker.close();

    cn_->Close();
    EXPECT_FALSE(db::isDatabaseFileInUse(file_));
    db::ReplaceDatabaseFile(compacted, file_);
    EXPECT_FALSE(QFileInfo::exists(compacted));

    // Failing midway (no folder to write into) leaves the original as it was.
    auto bytes = [&] {
        QFile f(file_);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    const QByteArray before = bytes();
    const QString nowhere = dir_.filePath("no/such/folder/copy.mdb");
    EXPECT_THROW(db::CompactDatabase(file_, nowhere), Error);
    EXPECT_FALSE(QFileInfo::exists(nowhere));
    EXPECT_THROW(db::ReplaceDatabaseFile(nowhere, file_), Error);
    EXPECT_EQ(bytes(), before);
    cn_->Open();
    EXPECT_EQ(column("SELECT COUNT(*) FROM R"), QStringList{"20"});

    // A lock held through another handle (as another program would hold it) is seen too.
    cn_->Close();
    sqlite3* h = nullptr;
    ASSERT_EQ(sqlite3_open(file_.toUtf8().constData(), &h), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(h, "BEGIN; INSERT INTO R (Txt) VALUES ('x');", nullptr, nullptr, nullptr), SQLITE_OK);
    EXPECT_TRUE(db::isDatabaseFileInUse(file_));
    sqlite3_exec(h, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(h);
    EXPECT_FALSE(db::isDatabaseFileInUse(file_));
}

TEST_F(LocalTest, BatchesGiveEveryResult)
{
    exec("CREATE TABLE B (a LONG)");
    db::Command cmd;
    cmd.setActiveConnection(cn_);
    cmd.setCommandText(
        "INSERT INTO B VALUES (1); INSERT INTO B VALUES (2); SELECT a FROM B ORDER BY a; SELECT COUNT(*) AS n FROM B");
    auto rs = cmd.Execute();
    ASSERT_TRUE(rs);
    EXPECT_EQ(rs->RecordCount(), 2);
    auto next = rs->NextRecordset();
    ASSERT_TRUE(next);
    EXPECT_EQ(next->value("n").toLong(), 2);
    EXPECT_FALSE(next->NextRecordset());
}

TEST_F(LocalTest, ResultsStayCompactAndKeepEveryValueAsTheyGrow)
{
    exec("CREATE TABLE Big (Id LONG, Price DOUBLE, Name TEXT(20), Note MEMO, Day DATETIME)");
    exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 50000) "
         "INSERT INTO Big SELECT i, i * 0.5, 'name ' || i, CASE WHEN i % 3 = 0 THEN NULL ELSE printf('%.60d', i) END, "
         "'2024-01-01 10:00:00' FROM n");
    EXPECT_LT(query("SELECT * FROM Big WHERE Id = 1")->result()->memoryUsed(), 16u * 1024);
    auto rs = query("SELECT * FROM Big");
    ASSERT_EQ(rs->RecordCount(), 50000);
    // Raw size: 8 bytes a number or date, the characters of each text.
    std::size_t raw = 0;
    const db::ResultSet* r = rs->result();
    for (qint64 i = 0; i < r->rowCount(); ++i)
        for (int c = 0; c < r->columnCount(); ++c)
            raw += r->tag(i, c) == db::ResultSet::Text ? r->bytes(i, c).size() : 8;
    EXPECT_LT(r->memoryUsed(), raw * 3);
    // Rows on each side of where the first block grows and where the next blocks start.
    for (int i : {1, 2, 16, 17, 64, 65, 4096, 4097, 50000}) {
        rs->setAbsolutePosition(i);
        EXPECT_EQ(rs->value("Name").toString(), QString("name %1").arg(i));
        EXPECT_DOUBLE_EQ(rs->value("Price").toDouble(), i / 2.0);
        EXPECT_EQ(rs->value("Note").isNull(), i % 3 == 0) << i;
    }
    EXPECT_EQ(rs->value("Day"), Variant(QDateTime(QDate(2024, 1, 1), QTime(10, 0), Qt::UTC)));

    // Dates the engine keeps as text take a number's room, and come back as
    // they were read; texts that are no date of those forms stay texts.
    exec("CREATE TABLE D (n LONG, d DATETIME)");
    const std::vector<std::pair<QString, Variant>> dates{
        {"2024-02-29", QDateTime(QDate(2024, 2, 29), QTime(0, 0), Qt::UTC)},
        {"2024-02-29 10:05", QDateTime(QDate(2024, 2, 29), QTime(10, 5), Qt::UTC)},
        {"2024-03-01T10:05:07", QDateTime(QDate(2024, 3, 1), QTime(10, 5, 7), Qt::UTC)},
        {"1899-12-30 00:00:00.5", QDateTime(QDate(1899, 12, 30), QTime(0, 0, 0, 500), Qt::UTC)},
        {"1969-12-31 23:59:59.25", QDateTime(QDate(1969, 12, 31), QTime(23, 59, 59, 250), Qt::UTC)},
        {"0101-01-01 00:00:00.125", QDateTime(QDate(101, 1, 1), QTime(0, 0, 0, 125), Qt::UTC)},
        {"9999-12-31 23:59:59.999", QDateTime(QDate(9999, 12, 31), QTime(23, 59, 59, 999), Qt::UTC)},
        {"2024-01-01 10:00:00.1234", QDateTime(QDate(2024, 1, 1), QTime(10, 0, 0, 123), Qt::UTC)},
        {"31/12/2024", "31/12/2024"},
        {"2024-13-01", "2024-13-01"}};
    for (std::size_t i = 0; i < dates.size(); ++i)
        exec(QString("INSERT INTO D VALUES (%1, '%2')").arg(i).arg(dates[i].first));
    auto d = query("SELECT d FROM D ORDER BY n");
    for (const auto& [text, value] : dates) {
        EXPECT_EQ(d->value(0), value) << text.toStdString();
        d->MoveNext();
    }
    int texts = 0;
    for (qint64 i = 0; i < d->result()->rowCount(); ++i)
        texts += d->result()->tag(i, 0) == db::ResultSet::Text;
    EXPECT_EQ(texts, 3);
    // Read as text, each comes back in its own form.
    db::ResultSet kept;
    kept.fields.resize(1);
    kept.fields[0].type = db::adDBTimeStamp;
    db::ResultBuilder b(kept);
    for (const auto& date : dates) {
        b.beginRow();
        b.addText(date.first);
    }
    kept.fields[0].type = db::adVarWChar;
    for (std::size_t i = 0; i < dates.size(); ++i)
        EXPECT_EQ(kept.value(qint64(i), 0).toString(), dates[i].first);
}

// A result kept in a file, filled partly from rows already held and partly
// from a reader in uneven steps, gives back every value as a held result does,
// in any order of reading; a value only memory can hold stays in memory.
TEST_F(LocalTest, AResultKeptInAFileGivesBackEveryRowAsTheHeldResult)
{
    exec("CREATE TABLE Big (Id LONG, Price DOUBLE, Name TEXT(20), Note MEMO, Day DATETIME, Pic LONGBINARY)");
    exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 9000) "
         "INSERT INTO Big SELECT i, i * 0.5, 'name ' || i, CASE WHEN i % 3 = 0 THEN NULL ELSE printf('%.*d', i % 300, i) END, "
         "'2024-01-01 10:00:00', CASE WHEN i % 4 = 0 THEN randomblob(i % 50) END FROM n");
    const QString sql = "SELECT Id, Price, Name, Note, Day, Pic, Id * 2 AS Twice FROM Big ORDER BY Id DESC";
    auto whole = query(sql);
    const db::ResultSet& held = *whole->result();
    ASSERT_EQ(held.rowCount(), 9000);

    db::RowReader reader(sql, cn_, false);
    auto head = reader.next(5000);
    db::ResultFile file(head->fields);
    file.append(*head, 0, 4999);
    ASSERT_EQ(file.rowCount(), 4999);
    // The reader's row 5000 is already read: it goes in from the held head too.
    file.append(*head, 4999, 1);
    while (file.read(reader, 777) == 777) {
    }
    file.setFields(reader.fields());
    ASSERT_EQ(file.rowCount(), 9000);
    std::vector<qint64> order;
    for (qint64 r = 8999; r >= 0; r -= 7)
        order.push_back(r);
    for (qint64 r : {0, 4095, 4096, 8191, 8192, 8999, 1, 4097})
        order.push_back(r);
    int differing = 0;
    for (qint64 r : order) {
        const auto [block, at] = file.locate(r);
        for (int c = 0; c < held.columnCount(); ++c)
            if (block->tag(at, c) != held.tag(r, c) || block->fields[std::size_t(c)].type != held.fields[std::size_t(c)].type ||
                (held.tag(r, c) == db::ResultSet::Blob ? block->bytes(at, c) != held.bytes(r, c)
                                                       : block->value(at, c) != held.value(r, c)))
                ++differing;
    }
    EXPECT_EQ(differing, 0);
    EXPECT_THROW(file.locate(9000), Error);

    db::ResultSet odd;
    odd.fields.resize(1);
    db::ResultBuilder b(odd);
    for (int i = 0; i < 5000; ++i) {
        b.beginRow();
        i == 100 ? b.addVariant(Variant(std::make_shared<VArray>(0, 1))) : b.addInt(i);
    }
    db::ResultFile kept(odd.fields);
    kept.append(odd, 0, 5000);
    const auto keptAt = [&](qint64 r) { return kept.locate(r).first->value(kept.locate(r).second, 0); };
    EXPECT_EQ(std::tuple(keptAt(100).isArray(), keptAt(4999).toLong(), keptAt(17).toLong()), std::tuple(true, 4999L, 17L));
}

TEST_F(LocalTest, PrimaryKeyAddedAndDroppedKeepingRowsAndIndexes)
{
    execAll({"CREATE TABLE K (A LONG NOT NULL, B TEXT(5) NOT NULL, C MEMO)", "INSERT INTO K VALUES (1, 'x', 'uno')",
             "INSERT INTO K VALUES (1, 'y', 'dos')", "CREATE  INDEX ixC \r\nON [K] (C, A)",
             "CREATE VIEW VK AS SELECT A, C FROM K"});
    const auto cat = catalog();
    EXPECT_EQ(indexes("K"), QStringList{"ixC:C,A"});

    // A key the rows do not satisfy is refused and the table stays as it was.
    EXPECT_THROW(exec("ALTER TABLE [K] \r\nADD CONSTRAINT PK_K PRIMARY KEY (A)"), Error);
    EXPECT_TRUE(cat.PrimaryKey("K").isEmpty());

    exec("ALTER TABLE [K] \r\nADD CONSTRAINT PK_K PRIMARY KEY (A, B)");
    EXPECT_EQ(indexes("K"), (QStringList{"PK_K:key:A,B", "ixC:C,A"}));
    EXPECT_EQ(column("SELECT C FROM VK ORDER BY C"), (QStringList{"dos", "uno"}));
    EXPECT_THROW(exec("INSERT INTO K VALUES (1, 'x', 'tres')"), Error);
    EXPECT_THROW(exec("ALTER TABLE [K] \r\nADD CONSTRAINT PK_K2 PRIMARY KEY (C)"), Error);

    exec("ALTER TABLE [K] \r\nDROP CONSTRAINT PK_K");
    EXPECT_TRUE(cat.PrimaryKey("K").isEmpty());
    exec("INSERT INTO K VALUES (1, 'x', 'tres')");
    EXPECT_EQ(column("SELECT COUNT(*) FROM K"), QStringList{"3"});
    EXPECT_THROW(exec("ALTER TABLE [K] \r\nDROP CONSTRAINT Nothing"), Error);

    exec("ALTER TABLE [K] ADD CONSTRAINT uqC UNIQUE (C)");
    EXPECT_TRUE(indexes("K").contains("uqC:unique:C")) << indexes("K").join(' ').toStdString();
    execAll({"ALTER TABLE [K] DROP CONSTRAINT uqC", "DROP INDEX ixC ON [K]"});
    EXPECT_TRUE(indexes("K").isEmpty());
}

TEST_F(LocalTest, CommandTimeoutStopsALongStatement)
{
    cn_->setCommandTimeout(1);
    expectError([&] { exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n) SELECT COUNT(*) FROM n"); }, 0,
                {"interrupt"});
    cn_->setCommandTimeout(0);
    EXPECT_EQ(column("SELECT 1"), QStringList{"1"});
}

// A counter number is given once in a file's life: a row that still refers to a
// deleted record must never find itself attached to a new one. K1 and K2 key on
// their counter (in the column, by a constraint), K3 numbers beside another key.
TEST_F(LocalTest, CounterNumbersAreNeverGivenTwice)
{
    const QStringList tables = {"K1", "K2", "K3"};
    execAll({"CREATE TABLE K1 (Id COUNTER PRIMARY KEY, N TEXT(5))",
             "CREATE TABLE K2 ([Id] COUNTER, [N] TEXT(5), CONSTRAINT PK_K2 PRIMARY KEY ([Id]))",
             "CREATE TABLE K3 (N TEXT(5), Id COUNTER(1, 1), CONSTRAINT PK_K3 PRIMARY KEY (N))",
             "CREATE VIEW V1 AS SELECT TOP 1 N FROM K1 ORDER BY Id DESC"});
    auto each = [&](const QStringList& sql, const QStringList& ids) {
        for (const QString& t : tables) {
            for (const QString& s : sql)
                exec(QString(s).arg(t));
            EXPECT_EQ(column("SELECT Id FROM " + t + " ORDER BY Id"), ids) << t.toStdString();
        }
    };
    each({"INSERT INTO %1 (N) VALUES ('a')", "INSERT INTO %1 (N) VALUES ('b')", "INSERT INTO %1 (N) VALUES ('c')",
          "DELETE FROM %1 WHERE Id = 3", "INSERT INTO %1 (N) VALUES ('d')"},
         {"1", "2", "4"});
    // A number given in the statement moves the count on.
    each({"INSERT INTO %1 (N, Id) VALUES ('e', 50)", "INSERT INTO %1 (N) VALUES ('f')"}, {"1", "2", "4", "50", "51"});
    // Even with every row gone, in another session of the file, and after compaction.
    each({"DELETE FROM %1"}, {});
    cn_->Close();
    cn_->Open();
    each({"INSERT INTO %1 (N) VALUES ('g')"}, {"52"});
    const QString compacted = dir_.filePath("compacted.mdb");
    cn_->Close();
    db::CompactDatabase(file_, compacted);
    db::ReplaceDatabaseFile(compacted, file_);
    cn_->Open();
    each({"INSERT INTO %1 (N) VALUES ('h')"}, {"52", "53"});

    // The store of the last numbers is no table of the user's; a view is listed as one.
    const auto cat = catalog();
    QStringList names;
    for (const auto& t : cat.Tables())
        if (t.type == "TABLE" || t.type == "VIEW")
            names << t.name + ':' + t.type;
    EXPECT_EQ(names, (QStringList{"K1:TABLE", "K2:TABLE", "K3:TABLE", "V1:VIEW"}));
    const auto views = cat.Views();
    ASSERT_EQ(views.size(), 1u);
    EXPECT_EQ(column(views[0].commandText), QStringList{"h"});
    for (const QString& t : tables) {
        const auto counter = cat.Table(t).columns[t == "K3"];
        EXPECT_EQ(counter.property("Autoincrement"), Variant(true)) << t.toStdString();
        EXPECT_EQ(counter.type, db::adInteger) << t.toStdString();
    }
    EXPECT_EQ(cat.PrimaryKey("K3"), QStringList{"N"});
    // A copy holds plain numbers that do not number themselves.
    exec("SELECT * INTO K3_OLD FROM K3");
    EXPECT_EQ(cat.Table("K3_OLD").columns[1].property("Autoincrement"), Variant(false));
    EXPECT_EQ(cat.Table("K3_OLD").columns[1].type, db::adInteger);
    EXPECT_EQ(column("SELECT Id FROM K3_OLD ORDER BY N"), (QStringList{"52", "53"}));
}

// A table made again from a copy keeps its numbers, and goes on above the highest
// one kept; the engine's own rebuild of a table (a constraint dropped) forgets nothing.
TEST_F(LocalTest, CountersGoOnAfterACopyOrARebuild)
{
    execAll({"CREATE TABLE P ([Id] COUNTER, [N] TEXT(5), CONSTRAINT PK_P PRIMARY KEY ([Id]))",
             "CREATE TABLE L ([Doc] TEXT(5), [Num] COUNTER, CONSTRAINT PK_L PRIMARY KEY ([Doc]))",
             "INSERT INTO P (N) VALUES ('1'), ('2'), ('3'), ('4')", "INSERT INTO L (Doc) VALUES ('1'), ('2'), ('3'), ('4')",
             "DELETE FROM P WHERE Id = 2", "DELETE FROM L WHERE Num = 2",
             // The shape of a table rebuilt under its own name: copy, drop, create, copy back with the numbers.
             "SELECT * INTO [P_OLD] FROM [P]", "DROP TABLE [P]", "SELECT * INTO [L_OLD] FROM [L]", "DROP TABLE [L]",
             "CREATE TABLE [P] ([Id] COUNTER, [N] TEXT(5), CONSTRAINT PK_P PRIMARY KEY ([Id]))",
             "CREATE TABLE [L] ([Doc] TEXT(5), [Num] COUNTER, [Qty] LONG, CONSTRAINT PK_L PRIMARY KEY ([Doc]))"});
    qint64 n = 0;
    exec("INSERT INTO [P] ([Id], [N]) SELECT [Id], [N] FROM [P_OLD]", &n);
    EXPECT_EQ(n, 3);
    run({{"SELECT Id & ':' & N FROM P ORDER BY Id", "1:1|3:3|4:4|5:5",
          {"INSERT INTO [L] ([Doc], [Num], [Qty]) SELECT [Doc], [Num], 0 FROM [L_OLD]", "INSERT INTO P (N) VALUES ('5')",
           "INSERT INTO L (Doc) VALUES ('5')"}},
         {"SELECT Doc & ':' & Num FROM L ORDER BY Doc", "1:1|3:3|4:4|5:5"},
         // The engine's rebuild: numbers given and then deleted stay given.
         {"SELECT Id FROM R ORDER BY Id", "1|2|4",
          {"CREATE TABLE R (Id COUNTER PRIMARY KEY, C TEXT(5), CONSTRAINT uqC UNIQUE (C))",
           "INSERT INTO R (C) VALUES ('a'), ('b'), ('c')", "DELETE FROM R WHERE Id = 3", "DELETE FROM L WHERE Num = 5",
           "ALTER TABLE [R] DROP CONSTRAINT uqC", "ALTER TABLE [L] DROP CONSTRAINT PK_L", "INSERT INTO R (C) VALUES ('d')",
           "INSERT INTO L (Doc) VALUES ('6')"}},
         {"SELECT Num FROM L ORDER BY Doc", "1|3|4|6"},
         // Without its key a counter goes on numbering, above every number it gave.
         {"SELECT Id & ':' & C FROM R ORDER BY Id", "1:a|2:b|5:e",
          {"DELETE FROM R WHERE Id = 4", "ALTER TABLE R DROP CONSTRAINT PrimaryKey", "INSERT INTO R (C) VALUES ('e')"}},
         // A counter added to rows numbers them and goes on from there.
         {"SELECT Seq FROM P ORDER BY Id", "1|2|3|5",
          {"ALTER TABLE P ADD COLUMN Seq COUNTER", "DELETE FROM P WHERE Seq = 4", "INSERT INTO P (N) VALUES ('6')"}},
         // A key declared by name on a counter column is dropped like any other.
         {"SELECT Id FROM P ORDER BY Id", "1|3|4|6", {"ALTER TABLE [P] \r\nDROP CONSTRAINT PK_P"}}});
    const auto cat = catalog();
    EXPECT_TRUE(cat.PrimaryKey("R").isEmpty());
    EXPECT_TRUE(cat.PrimaryKey("P").isEmpty());
    EXPECT_EQ(cat.Table("R").columns[0].property("Autoincrement"), Variant(true));
}

// Files written before counters kept their last number: their rows stay as they
// are and inserts go on numbering.
TEST_F(LocalTest, CountersOfEarlierFilesKeepWorking)
{
    cn_->Close();
    prepareSqliteFile(file_, {"CREATE TABLE O (Id INTEGER, Doc TEXT(5), Num COUNTER, CONSTRAINT PK_O PRIMARY KEY (Id))",
                              "CREATE TRIGGER \"O_counter_Num\" AFTER INSERT ON \"O\" FOR EACH ROW WHEN NEW.\"Num\" IS NULL "
                              "BEGIN UPDATE \"O\" SET \"Num\" = (SELECT IFNULL(MAX(\"Num\"), 0) + 1 FROM \"O\") "
                              "WHERE rowid = NEW.rowid; END",
                              "INSERT INTO O (Doc) VALUES ('a'), ('b')"});
    cn_->Open();
    const QString rows = "SELECT Id & ':' & Doc & ':' & Num FROM O ORDER BY Id";
    run({{rows, "1:a:1|2:b:2"},
         {rows, "1:a:1|2:b:2|3:c:3", {"INSERT INTO O (Doc) VALUES ('c')"}},
         // Rebuilt, the table keeps every row.
         {rows, "1:a:1|2:b:2|3:c:3|4:d:4", {"ALTER TABLE [O] DROP CONSTRAINT PK_O", "INSERT INTO O (Doc) VALUES ('d')"}},
         // A counter store that lost its entry starts again above the highest number.
         {"SELECT Num FROM S ORDER BY Doc", "7|8",
          {"CREATE TABLE S (Doc TEXT(5), Num COUNTER)", "INSERT INTO S (Doc, Num) VALUES ('a', 7)",
           "DELETE FROM velmora_counters", "INSERT INTO S (Doc) VALUES ('b')"}}});
    const auto cat = catalog();
    EXPECT_EQ(cat.Table("O").columns[0].property("Autoincrement"), Variant(true));
    EXPECT_EQ(cat.Table("O").columns[2].property("Autoincrement"), Variant(true));
}

// A table's description is remembered per file and schema version, so every
// change, a rolled-back one, a replaced file and a temporary table of the
// asking connection must still show as the engine sees them.
TEST_F(LocalTest, DescriptionsFollowEveryChangeOfTheSchema)
{
    const QString cs = "Provider=Microsoft.ACE.OLEDB.12.0;Data Source=" + file_;
    auto described = [&](const db::ConnectionPtr& c) {
        QStringList names;
        db::Catalog cat;
        cat.setActiveConnection(c);
        for (const auto& col : cat.Table("T").columns)
            names << col.name;
        return names.join(',');
    };
    auto fresh = [&] {
        auto c = std::make_shared<db::Connection>();
        c->Open(cs);
        return described(c);
    };
    auto version = [](const QString& file) {
        sqlite3* h = nullptr;
        sqlite3_open(file.toUtf8().constData(), &h);
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(h, "PRAGMA schema_version", -1, &st, nullptr);
        sqlite3_step(st);
        const int v = sqlite3_column_int(st, 0);
        sqlite3_finalize(st);
        sqlite3_close(h);
        return v;
    };
    // Changes within one tick of a coarse file clock: the file's time stays.
    struct stat st {};
    auto sameTime = [&](const std::function<void()>& change) {
        ASSERT_EQ(::stat(file_.toUtf8().constData(), &st), 0);
        change();
        const timespec times[2] = {st.st_atim, st.st_mtim};
        ASSERT_EQ(::utimensat(AT_FDCWD, file_.toUtf8().constData(), times, 0), 0);
    };
    exec("CREATE TABLE T (a LONG)");
    EXPECT_EQ(fresh(), "a");
    EXPECT_EQ(fresh(), "a");
    sameTime([&] { exec("ALTER TABLE T ADD COLUMN b TEXT(5)"); });
    EXPECT_EQ(fresh(), "a,b");

    // Described inside a transaction that is then undone: the version number
    // comes again with another change.
    const int before = version(file_);
    sameTime([&] {
        auto c = std::make_shared<db::Connection>();
        c->Open(cs);
        c->BeginTrans();
        c->Execute("ALTER TABLE T ADD COLUMN c LONG");
        EXPECT_EQ(described(c), "a,b,c");
        c->RollbackTrans();
    });
    sameTime([&] { exec("ALTER TABLE T ADD COLUMN d LONG"); });
    ASSERT_EQ(version(file_), before + 1);
    EXPECT_EQ(fresh(), "a,b,d");

    // Another file put in its place at the same schema version.
    const QString other = dir_.filePath("other.mdb");
    db::Catalog::Create("Provider=Microsoft.ACE.OLEDB.12.0;Data Source=" + other);
    {
        db::Connection c;
        c.Open("Provider=Microsoft.ACE.OLEDB.12.0;Data Source=" + other);
        c.Execute("CREATE TABLE T (x LONG)");
        while (version(other) < version(file_))
            c.Execute("CREATE TABLE Pad (p LONG)"), c.Execute("DROP TABLE Pad");
    }
    ASSERT_EQ(version(other), version(file_));
    cn_->Close();
    ASSERT_TRUE(QFile::remove(file_));
    ASSERT_TRUE(QFile::rename(other, file_));
    EXPECT_EQ(fresh(), "x");

    // A temporary table of the asking connection hides the stored one.
    auto c = std::make_shared<db::Connection>();
    c->Open(cs);
    c->Execute("CREATE TEMP TABLE T (tmp LONG)");
    EXPECT_EQ(described(c), "tmp");
}

// A file an earlier build wrote: its NOCASE index ordered by that build's own
// comparison (a Spanish collation), which every other reader finds out of
// order. Opening it for writing repairs it (the compacted copy, whose indexes
// the engine fills anew, is sound as well); a read-only opening leaves it; no
// row changes.
namespace {
// Runs statements on a file as an earlier build did, its NOCASE comparison a Spanish collation.
bool asAnEarlierBuild(const QString& file, const char* sql)
{
    sqlite3* h = nullptr;
    if (sqlite3_open(file.toUtf8().constData(), &h) != SQLITE_OK)
        return false;
    sqlite3_create_collation_v2(h, "NOCASE", SQLITE_UTF8, nullptr,
                                [](void*, int n1, const void* p1, int n2, const void* p2) {
                                    QCollator c(QLocale(QLocale::Spanish, QLocale::Spain));
                                    c.setCaseSensitivity(Qt::CaseInsensitive);
                                    return c.compare(QString::fromUtf8(static_cast<const char*>(p1), n1),
                                                     QString::fromUtf8(static_cast<const char*>(p2), n2));
                                },
                                nullptr);
    const bool ran = sqlite3_exec(h, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(h);
    return ran;
}
const char* const kEarlierWords =
    "CREATE TABLE W (Id INTEGER, Word TEXT(30) COLLATE NOCASE); CREATE UNIQUE INDEX ixWord ON W (Word);"
    "INSERT INTO W VALUES (1, 'zeta'), (2, 'Árbol'), (3, 'ÑANDÚ'), (4, 'apple'), (5, 'Éclair'), (6, 'ñu')";
} // namespace

TEST_F(LocalTest, AnIndexOrderedByAnEarlierBuildIsRepairedAtTheFirstWritingOpenAndInTheCompactedCopy)
{
    const QString old = dir_.filePath("earlier.mdb");
    ASSERT_TRUE(asAnEarlierBuild(old, kEarlierWords));
    ASSERT_FALSE(plainReaderFaults(old).isEmpty());
    const QString compacted = dir_.filePath("compacted.mdb");
    db::CompactDatabase(old, compacted);
    EXPECT_EQ(plainReaderFaults(compacted), QStringList{});

    auto words = [&](const QString& mode) {
        auto c = std::make_shared<db::Connection>();
        c->Open("Provider=Microsoft.ACE.OLEDB.12.0;Data Source=" + old + mode);
        auto rs = std::make_shared<db::Recordset>();
        rs->Open("SELECT Word FROM W ORDER BY Id", c, db::adOpenStatic, db::adLockReadOnly);
        QStringList out;
        for (; !rs->Eof(); rs->MoveNext())
            out << rs->value(0).toString();
        return out.join('|');
    };
    const QString rows = "zeta|Árbol|ÑANDÚ|apple|Éclair|ñu";
    EXPECT_EQ(words(";Mode=Read"), rows);
    EXPECT_FALSE(plainReaderFaults(old).isEmpty());
    EXPECT_EQ(words(""), rows);
    EXPECT_EQ(plainReaderFaults(old), QStringList{});
}

// The check reads every row: a file found sound is not read again while it
// stays as it was (its inode, size and modification time), at later starts
// too. A file changed since is checked again; so is every file a start
// without that memo opens.
TEST_F(LocalTest, AFileFoundSoundIsCheckedAgainOnlyOnceChanged)
{
    const QString old = dir_.filePath("earlier.mdb"), memo = dir_.filePath("checked");
    ASSERT_TRUE(asAnEarlierBuild(old, kEarlierWords));
    // Writes that change the size: a file's times are only as fine as the system's clock tick.
    int writes = 0;
    const auto startAndOpen = [&](const QString& memoFile) {
        db::setCaseCheckMemo(memoFile);
        db::Connection c;
        c.Open("Provider=Microsoft.ACE.OLEDB.12.0;Data Source=" + old);
        c.Execute(QStringLiteral("CREATE TABLE Own%1 (x LONG)").arg(++writes)); // this build's own write keeps it sound
        c.Close();
        return plainReaderFaults(old).isEmpty();
    };
    EXPECT_TRUE(startAndOpen(memo));
    ASSERT_TRUE(asAnEarlierBuild(old, "INSERT INTO W VALUES (7, 'Ábaco'); CREATE TABLE Earlier (x)"));
    EXPECT_TRUE(startAndOpen(memo));

    // Out of order again, its modification time put back (the size is the same): taken for the sound file.
    struct stat before {};
    ASSERT_EQ(::stat(QFile::encodeName(old).constData(), &before), 0);
    ASSERT_TRUE(asAnEarlierBuild(old, "UPDATE W SET Word = 'Águila' WHERE Id = 4"));
    const timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(old).constData(), times, 0), 0);
    ASSERT_EQ(QFileInfo(old).size(), before.st_size);
    ASSERT_FALSE(plainReaderFaults(old).isEmpty());
    EXPECT_FALSE(startAndOpen(memo));
    EXPECT_TRUE(startAndOpen(dir_.filePath("another")));
    db::setCaseCheckMemo(QString());
}
