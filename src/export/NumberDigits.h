#pragma once
// The digits of a number as the exports write it: the shortest digits that
// read back as the same value (a Single's own float digits, Currency's four
// places), never with an exponent, "." before the decimals.
#include "core/Variant.h"

#include <QString>
#include <array>
#include <optional>
#include <string_view>

namespace exportnumber {

// Room for the longest digits a double can have without an exponent.
struct Digits {
    std::array<char, 1100> buffer;
    std::size_t length = 0;
    std::string_view view() const { return std::string_view(buffer.data(), length); }
};

void of(Digits& d, double value);
void of(Digits& d, float value);
void of(Digits& d, std::int64_t value);
void of(Digits& d, Currency value);

// fieldType 4 or 6 reads the value as a Single or as Currency; text is read
// as a number in the current locale. False when the value is no number.
bool of(Digits& d, const Variant& value, int fieldType);

// The value's digits without trailing decimal zeros ("3.5000" -> "3.5", "12.0" -> "12").
QString plainText(const Variant& value);
// The digits without the zeros after the last decimal (and without a bare point).
std::string_view plain(const Digits& d);

} // namespace exportnumber
