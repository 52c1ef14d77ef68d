// The comparison window's rules: placement, progress, the run and its cancel,
// the compared connection row, the grids and the filters.
#include "CompareTestSupport.h"
#include "messages/FakeTranslationStore.h"

#include <QFile>

using namespace comparetest;
using compare::Kind;
using compare::Line;
using Picture = compare::GridSink::Picture;

namespace {

class WindowRulesTest : public CompareTest {
protected:
    void sqlServerRow(const QString& server = "cmp") { typeCompared(0, "Ventas", server); }
    // Statements run on connections to the given server.
    QStringList statementsOn(const QString& server) const
    {
        QStringList out;
        bool on = false;
        for (const auto& e : rec->events()) {
            if (e.kind == db::RecordingBackend::EventKind::Open)
                on = e.text.contains("server=tcp:" + server + ";");
            else if (on && e.kind == db::RecordingBackend::EventKind::Run)
                out << e.text;
        }
        return out;
    }
};

} // namespace

TEST_F(WindowRulesTest, PlacementProgressAndPause)
{
    c.ParentFormTop = 1000;
    c.setParentFormHeight(11000);
    c.Form_Load();
    EXPECT_TRUE(c.tmrInitial.isActive());

    c.StartSteps(8);
    EXPECT_TRUE(c.ShowProgress(Line::TableCurrent, "Orders", 0, 0, true));
    EXPECT_EQ(progress.mainTexts.last(), "Tabla Orders Actual (1 de 8)");
    EXPECT_EQ(progress.mainValues.last(), 12); // 12.5, half to even
    EXPECT_TRUE(waited.isEmpty());
    c.StartSteps(0);
    c.ShowProgress(Line::TableCurrent, "Orders", 0, 0, true);
    EXPECT_EQ(progress.mainValues.last(), 0);

    // A sub step waits the run's pause once.
    c.pauseOverride = 10;
    sqlServerRow();
    c.BttCompare_MouseUp(); // sets the run's pause; the catalog is unreachable here
    waited.clear();
    EXPECT_TRUE(c.ShowProgress(Line::ComparingFields, "Orders", 10, 3, false));
    EXPECT_EQ(progress.subTexts.last(), "Comparando Campos (3 de 10)");
    EXPECT_EQ((std::tuple{progress.subValues.last(), int(waited.size()), now}), (std::tuple{30, 1, 10}));

    // Hidden: nothing is shown and the caller goes on.
    window.visible = false;
    const int shown = progress.mainTexts.size();
    EXPECT_TRUE(c.ShowProgress(Line::TableCurrent, "X", 0, 0, true));
    EXPECT_EQ(progress.mainTexts.size(), shown);
}

// The run waits the smaller of the two engines' pauses after every sub step:
// 10 ms between a SQL Server and an Access side, whichever side each is on,
// 30 between two Access sides.
TEST_F(WindowRulesTest, OnASqlServerCurrentSideItsListsAreReadOnceAndTheRunsFollowTheComparedSide)
{
    serverCatalog({"Orders", "Items"}); // both sides see it; the compared row is on another server
    openOn("Ventas", 0, 0, "cur");
    const QStringList listing = statementsOn("cur");
    EXPECT_EQ(listing.filter("WHERE t.name = 'Orders'").size(), 1);
    EXPECT_EQ(listing.filter("OBJECT_ID('Orders')").size(), 1);
    EXPECT_EQ(records(), (QStringList{"None Orders", "None Items"}));

    // The same database is asked about, and No keeps the window idle.
    sqlServerRow("cur");
    rec->clearLog();
    box->answers = {7};
    c.BttCompare_MouseUp();
    ASSERT_EQ(box->calls.size(), 1u);
    EXPECT_EQ(box->calls[0].style, 36);
    EXPECT_TRUE(box->calls[0].body.endsWith("¿Desea realizar la comparación?"));
    EXPECT_EQ(std::tuple(rec->events().empty(), c.Comparing()), std::tuple(true, false));
    EXPECT_EQ(records(), (QStringList{"None Orders", "None Items"}));

    // A difference in case alone is another database. A run ignores Esc and a second start, and does not
    // read the current side again.
    box->calls.clear();
    c.txtComparedServidor.Text = "CUR";
    c.txtCompared_Change();
    int during = -1;
    eventRuns = 0;
    onEvents = [&](int run) {
        if (run != 3)
            return;
        const int before = rec->statements().size();
        c.Form_KeyPress(27);
        c.BttCompare_MouseUp();
        during = rec->statements().size() - before;
    };
    c.BttCompare_MouseUp();
    onEvents = nullptr;
    c.BttCompare_MouseUp();
    EXPECT_TRUE(box->calls.empty());
    EXPECT_EQ(during, 0);
    EXPECT_EQ(window.hides, 0);
    EXPECT_TRUE(statementsOn("cur").isEmpty());
    EXPECT_EQ(records(), (QStringList{"Equal Orders", "Equal Items"}));
    EXPECT_EQ(hourglass, 0);
    EXPECT_FALSE(c.Comparing());

    datatest::LocalDb accdb("cmp.accdb"), mdb("cmp.mdb");
    makeFile(accdb, kOrders);
    makeFile(mdb, kOrders);
    waited.clear();
    typeCompared(2, accdb.path);
    EXPECT_EQ(c.Pause(), 10);
    progress.subTexts.clear();
    c.BttCompare_MouseUp();
    EXPECT_EQ(records(), (QStringList{"Equal Orders", "Equal Items"}));
    ASSERT_FALSE(waited.isEmpty());
    EXPECT_EQ(waited, QList<int>(progress.subTexts.size(), 10));

    c.cboCurrentDriver.ListIndex = 1; // an Access current side
    sqlServerRow();
    EXPECT_EQ(c.Pause(), 10);
    typeCompared(1, mdb.path);
    EXPECT_EQ(c.Pause(), 30);
}

