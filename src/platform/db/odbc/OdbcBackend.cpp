#include "platform/db/odbc/OdbcBackend.h"
#include "platform/db/odbc/OdbcConnection.h"

#include "platform/db/LocalFile.h"
#include "platform/db/odbc/OdbcApi.h"
#include "platform/db/odbc/OdbcConnectionString.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QStringEncoder>

#include <algorithm>
#include <charconv>
#include <cstring>
#include <limits>
#include <map>
#include <optional>

namespace db {
namespace odbc {

namespace {

// Text and binary columns up to this many characters are bound whole; longer
// or unbounded ones get a prefix buffer and the rest is read with SQLGetData.
constexpr qsizetype BindLimit = 4000;
constexpr qsizetype LongPrefix = 1024;
// A block of fetched rows aims at this many bytes of bound buffers.
constexpr qsizetype BlockBytes = 512 * 1024;
constexpr SQLULEN MaxBlockRows = 1024;


bool isLongType(int dataType)
{
    return dataType == adLongVarChar || dataType == adLongVarWChar || dataType == adLongVarBinary;
}

Kind kindFor(int dataType)
{
    switch (dataType) {
    case adTinyInt:
    case adUnsignedTinyInt:
    case adSmallInt:
    case adInteger:
    case adBigInt:
    case adUnsignedSmallInt:
    case adUnsignedInt:
    case adUnsignedBigInt:
        return Kind::Int;
    case adBoolean:
        return Kind::Bool;
    case adSingle:
    case adDouble:
        return Kind::Real;
    case adNumeric:
    case adDecimal:
        return Kind::Numeric;
    case adCurrency:
        return Kind::Money;
    case adDBTimeStamp:
    case adDBDate:
    case adDate:
        return Kind::Timestamp;
    case adDBTime:
        return Kind::Time;
    case adGUID:
        return Kind::Guid;
    case adBinary:
    case adVarBinary:
    case adLongVarBinary:
        return Kind::Binary;
    default:
        return Kind::Text;
    }
}
} // namespace

// Defined size and precision the way the record-set interface reports them.
void sizeField(int type, qint64 columnSize, int scale, qint64& definedSize, int& precision, int& numericScale)
{
    numericScale = 0;
    switch (type) {
    case adBoolean: definedSize = 2; precision = 255; return;
    case adTinyInt:
    case adUnsignedTinyInt: definedSize = 1; precision = 3; return;
    case adSmallInt:
    case adUnsignedSmallInt: definedSize = 2; precision = 5; return;
    case adInteger:
    case adUnsignedInt: definedSize = 4; precision = 10; return;
    case adBigInt:
    case adUnsignedBigInt: definedSize = 8; precision = 19; return;
    case adSingle: definedSize = 4; precision = 7; return;
    case adDouble: definedSize = 8; precision = 15; return;
    case adCurrency: definedSize = 8; precision = 19; numericScale = 4; return;
    case adNumeric:
    case adDecimal: definedSize = 19; precision = int(columnSize); numericScale = scale; return;
    case adDBTimeStamp:
    case adDate: definedSize = 16; precision = 19; numericScale = scale; return;
    case adDBDate: definedSize = 6; precision = 10; return;
    case adDBTime: definedSize = 6; precision = 8; return;
    case adGUID: definedSize = 16; precision = 255; return;
    default: break;
    }
    precision = 255;
    definedSize = columnSize > 0 ? columnSize : 1073741823; // unbounded long text or binary
}

bool isFixedType(int type)
{
    return (kindFor(type) != Kind::Text && kindFor(type) != Kind::Binary) || type == adChar || type == adWChar
        || type == adBinary;
}

namespace {

int fieldAttributesFor(int type, bool nullable, bool isLong)
{
    int a = 0;
    if (nullable)
        a |= adFldIsNullable | adFldMayBeNull;
    if (isLong)
        a |= adFldLong;
    else if (isFixedType(type))
        a |= adFldFixed;
    return a;
}

constexpr std::int64_t MsPerDay = 86400000;
// The runtime's day zero, 1899-12-30, which a time of day alone is attached to.
const std::int64_t DayZero = daysFromCivil(1899, 12, 30);

std::int64_t timestampMs(const SQL_TIMESTAMP_STRUCT& t)
{
    return daysFromCivil(t.year, t.month, t.day) * MsPerDay + std::int64_t(t.hour) * 3600000
        + std::int64_t(t.minute) * 60000 + std::int64_t(t.second) * 1000 + std::int64_t(t.fraction / 1000000);
}

std::int64_t timeMs(const SQL_TIME_STRUCT& t)
{
    return DayZero * MsPerDay + std::int64_t(t.hour) * 3600000 + std::int64_t(t.minute) * 60000
        + std::int64_t(t.second) * 1000;
}

// A decimal as the driver writes it ("-123.4500", maybe with the locale's comma).
std::string normalisedNumber(const char* s, qsizetype len)
{
    std::string t(s, std::size_t(len));
    std::replace(t.begin(), t.end(), ',', '.');
    while (!t.empty() && t.back() == ' ')
        t.pop_back();
    std::size_t start = 0;
    while (start < t.size() && t[start] == ' ')
        ++start;
    t.erase(0, start);
    if (!t.empty() && t.front() == '+')
        t.erase(0, 1);
    return t;
}

bool parseDouble(const std::string& t, double& out)
{
    auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), out);
    return ec == std::errc() && p == t.data() + t.size();
}

// Exact money: the decimal text scaled by 10000, rounded half to even.
bool parseMoney(const std::string& t, std::int64_t& out)
{
    std::size_t i = 0;
    bool negative = false;
    if (i < t.size() && t[i] == '-') {
        negative = true;
        ++i;
    }
    __int128 whole = 0;
    bool digits = false;
    for (; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i) {
        whole = whole * 10 + (t[i] - '0');
        digits = true;
        if (whole > (__int128(1) << 70))
            return false;
    }
    int frac = 0, fracDigits = 0;
    int next = -1;
    bool sticky = false;
    if (i < t.size() && t[i] == '.') {
        for (++i; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i) {
            digits = true;
            if (fracDigits < 4) {
                frac = frac * 10 + (t[i] - '0');
                ++fracDigits;
            } else if (next < 0) {
                next = t[i] - '0';
            } else if (t[i] != '0') {
                sticky = true;
            }
        }
    }
    if (!digits || i != t.size())
        return false;
    while (fracDigits < 4) {
        frac *= 10;
        ++fracDigits;
    }
    __int128 scaled = whole * 10000 + frac;
    if (next > 5 || (next == 5 && (sticky || (scaled & 1))))
        ++scaled;
    if (negative)
        scaled = -scaled;
    if (scaled > std::numeric_limits<std::int64_t>::max() || scaled < std::numeric_limits<std::int64_t>::min())
        return false;
    out = std::int64_t(scaled);
    return true;
}

} // namespace

