// The tray notifier and the maker's log writer: components outside this
// program, reached by their program identifiers.
#include "clsTablas.h"

#include "OutsideComponents.h"
#include "core/Error.h"

namespace {
const QString kNotifier = QStringLiteral("Sarnow.iclsAviso");
const QString kLogging = QStringLiteral("Tevrak.clsLogging");
} // namespace

void clsTablas::AddAppToTaskManager(QString& pName, QString& pCaption1, QString& pCaption2, QString& pLogo,
                                    QString& pPathImages)
{
    trap(
        [&] {
            auto notifier = OutsideComponents::create<INotifier>(kNotifier);
            applicationKey_ = notifier->addApplication(pName, pCaption1, pCaption2, pLogo, pPathImages).toString();
        },
        [](const Error&) {});
}

bool clsTablas::RemoveAppToTaskManager()
{
    if (applicationKey_.isEmpty())
        return false;
    bool result = false;
    trap(
        [&] {
            auto notifier = OutsideComponents::create<INotifier>(kNotifier);
            result = notifier->removeApplication(applicationKey_).toBool();
            applicationKey_.clear();
        },
        [](const Error&) {});
    return result;
}

QString clsTablas::AddWindowToTaskManager(QString& pWindowName, ObjectPtr& pWindow, QString& pNamePict,
                                          std::int16_t& pObjectType, std::int16_t& pCloseableItem,
                                          std::int16_t& pSensibleItem)
{
    if (applicationKey_.isEmpty())
        return QString();
    auto notifier = OutsideComponents::create<INotifier>(kNotifier);
    return notifier
        ->addWindow(applicationKey_, pWindowName, pWindow, pNamePict, pObjectType, pCloseableItem, pSensibleItem)
        .toString();
}

bool clsTablas::RemoveWindowToTaskManager(QString& itemKeyWin)
{
    if (applicationKey_.isEmpty())
        return false;
    auto notifier = OutsideComponents::create<INotifier>(kNotifier);
    return notifier->RemoveWindow(applicationKey_, itemKeyWin).toBool();
}

bool clsTablas::addListenToChange(Variant& dato)
{
    if (applicationKey_.isEmpty())
        return false;
    auto notifier = OutsideComponents::create<INotifier>(kNotifier);
    notifier->addListenToChange(dato, applicationKey_);
    return true;
}

bool clsTablas::AreThereWindowsOpened()
{
    if (applicationKey_.isEmpty())
        return false;
    auto notifier = OutsideComponents::create<INotifier>(kNotifier);
    const CollectionPtr applications = notifier->getAppWindows(applicationKey_);
    if (!applications)
        raise(Error::ObjectVariableNotSet, QStringLiteral("Variable de objeto o bloque With no establecido"));
    const auto application = applications->Item(Variant(std::int32_t(1))).as<Collection>();
    if (!application)
        raise(Error::ObjectRequired, QStringLiteral("Se requiere un objeto"));
    const auto windows = application->Item(Variant(QStringLiteral("Windows"))).as<Collection>();
    if (!windows)
        raise(Error::ObjectRequired, QStringLiteral("Se requiere un objeto"));
    return windows->Count() > 1;
}

bool clsTablas::InsertLog(const QString& strClasName, const QString& strProcedureName, const QString& strMessage,
                          std::int16_t enmTipo, bool bMessage)
{
    // An entry meant for the user is shown whether or not the log writer
    // exists; on this system it never does.
    if (bMessage) {
        const QString procedure = QStringLiteral("Función ") + strProcedureName + QStringLiteral("\r\n") + strMessage;
        if (reportHook_)
            reportHook_(procedure, strClasName, 16, QStringLiteral("Error"));
        else if (oError)
            trap([&] { oError->MostrarError(procedure, strClasName, 16, QStringLiteral("Error")); },
                 [](const Error&) {});
        return false;
    }
    trap(
        [&] {
            if (!logging_) {
                auto logging = OutsideComponents::create<ILogging>(kLogging);
                logging->StarObject(this);
                logging_ = logging;
            }
            QString cls = strClasName, procedure = strProcedureName, message = strMessage;
            std::int16_t kind = enmTipo;
            logging_->WriteEntry(cls, procedure, message, kind);
        },
        [](const Error&) {});
    return false;
}
