// What a database holds: its tables with their fields and key, the indexes
// of a table and the views. Oracle is read from its data dictionary, every
// other engine from the data layer's catalog.
#include "data/clsDO.h"
#include "data/clsDO_sqltext.h"

#include "core/Dialogs.h"
#include "core/Error.h"
#include "core/ValueText.h"
#include "platform/db/Catalog.h"

namespace {

const QString kCrLf = QStringLiteral("\r\n");

// The dictionary and catalog statements, each whole. %1 (and %2) take the
// names of the call, quotes doubled; an IN list takes the name as given, in
// lower case and in upper case.
const QString kOracleTables =
    QStringLiteral("SELECT DISTINCT TABLE_NAME FROM USER_TABLES WHERE TABLE_NAME NOT LIKE '%.%' ORDER BY 1");
const QString kOracleColumns = QStringLiteral(
    "SELECT column_name, data_type, data_precision, data_scale, data_length, nullable, "
    "CASE WHEN DATA_TYPE IN ('VARCHAR2', 'NVARCHAR2', 'RAW') THEN 0 ELSE -1 END AS FixedLenght, data_default "
    "FROM all_tab_columns WHERE table_name IN ('%1') AND  Owner = '%2' ORDER BY column_name");
const QString kOracleIndexes = QStringLiteral(
    "SELECT DISTINCT ind.INDEX_NAME, col.COLUMN_NAME, ind.UNIQUENESS, col.COLUMN_POSITION FROM ALL_INDEXES ind "
    "JOIN ALL_IND_COLUMNS col ON ind.INDEX_NAME = col.INDEX_NAME WHERE ind.TABLE_NAME IN ('%1') "
    "ORDER BY ind.INDEX_NAME, col.COLUMN_POSITION");
const QString kOracleKey = QStringLiteral(
    "SELECT DISTINCT ACC.COLUMN_NAME FROM ALL_CONS_COLUMNS ACC "
    "INNER JOIN ALL_CONSTRAINTS AC ON AC.CONSTRAINT_NAME = ACC.CONSTRAINT_NAME "
    "WHERE AC.CONSTRAINT_TYPE = 'P' AND AC.TABLE_NAME IN ('%1')");
const QString kOraclePrimaryKeyIndex = QStringLiteral(
    "SELECT DISTINCT ac.CONSTRAINT_TYPE FROM ALL_CONSTRAINTS ac WHERE ac.TABLE_NAME = '%1' AND ac.INDEX_NAME = '%2' "
    "AND ac.CONSTRAINT_TYPE = 'P'");
const QString kOracleViews =
    QStringLiteral("SELECT VIEW_NAME, TEXT FROM USER_VIEWS WHERE VIEW_NAME NOT LIKE '%.%' ORDER BY 1");
const QString kOracleViewColumns =
    QStringLiteral("SELECT COLUMN_NAME FROM ALL_TAB_COLUMNS WHERE TABLE_NAME IN('%1') AND  OWNER = '%2'");
const QString kSqlServerDefaults = QStringLiteral(
    "SELECT c.name AS ColumnName, dc.definition AS DefaultValue, cc.definition AS CheckConstraintDefinition "
    "FROM sys.tables t INNER JOIN sys.columns c ON t.object_id = c.object_id "
    "LEFT JOIN sys.default_constraints dc ON c.default_object_id = dc.object_id "
    "LEFT JOIN sys.check_constraints cc ON c.object_id = cc.parent_object_id AND c.column_id = cc.parent_column_id "
    "WHERE t.name = '%1'");
const QString kSqlServerKey = QStringLiteral(
    "SELECT C.Name FROM sys.indexes AS I "
    "INNER JOIN sys.index_columns AS ic ON I.object_id = ic.object_id AND I.index_id = ic.index_id "
    "INNER JOIN sys.columns AS c ON ic.object_id = c.object_id AND ic.column_id = c.column_id "
    "INNER JOIN sys.objects AS o ON I.object_id = o.object_id WHERE I.is_primary_key = 1 AND o.name = '%1'");
const QString kSqlServerIndexes = QStringLiteral(
    "SELECT i.name AS IndexName, c.name AS ColumnName, i.is_primary_key, i.is_unique, ic.key_ordinal "
    "FROM sys.indexes AS i "
    "INNER JOIN sys.index_columns AS ic ON i.object_id = ic.object_id AND i.index_id = ic.index_id "
    "INNER JOIN sys.columns AS c ON ic.object_id = c.object_id AND ic.column_id = c.column_id "
    "WHERE i.object_id = OBJECT_ID('%1') ORDER BY i.name, ic.key_ordinal");

// A value written inside quotes of a statement.
QString quoted(const QString& value) { return sqltext::doubleQuotes(value); }

// The name as given, in lower case and in upper case, for the dictionary's IN lists.
QString nameVariants(const QString& t)
{
    return quoted(t) + QStringLiteral("', '") + quoted(t.toLower()) + QStringLiteral("', '") + quoted(t.toUpper());
}

// A statement with the names of the call in its places (in one pass, so a
// name holding "%2" stays as it is).
QString statement(const QString& pattern, const QString& first) { return pattern.arg(first); }
QString statement(const QString& pattern, const QString& first, const QString& second)
{
    return pattern.arg(first, second);
}

// The four connection values of a call, after the fall-back.
struct Login {
    QString server, database, user, password;
};

// The records of a "Collection" query, or null when it gave none.
CollectionPtr records(clsDO& o, const QString& sql, const Login& login, const Variant& keyFields = Variant(std::int16_t(0)))
{
    QString s = sql, sv = login.server, d = login.database, u = login.user, p = login.password;
    Variant keys = keyFields;
    const Variant result = o.Query(s, sv, d, u, p, QStringLiteral("Collection"), keys, false, true, false, 0, 0, QString());
    auto c = result.as<Collection>();
    return c && c->Count() > 0 ? c : nullptr;
}

// Value at a 1-based column position of one record of a "Collection" result.
Variant valueAt(const Variant& record, int position)
{
    auto r = record.as<Collection>();
    if (!r)
        raise(Error::ObjectRequired, QStringLiteral("Se requiere un objeto"));
    return r->Item(Variant(std::int32_t(position)));
}

QString textOf(const Variant& v) { return ValueText::displayText(v); }

// Tables and views of the engine itself, never the user's: whole prefixes, so
// user tables such as S, SYS, ACCESS or OBJECTS are listed.
bool isSystemName(const QString& name)
{
    return name.startsWith(QLatin1String("MSys"), Qt::CaseInsensitive) ||
           name.startsWith(QLatin1String("sqlite_"), Qt::CaseInsensitive);
}

CollectionPtr tableItem(const QString& name, const CollectionPtr& fields, const CollectionPtr& key)
{
    auto item = newCollection();
    item->Add(name, QStringLiteral("Name"));
    item->Add(Variant(fields), QStringLiteral("Fields"));
    if (key)
        item->Add(Variant(key), QStringLiteral("Key"));
    return item;
}

bool isZero(const Variant& v)
{
    if (v.isNull() || v.isEmpty())
        return false;
    if (v.isBoolean())
        return !v.toBool();
    return v.isNumeric() && v.toDouble() == 0.0;
}

// Keeps the fields in ascending order of names by character codes.
void insertSorted(Collection& fields, const CollectionPtr& item, const QString& name)
{
    for (int i = 1; i <= fields.Count(); ++i) {
        const QString other = fields.Item(Variant(std::int32_t(i))).as<Collection>()->Item(Variant("Name")).toString();
        if (QString::compare(name, other, Qt::CaseSensitive) < 0) {
            fields.Add(Variant(item), name, Variant(std::int32_t(i)));
            return;
        }
    }
    fields.Add(Variant(item), name);
}

void ignoreErrors(const std::function<void()>& body) { trap(body, [](const Error&) {}); }

// The field item every reader builds: the six entries every engine knows,
// then the entries the reader makes in its own order; an entry it could not
// make takes its default when the reader completes it (or at the end, in the
// order of the defaults).
class FieldItem {
public:
    FieldItem(const QString& name, bool nullable, std::int16_t type, const Variant& size, const Variant& precision,
              bool fixedLength)
        : item_(newCollection())
    {
        item_->Add(name, QStringLiteral("Name"));
        item_->Add(nullable, QStringLiteral("Nullable"));
        item_->Add(type, QStringLiteral("Type"));
        item_->Add(size, QStringLiteral("Size"));
        item_->Add(precision, QStringLiteral("Precision"));
        item_->Add(fixedLength, QStringLiteral("FixedLenght"));
    }

