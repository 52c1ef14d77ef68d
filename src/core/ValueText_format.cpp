// Format patterns and rounding: both work on the decimal digits a person
// sees, so they share the exact-decimal helpers kept here.
#include "ValueText.h"

#include "Error.h"
#include "ValueText_marks.h"

#include <QHash>
#include <QRegularExpression>
#include <atomic>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <system_error>
#include <utility>

namespace ValueText {
namespace {

// ---------------------------------------------------------------- exact decimals

// A number as decimal digits, so rounding and grouping work on the digits a
// person sees rather than on the binary value.
struct Decimal {
    bool negative = false;
    QByteArray intDigits;  // no leading zeros; empty means zero
    QByteArray fracDigits; // may end in zeros

    bool isZero() const
    {
        for (char c : intDigits)
            if (c != '0')
                return false;
        for (char c : fracDigits)
            if (c != '0')
                return false;
        return true;
    }
};

void stripLeadingZeros(QByteArray& digits)
{
    int i = 0;
    while (i < digits.size() && digits[i] == '0')
        ++i;
    digits.remove(0, i);
}

Decimal decimalFromUnsigned(std::uint64_t magnitude, bool negative)
{
    Decimal d;
    d.negative = negative;
    if (magnitude)
        d.intDigits = QByteArray::number(quint64(magnitude));
    return d;
}

Decimal decimalFromInt(std::int64_t v)
{
    std::uint64_t magnitude = v < 0 ? std::uint64_t(0) - std::uint64_t(v) : std::uint64_t(v);
    return decimalFromUnsigned(magnitude, v < 0);
}

Decimal decimalFromCurrency(Currency c)
{
    std::uint64_t magnitude = c.scaled < 0 ? std::uint64_t(0) - std::uint64_t(c.scaled) : std::uint64_t(c.scaled);
    Decimal d = decimalFromUnsigned(magnitude / Currency::Scale, c.scaled < 0);
    d.fracDigits = QByteArray::number(quint64(magnitude % Currency::Scale)).rightJustified(4, '0');
    return d;
}

// The double with the given number of significant digits (15 for Double,
// 7 for Single), as the runtime reads it back.
Decimal decimalFromDouble(double v, int significant = 15)
{
    Decimal d;
    if (!std::isfinite(v))
        return d;
    d.negative = std::signbit(v);
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::scientific, significant - 1);
    QByteArray text(buf, int(res.ptr - buf));
    int e = text.indexOf('e');
    int exponent = text.mid(e + 1).toInt();
    QByteArray digits = text.left(e);
    if (digits.size() > 1 && digits[1] == '.')
        digits.remove(1, 1);
    if (exponent >= 0) {
        if (digits.size() <= exponent + 1) {
            d.intDigits = digits + QByteArray(exponent + 1 - digits.size(), '0');
        } else {
            d.intDigits = digits.left(exponent + 1);
            d.fracDigits = digits.mid(exponent + 1);
        }
    } else {
        d.fracDigits = QByteArray(-exponent - 1, '0') + digits;
    }
    stripLeadingZeros(d.intDigits);
    if (d.isZero())
        d.negative = false;
    return d;
}

// Rounds to `places` decimals; ties go away from zero or to the even digit.
void roundDecimal(Decimal& d, int places, bool halfEven)
{
    if (places < 0)
        places = 0;
    if (d.fracDigits.size() <= places)
        return;
    const char next = d.fracDigits[places];
    bool restNonZero = false;
    for (int i = places + 1; i < d.fracDigits.size(); ++i)
        if (d.fracDigits[i] != '0')
            restNonZero = true;
    d.fracDigits.truncate(places);
    char last = places > 0 ? d.fracDigits[places - 1] : (d.intDigits.isEmpty() ? '0' : d.intDigits.back());
    bool up = next > '5' || (next == '5' && (restNonZero || !halfEven || ((last - '0') & 1)));
    if (!up)
        return;
    QByteArray all = d.intDigits + d.fracDigits;
    int i = all.size() - 1;
    while (i >= 0 && all[i] == '9') {
        all[i] = '0';
        --i;
    }
    if (i >= 0)
        all[i] = char(all[i] + 1);
    else
        all.prepend('1');
    d.intDigits = all.left(all.size() - places);
    d.fracDigits = all.right(places);
    stripLeadingZeros(d.intDigits);
}

double doubleFromDecimal(const Decimal& d)
{
    QByteArray text = (d.negative ? "-" : "") + (d.intDigits.isEmpty() ? QByteArray("0") : d.intDigits);
    if (!d.fracDigits.isEmpty())
        text += '.' + d.fracDigits;
    double v = 0;
    std::from_chars(text.constData(), text.constData() + text.size(), v);
    return v;
}

// ---------------------------------------------------------------- Format

Variant numberFrom(const Variant& v)
{
    if (v.isString()) {
        if (auto d = parseNumber(v.toString()))
            return Variant(*d);
        return Variant();
    }
    if (v.isDate())
        return Variant(serialFromDate(v.toDate()));
    if (v.isBoolean())
        return Variant(std::int16_t(v.toBool() ? -1 : 0));
    return v;
}

Decimal decimalOf(const Variant& v)
{
    switch (v.type()) {
    case VarType::Byte:
    case VarType::Integer:
    case VarType::Long:
    case VarType::LongLong: return decimalFromInt(v.toLongLong());
    case VarType::Currency: return decimalFromCurrency(v.toCurrency());
    case VarType::Decimal: {
        // Every digit the value holds, not the fifteen a double keeps.
        const std::string text = std::get<::Decimal>(v.storage()).toAscii();
        Decimal d;
        d.negative = text.front() == '-';
        const std::string digits = d.negative ? text.substr(1) : text;
        const auto mark = digits.find('.');
        d.intDigits = QByteArray::fromStdString(digits.substr(0, mark));
        if (mark != std::string::npos)
            d.fracDigits = QByteArray::fromStdString(digits.substr(mark + 1));
        stripLeadingZeros(d.intDigits);
        return d;
    }
    case VarType::Single: return decimalFromDouble(double(v.toSingle()), 7);
    default: return decimalFromDouble(v.toDouble());
    }
}

QStringList splitSections(const QString& pattern)
{
    QStringList sections;
    QString current;
    bool quoted = false;
    for (int i = 0; i < pattern.size(); ++i) {
        QChar c = pattern[i];
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        else if (!quoted && c == QLatin1Char('\\') && i + 1 < pattern.size()) {
            current += c;
            c = pattern[++i];
        } else if (!quoted && c == QLatin1Char(';')) {
            sections << current;
            current.clear();
            continue;
        }
        current += c;
    }
    sections << current;
    return sections;
}

// One section of a number pattern, read once: literal text before and after
// the digits, the digit places and marks. The locale's marks are put in when
// a number is written, so a section holds for every locale.
struct NumberSection {
    QString prefix, suffix;
    int intZeros = 0, intHashes = 0, decZeros = 0, decHashes = 0;
    bool grouping = false, point = false, percent = false;
    bool empty = true; // nothing written for this section
    bool digits = false; // holds a digit place; a section of literal text only writes the text
    int expDigits = -1;  // scientific notation: exponent digits shown (-1 none)
    QString expMark;     // "E+", "E-", "e+" or "e-"
};

NumberSection readNumberSection(const QString& section)
{
    QString prefix, suffix;
    int intZeros = 0, intHashes = 0, decZeros = 0, decHashes = 0, expDigits = -1;
    bool grouping = false, point = false, percent = false, pendingComma = false, digits = false;
    QString expMark;
    enum { Before, Digits, After } state = Before;
    for (int i = 0; i < section.size(); ++i) {
        QChar c = section[i];
        QString literal;
        if (state == Digits && expDigits < 0 && (c == QLatin1Char('E') || c == QLatin1Char('e')) && i + 1 < section.size()
            && (section[i + 1] == QLatin1Char('+') || section[i + 1] == QLatin1Char('-'))) {
            // Scientific notation: the digit places after the mark are the exponent's.
            expMark = section.mid(i, 2);
            i += 2;
            expDigits = 0;
            while (i < section.size() && (section[i] == QLatin1Char('0') || section[i] == QLatin1Char('#'))) {
                if (section[i] == QLatin1Char('0'))
                    ++expDigits;
                ++i;
            }
            --i;
            state = After;
            continue;
        }
        if (c == QLatin1Char('"')) {
            int end = section.indexOf(QLatin1Char('"'), i + 1);
            if (end < 0)
                end = section.size();
            literal = section.mid(i + 1, end - i - 1);
            i = end;
        } else if (c == QLatin1Char('\\')) {
            if (i + 1 < section.size())
                literal = section[++i];
        } else if (state != After && (c == QLatin1Char('#') || c == QLatin1Char('0'))) {
            state = Digits;
            digits = true;
            if (point) {
                (c == QLatin1Char('0') ? decZeros : decHashes)++;
            } else {
                if (pendingComma)
                    grouping = true;
                pendingComma = false;
                (c == QLatin1Char('0') ? intZeros : intHashes)++;
            }
            continue;
        } else if (state != After && c == QLatin1Char('.') && !point) {
            state = Digits;
            point = true;
            continue;
        } else if (state == Digits && c == QLatin1Char(',') && !point) {
            pendingComma = true;
            continue;
        } else {
            if (c == QLatin1Char('%'))
                percent = true;
            literal = c;
        }
        if (state == Digits)
            state = After;
        (state == Before ? prefix : suffix) += literal;
    }
    return NumberSection{prefix, suffix, intZeros, intHashes, decZeros, decHashes, grouping, point, percent, section.isEmpty(),
                         digits || point, expDigits, expMark};
}

QString formatNumber(Decimal d, const NumberSection& f, bool withSign);
void appendNumber(QString& out, int n, int width);

// A percent sign shows the value times a hundred: two digits move across the point.
Decimal percentOf(Decimal d)
{
    d.intDigits += d.fracDigits.left(2).leftJustified(2, '0');
    d.fracDigits.remove(0, 2);
    stripLeadingZeros(d.intDigits);
    return d;
}

// Scientific notation: the mantissa keeps as many whole digits as the pattern
// has digit places ("#" and "0") before its point, none for ".00E+0"; the
// exponent its own places. Worked on the decimal digits, so the exponent of a
// power of ten never comes out one off. A percent sign scales the value
// before the exponent is chosen, so the mantissa keeps its places.
QString formatScientific(const Decimal& value, const NumberSection& f, bool withSign)
{
    const Decimal d = f.percent ? percentOf(value) : value;
    const int whole = f.intZeros + f.intHashes;
    const QByteArray all = d.intDigits + d.fracDigits;
    int lead = 0;
    while (lead < all.size() && all[lead] == '0')
        ++lead;
    Decimal mantissa;
    mantissa.negative = d.negative;
    int exponent = 0;
    if (lead < all.size()) {
        const QByteArray significant = all.mid(lead);
        const int order = int(d.intDigits.size()) - lead - 1; // power of ten of the first significant digit
        const auto shifted = [&](int exp) {
            Decimal m;
            m.negative = d.negative;
            const int wholeDigits = order - exp + 1;
            if (wholeDigits >= 0) {
                m.intDigits = significant.left(wholeDigits).leftJustified(wholeDigits, '0');
                m.fracDigits = significant.mid(wholeDigits);
            } else {
                m.fracDigits = QByteArray(-wholeDigits, '0') + significant;
            }
            roundDecimal(m, f.decZeros + f.decHashes, false);
            return m;
        };
        exponent = order - (whole - 1);
        mantissa = shifted(exponent);
        if (mantissa.intDigits.size() > whole) // rounding carried into one more digit
            mantissa = shifted(++exponent);
    }
    NumberSection m = f;
    m.expDigits = -1;
    m.percent = false; // already scaled
    m.suffix.clear();
    QString out = formatNumber(mantissa, m, withSign);
    out += f.expMark.left(1);
    if (exponent < 0)
        out += QLatin1Char('-');
    else if (f.expMark.endsWith(QLatin1Char('+')))
        out += QLatin1Char('+');
    appendNumber(out, std::abs(exponent), f.expDigits);
    return out + f.suffix;
}

QString formatNumber(Decimal d, const NumberSection& f, bool withSign)
{
    if (!f.digits)
        return f.prefix + f.suffix; // literal text only: no digits are written
    if (f.expDigits >= 0)
        return formatScientific(d, f, withSign);
    const bool percent = f.percent, grouping = f.grouping, point = f.point;
    const int intZeros = f.intZeros, decZeros = f.decZeros, decHashes = f.decHashes;
    if (percent)
        d = percentOf(std::move(d));
    const int maxDec = decZeros + decHashes;
    roundDecimal(d, maxDec, false);
    QByteArray intDigits = d.intDigits;
    if (intDigits.size() < intZeros)
        intDigits = intDigits.rightJustified(intZeros, '0');
    QByteArray frac = d.fracDigits.leftJustified(maxDec, '0');
    while (frac.size() > decZeros && frac.endsWith('0'))
        frac.chop(1);

    const LocaleMarks& m = marks();
    QString out;
    out.reserve(f.prefix.size() + f.suffix.size() + intDigits.size() * 4 / 3 + frac.size() + 3);
    if (withSign && d.negative && !d.isZero())
        out += QLatin1Char('-');
    out += f.prefix;
    if (grouping) {
        const int n = int(intDigits.size());
        for (int i = 0; i < n; ++i) {
            if (i > 0 && (n - i) % 3 == 0)
                out += m.group;
            out += QLatin1Char(intDigits[i]);
        }
    } else {
        out += QLatin1String(intDigits);
    }
    if (point)
        out += m.decimal;
    out += QLatin1String(frac);
    out += f.suffix;
    return out;
}

enum class Tok { Literal, Day, Day2, DayAbbr, DayName, ShortDate, LongDate, Month, Month2, MonthAbbr, MonthName,
                 Minute, Minute2, DayOfYear, Year2, Year4, Hour, Hour2, Second, Second2, AmPm, General, Weekday,
                 WeekOfYear, Quarter };

struct DateToken {
    Tok tok;
    QString text; // literal text, or the AM/PM pattern as written
};

// A date pattern has date letters and no digit place: "0", "#" make a number
// pattern whatever letters stand beside them ("#,##0 pcs").
bool isDatePattern(const QString& pattern)
{
    bool quoted = false, letters = false;
    for (int i = 0; i < pattern.size(); ++i) {
        QChar c = pattern[i];
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        else if (!quoted && c == QLatin1Char('\\'))
            ++i;
        else if (!quoted && (c == QLatin1Char('0') || c == QLatin1Char('#')))
            return false;
        else if (!quoted && QStringLiteral("dmyhnscwq").contains(c.toLower()))
            letters = true;
    }
    return letters;
}

std::vector<DateToken> tokenizeDate(const QString& p)
{
    std::vector<DateToken> toks;
    auto literal = [&toks](const QString& s) {
        if (!toks.empty() && toks.back().tok == Tok::Literal)
            toks.back().text += s;
        else
            toks.push_back({Tok::Literal, s});
    };
    for (int i = 0; i < p.size();) {
        QChar c = p[i];
        QChar lc = c.toLower();
        if (c == QLatin1Char('"')) {
            int end = p.indexOf(QLatin1Char('"'), i + 1);
            if (end < 0)
                end = p.size();
            literal(p.mid(i + 1, end - i - 1));
            i = end + 1;
            continue;
        }
        if (c == QLatin1Char('\\')) {
            if (i + 1 < p.size())
                literal(p.mid(i + 1, 1));
            i += 2;
            continue;
        }
        if (lc == QLatin1Char('a')) {
            for (const char* word : {"am/pm", "ampm", "a/p"}) {
                QString w = QString::fromLatin1(word);
                if (p.mid(i, w.size()).compare(w, Qt::CaseInsensitive) == 0) {
                    toks.push_back({Tok::AmPm, p.mid(i, w.size())});
                    i += int(w.size());
                    goto next;
                }
            }
            literal(c);
            ++i;
            continue;
        }
        if (c == QLatin1Char('/')) {
            literal(dateSeparator());
            ++i;
            continue;
        }
        if (c == QLatin1Char(':')) {
            literal(timeSeparator());
            ++i;
            continue;
        }
        if (QStringLiteral("dmyhnscwq").contains(lc)) {
            int n = 1;
            while (i + n < p.size() && p[i + n].toLower() == lc)
                ++n;
            i += n;
            switch (lc.toLatin1()) {
            case 'd': {
                static const Tok days[] = {Tok::Day, Tok::Day2, Tok::DayAbbr, Tok::DayName, Tok::ShortDate, Tok::LongDate};
                toks.push_back({days[std::min(n, 6) - 1], {}});
                break;
            }
            case 'm': {
                static const Tok months[] = {Tok::Month, Tok::Month2, Tok::MonthAbbr, Tok::MonthName};
                toks.push_back({months[std::min(n, 4) - 1], {}});
                break;
            }
            case 'y':
                toks.push_back({n >= 4 ? Tok::Year4 : n >= 2 ? Tok::Year2 : Tok::DayOfYear, {}});
                break;
            case 'h': toks.push_back({n >= 2 ? Tok::Hour2 : Tok::Hour, {}}); break;
            case 'n': toks.push_back({n >= 2 ? Tok::Minute2 : Tok::Minute, {}}); break;
            case 's': toks.push_back({n >= 2 ? Tok::Second2 : Tok::Second, {}}); break;
            case 'w': toks.push_back({n >= 2 ? Tok::WeekOfYear : Tok::Weekday, {}}); break;
            case 'q': toks.push_back({Tok::Quarter, {}}); break;
            default: toks.push_back({Tok::General, {}}); break;
            }
            continue;
        }
        literal(c);
        ++i;
    next:;
    }
    // "m" right after an hour or right before a second is the minute ("hh:mm:ss").
    for (std::size_t k = 0; k < toks.size(); ++k) {
        if (toks[k].tok != Tok::Month && toks[k].tok != Tok::Month2)
            continue;
        auto neighbour = [&toks](std::size_t from, int step) -> Tok {
            for (std::ptrdiff_t j = std::ptrdiff_t(from) + step; j >= 0 && j < std::ptrdiff_t(toks.size()); j += step)
                if (toks[std::size_t(j)].tok != Tok::Literal)
                    return toks[std::size_t(j)].tok;
            return Tok::Literal;
        };
        Tok before = neighbour(k, -1), after = neighbour(k, 1);
        if (before == Tok::Hour || before == Tok::Hour2 || after == Tok::Second || after == Tok::Second2)
            toks[k].tok = toks[k].tok == Tok::Month ? Tok::Minute : Tok::Minute2;
    }
    return toks;
}

QString ampmText(const QString& written, bool pm)
{
    QString w = written.toLower();
    QString t = w == QLatin1String("a/p") ? (pm ? QStringLiteral("P") : QStringLiteral("A"))
                                          : (pm ? QStringLiteral("PM") : QStringLiteral("AM"));
    // The case of the pattern is the case of the text ("am/pm" writes "pm").
    return written.front().isLower() ? t.toLower() : t;
}

// A whole number with at least `width` digits (leading zeros), appended in place.
void appendNumber(QString& out, int n, int width = 1)
{
    char buf[16];
    const auto res = std::to_chars(buf, buf + sizeof buf, n);
    for (int pad = width - int(res.ptr - buf); pad > 0 && n >= 0; --pad)
        out += QLatin1Char('0');
    out += QLatin1String(buf, qsizetype(res.ptr - buf));
}

QString formatDate(const QDateTime& value, const std::vector<DateToken>& toks)
{
    const QDate date = value.date();
    const QTime time = value.time();
    const QLocale& l = marks().locale;
    int year = 0, month = 0, day = 0;
    date.getDate(&year, &month, &day);
    bool twelve = false;
    for (const auto& t : toks)
        if (t.tok == Tok::AmPm)
            twelve = true;
    int hour = time.hour();
    if (twelve)
        hour = hour % 12 == 0 ? 12 : hour % 12;
    QString out;
    out.reserve(32);
    for (const auto& t : toks) {
        switch (t.tok) {
        case Tok::Literal: out += t.text; break;
        case Tok::Day: appendNumber(out, day); break;
        case Tok::Day2: appendNumber(out, day, 2); break;
        case Tok::DayAbbr: out += l.dayName(date.dayOfWeek(), QLocale::ShortFormat); break;
        case Tok::DayName: out += l.dayName(date.dayOfWeek(), QLocale::LongFormat); break;
        case Tok::ShortDate: out += dateText(QDateTime(date, QTime(0, 0), Qt::UTC)); break;
        case Tok::LongDate: out += l.toString(date, QLocale::LongFormat); break;
        case Tok::Month: appendNumber(out, month); break;
        case Tok::Month2: appendNumber(out, month, 2); break;
        case Tok::MonthAbbr: out += l.monthName(month, QLocale::ShortFormat); break;
        case Tok::MonthName: out += l.monthName(month, QLocale::LongFormat); break;
        case Tok::DayOfYear: appendNumber(out, date.dayOfYear()); break;
        case Tok::Year2: appendNumber(out, year % 100, 2); break;
        case Tok::Year4: appendNumber(out, year, 4); break;
        case Tok::Hour: appendNumber(out, hour); break;
        case Tok::Hour2: appendNumber(out, hour, 2); break;
        case Tok::Minute: appendNumber(out, time.minute()); break;
        case Tok::Minute2: appendNumber(out, time.minute(), 2); break;
        case Tok::Second: appendNumber(out, time.second()); break;
        case Tok::Second2: appendNumber(out, time.second(), 2); break;
        case Tok::AmPm: out += ampmText(t.text, time.hour() >= 12); break;
        case Tok::General: out += dateText(value); break;
        // Weeks start on Sunday (day 1); the week of 1 January is week 1.
        case Tok::Weekday: appendNumber(out, date.dayOfWeek() % 7 + 1); break;
        case Tok::WeekOfYear:
            appendNumber(out, (date.dayOfYear() - 1 + QDate(year, 1, 1).dayOfWeek() % 7) / 7 + 1);
            break;
        case Tok::Quarter: appendNumber(out, (month - 1) / 3 + 1); break;
        }
    }
    return out;
}

// A pattern read once: format() meets the same few patterns for every row of
// a grid, a query or an export.
struct CompiledPattern {
    QString pattern;
    unsigned localeStamp = 0; // a date pattern holds the locale's date and time marks
    bool date = false;
    std::vector<DateToken> tokens;
    std::vector<NumberSection> sections;
};

const CompiledPattern& compiledPattern(const QString& pattern)
{
    constexpr std::size_t Slots = 8;
    thread_local std::vector<CompiledPattern> cache = [] {
        std::vector<CompiledPattern> v;
        v.reserve(Slots);
        return v;
    }();
    thread_local std::size_t nextSlot = 0;
    const unsigned stamp = marks().stamp;
    for (const CompiledPattern& c : cache)
        if (c.localeStamp == stamp && c.pattern == pattern)
            return c;
    CompiledPattern c;
    c.pattern = pattern;
    c.localeStamp = stamp;
    c.date = isDatePattern(pattern);
    if (c.date) {
        c.tokens = tokenizeDate(pattern);
    } else {
        for (const QString& section : splitSections(pattern))
            c.sections.push_back(readNumberSection(section));
    }
    if (cache.size() < Slots) {
        cache.push_back(std::move(c));
        return cache.back();
    }
    CompiledPattern& slot = cache[nextSlot];
    nextSlot = (nextSlot + 1) % Slots;
    slot = std::move(c);
    return slot;
}

std::optional<QDateTime> dateFrom(const Variant& v)
{
    switch (v.type()) {
    case VarType::Date: return v.toDate();
    case VarType::String: {
        if (auto d = parseDate(v.toString()))
            return d;
        if (auto n = parseNumber(v.toString()))
            return dateFromSerial(*n);
        return std::nullopt;
    }
    case VarType::Empty:
    case VarType::Null:
    case VarType::Object:
    case VarType::Array: return std::nullopt;
    default: return dateFromSerial(v.toDouble());
    }
}

} // namespace