// A catalog or data statement that succeeded may still have no result to fetch
// (MDBTools answers SQLStatistics that way, and fetching then crashes inside it).
bool hasResult(SQLHSTMT st)
{
    SQLSMALLINT columns = 0;
    return SQL_SUCCEEDED(SQLNumResultCols(st, &columns)) && columns > 0;
}

namespace {

// "Driver does not support this function": a missing feature, not a failure.
bool notSupported(SQLSMALLINT type, SQLHANDLE handle)
{
    for (const auto& d : diagnostics(type, handle))
        if (d.state == QLatin1String("IM001") || d.state == QLatin1String("HYC00"))
            return true;
    return false;
}

} // namespace

namespace {

// Short ASCII facts about the driver (quote character, DBMS name). The narrow
// call hands our zeroed buffer straight to a narrow driver: with the wide one
// the driver manager reads its own copy past an answer left unterminated (MDBTools).
QString infoText(SQLHDBC dbc, SQLUSMALLINT what)
{
    SQLCHAR buf[256] = {};
    SQLSMALLINT len = 0;
    if (!SQL_SUCCEEDED(SQLGetInfo(dbc, what, buf, sizeof buf - 1, &len)))
        return QString();
    return QString::fromUtf8(reinterpret_cast<const char*>(buf), qsizetype(strnlen(reinterpret_cast<const char*>(buf), sizeof buf - 1)));
}

} // namespace

OdbcConnection::OdbcConnection(const QString& connectionString, int loginTimeout, QString readOnlyFile)
    : readOnlyFile_(std::move(readOnlyFile))
{
    dbc_ = allocate(SQL_HANDLE_DBC, environment());
    if (loginTimeout >= 0) // 0: wait as long as it takes
        SQLSetConnectAttrW(dbc_.get(), SQL_ATTR_LOGIN_TIMEOUT, reinterpret_cast<SQLPOINTER>(SQLULEN(loginTimeout)), 0);
    SQLSMALLINT outLength = 0;
    SQLRETURN r = SQLDriverConnectW(dbc_.get(), nullptr, wchars(connectionString), SQLSMALLINT(connectionString.size()),
                                    nullptr, 0, &outLength, SQL_DRIVER_NOPROMPT);
    check(r, SQL_HANDLE_DBC, dbc_.get(), "SQLDriverConnect");
    SQLGetInfoW(dbc_.get(), SQL_GETDATA_EXTENSIONS, &getDataExtensions_, sizeof getDataExtensions_, nullptr);
    QString q = infoText(dbc_.get(), SQL_IDENTIFIER_QUOTE_CHAR);
    if (!q.trimmed().isEmpty())
        quote_ = q.trimmed();
    escape_ = infoText(dbc_.get(), SQL_SEARCH_PATTERN_ESCAPE);
    dbms_ = infoText(dbc_.get(), SQL_DBMS_NAME);
    // The SQLite driver copies a whole result before it hands out the first
    // row unless it is told to step through it: stepping, a million-row read
    // needs a third of the memory in the same time. The string's own choice stands.
    if (dbms_.compare(QLatin1String("SQLite"), Qt::CaseInsensitive) == 0
        && !ConnectionString::parse(connectionString).contains(QStringLiteral("StepAPI"))) {
        SQLDisconnect(dbc_.get());
        const QString stepping = connectionString + (connectionString.trimmed().endsWith(QLatin1Char(';')) ? "" : ";")
            + QStringLiteral("StepAPI=1");
        r = SQLDriverConnectW(dbc_.get(), nullptr, wchars(stepping), SQLSMALLINT(stepping.size()), nullptr, 0,
                              &outLength, SQL_DRIVER_NOPROMPT);
        check(r, SQL_HANDLE_DBC, dbc_.get(), "SQLDriverConnect");
    }
    askCapabilities();
    // SQLite keeps text as UTF-8 and its driver passes it on untouched: taken as
    // it comes, it needs no round trip through UTF-16.
    utf8Text_ = dbms_.compare(QLatin1String("SQLite"), Qt::CaseInsensitive) == 0;
    // However it was reached (driver name, library path, data source), a file of
    // the Windows Access engine is only ever read.
    if (readOnlyFile_.isEmpty() && dbms_.contains(QLatin1String("MDBTOOLS"), Qt::CaseInsensitive)) {
        const ConnectionString cs = ConnectionString::parse(connectionString);
        for (const char* key : {"DBQ", "Database", "DSN"})
            if (readOnlyFile_.isEmpty())
                readOnlyFile_ = cs.value(QLatin1String(key));
        if (readOnlyFile_.isEmpty())
            readOnlyFile_ = dbms_;
    }
}

void OdbcConnection::askCapabilities()
{
    SQLUSMALLINT functions[SQL_API_ODBC3_ALL_FUNCTIONS_SIZE] = {};
    if (SQL_SUCCEEDED(SQLGetFunctions(dbc_.get(), SQL_API_ODBC3_ALL_FUNCTIONS, functions))) {
        caps_.moreResults = SQL_FUNC_EXISTS(functions, SQL_API_SQLMORERESULTS);
        caps_.statistics = SQL_FUNC_EXISTS(functions, SQL_API_SQLSTATISTICS);
        caps_.primaryKeys = SQL_FUNC_EXISTS(functions, SQL_API_SQLPRIMARYKEYS);
    }
    try {
        Handle st = statement();
        SQLULEN size = 0;
        caps_.blockFetch =
            SQL_SUCCEEDED(SQLSetStmtAttrW(st.get(), SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(SQLULEN(2)), 0))
            && SQL_SUCCEEDED(SQLGetStmtAttrW(st.get(), SQL_ATTR_ROW_ARRAY_SIZE, &size, sizeof size, nullptr)) && size == 2;
    } catch (const Error&) {
        caps_.blockFetch = false;
    }
    // The driver's own type list is a result every driver can produce without a
    // table. One row of it is fetched with a whole number bound as a 64-bit value
    // and its indicator checked for its full width (MDBTools fails the fetch, and
    // has by then written 32 bits of the indicator).
    try {
        Handle st = statement();
        if (!SQL_SUCCEEDED(SQLGetTypeInfoW(st.get(), SQL_ALL_TYPES)) || !hasResult(st.get()))
            return; // nothing to learn from: keep the usual assumptions
        constexpr SQLLEN Pattern = SQLLEN(0x5555555555555555LL);
        std::int64_t value = 0;
        SQLLEN indicator = Pattern;
        if (!SQL_SUCCEEDED(SQLBindCol(st.get(), 3, SQL_C_SBIGINT, &value, sizeof value, &indicator)))
            return;
        const SQLRETURN r = SQLFetch(st.get());
        if (r == SQL_NO_DATA)
            return;
        caps_.bigInt = SQL_SUCCEEDED(r);
        caps_.boundValues = indicator != Pattern && (std::uint64_t(indicator) >> 32) != (std::uint64_t(Pattern) >> 32);
    } catch (const Error&) {
    }
}

