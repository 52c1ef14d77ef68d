#include "core/Collection.h"
#include "core/Error.h"
#include "ErrorOf.h"
#include "core/ValueText.h"
#include "core/Variant.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>

TEST(Variant, EmptyNullAndNothingStayApart)
{
    Variant empty, null = Variant::null(), nothing = Variant::nothing();
    EXPECT_EQ(empty.type(), VarType::Empty);
    EXPECT_EQ(null.type(), VarType::Null);
    EXPECT_EQ(nothing.type(), VarType::Object);
    EXPECT_TRUE(empty.isEmpty());
    EXPECT_FALSE(empty.isNull());
    EXPECT_TRUE(null.isNull());
    EXPECT_FALSE(null.isEmpty());
    EXPECT_TRUE(nothing.isNothing());
    EXPECT_FALSE(nothing.isEmpty() || nothing.isNull());
    EXPECT_NE(empty, null);
    EXPECT_NE(null, nothing);
    EXPECT_EQ(empty, Variant());
    EXPECT_EQ(null, Variant::null());

    // Empty reads as zero and as "", Null raises.
    EXPECT_EQ(empty.toLong(), 0);
    EXPECT_EQ(empty.toString(), "");
    EXPECT_FALSE(empty.toBool());
    EXPECT_EQ(errorOf([&] { null.toLong(); }), Error::InvalidUseOfNull);
    EXPECT_EQ(errorOf([&] { null.toString(); }), Error::InvalidUseOfNull);
    EXPECT_EQ(errorOf([&] { null.toDate(); }), Error::InvalidUseOfNull);
    EXPECT_EQ(errorOf([&] { null.toBool(); }), Error::InvalidUseOfNull);
    EXPECT_TRUE(empty.isNumeric());
    EXPECT_FALSE(null.isNumeric());
}

TEST(Variant, TypesKeepTheirWidth)
{
    EXPECT_EQ(Variant(std::uint8_t(1)).type(), VarType::Byte);
    EXPECT_EQ(Variant(std::int16_t(1)).type(), VarType::Integer);
    EXPECT_EQ(Variant(std::int32_t(1)).type(), VarType::Long);
    EXPECT_EQ(Variant(std::int64_t(1)).type(), VarType::LongLong);
    EXPECT_EQ(Variant(1.0f).type(), VarType::Single);
    EXPECT_EQ(Variant(1.0).type(), VarType::Double);
    EXPECT_EQ(Variant(Currency{}).type(), VarType::Currency);
    EXPECT_EQ(Variant(QDate(2024, 1, 1)).type(), VarType::Date);
    EXPECT_EQ(Variant("x").type(), VarType::String);
    EXPECT_EQ(Variant(true).type(), VarType::Boolean);
    EXPECT_EQ(Variant(newCollection()).type(), VarType::Object);
    EXPECT_EQ(Variant(std::make_shared<VArray>(0, 2)).type(), VarType::Array);
    EXPECT_EQ(int(VarType::Array), 8192);
}