    void add(const QString& key, const Variant& value) { item_->Add(value, key); }
    // An entry whose reading may fail: then it is left to its default.
    void tryAdd(const QString& key, const std::function<Variant()>& read)
    {
        ignoreErrors([&] { item_->Add(read(), key); });
    }
    void complete(const QString& key)
    {
        if (!item_->Exists(key))
            item_->Add(defaultOf(key), key);
    }
    CollectionPtr done()
    {
        for (const QString& key : {QStringLiteral("AutoIncrease"), QStringLiteral("DefaultValue"),
                                   QStringLiteral("AllowZeroLenght"), QStringLiteral("ValidationText"),
                                   QStringLiteral("ValidationRule")})
            complete(key);
        return item_;
    }

private:
    static Variant defaultOf(const QString& key)
    {
        if (key == QLatin1String("AutoIncrease"))
            return Variant(false);
        if (key == QLatin1String("AllowZeroLenght"))
            return Variant(true);
        return Variant(QString());
    }
    CollectionPtr item_;
};

// The key columns of an Access table: its primary-key index, else the first unique one.
CollectionPtr accessKey(const db::TableInfo& table)
{
    auto key = newCollection();
    for (const db::IndexInfo& index : table.indexes) {
        if (index.primaryKey) {
            key = newCollection();
            for (const QString& c : index.columns)
                ignoreErrors([&] { key->Add(c); });
            break;
        }
        if (index.unique && key->Count() == 0)
            for (const QString& c : index.columns)
                ignoreErrors([&] { key->Add(c); });
    }
    return key;
}

void addFirstValues(Collection& target, const CollectionPtr& rows)
{
    if (!rows)
        return;
    for (const Variant& r : *rows)
        target.Add(valueAt(r, 1));
}

// ---- Oracle: the data dictionary, through Query.

CollectionPtr oracleTables(clsDO& o, const Login& login)
{
    auto result = newCollection();
    if (const CollectionPtr rows = records(o, kOracleTables, login))
        for (const Variant& r : *rows) {
            const QString name = textOf(valueAt(r, 1));
            result->Add(Variant(tableItem(name, newCollection(), newCollection())), name);
        }
    return result;
}

CollectionPtr oracleTable(clsDO& o, const Login& login, const QString& t)
{
    const CollectionPtr rows = records(o, statement(kOracleColumns, nameVariants(t), quoted(login.user)), login);
    if (!rows)
        raise(Error::ObjectVariableNotSet, QStringLiteral("No se encuentran las columnas de la tabla ") + t);
    auto fields = newCollection();
    for (const Variant& r : *rows) {
        const QString name = textOf(valueAt(r, 1));
        const std::int16_t type = sqltext::tipoDatoOracle(textOf(valueAt(r, 2)));
        const Variant precision = valueAt(r, 3);
        // The dictionary writes Y for a column that accepts nulls.
        FieldItem f(name, textOf(valueAt(r, 6)) == QLatin1String("Y"), type,
                    type == 8 ? Variant(valueAt(r, 5).toLong()) : Variant(std::int32_t(0)),
                    precision.isNull() || precision.isEmpty() ? Variant(std::int32_t(0)) : Variant(precision.toLong()),
                    valueAt(r, 7).toBool());
        f.add(QStringLiteral("DefaultValue"), valueAt(r, 8));
        fields->Add(Variant(f.done()), name);
    }
    QString s = login.server, d = login.database, u = login.user, p = login.password, table = t;
    auto result = tableItem(t, fields, nullptr);
    result->Add(Variant(o.TableKey(s, d, u, p, table)), QStringLiteral("Key"));
    return result;
}

// ---- Every other engine: the data layer's catalog on the object's connection.

CollectionPtr catalogTables(db::Catalog& catalog)
{
    auto result = newCollection();
    for (const db::TableInfo& info : catalog.Tables())
        ignoreErrors([&] {
            if (info.type.toUpper() == QLatin1String("TABLE") && !isSystemName(info.name))
                result->Add(Variant(tableItem(info.name, newCollection(), newCollection())), info.name);
        });
    return result;
}

// SQL Server: zero length from type and nullability; defaults and check
// constraints from the catalog views, one statement per call at the first column.
class SqlServerColumns {
public:
    SqlServerColumns(clsDO& o, const Login& login, const QString& table) : o_(o), login_(login), table_(table) {}

