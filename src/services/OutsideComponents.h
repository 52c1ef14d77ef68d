#pragma once
// Components of the maker that lie outside this program. Each is reached by
// its program identifier; only the scrambling component exists here. The
// others have no implementation, so creating them fails with error 429 and
// the members that use them take their failure path. Tests install their own.
#include "core/Collection.h"
#include "core/Object.h"
#include "core/Variant.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

class clsTablas;

// "Holtane.clsEncript": reversible scrambling of short texts (passwords kept in
// settings files). Applying it to its own output with the same key gives the input back.
class IEncript : public Object {
public:
    virtual QString EncriptDecript(const QString& sKey, const QString& sToEncriptDecript) = 0;
};

// "Holtane.clsLogin": logs a user in and fills the user values.
class ILogin : public Object {
public:
    virtual bool StartObject(ObjectPtr& parent, ObjectPtr& dataAccess, ObjectPtr& messages, QString& Usuario,
                             std::int32_t& CodigoUsuario, QString& PasswordUsuario, clsTablas& services) = 0;
};

// "Pervick.clsEnterprise" and "Pervick.clsHistory": windows of the maker's menu component.
class IMenuWindow : public Object {
public:
    virtual void StartObject(ObjectPtr& parent, ObjectPtr& dataAccess, ObjectPtr& messages, clsTablas& services,
                             const Variant& omitted, bool modal) = 0;
};

// "Sarnow.iclsAviso": the tray notifier's list of running applications and windows.
class INotifier : public Object {
public:
    virtual Variant addApplication(QString& pName, QString& pCaption1, QString& pCaption2, QString& pLogo,
                                   QString& pPathImages) = 0;
    virtual Variant removeApplication(QString& key) = 0;
    virtual Variant addWindow(QString& key, QString& pWindowName, ObjectPtr& pWindow, QString& pNamePict,
                              std::int16_t& pObjectType, std::int16_t& pCloseableItem,
                              std::int16_t& pSensibleItem) = 0;
    virtual Variant RemoveWindow(QString& key, QString& itemKeyWin) = 0;
    virtual void addListenToChange(Variant& dato, QString& key) = 0;
    // One item per application; each item is a collection holding "Windows", a collection.
    virtual CollectionPtr getAppWindows(QString& key) = 0;
};

// "Tevrak.clsLogging": the maker's log writer.
class ILogging : public Object {
public:
    virtual void StarObject(clsTablas* services) = 0;
    virtual void WriteEntry(QString& strClasName, QString& strProcedureName, QString& strMessage,
                            std::int16_t& enmTipo) = 0;
};

namespace OutsideComponents {

using Factory = std::function<ObjectPtr()>;

// Makes the component registered under the program identifier; raises 429 when
// there is none or it is not of the kind asked for.
ObjectPtr create(const QString& progId);
template <class T>
std::shared_ptr<T> create(const QString& progId);

// Replaces (or, with an empty factory, removes) the component of a program
// identifier; returns the one it replaced.
Factory install(const QString& progId, Factory factory);

} // namespace OutsideComponents

#include "core/Error.h"

template <class T>
std::shared_ptr<T> OutsideComponents::create(const QString& progId)
{
    auto object = std::dynamic_pointer_cast<T>(create(progId));
    if (!object)
        raise(Error::CannotCreateObject, QStringLiteral("El componente ActiveX no puede crear el objeto"), progId);
    return object;
}
