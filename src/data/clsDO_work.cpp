// The small service for the work database ("Ejercicio"): queries and
// statements on the stored connection, one-value look-ups, record locks
// (every lock is granted here) and the key test.
#include "data/clsDO.h"

#include "core/CollectionHelpers.h"
#include "core/Dialogs.h"
#include "core/ValueText.h"

namespace {
const QString kWorkDatabase = QStringLiteral("Ejercicio");
const QString kNotStarted = QStringLiteral(
    "Zolt no ha sido debidamente inicializado. Es preciso utilizar previamente la función StartObject");
} // namespace

Variant clsDO::Instantanea(const QString& QueBaseDatos, const QString& ConsultaSQL, const Variant& CampoIndice,
                           bool /*Tabla*/, std::int32_t /*QuePosicionInicial*/, bool PonerContadores)
{
    if (QueBaseDatos != kWorkDatabase)
        return Variant();
    if (!ConnectionDataComplete()) {
        InsertLog(QStringLiteral("Instantanea"), kNotStarted, 4);
        SystemMsgBox(kNotStarted, 64, QStringLiteral("Aviso"));
        return Variant();
    }
    QString sql = ConsultaSQL;
    QString server = servidor_, database = baseDatos_, user = usuario_, password = contraseña_;
    Variant keyFields = CampoIndice;
    return Query(sql, server, database, user, password, QStringLiteral("Collection"), keyFields, PonerContadores,
                 true, false, 0, 0, QString());
}

bool clsDO::EjecutarSentencia(const QString& QueBaseDatos, const QString& SentenciaSQL, bool bSilent)
{
    if (QueBaseDatos != kWorkDatabase)
        return false;
    if (!ConnectionDataComplete()) {
        InsertLog(QStringLiteral("EjecutarSentencia"), kNotStarted, 4);
        if (!bSilent)
            SystemMsgBox(kNotStarted, 64, QStringLiteral("Aviso"));
        return false;
    }
    // Statements on the lock table are not run: locks are granted without one.
    if (SentenciaSQL.contains(QLatin1String("Bloqueos")))
        return true;
    QString server = servidor_, database = baseDatos_, user = usuario_, password = contraseña_;
    std::int32_t affected = 0;
    return Execute(SentenciaSQL, server, database, user, password, affected, false);
}

QString clsDO::ConseguirCampo(const QString& QueTabla, const QString& CampoDeseado, const QString& CampoConocido,
                              const QString& ValorConocido, bool Comillas, const QString& FiltroOpcional)
{
    if (ValorConocido.isEmpty() && !Comillas && FiltroOpcional.isEmpty())
        return QString();
    QString sql = QStringLiteral("SELECT ") + CampoDeseado + QStringLiteral(" FROM ") + QueTabla +
                  QStringLiteral(" WHERE ");
    if (!CampoConocido.isEmpty())
        sql += CampoConocido + QStringLiteral(" = ");
    if (Comillas) {
        QString quoted = ValorConocido;
        quoted.replace(QLatin1Char('\''), QLatin1String("''"));
        sql += QLatin1Char('\'') + quoted + QLatin1Char('\'');
    } else {
        sql += ValorConocido;
    }
    sql += FiltroOpcional;

    const Variant result = Instantanea(kWorkDatabase, sql, Variant(std::int16_t(0)), false, 1, false);
    const auto rows = result.as<Collection>();
    if (!rows || rows->Count() != 1)
        return QString();
    const auto record = rows->Item(Variant(std::int32_t(1))).as<Collection>();
    if (!record || record->Count() < 1)
        return QString();
    return ValueText::displayText(record->Item(Variant(std::int32_t(1))));
}

bool clsDO::RegistroNoBloqueado(const QString& QueBaseDatos, const QString& QueTabla, std::int32_t /*QueUsuario*/,
                                const QString& QueKeyRegistro, const QString& /*IdentificacionRegistro*/,
                                bool /*SinMensajes*/)
{
    return DesbloquearRegistro(QueBaseDatos, QueTabla, QueKeyRegistro);
}

bool clsDO::BloquearRegistro(const QString&, const QString&, std::int32_t, const QString&, const QString&, bool, bool)
{
    return true;
}

bool clsDO::DesbloquearRegistro(const QString&, const QString&, const QString&) { return true; }

bool clsDO::ValidarUsuarioBloqueo(const QString&, std::int32_t) { return true; }

bool clsDO::ExisteClaveColeccion(const Variant& Col, const QString& clave)
{
    return ::ExisteClaveColeccion(Col, clave);
}
