// Editing a result in the page: which results may be edited and with which
// keys, rows coloured by state, the take-over of a changed cell, add, delete
// and confirm, over local database files (and the recording backend where the
// exact SQL matters).
#include "PageFixture.h"

#include "platform/db/Connection.h"
#include "platform/db/Recordset.h"
#include "querypage/TabHistoryFile.h"

namespace {

using A = MaxSQLTestAccess;

QString refusal(const char* reason)
{
    return QString::fromUtf8(reason) + "\r\n\r\nSe anula la creación del nuevo registro.";
}

const QString kM = "#e1faff", kA = "#c8f0cd", kB = "#ffd2d2";

// A page started as the program starts it, on local database files.
class LocalEditTest : public PageBase {
protected:
    void SetUp() override
    {
        PageBase::SetUp();
        startAsTheProgram();
        page.Dialogs().frmNewKey = [s = newKey] { return std::make_unique<ScriptedNewKey>(s); };
    }
    QString makeFile(const QString& name, const QStringList& statements)
    {
        return makeLocalFile(dir.filePath(name), statements);
    }
    void open(const QString& file, const QString& sql, MaxSQL* other = nullptr)
    {
        MaxSQL& p = other ? *other : page;
        p.ParametersConnection(1, 1, "", file, "", "");
        p.setTextSQL(sql);
        p.ExecuteQuery();
    }
    // Reads a file, or runs SQL on it behind the pages' back.
    QString read(const QString& file, const QString& sql)
    {
        auto c = std::make_shared<db::Connection>();
        c->Open("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + file);
        if (!sql.startsWith("SELECT")) {
            c->Execute(sql);
            return {};
        }
        db::Recordset rs;
        rs.Open(sql, c);
        return rs.GetString(2, -1, ",", ";", "null");
    }
    void behind(const QString& file, const QString& sql) { read(file, sql); }
    MaxGrid& grid() { return page.Flexi(); }
    // The user types text into a cell and leaves it.
    void edit(int row, int col, const QString& text)
    {
        grid().setLastRowChanged(row);
        grid().setLastColChanged(col);
        grid().setTextMatrix(row, col, text);
        emit grid().CellChanged();
    }
    void yes() { recorder->answers.push_back(6); }
    QString color(int row, int col)
    {
        const QVariant v = grid().innerGrid()->model()->index(row - 1, col).data(Qt::BackgroundRole);
        return v.isValid() ? v.value<QColor>().name() : QString();
    }
    QStringList rowColors(int row) { return cells(row, [this](int r, int c) { return color(r, c); }); }
    QStringList cells(int row, const std::function<QString(int, int)>& of = {})
    {
        QStringList out;
        for (int c = 0; c < grid().Cols(); ++c)
            out << (of ? of(row, c) : grid().TextMatrix(row, c));
        return out;
    }
    QStringList notices() const // without the questions
    {
        QStringList out;
        for (const auto& c : recorder->calls)
            if (c.style != 36)
                out << c.body.mid(2);
        return out;
    }
    std::shared_ptr<clsMultiTabla> ot() { return A::records(page); }

    std::shared_ptr<NewKeyScript> newKey = std::make_shared<NewKeyScript>();
};

const QStringList kValues = {
    "CREATE TABLE V (ID LONG PRIMARY KEY, D DOUBLE, S SINGLE, W DATETIME, B YESNO, N TEXT(20))",
    "INSERT INTO V VALUES (1, 0.1, 1.1, #2024-01-15 10:20:30#, True, NULL)",
    "INSERT INTO V VALUES (2, 0.5, 2.5, #2023-11-02 08:00:01#, False, 'dos')",
    "INSERT INTO V VALUES (3, 0.7, 3.5, #2023-11-03 08:00:01#, False, 'tres')"};

// One file through edit, delete, add and confirm; each part starts from a fresh
// run of the SELECT, which drops what the part before left unconfirmed.
TEST_F(LocalEditTest, EditDeleteAddAndConfirmOnOneFile)
{
    const QString file = makeFile("v.mdb", kValues), two = makeFile("two.mdb", kValues);
    open(file, "SELECT * FROM V");
    // The file's headers and rows, Null as an empty cell.
    EXPECT_EQ(grid().Rows(), 4);
    EXPECT_EQ(cells(0) + cells(1) + cells(2),
              (QStringList{"ID", "D", "S", "W", "B", "N", "1", "0,1", "1,1", "15/01/2024 10:20:30", "Verdadero", "",
                           "2", "0,5", "2,5", "02/11/2023 08:00:01", "Falso", "dos"}));
    ASSERT_TRUE(A::editable(page));
    EXPECT_EQ(std::tuple(page.StatusText().contains("Nº Registros: 3     Columnas: 6"), grid().LockedColumns(),
                         grid().TypesString(), enabled("BttConfirm")),
              std::tuple(true, "0", "LONG|DOUBLE|SINGLE|DATE|YESNO|STRING", false));

    // An edit marks its row and only the changed field.
    edit(1, 5, "uno");
    EXPECT_EQ(ot()->ModoEdicion("#1"), "M");
    QStringList names;
    const CollectionPtr edited = ot()->CamposEditados("#1");
    for (const Variant& item : *edited)
        names << item.as<Collection>()->Item(Variant(QStringLiteral("Name"))).toString();
    EXPECT_EQ(std::tuple(names, rowColors(1), rowColors(2), enabled("BttConfirm")),
              std::tuple(QStringList{"V.N"}, QStringList(6, kM), QStringList(6, QString()), true));
    // The same text again, and a Null cell left empty: nothing to mark.
    edit(2, 1, grid().TextMatrix(2, 1));
    EXPECT_EQ(std::tuple(ot()->ModoEdicion("#2"), ot()->RegistrosEditados(), shown()), std::tuple("", 1, QStringList()));

    // Delete marks a loaded row; a "B" row takes no values.
    run("SELECT * FROM V");
    grid().setRow(2);
    yes();
    A::remove(page);
    const QStringList deleteQuestion{"¿Desea eliminar el registro seleccionado? (36, Velmora 3.0)"};
    EXPECT_EQ(std::tuple(shown(), ot()->ModoEdicion("#2"), grid().Rows()), std::tuple(deleteQuestion, "B", 4));
    edit(2, 5, "otra");
    EXPECT_EQ(std::tuple(ot()->ModoEdicion("#2"), rowColors(2)), std::tuple("B", QStringList(6, kB)));
    // An added row goes from the grid, AddedRows and the record set.
    newKey->values = {"9"};
    grid().setRow(0);
    A::add(page);
    ASSERT_EQ(grid().Rows(), 5);
    const int count = ot()->Count();
    grid().setRow(4);
    yes();
    A::remove(page);
    EXPECT_EQ(std::tuple(grid().Rows(), A::addedRows(page)->Count(), ot()->Count()), std::tuple(4, 0, count - 1));
    // Ctrl+Delete asks and marks; Ctrl+Insert adds no row.
    recorder->calls.clear();
    grid().setRow(3);
    yes();
    QTest::keyClick(grid().innerGrid(), Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(std::tuple(shown(), ot()->ModoEdicion("#3")), std::tuple(deleteQuestion, "B"));
    QTest::keyClick(grid().innerGrid(), Qt::Key_Insert, Qt::ControlModifier);
    EXPECT_EQ(grid().Rows(), 4);
    // One row of each state, as the user sees them.
    edit(1, 5, "uno");
    grid().setRow(0);
    newKey->values = {"8"};
    A::add(page);
    EXPECT_EQ(rowColors(1).first() + rowColors(2).first() + rowColors(4).first(), kM + kB + kA);

    // Add refuses a held key and copies the selected row.
    run("SELECT * FROM V");
    recorder->calls.clear();
    const int rows = grid().Rows();
    grid().setRow(0);
    newKey->values = {"2"};
    A::add(page);
    EXPECT_EQ(std::tuple(shown(), grid().Rows(), A::addedRows(page)->Count()),
              std::tuple(QStringList{refusal("Ya existe otro registro con la clave indicada.") + " (64, Velmora 3.0)"}, rows, 0));
    // A copy of row 2 with key 7: every column, then the dialog's key.
    recorder->calls.clear();
    grid().setRow(2);
    yes();
    newKey->values = {"7"};
    A::add(page);
    ASSERT_EQ(grid().Rows(), rows + 1);
    QStringList source = cells(2);
    source[0] = "7";
    EXPECT_EQ(std::tuple(cells(rows), rowColors(rows), ot()->ValorCampo("V.N", Variant(ot()->RegistroActual())).toString(),
                         grid().Row(), grid().Col()),
              std::tuple(source, QStringList(6, kA), "dos", rows, 1));
    // The key added a moment ago is held too; a cancelled dialog makes nothing.
    const int held = ot()->Count();
    recorder->calls.clear();
    A::add(page);
    newKey->cancel = true;
    A::add(page);
    EXPECT_EQ(notices(), (QStringList{refusal("Ya existe otro registro con la clave indicada."),
                                      refusal("No se han recibido los datos clave.")}));
    EXPECT_EQ(std::tuple(grid().Rows(), ot()->Count(), A::addedRows(page)->Count()), std::tuple(rows + 1, held, 1));

    // Confirm writes, then reloads the final SELECT only.
    run("UPDATE V SET N = 'upd' WHERE ID = 3; SELECT * FROM V");
    recorder->calls.clear();
    ASSERT_TRUE(A::editable(page));
    behind(file, "UPDATE V SET N = 'behind' WHERE ID = 3");
    edit(1, 5, "uno");
    edit(2, 5, "two");
    yes();
    A::confirm(page);
    // Reloaded, the UPDATE not run again.
    EXPECT_EQ(std::tuple(notices(), recorder->calls[0].body.mid(2), read(file, "SELECT N FROM V ORDER BY ID"), grid().TextMatrix(3, 5), rowColors(1)),
              std::tuple(QStringList{"2 registros actualizados."}, "¿Desea aplicar los cambios efectuados en los 2 registros marcados en la grid?",
                         "uno;two;behind;", "behind", QStringList(6, QString())));

    // A statement that touches no row: nothing written, no reload, edits kept.
    recorder->calls.clear();
    edit(1, 5, "again");
    edit(2, 5, "both");
    behind(file, "DELETE FROM V WHERE ID = 2");
    yes();
    A::confirm(page);
    EXPECT_FALSE(notices().contains("2 registros actualizados.")) << notices().join('\n').toStdString();
    EXPECT_EQ(std::tuple(grid().TextMatrix(1, 5), rowColors(2), ot()->RegistrosEditados(), read(file, "SELECT N FROM V WHERE ID = 1")),
              std::tuple("again", QStringList(6, kM), 2, "uno;"));

    behind(file, "INSERT INTO V (ID, N) VALUES (2, 'two')");
    recorder->calls.clear();
    yes();
    A::confirm(page);
    EXPECT_EQ(std::tuple(notices(), read(file, "SELECT N FROM V WHERE ID < 3 ORDER BY ID")),
              std::tuple(QStringList{"2 registros actualizados."}, "again;both;"));

    // A change, a delete and an insert keyed Max + 1, in one go, after a second page of
    // the window opened its own file on the shared data-access object.
    MaxSQL second;
    wire(second);
    open(two, "SELECT * FROM V", &second);
    recorder->calls.clear();
    edit(1, 5, "first");
    grid().setRow(2);
    yes();
    A::remove(page);
    grid().setRow(0);
    *newKey = {};
    newKey->maxPlusOneRow = 0;
    A::add(page);
    ASSERT_EQ(grid().TextMatrix(4, 0), "4");
    yes();
    A::confirm(page);
    EXPECT_EQ(notices(), QStringList{"3 registros actualizados."}); // the second page showed nothing either
    EXPECT_EQ(read(file, "SELECT ID, N FROM V WHERE ID <> 4 ORDER BY ID"), "1,first;2,both;"); // row 2 held record 3
    EXPECT_EQ(read(file, "SELECT COUNT(*) FROM V WHERE ID = 4"), "1;");
    EXPECT_EQ(read(two, "SELECT ID, N FROM V ORDER BY ID"), "1,null;2,dos;3,tres;");

    // Nothing marked: the question, then the notice, no reload.
    recorder->calls.clear();
    yes();
    A::confirm(page);
    EXPECT_EQ(notices(), QStringList{"No se han encontrado registros para actualizar"});
}

// The count follows the grid's rows; commands that only use the connection
// leave the key and edit buttons; clearing the grid ends editing; an
// unchanged run of a tab's restored query adds no history entry.
TEST_F(LocalEditTest, CountsButtonsClearingAndAnUnchangedRestoredRun)
{
    const QString file = makeFile("c.mdb", kValues);
    TabHistoryFile restored;
    ASSERT_TRUE(TabHistoryFile().recordNewest({"SELECT * FROM V", "", "", {1, 1, "", file, "", ""}}, 3240, restored));
    ASSERT_TRUE(restored.save(TabHistoryFile::pathOf(1)));
    page.setCurrentTab(1);
    page.StartControl();
    page.ExecuteQuery();
    ASSERT_TRUE(A::editable(page));
    EXPECT_EQ(TabHistoryFile::load(TabHistoryFile::pathOf(1)).entry(1).sql, "");
    // The idle check that follows the load leaves the user's cell where it is.
    grid().setRow(2);
    page.setClock([] { return QDateTime::currentDateTime().addSecs(5); });
    A::timerTick(page);
    EXPECT_EQ(std::tuple(grid().Row(), A::editable(page)), std::tuple(2, true));

    const auto counted = [this] { return page.StatusText().section("Nº Registros: ", 1).section(' ', 0, 0); };
    grid().setRow(0);
    newKey->values = {"9"};
    A::add(page);
    const QString added = counted();
    grid().setRow(4);
    yes();
    A::remove(page); // the added row goes
    const QString removed = counted();
    grid().setRow(2);
    yes();
    A::remove(page);
    yes();
    A::confirm(page);
    EXPECT_EQ(QStringList({added, removed, counted()}), QStringList({"4", "3", "2"}));

    const auto buttons = [this] {
        return QStringList{QString::number(enabled("BttKey")), QString::number(enabled("BttAdd")),
                           QString::number(enabled("BttDelete")), QString::number(enabled("BttConfirm"))}
            .join("");
    };
    ASSERT_EQ(buttons(), "1110");
    page.Dialogs().frmCSV = [this] { return std::make_shared<Scripted<CsvDialog>>(nullptr, dialogsShown); };
    page.Dialogs().frmCompare = [this] { return std::make_unique<Scripted<CompareDialog>>(nullptr, dialogsShown); };
    page.GenerateCSV(); // cancelled
    // As the window's menus run them: the page's buttons held while the menu is open.
    for (void (MaxSQL::*command)() : {&MaxSQL::GenerateCSV, &MaxSQL::CompareDatabases}) {
        page.DisableButtons(true);
        (page.*command)();
        page.DisableButtons(false);
    }
    EXPECT_EQ(std::tuple(buttons(), dialogsShown, A::editable(page)), std::tuple("1110", 3, true));

    page.DeleteGridData();
    EXPECT_EQ(std::tuple(buttons(), A::editable(page), grid().Editable(), ot() == nullptr, page.LastFinalSelect()),
              std::tuple("0000", false, false, true, ""));
}

// A key that is not a whole number may hold NULL in more than one row of a
// local file, declared or not: the count finds it and the result stays read-only.
TEST_F(LocalEditTest, ADeclaredKeyHoldingNullTwiceStaysReadOnly)
{
    const QString file = makeFile("n.mdb", {"CREATE TABLE N (K TEXT(10) PRIMARY KEY, V TEXT(10))",
                                            "INSERT INTO N VALUES (NULL, '1')", "INSERT INTO N VALUES (NULL, '2')",
                                            "INSERT INTO N VALUES ('a', '3')"});
    open(file, "SELECT * FROM N");
    EXPECT_EQ(std::tuple(page.KeyFieldsText(), grid().Rows(), A::editable(page)), std::tuple("K", 4, false))
        << shown().join('\n').toStdString();
    behind(file, "DELETE FROM N WHERE V = '2'");
    open(file, "SELECT * FROM N ORDER BY V");
    EXPECT_TRUE(A::editable(page));
}

TEST_F(LocalEditTest, LostRecordsAndKeysHoldingSeparators)
{
    const QString file = makeFile("p.mdb", {"CREATE TABLE P (K TEXT(10) PRIMARY KEY, V TEXT(10))",
                                            "INSERT INTO P VALUES ('a|b', '1')", "INSERT INTO P VALUES ('x#y', '2')",
                                            "INSERT INTO P VALUES ('x', '3')", "INSERT INTO P VALUES ('gone', '4')"});
    open(file, "SELECT * FROM P ORDER BY K");
    ASSERT_TRUE(A::editable(page));
    // Rows: a|b, gone, x, x#y
    behind(file, "DELETE FROM P WHERE K = 'gone'");
    edit(2, 1, "new");
    EXPECT_EQ(std::tuple(shown(), grid().TextMatrix(2, 1), ot()->RegistrosEditados(), rowColors(2)),
              std::tuple(QStringList{"No se ha podido localizar el registro #gone (64, Velmora 3.0)"}, "4", 0, QStringList(2, QString())));

    recorder->calls.clear();
    edit(1, 1, "AB");
    edit(4, 1, "XY");
    yes();
    A::confirm(page);
    EXPECT_EQ(std::tuple(notices(), read(file, "SELECT K, V FROM P ORDER BY K")),
              std::tuple(QStringList{"2 registros actualizados."}, "a|b,AB;x,3;x#y,XY;"));
}

// --- over the recording backend: the exact statements of the key rules

class KeyRulesTest : public PageFixture {
protected:
    void SetUp() override
    {
        PageFixture::SetUp();
        startAsTheProgram();
        rec->answer("SELECT * FROM [T] WHERE 1 = 2", Answer::table({"ID", "LINE", "NAME"}, {{1, 1, "x"}}));
        rec->answerRows("SELECT * FROM T", {"ID", "LINE", "NAME"}, {{1, 1, "a"}, {1, 2, "b"}});
        rec->answerRegex("^SELECT C.Name FROM sys.indexes", Answer::table({"Name"}, {{"ID"}, {"LINE"}}));
        // No key value held twice.
        rec->answerRegex(" GROUP BY ", Answer::table({"X"}, {}));
        std::vector<db::TableInfo> tables(2);
        tables[0].name = "T";
        tables[1].name = "U";
        for (auto& t : tables)
            t.type = "TABLE";
        rec->setTables(tables);
        rec->clearLog();
    }
    // The record set's first read of a table: answered, or failing.
    void records(bool answered)
    {
        rec->answerRegex(" 0 = 1", answered ? Answer::table({"ID", "LINE", "NAME"}, {}) : Answer::failure(3146, "no"));
    }
    static QString keyStatement(const QString& table)
    {
        return "SELECT C.Name FROM sys.indexes AS I INNER JOIN sys.index_columns AS ic ON I.object_id = ic.object_id "
               "AND I.index_id = ic.index_id INNER JOIN sys.columns AS c ON ic.object_id = c.object_id AND "
               "ic.column_id = c.column_id INNER JOIN sys.objects AS o ON I.object_id = o.object_id WHERE "
               "I.is_primary_key = 1 AND o.name = '" + table + "'";
    }
    // The key box, the key list, its positions and locked columns, and whether the key is unique.
    QStringList keys()
    {
        return {page.KeyFieldsText(), A::keyList(page), A::keyPositions(page), A::lockedColumns(page),
                A::keyUnique(page) ? "unique" : "-"};
    }
    // The key box holds text; the keys are resolved against T's structure.
    void resolve(const QString& box)
    {
        page.setKeyFieldsText(box);
        A::setSingleTable(page, "T");
        A::resolveKeys(page, A::structure(page, "T"));
    }
};

TEST_F(KeyRulesTest, DeclaredAndTypedKeysAreCounted)
{
    records(true);
    const QString count = "SELECT T.ID,T.LINE FROM T GROUP BY T.ID,T.LINE HAVING COUNT(*) > 1";
    run("SELECT * FROM T");
    EXPECT_EQ(keys(), (QStringList{"ID,\nLINE", "T.ID,T.LINE", "1,2", "0,1", "unique"})) << shown().join('\n').toStdString();
    EXPECT_EQ(std::tuple(rec->statements().filter("SELECT T.ID"), A::editable(page), page.Flexi().LockedColumns()),
              std::tuple(QStringList{count}, true, "0,1"));

    rec->clearLog();
    rec->answer(count, Answer::table({"ID", "LINE"}, {}));
    resolve("ID, LINE");
    EXPECT_EQ(rec->statements(), QStringList{count});
    EXPECT_TRUE(A::keyUnique(page));
    rec->answerRows("SELECT T.LINE,T.ID FROM T GROUP BY T.LINE,T.ID HAVING COUNT(*) > 1", {"LINE", "ID"}, {{1, 1}});
    resolve("LINE,\r\nID");
    EXPECT_EQ(std::tuple(A::keyUnique(page), shown().size()), std::tuple(false, 0));

    resolve("2");
    EXPECT_EQ(keys(), (QStringList{"2", "T.LINE", "2", "1", "unique"}));
    for (const char* bad : {"0", "99", "NOPE"}) {
        resolve(bad);
        EXPECT_EQ(keys(), (QStringList{"", "", "", "", "-"})) << bad;
    }
    // TableKey failing gives no collection at all: no keys either.
    rec->answer(keyStatement("T"), Answer::failure(208, "no"));
    resolve("");
    EXPECT_EQ(keys(), (QStringList{"", "", "", "", "-"}));

    // A table without a key stays read-only.
    rec->answer(keyStatement("U"), Answer::table({"Name"}, {}));
    rec->answerRows("SELECT * FROM U", {"ID"}, {{1}});
    rec->answer("SELECT * FROM [U] WHERE 1 = 2", Answer::table({"ID"}, {{1}}));
    run("SELECT * FROM U");
    EXPECT_EQ(std::tuple(page.KeyFieldsText(), A::editable(page)), std::tuple("", false));
}

// The count reads the whole table: the first page of a result that is still
// arriving shows without it, and the result becomes editable once it is in,
// however slowly the rows come: the idle check of the typing before the run
// comes due meanwhile and leaves the keys alone.
TEST_F(KeyRulesTest, TheKeyIsCountedOnceTheWholeResultIsIn)
{
    records(true);
    std::vector<std::vector<Variant>> many;
    for (int i = 1; i <= 2000; ++i)
        many.push_back({i, 1, "n"});
    rec->answerRows("SELECT * FROM T WHERE ID > 0", {"ID", "LINE", "NAME"}, many);
    loadrules::setPagingCellLimit(300);
    A::slowFetch(page);
    QDateTime clock(QDate(2024, 1, 31), QTime(10, 0, 5));
    page.setClock([&] { return clock; });
    page.setTextSQL("SELECT * FROM T WHERE ID > 0");
    page.ExecuteQuery();
    ASSERT_TRUE(A::fetching(page));
    EXPECT_EQ(std::tuple(page.Flexi().TextMatrix(1, 0), rec->statements().filter(" GROUP BY ").size(), A::editable(page)),
              std::tuple("1", 0, false));
    A::fetchTurn(page);
    clock = clock.addSecs(2);
    A::timerTick(page);
    ASSERT_TRUE(A::fetching(page));
    A::finishFetch(page);
    EXPECT_EQ(std::tuple(rec->statements().filter(" GROUP BY ").size(), A::editable(page)), std::tuple(1, true))
        << shown().join('\n').toStdString();
}

TEST_F(KeyRulesTest, ButtonsFollowTheRecordSetPagingAndTyping)
{
    // The record set does not start: read-only, buttons grey.
    records(false);
    run("SELECT * FROM T");
    EXPECT_EQ((std::vector{A::editable(page), page.Flexi().Editable(), enabled("BttAdd"), enabled("BttDelete"), enabled("BttConfirm")}),
              std::vector(5, false));

    db::RecordingBackend::uninstall();
    SetUp();
    records(true);
    run("SELECT * FROM T");
    ASSERT_TRUE(A::editable(page));
    EXPECT_EQ(std::tuple(enabled("BttAdd"), enabled("BttDelete")), std::tuple(true, true));
    A::setPaging(page, true);
    A::checkEditable(page);
    EXPECT_EQ(std::tuple(enabled("BttAdd"), enabled("BttDelete")), std::tuple(false, true));
    A::setPaging(page, false);
    A::checkEditable(page);

    // Writing the same text back changes nothing; typing greys everything at once.
    page.setTextSQL("SELECT * FROM T");
    EXPECT_TRUE(A::editable(page));
    QDateTime clock(QDate(2024, 1, 31), QTime(10, 0, 5, 900));
    page.setClock([&] { return clock; });
    page.setTextSQL("SELECT * FROM T ");
    EXPECT_EQ(std::tuple(A::editable(page), enabled("BttDelete"), page.TimerEnabled()), std::tuple(false, false, true));
    clock = clock.addMSecs(300);
    A::timerTick(page);
    EXPECT_FALSE(page.TimerEnabled()); // 06.200: the second has moved on

    clock.setTime(QTime(10, 0, 5, 0));
    page.setTextSQL("SELECT 1");
    for (int ms : {300, 600, 900}) {
        clock.setTime(QTime(10, 0, 5, ms));
        A::timerTick(page);
        EXPECT_TRUE(page.TimerEnabled()) << ms;
    }
    clock.setTime(QTime(10, 0, 6, 0));
    A::timerTick(page);
    // The result stays read-only until the next run.
    EXPECT_EQ(std::tuple(page.TimerEnabled(), A::editable(page)), std::tuple(false, false));
}

} // namespace

TEST_F(LocalEditTest, PagingKeepsEditedColoursOnTheirRecordsAndNoPhantomEdit)
{
    QStringList sql{"CREATE TABLE P (ID LONG PRIMARY KEY, N TEXT(20))"};
    for (int i = 1; i <= 60; ++i)
        sql << QStringLiteral("INSERT INTO P VALUES (%1, 'n%1')").arg(i);
    loadrules::setPagingCellLimit(50);
    open(makeFile("p.mdb", sql), "SELECT * FROM P");
    loadrules::setPagingCellLimit(0);
    auto* bar = page.findChild<QScrollBar*>(QStringLiteral("OnDemandElevator"));
    ASSERT_TRUE(A::editable(page));
    ASSERT_FALSE(bar->isHidden());

    edit(2, 1, "dos");
    EXPECT_EQ(color(2, 1), kM);
    grid().setRow(1);
    grid().setCol(1);
    QSignalSpy changed(&grid(), &MaxGrid::CellChanged);

    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    // Record 2 moved to row 1 with its colour and its edited value; row 2 lost the old colour.
    EXPECT_EQ(std::tuple(cells(1), color(1, 1), grid().TextMatrix(2, 1), color(2, 1) == kM), std::tuple(QStringList{"2", "dos"}, kM, "n3", false));

    // Leaving the current cell after the refill is no edit.
    grid().setRow(3);
    EXPECT_EQ(std::tuple(changed.count(), ot()->ModoEdicion("#3"), ot()->RegistrosEditados()), std::tuple(0, "", 1));

    // A cell typed into and not yet left is taken over before its row shows another record.
    grid().setRow(2);
    grid().setCol(1);
    grid().setTextMatrix(2, 1, "tres!");
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(std::tuple(ot()->ModoEdicion("#3"), grid().TextMatrix(1, 1), color(1, 1), notices()), std::tuple("M", "tres!", kM, QStringList()));
}
