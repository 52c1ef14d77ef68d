#pragma once
// frmDSN: the system ODBC data sources whose driver matches DatabaseType, one
// a row; Aceptar, Enter or a double click on a data row returns its name.
// With no data row current nothing is returned.
#include "controls/DialogFrame.h"

class MaxGrid;

class frmDSN : public DialogFrame {
    Q_OBJECT
public:
    explicit frmDSN(QWidget* parent = nullptr);

    QString DSN;
    QString DatabaseType; // the filter, set before Form_Load
    MaxGrid* fgrDSN = nullptr;
    PushButton *BttAceptar = nullptr, *BttSalir = nullptr;

    // Lists the sources, fills the grid and translates the window.
    void Form_Load() override;
    // The names of the matching system data sources ("{1FRMDSN.ENUMDSN}" reports a failure).
    QStringList EnumDSN(int firstDirection, const QString& filter);

    void BttAceptar_MouseUp();
    void BttSalir_MouseUp();

protected:
    void exitButton() override { guarded(QStringLiteral("BttSalir_MouseUp"), [this] { BttSalir_MouseUp(); }); }
    void acceptButton() override { guarded(QStringLiteral("BttAceptar_MouseUp"), [this] { BttAceptar_MouseUp(); }); }

private:
    void FormatGrid(int rows);
};
