#pragma once
// What the small dialogs of the main window share: a caption and a client
// area in twips, a row of push buttons along the top (each with a picture,
// acting on mouse-up) with two separator lines under them, key presses seen
// by the window before its controls, and the close box and Esc acting as the
// exit button. Handlers run inside a trap that reports through MSG with the
// handler's TraceTag; nothing reaches Qt's event loop.
#include "core/Error.h"
#include "messages/clsError.h"

#include <QDialog>
#include <QStyle>
#include <functional>
#include <memory>

class PushButton;
class QFrame;

class DialogFrame : public QDialog {
    Q_OBJECT
public:
    // The message object; every message and report of the window goes through it.
    std::shared_ptr<clsError> MSG;

    // The dialog's key handler (the window sees keys first): KeyAscii 27 for
    // Esc runs the exit button, 13 for Enter the accept button. Returns true
    // when the window took the key.
    virtual bool Form_KeyPress(int KeyAscii);

protected:
    DialogFrame(const QString& name, const QString& caption, double clientWidth, double clientHeight,
                bool fixedBorder, QWidget* parent);

    // A top-row button; handler runs on mouse-up inside the trap of procedure
    // (the TraceTag "{1WINDOW.PROCEDURE}", or tag as given when not empty).
    PushButton* addButton(const QString& name, const QString& caption, double left, double width,
                          QStyle::StandardPixmap picture, const QString& procedure, std::function<void()> handler,
                          const QString& tag = QString());
    // The two separator lines under the buttons: Line2 (&HC0C0C0) at 945 and
    // Line1 (&H808080) at 960, from 0 to x2.
    void addLines(double x2);
    void setLinesEnd(double x2);

    // Runs body in the trap of procedure (TraceTag of the window's name), or of tag when given.
    bool guarded(const QString& procedure, const std::function<void()>& body, const QString& tag = QString());
    // Shows a message through MSG (the system box without one); the answer code.
    int message(const QString& text, int style, const QString& title);

    // The exit button's handler in its trap: the close box and Esc run it.
    virtual void exitButton() = 0;
    // The accept button's handler in its trap: Enter runs it.
    virtual void acceptButton() = 0;

    void closeEvent(QCloseEvent* event) override;
    void reject() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

    QFrame* Line1 = nullptr;
    QFrame* Line2 = nullptr;
};
