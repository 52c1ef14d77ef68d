// Records and their values: reading, changing, finding, the edit state of a
// record and values written as SQL.
#include "editing/clsMultiTabla.h"
#include "editing/clsMultiTabla_support.h"

#include "core/Dialogs.h"
#include "core/Error.h"
#include "core/ValueText.h"
#include "data/clsDO.h"
#include "data/clsDO_sqltext.h"
#include "services/clsTablas.h"

#include <algorithm>
#include <functional>

using namespace multitabla;

// ---------------------------------------------------------------- records

clsDO& clsMultiTabla::consulta() const
{
    if (!objetoConsulta_)
        raise(Error::ObjectVariableNotSet, QStringLiteral("No hay objeto de acceso a datos"));
    return *objetoConsulta_;
}

QString clsMultiTabla::usuario() const
{
    return objetoTablas_ ? QString::number(objetoTablas_->CodigoUsuario) : QString();
}

std::int32_t clsMultiTabla::usuarioNumero() const { return objetoTablas_ ? objetoTablas_->CodigoUsuario : 0; }

bool clsMultiTabla::permiso(int codigo)
{
    if (!objetoTablas_)
        raise(Error::ObjectVariableNotSet, QStringLiteral("No hay objeto de servicios"));
    return objetoTablas_->Permiso(agrupacion_, modulo_, std::uint8_t(codigo));
}

CollectionPtr clsMultiTabla::fila(const QString& clave) const
{
    if (!datos_ || !datos_->Exists(clave))
        return nullptr;
    return datos_->Item(Variant(clave)).as<Collection>();
}

// A held row that must be there. (A block read replaces the held rows, so even
// an edit-list entry may have lost its row: the write-back then stops.)
CollectionPtr clsMultiTabla::filaRequerida(const QString& clave) const
{
    const CollectionPtr f = fila(clave);
    if (!f)
        raise(Error::InvalidProcedureCall, QStringLiteral("No se ha podido localizar el registro ") + clave);
    return f;
}

bool clsMultiTabla::existeClave(const QString& clave) const { return datos_ && datos_->Exists(clave); }

// A record held under exactly this key text. The records collection matches
// keys without regard to case; a search by key must not take the row of "abc"
// for the row of "ABC" on an engine that tells them apart.
bool clsMultiTabla::existeClaveExacta(const QString& clave) const
{
    return existeClave(clave) && datos_->KeyAt(datos_->IndexOf(clave)) == clave;
}

Variant clsMultiTabla::valorEnFila(const CollectionPtr& f, const QString& campo) const
{
    if (esPosicion(Variant(campo)))
        return f->Item(Variant(std::int32_t(campo.toInt())));
    if (f->Exists(campo))
        return f->Item(Variant(campo));
    const QString calificado = nombreTabla_ + QLatin1Char('.') + campo;
    if (!campo.contains(QLatin1Char('.')) && f->Exists(calificado))
        return f->Item(Variant(calificado));
    return f->Item(Variant(campo)); // raises the collection's own error
}

std::vector<Variant> clsMultiTabla::valoresClaveDeFila(const CollectionPtr& f) const
{
    std::vector<Variant> v;
    for (int i = 0; i < camposClave_.size(); ++i) {
        const int p = i < int(posicionesClave_.size()) ? posicionesClave_[i] : -1;
        if (p >= 0 && p < f->Count())
            v.push_back(f->Item(Variant(std::int32_t(p + 1))));
        else
            v.push_back(valorEnFila(f, camposClave_.at(i)));
    }
    return v;
}

QString clsMultiTabla::claveDeFila(const CollectionPtr& f) const
{
    QString clave;
    for (const QString& campo : camposClave_)
        clave += QLatin1Char('#') + textoValor(valorEnFila(f, campo));
    return clave;
}

QString clsMultiTabla::RegistroActual()
{
    return registroActual_;
}

Variant clsMultiTabla::Datos()
{
    return datos_ ? Variant(datos_) : Variant();
}

std::int32_t clsMultiTabla::Count() { return datos_ ? datos_->Count() : 0; }

void clsMultiTabla::Clear()
{
    datos_.reset();
    valoresLeidos_.clear();
    edicion_.clear();
    listaSelect_.clear();
}

