#pragma once
// frmEdit: the SQL editor a query page opens on its SQL text. It re-indents
// the statement, comments and uncomments lines, copies and clears the text,
// and colours keywords once typing has paused for a second. Aceptar leaves
// the text for the opener; Salir, Esc and the close box leave "{ignore}".
#include "controls/DialogFrame.h"
#include "mainwindow/EditRules.h"

#include <functional>

class QPlainTextEdit;
class QTimer;

class frmEdit : public DialogFrame {
    Q_OBJECT
public:
    explicit frmEdit(QWidget* parent = nullptr);

    QPlainTextEdit* txtSQL = nullptr;
    QTimer* tmrCheckEditable = nullptr;
    PushButton *BttAceptar = nullptr, *BttLimpiar = nullptr, *BttComment = nullptr, *BttUncomment = nullptr,
               *BttIdentar = nullptr, *BttCopiar = nullptr, *BttSalir = nullptr;

    // The main window's frame measures in twips (caption height, frame width and height).
    void setFrameMeasures(double captionHeight, double frameWidth, double frameHeight);
    // The monotonic clock of the colouring delay, in ms (tests fix it).
    void setClock(std::function<qint64()> clock) { clock_ = std::move(clock); }
    // Colourings done so far.
    int Colourings() const { return colourings_; }

    // The reformat with its report: "" after an error (reported with "{1FRMEDIT.IDENTAR}").
    QString Identar(const QString& text, std::int16_t level);

    void BttAceptar_MouseUp();
    void BttSalir_MouseUp();
    void BttLimpiar_MouseUp();
    void BttCopiar_MouseUp();
    void BttComment_MouseUp();
    void BttUncomment_MouseUp();
    void BttIdentar_MouseUp();
    void tmrCheckEditable_Timer();

protected:
    void exitButton() override { guarded({}, [this] { BttSalir_MouseUp(); }, SalirTag); }
    void acceptButton() override { guarded(QStringLiteral("BttAceptar_MouseUp"), [this] { BttAceptar_MouseUp(); }); }
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    static inline const QString SalirTag = QStringLiteral("{1FRMEDIT.BttSalir_MOUSEUP}");
    static inline const QString MessageTitle = QStringLiteral("Editor de Consultas SQL");
    void txtSQL_Change();
    void Form_Resize();
    void changeLines(bool commentThem);
    void colour();
    qint64 now() const;

    EditRules::ColouringDelay delay_;
    std::function<qint64()> clock_;
    double captionHeight_ = 0, frameWidth_ = 0, frameHeight_ = 0;
    int colourings_ = 0;
};
