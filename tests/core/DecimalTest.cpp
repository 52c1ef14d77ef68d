// Exact decimals: what a database numeric column hands over must come back digit for digit.
#include "core/Decimal.h"
#include "core/Error.h"
#include "ErrorOf.h"
#include "core/ValueText.h"
#include "core/Variant.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

Decimal dec(const char* text)
{
    auto d = Decimal::parse(text);
    EXPECT_TRUE(d.has_value()) << text;
    return d.value_or(Decimal{});
}

} // namespace

TEST(Decimal, TextReadsAndWritesEveryDigit)
{
    const struct { const char* in; const char* out; int scale; } cases[] = {
        {"99999999999999.9999", "99999999999999.9999", 4}, {"564999999721.0030", "564999999721.003", 4},
        {" -0.5000 ", "-0.5", 4}, {"+7", "7", 0}, {".25", "0.25", 2}, {"1,5", "1.5", 1}, {"-0.000", "0", 3},
        {"79228162514264337593543950335", "79228162514264337593543950335", 0},
        {"7.9228162514264337593543950335", "7.9228162514264337593543950335", 28},
        // Beyond 28 decimals, half to even on the dropped digits.
        {"0.00000000000000000000000000025", "0.0000000000000000000000000002", 28},
        {"0.000000000000000000000000000251", "0.0000000000000000000000000003", 28},
        // Beyond 96 bits the last decimals give way, rounded.
        {"79228162514264337593543950334.5", "79228162514264337593543950334", 0},
        {"1234567890123456789012345678.95", "1234567890123456789012345679", 1},
    };
    for (const auto& c : cases) {
        const Decimal d = dec(c.in);
        EXPECT_EQ(d.toAscii(), c.out) << c.in;
        EXPECT_EQ(int(d.scale), c.scale) << c.in;
    }
    for (const char* bad : {"", "-", "1.2.3", "12a", "1e5", "79228162514264337593543950336", "99999999999999999999999999999.9", "79228162514264337593543950335.5"})
        EXPECT_FALSE(Decimal::parse(bad).has_value()) << bad;
}

TEST(Decimal, ScaledValuesRoundHalfToEvenAndRefuseWhatDoesNotFit)
{
    const struct { const char* text; int scale; std::optional<std::int64_t> scaled; } rows[] = {
        {"564999999721.0030", 4, 5649999997210030}, {"2.5", 0, 2}, {"3.5", 0, 4}, {"-0.00015", 4, -2},
        {"1.5", 6, 1500000}, {"-9223372036854775808", 0, std::numeric_limits<std::int64_t>::min()},
        {"9223372036854775808", 0, std::nullopt}, {"922337203685477.5808", 4, std::nullopt}};
    for (const auto& r : rows)
        EXPECT_EQ(dec(r.text).toScaled(r.scale), r.scaled) << r.text;
    EXPECT_EQ((std::pair{Decimal::fromScaled(-12345, 4).toAscii(), Decimal::fromInt(std::numeric_limits<std::int64_t>::min()).toAscii()}),
              (std::pair<std::string, std::string>{"-1.2345", "-9223372036854775808"}));
}

TEST(Decimal, AsAVariantItIsANumberOfTypeFourteen)
{
    ValueText::ScopedLocale spanish(QLocale(QLocale::Spanish, QLocale::Spain));
    const Variant v(dec("-1234567890123456789.0120"));
    EXPECT_EQ((std::tuple{int(v.type()), v.isNumber(), v.isNumeric()}), (std::tuple{14, true, true}));
    EXPECT_EQ((QStringList{v.toString(), ValueText::format(v, "0.0000"), debugText(Variant(dec("0.10")))}),
              (QStringList{"-1234567890123456789,012", "-1234567890123456789,0120", "14 0,1"}));
    EXPECT_EQ((std::vector<bool>{v == Variant(dec("-1234567890123456789.012")), v == Variant(dec("-1234567890123456789.0121"))}),
              (std::vector<bool>{true, false}));
    EXPECT_DOUBLE_EQ(v.toDouble(), -1234567890123456789.012);
    EXPECT_EQ((std::tuple{errorOf([&] { v.toCurrency(); }), Variant(dec("564999999721.0030")).toCurrency(), Variant(dec("-2.5")).toLong()}),
              (std::tuple{long(Error::Overflow), Currency::fromScaled(5649999997210030), -2}));
}
