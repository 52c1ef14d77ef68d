#pragma once
// The field dialog "Nuevo Campo": name, position, type, length, flags and,
// where the engine has them, validation text, rule and default value of one
// new column. It checks what it can see by itself and hides; the opener
// reads the outputs.
#include "controls/MaxText.h"
#include "schema/SchemaDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <cstdint>

class frmNewField : public schema::SchemaDialog {
    Q_OBJECT
public:
    explicit frmNewField(QWidget* parent = nullptr);

    QString EditionMode() const { return editionMode_; }
    void setEditionMode(const QString& mode);
    std::int16_t PreviousFieldsCount() const { return previousFieldsCount_; }
    void setPreviousFieldsCount(std::int16_t n) { previousFieldsCount_ = n; }

    // Each stands for its control; Gets of numbers raise on text that is no number.
    QString FieldName() const { return txtFieldName->Text(); }
    void setFieldName(const QString& v) { txtFieldName->setText(v); }
    std::int16_t FieldPosition() const;
    void setFieldPosition(std::int16_t v) { txtFieldPosition->setText(QString::number(v)); }
    std::int16_t DataType() const;
    void setDataType(std::int16_t code);
    std::int32_t FieldLenght() const;
    void setFieldLenght(std::int32_t v) { txtFieldLenght->setText(QString::number(v)); }
    bool FixedLenght() const { return chkFixedLenght->isChecked(); }
    void setFixedLenght(bool v) { chkFixedLenght->setChecked(v); }
    bool AutoIncrease() const { return chkAutoIncreased->isChecked(); }
    void setAutoIncrease(bool v) { chkAutoIncreased->setChecked(v); }
    bool AllowNull() const { return chkNullAllowed->isChecked(); }
    void setAllowNull(bool v) { chkNullAllowed->setChecked(v); }
    bool AllowZeroLenght() const { return chkAllowZeroLenght->isChecked(); }
    void setAllowZeroLenght(bool v) { chkAllowZeroLenght->setChecked(v); }
    QString ValidationText() const { return txtValidationText->Text(); }
    void setValidationText(const QString& v) { txtValidationText->setText(v); }
    QString ValidationRule() const { return txtValidationRule->Text(); }
    void setValidationRule(const QString& v) { txtValidationRule->setText(v); }
    QString DefaultValue() const { return txtDefaultValue->Text(); }
    void setDefaultValue(const QString& v) { txtDefaultValue->setText(v); }

    // Sets the length, flags and their enabled states for the selected type.
    void EvaluateFieldType();

    // Shows or hides the zero-length, validation and default-value rows and sets the height (twips).
    void showEngineRows(bool shown, double heightTwips);

    // Handlers, public so that an opener's script can press the buttons.
    void BttAceptar_MouseUp();
    void BttLimpiar_MouseUp();
    void BttSalir_MouseUp();

    MaxText* txtFieldName;
    MaxText* txtFieldPosition;
    QComboBox* cboFieldDataType;
    MaxText* txtFieldLenght;
    QCheckBox* chkFixedLenght;
    QCheckBox* chkAutoIncreased;
    QCheckBox* chkNullAllowed;
    QCheckBox* chkAllowZeroLenght;
    MaxText* txtValidationText;
    MaxText* txtValidationRule;
    MaxText* txtDefaultValue;
    QLabel* lblFieldName;
    QLabel* lblFieldPosition;
    QLabel* lblFieldDataType;
    QLabel* lblFieldLenght;
    QLabel* lblValidationText;
    QLabel* lblValidationRule;
    QLabel* lblDefaultValue;
    QPushButton* BttAceptar;
    QPushButton* BttLimpiar;
    QPushButton* BttSalir;

protected:
    void Form_Load() override;
    bool Form_KeyPress(int keyAscii) override;
    void exitButton() override { BttSalir_MouseUp(); }

private:
    void accept_();
    void leave();

    QString editionMode_;
    std::int16_t previousFieldsCount_ = 0;
};
