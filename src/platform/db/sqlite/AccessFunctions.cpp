#include "SqliteInternal.h"

#include "AccessDialect.h"
#include "CaseFree.h"
#include "core/ValueText.h"

#include <QDate>
#include <QRegularExpression>
#include <QSet>

namespace db::sqlitebackend {

namespace {

// ---- functions of the Access dialect ------------------------------------------

// Every name registered here is one the engine does not define itself: a
// built-in collation or function redefined on Velmora's connections would
// order or judge what the file stores (NOCASE orders indexes, LIKE may sit in
// a CHECK or a partial index) differently from every other reader of the file.
QString argText(sqlite3_value* v)
{
    const unsigned char* t = sqlite3_value_text(v);
    return t ? QString::fromUtf8(reinterpret_cast<const char*>(t), sqlite3_value_bytes(v)) : QString();
}

void resultText(sqlite3_context* ctx, const QString& s)
{
    QByteArray u = s.toUtf8();
    sqlite3_result_text(ctx, u.constData(), int(u.size()), SQLITE_TRANSIENT);
}

void resultError(sqlite3_context* ctx, const Error& e)
{
    const QByteArray m = e.description.toUtf8();
    sqlite3_result_error(ctx, m.constData(), int(m.size()));
}

const char* DateFormat = "yyyy-MM-dd HH:mm:ss";

// A value of the engine as a Variant: canonical date texts become dates.
Variant toVariant(sqlite3_value* v)
{
    switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER: {
        sqlite3_int64 i = sqlite3_value_int64(v);
        if (i >= INT32_MIN && i <= INT32_MAX)
            return Variant(std::int32_t(i));
        return Variant(std::int64_t(i));
    }
    case SQLITE_FLOAT:
        return Variant(sqlite3_value_double(v));
    case SQLITE_NULL:
        return Variant::null();
    default: {
        QString s = argText(v);
        static const QRegularExpression iso(QStringLiteral(R"(^\d{4}-\d{2}-\d{2}( \d{2}:\d{2}(:\d{2}(\.\d+)?)?)?$)"));
        if (iso.match(s).hasMatch()) {
            QDateTime d = QDateTime::fromString(s.left(19), s.size() >= 19 ? QStringLiteral("yyyy-MM-dd HH:mm:ss")
                                                          : s.size() == 16 ? QStringLiteral("yyyy-MM-dd HH:mm")
                                                                           : QStringLiteral("yyyy-MM-dd"));
            if (d.isValid()) {
                d.setTimeSpec(Qt::UTC);
                return Variant(d);
            }
        }
        return Variant(s);
    }
    }
}

// DateValue('25/12/2024'): day/month/year as the dialect writes it (or ISO); the time is dropped.
void fnDateValue(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const QString s = argText(argv[0]).trimmed();
    static const QRegularExpression dmy(QStringLiteral(R"(^(\d{1,2})[/.-](\d{1,2})[/.-](\d{2,4})\b)"));
    static const QRegularExpression ymd(QStringLiteral(R"(^(\d{4})-(\d{1,2})-(\d{1,2})\b)"));
    QDate d;
    if (auto m = dmy.match(s); m.hasMatch()) {
        int y = m.captured(3).toInt();
        if (m.capturedLength(3) <= 2)
            y += y < 30 ? 2000 : 1900;
        d = QDate(y, m.captured(2).toInt(), m.captured(1).toInt());
    } else if (auto m2 = ymd.match(s); m2.hasMatch()) {
        d = QDate(m2.captured(1).toInt(), m2.captured(2).toInt(), m2.captured(3).toInt());
    }
    if (!d.isValid()) {
        sqlite3_result_error(ctx, "DateValue: no es una fecha válida", -1);
        return;
    }
    resultText(ctx, d.toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(" 00:00:00"));
}

// FORMAT(value, pattern) with the program's own formatting rules.
void fnFormat(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    Variant v = toVariant(argv[0]);
    if (v.isString()) {
        if (auto d = ValueText::parseDate(v.toString()); d && !ValueText::isNumeric(v.toString()))
            v = Variant(*d);
    }
    const QString pattern = argc > 1 ? argText(argv[1]) : QString();
    try {
        resultText(ctx, pattern.isEmpty() ? ValueText::displayText(v) : ValueText::format(v, pattern));
    } catch (const Error& e) {
        resultError(ctx, e);
    }
}

void fnLeft(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    resultText(ctx, argText(argv[0]).left(qMax(0, sqlite3_value_int(argv[1]))));
}

void fnRight(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    resultText(ctx, argText(argv[0]).right(qMax(0, sqlite3_value_int(argv[1]))));
}

void fnMid(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const QString s = argText(argv[0]);
    const int start = qMax(1, sqlite3_value_int(argv[1]));
    resultText(ctx, argc > 2 ? s.mid(start - 1, qMax(0, sqlite3_value_int(argv[2]))) : s.mid(start - 1));
}

void fnLen(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    sqlite3_result_int64(ctx, argText(argv[0]).size());
}

void fnUpper(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL)
        sqlite3_result_null(ctx);
    else
        resultText(ctx, argText(argv[0]).toUpper());
}

