#include "controls/DialogFrame.h"

#include "controls/ControlSupport.h"
#include "controls/MaxGrid.h"
#include "controls/PushButton.h"
#include "core/Dialogs.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QKeyEvent>

namespace {

QFrame* separator(QWidget* parent, const char* name, std::uint32_t colour)
{
    auto* line = new QFrame(parent);
    line->setObjectName(QString::fromLatin1(name));
    line->setFrameShape(QFrame::NoFrame);
    line->setAutoFillBackground(true);
    QPalette p = line->palette();
    p.setColor(QPalette::Window, controls::resolveColor(colour));
    line->setPalette(p);
    return line;
}

} // namespace

DialogFrame::DialogFrame(QWidget* parent, Keys keys) : QDialog(parent), keys_(keys)
{
    if (keys_ == Keys::BeforeControls)
        qApp->installEventFilter(this);
}

DialogFrame::DialogFrame(const QString& name, const QString& caption, double clientWidth, double clientHeight,
                         bool fixedBorder, QWidget* parent)
    : QDialog(parent), keys_(Keys::BeforeControls)
{
    setObjectName(name);
    setWindowTitle(caption);
    const QRect client = controls::pixelRectFromTwips(0, 0, clientWidth, clientHeight);
    if (fixedBorder)
        setFixedSize(client.size());
    else
        resize(client.size());
    // The window sees every key of its controls before they do.
    qApp->installEventFilter(this);
}

PushButton* DialogFrame::addButton(const QString& name, const QString& caption, double left, double width,
                                   QStyle::StandardPixmap picture, const QString& procedure,
                                   std::function<void()> handler, const QString& tag)
{
    auto* b = new PushButton(name, caption, this);
    b->setPictures(style()->standardIcon(picture).pixmap(24, 24));
    b->setFocusPolicy(Qt::TabFocus);
    controls::setTwipsGeometry(b, left, 60, width, 855);
    connect(b, &PushButton::mouseUp, this,
            [this, procedure, tag, handler = std::move(handler)](int, int, float, float) { guarded(procedure, handler, tag); });
    return b;
}

void DialogFrame::addLines(double x2)
{
    Line2 = separator(this, "Line2", 0xC0C0C0);
    Line1 = separator(this, "Line1", 0x808080);
    setLinesEnd(x2);
}

void DialogFrame::setLinesEnd(double x2)
{
    controls::setTwipsGeometry(Line2, 0, 945, x2, 15);
    controls::setTwipsGeometry(Line1, 0, 960, x2, 15);
}

bool DialogFrame::guarded(const QString& procedure, const std::function<void()>& body, const QString& tag)
{
    return controls::trapTagged(MSG.get(), tag.isEmpty() ? TraceTag(objectName(), procedure) : tag, body);
}

int DialogFrame::message(const QString& text, int style, const QString& title)
{
    if (!MSG)
        return SystemMsgBox(text, style, title);
    QString body = text, head = title;
    return MSG->MsgBox(body, style, head);
}

void DialogFrame::ensureLoaded()
{
    if (loaded_)
        return;
    loaded_ = true;
    // The grids report their own errors through the window's message object.
    if (MSG)
        for (MaxGrid* g : findChildren<MaxGrid*>())
            g->setMsgObject(MSG);
    Form_Load();
}

void DialogFrame::closeEvent(QCloseEvent* event)
{
    // The close box leaves as the exit button does, and only as it does: a
    // window that stays (a run going on) is not closed behind its back.
    event->ignore();
    exitButton();
}

void DialogFrame::keyPressEvent(QKeyEvent* event)
{
    // The keys the focused control left to the window.
    const int key = event->key();
    if (keys_ == Keys::AfterControls && (key == Qt::Key_Escape || key == Qt::Key_Return || key == Qt::Key_Enter) &&
        Form_KeyPress(key == Qt::Key_Escape ? 27 : 13))
        return;
    QDialog::keyPressEvent(event);
}

void DialogFrame::reject()
{
    exitButton();
}

bool DialogFrame::eventFilter(QObject* watched, QEvent* event)
{
    // A press a control leaves reaches its parents too; the keys a window
    // passes on do nothing here, so seeing one twice is harmless.
    if (keys_ != Keys::BeforeControls || event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    auto* w = qobject_cast<QWidget*>(watched);
    if (!w || w->window() != this)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    int ascii = 0;
    if (key->key() == Qt::Key_Escape)
        ascii = 27;
    else if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
        ascii = 13;
    else if (!key->text().isEmpty())
        ascii = key->text().at(0).unicode();
    if (ascii == 0)
        return false;
    bool taken = false;
    guarded(QStringLiteral("Form_KeyPress"), [&] { taken = Form_KeyPress(ascii); });
    return taken;
}

bool DialogFrame::Form_KeyPress(int KeyAscii)
{
    if (KeyAscii == 27)
        exitButton();
    else if (KeyAscii == 13)
        acceptButton();
    else
        return false;
    return true;
}