// ---------------------------------------------------------------- Format

namespace {

bool spanish() { return marks().locale.language() == QLocale::Spanish; }

// The named formats: number, yes/no and date forms by name, case ignored.
std::optional<QString> namedFormat(const Variant& value, const QString& pattern)
{
    const QString name = pattern.trimmed().toLower();
    static const QHash<QString, QString> numbers = {
        {QStringLiteral("fixed"), QStringLiteral("0.00")},       {QStringLiteral("standard"), QStringLiteral("#,##0.00")},
        {QStringLiteral("percent"), QStringLiteral("0.00%")},    {QStringLiteral("scientific"), QStringLiteral("0.00E+00")}};
    static const QHash<QString, std::pair<const char*, const char*>> truth = {
        {QStringLiteral("yes/no"), {"Yes", "No"}}, {QStringLiteral("true/false"), {"True", "False"}},
        {QStringLiteral("on/off"), {"On", "Off"}}};
    static const QHash<QString, std::pair<const char*, const char*>> truthEs = {
        {QStringLiteral("yes/no"), {"Sí", "No"}}, {QStringLiteral("true/false"), {"Verdadero", "Falso"}},
        {QStringLiteral("on/off"), {"Activado", "Desactivado"}}};
    static const QStringList dates = {QStringLiteral("general date"), QStringLiteral("long date"), QStringLiteral("medium date"),
                                      QStringLiteral("short date"),   QStringLiteral("long time"), QStringLiteral("medium time"),
                                      QStringLiteral("short time")};
    if (numbers.contains(name))
        return format(value, numbers.value(name));
    const bool isTruth = truth.contains(name);
    if (isTruth || name == QLatin1String("general number") || name == QLatin1String("currency")) {
        const Variant number = numberFrom(value);
        if (number.isEmpty())
            return value.isString() ? value.toString() : toText(value);
        if (isTruth) {
            const auto& words = (spanish() ? truthEs : truth).value(name);
            return QString::fromUtf8(decimalOf(number).isZero() ? words.second : words.first);
        }
        if (name == QLatin1String("general number"))
            return toText(number);
        // The locale's money: its symbol where the locale puts it, two decimals, groups of three.
        const QLocale& l = marks().locale;
        const QString one = l.toString(1.0, 'f', 2), sample = l.toCurrencyString(1.0, QString(), 2);
        const qsizetype at = sample.indexOf(one);
        const QString digits = format(number, QStringLiteral("#,##0.00;#,##0.00"));
        const QString sign = decimalOf(number).negative && !decimalOf(number).isZero() ? QStringLiteral("-") : QString();
        if (at < 0)
            return sign + digits;
        return sign + sample.left(at) + digits + sample.mid(at + one.size());
    }
    if (!dates.contains(name))
        return std::nullopt;
    const auto d = dateFrom(value);
    if (!d)
        return value.isString() ? value.toString() : toText(value);
    const QLocale& l = marks().locale;
    const bool twelve = l.timeFormat(QLocale::ShortFormat).contains(QLatin1String("ap"), Qt::CaseInsensitive);
    if (name == QLatin1String("general date"))
        return dateText(*d);
    if (name == QLatin1String("long date"))
        return l.toString(d->date(), QLocale::LongFormat);
    if (name == QLatin1String("short date"))
        return dateText(QDateTime(d->date(), QTime(0, 0), Qt::UTC));
    if (name == QLatin1String("medium date"))
        return format(Variant(*d), QStringLiteral("dd-mmm-yy"));
    if (name == QLatin1String("long time"))
        return format(Variant(*d), twelve ? QStringLiteral("h:nn:ss AM/PM") : QStringLiteral("hh:nn:ss"));
    if (name == QLatin1String("medium time"))
        return format(Variant(*d), QStringLiteral("hh:nn AM/PM"));
    return format(Variant(*d), QStringLiteral("hh:nn"));
}

// Text patterns: "@" a character or a blank, "&" a character or nothing,
// aligned to the right ("!" to the left); "<" writes lower case, ">" upper.
bool isTextPattern(const QString& pattern)
{
    bool quoted = false, marks = false;
    for (int i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern[i];
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        else if (!quoted && c == QLatin1Char('\\'))
            ++i;
        else if (!quoted && (c == QLatin1Char('@') || c == QLatin1Char('&')))
            return true;
        else if (!quoted && (c == QLatin1Char('<') || c == QLatin1Char('>') || c == QLatin1Char('!')))
            marks = true;
        else if (!quoted)
            return false;
    }
    return marks;
}

QString formatText(QString text, const QString& pattern)
{
    struct Part {
        QChar place; // '@', '&' or 0 for literal text
        QString literal;
    };
    std::vector<Part> parts;
    bool leftToRight = false;
    QChar caseMark; // the first "<" or ">" decides; a later one is ignored
    int places = 0;
    for (int i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern[i];
        if (c == QLatin1Char('"')) {
            qsizetype end = pattern.indexOf(QLatin1Char('"'), i + 1);
            if (end < 0)
                end = pattern.size();
            parts.push_back({QChar(), pattern.mid(i + 1, end - i - 1)});
            i = int(end);
        } else if (c == QLatin1Char('\\')) {
            if (i + 1 < pattern.size())
                parts.push_back({QChar(), pattern.mid(++i, 1)});
        } else if (c == QLatin1Char('<') || c == QLatin1Char('>')) {
            if (caseMark.isNull())
                caseMark = c;
        } else if (c == QLatin1Char('!')) {
            leftToRight = true;
        } else if (c == QLatin1Char('@') || c == QLatin1Char('&')) {
            parts.push_back({c, QString()});
            ++places;
        } else {
            parts.push_back({QChar(), QString(c)});
        }
    }
    if (caseMark == QLatin1Char('<'))
        text = text.toLower();
    else if (caseMark == QLatin1Char('>'))
        text = text.toUpper();
    if (places == 0)
        return text;
    // A short text leaves its first places blank (its last ones with "!");
    // a long one fills every place in order and ends with the rest.
    const int blanks = std::max(0, places - int(text.size()));
    QString out;
    int next = 0, place = 0;
    for (const Part& p : parts) {
        if (p.place.isNull()) {
            out += p.literal;
            continue;
        }
        const bool blank = leftToRight ? next >= text.size() : place < blanks;
        if (!blank)
            out += text[next++];
        else if (p.place == QLatin1Char('@'))
            out += QLatin1Char(' ');
        ++place;
    }
    return out + text.mid(next);
}

} // namespace

