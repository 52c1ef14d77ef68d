#pragma once
// Values and their texts: the one place where a number, date or boolean
// becomes text and back. The grid, record keys, SQL literals, exports and the
// typed text box all go through here so one value always reads the same.
#include "Variant.h"

#include <QLocale>
#include <QString>
#include <optional>

namespace ValueText {

// The locale numbers and dates are read and written in. The program uses the
// system's (QLocale's default); tests set Spanish or English explicitly. What
// a conversion needs of the locale (marks, date order, format patterns) is
// worked out once and kept until either locale changes.
void setLocale(const QLocale& locale);
QLocale locale();
QChar decimalSeparator();
QChar groupSeparator();
QChar dateSeparator();
QChar timeSeparator();

// Puts a locale in force for its lifetime (tests, or a window that reads
// numbers in a fixed locale) and restores the previous one.
class ScopedLocale {
public:
    explicit ScopedLocale(const QLocale& locale);
    ~ScopedLocale();
    ScopedLocale(const ScopedLocale&) = delete;
    ScopedLocale& operator=(const ScopedLocale&) = delete;

private:
    std::optional<QLocale> previous_;
};

// Texts of booleans as the runtime writes them.
QString booleanText(bool b); // "Verdadero" / "Falso"

// CStr of any value (Empty -> "", Null raises InvalidUseOfNull).
QString toText(const Variant& v);
// Text of a value for display where Null reads as "" (grid cells, keys, exports).
QString displayText(const Variant& v);
// CStr of a number or a date on its own. Doubles keep up to 15 significant
// digits, with an exponent from 1E+15 up and below 0.0001 ("1E-05"). Dates
// are the locale's short date with a four-digit year ("dd/mm/yyyy" in
// Spanish), a time "hh:nn:ss" when there is one, and the time alone on day
// zero (30/12/1899).
QString numberText(double value);
QString dateText(const QDateTime& value);

// numberText and dateText for writers that turn millions of values into text
// (record-set rows, exports): the locale is read once, when the writer is
// made, and each text goes into the caller's buffer (room for MaxUnits
// units) without a string of its own.
class TextWriter {
public:
    static constexpr int MaxUnits = 64;
    TextWriter(); // the locale in force now
    // Each returns the end of what it wrote.
    char16_t* number(char16_t* out, double value) const;
    char16_t* date(char16_t* out, int year, int month, int day, int hour, int minute, int second) const;

private:
    char16_t decimal_;
    char16_t time_;
    char16_t dateSeparator_;
    int order_;
    bool padDay_;
    bool padMonth_;
    bool twelveHour_;
};

// IsNumeric / IsDate on text in the current locale. Numbers may carry blanks
// around them, a sign before or after, parentheses for negative, the
// locale's currency symbol, an exponent and "&H"/"&O" prefixes. Group marks
// must stand between groups of three digits: under a decimal comma "1.5" is
// not read as fifteen, it is not a number at all.
bool isNumeric(const QString& text);
bool isDate(const QString& text);
std::optional<double> parseNumber(const QString& text);
std::optional<QDateTime> parseDate(const QString& text);
// The same texts read as money, exactly: the digits as written, rounded half
// to even at four decimals, never through a double. Nothing for text that is
// not a number; Overflow raised beyond the Currency range.
std::optional<Currency> parseCurrency(const QString& text);

// Format(value, pattern) for the patterns the program uses: "dd/mm/yyyy",
// "hh:nn:ss", "yyyyMMddhhnnss", "YYYYMMDD_hhnnss", "###,###,##0.00",
// "#,##0.00", "0.00", "0", ... Grouping and decimal marks come from the locale,
// and "/" and ":" in a date pattern become the locale's date and time marks.
// Letters are read without regard to case; "m" right after an hour or right
// before a second is the minute. Numbers round half away from zero, and a
// number given to a date pattern is a date serial (a length of days). Text
// that reads as a number or date is formatted as one; other text and Empty
// or Null come back as they are ("" for Empty and Null). Also the whole
// classic language: the named formats ("Currency", "Percent", "Yes/No",
// "Short Date", ...), up to three sections with literal-only ones, text
// patterns ("@", "&", "<", ">", "!"), scientific notation ("E+", "e-") and
// the weekday "w", week "ww" and quarter "q". A pattern with a digit place is
// a number pattern whatever letters stand beside it.
QString format(const Variant& value, const QString& pattern);

// Rounding as the runtime does it: Round() is half to even; Format() half away from zero.
double roundHalfEven(double value, int digits = 0);
double roundHalfAway(double value, int digits = 0);

} // namespace ValueText