OdbcConnection::~OdbcConnection()
{
    if (dbc_) {
        if (inTransaction_)
            SQLEndTran(SQL_HANDLE_DBC, dbc_.get(), SQL_ROLLBACK);
        SQLDisconnect(dbc_.get());
    }
}

Handle OdbcConnection::statement()
{
    Handle st = allocate(SQL_HANDLE_STMT, dbc_.get());
    if (commandTimeout_ > 0)
        SQLSetStmtAttrW(st.get(), SQL_ATTR_QUERY_TIMEOUT, reinterpret_cast<SQLPOINTER>(SQLULEN(commandTimeout_)), 0);
    return st;
}

void OdbcConnection::refuseChange() const
{
    raise(errReadOnlyDatabase,
          QStringLiteral("No se puede modificar la base de datos '%1': es un archivo del motor de Access de Windows "
                         "y solo se puede abrir para lectura.")
              .arg(QDir::toNativeSeparators(readOnlyFile_)),
          ErrorSource);
}

namespace {

bool isAscii(const QString& text)
{
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x80; });
}

} // namespace

// For a driver without wide entry points the driver manager narrows wide text
// to the locale's character set as UCS-2: characters beyond the first plane, or
// beyond the set, come out garbled. Such a driver gets a statement that is not
// plain ASCII in UTF-8 through the narrow call instead. Asked once, and only
// when a statement needs it.
bool OdbcConnection::widePathKeepsText()
{
    if (wideKeepsText_ < 0) {
        const QString probe = QStringLiteral("SELECT '\u00F1\u20AC\U0001F600'");
        SQLWCHAR out[64] = {};
        SQLINTEGER length = 0;
        SQLRETURN r = SQLNativeSqlW(dbc_.get(), wchars(probe), SQLINTEGER(probe.size()), out, SQLINTEGER(std::size(out)) - 1, &length);
        wideKeepsText_ = !SQL_SUCCEEDED(r) || fromWChars(out, qBound(SQLINTEGER(0), length, SQLINTEGER(63))) == probe;
    }
    return wideKeepsText_ == 1;
}

Handle OdbcConnection::execute(const QString& sql, CommandType type, SQLRETURN& r)
{
    QString text = sql;
    if (type == adCmdTable)
        text = QStringLiteral("SELECT * FROM ") + sql;
    else if (type == adCmdStoredProc && !sql.trimmed().startsWith(QLatin1Char('{'))
             && !sql.trimmed().contains(QRegularExpression(QStringLiteral("\\s"))))
        text = QStringLiteral("{call ") + sql.trimmed() + QLatin1Char('}');
    if (!readOnlyFile_.isEmpty() && !isReadOnlyStatement(text))
        refuseChange();

    Handle st = statement();
    if (!isAscii(text) && !widePathKeepsText()) {
        const QByteArray utf8 = text.toUtf8();
        r = SQLExecDirect(st.get(), reinterpret_cast<SQLCHAR*>(const_cast<char*>(utf8.constData())), SQLINTEGER(utf8.size()));
    } else {
        r = SQLExecDirectW(st.get(), wchars(text), SQLINTEGER(text.size()));
    }
    if (r != SQL_NO_DATA)
        check(r, SQL_HANDLE_STMT, st.get(), "SQLExecDirect");
    return st;
}

bool OdbcConnection::nextResult(SQLHSTMT st, SQLRETURN& r)
{
    if (!caps_.moreResults)
        return false;
    r = SQLMoreResults(st);
    if (r == SQL_NO_DATA)
        return false;
    if (r == SQL_ERROR && notSupported(SQL_HANDLE_STMT, st)) {
        caps_.moreResults = false;
        return false;
    }
    check(r, SQL_HANDLE_STMT, st, "SQLMoreResults");
    return true;
}

std::vector<ResultSetPtr> OdbcConnection::run(const QString& sql, CommandType type)
{
    SQLRETURN r = SQL_SUCCESS;
    Handle st = execute(sql, type, r);

    std::vector<ResultSetPtr> results;
    for (;;) {
        SQLSMALLINT columns = 0;
        if (r != SQL_NO_DATA)
            check(SQLNumResultCols(st.get(), &columns), SQL_HANDLE_STMT, st.get(), "SQLNumResultCols");
        if (columns > 0) {
            results.push_back(fetchResult(st.get(), columns));
        } else {
            auto rs = std::make_shared<ResultSet>();
            SQLLEN count = -1;
            if (SQL_SUCCEEDED(SQLRowCount(st.get(), &count)))
                rs->rowsAffected = count;
            results.push_back(std::move(rs));
        }
        if (!nextResult(st.get(), r))
            break;
    }
    st.reset();
    for (auto& rs : results)
        takeNullabilityFromCatalog(rs->fields);
    return results;
}

// The columns of a prepared statement, when the driver can tell them before
// it runs; otherwise the statement runs and its rows are dropped.
ResultSetPtr OdbcConnection::describeColumns(const QString& sql)
{
    std::vector<ResultSetPtr> results{std::make_shared<ResultSet>()};
    {
        Handle st = statement();
        SQLSMALLINT columns = 0;
        if (!SQL_SUCCEEDED(SQLPrepareW(st.get(), wchars(sql), SQLINTEGER(sql.size())))
            || !SQL_SUCCEEDED(SQLNumResultCols(st.get(), &columns)) || columns <= 0)
            return BackendConnection::describeColumns(sql);
        std::vector<Column> cols(static_cast<std::size_t>(columns));
        describe(st.get(), cols);
        for (const Column& c : cols)
            results.front()->fields.push_back(c.info);
    }
    takeNullabilityFromCatalog(results.front()->fields);
    return results.front();
}

