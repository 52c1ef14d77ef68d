#include "MaxTab.h"

#include "controls/ControlSupport.h"
#include "core/Error.h"
#include "core/Screen.h"
#include "platform/keys/KeyEvents.h"

#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>
#include <QStringList>
#include <cmath>

namespace {
const QString DefaultCaptions = QStringLiteral("Tab |Tab 1|Tab 2 |Tab 3");
const QChar Bar(u'|');

constexpr std::uint32_t WindowText = 0x80000008;
constexpr std::uint32_t White = 0x00FFFFFF;
constexpr std::uint32_t Grey = 0x00808080;

// Piece n of a caption text (the piece TabCaption(n) reads): a text without
// "|" is one caption for all; a piece the text does not have is "".
QString pieceOf(const QString& captions, int n)
{
    if (captions.isEmpty())
        return QString();
    if (!captions.contains(Bar))
        return captions;
    const QStringList pieces = captions.split(Bar);
    return n >= 0 && n < pieces.size() ? pieces.at(n) : QString();
}

short buttonOf(Qt::MouseButton button)
{
    switch (button) {
    case Qt::LeftButton:
        return 1;
    case Qt::RightButton:
        return 2;
    case Qt::MiddleButton:
        return 4;
    default:
        return 0;
    }
}
} // namespace

MaxTab::MaxTab(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("MaxTab"));
    setMinimumHeight(Screen::pixelsFromTwips(MinimumHeight));
    labels_[0] = TabLabel{};
    labels_[0].Font = font();
    lineLeft_[0] = lineTop_[0] = lineRight_[0] = Line{};
    InitProperties();
}

void MaxTab::raiseTabError()
{
    ::raise(TabErrorNumber, QStringLiteral("Se ha solicitado una solapa inexistente"), QStringLiteral("pMaxTab"));
}

const MaxTab::TabLabel& MaxTab::labelOf(int index) const
{
    const auto it = labels_.find(index);
    if (it == labels_.end())
        ::raise(340, QStringLiteral("El elemento '%1' de la matriz de controles no existe").arg(index));
    return it->second;
}

int MaxTab::labelCount() const
{
    return labels_.rbegin()->first;
}

double MaxTab::widthTwips() const
{
    return width() * Screen::twipsPerPixel();
}

double MaxTab::captionWidth(const QString& caption) const
{
    return QFontMetricsF(font()).horizontalAdvance(caption) * Screen::twipsPerPixel();
}

void MaxTab::setBackColor(std::uint32_t color)
{
    backColor_ = color;
    update();
}

QFont MaxTab::Font() const
{
    return labels_.at(0).Font;
}

void MaxTab::SetFont(const QFont& font)
{
    labels_[0].Font = font;
}

// --- private operations

void MaxTab::SelectTab(int& n)
{
    // Tabs are being created one at a time: draw once they all stand.
    if (labelCount() != tabs_)
        return;
    if (n == 0)
        n = 1;
    if (n > tabs_ || n < 1)
        raiseTabError();
    currentTab_ = n;

    for (int i = lineLeft_.rbegin()->first; i >= 1; --i) {
        lineLeft_.erase(i);
        lineRight_.erase(i);
        lineTop_.erase(i);
    }
    const TabLabel& current = labels_.at(n);
    lineBefore_ = {0, BaseLine, current.Left - 15, BaseLine, true};
    lineAfter_ = {current.Left + current.Width, BaseLine, widthTwips(), BaseLine, true};

    const int count = labelCount();
    for (int i = 1; i <= count; ++i) {
        const int element = lineLeft_.rbegin()->first + 1;
        auto label = labels_.find(i);
        if (label == labels_.end())
            continue;
        TabLabel& l = label->second;
        l.Top = i == n ? 60 : 90;
        lineLeft_[element] = {l.Left - 15, l.Top, l.Left - 15, BaseLine, true};
        lineRight_[element] = {l.Left + l.Width, l.Top, l.Left + l.Width, BaseLine, i != n - 1};
        lineTop_[element] = {l.Left, l.Top - 15, l.Left + l.Width - 15, l.Top - 15, true};
    }
    update();
    emit TabChange();
}

