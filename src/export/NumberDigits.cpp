#include "export/NumberDigits.h"

#include "core/ValueText.h"

#include <algorithm>
#include <charconv>

namespace exportnumber {

namespace {
template <class T>
void shortest(Digits& d, T value)
{
    const auto r = std::to_chars(d.buffer.data(), d.buffer.data() + d.buffer.size(), value, std::chars_format::fixed);
    d.length = std::size_t(r.ptr - d.buffer.data());
}
} // namespace

void of(Digits& d, double value) { shortest(d, value); }
void of(Digits& d, float value) { shortest(d, value); }

void of(Digits& d, std::int64_t value)
{
    const auto r = std::to_chars(d.buffer.data(), d.buffer.data() + d.buffer.size(), value);
    d.length = std::size_t(r.ptr - d.buffer.data());
}

void of(Digits& d, Currency value)
{
    // Unsigned, so the most negative amount has a magnitude too.
    const bool negative = value.scaled < 0;
    const unsigned long long magnitude = negative ? 0ull - static_cast<unsigned long long>(value.scaled)
                                                  : static_cast<unsigned long long>(value.scaled);
    char* p = d.buffer.data();
    if (negative)
        *p++ = '-';
    p = std::to_chars(p, d.buffer.data() + d.buffer.size(), magnitude / Currency::Scale).ptr;
    *p++ = '.';
    unsigned long long fraction = magnitude % Currency::Scale;
    for (int i = 3; i >= 0; --i, fraction /= 10)
        p[i] = char('0' + fraction % 10);
    d.length = std::size_t(p + 4 - d.buffer.data());
}

bool of(Digits& d, const Variant& value, int fieldType)
{
    if (value.isString()) {
        const auto n = ValueText::parseNumber(value.toString());
        if (!n)
            return false;
        fieldType == 4 ? of(d, float(*n)) : of(d, *n);
        return true;
    }
    if (!value.isNumber())
        return false;
    if (value.type() == VarType::Decimal && fieldType != 6 && fieldType != 4) {
        // An exact decimal keeps every digit it has: read as a whole number it would lose them.
        const std::string digits = std::get<Decimal>(value.storage()).toAscii();
        d.length = std::min(digits.size(), d.buffer.size());
        std::copy_n(digits.begin(), d.length, d.buffer.begin());
    } else if (fieldType == 6 || value.type() == VarType::Currency)
        of(d, value.toCurrency());
    else if (fieldType == 4 || value.type() == VarType::Single)
        of(d, value.toSingle());
    else if (value.type() == VarType::Double)
        of(d, value.toDouble());
    else
        of(d, value.toLongLong());
    return true;
}

QString plainText(const Variant& value)
{
    Digits d;
    if (!of(d, value, 0))
        return QString();
    const std::string_view v = plain(d);
    return QString::fromLatin1(v.data(), qsizetype(v.size()));
}

std::string_view plain(const Digits& d)
{
    std::string_view v = d.view();
    if (v.find('.') != std::string_view::npos) {
        v = v.substr(0, v.find_last_not_of('0') + 1);
        if (v.back() == '.')
            v.remove_suffix(1);
    }
    return v;
}

} // namespace exportnumber
