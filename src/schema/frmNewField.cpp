#include "schema/frmNewField.h"

#include "core/Screen.h"
#include "schema/SchemaRules.h"

namespace {

const QString kTitle = QStringLiteral("Nuevo Campo");
using schema::button;
using schema::check;
using schema::control;
using schema::label;

} // namespace

frmNewField::frmNewField(QWidget* parent) : SchemaDialog(parent)
{
    setObjectName(QStringLiteral("frmNewField"));
    setWindowTitle(kTitle);
    constexpr double width = 5200;

    BttAceptar = button(this, "BttAceptar", QStringLiteral("Aceptar"));
    BttLimpiar = button(this, "BttLimpiar", QStringLiteral("Vaciar"));
    BttSalir = button(this, "BttSalir", QStringLiteral("Salir"));
    schema::buttonRow(this, {BttAceptar, BttLimpiar}, BttSalir, width);

    lblFieldName = label(this, "lblFieldName", QStringLiteral("Nombre Campo"));
    txtFieldName = schema::textBox(this, "txtFieldName");
    lblFieldPosition = label(this, "lblFieldPosition", QStringLiteral("Posición"));
    txtFieldPosition = schema::textBox(this, "txtFieldPosition", true);
    lblFieldDataType = label(this, "lblFieldDataType", QStringLiteral("Tipo de Dato"));
    cboFieldDataType = control<QComboBox>(this, "cboFieldDataType");
    cboFieldDataType->addItems(schema::FieldTypeItems());
    cboFieldDataType->setCurrentIndex(-1);
    cboFieldDataType->setEnabled(false);
    lblFieldLenght = label(this, "lblFieldLenght", QStringLiteral("Longitud"));
    txtFieldLenght = schema::textBox(this, "txtFieldLenght", true);
    txtFieldLenght->setEnabled(false);
    chkFixedLenght = check(this, "chkFixedLenght", QStringLiteral("Longitud Fija"));
    chkFixedLenght->setEnabled(false);
    chkAutoIncreased = check(this, "chkAutoIncreased", QStringLiteral("Autoincremental"));
    chkAutoIncreased->setEnabled(false);
    chkNullAllowed = check(this, "chkNullAllowed", QStringLiteral("Admite Nulos"));
    chkAllowZeroLenght = check(this, "chkAllowZeroLenght", QStringLiteral("Admite Vacío"));
    lblValidationText = label(this, "lblValidationText", QStringLiteral("Texto Validación"));
    txtValidationText = schema::textBox(this, "txtValidationText");
    txtValidationText->setEnabled(false);
    lblValidationRule = label(this, "lblValidationRule", QStringLiteral("Regla Validación"));
    txtValidationRule = schema::textBox(this, "txtValidationRule");
    txtValidationRule->setEnabled(false);
    lblDefaultValue = label(this, "lblDefaultValue", QStringLiteral("Valor por defecto"));
    txtDefaultValue = schema::textBox(this, "txtDefaultValue");
    txtDefaultValue->setEnabled(false);

    const double lx = 150, bx = 1800, bw = width - bx - 150, h = 315;
    schema::place(lblFieldName, lx, 780, 1600, h);
    schema::place(txtFieldName, bx, 750, bw, h);
    schema::place(lblFieldPosition, lx, 1230, 1600, h);
    schema::place(txtFieldPosition, bx, 1200, 900, h);
    schema::place(lblFieldDataType, lx, 1680, 1600, h);
    schema::place(cboFieldDataType, bx, 1650, 2200, h);
    schema::place(lblFieldLenght, lx, 2130, 1600, h);
    schema::place(txtFieldLenght, bx, 2100, 900, h);
    schema::place(chkFixedLenght, lx, 2580, 2300, h);
    schema::place(chkAutoIncreased, 2700, 2580, 2300, h);
    schema::place(chkNullAllowed, lx, 3000, 2300, h);
    schema::place(chkAllowZeroLenght, 2700, 3000, 2300, h);
    schema::place(lblValidationText, lx, 3930, 1600, h);
    schema::place(txtValidationText, bx, 3900, bw, h);
    schema::place(lblValidationRule, lx, 4530, 1600, h);
    schema::place(txtValidationRule, bx, 4500, bw, h);
    schema::place(lblDefaultValue, lx, 5130, 1600, h);
    schema::place(txtDefaultValue, bx, 5100, bw, h);
    setFixedSize(Screen::pixelsFromTwips(width), Screen::pixelsFromTwips(6030));

    connect(BttAceptar, &QPushButton::clicked, this, [this] { BttAceptar_MouseUp(); });
    connect(BttLimpiar, &QPushButton::clicked, this, [this] { BttLimpiar_MouseUp(); });
    connect(BttSalir, &QPushButton::clicked, this, [this] { BttSalir_MouseUp(); });
    connect(cboFieldDataType, &QComboBox::currentIndexChanged, this,
            [this] { handle("cboFieldDataType_Click", [this] { EvaluateFieldType(); }); });
    connect(chkAutoIncreased, &QCheckBox::clicked, this,
            [this] { handle("chkAutoIncreased_Click", [this] { EvaluateFieldType(); }); });
}

