#pragma once
// frmNewKey: the key values of a record about to be added to a page's grid.
// One row per key field (label, text box, and for whole-number keys after the
// first a "Max + 1" button); Aceptar checks that every key has a value that
// fits its type word.
#include "controls/DialogFrame.h"

#include <QList>

class QLabel;
class QLineEdit;
class QPushButton;
class clsDO;

class frmNewKey : public DialogFrame {
    Q_OBJECT
public:
    explicit frmNewKey(QWidget* parent = nullptr);

    // True until Aceptar passes; Salir, Esc and the close box leave it true.
    // The data-access object "Max + 1" asks; the opener has pushed its own connection into it.
    std::shared_ptr<clsDO> Zolt;

    // Row i of the control arrays (row 0 is the window's own).
    QList<QLabel*> lblField;
    QList<QLineEdit*> txtField;
    QList<QPushButton*> BttMax; // null where a row has no button
    PushButton *BttAceptar = nullptr, *BttLimpiar = nullptr, *BttSalir = nullptr;

    // The opener's row building: the first call fills row 0, each later call
    // loads the next row 600 twips lower. caption is the key name without its
    // table; the label is as wide as its text plus 150 and the text box stands
    // 500 to its right; withMax gives rows after the first a "Max + 1" button
    // whose Tag is qualifiedName. The window's height follows the last row.
    void AddKeyRow(const QString& caption, const QString& typeWord, const QString& qualifiedName, bool withMax);
    int Rows() const { return rows_; }

    void BttAceptar_MouseUp();
    void BttSalir_MouseUp();
    void BttLimpiar_MouseUp();
    void BttMax_MouseUp(int Index);

protected:
    void exitButton() override { guarded(QStringLiteral("BttSalir_MouseUp"), [this] { BttSalir_MouseUp(); }); }
    void acceptButton() override { guarded(QStringLiteral("BttAceptar_MouseUp"), [this] { BttAceptar_MouseUp(); }); }

private:
    static inline const QString Title = QStringLiteral("Campos Clave Nuevo Registro");
    void makeRow(int row);
    int rows_ = 0;
};
