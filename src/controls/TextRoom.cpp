#include "controls/TextRoom.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <QStyleOption>
#include <QToolButton>
#include <algorithm>
#include <exception>
#include <vector>

namespace controls {

namespace {

const char* const kFloating = "Floating";
const char* const kYielding = "Yielding";
const char* const kDesign = "DesignRect";
const char* const kWidening = "Widening";
const char* const kFitted = "FittedRect";

int widestLine(const QFontMetrics& fm, const QString& text)
{
    int widest = 0;
    for (const QString& line : text.split(u'\n'))
        widest = std::max(widest, fm.horizontalAdvance(line));
    return widest;
}

// Mnemonic ampersands take no room.
QString shownText(const QString& text)
{
    QString out = text;
    out.replace(QLatin1String("&&"), QString(QChar(1)));
    out.remove(u'&');
    out.replace(QChar(1), u'&');
    return out;
}

int comboWidthNeeded(const QComboBox* combo)
{
    const QFontMetrics fm(combo->font());
    int widest = 0;
    for (int i = 0; i < combo->count(); ++i)
        widest = std::max(widest, fm.horizontalAdvance(combo->itemText(i)));
    if (combo->isEditable())
        widest = std::max(widest, fm.horizontalAdvance(combo->currentText()));
    if (widest == 0)
        return 0;
    QStyleOptionComboBox opt;
    opt.initFrom(combo);
    opt.editable = combo->isEditable();
    opt.frame = combo->hasFrame();
    return combo->style()->sizeFromContents(QStyle::CT_ComboBox, &opt, QSize(widest, fm.height()), combo).width();
}

int pushButtonWidthNeeded(const QPushButton* b)
{
    const QString text = shownText(b->text());
    if (text.isEmpty())
        return 0;
    int w = QFontMetrics(b->font()).horizontalAdvance(text);
    if (!b->icon().isNull())
        w += b->iconSize().width() + 4;
    const QStyle* s = b->style();
    QStyleOptionButton opt;
    opt.initFrom(b);
    // Fusion's own hint has a floor of 80 pixels; here only what the text takes.
    return w + s->pixelMetric(QStyle::PM_ButtonMargin, &opt, b) + 2 * s->pixelMetric(QStyle::PM_DefaultFrameWidth, &opt, b);
}

bool overlapVertically(const QRect& a, const QRect& b) { return a.top() <= b.bottom() && b.top() <= a.bottom(); }

bool placedByPosition(const QWidget* w)
{
    return !w->isWindow() && !isFloating(w) && !w->objectName().isEmpty() &&
           !w->objectName().startsWith(QLatin1String("qt_"));
}

// Where the control's twips put it; its present place when it was placed
// otherwise. A control its window's own code moved since (a button that
// follows the current tab) keeps that place as its design; a size set
// otherwise is the fit's to judge again.
QRect designRect(QWidget* w)
{
    const QVariant design = w->property(kDesign);
    const QRect now = w->geometry();
    if (!design.isValid())
        return now;
    QRect d = design.toRect();
    const QVariant fitted = w->property(kFitted);
    if (now.topLeft() != d.topLeft() && (!fitted.isValid() || now.topLeft() != fitted.toRect().topLeft())) {
        d.moveTopLeft(now.topLeft());
        w->setProperty(kDesign, d);
    }
    return d;
}

// Pixels a container needs across to show what its own fit grew or moved.
int contentWidthNeeded(const QWidget* w)
{
    int right = 0;
    for (QObject* o : w->children())
        if (auto* c = qobject_cast<QWidget*>(o); c && placedByPosition(c) && c->isVisibleTo(w) && c->x() >= 0 &&
                                                 c->geometry() != designRect(c))
            right = std::max(right, c->geometry().right() + 1);
    return right > w->width() ? right + 2 : 0;
}

// The most two controls on a row keep between them once one has grown.
constexpr int kGap = 6;

bool isTextLabel(const QWidget* w)
{
    auto* l = qobject_cast<const QLabel*>(w);
    return l && !l->text().isEmpty() && !l->wordWrap();
}

// One level: the children of a container without a layout, each from its
// design place. A control grows to its text; a control to its right on a row
// it shares is pushed along only as far as the grown one now reaches; what
// would leave the container at the right comes back to its edge and pushes
// its row to the left instead. A caption that reaches into the control under
// it is lifted clear of it.
void fitChildren(QWidget* parent, bool settled = false)
{
    if (parent->layout())
        return;
    struct Kid {
        QWidget* w;
        QRect base, now;
    };
    std::vector<Kid> kids;
    for (QObject* o : parent->children())
        if (auto* w = qobject_cast<QWidget*>(o); w && placedByPosition(w))
            kids.push_back({w, designRect(w), designRect(w)});
    std::stable_sort(kids.begin(), kids.end(), [](const Kid& a, const Kid& b) { return a.base.x() < b.base.x(); });
    const auto sameRow = [](const Kid& left, const Kid& right) {
        return left.base.right() < right.base.left() && overlapVertically(left.base, right.base);
    };
    for (std::size_t i = 0; i < kids.size(); ++i) {
        Kid& k = kids[i];
        int pushedTo = k.now.left();
        for (std::size_t j = 0; j < i; ++j) {
            const Kid& left = kids[j];
            if (sameRow(left, k) && left.now != left.base) {
                const int gap = std::min(kGap, k.base.left() - left.base.right() - 1);
                pushedTo = std::max(pushedTo, left.now.right() + 1 + gap);
            }
        }
        if (pushedTo > k.now.left() && k.w->property(kYielding).toBool())
            k.now.setLeft(std::min(pushedTo, k.now.right() + 1 - std::max(1, k.base.width() / 2)));
        if (pushedTo > k.now.left())
            k.now.moveLeft(pushedTo);
        const int need = std::max(textWidthNeeded(k.w), contentWidthNeeded(k.w));
        if (need > k.now.width())
            k.now.setWidth(need);
    }
    // A container inside a window, or a window its user sizes, keeps its
    // width: its right-anchored controls (an exit button at the edge) give way
    // to the left, and when its rows still do not fit, the window widens.
    const bool fixedWindow = parent->isWindow() && parent->minimumWidth() == parent->maximumWidth();
    const bool inside = !isFloating(parent) && !fixedWindow;
    int deficit = 0;
    if (inside) {
        for (std::size_t i = kids.size(); i-- > 0;) {
            Kid& k = kids[i];
            // Controls designed outside (a panel put away at the left) are not part of the rows.
            if (k.base.left() < 0 || k.base.right() >= parent->width() || !k.w->isVisibleTo(parent))
                continue;
            int limit = parent->width() - 1;
            for (std::size_t j = i + 1; j < kids.size(); ++j)
                if (sameRow(k, kids[j]) && kids[j].w->isVisibleTo(parent))
                    limit = std::min(limit, kids[j].now.left() - 1 - std::min(kGap, kids[j].base.left() - k.base.right() - 1));
            if (k.now.right() > limit)
                k.now.moveRight(limit);
            deficit = std::max(deficit, -k.now.left());
        }
        for (std::size_t i = 0; i < kids.size(); ++i)
            for (std::size_t j = 0; j < i; ++j)
                if (sameRow(kids[j], kids[i]) && kids[j].base.left() >= 0 && kids[i].w->isVisibleTo(parent) &&
                    kids[j].w->isVisibleTo(parent))
                    deficit = std::max(deficit, kids[j].now.right() + 1 - kids[i].now.left());
    }
    for (Kid& k : kids) {
        if (!isTextLabel(k.w))
            continue;
        for (const Kid& under : kids)
            if (under.w != k.w && under.w->isVisibleTo(parent) && !isTextLabel(under.w) &&
                under.now.left() <= k.now.right() && k.now.left() <= under.now.right() &&
                under.now.top() > k.now.top() && under.now.top() <= k.now.bottom())
                k.now.moveBottom(under.now.top() - 1);
    }
    int rightmost = 0;
    for (const Kid& k : kids) {
        if (k.w->geometry() != k.now)
            k.w->setGeometry(k.now);
        k.w->setProperty(kFitted, k.now);
        if (k.w->isVisibleTo(parent) && k.now.x() >= 0 && k.now != k.base)
            rightmost = std::max(rightmost, k.now.right() + 1);
    }
    if (deficit > 0) {
        QWidget* window = parent->window();
        if (!settled) {
            // Looked at again once the re-layout under way is over: only then is the want real.
            if (!parent->property(kWidening).toBool()) {
                parent->setProperty(kWidening, true);
                QMetaObject::invokeMethod(
                    parent,
                    [parent] {
                        parent->setProperty(kWidening, false);
                        fitChildren(parent, true);
                    },
                    Qt::QueuedConnection);
            }
        } else if (const QScreen* screen = window->screen();
                   !screen || window->width() + deficit <= screen->availableGeometry().width()) {
            window->resize(window->width() + deficit + kGap, window->height());
        }
        return;
    }
    if (rightmost <= parent->width())
        return;
    // A fixed-size window or a floating panel grows to hold what its controls now reach.
    if (!inside) {
        const int width = rightmost + kGap;
        if (parent->minimumWidth() == parent->maximumWidth())
            parent->setFixedWidth(width);
        else
            parent->resize(width, parent->height());
    }
}

void fitTree(QWidget* w)
{
    for (QObject* o : w->children())
        if (auto* c = qobject_cast<QWidget*>(o); c && !c->isWindow())
            fitTree(c);
    fitChildren(w);
}

class Fitter : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (e->type() == QEvent::Show && o->isWidgetType()) {
            // Fitting is a nicety: a failure leaves the design geometry and never reaches the event loop.
            try {
                fitChildren(static_cast<QWidget*>(o));
            } catch (const std::exception&) {
            }
        }
        return false;
    }
};