TEST_F(WindowRulesTest, ExitDuringARunCancelsAndTheTimerHidesOnceTheRunStopped)
{
    openFiles({"CREATE TABLE A (X INTEGER, Y INTEGER)", "CREATE TABLE B (X INTEGER)"},
              {"CREATE TABLE A (X INTEGER)", "CREATE TABLE B (X INTEGER)"});
    bool progressAfterCancel = true;
    eventRuns = 0;
    onEvents = [&](int run) {
        if (run == 2) {
            c.BttSalir_MouseUp();
            c.BttSalir_MouseUp(); // a second press while cancelling changes nothing
            EXPECT_TRUE(c.tmrEnd.isActive());
            EXPECT_EQ(window.hides, 0);
            progressAfterCancel = c.ShowProgress(Line::TableCurrent, "A", 0, 0, true);
        }
    };
    c.BttCompare_MouseUp();
    EXPECT_EQ(std::tuple(progressAfterCancel, c.Comparing()), std::tuple(false, false));
    EXPECT_EQ(hourglass, 0);
    EXPECT_LT(c.PanelLeft(), 0);
    EXPECT_EQ(window.hides, 0);
    c.tmrEnd_Timer();
    EXPECT_EQ(window.hides, 1);
    EXPECT_FALSE(c.tmrEnd.isActive());
}

