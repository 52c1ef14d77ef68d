// The settings dialog: what it shows, what it writes and when it refuses.
#include "DialogTestSupport.h"

#include "controls/MaxText.h"
#include "core/ProfileFile.h"
#include "mainwindow/frmSettings.h"
#include "querypage/PushButton.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTest>

class SettingsTest : public DialogTest {
protected:
    QString ini() const { return dir.filePath("Velmora.ini"); }
    void write(const char* text)
    {
        QFile f(ini());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    QString read() const
    {
        QFile f(ini());
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString("(none)");
    }
    void load()
    {
        w.MSG = msg;
        w.Form_Load();
    }
    static void click(PushButton* b) { emit b->mouseUp(1, 0, 0, 0); }
    frmSettings w;
};

TEST_F(SettingsTest, WithoutAFileShowsAndWritesTheDefaults)
{
    load();
    EXPECT_EQ(w.cboMDB->currentIndex(), 1);
    EXPECT_EQ(w.cboACCDB->currentIndex(), 0);
    EXPECT_EQ(w.txtCSVPath->text(), dir.path() + "/CSV/");
    EXPECT_EQ(w.txtScriptPath->text(), dir.path() + "/Script/");
    EXPECT_TRUE(w.chkPasswordTime->isChecked());
    EXPECT_TRUE(w.txtPasswordTime->isEnabled());
    EXPECT_EQ(w.txtPasswordTime->Text(), "2");
    EXPECT_FALSE(w.chkExcludeIndex->isChecked());
    EXPECT_EQ(w.optLanguage->checkedId(), 0);
    click(w.BttAceptar);
    EXPECT_TRUE(w.Saved());
    const QString csv = dir.path() + "/CSV/", script = dir.path() + "/Script/";
    EXPECT_EQ(read(), "[Drivers]\nAccess_MDB=Microsoft.Jet.OLEDB.4.0\nAccess_ACCDB=Microsoft.ACE.OLEDB.12.0\n"
                      "[CSV]\nPath=" + csv + "\n[Scripts]\nPath=" + script +
                          "\n[PasswordTime]\nEnabled=1\nSeconds=2\n[Connection]\nExcludePrimaryKey=0\n"
                          "[Multilanguage]\nTranslation=Original\n");
    EXPECT_TRUE(shown().isEmpty());
}

TEST_F(SettingsTest, ValuesThatReadAsNoIntegerStillOpen)
{
    write("[PasswordTime]\nEnabled=abc\n[Connection]\nExcludePrimaryKey=abc\n[Multilanguage]\nTranslation=Language9\n"
          "[Drivers]\nAccess_MDB=Other.Provider\n");
    load();
    EXPECT_EQ(w.optLanguage->checkedId(), 0);
    EXPECT_FALSE(w.chkPasswordTime->isChecked());
    EXPECT_FALSE(w.txtPasswordTime->isEnabled());
    EXPECT_TRUE(w.chkExcludeIndex->isChecked());
    EXPECT_EQ(w.cboMDB->currentIndex(), -1);
    for (const char* value : {"English", "Language7", "Original"}) {
        write((QByteArray("[Multilanguage]\nTranslation=") + value).constData());
        frmSettings other;
        other.Form_Load();
        EXPECT_EQ(other.optLanguage->checkedId(), 0) << value;
    }
    write("[Multilanguage]\nTranslation=Language3\n");
    frmSettings third;
    third.Form_Load();
    EXPECT_EQ(third.optLanguage->checkedId(), 3);
    // A provider no item contains is written as "".
    write("[Drivers]\nAccess_MDB=Other.Provider\n");
    frmSettings fourth;
    fourth.Form_Load();
    emit fourth.BttAceptar->mouseUp(1, 0, 0, 0);
    EXPECT_EQ(ProfileFile::read(ini(), "Drivers", "Access_MDB", "(default)"), "(default)");
    EXPECT_TRUE(read().contains("Access_MDB=\n"));
}

TEST_F(SettingsTest, FolderChoiceAppendsTheSlashAndCancelKeepsTheBox)
{
    load();
    QStringList answers = {dir.path() + "/x", QString(), dir.path() + "/y/"};
    QString prompt;
    w.chooseFolder = [&](QWidget*, const QString& p) {
        prompt = p;
        return answers.takeFirst();
    };
    click(w.BttCSVDirSelection);
    EXPECT_EQ(w.txtCSVPath->text(), dir.path() + "/x/");
    EXPECT_EQ(prompt, "Seleccione una carpeta");
    click(w.BttCSVDirSelection);
    EXPECT_EQ(w.txtCSVPath->text(), dir.path() + "/x/");
    click(w.BttScriptDirSelection);
    EXPECT_EQ(w.txtScriptPath->text(), dir.path() + "/y/");
}

TEST_F(SettingsTest, AFailedSaveIsReportedOnceAndTheDialogStays)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir("Velmora.ini"));
    load();
    w.optLanguage->button(2)->setChecked(true);
    w.show();
    click(w.BttAceptar);
    EXPECT_TRUE(w.isVisible());
    EXPECT_FALSE(w.Saved());
    ASSERT_EQ(recorder->calls.size(), 1u);
    EXPECT_EQ(shown().first(), "FRMSETTINGS.BTTACEPTAR_MOUSEUP\r\nError: No se han podido guardar las opciones en el "
                               "fichero '" + ini() + "' (16, Error)");
    EXPECT_TRUE(QFileInfo(ini()).isDir());
}

TEST_F(SettingsTest, LanguageNoticeOnlyForAnotherLanguage)
{
    write("[Multilanguage]\nTranslation=Language1\n");
    load();
    click(w.BttAceptar);
    EXPECT_TRUE(shown().isEmpty());
    frmSettings other;
    other.MSG = msg;
    other.Form_Load();
    other.optLanguage->button(4)->setChecked(true);
    emit other.BttAceptar->mouseUp(1, 0, 0, 0);
    EXPECT_EQ(shown(), QStringList{"El cambio de idioma tendrá lugar la próxima vez que inicie el programa (64, "
                                   "Opciones de Configuración)"});
    EXPECT_EQ(ProfileFile::read(ini(), "Multilanguage", "Translation"), "Language4");
}

TEST_F(SettingsTest, SalirAndEscWriteNothing)
{
    load();
    w.show();
    QTest::keyClick(w.txtCSVPath, Qt::Key_Escape);
    EXPECT_FALSE(w.isVisible());
    click(w.BttSalir);
    w.show();
    w.close();
    EXPECT_EQ(read(), "(none)");
    // Enter anywhere accepts.
    w.show();
    QTest::keyClick(w.txtCSVPath, Qt::Key_Return);
    EXPECT_TRUE(w.Saved());
    EXPECT_FALSE(w.isVisible());
}