void MaxTab::LayoutTabs()
{
    const int count = labelCount();
    const TabLabel* previous = nullptr;
    for (int i = 1; i <= count; ++i) {
        auto it = labels_.find(i);
        if (it == labels_.end())
            continue;
        TabLabel& l = it->second;
        l.Width = std::max(captionWidth(l.Caption) + 150, 260.0);
        if (previous)
            l.Left = previous->Left + previous->Width + 30;
        previous = &l;
    }
    SelectTab(currentTab_);
}

void MaxTab::AddTab(const QString& Caption)
{
    const int number = labelCount() + 1;
    TabLabel label = labels_.at(0);
    if (!Caption.isEmpty()) {
        label.Caption = Caption;
        label.Visible = true;
        labels_[number] = label;
    } else {
        label.Caption = labels_.at(0).Caption + QString::number(number);
        label.Visible = true;
        labels_[number] = label;
        JoinCaptions();
    }
    LayoutTabs();
}

void MaxTab::RemoveTab(int n)
{
    if (n > labelCount() || n < 1)
        raiseTabError();
    labels_.erase(n);
}

void MaxTab::RemoveAllTabs()
{
    const int count = labelCount();
    for (int i = 1; i <= count; ++i)
        RemoveTab(i);
}

void MaxTab::RebuildTabs()
{
    const QString captions = allCaptions_;
    RemoveAllTabs();
    bool anyEmpty = false;
    for (int i = 1; i <= tabs_; ++i) {
        const QString caption = pieceOf(captions, i);
        anyEmpty = anyEmpty || caption.isEmpty();
        AddTab(caption);
    }
    if (anyEmpty)
        JoinCaptions();
    LayoutTabs();
}

void MaxTab::JoinCaptions()
{
    allCaptions_ = QStringLiteral("Tab ");
    if (tabs_ < 1)
        return;
    const int count = labelCount();
    for (int i = 1; i <= count; ++i) {
        const auto it = labels_.find(i);
        allCaptions_ += Bar + (it == labels_.end() ? QString() : it->second.Caption);
    }
}

// --- properties

void MaxTab::setTabs(int value)
{
    tabs_ = value;
    while (tabs_ > labelCount())
        AddTab(QStringLiteral("Tab ") + QString::number(labelCount() + 1));
    while (tabs_ < labelCount())
        RemoveTab(labelCount());
    JoinCaptions();
    emit PropertyChanged(QStringLiteral("Tabs"));
}

void MaxTab::setCurrentTab(int value)
{
    const int previous = currentTab_;
    currentTab_ = value;
    try {
        SelectTab(currentTab_);
    } catch (...) {
        currentTab_ = previous;
        throw;
    }
    emit PropertyChanged(QStringLiteral("CurrentTab"));
}

QString MaxTab::TabCaption(int index) const
{
    if (index > tabs_ || index < 1)
        raiseTabError();
    return pieceOf(allCaptions_, index);
}

void MaxTab::setTabCaption(int index, const QString& caption)
{
    if (index > labelCount() || index < 0)
        raiseTabError();
    labels_.at(index).Caption = caption;
    JoinCaptions();
    LayoutTabs();
}

void MaxTab::setAllCaptions(const QString& value)
{
    const int count = labelCount();
    if (!value.contains(Bar)) {
        for (int i = 1; i <= count; ++i)
            if (labels_.count(i))
                labels_[i].Caption = QStringLiteral("Tab ") + QString::number(i);
    } else {
        const QStringList pieces = value.split(Bar);
        for (int i = 1; i < pieces.size(); ++i)
            if (labels_.count(i))
                labels_[i].Caption = pieces.at(i);
    }
    JoinCaptions();
    LayoutTabs();
    emit PropertyChanged(QStringLiteral("AllCaptions"));
}

bool MaxTab::TabEnabled(int index) const
{
    return labelOf(index).Enabled;
}

void MaxTab::setTabEnabled(int index, bool value)
{
    labelOf(index);
    labels_[index].Enabled = value;
    update();
}

std::int32_t MaxTab::TabLeft(int index) const
{
    return std::int32_t(std::lround(labelOf(index).Left));
}

std::int32_t MaxTab::TabWidth(int index) const
{
    return std::int32_t(std::lround(labelOf(index).Width));
}

// --- saved properties

void MaxTab::InitProperties()
{
    tabs_ = 3;
    currentTab_ = 1;
    allCaptions_ = DefaultCaptions;
    RebuildTabs();
}

