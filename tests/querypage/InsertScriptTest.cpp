// The INSERT script: its text rules, and the page writing, placing and
// opening the file of the final SELECT in the box.
#include "PageFixture.h"

#include "core/FileReplace.h"
#include "querypage/InsertScript.h"

namespace {

class InsertScript : public PageFixture {
protected:
    void SetUp() override
    {
        PageFixture::SetUp();
        useLocalFile();
        const std::pair<const char*, int> columns[] = {{"ID", db::adInteger},   {"NAME", db::adVarWChar},
                                                       {"AMOUNT", db::adDouble}, {"DAY", db::adDate},
                                                       {"ACTIVE", db::adBoolean}, {"NOTE", db::adVarWChar},
                                                       {"CODE", db::adGUID},     {"PIC", db::adLongVarBinary}};
        for (const auto& [name, type] : columns) {
            db::FieldInfo f;
            f.name = name;
            f.type = type;
            table.fields.push_back(f);
        }
        rec->answer("SELECT * FROM [T] WHERE 1 = 2", table);
        rec->clearLog();
    }
    void answer(const QString& sql, std::vector<std::vector<Variant>> rows, int columns = 8)
    {
        Answer a = table;
        a.fields.resize(std::size_t(columns));
        a.rows = std::move(rows);
        rec->answer(sql, a);
    }
    QString scriptFile() const { return dir.filePath("Scripts/T_20240131_154503.txt"); }
    QByteArray written() const
    {
        QFile f(scriptFile());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    std::vector<Variant> row(Variant day, Variant code = Variant::null(), Variant pic = Variant::null())
    {
        return {std::int32_t(1), "O'Brien", 12.5, day, true, Variant::null(), code, pic};
    }

    Answer table;
    shell::ScopedRecordingLauncher launcher;
};

TEST_F(InsertScript, RowsAsInsertStatements)
{
    auto second = row(QDateTime(QDate(2024, 1, 31), QTime(15, 45, 3), Qt::UTC), "{8E0C-41}");
    second[2] = 3.0;
    answer("SELECT * FROM T", {row(QDate(2024, 1, 31)), second});
    rec->answerAffected("UPDATE T SET ID = ID + 1", 2);
    load("UPDATE T SET ID = ID + 1; SELECT * FROM T");
    page.GenerateScript();
    EXPECT_EQ(written(), QByteArray("INSERT INTO T VALUES(1, 'O''Brien', 12.50, DateValue('31/01/2024'), 1, NULL, NULL, NULL)\r\n"
                                    "INSERT INTO T VALUES(1, 'O''Brien', 3.00, #01/31/2024 15:45:03#, 1, NULL, '{8E0C-41}', NULL)\r\n"));
    EXPECT_EQ(rec->statements().filter("UPDATE").size(), 0);
    EXPECT_EQ(rec->statements().count("SELECT * FROM T"), 1);
    ASSERT_EQ(launcher->launched.size(), 1);
    EXPECT_EQ(launcher->launched[0].toLocalFile(), scriptFile());
    EXPECT_TRUE(shown().isEmpty());
    EXPECT_EQ(page.StatusText(), QStringLiteral("Tiempo Total de Carga: 00:00:00     Nº Registros: 2     Columnas: 8"));
    // The folder it had to make is written back.
    EXPECT_EQ(clsTablas::LeerIni(dir.filePath("Velmora.ini"), "Scripts", "Path", ""), dir.path() + "/Scripts/");

    // Result columns in another order or a part of them: typed by name, with a column list.
    rec->answerRows("SELECT NAME, ID FROM T", {"NAME", "ID"}, {{"x", 5}});
    load("SELECT NAME, ID FROM T");
    page.GenerateScript();
    EXPECT_EQ(written(), QByteArray("INSERT INTO T (NAME, ID) VALUES('x', 5)\r\n"));

    // A folder of the user's own, and a launch that fails: the file stays and the notice names it.
    QDir(dir.path()).mkpath("mine");
    clsTablas::GuardarIni(dir.filePath("Velmora.ini"), "Scripts", "Path", dir.filePath("mine"));
    auto six = row(QDate(2024, 1, 31));
    six.resize(6);
    answer("SELECT * FROM T WHERE ID = 1", {six}, 6);
    load("SELECT * FROM T WHERE ID = 1");
    launcher->answer = false;
    page.GenerateScript();
    const QString file = dir.filePath("mine/T_20240131_154503.txt");
    ASSERT_TRUE(QFile::exists(file));
    EXPECT_EQ(shown(), QStringList{"Se ha generado el fichero " + file +
                                   ", pero no se ha podido abrir con el programa del escritorio. (64, Aviso)"});
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    // The first six of eight fields: in table order, but not all of them.
    EXPECT_TRUE(f.readAll().startsWith("INSERT INTO T (ID, NAME, AMOUNT, DAY, ACTIVE, NOTE) VALUES(1, "));
}

TEST_F(InsertScript, NothingWrittenOnAFailure)
{
    page.GenerateScript();
    EXPECT_EQ(shown(), QStringList{"La consulta actual no contiene ninguna sentencia SELECT. (64, Velmora 3.0)"});

    // A binary value, no rows, a result column that names no field: one report each.
    auto bytes = std::make_shared<VArray>(0, 1);
    bytes->at(0) = Variant(std::uint8_t(1));
    bytes->at(1) = Variant(std::uint8_t(2));
    answer("SELECT * FROM T", {row(QDate(2024, 1, 31), "{G}", Variant(bytes))});
    answer("SELECT * FROM T WHERE ID = 0", {});
    rec->answerRows("SELECT ID AS X FROM T", {"X"}, {{1}});
    for (const char* statement : {"SELECT * FROM T", "SELECT * FROM T WHERE ID = 0", "SELECT ID AS X FROM T"}) {
        load(statement);
        page.GenerateScript();
        EXPECT_FALSE(QFile::exists(scriptFile())) << statement;
        EXPECT_TRUE(launcher->launched.isEmpty()) << statement;
        ASSERT_EQ(recorder->calls.size(), 1u) << statement;
        EXPECT_TRUE(recorder->calls[0].body.trimmed().startsWith("MAXSQL.GENERATESCRIPT\r\nError: "))
            << recorder->calls[0].body.toStdString();
    }

    // A disk that fills at the first or at the last byte of the script: the
    // file written before stays whole, nothing is left beside it, nothing is
    // opened, and the report names the file.
    rec->answerRows("SELECT NAME, ID FROM T", {"NAME", "ID"}, {{"x", 5}});
    load("SELECT NAME, ID FROM T");
    page.GenerateScript();
    const QByteArray old = written();
    ASSERT_EQ(old.size(), 41);
    launcher->launched.clear();
    for (const qint64 room : {0, 40}) {
        FileReplace::installWriter([room](QIODevice& out, const QByteArray& bytes) {
            const bool full = static_cast<QFileDevice&>(out).fileName().endsWith(".txt");
            const qint64 n = full ? std::min<qint64>(room, bytes.size()) : bytes.size();
            return out.write(bytes.left(n)) == n && n == bytes.size();
        });
        load("SELECT NAME, ID FROM T");
        page.GenerateScript();
        FileReplace::installWriter(nullptr);
        EXPECT_EQ(written(), old) << room;
        EXPECT_EQ(QDir(dir.filePath("Scripts")).entryList(QDir::Files | QDir::Hidden), QStringList{"T_20240131_154503.txt"});
        EXPECT_TRUE(launcher->launched.isEmpty()) << room;
        ASSERT_EQ(recorder->calls.size(), 1u) << room;
        EXPECT_TRUE(recorder->calls[0].body.contains("Error: No se ha podido escribir el fichero " + scriptFile()))
            << recorder->calls[0].body.toStdString();
    }
}

// The script of a local database file, as the program starts the page.
class LocalInsertScript : public PageBase {
protected:
    void SetUp() override
    {
        PageBase::SetUp();
        startAsTheProgram();
        page.setCurrentTab(1);
        page.setClock([] { return QDateTime(QDate(2024, 1, 31), QTime(15, 45, 3)); });
        QStringList statements{"CREATE TABLE Genre (GenreId LONG, Name TEXT(20))", "INSERT INTO Genre VALUES (1, 'Rock')",
                               "INSERT INTO Genre VALUES (2, 'Jazz')", "CREATE TABLE Track (TrackId LONG)",
                               "INSERT INTO Track VALUES (1)"};
        for (int n = 1; n < 8192; n *= 2)
            statements << QStringLiteral("INSERT INTO Track SELECT TrackId + %1 FROM Track").arg(n);
        page.ParametersConnection(1, 1, "", makeLocalFile(dir.filePath("music.mdb"), statements), "", "");
    }
    QString scriptFile(const QString& table = "Genre") const
    {
        return dir.filePath("Scripts/" + table + "_20240131_154503.txt");
    }