void fnLower(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL)
        sqlite3_result_null(ctx);
    else
        resultText(ctx, argText(argv[0]).toLower());
}

void fnNz(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) != SQLITE_NULL)
        sqlite3_result_value(ctx, argv[0]);
    else if (argc > 1)
        sqlite3_result_value(ctx, argv[1]);
    else
        sqlite3_result_text(ctx, "", 0, SQLITE_STATIC);
}

// a & b & ...: Null counts as empty text; only when every operand is Null is the result Null.
// Reals read as the program writes them ("2", not "2.0").
void fnConcat(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    QByteArray out;
    bool any = false;
    for (int i = 0; i < argc; ++i) {
        switch (sqlite3_value_type(argv[i])) {
        case SQLITE_NULL:
            continue;
        case SQLITE_FLOAT:
            out += ValueText::numberText(sqlite3_value_double(argv[i])).toUtf8();
            break;
        default: {
            const unsigned char* t = sqlite3_value_text(argv[i]);
            out.append(reinterpret_cast<const char*>(t), sqlite3_value_bytes(argv[i]));
            break;
        }
        }
        any = true;
    }
    if (any)
        sqlite3_result_text(ctx, out.constData(), int(out.size()), SQLITE_TRANSIENT);
    else
        sqlite3_result_null(ctx);
}

void fnIsNull(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    // The Access engine's True is -1.
    sqlite3_result_int(ctx, sqlite3_value_type(argv[0]) == SQLITE_NULL ? -1 : 0);
}

void fnNow(sqlite3_context* ctx, int, sqlite3_value**)
{
    resultText(ctx, QDateTime::currentDateTime().toString(QLatin1String(DateFormat)));
}

template <int Part>
void fnDatePart(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    Variant v = toVariant(argv[0]);
    if (!v.isDate()) {
        if (v.isNull())
            sqlite3_result_null(ctx);
        else
            sqlite3_result_error(ctx, "no es una fecha", -1);
        return;
    }
    const QDate d = v.toDate().date();
    sqlite3_result_int(ctx, Part == 0 ? d.year() : Part == 1 ? d.month() : d.day());
}

void fnCStr(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    Variant v = toVariant(argv[0]);
    if (v.isNull()) {
        sqlite3_result_null(ctx);
        return;
    }
    resultText(ctx, ValueText::displayText(v));
}

// CLng, CDbl: Null stays Null; a value the runtime cannot convert fails the statement with its message.
template <class Result>
void convertValue(sqlite3_context* ctx, sqlite3_value* arg, Result result)
{
    try {
        const Variant v = toVariant(arg);
        if (v.isNull())
            sqlite3_result_null(ctx);
        else
            result(v);
    } catch (const Error& e) {
        resultError(ctx, e);
    }
}

void fnCDate(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    convertValue(ctx, argv[0], [ctx](const Variant& v) {
        resultText(ctx, (v.isDate() ? v.toDate() : Variant(v).toDate()).toString(QLatin1String(DateFormat)));
    });
}

void fnCLng(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    convertValue(ctx, argv[0], [ctx](const Variant& v) { sqlite3_result_int64(ctx, v.toLong()); });
}

void fnCDbl(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    convertValue(ctx, argv[0], [ctx](const Variant& v) { sqlite3_result_double(ctx, v.toDouble()); });
}

// Text without regard to case across Unicode (accents count), for the
// comparisons the dialect marks; never stored in the file.
int accessTextCompare(void*, int n1, const void* p1, int n2, const void* p2)
{
    return sqlite::compareCaseFree(QString::fromUtf8(static_cast<const char*>(p1), n1),
                                   QString::fromUtf8(static_cast<const char*>(p2), n2));
}

// access_like(text, pattern[, escape]): the engine's LIKE without regard to
// case across Unicode; Null in any argument gives Null, as there.
void fnLike(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    for (int i = 0; i < argc; ++i)
        if (sqlite3_value_type(argv[i]) == SQLITE_NULL) {
            sqlite3_result_null(ctx);
            return;
        }
    std::optional<char32_t> escape;
    if (argc > 2) {
        const QList<uint> e = argText(argv[2]).toUcs4();
        if (e.size() != 1) {
            sqlite3_result_error(ctx, "ESCAPE expression must be a single character", -1);
            return;
        }
        escape = char32_t(e.front());
    }
    sqlite3_result_int(ctx, sqlite::likeCaseFree(argText(argv[0]), argText(argv[1]), escape));
}

} // namespace

