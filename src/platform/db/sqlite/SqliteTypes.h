#pragma once
// Declared column types of the local engine read as the Access engine reports
// them: the type word decides the DataType number, the sizes and precision.
#include "../ResultSet.h"

#include <QString>

namespace db::sqlitetypes {

struct TypeDesc {
    int type = adLongVarWChar;
    qint64 size = 0;        // catalog DefinedSize
    qint64 fieldSize = 0;   // record-set field DefinedSize
    int precision = 0;
    int scale = 0;
    bool fixed = false;
    bool counter = false;   // COUNTER / AUTOINCREMENT
    bool text = false;
    bool isLong = false;
};

TypeDesc describeColumn(const QString& declaredType);
// Fills type, sizes and the fixed/long attribute bits of a record-set field.
void describeField(const QString& declaredType, FieldInfo& f);
// What the values of a result column without declared type showed so far:
// its first non-null value types it (a column mixing whole numbers and reals
// is a real one).
class ValueTyping {
public:
    void seeInt(std::int64_t v);
    void seeReal();
    void seeText(qint64 bytes);
    void seeBlob();
    // Sets the type, sizes and attribute bits of a field described without type.
    void apply(FieldInfo& f) const;

private:
    ResultSet::Tag seen_ = ResultSet::Null;
    bool big_ = false;
    qint64 maxLen_ = 0;
};
// A result column without declared type: typed by its values.
void inferField(ResultSet& rs, int col);
bool isTextDecl(const QString& declaredType);

} // namespace db::sqlitetypes
