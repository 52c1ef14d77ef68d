#include "mainwindow/frmSettings.h"

#include "controls/ControlSupport.h"
#include "controls/MaxText.h"
#include "controls/TextRoom.h"
#include "core/ProfileFile.h"
#include "core/ProgramFolder.h"
#include "controls/PushButton.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

namespace {

QGroupBox* frame(QWidget* parent, const char* name, const char* caption, double top, double height)
{
    auto* box = new QGroupBox(QString::fromUtf8(caption), parent);
    box->setObjectName(QString::fromLatin1(name));
    controls::setTwipsGeometry(box, 90, top, 6090, height);
    return box;
}

QLabel* label(QWidget* parent, const char* name, const char* caption, double left, double top, double width)
{
    auto* l = new QLabel(QString::fromUtf8(caption), parent);
    l->setObjectName(QString::fromLatin1(name));
    controls::setTwipsGeometry(l, left, top, width, 225);
    return l;
}

} // namespace

frmSettings::frmSettings(QWidget* parent)
    : DialogFrame(QStringLiteral("frmSettings"), QStringLiteral("Opciones de Configuración"), 6270, 7890, true, parent)
{
    BttAceptar = addButton("BttAceptar", "Aceptar", 90, 855, QStyle::SP_DialogApplyButton, "BttAceptar_MouseUp",
                           [this] { BttAceptar_MouseUp(); });
    BttSalir = addButton("BttSalir", "Salir", 5385, 795, QStyle::SP_DialogCloseButton, QString(),
                         [this] { BttSalir_MouseUp(); }, SalirTag);
    addLines(6270);

    QGroupBox* Frame1 = frame(this, "Frame1", "Drivers", 1080, 1470);
    label(Frame1, "Label1", "Apertura de ficheros Access con extensión *.mdb", 150, 300, 5700);
    cboMDB = new QComboBox(Frame1);
    cboMDB->setObjectName(QStringLiteral("cboMDB"));
    cboMDB->addItems(SettingsRules::MdbItems());
    controls::setTwipsGeometry(cboMDB, 150, 540, 5790, 315);
    label(Frame1, "Label2", "Apertura de ficheros Access con extensión *.accdb", 150, 900, 5700);
    cboACCDB = new QComboBox(Frame1);
    cboACCDB->setObjectName(QStringLiteral("cboACCDB"));
    cboACCDB->addItems(SettingsRules::AccdbItems());
    controls::setTwipsGeometry(cboACCDB, 150, 1110, 5790, 315);

    QGroupBox* Frame2 = frame(this, "Frame2", "Rutas de Exportación", 2640, 1470);
    label(Frame2, "Label3", "Ficheros CSV", 150, 300, 5700);
    txtCSVPath = new QLineEdit(Frame2);
    txtCSVPath->setObjectName(QStringLiteral("txtCSVPath"));
    controls::setTwipsGeometry(txtCSVPath, 150, 540, 5460, 315);
    label(Frame2, "Label4", "Script de Alta de registros", 150, 900, 5700);
    txtScriptPath = new QLineEdit(Frame2);
    txtScriptPath->setObjectName(QStringLiteral("txtScriptPath"));
    controls::setTwipsGeometry(txtScriptPath, 150, 1110, 5460, 315);
    const auto smallButton = [this](QWidget* parent, const char* name, double top, void (frmSettings::*handler)()) {
        auto* b = new PushButton(QString::fromLatin1(name), QStringLiteral("..."), parent);
        b->setToolButtonStyle(Qt::ToolButtonTextOnly);
        controls::setTwipsGeometry(b, 5640, top, 300, 315);
        const QString procedure = QString::fromLatin1(name) + QStringLiteral("_MouseUp");
        connect(b, &PushButton::mouseUp, this,
                [this, procedure, handler](int, int, float, float) { guarded(procedure, [&] { (this->*handler)(); }); });
        return b;
    };
    BttCSVDirSelection = smallButton(Frame2, "BttCSVDirSelection", 540, &frmSettings::BttCSVDirSelection_MouseUp);
    BttScriptDirSelection =
        smallButton(Frame2, "BttScriptDirSelection", 1110, &frmSettings::BttScriptDirSelection_MouseUp);

    QGroupBox* Frame3 = frame(this, "Frame3", "Datos Conexión", 4200, 1140);
    chkPasswordTime = new QCheckBox(QStringLiteral("Ocultar el password una vez transcurridos "), Frame3);
    chkPasswordTime->setObjectName(QStringLiteral("chkPasswordTime"));
    controls::setTwipsGeometry(chkPasswordTime, 150, 330, 4350, 255);
    txtPasswordTime = new MaxText(Frame3);
    txtPasswordTime->setObjectName(QStringLiteral("txtPasswordTime"));
    txtPasswordTime->setTipo(1);
    txtPasswordTime->setFormato(QStringLiteral("0"));
    txtPasswordTime->setAlignment(2);
    controls::setTwipsGeometry(txtPasswordTime, 4530, 300, 510, 315);
    label(Frame3, "Label5", "segundos", 5100, 345, 900);
    chkExcludeIndex = new QCheckBox(QStringLiteral("No mostrar clave en las consultas (aumenta la velocidad)"), Frame3);
    chkExcludeIndex->setObjectName(QStringLiteral("chkExcludeIndex"));
    controls::setTwipsGeometry(chkExcludeIndex, 150, 720, 5790, 255);
    connect(chkPasswordTime, &QCheckBox::clicked, this, [this] { chkPasswordTime_Click(); });

    QGroupBox* Frame4 = frame(this, "Frame4", "Idioma", 5400, 2370);
    optLanguage = new QButtonGroup(this);
    const char* languages[] = {"Español", "Inglés", "Francés", "Alemán", "Portugués", "Italiano"};
    for (int i = 0; i < 6; ++i) {
        auto* option = new QRadioButton(QString::fromUtf8(languages[i]), Frame4);
        option->setObjectName(QStringLiteral("optLanguage"));
        option->setProperty("Index", i);
        controls::setTwipsGeometry(option, 300 + (i / 3) * 2900, 360 + (i % 3) * 600, 2600, 300);
        optLanguage->addButton(option, i);
    }

    // Qt's own chooser, whose texts follow the interface language (a desktop's would not).
    chooseFolder = [](QWidget* owner, const QString& prompt) {
        QFileDialog dialog(owner, prompt);
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOptions(QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
        controls::fitHeadersOnShow(&dialog);
        return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
    };
}

QString frmSettings::file() const { return ProgramFolder::file(QStringLiteral("Velmora.ini")); }

void frmSettings::Form_Load()
{
    const SettingsRules::Values v = SettingsRules::load(ProfileFile::load(file()), ProgramFolder::path());
    cboMDB->setCurrentIndex(SettingsRules::itemFor(SettingsRules::MdbItems(), v.AccessMdb));
    cboACCDB->setCurrentIndex(SettingsRules::itemFor(SettingsRules::AccdbItems(), v.AccessAccdb));
    txtCSVPath->setText(v.CsvPath);
    txtScriptPath->setText(v.ScriptPath);
    chkPasswordTime->setChecked(v.PasswordTime);
    txtPasswordTime->setText(v.Seconds);
    chkExcludeIndex->setChecked(v.ExcludeKey);
    optLanguage->button(v.Language)->setChecked(true);
    languageAtLoad_ = v.Language;
    // A value set from code raises no click: the countdown box follows the check box here.
    chkPasswordTime_Click();
    if (MSG) {
        MSG->TransMe(this);
        // The lists' versions in the interface language, from the Spanish
        // items each time, so a second load translates nothing twice.
        const std::pair<QComboBox*, const QStringList*> lists[] = {{cboMDB, &SettingsRules::MdbItems()},
                                                                   {cboACCDB, &SettingsRules::AccdbItems()}};
        for (const auto& [list, items] : lists) {
            const QString owner = objectName() + u'.' + list->objectName();
            for (int i = 0; i < list->count(); ++i)
                list->setItemText(i, SettingsRules::translatedItem(items->at(i), [&](const QString& text) {
                    return MSG->Translate(text, true, owner);
                }));
        }
    }
}

SettingsRules::Values frmSettings::shown() const
{
    SettingsRules::Values v;
    v.AccessMdb = SettingsRules::providerOf(cboMDB->currentText());
    v.AccessAccdb = SettingsRules::providerOf(cboACCDB->currentText());
    v.CsvPath = txtCSVPath->text();
    v.ScriptPath = txtScriptPath->text();
    v.PasswordTime = chkPasswordTime->isChecked();
    v.Seconds = txtPasswordTime->Text();
    v.ExcludeKey = chkExcludeIndex->isChecked();
    v.Language = qMax(0, optLanguage->checkedId());
    return v;
}

void frmSettings::BttAceptar_MouseUp()
{
    const SettingsRules::Values v = shown();
    if (!SettingsRules::save(file(), v))
        ::raise(Error::PathNotFound, QStringLiteral("No se han podido guardar las opciones en el fichero '") +
                                       BraceBlock(2, file()) + QStringLiteral("'"));
    saved_ = true;
    if (v.Language != languageAtLoad_)
        message(QStringLiteral("El cambio de idioma tendrá lugar la próxima vez que inicie el programa"), 64,
                QStringLiteral("Opciones de Configuración"));
    hide();
}

void frmSettings::BttSalir_MouseUp() { hide(); }

void frmSettings::chooseInto(QLineEdit* box)
{
    QString prompt = QStringLiteral("Seleccione una carpeta");
    if (MSG)
        prompt = MSG->Translate(prompt, true, objectName());
    const QString folder = chooseFolder ? chooseFolder(this, prompt) : QString();
    if (folder.isEmpty())
        return; // a cancelled choice leaves the box as it was
    box->setText(folder.endsWith(u'/') ? folder : folder + u'/');
}

void frmSettings::BttCSVDirSelection_MouseUp() { chooseInto(txtCSVPath); }
void frmSettings::BttScriptDirSelection_MouseUp() { chooseInto(txtScriptPath); }

void frmSettings::chkPasswordTime_Click() { txtPasswordTime->setEnabled(chkPasswordTime->isChecked()); }