void frmNewField::Form_Load()
{
    handle("Form_Load", [this] {
        if (MSG)
            MSG->TransMe(this);
    });
}

bool frmNewField::Form_KeyPress(int keyAscii)
{
    handle("Form_KeyPress", [&] {
        if (keyAscii == 27)
            leave();
        else if (keyAscii == 13)
            accept_();
    });
    // Every other key reaches the control it was typed in.
    return keyAscii == 27 || keyAscii == 13;
}

void frmNewField::setEditionMode(const QString& mode)
{
    ensureLoaded();
    editionMode_ = mode;
    const bool on = mode == QLatin1String("A");
    for (QWidget* w : std::initializer_list<QWidget*>{lblFieldDataType, cboFieldDataType, lblFieldLenght, txtFieldLenght,
                                                      chkFixedLenght, chkAutoIncreased, lblValidationText,
                                                      txtValidationText, lblValidationRule, txtValidationRule,
                                                      lblDefaultValue, txtDefaultValue})
        schema::enable(w, on);
}

std::int16_t frmNewField::FieldPosition() const { return Variant(txtFieldPosition->Text()).toInt(); }

std::int16_t frmNewField::DataType() const { return std::int16_t(schema::FieldTypeCodeAt(cboFieldDataType->currentIndex())); }

void frmNewField::setDataType(std::int16_t code) { cboFieldDataType->setCurrentIndex(schema::FieldTypeIndex(code)); }

std::int32_t frmNewField::FieldLenght() const { return Variant(clsTablas::Blank2Zero(txtFieldLenght->Text())).toLong(); }

void frmNewField::EvaluateFieldType()
{
    if (editionMode_ == QLatin1String("M"))
        return;
    schema::TypeControls c;
    c.length = txtFieldLenght->Text();
    c.fixed = chkFixedLenght->isChecked();
    c.autoIncrease = chkAutoIncreased->isChecked();
    c.zeroLength = chkAllowZeroLenght->isChecked();
    c.nulls = chkNullAllowed->isChecked();
    const QString tag = schema::EvaluateFieldType(cboFieldDataType->currentIndex(),
                                                  cboFieldDataType->property("Tag").toString(), c);
    if (cboFieldDataType->currentIndex() >= 0) {
        txtFieldLenght->setText(c.length);
        txtFieldLenght->setEnabled(c.lengthEnabled);
        lblFieldLenght->setEnabled(c.lengthEnabled);
        chkFixedLenght->setChecked(c.fixed);
        chkFixedLenght->setEnabled(c.fixedEnabled);
        chkAutoIncreased->setChecked(c.autoIncrease);
        chkAutoIncreased->setEnabled(c.autoIncreaseEnabled);
        chkAllowZeroLenght->setChecked(c.zeroLength);
        chkAllowZeroLenght->setEnabled(c.zeroLengthEnabled);
        chkNullAllowed->setChecked(c.nulls);
        chkNullAllowed->setEnabled(c.nullsEnabled);
    }
    cboFieldDataType->setProperty("Tag", tag);
}

