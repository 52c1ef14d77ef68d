// The tab settings file: its format, the shift of the six entries, what an
// unchanged save writes, the atomic replace, and the page's browsing of it.
#include "PageFixture.h"

#include "core/FileReplace.h"
#include "core/ProfileFile.h"
#include "querypage/TabHistoryFile.h"
#include "support/FileMode.h"

namespace {

QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString roundTrip(const QString& sql)
{
    HistoryEntry e;
    e.sql = sql;
    TabHistoryFile out;
    EXPECT_TRUE(TabHistoryFile().recordNewest(e, 3240, out));
    return TabHistoryFile::fromBytes(out.toBytes()).entry(0).sql;
}

class HistoryTest : public PageFixture {
protected:
    void TearDown() override
    {
        FileReplace::installWriter(nullptr);
        FileReplace::installFolderCheck(nullptr);
        PageFixture::TearDown();
    }
    void fill(const QString& sql, const QString& keys, const QString& context, const ConnectionValues& c)
    {
        page.setTextSQL(sql);
        page.setKeyFieldsText(keys);
        page.setContextStatement(context);
        page.ParametersConnection(std::int16_t(c.connectionType), std::int16_t(c.driver), c.server, c.database,
                                  c.user, c.password);
    }
    HistoryEntry shownEntry()
    {
        return {page.TextSQL(), page.KeyFieldsText(), page.contextStatement(),
                ConnectionValues{page.ConnectionType(), page.SelectedDriver(), page.ServerName(),
                                 page.DatabaseName(), page.UserName(), page.Password()}};
    }
    QString value(int tab, const QString& section, const QString& key)
    {
        return ProfileFile::read(TabHistoryFile::pathOf(tab), section, key, QStringLiteral("<none>"));
    }
};

} // namespace

TEST(HistoryFormat, LongLinesComeBackExactlyInPiecesOfAt240)
{
    QString mixed;
    for (int i = 0; mixed.size() < 500; ++i)
        mixed += QStringLiteral("col%1, ").arg(i) + (i % 3 ? QStringLiteral("x ") : QString());
    mixed.truncate(500);
    const QString bare(300, QLatin1Char('q'));
    const QString commaAtBreak = QString(239, QLatin1Char('a')) + QStringLiteral("'x,y' = b");
    const QString marked = QStringLiteral("SELECT '<LINE>' AS m <LINE>\n<CONT>x");
    const QString exact(240, QLatin1Char('z'));
    const QString all = QStringList{mixed, bare, commaAtBreak, marked, exact}.join(u'\n');

    const QStringList stored = TabHistoryFile::storedSqlLines(all);
    for (const QString& piece : stored)
        EXPECT_LE(piece.size() - 12, 240) << piece.toStdString();
    EXPECT_EQ(roundTrip(all), all);
    for (const QString& text : {mixed, bare, commaAtBreak, marked, exact})
        EXPECT_EQ(roundTrip(text), text);

    // Lines that fit keep the markers around them alone, as files have always had them.
    EXPECT_EQ(TabHistoryFile::storedSqlLines(exact), QStringList{"<LINE>" + exact + "<LINE>"});
    EXPECT_EQ(TabHistoryFile::storedSqlLines(bare),
              (QStringList{"<LINE>" + bare.left(240) + "<LINE>", "<CONT>" + bare.mid(240) + "<LINE>"}));
    // Leading empty lines go; empty lines inside and a final break stay.
    EXPECT_EQ(roundTrip("\n\nA\n\nB\n"), QStringLiteral("A\n\nB\n"));
    EXPECT_EQ(roundTrip("A\r\nB\rC"), QStringLiteral("A\nB\nC"));
}

