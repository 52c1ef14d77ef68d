#include "Decimal.h"

#include <cstdlib>
#include <limits>

namespace {

using U128 = unsigned __int128;

constexpr U128 Max96 = (U128(1) << 96) - 1;

U128 magnitudeOf(const Decimal& d) { return (U128(d.hi) << 64) | (U128(d.mid) << 32) | U128(d.lo); }

void setMagnitude(Decimal& d, U128 m)
{
    d.lo = std::uint32_t(m);
    d.mid = std::uint32_t(m >> 32);
    d.hi = std::uint32_t(m >> 64);
}

// Drops the last decimal, rounding half to even on what was dropped (next
// digit, any non-zero digit after it).
U128 roundOff(U128 m, int next, bool sticky)
{
    if (next > 5 || (next == 5 && (sticky || (m & 1))))
        ++m;
    return m;
}

// Removes `count` trailing digits of m, rounding half to even.
U128 divideRounded(U128 m, int count)
{
    if (count <= 0)
        return m;
    bool sticky = false;
    int next = 0;
    for (int i = 0; i < count; ++i) {
        sticky = sticky || next != 0;
        next = int(m % 10);
        m /= 10;
    }
    return roundOff(m, next, sticky);
}

} // namespace

std::optional<Decimal> Decimal::parse(std::string_view text)
{
    std::size_t i = 0, end = text.size();
    while (i < end && text[i] == ' ')
        ++i;
    while (end > i && text[end - 1] == ' ')
        --end;
    Decimal d;
    if (i < end && (text[i] == '-' || text[i] == '+')) {
        d.negative = text[i] == '-';
        ++i;
    }
    U128 m = 0;
    int scale = 0, next = -1;
    bool sticky = false, digits = false, mark = false;
    for (; i < end; ++i) {
        const char c = text[i];
        if (c == '.' || c == ',') {
            if (mark)
                return std::nullopt;
            mark = true;
            continue;
        }
        if (c < '0' || c > '9')
            return std::nullopt;
        digits = true;
        const int digit = c - '0';
        if (next >= 0) { // already past what can be kept: only decides the rounding
            if (mark)
                sticky = sticky || digit != 0;
            else
                return std::nullopt; // the whole part itself is too long
            continue;
        }
        if (mark && scale == MaxScale) {
            next = digit;
            continue;
        }
        const U128 grown = m * 10 + U128(digit);
        if (grown > Max96) {
            if (!mark)
                return std::nullopt;
            next = digit;
            continue;
        }
        m = grown;
        if (mark)
            ++scale;
    }
    if (!digits)
        return std::nullopt;
    if (next >= 0) {
        m = roundOff(m, next, sticky);
        if (m > Max96) { // 9.99..9 rounded up past 96 bits: one decimal fewer
            if (scale == 0)
                return std::nullopt;
            m = divideRounded(m, 1);
            --scale;
        }
    }
    setMagnitude(d, m);
    d.scale = std::uint8_t(scale);
    if (d.isZero())
        d.negative = false;
    return d;
}

Decimal Decimal::fromInt(std::int64_t value) { return fromScaled(value, 0); }

Decimal Decimal::fromScaled(std::int64_t value, int decimals)
{
    Decimal d;
    d.negative = value < 0;
    setMagnitude(d, U128(value < 0 ? std::uint64_t(0) - std::uint64_t(value) : std::uint64_t(value)));
    d.scale = std::uint8_t(decimals < 0 ? 0 : decimals > MaxScale ? MaxScale : decimals);
    return d;
}

std::optional<std::int64_t> Decimal::toScaled(int decimals) const
{
    U128 m = magnitudeOf(*this);
    if (decimals >= scale) {
        for (int i = scale; i < decimals; ++i) {
            if (m > (U128(1) << 100))
                return std::nullopt;
            m *= 10;
        }
    } else {
        m = divideRounded(m, scale - decimals);
    }
    const U128 limit = negative ? U128(std::numeric_limits<std::int64_t>::max()) + 1
                                : U128(std::numeric_limits<std::int64_t>::max());
    if (m > limit)
        return std::nullopt;
    return negative ? std::int64_t(std::uint64_t(0) - std::uint64_t(m)) : std::int64_t(m);
}

double Decimal::toDouble() const
{
    // The text read back gives the double nearest the exact value.
    const std::string t = toAscii();
    return std::strtod(t.c_str(), nullptr);
}

std::string Decimal::toAscii() const
{
    U128 m = magnitudeOf(*this);
    int s = scale;
    while (s > 0 && m % 10 == 0) {
        m /= 10;
        --s;
    }
    std::string digits;
    do {
        digits.insert(digits.begin(), char('0' + int(m % 10)));
        m /= 10;
    } while (m != 0);
    if (s > 0) {
        if (int(digits.size()) <= s)
            digits.insert(0, std::size_t(s + 1 - int(digits.size())), '0');
        digits.insert(digits.size() - std::size_t(s), 1, '.');
    }
    if (negative && !isZero())
        digits.insert(digits.begin(), '-');
    return digits;
}

bool Decimal::operator==(const Decimal& o) const
{
    if (isZero() || o.isZero())
        return isZero() && o.isZero();
    return negative == o.negative && toAscii() == o.toAscii();
}