TEST_F(WindowRulesTest, ACompared_databaseThatDoesNotOpenOrAFailedComparisonLeavesTheWindowIdle)
{
    openFiles(kOrders, kOrders);
    const QStringList shown = tables.column(1);
    QFile text(cur.dir.filePath("x.accdb"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("not a database\n");
    text.close();
    typeCompared(2, text.fileName());
    notices->calls.clear();
    c.BttCompare_MouseUp();
    ASSERT_EQ(notices->calls.size(), 1u);
    EXPECT_EQ(notices->calls[0].prompt, "No se ha podido abrir la conexión");
    EXPECT_TRUE(box->calls.empty()) << messages().join('\n').toStdString();
    EXPECT_EQ(tables.column(1), shown);
    EXPECT_TRUE(records().filter("OnlyCurrent").isEmpty()) << records().join(',').toStdString();
    EXPECT_FALSE(c.Comparing());

    // The listed table's second column has lost its type: the comparison is reported once.
    const auto orders = c.CurrentTables()->Item(Variant("Orders")).as<Collection>();
    datatest::sub(orders, "Fields")->Item(Variant(std::int32_t(2))).as<Collection>()->Remove(Variant("Type"));
    compareWith(cmp);
    ASSERT_EQ(box->calls.size(), 1u);
    EXPECT_TRUE(box->calls[0].body.startsWith("\r\nFRMCOMPARE.COMPARETABLES\r\nError: "));
    EXPECT_EQ(c.ComparisonResult()->Count(), 0);
    EXPECT_FALSE(c.Comparing());
    c.BttSalir_MouseUp();
    EXPECT_EQ(window.hides, 1);
}

TEST_F(WindowRulesTest, TypingDuringARunLeavesTheRunsObject)
{
    datatest::LocalDb second("second.accdb");
    makeFile(second, {"CREATE TABLE FromSecond (X INTEGER)"});
    openFiles({"CREATE TABLE A (X INTEGER)"}, {"CREATE TABLE A (X INTEGER)", "CREATE TABLE FromFirst (X INTEGER)"});
    const auto runs = c.ComparedObject();
    eventRuns = 0;
    onEvents = [&](int run) {
        if (run == 1) {
            EXPECT_TRUE(c.Running());
            c.txtComparedBBDD.Text = second.path;
            c.txtCompared_Change();
        }
    };
    c.BttCompare_MouseUp();
    EXPECT_NE(c.ComparedObject(), runs);
    EXPECT_EQ(records(), (QStringList{"Equal A", "OnlyCompared FromFirst"}));
    EXPECT_FALSE(c.Running());
}

TEST_F(WindowRulesTest, NamesWithBracesAndTranslationsCostTheSkeletonsOnly)
{
    makeFile(cur, {"CREATE TABLE [a}b] (X INTEGER)"});
    auto store = std::make_shared<FakeTranslationStore>();
    for (const char* word : {"Tabla", "Vista", "Solo en BBDD actual", "Solo en BBDD comparada"})
        store->addRow(word, 1, QString(word) + " (en)");
    msg->setTranslationStore(store);
    msg->setLanguage("Language1");
    store->queries = 0;
    openOn(cur);
    EXPECT_EQ(progress.mainTexts, QStringList{"Tabla a}b Actual (1 de 1)"});
    EXPECT_LE(store->queries, 7);
    EXPECT_EQ(record("a}b")->Item(Variant("TableType")).toString(), "Tabla (en)");
    EXPECT_EQ(tables.column(1), QStringList{"a}b"});
}

TEST_F(WindowRulesTest, TheComparedRowFollowsItsTypeAndDriver)
{
    typeCompared(1, "");
    EXPECT_EQ(std::tuple(c.txtComparedServidor.Visible, c.txtComparedUser.Visible), std::tuple(false, false));
    EXPECT_EQ((std::pair{c.cboComparedDriver.ListIndex, c.cboComparedDriver.Enabled}), (std::pair{1, false}));

    c.txtComparedServidor.Text = "left over";
    c.cboComparedConnectionType.ListIndex = 3;
    c.cboComparedDriver.ListIndex = -1;
    c.cboComparedConnectionType_Click();
    EXPECT_EQ((std::pair{c.cboComparedDriver.ListIndex, c.cboComparedDriver.Enabled}), (std::pair{1, true}));
    EXPECT_EQ(std::tuple(c.txtComparedServidor.Visible, c.BttDSN.Visible), std::tuple(true, true));
    for (auto* hidden : {&c.txtComparedBBDD, &c.txtComparedUser, &c.txtComparedPassword, &c.chkPwdVisible,
                         &c.BttAccessFileSelection, &c.lblBBDD, &c.lblUser, &c.lblPassword})
        EXPECT_FALSE(hidden->Visible) << hidden->objectName().toStdString();

    // The button pair follows the silent validation as the user types.
    c.txtComparedServidor.Text = "";
    c.txtCompared_Change();
    EXPECT_TRUE(c.BttCompareDisabled.Visible && !c.BttCompare.Visible);
    EXPECT_FALSE(c.ComparedObject());
    c.txtComparedServidor.Text = "D";
    c.txtCompared_Change();
    EXPECT_TRUE(c.BttCompare.Visible && c.BttFilter.Visible && !c.BttCompareDisabled.Visible);
    ASSERT_TRUE(c.ComparedObject());
    EXPECT_EQ(c.ComparedObject()->ConnectionType(), 3);
    EXPECT_EQ(c.ComparedObject()->Servidor(), "D");
}

TEST_F(WindowRulesTest, ValidationSaysTheFirstProblem)
{
    datatest::LocalDb file("short.mdb");
    makeFile(file, {"CREATE TABLE A (X INTEGER)"});
    const QString sql = "Con una conexión SQL Server ";
    const struct {
        int type, driver;
        QString server, database, user, password, message;
    } cases[] = {
        {0, 0, "", "d", "u", "p", "64|Aviso|" + sql + "el nombre del servidor no puede estar en blanco"},
        {0, 0, "s", "C:/x.ACCDB", "u", "p",
         "64|Comparador de Bases de Datos|" + sql +
             "la caja de texto de la base de datos no puede contener una ruta a un fichero con extensión .accdb"},
        {0, 0, "s", "d", "u", "", "64|Aviso|" + sql + "la contraseña no puede estar en blanco"},
        {3, 2, "s", "d", "", "p", "64|Aviso|Con una conexión Oracle el usuario no puede estar en blanco"},
        {3, 1, "", "", "", "", "64|Aviso|Con una conexión de tipo ODBC el nombre de la DSN u Origen de Datos no puede estar en blanco"},
        {1, 1, "", "a.mdb", "", "",
         "64|Comparador de Bases de Datos|Con una conexión Access la caja de texto de la base de datos debe contener la "
         "ruta completa a un fichero con extensión .mdb"},
        {1, 1, "", file.dir.filePath("*.mdb"), "", "",
         "64|Comparador de Bases de Datos|No se encuentra el fichero de base de datos especificado."},
        {1, 1, "", file.path, "", "", ""},
    };
    for (const auto& k : cases) {
        box->calls.clear();
        c.cboComparedConnectionType.ListIndex = k.type;
        c.cboComparedDriver.ListIndex = k.driver;
        c.txtComparedServidor.Text = k.server;
        c.txtComparedBBDD.Text = k.database;
        c.txtComparedUser.Text = k.user;
        c.txtComparedPassword.Text = k.password;
        EXPECT_EQ(c.ValidateAll(true), k.message.isEmpty()) << k.message.toStdString();
        EXPECT_EQ(messages().join('\n'), k.message);
    }
}

TEST_F(WindowRulesTest, GridsShowTheFilteredResult)
{
    openFiles({"CREATE TABLE T (A INTEGER, B INTEGER, C INTEGER)", "CREATE INDEX IX ON T (A, B, C)"},
              {"CREATE TABLE T (A INTEGER, B INTEGER, C TEXT(5))", "CREATE INDEX IX ON T (A, B, C)"});
    compareWith(cmp);
    EXPECT_EQ(tables.column(1), QStringList{"T"});
    EXPECT_EQ(fields.column(1), (QStringList{"A", "B", "C"}));
    EXPECT_EQ(fields.column(3), (QStringList{"", "", "Type: 'Long' vs 'Text'"}));
    EXPECT_EQ(indexes.column(2), (QStringList{"Indice", "Campo", "Campo", "Campo"}));
    EXPECT_EQ(indexes.count(Picture::MidIndexField), 2);
    EXPECT_EQ(indexes.count(Picture::LastIndexField), 1);
    EXPECT_TRUE(box->calls.empty());

    // The empty rows that fill the grid below the records hold no object: entering one leaves the details shown.
    ASSERT_EQ(tables.rows, compare::fillerRows(tables.height));
    const FakeGrid fieldsShown = fields, indexesShown = indexes;
    tables.row = tables.rows - 1;
    ASSERT_TRUE(tables.TextMatrix(tables.row, 1).isEmpty());
    c.fgrTables_EnterCell();
    for (const auto& [grid, shown] : {std::pair{&fields, &fieldsShown}, std::pair{&indexes, &indexesShown}}) {
        EXPECT_EQ(grid->rows, shown->rows);
        EXPECT_EQ(grid->text, shown->text);
        EXPECT_EQ(grid->pictures, shown->pictures);
    }

    // The index's columns as the comparison left them: C differs.
    auto ix = datatest::sub(datatest::sub(record("T"), "Indexes"), "IX");
    datatest::sub(datatest::sub(ix, "IndexFields"), "C")->Item(Variant("IndexFieldIconName")) = QString("Different");
    c.FilterEqual = false;
    c.LoadIndexesGrid(datatest::sub(record("T"), "Indexes"));
    EXPECT_EQ(indexes.column(0), (QStringList{"Equal", "Different"}));
    EXPECT_EQ(indexes.column(1), (QStringList{"IX", QString(20, ' ') + "C"}));
    EXPECT_EQ(indexes.TextMatrix(3, 0), "");
    EXPECT_EQ(indexes.count(Picture::LastIndexField), 1);

    c.FilterEqual = true;
    c.FilterDifferent = false;
    c.LoadIndexesGrid(datatest::sub(record("T"), "Indexes"));
    EXPECT_EQ(indexes.count(Picture::MidIndexField), 2);
    EXPECT_EQ(indexes.count(Picture::LastIndexField), 0);

    // The menu: three ticks to open, check boxes act at MenuClose.
    c.BttFilter_MouseUp();
    c.tmrMenuDatabase_Timer();
    c.tmrMenuDatabase_Timer();
    EXPECT_TRUE(c.tmrMenuDatabase.isActive());
    c.tmrMenuDatabase_Timer();
    EXPECT_FALSE(c.tmrMenuDatabase.isActive());
    for (auto* box : {&c.chkEqual, &c.chkDifferent, &c.chkOnlyCurrent, &c.chkOnlyCompared}) {
        box->Value = 0;
        c.chkFilter_Click(*box);
    }
    EXPECT_EQ(tables.column(1), QStringList{"T"});
    c.Form_KeyDown(27);
    EXPECT_EQ(c.Form_KeyPress(27), 0);
    EXPECT_FALSE(c.mnuDataBase.Visible);
    EXPECT_EQ(window.hides, 0);
    EXPECT_EQ(std::tuple(tables.column(1).isEmpty(), fields.column(1).isEmpty()), std::tuple(true, true));
    EXPECT_EQ(tables.row, 1);
    c.Form_KeyPress(27);
    EXPECT_EQ(window.hides, 1);
}
