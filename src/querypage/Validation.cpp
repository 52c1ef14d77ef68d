#include "querypage/Validation.h"

#include <QFileInfo>

namespace validation {

namespace {

bool serverChecks(const Panel& p, Ui& ui, const QString& engine)
{
    const QString prefix = QStringLiteral("Con una conexión ") + engine;
    const QString box = prefix + QStringLiteral(" la caja de texto de la base de datos no puede contener una ruta a "
                                                "un fichero con extensión ");
    if (!ui.notBlank(Field::Server, prefix + QStringLiteral(" el nombre del servidor")))
        return false;
    if (!ui.notBlank(Field::Database, prefix + QStringLiteral(" el nombre de base de datos")))
        return false;
    const QString db = p.database.toLower();
    for (const char* ext : {".mdb", ".accdb"}) {
        if (db.endsWith(QLatin1String(ext))) {
            ui.reject(box + QLatin1String(ext));
            return false;
        }
    }
    if (!ui.notBlank(Field::User, prefix + QStringLiteral(" el usuario")))
        return false;
    return ui.notBlank(Field::Password, prefix + QStringLiteral(" la contraseña"));
}

bool accessChecks(const Panel& p, Ui& ui, const QString& ext, bool& accepted)
{
    if (!ui.notBlank(Field::Database, QStringLiteral("Con una conexión Access el nombre de base de datos")))
        return false;
    // A Linux path: absolute, no length rule.
    if (!QFileInfo(p.database).isAbsolute()) {
        ui.reject(QStringLiteral("Con una conexión Access la caja de texto de la base de datos debe contener la ruta "
                                 "completa a un fichero con extensión ") +
                  ext);
        return false;
    }
    if (!p.database.toLower().endsWith(ext) && !accepted) {
        const QString question =
            QStringLiteral("Con una conexión Access se espera la ruta completa a un fichero con extensión ") + ext +
            QStringLiteral(" en la caja de texto de la base de datos.\r\n\r\nSi está seguro de que el fichero señalado "
                           "cumple esta especificación puede continuar con la apertura del mismo.\r\n\r\n¿Desea seguir "
                           "adelante con esta operación?");
        if (!ui.ask(question))
            return false;
        accepted = true;
    }
    if (!ui.fileExists(p.database)) {
        ui.reject(QStringLiteral("No se encuentra el fichero de base de datos especificado."));
        return false;
    }
    return true;
}

bool connectionChecks(const Panel& p, Accepted& accepted, Ui& ui)
{
    switch (p.connectionType) {
    case -1:
        return ui.notBlank(Field::ConnectionType, QStringLiteral("El tipo de conexión"));
    case 0:
        return serverChecks(p, ui, QStringLiteral("SQL Server"));
    case 1:
        return accessChecks(p, ui, QStringLiteral(".mdb"), accepted.mdb);
    case 2:
        return accessChecks(p, ui, QStringLiteral(".accdb"), accepted.accdb);
    case 3:
        switch (p.driver) {
        case -1:
            return ui.notBlank(Field::Driver, QStringLiteral("El driver utilizado por el motor de base de datos"));
        case 0:
            return serverChecks(p, ui, QStringLiteral("SQL Server"));
        case 1:
            return ui.notBlank(Field::Server,
                               QStringLiteral("Con una conexión de tipo ODBC el nombre de la DSN u Origen de Datos"));
        case 2:
            return serverChecks(p, ui, QStringLiteral("Oracle"));
        default:
            return true;
        }
    default:
        return true;
    }
}

} // namespace

bool ValidateAll(const Panel& panel, bool checkSql, Accepted& accepted, Ui& ui)
{
    if (!connectionChecks(panel, accepted, ui))
        return false;
    return !checkSql || ui.notBlank(Field::Sql, QStringLiteral("El área de consulta SQL"));
}

} // namespace validation
