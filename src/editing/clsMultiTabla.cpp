#include "editing/clsMultiTabla.h"

#include "core/Dialogs.h"
#include "core/Error.h"
#include "core/ValueText.h"
#include "data/clsDO.h"
#include "data/clsDO_sqltext.h"
#include "messages/clsError.h"
#include "services/clsTablas.h"

#include <algorithm>
#include <functional>

namespace {

const QString Componente = QStringLiteral("Quillet12.clsMultiTabla");
const QString CrLf = QStringLiteral("\r\n");

bool esVacio(const Variant& v)
{
    return v.isNull() || v.isEmpty() || (v.isString() && v.toString().isEmpty());
}

// A text or number that names a position rather than a field.
bool esPosicion(const Variant& v)
{
    if (v.isNumber())
        return true;
    if (!v.isString())
        return false;
    bool ok = false;
    v.toString().toInt(&ok);
    return ok;
}

QString textoValor(const Variant& v) { return ValueText::displayText(v); }

// A number written for SQL: the text the value reads as, with "." as decimal mark.
QString numeroSQL(const Variant& v)
{
    QString t = ValueText::toText(v);
    const QChar d = ValueText::decimalSeparator();
    if (d != QLatin1Char('.'))
        t.replace(d, QLatin1Char('.'));
    return t;
}

// Values of one field or of a list of fields ("one name or an array").
QStringList listaDe(const Variant& v)
{
    QStringList out;
    if (v.isArray()) {
        const VArrayPtr a = v.array();
        for (int i = a->lbound(); i <= a->ubound(); ++i)
            out << ValueText::displayText(a->at(i));
    } else if (!v.isEmpty()) {
        out << ValueText::displayText(v);
    }
    return out;
}

Variant variantDeLista(const QStringList& l)
{
    if (l.isEmpty())
        return Variant(QString());
    if (l.size() == 1)
        return Variant(l.first());
    auto a = std::make_shared<VArray>(0, int(l.size()) - 1);
    for (int i = 0; i < l.size(); ++i)
        a->at(i) = Variant(l.at(i));
    return Variant(a);
}

// Variant equality as a comparison in an expression: numbers by value, the rest by text.
bool mismoValor(const Variant& a, const Variant& b)
{
    if (a.isNull() || b.isNull())
        return false;
    if (a.isNumber() && b.isNumber())
        return a.toDouble() == b.toDouble();
    if (a.isNumber() || b.isNumber()) {
        const auto x = ValueText::parseNumber(ValueText::displayText(a));
        const auto y = ValueText::parseNumber(ValueText::displayText(b));
        if (x && y)
            return *x == *y;
    }
    return ValueText::displayText(a) == ValueText::displayText(b);
}

QString sinPrefijo(const QString& campo, const QString& tabla)
{
    const QString prefijo = tabla + QLatin1Char('.');
    if (campo.startsWith(prefijo, Qt::CaseInsensitive))
        return campo.mid(prefijo.size());
    return campo;
}

// Every way of cutting parts into n consecutive groups (the ways "#" may
// separate n key values when some of the values contain "#" themselves).
void agrupar(const QStringList& partes, int desde, int grupos, QStringList& actual,
             std::vector<QStringList>& salida)
{
    if (grupos == 1) {
        actual << partes.mid(desde).join(QLatin1Char('#'));
        salida.push_back(actual);
        actual.removeLast();
        return;
    }
    for (int fin = desde + 1; fin <= partes.size() - grupos + 1; ++fin) {
        actual << partes.mid(desde, fin - desde).join(QLatin1Char('#'));
        agrupar(partes, fin, grupos - 1, actual, salida);
        actual.removeLast();
    }
}

} // namespace

// ---------------------------------------------------------------- edit list

clsMultiTabla::EntradaEdicion* clsMultiTabla::ListaEdicion::find(const QString& clave)
{
    auto it = index_.find(Collection::foldKey(clave));
    return it == index_.end() ? nullptr : &*it.value();
}

clsMultiTabla::EntradaEdicion* clsMultiTabla::ListaEdicion::at(int posicion)
{
    if (posicion < 1 || posicion > size())
        return nullptr;
    auto it = items_.begin();
    std::advance(it, posicion - 1);
    return &*it;
}

void clsMultiTabla::ListaEdicion::add(EntradaEdicion e)
{
    const QString k = Collection::foldKey(e.clave);
    if (index_.contains(k))
        return;
    items_.push_back(std::move(e));
    index_.insert(k, std::prev(items_.end()));
}

