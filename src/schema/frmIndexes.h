#pragma once
// The index list window "Indices de la tabla": the table's indexes as the
// database holds them, the flags and fields of the selected one, and the
// commands that delete, create and change an index at once.
#include "core/ConnectionValues.h"
#include "schema/SchemaDialog.h"
#include "controls/MaxGrid.h"

class frmIndex;

#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>

class frmIndexes : public schema::SchemaDialog, public schema::ConnectionInputs {
    Q_OBJECT
public:
    explicit frmIndexes(QWidget* parent = nullptr);

    void setCurrentTable(const CollectionPtr& table) { currentTable_ = table; }
    // The index collection read last, and the index shown.
    CollectionPtr Indexes() const { return indexes_; }
    CollectionPtr SelectedIndex() const { return selected_; }

    void BttNuevo_MouseUp();
    void BttModificar_MouseUp();
    void BttEliminar_MouseUp();
    void BttSalir_MouseUp();

    MaxGrid* fgrIndexes;
    MaxGrid* fgrIndexFields;
    QGroupBox* Frame2;
    QCheckBox* chkIndexKey;
    QCheckBox* chkIndexUnique;
    QCheckBox* chkIgnoreNulls;
    QPushButton* BttNuevo;
    QPushButton* BttModificar;
    QPushButton* BttEliminar;
    QPushButton* BttSalir;

protected:
    void Form_Load() override;
    bool Form_KeyPress(int keyAscii) override;
    void exitButton() override { BttSalir_MouseUp(); }

private:
    QString tableName() const;
    void readIndexes();
    void fillIndexesGrid();
    void setupGrid(MaxGrid& grid, int items);
    void ShowIndexProperties(const QString& name);
    void selectRow(int row);
    // Creates or replaces an index through the dialog's values; false when
    // AddNewIndex failed, with the engine's reason in reason when it gave one.
    bool addIndex(const QString& name, bool key, bool unique, bool nulls, const CollectionPtr& fields, QString& reason);

    // Sets up the index dialog in the order it needs and shows it.
    void runIndexDialog(frmIndex& dialog, const QString& mode, const CollectionPtr& fields, const QString& name, bool key,
                        bool unique, bool nulls);
    // Reads the list again and makes the index of that name current, when it is there.
    void reloadAndSelect(const QString& name);

    CollectionPtr currentTable_;
    CollectionPtr indexes_;
    CollectionPtr selected_;
    bool loading_ = false;
};
