#pragma once
// What the schema windows share beyond the dialog base: the services and
// data-access objects they are given, the connection values they pass on,
// handlers that report under the window's name, and the controls they build.
#include "controls/ControlSupport.h"
#include "controls/DialogFrame.h"
#include "core/ConnectionValues.h"
#include "core/Error.h"
#include "data/clsDO.h"
#include "messages/clsError.h"
#include "services/clsTablas.h"

#include <QDialog>
#include <QPixmap>
#include <QString>
#include <initializer_list>
#include <memory>

class MaxGrid;
class MaxText;
class QCheckBox;
class QCloseEvent;
class QLabel;
class QPushButton;
class QKeyEvent;

namespace schema {

// Server, database, user and password handed to every data-access call of a
// schema window, each also read and written as the opener names it.
class ConnectionInputs {
public:
    ConnectionValues Connection;
    QString SRV() const { return Connection.server; }
    void setSRV(const QString& v) { Connection.server = v; }
    QString BBDD() const { return Connection.database; }
    void setBBDD(const QString& v) { Connection.database = v; }
    QString uID() const { return Connection.user; }
    void setuID(const QString& v) { Connection.user = v; }
    QString PWD() const { return Connection.password; }
    void setPWD(const QString& v) { Connection.password = v; }
};

// A schema window: the one dialog base with the services and data-access
// objects it is given. It sees the keys typed in its controls first, so Esc
// leaves from any of them, also from a box that would keep the key; it takes
// only the keys it acts on, the rest reach the control.
class SchemaDialog : public DialogFrame {
    Q_OBJECT
public:
    explicit SchemaDialog(QWidget* parent = nullptr);

    std::shared_ptr<clsTablas> SCR;
    std::shared_ptr<clsDO> Zolt;

    // Gives another window this window's message, services and data-access objects.
    void handOver(SchemaDialog& to) const
    {
        to.MSG = MSG;
        to.SCR = SCR;
        to.Zolt = Zolt;
    }

protected:
    // Runs a handler's body; an error is reported with the tag {1<WINDOW>.<PROCEDURE>}. False when it failed.
    template <class F>
    bool handle(const char* procedure, F&& body)
    {
        return controls::trapHandler(MSG, objectName(), QString::fromUtf8(procedure), std::forward<F>(body));
    }

    // The message object's MsgBox (the system box without one).
    int ask(const QString& text, int style, const QString& title) { return message(text, style, title); }
};

// Controls named as the windows name them.
QLabel* label(QWidget* parent, const char* name, const QString& text);
QCheckBox* check(QWidget* parent, const char* name, const QString& text);
QPushButton* button(QWidget* parent, const char* name, const QString& text);
template <class W>
W* control(QWidget* parent, const char* name)
{
    auto* w = new W(parent);
    w->setObjectName(QString::fromUtf8(name));
    return w;
}

// A read-only grid: its columns and header texts from the format string
// ("|" between columns, a leading "<" or "^" aligns left or centred), one
// header row and no data row yet; its header is translated with the window.
MaxGrid* grid(QWidget* parent, const char* name, const QString& formatString);
// A typed text box; a numeric one takes numbers only, shows them with the
// format "0" and is right-aligned.
MaxText* textBox(QWidget* parent, const char* name, bool numeric = false);
// Enables or disables a control, a typed text box with its colours.
void enable(QWidget* w, bool on);

// How a grid cell places its picture.
constexpr int PictureLeft = 1;    // at the left, vertically centred
constexpr int PictureCentred = 4; // in the middle
// The grid's width inside its frame and, when the rows do not fit, its vertical bar, in twips.
int innerWidth(const MaxGrid& g);
// Gives one cell a picture. Like any move of the grid's current cell, it
// raises the grid's EnterCell when the cell changes.
void setPicture(MaxGrid& g, int row, int col, const QPixmap& picture, int alignment);

// Position and size in twips.
inline void place(QWidget* w, double left, double top, double width, double height)
{
    controls::setTwipsGeometry(w, left, top, width, height);
}
// The row of push buttons along the top (the exit button at the right) and the
// two separator lines under it, for a window of that width (twips).
void buttonRow(QWidget* window, std::initializer_list<QPushButton*> left, QPushButton* exit, double width);

// The collection, or an empty one for none (a failed read counts as empty).
CollectionPtr orEmpty(const CollectionPtr& c);

} // namespace schema