void clsMultiTabla::ListaEdicion::remove(const QString& clave)
{
    auto it = index_.find(Collection::foldKey(clave));
    if (it == index_.end())
        return;
    items_.erase(it.value());
    index_.erase(it);
}

void clsMultiTabla::ListaEdicion::moveToEnd(const QString& clave)
{
    auto it = index_.find(Collection::foldKey(clave));
    if (it == index_.end())
        return;
    items_.splice(items_.end(), items_, it.value());
}

void clsMultiTabla::ListaEdicion::clear()
{
    items_.clear();
    index_.clear();
}

std::vector<clsMultiTabla::EntradaEdicion*> clsMultiTabla::ListaEdicion::all()
{
    std::vector<EntradaEdicion*> out;
    for (auto& e : items_)
        out.push_back(&e);
    return out;
}

// ---------------------------------------------------------------- life

clsMultiTabla::clsMultiTabla()
    : condicionesExternas_(newCollection()), camposExternos_(newCollection())
{
}

clsMultiTabla::~clsMultiTabla()
{
    try {
        terminate();
    } catch (...) {
    }
}

void clsMultiTabla::Terminar() { terminate(); }

void clsMultiTabla::terminate()
{
    if (objetoConsulta_) {
        try {
            DesbloquearRegistro(QStringLiteral("TODOS"));
        } catch (...) {
        }
    }
    parent_.reset();
    objetoConsulta_.reset();
    objetoError_.reset();
    objetoTablas_.reset();
}

void clsMultiTabla::reportError(const QString& procedimiento, const QString& descripcion)
{
    const QString texto = descripcion.isEmpty() ? procedimiento : procedimiento + CrLf + QStringLiteral("Error: ") + descripcion;
    if (objetoError_)
        objetoError_->MostrarError(texto, Componente, 16, QStringLiteral("Error"));
    else
        SystemMsgBox(texto, 16, QStringLiteral("Error"));
}

// A write-back that wrote nothing is always told, through the message dialog
// (the class error reports may be switched off). The data go in as BraceBlocks
// so that only the words around them are translated.
void clsMultiTabla::avisoEscritura(const QString& texto, const QStringList& datos)
{
    QString conLlaves = texto;
    QString plano = texto;
    for (int i = 0; i < datos.size(); ++i) {
        conLlaves = conLlaves.arg(BraceBlock(i + 1, datos.at(i)));
        plano = plano.arg(datos.at(i));
    }
    if (objetoError_)
        objetoError_->MsgBox(conLlaves, 16, QStringLiteral("Error"));
    else
        SystemMsgBox(plano, 16, QStringLiteral("Error"));
}

void clsMultiTabla::mostrarAviso(const QString& texto)
{
    if (objetoError_)
        objetoError_->MostrarError(texto, Componente, 64, QStringLiteral("Seguridad"));
    else
        SystemMsgBox(texto, 64, QStringLiteral("Seguridad"));
}

QString clsMultiTabla::descripcionLet(const QString& campo, const Variant& registros, const Variant& valor) const
{
    QString reg;
    if (registros.isArray())
        reg = listaDe(registros).join(QLatin1Char(','));
    else
        reg = ValueText::displayText(registros);
    QString nuevo;
    if (!valor.isArray() && !valor.isObject())
        nuevo = ValueText::displayText(valor);
    return QStringLiteral("Property Let ValorCampo") + CrLf + QStringLiteral("Campo: ") + campo + CrLf +
           QStringLiteral("Registro: ") + reg + CrLf + QStringLiteral("NuevoValor: ") + nuevo;
}

// ---------------------------------------------------------------- loading

bool clsMultiTabla::ParametrosNecesarios(const QString& BaseDatos, const QString& NombreTabla,
                                         const QString& Agrupacion, const QString& Modulo)
{
    if (BaseDatos.isEmpty() || NombreTabla.isEmpty() || Agrupacion.isEmpty() || Modulo.isEmpty())
        return false;
    baseDatos_ = BaseDatos;
    nombreTabla_ = NombreTabla;
    agrupacion_ = Agrupacion;
    modulo_ = Modulo;
    return true;
}