class HeaderFitter : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (e->type() == QEvent::Show && o == parent())
            for (QHeaderView* h : static_cast<QWidget*>(o)->findChildren<QHeaderView*>())
                fitHeaderSections(h);
        return false;
    }
};

} // namespace

int textWidthNeeded(const QWidget* w)
{
    if (auto* l = qobject_cast<const QLabel*>(w)) {
        if (l->text().isEmpty() || l->wordWrap())
            return 0;
        return l->sizeHint().width();
    }
    if (qobject_cast<const QCheckBox*>(w) || qobject_cast<const QRadioButton*>(w))
        return static_cast<const QAbstractButton*>(w)->text().isEmpty() ? 0 : w->sizeHint().width();
    if (auto* t = qobject_cast<const QToolButton*>(w))
        return t->text().isEmpty() || t->toolButtonStyle() == Qt::ToolButtonIconOnly ? 0 : t->sizeHint().width();
    if (auto* b = qobject_cast<const QPushButton*>(w))
        return pushButtonWidthNeeded(b);
    if (auto* c = qobject_cast<const QComboBox*>(w))
        return comboWidthNeeded(c);
    return 0;
}

int cellWidthNeeded(const QFont& font, const QString& text)
{
    return text.isEmpty() ? 0 : widestLine(QFontMetrics(font), text) + 4;
}

