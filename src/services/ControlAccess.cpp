#include "ControlAccess.h"

#include "core/Error.h"

#include <QMetaObject>
#include <QObject>
#include <QVariant>

namespace {

const char* textProperty(QObject* control)
{
    if (!control)
        raise(Error::ObjectVariableNotSet, QStringLiteral("Variable de objeto o bloque With no establecido"));
    for (const char* name : {"text", "currentText", "plainText"})
        if (control->property(name).isValid())
            return name;
    raise(Error::ObjectDoesNotSupport, QStringLiteral("El objeto no admite esta propiedad o método"));
}

} // namespace

namespace ControlAccess {

QString text(QObject* control)
{
    return control->property(textProperty(control)).toString();
}

void setText(QObject* control, const QString& value)
{
    const char* name = textProperty(control);
    if (!control->setProperty(name, value))
        raise(Error::ObjectDoesNotSupport, QStringLiteral("El objeto no admite esta propiedad o método"));
}

bool visible(QObject* control)
{
    return control && control->property("visible").toBool();
}

void setFocus(QObject* control)
{
    if (control)
        QMetaObject::invokeMethod(control, "setFocus");
}

} // namespace ControlAccess
