#include "core/Error.h"
#include "ErrorOf.h"
#include "core/ValueText.h"

#include <gtest/gtest.h>

#include <limits>
#include <tuple>

using namespace ValueText;

namespace {
const QLocale Spanish(QLocale::Spanish, QLocale::Spain);
const QLocale English(QLocale::English, QLocale::UnitedStates);

QDateTime at(int y, int mo, int d, int h = 0, int mi = 0, int s = 0)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s), Qt::UTC);
}

// Each row: an input and what the call makes of it, in the locale in force.
template <class In, class Out, class F>
void expectEach(F call, std::initializer_list<std::pair<In, Out>> rows)
{
    for (const auto& [in, out] : rows)
        EXPECT_EQ(call(in), out) << in;
}

const auto number = [](const char* t) { return parseNumber(QString::fromUtf8(t)); };
const auto date = [](const char* t) { return parseDate(QString::fromUtf8(t)); };

void expectNotNumbers(std::initializer_list<const char*> texts)
{
    for (const char* t : texts)
        EXPECT_FALSE(isNumeric(QString::fromUtf8(t))) << t;
}

void expectFormats(std::initializer_list<std::tuple<Variant, const char*, const char*>> rows)
{
    for (const auto& [value, pattern, text] : rows)
        EXPECT_EQ(format(value, QString::fromUtf8(pattern)), QString::fromUtf8(text)) << pattern;
}
} // namespace

TEST(ValueTextNumbers, ReadingNumbersInEachLocale)
{
    ScopedLocale es(Spanish);
    expectEach<const char*, double>(number, {{"1.234,5", 1234.5}, {"1234,5", 1234.5}, {"1.234.567", 1234567.0},
        {" -12,25 ", -12.25}, {"12,5-", -12.5}, {"(3)", -3.0}, {"1.234,50 €", 1234.5}, {",5", 0.5}, {"1,5E3", 1500.0},
        {"+7", 7.0}, {"&HFF", 255.0}, {"&HFFFF", -1.0}, {"&H10000", 65536.0}, {"&O17", 15.0}});
    // A point under a decimal comma is a group mark and needs groups of three.
    expectNotNumbers({"1.5", "1234.5", "1,234.5", "1.23.456", "", " ", "-", ",", "abc", "12abc", "1 2", "--1", "(1",
                      "1)", "1E", "1e+", "€", "1..2", "1,2,3", "&H", "&HG", "1.", ".1"});
    ScopedLocale en(English);
    expectEach<const char*, double>(number, {{"1,234.5", 1234.5}, {"$1,234.50", 1234.5}, {"-0.25", -0.25}});
    expectNotNumbers({"1.234,5", "1,5"});
}

TEST(ValueTextNumbers, TextOfOtherValuesUsesLocaleMarks)
{
    ScopedLocale es(Spanish);
    for (const auto& [value, text] : std::initializer_list<std::pair<Variant, const char*>>{
             {Variant(float(0.1f)), "0,1"}, {Variant(Currency::fromScaled(125000)), "12,5"},
                 {Variant(Currency::fromScaled(-5)), "-0,0005"}, {Variant(std::int32_t(-42)), "-42"},
                 {Variant(std::int64_t(9007199254740993LL)), "9007199254740993"}, {Variant(true), "Verdadero"},
                 {Variant(false), "Falso"}, {Variant(Currency::fromScaled(10)), "0,001"},
                 {Variant(Currency::fromScaled(-20000)), "-2"}, {Variant(), ""},
                 {Variant(Currency::fromScaled(std::numeric_limits<std::int64_t>::min())), "-922337203685477,5808"}})
        EXPECT_EQ(toText(value), QString::fromUtf8(text)) << text;
    EXPECT_EQ(displayText(Variant::null()), "");
    // Null and an object have no text.
    EXPECT_EQ((std::pair{errorOf([] { toText(Variant::null()); }), errorOf([] { toText(Variant::nothing()); })}),
              (std::pair{long(Error::InvalidUseOfNull), long(Error::TypeMismatch)}));
}

