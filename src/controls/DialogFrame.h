#pragma once
// DialogFrame: what every dialog of the program shares. The opener sets the
// dialog's inputs, runs it through the modal runner (which loads it first),
// then reads Cancelled and the outputs. Cancelled starts true: only an
// accepting button clears it. Esc and the close box act as the exit button,
// Enter as the accept button; a window sees its controls' keys either after
// them (the default) or before them. Handlers run inside a trap that reports
// through MSG with the handler's TraceTag; nothing reaches Qt's event loop.
// The main window's small dialogs also take their caption, client area in
// twips and row of top buttons with two separator lines from here.
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

    // False only after an accepting button.
    bool Cancelled() const { return cancelled_; }
    // Runs Form_Load the first time only; the modal runner calls it before the run.
    void ensureLoaded();
    bool loaded() const { return loaded_; }

    // The window's key handler: KeyAscii 27 for Esc runs the exit button, 13
    // for Enter the accept button. Returns true when the window took the key.
    virtual bool Form_KeyPress(int KeyAscii);

protected:
    // Whether the window sees a key before the control that has the focus.
    enum class Keys { AfterControls, BeforeControls };
    explicit DialogFrame(QWidget* parent, Keys keys = Keys::AfterControls);
    // A main-window dialog: its name, caption and client area in twips (fixed
    // or sizeable); it sees every key before its controls.
    DialogFrame(const QString& name, const QString& caption, double clientWidth, double clientHeight,
                bool fixedBorder, QWidget* parent);

    // Reads what the window shows, once.
    virtual void Form_Load() {}
    // The exit button's handler in its trap: the close box and Esc run it.
    virtual void exitButton() = 0;
    // The accept button's handler in its trap: Enter runs it.
    virtual void acceptButton() {}

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

    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

    bool cancelled_ = true;
    QFrame* Line1 = nullptr;
    QFrame* Line2 = nullptr;

private:
    Keys keys_ = Keys::AfterControls;
    bool loaded_ = false;
};