    void complete(FieldItem& f, const db::ColumnInfo& column, std::int16_t type, bool nullable)
    {
        f.add(QStringLiteral("AllowZeroLenght"), type == 8 && nullable);
        f.add(QStringLiteral("ValidationText"), QString());
        if (!read_) {
            read_ = true;
            ignoreErrors([&] { defaults_ = records(o_, statement(kSqlServerDefaults, quoted(table_)), login_); });
        }
        const QString key = QStringLiteral("#") + column.name;
        if (!defaults_ || !o_.ExisteClaveColeccion(Variant(defaults_), key))
            return; // both take their defaults
        const Variant record = defaults_->Item(Variant(key));
        QString def = textOf(valueAt(record, 2));
        def.remove(QStringLiteral("('")).remove(QStringLiteral("')"));
        const Variant check = valueAt(record, 3);
        QString rule;
        if (!check.isNull()) {
            rule = textOf(check);
            rule = rule.mid(1, rule.size() - 2);
        }
        f.add(QStringLiteral("DefaultValue"), def);
        f.add(QStringLiteral("ValidationRule"), rule);
    }

private:
    clsDO& o_;
    const Login& login_;
    QString table_;
    CollectionPtr defaults_;
    bool read_ = false;
};

// Access and data sources: the column's own properties.
void accessColumn(FieldItem& f, const db::ColumnInfo& column)
{
    f.tryAdd(QStringLiteral("DefaultValue"), [&] {
        const Variant v = column.property(QStringLiteral("Default"));
        return v.isEmpty() || v.isNull() ? Variant(QString()) : v;
    });
    f.tryAdd(QStringLiteral("AllowZeroLenght"),
             [&] { return Variant(column.property(QStringLiteral("Jet OLEDB:Allow Zero Length")).toBool()); });
    f.tryAdd(QStringLiteral("ValidationText"),
             [&] { return Variant(textOf(column.property(QStringLiteral("Jet OLEDB:Validation Text")))); });
    f.tryAdd(QStringLiteral("ValidationRule"),
             [&] { return Variant(textOf(column.property(QStringLiteral("Jet OLEDB:Validation Rule")))); });
}

// The fields of a catalog table in ascending order of names; a column whose
// item cannot be made is left out.
CollectionPtr catalogFields(const db::TableInfo& table, SqlServerColumns* sqlServer)
{
    auto fields = newCollection();
    for (const db::ColumnInfo& column : table.columns)
        ignoreErrors([&] {
            const std::int16_t type = sqltext::tipoDato(column.type);
            const bool nullable = column.attributes & db::adColNullable;
            FieldItem f(column.name, nullable, type, Variant(std::int32_t(column.definedSize)),
                        Variant(std::int32_t(column.precision)), column.type != 200 && column.type != 202);
            if (!column.properties.empty())
                f.tryAdd(QStringLiteral("AutoIncrease"),
                         [&] { return Variant(column.property(QStringLiteral("Autoincrement")).toBool()); });
            f.complete(QStringLiteral("AutoIncrease"));
            if (sqlServer)
                sqlServer->complete(f, column, type, nullable);
            else
                accessColumn(f, column);
            insertSorted(*fields, f.done(), column.name);
        });
    return fields;
}

} // namespace

