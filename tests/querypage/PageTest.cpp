// The query page driven as the main window and the user drive it, over the
// recording backend: what runs, what is shown, what the grid and the panel do.
#include "PageFixture.h"
#include "controls/clsCommonDialog.h"
#include "querypage/TabHistoryFile.h"

namespace {

class PageTest : public PageFixture {
protected:
    // Statements run, and those only described for their columns (the header probe).
    int count(const QString& statement) const
    {
        return int(rec->statements().count(statement) + rec->described().count(statement));
    }
    void writeIni(const QString& text)
    {
        QFile f(dir.filePath("Velmora.ini"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text.toUtf8());
    }
};

TEST_F(PageTest, StatementsOfARun)
{
    const QString probe = "SELECT * FROM [t] WHERE 1 = 2", ctx = "EXEC sp_set_session_context 'k', 1";
    const QStringList none, noRows{"0 filas afectadas. (64, Velmora 3.0)"};
    const auto loaded = [](int records, int columns) {
        return QStringLiteral("Tiempo Total de Carga: 00:00:00     Nº Registros: %1     Columnas: %2").arg(records).arg(columns);
    };
    rec->answerAffected("UPDATE t SET a = 1", 7);
    rec->answerError("INSERT INTO bak SELECT * FROM t", 3604, "no existe la tabla 'bak' aquí");
    rec->answerRows("SELECT a, b FROM t", {"a", "b"}, {{1, "x"}});
    rec->answerRows("SELECT * FROM dbo.Orders", {"id"}, {{1}});
    rec->answerRows("SELECT * FROM [Order Details]", {"id"}, {{1}, {2}});
    // Each text: the statements run and probed in order (a change drops the cached probe), what is
    // shown, and the status line; a failure stops the run and leaves the status as it was.
    const std::tuple<QString, QStringList, QStringList, QString> runs[] = {
        {"", {}, {"El área de consulta SQL no puede estar en blanco (64, Aviso)"}, ""},
        {"INSERT INTO bak SELECT * FROM t; DELETE FROM t", {"INSERT INTO bak SELECT * FROM t"},
         {"MAXSQL.EJECUTAR\r\nError: no existe la tabla 'bak' aquí (16, Error)"}, ""},
        {"SELECT * FROM t WHERE a = 'x;y'", {"SELECT * FROM t WHERE a = 'x;y'"}, none, ""},
        {"UPDATE t SET a = 1", {"UPDATE t SET a = 1"}, {"7 filas afectadas. (64, Velmora 3.0)"}, loaded(1, 2)},
        {"DROP TABLE t", {"DROP TABLE t"}, {"Tabla eliminada. (64, Velmora 3.0)"}, loaded(1, 2)},
        {"SELECT a, b FROM t", {"SELECT TOP 1 a, b FROM t", "SELECT a, b FROM t"}, none, loaded(1, 2)},
        {"SELECT * FROM dbo.Orders", {"SELECT * FROM dbo.Orders", "SELECT * FROM [dbo].[Orders] WHERE 1 = 2"}, none, loaded(1, 1)},
        {"SELECT * FROM [Order Details]", {"SELECT TOP 1 * FROM [Order Details]", "SELECT * FROM [Order Details]"}, none,
         loaded(2, 1)},
        {"DELETE FROM t -- a -- b\nWHERE id = 5", {"DELETE FROM t WHERE id = 5"}, noRows, loaded(2, 1)},
        {" -- nothing\n ; ", {}, none, loaded(2, 1)},
        // A context call with a literal value runs twice, one with a variable once.
        {ctx + "; EXEC sp_set_session_context @k, 1", {ctx, ctx, "EXEC sp_set_session_context @k, 1"}, noRows, loaded(2, 1)},
        {"UPDATE t SET a = 'x'; SELECT * FROM t", {"UPDATE t SET a = 'x'", "SELECT * FROM t", probe}, none, loaded(3, 2)},
    };
    for (const auto& [sql, statements, messages, status] : runs) {
        rec->clearLog();
        recorder->calls.clear();
        run(sql);
        EXPECT_EQ(std::tuple(rec->described() + rec->statements(), shown(), page.StatusText()), std::tuple(statements, messages, status))
            << sql.toStdString();
    }
    EXPECT_EQ(std::tuple(gridRows(), page.LastFinalSelect(), page.LastFinalConnection(), enabled("BttAdd")),
              std::tuple(QStringList{"a|b", "1|x", "2|y", "3|"}, "SELECT * FROM t", ConnectionValues{0, 0, "s", "d", "u", "p"}, false));
    rec->answerRows("SELECT GETDATE()", {"now"}, {{QStringLiteral("hoy")}});
    run("SELECT GETDATE()");
    EXPECT_EQ(gridRows(), (QStringList{"now", "hoy"}));
    // Without the services object the page names the blank box itself.
    page.setSCRObject(nullptr);
    recorder->calls.clear();
    run("");
    EXPECT_EQ(shown(), QStringList{"El área de consulta SQL no puede estar en blanco (64, Velmora 3.0)"});
    wire(page);

    // The context goes in front for SQL Server only; the probe follows the panel's driver.
    page.setContextStatement("EXEC sp_set_session_context 'c', 1");
    rec->clearLog();
    run("SELECT * FROM t");
    EXPECT_EQ(rec->statements().first(), QStringLiteral("EXEC sp_set_session_context 'c', 1"));
    page.ParametersConnection(3, 2, "ora", "d", "u", "p");
    rec->answerRows("SELECT a FROM t JOIN u ON x ORDER BY a", {"a"}, {{1}});
    run("SELECT a FROM t JOIN u ON x ORDER BY a");
    EXPECT_EQ(count("SELECT a FROM t JOIN u ON x  WHERE 1 = 2 ORDER BY a"), 1);
    useLocalFile();
    rec->clearLog();
    run("SELECT * FROM t");
    EXPECT_EQ(rec->statements(), (QStringList{"SELECT * FROM t", probe}));

    // A run asked for from inside a run (its pending events) records nothing.
    rec->clearLog();
    int inner = 0;
    page.setTextSQL("SELECT * FROM t"); // typing reads the clock too
    page.setClock([&] {
        ++inner;
        page.ExecuteQuery();
        return QDateTime(QDate(2024, 1, 31), QTime(0, 0));
    });
    page.ExecuteQuery();
    EXPECT_EQ(std::tuple(count("SELECT * FROM t"), inner > 0, page.IsRunning()), std::tuple(1, true, false));
}

// Every way a run fails leaves the former result whole, with its status line,
// runs nothing after the failure, and still records what was typed.
TEST_F(PageTest, AFailedRunKeepsTheResultAndEntersTheHistory)
{
    rec->answerError("SELECT * FROM Nope", 208, "El nombre de objeto 'Nope' no es válido.");
    rec->answerError("SELECT a, FROM t", 102, "Sintaxis incorrecta cerca de 'FROM'.");
    rec->answerError("UPDATE t SET a = 0", 1205, "bloqueo");
    load("SELECT * FROM t");
    const QStringList rows = gridRows();
    const QString status = page.StatusText();
    for (const QString sql : {"SELECT * FROM Nope", "SELECT a, FROM t", "UPDATE t SET a = 0; SELECT * FROM t",
                               "UPDATE t SET a = 0"}) {
        rec->clearLog();
        run(sql);
        EXPECT_EQ(std::tuple(gridRows(), page.StatusText(), page.LastFinalSelect(), rec->statements().contains("SELECT * FROM t"),
                             TabHistoryFile::load(TabHistoryFile::pathOf(1)).entry(0).sql),
                  std::tuple(rows, status, "SELECT * FROM t", false, sql));
    }
}

TEST_F(PageTest, StructureCachesAndHeadersWhenTheProbeFails)
{
    const QString probe = "SELECT * FROM [t] WHERE 1 = 2";
    std::vector<int> probes;
    for (const char* sql : {"SELECT * FROM t", "SELECT * FROM t", "", "ALTER TABLE t ADD c INT; SELECT * FROM t"}) {
        if (!*sql) // another password: another connection
            page.ParametersConnection(0, 0, "s", "d", "u", "p2");
        run(*sql ? sql : "SELECT * FROM t");
        probes.push_back(count(probe));
    }
    EXPECT_EQ(probes, (std::vector{1, 1, 2, 3}));

    // Long statements that differ only at their end are probed each once.
    const QString head = "SELECT a, b FROM t WHERE x = '" + QString(400, 'k');
    rec->answerRegex("^SELECT TOP 1 a, b FROM t WHERE", Answer::table({"a", "b"}, {}));
    rec->answerRegex("^SELECT a, b FROM t WHERE", Answer::table({"a", "b"}, {{1, 2}}));
    for (const char* end : {"a", "b", "a"})
        run(head + QString(200, QLatin1Char(*end)) + "'");
    for (const char* end : {"a", "b"})
        EXPECT_EQ(count("SELECT TOP 1 a, b FROM t WHERE x = '" + QString(400, 'k') + QString(200, QLatin1Char(*end)) + "'"), 1);

    // A probe that fails: the headers come from the record set.
    rec->answerError("SELECT TOP 1 a, c FROM t", 207, "bad");
    rec->answerRows("SELECT a, c FROM t", {"a", "c"}, {{1, 2}});
    page.Flexi().setCols(5);
    run("SELECT a, c FROM t");
    EXPECT_EQ(std::tuple(page.Flexi().Cols(), page.Flexi().TextMatrix(0, 1), shown().size()), std::tuple(2, "c", 0));

    // A stale table structure is read again once; still different: read-only.
    useLocalFile();
    rec->answerRows("SELECT * FROM u", {"a", "z"}, {{1, 2}});
    rec->answer("SELECT * FROM [u] WHERE 1 = 2", Answer::table({"a", "b"}, {}));
    run("SELECT * FROM u");
    EXPECT_EQ(std::tuple(count("SELECT * FROM [u] WHERE 1 = 2"), enabled("BttKey"), page.Flexi().TextMatrix(0, 1)), std::tuple(2, false, "z"));
}

TEST_F(PageTest, StringWidthsAndPaging)
{
    Answer text;
    text.fields.resize(1);
    text.fields[0].name = "memo";
    text.fields[0].definedSize = 10000;
    rec->answer("SELECT * FROM [w] WHERE 1 = 2", text);
    rec->answerRows("SELECT * FROM w", {"memo"}, {{"x"}});
    run("SELECT * FROM w");
    // The load gives the memo 2500; the run then fits it to its header and the one short value.
    EXPECT_GT(page.Flexi().ColWidth(0), 200);
    EXPECT_LT(page.Flexi().ColWidth(0), 2500);

    // 10,000 records are paged from 33 columns on.
    for (int cols : {32, 33}) {
        QStringList names;
        std::vector<std::vector<Variant>> rows(10000, std::vector<Variant>(std::size_t(cols)));
        for (int c = 0; c < cols; ++c) {
            names << QStringLiteral("c%1").arg(c);
            for (int r = 0; r < 10000; ++r)
                rows[std::size_t(r)][std::size_t(c)] = c % 2 ? Variant(QStringLiteral("v%1").arg(r)) : Variant(std::int32_t(r));
        }
        rec->answerRows(QStringLiteral("SELECT * FROM big%1").arg(cols), names, rows);
    }
    QSignalSpy resets(page.Flexi().innerGrid()->model(), &QAbstractItemModel::modelReset);
    run("SELECT * FROM big32");
    auto* bar = child<QScrollBar>("OnDemandElevator");
    EXPECT_EQ(std::tuple(page.Flexi().Rows(), resets.count(), bar->isHidden()), std::tuple(10001, 1, true));
    run("SELECT * FROM big33");
    EXPECT_FALSE(bar->isHidden());
    const int pageRows = int(std::nearbyint(page.TwipsBox("Flexi").height() / 240.0 - 1));
    EXPECT_EQ(std::tuple(page.Flexi().Rows(), page.Flexi().ScrollBars(), page.Flexi().TextMatrix(pageRows, 1),
                         page.StatusText().contains("Nº Registros: 10.000")),
              std::tuple(pageRows + 1, 1, QStringLiteral("v%1").arg(pageRows - 1), true));
    page.LayoutTwips(16380, 3000); // a small paged page lays out without a report
    EXPECT_TRUE(shown().isEmpty());

    // A fetch that fails leaves the former result whole, still paged.
    rec->answerError("SELECT * FROM big33 WHERE 1 = 0", 208, "gone");
    const QString status = page.StatusText();
    run("SELECT * FROM big33 WHERE 1 = 0");
    page.LayoutTwips(16380, 10000);
    EXPECT_EQ(std::tuple(bar->isHidden(), page.Flexi().TextMatrix(1, 1), page.StatusText(), page.LastFinalSelect()),
              std::tuple(false, "v0", status, "SELECT * FROM big33"));
    ASSERT_EQ(recorder->calls.size(), 1u);
    EXPECT_TRUE(reports()[0].startsWith("MAXSQL.BUSQUEDARECORDSETADO"));
}

TEST_F(PageTest, ConnectionPanel)
{
    writeIni("[Drivers]\nAccess_MDB=Microsoft.Jet.OLEDB.4.0\n[PasswordTime]\nSeconds=2\n");
    QSignalSpy compact(&page, &MaxSQL::CompactEnabledChanged);
    page.ParametersConnection(0, 2, "s", "d", "u", "p");
    EXPECT_EQ(std::tuple(compact.count(), page.SelectedDriver()), std::tuple(1, 0));

    child<QComboBox>("cboConnectionType")->setCurrentIndex(1);
    EXPECT_EQ(std::tuple(zolt->SQLProvider(), page.ServerName() + page.UserName(), zolt->ConnectionType()),
              std::tuple("Microsoft.Jet.OLEDB.4.0", "", 1));
    page.DisableButtons(false);
    EXPECT_FALSE(enabled("BttKey"));

    page.ParametersConnection(3, -1, "", "", "", "");
    EXPECT_EQ(std::tuple(page.SelectedDriver(), child<QLabel>("lblServidor")->text(), page.CompactEnabled(), zolt->SQLProvider()),
              std::tuple(1, "Origen de Datos", false, ""));

    page.ParametersConnection(0, 0, "s", "d", "u", "secret");
    auto* check = child<QCheckBox>("chkPwdVisible");
    auto* pwd = child<QLineEdit>("txtPassword");
    check->setChecked(true);
    for (int i = 0; i < 5; ++i)
        page.tmrVisiblePassword_Timer();
    EXPECT_EQ(pwd->echoMode(), QLineEdit::Normal);
    page.tmrVisiblePassword_Timer();
    EXPECT_EQ(std::tuple(pwd->echoMode(), page.PasswordTimer()->isActive()), std::tuple(QLineEdit::Password, false));

    // The Access picker asks the common dialog for an existing file of its type.
    {
        ScopedRecordingCommonDialogs dialogs;
        dialogs->fileAnswers << FileDialogAnswer{1, {"/data/Ventas.accdb"}, 1, 0, 0};
        page.ParametersConnection(2, 1, "", "", "", "");
        for (int i = 0; i < 2; ++i) // the second is cancelled
            QTest::mouseClick(child<PushButton>("BttAccessFileSelection"), Qt::LeftButton);
        ASSERT_EQ(dialogs->fileRequests.size(), 2);
        const FileDialogRequest& r = dialogs->fileRequests[0];
        EXPECT_EQ(std::tuple(r.title, r.filters, bool(r.flags & CommonDialogRules::OFN_FILEMUSTEXIST), page.DatabaseName()),
                  std::tuple("Abrir Fichero", QList<CommonDialogRules::FilterEntry>{{"Access Actual (*.accdb)", "*.accdb"}}, true,
                             "/data/Ventas.accdb"));
        page.ParametersConnection(0, 0, "s", "d", "u", "secret");
    }
    writeIni("[PasswordTime]\nSeconds=60\n");
    check->setChecked(true);
    EXPECT_EQ(std::tuple(page.PasswordTimer()->interval(), shown().size()), std::tuple(12000, 0));
}

TEST_F(PageTest, Frame)
{
    QStringList clicked;
    QObject::connect(&page, &MaxSQL::ButtonClicked, [&](QString& name) { clicked << name; });
    // The main window's menus and the translations find the toolbar buttons by name.
    for (const char* name : {"BttExecute", "BttAdd", "BttDelete", "BttConfirm", "BttExport", "BttAutoSize", "BttEditor",
                             "BttSettings", "BttHelp", "BttExit"})
        EXPECT_NE(page.findChild<PushButton*>(QLatin1String(name)), nullptr) << name;
    QTest::mouseClick(child<PushButton>("BttExport"), Qt::RightButton);
    EXPECT_EQ(std::tuple(clicked, child<PushButton>("BttExport")->text()), std::tuple(QStringList{"BttExport"}, "Exportar"));
}

TEST(PageTexts, EveryPageTextIsTranslated)
{
    QFile tsv(QStringLiteral(VELMORA_TRANSLATE_TSV));
    ASSERT_TRUE(tsv.open(QIODevice::ReadOnly));
    QHash<QString, QStringList> rows;
    for (const QString& line : QString::fromUtf8(tsv.readAll()).split('\n'))
        if (!line.startsWith('#'))
            rows.insert(line.section('\t', 0, 0), line.split('\t'));
    MaxSQL page;
    QStringList texts = {
        "Tiempo Total de Carga: {1}     Nº Registros: {2}     Columnas: {3}", "{1} filas afectadas.", "Tabla eliminada.",
        "No se ha podido ejecutar el comando", "No se ha podido iniciar el objeto de acceso a datos", "Origen de Datos",
        "Servidor", "Abrir Fichero", "Access Clásico (*.mdb)", "Access Actual (*.accdb)",
        "Debe seleccionar el Driver a utilizar por el Origen de Datos", "El área de consulta SQL no puede estar en blanco",
        "El tipo de conexión no puede estar en blanco", "No se encuentra el fichero de base de datos especificado.",
        "La consulta actual no contiene ninguna sentencia SELECT.", "No se ha podido generar el fichero correctamente.",
        "Título Consulta", "Consulta de Datos",
        "El editor no ha devuelto ninguna consulta, ¿Desea borrar la consulta actual?",
        "Fichero generado con éxito. Puede encontrarlo en la ruta \\r\\n\\r\\n{1}",
        "¿Desea eliminar el registro seleccionado?",
        "Ya existe otro registro con la clave indicada.\\r\\n\\r\\nSe anula la creación del nuevo registro.",
        "No se han recibido los datos clave.\\r\\n\\r\\nSe anula la creación del nuevo registro.",
        "¿Desea aplicar los cambios efectuados en los {1} registros marcados en la grid?",
        "No se han encontrado registros para actualizar", "{1} registros actualizados.",
        "No se ha podido localizar el registro {1}"};
    for (QObject* o : page.ChildControls())
        if (const QString caption = o->property("text").toString(); !caption.isEmpty() && caption != "...")
            texts << caption;
    for (const QString& t : texts) {
        ASSERT_TRUE(rows.contains(t)) << t.toStdString();
        EXPECT_EQ(rows[t].size(), 7) << t.toStdString();
        EXPECT_TRUE(rows[t].last().startsWith("MaxSQL")) << t.toStdString();
    }
}

} // namespace
