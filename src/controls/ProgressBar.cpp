#include "ProgressBar.h"

#include "controls/ControlSupport.h"
#include "core/Screen.h"

#include <QLinearGradient>
#include <QPainter>
#include <QTimer>
#include <algorithm>

namespace {
// Widths of the bitmaps in pixels; all are 15 pixels high.
constexpr int GreyEndPixels = 4;
constexpr int GreenZeroPixels = 2;
constexpr int GreenStartPixels = 24;
constexpr int GreenEndPixels = 25;
constexpr int ShinePixels = 79;
constexpr double ShineStep = 40;
constexpr double UnrealStep = 100;

void drawPiece(QPainter& p, const ProgressBar::Piece& piece, const QColor& light, const QColor& dark, double tpp)
{
    if (!piece.Visible || piece.Width <= 0)
        return;
    const QRectF r(piece.Left / tpp, piece.Top / tpp, piece.Width / tpp, piece.Height / tpp);
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, light);
    g.setColorAt(0.45, dark.lighter(115));
    g.setColorAt(1, dark);
    p.fillRect(r, g);
}
} // namespace

ProgressBar::ProgressBar(QWidget* parent)
    : QWidget(parent), tmrUnreal_(new QTimer(this)), tmrMovement_(new QTimer(this))
{
    setObjectName(QStringLiteral("ProgressBar"));
    setFixedHeight(Screen::pixelsFromTwips(BarHeight));
    const double tpp = Screen::twipsPerPixel();
    const double h = 15 * tpp;
    grisInicio_ = {0, 0, GreyEndPixels * tpp, h, true};
    grisFinal_ = {0, 0, GreyEndPixels * tpp, h, true};
    grisMedio_ = {GreyEndPixels * tpp, 0, 17 * tpp, h, true};
    contenedor_ = {0, 0, 0, h, false};
    verdeZero_ = {0, 0, GreenZeroPixels * tpp, h, true};
    verdeInicio_ = {GreenZeroPixels * tpp, 0, GreenStartPixels * tpp, h, false};
    verdeMedio_ = {(GreenZeroPixels + GreenStartPixels) * tpp, 0, 41 * tpp, h, false};
    verdeFin_ = {0, 0, GreenEndPixels * tpp, h, false};
    brillo_ = {570, 0, ShinePixels * tpp, h, false};

    tmrUnreal_->setObjectName(QStringLiteral("tmrUnreal"));
    tmrUnreal_->setInterval(200);
    tmrMovement_->setObjectName(QStringLiteral("tmrMovement"));
    tmrMovement_->setTimerType(Qt::PreciseTimer);
    tmrMovement_->setInterval(1);
    connect(tmrUnreal_, &QTimer::timeout, this, &ProgressBar::tmrUnreal_Timer);
    connect(tmrMovement_, &QTimer::timeout, this, &ProgressBar::tmrMovement_Timer);
    InitProperties();
}

double ProgressBar::widthTwips() const
{
    return width() * Screen::twipsPerPixel();
}

double ProgressBar::onePixel() const
{
    return Screen::twipsPerPixel();
}

// --- properties

void ProgressBar::setValue(std::int32_t value)
{
    if (mode_ != 0)
        return;
    if (value == 0) {
        value_ = 0;
        SetRunning(false);
    } else if (enabled_) {
        SetRunning(true);
        value_ = std::min(value, maxValue_);
    }
    Redraw();
}

void ProgressBar::setMaxValue(std::int32_t value)
{
    if (value == 0)
        return;
    maxValue_ = value;
    Redraw();
}

void ProgressBar::setMode(std::int32_t value)
{
    mode_ = value;
    if (value == 0) {
        tmrUnreal_->stop();
    } else if (enabled_) {
        SetRunning(true);
        tmrUnreal_->start();
    }
    Redraw();
}

void ProgressBar::setEnabled(bool value)
{
    enabled_ = value;
    SetRunning(enabled_);
    Redraw();
}

void ProgressBar::setBright(bool value)
{
    bright_ = value;
    SetRunning(enabled_);
}

// --- private operations

void ProgressBar::SetRunning(bool running)
{
    if (running)
        tmrMovement_->start();
    else
        tmrMovement_->stop();
    contenedor_.Visible = running;
    if (running && mode_ == 1)
        tmrUnreal_->start();
    else
        tmrUnreal_->stop();
}

void ProgressBar::Redraw()
{
    if (!enabled_)
        return;
    const double full = widthTwips();
    if (mode_ == 0) {
        if (maxValue_ == 0) {
            // A MaxValue of 0 can only come from saved properties: no bar.
            contenedor_.Visible = false;
            setContainerWidth(0);
        } else if (value_ != maxValue_) {
            setContainerWidth(std::clamp(full * value_ / maxValue_, 0.0, full));
        } else {
            setContainerWidth(full - onePixel());
        }
    } else if (mode_ == 1) {
        contenedor_.Visible = true;
        setContainerWidth(full - onePixel());
    } else {
        return;
    }
    // Only this bar is painted now; no other event runs under a setter, so the
    // host (a Cancel click, a closing window) cannot act in the middle of it.
    repaint();
}