    shell::ScopedRecordingLauncher launcher;
};

// The rows written and the refusal of none are those of the statement in the
// box, not of the result the grid still holds from the last run.
TEST_F(LocalInsertScript, TheStatementInTheBoxIsCountedNotTheGridsResult)
{
    run("SELECT * FROM Genre WHERE GenreId = 0");
    ASSERT_EQ(page.Flexi().Rows(), 1);
    page.setTextSQL("SELECT * FROM Genre");
    page.GenerateScript();
    EXPECT_EQ(reports(), QStringList());
    QFile f(scriptFile());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("INSERT INTO Genre VALUES(1, 'Rock')\r\nINSERT INTO Genre VALUES(2, 'Jazz')\r\n"));
    f.close();

    QFile::remove(scriptFile());
    run("SELECT * FROM Genre");
    page.setTextSQL("SELECT * FROM Genre WHERE GenreId = 0");
    page.GenerateScript();
    ASSERT_EQ(reports().size(), 1);
    EXPECT_TRUE(reports()[0].endsWith("Error: La consulta no ha devuelto ningún registro")) << reports()[0].toStdString();
    EXPECT_EQ(QDir(dir.filePath("Scripts")).entryList(QDir::Files | QDir::Hidden), QStringList());
    EXPECT_EQ(launcher->launched.size(), 1); // the first script alone

    // Rows past the first blocks the temporary file keeps are written too, in their order.
    page.setTextSQL("SELECT TrackId FROM Track ORDER BY TrackId");
    page.GenerateScript();
    QFile tracks(scriptFile("Track"));
    ASSERT_TRUE(tracks.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = tracks.readAll().split('\n');
    ASSERT_EQ(lines.size(), 8193);
    for (const int at : {0, 4095, 4096, 8191})
        EXPECT_EQ(lines[at], "INSERT INTO Track VALUES(" + QByteArray::number(at + 1) + ")\r");
}

} // namespace
