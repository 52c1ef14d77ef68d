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

namespace ValueText {
namespace {

std::optional<QLocale>& overrideLocale()
{
    static std::optional<QLocale> l;
    return l;
}

// ---------------------------------------------------------------- locale shapes

// The short-date shape of the locale, always with a four-digit year. Spanish
// writes "dd/mm/yyyy" as the system did (Qt's own Spanish short date has no
// leading zeros and a two-digit year); a locale whose short date is not all
// numbers falls back to the same shape.
DateShape computeDateShape(const QLocale& l)
{
    DateShape shape;
    shape.twelveHour = l.timeFormat(QLocale::ShortFormat).contains(QLatin1String("ap"), Qt::CaseInsensitive);
    if (l.language() == QLocale::Spanish)
        return shape;
    const QString f = l.dateFormat(QLocale::ShortFormat);
    if (f.contains(QLatin1String("MMM")) || f.contains(QLatin1String("ddd")))
        return shape;
    int d = f.indexOf(QLatin1Char('d')), m = f.indexOf(QLatin1Char('M')), y = f.indexOf(QLatin1Char('y'));
    if (d < 0 || m < 0 || y < 0)
        return shape;
    if (y < m && m < d)
        shape.order = DateOrder::YMD;
    else if (m < d)
        shape.order = DateOrder::MDY;
    for (QChar c : f) {
        if (!c.isLetter() && !c.isSpace()) {
            shape.separator = c;
            break;
        }
    }
    shape.padDay = f.contains(QLatin1String("dd"));
    shape.padMonth = f.contains(QLatin1String("MM"));
    return shape;
}

LocaleMarks computeMarks(const QLocale& l)
{
    static std::atomic<unsigned> stamps{0};
    LocaleMarks m;
    m.locale = l;
    m.stamp = stamps.fetch_add(1, std::memory_order_relaxed) + 1;
    const QString dec = l.decimalPoint(), group = l.groupSeparator();
    if (!dec.isEmpty())
        m.decimal = dec.front();
    if (!group.isEmpty())
        m.group = group.front();
    for (QChar c : l.timeFormat(QLocale::ShortFormat)) {
        if (c == QLatin1Char(':') || c == QLatin1Char('.')) {
            m.time = c;
            break;
        }
    }
    m.shape = computeDateShape(l);
    m.currency = l.currencySymbol();
    return m;
}

// Bumped whenever the locale put in force here changes.
std::atomic<unsigned> overrideGeneration{0};

} // namespace

const LocaleMarks& marks()
{
    struct Cache {
        LocaleMarks marks;
        bool ready = false;
        bool fromOverride = false;
        unsigned generation = 0;
    };
    thread_local Cache cache;
    const std::optional<QLocale>& forced = overrideLocale();
    if (forced) {
        const unsigned generation = overrideGeneration.load(std::memory_order_acquire);
        if (!cache.ready || !cache.fromOverride || cache.generation != generation) {
            cache.marks = computeMarks(*forced);
            cache.ready = cache.fromOverride = true;
            cache.generation = generation;
        }
        return cache.marks;
    }
    // The default locale may be changed behind our back (QLocale::setDefault):
    // comparing it with the cached one is cheap, rebuilding is not.
    const QLocale current;
    if (!cache.ready || cache.fromOverride || cache.marks.locale != current) {
        cache.marks = computeMarks(current);
        cache.ready = true;
        cache.fromOverride = false;
    }
    return cache.marks;
}

namespace {

const DateShape& dateShape() { return marks().shape; }

// ---------------------------------------------------------------- number reading

bool isBlank(QChar c) { return c.isSpace(); }

std::optional<double> parseRadix(const QString& digits, int base)
{
    if (digits.isEmpty())
        return std::nullopt;
    bool ok = false;
    qulonglong v = digits.toULongLong(&ok, base);
    if (!ok || v > 0xFFFFFFFFull)
        return std::nullopt;
    // "&HFFFF" is the 16-bit -1 and "&HFFFFFFFF" the 32-bit -1, as the runtime reads them.
    const bool sixteenBit = base == 16 ? digits.size() <= 4 : v <= 0xFFFF;
    if (sixteenBit)
        return double(std::int16_t(std::uint16_t(v)));
    return double(std::int32_t(std::uint32_t(v)));
}

// ---------------------------------------------------------------- date reading

int expandYear(const QString& text)
{
    int y = text.toInt();
    if (text.size() <= 2)
        return y < 30 ? 2000 + y : 1900 + y;
    return y;
}

bool makeDate(int y, int m, int d, QDate& out)
{
    if (y < 100 || y > 9999)
        return false;
    QDate date(y, m, d);
    if (!date.isValid())
        return false;
    out = date;
    return true;
}

} // namespace

// ---------------------------------------------------------------- locale

void setLocale(const QLocale& l)
{
    overrideLocale() = l;
    overrideGeneration.fetch_add(1, std::memory_order_release);
}

QLocale locale() { return marks().locale; }

QChar decimalSeparator() { return marks().decimal; }

QChar groupSeparator() { return marks().group; }

QChar dateSeparator() { return marks().shape.separator; }

QChar timeSeparator() { return marks().time; }

ScopedLocale::ScopedLocale(const QLocale& l) : previous_(overrideLocale()) { setLocale(l); }

ScopedLocale::~ScopedLocale()
{
    overrideLocale() = previous_;
    overrideGeneration.fetch_add(1, std::memory_order_release);
}

QString booleanText(bool b) { return b ? QStringLiteral("Verdadero") : QStringLiteral("Falso"); }

// ---------------------------------------------------------------- CStr

namespace {

// Digits of a number written by to_chars, with the locale's decimal mark and
// an upper-case exponent ("1E+15"), in one allocation.
QString numberFromChars(const char* begin, const char* end)
{
    const char16_t dec = marks().decimal.unicode();
    QString t(qsizetype(end - begin), Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(t.data());
    for (const char* c = begin; c != end; ++c)
        *out++ = *c == '.' ? dec : *c == 'e' ? u'E' : char16_t(*c);
    return t;
}

char16_t* putTwoDigits(char16_t* out, int n)
{
    *out++ = char16_t(u'0' + n / 10 % 10);
    *out++ = char16_t(u'0' + n % 10);
    return out;
}

char16_t* putNumber(char16_t* out, int n)
{
    char buf[16];
    auto res = std::to_chars(buf, buf + sizeof buf, n);
    for (const char* c = buf; c != res.ptr; ++c)
        *out++ = char16_t(*c);
    return out;
}

} // namespace

TextWriter::TextWriter()
{
    const LocaleMarks& m = marks();
    decimal_ = m.decimal.unicode();
    time_ = m.time.unicode();
    dateSeparator_ = m.shape.separator.unicode();
    order_ = int(m.shape.order);
    padDay_ = m.shape.padDay;
    padMonth_ = m.shape.padMonth;
    twelveHour_ = m.shape.twelveHour;
}

char16_t* TextWriter::number(char16_t* out, double value) const
{
    const auto put = [&out](std::u16string_view text) {
        for (const char16_t c : text)
            *out++ = c;
        return out;
    };
    if (!std::isfinite(value))
        return put(std::isnan(value) ? u"NaN" : value < 0 ? u"-Inf" : u"Inf");
    if (value == 0)
        return put(u"0");
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 15);
    for (const char* c = buf; c != res.ptr; ++c)
        *out++ = *c == '.' ? decimal_ : *c == 'e' ? u'E' : char16_t(*c);
    return out;
}

char16_t* TextWriter::date(char16_t* out, int y, int mo, int d, int hour, int minute, int second) const
{
    // Day zero alone is a time of day; midnight alone is a date.
    const bool hasDate = !(y == 1899 && mo == 12 && d == 30);
    const bool hasTime = !hasDate || hour || minute || second;
    char16_t* const start = out;
    if (hasDate) {
        auto putDay = [&] { out = padDay_ ? putTwoDigits(out, d) : putNumber(out, d); };
        auto putMonth = [&] { out = padMonth_ ? putTwoDigits(out, mo) : putNumber(out, mo); };
        auto putYear = [&] {
            if (y >= 0 && y < 1000)
                for (int scale = 1000; scale > y && scale > 1; scale /= 10)
                    *out++ = u'0';
            out = putNumber(out, y);
        };
        switch (DateOrder(order_)) {
        case DateOrder::DMY: putDay(); *out++ = dateSeparator_; putMonth(); *out++ = dateSeparator_; putYear(); break;
        case DateOrder::MDY: putMonth(); *out++ = dateSeparator_; putDay(); *out++ = dateSeparator_; putYear(); break;
        case DateOrder::YMD: putYear(); *out++ = dateSeparator_; putMonth(); *out++ = dateSeparator_; putDay(); break;
        }
    }
    if (hasTime) {
        if (out != start)
            *out++ = u' ';
        out = twelveHour_ ? putNumber(out, hour % 12 == 0 ? 12 : hour % 12) : putTwoDigits(out, hour);
        *out++ = time_;
        out = putTwoDigits(out, minute);
        *out++ = time_;
        out = putTwoDigits(out, second);
        if (twelveHour_) {
            *out++ = u' ';
            *out++ = hour >= 12 ? u'P' : u'A';
            *out++ = u'M';
        }
    }
    return out;
}

QString numberText(double value)
{
    char16_t buf[TextWriter::MaxUnits];
    return QString(reinterpret_cast<const QChar*>(buf), qsizetype(TextWriter().number(buf, value) - buf));
}

namespace {
QString singleText(float value)
{
    if (!std::isfinite(value) || value == 0)
        return numberText(double(value));
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 7);
    return numberFromChars(buf, res.ptr);
}

QString currencyText(Currency c)
{
    // The scaled integer written out and its decimal mark put in: at most
    // 19 digits, a sign and the mark.
    const bool negative = c.scaled < 0;
    const std::uint64_t magnitude = negative ? std::uint64_t(0) - std::uint64_t(c.scaled) : std::uint64_t(c.scaled);
    std::uint64_t whole = magnitude / Currency::Scale;
    int frac = int(magnitude % Currency::Scale);
    char buf[32];
    char* p = buf;
    if (negative)
        *p++ = '-';
    p = std::to_chars(p, buf + sizeof buf, whole).ptr;
    if (frac) {
        *p++ = '.';
        int digits = 4;
        while (frac % 10 == 0) {
            frac /= 10;
            --digits;
        }
        char f[4];
        for (int i = digits - 1; i >= 0; --i, frac /= 10)
            f[i] = char('0' + frac % 10);
        for (int i = 0; i < digits; ++i)
            *p++ = f[i];
    }
    return numberFromChars(buf, p);
}
} // namespace