bool clsMultiTabla::Iniciar(ObjectPtr oParent, std::shared_ptr<clsDO> ObjetoConsulta,
                            std::shared_ptr<clsError> ObjetoError, std::shared_ptr<clsTablas> ObjetoTablas,
                            const QString& pSQL, bool CargaCompleta, const QString& BaseDatos,
                            const QString& NombreTabla, const QString& Agrupacion, const QString& Modulo,
                            const QString& sDistinct, const Variant& vListaCamposClave)
{
    bool resultado = false;
    trap(
        [&] {
            if (!(BaseDatos + NombreTabla + Agrupacion + Modulo).isEmpty())
                ParametrosNecesarios(BaseDatos, NombreTabla, Agrupacion, Modulo);
            if (baseDatos_.isEmpty() || nombreTabla_.isEmpty() || agrupacion_.isEmpty() || modulo_.isEmpty()) {
                const QStringList lineas = {
                    QStringLiteral("Quillet. Se está haciendo una carga de este servicio sin utilizar la función pública"),
                    QStringLiteral("ParametrosNecesarios(BaseDatos,NombreTabla,Agrupacion,Modulo)."),
                    QStringLiteral("BaseDatos por defecto será 'Ejercicio'"),
                    QStringLiteral("Tabla será el nombre de la tabla"),
                    QStringLiteral("Agrupación el nombre de la agrupación de la que depende en ese momento el módulo"),
                    QStringLiteral("Modulo es el nombre del módulo que está llamando en ese momento."),
                    QStringLiteral("Tambien pueden pasarse estos parámetros al final de la función Iniciar y así hacerlo "
                                   "todo en una sola llamada."),
                };
                SystemMsgBox(lineas.join(QLatin1Char('\r')), 64, QStringLiteral("Aviso"));
                return;
            }
            parent_ = oParent;
            objetoConsulta_ = std::move(ObjetoConsulta);
            objetoError_ = std::move(ObjetoError);
            objetoTablas_ = std::move(ObjetoTablas);
            if (!permiso(2)) {
                SystemMsgBox(QStringLiteral("No dispone de permisos para abrir el módulo"), 64, QStringLiteral("Aviso"));
                terminate();
                return;
            }
            Clear();
            estructura_ = objetoTablas_->ObtenerEstructuraTabla(baseDatos_, nombreTabla_).as<Collection>();
            if (!estructura_ || estructura_->Count() == 0)
                return;
            listaSelect_ = sDistinct.isEmpty() ? nombreTabla_ + QStringLiteral(".*") : sDistinct;
            if (CargaCompleta)
                CamposExternos();
            if (vListaCamposClave.isArray()) {
                camposClave_.clear();
                posicionesClave_.clear();
                const VArrayPtr a = vListaCamposClave.array();
                for (int i = a->lbound(); i <= a->ubound(); ++i)
                    AñadirCampoClave(ValueText::displayText(a->at(i)));
            } else if (vListaCamposClave.isString() && !vListaCamposClave.toString().isEmpty()) {
                camposClave_.clear();
                posicionesClave_.clear();
                AñadirCampoClave(vListaCamposClave.toString());
            }
            // Without a key, the first field is the key.
            if (camposClave_.isEmpty()) {
                camposClave_ << nombreCampoInterno(1);
                posicionesClave_ = {0};
            }
            filtro_ = textoFiltro(pSQL);
            sentencia_ = sentenciaSelect(filtro_);
            sentenciaCarga_ = sentencia_;
            if (const CollectionPtr filas = cargar(sentencia_, 1, true))
                sustituirDatos(filas);
            contadorNuevos_ = totalRegistros_;
            resultado = true;
        },
        [&](const Error& e) { reportError(QStringLiteral("Función Iniciar"), e.description); });
    return resultado;
}

QString clsMultiTabla::textoFiltro(const QString& filtro) const
{
    if (filtro.isEmpty())
        return QString();
    QString t = filtro;
    while (t.startsWith(QLatin1Char(' ')))
        t.remove(0, 1);
    if (t.left(8).compare(QStringLiteral("ORDER BY"), Qt::CaseInsensitive) == 0)
        return QStringLiteral(" ") + filtro;
    if (!whereExterno_.isEmpty())
        return QStringLiteral(" AND ") + filtro;
    return QStringLiteral(" WHERE ") + filtro;
}

QString clsMultiTabla::sentenciaSelect(const QString& filtroTexto) const
{
    return QStringLiteral("SELECT ") + listaSelect_ + selectExterno_ + QStringLiteral(" FROM ") + nombreTabla_ +
           tablasExternas_ + whereExterno_ + filtroTexto;
}

