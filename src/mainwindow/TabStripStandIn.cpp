#include "TabStripStandIn.h"

#include "core/Screen.h"

#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

TabStripStandIn::TabStripStandIn(QWidget* parent) : QWidget(parent)
{
    setMinimumHeight(Screen::pixelsFromTwips(315));
}

void TabStripStandIn::setTabs(int tabs)
{
    while (Tabs() < tabs)
        captions_.append(QStringLiteral("Tab ") + QString::number(Tabs() + 1));
    while (Tabs() > std::max(tabs, 0))
        captions_.removeLast();
    update();
    if (tabs > 0 && current_ <= Tabs())
        emit TabChange();
}

void TabStripStandIn::setCurrentTab(int tab)
{
    current_ = std::clamp(tab, 1, std::max(1, Tabs()));
    update();
    emit TabChange();
}

QString TabStripStandIn::TabCaption(int tab) const
{
    return tab >= 1 && tab <= Tabs() ? captions_[tab - 1] : QString();
}

void TabStripStandIn::setTabCaption(int tab, const QString& caption)
{
    if (tab < 1 || tab > Tabs())
        return;
    captions_[tab - 1] = caption;
    update();
    emit TabChange();
}

int TabStripStandIn::TabWidth(int tab) const
{
    const double text = QFontMetricsF(font()).horizontalAdvance(TabCaption(tab)) * Screen::twipsPerPixel();
    return int(std::lround(std::max(260.0, text + 150)));
}

int TabStripStandIn::TabLeft(int tab) const
{
    int left = 30;
    for (int i = 1; i < tab; ++i)
        left += TabWidth(i) + 30;
    return left;
}

int TabStripStandIn::tabAt(double xTwips) const
{
    for (int i = 1; i <= Tabs(); ++i)
        if (xTwips >= TabLeft(i) && xTwips < TabLeft(i) + TabWidth(i))
            return i;
    return 0;
}

void TabStripStandIn::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const auto px = [](double twips) { return Screen::pixelsFromTwips(twips); };
    p.setPen(palette().color(QPalette::Mid));
    p.drawLine(0, px(300), width(), px(300));
    for (int i = 1; i <= Tabs(); ++i) {
        const QRect r(px(TabLeft(i)), px(i == current_ ? 60 : 90), px(TabWidth(i)), px(i == current_ ? 240 : 210));
        p.fillRect(r, palette().color(i == current_ ? QPalette::Base : QPalette::Button));
        p.setPen(palette().color(QPalette::Dark));
        p.drawRect(r.adjusted(0, 0, -1, 0));
        p.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
        p.drawText(r, Qt::AlignCenter, TabCaption(i));
    }
}

void TabStripStandIn::mouseReleaseEvent(QMouseEvent* e)
{
    const double tw = Screen::twipsPerPixel();
    const int tab = tabAt(e->position().x() * tw);
    if (!tab)
        return;
    const int button = e->button() == Qt::RightButton ? 2 : e->button() == Qt::LeftButton ? 1 : 4;
    emit MouseUp(button, 0, float(e->position().x() * tw - TabLeft(tab)), float(e->position().y() * tw));
    if (ignoreNextClick_) {
        ignoreNextClick_ = false;
        return;
    }
    setCurrentTab(tab);
}
