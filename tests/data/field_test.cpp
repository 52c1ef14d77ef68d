#include "data/clsField.h"

#include <gtest/gtest.h>

// Setting a stored value also sets its new twin; only name, nullability,
// zero-length rule and position count as a change.
TEST(clsFieldTest, StoredValuesSetTheirNewTwinsAndOnlyTheTwinsCountAsChange)
{
    clsField f;
    EXPECT_FALSE(f.IsChanged());
    f.setFieldName(QStringLiteral("Precio"));
    EXPECT_EQ(f.NewFieldName(), QStringLiteral("Precio"));
    f.setNewFieldName(QStringLiteral("precio"));
    EXPECT_TRUE(f.IsChanged()) << "a change of case is a change";
    f.setFieldName(QStringLiteral("precio"));
    EXPECT_FALSE(f.IsChanged());

    f.setNewAllowNull(true);
    f.setAllowNull(false);
    EXPECT_FALSE(f.NewAllowNull());
    f.setAllowZeroLenght(true);
    f.setNewAllowZeroLenght(false);
    EXPECT_TRUE(f.IsChanged());
    f.setNewAllowZeroLenght(true);

    f.setDataType(8);
    f.setLenght(50);
    f.setDefaultValue(QStringLiteral("x"));
    f.setIsKey(true);
    EXPECT_FALSE(f.IsChanged());
}

TEST(clsFieldTest, OrdinalPositionFillsTheNewPositionOnlyWhileItIsZero)
{
    clsField f;
    f.setOrdinalPosition(3);
    f.setOrdinalPosition(5);
    EXPECT_EQ(f.NewOrdinalPosition(), 3);
    EXPECT_TRUE(f.IsChanged());

    clsField g;
    g.setNewOrdinalPosition(7);
    g.setOrdinalPosition(2);
    EXPECT_EQ(g.NewOrdinalPosition(), 7);
    EXPECT_TRUE(g.IsChanged());
}
