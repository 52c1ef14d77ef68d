// Write-back: the edit list becomes DELETE, INSERT and UPDATE statements sent
// in one transaction.
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

// ---------------------------------------------------------------- write-back

QStringList clsMultiTabla::columnasAutonumericas()
{
    if (autonumericas_)
        return *autonumericas_;
    QStringList r;
    try {
        QString tabla = nombreTabla_;
        tabla.remove(QLatin1Char('[')).remove(QLatin1Char(']'));
        const CollectionPtr item = consulta().TableList(QString(), QString(), QString(), QString(), tabla, true);
        if (item && item->Exists(QStringLiteral("Fields"))) {
            const CollectionPtr campos = item->Item(Variant(QStringLiteral("Fields"))).as<Collection>();
            for (int i = 1; campos && i <= campos->Count(); ++i) {
                const CollectionPtr c = campos->Item(Variant(std::int32_t(i))).as<Collection>();
                if (c && c->Exists(QStringLiteral("AutoIncrease")) &&
                    c->Item(Variant(QStringLiteral("AutoIncrease"))).toBool())
                    r << ValueText::displayText(c->Item(Variant(QStringLiteral("Name"))));
            }
        }
    } catch (...) {
    }
    autonumericas_ = r;
    return r;
}

QString clsMultiTabla::filtroVinculada(const QString& registro, const Vinculo& vinculo)
{
    const CollectionPtr f = filaRequerida(registro);
    const QStringList vinculados = listaDe(vinculo.camposVinculados);
    const QStringList madre = listaDe(vinculo.camposMadre);
    QStringList partes;
    for (int j = 0; j < vinculados.size(); ++j) {
        const QString campoMadre = j < madre.size() ? madre.at(j) : QString();
        partes << vinculados.at(j) + QStringLiteral(" = ") + literal(campoMadre, valorEnFila(f, campoMadre));
    }
    QString texto = partes.join(QStringLiteral(" AND "));
    const QString extra = ValueText::displayText(vinculo.filtro);
    if (!extra.isEmpty())
        texto += QStringLiteral(" AND ") + extra;
    return texto;
}

// Key values of a record as it was read: what its UPDATE and DELETE target.
std::vector<Variant> clsMultiTabla::valoresOriginales(const QString& clave)
{
    auto it = valoresLeidos_.find(Collection::foldKey(clave));
    if (it != valoresLeidos_.end())
        return it.value();
    return valoresClaveDeFila(filaRequerida(clave));
}

QString clsMultiTabla::nombreColumna(const QString& campo) const
{
    const QString n = sinPrefijo(campo, nombreTabla_);
    bool simple = !n.isEmpty() && !n.front().isDigit();
    for (const QChar c : n)
        if (!(c.isLetterOrNumber() || c == QLatin1Char('_')))
            simple = false;
    if (simple || n.startsWith(QLatin1Char('[')) || n.startsWith(QLatin1Char('"')))
        return n;
    if (dialecto() == 2)
        return QLatin1Char('"') + QString(n).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
    return QLatin1Char('[') + QString(n).replace(QLatin1Char(']'), QStringLiteral("]]")) + QLatin1Char(']');
}

// A column of the table as a load names it: the table, ".", the column
// (bracketed when it is no plain word). Other names stay as given.
QString clsMultiTabla::nombreCalificado(const QString& campo) const
{
    const QString prefijo = nombreTabla_ + QLatin1Char('.');
    if (!campo.startsWith(prefijo, Qt::CaseInsensitive))
        return campo;
    return prefijo + nombreColumna(campo);
}