int headerCellWidthNeeded(const QFont& font, const QString& text)
{
    return text.isEmpty() ? 0 : widestLine(QFontMetrics(font), text) + 8;
}

QString fittedCellText(const QString& text, const QFontMetrics& metrics, int width, bool keepEnd)
{
    return metrics.elidedText(text, keepEnd ? Qt::ElideLeft : Qt::ElideRight, std::max(0, width));
}

void placeAtDesign(QWidget* w, const QRect& pixels)
{
    if (!w)
        return;
    w->setProperty(kDesign, pixels);
    w->setGeometry(pixels);
    QWidget* parent = w->parentWidget();
    if (!parent || !parent->isVisible() || w->isWindow())
        return;
    if (isFloating(w))
        fitChildren(w);
    else
        fitChildren(parent);
}

void fitTexts(QWidget* window)
{
    if (window)
        fitTree(window);
}

void fitHeaderSections(QHeaderView* header)
{
    if (!header || !header->model() || header->orientation() != Qt::Horizontal)
        return;
    for (int s = 0; s < header->count(); ++s) {
        if (header->isSectionHidden(s))
            continue;
        const int need = header->sectionSizeHint(s);
        if (header->sectionSize(s) < need)
            header->resizeSection(s, need);
    }
}

void fitHeadersOnShow(QWidget* window)
{
    static const QString name = QStringLiteral("velmoraHeaderFitter");
    if (!window || window->findChild<QObject*>(name, Qt::FindDirectChildrenOnly))
        return;
    auto* fitter = new HeaderFitter(window);
    fitter->setObjectName(name);
    window->installEventFilter(fitter);
}

void setYielding(QWidget* w, bool yielding)
{
    if (w)
        w->setProperty(kYielding, yielding);
}

void setFloating(QWidget* w, bool floating)
{
    if (w)
        w->setProperty(kFloating, floating);
}

bool isFloating(const QWidget* w) { return w && w->property(kFloating).toBool(); }

void installTextFitting()
{
    static Fitter* fitter = nullptr;
    if (!fitter && qApp) {
        fitter = new Fitter(qApp);
        qApp->installEventFilter(fitter);
    }
}

} // namespace controls
