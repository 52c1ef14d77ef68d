// The CSV and spreadsheet launchers: what reaches the writers, what is shown,
// and what is refused.
#include "PageFixture.h"

#include "controls/ModalRunner.h"
#include "export/frmCSV.h"
#include "mainwindow/PageDialogFactories.h"
#include "querypage/ExportRules.h"

#include <QStringDecoder>

namespace {

struct Written {
    int created = 0;
    bool start = true, result = true;
    QStringList sql;
    CollectionPtr params;
    QString excel; // title|rows|columns|headers
};

// Both writers in one: what reaches them is kept in a Written.
class FakeWriter : public CsvWriter, public ExcelWriter {
public:
    explicit FakeWriter(Written& w) : w_(w) { ++w_.created; }
    bool StartObject(QObject*, std::shared_ptr<clsDO>, std::shared_ptr<clsError> msg, std::shared_ptr<clsTablas>) override
    {
        if (!w_.start)
            msg->MsgBox("El escritor no arranca", 64, "Aviso");
        return w_.start;
    }
    bool GenerateCSV(const QString& sql, const CollectionPtr& params) override
    {
        w_.sql << sql;
        w_.params = params;
        return w_.result;
    }
    bool GenerateExcelKnownCellCount(const QString& sql, const QString& title, std::int32_t rows, std::int32_t cols,
                                     const QString& headers) override
    {
        w_.sql << sql;
        w_.excel = QStringLiteral("%1|%2|%3|").arg(title).arg(rows).arg(cols) + headers;
        return false;
    }

private:
    Written& w_;
};

class ExportLaunch : public PageFixture {
protected:
    void SetUp() override
    {
        PageFixture::SetUp();
        page.Dialogs().clsCSV = [this] { return std::make_unique<FakeWriter>(written); };
        page.Dialogs().clsExcel = [this] { return std::make_unique<FakeWriter>(written); };
        csvDialog = std::make_shared<Scripted<CsvDialog>>(
            [this](CsvDialog& d) {
                d.Cancelled = cancel;
                d.Outputs.FicheroDestino = "out/x.csv";
                d.Outputs.RutaDestino = "out/";
                d.Outputs.NombreFichero = "x";
                d.Outputs.SeparadorCampos = ";";
                d.Outputs.PosicionesDecimales = 2;
                d.Outputs.DelimitadorTitulos = true;
            },
            dialogsShown);
        page.Dialogs().frmCSV = [this] { return csvDialog; };
    }
    QString tabFile() const { return dir.filePath("Velmora_Tab1.ini"); }
    Written written;
    bool cancel = false;
    std::shared_ptr<CsvDialog> csvDialog;
};

TEST_F(ExportLaunch, CsvAndSpreadsheetOfTheCurrentQuery)
{
    // The last SELECT of the text as it stands, whether or not something ran
    // before; the UPDATE before it is not run.
    rec->answerAffected("UPDATE t SET a = a + 1", 3);
    const QString text = "UPDATE t SET a = a + 1; SELECT * FROM t; SELECT a FROM t WHERE b = 'x;y'";
    for (bool ranBefore : {false, true}) {
        if (ranBefore)
            load("SELECT * FROM t");
        page.setTextSQL(text);
        written = {};
        page.GenerateCSV();
        EXPECT_EQ(std::tuple(written.sql, rec->statements().filter("UPDATE").size(), shown()),
                  std::tuple(QStringList{"SELECT a FROM t WHERE b = 'x;y'"}, 0,
                             QStringList{"Fichero generado con éxito. Puede encontrarlo en la ruta \r\n\r\nout/x.csv (64, Velmora 3.0)"}));
        recorder->calls.clear();
    }
    EXPECT_EQ(std::tuple(page.StatusText(), csvDialog->Cancelled /* unloaded after use */),
              std::tuple("Tiempo Total de Carga: 00:00:00     Nº Registros: 3     Columnas: 2", true));
    page.setTextSQL("UPDATE t SET a = a + 1");
    const int created = written.created, dialogs = dialogsShown;
    page.GenerateCSV();
    EXPECT_EQ(std::tuple(shown(), dialogsShown, written.created),
              std::tuple(QStringList{"La consulta actual no contiene ninguna sentencia SELECT. (64, Velmora 3.0)"}, dialogs,
                         created));

    // The spreadsheet loads only the selection's final SELECT, under the title asked for.
    page.setTextSQL(text);
    auto* box = child<QPlainTextEdit>("txtTabla");
    QTextCursor selection = box->textCursor();
    selection.setPosition(0);
    selection.setPosition(int(text.indexOf("; SELECT a")), QTextCursor::KeepAnchor);
    box->setTextCursor(selection);
    rec->clearLog();
    ScopedRecordingDialogs boxes;
    boxes->inputAnswer = "Ventas";
    page.GenerateExcel();
    EXPECT_EQ(rec->statements(), QStringList{"SELECT * FROM t"}); // the UPDATE not, the structure cached
    EXPECT_EQ(written.excel, "Ventas|3|2|a\tb\r\n");
    ASSERT_EQ(boxes->calls.size(), 1u);
    EXPECT_EQ(boxes->calls[0].title, QStringLiteral("Título Consulta"));

    // Cancel in the title box ends the export: no writer, no message, the
    // grid as it stood when the box was shown.
    written = {};
    recorder->calls.clear();
    boxes->inputCancelled = true;
    const QStringList gridBefore{QString::number(page.Flexi().Rows()), page.Flexi().TextMatrix(1, 0)};
    page.GenerateExcel();
    EXPECT_EQ(std::tuple(written.created, written.excel, shown()), std::tuple(0, QString(), QStringList()));
    EXPECT_EQ((QStringList{QString::number(page.Flexi().Rows()), page.Flexi().TextMatrix(1, 0)}), gridBefore);
    boxes->inputCancelled = false;

    recorder->calls.clear();
    written.result = false;
    page.GenerateCSV();
    EXPECT_EQ(shown(), QStringList{"No se ha podido generar el fichero correctamente. (64, Velmora 3.0)"});

    recorder->calls.clear();
    written.start = false;
    page.GenerateCSV();
    EXPECT_EQ(shown(), QStringList{"El escritor no arranca (64, Aviso)"});

    recorder->calls.clear();
    written = {};
    cancel = true;
    page.findChild<QLabel*>("Label2")->clear();
    QFile::remove(tabFile());
    page.GenerateCSV();
    // The history is saved after a cancel too.
    EXPECT_EQ(std::tuple(written.created, shown().size(), page.StatusText().isEmpty(), QFile::exists(tabFile())), std::tuple(0, 0, false, true));

    // A spreadsheet whose reload fails exports nothing.
    rec->failOpen(".*", "sin conexión");
    page.GenerateExcel();
    EXPECT_EQ(written.created, 0);
}

TEST_F(ExportLaunch, SpreadsheetCellLimit)
{
    EXPECT_EQ(exportrules::cellLimitNotice(3000000, 2), std::nullopt);
    // 3,000,000 x 1,500 does not fit 32 bits.
    EXPECT_TRUE(exportrules::cellLimitNotice(3000000, 1500)->contains("{34.500.000.000} celdas"));

    load("SELECT * FROM t");
    ScopedRecordingDialogs boxes;
    qint64 records = 3000000;
    bool ok = true;
    page.setFinalReload([&](qint64& r, std::int32_t& c) {
        r = records;
        c = 2;
        return ok;
    });
    page.GenerateExcel();
    // A title left empty and accepted still exports.
    EXPECT_EQ(std::tuple(written.excel, written.sql), std::tuple("|3000000|2|a\tb\r\n", QStringList{"SELECT * FROM t"}));

    written = {};
    records = 3000001;
    QFile::remove(tabFile());
    page.GenerateExcel();
    EXPECT_EQ(std::tuple(QFile::exists(tabFile()), written.created), std::tuple(true, 0));
    ASSERT_EQ(recorder->calls.size(), 1u);
    EXPECT_EQ(std::tuple(recorder->calls[0].style, recorder->calls[0].title,
                         recorder->calls[0].body.contains("3.000.001 filas * 2 columnas = 6.000.002 celdas")),
              std::tuple(64, "Aviso", true));

    boxes->calls.clear();
    ok = false;
    page.GenerateExcel();
    EXPECT_EQ(std::tuple(boxes->calls.size(), written.created), std::tuple(0u, 0));
}

class RealExport : public PageFixture {};

// The export subsystem's own window and writer behind the launcher.
TEST_F(RealExport, CsvThroughTheOptionsWindow)
{
    mainwindow::useRealDialogs(page.Dialogs());
    controls::ScopedScriptedRunner runner;
    runner.then<frmCSV>([this](frmCSV& w) {
        w.findChild<QLineEdit*>("txtRuta")->setText(dir.path());
        w.findChild<QLineEdit*>("txtNombreFichero")->setText("salida");
        w.BttAceptar_MouseUp();
    });
    load("SELECT * FROM t");
    page.GenerateCSV();
    EXPECT_EQ(runner->shown, QStringList{"frmCSV"});
    const QString file = dir.filePath("SALIDA.csv");
    ASSERT_EQ(shown().size(), 1) << shown().join('\n').toStdString();
    EXPECT_TRUE(shown()[0].startsWith("Fichero generado con éxito.")) << shown()[0].toStdString();
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << file.toStdString();
    const QByteArray content = f.readAll();
    // The writer's full path writes UTF-16 with its mark, the fast path UTF-8.
    const QString wide = content.startsWith("\xff\xfe") ? QString(QStringDecoder(QStringDecoder::Utf16LE)(content.mid(2)))
                                                      : QString::fromUtf8(content);
    EXPECT_TRUE(wide.contains("y")) << wide.toStdString();
    EXPECT_EQ(rec->statements().count("SELECT * FROM t"), 1);
}

} // namespace
