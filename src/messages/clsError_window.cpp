// Window translation: a window's caption and the texts of its controls pass
// through Translate with their place ("window.control") as owner.
#include "clsError.h"

#include "TranslatableControls.h"
#include "frmMsgBox.h"

#include "core/Screen.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFontMetricsF>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTextEdit>
#include <QTimer>
#include <cmath>
#include <optional>

namespace {
const QString kTranslatable = QStringLiteral("Translatable");
const QString kTranslated = QStringLiteral("Translated");

bool layoutHolds(const QLayout* layout, const QWidget* widget)
{
    if (!layout)
        return false;
    for (int i = 0; i < layout->count(); ++i) {
        QLayoutItem* item = layout->itemAt(i);
        if (item->widget() == widget || layoutHolds(item->layout(), widget))
            return true;
    }
    return false;
}

// Sizes are a layout's business when there is one; widening applies to
// widgets placed at fixed positions.
bool fixedPosition(const QWidget* widget)
{
    const QWidget* parent = widget->parentWidget();
    return !parent || !layoutHolds(parent->layout(), widget);
}

int twipsOf(int pixels) { return Screen::twipsFromPixels(pixels); }
int pixelsOf(double twips) { return int(std::ceil(twips / Screen::twipsPerPixel() - 1e-9)); }

// Controls whose insides are not controls of the window.
bool opaque(const QObject* o)
{
    return dynamic_cast<const TranslatableQueryPage*>(o) || dynamic_cast<const TranslatableGrid*>(o) ||
           dynamic_cast<const TranslatableTabStrip*>(o) || dynamic_cast<const TranslatableText*>(o) ||
           qobject_cast<const QComboBox*>(o) || qobject_cast<const QAbstractSpinBox*>(o) ||
           qobject_cast<const QAbstractItemView*>(o) || qobject_cast<const QTextEdit*>(o) ||
           qobject_cast<const QPlainTextEdit*>(o) || qobject_cast<const QLineEdit*>(o) ||
           qobject_cast<const QTabBar*>(o);
}

bool isControl(const QObject* o)
{
    const QString name = o->objectName();
    if (name.isEmpty() || name.startsWith(QLatin1String("qt_")))
        return false;
    if (qobject_cast<const QAction*>(o))
        return true;
    const auto* w = qobject_cast<const QWidget*>(o);
    return w != nullptr;
}

// The controls of a window, in the order they were made, not looking inside
// the system's own composite controls nor into other windows.
void collectControls(const QObject* parent, QList<QObject*>& out)
{
    for (QObject* child : parent->children()) {
        const auto* w = qobject_cast<const QWidget*>(child);
        if (w && w->isWindow() && !qobject_cast<const QMenu*>(w))
            continue;
        if (isControl(child))
            out.append(child);
        if (!opaque(child))
            collectControls(child, out);
    }
}
// One control that cannot be translated does not leave the rest in Spanish:
// every control is tried, and the first failure is the answer.
template <class F>
std::optional<Error> translateEach(const QList<QObject*>& controls, F&& translate)
{
    std::optional<Error> first;
    for (QObject* control : controls) {
        try {
            translate(control);
        } catch (const Error& e) {
            if (!first)
                first = e;
        }
    }
    return first;
}

// The timers among a window's controls (not those inside composite controls).
void collectTimers(const QObject* parent, QList<QTimer*>& out)
{
    for (QObject* child : parent->children()) {
        if (auto* timer = qobject_cast<QTimer*>(child)) {
            out.append(timer);
            continue;
        }
        const auto* w = qobject_cast<const QWidget*>(child);
        if (w && w->isWindow() && !qobject_cast<const QMenu*>(w))
            continue;
        if (!opaque(child))
            collectTimers(child, out);
    }
}
} // namespace

double clsError::textWidthTwips(const QString& text) const
{
    return QFontMetricsF(frmMsgBox::dialogFont()).horizontalAdvance(text) * Screen::twipsPerPixel();
}

double clsError::textHeightTwips(const QString& text) const
{
    return QFontMetricsF(frmMsgBox::dialogFont()).boundingRect(text).height() * Screen::twipsPerPixel();
}

void clsError::TransMe(QWidget* MiForm, bool CreateNew)
{
    if (!MiForm || controlTag(MiForm) == kTranslated)
        return;
    MiForm->setWindowTitle(Translate(MiForm->windowTitle(), CreateNew, MiForm->objectName() + QStringLiteral(".Caption")));
    setControlTag(MiForm, kTranslated);

    QList<QObject*> controls;
    collectControls(MiForm, controls);
    const auto first = translateEach(controls, [&](QObject* control) { TransControl(MiForm, control, CreateNew); });
    if (first)
        ReportError(this, TraceTag(QStringLiteral("clsError"), QStringLiteral("TransMe")), *first);
}

void clsError::TransReport(QObject* MiReport, bool CreateNew)
{
    const auto* report = dynamic_cast<TranslatableReport*>(MiReport);
    if (!report)
        return;
    for (const QList<QObject*>& section : report->SectionControls())
        for (QObject* control : section)
            TransControl(MiReport, control, CreateNew);
}

