#include "core/Collection.h"
#include "core/Error.h"
#include "ErrorOf.h"
#include "core/ValueText.h"
#include "core/Variant.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <tuple>
#include <vector>

namespace {
// Each call must raise the given error.
void expectError(long number, std::initializer_list<std::function<void()>> calls)
{
    int i = 0;
    for (const auto& call : calls)
        EXPECT_EQ(errorOf(call), number) << "call " << i++;
}

void expectScaled(std::initializer_list<std::pair<const char*, std::int64_t>> rows)
{
    for (const auto& [text, scaled] : rows)
        EXPECT_EQ(Variant(text).toCurrency().scaled, scaled) << text;
}
} // namespace

TEST(Variant, EmptyNullAndNothingStayApart)
{
    Variant empty, null = Variant::null(), nothing = Variant::nothing();
    EXPECT_EQ((std::vector{empty.type(), null.type(), nothing.type()}),
              (std::vector{VarType::Empty, VarType::Null, VarType::Object}));
    EXPECT_EQ((std::vector<bool>{empty.isEmpty(), empty.isNull(), null.isNull(), null.isEmpty(), nothing.isNothing(),
                                 nothing.isEmpty(), nothing.isNull(), empty.isNumeric(), null.isNumeric()}),
              (std::vector<bool>{true, false, true, false, true, false, false, true, false}));
    EXPECT_EQ((std::vector<bool>{empty == null, null == nothing, empty == Variant(), null == Variant::null()}),
              (std::vector<bool>{false, false, true, true}));
    // Empty reads as zero and as "", Null raises.
    EXPECT_EQ((std::tuple{empty.toLong(), empty.toString(), empty.toBool()}), (std::tuple{0, QString(), false}));
    expectError(Error::InvalidUseOfNull, {[&] { null.toLong(); }, [&] { null.toString(); }, [&] { null.toDate(); },
                                          [&] { null.toBool(); }});
}

TEST(Variant, TypesKeepTheirWidth)
{
    const std::pair<Variant, VarType> rows[] = {
        {Variant(std::uint8_t(1)), VarType::Byte}, {Variant(std::int16_t(1)), VarType::Integer},
        {Variant(std::int32_t(1)), VarType::Long}, {Variant(std::int64_t(1)), VarType::LongLong},
        {Variant(1.0f), VarType::Single}, {Variant(1.0), VarType::Double}, {Variant(Currency{}), VarType::Currency},
        {Variant(QDate(2024, 1, 1)), VarType::Date}, {Variant("x"), VarType::String}, {Variant(true), VarType::Boolean},
        {Variant(newCollection()), VarType::Object}, {Variant(std::make_shared<VArray>(0, 2)), VarType::Array}};
    for (const auto& [value, type] : rows)
        EXPECT_EQ(value.type(), type) << int(type);
    EXPECT_EQ(int(VarType::Array), 8192);
}

TEST(Variant, OverflowIsRaisedNotWrapped)
{
    expectError(Error::Overflow,
                {[] { Variant(std::int32_t(32768)).toInt(); }, [] { Variant(std::int32_t(-32769)).toInt(); },
                 [] { Variant(std::int16_t(256)).toByte(); }, [] { Variant(std::int16_t(-1)).toByte(); },
                 [] { Variant(2147483648.0).toLong(); }, [] { Variant(std::int64_t(1) << 40).toLong(); },
                 [] { Variant(9.3e18).toLongLong(); }, [] { Variant(9223372036854775808.0).toLongLong(); },
                 [] { Variant(std::numeric_limits<double>::quiet_NaN()).toLong(); }, [] { Variant(1e39).toSingle(); },
                 [] { Variant(1e15).toCurrency(); }, [] { Variant(std::int64_t(1) << 62).toCurrency(); },
                 [] { Variant("99999").toInt(); }, [] { Variant("9223372036854775808").toLongLong(); },
                 [] { Variant(32767.5).toInt(); }});
    EXPECT_EQ((std::tuple{Variant(std::int32_t(-32768)).toInt(), Variant("9007199254740993").toLongLong(),
                          Variant(" -9223372036854775808 ").toLongLong()}),
              (std::tuple{-32768, 9007199254740993LL, std::numeric_limits<std::int64_t>::min()}));
}