QString format(const Variant& value, const QString& pattern)
{
    if (value.isNull() || value.isEmpty())
        return QString();
    if (pattern.isEmpty())
        return toText(value);
    if (auto named = namedFormat(value, pattern))
        return *named;
    if (isTextPattern(pattern))
        return formatText(toText(value), pattern);
    const CompiledPattern& compiled = compiledPattern(pattern);
    if (compiled.date) {
        auto d = dateFrom(value);
        if (!d)
            return value.isString() ? value.toString() : toText(value);
        return formatDate(*d, compiled.tokens);
    }
    const Variant number = numberFrom(value);
    if (number.isEmpty())
        return value.isString() ? value.toString() : toText(value);
    const Decimal d = decimalOf(number);
    const std::vector<NumberSection>& sections = compiled.sections;
    if (d.negative && sections.size() >= 2 && !sections[1].empty)
        return formatNumber(d, sections[1], false);
    if (d.isZero() && sections.size() >= 3 && !sections[2].empty)
        return formatNumber(d, sections[2], false);
    return formatNumber(d, sections[0], true);
}

// ---------------------------------------------------------------- rounding

namespace {
double roundTo(double value, int digits, bool halfEven)
{
    if (!std::isfinite(value))
        return value;
    if (digits <= 0)
        return halfEven ? std::nearbyint(value) : std::round(value);
    if (std::fabs(value) >= 1e15)
        return value;
    Decimal d = decimalFromDouble(value);
    roundDecimal(d, digits, halfEven);
    return doubleFromDecimal(d);
}
} // namespace

double roundHalfEven(double value, int digits) { return roundTo(value, digits, true); }
double roundHalfAway(double value, int digits) { return roundTo(value, digits, false); }

} // namespace ValueText