Variant clsMultiTabla::TodosLosRegistros()
{
    Variant r(QString{});
    guarded(QStringLiteral("Property TodosLosRegistros"),
        [&] {
            const int n = Count();
            if (n == 0)
                return;
            auto a = std::make_shared<VArray>(0, n - 1);
            for (int i = 1; i <= n; ++i)
                a->at(i - 1) = Variant(KeyRegistro(i));
            r = Variant(a);
        });
    return r;
}

std::int32_t clsMultiTabla::PosicionRegistro(const QString& QueRegistro)
{
    std::int32_t r = 0;
    guarded(QStringLiteral("Función PosicionRegistro"),
        [&] {
            for (int i = 1; i <= Count(); ++i)
                if (KeyRegistro(i) == QueRegistro) {
                    r = i;
                    return;
                }
        });
    return r;
}

QString clsMultiTabla::KeyRegistro(std::int32_t QueRegistro, const CollectionPtr& QueColeccion)
{
    QString r;
    guarded(QStringLiteral("Función KeyRegistro"),
        [&] {
            if (!QueColeccion) {
                if (!datos_)
                    raise(Error::SubscriptOutOfRange, QStringLiteral("No hay registros cargados"));
                // A held record keeps the key it was read or created under.
                r = datos_->KeyAt(QueRegistro);
                if (r.isEmpty())
                    r = claveDeFila(datos_->Item(Variant(QueRegistro)).as<Collection>());
                return;
            }
            r = claveDeFila(QueColeccion->Item(Variant(QueRegistro)).as<Collection>());
        });
    return r;
}

// The record key a caller means: Empty or "" is the current record (else the
// first), a number is a position.
QString clsMultiTabla::resolverRegistro(const Variant& registro, bool)
{
    if (esVacio(registro)) {
        if (!registroActual_.isEmpty())
            return registroActual_;
        return Count() > 0 ? KeyRegistro(1) : QString();
    }
    if (registro.isNumber())
        return KeyRegistro(registro.toLong());
    return ValueText::displayText(registro);
}

QString clsMultiTabla::NuevoRegistro()
{
    QString r;
    guarded(QStringLiteral("Función NuevoRegistro"),
        [&] {
            if (!permiso(3)) {
                if (!avisoPermiso_)
                    mostrarAviso(QStringLiteral("No dispone de permisos para esta operación"));
                avisoPermiso_ = true;
                return;
            }
            ++contadorNuevos_;
            auto f = newCollection();
            const int total = estructuraCount() + externosCount();
            for (int p = 1; p <= total; ++p)
                f->Add(Variant::null(), nombreCampoInterno(p));
            if (!datos_)
                datos_ = newCollection();
            const QString clave =
                nombreTabla_ + QLatin1Char('-') + usuario() + QLatin1Char('-') + QString::number(contadorNuevos_);
            datos_->Add(Variant(f), clave);
            edicion_.add({clave, QStringLiteral("A"), {}});
            registroActual_ = clave;
            r = clave;
        });
    return r;
}

Variant clsMultiTabla::ValorCampo(std::int16_t NumeroCampo, const Variant& QueRegistros)
{
    return ValorCampo(QString::number(NumeroCampo), QueRegistros);
}

Variant clsMultiTabla::ValorCampo(const QString& QueCampo, const Variant& QueRegistros)
{
    Variant r;
    guarded(QStringLiteral("Property Get ValorCampo"),
        [&] {
            if (QueRegistros.isArray()) {
                const VArrayPtr regs = QueRegistros.array();
                auto a = std::make_shared<VArray>(0, regs->ubound());
                for (int i = regs->lbound(); i <= regs->ubound(); ++i) {
                    const CollectionPtr f = filaRequerida(resolverRegistro(regs->at(i), false));
                    if (i >= 0)
                        a->at(i) = valorEnFila(f, QueCampo);
                }
                r = Variant(a);
                return;
            }
            CollectionPtr f;
            QString clave;
            if (esVacio(QueRegistros)) {
                if (!registroActual_.isEmpty())
                    f = fila(clave = registroActual_);
                else if (Count() > 0)
                    f = datos_->Item(Variant(std::int32_t(1))).as<Collection>();
            } else if (QueRegistros.isNumber()) {
                const int p = QueRegistros.toLong();
                if (p >= 1 && p <= Count())
                    f = datos_->Item(Variant(std::int32_t(p))).as<Collection>();
                clave = QString::number(p);
            } else {
                clave = ValueText::displayText(QueRegistros);
                f = fila(clave);
                if (!f)
                    for (int i = 1; i <= Count(); ++i)
                        if (KeyRegistro(i) == clave) {
                            f = datos_->Item(Variant(std::int32_t(i))).as<Collection>();
                            break;
                        }
            }
            if (!f) {
                SystemMsgBox(QStringLiteral("No se ha podido localizar el registro ") + clave);
                r = Variant(QString());
                return;
            }
            r = valorEnFila(f, QueCampo);
        });
    return r;
}