void frmNewField::showEngineRows(bool shown, double heightTwips)
{
    for (QWidget* w : std::initializer_list<QWidget*>{chkAllowZeroLenght, lblValidationText, txtValidationText,
                                                      lblValidationRule, txtValidationRule, lblDefaultValue,
                                                      txtDefaultValue})
        w->setVisible(shown);
    if (shown) {
        txtValidationText->setEnabled(false);
        txtValidationRule->setEnabled(true);
        txtDefaultValue->setEnabled(true);
    }
    setFixedHeight(Screen::pixelsFromTwips(heightTwips - 600));
}

void frmNewField::BttAceptar_MouseUp()
{
    handle("BttAceptar_MouseUp", [this] { accept_(); });
}

void frmNewField::accept_()
{
    if (!SCR)
        ::raise(Error::ObjectVariableNotSet, QStringLiteral("Variable de objeto o de bloque With no establecida"));
    txtFieldName->setText(txtFieldName->Text().trimmed());
    if (!SCR->EvitarBlancos(txtFieldName, QString(), QStringLiteral("El nombre del campo")) ||
        !SCR->EvitarBlancos(txtFieldPosition, QString(), QStringLiteral("La posición del campo")) ||
        !SCR->EvitarBlancos(cboFieldDataType, QString(), QStringLiteral("El tipo de dato")) ||
        (txtFieldLenght->isEnabled() &&
         !SCR->EvitarBlancos(txtFieldLenght, QString(), QStringLiteral("La longitud del campo"))))
        return;

    const QString name = txtFieldName->Text();
    if (name.contains(QLatin1Char(' '))) {
        QString underscored = name;
        underscored.replace(QLatin1Char(' '), QLatin1Char('_'));
        const int answer = ask(
            QStringLiteral("Se han detectado espacios dentro del nombre del campo. Se recomienda usar nombres sin espacios "
                           "para facilitar el mantenimiento y posteriores consultas.\r\n\r\n¿Desea sustituir los "
                           "espacios por el carácter guión bajo?\r\n\r\nSi responde que SI se usará ") +
                BraceBlock(1, underscored) +
                QStringLiteral("\r\nSi responde que NO se guardará como está\r\nSi responde CANCEL se anulará el "
                               "guardado y podrá modificarlo"),
            35, kTitle);
        if (answer == 2) {
            txtFieldName->setFocus();
            return;
        }
        if (answer == 6)
            txtFieldName->setText(underscored);
    }

    std::int16_t position = FieldPosition();
    // No column goes before the first.
    if (position < 1) {
        position = 1;
        setFieldPosition(1);
    }
    if (position > previousFieldsCount_ + 1) {
        const int answer =
            ask(QStringLiteral("La posición del campo no puede superar en más de una unidad el número de campos actual, "
                               "que son ") +
                    BraceBlock(1, QString::number(previousFieldsCount_)) +
                    QStringLiteral(".\r\n\r\n¿Desea insertarlo en última posición?"),
                36, kTitle);
        if (answer != 6) {
            txtFieldPosition->setFocus();
            return;
        }
    }
    cancelled_ = false;
    hide();
}

void frmNewField::BttLimpiar_MouseUp()
{
    handle("BttLimpiar_MouseUp", [this] {
        if (ask(QStringLiteral("¿Desea limpiar todos los valores?"), 36, kTitle) != 6)
            return;
        for (MaxText* t : {txtFieldName, txtFieldPosition, txtFieldLenght, txtValidationText, txtValidationRule,
                             txtDefaultValue})
            t->setText(QString());
        cboFieldDataType->setCurrentIndex(-1);
        for (QCheckBox* c : {chkFixedLenght, chkAutoIncreased, chkNullAllowed, chkAllowZeroLenght})
            c->setChecked(false);
    });
}

void frmNewField::BttSalir_MouseUp()
{
    handle("BttSalir_MouseUp", [this] { leave(); });
}

void frmNewField::leave()
{
    cancelled_ = true;
    hide();
}