TEST(HistoryFormat, EveryValueOfAnEntryComesBackAsStoredAndOlderFilesReadAsBefore)
{
    // A context statement of 309 characters whose cut would fall inside a literal,
    // key-field lines beyond the reader's limit or with blanks or a marker at an
    // end, connection values with blanks at their ends.
    const QString prefix = QStringLiteral("EXEC sp_set_session_context @key = N'filtro', @value = N'");
    const QString context = prefix + QString(309 - prefix.size() - 1, QLatin1Char('v')) + QLatin1Char('\'');
    ASSERT_EQ(context.size(), 309);
    const HistoryEntry e{"SELECT 1", QString(300, QLatin1Char('k')) + "\n Nombre \n<LINE>Id<LINE>\n" +
                                         QStringLiteral("Ciudad, ").repeated(40),
                         context, {3, 2, " dsn ", "C:/" + QString(280, QLatin1Char('d')) + ".mdb", "sa ", "  p w  "}};
    TabHistoryFile once, twice;
    ASSERT_TRUE(TabHistoryFile().recordNewest(e, 3240, once));
    ASSERT_TRUE(once.recordNewest({"SELECT 2", "ID", "", {0, 0, "srv", "db", "u", "p"}}, 3240, twice));
    const TabHistoryFile back = TabHistoryFile::fromBytes(twice.toBytes());
    EXPECT_EQ(TabHistoryFile::fromBytes(once.toBytes()).entry(0), e);
    EXPECT_EQ(back.entry(1), e);
    EXPECT_EQ(back.entry(0), (HistoryEntry{"SELECT 2", "ID", "", {0, 0, "srv", "db", "u", "p"}}));
    // Values the reader gives back whole stay bare, as files have always had them.
    EXPECT_EQ(TabHistoryFile::storedValue(QString(254, QLatin1Char('u'))), QStringList{QString(254, QLatin1Char('u'))});
    // Every stored value is one the reader gives back whole.
    for (const QByteArray& line : twice.toBytes().split('\n'))
        EXPECT_LE(line.mid(line.indexOf('=') + 1).size(), ProfileFile::ReadLimit) << line.constData();

    // A file written before: values bare, blanks at their ends and length cut as the reader always did.
    const TabHistoryFile old = TabHistoryFile::fromBytes(
        "[Page]\nSplitter=3000\n[LastQuery_0]\nLastQuery_0_Lines=1\nLastQuery_0_Line_1=<LINE>SELECT 1<LINE>\n"
        "LastQuery_0_Context=" + QByteArray(300, 'c') + "\n[LastKeys_0]\nLastKeys_0_Lines=2\nLastKeys_0_Line_1=ID\n"
        "LastKeys_0_Line_2= Nombre \n[DataAccess_0]\nConnectionType=3\nDriver=2\nServer=dsn\nDataBase=db\n"
        "User=sa\nPassword= secret \n");
    EXPECT_EQ(old.entry(0), (HistoryEntry{"SELECT 1", "ID\nNombre", QString(254, QLatin1Char('c')),
                                          {3, 2, "dsn", "db", "sa", "secret"}}));
}

TEST(HistoryFormat, StoredCountsAndIndexesTheFileShouldNotHold)
{
    const TabHistoryFile f = TabHistoryFile::fromBytes("[DataAccess_0]\nConnectionType=9\nDriver=-1\n"
                                                       "[DataAccess_1]\nConnectionType=-1\nDriver=x\n"
                                                       "[LastQuery_0]\nLastQuery_0_Lines=2000000000\n"
                                                       "LastQuery_0_Line_1=<LINE>A<LINE>\n"
                                                       "[Page]\nSplitter=abc\n");
    EXPECT_EQ((std::vector{f.connection(0).connectionType, f.connection(0).driver, f.connection(1).connectionType, f.connection(1).driver}),
              (std::vector{0, -1, -1, 0}));
    // A count far beyond the file's lines reads what the file can hold, quickly.
    EXPECT_EQ(std::tuple(f.entry(0).sql.startsWith(QStringLiteral("A\n")), f.entry(0).sql.size() < 20, f.splitter()), std::tuple(true, true, 3240));
}

TEST_F(HistoryTest, SavesKeepTheLastSixAndGetQueryBrowsesThem)
{
    page.setCurrentTab(3);
    const HistoryEntry saved{"SELECT 1\nFROM t", "ID", "SET LANGUAGE us_english", {0, 0, "srv", "db", "u", "p"}};
    fill(saved.sql, saved.keyFields, saved.context, saved.connection);
    page.SaveLastQuery(0);
    EXPECT_TRUE(reports().isEmpty());

    const QString path = TabHistoryFile::pathOf(3);
    EXPECT_EQ(path, dir.filePath("Velmora_Tab3.ini"));
    EXPECT_EQ(filemode::of(path), 0600u);

    // A page started on the tab shows it again: text, keys, context and connection.
    fill("", "", "", {1, 1, "", "", "", ""});
    page.StartControl();
    EXPECT_EQ(shownEntry(), saved);
    EXPECT_EQ(child<QLineEdit>("txtSQL")->text(), QStringLiteral("Sentencia SQL (última consulta)"));

    // Seven saves on tab 1 keep the last six, and the file stays its owner's alone.
    page.setCurrentTab(1);
    QFile::remove(TabHistoryFile::pathOf(1));
    for (int i = 1; i <= 7; ++i) {
        fill(QStringLiteral("SELECT %1").arg(i), QStringLiteral("K%1").arg(i), QStringLiteral("CTX %1").arg(i),
             {i % 2 ? 0 : 3, 0, QStringLiteral("s%1").arg(i), "", "", QStringLiteral("p%1").arg(i)});
        page.SaveLastQuery(0);
        if (i == 1)
            ::chmod(QFile::encodeName(TabHistoryFile::pathOf(1)).constData(), 0640);
    }
    const TabHistoryFile f = TabHistoryFile::load(TabHistoryFile::pathOf(1));
    EXPECT_EQ(f.entry(5), (HistoryEntry{"SELECT 2", "K2", "CTX 2", {3, 0, "s2", "", "", "p2"}}));
    EXPECT_EQ(f.entry(0).sql, QStringLiteral("SELECT 7"));
    EXPECT_EQ(filemode::of(TabHistoryFile::pathOf(1)), 0600u);

    // Browsing: index 5 greys the older arrow, 3 captions its number, 0 greys the newer one.
    std::int32_t pos = 5;
    std::int16_t tab = 0;
    page.GetQuery(pos, tab);
    EXPECT_EQ(std::tuple(page.TextSQL(), enabled("BttPreviousQuery"), enabled("BttNextQuery")), std::tuple("SELECT 2", false, true));
    pos = 3;
    page.GetQuery(pos, tab);
    EXPECT_EQ(child<QLineEdit>("txtSQL")->text(),
              QStringLiteral("Sentencia SQL 3ª (de las 5 últimas consultas recientes)"));
    pos = 0;
    page.GetQuery(pos, tab);
    EXPECT_EQ(std::tuple(enabled("BttNextQuery"), enabled("BttPreviousQuery")), std::tuple(false, true));

    // Out of range: the caller's variable is corrected and nothing is loaded.
    page.setTextSQL("kept");
    pos = -1;
    page.GetQuery(pos, tab);
    EXPECT_EQ(pos, 0);
    pos = 6;
    page.GetQuery(pos, tab);
    EXPECT_EQ(std::tuple(pos, page.TextSQL()), std::tuple(5, "kept"));
}