void clsMultiTabla::setValorCampo(std::int16_t NumeroCampo, const Variant& vNuevoValorCampo, const Variant& QueRegistros)
{
    setValorCampo(QString::number(NumeroCampo), vNuevoValorCampo, QueRegistros);
}

void clsMultiTabla::setValorCampo(const QString& QueCampo, const Variant& vNuevoValorCampo, const Variant& QueRegistros)
{
    guarded([&] { return descripcionLet(QueCampo, QueRegistros, vNuevoValorCampo); },
        [&] {
            if (bloqueoDenegado_)
                return;
            if (!permiso(3)) {
                if (!avisoPermiso_)
                    mostrarAviso(QStringLiteral("No dispone de permisos para esta operación"));
                avisoPermiso_ = true;
                return;
            }
            const bool porPosicion = esPosicion(Variant(QueCampo));
            const int posicion = porPosicion ? QueCampo.toInt() : posicionCampoInterno(QueCampo);
            const QString campo = porPosicion ? nombreCampoInterno(posicion) : QueCampo;
            if (posicion < 1)
                raise(Error::InvalidProcedureCall, QStringLiteral("El campo no existe"));

            if (!QueRegistros.isArray()) {
                const QString clave = resolverRegistro(QueRegistros, true);
                const CollectionPtr f = fila(clave);
                if (!f) {
                    SystemMsgBox(QStringLiteral("No se ha podido localizar el registro ") + clave);
                    return;
                }
                const Variant guardado = valorEnFila(f, campo);
                if (!guardado.isNull() && mismoFormato(campo, vNuevoValorCampo, guardado))
                    return;
                bool abortar = false;
                setValorUno(campo, posicion, clave, vNuevoValorCampo, true, &abortar);
                return;
            }
            const VArrayPtr regs = QueRegistros.array();
            for (int i = regs->lbound(); i <= regs->ubound(); ++i) {
                if (regs->at(i).isNumber())
                    regs->at(i) = Variant(KeyRegistro(regs->at(i).toLong()));
                const QString clave = ValueText::displayText(regs->at(i));
                const CollectionPtr f = fila(clave);
                if (!f) {
                    SystemMsgBox(QStringLiteral("No se ha podido localizar el registro ") + clave);
                    return;
                }
                if (mismoFormato(campo, vNuevoValorCampo, valorEnFila(f, campo)))
                    continue;
                bool abortar = false;
                setValorUno(campo, posicion, clave, vNuevoValorCampo, false, &abortar);
                if (abortar)
                    return;
            }
        });
}

void clsMultiTabla::setValorUno(const QString& campo, int posicion, const QString& clave, const Variant& valor,
                                bool quitarBaja, bool* abortar)
{
    EntradaEdicion* entrada = edicion_.find(clave);
    if (!entrada || entrada->modo != QLatin1String("M")) {
        if (RegistroNoBloqueado(clave)) {
            if (!BloquearRegistro(clave, QString())) {
                bloqueoDenegado_ = true;
                *abortar = true;
                return;
            }
        }
        if (entrada && entrada->modo == QLatin1String("B") && quitarBaja) {
            edicion_.remove(clave);
            entrada = nullptr;
        }
        // An "A" (or kept "B") entry refuses the "M" entry: the record keeps its state.
        edicion_.add({clave, QStringLiteral("M"), {posicion}});
        entrada = edicion_.find(clave);
    }
    if (entrada && entrada->modo == QLatin1String("M")) {
        if (std::find(entrada->posiciones.begin(), entrada->posiciones.end(), posicion) == entrada->posiciones.end())
            entrada->posiciones.push_back(posicion);
        edicion_.moveToEnd(clave);
    }
    const CollectionPtr f = fila(clave);
    QString nombre = campo;
    if (!f->Exists(nombre))
        nombre = nombreCampoInterno(posicion);
    f->Item(Variant(nombre)) = valor;
}