TEST(Variant, OverflowIsRaisedNotWrapped)
{
    EXPECT_EQ(errorOf([] { Variant(std::int32_t(32768)).toInt(); }), Error::Overflow);
    EXPECT_EQ(errorOf([] { Variant(std::int32_t(-32769)).toInt(); }), Error::Overflow);
    EXPECT_EQ(Variant(std::int32_t(-32768)).toInt(), -32768);
    EXPECT_EQ(errorOf([] { Variant(std::int16_t(256)).toByte(); }), Error::Overflow);
    EXPECT_EQ(errorOf([] { Variant(std::int16_t(-1)).toByte(); }), Error::Overflow);
    EXPECT_EQ(errorOf([] { Variant(2147483648.0).toLong(); }), Error::Overflow);
    EXPECT_EQ(errorOf([] { Variant(std::int64_t(1) << 40).toLong(); }), Error::Overflow);
    EXPECT_EQ(errorOf([] { Variant(9.3e18).toLongLong(); }), Error::Overflow);
    EXPECT_EQ(errorOf([] { Variant(9223372036854775808.0).toLongLong(); }), Error::Overflow);
    EXPECT_EQ(errorOf([] { Variant(std::numeric_limits<double>::quiet_NaN()).toLong(); }), Error::Overflow);
    EXPECT_EQ(errorOf([] { Variant(1e39).toSingle(); }), Error::Overflow);
    EXPECT_EQ(errorOf([] { Variant(1e15).toCurrency(); }), Error::Overflow);
    EXPECT_EQ(errorOf([] { Variant(std::int64_t(1) << 62).toCurrency(); }), Error::Overflow);
    EXPECT_EQ(errorOf([] { Variant("99999").toInt(); }), Error::Overflow);
    EXPECT_EQ(Variant("9007199254740993").toLongLong(), 9007199254740993LL);
    EXPECT_EQ(Variant(" -9223372036854775808 ").toLongLong(), std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(errorOf([] { Variant("9223372036854775808").toLongLong(); }), Error::Overflow);
}

TEST(Variant, IntegerConversionsRoundHalfToEven)
{
    EXPECT_EQ(Variant(2.5).toInt(), 2);
    EXPECT_EQ(Variant(3.5).toInt(), 4);
    EXPECT_EQ(Variant(-2.5).toInt(), -2);
    EXPECT_EQ(Variant(0.5).toLong(), 0);
    EXPECT_EQ(Variant(1.5).toLong(), 2);
    EXPECT_EQ(Variant(2.4999).toLong(), 2);
    EXPECT_EQ(Variant(32767.5).toLong(), 32768);
    EXPECT_EQ(errorOf([] { Variant(32767.5).toInt(); }), Error::Overflow);
    EXPECT_EQ(Variant(Currency::fromScaled(25000)).toInt(), 2);
    EXPECT_EQ(Variant(Currency::fromScaled(35000)).toInt(), 4);
    EXPECT_EQ(Variant(Currency::fromScaled(-25000)).toInt(), -2);
    EXPECT_EQ(Variant(Currency::fromScaled(-35000)).toInt(), -4);
    EXPECT_EQ(Currency::fromDouble(0.00005).scaled, 0);
    EXPECT_EQ(Currency::fromDouble(0.00015).scaled, 2);
    EXPECT_EQ(Currency::fromDouble(0.00025).scaled, 2);
    EXPECT_EQ(Currency::fromDouble(-1.23455).scaled, -12346);
    EXPECT_EQ(Currency::fromDouble(123456789012.3456).scaled, 1234567890123456LL);
    EXPECT_EQ(Variant("123456789,1234").toCurrency().scaled, 1234567891234LL);
    EXPECT_EQ(Variant(std::int64_t(922337203685477LL)).toCurrency().scaled, 9223372036854770000LL);
}

TEST(Variant, MoneyTypedAsTextKeepsEveryDigit)
{
    ValueText::ScopedLocale es(QLocale(QLocale::Spanish, QLocale::Spain));
    // Beyond fifteen digits a double would change the amount.
    EXPECT_EQ(Variant("12345678901234,5678").toCurrency().scaled, 123456789012345678LL);
    EXPECT_EQ(Variant("922.337.203.685.477,5807").toCurrency().scaled, std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(Variant("-922337203685477,5808").toCurrency().scaled, std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(errorOf([] { Variant("922337203685477,5808").toCurrency(); }), Error::Overflow);
    EXPECT_EQ(errorOf([] { Variant("1E+300").toCurrency(); }), Error::Overflow);
    // Half to even at the fourth decimal, on the digits as written.
    EXPECT_EQ(Variant("0,00005").toCurrency().scaled, 0);
    EXPECT_EQ(Variant("0,00015").toCurrency().scaled, 2);
    EXPECT_EQ(Variant("0,000150001").toCurrency().scaled, 2);
    EXPECT_EQ(Variant("0,000250001").toCurrency().scaled, 3);
    EXPECT_EQ(Variant("-1,23455").toCurrency().scaled, -12346);
    EXPECT_EQ(Variant("0,00000009").toCurrency().scaled, 0);
    EXPECT_EQ(Variant("(1.234,5 €)").toCurrency().scaled, -12345000);
    EXPECT_EQ(Variant("1,5E3").toCurrency().scaled, 15000000);
    EXPECT_EQ(Variant("125E-6").toCurrency().scaled, 1);
    EXPECT_EQ(Variant("&HFFFF").toCurrency().scaled, -10000);
    EXPECT_EQ(Variant("Verdadero").toCurrency().scaled, -10000);
    EXPECT_EQ(errorOf([] { Variant("1,234.5").toCurrency(); }), Error::TypeMismatch);
    EXPECT_EQ(ValueText::parseCurrency("abc"), std::nullopt);
}

TEST(Variant, TextConversionsFollowTheLocale)
{
    ValueText::ScopedLocale es(QLocale(QLocale::Spanish, QLocale::Spain));
    EXPECT_EQ(Variant("1.234,5").toDouble(), 1234.5);
    EXPECT_EQ(Variant(" 12 ").toInt(), 12);
    EXPECT_EQ(Variant("2,5").toInt(), 2);
    EXPECT_EQ(Variant(1234.5).toString(), "1234,5");
    EXPECT_TRUE(Variant("1.234,5").isNumeric());
    EXPECT_FALSE(Variant("1,234.5").isNumeric());
    EXPECT_EQ(errorOf([] { Variant("abc").toDouble(); }), Error::TypeMismatch);
    EXPECT_EQ(errorOf([] { Variant("").toLong(); }), Error::TypeMismatch);
    EXPECT_TRUE(Variant("Verdadero").toBool());
    EXPECT_TRUE(Variant("true").toBool());
    EXPECT_FALSE(Variant("Falso").toBool());
    EXPECT_TRUE(Variant("-1").toBool());
    EXPECT_EQ(Variant(true).toInt(), -1);
    EXPECT_EQ(Variant(true).toString(), "Verdadero");
    EXPECT_EQ(Variant("25/12/2024").toDate(), QDateTime(QDate(2024, 12, 25), QTime(0, 0), Qt::UTC));
    EXPECT_EQ(Variant(QDate(2024, 12, 25)).toString(), "25/12/2024");
    EXPECT_EQ(errorOf([] { Variant("31/02/2024").toDate(); }), Error::TypeMismatch);
    ValueText::ScopedLocale en(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(Variant("1,234.5").toDouble(), 1234.5);
    EXPECT_EQ(Variant(1234.5).toString(), "1234.5");
}

TEST(Variant, DatesAndSerials)
{
    const QDateTime noon(QDate(2024, 1, 2), QTime(12, 0), Qt::UTC);
    EXPECT_DOUBLE_EQ(serialFromDate(noon), 45293.5);
    EXPECT_EQ(dateFromSerial(45293.5), noon);
    EXPECT_EQ(dateFromSerial(0), QDateTime(QDate(1899, 12, 30), QTime(0, 0), Qt::UTC));
    // Before day zero the fraction still counts forward within the day.
    EXPECT_EQ(dateFromSerial(-1.25), QDateTime(QDate(1899, 12, 29), QTime(6, 0), Qt::UTC));
    EXPECT_DOUBLE_EQ(serialFromDate(QDateTime(QDate(1899, 12, 29), QTime(6, 0), Qt::UTC)), -1.25);
    EXPECT_EQ(Variant(noon).toDouble(), 45293.5);
    EXPECT_EQ(Variant(45293.5).toDate(), noon);
}

TEST(Variant, ObjectsAndArrays)
{
    auto c = newCollection();
    Variant v(c);
    EXPECT_EQ(v.as<Collection>(), c);
    EXPECT_EQ(v, Variant(c));
    EXPECT_NE(v, Variant(newCollection()));
    EXPECT_EQ(errorOf([] { Variant(1.0).toObject(); }), Error::ObjectRequired);
    EXPECT_EQ(errorOf([&] { v.toDouble(); }), Error::TypeMismatch);

    auto a = std::make_shared<VArray>(1, 3, 0, 1);
    EXPECT_EQ(a->lbound(1), 1);
    EXPECT_EQ(a->ubound(2), 1);
    a->at(3, 1) = Variant("x");
    a->redimPreserve(4);
    EXPECT_EQ(a->at(3, 1), Variant("x"));
    EXPECT_TRUE(a->at(3, 4).isEmpty());
    EXPECT_EQ(errorOf([&] { a->at(0, 0); }), Error::SubscriptOutOfRange);
    EXPECT_EQ(errorOf([&] { a->at(1); }), Error::SubscriptOutOfRange);
    EXPECT_EQ(errorOf([&] { a->lbound(3); }), Error::SubscriptOutOfRange);
    VArray unallocated;
    EXPECT_FALSE(unallocated.allocated());
}

TEST(Variant, ValuesEqualAsTheRuntimeCompares)
{
    const Variant i2(std::int16_t(2)), l2(std::int32_t(2)), d2(2.0), c2(Currency::fromScaled(20000));
    const QDateTime day(QDate(2024, 12, 25), QTime(0, 0), Qt::UTC);
    struct Row {
        Variant a, b;
        bool equal;
    };
    const Row rows[] = {
        {i2, d2, true},
        {i2, l2, true},
        {l2, c2, true},
        {Variant(std::uint8_t(2)), Variant(std::int64_t(2)), true},
        {Variant(2.5f), Variant(2.5), true},
        {Variant(std::int64_t(9007199254740993)), Variant(std::int64_t(9007199254740992)), false},
        {Variant(true), Variant(std::int32_t(-1)), true},
        {Variant(true), Variant(std::int32_t(1)), false},
        {Variant(false), Variant(0.0), true},
        {Variant(true), Variant(true), true},
        {Variant("a"), Variant("a"), true},
        {Variant("a"), Variant("A"), false},
        {Variant("2"), i2, false},
        {Variant(day), Variant(day), true},
        {Variant(day), Variant(serialFromDate(day)), true},
        {Variant::null(), Variant::null(), false},
        {Variant(), Variant(), false},
        {Variant(), Variant(std::int32_t(0)), false},
        {Variant::null(), Variant(""), false},
        {Variant::nothing(), Variant::nothing(), true},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(valuesEqual(r.a, r.b), r.equal) << debugText(r.a).toStdString() << " = " << debugText(r.b).toStdString();
        EXPECT_EQ(valuesEqual(r.b, r.a), r.equal) << "the other way round";
    }
    EXPECT_FALSE(i2 == d2) << "operator== stays type-strict";
}