void registerFunctions(sqlite3* h)
{
    sqlite3_create_collation_v2(h, "access_text", SQLITE_UTF8, nullptr, accessTextCompare, nullptr);
    const int f = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    struct Fn {
        const char* name;
        int args;
        void (*fn)(sqlite3_context*, int, sqlite3_value**);
        bool deterministic;
    };
    static const Fn fns[] = {
        {"datevalue", 1, fnDateValue, true}, {"access_format", 2, fnFormat, true}, {"access_format", 1, fnFormat, true},
        {"access_left", 2, fnLeft, true},    {"access_right", 2, fnRight, true},         {"mid", 2, fnMid, true},
        {"mid", 3, fnMid, true},             {"len", 1, fnLen, true},             {"ucase", 1, fnUpper, true},
        {"lcase", 1, fnLower, true},         {"nz", 1, fnNz, true},               {"nz", 2, fnNz, true},
        {"isnull", 1, fnIsNull, true}, {"access_isnull", 1, fnIsNull, true},       {"now", 0, fnNow, false},            {"year", 1, fnDatePart<0>, true},
        {"month", 1, fnDatePart<1>, true},   {"day", 1, fnDatePart<2>, true},     {"cstr", 1, fnCStr, true},
        {"clng", 1, fnCLng, true},           {"cint", 1, fnCLng, true},           {"cdbl", 1, fnCDbl, true}, {"cdate", 1, fnCDate, true},
        {"access_concat", -1, fnConcat, true}, {"access_like", 2, fnLike, true},    {"access_like", 3, fnLike, true},
    };
    for (const auto& fn : fns)
        sqlite3_create_function_v2(h, fn.name, fn.args, fn.deterministic ? f : SQLITE_UTF8, nullptr, fn.fn, nullptr,
                                   nullptr, nullptr);
}

namespace {

// The declared type of what an expression column computes, where the
// expression tells it: the Access date functions give dates, conversions
// their type, and MAX, MIN, SUM, FIRST and LAST of a typed column keep its
// type. "" when only the values can tell.
QString expressionType(sqlite3* h, const sqlite::SelectItem& item, const QString& fromOn, int depth = 0)
{
    static const QSet<QString> dates = {QStringLiteral("datevalue"), QStringLiteral("cdate"), QStringLiteral("now"),
                                        QStringLiteral("dateserial"), QStringLiteral("dateadd"), QStringLiteral("timevalue")};
    static const QSet<QString> longs = {QStringLiteral("clng"), QStringLiteral("len"), QStringLiteral("year"),
                                        QStringLiteral("month"), QStringLiteral("day"), QStringLiteral("count")};
    static const QSet<QString> keep = {QStringLiteral("max"), QStringLiteral("min"), QStringLiteral("sum"),
                                       QStringLiteral("first"), QStringLiteral("last"), QStringLiteral("avg")};
    const QString& f = item.function;
    if (f.isEmpty() || depth > 4)
        return QString();
    if (dates.contains(f))
        return QStringLiteral("DATETIME");
    if (longs.contains(f))
        return QStringLiteral("LONG");
    if (f == QLatin1String("cint"))
        return QStringLiteral("SMALLINT");
    if (f == QLatin1String("cdbl"))
        return QStringLiteral("DOUBLE");
    if (!keep.contains(f))
        return QString();
    // The argument's own type, from the same FROM clause.
    const auto inner = sqlite::selectItems(QStringLiteral("SELECT ") + item.argument);
    if (inner.size() != 1)
        return QString();
    QString decl;
    {
        Stmt probe;
        const QByteArray u = (QStringLiteral("SELECT ") + item.argument + QLatin1Char(' ') + fromOn).toUtf8();
        if (sqlite3_prepare_v2(h, u.constData(), int(u.size()), &probe.s, nullptr) == SQLITE_OK && probe.s
            && sqlite3_column_count(probe.s) == 1)
            if (const char* d = sqlite3_column_decltype(probe.s, 0))
                decl = QString::fromUtf8(d);
    }
    if (decl.isEmpty())
        decl = expressionType(h, inner.front(), fromOn, depth + 1);
    if (decl.isEmpty())
        return QString();
    const auto d = sqlitetypes::describeColumn(decl);
    if (d.counter)
        decl = QStringLiteral("LONG"); // a total of numbers is no counter
    if (f == QLatin1String("avg") && d.type != adCurrency)
        return QStringLiteral("DOUBLE");
    if (f == QLatin1String("sum") && (d.text || d.type == adDBTimeStamp || d.type == adDate))
        return QStringLiteral("DOUBLE");
    return decl;
}

} // namespace

// Types the expression columns whose expression tells what they compute.
void declareExpressionTypes(sqlite3* h, sqlite3_stmt* s, ResultSet& rs, std::vector<bool>& inferred)
{
    if (std::find(inferred.begin(), inferred.end(), true) == inferred.end())
        return;
    QString fromOn;
    const auto items = sqlite::selectItems(QString::fromUtf8(sqlite3_sql(s)), &fromOn);
    if (items.size() != rs.fields.size())
        return; // a "*" among them: positions do not match
    for (std::size_t c = 0; c < items.size(); ++c) {
        if (!inferred[c])
            continue;
        const QString decl = expressionType(h, items[c], fromOn);
        if (decl.isEmpty())
            continue;
        sqlitetypes::describeField(decl, rs.fields[c]);
        inferred[c] = false;
    }
}

} // namespace db::sqlitebackend