bool clsMultiTabla::BorrarRegistro(const Variant& QueRegistros, bool IgnorarBloqueo)
{
    bool r = false;
    guarded(QStringLiteral("Función BorrarRegistro"),
        [&] {
            if (bloqueoDenegado_)
                return;
            if (!permiso(5)) {
                mostrarAviso(QStringLiteral("Borrado de Registro: No dispone de permisos para esta operación"));
                return;
            }
            // One record: true unless a lock stands in the way.
            auto borrarUno = [&](const QString& clave) -> bool {
                if (!existeClave(clave))
                    return true;
                EntradaEdicion* entrada = edicion_.find(clave);
                if (!entrada) {
                    const bool libre = RegistroNoBloqueado(clave);
                    if (libre && !BloquearRegistro(clave, QString())) {
                        bloqueoDenegado_ = true;
                        return false;
                    }
                    if (!libre && !IgnorarBloqueo)
                        return false;
                    edicion_.add({clave, QStringLiteral("B"), {}});
                    return true;
                }
                if (entrada->modo == QLatin1String("A")) {
                    edicion_.remove(clave);
                    datos_->Remove(Variant(clave));
                    if (registroActual_.compare(clave, Qt::CaseInsensitive) == 0)
                        registroActual_.clear();
                    return true;
                }
                if (entrada->modo == QLatin1String("M")) {
                    if (!RegistroNoBloqueado(clave))
                        return false;
                    if (!BloquearRegistro(clave, QString())) {
                        bloqueoDenegado_ = true;
                        return false;
                    }
                    edicion_.remove(clave);
                    edicion_.add({clave, QStringLiteral("B"), {}});
                    return true;
                }
                return true;
            };
            if (!QueRegistros.isArray()) {
                r = borrarUno(resolverRegistro(QueRegistros, true));
                return;
            }
            const VArrayPtr regs = QueRegistros.array();
            for (int i = regs->lbound(); i <= regs->ubound(); ++i) {
                if (regs->at(i).isNumber())
                    regs->at(i) = Variant(KeyRegistro(regs->at(i).toLong()));
                if (!borrarUno(ValueText::displayText(regs->at(i))))
                    return;
            }
            r = true;
        });
    return r;
}

QString clsMultiTabla::BuscarRegistro(const Variant& ValoresCondicion, const Variant& CamposCondicion)
{
    QString r;
    try {
        if (Count() == 0)
            return r;
        if (!ValoresCondicion.isArray()) {
            const QString s = ValueText::displayText(ValoresCondicion);
            if (s.contains(QLatin1Char('#')) || (!nombreTabla_.isEmpty() && s.startsWith(nombreTabla_))) {
                if (existeClaveExacta(s)) {
                    registroActual_ = s;
                    r = s;
                }
                return r;
            }
        }
        const QStringList campos = esVacio(CamposCondicion) ? camposClave_ : listaDe(CamposCondicion);
        const bool camposLista = esVacio(CamposCondicion) ? camposClave_.size() > 1 : CamposCondicion.isArray();
        const bool claveLista = camposClave_.size() > 1;
        const bool porClave = camposLista == claveLista && campos == camposClave_;
        const QStringList valores = listaDe(ValoresCondicion);
        std::vector<Variant> buscados;
        if (ValoresCondicion.isArray()) {
            const VArrayPtr a = ValoresCondicion.array();
            for (int i = a->lbound(); i <= a->ubound(); ++i)
                buscados.push_back(a->at(i));
        } else {
            buscados.push_back(ValoresCondicion);
        }
        if (porClave) {
            QString texto;
            for (const QString& v : valores)
                texto += QLatin1Char('#') + v;
            if (existeClaveExacta(texto)) {
                registroActual_ = texto;
                return registroActual_;
            }
            if (ValoresCondicion.isArray())
                return r;
        }
        for (int i = 1; i <= Count(); ++i) {
            const CollectionPtr f = datos_->Item(Variant(std::int32_t(i))).as<Collection>();
            bool igual = !campos.isEmpty();
            for (int j = 0; j < campos.size() && igual; ++j) {
                if (j >= int(buscados.size()) || !f)
                    igual = false;
                else
                    igual = mismoValor(valorEnFila(f, campos.at(j)), buscados[j]);
            }
            if (igual) {
                registroActual_ = KeyRegistro(i);
                return registroActual_;
            }
        }
    } catch (...) {
    }
    return r;
}