CollectionPtr clsDO::TableList(ByRef<QString> sServer, ByRef<QString> sBBDD, ByRef<QString> sUID, ByRef<QString> sPassword,
                               ByRef<QString> sTableName, bool bIgnoreErrors)
{
    FallBack(*sServer, *sBBDD, *sUID, *sPassword);
    const Login login{*sServer, *sBBDD, *sUID, *sPassword};
    const QString t = *sTableName;

    auto errorPath = [&](const Error& e) {
        if (!bIgnoreErrors)
            SystemMsgBox(QStringLiteral("CLSDO.TABLELIST") + kCrLf + e.description, 16, QStringLiteral("Error"));
        CloseConnection();
    };

    if (IsOracle()) {
        CollectionPtr result;
        try {
            result = t.isEmpty() ? oracleTables(*this, login) : oracleTable(*this, login, t);
        } catch (const Error& e) {
            errorPath(e);
            return nullptr;
        }
        CloseConnection();
        return result ? result : newCollection();
    }

    if (!OpenConnection(login.server, login.database, login.user, login.password)) {
        CloseConnection();
        return newCollection();
    }

    CollectionPtr result;
    db::TableInfo table;
    try {
        auto catalog = std::make_shared<db::Catalog>();
        catalog->setActiveConnection(connection_);
        if (t.isEmpty()) {
            result = catalogTables(*catalog);
            CloseConnection();
            return result;
        }
        table = catalog->Table(t);
        SqlServerColumns sqlServer(*this, login, t);
        result = tableItem(table.name, catalogFields(table, connectionType_ == 0 ? &sqlServer : nullptr), nullptr);
    } catch (const Error& e) {
        errorPath(e);
        return nullptr;
    }

    // From here on a failure is the caller's to report.
    const bool sqlServerKey = connectionType_ == 0 || (connectionType_ == 3 && usedDriver_ == 0);
    if (connectionType_ == 1 || connectionType_ == 2) {
        CollectionPtr key;
        ignoreErrors([&] { key = accessKey(table); });
        if (key && key->Count() > 0)
            result->Add(Variant(key), QStringLiteral("Key"));
    } else if (sqlServerKey) {
        CloseConnection();
        auto key = newCollection();
        addFirstValues(*key, records(*this, statement(kSqlServerKey, quoted(t)), login));
        result->Add(Variant(key), QStringLiteral("Key"));
    }
    CloseConnection();
    return result;
}