QString dateText(const QDateTime& value)
{
    int y = 0, mo = 0, d = 0;
    value.date().getDate(&y, &mo, &d);
    const QTime time = value.time();
    char16_t buf[TextWriter::MaxUnits];
    const char16_t* end = TextWriter().date(buf, y, mo, d, time.hour(), time.minute(), time.second());
    return QString(reinterpret_cast<const QChar*>(buf), qsizetype(end - buf));
}

QString toText(const Variant& v)
{
    switch (v.type()) {
    case VarType::Empty: return QString();
    case VarType::Null: detail::invalidNull();
    case VarType::Boolean: return booleanText(v.toBool());
    case VarType::String: return v.toString();
    case VarType::Date: return dateText(v.toDate());
    case VarType::Byte:
    case VarType::Integer:
    case VarType::Long:
    case VarType::LongLong: return QString::number(v.toLongLong());
    case VarType::Currency: return currencyText(v.toCurrency());
    case VarType::Decimal: {
        const std::string digits = std::get<::Decimal>(v.storage()).toAscii();
        return numberFromChars(digits.data(), digits.data() + digits.size());
    }
    case VarType::Single: return singleText(v.toSingle());
    case VarType::Double: return numberText(v.toDouble());
    case VarType::Object:
    case VarType::Array: break;
    }
    detail::typeMismatch();
}