Variant clsMultiTabla::posicionesVariant() const
{
    if (posicionesClave_.size() == 1)
        return Variant(std::int16_t(posicionesClave_.front()));
    auto a = std::make_shared<VArray>(0, int(posicionesClave_.size()) - 1);
    for (int i = 0; i < int(posicionesClave_.size()); ++i)
        a->at(i) = Variant(std::int16_t(posicionesClave_[i]));
    return Variant(a);
}

// Runs a SELECT of the table through the data-access object and returns its
// rows keyed by record key, each row keyed by the field names of the
// structure.
CollectionPtr clsMultiTabla::cargar(const QString& sql, std::int32_t desde, bool contadores)
{
    const Variant r = consulta().Instantanea(baseDatos_, sql, posicionesVariant(), true, desde, contadores);
    const CollectionPtr origen = r.as<Collection>();
    if (!origen)
        return nullptr;
    if (contadores)
        tomarContadores(origen);
    auto salida = newCollection();
    const int campos = estructuraCount() + externosCount();
    for (int i = 1; i <= origen->Count(); ++i) {
        const CollectionPtr fuente = origen->Item(Variant(std::int32_t(i))).as<Collection>();
        if (!fuente)
            continue;
        auto fila = newCollection();
        for (int p = 1; p <= fuente->Count(); ++p) {
            const QString nombre = p <= campos ? nombreCampoInterno(p) : fuente->KeyAt(p);
            fila->Add(fuente->Item(Variant(std::int32_t(p))), nombre);
        }
        QString clave;
        for (const Variant& v : valoresClaveDeFila(fila))
            clave += QLatin1Char('#') + textoValor(v);
        if (salida->Exists(clave))
            continue;
        salida->Add(Variant(fila), clave);
    }
    return salida;
}

// The key values go in only with the row they belong to: a row read but not
// held must not change what the write-back of a held row targets.
void clsMultiTabla::retener(const QString& clave, const CollectionPtr& f)
{
    if (!datos_)
        datos_ = newCollection();
    datos_->Add(Variant(f), clave);
    valoresLeidos_.insert(Collection::foldKey(clave), valoresClaveDeFila(f));
}

void clsMultiTabla::sustituirDatos(const CollectionPtr& filas)
{
    datos_ = newCollection();
    valoresLeidos_.clear();
    for (int i = 1; i <= filas->Count(); ++i)
        retener(filas->KeyAt(i), filas->Item(Variant(std::int32_t(i))).as<Collection>());
}

void clsMultiTabla::tomarContadores(const CollectionPtr& resultado)
{
    const QString clave = QStringLiteral("ContadoresCampos");
    CollectionPtr c;
    if (resultado->Exists(clave)) {
        c = resultado->Item(Variant(clave)).as<Collection>();
        resultado->Remove(Variant(clave));
    } else if (resultado->Count() > 0) {
        c = resultado->Item(Variant(std::int32_t(resultado->Count()))).as<Collection>();
        if (c && c->Exists(QStringLiteral("TotalRegistros")))
            resultado->Remove(Variant(std::int32_t(resultado->Count())));
        else
            c.reset();
    }
    if (!c)
        return;
    totalRegistros_ = c->Item(Variant(QStringLiteral("TotalRegistros"))).toLong();
    posicionInicial_ = c->Item(Variant(QStringLiteral("PosicionInicial"))).toLong();
    posicionFinal_ = c->Item(Variant(QStringLiteral("PosicionFinal"))).toLong();
}

// ---------------------------------------------------------------- structure

int clsMultiTabla::estructuraCount() const { return estructura_ ? estructura_->Count() : 0; }
int clsMultiTabla::externosCount() const { return camposExternos_ ? camposExternos_->Count() : 0; }

QString clsMultiTabla::nombreCampoInterno(int posicion) const
{
    const int n = estructuraCount();
    if (posicion >= 1 && posicion <= n)
        return ValueText::displayText(estructura_->Item(Variant(std::int32_t(posicion))).array()->at(0));
    if (posicion > n && posicion <= n + externosCount())
        return ValueText::displayText(camposExternos_->Item(Variant(std::int32_t(posicion - n))).array()->at(0));
    raise(Error::SubscriptOutOfRange, QStringLiteral("El campo %1 no existe").arg(posicion));
}

