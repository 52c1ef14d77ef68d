#include "messages/BoxPlacement.h"

#include <QApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace boxplacement {

QWidget* owner(QWidget* preferred)
{
    for (QWidget* w : {QApplication::activeModalWidget(), QApplication::activeWindow(), preferred})
        if (w && w->window()->isVisible())
            return w->window();
    QWidget* main = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->windowType() == Qt::Window &&
            (!main || w->width() * w->height() > main->width() * main->height()))
            main = w;
    return main;
}

QPoint centred(const QRect& owner, const QSize& box, const QRect& available)
{
    const QPoint middle = owner.topLeft() + QPoint(owner.width() / 2, owner.height() / 2);
    const QPoint wanted = middle - QPoint(box.width() / 2, box.height() / 2);
    const int right = std::max(available.left(), available.left() + available.width() - box.width());
    const int bottom = std::max(available.top(), available.top() + available.height() - box.height());
    return {std::clamp(wanted.x(), available.left(), right), std::clamp(wanted.y(), available.top(), bottom)};
}

void place(QWidget& box)
{
    QWidget* on = box.parentWidget() ? box.parentWidget()->window() : owner();
    if (on == &box)
        on = nullptr;
    QScreen* screen = on ? on->screen() : box.screen();
    if (!screen)
        return;
    const QRect available = screen->availableGeometry();
    box.move(centred(on && on->isVisible() ? on->frameGeometry() : available, box.frameGeometry().size(), available));
}

} // namespace boxplacement