TEST(ValueTextDates, ReadingDates)
{
    ScopedLocale es(Spanish);
    expectEach<const char*, QDateTime>(date, {{"05/12/2024", at(2024, 12, 5)}, {"5/12/24", at(2024, 12, 5)}, {"5/12/45", at(1945, 12, 5)},
                 {"05/12/2024 09:03:07", at(2024, 12, 5, 9, 3, 7)}, {"05-12-2024 9:03", at(2024, 12, 5, 9, 3)},
                 {"2024-12-05", at(2024, 12, 5)}, {"14:30:00", at(1899, 12, 30, 14, 30)},
                 {"2024-12-05T09:03:07.250", QDateTime(QDate(2024, 12, 5), QTime(9, 3, 7, 250), Qt::UTC)},
                 {"2:30 PM", at(1899, 12, 30, 14, 30)}, {"12:00 am", at(1899, 12, 30, 0, 0)},
                 // Day and month the other way round when the locale's order gives no date.
                 {"12/31/2020", at(2020, 12, 31)}});
    for (const char* t : {"", "31/02/2024", "32/13/2024", "1/2", "25:00", "10:60", "05/12/202409:00", "abc",
                          "05/12-2024", "13:00 PM", "2024-12-05T"})
        EXPECT_FALSE(isDate(QString::fromUtf8(t))) << t;
    ScopedLocale en(English);
    expectEach<const char*, QDateTime>(date, {{"12/5/2024", at(2024, 12, 5)}, {"12/5/2024 3:04:05 PM", at(2024, 12, 5, 15, 4, 5)}});
}

TEST(ValueTextFormat, NumberPatternsGroupThemselvesAndDatePatterns)
{
    ScopedLocale es(Spanish);
    const Variant d(at(2024, 3, 7, 15, 4, 9));
    // Qt's Spanish locale leaves 1234 ungrouped; the runtime grouped it.
    expectFormats({{Variant(1234.5), "###,###,##0.00", "1.234,50"}, {Variant(std::int32_t(1234)), "#,##0.00", "1.234,00"},
                   {Variant(1234567.891), "###,###,##0.00", "1.234.567,89"}, {Variant(0.5), "###,###,##0", "1"},
                   {Variant(-1234.5), "#,##0.00", "-1.234,50"}, {Variant(std::int64_t(6000000)), "#,###,##0", "6.000.000"},
                   {Variant(999.0), "#,###,##0", "999"}, {Variant(0.5), "0.0", "0,5"}, {Variant(2.5), "0", "3"},
                   {Variant(-2.5), "0", "-3"}, {Variant(2.675), "0.00", "2,68"}, {Variant(0.285), "0.00", "0,29"},
                   {Variant(-0.001), "0.00", "0,00"}, {Variant(9.999), "0.00", "10,00"},
                   {Variant(1234.5), "###,###,##0.0###", "1.234,5"}, {Variant(1234.0), "###,###,##0.0###", "1.234,0"},
                   {Variant(1.23456), "##0.####", "1,2346"}, {Variant(7.0), "##0", "7"}, {Variant(7.0), "##0.####", "7,"},
                   {Variant(0.25), "#.##", ",25"}, {Variant(0.256), "0%", "26%"},
                   {Variant(Currency::fromScaled(12345)), "0.00", "1,23"},
                   {Variant(Currency::fromScaled(12355)), "0.000", "1,236"},
                   {Variant(QStringLiteral("1.234,5")), "#,##0.00", "1.234,50"},
                   {Variant(QStringLiteral("abc")), "#,##0.00", "abc"}, {Variant(-5.0), "0;(0)", "(5)"},
                   {Variant(), "0.00", ""}, {Variant::null(), "0.00", ""},
                   // dates
                   {d, "dd/mm/yyyy", "07/03/2024"}, {d, "dd/MM/yyyy hh:nn:ss", "07/03/2024 15:04:09"},
                   {d, "hh:nn:ss", "15:04:09"}, {d, "hh:mm:ss", "15:04:09"}, {d, "yyyyMMddhhnnss", "20240307150409"},
                   {d, "yyyymmddhhmmss", "20240307150409"}, {d, "YYYYMMDD_hhnnss", "20240307_150409"},
                   {d, "yyyy-mm-dd", "2024-03-07"}, {d, "hh:mm AM/PM", "03:04 PM"}, {d, "h:mm am/pm", "3:04 pm"},
                   {d, "d \"de\" mmmm", "7 de marzo"},
                   // A number formatted as a time is a length of days (end time minus start time).
                   {Variant(1.0 / 24 + 2.0 / 1440 + 3.0 / 86400), "hh:mm:ss", "01:02:03"},
                   {Variant(QStringLiteral("25/12/2024")), "dd/mm/yyyy", "25/12/2024"},
                   {Variant(QStringLiteral("no date")), "dd/mm/yyyy", "no date"},
                   // the first and the last day there is
                   {Variant(2958465.0), "dd/mm/yyyy", "31/12/9999"}, {Variant(-657434.0), "dd/mm/yyyy", "01/01/0100"}});
    ScopedLocale en(English);
    expectFormats({{Variant(1234.5), "###,###,##0.00", "1,234.50"}, {Variant(2.5), "0.0", "2.5"}});
}