int clsMultiTabla::posicionCampoInterno(const QString& campo) const
{
    const QString up = campo.toUpper();
    const int n = estructuraCount();
    if (up.contains((nombreTabla_ + QLatin1Char('.')).toUpper())) {
        for (int i = 1; i <= n; ++i)
            if (nombreCampoInterno(i).toUpper() == up)
                return i;
    }
    for (int j = 1; j <= externosCount(); ++j)
        if (nombreCampoInterno(n + j).toUpper() == up)
            return n + j;
    return 0;
}

std::int16_t clsMultiTabla::PosicionCampo(const QString& QueCampo)
{
    std::int16_t r = 0;
    trap([&] { r = std::int16_t(posicionCampoInterno(QueCampo)); },
         [&](const Error& e) { reportError(QStringLiteral("Función PosicionCampo"), e.description); });
    return r;
}

QString clsMultiTabla::NombreCampo(std::int16_t NumeroCampo)
{
    QString r;
    trap([&] { r = nombreCampoInterno(NumeroCampo); },
         [&](const Error& e) { reportError(QStringLiteral("Función NombreCampo"), e.description); });
    return r;
}

// The type code of a field; a bare name is tried with the table prefix too.
int clsMultiTabla::tipoCampo(const QString& campo) const
{
    int p = posicionCampoInterno(campo);
    if (p == 0 && !campo.contains(QLatin1Char('.')))
        p = posicionCampoInterno(nombreTabla_ + QLatin1Char('.') + campo);
    if (p == 0)
        raise(Error::InvalidProcedureCall, QStringLiteral("El campo %1 no existe en la tabla %2").arg(campo, nombreTabla_));
    const int n = estructuraCount();
    const Variant t = p <= n ? estructura_->Item(Variant(std::int32_t(p))).array()->at(2)
                             : camposExternos_->Item(Variant(std::int32_t(p - n))).array()->at(2);
    return t.toInt();
}

bool clsMultiTabla::AñadirCampoExterno(const QString& sTablaExterna, const QString& sCampoConsultado,
                                       const QString& sCampoTablaExterna, const QString& sTablaPrincipal,
                                       const QString& sCampoTablaPrincipal)
{
    bool r = false;
    trap(
        [&] {
            const QString principal = sTablaPrincipal.isEmpty() ? nombreTabla_ : sTablaPrincipal;
            const QString campoPrincipal = sCampoTablaPrincipal.isEmpty() ? ClaveTabla() : sCampoTablaPrincipal;
            if (!condicionesExternas_->Exists(sTablaExterna)) {
                condicionesExternas_->Add(Variant(sTablaExterna + QLatin1Char('.') + sCampoTablaExterna +
                                                  QStringLiteral(" = ") + principal + QLatin1Char('.') + campoPrincipal),
                                          sTablaExterna);
                tablasExternas_ += QLatin1Char(',') + sTablaExterna;
            }
            const QString calificado = sTablaExterna + QLatin1Char('.') + sCampoConsultado;
            selectExterno_ += QStringLiteral(", ") + calificado;
            auto a = std::make_shared<VArray>(0, 3);
            a->at(0) = Variant(calificado);
            a->at(1) = Variant(false);
            a->at(2) = Variant(std::int16_t(12));
            a->at(3) = Variant(std::int32_t(0));
            camposExternos_->Add(Variant(a), calificado);
            r = true;
        },
        [&](const Error& e) { reportError(QStringLiteral("Función AñadirCampoExterno"), e.description); });
    return r;
}

void clsMultiTabla::CamposExternos()
{
    if (!whereExterno_.isEmpty())
        return;
    for (int i = 1; i <= condicionesExternas_->Count(); ++i) {
        whereExterno_ += (i == 1 ? QStringLiteral(" WHERE ") : QStringLiteral(" AND ")) +
                         ValueText::displayText(condicionesExternas_->Item(Variant(std::int32_t(i))));
    }
}

bool clsMultiTabla::AñadirCampoClave(const QString& NombreCampo)
{
    camposClave_ << NombreCampo;
    posicionesClave_.push_back(posicionCampoInterno(NombreCampo) - 1);
    return true;
}

QString clsMultiTabla::ClaveTabla() const { return camposClave_.join(QLatin1Char(',')); }