TEST_F(HistoryTest, AnUnchangedPageWritesOnlyItsSplitterAFailedWriteNothing)
{
    fill("SELECT 1", "ID", "", {0, 0, "srv", "db", "u", "p"});
    page.SaveLastQuery(0);
    const QString path = TabHistoryFile::pathOf(1);
    const QByteArray before = bytesOf(path);

    // Connection and context changed, text and keys not: the history stays.
    fill("SELECT 1", "ID", "SET X ON", {0, 0, "other", "db2", "u", "p"});
    page.DragSplitter(600);
    page.SaveLastQuery(0);
    ProfileFile expected = ProfileFile::fromBytes(before);
    ASSERT_TRUE(expected.setValue("Page", "Splitter", QString::number(page.SplitterTop())));
    EXPECT_NE(bytesOf(path), before);
    EXPECT_EQ(bytesOf(path), expected.toBytes());

    // An empty text saved into its own tab by number writes nothing at all.
    const QByteArray now = bytesOf(path);
    page.setTextSQL("");
    page.DragSplitter(300);
    page.SaveLastQuery(1);
    EXPECT_EQ(bytesOf(path), now);

    // Into another tab's file the page is always written whole.
    page.setTextSQL("SELECT 1");
    page.SaveLastQuery(2);
    EXPECT_EQ(value(2, "DataAccess_0", "Server"), "other");
    EXPECT_EQ(value(2, "LastQuery_0", "LastQuery_0_Line_1"), "<LINE>SELECT 1<LINE>");

    // A full disk keeps the old file, whether the new one is written beside it
    // or, in a folder that takes no new file, over it; each failure is reported.
    fill("SELECT 1", "", "", {0, 0, "s", "", "", ""});
    page.SaveLastQuery(0);
    const QByteArray kept = bytesOf(path);
    for (const bool newFiles : {true, false}) {
        FileReplace::installFolderCheck(newFiles ? FileReplace::FolderCheck() : [](const QString&) { return false; });
        FileReplace::installWriter([](QIODevice& out, const QByteArray& bytes) {
            out.write(bytes.left(bytes.size() / 2));
            return false;
        });
        fill("SELECT 2", "", "SET A = 1\nSET B = 2", {0, 0, "s", "", "", ""});
        page.SaveLastQuery(0);
        EXPECT_EQ(bytesOf(path), kept);
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), (QStringList{"Velmora_Tab1.ini", "Velmora_Tab2.ini"}));
        ASSERT_EQ(reports().size(), newFiles ? 1 : 2);
        EXPECT_EQ(reports().back(), QStringLiteral("MAXSQL.SAVELASTQUERY\r\nError: No se ha podido guardar el fichero ") + path);
    }

    // Nothing was taken as saved: the same page saves in full next time.
    FileReplace::installWriter(nullptr);
    page.SaveLastQuery(0);
    EXPECT_EQ(std::tuple(value(1, "LastQuery_0", "LastQuery_0_Line_1"), value(1, "LastQuery_1", "LastQuery_1_Line_1"),
                         value(1, "LastQuery_0", "LastQuery_0_Context"), reports().size()),
              std::tuple("<LINE>SELECT 2<LINE>", "<LINE>SELECT 1<LINE>", "SET A = 1 SET B = 2", 2));

    // A value the file cannot hold stops the save the same way.
    fill("SELECT 3", "", "", {0, 0, QStringLiteral("bad\nserver"), "", "", ""});
    const QByteArray good = bytesOf(path);
    page.SaveLastQuery(0);
    EXPECT_EQ(std::tuple(bytesOf(path), reports().size()), std::tuple(good, 3));
}