TEST(ValueTextRounding, HalfEvenAndHalfAway)
{
    for (const auto& [v, digits, r] : {std::tuple{2.5, 0, 2.0}, {3.5, 0, 4.0}, {-2.5, 0, -2.0}, {12.5, 0, 12.0},
                                        {2.125, 2, 2.12}, {2.135, 2, 2.14}})
        EXPECT_EQ(roundHalfEven(v, digits), r) << v;
    for (const auto& [v, digits, r] : {std::tuple{2.5, 0, 3.0}, {-2.5, 0, -3.0}, {2.125, 2, 2.13}, {1.005, 2, 1.01}})
        EXPECT_EQ(roundHalfAway(v, digits), r) << v;
}

TEST(ValueTextLocale, EveryChangeOfLocaleIsSeenAtOnce)
{
    // Conversions keep what they know of the locale between calls; a change
    // of the default locale or of the one put in force must still show in the
    // very next value.
    const QLocale saved;
    const Variant number(1234.5), money(Currency::fromScaled(-12345)), date(at(2024, 3, 7, 15, 4, 9));
    const auto texts = [&] {
        return QStringList{toText(number), toText(money), toText(date), QString() + decimalSeparator() + groupSeparator(),
                           format(number, "#,##0.00"), format(date, "dd/mm/yyyy")};
    };
    QLocale::setDefault(English);
    EXPECT_EQ(texts(), (QStringList{"1234.5", "-1.2345", "3/7/2024 3:04:09 PM", ".,", "1,234.50", "07/03/2024"}));
    EXPECT_EQ(parseNumber("1,234.5"), 1234.5);
    QLocale::setDefault(Spanish);
    const QStringList spanish{"1234,5", "-1,2345", "07/03/2024 15:04:09", ",.", "1.234,50", "07/03/2024"};
    EXPECT_EQ(texts(), spanish);
    EXPECT_EQ(parseNumber("1.234,5"), 1234.5);
    {
        ScopedLocale de(QLocale(QLocale::German, QLocale::Germany));
        EXPECT_EQ(texts().mid(2, 1) + texts().mid(5), (QStringList{"07.03.2024 15:04:09", "07.03.2024"}));
        {
            ScopedLocale en(English);
            EXPECT_EQ(texts().mid(0, 1) + texts().mid(3, 1), (QStringList{"1234.5", ".,"}));
        }
        // A scoped locale puts back the one before it.
        EXPECT_EQ(texts().mid(3, 2) << toText(number), (QStringList{",.", "1.234,50", "1234,5"}));
    }
    {
        ScopedLocale sv(QLocale(QLocale::Swedish, QLocale::Sweden));
        EXPECT_EQ(toText(date), "2024-03-07 15:04:09");
        EXPECT_EQ(parseDate("2024-03-07"), at(2024, 3, 7));
    }
    EXPECT_EQ(texts(), spanish);
    QLocale::setDefault(saved);
}

