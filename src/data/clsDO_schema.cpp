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

// The records of a "Collection" query, or null when it gave none.
CollectionPtr records(clsDO& o, const QString& sql, const QString& server, const QString& database, const QString& user,
                      const QString& password, const Variant& keyFields = Variant(std::int16_t(0)))
{
    QString s = sql, sv = server, d = database, u = user, p = password;
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

// A value written inside quotes of a statement.
QString quoted(const QString& value) { return sqltext::doubleQuotes(value); }

// The name as given, in lower case and in upper case, for the dictionary's IN lists.
QString nameVariants(const QString& t)
{
    return quoted(t) + QStringLiteral("', '") + quoted(t.toLower()) + QStringLiteral("', '") + quoted(t.toUpper());
}

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

QString sqlServerKeyStatement(const QString& t)
{
    return QStringLiteral("SELECT C.Name ") + QStringLiteral("FROM sys.indexes AS I ") +
           QStringLiteral("INNER JOIN sys.index_columns AS ic ON I.object_id = ic.object_id AND I.index_id = ic.index_id ") +
           QStringLiteral("INNER JOIN sys.columns AS c ON ic.object_id = c.object_id AND ic.column_id = c.column_id ") +
           QStringLiteral("INNER JOIN sys.objects AS o ON I.object_id = o.object_id ") +
           QStringLiteral("WHERE I.is_primary_key = 1 ") + QStringLiteral("AND o.name = '") + quoted(t) + QLatin1Char('\'');
}

void addFirstValues(Collection& target, const CollectionPtr& rows)
{
    if (!rows)
        return;
    for (const Variant& r : *rows)
        target.Add(valueAt(r, 1));
}

} // namespace