QString clsMultiTabla::Campos() const
{
    QStringList nombres;
    for (int i = 1; i <= estructuraCount(); ++i)
        nombres << nombreCampoInterno(i);
    return nombres.join(QStringLiteral(", ")) + selectExterno_;
}

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
    trap(
        [&] {
            const int n = Count();
            if (n == 0)
                return;
            auto a = std::make_shared<VArray>(0, n - 1);
            for (int i = 1; i <= n; ++i)
                a->at(i - 1) = Variant(KeyRegistro(i));
            r = Variant(a);
        },
        [&](const Error& e) { reportError(QStringLiteral("Property TodosLosRegistros"), e.description); });
    return r;
}

std::int32_t clsMultiTabla::PosicionRegistro(const QString& QueRegistro)
{
    std::int32_t r = 0;
    trap(
        [&] {
            for (int i = 1; i <= Count(); ++i)
                if (KeyRegistro(i) == QueRegistro) {
                    r = i;
                    return;
                }
        },
        [&](const Error& e) { reportError(QStringLiteral("Función PosicionRegistro"), e.description); });
    return r;
}

QString clsMultiTabla::KeyRegistro(std::int32_t QueRegistro, const CollectionPtr& QueColeccion)
{
    QString r;
    trap(
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
        },
        [&](const Error& e) { reportError(QStringLiteral("Función KeyRegistro"), e.description); });
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
    trap(
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
        },
        [&](const Error& e) { reportError(QStringLiteral("Función NuevoRegistro"), e.description); });
    return r;
}

Variant clsMultiTabla::ValorCampo(std::int16_t NumeroCampo, const Variant& QueRegistros)
{
    return ValorCampo(QString::number(NumeroCampo), QueRegistros);
}

Variant clsMultiTabla::ValorCampo(const QString& QueCampo, const Variant& QueRegistros)
{
    Variant r;
    trap(
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
        },
        [&](const Error& e) { reportError(QStringLiteral("Property Get ValorCampo"), e.description); });
    return r;
}

void clsMultiTabla::setValorCampo(std::int16_t NumeroCampo, const Variant& vNuevoValorCampo, const Variant& QueRegistros)
{
    setValorCampo(QString::number(NumeroCampo), vNuevoValorCampo, QueRegistros);
}

void clsMultiTabla::setValorCampo(const QString& QueCampo, const Variant& vNuevoValorCampo, const Variant& QueRegistros)
{
    trap(
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
        },
        [&](const Error& e) { reportError(descripcionLet(QueCampo, QueRegistros, vNuevoValorCampo), e.description); });
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
    trap(
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
        },
        [&](const Error& e) { reportError(QStringLiteral("Función BorrarRegistro"), e.description); });
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
    trap(
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
        },
        [&](const Error& e) { reportError(QStringLiteral("Función ExisteRegistro"), e.description); });
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
    trap(
        [&] {
            const QString clave = QueRegistro.isEmpty() ? registroActual_ : QueRegistro;
            const EntradaEdicion* e = clave.isEmpty() ? edicion_.at(1) : edicion_.find(clave);
            if (e)
                r = e->modo;
        },
        [&](const Error& e) { reportError(QStringLiteral("Función ModoEdicion"), e.description); });
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
    trap([&] { r = Variant(literal(QueCampo, QueDato)); },
         [&](const Error& e) { reportError(QStringLiteral("Función DarFormato"), e.description); });
    return r;
}

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
    trap(
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
        },
        [&](const Error& e) { reportError(QStringLiteral("Función ActualizarBBDD"), e.description); });
    return r;
}

// ---------------------------------------------------------------- blocks and linked tables

std::int32_t clsMultiTabla::TotalRegistros() { return totalRegistros_; }

