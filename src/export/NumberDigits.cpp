#include "export/NumberDigits.h"

#include "core/ValueText.h"

#include <array>
#include <charconv>

namespace exportnumber {

namespace {

template <class T>
std::string shortest(T value)
{
    std::array<char, 1200> buf;
    const auto r = std::to_chars(buf.data(), buf.data() + buf.size(), value, std::chars_format::fixed);
    return std::string(buf.data(), r.ptr);
}

std::string currency(Currency c)
{
    const bool negative = c.scaled < 0;
    // Unsigned, so the most negative amount has a magnitude too.
    const unsigned long long magnitude =
        negative ? 0ull - static_cast<unsigned long long>(c.scaled) : static_cast<unsigned long long>(c.scaled);
    std::string fraction = std::to_string(magnitude % Currency::Scale);
    fraction.insert(0, 4 - fraction.size(), '0');
    return (negative ? "-" : "") + std::to_string(magnitude / Currency::Scale) + "." + fraction;
}

} // namespace

std::optional<std::string> digits(const Variant& value, int fieldType)
{
    if (value.isString()) {
        const auto n = ValueText::parseNumber(value.toString());
        if (!n)
            return std::nullopt;
        return fieldType == 4 ? shortest(float(*n)) : shortest(*n);
    }
    if (!value.isNumber())
        return std::nullopt;
    if (fieldType == 6 || value.type() == VarType::Currency)
        return currency(value.toCurrency());
    if (fieldType == 4 || value.type() == VarType::Single)
        return shortest(value.toSingle());
    if (value.type() == VarType::Double)
        return shortest(value.toDouble());
    return std::to_string(value.toLongLong());
}

QString plainText(const Variant& value)
{
    std::string d = digits(value, 0).value_or(std::string());
    if (d.find('.') != std::string::npos) {
        d.erase(d.find_last_not_of('0') + 1);
        if (d.back() == '.')
            d.pop_back();
    }
    return QString::fromLatin1(d.data(), qsizetype(d.size()));
}

} // namespace exportnumber
