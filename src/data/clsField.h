#pragma once
// Describes one column of a table being created or rebuilt. Some attributes
// come in two generations: the value the column has in the database now and
// the value it is to have after the change; setting the stored value also sets
// its new twin, so a filler sets the stored value first and the new one after.
#include "core/Object.h"

#include <QString>
#include <cstdint>
#include <memory>

class clsField : public Object {
public:
    QString typeName() const override { return QStringLiteral("clsField"); }

    const QString& FieldName() const { return fieldName_; }
    void setFieldName(const QString& value);
    const QString& NewFieldName() const { return newFieldName_; }
    void setNewFieldName(const QString& value) { newFieldName_ = value; }

    // A FieldTypeCode (11 Boolean, 17 Byte, 2 Integer, 3 Long, 6 Currency,
    // 4 Single, 5 Double, 7 Date, 8 Text, 12 Binary).
    std::int16_t DataType() const { return dataType_; }
    void setDataType(std::int16_t value) { dataType_ = value; }
    std::int32_t Lenght() const { return lenght_; }
    void setLenght(std::int32_t value) { lenght_ = value; }
    bool FixedLenght() const { return fixedLenght_; }
    void setFixedLenght(bool value) { fixedLenght_ = value; }
    bool AutoIncrease() const { return autoIncrease_; }
    void setAutoIncrease(bool value) { autoIncrease_ = value; }

    bool AllowNull() const { return allowNull_; }
    void setAllowNull(bool value);
    bool NewAllowNull() const { return newAllowNull_; }
    void setNewAllowNull(bool value) { newAllowNull_ = value; }
    bool AllowZeroLenght() const { return allowZeroLenght_; }
    void setAllowZeroLenght(bool value);
    bool NewAllowZeroLenght() const { return newAllowZeroLenght_; }
    void setNewAllowZeroLenght(bool value) { newAllowZeroLenght_ = value; }

    std::int32_t OrdinalPosition() const { return ordinalPosition_; }
    // The first non-zero position set also becomes the new position.
    void setOrdinalPosition(std::int32_t value);
    std::int32_t NewOrdinalPosition() const { return newOrdinalPosition_; }
    void setNewOrdinalPosition(std::int32_t value) { newOrdinalPosition_ = value; }

    const QString& ValidationText() const { return validationText_; }
    void setValidationText(const QString& value) { validationText_ = value; }
    const QString& ValidationRule() const { return validationRule_; }
    void setValidationRule(const QString& value) { validationRule_ = value; }
    const QString& DefaultValue() const { return defaultValue_; }
    void setDefaultValue(const QString& value) { defaultValue_ = value; }
    // "table.storedName": the key the descriptor is held under in the field collection.
    const QString& KeyCode() const { return keyCode_; }
    void setKeyCode(const QString& value) { keyCode_ = value; }
    bool IsKey() const { return isKey_; }
    void setIsKey(bool value) { isKey_ = value; }

    // Name, nullability, zero-length rule or position differ between generations.
    bool IsChanged() const;

private:
    QString fieldName_;
    QString newFieldName_;
    std::int16_t dataType_ = 0;
    std::int32_t lenght_ = 0;
    bool fixedLenght_ = false;
    bool autoIncrease_ = false;
    bool allowNull_ = false;
    bool newAllowNull_ = false;
    bool allowZeroLenght_ = false;
    bool newAllowZeroLenght_ = false;
    std::int32_t ordinalPosition_ = 0;
    std::int32_t newOrdinalPosition_ = 0;
    QString validationText_;
    QString validationRule_;
    QString defaultValue_;
    QString keyCode_;
    bool isKey_ = false;
};

using clsFieldPtr = std::shared_ptr<clsField>;
