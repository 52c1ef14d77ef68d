#pragma once
// The index dialog "Indice": the index's name, its key, unique and
// ignore-nulls flags and its fields, moved between the table's free fields
// and the index. It works on a copy of the fields it is given; the opener
// reads the copy back after acceptance.
#include "schema/SchemaDialog.h"
#include "controls/MaxGrid.h"
#include "controls/MaxText.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

class frmIndex : public schema::SchemaDialog {
    Q_OBJECT
public:
    explicit frmIndex(QWidget* parent = nullptr);

    QString EditionMode() const { return editionMode_; }
    // Loads the window first; "A" new index, "M" fields only.
    void setEditionMode(const QString& mode);
    void setCurrentTable(const CollectionPtr& table) { currentTable_ = table; }
    // The table's indexes as the list window holds them (a key among them disables "Clave Principal").
    void setCurrentIndexes(const CollectionPtr& indexes) { currentIndexes_ = indexes; }
    QString IndexName() const { return txtIndexName->Text(); }
    void setIndexName(const QString& name);
    bool IsKey() const { return chkIndexKey->isChecked(); }
    void setIsKey(bool v) { chkIndexKey->setChecked(v); }
    bool IsUnique() const { return chkIndexUnique->isChecked(); }
    void setIsUnique(bool v) { chkIndexUnique->setChecked(v); }
    bool IgnoreNulls() const { return chkIgnoreNulls->isChecked(); }
    void setIgnoreNulls(bool v) { chkIgnoreNulls->setChecked(v); }
    CollectionPtr IndexFields() const { return indexFields_; }
    // Keeps a copy: nothing the dialog does reaches the given collection.
    void setIndexFields(const CollectionPtr& fields);

    void BttAddField_MouseUp();
    void BttRemoveField_MouseUp();
    void BttAceptar_MouseUp();
    void BttSalir_MouseUp();

    QLabel* Label1;
    MaxText* txtIndexName;
    QCheckBox* chkIndexKey;
    QCheckBox* chkIndexUnique;
    QCheckBox* chkIgnoreNulls;
    MaxGrid* fgrAvailableFields;
    MaxGrid* fgrIndexFields;
    QPushButton* BttAddField;
    QPushButton* BttRemoveField;
    QPushButton* BttAceptar;
    QPushButton* BttSalir;

protected:
    void Form_Load() override;
    bool Form_KeyPress(int keyAscii) override;
    void exitButton() override { BttSalir_MouseUp(); }

private:
    void FillAvailableFields();
    void fillIndexFields();
    void fillList(MaxGrid& grid, const QStringList& names);
    void selectName(MaxGrid& grid, const QString& name);
    void addField();
    void removeField();
    void focusAvailable(bool available);
    void accept_();
    bool tableHasKey() const;

    QString editionMode_;
    CollectionPtr currentTable_;
    CollectionPtr currentIndexes_;
    CollectionPtr indexFields_;
};