QString displayText(const Variant& v) { return v.isNull() ? QString() : toText(v); }

// ---------------------------------------------------------------- reading numbers

bool isNumeric(const QString& text) { return parseNumber(text).has_value(); }

namespace {

// A number read from text: its digits in C form ("0123.45e-2") with the sign
// apart, or the value of an "&H" / "&O" literal.
struct ScannedNumber {
    std::string ascii = "0";
    bool negative = false;
    std::optional<double> radix;
};

// An exponent ("E", "e", "D" or "d", a sign, digits) at i, appended to ascii
// as "e..." and passed over; true also when there is none, false for a mark
// without digits.
bool takeExponent(const QString& s, int& i, std::string& ascii)
{
    const int n = int(s.size());
    if (i >= n || (s[i] != QLatin1Char('E') && s[i] != QLatin1Char('e') && s[i] != QLatin1Char('D') &&
                   s[i] != QLatin1Char('d')))
        return true;
    int j = i + 1;
    std::string exp = "e";
    if (j < n && (s[j] == QLatin1Char('+') || s[j] == QLatin1Char('-')))
        exp += char(s[j++].unicode());
    int digits = 0;
    while (j < n && s[j].isDigit() && s[j].unicode() < 128) {
        exp += char(s[j++].unicode());
        ++digits;
    }
    if (digits == 0)
        return false;
    ascii += exp;
    i = j;
    return true;
}

bool scanNumber(const QString& text, ScannedNumber& out)
{
    const LocaleMarks& m = marks();
    const QChar dec = m.decimal;
    const QChar group = m.group;
    // Typed text uses a plain blank where the locale groups with a no-break space.
    const bool blankGroups = group == QChar(0x00A0) || group == QChar(0x202F);
    const QString& currency = m.currency;

    const QString& s = text;
    int i = 0;
    const int n = int(s.size());
    bool negative = false, sign = false, paren = false, money = false;

    auto takeCurrency = [&]() {
        if (!money && !currency.isEmpty() && QStringView(s).mid(i, currency.size()) == currency) {
            money = true;
            i += int(currency.size());
            return true;
        }
        return false;
    };

    // A blank, or the one sign a number may carry (never with parentheses).
    auto takeBlankOrSign = [&]() {
        if (i < n && isBlank(s[i])) {
            ++i;
            return true;
        }
        if (i < n && !sign && !paren && (s[i] == QLatin1Char('-') || s[i] == QLatin1Char('+'))) {
            sign = true;
            negative = s[i] == QLatin1Char('-');
            ++i;
            return true;
        }
        return false;
    };

    // Leading blanks, sign, opening parenthesis and currency symbol, in any order.
    for (;;) {
        if (i < n && !paren && !sign && s[i] == QLatin1Char('(')) {
            paren = true;
            ++i;
        } else if (!takeBlankOrSign() && !takeCurrency()) {
            break;
        }
    }

    if (i + 1 < n && s[i] == QLatin1Char('&')) {
        const QChar r = s[i + 1].toUpper();
        if (r == QLatin1Char('H') || r == QLatin1Char('O')) {
            int j = i + 2;
            QString digits;
            while (j < n && (r == QLatin1Char('H') ? s[j].unicode() < 128 && std::isxdigit(s[j].toLatin1())
                                                   : s[j] >= QLatin1Char('0') && s[j] <= QLatin1Char('7')))
                digits += s[j++];
            while (j < n && isBlank(s[j]))
                ++j;
            if (j != n || sign || paren || money)
                return false;
            out.radix = parseRadix(digits, r == QLatin1Char('H') ? 16 : 8);
            return out.radix.has_value();
        }
    }

    std::string& ascii = out.ascii;
    int intDigits = 0, groupLen = -1; // groupLen: digits since the last group mark (-1: none yet)
    bool fraction = false, anyDigit = false;
    for (; i < n; ++i) {
        const QChar c = s[i];
        if (c.isDigit() && c.unicode() < 128) {
            ascii += char(c.unicode());
            anyDigit = true;
            if (!fraction) {
                ++intDigits;
                if (groupLen >= 0 && ++groupLen > 3)
                    return false;
            }
        } else if (!fraction && (c == group || (blankGroups && c == QLatin1Char(' '))) && c != dec) {
            // A group mark needs 1-3 digits before it (or a full group) and digits after it.
            if (intDigits == 0 || (groupLen < 0 ? intDigits > 3 : groupLen != 3))
                return false;
            if (i + 1 >= n || !s[i + 1].isDigit())
                return false;
            groupLen = 0;
        } else if (!fraction && c == dec) {
            if (groupLen >= 0 && groupLen != 3)
                return false;
            fraction = true;
            ascii += '.';
        } else {
            break;
        }
    }
    if (!anyDigit || (groupLen >= 0 && !fraction && groupLen != 3))
        return false;

    if (!takeExponent(s, i, ascii))
        return false;

    // Trailing blanks, sign, closing parenthesis and currency symbol.
    bool closed = false;
    for (;;) {
        if (i < n && paren && !closed && s[i] == QLatin1Char(')')) {
            closed = true;
            ++i;
        } else if (!takeBlankOrSign() && !takeCurrency()) {
            break;
        }
    }
    if (i != n || paren != closed)
        return false;

    out.negative = negative || paren;
    return true;
}

// Decimal digits times a power of ten, rounded half to even at four decimals,
// as an exact count of 1/10000. Raises Overflow beyond the Currency range.
Currency currencyFromDigits(const ScannedNumber& n)
{
    const std::string& a = n.ascii;
    const std::size_t e = a.find('e');
    const std::string mantissa = a.substr(0, e);
    long long exponent = 0;
    if (e != std::string::npos) {
        const char* p = a.data() + e + 1;
        const bool minus = *p == '-';
        if (*p == '-' || *p == '+')
            ++p;
        for (; p != a.data() + a.size(); ++p)
            exponent = std::min<long long>(exponent * 10 + (*p - '0'), 1000000000LL);
        if (minus)
            exponent = -exponent;
    }
    std::string digits;
    long long fracDigits = 0;
    bool afterPoint = false;
    for (char c : mantissa) {
        if (c == '.') {
            afterPoint = true;
            continue;
        }
        if (digits.empty() && c == '0') {
            if (afterPoint)
                ++fracDigits;
            continue;
        }
        digits += c;
        if (afterPoint)
            ++fracDigits;
    }
    if (digits.empty())
        return Currency{};
    // The value is digits x 10^shift in units of 1/10000.
    const long long shift = exponent - fracDigits + 4;
    const long long length = (long long)digits.size();
    const long long kept = shift >= 0 ? length : length + shift; // digits left of the unit; may be <= 0
    const unsigned __int128 limit = (unsigned __int128)(1) << 63;
    auto check = [&](unsigned __int128 x) {
        if (x > limit - (n.negative ? 0 : 1))
            detail::overflow();
    };
    unsigned __int128 v = 0;
    for (long long i = 0; i < kept; ++i) {
        v = v * 10 + unsigned(digits[std::size_t(i)] - '0');
        check(v);
    }
    for (long long i = 0; i < shift; ++i) {
        v *= 10;
        check(v);
    }
    if (kept < length) {
        // Half to even on the first dropped digit and whatever follows it.
        const char first = kept >= 0 ? digits[std::size_t(kept)] : '0';
        bool rest = kept < 0;
        for (long long i = std::max(kept + 1, 0LL); i < length && !rest; ++i)
            rest = digits[std::size_t(i)] != '0';
        if (first > '5' || (first == '5' && (rest || (v & 1)))) {
            ++v;
            check(v);
        }
    }
    const std::uint64_t magnitude = std::uint64_t(v);
    return Currency::fromScaled(n.negative ? std::int64_t(std::uint64_t(0) - magnitude) : std::int64_t(magnitude));
}

} // namespace