std::vector<clsMultiTabla::Sentencia> clsMultiTabla::sentenciasEscritura()
{
    std::vector<Sentencia> out;
    const auto entradas = edicion_.all();
    const std::vector<QString> campos(camposClave_.begin(), camposClave_.end());
    auto borradosVinculados = [&](const QString& clave) {
        for (const Vinculo& v : vinculadas_)
            out.push_back({QStringLiteral("DELETE FROM ") + ValueText::displayText(v.tabla) + QStringLiteral(" WHERE ") +
                               filtroVinculada(clave, v),
                           -1});
    };

    // Deletions first.
    if (campos.size() > 1) {
        for (const EntradaEdicion* e : entradas) {
            if (e->modo != QLatin1String("B"))
                continue;
            out.push_back({QStringLiteral("DELETE FROM ") + nombreTabla_ + QStringLiteral(" WHERE ") +
                               condicionClave(campos, valoresOriginales(e->clave), true),
                           1});
            borradosVinculados(e->clave);
        }
    } else if (campos.size() == 1) {
        QStringList lista;
        QStringList claves;
        // A Null key has no literal an IN list could match (a text one would
        // even be written '' and hit another row): it is deleted on its own.
        QStringList nulas;
        for (const EntradaEdicion* e : entradas) {
            if (e->modo != QLatin1String("B"))
                continue;
            const std::vector<Variant> v = valoresOriginales(e->clave);
            const Variant valor = v.empty() ? Variant::null() : v.front();
            if (valor.isNull()) {
                nulas << e->clave;
                continue;
            }
            lista << literal(campos.front(), valor);
            claves << e->clave;
        }
        if (!lista.isEmpty()) {
            out.push_back({QStringLiteral("DELETE FROM ") + nombreTabla_ + QStringLiteral(" WHERE ") +
                               nombreColumna(campos.front()) + QStringLiteral(" IN (") + lista.join(QLatin1Char(',')) + QLatin1Char(')'),
                           int(lista.size())});
            for (const QString& c : claves)
                borradosVinculados(c);
        }
        for (const QString& c : nulas) {
            out.push_back({QStringLiteral("DELETE FROM ") + nombreTabla_ + QStringLiteral(" WHERE ") +
                               condicionClave(campos, {Variant::null()}, true),
                           1});
            borradosVinculados(c);
        }
    }

    // Then insertions and updates, in edit-list order.
    for (const EntradaEdicion* e : entradas) {
        if (e->modo == QLatin1String("B"))
            continue;
        const CollectionPtr f = filaRequerida(e->clave);
        if (e->modo == QLatin1String("A")) {
            const QStringList autonumericas = columnasAutonumericas();
            QStringList columnas;
            QStringList valores;
            for (int p = 1; p <= estructuraCount(); ++p) {
                const QString nombre = nombreCampoInterno(p);
                const Variant v = f->Item(Variant(std::int32_t(p)));
                if (esVacio(v) && autonumericas.contains(sinPrefijo(nombre, nombreTabla_), Qt::CaseInsensitive))
                    continue;
                columnas << nombreColumna(nombre);
                valores << literal(nombre, v);
            }
            out.push_back({QStringLiteral("INSERT INTO ") + nombreTabla_ + QStringLiteral(" (") +
                               columnas.join(QStringLiteral(", ")) + QStringLiteral(") VALUES (") +
                               valores.join(QLatin1Char(',')) + QLatin1Char(')'),
                           1});
        } else if (e->modo == QLatin1String("M")) {
            QStringList asignaciones;
            for (int p : e->posiciones) {
                const QString nombre = nombreCampoInterno(p);
                asignaciones << nombreColumna(nombre) + QStringLiteral(" = ") + literal(nombre, valorEnFila(f, nombre));
            }
            if (asignaciones.isEmpty())
                continue;
            out.push_back({QStringLiteral("UPDATE ") + nombreTabla_ + QStringLiteral(" SET ") +
                               asignaciones.join(QStringLiteral(", ")) + QStringLiteral(" WHERE ") +
                               condicionClave(campos, valoresOriginales(e->clave), true),
                           1});
        }
    }
    return out;
}

// Sends the statements in one transaction: all of them take effect, or none.
bool clsMultiTabla::enviar(const std::vector<Sentencia>& sentencias)
{
    clsDO& d = consulta();
    d.OpenTransaction();
    if (!d.TransactionOpen())
        return false; // the data-access object has said why
    for (const Sentencia& s : sentencias) {
        sentencia_ = s.sql;
        std::int32_t filas = 0;
        bool ok = false;
        try {
            ok = d.Execute(s.sql, QString(), QString(), QString(), QString(), filas, false);
        } catch (const Error& e) {
            d.UnDoTransaction();
            avisoEscritura(QStringLiteral("No se ha guardado ningún cambio: la base de datos ha rechazado una sentencia.%1%2"),
                           {CrLf + CrLf + s.sql, CrLf + CrLf + e.description});
            return false;
        }
        if (!ok) {
            d.UnDoTransaction();
            return false; // the connection did not open; the data-access object has said so
        }
        if (s.filasEsperadas >= 0 && filas != s.filasEsperadas) {
            d.UnDoTransaction();
            avisoEscritura(QStringLiteral("No se ha guardado ningún cambio: una sentencia ha afectado a %1 registros y "
                                          "debía afectar a %2.%3"),
                           {QString::number(filas), QString::number(s.filasEsperadas), CrLf + CrLf + s.sql});
            return false;
        }
    }
    d.CloseTransaction();
    if (d.TransactionOpen()) {
        d.UnDoTransaction(); // the commit failed and has been reported
        return false;
    }
    return true;
}

bool clsMultiTabla::ActualizarBBDD()
{
    bool r = false;
    guarded(QStringLiteral("Función ActualizarBBDD"),
        [&] {
            if (!edicion_.empty()) {
                // Every literal is written before anything is sent, so a value
                // that does not convert stops the write-back untouched.
                std::vector<Sentencia> sentencias;
                try {
                    sentencias = sentenciasEscritura();
                } catch (const Error& e) {
                    avisoEscritura(QStringLiteral("No se ha guardado ningún cambio: un valor no se puede escribir en la "
                                                  "base de datos.%1"),
                                   {CrLf + CrLf + e.description});
                    return;
                }
                if (!enviar(sentencias))
                    return;
                for (EntradaEdicion* e : edicion_.all()) {
                    if (e->modo == QLatin1String("B")) {
                        DesbloquearRegistro(e->clave);
                        if (existeClave(e->clave))
                            datos_->Remove(Variant(e->clave));
                        valoresLeidos_.remove(Collection::foldKey(e->clave));
                        if (registroActual_.compare(e->clave, Qt::CaseInsensitive) == 0)
                            registroActual_.clear();
                    } else {
                        if (e->modo == QLatin1String("M"))
                            DesbloquearRegistro(e->clave);
                        // The row now stands in the table with these key values.
                        if (const CollectionPtr f = fila(e->clave))
                            valoresLeidos_.insert(Collection::foldKey(e->clave), valoresClaveDeFila(f));
                    }
                }
            }
            for (int i = int(bloqueos_.size()) - 1; i >= 0; --i)
                if (i < int(bloqueos_.size()))
                    DesbloquearRegistro(bloqueos_[i].clave);
            edicion_.clear();
            r = true;
        });
    return r;
}
