// The services object: its start-up, the settings files, the release, the
// class report, the query object it works with, and the table-structure cache.
#include "clsTablas.h"

#include "HostWindow.h"
#include "OutsideComponents.h"
#include "core/Dialogs.h"
#include "core/Error.h"
#include "core/ProfileFile.h"
#include "core/ValueText.h"
#include "data/clsDO.h"

#include <QCoreApplication>
#include <cmath>

const QString clsTablas::Source = QStringLiteral("Holtane.clsTablas ");

namespace {
const QString kDefaultIni = QStringLiteral("Dovrin.ini");
const QString kBlankDate = QStringLiteral("  /  /    ");
} // namespace

clsTablas::clsTablas() = default;

clsTablas::~clsTablas() { Release(); }

void clsTablas::Release()
{
    // The data-access object may outlive this object; it must not keep pointing here.
    if (dataObject_ && dataObject_->Parent() == this)
        dataObject_->setParent(nullptr);
    dataObject_.reset();
    actualPermissions_.reset();
}

// --- start-up and release

bool clsTablas::Iniciar(ObjectPtr oParent, std::shared_ptr<clsDO> ObjetoConsulta,
                        MessageReporterPtr ObjetoError, const QString& QueTrayectoriaLocal)
{
    const bool ran = trap(
        [&] {
            Parent = std::move(oParent);
            dataObject_ = std::move(ObjetoConsulta);
            if (dataObject_)
                dataObject_->setParent(this);
            oError = std::move(ObjetoError);
            if (NombreIni.isEmpty())
                NombreIni = kDefaultIni;
            TrayectoriaLocal = QueTrayectoriaLocal;
            if (TrayectoriaLocal.isEmpty())
                raise(-1, QStringLiteral("Sin cadena del fichero ini"), Source);
            const QString path = TrayectoriaLocal + QLatin1Char('/') + NombreIni;
            language_ = LeerIni(path, QStringLiteral("Multilenguaje"), QStringLiteral("Idioma"),
                                QStringLiteral("Original"));
            const double decimals =
                Variant(LeerIni(path, QStringLiteral("FormatoMoneda"), QStringLiteral("NumeroDecimales"),
                                QStringLiteral("2")))
                    .toDouble();
            FormatoMoneda = CurrencyPattern(decimals);
            DigitosCuenta = Variant(LeerIni(path, QStringLiteral("CuentasContables"), QStringLiteral("NumeroDigitos"),
                                            Variant(std::int16_t(9))))
                                .toInt();
            ImprimirRecibos = Variant(LeerIni(path, QStringLiteral("Recibos"), QStringLiteral("ImprimirRecibo"),
                                              Variant(std::int16_t(0))))
                                  .toInt();
            ReinvoicingDate = kBlankDate;
            EnlazarServidores(QStringLiteral("Link"));
        },
        [&](const Error&) { ReportError(QStringLiteral("Función Iniciar")); });
    return ran && !bSalir;
}

bool clsTablas::Terminar()
{
    Release();
    return false;
}

QString clsTablas::SettingsFilePath() const
{
    return NombreIni.isEmpty() ? TrayectoriaLocal : TrayectoriaLocal + QLatin1Char('/') + NombreIni;
}

QString clsTablas::CurrencyPattern(double decimals)
{
    if (decimals == 0)
        return QStringLiteral("###,###,##0");
    // Halves go to the even number, as the runtime rounds.
    const double digits = std::nearbyint(decimals);
    if (digits < 0 || digits > 255)
        raise(Error::InvalidProcedureCall, QStringLiteral("Llamada a procedimiento o argumento no válidos"));
    return QStringLiteral("###,###,##0.") + QString(int(digits), QLatin1Char('0'));
}

// --- settings files

QString clsTablas::LeerIni(const QString& lpFileName, const QString& lpAppName, const QString& lpKeyName,
                           const Variant& vDefault)
{
    QString fallback;
    trap([&] { fallback = vDefault.isEmpty() ? QString() : ValueText::toText(vDefault); }, [](const Error&) {});
    return ProfileFile::read(lpFileName, lpAppName, lpKeyName, fallback);
}

bool clsTablas::GuardarIni(const QString& lpFileName, const QString& lpAppName, const QString& lpKeyName,
                           const QString& lpString)
{
    // A refused or failed write answers false: a caller must never report a lost setting as kept.
    return ProfileFile::write(lpFileName, lpAppName, lpKeyName, lpString);
}

// --- reports and questions