std::optional<double> parseNumber(const QString& text)
{
    ScannedNumber n;
    if (!scanNumber(text, n))
        return std::nullopt;
    if (n.radix)
        return n.radix;
    double v = 0;
    const std::string& a = n.ascii;
    auto res = std::from_chars(a.data(), a.data() + a.size(), v);
    if (res.ec != std::errc() || res.ptr != a.data() + a.size() || !std::isfinite(v))
        return std::nullopt;
    return n.negative ? -v : v;
}

std::optional<Currency> parseCurrency(const QString& text)
{
    ScannedNumber n;
    if (!scanNumber(text, n))
        return std::nullopt;
    if (n.radix)
        return Currency::fromScaled(std::int64_t(*n.radix) * Currency::Scale);
    return currencyFromDigits(n);
}

// ---------------------------------------------------------------- reading dates

bool isDate(const QString& text) { return parseDate(text).has_value(); }

std::optional<QDateTime> parseDate(const QString& text)
{
    static const QRegularExpression re(
        QStringLiteral("^\\s*(?:(\\d{1,4})([/.\\-])(\\d{1,2})\\2(\\d{1,4}))?"
                       "(?:(\\s*|T)(\\d{1,2}):(\\d{1,2})(?::(\\d{1,2})(?:[.,](\\d{1,9}))?)?"
                       "\\s*([AaPp][Mm]?)?)?\\s*$"));
    QString t = text;
    const QChar localSep = dateSeparator();
    if (localSep != QLatin1Char('/') && localSep != QLatin1Char('.') && localSep != QLatin1Char('-'))
        t.replace(localSep, QLatin1Char('/'));
    const auto m = re.match(t);
    if (!m.hasMatch())
        return std::nullopt;
    const bool hasDate = m.capturedLength(1) > 0;
    const bool hasTime = m.capturedLength(6) > 0;
    if (!hasDate && !hasTime)
        return std::nullopt;
    // Date and time stand apart ("31/12/2024 10:00" or ISO "2024-12-31T10:00").
    const QString between = m.captured(5);
    if (hasDate && hasTime && between.isEmpty())
        return std::nullopt;
    if (!hasDate && between == QLatin1String("T"))
        return std::nullopt;

    QDate date(1899, 12, 30);
    if (hasDate) {
        const QString a = m.captured(1), b = m.captured(3), c = m.captured(4);
        const DateOrder order = dateShape().order;
        bool ok = false;
        if (a.size() >= 3) {
            ok = makeDate(a.toInt(), b.toInt(), c.toInt(), date);
        } else if (order == DateOrder::YMD) {
            ok = makeDate(expandYear(a), b.toInt(), c.toInt(), date);
        } else {
            int first = a.toInt(), second = b.toInt(), year = expandYear(c);
            int d = order == DateOrder::DMY ? first : second;
            int mo = order == DateOrder::DMY ? second : first;
            // The runtime took day and month the other way round when the
            // locale's order gives no date ("12/31/2020" under d/m/y).
            ok = makeDate(year, mo, d, date) || makeDate(year, d, mo, date);
        }
        if (!ok)
            return std::nullopt;
    }

    QTime time(0, 0);
    if (hasTime) {
        int h = m.captured(6).toInt(), mi = m.captured(7).toInt(), s = m.captured(8).toInt();
        int ms = m.captured(9).isEmpty() ? 0 : m.captured(9).left(3).leftJustified(3, QLatin1Char('0')).toInt();
        const QString ampm = m.captured(10).toUpper();
        if (!ampm.isEmpty()) {
            if (h < 1 || h > 12)
                return std::nullopt;
            const bool pm = ampm.startsWith(QLatin1Char('P'));
            h = h % 12 + (pm ? 12 : 0);
        }
        if (h > 23 || mi > 59 || s > 59)
            return std::nullopt;
        time = QTime(h, mi, s, ms);
    }
    return QDateTime(date, time, Qt::UTC);
}

} // namespace ValueText
