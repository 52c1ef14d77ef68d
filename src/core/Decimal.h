#pragma once
// Exact decimal numbers as the runtime's Decimal holds them: a 96-bit
// magnitude, a sign and a scale of 0 to 28 decimals. Database numeric and
// decimal columns arrive here from their text, so no digit passes through a
// binary double.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct Decimal {
    static constexpr int MaxScale = 28;

    std::uint32_t lo = 0, mid = 0, hi = 0; // magnitude, least significant word first
    std::uint8_t scale = 0;                // decimals, 0..28
    bool negative = false;

    // Reads a plain decimal text ("-123.4500", "+7", ".5", "1,25"; '.' or ','
    // as the decimal mark, blanks around). Decimals beyond 28, or beyond what
    // 96 bits hold, are rounded half to even. Nothing for other text, and when
    // the whole part alone does not fit 96 bits.
    static std::optional<Decimal> parse(std::string_view text);
    static Decimal fromInt(std::int64_t value);
    // value / 10^decimals (Currency is decimals 4).
    static Decimal fromScaled(std::int64_t value, int decimals);

    // The value rounded half to even to `decimals` and multiplied by
    // 10^decimals; nothing when that does not fit 64 bits.
    std::optional<std::int64_t> toScaled(int decimals) const;
    double toDouble() const;
    // Shortest text in C form: "-123.45" (zeros after the last significant
    // decimal dropped), "0" for zero.
    std::string toAscii() const;
    bool isZero() const { return lo == 0 && mid == 0 && hi == 0; }

    // Equal values compare equal whatever their scale: 1.50 == 1.5.
    bool operator==(const Decimal& o) const;
};