void OdbcConnection::describe(SQLHSTMT st, std::vector<Column>& cols)
{
    for (std::size_t i = 0; i < cols.size(); ++i) {
        const SQLUSMALLINT n = SQLUSMALLINT(i + 1);
        Column& c = cols[i];
        SQLWCHAR name[512];
        SQLSMALLINT nameLength = 0, type = 0, decimals = 0, nullable = SQL_NULLABLE_UNKNOWN;
        SQLULEN size = 0;
        check(SQLDescribeColW(st, n, name, SQLSMALLINT(std::size(name)), &nameLength, &type, &size, &decimals, &nullable),
              SQL_HANDLE_STMT, st, "SQLDescribeCol");
        c.info.name = fromWChars(name, qMin<qsizetype>(nameLength, qsizetype(std::size(name)) - 1));
        c.sqlType = type;
        SQLLEN isUnsigned = SQL_FALSE, fixedPrecScale = SQL_FALSE;
        SQLColAttributeW(st, n, SQL_DESC_UNSIGNED, nullptr, 0, nullptr, &isUnsigned);
        SQLColAttributeW(st, n, SQL_DESC_FIXED_PREC_SCALE, nullptr, 0, nullptr, &fixedPrecScale);
        auto attrText = [&](SQLUSMALLINT field) {
            SQLWCHAR buf[512] = {};
            SQLSMALLINT bytes = 0;
            if (!SQL_SUCCEEDED(SQLColAttributeW(st, n, field, buf, sizeof buf, &bytes, nullptr)))
                return QString();
            return fromWChars(buf, qBound(qsizetype(0), bytes / qsizetype(sizeof(SQLWCHAR)), qsizetype(511)));
        };
        c.info.baseTable = attrText(SQL_DESC_BASE_TABLE_NAME);
        c.info.baseColumn = attrText(SQL_DESC_BASE_COLUMN_NAME);

        // Money by its name too: MDBTools describes its Currency as a decimal without scale.
        const QString typeName = attrText(SQL_DESC_TYPE_NAME);
        const bool money = (fixedPrecScale == SQL_TRUE && decimals == 4)
            || ((type == SQL_DECIMAL || type == SQL_NUMERIC) && typeName.contains(QLatin1String("money"), Qt::CaseInsensitive));
        c.info.type = dataTypeFor(type, isUnsigned == SQL_TRUE, money, money ? 4 : decimals, qint64(size), typeName);
        c.kind = kindFor(c.info.type);
        const bool longColumn = isLongType(c.info.type) || size == 0 || qint64(size) > BindLimit;
        c.variable = c.kind == Kind::Text || c.kind == Kind::Binary;
        sizeField(c.info.type, c.variable || c.kind == Kind::Numeric ? qint64(size) : 0, decimals, c.info.definedSize,
                  c.info.precision, c.info.numericScale);
        if (c.variable && longColumn && c.info.definedSize < BindLimit)
            c.info.definedSize = qint64(size) > 0 ? qint64(size) : 1073741823;
        c.info.attributes = fieldAttributesFor(c.info.type, nullable != SQL_NO_NULLS, c.variable && longColumn);

        switch (c.kind) {
        case Kind::Int:
            c.cType = intCType(c.info.type);
            c.elementBytes = c.cType == SQL_C_SBIGINT ? sizeof(std::int64_t) : sizeof(std::int32_t);
            break;
        case Kind::Bool:
            c.cType = SQL_C_BIT;
            c.elementBytes = 1;
            break;
        case Kind::Real:
            // The width the driver writes: a Single read as a double would take four stray bytes.
            c.cType = c.info.type == adSingle ? SQL_C_FLOAT : SQL_C_DOUBLE;
            c.elementBytes = c.cType == SQL_C_FLOAT ? sizeof(float) : sizeof(double);
            break;
        case Kind::Numeric:
        case Kind::Money:
            c.cType = SQL_C_CHAR;
            c.elementBytes = 80;
            break;
        case Kind::Timestamp:
            c.cType = SQL_C_TYPE_TIMESTAMP;
            c.elementBytes = sizeof(SQL_TIMESTAMP_STRUCT);
            break;
        case Kind::Time:
            c.cType = SQL_C_TYPE_TIME;
            c.elementBytes = sizeof(SQL_TIME_STRUCT);
            break;
        case Kind::Text:
        case Kind::Guid: {
            const qsizetype chars = c.kind == Kind::Guid ? 40 : (longColumn ? LongPrefix : qsizetype(size));
            if (c.kind == Kind::Text && utf8Text_) {
                c.cType = SQL_C_CHAR; // up to three bytes a character; longer values are read again
                c.elementBytes = SQLLEN(chars * 3 + 1);
            } else {
                c.cType = SQL_C_WCHAR;
                c.elementBytes = SQLLEN((chars + 1) * qsizetype(sizeof(SQLWCHAR)));
            }
            break;
        }
        case Kind::Binary:
            c.cType = SQL_C_BINARY;
            c.elementBytes = SQLLEN(longColumn ? LongPrefix : qsizetype(size));
            break;
        }
        // Column-wise arrays are packed at the C type's own size: no padding here.
        if ((c.variable && longColumn && !(getDataExtensions_ & SQL_GD_BOUND)) || !caps_.boundValues)
            c.bound = false;
    }
    // Without SQL_GD_ANY_ORDER, every column after an unbound one is read with SQLGetData too.
    if (!(getDataExtensions_ & SQL_GD_ANY_ORDER)) {
        bool after = false;
        for (auto& c : cols) {
            after = after || !c.bound;
            if (after)
                c.bound = false;
        }
    }
}

void OdbcConnection::appendText(ResultBuilder& b, const SQLWCHAR* s, qsizetype chars, bool guid)
{
    if (guid && chars > 0 && s[0] != u'{') {
        QString g = QLatin1Char('{') + fromWChars(s, chars).toUpper() + QLatin1Char('}');
        b.addText(g);
        return;
    }
    // Most text is ASCII: narrow it in place of a full conversion.
    if (std::size_t(chars) > utf8_.size())
        utf8_.resize(std::size_t(chars) * 3 + 16);
    char* out = utf8_.data();
    qsizetype i = 0;
    for (; i < chars; ++i) {
        const SQLWCHAR ch = s[i];
        if (ch >= 0x80)
            break;
        out[i] = char(ch);
    }
    if (i == chars) {
        b.addText(out, std::size_t(chars));
        return;
    }
    const QStringView rest(reinterpret_cast<const char16_t*>(s + i), chars - i);
    const std::size_t need = std::size_t(i) + std::size_t(encoder_.requiredSpace(rest.size()));
    if (need > utf8_.size()) {
        utf8_.resize(need);
        out = utf8_.data();
    }
    char* end = encoder_.appendToBuffer(out + i, rest);
    b.addText(out, std::size_t(end - out));
}

