#pragma once
// frmKeyFields: the key fields of the table in a page's grid, typed by hand,
// and for SQL Server the context statement the page runs before each query.
// Enter belongs to the boxes (a new line in the key list); Esc and the close
// box leave as Salir does.
#include "controls/DialogFrame.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;

class frmKeyFields : public DialogFrame {
    Q_OBJECT
public:
    explicit frmKeyFields(QWidget* parent = nullptr);

    // The outer height the opener sets (7110 with the context, 6400 without), in twips.
    void setHeightTwips(double height);

    QPlainTextEdit* txtKeyFields = nullptr;
    QLineEdit* txtContext = nullptr;
    QLabel *Label3 = nullptr, *Label4 = nullptr;
    PushButton *BttAceptar = nullptr, *BttLimpiar = nullptr, *BttSalir = nullptr;

    // The context box, its caption and its explanation shown or hidden together.
    void setContextVisible(bool visible);
    bool contextVisible() const;

    void BttAceptar_MouseUp();
    void BttSalir_MouseUp();
    void BttLimpiar_MouseUp();
    bool Form_KeyPress(int KeyAscii) override;

protected:
    void exitButton() override { guarded(QStringLiteral("BttSalir_MouseUp"), [this] { BttSalir_MouseUp(); }); }
    void acceptButton() override { guarded(QStringLiteral("BttAceptar_MouseUp"), [this] { BttAceptar_MouseUp(); }); }
};
