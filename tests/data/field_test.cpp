#include "data/clsField.h"

#include <gtest/gtest.h>

TEST(clsFieldTest, FreshDescriptorIsBlankAndUnchanged)
{
    clsField f;
    EXPECT_TRUE(f.FieldName().isEmpty());
    EXPECT_TRUE(f.NewFieldName().isEmpty());
    EXPECT_EQ(f.DataType(), 0);
    EXPECT_EQ(f.Lenght(), 0);
    EXPECT_EQ(f.OrdinalPosition(), 0);
    EXPECT_EQ(f.NewOrdinalPosition(), 0);
    EXPECT_FALSE(f.AllowNull());
    EXPECT_FALSE(f.NewAllowZeroLenght());
    EXPECT_FALSE(f.IsKey());
    EXPECT_FALSE(f.IsChanged());
}

TEST(clsFieldTest, StoredNameSetsNewNameAndCaseCountsAsChange)
{
    clsField f;
    f.setFieldName(QStringLiteral("Precio"));
    EXPECT_EQ(f.NewFieldName(), QStringLiteral("Precio"));
    EXPECT_FALSE(f.IsChanged());
    f.setNewFieldName(QStringLiteral("Importe"));
    EXPECT_TRUE(f.IsChanged());
    f.setFieldName(QStringLiteral("Importe"));
    EXPECT_FALSE(f.IsChanged());
    f.setNewFieldName(QStringLiteral("importe"));
    EXPECT_TRUE(f.IsChanged());
}

TEST(clsFieldTest, OrdinalPositionFillsNewPositionOnlyWhileZero)
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
    EXPECT_EQ(g.OrdinalPosition(), 2);
    EXPECT_TRUE(g.IsChanged());
}

TEST(clsFieldTest, StoredFlagsOverwriteTheirNewTwins)
{
    clsField f;
    f.setNewAllowNull(true);
    f.setAllowNull(false);
    EXPECT_FALSE(f.NewAllowNull());
    EXPECT_FALSE(f.IsChanged());
    f.setAllowZeroLenght(true);
    EXPECT_TRUE(f.NewAllowZeroLenght());
    f.setNewAllowZeroLenght(false);
    EXPECT_TRUE(f.IsChanged());
}

TEST(clsFieldTest, TypeSizeAndDefaultDoNotCountAsChange)
{
    clsField f;
    f.setDataType(8);
    f.setLenght(50);
    f.setDefaultValue(QStringLiteral("x"));
    f.setValidationRule(QStringLiteral("a > 0"));
    f.setIsKey(true);
    EXPECT_FALSE(f.IsChanged());
}