namespace {

// Index items from rows ordered by index name: a new item whenever the name changes.
void groupIndexes(Collection& result, const CollectionPtr& rows,
                  const std::function<void(Collection& item, const Variant& record)>& flags)
{
    QString current;
    CollectionPtr item;
    CollectionPtr columns;
    auto flush = [&] {
        if (item) {
            item->Add(Variant(columns), QStringLiteral("IndexFields"));
            result.Add(Variant(item), item->Item(Variant("IndexName")).toString());
        }
    };
    for (const Variant& r : *rows) {
        const QString name = textOf(valueAt(r, 1));
        if (current.isEmpty() || name != current) {
            flush();
            item = newCollection();
            current = name;
            columns = newCollection();
            item->Add(name, QStringLiteral("IndexName"));
            flags(*item, r);
            item->Add(true, QStringLiteral("IsNullable"));
        }
        const QString column = textOf(valueAt(r, 2));
        columns->Add(column, column);
    }
    flush();
}

} // namespace

CollectionPtr clsDO::TableIndexes(ByRef<QString> sServer, ByRef<QString> sBBDD, ByRef<QString> sUID, ByRef<QString> sPassword,
                                  ByRef<QString> sTableName)
{
    FallBack(*sServer, *sBBDD, *sUID, *sPassword);
    const Login login{*sServer, *sBBDD, *sUID, *sPassword};
    const QString t = *sTableName;
    Variant pair;
    {
        auto a = std::make_shared<VArray>(0, 1);
        a->at(0) = std::int16_t(0);
        a->at(1) = std::int16_t(1);
        pair = Variant(a);
    }

    CollectionPtr result;
    try {
        if (IsOracle()) {
            result = newCollection();
            const CollectionPtr rows = records(*this, statement(kOracleIndexes, nameVariants(t)), login, pair);
            if (rows)
                groupIndexes(*result, rows, [&](Collection& item, const Variant& r) {
                    QString table = t, index = textOf(valueAt(r, 1));
                    item.Add(IsOraclePrimaryKey(table, index), QStringLiteral("IsPrimaryKey"));
                    item.Add(textOf(valueAt(r, 3)) == QLatin1String("UNIQUE"), QStringLiteral("IsUnique"));
                });
        } else if (IsAccess() || DialectKind() == 1) {
            // A data source with the Access driver answers what its catalog can tell
            // (an empty list when the driver keeps no index list).
            if (!OpenConnection(login.server, login.database, login.user, login.password)) {
                CloseConnection();
                return nullptr;
            }
            auto catalog = std::make_shared<db::Catalog>();
            catalog->setActiveConnection(connection_);
            const db::TableInfo table = catalog->Table(t);
            result = newCollection();
            for (const db::IndexInfo& index : table.indexes) {
                auto item = newCollection();
                item->Add(index.name, QStringLiteral("IndexName"));
                item->Add(index.primaryKey, QStringLiteral("IsPrimaryKey"));
                item->Add(index.unique, QStringLiteral("IsUnique"));
                item->Add(index.indexNulls == db::adIndexNullsDisallow, QStringLiteral("IsNullable"));
                auto columns = newCollection();
                for (const QString& c : index.columns)
                    columns->Add(c, c);
                item->Add(Variant(columns), QStringLiteral("IndexFields"));
                result->Add(Variant(item), index.name);
            }
        } else if (IsSQLServer()) {
            result = newCollection();
            const CollectionPtr rows = records(*this, statement(kSqlServerIndexes, quoted(t)), login, pair);
            if (rows)
                groupIndexes(*result, rows, [&](Collection& item, const Variant& r) {
                    item.Add(!isZero(valueAt(r, 3)), QStringLiteral("IsPrimaryKey"));
                    item.Add(!isZero(valueAt(r, 4)), QStringLiteral("IsUnique"));
                });
        }
    } catch (const Error& e) {
        SystemMsgBox(QStringLiteral("CLSDO.TABLEINDEXES") + kCrLf + e.description, 16, QStringLiteral("Error"));
        return nullptr;
    }
    CloseConnection();
    return result;
}

