// Value, blank-field, collection, account-code and document-number helpers:
// the members that need no database.
#include "clsTablas.h"

#include "ControlAccess.h"
#include "core/Error.h"
#include "core/ValueText.h"

#include <cmath>
#include <limits>

namespace {

QString zeros(int n) { return QString(n, QLatin1Char('0')); }

// Keeps a grid drawing again however the scan ends.
class RedrawGuard {
public:
    explicit RedrawGuard(ListGrid& grid) : grid_(grid) { grid_.setRedraw(false); }
    ~RedrawGuard() { grid_.setRedraw(true); }

private:
    ListGrid& grid_;
};

} // namespace

// --- blank fields and values

bool clsTablas::EvitarBlancos(QObject* QueControl, const QString& QueEsBlanco, const QString& Descripcion,
                              bool Pregunta)
{
    bool answer = false;
    const bool ran = trap(
        [&] {
            if (ControlAccess::text(QueControl) != QueEsBlanco) {
                answer = true;
                return;
            }
            if (ControlAccess::visible(QueControl))
                ControlAccess::setFocus(QueControl);
            if (Pregunta) {
                const int reply = AskUser(Descripcion + QStringLiteral(" está en blanco.\r\n\r\n"
                                                                       "¿Desea Introducir el registro de todas formas?"),
                                          68, QStringLiteral("Aviso"));
                answer = reply != 7;
                return;
            }
            if (!Descripcion.isEmpty())
                AskUser(Descripcion + QStringLiteral(" no puede estar en blanco"), 64, QStringLiteral("Aviso"));
            answer = false;
        },
        [&](const Error&) { ReportError(QStringLiteral("Función EvitarBlancos")); });
    return ran && answer;
}

double clsTablas::Blank2Zero(const QString& QueCadena)
{
    if (QueCadena.isEmpty() || QueCadena == QLatin1String("-"))
        return 0;
    return Variant(QueCadena).toDouble();
}

QString clsTablas::Zero2Blank(const QString& QueCadena)
{
    const QString text = QueCadena.isEmpty() ? QStringLiteral("0") : QueCadena;
    if (Variant(text).toDouble() == 0)
        return QString();
    return QueCadena;
}

Variant clsTablas::Null2Blank(const Variant& QueValor, const Variant& DefinirBlanco)
{
    return QueValor.isNull() ? DefinirBlanco : QueValor;
}

void clsTablas::SearchList(ListGrid& WhichList, const QString& TextSearch, std::int32_t Column, std::int32_t InitRow)
{
    RedrawGuard redraw(WhichList);
    const QString wanted = TextSearch.toUpper();
    for (int row = InitRow; row < WhichList.Rows(); ++row) {
        if (WhichList.TextMatrix(row, Column).left(TextSearch.size()).toUpper() == wanted) {
            WhichList.setTopRow(row);
            return;
        }
    }
}

// --- collections and division

bool clsTablas::ExisteCampoColeccion(const Variant& Col, const QString& clave)
{
    if (!Col.isObject())
        return false;
    return ::ExisteClaveColeccion(Col, clave);
}

bool clsTablas::AñadirValorEnElementoColeccion(const Variant& Col, const QString& clave, const QString& Valor,
                                               const QString& Formato, const QString& Operacion,
                                               const QString& Separador)
{
    const bool whole = Formato == QLatin1String("Integer") || Formato == QLatin1String("Long");
    const bool real = Formato == QLatin1String("Currency") || Formato == QLatin1String("Double");
    const bool text = Formato == QLatin1String("Date") || Formato == QLatin1String("String");
    return trap(
        [&] {
            auto col = Col.as<Collection>();
            if (!col)
                raise(Error::ObjectRequired, QStringLiteral("Se requiere un objeto"));
            if (!col->Exists(clave)) {
                if (whole || real)
                    col->Add(Variant(std::int16_t(0)), clave);
                else if (text)
                    col->Add(Variant(QString()), clave);
            }
            const QString old = col->Item(Variant(clave)).toString();
            col->Remove(Variant(clave));

            Variant updated;
            if (whole && Operacion == QLatin1String("Sumar")) {
                const std::int64_t sum = std::int64_t(Variant(Valor).toLong()) + Variant(old).toLong();
                if (sum > std::numeric_limits<std::int32_t>::max() || sum < std::numeric_limits<std::int32_t>::min())
                    raise(Error::Overflow, QStringLiteral("Desbordamiento"));
                updated = Variant(std::int32_t(sum));
            } else if (whole && Operacion == QLatin1String("Sustituir")) {
                updated = Variant(Variant(Valor).toLong());
            } else if (real && Operacion == QLatin1String("Sumar")) {
                updated = Variant(Variant(Valor).toDouble() + Variant(old).toDouble());
            } else if (real && Operacion == QLatin1String("Sustituir")) {
                updated = Variant(Variant(Valor).toDouble());
            } else if (text && Operacion == QLatin1String("Sustituir")) {
                updated = Variant(Valor);
            } else if (Formato == QLatin1String("String") && Operacion == QLatin1String("Concatenar")) {
                if (old.isEmpty())
                    updated = Variant(Valor);
                else if (old.contains(Valor))
                    updated = Variant(old);
                else
                    updated = Variant(old + Separador + Valor);
            } else {
                // A pair the table does not name leaves the element out.
                return;
            }
            col->Add(updated, clave);
        },
        [](const Error&) {});
}