void clsError::TransControl(QObject* MiForm, QObject* MiControl, bool CreateNew)
{
    if (!MiControl)
        return;
    const QString owner = (MiForm ? MiForm->objectName() : QString()) + QStringLiteral(".") + MiControl->objectName();
    auto T = [&](const QString& text) { return Translate(text, CreateNew, owner); };
    const bool translatable = controlTag(MiControl) == kTranslatable;

    if (auto* page = dynamic_cast<TranslatableQueryPage*>(MiControl)) {
        const auto first =
            translateEach(page->ChildControls(), [&](QObject* child) { TransControl(MiForm, child, true); });
        if (first)
            throw *first;
        return;
    }
    if (auto* grid = dynamic_cast<TranslatableGrid*>(MiControl)) {
        if (translatable && grid->FixedRows() > 0)
            for (int c = 0; c < grid->Cols(); ++c)
                grid->setTextMatrix(0, c, T(grid->TextMatrix(0, c)));
        return;
    }
    if (auto* tabs = dynamic_cast<TranslatableTabStrip*>(MiControl)) {
        for (int i = 1; i <= tabs->Tabs(); ++i)
            tabs->setTabCaption(i, T(tabs->TabCaption(i)));
        return;
    }
    if (auto* text = dynamic_cast<TranslatableText*>(MiControl)) {
        if (translatable)
            text->setText(T(text->Text()));
        return;
    }
    if (auto* combo = qobject_cast<QComboBox*>(MiControl)) {
        if (!translatable)
            return;
        const QString kept = combo->currentText();
        const bool dropDownList = !combo->isEditable();
        const int index = combo->currentIndex();
        for (int i = 0; i < combo->count(); ++i)
            combo->setItemText(i, T(combo->itemText(i)));
        if (dropDownList) {
            combo->setCurrentIndex(-1);
            combo->setCurrentIndex(index);
        } else {
            combo->setEditText(T(kept));
        }
        setControlTag(combo, QString());
        return;
    }
    if (auto* list = qobject_cast<QListWidget*>(MiControl)) {
        if (!translatable)
            return;
        for (int i = 0; i < list->count(); ++i)
            list->item(i)->setText(T(list->item(i)->text()));
        setControlTag(list, QString());
        return;
    }
    if (auto* label = qobject_cast<QLabel*>(MiControl)) {
        label->setText(T(label->text()));
        const double w = std::round(textWidthTwips(label->text()));
        if (fixedPosition(label) && twipsOf(label->height()) < 2 * textHeightTwips(QStringLiteral("A")) &&
            twipsOf(label->width()) < w)
            label->resize(pixelsOf(w), label->height());
        return;
    }
    if (auto* line = qobject_cast<QLineEdit*>(MiControl)) {
        if (translatable)
            line->setText(T(line->text()));
        return;
    }
    if (auto* plain = qobject_cast<QPlainTextEdit*>(MiControl)) {
        if (translatable)
            plain->setPlainText(T(plain->toPlainText()));
        return;
    }
    if (auto* rich = qobject_cast<QTextEdit*>(MiControl)) {
        if (translatable)
            rich->setPlainText(T(rich->toPlainText()));
        return;
    }
    if (qobject_cast<QCheckBox*>(MiControl) || qobject_cast<QRadioButton*>(MiControl)) {
        auto* button = static_cast<QAbstractButton*>(MiControl);
        button->setText(T(button->text()));
        const double w = std::round(textWidthTwips(button->text()) + 300);
        if (fixedPosition(button) && twipsOf(button->width()) < w)
            button->resize(pixelsOf(w), button->height());
        return;
    }
    if (auto* button = qobject_cast<QAbstractButton*>(MiControl)) {
        button->setText(T(button->text()));
        return;
    }
    if (auto* frame = qobject_cast<QGroupBox*>(MiControl)) {
        frame->setTitle(T(frame->title()));
        return;
    }
    if (auto* menu = qobject_cast<QMenu*>(MiControl)) {
        menu->setTitle(T(menu->title()));
        return;
    }
    if (auto* action = qobject_cast<QAction*>(MiControl)) {
        if (!action->isSeparator())
            action->setText(T(action->text()));
        return;
    }
    if (auto* tabWidget = qobject_cast<QTabWidget*>(MiControl)) {
        for (int i = 0; i < tabWidget->count(); ++i)
            tabWidget->setTabText(i, T(tabWidget->tabText(i)));
        return;
    }
    if (auto* tabBar = qobject_cast<QTabBar*>(MiControl)) {
        for (int i = 0; i < tabBar->count(); ++i)
            tabBar->setTabText(i, T(tabBar->tabText(i)));
        return;
    }
}

void clsError::DisableAllTimers(QObject* MiForm)
{
    if (!MiForm)
        return;
    QList<QTimer*> timers;
    collectTimers(MiForm, timers);
    for (QTimer* timer : timers) {
        if (!timer->isActive())
            continue;
        timer->stop();
        // A timer event already under way gets the chance to finish.
        for (int i = 1; i <= timer->interval(); i += 50)
            QCoreApplication::processEvents();
    }
}
