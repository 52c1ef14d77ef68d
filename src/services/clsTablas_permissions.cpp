// Permissions of the logged-in user on the modules of the application, the
// login, locked periods and logged tables.
#include "clsTablas.h"

#include "OutsideComponents.h"
#include "Rows.h"
#include "core/ValueText.h"
#include "data/clsDO.h"

namespace {

using Rows::query;
using Rows::required;

// The next number of the series shared by GroupModule.CodeID and AccessProfile.GroupModuleID.
QString nextNumber(clsDO& data)
{
    const auto rows =
        query(data, QStringLiteral("SELECT ISNULL(MAX(GroupModuleID),0) + 1 AS NextNumber FROM AccessProfile"));
    return QString::number(Rows::value(Rows::row(rows, 1), 1).toLong());
}

} // namespace

CollectionPtr clsTablas::ActualPermissions()
{
    if (!actualPermissions_)
        actualPermissions_ = newCollection();
    return actualPermissions_;
}

CollectionPtr clsTablas::CargarPermisos()
{
    auto data = required(dataObject_);
    if (perfil_ == 0) {
        sql_ = QStringLiteral("SELECT ProfileID from UserProfile WHERE UserID = ") + QString::number(CodigoUsuario);
        const auto rows = query(*data, sql_);
        if (Rows::count(rows) > 0)
            perfil_ = Rows::value(Rows::row(rows, 1), 1).toInt();
    }
    sql_ = QStringLiteral("SELECT GM.Groups, GM.Modules, ISNULL(AP.Permissions, 1) ") +
           QStringLiteral(" FROM GroupModule GM ") +
           QStringLiteral(" LEFT JOIN AccessProfile AP ON AP.GroupModuleID = GM.CodeID AND AP.ProfileID = ") +
           QString::number(perfil_);
    auto permissions = query(*data, sql_, QStringLiteral("Collection"), QString(), Rows::firstTwoColumns());
    return permissions ? permissions : newCollection();
}

bool clsTablas::Permiso(const QString& QueAgrupacion, const QString& QueModulo, std::uint8_t QuePermiso,
                        bool NoCrearPermiso)
{
    if (DisableSecurity)
        return true;
    bool answer = false;
    // The module is registered at most once per question: a database that
    // does not show the new rows afterwards gets a refusal, not a loop.
    bool registered = false;
    std::function<void()> decide = [&] {
        if (HistoricalAccess && QuePermiso != 2) {
            answer = QueAgrupacion + QLatin1Char('#') + QueModulo == QLatin1String("Ventas#Bloqueo Inserciones");
            return;
        }
        // No operation has the code 0.
        if (QuePermiso == 0) {
            answer = false;
            return;
        }
        if (ActualPermissions()->Count() == 0)
            actualPermissions_ = CargarPermisos();
        if (actualPermissions_->Count() == 0) {
            answer = false;
            return;
        }
        const QString key = QLatin1Char('#') + QueAgrupacion + QLatin1Char('#') + QueModulo;
        if (actualPermissions_->Exists(key)) {
            const auto row = actualPermissions_->Item(Variant(key)).as<Collection>();
            const std::int32_t number = row ? Rows::value(row, 3).toLong() : 0;
            answer = number != 0 && number % QuePermiso == 0;
            return;
        }
        if (NoCrearPermiso || registered) {
            answer = false;
            return;
        }

        auto data = required(dataObject_);
        const auto existing = query(*data, QStringLiteral("SELECT Count(*) AS Cuantos FROM GroupModule WHERE Groups = ") +
                                               SqlText(QueAgrupacion) + QStringLiteral(" AND Modules = ") +
                                               SqlText(QueModulo));
        if (Rows::count(existing) == 0 || Rows::value(Rows::row(existing, 1), 1).toLong() != 0) {
            answer = false;
            return;
        }
        const auto header = query(*data, QStringLiteral("SELECT * FROM GroupModule WHERE Groups = ") +
                                             SqlText(QueAgrupacion) + QStringLiteral(" AND Header = 'S'"));
        if (Rows::count(header) == 0) {
            const QString number = nextNumber(*data);
            data->Execute(QStringLiteral("INSERT INTO GroupModule VALUES(") + number + QStringLiteral(", ") +
                          SqlText(QueAgrupacion) + QStringLiteral(", ") + SqlText(QueAgrupacion) +
                          QStringLiteral(", 'S', 'N')"));
            data->Execute(QStringLiteral("INSERT INTO AccessProfile SELECT ") + number +
                          QStringLiteral(", 210, CodeID, 'N' FROM Profiles"));
        } else {
            const auto headerRow = Rows::row(header, 1);
            const Variant code = headerRow->Exists(QStringLiteral("GroupModule.CodeID"))
                                     ? Rows::value(headerRow, QStringLiteral("GroupModule.CodeID"))
                                     : Rows::value(headerRow, 1);
            data->Execute(QStringLiteral("UPDATE AccessProfile SET Homogeneous = 'N' WHERE GroupModuleID = ") +
                          QString::number(code.toLong()));
        }
        const QString number = nextNumber(*data);
        data->Execute(QStringLiteral("INSERT INTO GroupModule VALUES (") + number + QStringLiteral(", ") +
                      SqlText(QueAgrupacion) + QStringLiteral(", ") + SqlText(QueModulo) +
                      QStringLiteral(", 'N', 'N', '', '')"));
        data->Execute(QStringLiteral("INSERT INTO AccessProfile SELECT ") + number +
                      QStringLiteral(", 210, CodeID, 'N' FROM Profiles"));
        actualPermissions_ = CargarPermisos();
        registered = true;
        decide();
    };
    trap(decide, [&](const Error&) { ReportError(QStringLiteral("Función Permiso")); });
    return answer;
}

bool clsTablas::ValidateUser(QString& sUsuario)
{
    bool answer = false;
    const bool ran = trap(
        [&] {
            if (CodigoUsuario != 0) {
                perfil_ = 0;
                answer = true;
            } else {
                sUsuario.clear();
                auto login = OutsideComponents::create<ILogin>(QStringLiteral("Holtane.clsLogin"));
                ObjectPtr parent = Parent;
                ObjectPtr data = dataObject_;
                ObjectPtr messages = oError;
                answer = login->StartObject(parent, data, messages, Usuario, CodigoUsuario, PasswordUsuario, *this);
                if (!answer)
                    return;
            }
            sUsuario = Usuario;
            actualPermissions_ = CargarPermisos();
        },
        [&](const Error&) { ReportError(QStringLiteral("Función ValidateUser")); });
    return ran && answer;
}

bool clsTablas::PeriodoBloqueado(const QString& QueFecha)
{
    bool answer = false;
    trap(
        [&] {
            if (!ValueText::isDate(QueFecha))
                return;
            auto data = required(dataObject_);
            const QString date = data->sInicioFecha() + QueFecha + data->sFinalFecha();
            const auto rows = query(*data, QStringLiteral("SELECT * FROM PeriodsLock WHERE DateFrom <= ") + date +
                                               QStringLiteral(" AND DateTo >= ") + date);
            if (Rows::count(rows) > 0) {
                const Variant locked = Rows::value(Rows::row(rows, 1), QStringLiteral("PeriodsLock.Locked"));
                answer = ValueText::displayText(locked) == QLatin1String("S");
            }
        },
        [&](const Error&) {
            answer = false;
            ReportError(QStringLiteral("Función PeriodoBloqueado"));
        });
    return answer;
}

bool clsTablas::Logable(const QString& QueTabla)
{
    return ::ExisteClaveColeccion(TablasDeLog.get(), QueTabla + QLatin1Char('#'));
}
