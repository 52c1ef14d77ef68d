#pragma once
// The table list window "Tablas de la Base de Datos": the database's tables
// with a search box, the fields of the selected one, and the commands that
// send a query for its first rows to the page, drop it, or open the
// structure window for a new or the selected table.
#include "core/ConnectionValues.h"
#include "schema/SchemaDialog.h"
#include "controls/MaxGrid.h"

#include <QComboBox>
#include <QDateTime>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <functional>

class frmTables : public schema::SchemaDialog, public schema::ConnectionInputs {
    Q_OBJECT
public:
    explicit frmTables(QWidget* parent = nullptr);

    QString sql() const { return sql_; }
    QString KeyFields() const { return keyFields_; }

    // The search timer's clock (tests give a fake one).
    std::function<QDateTime()> clock = [] { return QDateTime::currentDateTime(); };

    CollectionPtr Tables() const { return tables_; }
    CollectionPtr CurrentTable() const { return current_; }

    void BttAceptar_MouseUp();
    void BttNueva_MouseUp();
    void BttModificar_MouseUp();
    void BttEliminar_MouseUp();
    void BttSalir_MouseUp();
    void tmrSearch_Timer();

    QLabel* Label1;
    QLabel* Label2;
    QLineEdit* txtSearch;
    QComboBox* cboOrder;
    MaxGrid* fgrTables;
    MaxGrid* fgrFields;
    QPushButton* BttAceptar;
    QPushButton* BttNueva;
    QPushButton* BttModificar;
    QPushButton* BttEliminar;
    QPushButton* BttSalir;
    QTimer* tmrSearch;

protected:
    void Form_Load() override;
    bool Form_KeyPress(int keyAscii) override;
    void exitButton() override { BttSalir_MouseUp(); }

private:
    void readTables();
    void setupTablesGrid(int n);
    void setupFieldsGrid(int m);
    void showTableFields(int row);
    void fillField(int row, const CollectionPtr& item);
    // Sets the order box and shows the fields again in that order.
    void setOrder(int index);
    void orderChanged();
    void searchChanged();
    void applySearch();
    void refresh(int row);
    void openStructure(const QString& mode, const CollectionPtr& table);
    void leave();

    QString sql_;
    QString keyFields_;
    CollectionPtr tables_ = newCollection();
    CollectionPtr current_;
    QDateTime lastChange_;
    QString lastSearch_;
};
