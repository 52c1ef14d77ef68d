#include "querypage/PushButton.h"

#include "core/Screen.h"

#include <QMouseEvent>

PushButton::PushButton(const QString& name, const QString& caption, QWidget* parent) : QToolButton(parent)
{
    setObjectName(name);
    setText(caption);
    setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    setAutoRaise(false);
    setIconSize(QSize(24, 24));
}

void PushButton::setPictures(const QPixmap& enabled, const QPixmap& grey)
{
    QIcon icon(enabled);
    if (!grey.isNull())
        icon.addPixmap(grey, QIcon::Disabled);
    setIcon(icon);
}

void PushButton::mouseReleaseEvent(QMouseEvent* event)
{
    const bool inside = rect().contains(event->position().toPoint());
    QToolButton::mouseReleaseEvent(event);
    if (!isEnabled() || !inside)
        return;
    int button = 0;
    switch (event->button()) {
    case Qt::LeftButton: button = 1; break;
    case Qt::RightButton: button = 2; break;
    case Qt::MiddleButton: button = 4; break;
    default: break;
    }
    int shift = 0;
    const Qt::KeyboardModifiers m = event->modifiers();
    if (m & Qt::ShiftModifier)
        shift |= 1;
    if (m & Qt::ControlModifier)
        shift |= 2;
    if (m & Qt::AltModifier)
        shift |= 4;
    const double tpp = Screen::twipsPerPixel();
    emit mouseUp(button, shift, float(event->position().x() * tpp), float(event->position().y() * tpp));
}
