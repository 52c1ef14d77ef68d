#include "Variant.h"

#include "Error.h"

#include <cmath>
#include <limits>

namespace {

using detail::invalidNull;
using detail::overflow;
using detail::typeMismatch;

const QDateTime& dayZero()
{
    static const QDateTime zero(QDate(1899, 12, 30), QTime(0, 0), Qt::UTC);
    return zero;
}

template <class T>
T roundedInRange(double d)
{
    if (std::isnan(d))
        overflow();
    double r = std::nearbyint(d); // the default rounding mode is to nearest, ties to even
    // -min is a power of two and exact as a double; max is not (2^63 - 1 reads as 2^63).
    if (r < double(std::numeric_limits<T>::min()) || r >= -double(std::numeric_limits<T>::min()))
        overflow();
    return T(r);
}

template <class T>
T integerInRange(std::int64_t v)
{
    if (v < std::int64_t(std::numeric_limits<T>::min()) || v > std::int64_t(std::numeric_limits<T>::max()))
        overflow();
    return T(v);
}

} // namespace

// ---------------------------------------------------------------- dates

QDateTime dateFromSerial(double serial)
{
    // 1 January 100 to 31 December 9999, as the runtime's dates go; anything
    // beyond is an overflow, never a wrapped date.
    if (!std::isfinite(serial) || serial < -657434.0 || serial >= 2958466.0)
        overflow();
    double days = std::trunc(serial);
    double fraction = std::fabs(serial - days);
    qint64 ms = qint64(std::llround(fraction * 86400000.0));
    if (ms >= 86400000) {
        ms -= 86400000;
        days += serial < 0 ? -1 : 1;
    }
    return dayZero().addDays(qint64(days)).addMSecs(ms);
}

double serialFromDate(const QDateTime& d)
{
    QDateTime n(d.date(), d.time(), Qt::UTC);
    qint64 days = dayZero().date().daysTo(n.date());
    double fraction = n.time().msecsSinceStartOfDay() / 86400000.0;
    // Before day zero the fraction still counts forward within the day.
    return days >= 0 ? double(days) + fraction : double(days) - fraction;
}

// ---------------------------------------------------------------- VArray

VArray::VArray(int lower1, int upper1) : dims_(1)
{
    lb_[0] = lower1;
    ub_[0] = upper1;
    data_.resize(std::size_t(std::max(0, upper1 - lower1 + 1)));
}

VArray::VArray(int lower1, int upper1, int lower2, int upper2) : dims_(2)
{
    lb_[0] = lower1;
    ub_[0] = upper1;
    lb_[1] = lower2;
    ub_[1] = upper2;
    data_.resize(std::size_t(std::max(0, upper1 - lower1 + 1)) * std::size_t(std::max(0, upper2 - lower2 + 1)));
}

int VArray::lbound(int dim) const
{
    if (dim < 1 || dim > dims_)
        raise(Error::SubscriptOutOfRange, QStringLiteral("Subíndice fuera del intervalo"));
    return lb_[dim - 1];
}

int VArray::ubound(int dim) const
{
    if (dim < 1 || dim > dims_)
        raise(Error::SubscriptOutOfRange, QStringLiteral("Subíndice fuera del intervalo"));
    return ub_[dim - 1];
}

std::size_t VArray::index(int i) const
{
    if (dims_ != 1 || i < lb_[0] || i > ub_[0])
        raise(Error::SubscriptOutOfRange, QStringLiteral("Subíndice fuera del intervalo"));
    return std::size_t(i - lb_[0]);
}

std::size_t VArray::index(int i, int j) const
{
    if (dims_ != 2 || i < lb_[0] || i > ub_[0] || j < lb_[1] || j > ub_[1])
        raise(Error::SubscriptOutOfRange, QStringLiteral("Subíndice fuera del intervalo"));
    // Column-major like the runtime, so that growing the last dimension keeps every element.
    return std::size_t(j - lb_[1]) * std::size_t(ub_[0] - lb_[0] + 1) + std::size_t(i - lb_[0]);
}

Variant& VArray::at(int i) { return data_[index(i)]; }
const Variant& VArray::at(int i) const { return data_[index(i)]; }
Variant& VArray::at(int i, int j) { return data_[index(i, j)]; }
const Variant& VArray::at(int i, int j) const { return data_[index(i, j)]; }

void VArray::redimPreserve(int newUpperLast)
{
    if (dims_ == 0)
        raise(Error::SubscriptOutOfRange, QStringLiteral("Subíndice fuera del intervalo"));
    int last = dims_ - 1;
    ub_[last] = newUpperLast;
    std::size_t n = 1;
    for (int d = 0; d < dims_; ++d)
        n *= std::size_t(std::max(0, ub_[d] - lb_[d] + 1));
    data_.resize(n);
}

// ---------------------------------------------------------------- Variant

VarType Variant::type() const
{
    switch (v_.index()) {
    case 0: return VarType::Empty;
    case 1: return VarType::Null;
    case 2: return VarType::Boolean;
    case 3: return VarType::Byte;
    case 4: return VarType::Integer;
    case 5: return VarType::Long;
    case 6: return VarType::LongLong;
    case 7: return VarType::Single;
    case 8: return VarType::Double;
    case 9: return VarType::Currency;
    case 10: return VarType::Date;
    case 11: return VarType::String;
    case 12: return VarType::Object;
    case 14: return VarType::Decimal;
    default: return VarType::Array;
    }
}