QString OdbcConnection::getText(SQLHSTMT st, SQLUSMALLINT col, bool& isNull)
{
    QString out;
    isNull = false;
    SQLWCHAR buf[8192];
    for (;;) {
        SQLLEN ind = 0;
        SQLRETURN r = SQLGetData(st, col, SQL_C_WCHAR, buf, sizeof buf, &ind);
        if (r == SQL_NO_DATA)
            break;
        check(r, SQL_HANDLE_STMT, st, "SQLGetData");
        if (ind == SQL_NULL_DATA) {
            isNull = true;
            return QString();
        }
        const qsizetype capacity = qsizetype(std::size(buf)) - 1;
        const qsizetype got = (ind == SQL_NO_TOTAL || ind / qsizetype(sizeof(SQLWCHAR)) > capacity)
            ? capacity
            : ind / qsizetype(sizeof(SQLWCHAR));
        out += fromWChars(buf, got);
        if (r == SQL_SUCCESS)
            break;
    }
    return out;
}

QByteArray OdbcConnection::getBytes(SQLHSTMT st, SQLUSMALLINT col, SQLSMALLINT cType, bool& isNull)
{
    QByteArray out;
    isNull = false;
    char buf[16384];
    // Text pieces end with a terminator that is not part of the value.
    const qsizetype piece = cType == SQL_C_CHAR ? qsizetype(sizeof buf) - 1 : qsizetype(sizeof buf);
    for (;;) {
        SQLLEN ind = 0;
        SQLRETURN r = SQLGetData(st, col, cType, buf, sizeof buf, &ind);
        if (r == SQL_NO_DATA)
            break;
        check(r, SQL_HANDLE_STMT, st, "SQLGetData");
        if (ind == SQL_NULL_DATA) {
            isNull = true;
            return QByteArray();
        }
        const qsizetype got = (ind == SQL_NO_TOTAL || ind > piece) ? piece : qsizetype(ind);
        out.append(buf, got);
        if (r == SQL_SUCCESS)
            break;
    }
    return out;
}