CollectionPtr clsMultiTabla::DameBloque(std::int32_t CuantosRegistros, std::int32_t DesdeCual)
{
    auto resultado = newCollection();
    trap(
        [&] {
            const std::int32_t ultimo = std::min(DesdeCual + CuantosRegistros - 1, totalRegistros_);
            // Adds the rows of the held window from position desde to hasta.
            auto tomar = [&](std::int32_t desde, std::int32_t hasta) {
                int n = 0;
                for (std::int32_t p = desde; p <= hasta; ++p) {
                    const int i = p - posicionInicial_ + 1;
                    if (!datos_ || i < 1 || i > datos_->Count())
                        break;
                    resultado->Add(datos_->Item(Variant(std::int32_t(i))));
                    ++n;
                }
                return n;
            };
            auto ventana = [&](std::int32_t desde) {
                const CollectionPtr w = cargar(sentenciaCarga_, desde, true);
                sustituirDatos(w ? w : newCollection());
            };
            if (DesdeCual > posicionFinal_ || DesdeCual < posicionInicial_)
                ventana(DesdeCual);
            if (ultimo <= posicionFinal_ && DesdeCual >= posicionInicial_) {
                tomar(DesdeCual, ultimo);
                return;
            }
            if (CuantosRegistros > 500) {
                while (resultado->Count() < CuantosRegistros) {
                    const std::int32_t desde = DesdeCual + resultado->Count();
                    ventana(desde);
                    const std::int32_t falta = CuantosRegistros - resultado->Count();
                    if (tomar(desde, std::min(desde + falta - 1, posicionFinal_)) == 0)
                        break; // a window that adds nothing ends the block
                }
                return;
            }
            ventana(DesdeCual);
            tomar(DesdeCual, ultimo);
        },
        [&](const Error& e) { reportError(QStringLiteral("Función DameBloque"), e.description); });
    return resultado;
}

bool clsMultiTabla::AgregarRegistros(const QString& NuevoFiltro)
{
    bool r = false;
    trap(
        [&] {
            sentencia_ = sentenciaSelect(textoFiltro(NuevoFiltro));
            const CollectionPtr filas = cargar(sentencia_, 1, false);
            if (!filas)
                return;
            if (!datos_)
                datos_ = newCollection();
            for (int i = 1; i <= filas->Count(); ++i) {
                const QString clave = filas->KeyAt(i);
                if (!datos_->Exists(clave))
                    retener(clave, filas->Item(Variant(std::int32_t(i))).as<Collection>());
                ++contadorNuevos_;
            }
            r = true;
        },
        [&](const Error& e) { reportError(QStringLiteral("Función AgregarRegistros"), e.description); });
    return r;
}

void clsMultiTabla::VincularTabla(const QString& NombreTabla, const Variant& CamposVinculados,
                                  const Variant& CamposMadre, const QString& FiltroEspecial)
{
    const Variant madre = (!CamposMadre.isArray() && esVacio(CamposMadre)) ? variantDeLista(camposClave_) : CamposMadre;
    vinculadas_.push_back({Variant(NombreTabla), CamposVinculados, madre, Variant(FiltroEspecial)});
}

QString clsMultiTabla::ExtraerFiltroVinculada(const QString& RegistroOriginal, const Variant& DatosVinculo)
{
    QString r;
    trap(
        [&] {
            const VArrayPtr a = DatosVinculo.array();
            const int lb = a->lbound();
            const Vinculo v{a->at(lb), a->at(lb + 1), a->at(lb + 2), a->count() > 3 ? a->at(lb + 3) : Variant()};
            r = filtroVinculada(RegistroOriginal, v);
        },
        [&](const Error& e) { reportError(QStringLiteral("Función ExtraerFiltroVinculada"), e.description); });
    return r;
}

// ---------------------------------------------------------------- locks

QString clsMultiTabla::IdentificacionRegistro(const QString& QueRegistro)
{
    QString r;
    trap(
        [&] {
            const CollectionPtr f = filaRequerida(QueRegistro);
            QStringList partes;
            for (const QString& campo : camposClave_)
                partes << campo + QStringLiteral(" = ") + ValueText::displayText(valorEnFila(f, campo));
            r = partes.join(QStringLiteral(", "));
        },
        [&](const Error& e) { reportError(QStringLiteral("Función IdentificacionRegistro"), e.description); });
    return r;
}

bool clsMultiTabla::RegistroNoBloqueado(const QString& QueRegistro)
{
    bool r = false;
    trap(
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
        },
        [&](const Error& e) { reportError(QStringLiteral("Función RegistroNoBloqueado"), e.description); });
    return r;
}

bool clsMultiTabla::BloquearRegistro(const QString& QueRegistro, const QString& IdentificacionRegistro,
                                     bool SinMensajes, bool ComprobarBloqueoPrevio)
{
    bool r = false;
    trap(
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
        },
        [&](const Error& e) { reportError(QStringLiteral("Función BloquearRegistro"), e.description); });
    return r;
}

bool clsMultiTabla::DesbloquearRegistro(const QString& QueRegistro, bool QuitarDeColeccion)
{
    bool r = false;
    trap(
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
        },
        [&](const Error& e) { reportError(QStringLiteral("Función DesbloquearRegistro"), e.description); });
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