TEST(ValueTextDates, DatesBeyondTheRangeAreAnErrorNeverAWrappedValue)
{
    ScopedLocale spanish(Spanish);
    for (const Variant& huge : {Variant("1e19"), Variant(1e19), Variant(-1e19), Variant(3e6), Variant(-700000.0)}) {
        EXPECT_THROW(format(huge, QStringLiteral("dd/mm/yyyy")), Error) << debugText(huge).toStdString();
        EXPECT_THROW(huge.toDate(), Error) << debugText(huge).toStdString();
    }
}

TEST(ValueTextFormat, TheWholePatternLanguage)
{
    const QDateTime when = at(2024, 12, 25, 14, 5, 9);
    const Variant d(at(2024, 3, 7, 15, 4, 9)), n(-1234.5678);
    struct Row { Variant value; const char *pattern, *english, *spanish; };
    const Row rows[] = {
        // named formats
        {Variant(1), "Yes/No", "Yes", "Sí"}, {Variant(0), "yes/no", "No", "No"},
        {Variant(-1), "True/False", "True", "Verdadero"}, {Variant(0.0), "On/Off", "Off", "Desactivado"},
        {Variant(0.125), "Percent", "12.50%", "12,50%"}, {Variant(1234.5), "Standard", "1,234.50", "1.234,50"},
        {Variant(1234.5), "Fixed", "1234.50", "1234,50"}, {Variant(1234.5), "General Number", "1234.5", "1234,5"},
        {Variant(1234.5), "Currency", "$1,234.50", "1.234,50\u00a0€"},
        {Variant(1234.5), "Scientific", "1.23E+03", "1,23E+03"},
        {Variant(when), "Short Date", "12/25/2024", "25/12/2024"},
        {Variant(when), "Medium Date", "25-Dec-24", "25-dic-24"}, {Variant(when), "Short Time", "14:05", "14:05"},
        {Variant(when), "Medium Time", "02:05 PM", "02:05 PM"},
        // literal sections
        {Variant(1), "\"pos\";\"neg\"", "pos", "pos"}, {Variant(-1), "\"pos\";\"neg\"", "neg", "neg"},
        {Variant(0), "0.0;(0.0);\"zero\"", "zero", "zero"},
        // letters beside digit places
        {Variant(1500), "#,##0 pcs", "1,500 pcs", "1.500 pcs"},
        // text patterns
        {Variant("testing"), ">&&", "TESTING", "TESTING"}, {Variant("ABC"), "<@@@@@", "  abc", "  abc"},
        {Variant("ABC"), "!@@@@@\"|\"", "ABC  |", "ABC  |"}, {Variant("5551234"), "&&&-&&&&", "555-1234", "555-1234"},
        {Variant(1.5), "@", "1.5", "1,5"}, {Variant("testing"), "@\\x", "txesting", "txesting"},
        {Variant("testing"), "\\x@\\x@", "xtxesting", "xtxesting"}, {Variant("testing"), "<&>&", "testing", "testing"},
        // scientific notation
        {Variant(100.0001), "0.0000E+0", "1.0000E+2", "1,0000E+2"},
        {Variant(0.00012), "0.00E-00", "1.20E-04", "1,20E-04"}, {Variant(12345), "0.0e+00", "1.2e+04", "1,2e+04"},
        {Variant(-12345), "0.0E-0", "-1.2E4", "-1,2E4"},
        {Variant(86.936849), "#0.000000000000e-000", "86.936849000000e000", "86,936849000000e000"},
        {Variant(4.500001E+45), "#000.0000e+0", "4500.0010e+42", "4500,0010e+42"},
        {Variant(1E-15), "##00.0000e-0", "1000.0000e-18", "1000,0000e-18"}, {Variant(47.11), ".0000E+0", ".4711E+2", ",4711E+2"},
        {Variant(9.9996), "0.000E+0", "1.000E+1", "1,000E+1"},
        // weekday and quarter
        {Variant(when), "w q", "4 4", "4 4"}, {Variant(at(2024, 1, 7)), "ww", "2", "2"},
        // patterns of a grid or an export's columns
        {d, "dd/mm/yyyy", "07/03/2024", "07/03/2024"}, {d, "hh:nn:ss", "15:04:09", "15:04:09"},
        {d, "yyyyMMddhhnnss", "20240307150409", "20240307150409"}, {d, "yyyy", "2024", "2024"}, {d, "d", "7", "7"},
        {d, "mmmm", "March", "marzo"}, {n, "#,##0.00", "-1,234.57", "-1.234,57"}, {n, "0.00", "-1234.57", "-1234,57"},
        {n, "0", "-1235", "-1235"}, {n, "0;(0)", "(1235)", "(1235)"},
        {n, "###,###,##0.0###", "-1,234.5678", "-1.234,5678"}, {n, "0%", "-123457%", "-123457%"},
    };
    // Each locale twice over: a pattern used again, after many others, keeps its own meaning.
    for (const auto& [locale, column] : {std::pair{English, 0}, {Spanish, 1}, {English, 0}, {Spanish, 1}}) {
        ScopedLocale scoped(locale);
        for (const Row& r : rows)
            EXPECT_EQ(format(r.value, QString::fromUtf8(r.pattern)), QString::fromUtf8(column == 0 ? r.english : r.spanish))
                << r.pattern << " in " << locale.name().toStdString();
    }
}