namespace {

std::int64_t wholeNumber(const void* p, SQLSMALLINT cType)
{
    if (cType == SQL_C_SBIGINT) {
        std::int64_t v;
        std::memcpy(&v, p, sizeof v);
        return v;
    }
    if (cType == SQL_C_ULONG) {
        std::uint32_t v;
        std::memcpy(&v, p, sizeof v);
        return v;
    }
    std::int32_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

double realNumber(const void* p, SQLSMALLINT cType)
{
    if (cType == SQL_C_FLOAT) {
        float v;
        std::memcpy(&v, p, sizeof v);
        return double(v);
    }
    double v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// A driver that cannot express a date (MDBTools before 1899-12-30 and after
// about 2700) hands over a day or month of zero; no day is made up for it.
bool possibleDate(const SQL_TIMESTAMP_STRUCT& t) { return t.month >= 1 && t.month <= 12 && t.day >= 1; }

// Numeric and decimal values, read as text and kept exactly: Currency when
// they have at most four decimals and fit it, otherwise a Decimal (kept as its
// digits, which the result set reads back as one).
void appendNumber(ResultBuilder& b, Kind kind, const char* text, qsizetype len)
{
    const std::string t = normalisedNumber(text, len);
    if (kind == Kind::Money) {
        std::int64_t scaled = 0;
        if (parseMoney(t, scaled)) {
            b.addCurrency(scaled);
            return;
        }
    }
    if (auto exact = Decimal::parse(t)) {
        if (exact->scale <= 4) {
            if (auto scaled = exact->toScaled(4)) {
                b.addCurrency(*scaled);
                return;
            }
        }
        const std::string digits = exact->toAscii();
        b.addText(digits.data(), digits.size());
        return;
    }
    double d = 0;
    if (parseDouble(t, d))
        b.addReal(d);
    else
        b.addText(text, std::size_t(len));
}

} // namespace

void OdbcConnection::appendUnbound(ResultBuilder& b, SQLHSTMT st, SQLUSMALLINT index, const Column& c)
{
    SQLLEN ind = 0;
    auto get = [&](SQLSMALLINT cType, void* target, SQLLEN bytes) {
        ind = 0; // a driver that writes only 32 bits of it leaves the rest as it was
        check(SQLGetData(st, index, cType, target, bytes, &ind), SQL_HANDLE_STMT, st, "SQLGetData");
        return ind != SQL_NULL_DATA && (caps_.boundValues || std::int32_t(ind) != SQL_NULL_DATA);
    };
    switch (c.kind) {
    case Kind::Int: {
        std::int64_t v = 0; // wide and zeroed whatever width the driver writes
        get(c.cType, &v, sizeof v) ? b.addInt(wholeNumber(&v, c.cType)) : b.addNull();
        return;
    }
    case Kind::Bool: {
        std::uint32_t v = 0; // some drivers write a 4-byte BOOL for a bit
        get(SQL_C_BIT, &v, sizeof v) ? b.addBool(v != 0) : b.addNull();
        return;
    }
    case Kind::Real: {
        double v = 0;
        get(c.cType, &v, sizeof v) ? b.addReal(realNumber(&v, c.cType)) : b.addNull();
        return;
    }
    case Kind::Numeric:
    case Kind::Money: {
        char v[80] = {};
        if (get(SQL_C_CHAR, v, sizeof v))
            appendNumber(b, c.kind, v, qsizetype(strnlen(v, sizeof v)));
        else
            b.addNull();
        return;
    }
    case Kind::Timestamp: {
        SQL_TIMESTAMP_STRUCT v{};
        get(SQL_C_TYPE_TIMESTAMP, &v, sizeof v) && possibleDate(v) ? b.addDateMs(timestampMs(v)) : b.addNull();
        return;
    }
    case Kind::Time: {
        SQL_TIME_STRUCT v{};
        get(SQL_C_TYPE_TIME, &v, sizeof v) ? b.addDateMs(timeMs(v)) : b.addNull();
        return;
    }
    case Kind::Text:
    case Kind::Guid: {
        bool isNull = false;
        if (c.cType == SQL_C_CHAR) {
            const QByteArray v = getBytes(st, index, SQL_C_CHAR, isNull);
            isNull ? b.addNull() : b.addText(v.constData(), std::size_t(v.size()));
            return;
        }
        QString s = getText(st, index, isNull);
        if (isNull)
            b.addNull();
        else
            appendText(b, reinterpret_cast<const SQLWCHAR*>(s.utf16()), s.size(), c.kind == Kind::Guid);
        return;
    }
    case Kind::Binary: {
        bool isNull = false;
        QByteArray v = getBytes(st, index, SQL_C_BINARY, isNull);
        isNull ? b.addNull() : b.addBlob(v.constData(), std::size_t(v.size()));
        return;
    }
    }
}

// Each bound buffer holds one column of a whole block, so the block size is
// settled here, before binding; the driver may still grant fewer rows.
SQLULEN OdbcConnection::bindColumns(SQLHSTMT st, std::vector<Column>& cols)
{
    bool anyUnbound = false, anyVariable = false;
    qsizetype rowBytes = 0;
    for (const auto& c : cols) {
        anyUnbound = anyUnbound || !c.bound;
        anyVariable = anyVariable || (c.bound && c.variable);
        if (c.bound)
            rowBytes += c.elementBytes + qsizetype(sizeof(SQLLEN));
    }
    // A block of rows at once, unless values must be read one by one (SQLGetData)
    // or a value longer than its buffer could not be read again within a block.
    const bool blockMode = caps_.blockFetch && !anyUnbound && (!anyVariable || (getDataExtensions_ & SQL_GD_BLOCK));
    const SQLULEN blockRows = blockMode ? SQLULEN(qBound<qsizetype>(1, BlockBytes / qMax<qsizetype>(rowBytes, 1), MaxBlockRows)) : 1;

    for (std::size_t i = 0; i < cols.size(); ++i) {
        Column& c = cols[i];
        if (!c.bound)
            continue;
        // Cleared, and a word longer: a driver that writes a 4-byte BOOL for the last bit of a block stays inside.
        c.buffer.reset(new std::uint64_t[std::size_t(c.elementBytes) * blockRows / 8 + 2]());
        c.indicator.reset(new SQLLEN[blockRows]);
        check(SQLBindCol(st, SQLUSMALLINT(i + 1), c.cType, c.buffer.get(), c.elementBytes, c.indicator.get()),
              SQL_HANDLE_STMT, st, "SQLBindCol");
    }
    return blockRows;
}

OdbcConnection::Fetch::Fetch(OdbcConnection& cn, SQLHSTMT st, SQLSMALLINT columns)
    : cn_(cn), st_(st), cols_(static_cast<std::size_t>(columns))
{
    cn_.describe(st, cols_);
    for (const auto& c : cols_)
        fields.push_back(c.info);

    blockRows_ = cn_.bindColumns(st, cols_);
    status_.assign(blockRows_, SQL_ROW_SUCCESS);
    SQLSetStmtAttrW(st, SQL_ATTR_ROW_BIND_TYPE, reinterpret_cast<SQLPOINTER>(SQL_BIND_BY_COLUMN), 0);
    if (blockRows_ > 1) {
        SQLULEN granted = 0;
        if (!SQL_SUCCEEDED(SQLSetStmtAttrW(st, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(blockRows_), 0))
            || !SQL_SUCCEEDED(SQLGetStmtAttrW(st, SQL_ATTR_ROW_ARRAY_SIZE, &granted, sizeof granted, nullptr))
            || granted != blockRows_)
            blockRows_ = granted > 1 && granted < blockRows_ ? granted : 1; // fewer rows a block, or one at a time
        if (blockRows_ == 1)
            SQLSetStmtAttrW(st, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(SQLULEN(1)), 0);
    }
    SQLSetStmtAttrW(st, SQL_ATTR_ROWS_FETCHED_PTR, &fetched_, 0);
    SQLSetStmtAttrW(st, SQL_ATTR_ROW_STATUS_PTR, status_.data(), 0);
}

OdbcConnection::Fetch::~Fetch()
{
    SQLFreeStmt(st_, SQL_UNBIND);
    SQLSetStmtAttrW(st_, SQL_ATTR_ROWS_FETCHED_PTR, nullptr, 0);
    SQLSetStmtAttrW(st_, SQL_ATTR_ROW_STATUS_PTR, nullptr, 0);
    if (blockRows_ > 1)
        SQLSetStmtAttrW(st_, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(SQLULEN(1)), 0);
}

qint64 OdbcConnection::Fetch::read(ResultBuilder& b, qint64 rows)
{
    qint64 done = 0;
    while (done < rows && !atEnd_) {
        if (next_ >= fetched_) {
            fetched_ = 0;
            next_ = 0;
            SQLRETURN r = SQLFetch(st_);
            if (r == SQL_NO_DATA) {
                atEnd_ = true;
                break;
            }
            check(r, SQL_HANDLE_STMT, st_, "SQLFetch");
            if (blockRows_ == 1 && fetched_ == 0)
                fetched_ = 1; // drivers that ignore the fetched-rows pointer in single-row mode
            continue;
        }
        const SQLULEN row = next_++;
        if (status_[row] == SQL_ROW_NOROW)
            continue;
        if (status_[row] == SQL_ROW_ERROR)
            fail(SQL_ERROR, SQL_HANDLE_STMT, st_, "SQLFetch");
        appendRow(b, row);
        ++done;
    }
    return done;
}

void OdbcConnection::Fetch::appendRow(ResultBuilder& b, SQLULEN row)
{
    const SQLHSTMT st = st_;
    b.beginRow();
    bool positioned = false;
    for (std::size_t i = 0; i < cols_.size(); ++i) {
        const Column& c = cols_[i];
        const SQLUSMALLINT index = SQLUSMALLINT(i + 1);
        if (!c.bound) {
            cn_.appendUnbound(b, st, index, c);
            continue;
        }
        const SQLLEN ind = c.indicator[row];
        if (ind == SQL_NULL_DATA) {
            b.addNull();
            continue;
        }
        const char* p = c.at(row);
        switch (c.kind) {
        case Kind::Int:
            b.addInt(wholeNumber(p, c.cType));
            break;
        case Kind::Bool:
            b.addBool(*p != 0);
            break;
        case Kind::Real:
            b.addReal(realNumber(p, c.cType));
            break;
        case Kind::Numeric:
        case Kind::Money:
            appendNumber(b, c.kind, p, qsizetype(strnlen(p, std::size_t(c.elementBytes))));
            break;
        case Kind::Timestamp: {
            SQL_TIMESTAMP_STRUCT v;
            std::memcpy(&v, p, sizeof v);
            possibleDate(v) ? b.addDateMs(timestampMs(v)) : b.addNull();
            break;
        }
        case Kind::Time: {
            SQL_TIME_STRUCT v;
            std::memcpy(&v, p, sizeof v);
            b.addDateMs(timeMs(v));
            break;
        }
        case Kind::Text:
        case Kind::Guid:
        case Kind::Binary: {
            const qsizetype capacity = c.cType == SQL_C_BINARY ? c.elementBytes
                : c.cType == SQL_C_CHAR                       ? c.elementBytes - 1
                                                              : c.elementBytes - qsizetype(sizeof(SQLWCHAR));
            if (ind == SQL_NO_TOTAL || ind > capacity) {
                // Longer than the buffer: read the whole value again.
                if (blockRows_ > 1 && !positioned) {
                    check(SQLSetPos(st, SQLSETPOSIROW(row + 1), SQL_POSITION, SQL_LOCK_NO_CHANGE), SQL_HANDLE_STMT, st,
                          "SQLSetPos");
                    positioned = true;
                }
                cn_.appendUnbound(b, st, index, c);
            } else if (c.kind == Kind::Binary) {
                b.addBlob(p, std::size_t(ind));
            } else if (c.cType == SQL_C_CHAR) {
                b.addText(p, std::size_t(ind));
            } else {
                cn_.appendText(b, reinterpret_cast<const SQLWCHAR*>(p), ind / qsizetype(sizeof(SQLWCHAR)),
                               c.kind == Kind::Guid);
            }
            break;
        }
        }
    }
}

ResultSetPtr OdbcConnection::fetchResult(SQLHSTMT st, SQLSMALLINT columns)
{
    Fetch f(*this, st, columns);
    auto rs = std::make_shared<ResultSet>();
    rs->fields = f.fields;
    ResultBuilder b(*rs);
    f.read(b, std::numeric_limits<qint64>::max());
    return rs;
}

// A statement's first result with columns, read forward as it is asked for.
// The statement keeps the connection to itself meanwhile; the catalog is asked
// about NOT NULL columns only once the rows are all read.
class OdbcRows final : public RowSource {
public:
    OdbcRows(OdbcConnection& cn, Handle st, SQLSMALLINT columns)
        : cn_(cn), st_(std::move(st)), fetch_(std::make_unique<OdbcConnection::Fetch>(cn, st_.get(), columns)),
          fields_(fetch_->fields)
    {
    }
    const std::vector<FieldInfo>& fields() const override { return fields_; }
    qint64 read(ResultBuilder& b, qint64 rows) override
    {
        if (!fetch_)
            return 0;
        const qint64 n = fetch_->read(b, rows);
        if (fetch_->atEnd()) {
            fetch_.reset();
            st_.reset();
            cn_.takeNullabilityFromCatalog(fields_);
        }
        return n;
    }

private:
    OdbcConnection& cn_;
    Handle st_;
    std::unique_ptr<OdbcConnection::Fetch> fetch_;
    std::vector<FieldInfo> fields_;
};

std::unique_ptr<RowSource> OdbcConnection::openRows(const QString& sql, bool settledTypes)
{
    (void)settledTypes; // the driver types every column before its first row
    SQLRETURN r = SQL_SUCCESS;
    Handle st = execute(sql, adCmdText, r);
    for (;;) {
        SQLSMALLINT columns = 0;
        if (r != SQL_NO_DATA)
            check(SQLNumResultCols(st.get(), &columns), SQL_HANDLE_STMT, st.get(), "SQLNumResultCols");
        if (columns > 0)
            return std::make_unique<OdbcRows>(*this, std::move(st), columns);
        if (r == SQL_NO_DATA || !nextResult(st.get(), r))
            break;
    }
    return heldRows(std::make_shared<ResultSet>());
}

void OdbcConnection::beginTrans()
{
    if (!readOnlyFile_.isEmpty())
        return; // nothing can change, so there is nothing to commit or undo
    check(SQLSetConnectAttrW(dbc_.get(), SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0),
          SQL_HANDLE_DBC, dbc_.get(), "SQLSetConnectAttr");
    inTransaction_ = true;
}

void OdbcConnection::endTransaction(SQLSMALLINT completion)
{
    if (!readOnlyFile_.isEmpty())
        return;
    SQLRETURN r = SQLEndTran(SQL_HANDLE_DBC, dbc_.get(), completion);
    if (!SQL_SUCCEEDED(r)) {
        const QString message = diagnosticText(SQL_HANDLE_DBC, dbc_.get(), QStringLiteral("SQLEndTran"));
        // A failed commit leaves the transaction open; the caller decides to roll back.
        raiseDb(message);
    }
    inTransaction_ = false;
    check(SQLSetConnectAttrW(dbc_.get(), SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), 0),
          SQL_HANDLE_DBC, dbc_.get(), "SQLSetConnectAttr");
}

void OdbcConnection::commitTrans() { endTransaction(SQL_COMMIT); }
void OdbcConnection::rollbackTrans() { endTransaction(SQL_ROLLBACK); }

int dataTypeFor(int sqlType, bool unsignedType, bool fixedPrecScale, int scale, qint64 size, const QString& typeName)
{
    // MDBTools describes a Memo as a varchar of size 0 and a Single as a float of 4 bytes.
    const bool longText = size == 0 || typeName.compare(QLatin1String("MEMO"), Qt::CaseInsensitive) == 0;
    switch (sqlType) {
    case SQL_CHAR: return adChar;
    case SQL_VARCHAR: return longText ? adLongVarChar : adVarChar;
    case SQL_LONGVARCHAR: return adLongVarChar;
    case SQL_WCHAR: return adWChar;
    case SQL_WVARCHAR: return longText ? adLongVarWChar : adVarWChar;
    case SQL_WLONGVARCHAR: return adLongVarWChar;
    case SQL_DECIMAL:
    case SQL_NUMERIC: return fixedPrecScale && scale == 4 ? adCurrency : adNumeric;
    case SQL_SMALLINT: return unsignedType ? adUnsignedSmallInt : adSmallInt;
    case SQL_INTEGER: return unsignedType ? adUnsignedInt : adInteger;
    case SQL_REAL: return adSingle;
    case SQL_FLOAT: return size > 0 && size <= 7 ? adSingle : adDouble;
    case SQL_DOUBLE: return adDouble;
    case SQL_BIT: return adBoolean;
    case SQL_TINYINT: return unsignedType ? adUnsignedTinyInt : adTinyInt;
    case SQL_BIGINT: return unsignedType ? adUnsignedBigInt : adBigInt;
    case SQL_BINARY: return adBinary;
    case SQL_VARBINARY: return adVarBinary;
    case SQL_LONGVARBINARY: return adLongVarBinary;
    case SQL_TYPE_DATE:
    case SQL_DATE: return adDBDate;
    case SQL_TYPE_TIME:
    case SQL_TIME: return adDBTime;
    case SQL_TYPE_TIMESTAMP:
    case SQL_TIMESTAMP: return adDBTimeStamp;
    case SQL_GUID: return adGUID;
    default: return adVarWChar; // driver-specific types (xml, sql_variant...) travel as text
    }
}

bool parseMoneyText(std::string_view text, std::int64_t& scaled)
{
    return parseMoney(normalisedNumber(text.data(), qsizetype(text.size())), scaled);
}

QStringList defaultDriverDirs()
{
    return {QStringLiteral("/usr/lib/x86_64-linux-gnu/odbc"), QStringLiteral("/usr/lib/aarch64-linux-gnu/odbc"),
            QStringLiteral("/usr/lib/odbc"), QStringLiteral("/usr/local/lib/odbc"), QStringLiteral("/usr/lib64")};
}

QString mdbToolsConnectionString(const QString& path, const QStringList& installed, const QStringList& libraryDirs)
{
    QString driver;
    for (const QString& name : installed)
        if (name.contains(QLatin1String("MDBTools"), Qt::CaseInsensitive)) {
            driver = QLatin1Char('{') + name + QLatin1Char('}');
            break;
        }
    if (driver.isEmpty())
        for (const QString& dir : libraryDirs) {
            const QString lib = QDir(dir).filePath(QStringLiteral("libmdbodbc.so"));
            if (QFileInfo::exists(lib)) {
                driver = lib;
                break;
            }
        }
    if (driver.isEmpty())
        raise(errProviderNotFound,
              QStringLiteral("No se puede abrir '%1': es un archivo del motor de Access de Windows y para leerlo hace "
                             "falta el controlador ODBC de MDBTools (paquete odbc-mdbtools), que no está instalado.")
                  .arg(QDir::toNativeSeparators(path)),
              ErrorSource);
    ConnectionString cs;
    cs.set(QStringLiteral("Driver"), driver);
    cs.set(QStringLiteral("DBQ"), path);
    return cs.toString();
}

std::unique_ptr<BackendConnection> openAccessFile(const QString& path, int connectionTimeout)
{
    const QString cs = mdbToolsConnectionString(path, installedDrivers(), defaultDriverDirs());
    auto cn = openReadOnly(cs, QFileInfo(path).absoluteFilePath(), connectionTimeout);
    // MDBTools connects to any file and only fails when reading it; every file of
    // the engine lists at least its system tables, so none means it cannot be read.
    if (cn->tables().empty())
        raise(errDatabase,
              QStringLiteral("No se puede leer '%1' con el controlador de MDBTools: el archivo está dañado o es de una "
                             "versión de Access que el controlador no conoce.")
                  .arg(QDir::toNativeSeparators(path)),
              ErrorSource);
    return cn;
}

std::unique_ptr<BackendConnection> openReadOnly(const QString& connectionString, const QString& label, int connectionTimeout)
{
    return std::make_unique<OdbcConnection>(connectionString, connectionTimeout, label);
}

std::unique_ptr<BackendConnection> openOdbc(const OpenRequest& request)
{
    ConnectionString cs = ConnectionString::parse(request.connectionString.text());
    // Provider words name the layer above ODBC (data shaping, the ODBC provider itself), not the driver.
    const QString provider = cs.value(QStringLiteral("Provider"));
    if (provider.compare(QLatin1String("MSDataShape"), Qt::CaseInsensitive) == 0
        || provider.startsWith(QLatin1String("MSDASQL"), Qt::CaseInsensitive))
        cs.remove(QStringLiteral("Provider"));
    if (!request.user.isEmpty() && !cs.contains(QStringLiteral("UID")))
        cs.set(QStringLiteral("UID"), request.user);
    if (!request.password.isEmpty() && !cs.contains(QStringLiteral("PWD")))
        cs.set(QStringLiteral("PWD"), request.password);
    QString text = cs.toString();
    if (cs.value(QStringLiteral("Driver")).compare(SqlServerDriverName, Qt::CaseInsensitive) == 0)
        text = resolveSqlServerDriver(text, installedDrivers());
    return std::make_unique<OdbcConnection>(text, request.connectionTimeout, QString());
}

bool isReadOnlyStatement(const QString& sql)
{
    // Words of the statement outside literals, quoted names and comments.
    QStringList words;
    bool afterEnd = false;
    const qsizetype n = sql.size();
    for (qsizetype i = 0; i < n;) {
        const QChar c = sql.at(i);
        if (c.isSpace()) {
            ++i;
        } else if (c == QLatin1Char('-') && i + 1 < n && sql.at(i + 1) == QLatin1Char('-')) {
            while (i < n && sql.at(i) != QLatin1Char('\n'))
                ++i;
        } else if (c == QLatin1Char('/') && i + 1 < n && sql.at(i + 1) == QLatin1Char('*')) {
            const qsizetype end = sql.indexOf(QLatin1String("*/"), i + 2);
            i = end < 0 ? n : end + 2;
        } else if (afterEnd) {
            return false; // a second statement
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('[')) {
            const QChar close = c == QLatin1Char('[') ? QLatin1Char(']') : c;
            ++i;
            while (i < n) {
                if (sql.at(i) == close) {
                    if (i + 1 < n && sql.at(i + 1) == close && close != QLatin1Char(']')) {
                        i += 2;
                        continue;
                    }
                    break;
                }
                ++i;
            }
            ++i;
            words.append(QStringLiteral("?"));
        } else if (c == QLatin1Char(';')) {
            afterEnd = true;
            ++i;
        } else if (c.isLetterOrNumber() || c == QLatin1Char('_')) {
            const qsizetype start = i;
            while (i < n && (sql.at(i).isLetterOrNumber() || sql.at(i) == QLatin1Char('_') || sql.at(i) == QLatin1Char('$')))
                ++i;
            words.append(sql.mid(start, i - start).toUpper());
        } else {
            if (c != QLatin1Char('('))
                words.append(QString(c));
            ++i;
        }
    }
    if (words.isEmpty() || words.first() != QLatin1String("SELECT"))
        return false;
    return !words.contains(QLatin1String("INTO"));
}

} // namespace odbc

