#include "schema/SchemaDialog.h"

#include "core/Dialogs.h"

#include "core/Screen.h"

#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QCloseEvent>
#include <QKeyEvent>

namespace schema {

SchemaDialog::SchemaDialog(QWidget* parent) : QDialog(parent)
{
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
}

void SchemaDialog::ensureLoaded()
{
    if (loaded_)
        return;
    loaded_ = true;
    Form_Load();
}

int SchemaDialog::ask(const QString& text, int style, const QString& title)
{
    if (MSG)
        return MSG->MsgBox(text, style, title);
    return SystemMsgBox(text, style, title);
}

void SchemaDialog::keyPressEvent(QKeyEvent* e)
{
    switch (e->key()) {
    case Qt::Key_Escape: Form_KeyPress(27); return;
    case Qt::Key_Return:
    case Qt::Key_Enter: Form_KeyPress(13); return;
    default: QDialog::keyPressEvent(e);
    }
}

void SchemaDialog::closeEvent(QCloseEvent* e)
{
    e->ignore();
    closeBox();
}

void SchemaDialog::reject() { closeBox(); }

QLabel* label(QWidget* parent, const char* name, const QString& text)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    return l;
}

QCheckBox* check(QWidget* parent, const char* name, const QString& text)
{
    auto* c = new QCheckBox(text, parent);
    c->setObjectName(QString::fromLatin1(name));
    return c;
}

QPushButton* button(QWidget* parent, const char* name, const QString& text)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

void buttonRow(QWidget* window, std::initializer_list<QPushButton*> left, QPushButton* exit, double width)
{
    double x = 90;
    for (QPushButton* b : left) {
        place(b, x, 90, 1200, 390);
        x += 1290;
    }
    place(exit, width - 1290, 90, 1200, 390);
    for (int i = 0; i < 2; ++i) {
        auto* line = new QFrame(window);
        line->setFrameShape(QFrame::HLine);
        line->setFrameShadow(i == 0 ? QFrame::Sunken : QFrame::Raised);
        place(line, 0, 540 + 30 * i, width, 30);
    }
}

CollectionPtr orEmpty(const CollectionPtr& c) { return c ? c : newCollection(); }

} // namespace schema