TEST(Variant, IntegerConversionsRoundHalfToEven)
{
    for (const auto& [v, n] : {std::pair{2.5, 2}, {3.5, 4}, {-2.5, -2}, {0.5, 0}, {1.5, 2}, {2.4999, 2}})
        EXPECT_EQ((std::pair{Variant(v).toLong(), Variant(v).toInt()}), (std::pair{n, std::int16_t(n)})) << v;
    EXPECT_EQ(Variant(32767.5).toLong(), 32768); // toInt overflows, checked above
    for (const auto& [scaled, n] : {std::pair{25000, 2}, {35000, 4}, {-25000, -2}, {-35000, -4}})
        EXPECT_EQ(Variant(Currency::fromScaled(scaled)).toInt(), n) << scaled;
    for (const auto& [v, scaled] : {std::pair{0.00005, 0LL}, {0.00015, 2LL}, {0.00025, 2LL}, {-1.23455, -12346LL},
                                    {123456789012.3456, 1234567890123456LL}})
        EXPECT_EQ(Currency::fromDouble(v).scaled, scaled) << v;
    EXPECT_EQ((std::pair{Variant("123456789,1234").toCurrency().scaled, Variant(std::int64_t(922337203685477LL)).toCurrency().scaled}),
              (std::pair<std::int64_t, std::int64_t>{1234567891234LL, 9223372036854770000LL}));
}

TEST(Variant, MoneyTypedAsTextKeepsEveryDigit)
{
    ValueText::ScopedLocale es(QLocale(QLocale::Spanish, QLocale::Spain));
    // Beyond fifteen digits a double would change the amount; half to even at
    // the fourth decimal, on the digits as written.
    expectScaled({{"12345678901234,5678", 123456789012345678LL},
                  {"922.337.203.685.477,5807", std::numeric_limits<std::int64_t>::max()},
                  {"-922337203685477,5808", std::numeric_limits<std::int64_t>::min()}, {"0,00005", 0}, {"0,00015", 2},
                  {"0,000150001", 2}, {"0,000250001", 3}, {"-1,23455", -12346}, {"0,00000009", 0},
                  {"(1.234,5 €)", -12345000}, {"1,5E3", 15000000}, {"125E-6", 1}, {"&HFFFF", -10000},
                  {"Verdadero", -10000}});
    expectError(Error::Overflow, {[] { Variant("922337203685477,5808").toCurrency(); },
                                  [] { Variant("1E+300").toCurrency(); }});
    EXPECT_EQ(errorOf([] { Variant("1,234.5").toCurrency(); }), Error::TypeMismatch);
    EXPECT_EQ(ValueText::parseCurrency("abc"), std::nullopt);
}

