// The five dialogs on their own: leaving, the checks and questions of their
// buttons, what the settings dialog reads and writes, and that every text
// they show is in the translation source.
#include "DialogTestSupport.h"

#include "controls/MaxText.h"
#include "core/ProfileFile.h"
#include "core/Screen.h"
#include "data/clsDO.h"
#include "mainwindow/frmDSN.h"
#include "mainwindow/frmEdit.h"
#include "mainwindow/frmKeyFields.h"
#include "mainwindow/frmNewKey.h"
#include "mainwindow/frmSettings.h"
#include "platform/db/RecordingBackend.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

class DialogsTest : public DialogTest {
protected:
    void SetUp() override
    {
        DialogTest::SetUp();
        edit.MSG = keys.MSG = newKey.MSG = settings.MSG = msg;
        edit.setClock([this] { return clock; });
        edit.txtSQL->setPlainText("select a from t");
        keys.txtKeyFields->setPlainText("Id");
        keys.txtContext->setText("SET x");
        newKey.Zolt = zolt;
    }
    QString ini() const { return dir.filePath("Velmora.ini"); }
    QString iniText() const
    {
        QFile f(ini());
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString("(none)");
    }
    void writeIni(const QByteArray& text)
    {
        QFile f(ini());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    // Max + 1 of row 1 for "table.field".
    QString maxPlusOne(const QString& qualified)
    {
        frmNewKey d;
        d.MSG = msg;
        d.Zolt = zolt;
        d.AddKeyRow("Key", "LONG", "x.Key", false);
        d.AddKeyRow("Field", "LONG", qualified, true);
        emit d.BttMax[1]->released();
        return d.txtField[1]->text();
    }

    qint64 clock = 0;
    std::shared_ptr<clsDO> zolt = std::make_shared<clsDO>();
    frmEdit edit;
    frmKeyFields keys;
    frmNewKey newKey;
    frmSettings settings;
};

// Esc, the close box and Salir cancel and hide; Enter accepts, except in the
// key list of the key fields, where it starts a line (see below). The editor
// cancels by handing back "{ignore}"; the settings by writing nothing.
TEST_F(DialogsTest, EscTheCloseBoxAndSalirCancelEnterAccepts)
{
    newKey.AddKeyRow("Id", "LONG", "Orders.Id", false);
    newKey.txtField[0]->setText("5");
    settings.Form_Load();
    struct Case {
        QDialog& d;
        QWidget* focus;
        PushButton* salir;
        std::function<void(bool)> arm; // the opposite of the outcome expected
        std::function<bool()> cancelled;
    };
    const Case cases[] = {
        {edit, edit.txtSQL, edit.BttSalir, [&](bool) { edit.txtSQL->setPlainText("x"); },
         [&] { return edit.txtSQL->toPlainText() == "{ignore}"; }},
        {keys, keys.txtKeyFields, keys.BttSalir, [&](bool c) { click(c ? keys.BttAceptar : keys.BttSalir); }, [&] { return keys.Cancelled(); }},
        {newKey, newKey.txtField[0], newKey.BttSalir, [&](bool c) { click(c ? newKey.BttAceptar : newKey.BttSalir); },
         [&] { return newKey.Cancelled(); }},
        {settings, settings.txtCSVPath, settings.BttSalir, [](bool) {}, [&] { return !QFile::exists(ini()); }},
    };
    for (const Case& c : cases)
        for (int step = 0; step < 4; ++step) {
            const bool enter = step == 3, accepts = enter && &c.d != &keys;
            c.arm(!enter);
            c.d.show();
            if (step == 0)
                QTest::keyClick(c.focus, Qt::Key_Escape);
            else if (step == 1)
                c.d.close();
            else if (step == 2)
                click(c.salir);
            else
                QTest::keyClick(c.focus, Qt::Key_Return);
            EXPECT_EQ(std::pair(c.cancelled(), c.d.isVisible()), std::pair(!accepts, enter && !accepts))
                << c.d.objectName().toStdString() << step;
        }
    EXPECT_EQ(edit.txtSQL->toPlainText(), "x");
    EXPECT_TRUE(settings.Saved());
    EXPECT_TRUE(shown().isEmpty()) << shown().join('\n').toStdString();
}

TEST_F(DialogsTest, EditorCopiesReindentsCommentsColoursAndFollowsItsSize)
{
    QGuiApplication::clipboard()->setText("before");
    for (auto [text, copied] : {std::pair{"   ", "before"}, {" a\nb ", " a\nb "}}) {
        edit.txtSQL->setPlainText(text);
        click(edit.BttCopiar);
        EXPECT_EQ(QGuiApplication::clipboard()->text(), copied);
    }
    // Re-indenting asks first; No puts the text back.
    edit.txtSQL->setPlainText("select a from t");
    answer({7, 6});
    click(edit.BttIdentar);
    EXPECT_EQ(edit.txtSQL->toPlainText(), "select a from t");
    click(edit.BttIdentar);
    EXPECT_EQ(edit.txtSQL->toPlainText(), "SELECT \n     a \nFROM t");
    EXPECT_EQ(shown(), (QStringList{"No hay texto para copiar al portapapeles (64, Editor de Consultas SQL)",
                                    "El texto se ha copiado al portapapeles (64, Editor de Consultas SQL)",
                                    "¿Desea aplicar estos cambios? (36, Editor de Consultas SQL)",
                                    "¿Desea aplicar estos cambios? (36, Editor de Consultas SQL)"}));
    // Commenting colours at once, without the delay.
    edit.txtSQL->setPlainText("a\n  b");
    clock = 5000;
    edit.tmrCheckEditable_Timer();
    const int before = edit.Colourings();
    click(edit.BttComment);
    EXPECT_EQ(std::tuple(edit.txtSQL->toPlainText(), edit.Colourings(), edit.tmrCheckEditable->isActive()),
              std::tuple(QString("--a\n--  b"), before + 1, false));
    for (auto [button, left] : {std::pair{edit.BttUncomment, "a\n  b"}, {edit.BttLimpiar, ""}}) {
        click(button);
        EXPECT_EQ(edit.txtSQL->toPlainText(), left);
    }

    // Typing colours once a second after the last change.
    const int settled = edit.Colourings();
    clock = 10000;
    edit.txtSQL->setPlainText("select b from t");
    EXPECT_TRUE(edit.tmrCheckEditable->isActive());
    clock = 10500;
    edit.tmrCheckEditable_Timer();
    EXPECT_EQ(edit.Colourings(), settled);
    clock = 11000;
    edit.tmrCheckEditable_Timer();
    edit.tmrCheckEditable_Timer();
    EXPECT_EQ(std::pair(edit.Colourings(), edit.tmrCheckEditable->isActive()), std::pair(settled + 1, false));
    screenshot(edit, "frmEdit");

    edit.show();
    edit.resize(900, 700);
    steps::settle(); // the window system's answer to the resize
    // 90 twips each side at 96 DPI
    EXPECT_EQ(std::pair(edit.txtSQL->width(), edit.BttSalir->x() + edit.BttSalir->width()), std::pair(900 - 12, 900 - 13));
    edit.resize(100, 100);
    EXPECT_GE(edit.width(), 533); // 8000 twips
    EXPECT_GE(edit.height(), 267);
}

TEST_F(DialogsTest, KeyFieldsEnterStartsALineVaciarAsksAboutAShownContextOnly)
{
    keys.show();
    keys.txtKeyFields->moveCursor(QTextCursor::End);
    QTest::keyClick(keys.txtKeyFields, Qt::Key_Return);
    QTest::keyClicks(keys.txtKeyFields, "Line");
    EXPECT_EQ(std::pair(keys.txtKeyFields->toPlainText(), keys.isVisible()), std::pair(QString("Id\nLine"), true));
    screenshot(keys, "frmKeyFields");
    keys.setContextVisible(false);
    click(keys.BttLimpiar); // asks nothing
    click(keys.BttAceptar); // an empty key list is accepted
    EXPECT_EQ(std::tuple(keys.txtKeyFields->toPlainText(), shown(), keys.Cancelled()), std::tuple(QString(), QStringList(), false));
    keys.setContextVisible(true);
    answer({7, 6});
    click(keys.BttLimpiar);
    EXPECT_EQ(keys.txtContext->text(), "SET x");
    click(keys.BttLimpiar);
    EXPECT_EQ(keys.txtContext->text(), "");
    EXPECT_EQ(shown(), QStringList(2, "Campos clave borrados.\r\n\r\n¿Desea borrar también el contexto? (36, Campos Clave)"));
}

TEST_F(DialogsTest, NewKeyAceptarChecksEveryRowAndVaciarAsksFirst)
{
    newKey.AddKeyRow("Id", "LONG", "Orders.Id", false);
    newKey.AddKeyRow("B", "STRING", "t.B", false);
    newKey.txtField[1]->setText("y");
    const auto accept = [this](const char* id) {
        newKey.txtField[0]->setText(id);
        click(newKey.BttAceptar);
        return !newKey.Cancelled();
    };
    EXPECT_FALSE(accept("12.34"));
    newKey.txtField[0]->setProperty("Tag", "YESNO");
    EXPECT_FALSE(accept("S#N"));
    EXPECT_FALSE(accept(""));
    EXPECT_TRUE(accept("S"));
    answer({7, 6});
    click(newKey.BttLimpiar);
    EXPECT_EQ(newKey.txtField[1]->text(), "y");
    click(newKey.BttLimpiar);
    EXPECT_EQ(newKey.txtField[0]->text() + newKey.txtField[1]->text(), "");
    const QString title = " (64, Campos Clave Nuevo Registro)";
    EXPECT_EQ(shown(), (QStringList{
                           "El valor '12.34' no corresponde al tipo de dato entero establecido para el campo 'Id'" + title,
                           "El valor 'S#N' no corresponde al tipo de dato booleano (S o N) establecido para el campo "
                           "'Id'" + title,
                           "Para poder generar un nuevo registro todos los campos clave deben tener valor." + title,
                           "¿Desea limpiar todos los valores de la clave? (36, Campos Clave Nuevo Registro)",
                           "¿Desea limpiar todos los valores de la clave? (36, Campos Clave Nuevo Registro)"}));
}

// The file a page pushed is read in PageOpenersTest; here an empty table, and
// the statement each server is sent.
TEST_F(DialogsTest, MaxPlusOneOnAnEmptyTableAndTheStatementsSentToSqlServerAndOracle)
{
    const QString file = localFile(dir.path(), "a.mdb", {"CREATE TABLE Empty (Id INTEGER)"});
    zolt->setConnectionType(1);
    zolt->StartObject("", file, "", "");
    EXPECT_EQ(maxPlusOne("Empty.Id"), "1");
    EXPECT_TRUE(shown().isEmpty());

    auto rec = db::RecordingBackend::install();
    rec->answerRegex("^SELECT MAX", db::RecordingBackend::Answer::table({"MaxValue"}, {{Variant(std::int32_t(9))}}));
    zolt->setConnectionType(0);
    zolt->StartObject("s", "d", "u", "p");
    EXPECT_EQ(maxPlusOne("dbo.Orders.Id"), "10");
    zolt->setConnectionType(3);
    zolt->setUsedDriver(2);
    maxPlusOne("ORDERS.ID");
    EXPECT_EQ(rec->statements(), (QStringList{"SELECT MAX([Id]) AS MaxValue FROM [dbo].[Orders]",
                                              "SELECT MAX(ID) AS MaxValue FROM ORDERS"}));
    db::RecordingBackend::uninstall();
}

// Aceptar writes what the boxes show, so the written file is their check:
// the defaults, and the folders chosen with the slash appended (a cancelled
// choice keeps the box).
TEST_F(DialogsTest, SettingsWithoutAFileShowTheDefaultsAndWriteTheChosenFolders)
{
    settings.Form_Load();
    EXPECT_TRUE(settings.txtPasswordTime->isEnabled());
    EXPECT_EQ(settings.txtCSVPath->text() + " " + settings.txtScriptPath->text(),
              dir.path() + "/CSV/ " + dir.path() + "/Scripts/");
    screenshot(settings, "frmSettings");
    QStringList answers = {dir.path() + "/x", QString(), dir.path() + "/y/"}, prompts;
    settings.chooseFolder = [&](QWidget*, const QString& p) {
        prompts << p;
        return answers.takeFirst();
    };
    click(settings.BttCSVDirSelection);
    click(settings.BttCSVDirSelection);
    click(settings.BttScriptDirSelection);
    EXPECT_EQ(prompts, QStringList(3, "Seleccione una carpeta"));
    click(settings.BttAceptar);
    EXPECT_TRUE(settings.Saved());
    EXPECT_EQ(ProfileFile::read(ini(), "CSV", "Path") + " " + ProfileFile::read(ini(), "Scripts", "Path"),
              dir.path() + "/x/ " + dir.path() + "/y/");
    EXPECT_TRUE(shown().isEmpty());
}

// A provider no item contains selects none and is written as "".
TEST_F(DialogsTest, SettingsValuesThatReadAsNoIntegerOrNoItemStillOpen)
{
    const QByteArray unknown = "[Drivers]\nAccess_MDB=Other.Provider\nAccess_ACCDB=Other.Provider\n";
    writeIni(unknown + "[PasswordTime]\nEnabled=abc\n[Connection]\nExcludePrimaryKey=abc\n"
                       "[Multilanguage]\nTranslation=Language9\n");
    settings.Form_Load();
    EXPECT_EQ(std::tuple(settings.optLanguage->checkedId(), settings.chkPasswordTime->isChecked(),
                         settings.txtPasswordTime->isEnabled(), settings.chkExcludeIndex->isChecked(),
                         settings.cboMDB->currentIndex(), settings.cboACCDB->currentIndex()),
              std::tuple(0, false, false, true, -1, -1));
    click(settings.BttAceptar);
    EXPECT_TRUE(iniText().contains("Access_MDB=\nAccess_ACCDB=\n")) << iniText().toStdString();
    const std::pair<const char*, int> languages[] = {{"English", 0}, {"Language7", 0}, {"Original", 0}, {"Language3", 3}};
    for (auto [value, id] : languages) {
        writeIni(unknown + "[Multilanguage]\nTranslation=" + value);
        frmSettings other;
        other.Form_Load();
        EXPECT_EQ(std::pair(other.optLanguage->checkedId(), other.cboMDB->currentIndex()), std::pair(id, -1)) << value;
    }
}

TEST_F(DialogsTest, SettingsNoticeOnlyForAnotherLanguageAndAFailedSaveReportedWhileTheDialogStays)
{
    writeIni("[Multilanguage]\nTranslation=Language1\n");
    settings.Form_Load();
    click(settings.BttAceptar); // the same language: no notice among those below
    frmSettings other;
    other.MSG = msg;
    other.Form_Load();
    other.optLanguage->button(4)->setChecked(true);
    click(other.BttAceptar);
    EXPECT_EQ(ProfileFile::read(ini(), "Multilanguage", "Translation"), "Language4");

    ASSERT_TRUE(QFile::remove(ini()));
    ASSERT_TRUE(QDir(dir.path()).mkdir("Velmora.ini"));
    frmSettings failing;
    failing.MSG = msg;
    failing.Form_Load();
    failing.optLanguage->button(2)->setChecked(true);
    failing.show();
    click(failing.BttAceptar);
    EXPECT_EQ(std::pair(failing.isVisible(), failing.Saved()), std::pair(true, false));
    EXPECT_EQ(shown(), (QStringList{"El cambio de idioma tendrá lugar la próxima vez que inicie el programa (64, "
                                    "Opciones de Configuración)",
                                    "FRMSETTINGS.BTTACEPTAR_MOUSEUP\r\nError: No se han podido guardar las opciones en el "
                                    "fichero '" + ini() + "' (16, Error)"}));
    EXPECT_TRUE(QFileInfo(ini()).isDir());
}

// In every translation the provider lists read in that language, the
// providers stay as they are and Aceptar writes the provider chosen.
TEST_F(DialogsTest, SettingsProviderListsInTheInterfaceLanguage)
{
    ASSERT_TRUE(QFile::copy(QStringLiteral(VELMORA_BUILD_TREE "/translate.vrx"), dir.filePath("translate.vrx")));
    QFile::setPermissions(dir.filePath("translate.vrx"), QFile::ReadOwner | QFile::WriteOwner);
    auto nesko = std::make_shared<clsDO>();
    nesko->setConnectionType(1);
    nesko->setUsedDriver(1);
    nesko->setSQLProvider("Microsoft.Jet.OLEDB.4.0");
    nesko->StartObject(QString(), dir.filePath("translate.vrx"), QString(), QString());
    msg->setNesko(nesko);
    const char* later[] = {"Access 2007 y posteriores:", "Access 2007 and later:", "Access 2007 et ultérieures :",
                           "Access 2007 und höher:", "Access 2007 e posteriores:", "Access 2007 e successivi:"};
    for (int l = 0; l < 6; ++l) {
        msg->setLanguage(SettingsRules::languageValue(l));
        writeIni("[Drivers]\nAccess_MDB=Microsoft.ACE.OLEDB.12.0\nAccess_ACCDB=Microsoft.ACE.OLEDB.16.0\n");
        frmSettings shownIn;
        shownIn.MSG = msg;
        shownIn.Form_Load();
        shownIn.Form_Load(); // a second load translates nothing twice
        const QString item = shownIn.cboMDB->currentText();
        EXPECT_TRUE(item.startsWith(QString::fromUtf8(later[l])) && item.endsWith("Microsoft.ACE.OLEDB.12.0"))
            << item.toStdString();
        EXPECT_EQ(shownIn.cboACCDB->itemText(0), item);
        shownIn.cboACCDB->setCurrentIndex(0);
        click(shownIn.BttAceptar);
        EXPECT_EQ(ProfileFile::read(ini(), "Drivers", "Access_MDB") + " " + ProfileFile::read(ini(), "Drivers", "Access_ACCDB"),
                  "Microsoft.ACE.OLEDB.12.0 Microsoft.ACE.OLEDB.12.0");
    }
    EXPECT_TRUE(shown().isEmpty()) << shown().join('\n').toStdString();
}

TEST(DialogTexts, EveryTextIsInTheTranslationSourceInEveryLanguage)
{
    QFile tsv(QStringLiteral(VELMORA_TRANSLATE_TSV));
    ASSERT_TRUE(tsv.open(QIODevice::ReadOnly));
    QHash<QString, QStringList> rows;
    for (const QString& line : QString::fromUtf8(tsv.readAll()).split('\n'))
        if (!line.startsWith('#') && !line.isEmpty())
            rows.insert(line.section('\t', 0, 0).toLower(), line.split('\t'));

    QStringList texts = {
        "No hay texto para copiar al portapapeles", "El texto se ha copiado al portapapeles",
        "¿Desea aplicar estos cambios?", "Editor de Consultas SQL",
        "El cambio de idioma tendrá lugar la próxima vez que inicie el programa", "Seleccione una carpeta",
        "{1}\\r\\nError: No se han podido guardar las opciones en el fichero '{2}'",
        "Para poder generar un nuevo registro todos los campos clave deben tener valor.",
        "El valor '{1}' no corresponde al tipo de dato entero establecido para el campo '{2}'",
        "El valor '{1}' no corresponde al tipo de dato numérico establecido para el campo '{2}'",
        "El valor '{1}' no corresponde al tipo de dato fecha establecido para el campo '{2}'",
        "El valor '{1}' no corresponde al tipo de dato booleano (S o N) establecido para el campo '{2}'",
        "¿Desea limpiar todos los valores de la clave?",
        "Campos clave borrados.\\r\\n\\r\\n¿Desea borrar también el contexto?", "Max + 1", "Tablas"};
    frmEdit edit;
    frmSettings settings;
    frmNewKey key;
    frmKeyFields fields;
    frmDSN picker;
    for (QWidget* w : std::initializer_list<QWidget*>{&edit, &settings, &key, &fields, &picker}) {
        texts << w->windowTitle();
        for (auto* b : w->findChildren<QAbstractButton*>())
            if (b->text() != "..." && !b->text().isEmpty())
                texts << b->text();
        for (auto* l : w->findChildren<QLabel*>())
            if (!l->text().isEmpty())
                texts << l->text();
        for (auto* g : w->findChildren<QGroupBox*>())
            texts << g->title();
        // A list item's label, up to its ":", is text; the provider after it is a name.
        for (auto* c : w->findChildren<QComboBox*>())
            for (int i = 0; i < c->count(); ++i)
                texts << c->itemText(i).section(u':', 0, 0) + u':';
    }
    for (const QString& t : texts) {
        const QStringList row = rows.value(t.toLower());
        ASSERT_EQ(row.size(), 7) << "missing: " << t.toStdString();
        for (const QString& cell : row)
            EXPECT_FALSE(cell.trimmed().isEmpty()) << t.toStdString();
    }
    EXPECT_EQ(rows.value("identar").last(), "frmEdit.BttIdentar");
}