CollectionPtr clsDO::TableKey(ByRef<QString> sServer, ByRef<QString> sBBDD, ByRef<QString> sUID, ByRef<QString> sPassword,
                              ByRef<QString> sTableName)
{
    FallBack(*sServer, *sBBDD, *sUID, *sPassword);
    const Login login{*sServer, *sBBDD, *sUID, *sPassword};
    const QString t = *sTableName;
    auto result = newCollection();
    try {
        if (IsOracle()) {
            addFirstValues(*result, records(*this, statement(kOracleKey, nameVariants(t)), login));
        } else if (OpenConnection(login.server, login.database, login.user, login.password)) {
            auto catalog = std::make_shared<db::Catalog>();
            catalog->setActiveConnection(connection_);
            const db::TableInfo table = catalog->Table(t);
            if (connectionType_ == 1 || connectionType_ == 2) {
                ignoreErrors([&] { result = accessKey(table); });
            } else if (connectionType_ == 0 || (connectionType_ == 3 && usedDriver_ == 0)) {
                CloseConnection();
                addFirstValues(*result, records(*this, statement(kSqlServerKey, quoted(t)), login));
            }
        }
    } catch (const Error& e) {
        SystemMsgBox(QStringLiteral("CLSDO.TABLEKEY") + kCrLf + e.description, 16, QStringLiteral("Error"));
        CloseConnection();
        return nullptr;
    }
    CloseConnection();
    return result;
}