void MaxTab::WriteProperties(controls::PropertyBag& bag) const
{
    bag.WriteProperty(QStringLiteral("Tabs"), tabs_, 3);
    bag.WriteProperty(QStringLiteral("CurrentTab"), currentTab_, 1);
    bag.WriteProperty(QStringLiteral("AllCaptions"), allCaptions_, DefaultCaptions);
}

void MaxTab::ReadProperties(const controls::PropertyBag& bag)
{
    // Each step on its own: a bad value does not stop the others.
    controls::readProperty(bag, QStringLiteral("Tabs"), 3, [&](const QVariant& v) { tabs_ = v.toInt(); });
    controls::readProperty(bag, QStringLiteral("CurrentTab"), 1, [&](const QVariant& v) { currentTab_ = v.toInt(); });
    controls::readProperty(bag, QStringLiteral("AllCaptions"), DefaultCaptions,
                           [&](const QVariant& v) { allCaptions_ = v.toString(); });
    controls::ignoreErrors([&] { RebuildTabs(); });
}

// --- widget

void MaxTab::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), controls::resolveColor(backColor_));
    const double tpp = Screen::twipsPerPixel();
    const QColor textColor = controls::resolveColor(WindowText);
    for (const auto& [number, label] : labels_) {
        if (number == 0 || !label.Visible)
            continue;
        p.setFont(label.Font);
        p.setPen(label.Enabled && isEnabled() ? textColor : palette().color(QPalette::Disabled, QPalette::WindowText));
        p.drawText(controls::pixelRectFromTwips(label.Left, label.Top, label.Width, label.Height),
                   Qt::AlignHCenter | Qt::AlignTop, label.Caption);
    }
    auto drawLine = [&](const Line& line, std::uint32_t color, int widthPx) {
        if (!line.Visible)
            return;
        p.setPen(QPen(controls::resolveColor(color), widthPx, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(QPointF(line.X1 / tpp, line.Y1 / tpp), QPointF(line.X2 / tpp, line.Y2 / tpp));
    };
    for (const auto& [number, line] : lineLeft_)
        if (number > 0)
            drawLine(line, White, 1);
    for (const auto& [number, line] : lineTop_)
        if (number > 0)
            drawLine(line, White, 1);
    for (const auto& [number, line] : lineRight_)
        if (number > 0)
            drawLine(line, Grey, 2);
    drawLine(lineBefore_, White, 1);
    drawLine(lineAfter_, White, 1);
}

int MaxTab::labelAt(double x, double y) const
{
    if (!isEnabled())
        return 0;
    for (const auto& [number, label] : labels_) {
        if (number == 0 || !label.Visible || !label.Enabled)
            continue;
        if (x >= label.Left && x < label.Left + label.Width && y >= label.Top && y < label.Top + label.Height)
            return number;
    }
    return 0;
}

void MaxTab::mousePressEvent(QMouseEvent* event)
{
    const double tpp = Screen::twipsPerPixel();
    pressedLabel_ = labelAt(event->position().x() * tpp, event->position().y() * tpp);
    event->accept();
}

void MaxTab::mouseReleaseEvent(QMouseEvent* event)
{
    const int pressed = pressedLabel_;
    pressedLabel_ = 0;
    if (pressed == 0 || !labels_.count(pressed))
        return;
    const double tpp = Screen::twipsPerPixel();
    const double x = event->position().x() * tpp, y = event->position().y() * tpp;
    controls::trapHandler(nullptr, objectName(), QStringLiteral("lblTab_MouseUp"), [&] {
        const TabLabel& label = labelOf(pressed);
        short button = buttonOf(event->button());
        short shift = short(keys::shiftState(event->modifiers()));
        float lx = float(x - label.Left), ly = float(y - label.Top);
        emit MouseUp(button, shift, lx, ly);
    });
    // Only the left and right buttons click; the host may have changed the strip meanwhile.
    if ((event->button() == Qt::LeftButton || event->button() == Qt::RightButton) && labelAt(x, y) == pressed)
        controls::trapHandler(nullptr, objectName(), QStringLiteral("lblTab_Click"), [&] { clickTab(pressed); });
}

void MaxTab::clickTab(int index)
{
    if (ignoreNextClick_) {
        ignoreNextClick_ = false;
        return;
    }
    int n = index;
    SelectTab(n);
}