namespace {

bool isAccessProvider(const QString& provider)
{
    return provider.startsWith(QLatin1String("Microsoft.Jet.OLEDB"), Qt::CaseInsensitive)
        || provider.startsWith(QLatin1String("Microsoft.ACE.OLEDB"), Qt::CaseInsensitive);
}

} // namespace

void registerOdbcBackends()
{
    registerBackend(BackendRegistration{
        QStringLiteral("odbc"), 10,
        [](const OpenRequest& r) {
            const auto& cs = r.connectionString;
            return cs.has(QStringLiteral("Driver")) || cs.has(QStringLiteral("DSN")) || cs.has(QStringLiteral("FileDSN"));
        },
        [](const OpenRequest& r) { return odbc::openOdbc(r); }});
    // Ahead of the local engine: a file the Windows engine wrote is not one of its files.
    registerBackend(BackendRegistration{
        QStringLiteral("access-file"), 100,
        [](const OpenRequest& r) {
            const auto& cs = r.connectionString;
            return isAccessProvider(cs.value(QStringLiteral("Provider")))
                && isAccessEngineFile(cs.value(QStringLiteral("Data Source")));
        },
        [](const OpenRequest& r) {
            return odbc::openAccessFile(r.connectionString.value(QStringLiteral("Data Source")), r.connectionTimeout);
        }});
}

} // namespace db