bool clsDO::IsOraclePrimaryKey(ByRef<QString> sTableName, ByRef<QString> sIndexName)
{
    const CollectionPtr rows =
        records(*this, statement(kOraclePrimaryKeyIndex, quoted(*sTableName), quoted(*sIndexName)), Login());
    if (!rows)
        return false;
    return textOf(valueAt(rows->Item(Variant(std::int32_t(1))), 1)) == QLatin1String("P");
}

CollectionPtr clsDO::ViewList(ByRef<QString> sServer, ByRef<QString> sBBDD, ByRef<QString> sUID, ByRef<QString> sPassword)
{
    FallBack(*sServer, *sBBDD, *sUID, *sPassword);
    const Login login{*sServer, *sBBDD, *sUID, *sPassword};
    auto result = newCollection();
    try {
        if (IsOracle()) {
            const CollectionPtr views = records(*this, kOracleViews, login);
            if (views)
                for (const Variant& r : *views) {
                    auto item = newCollection();
                    const QString name = textOf(valueAt(r, 1));
                    item->Add(name, QStringLiteral("Name"));
                    item->Add(textOf(valueAt(r, 2)), QStringLiteral("SQLText"));
                    auto fields = newCollection();
                    const CollectionPtr columns =
                        records(*this, statement(kOracleViewColumns, nameVariants(name), quoted(login.user)), login);
                    if (columns)
                        for (const Variant& c : *columns) {
                            const QString column = textOf(valueAt(c, 1));
                            fields->Add(column, column);
                        }
                    item->Add(Variant(fields), QStringLiteral("Fields"));
                    result->Add(Variant(item), name);
                }
        } else {
            if (!OpenConnection(login.server, login.database, login.user, login.password)) {
                CloseConnection();
                return result;
            }
            auto catalog = std::make_shared<db::Catalog>();
            catalog->setActiveConnection(connection_);
            for (const db::ViewInfo& view : catalog->Views())
                ignoreErrors([&] {
                    if (isSystemName(view.name))
                        return;
                    auto item = newCollection();
                    item->Add(view.name, QStringLiteral("Name"));
                    item->Add(view.commandText, QStringLiteral("SQLText"));
                    auto fields = newCollection();
                    ignoreErrors([&] {
                        const auto structure =
                            EstructuraConsulta(QStringLiteral("Ejercicio"), view.commandText, view.name).as<Collection>();
                        const QString prefix = view.name + QLatin1Char('.');
                        for (const Variant& entry : *structure)
                            ignoreErrors([&] {
                                QString column = entry.array()->at(0).toString();
                                column.remove(prefix);
                                fields->Add(column, column);
                            });
                    });
                    item->Add(Variant(fields), QStringLiteral("Fields"));
                    result->Add(Variant(item), view.name);
                });
        }
    } catch (const Error& e) {
        SystemMsgBox(QStringLiteral("CLSDO.ViewList") + kCrLf + e.description, 16, QStringLiteral("Error"));
        CloseConnection();
        return nullptr;
    }
    CloseConnection();
    return result;
}