TEST(Variant, TextConversionsFollowTheLocale)
{
    ValueText::ScopedLocale es(QLocale(QLocale::Spanish, QLocale::Spain));
    EXPECT_EQ((std::tuple{Variant("1.234,5").toDouble(), Variant(" 12 ").toInt(), Variant("2,5").toInt(),
                          Variant(1234.5).toString(), Variant("1.234,5").isNumeric(), Variant("1,234.5").isNumeric()}),
              (std::tuple{1234.5, 12, 2, QString("1234,5"), true, false}));
    EXPECT_EQ((std::vector<bool>{Variant("Verdadero").toBool(), Variant("true").toBool(), Variant("-1").toBool(),
                                 Variant("Falso").toBool()}),
              (std::vector<bool>{true, true, true, false}));
    EXPECT_EQ((std::pair{Variant(true).toInt(), Variant(true).toString()}), (std::pair{std::int16_t(-1), QString("Verdadero")}));
    EXPECT_EQ((std::pair{Variant("25/12/2024").toDate(), Variant(QDate(2024, 12, 25)).toString()}),
              (std::pair{QDateTime(QDate(2024, 12, 25), QTime(0, 0), Qt::UTC), QString("25/12/2024")}));
    expectError(Error::TypeMismatch, {[] { Variant("abc").toDouble(); }, [] { Variant("").toLong(); },
                                      [] { Variant("31/02/2024").toDate(); }});
    ValueText::ScopedLocale en(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ((std::pair{Variant("1,234.5").toDouble(), Variant(1234.5).toString()}), (std::pair{1234.5, QString("1234.5")}));
}

TEST(Variant, DatesAndSerials)
{
    // Before day zero the fraction still counts forward within the day.
    for (const auto& [serial, date] : {std::pair{45293.5, QDateTime(QDate(2024, 1, 2), QTime(12, 0), Qt::UTC)},
                                       {0.0, QDateTime(QDate(1899, 12, 30), QTime(0, 0), Qt::UTC)},
                                       {-1.25, QDateTime(QDate(1899, 12, 29), QTime(6, 0), Qt::UTC)}}) {
        EXPECT_EQ((std::pair{serialFromDate(date), dateFromSerial(serial)}), (std::pair{serial, date}));
        EXPECT_EQ((std::pair{Variant(date).toDouble(), Variant(serial).toDate()}), (std::pair{serial, date}));
    }
}

TEST(Variant, ObjectsAndArrays)
{
    auto c = newCollection();
    Variant v(c);
    EXPECT_EQ((std::vector<bool>{v.as<Collection>() == c, v == Variant(c), v == Variant(newCollection())}),
              (std::vector<bool>{true, true, false}));
    EXPECT_EQ((std::vector{errorOf([] { Variant(1.0).toObject(); }), errorOf([&] { v.toDouble(); })}),
              (std::vector{long(Error::ObjectRequired), long(Error::TypeMismatch)}));

    auto a = std::make_shared<VArray>(1, 3, 0, 1);
    EXPECT_EQ((std::pair{a->lbound(1), a->ubound(2)}), (std::pair{1, 1}));
    a->at(3, 1) = Variant("x");
    a->redimPreserve(4);
    EXPECT_EQ((std::pair{a->at(3, 1), a->at(3, 4)}), (std::pair{Variant("x"), Variant()}));
    expectError(Error::SubscriptOutOfRange, {[&] { a->at(0, 0); }, [&] { a->at(1); }, [&] { a->lbound(3); }});
    EXPECT_FALSE(VArray().allocated());
}

TEST(Variant, ValuesEqualAsTheRuntimeCompares)
{
    const Variant i2(std::int16_t(2)), l2(std::int32_t(2)), d2(2.0), c2(Currency::fromScaled(20000));
    const QDateTime day(QDate(2024, 12, 25), QTime(0, 0), Qt::UTC);
    struct Row { Variant a, b; bool equal; };
    const Row rows[] = {
        {i2, d2, true}, {i2, l2, true}, {l2, c2, true}, {Variant(std::uint8_t(2)), Variant(std::int64_t(2)), true},
        {Variant(2.5f), Variant(2.5), true},
        {Variant(std::int64_t(9007199254740993)), Variant(std::int64_t(9007199254740992)), false},
        {Variant(true), Variant(std::int32_t(-1)), true}, {Variant(true), Variant(std::int32_t(1)), false},
        {Variant(false), Variant(0.0), true}, {Variant(true), Variant(true), true},
        {Variant("a"), Variant("a"), true}, {Variant("a"), Variant("A"), false}, {Variant("2"), i2, false},
        {Variant(day), Variant(day), true}, {Variant(day), Variant(serialFromDate(day)), true},
        {Variant::null(), Variant::null(), false}, {Variant(), Variant(), false},
        {Variant(), Variant(std::int32_t(0)), false}, {Variant::null(), Variant(""), false},
        {Variant::nothing(), Variant::nothing(), true},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(valuesEqual(r.a, r.b), r.equal) << debugText(r.a).toStdString() << " = " << debugText(r.b).toStdString();
        EXPECT_EQ(valuesEqual(r.b, r.a), r.equal) << "the other way round";
    }
    EXPECT_FALSE(i2 == d2) << "operator== stays type-strict";
}