double clsTablas::DivideBy(const Variant& sFirstElement, const Variant& sSecondElement)
{
    double result = 0;
    trap(
        [&] {
            const double divisor = Blank2Zero(sSecondElement.toString());
            if (divisor == 0)
                return;
            const double quotient = Blank2Zero(sFirstElement.toString()) / divisor;
            if (std::isfinite(quotient))
                result = quotient;
        },
        [](const Error&) {});
    return result;
}

// --- account codes and currencies

bool clsTablas::AgregarCerosCuenta(QObject* QueControl)
{
    // A configured length below the fixed five-character head cannot be completed.
    if (DigitosCuenta < 5)
        return false;
    const QString text = ControlAccess::text(QueControl);
    const QString t = text.trimmed();
    if (t.size() > DigitosCuenta) {
        AskUser(QStringLiteral("La subcuenta introducida tiene más dígitos de los configurados para subcuentas."), 64,
                QStringLiteral("Digitos Subcuenta"));
        ControlAccess::setText(QueControl, text.left(DigitosCuenta));
        return true;
    }
    if (t.size() > 5) {
        const QString tail = text.right(t.size() - 5);
        ControlAccess::setText(QueControl, t.left(5) + zeros(DigitosCuenta - 5 - int(tail.trimmed().size())) + tail);
    }
    return true;
}

QString clsTablas::AgregarDigitoCuenta(QString& NumeroCuentaActual, std::int16_t UltimaPulsacion, bool AgregarDigitoYa)
{
    QString& n = NumeroCuentaActual;
    if (DigitosCuenta < 5)
        return n;
    const int key = UltimaPulsacion;
    const bool typed = (key >= 65 && key <= 90) || (key >= 48 && key <= 57) || (key >= 96 && key <= 105);
    if (n.size() == DigitosCuenta && typed) {
        if (n.mid(4, 1) == QLatin1String("0"))
            n = (n.left(4) + n.right(DigitosCuenta - 5)).trimmed();
        else
            n = n.left(DigitosCuenta - 1);
    }
    if (AgregarDigitoYa) {
        if (key < 0 || key > 255)
            raise(Error::InvalidProcedureCall, QStringLiteral("Llamada a procedimiento o argumento no válidos"));
        n += Scrambling::ansiChar(key);
    }
    return n;
}

std::int16_t clsTablas::DecimalesMoneda(QString& FormatoTratado)
{
    if (FormatoTratado.isEmpty())
        FormatoTratado = FormatoMoneda;
    const auto point = FormatoTratado.indexOf(QLatin1Char('.'));
    if (point < 0)
        return 0;
    return std::int16_t(FormatoTratado.size() - point - 1);
}

std::int16_t clsTablas::DecimalesMoneda()
{
    QString format;
    return DecimalesMoneda(format);
}

// --- versions, document numbers, system

QString clsTablas::ProgramVersion() { return QStringLiteral("3.0.0.14"); }

QString clsTablas::ShortProgramVersion()
{
    const QString version = ProgramVersion();
    return version.left(version.lastIndexOf(QLatin1Char('.')));
}

QString clsTablas::NumeroFacturaAbreviado(const QString& strNumero)
{
    const QStringList parts = strNumero.split(QLatin1Char('/'));
    if (parts.size() != 2)
        return strNumero;
    QString first = parts[0];
    if (first.size() < 4)
        raise(Error::InvalidProcedureCall, QStringLiteral("Llamada a procedimiento o argumento no válidos"));
    first = first.left(first.size() - 4) + first.right(2);
    const QString second = parts[1].right(5);
    if (first.startsWith(QLatin1String("NA")))
        first.replace(QLatin1String("NA"), QLatin1String("NAC"));
    first.replace(QLatin1String("-RV-"), QLatin1String("-V-"));
    QString result = first + second;
    result.remove(QLatin1Char('-'));
    result.remove(QLatin1Char('/'));
    return result;
}

QString clsTablas::WindowsVersionName(bool callOk, int platformId, int major, int minor)
{
    if (!callOk)
        return QStringLiteral("Unable to identify your version of Windows.");
    switch (platformId) {
    case 0: return QStringLiteral("Win32s on Windows 3.1");
    case 1:
        if (minor == 0)
            return QStringLiteral("Windows 95");
        if (minor == 90)
            return QStringLiteral("Windows Me");
        return QStringLiteral("Windows 98");
    case 2:
        if (major == 3)
            return QStringLiteral("Windows NT 3.5");
        if (major == 4)
            return QStringLiteral("Windows NT 4.0");
        if (major == 5 && minor == 0)
            return QStringLiteral("Windows 2000");
        if (major == 5 && minor == 1)
            return QStringLiteral("Windows XP");
        if (major == 5 && minor == 2)
            return QStringLiteral("Windows Server 2003");
        if (major == 6 && minor == 0)
            return QStringLiteral("Windows Vista/Server 2008");
        if (major == 6 && minor == 1)
            return QStringLiteral("Windows 7/Server 2008 R2");
        if (major == 6 && minor == 2)
            return QStringLiteral("Windows 8/Server 2012");
        return QStringLiteral("Windows NT");
    default: return QString();
    }
}

QString clsTablas::GetWindowsVersion()
{
    // The version record is read here as that of a platform the table does not
    // know: this system is not one of the listed ones.
    return WindowsVersionName(true, -1, 0, 0);
}

// --- password scrambling

QString clsTablas::EncriptDecript(QString& sKey, const QString& sToEncriptDecript)
{
    return Scrambling::EncriptDecript(sKey, sToEncriptDecript, digitDraw_);
}

bool clsTablas::GenerateNumber(std::int16_t& iUno, std::int16_t& iDos, std::int16_t& iTres)
{
    Scrambling::GenerateNumber(iUno, iDos, iTres, digitDraw_);
    return false;
}