// A percent sign multiplies by a hundred before the exponent is chosen, so
// the mantissa keeps the places the pattern gives it.
TEST(ValueTextFormat, ScientificNotationWithAPercentSignScalesBeforeItNormalises)
{
    struct Row { Variant value; const char *pattern, *english, *spanish; };
    const Row rows[] = {
        {Variant(3.0401E-13), "#####.####e-0%", "30401.e-15%", "30401,e-15%"},
        {Variant(0.5), "0.0E+0%", "5.0E+1%", "5,0E+1%"},
        {Variant(12345), "0.00E+00%", "1.23E+06%", "1,23E+06%"},
        {Variant(-0.5), "0.0E+0%", "-5.0E+1%", "-5,0E+1%"},
        {Variant(0.01), "0E+0%", "1E+0%", "1E+0%"},
        {Variant(0.001), "0.0E-0%", "1.0E-1%", "1,0E-1%"},
        {Variant(0.0999995), "0.00E+0%", "1.00E+1%", "1,00E+1%"}, // rounding carries after the scaling
        {Variant(0.0), "0.0E+0%", "0.0E+0%", "0,0E+0%"},
        {Variant(0.5), "%0.0E+0", "%5.0E+1", "%5,0E+1"},
        {Variant(std::int64_t(7)), "##0.0E+0%", "700.0E+0%", "700,0E+0%"},
        {Variant(0.5), "0.0E+0", "5.0E-1", "5,0E-1"},
    };
    for (const auto& [locale, column] : {std::pair{English, 0}, {Spanish, 1}}) {
        ScopedLocale scoped(locale);
        for (const Row& r : rows)
            EXPECT_EQ(format(r.value, QString::fromUtf8(r.pattern)).toStdString(), column == 0 ? r.english : r.spanish)
                << r.pattern << " in " << locale.name().toStdString();
    }
}

