// The catalog half of the ODBC connection: tables, views and what their
// columns allow, read through the driver's catalog functions.
#include "platform/db/odbc/OdbcConnection.h"

#include <QRegularExpression>
#include <QSet>

#include <optional>

namespace db {
namespace odbc {

namespace {

const QString NotFoundText = QStringLiteral(
    "No se encuentra el elemento en la colección que corresponde al nombre o al ordinal solicitado.");

QString unbracket(QString name)
{
    name = name.trimmed();
    if (name.size() >= 2 && ((name.startsWith(QLatin1Char('[')) && name.endsWith(QLatin1Char(']')))
                             || (name.startsWith(QLatin1Char('"')) && name.endsWith(QLatin1Char('"')))))
        name = name.mid(1, name.size() - 2);
    return name;
}

// The SELECT of a view from its CREATE VIEW text.
QString viewSelect(const QString& createText)
{
    static const QRegularExpression re(
        QStringLiteral(R"(^\s*CREATE\s+(?:OR\s+ALTER\s+|TEMP\w*\s+)?VIEW\s+(?:IF\s+NOT\s+EXISTS\s+)?)"
                       R"((?:(?:"[^"]*"|\[[^\]]*\]|`[^`]*`|[^\s.(]+)\s*\.\s*)?(?:"[^"]*"|\[[^\]]*\]|`[^`]*`|[^\s(]+))"
                       R"(\s*(?:\([^)]*\)\s*)?(?:WITH\s+\w+(?:\s*,\s*\w+)*\s+)?AS\s+(.*)$)"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    auto m = re.match(createText);
    return m.hasMatch() ? m.captured(1).trimmed() : createText.trimmed();
}

// Reads a short text column of a catalog result (SQLTables, SQLColumns...).
QString catalogText(SQLHSTMT st, SQLUSMALLINT col, bool* isNull = nullptr)
{
    SQLWCHAR buf[1024];
    SQLLEN ind = 0;
    SQLRETURN r = SQLGetData(st, col, SQL_C_WCHAR, buf, sizeof buf, &ind);
    const bool null = !SQL_SUCCEEDED(r) || ind == SQL_NULL_DATA;
    if (isNull)
        *isNull = null;
    if (null)
        return QString();
    const qsizetype chars = (ind == SQL_NO_TOTAL || ind / 2 > 1023) ? 1023 : ind / 2;
    return fromWChars(buf, chars);
}

// Reads a whole-number column of a catalog result, SMALLINT unless it is one of the few
// INTEGER ones. MDBTools hands a SMALLINT over widened without its sign (-7 as 65529) and
// refuses it as a 16-bit value when negative, so it is read 32 bits wide into a cleared
// buffer and narrowed back to its own width.
std::optional<long> catalogInt(SQLHSTMT st, SQLUSMALLINT col, SQLSMALLINT sqlType = SQL_SMALLINT)
{
    SQLINTEGER v = 0;
    SQLLEN ind = 0;
    SQLRETURN r = SQLGetData(st, col, SQL_C_SLONG, &v, sizeof v, &ind);
    // A length of a whole number never needs more than 32 bits: those are all a driver may have written.
    if (!SQL_SUCCEEDED(r) || std::int32_t(ind) == SQL_NULL_DATA)
        return std::nullopt;
    return sqlType == SQL_SMALLINT ? long(std::int16_t(v)) : long(v);
}

bool isSystemSchema(const QString& schema)
{
    return schema.compare(QLatin1String("sys"), Qt::CaseInsensitive) == 0
        || schema.compare(QLatin1String("INFORMATION_SCHEMA"), Qt::CaseInsensitive) == 0;
}

} // namespace

QString OdbcConnection::escapePattern(const QString& name) const
{
    if (escape_.isEmpty())
        return name;
    QString out;
    for (QChar ch : name) {
        if (ch == QLatin1Char('_') || ch == QLatin1Char('%') || QString(ch) == escape_)
            out += escape_;
        out += ch;
    }
    return out;
}

QString OdbcConnection::quoted(const QString& name) const
{
    QString n = name;
    n.replace(quote_, quote_ + quote_);
    return quote_ + n + quote_;
}

QHash<QString, bool> OdbcConnection::catalogNullability(const QString& table)
{
    QHash<QString, bool> out;
    Handle st = statement();
    const QString pattern = escapePattern(table);
    if (!SQL_SUCCEEDED(SQLColumnsW(st.get(), nullptr, 0, nullptr, 0, wchars(pattern), SQLSMALLINT(pattern.size()), nullptr, 0))
        || !hasResult(st.get()))
        return out;
    while (SQL_SUCCEEDED(SQLFetch(st.get()))) {
        if (catalogText(st.get(), 3).compare(table, Qt::CaseInsensitive) != 0)
            continue;
        const QString column = catalogText(st.get(), 4).toCaseFolded();
        const long nullable = catalogInt(st.get(), 11).value_or(SQL_NULLABLE_UNKNOWN);
        if (!out.contains(column))
            out.insert(column, nullable != SQL_NO_NULLS);
    }
    return out;
}

void OdbcConnection::takeNullabilityFromCatalog(std::vector<FieldInfo>& fields)
{
    // Drivers that know better report NOT NULL result columns themselves; one that
    // says every column may be null is asked its catalog instead.
    bool allNullable = true, anyBase = false;
    for (const auto& f : fields) {
        allNullable = allNullable && f.nullable();
        anyBase = anyBase || !f.baseTable.isEmpty();
    }
    if (fields.empty() || !allNullable || !anyBase)
        return;
    QHash<QString, QHash<QString, bool>> tables;
    for (auto& f : fields) {
        if (f.baseTable.isEmpty() || f.baseColumn.isEmpty())
            continue;
        const QString key = f.baseTable.toCaseFolded();
        if (!tables.contains(key))
            tables.insert(key, catalogNullability(f.baseTable));
        const auto& columns = tables[key];
        auto it = columns.find(f.baseColumn.toCaseFolded());
        if (it != columns.end() && !it.value())
            f.attributes &= ~(adFldIsNullable | adFldMayBeNull);
    }
}

std::vector<TableInfo> OdbcConnection::tables()
{
    std::vector<TableInfo> out;
    Handle st = statement();
    check(SQLTablesW(st.get(), nullptr, 0, nullptr, 0, nullptr, 0, nullptr, 0), SQL_HANDLE_STMT, st.get(), "SQLTables");
    while (hasResult(st.get()) && SQL_SUCCEEDED(SQLFetch(st.get()))) {
        TableInfo t;
        const QString schema = catalogText(st.get(), 2);
        t.name = catalogText(st.get(), 3);
        t.type = catalogText(st.get(), 4).toUpper();
        if (isSystemSchema(schema) || t.name.startsWith(QLatin1String("sqlite_"), Qt::CaseInsensitive))
            t.type = t.type == QLatin1String("VIEW") ? QStringLiteral("SYSTEM VIEW") : QStringLiteral("SYSTEM TABLE");
        out.push_back(std::move(t));
    }
    return out;
}

TableInfo OdbcConnection::table(const QString& requested)
{
    QString name = unbracket(requested);
    QString schema;
    TableInfo info;
    QSet<QString> unsizedFloats; // Single or Double: the catalog gives no size to tell them apart
    auto readColumns = [&]() {
        Handle st = statement();
        const QString pattern = escapePattern(name);
        const QString schemaPattern = escapePattern(schema);
        check(SQLColumnsW(st.get(), nullptr, 0, schema.isEmpty() ? nullptr : wchars(schemaPattern),
                          SQLSMALLINT(schemaPattern.size()), wchars(pattern), SQLSMALLINT(pattern.size()), nullptr, 0),
              SQL_HANDLE_STMT, st.get(), "SQLColumns");
        while (hasResult(st.get()) && SQL_SUCCEEDED(SQLFetch(st.get()))) {
            const QString tableName = catalogText(st.get(), 3);
            if (tableName.compare(name, Qt::CaseInsensitive) != 0)
                continue;
            if (info.name.isEmpty())
                info.name = tableName;
            else if (info.name != tableName)
                continue; // the same name in another schema
            ColumnInfo c;
            c.name = catalogText(st.get(), 4);
            const int sqlType = int(catalogInt(st.get(), 5).value_or(0));
            const QString typeName = catalogText(st.get(), 6);
            const std::optional<long> size = catalogInt(st.get(), 7, SQL_INTEGER);
            const int decimals = int(catalogInt(st.get(), 9).value_or(0));
            const long nullable = catalogInt(st.get(), 11).value_or(SQL_NULLABLE_UNKNOWN);
            bool defaultNull = true;
            QString def = catalogText(st.get(), 13, &defaultNull);
            if (defaultNull || def.compare(QLatin1String("NULL"), Qt::CaseInsensitive) == 0)
                def.clear();
            const bool money = typeName.contains(QLatin1String("money"), Qt::CaseInsensitive);
            c.type = dataTypeFor(sqlType, sqlType == SQL_TINYINT, money, money ? 4 : decimals, size.value_or(-1), typeName);
            int scale = 0;
            sizeField(c.type, size.value_or(0), decimals, c.definedSize, c.precision, scale);
            c.numericScale = scale;
            c.attributes = (nullable != SQL_NO_NULLS ? adColNullable : 0) | (isFixedType(c.type) ? adColFixed : 0);
            if (!size && sqlType == SQL_FLOAT)
                unsizedFloats.insert(c.name.toCaseFolded());
            const bool identity = typeName.contains(QLatin1String("identity"), Qt::CaseInsensitive)
                || typeName.compare(QLatin1String("COUNTER"), Qt::CaseInsensitive) == 0;
            c.properties = {{QStringLiteral("Autoincrement"), Variant(identity)}, {QStringLiteral("Default"), Variant(def)}};
            info.columns.push_back(std::move(c));
        }
    };
    readColumns();
    if (info.columns.empty() && name.contains(QLatin1Char('.'))) {
        const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
        schema = unbracket(name.left(dot));
        name = unbracket(name.mid(dot + 1));
        readColumns();
    }
    if (info.columns.empty())
        raise(errItemNotFound, NotFoundText, QStringLiteral("ADOX.Tables"));

    // Columns that number themselves show in the result metadata of an empty select, and so
    // does the size of a float the catalog gives none for (MDBTools: a Single is a float of
    // 4 bytes there), which settles its type as a record set will report it.
    try {
        const QString from = schema.isEmpty() ? quoted(info.name) : quoted(schema) + QLatin1Char('.') + quoted(info.name);
        Handle st = statement();
        const QString probe = QStringLiteral("SELECT * FROM ") + from + QStringLiteral(" WHERE 1=0");
        SQLSMALLINT n = 0;
        if (SQL_SUCCEEDED(SQLExecDirectW(st.get(), wchars(probe), SQLINTEGER(probe.size()))) && hasResult(st.get())
            && SQL_SUCCEEDED(SQLNumResultCols(st.get(), &n)) && n > 0) {
            std::vector<Column> described(static_cast<std::size_t>(n));
            describe(st.get(), described);
            for (std::size_t i = 0; i < described.size(); ++i) {
                const FieldInfo& f = described[i].info;
                SQLLEN autoUnique = SQL_FALSE;
                SQLColAttributeW(st.get(), SQLUSMALLINT(i + 1), SQL_DESC_AUTO_UNIQUE_VALUE, nullptr, 0, nullptr, &autoUnique);
                for (auto& c : info.columns) {
                    if (c.name.compare(f.name, Qt::CaseInsensitive) != 0)
                        continue;
                    if (autoUnique == SQL_TRUE)
                        c.properties[0].second = Variant(true);
                    if (unsizedFloats.contains(c.name.toCaseFolded())) {
                        c.type = f.type;
                        c.definedSize = f.definedSize;
                        c.precision = f.precision;
                    }
                }
            }
        }
    } catch (const Error&) {
    }

    // Indexes, and which of them is the primary key.
    if (caps_.statistics)
        readIndexes(info, schema);
    if (caps_.primaryKeys)
        readPrimaryKey(info, schema);

    info.type = QStringLiteral("TABLE");
    for (const auto& t : tables())
        if (t.name.compare(info.name, Qt::CaseInsensitive) == 0) {
            info.type = t.type;
            break;
        }
    return info;
}

void OdbcConnection::readIndexes(TableInfo& info, const QString& schema)
{
    try {
        Handle st = statement();
        const QString pattern = info.name;
        check(SQLStatisticsW(st.get(), nullptr, 0, schema.isEmpty() ? nullptr : wchars(schema), SQLSMALLINT(schema.size()),
                             wchars(pattern), SQLSMALLINT(pattern.size()), SQL_INDEX_ALL, SQL_QUICK),
              SQL_HANDLE_STMT, st.get(), "SQLStatistics");
        std::vector<std::pair<int, QString>> order; // ordinal, column per index
        std::map<QString, std::vector<std::pair<int, QString>>> columnsOf;
        while (hasResult(st.get()) && SQL_SUCCEEDED(SQLFetch(st.get()))) {
            if (catalogInt(st.get(), 7) == long(SQL_TABLE_STAT))
                continue;
            const QString ixName = catalogText(st.get(), 6);
            auto it = std::find_if(info.indexes.begin(), info.indexes.end(), [&](const IndexInfo& ix) { return ix.name == ixName; });
            if (it == info.indexes.end()) {
                IndexInfo ix;
                ix.name = ixName;
                ix.unique = catalogInt(st.get(), 4).value_or(SQL_TRUE) == SQL_FALSE;
                info.indexes.push_back(ix);
            }
            columnsOf[ixName].emplace_back(int(catalogInt(st.get(), 8).value_or(0)), catalogText(st.get(), 9));
        }
        for (auto& ix : info.indexes) {
            auto& list = columnsOf[ix.name];
            std::stable_sort(list.begin(), list.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
            for (const auto& c : list)
                ix.columns.append(c.second);
        }
    } catch (const Error&) {
        // A driver without index lists (MDBTools) shows a table without indexes.
    }
}

void OdbcConnection::readPrimaryKey(TableInfo& info, const QString& schema)
{
    try {
        Handle st = statement();
        check(SQLPrimaryKeysW(st.get(), nullptr, 0, schema.isEmpty() ? nullptr : wchars(schema), SQLSMALLINT(schema.size()),
                              wchars(info.name), SQLSMALLINT(info.name.size())),
              SQL_HANDLE_STMT, st.get(), "SQLPrimaryKeys");
        std::vector<std::pair<int, QString>> keyColumns;
        QString keyName;
        while (hasResult(st.get()) && SQL_SUCCEEDED(SQLFetch(st.get()))) {
            keyColumns.emplace_back(int(catalogInt(st.get(), 5).value_or(0)), catalogText(st.get(), 4));
            keyName = catalogText(st.get(), 6);
        }
        std::stable_sort(keyColumns.begin(), keyColumns.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
        QStringList key;
        for (const auto& c : keyColumns)
            key.append(c.second);
        if (!key.isEmpty()) {
            auto sameColumns = [&](const IndexInfo& ix) {
                if (ix.columns.size() != key.size())
                    return false;
                for (qsizetype i = 0; i < key.size(); ++i)
                    if (ix.columns[i].compare(key[i], Qt::CaseInsensitive) != 0)
                        return false;
                return true;
            };
            auto it = std::find_if(info.indexes.begin(), info.indexes.end(),
                                   [&](const IndexInfo& ix) { return !keyName.isEmpty() && ix.name == keyName; });
            if (it == info.indexes.end())
                it = std::find_if(info.indexes.begin(), info.indexes.end(),
                                  [&](const IndexInfo& ix) { return ix.unique && sameColumns(ix); });
            if (it == info.indexes.end()) {
                IndexInfo ix;
                ix.name = keyName.isEmpty() ? QStringLiteral("PrimaryKey") : keyName;
                ix.unique = true;
                ix.columns = key;
                info.indexes.insert(info.indexes.begin(), ix);
                it = info.indexes.begin();
            }
            it->primaryKey = true;
            it->unique = true;
            it->indexNulls = adIndexNullsDisallow;
        }
    } catch (const Error&) {
    }
}

std::vector<ViewInfo> OdbcConnection::views()
{
    std::vector<ViewInfo> out;
    for (const auto& t : tables())
        if (t.type == QLatin1String("VIEW"))
            out.push_back(ViewInfo{t.name, QString()});
    for (auto& v : out) {
        QString sql;
        QString literal = v.name;
        literal.replace(QLatin1Char('\''), QLatin1String("''"));
        if (dbms_.contains(QLatin1String("SQLite"), Qt::CaseInsensitive))
            sql = QStringLiteral("SELECT sql FROM sqlite_master WHERE type = 'view' AND name = '%1'").arg(literal);
        else if (dbms_.contains(QLatin1String("SQL Server"), Qt::CaseInsensitive))
            sql = QStringLiteral("SELECT OBJECT_DEFINITION(OBJECT_ID(N'%1'))").arg(QString(v.name).replace(QLatin1Char('\''), QLatin1String("''")));
        if (sql.isEmpty())
            continue;
        try {
            auto results = run(sql, adCmdText);
            if (!results.empty() && results.front()->rowCount() > 0 && !results.front()->isNull(0, 0))
                v.commandText = viewSelect(results.front()->value(0, 0).toString());
        } catch (const Error&) {
        }
    }
    return out;
}

} // namespace odbc
} // namespace db
