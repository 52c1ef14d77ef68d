#pragma once
// The value type every member passes around. Empty, Null and Nothing are
// three different things and stay apart; numbers keep their width so that an
// overflow is raised instead of wrapping.
#include "Decimal.h"
#include "Object.h"

#include <QDateTime>
#include <QString>
#include <cstdint>
#include <memory>
#include <variant>
#include <vector>

// The runtime's own type numbers: code that looks at a value's type or a
// field's FieldTypeCode compares with them, so they never change.
enum class VarType : int {
    Empty = 0,
    Null = 1,
    Integer = 2,
    Long = 3,
    Single = 4,
    Double = 5,
    Currency = 6,
    Date = 7,
    String = 8,
    Object = 9,
    Boolean = 11,
    Decimal = 14,
    Byte = 17,
    LongLong = 20,
    Array = 8192,
};

// Exact money: an integer count of 1/10000.
struct Currency {
    std::int64_t scaled = 0;
    static constexpr std::int64_t Scale = 10000;
    static Currency fromDouble(double value); // rounds half to even at 4 decimals; raises Overflow
    static Currency fromScaled(std::int64_t s) { return Currency{s}; }
    double toDouble() const { return double(scaled) / Scale; }
    bool operator==(const Currency&) const = default;
};

class Variant;

// One- or two-dimensional array with its own lower bounds (ReDim a(lb To ub)).
class VArray {
public:
    VArray() = default;
    VArray(int lower1, int upper1);
    VArray(int lower1, int upper1, int lower2, int upper2);

    int dimensions() const { return dims_; }
    int lbound(int dim = 1) const;
    int ubound(int dim = 1) const;
    // Element count along one dimension (0 for an unallocated array).
    int count(int dim = 1) const { return ubound(dim) - lbound(dim) + 1; }
    bool allocated() const { return dims_ > 0; }

    Variant& at(int i);                 // raises SubscriptOutOfRange
    const Variant& at(int i) const;
    Variant& at(int i, int j);
    const Variant& at(int i, int j) const;

    // ReDim Preserve: only the last dimension may change.
    void redimPreserve(int newUpperLast);

private:
    std::size_t index(int i) const;
    std::size_t index(int i, int j) const;
    int dims_ = 0;
    int lb_[2] = {0, 0};
    int ub_[2] = {-1, -1};
    std::vector<Variant> data_;
};

using VArrayPtr = std::shared_ptr<VArray>;

class Variant {
public:
    struct NullTag {};
    using Storage = std::variant<std::monostate, NullTag, bool, std::uint8_t, std::int16_t, std::int32_t,
                                 std::int64_t, float, double, Currency, QDateTime, QString, ObjectPtr, VArrayPtr, Decimal>;

    Variant() = default; // Empty
    static Variant null() { Variant v; v.v_ = NullTag{}; return v; }
    static Variant nothing() { return Variant(ObjectPtr()); }

    Variant(bool b) : v_(b) {}
    Variant(std::uint8_t b) : v_(b) {}
    Variant(std::int16_t i) : v_(i) {}
    Variant(std::int32_t l) : v_(l) {}
    Variant(std::int64_t l) : v_(l) {}
    Variant(float f) : v_(f) {}
    Variant(double d) : v_(d) {}
    Variant(Currency c) : v_(c) {}
    Variant(const Decimal& d) : v_(d) {}
    Variant(const QDateTime& d) : v_(d) {}
    Variant(const QDate& d) : v_(QDateTime(d, QTime(0, 0), Qt::UTC)) {}
    Variant(const QString& s) : v_(s) {}
    Variant(QString&& s) : v_(std::move(s)) {}
    Variant(const char* s) : v_(QString::fromUtf8(s)) {}
    Variant(ObjectPtr o) : v_(std::move(o)) {}
    template <class T, class = std::enable_if_t<std::is_base_of_v<Object, T>>>
    Variant(std::shared_ptr<T> o) : v_(ObjectPtr(std::move(o))) {}
    Variant(VArrayPtr a) : v_(std::move(a)) {}
    Variant(const char16_t*) = delete;
    Variant(long long l) : v_(std::int64_t(l)) {} // qint64
    Variant(unsigned) = delete; // say which width is meant

    VarType type() const;
    bool isEmpty() const { return v_.index() == 0; }
    bool isNull() const { return std::holds_alternative<NullTag>(v_); }
    bool isObject() const { return std::holds_alternative<ObjectPtr>(v_); }
    bool isNothing() const { return isObject() && !std::get<ObjectPtr>(v_); }
    bool isArray() const { return std::holds_alternative<VArrayPtr>(v_); }
    bool isString() const { return std::holds_alternative<QString>(v_); }
    bool isDate() const { return std::holds_alternative<QDateTime>(v_); }
    bool isBoolean() const { return std::holds_alternative<bool>(v_); }
    // Holds a number (Byte, Integer, Long, LongLong, Single, Double, Currency, Decimal).
    bool isNumber() const;
    // IsNumeric: a number, a boolean, Empty, or text that reads as a number in the current locale.
    bool isNumeric() const;

    // Conversions with the runtime's rules (CBool, CByte, CInt, CLng, CDbl, CCur, CDate, CStr):
    // Null raises InvalidUseOfNull, text that is not a number raises TypeMismatch,
    // a value out of range raises Overflow. Integer conversions round half to even.
    // Those that read or write text (isNumeric, toDouble, toCurrency, toDate,
    // toString) are defined with the text rules, in ValueText_conversions.cpp.
    bool toBool() const;
    std::uint8_t toByte() const;
    std::int16_t toInt() const;
    std::int32_t toLong() const;
    std::int64_t toLongLong() const;
    float toSingle() const;
    double toDouble() const;
    Currency toCurrency() const;
    QDateTime toDate() const;
    QString toString() const; // CStr: numbers, dates and booleans as the current locale writes them
    ObjectPtr toObject() const; // raises ObjectRequired unless an object (or Nothing)
    template <class T>
    std::shared_ptr<T> as() const { return isObject() ? std::dynamic_pointer_cast<T>(std::get<ObjectPtr>(v_)) : nullptr; }
    VArrayPtr array() const; // raises TypeMismatch unless an array

    const Storage& storage() const { return v_; }

    // Same type and same value (Empty == Empty, Null == Null, objects by identity).
    bool operator==(const Variant& o) const;
    bool operator!=(const Variant& o) const { return !(*this == o); }

private:
    Storage v_;
};

// Whether two values are equal as the runtime's "=" compares them (operator==
// stays type-strict): numbers of any width and Currency by value (Integer 2,
// Long 2 and Double 2.0 are equal), a Boolean as the number it stands for
// (True is -1), dates by their instant (and against numbers by their serial),
// texts exactly (case counts), objects by identity. Null and Empty equal
// nothing, themselves included; arrays equal nothing.
bool valuesEqual(const Variant& a, const Variant& b);

// Text for tests and logs: the value and its type ("Long 12", "Null").
QString debugText(const Variant& v);

// Dates are kept as naive local date-times; the runtime's day zero is 1899-12-30.
QDateTime dateFromSerial(double serial);
double serialFromDate(const QDateTime& d);