// Numbers and dates have one text each whether written one at a time (a
// value's text), by the text functions or by the writer for texts in bulk.
TEST(ValueTextNumbers, EveryWriterWritesTheSameTextsWithoutGrouping)
{
    const struct { double value; const char* text; } numbers[] = {
        {0.0, "0"}, {-0.0, "0"}, {1e-05, "1E-05"}, {0.0001, "0,0001"}, {1e15, "1E+15"}, {1234.5, "1234,5"},
        {-0.25, "-0,25"}, {1.0 / 3.0, "0,333333333333333"}, {123456789012345.0, "123456789012345"},
        {1234567890123456.0, "1,23456789012346E+15"}, {0.1 + 0.2, "0,3"}, {99999999999999.99, "100000000000000"},
        {999999999999999.9, "1E+15"}, {1.7976931348623157e308, "1,79769313486232E+308"},
        {5e-324, "4,94065645841247E-324"}, {-1e-7, "-1E-07"}, {12345.678901234567, "12345,6789012346"},
        {1e21, "1E+21"}, {std::numeric_limits<double>::infinity(), "Inf"},
        {-std::numeric_limits<double>::infinity(), "-Inf"}, {std::numeric_limits<double>::quiet_NaN(), "NaN"},
    };
    // Four-digit years always; day zero is a time alone.
    const struct { QDateTime value; const char *spanish, *english; } dates[] = {
        {at(2024, 12, 5), "05/12/2024", "12/5/2024"}, {at(1899, 12, 30), "00:00:00", "12:00:00 AM"},
        {at(2024, 12, 5, 9, 3, 7), "05/12/2024 09:03:07", "12/5/2024 9:03:07 AM"},
        {at(2024, 3, 5, 13, 14, 15), "05/03/2024 13:14:15", "3/5/2024 1:14:15 PM"},
        {at(1899, 12, 30, 14, 30, 0), "14:30:00", "2:30:00 PM"}, {at(999, 1, 2), "02/01/0999", "1/2/0999"},
        {at(99, 1, 2, 3, 4, 5), "02/01/0099 03:04:05", "1/2/0099 3:04:05 AM"},
        {at(100, 1, 1, 0, 0, 1), "01/01/0100 00:00:01", "1/1/0100 12:00:01 AM"},
        {at(9999, 12, 31, 23, 59, 59), "31/12/9999 23:59:59", "12/31/9999 11:59:59 PM"}};
    char16_t buf[TextWriter::MaxUnits];
    const auto text = [&buf](const char16_t* end) { return QString(reinterpret_cast<const QChar*>(buf), end - buf); };
    const auto parts = [&](const TextWriter& w, const QDateTime& v) {
        const QDate d = v.date();
        const QTime t = v.time();
        return text(w.date(buf, d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second()));
    };
    ScopedLocale es(Spanish);
    const TextWriter spanish;
    for (const auto& n : numbers)
        EXPECT_EQ((QStringList{toText(Variant(n.value)), numberText(n.value), text(spanish.number(buf, n.value))}),
                  QStringList(3, n.text));
    for (const auto& d : dates)
        EXPECT_EQ((QStringList{toText(Variant(d.value)), dateText(d.value), parts(spanish, d.value)}),
                  QStringList(3, d.spanish));
    ScopedLocale en(English);
    const TextWriter english;
    EXPECT_EQ((QStringList{toText(Variant(1234.5)), text(english.number(buf, 1234.5))}), QStringList(2, "1234.5"));
    for (const auto& d : dates)
        EXPECT_EQ((QStringList{toText(Variant(d.value)), dateText(d.value), parts(english, d.value)}),
                  QStringList(3, d.english));
    // A writer keeps the locale it was made in.
    EXPECT_EQ(text(spanish.number(buf, 1234.5)), "1234,5");
}