void ProgressBar::setContainerWidth(double width)
{
    contenedor_.Width = width;
    const double z = verdeZero_.Width, i = verdeInicio_.Width, f = verdeFin_.Width;
    if (width <= z) {
        verdeInicio_.Visible = verdeMedio_.Visible = verdeFin_.Visible = false;
    } else if (width <= z + i) {
        verdeInicio_.Left = z;
        verdeInicio_.Visible = true;
        verdeMedio_.Visible = verdeFin_.Visible = false;
    } else if (width <= z + i + f) {
        verdeInicio_.Visible = true;
        verdeMedio_.Visible = false;
        verdeFin_.Left = verdeInicio_.Left + verdeInicio_.Width;
        verdeFin_.Visible = true;
    } else {
        verdeInicio_.Visible = true;
        verdeMedio_.Width = width - z - i - f;
        verdeFin_.Left = width - f;
        verdeMedio_.Visible = verdeFin_.Visible = true;
    }
}

void ProgressBar::layoutTrough()
{
    const double w = widthTwips();
    grisInicio_.Left = 0;
    grisFinal_.Left = w - grisFinal_.Width;
    grisMedio_.Left = grisInicio_.Left + grisInicio_.Width;
    grisMedio_.Width = w - grisInicio_.Width - grisFinal_.Width;
    contenedor_.Left = 0;
    contenedor_.Top = 0;
}

// --- timers

void ProgressBar::tmrUnreal_Timer()
{
    const double full = widthTwips() - onePixel();
    if (contenedor_.Width >= full)
        setContainerWidth(onePixel());
    else if (contenedor_.Width + UnrealStep > full)
        setContainerWidth(full);
    else
        setContainerWidth(contenedor_.Width + UnrealStep);
    update();
}

void ProgressBar::tmrMovement_Timer()
{
    if (!bright_) {
        tmrMovement_->stop();
        brillo_.Visible = false;
    }
    if (shinePaused_) {
        tmrMovement_->setInterval(10);
        shinePaused_ = false;
        brillo_.Left = -brillo_.Width;
        // A bar without shine never shows it, even when switched off mid-pause.
        brillo_.Visible = bright_;
    } else if (brillo_.Left >= contenedor_.Width + brillo_.Width) {
        brillo_.Visible = false;
        tmrMovement_->setInterval(2500);
        shinePaused_ = true;
    } else {
        brillo_.Left += ShineStep;
    }
    update();
}

// --- saved properties

void ProgressBar::InitProperties()
{
    value_ = 0;
    maxValue_ = 100;
    mode_ = 0;
    enabled_ = false;
    bright_ = true;
    Redraw();
}

void ProgressBar::WriteProperties(controls::PropertyBag& bag) const
{
    bag.WriteProperty(QStringLiteral("Value"), value_, QVariant());
    bag.WriteProperty(QStringLiteral("MaxValue"), maxValue_, QVariant());
    bag.WriteProperty(QStringLiteral("Mode"), mode_, 0);
    bag.WriteProperty(QStringLiteral("Enabled"), enabled_, false);
    bag.WriteProperty(QStringLiteral("Bright"), bright_, true);
}

void ProgressBar::ReadProperties(const controls::PropertyBag& bag)
{
    controls::readProperty(bag, QStringLiteral("Value"), 0, [&](const QVariant& v) { value_ = v.toInt(); });
    controls::readProperty(bag, QStringLiteral("MaxValue"), 100, [&](const QVariant& v) { maxValue_ = v.toInt(); });
    controls::readProperty(bag, QStringLiteral("Mode"), 0, [&](const QVariant& v) { mode_ = v.toInt(); });
    controls::readProperty(bag, QStringLiteral("Enabled"), false, [&](const QVariant& v) { enabled_ = v.toBool(); });
    controls::readProperty(bag, QStringLiteral("Bright"), true, [&](const QVariant& v) { bright_ = v.toBool(); });
    controls::ignoreErrors([&] { Redraw(); });
}

// --- widget

void ProgressBar::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layoutTrough();
}

void ProgressBar::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const double tpp = Screen::twipsPerPixel();
    const QColor greyLight(0xF4, 0xF4, 0xF4), greyDark(0xC8, 0xC8, 0xC8);
    drawPiece(p, grisInicio_, greyLight, greyDark, tpp);
    drawPiece(p, grisMedio_, greyLight, greyDark, tpp);
    drawPiece(p, grisFinal_, greyLight, greyDark, tpp);
    p.setPen(QColor(0x9A, 0x9A, 0x9A));
    p.drawRoundedRect(QRectF(0.5, 0.5, width() - 1, height() - 1), 2, 2);
    if (!contenedor_.Visible || contenedor_.Width <= 0)
        return;
    // The container clips the green pieces and the shine.
    p.setClipRect(
        QRectF(contenedor_.Left / tpp, contenedor_.Top / tpp, contenedor_.Width / tpp, contenedor_.Height / tpp));
    const QColor greenLight(0xB8, 0xF0, 0xA0), greenDark(0x2E, 0x9E, 0x1E);
    drawPiece(p, verdeZero_, greenLight, greenDark, tpp);
    drawPiece(p, verdeInicio_, greenLight, greenDark, tpp);
    drawPiece(p, verdeMedio_, greenLight, greenDark, tpp);
    drawPiece(p, verdeFin_, greenLight, greenDark, tpp);
    if (brillo_.Visible) {
        const QRectF r(brillo_.Left / tpp, 0, brillo_.Width / tpp, brillo_.Height / tpp);
        QLinearGradient g(r.topLeft(), r.topRight());
        g.setColorAt(0, QColor(255, 255, 255, 0));
        g.setColorAt(0.5, QColor(255, 255, 255, 150));
        g.setColorAt(1, QColor(255, 255, 255, 0));
        p.fillRect(r, g);
    }
}
