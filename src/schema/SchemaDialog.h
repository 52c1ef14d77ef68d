#pragma once
// What the schema windows share: the message, services and data-access
// objects they are given, loading once before the first show, the exit
// button behind Esc and the close box, and handlers that report instead of
// letting an error reach the event loop.
#include "core/Error.h"
#include "data/clsDO.h"
#include "messages/clsError.h"
#include "services/clsTablas.h"

#include <QDialog>
#include <QString>
#include <memory>

class QCheckBox;
class QCloseEvent;
class QLabel;
class QPushButton;
class QKeyEvent;

namespace schema {

// Server, database, user and password handed to every data-access call.
struct ConnectionValues {
    QString SRV;
    QString BBDD;
    QString uID;
    QString PWD;
};

class SchemaDialog : public QDialog {
    Q_OBJECT
public:
    explicit SchemaDialog(QWidget* parent = nullptr);

    std::shared_ptr<clsError> MSG;
    std::shared_ptr<clsTablas> SCR;
    std::shared_ptr<clsDO> Zolt;

    // Runs Form_Load the first time only.
    void ensureLoaded();
    bool loaded() const { return loaded_; }

protected:
    virtual void Form_Load() = 0;
    // Esc (27) and Enter (13) as the window sees them before its controls.
    virtual void Form_KeyPress(int keyAscii) = 0;
    // What the close box does: the exit button's action.
    virtual void closeBox() = 0;

    // Runs a handler's body; an error is reported with the tag {1<WINDOW>.<PROCEDURE>}. False when it failed.
    template <class F>
    bool handle(const char* procedure, F&& body)
    {
        return trap(std::forward<F>(body), [this, procedure](const Error& e) {
            ReportError(MSG, TraceTag(objectName(), QString::fromLatin1(procedure)), e);
        });
    }

    // The message object's MsgBox (the system box without one).
    int ask(const QString& text, int style, const QString& title);

    void keyPressEvent(QKeyEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void reject() override;

private:
    bool loaded_ = false;
};

// The hourglass while alive.
class HourGlass {
public:
    HourGlass();
    ~HourGlass();
    HourGlass(const HourGlass&) = delete;
    HourGlass& operator=(const HourGlass&) = delete;
};

// Keeps a grid's drawing off while alive and switches it back on on every path.
template <class Grid>
class RedrawOff {
public:
    explicit RedrawOff(Grid& g) : g_(g) { g_.setRedraw(false); }
    ~RedrawOff() { g_.setRedraw(true); }
    RedrawOff(const RedrawOff&) = delete;
    RedrawOff& operator=(const RedrawOff&) = delete;

private:
    Grid& g_;
};

// Controls named as the windows name them.
QLabel* label(QWidget* parent, const char* name, const QString& text);
QCheckBox* check(QWidget* parent, const char* name, const QString& text);
QPushButton* button(QWidget* parent, const char* name, const QString& text);
template <class W>
W* control(QWidget* parent, const char* name)
{
    auto* w = new W(parent);
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

// Position and size in twips.
void place(QWidget* w, double left, double top, double width, double height);
// The row of push buttons along the top and the two separator lines under it.
void addSeparators(QWidget* window, double width);

// The collection, or an empty one for none (a failed read counts as empty).
CollectionPtr orEmpty(const CollectionPtr& c);

} // namespace schema
