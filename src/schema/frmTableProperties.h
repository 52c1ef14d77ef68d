#pragma once
// The table structure window "Estructura de Tabla": the fields of a new or
// existing table in column order, the properties of the selected field, the
// key and the indexes. Everything stays in memory until Aceptar creates or
// rebuilds the table and adds back its other indexes.
#include "core/ConnectionValues.h"
#include "data/clsField.h"
#include "schema/SchemaDialog.h"
#include "controls/MaxGrid.h"
#include "controls/MaxText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

class frmTableProperties : public schema::SchemaDialog, public schema::ConnectionInputs {
    Q_OBJECT
public:
    explicit frmTableProperties(QWidget* parent = nullptr);

    QString EditionMode() const { return editionMode_; }
    void setEditionMode(const QString& mode) { editionMode_ = mode; }
    void setCurrentTable(const CollectionPtr& table) { currentTable_ = table; }

    // The field collection (clsField items keyed by KeyCode, in column order) and the field shown.
    CollectionPtr Fields() const { return fields_; }
    clsFieldPtr CurrentField() const { return current_; }
    CollectionPtr SavedIndexes() const { return savedIndexes_; }

    void BttAceptar_MouseUp();
    void BttAñadir_MouseUp();
    void BttEliminar_MouseUp();
    void BttKey_MouseUp();
    void BttIndexes_MouseUp();
    void BttSalir_MouseUp();
    // A mouse press on the check column of a data row toggles its mark.
    void toggleMark(int row);

    QLabel* Label8;
    MaxText* txtTableName;
    MaxGrid* fgrFields;
    QGroupBox* frProperties;
    QLabel* Label1;
    MaxText* txtFieldName;
    QLabel* Label2;
    QComboBox* cboFieldDataType;
    QLabel* Label3;
    MaxText* txtFieldLenght;
    QLabel* Label4;
    MaxText* txtFieldPosition;
    QCheckBox* chkFixedLenght;
    QCheckBox* chkAutoIncreased;
    QCheckBox* chkNullAllowed;
    QCheckBox* chkAllowZeroLenght;
    QLabel* lblValidationText;
    MaxText* txtValidationText;
    QLabel* lblValidationRule;
    MaxText* txtValidationRule;
    QLabel* lblDefaultValue;
    MaxText* txtDefaultValue;
    QPushButton* BttAñadir;
    QPushButton* BttEliminar;
    QPushButton* BttKey;
    QPushButton* BttIndexes;
    QPushButton* BttAceptar;
    QPushButton* BttSalir;

protected:
    void Form_Load() override;
    bool Form_KeyPress(int keyAscii) override;
    void exitButton() override { BttSalir_MouseUp(); }

private:
    // The handlers behind the controls.
    void wire();
    void loadTableStructure();
    void fillFieldsGrid();
    void showFieldProperties(const QString& keyCode);
    void refreshCheckActions();
    void evaluateZeroLength();
    void positionChanged();
    QString shownName(const QString& name) const;
    std::vector<bool> marks() const;
    void save();

    QString editionMode_;
    CollectionPtr currentTable_;
    CollectionPtr fields_ = newCollection();
    bool hasKeyNames_ = false;
    QStringList keyNames_;
    clsFieldPtr current_;
    CollectionPtr savedIndexes_;
    bool loading_ = false;
    bool showing_ = false;
    QString keyQuestion_;
};
