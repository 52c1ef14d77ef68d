#include "data/clsField.h"

void clsField::setFieldName(const QString& value)
{
    fieldName_ = value;
    newFieldName_ = value;
}

void clsField::setAllowNull(bool value)
{
    allowNull_ = value;
    newAllowNull_ = value;
}

void clsField::setAllowZeroLenght(bool value)
{
    allowZeroLenght_ = value;
    newAllowZeroLenght_ = value;
}

void clsField::setOrdinalPosition(std::int32_t value)
{
    ordinalPosition_ = value;
    if (newOrdinalPosition_ == 0)
        newOrdinalPosition_ = value;
}

bool clsField::IsChanged() const
{
    return fieldName_ != newFieldName_ || newAllowZeroLenght_ != allowZeroLenght_ || newAllowNull_ != allowNull_ ||
           newOrdinalPosition_ != ordinalPosition_;
}
