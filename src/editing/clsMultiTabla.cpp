// The life of the record set, its reports and its edit list; the members
// live by concern in clsMultiTabla_*.cpp.
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

namespace multitabla {


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

} // namespace multitabla

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