bool Variant::isNumber() const
{
    switch (type()) {
    case VarType::Byte:
    case VarType::Integer:
    case VarType::Long:
    case VarType::LongLong:
    case VarType::Single:
    case VarType::Double:
    case VarType::Currency:
    case VarType::Decimal: return true;
    default: return false;
    }
}

std::int64_t Variant::toLongLong() const
{
    switch (type()) {
    case VarType::Byte: return std::get<std::uint8_t>(v_);
    case VarType::Integer: return std::get<std::int16_t>(v_);
    case VarType::Long: return std::get<std::int32_t>(v_);
    case VarType::LongLong: return std::get<std::int64_t>(v_);
    case VarType::Currency: {
        // Exact half-to-even on the scaled integer, no trip through double.
        std::int64_t s = std::get<Currency>(v_).scaled;
        std::int64_t q = s / Currency::Scale, r = s % Currency::Scale;
        if (r > Currency::Scale / 2 || (r == Currency::Scale / 2 && (q & 1))) ++q;
        else if (r < -Currency::Scale / 2 || (r == -Currency::Scale / 2 && (q & 1))) --q;
        return q;
    }
    case VarType::Decimal:
        if (auto whole = std::get<Decimal>(v_).toScaled(0))
            return *whole;
        overflow();
    case VarType::String: {
        // Whole numbers in text are read exactly: a 64-bit key beyond 2^53
        // must not come back as a neighbour through a double.
        bool ok = false;
        const qlonglong exact = std::get<QString>(v_).trimmed().toLongLong(&ok);
        if (ok)
            return exact;
        return roundedInRange<std::int64_t>(toDouble());
    }
    default: return roundedInRange<std::int64_t>(toDouble());
    }
}

std::int32_t Variant::toLong() const { return integerInRange<std::int32_t>(toLongLong()); }
std::int16_t Variant::toInt() const { return integerInRange<std::int16_t>(toLongLong()); }
std::uint8_t Variant::toByte() const { return integerInRange<std::uint8_t>(toLongLong()); }

float Variant::toSingle() const
{
    double d = toDouble();
    if (std::isfinite(d) && std::fabs(d) > double(std::numeric_limits<float>::max()))
        overflow();
    return float(d);
}

bool Variant::toBool() const
{
    if (isBoolean())
        return std::get<bool>(v_);
    return toDouble() != 0.0;
}

ObjectPtr Variant::toObject() const
{
    if (!isObject())
        raise(Error::ObjectRequired, QStringLiteral("Se requiere un objeto"));
    return std::get<ObjectPtr>(v_);
}

VArrayPtr Variant::array() const
{
    if (!isArray())
        typeMismatch();
    return std::get<VArrayPtr>(v_);
}

bool Variant::operator==(const Variant& o) const
{
    if (v_.index() != o.v_.index())
        return false;
    return std::visit(
        [&o](const auto& x) -> bool {
            using T = std::decay_t<decltype(x)>;
            if constexpr (std::is_same_v<T, std::monostate> || std::is_same_v<T, NullTag>) return true;
            else return x == std::get<T>(o.v_);
        },
        v_);
}

bool valuesEqual(const Variant& a, const Variant& b)
{
    if (a.isEmpty() || b.isEmpty() || a.isNull() || b.isNull() || a.isArray() || b.isArray())
        return false;
    if (a.isString() || b.isString())
        return a.isString() && b.isString() && a.toString() == b.toString();
    if (a.isObject() || b.isObject())
        return a.isObject() && b.isObject() && a.toObject() == b.toObject();
    if (a.isDate() && b.isDate())
        return a.toDate() == b.toDate();
    // Numbers, Booleans and a date against a number. Whole numbers (and
    // Currency) compare exactly; a float on either side compares as Double.
    using Wide = __int128; // a 64-bit whole number times the Currency scale still fits
    auto scaled = [](const Variant& v, Wide& out) {
        return std::visit(
            [&out](const auto& x) -> bool {
                using T = std::decay_t<decltype(x)>;
                if constexpr (std::is_same_v<T, bool>) { out = x ? -Currency::Scale : 0; return true; }
                else if constexpr (std::is_same_v<T, Currency>) { out = x.scaled; return true; }
                else if constexpr (std::is_integral_v<T>) { out = Wide(x) * Currency::Scale; return true; }
                else return false;
            },
            v.storage());
    };
    Wide x = 0, y = 0;
    if (scaled(a, x) && scaled(b, y))
        return x == y;
    auto number = [](const Variant& v) {
        if (v.isDate())
            return serialFromDate(v.toDate());
        if (v.isBoolean())
            return v.toBool() ? -1.0 : 0.0;
        return v.toDouble();
    };
    return number(a) == number(b);
}

QString debugText(const Variant& v)
{
    switch (v.type()) {
    case VarType::Empty: return QStringLiteral("Empty");
    case VarType::Null: return QStringLiteral("Null");
    case VarType::Object: return v.isNothing() ? QStringLiteral("Nothing") : QStringLiteral("Object ") + v.toObject()->typeName();
    case VarType::Array: return QStringLiteral("Array");
    default: return QStringLiteral("%1 %2").arg(int(v.type())).arg(v.toString());
    }
}