void clsTablas::ReportError(const QString& procedure)
{
    if (reportHook_) {
        reportHook_(procedure, Source, 16, QStringLiteral("Error"));
        return;
    }
    if (oError) {
        trap([&] { oError->MostrarError(procedure, Source, 16, QStringLiteral("Error")); }, [](const Error&) {});
        return;
    }
    // Without a message object the report must still reach the user.
    SystemMsgBox(QStringLiteral("Error en ") + procedure + QStringLiteral("\r\n") + Source.trimmed().toUpper(), 16,
                 QStringLiteral("Error"));
}

int clsTablas::AskUser(const QString& prompt, int style, const QString& title)
{
    if (msgBoxHook_)
        return msgBoxHook_(prompt, style, title);
    if (oError)
        return oError->MsgBox(prompt, style, title);
    return SystemMsgBox(prompt, style, title);
}

void clsTablas::processEvents()
{
    if (processEvents_)
        processEvents_();
    else
        QCoreApplication::processEvents();
}

// --- the query object

std::shared_ptr<clsDO> clsTablas::GetObjConsulta()
{
    if (dataObject_)
        return dataObject_;
    std::shared_ptr<clsDO> found;
    trap(
        [&] {
            auto* host = dynamic_cast<QueryObjectHost*>(Parent.get());
            if (!host)
                raise(Error::ObjectVariableNotSet, QStringLiteral("Variable de objeto o bloque With no establecido"));
            found = host->oConsulta();
            InsertLog(Source, QStringLiteral("GetObjConsulta"), QStringLiteral("Se utilizó Parent.oConsulta"), 2);
        },
        [&](const Error& e) {
            found.reset();
            ReportError(QStringLiteral("Función GetObjConsulta ") + e.description);
        });
    return found;
}

// --- the structure cache

QString clsTablas::StructureKey(const clsDO& dataObject, const QString& database, const QString& table) const
{
    // Many pages share one services object on different databases: a structure
    // belongs to the connection it was read on as much as to its table name.
    const QString server = dataObject.RemoteServer().isEmpty() ? dataObject.Servidor() : dataObject.RemoteServer();
    return QStringLiteral("%1|%2|%3|%4|%5|%6")
        .arg(dataObject.ConnectionType())
        .arg(dataObject.UsedDriver())
        .arg(server, dataObject.BaseDatos(), database, table);
}

Variant clsTablas::ObtenerEstructuraTabla(const QString& QueBaseDatos, const QString& QueNombreTabla)
{
    if (!structureCache_)
        structureCache_ = newCollection();
    auto dataObject = GetObjConsulta();
    if (!dataObject)
        return Variant();
    const QString key = StructureKey(*dataObject, QueBaseDatos, QueNombreTabla);
    if (structureCache_->Exists(key)) {
        lastStructure_ = structureCache_->Item(Variant(key));
        return lastStructure_;
    }
    Variant structure;
    const bool ran = trap([&] { structure = dataObject->EstructuraTabla(QueBaseDatos, QueNombreTabla); },
                          [&](const Error&) { ReportError(QStringLiteral("Función ObtenerEstructuraTabla")); });
    if (!ran)
        return Variant();
    // Only a structure that came back is kept, so a failed read is tried again.
    if (structure.isObject() && !structure.isNothing())
        structureCache_->Add(structure, key);
    lastStructure_ = structure;
    return structure;
}

void clsTablas::InicializarTablas()
{
    structureCache_ = newCollection();
}

// --- account name

QString clsTablas::Codigo2Nombre(const QString& QueCodigo, const std::shared_ptr<clsDO>& PunteroConsulta)
{
    QString name;
    sql_ = QStringLiteral("SELECT Name FROM Account WHERE CodeID = ") + SqlText(QueCodigo);
    trap(
        [&] {
            if (!PunteroConsulta)
                return;
            const auto rows = PunteroConsulta->Instantanea(QStringLiteral("Ejercicio"), sql_).as<Collection>();
            if (rows && rows->Count() == 1)
                name = ValueText::displayText(
                    rows->Item(Variant(std::int32_t(1))).as<Collection>()->Item(Variant(std::int32_t(1))));
        },
        [](const Error&) {});
    return name;
}

QString clsTablas::SqlText(const QString& value)
{
    QString quoted = value;
    quoted.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

QString clsTablas::SqlEscape(const QString& value)
{
    QString quoted = value;
    quoted.replace(QLatin1Char('\''), QLatin1String("''"));
    return quoted;
}
