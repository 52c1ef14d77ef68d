// Loading the records of the table and the structure of its fields.
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
                            MessageReporterPtr ObjetoError, std::shared_ptr<clsTablas> ObjetoTablas,
                            const QString& pSQL, bool CargaCompleta, const QString& BaseDatos,
                            const QString& NombreTabla, const QString& Agrupacion, const QString& Modulo,
                            const QString& sDistinct, const Variant& vListaCamposClave)
{
    bool resultado = false;
    guarded(QStringLiteral("Función Iniciar"),
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
        });
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
    guarded(QStringLiteral("Función PosicionCampo"), [&] { r = std::int16_t(posicionCampoInterno(QueCampo)); });
    return r;
}

QString clsMultiTabla::NombreCampo(std::int16_t NumeroCampo)
{
    QString r;
    guarded(QStringLiteral("Función NombreCampo"), [&] { r = nombreCampoInterno(NumeroCampo); });
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
    guarded(QStringLiteral("Función AñadirCampoExterno"),
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
        });
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
