#include "data/clsField.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

// Setting a stored value also sets its new twin; only name, nullability,
// zero-length rule and position count as a change; the position fills its new
// twin only while that is zero.
TEST(clsFieldTest, StoredValuesSetTheirNewTwinsAndOnlyTheTwinsCountAsChange)
{
    clsField f;
    EXPECT_FALSE(f.IsChanged());
    f.setFieldName(u"Precio"_s);
    EXPECT_EQ(f.NewFieldName(), u"Precio"_s);
    f.setNewFieldName(u"precio"_s);
    EXPECT_TRUE(f.IsChanged()) << "a change of case is a change";
    f.setFieldName(u"precio"_s);
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
    f.setDefaultValue(u"x"_s);
    f.setIsKey(true);
    EXPECT_FALSE(f.IsChanged());

    // The position fills its new twin only while that is zero.
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
