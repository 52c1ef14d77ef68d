#include "SqliteTypes.h"

#include <QRegularExpression>

namespace db::sqlitetypes {

namespace {
bool any(const QString& w, std::initializer_list<const char*> words)
{
    for (const char* x : words)
        if (w == QLatin1String(x))
            return true;
    return false;
}
} // namespace

TypeDesc describeColumn(const QString& declaredType)
{
    static const QRegularExpression re(QStringLiteral(R"(^\s*([A-Za-z_][A-Za-z0-9_ ]*?)\s*(?:\(\s*(\d+)\s*(?:,\s*(\d+)\s*)?\))?\s*$)"));
    TypeDesc d;
    const auto m = re.match(declaredType);
    const QString w = m.hasMatch() ? m.captured(1).toUpper().simplified() : declaredType.toUpper().simplified();
    const bool hasN = m.hasMatch() && m.capturedLength(2) > 0;
    const qint64 n = hasN ? m.captured(2).toLongLong() : 0;
    const int s = m.hasMatch() && m.capturedLength(3) ? m.captured(3).toInt() : 0;

    auto set = [&](int type, qint64 size, int precision, bool fixed) {
        d.type = type;
        d.size = size;
        d.fieldSize = size;
        d.precision = precision;
        d.fixed = fixed;
    };
    if (any(w, {"COUNTER", "AUTOINCREMENT", "IDENTITY"})) {
        set(adInteger, 4, 10, true);
        d.counter = true;
    } else if (any(w, {"INTEGER", "INT", "LONG", "INT4", "MEDIUMINT", "INTEGER4"})) {
        set(adInteger, 4, 10, true);
    } else if (any(w, {"BIGINT", "INT8", "UNSIGNED BIG INT"})) {
        set(adBigInt, 8, 19, true);
    } else if (any(w, {"SMALLINT", "SHORT", "INT2", "INTEGER2"})) {
        set(adSmallInt, 2, 5, true);
    } else if (any(w, {"BYTE", "TINYINT", "INTEGER1"})) {
        set(adUnsignedTinyInt, 1, 3, true);
    } else if (any(w, {"BIT", "BOOLEAN", "BOOL", "LOGICAL", "LOGICAL1", "YESNO"})) {
        set(adBoolean, 2, 0, true);
    } else if (any(w, {"CURRENCY", "MONEY", "SMALLMONEY"})) {
        set(adCurrency, 8, 19, true);
        d.scale = 4;
    } else if (any(w, {"DATETIME", "DATE", "TIME", "TIMESTAMP", "SMALLDATETIME"})) {
        set(adDate, 8, 0, true);
    } else if (any(w, {"SINGLE", "REAL", "FLOAT4", "IEEESINGLE"})) {
        set(adSingle, 4, 7, true);
    } else if (any(w, {"DOUBLE", "FLOAT", "FLOAT8", "IEEEDOUBLE", "NUMBER", "DOUBLE PRECISION"})) {
        set(adDouble, 8, 15, true);
    } else if (any(w, {"DECIMAL", "NUMERIC", "DEC"})) {
        set(adNumeric, 19, hasN ? int(n) : 18, true);
        d.scale = s;
    } else if (any(w, {"TEXT", "VARCHAR", "NVARCHAR", "CHARACTER VARYING", "NATIONAL CHARACTER VARYING", "ALPHANUMERIC",
                       "STRING", "VARYING CHARACTER", "NATIONAL VARYING CHARACTER"})
               && hasN) {
        set(adVarWChar, n, 0, false);
        d.text = true;
    } else if (any(w, {"CHAR", "NCHAR", "CHARACTER", "NATIONAL CHARACTER", "NATIVE CHARACTER"})) {
        set(adWChar, hasN ? n : 255, 0, true);
        d.text = true;
    } else if (any(w, {"VARCHAR", "NVARCHAR", "ALPHANUMERIC", "STRING"})) {
        set(adVarWChar, 255, 0, false);
        d.text = true;
    } else if (any(w, {"TEXT", "MEMO", "NOTE", "LONGTEXT", "LONGCHAR", "NTEXT", "CLOB", "HYPERLINK", "LONG VARCHAR"})) {
        set(adLongVarWChar, 0, 0, false);
        d.fieldSize = 536870910;
        d.text = true;
        d.isLong = true;
    } else if (any(w, {"OLEOBJECT", "LONGBINARY", "GENERAL", "IMAGE", "BLOB"})) {
        set(adLongVarBinary, 0, 0, false);
        d.fieldSize = 1073741823;
        d.isLong = true;
    } else if (any(w, {"BINARY", "VARBINARY"})) {
        set(adVarBinary, hasN ? n : 510, 0, false);
    } else if (any(w, {"GUID", "UNIQUEIDENTIFIER"})) {
        set(adGUID, 16, 0, true);
    } else if (w.isEmpty()) {
        set(adLongVarWChar, 0, 0, false);
        d.fieldSize = 536870910;
        d.text = true;
        d.isLong = true;
    } else if (w.contains(QLatin1String("INT"))) {
        set(adInteger, 4, 10, true);
    } else if (w.contains(QLatin1String("CHAR")) || w.contains(QLatin1String("CLOB")) || w.contains(QLatin1String("TEXT"))) {
        set(hasN ? adVarWChar : adLongVarWChar, hasN ? n : 0, 0, false);
        d.fieldSize = hasN ? n : 536870910;
        d.text = true;
        d.isLong = !hasN;
    } else if (w.contains(QLatin1String("BLOB"))) {
        set(adLongVarBinary, 0, 0, false);
        d.fieldSize = 1073741823;
        d.isLong = true;
    } else {
        set(adDouble, 8, 15, true);
    }
    return d;
}

void describeField(const QString& declaredType, FieldInfo& f)
{
    const TypeDesc d = describeColumn(declaredType);
    f.type = d.type;
    f.definedSize = d.fieldSize;
    f.precision = d.precision;
    f.numericScale = d.scale;
    if (d.fixed)
        f.attributes |= adFldFixed;
    if (d.isLong)
        f.attributes |= adFldLong;
}

void ValueTyping::seeInt(std::int64_t v)
{
    if (seen_ == ResultSet::Null)
        seen_ = ResultSet::Int;
    big_ = big_ || v < INT32_MIN || v > INT32_MAX;
}

void ValueTyping::seeReal()
{
    if (seen_ == ResultSet::Null || seen_ == ResultSet::Int)
        seen_ = ResultSet::Real;
}

void ValueTyping::seeText(qint64 bytes)
{
    if (seen_ == ResultSet::Null)
        seen_ = ResultSet::Text;
    maxLen_ = qMax(maxLen_, bytes);
}

void ValueTyping::seeBlob()
{
    if (seen_ == ResultSet::Null)
        seen_ = ResultSet::Blob;
}

void inferField(ResultSet& rs, int col)
{
    ValueTyping t;
    const qint64 rows = rs.rowCount();
    for (qint64 r = 0; r < rows; ++r) {
        switch (rs.tag(r, col)) {
        case ResultSet::Int: t.seeInt(rs.intValue(r, col)); break;
        case ResultSet::Real: t.seeReal(); break;
        case ResultSet::Text: t.seeText(qint64(rs.bytes(r, col).size())); break;
        case ResultSet::DateText: {
            char text[32];
            t.seeText(qint64(rs.dateText(r, col, text)));
            break;
        }
        case ResultSet::Blob: t.seeBlob(); break;
        default: break;
        }
    }
    t.apply(rs.fields[std::size_t(col)]);
}

void ValueTyping::apply(FieldInfo& f) const
{
    switch (seen_) {
    case ResultSet::Int:
        f.type = big_ ? adBigInt : adInteger;
        f.definedSize = big_ ? 8 : 4;
        f.precision = big_ ? 19 : 10;
        f.attributes |= adFldFixed;
        break;
    case ResultSet::Real:
        f.type = adDouble;
        f.definedSize = 8;
        f.precision = 15;
        f.attributes |= adFldFixed;
        break;
    case ResultSet::Blob:
        f.type = adLongVarBinary;
        f.definedSize = 1073741823;
        f.attributes |= adFldLong;
        break;
    default:
        f.type = adVarWChar;
        f.definedSize = qMax<qint64>(maxLen_, 255);
        break;
    }
}

bool isTextDecl(const QString& declaredType) { return describeColumn(declaredType).text; }

} // namespace db::sqlitetypes
