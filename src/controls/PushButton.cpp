#include "controls/PushButton.h"

#include "core/Screen.h"
#include "platform/keys/KeyEvents.h"

#include <QMouseEvent>

PushButton::PushButton(const QString& name, const QString& caption, QWidget* parent) : QToolButton(parent)
{
    setObjectName(name);
    setText(caption);
    setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    setAutoRaise(false);
    setIconSize(QSize(24, 24));
    // Captions fit the buttons' design width of 795 twips.
    QFont f = font();
    f.setPointSizeF(f.pointSizeF() * 0.8);
    setFont(f);
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
    const int shift = keys::shiftState(event->modifiers());
    const double tpp = Screen::twipsPerPixel();
    emit mouseUp(button, shift, float(event->position().x() * tpp), float(event->position().y() * tpp));
}
