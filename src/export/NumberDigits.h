#pragma once
// The digits of a number as the exports write it: the shortest digits that
// read back as the same value (a Single's own float digits, Currency's four
// places), never with an exponent, "." before the decimals.
#include "core/Variant.h"

#include <QString>
#include <optional>
#include <string>

namespace exportnumber {

// fieldType 4 or 6 reads the value as a Single or as Currency; text is read
// as a number in the current locale. Nothing when the value is no number.
std::optional<std::string> digits(const Variant& value, int fieldType);

// The value's digits without trailing decimal zeros ("3.5000" -> "3.5", "12.0" -> "12").
QString plainText(const Variant& value);

} // namespace exportnumber