bool clsMultiTabla::ExisteRegistro(const Variant& ValoresCondicion, const Variant& CamposCondicion)
{
    bool r = false;
    guarded(QStringLiteral("Función ExisteRegistro"),
        [&] {
            if (!BuscarRegistro(ValoresCondicion, CamposCondicion).isEmpty()) {
                r = true;
                return;
            }
            const QStringList campos = esVacio(CamposCondicion) ? camposClave_ : listaDe(CamposCondicion);
            if (campos.isEmpty())
                return;
            // The sets of values that may be meant, one value per field.
            std::vector<std::vector<Variant>> juegos;
            if (ValoresCondicion.isArray()) {
                const VArrayPtr a = ValoresCondicion.array();
                std::vector<Variant> v;
                for (int i = a->lbound(); i <= a->ubound(); ++i)
                    v.push_back(a->at(i));
                if (int(v.size()) != campos.size())
                    return;
                juegos.push_back(v);
            } else if (campos.size() == 1) {
                QString s = ValueText::displayText(ValoresCondicion);
                if (s.startsWith(QLatin1Char('#')))
                    s.remove(0, 1);
                juegos.push_back({Variant(s)});
            } else {
                QString s = ValueText::displayText(ValoresCondicion);
                if (s.startsWith(QLatin1Char('#')))
                    s.remove(0, 1);
                const QStringList partes = s.split(QLatin1Char('#'));
                if (partes.size() < campos.size())
                    return;
                std::vector<QStringList> grupos;
                QStringList actual;
                agrupar(partes, 0, int(campos.size()), actual, grupos);
                for (const QStringList& g : grupos) {
                    std::vector<Variant> v;
                    for (const QString& t : g)
                        v.push_back(Variant(t));
                    juegos.push_back(v);
                }
            }
            // A reading whose values do not fit the key's types is not meant.
            QStringList condiciones;
            std::optional<Error> primerError;
            for (const auto& v : juegos) {
                try {
                    condiciones << condicionClave(std::vector<QString>(campos.begin(), campos.end()), v);
                } catch (const Error& e) {
                    if (!primerError)
                        primerError = e;
                }
            }
            if (condiciones.isEmpty() && primerError)
                throw *primerError;
            if (condiciones.isEmpty())
                return;
            const QString condicion = condiciones.size() == 1
                                          ? condiciones.first()
                                          : QLatin1Char('(') + condiciones.join(QStringLiteral(") OR (")) + QLatin1Char(')');
            if (!AgregarRegistros(condicion))
                return;
            r = !BuscarRegistro(ValoresCondicion, CamposCondicion).isEmpty();
        });
    return r;
}

QString clsMultiTabla::condicionClave(const std::vector<QString>& campos, const std::vector<Variant>& valores,
                                      bool columnasDeLaTabla)
{
    QStringList partes;
    for (std::size_t i = 0; i < campos.size(); ++i) {
        const Variant v = i < valores.size() ? valores[i] : Variant::null();
        const QString nombre = columnasDeLaTabla ? nombreColumna(campos[i]) : nombreCalificado(campos[i]);
        // "= NULL" matches no row, whatever the type.
        if (v.isNull()) {
            partes << nombre + QStringLiteral(" IS NULL");
            continue;
        }
        const QString lit = literal(campos[i], v);
        partes << nombre + (lit == QLatin1String("NULL") ? QStringLiteral(" IS NULL") : QStringLiteral(" = ") + lit);
    }
    return partes.join(QStringLiteral(" AND "));
}

// ---------------------------------------------------------------- edit state

QString clsMultiTabla::ModoEdicion(const QString& QueRegistro)
{
    QString r;
    guarded(QStringLiteral("Función ModoEdicion"),
        [&] {
            const QString clave = QueRegistro.isEmpty() ? registroActual_ : QueRegistro;
            const EntradaEdicion* e = clave.isEmpty() ? edicion_.at(1) : edicion_.find(clave);
            if (e)
                r = e->modo;
        });
    return r;
}

std::int32_t clsMultiTabla::RegistrosEditados() { return edicion_.size(); }

CollectionPtr clsMultiTabla::CamposEditados(const QString& QueRegistro)
{
    auto c = newCollection();
    const EntradaEdicion* e = edicion_.find(QueRegistro);
    if (!e)
        return c;
    if (e->modo != QLatin1String("M"))
        raise(Error::SubscriptOutOfRange, QStringLiteral("El registro no tiene campos editados"));
    for (int p : e->posiciones) {
        auto item = newCollection();
        const QString nombre = nombreCampoInterno(p);
        item->Add(Variant(nombre), QStringLiteral("Name"));
        item->Add(Variant(std::int16_t(p)), QStringLiteral("Position"));
        c->Add(Variant(item), nombre);
    }
    return c;
}

