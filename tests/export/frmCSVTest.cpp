// The CSV options window: its [CSV] settings, the checks of Aceptar, the
// outputs and the ways out.
#include "ExportTestSupport.h"

#include "core/ProfileFile.h"
#include "export/frmCSV.h"
#include "services/clsTablas.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

#include <algorithm>

using namespace exporttest;

namespace {

class frmCSVTest : public ExportTest {
protected:
    void SetUp() override
    {
        ExportTest::SetUp();
        scr->oError = msg;
    }
    std::unique_ptr<frmCSV> open()
    {
        auto w = std::make_unique<frmCSV>();
        w->setSCR(scr);
        w->setMSG(msg);
        w->ensureLoaded();
        return w;
    }
    static QLineEdit* text(frmCSV& w, const char* name) { return w.findChild<QLineEdit*>(QLatin1String(name)); }
    static QRadioButton* option(frmCSV& w, const char* name, int index)
    {
        const auto buttons = w.findChildren<QRadioButton*>(QLatin1String(name));
        return *std::find_if(buttons.begin(), buttons.end(), [&](QRadioButton* b) { return b->property("Index") == index; });
    }
    static void choose(frmCSV& w, const char* name, int index) { QTest::mouseClick(option(w, name, index), Qt::LeftButton); }

    std::shared_ptr<clsTablas> scr = std::make_shared<clsTablas>();
    const QString ini = folder.filePath(QStringLiteral("Velmora.ini")); // the program folder's settings
};

TEST_F(frmCSVTest, AceptarGivesTheOutputsAndStoresWhatReopeningShows)
{
    auto w = open();
    const QString csv = folder.path() + QStringLiteral("/CSV/");
    EXPECT_EQ((std::pair{QFileInfo(csv).isDir(), ProfileFile::read(ini, "CSV", "Path")}), (std::pair{true, csv}));
    EXPECT_EQ((std::tuple{w->state().txtRuta, w->property("Tag").toString(), w->Cancelled(), notices->calls.size()}),
              (std::tuple{csv, QString("Translated"), true, std::size_t(0)}));

    if (qEnvironmentVariableIsSet("VELMORA_SCREENSHOTS")) {
        w->show();
        w->grab().save(qEnvironmentVariable("VELMORA_SCREENSHOTS") + QStringLiteral("/frmCSV.png"));
    }

    text(*w, "txtRuta")->setText("/x/out");
    text(*w, "txtNombreFichero")->setText("clientes");
    choose(*w, "optSeparador", 1);
    choose(*w, "optDelimitador", 1);
    text(*w, "txtDiferenciador")->setText("\"");
    w->BttAceptar_MouseUp();
    ASSERT_FALSE(w->Cancelled()) << shownTexts().join('\n').toStdString();
    EXPECT_EQ((QStringList{w->RutaDestino(), w->NombreFichero(), w->FicheroDestino(), w->SeparadorCampos(),
                           w->DelimitadorCampos(), w->Diferenciador(), QString::number(w->PosicionesDecimales())}),
              (QStringList{"/x/out/", "CLIENTES.csv", "/x/out/CLIENTES.csv", ";", "''", "\"", "4"}));

    const CollectionPtr c = CSVOptions(w->Outputs());
    EXPECT_EQ(std::pair(c->Count(), c->Item(Variant("PosicionesDecimales")).type()), std::pair(13, VarType::Integer));

    // Reopened: the stored texts come back decoded.
    auto again = open();
    EXPECT_EQ((std::tuple{text(*again, "txtDiferenciador")->text(), text(*again, "txtNombreFichero")->text(),
                          option(*again, "optDelimitador", 1)->isChecked(), option(*again, "optSeparador", 1)->isChecked(),
                          again->state().txtRuta}),
              (std::tuple{QString("\""), QString("clientes"), true, true, QString("/x/out/")}));

    // A typed double quote as delimiter is stored with three apostrophes and given as itself.
    choose(*again, "optDelimitador", 3);
    text(*again, "txtDelimitador")->setText("\"");
    text(*again, "txtDiferenciador")->setText("''");
    again->BttAceptar_MouseUp();
    ASSERT_FALSE(again->Cancelled());
    EXPECT_EQ((QStringList{again->DelimitadorCampos(), again->Diferenciador(),
                           ProfileFile::read(ini, "CSV", "CustomizedDelimitator"), text(*open(), "txtDelimitador")->text()}),
              (QStringList{"\"", "''", "'''", "\""}));
}

TEST_F(frmCSVTest, RefusedInputsKeepTheWindowOpenTheWaysOutLeaveAsTheyShouldAndABadStoredOptionIsReported)
{
    auto w = open();
    const QByteArray before = bytesOf(ini);
    w->show();
    text(*w, "txtNombreFichero")->setText("a");
    choose(*w, "optNumero", 1); // decimal comma with the comma separator
    w->BttAceptar_MouseUp();
    text(*w, "txtDecimales")->setText("a");
    choose(*w, "optNumero", 0);
    w->BttAceptar_MouseUp();
    text(*w, "txtNombreFichero")->clear();
    w->BttAceptar_MouseUp();
    EXPECT_EQ(shownTexts(), (QStringList{"64|Aviso|El separador decimal y el separador de campos no pueden coincidir",
                                         "16|Error|FRMCSV.BTTACEPTAR_MOUSEUP\r\nError: No coinciden los tipos",
                                         "64|Aviso|El nombre del fichero no puede estar en blanco"}));
    EXPECT_EQ((std::tuple{bytesOf(ini), w->Cancelled(), w->isVisible()}), (std::tuple{before, true, true}));

    // Ninguno empties and locks the differentiator.
    text(*w, "txtNombreFichero")->setText("a");
    text(*w, "txtDecimales")->setText("4");
    choose(*w, "optDelimitador", 2);
    text(*w, "txtDiferenciador")->setText("x");
    choose(*w, "optDelimitador", 0);
    EXPECT_EQ((std::pair{text(*w, "txtDiferenciador")->text(), text(*w, "txtDiferenciador")->isEnabled()}),
              (std::pair{QString(), false}));
    // Enter in a text box accepts; the stored differentiator is empty.
    QTest::keyClick(text(*w, "txtNombreFichero"), Qt::Key_Return);
    EXPECT_EQ((std::tuple{w->Cancelled(), w->isVisible(), ProfileFile::read(ini, "CSV", "Differentiator", "unset")}),
              (std::tuple{false, false, QString("unset")}));

    // Esc in a text box, and the close box, leave as Salir.
    w->show();
    QTest::keyClick(text(*w, "txtRuta"), Qt::Key_Escape);
    EXPECT_EQ((std::pair{w->Cancelled(), w->isVisible()}), (std::pair{true, false}));
    auto closed = open();
    closed->show();
    text(*closed, "txtNombreFichero")->setText("b");
    closed->close();
    EXPECT_TRUE(closed->Cancelled());

    // A bad stored option ends the loading with the report.
    ASSERT_TRUE(ProfileFile::fromBytes("[CSV]\nPath=/data/\nFileName=f\nSeparator=7\nCustomizedSeparator=|\nDelimitator=1\n")
                    .save(ini));
    notices->calls.clear();
    w = open();
    EXPECT_EQ(shownTexts(), QStringList{"16|Error|FRMCSV.FORM_LOAD\r\nError: El elemento '7' de la matriz de "
                                        "controles no existe"});
    const CSVFormState s = w->state();
    EXPECT_EQ((QStringList{s.txtRuta, s.txtNombreFichero, s.txtSeparador, QString::number(s.optDelimitador)}),
              (QStringList{"/data/", "f", "", "0"}));
    EXPECT_NE(w->property("Tag").toString(), "Translated");
}

} // namespace
