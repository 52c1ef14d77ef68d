#include "schema/SchemaDialog.h"

#include "controls/MaxGrid.h"
#include "controls/MaxText.h"
#include "core/Dialogs.h"
#include "core/Screen.h"
#include "schema/SchemaPictures.h"

#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QScrollBar>
#include <QStyle>
#include <QTableView>

namespace schema {

SchemaDialog::SchemaDialog(QWidget* parent) : DialogFrame(parent, Keys::BeforeControls)
{
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
}

QLabel* label(QWidget* parent, const char* name, const QString& text)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromUtf8(name));
    return l;
}

QCheckBox* check(QWidget* parent, const char* name, const QString& text)
{
    auto* c = new QCheckBox(text, parent);
    c->setObjectName(QString::fromUtf8(name));
    return c;
}

QPushButton* button(QWidget* parent, const char* name, const QString& text)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QString::fromUtf8(name));
    b->setAutoDefault(false);
    return b;
}

void buttonRow(QWidget* window, std::initializer_list<QPushButton*> left, QPushButton* exit, double width)
{
    for (QPushButton* b : left)
        b->setIcon(pictures::forButton(b->objectName()));
    exit->setIcon(pictures::forButton(exit->objectName()));
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

MaxGrid* grid(QWidget* parent, const char* name, const QString& formatString)
{
    auto* g = control<MaxGrid>(parent, name);
    g->setFormatString(formatString);
    g->setRows(1);
    g->setColumnsFitText(true);
    setControlTag(g, QStringLiteral("Translatable"));
    return g;
}

MaxText* textBox(QWidget* parent, const char* name, bool numeric)
{
    auto* t = control<MaxText>(parent, name);
    if (numeric) {
        t->setTipo(1);
        t->setFormato(QStringLiteral("0"));
        t->setAlignment(1);
    }
    return t;
}

void enable(QWidget* w, bool on)
{
    if (auto* t = qobject_cast<MaxText*>(w))
        t->setEnabled(on);
    else
        w->setEnabled(on);
}

int innerWidth(const MaxGrid& g)
{
    const QTableView* view = g.innerGrid();
    int pixels = g.width() - 2 * view->frameWidth();
    int fixed = 0;
    for (int r = 0; r < g.FixedRows(); ++r)
        fixed += g.RowHeight(r);
    int data = 0;
    for (int r = g.FixedRows(); r < g.Rows(); ++r)
        data += g.RowHeight(r);
    const bool overflows = Screen::pixelsFromTwips(fixed + data) > g.height() - 2 * view->frameWidth();
    if (overflows && g.ScrollBars() & 2)
        pixels -= view->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, view->verticalScrollBar());
    return Screen::twipsFromPixels(std::max(pixels, 0));
}

void setPicture(MaxGrid& g, int row, int col, const QPixmap& picture, int alignment)
{
    g.setRow(row);
    g.setCol(col);
    g.setCellPictureAlignment(alignment);
    g.setCellPicture(picture);
}

CollectionPtr orEmpty(const CollectionPtr& c) { return c ? c : newCollection(); }

} // namespace schema
