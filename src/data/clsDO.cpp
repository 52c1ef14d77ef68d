// The data-access object: stored connection values, dialect strings, the log
// writer and the change history. Connections and statements are in
// clsDO_connection.cpp, queries in clsDO_query.cpp.
#include "data/clsDO.h"

#include "core/Error.h"

#include <QRegularExpression>

namespace {
const QString kTab = QStringLiteral("\t");
const QString kCrLf = QStringLiteral("\r\n");
// The author mark of the change history.
const QString kAuthorMark = QStringLiteral("VL");
} // namespace

clsDO::clsDO() { SetDialectStrings(); }

clsDO::~clsDO() = default;

void clsDO::setConnectionType(std::int16_t value)
{
    if (value == connectionType_)
        return;
    connectionType_ = value;
    SetDialectStrings();
}

void clsDO::setUsedDriver(std::int16_t value)
{
    if (value == usedDriver_)
        return;
    usedDriver_ = value;
    SetDialectStrings();
}

std::int16_t clsDO::DialectKind() const
{
    switch (connectionType_) {
    case 0:
        return 0;
    case 1:
    case 2:
        return 1;
    case 3:
        return usedDriver_;
    default:
        return 0;
    }
}

void clsDO::SetDialectStrings()
{
    switch (DialectKind()) {
    case 0:
        sUnion_ = QStringLiteral("+");
        sInicioFecha_ = QStringLiteral("CONVERT(smalldatetime,'");
        sFinalFecha_ = QStringLiteral("',103)");
        sInicioFormatoHora_ = QStringLiteral("CONVERT(varchar,");
        sFinalFormatoHora_ = QStringLiteral(", 'dd/MM/yyyy hh:nn:ss')");
        break;
    case 1:
        sUnion_ = QStringLiteral("&");
        sInicioFecha_ = QStringLiteral("DateValue('");
        sFinalFecha_ = QStringLiteral("')");
        sInicioFormatoHora_ = QStringLiteral("FORMAT('");
        sFinalFormatoHora_ = QStringLiteral("', 'dd/MM/yyyy hh:nn:ss')");
        break;
    case 2:
        sUnion_ = QStringLiteral("||");
        sInicioFecha_ = QStringLiteral("TO_DATE('");
        sFinalFecha_ = QStringLiteral("', 'DD/MM/YYYY')");
        sInicioFormatoHora_ = QStringLiteral("TO_CHAR('");
        sFinalFormatoHora_ = QStringLiteral("', 'DD/MM/YYYY HH24:MI:SS')");
        break;
    default:
        break; // an unknown dialect keeps the strings it had
    }
}

bool clsDO::IsOracle() const { return connectionType_ == 3 && usedDriver_ == 2; }

bool clsDO::IsAccess() const { return connectionType_ == 1 || connectionType_ == 2; }

bool clsDO::IsSQLServer() const { return connectionType_ == 0 || (connectionType_ == 3 && usedDriver_ == 0); }

bool clsDO::StartObject(const QString& WhichServer, const QString& WhichDataBase, const QString& WhichUser,
                        const QString& WhichPassword)
{
    servidor_ = WhichServer;
    baseDatos_ = WhichDataBase;
    usuario_ = WhichUser;
    contraseña_ = WhichPassword;
    return true;
}

void clsDO::FallBack(QString& server, QString& database, QString& user, QString& password) const
{
    if (!remoteServer_.isEmpty())
        server = remoteServer_;
    else if (server.isEmpty())
        server = servidor_;
    if (database.isEmpty())
        database = baseDatos_;
    if (user.isEmpty())
        user = usuario_;
    if (password.isEmpty())
        password = contraseña_;
}

bool clsDO::ConnectionDataComplete() const
{
    const bool all = !servidor_.isEmpty() && !baseDatos_.isEmpty() && !usuario_.isEmpty() && !contraseña_.isEmpty();
    switch (connectionType_) {
    case 0:
        return all;
    case 1:
    case 2:
        return !baseDatos_.isEmpty();
    case 3:
        if (usedDriver_ == 0 || usedDriver_ == 2)
            return all;
        if (usedDriver_ == 1)
            return !servidor_.isEmpty();
        return false;
    default:
        return false;
    }
}

Variant clsDO::InicializateLog(ObjectPtr ObjetoTablas)
{
    logObject_ = std::move(ObjetoTablas);
    return Variant();
}

void clsDO::InsertLog(const QString& procedure, const QString& message, std::int16_t kind, bool flag)
{
    auto* target = dynamic_cast<LogTarget*>(logObject_.get());
    if (!target)
        return;
    const QString where = (baseDatos_ + QString(15, QLatin1Char(' '))).left(20) + kTab + procedure;
    target->InsertLog(typeName(), where, message, kind, flag);
}

bool clsDO::ChangeAdd(const QString& Author, const QString& ChangeDate, const QString& Description,
                      const QString& ExitMode)
{
    const QString entry = Author + kTab + ChangeDate + kTab + Description;
    if (ExitMode == QLatin1String("String")) {
        QString text;
        if (changeHistory_.isArray()) {
            // The history was kept as an array so far: carry its entries over as lines.
            const VArray& a = *changeHistory_.array();
            for (int i = a.lbound(); i <= a.ubound(); ++i)
                text += a.at(i).toString() + kCrLf;
        } else if (!changeHistory_.isEmpty()) {
            text = changeHistory_.toString();
        }
        changeHistory_ = Variant(text + entry + kCrLf);
    } else if (ExitMode == QLatin1String("Array")) {
        if (!changeHistory_.isArray()) {
            auto a = std::make_shared<VArray>(0, 0);
            if (changeHistory_.isString() && !changeHistory_.toString().isEmpty()) {
                // Lines written in the text form become entries of the array.
                const QStringList lines = changeHistory_.toString().split(kCrLf, Qt::SkipEmptyParts);
                a = std::make_shared<VArray>(0, int(lines.size()));
                for (int i = 0; i < lines.size(); ++i)
                    a->at(i) = Variant(lines.at(i));
            }
            changeHistory_ = Variant(a);
        } else {
            changeHistory_.array()->redimPreserve(changeHistory_.array()->ubound() + 1);
        }
        VArray& a = *changeHistory_.array();
        a.at(a.ubound()) = Variant(entry);
    }
    return false;
}

Variant clsDO::VersionControl(const QString& ExitMode)
{
    ChangeAdd(QStringLiteral("Creación de la librería"), QStringLiteral("13/02/2003"), kAuthorMark, ExitMode);
    ChangeAdd(QStringLiteral("Añadido del método Execute"), QStringLiteral("13/02/2003"), kAuthorMark, ExitMode);
    ChangeAdd(QStringLiteral("Cambios para diferentes motores de BBDD y para averiguar automáticamente el motor "
                             "de access"),
              QStringLiteral("27/04/2024"), kAuthorMark, ExitMode);
    if (ExitMode == QLatin1String("String"))
        return changeHistory_.isString() ? changeHistory_ : Variant(QString());
    if (ExitMode == QLatin1String("Array") && changeHistory_.isArray())
        return Variant(std::make_shared<VArray>(*changeHistory_.array()));
    return Variant();
}

std::int32_t clsDO::GetMaxExcelRows()
{
    // The workbook writer produces .xlsx sheets: 1048576 rows, less the margin kept for headers.
    if (rowsPerSheet_ == 0)
        rowsPerSheet_ = 1048572;
    return rowsPerSheet_;
}
