// The conversions of Variant that read text: a string becomes a number,
// money or a date by the text rules of the current locale, and a value becomes
// text by them. They live beside those rules so the value type itself knows
// nothing of locales (core reads bottom-up: Variant, then ValueText).
#include "ValueText.h"

#include "Error.h"

#include <cmath>

using detail::invalidNull;
using detail::overflow;
using detail::typeMismatch;

Currency Currency::fromDouble(double value)
{
    // Round the decimal digits the value shows, not its binary expansion:
    // 0.00015 is a hair below the half in binary and still becomes 0.0002.
    // From 1e10 up fifteen digits no longer reach the fourth decimal.
    double scaled = std::fabs(value) < 1e10 ? std::nearbyint(ValueText::roundHalfEven(value, 4) * double(Scale))
                                            : std::nearbyint(value * double(Scale));
    if (std::isnan(scaled) || std::fabs(scaled) >= 9.2233720368547e18)
        overflow();
    return Currency{std::int64_t(std::nearbyint(scaled))};
}

bool Variant::isNumeric() const
{
    if (isNumber() || isBoolean() || isEmpty())
        return true;
    if (isString())
        return ValueText::isNumeric(std::get<QString>(v_));
    return false;
}

double Variant::toDouble() const
{
    return std::visit(
        [](const auto& x) -> double {
            using T = std::decay_t<decltype(x)>;
            if constexpr (std::is_same_v<T, std::monostate>) return 0.0;
            else if constexpr (std::is_same_v<T, NullTag>) invalidNull();
            else if constexpr (std::is_same_v<T, bool>) return x ? -1.0 : 0.0;
            else if constexpr (std::is_same_v<T, Currency> || std::is_same_v<T, Decimal>) return x.toDouble();
            else if constexpr (std::is_same_v<T, QDateTime>) return serialFromDate(x);
            else if constexpr (std::is_same_v<T, QString>) {
                if (auto d = ValueText::parseNumber(x))
                    return *d;
                QString t = x.trimmed();
                if (t.compare(ValueText::booleanText(true), Qt::CaseInsensitive) == 0 ||
                    t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
                    return -1.0;
                if (t.compare(ValueText::booleanText(false), Qt::CaseInsensitive) == 0 ||
                    t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
                    return 0.0;
                typeMismatch();
            } else if constexpr (std::is_same_v<T, ObjectPtr> || std::is_same_v<T, VArrayPtr>) typeMismatch();
            else return double(x);
        },
        v_);
}

Currency Variant::toCurrency() const
{
    switch (type()) {
    case VarType::Currency: return std::get<Currency>(v_);
    case VarType::Decimal:
        if (auto scaled = std::get<Decimal>(v_).toScaled(4))
            return Currency{*scaled};
        overflow();
    case VarType::Byte:
    case VarType::Integer:
    case VarType::Long:
    case VarType::LongLong: {
        std::int64_t v = toLongLong();
        if (v > std::numeric_limits<std::int64_t>::max() / Currency::Scale ||
            v < std::numeric_limits<std::int64_t>::min() / Currency::Scale)
            overflow();
        return Currency{v * Currency::Scale};
    }
    case VarType::String:
        // Typed money keeps every digit: "12345678901234,5678" would not survive a double.
        if (auto c = ValueText::parseCurrency(std::get<QString>(v_)))
            return *c;
        return Currency::fromDouble(toDouble());
    default: return Currency::fromDouble(toDouble());
    }
}

QDateTime Variant::toDate() const
{
    switch (type()) {
    case VarType::Date: return std::get<QDateTime>(v_);
    case VarType::Null: invalidNull();
    case VarType::String: {
        if (auto d = ValueText::parseDate(std::get<QString>(v_)))
            return *d;
        if (auto n = ValueText::parseNumber(std::get<QString>(v_)))
            return dateFromSerial(*n);
        typeMismatch();
    }
    case VarType::Object:
    case VarType::Array: typeMismatch();
    default: return dateFromSerial(toDouble());
    }
}

QString Variant::toString() const
{
    if (isString())
        return std::get<QString>(v_);
    return ValueText::toText(*this);
}
