// Record locks, taken and released through the data-access object.
#include "editing/clsMultiTabla.h"
#include "editing/clsMultiTabla_support.h"

#include "core/Dialogs.h"
#include "core/Error.h"
#include "core/ValueText.h"
#include "data/clsDO.h"
#include "services/clsTablas.h"

#include <algorithm>
#include <functional>

using namespace multitabla;

// ---------------------------------------------------------------- locks

QString clsMultiTabla::IdentificacionRegistro(const QString& QueRegistro)
{
    QString r;
    guarded(QStringLiteral("Función IdentificacionRegistro"),
        [&] {
            const CollectionPtr f = filaRequerida(QueRegistro);
            QStringList partes;
            for (const QString& campo : camposClave_)
                partes << campo + QStringLiteral(" = ") + ValueText::displayText(valorEnFila(f, campo));
            r = partes.join(QStringLiteral(", "));
        });
    return r;
}

bool clsMultiTabla::RegistroNoBloqueado(const QString& QueRegistro)
{
    bool r = false;
    guarded(QStringLiteral("Función RegistroNoBloqueado"),
        [&] {
            const QString clave = QueRegistro.isEmpty() ? registroActual_ : QueRegistro;
            if (clave.isEmpty())
                return;
            for (const Bloqueo& b : bloqueos_)
                if (b.clave.compare(clave, Qt::CaseInsensitive) == 0)
                    return;
            const QString ident = existeClave(clave) ? IdentificacionRegistro(clave) : QString();
            if (consulta().RegistroNoBloqueado(baseDatos_, nombreTabla_, usuarioNumero(), clave, ident, false)) {
                r = true;
                return;
            }
            bloqueos_.push_back({clave, Variant(std::int32_t(0))});
        });
    return r;
}

bool clsMultiTabla::BloquearRegistro(const QString& QueRegistro, const QString& IdentificacionRegistro,
                                     bool SinMensajes, bool ComprobarBloqueoPrevio)
{
    bool r = false;
    guarded(QStringLiteral("Función BloquearRegistro"),
        [&] {
            const QString clave = QueRegistro.isEmpty() ? registroActual_ : QueRegistro;
            if (clave.isEmpty())
                return;
            if (!consulta().BloquearRegistro(baseDatos_, nombreTabla_, usuarioNumero(), clave, IdentificacionRegistro,
                                             SinMensajes, ComprobarBloqueoPrevio))
                return;
            bool yaEsta = false;
            for (const Bloqueo& b : bloqueos_)
                yaEsta = yaEsta || b.clave.compare(clave, Qt::CaseInsensitive) == 0;
            if (!yaEsta)
                bloqueos_.push_back({clave, Variant(usuarioNumero())});
            r = true;
        });
    return r;
}

bool clsMultiTabla::DesbloquearRegistro(const QString& QueRegistro, bool QuitarDeColeccion)
{
    bool r = false;
    guarded(QStringLiteral("Función DesbloquearRegistro"),
        [&] {
            if (nombreTabla_.isEmpty()) {
                r = true;
                return;
            }
            const QString clave = QueRegistro.isEmpty() ? registroActual_ : QueRegistro;
            if (clave.isEmpty())
                return;
            if (clave != QLatin1String("TODOS")) {
                consulta().DesbloquearRegistro(baseDatos_, nombreTabla_, clave);
                soltarBloqueo(clave);
                r = true;
                return;
            }
            sentencia_ = QStringLiteral("DELETE FROM Bloqueos WHERE NombreTabla = ") +
                         literalDO(QStringLiteral("string"), Variant(nombreTabla_)) +
                         QStringLiteral(" AND CodigoUsuario = ") + usuario();
            if (!consulta().EjecutarSentencia(baseDatos_, sentencia_, true) || !QuitarDeColeccion)
                return;
            const QString yo = usuario();
            for (int i = int(bloqueos_.size()) - 1; i >= 0; --i)
                if (ValueText::displayText(bloqueos_[i].usuario) == yo)
                    bloqueos_.erase(bloqueos_.begin() + i);
        });
    return r;
}

void clsMultiTabla::soltarBloqueo(const QString& clave)
{
    for (auto it = bloqueos_.begin(); it != bloqueos_.end(); ++it)
        if (it->clave.compare(clave, Qt::CaseInsensitive) == 0) {
            bloqueos_.erase(it);
            return;
        }
}
