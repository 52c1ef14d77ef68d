#include "OutsideComponents.h"

#include "clsEncript.h"

#include <QHash>

namespace {

QHash<QString, OutsideComponents::Factory>& registry()
{
    static QHash<QString, OutsideComponents::Factory> map = [] {
        QHash<QString, OutsideComponents::Factory> m;
        m.insert(QStringLiteral("holtane.clsencript"), [] { return ObjectPtr(std::make_shared<clsEncript>()); });
        return m;
    }();
    return map;
}

} // namespace

namespace OutsideComponents {

ObjectPtr create(const QString& progId)
{
    const auto factory = registry().value(progId.toLower());
    ObjectPtr object = factory ? factory() : nullptr;
    if (!object)
        raise(Error::CannotCreateObject, QStringLiteral("El componente ActiveX no puede crear el objeto"), progId);
    return object;
}

Factory install(const QString& progId, Factory factory)
{
    Factory previous = registry().value(progId.toLower());
    if (factory)
        registry().insert(progId.toLower(), std::move(factory));
    else
        registry().remove(progId.toLower());
    return previous;
}

} // namespace OutsideComponents