// ---------------------------------------------------------------- values as SQL

std::int16_t clsMultiTabla::dialecto() const
{
    return objetoConsulta_ ? objetoConsulta_->DialectKind() : std::int16_t(1);
}

QString clsMultiTabla::literalBooleano(bool valor) const
{
    if (dialecto() == 1)
        return valor ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
    return valor ? QStringLiteral("1") : QStringLiteral("0");
}

// The date-time wrappers of the data-access object are made to go around a
// column (and give no valid SQL around a quoted value), and its date literal
// drops the time; a date-time value is written by the one rule the INSERT
// script shares.
QString clsMultiTabla::literalFechaHora(const QDateTime& fecha) const
{
    return sqltext::dateTimeLiteral(dialecto(), fecha);
}

QString clsMultiTabla::literal(const QString& campo, const Variant& valor) const
{
    const int tipo = tipoCampo(campo);
    try {
        return literalDeTipo(tipo, campo, valor);
    } catch (const Error& e) {
        QString texto;
        if (!valor.isArray() && !valor.isObject())
            texto = ValueText::displayText(valor);
        raise(e.number, QStringLiteral("El valor '%1' no es válido para el campo %2").arg(texto, campo));
    }
}

QString clsMultiTabla::literalDeTipo(int tipo, const QString& campo, const Variant& valor) const
{
    const bool vacio = esVacio(valor);
    const QString null = QStringLiteral("NULL");
    switch (tipo) {
    case 8:
        if (valor.isNull() || valor.isEmpty())
            return QStringLiteral("''");
        return literalDO(QStringLiteral("string"), valor);
    case 11: {
        if (vacio)
            return null;
        if (valor.isBoolean() || valor.isNumber())
            return literalBooleano(valor.toBool());
        const QString t = ValueText::toText(valor).trimmed();
        if (t.compare(ValueText::booleanText(true), Qt::CaseInsensitive) == 0 ||
            t.compare(QStringLiteral("S"), Qt::CaseInsensitive) == 0 || t == QLatin1String("1"))
            return literalBooleano(true);
        if (t.compare(ValueText::booleanText(false), Qt::CaseInsensitive) == 0 ||
            t.compare(QStringLiteral("N"), Qt::CaseInsensitive) == 0 || t == QLatin1String("0"))
            return literalBooleano(false);
        raise(Error::TypeMismatch, QStringLiteral("El valor '%1' del campo %2 no es un valor lógico").arg(t, campo));
    }
    case 7: {
        if (vacio)
            return null;
        const QDateTime d = valor.toDate();
        if (ValueText::toText(valor).size() <= 10)
            return literalDO(QStringLiteral("date"), Variant(d));
        return literalFechaHora(d);
    }
    case 6:
        if (vacio)
            return null;
        return numeroSQL(Variant(valor.toCurrency()));
    case 5:
        if (vacio)
            return null;
        return numeroSQL(Variant(valor.toDouble()));
    case 4:
        // At single precision, so a held value and the text the grid shows of it read the same.
        if (vacio)
            return null;
        return numeroSQL(Variant(valor.toSingle()));
    case 3:
    case 2:
    case 17:
        if (vacio)
            return null;
        return QString::number(valor.toLongLong());
    default:
        // Types without a rule of their own never reach SQL raw.
        if (vacio)
            return null;
        if (valor.isNumber())
            return numeroSQL(valor);
        return literalDO(QStringLiteral("string"), valor);
    }
}

// A literal by the data-access object's own rule for a type word; Empty means
// it could not write the value (and has said so).
QString clsMultiTabla::literalDO(const QString& tipo, const Variant& valor) const
{
    const Variant r = consulta().SQLFormat(tipo, valor);
    if (r.isEmpty())
        raise(Error::TypeMismatch, QStringLiteral("No se puede escribir el valor como %1").arg(tipo));
    return ValueText::toText(r);
}

bool clsMultiTabla::mismoFormato(const QString& campo, const Variant& a, const Variant& b) const
{
    try {
        return literal(campo, a) == literal(campo, b);
    } catch (...) {
        return false;
    }
}

Variant clsMultiTabla::DarFormato(const QString& QueCampo, const Variant& QueDato)
{
    Variant r;
    guarded(QStringLiteral("Función DarFormato"), [&] { r = Variant(literal(QueCampo, QueDato)); });
    return r;
}