CollectionPtr clsDO::TableList(ByRef<QString> sServer, ByRef<QString> sBBDD, ByRef<QString> sUID, ByRef<QString> sPassword,
                               ByRef<QString> sTableName, bool bIgnoreErrors)
{
    FallBack(*sServer, *sBBDD, *sUID, *sPassword);
    const QString server = *sServer, database = *sBBDD, user = *sUID, password = *sPassword;
    const QString t = *sTableName;

    auto errorPath = [&](const Error& e) {
        if (!bIgnoreErrors)
            SystemMsgBox(QStringLiteral("CLSDO.TABLELIST") + kCrLf + e.description, 16, QStringLiteral("Error"));
    };

    if (IsOracle()) {
        CollectionPtr result;
        try {
            if (t.isEmpty()) {
                result = newCollection();
                const CollectionPtr rows =
                    records(*this,
                            QStringLiteral("SELECT ") + QStringLiteral("DISTINCT TABLE_NAME ") + QStringLiteral("FROM USER_TABLES ") +
                                QStringLiteral("WHERE TABLE_NAME NOT LIKE '%.%' ") + QStringLiteral("ORDER BY 1"),
                            server, database, user, password);
                if (rows)
                    for (const Variant& r : *rows) {
                        const QString name = textOf(valueAt(r, 1));
                        result->Add(Variant(tableItem(name, newCollection(), newCollection())), name);
                    }
            } else {
                const CollectionPtr rows = records(
                    *this,
                    QStringLiteral("SELECT ") + QStringLiteral("column_name, ") + QStringLiteral("data_type, ") +
                        QStringLiteral("data_precision, ") + QStringLiteral("data_scale, ") + QStringLiteral("data_length, ") +
                        QStringLiteral("nullable, ") +
                        QStringLiteral("CASE WHEN DATA_TYPE IN ('VARCHAR2', 'NVARCHAR2', 'RAW') THEN 0 ELSE -1 END AS FixedLenght, ") +
                        QStringLiteral("data_default ") + QStringLiteral("FROM all_tab_columns ") +
                        QStringLiteral("WHERE table_name IN ('") + nameVariants(t) + QStringLiteral("') ") +
                        QStringLiteral("AND  Owner = '") + quoted(user) + QStringLiteral("' ORDER BY column_name"),
                    server, database, user, password);
                if (!rows)
                    raise(Error::ObjectVariableNotSet,
                          QStringLiteral("No se encuentran las columnas de la tabla ") + t);
                auto fields = newCollection();
                for (const Variant& r : *rows) {
                    auto f = newCollection();
                    const QString name = textOf(valueAt(r, 1));
                    const std::int16_t type = sqltext::tipoDatoOracle(textOf(valueAt(r, 2)));
                    const Variant precision = valueAt(r, 3);
                    f->Add(name, QStringLiteral("Name"));
                    // The dictionary writes Y for a column that accepts nulls.
                    f->Add(textOf(valueAt(r, 6)) == QLatin1String("Y"), QStringLiteral("Nullable"));
                    f->Add(type, QStringLiteral("Type"));
                    f->Add(type == 8 ? Variant(valueAt(r, 5).toLong()) : Variant(std::int32_t(0)), QStringLiteral("Size"));
                    f->Add(precision.isNull() || precision.isEmpty() ? Variant(std::int32_t(0)) : Variant(precision.toLong()),
                           QStringLiteral("Precision"));
                    f->Add(valueAt(r, 7).toBool(), QStringLiteral("FixedLenght"));
                    f->Add(valueAt(r, 8), QStringLiteral("DefaultValue"));
                    f->Add(false, QStringLiteral("AutoIncrease"));
                    f->Add(true, QStringLiteral("AllowZeroLenght"));
                    f->Add(QString(), QStringLiteral("ValidationText"));
                    f->Add(QString(), QStringLiteral("ValidationRule"));
                    fields->Add(Variant(f), name);
                }
                QString s = server, d = database, u = user, p = password, table = t;
                result = tableItem(t, fields, nullptr);
                result->Add(Variant(TableKey(s, d, u, p, table)), QStringLiteral("Key"));
            }
        } catch (const Error& e) {
            errorPath(e);
            CloseConnection();
            return nullptr;
        }
        CloseConnection();
        return result ? result : newCollection();
    }

    if (!OpenConnection(server, database, user, password)) {
        CloseConnection();
        return newCollection();
    }

    CollectionPtr result;
    db::TableInfo table;
    try {
        auto catalog = std::make_shared<db::Catalog>();
        catalog->setActiveConnection(connection_);
        if (t.isEmpty()) {
            result = newCollection();
            for (const db::TableInfo& info : catalog->Tables())
                ignoreErrors([&] {
                    if (info.type.toUpper() == QLatin1String("TABLE") && !isSystemName(info.name))
                        result->Add(Variant(tableItem(info.name, newCollection(), newCollection())), info.name);
                });
            CloseConnection();
            return result;
        }

        table = catalog->Table(t);
        auto fields = newCollection();
        CollectionPtr defaults;
        bool defaultsRead = false;
        for (const db::ColumnInfo& column : table.columns) {
            ignoreErrors([&] {
                auto f = newCollection();
                const std::int16_t type = sqltext::tipoDato(column.type);
                const bool nullable = column.attributes & db::adColNullable;
                f->Add(column.name, QStringLiteral("Name"));
                f->Add(nullable, QStringLiteral("Nullable"));
                f->Add(type, QStringLiteral("Type"));
                f->Add(Variant(std::int32_t(column.definedSize)), QStringLiteral("Size"));
                f->Add(Variant(std::int32_t(column.precision)), QStringLiteral("Precision"));
                f->Add(column.type != 200 && column.type != 202, QStringLiteral("FixedLenght"));
                if (!column.properties.empty())
                    ignoreErrors([&] { f->Add(column.property(QStringLiteral("Autoincrement")).toBool(), QStringLiteral("AutoIncrease")); });
                if (!f->Exists(QStringLiteral("AutoIncrease")))
                    f->Add(false, QStringLiteral("AutoIncrease"));

                if (connectionType_ == 0) {
                    f->Add(type == 8 && nullable, QStringLiteral("AllowZeroLenght"));
                    f->Add(QString(), QStringLiteral("ValidationText"));
                    if (!defaultsRead) {
                        defaultsRead = true;
                        ignoreErrors([&] {
                            defaults = records(
                                *this,
                                QStringLiteral("SELECT ") + QStringLiteral("c.name AS ColumnName, ") +
                                    QStringLiteral("dc.definition AS DefaultValue, ") +
                                    QStringLiteral("cc.definition AS CheckConstraintDefinition ") +
                                    QStringLiteral("FROM sys.tables t ") +
                                    QStringLiteral("INNER JOIN sys.columns c ON t.object_id = c.object_id ") +
                                    QStringLiteral("LEFT JOIN sys.default_constraints dc ON c.default_object_id = dc.object_id ") +
                                    QStringLiteral("LEFT JOIN sys.check_constraints cc ON c.object_id = cc.parent_object_id AND "
                                                   "c.column_id = cc.parent_column_id ") +
                                    QStringLiteral("WHERE t.name = '") + quoted(t) + QLatin1Char('\''),
                                server, database, user, password);
                        });
                    }
                    const QString key = QStringLiteral("#") + column.name;
                    if (defaults && ExisteClaveColeccion(Variant(defaults), key)) {
                        const Variant record = defaults->Item(Variant(key));
                        QString def = textOf(valueAt(record, 2));
                        def.remove(QStringLiteral("('")).remove(QStringLiteral("')"));
                        const Variant check = valueAt(record, 3);
                        QString rule;
                        if (!check.isNull()) {
                            rule = textOf(check);
                            rule = rule.mid(1, rule.size() - 2);
                        }
                        f->Add(def, QStringLiteral("DefaultValue"));
                        f->Add(rule, QStringLiteral("ValidationRule"));
                    } else {
                        f->Add(QString(), QStringLiteral("DefaultValue"));
                        f->Add(QString(), QStringLiteral("ValidationRule"));
                    }
                } else {
                    ignoreErrors([&] {
                        const Variant v = column.property(QStringLiteral("Default"));
                        f->Add(v.isEmpty() || v.isNull() ? Variant(QString()) : v, QStringLiteral("DefaultValue"));
                    });
                    ignoreErrors([&] {
                        f->Add(column.property(QStringLiteral("Jet OLEDB:Allow Zero Length")).toBool(),
                               QStringLiteral("AllowZeroLenght"));
                    });
                    ignoreErrors([&] {
                        f->Add(textOf(column.property(QStringLiteral("Jet OLEDB:Validation Text"))),
                               QStringLiteral("ValidationText"));
                    });
                    ignoreErrors([&] {
                        f->Add(textOf(column.property(QStringLiteral("Jet OLEDB:Validation Rule"))),
                               QStringLiteral("ValidationRule"));
                    });
                    if (!f->Exists(QStringLiteral("DefaultValue")))
                        f->Add(QString(), QStringLiteral("DefaultValue"));
                    if (!f->Exists(QStringLiteral("AllowZeroLenght")))
                        f->Add(true, QStringLiteral("AllowZeroLenght"));
                    if (!f->Exists(QStringLiteral("ValidationText")))
                        f->Add(QString(), QStringLiteral("ValidationText"));
                    if (!f->Exists(QStringLiteral("ValidationRule")))
                        f->Add(QString(), QStringLiteral("ValidationRule"));
                }
                insertSorted(*fields, f, column.name);
            });
        }
        result = tableItem(table.name, fields, nullptr);
    } catch (const Error& e) {
        errorPath(e);
        CloseConnection();
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
        addFirstValues(*key, records(*this, sqlServerKeyStatement(t), server, database, user, password));
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
    const QString server = *sServer, database = *sBBDD, user = *sUID, password = *sPassword;
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
            const CollectionPtr rows = records(
                *this,
                QStringLiteral("SELECT DISTINCT ind.INDEX_NAME, col.COLUMN_NAME, ind.UNIQUENESS, col.COLUMN_POSITION ") +
                    QStringLiteral("FROM ALL_INDEXES ind ") +
                    QStringLiteral("JOIN ALL_IND_COLUMNS col ON ind.INDEX_NAME = col.INDEX_NAME ") +
                    QStringLiteral("WHERE ind.TABLE_NAME IN ('") + nameVariants(t) + QStringLiteral("') ") +
                    QStringLiteral("ORDER BY ind.INDEX_NAME, col.COLUMN_POSITION"),
                server, database, user, password, pair);
            if (rows)
                groupIndexes(*result, rows, [&](Collection& item, const Variant& r) {
                    QString table = t, index = textOf(valueAt(r, 1));
                    item.Add(IsOraclePrimaryKey(table, index), QStringLiteral("IsPrimaryKey"));
                    item.Add(textOf(valueAt(r, 3)) == QLatin1String("UNIQUE"), QStringLiteral("IsUnique"));
                });
        } else if (IsAccess() || DialectKind() == 1) {
            // A data source with the Access driver answers what its catalog can tell
            // (an empty list when the driver keeps no index list).
            if (!OpenConnection(server, database, user, password)) {
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
            const CollectionPtr rows = records(
                *this,
                QStringLiteral("SELECT i.name AS IndexName, c.name AS ColumnName, i.is_primary_key, i.is_unique, ic.key_ordinal ") +
                    QStringLiteral("FROM sys.indexes AS i ") +
                    QStringLiteral("INNER JOIN sys.index_columns AS ic ON i.object_id = ic.object_id AND i.index_id = ic.index_id ") +
                    QStringLiteral("INNER JOIN sys.columns AS c ON ic.object_id = c.object_id AND ic.column_id = c.column_id ") +
                    QStringLiteral("WHERE i.object_id = OBJECT_ID('") + quoted(t) + QStringLiteral("') ") +
                    QStringLiteral("ORDER BY i.name, ic.key_ordinal"),
                server, database, user, password, pair);
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
    const QString server = *sServer, database = *sBBDD, user = *sUID, password = *sPassword;
    const QString t = *sTableName;
    auto result = newCollection();
    try {
        if (IsOracle()) {
            addFirstValues(*result,
                           records(*this,
                                   QStringLiteral("SELECT DISTINCT ") + QStringLiteral("ACC.COLUMN_NAME ") +
                                       QStringLiteral("FROM ALL_CONS_COLUMNS ACC ") +
                                       QStringLiteral("INNER JOIN ALL_CONSTRAINTS AC ON AC.CONSTRAINT_NAME = ACC.CONSTRAINT_NAME ") +
                                       QStringLiteral("WHERE AC.CONSTRAINT_TYPE = 'P' ") +
                                       QStringLiteral("AND AC.TABLE_NAME IN ('") + nameVariants(t) + QStringLiteral("')"),
                                   server, database, user, password));
        } else if (OpenConnection(server, database, user, password)) {
            auto catalog = std::make_shared<db::Catalog>();
            catalog->setActiveConnection(connection_);
            const db::TableInfo table = catalog->Table(t);
            if (connectionType_ == 1 || connectionType_ == 2) {
                ignoreErrors([&] { result = accessKey(table); });
            } else if (connectionType_ == 0 || (connectionType_ == 3 && usedDriver_ == 0)) {
                CloseConnection();
                addFirstValues(*result, records(*this, sqlServerKeyStatement(t), server, database, user, password));
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
        records(*this,
                QStringLiteral("SELECT DISTINCT ac.CONSTRAINT_TYPE FROM ALL_CONSTRAINTS ac WHERE ac.TABLE_NAME = '") +
                    quoted(*sTableName) + QStringLiteral("' AND ac.INDEX_NAME = '") + quoted(*sIndexName) +
                    QStringLiteral("' AND ac.CONSTRAINT_TYPE = 'P'"),
                QString(), QString(), QString(), QString());
    if (!rows)
        return false;
    return textOf(valueAt(rows->Item(Variant(std::int32_t(1))), 1)) == QLatin1String("P");
}

CollectionPtr clsDO::ViewList(ByRef<QString> sServer, ByRef<QString> sBBDD, ByRef<QString> sUID, ByRef<QString> sPassword)
{
    FallBack(*sServer, *sBBDD, *sUID, *sPassword);
    const QString server = *sServer, database = *sBBDD, user = *sUID, password = *sPassword;
    auto result = newCollection();
    try {
        if (IsOracle()) {
            const CollectionPtr views =
                records(*this,
                        QStringLiteral("SELECT ") + QStringLiteral("VIEW_NAME, ") + QStringLiteral("TEXT ") +
                            QStringLiteral("FROM USER_VIEWS ") + QStringLiteral("WHERE VIEW_NAME NOT LIKE '%.%' ") +
                            QStringLiteral("ORDER BY 1"),
                        server, database, user, password);
            if (views)
                for (const Variant& r : *views) {
                    auto item = newCollection();
                    const QString name = textOf(valueAt(r, 1));
                    item->Add(name, QStringLiteral("Name"));
                    item->Add(textOf(valueAt(r, 2)), QStringLiteral("SQLText"));
                    auto fields = newCollection();
                    const CollectionPtr columns =
                        records(*this,
                                QStringLiteral("SELECT ") + QStringLiteral("COLUMN_NAME ") + QStringLiteral("FROM ALL_TAB_COLUMNS ") +
                                    QStringLiteral("WHERE TABLE_NAME IN('") + nameVariants(name) + QStringLiteral("') ") +
                                    QStringLiteral("AND  OWNER = '") + quoted(user) + QLatin1Char('\''),
                                server, database, user, password);
                    if (columns)
                        for (const Variant& c : *columns) {
                            const QString column = textOf(valueAt(c, 1));
                            fields->Add(column, column);
                        }
                    item->Add(Variant(fields), QStringLiteral("Fields"));
                    result->Add(Variant(item), name);
                }
        } else {
            if (!OpenConnection(server, database, user, password)) {
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
