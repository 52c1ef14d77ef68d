// Creating and rebuilding tables from column descriptors, adding and removing
// indexes. Every statement runs on the stored connection through Execute; a
// statement that fails (Execute raises) or does not run is a failed step.
#include "data/clsDO.h"
#include "data/clsDO_sqltext.h"
#include "data/clsField.h"

#include "core/Error.h"
#include "core/ValueText.h"
#include "platform/db/Db.h"

#include <QRegularExpression>

namespace {

const QString kCrLf = QStringLiteral("\r\n");
const QString kAttributesFailed =
    QStringLiteral("No se pudieron agregar los atributos de longitud cero, valor por defecto, regla y texto de validación.");

// A constraint name made of a prefix and a table or column name: bare when the
// name is a plain identifier, else in brackets (a name with a blank would break
// the statement, and a rebuild whose creation fails leaves its rows only in the backup).
QString constraintName(const QString& prefix, const QString& name)
{
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_]*$"));
    return plain.match(name).hasMatch() ? prefix + name : sqltext::bracket(prefix + name);
}

QString keyName(const QString& table) { return constraintName(QStringLiteral("PK_"), table); }

bool runStep(clsDO& o, const QString& sql)
{
    bool ok = false;
    trap([&] { ok = o.Execute(sql); }, [](const Error&) {});
    return ok;
}

const Collection& fieldsOf(const CollectionPtr& fields)
{
    if (!fields)
        raise(Error::ObjectVariableNotSet, QStringLiteral("Variable de objeto o de bloque With no establecida"));
    return *fields;
}

clsFieldPtr fieldAt(const Collection& fields, int position)
{
    auto f = fields.Item(Variant(std::int32_t(position))).as<clsField>();
    if (!f)
        raise(Error::ObjectRequired, QStringLiteral("Se requiere un objeto"));
    return f;
}

QString columnDefinition(const clsDO& o, const clsField& f)
{
    return sqltext::columnDefinition(o.ConnectionType(), f.NewFieldName(), f.DataType(), f.Lenght(), f.FixedLenght(),
                                     f.AutoIncrease(), f.NewAllowNull());
}

// Defaults, checks and the zero-length rule, added once the table exists (SQL Server only).
bool applyFieldAttributes(clsDO& o, const QString& table, const clsField& f)
{
    const int type = o.ConnectionType();
    if (type == 1 || type == 2)
        return true;
    if (type != 0)
        return false;
    const QString alter = QStringLiteral("ALTER TABLE ") + sqltext::bracket(table) + QLatin1Char(' ') + kCrLf;
    const QString name = f.NewFieldName();
    if (f.DataType() == 8) {
        // The zero-length rule stands in for the null rule: a text that refuses empty text is NOT NULL.
        const QString column = sqltext::columnDefinition(0, name, 8, f.Lenght(), f.FixedLenght(), f.AutoIncrease(),
                                                         f.NewAllowZeroLenght());
        if (!runStep(o, alter + QStringLiteral("ALTER COLUMN ") + column))
            return false;
    }
    if (!f.DefaultValue().isEmpty()) {
        const Variant literal = o.SQLFormat(sqltext::formatTypeName(f.DataType()), Variant(f.DefaultValue()));
        if (!runStep(o, alter + QStringLiteral("ADD CONSTRAINT ") + constraintName(QStringLiteral("DF_"), name) + QStringLiteral(" DEFAULT ") +
                            ValueText::displayText(literal) + QStringLiteral(" FOR ") + sqltext::bracket(name)))
            return false;
    }
    // The rule is an SQL condition: it goes in as written.
    if (!f.ValidationRule().isEmpty() &&
        !runStep(o, alter + QStringLiteral("ADD CONSTRAINT ") + constraintName(QStringLiteral("CHK_"), name) + QStringLiteral(" CHECK (") + f.ValidationRule() +
                        QLatin1Char(')')))
        return false;
    return true;
}

// The select-list item that carries one column's rows into the rebuilt table;
// a stored column is read under readName (its stored name, or its new name
// when the engine renames it before the copy).
QString copyColumnExpression(clsDO& o, const QString& table, const QString& oldName, const QString& newName,
                             const Collection& oldFields, const Collection& newFields, const QString& readName)
{
    auto f = newFields.Item(Variant(table + QLatin1Char('.') + oldName)).as<clsField>();
    if (!f)
        raise(Error::ObjectRequired, QStringLiteral("Se requiere un objeto"));
    // Names go in brackets: a name with a blank or a reserved word would fail the copy,
    // and a failed copy leaves the rows only in the backup table.
    if (oldFields.Exists(oldName)) {
        // A column that is to refuse nulls gets its nulls replaced, or the copy would fail on them.
        if (!f->NewAllowNull())
            return o.SqlIsNull(Variant(sqltext::bracket(readName)), f->DataType());
        return sqltext::bracket(readName);
    }
    const QString as = QStringLiteral(" AS ") + sqltext::bracket(newName);
    // A new column that accepts nulls starts Null in every row: a value nobody entered is no data.
    if (f->NewAllowNull())
        return QStringLiteral("NULL") + as;
    const QString d = f->DefaultValue();
    switch (f->DataType()) {
    case 11:
    case 2:
    case 3:
    case 4:
    case 5:
    case 6:
    case 17: return (d.isEmpty() ? QStringLiteral("0") : d) + as;
    case 7:
        return o.sInicioFecha() + (d.isEmpty() ? QStringLiteral("01/01/1900") : sqltext::doubleQuotes(d)) + o.sFinalFecha() + as;
    case 12: return (d.isEmpty() ? QStringLiteral("''") : d) + as;
    case 8: return QLatin1Char('\'') + sqltext::doubleQuotes(d) + QLatin1Char('\'') + as;
    default: return QString();
    }
}


QString keyConstraint(const QString& table, const QStringList& keys)
{
    return QStringLiteral("CONSTRAINT ") + keyName(table) + QStringLiteral(" PRIMARY KEY (") + keys.join(QStringLiteral(", ")) +
           QLatin1Char(')');
}

} // namespace

QString clsDO::CreateTable(const QString& sTableName, const CollectionPtr& colTableFields)
{
    const Collection& fields = fieldsOf(colTableFields);
    // In brackets, as the rebuild writes it: a name with a blank or a reserved word
    // would fail, and the rebuild of an empty table relies on this creation.
    QString sql = QStringLiteral("CREATE TABLE ") + sqltext::bracket(sTableName) + QStringLiteral(" (");
    QStringList keys;
    const int n = fields.Count();
    for (int i = 1; i <= n; ++i) {
        const clsFieldPtr f = fieldAt(fields, i);
        sql += columnDefinition(*this, *f);
        if (f->IsKey())
            keys << sqltext::bracket(f->NewFieldName());
        if (i < n || !keys.isEmpty())
            sql += QStringLiteral(", ");
    }
    if (!keys.isEmpty())
        sql += keyConstraint(sTableName, keys);
    sql += QLatin1Char(')');
    if (!runStep(*this, sql))
        return QStringLiteral("No se pudo crear la tabla ") + sTableName + QLatin1Char('.');

    QString result;
    for (int i = 1; i <= n; ++i)
        if (!applyFieldAttributes(*this, sTableName, *fieldAt(fields, i)))
            result = kAttributesFailed;
    return result;
}

QString clsDO::ModifyTable(const QString& sTableName, const QString& sNewTableName, const CollectionPtr& colTableFields)
{
    const Collection& fields = fieldsOf(colTableFields);
    QString server = servidor_, database = baseDatos_, user = usuario_, password = contraseña_, table = sTableName;
    const CollectionPtr stored = TableList(server, database, user, password, table, false);
    if (!stored)
        raise(Error::ObjectVariableNotSet, QStringLiteral("Variable de objeto o de bloque With no establecida"));
    const auto oldFields = stored->Item(Variant("Fields")).as<Collection>();
    if (!oldFields)
        raise(Error::ObjectRequired, QStringLiteral("Se requiere un objeto"));
    if (IsAccess())
        return ModifyLocalTable(sTableName, sNewTableName, fields, *oldFields);

    QString source = sTableName;
    if (sNewTableName == sTableName) {
        source = sTableName + QStringLiteral("_OLD");
        QString e1, e2, e3, e4, backup = source;
        const CollectionPtr existing = TableList(e1, e2, e3, e4, backup, true);
        // A table under the backup's name is never dropped here: it may be the user's own,
        // or the only copy of the rows an earlier rebuild left behind.
        const bool backupNameTaken = existing && existing->Exists(QStringLiteral("Name"));

        QString countSql = QStringLiteral("SELECT COUNT(*) AS Recuento FROM ") + sqltext::bracket(sTableName);
        QString s, d, u, p;
        Variant keyFields(std::int16_t(0));
        const auto counted =
            Query(countSql, s, d, u, p, QStringLiteral("Collection"), keyFields, false, true, false, 0, 0, QString())
                .as<Collection>();
        if (!counted || counted->Count() < 1)
            raise(Error::ObjectVariableNotSet, QStringLiteral("Variable de objeto o de bloque With no establecida"));
        const auto firstRow = counted->Item(Variant(std::int32_t(1))).as<Collection>();
        if (!firstRow)
            raise(Error::ObjectRequired, QStringLiteral("Se requiere un objeto"));
        const std::int64_t rows = firstRow->Item(Variant(std::int32_t(1))).toLongLong();

        if (rows > 0) {
            if (backupNameTaken)
                return QStringLiteral("Se abortan los cambios porque ya existe la tabla ") + source +
                       QStringLiteral(", que se necesita para hacer un backup de los datos. Renómbrela o elimínela "
                                      "antes de modificar la tabla.");
            if (!runStep(*this, QStringLiteral("SELECT * INTO ") + sqltext::bracket(source) + QStringLiteral(" FROM ") +
                                    sqltext::bracket(sTableName)))
                return QStringLiteral("Se abortan los cambios porque no se ha podido hacer un backup de los datos. Compruebe "
                                      "que la tabla no esté en uso.");
            if (!runStep(*this, QStringLiteral("DROP TABLE ") + sqltext::bracket(sTableName)))
                return QStringLiteral("Se abortan los cambios porque no se ha podido eliminar la tabla original para crear "
                                      "la nueva del mismo nombre. Compruebe que la tabla no esté en uso.");
        } else {
            if (!runStep(*this, QStringLiteral("DROP TABLE ") + sqltext::bracket(sTableName)))
                return QStringLiteral("Se abortan los cambios porque no se ha podido eliminar la tabla original para "
                                      "crearla con la nueva estructura. Compruebe que la tabla no esté en uso.");
            return CreateTable(sTableName, colTableFields);
        }
    }

    QString sql = QStringLiteral("CREATE TABLE ") + sqltext::bracket(sNewTableName) + QStringLiteral(" (");
    QStringList columns, selected, keys;
    bool numbersKept = false;
    const int n = fields.Count();
    for (int i = 1; i <= n; ++i) {
        const clsFieldPtr f = fieldAt(fields, i);
        sql += columnDefinition(*this, *f);
        if (!f->AutoIncrease()) {
            columns << sqltext::bracket(f->NewFieldName());
            selected << copyColumnExpression(*this, sTableName, f->FieldName(), f->NewFieldName(), *oldFields, fields,
                                             f->FieldName());
        } else if (oldFields->Exists(f->FieldName())) {
            // Numbers a row already has are kept: other tables may refer to them.
            // A new auto-numbered column is numbered by the engine.
            columns << sqltext::bracket(f->NewFieldName());
            selected << sqltext::bracket(f->FieldName());
            numbersKept = true;
        }
        if (f->IsKey())
            keys << sqltext::bracket(f->NewFieldName());
        if (i < n || !keys.isEmpty())
            sql += QStringLiteral(", ");
    }
    if (!keys.isEmpty())
        sql += keyConstraint(sNewTableName, keys);
    sql += QLatin1Char(')');
    if (!runStep(*this, sql))
        return QStringLiteral("No se pudo crear la tabla ") + sNewTableName + QLatin1Char('.');

    QString copy = QStringLiteral("INSERT INTO ") + sqltext::bracket(sNewTableName) + QStringLiteral(" (") +
                   columns.join(QStringLiteral(", ")) + QStringLiteral(") SELECT ") + selected.join(QStringLiteral(", ")) +
                   QStringLiteral(" FROM ") + sqltext::bracket(source);
    if (numbersKept && connectionType_ == 0) {
        const QString identity = QStringLiteral("SET IDENTITY_INSERT ") + sqltext::bracket(sNewTableName);
        copy = identity + QStringLiteral(" ON;") + kCrLf + copy + QLatin1Char(';') + kCrLf + identity + QStringLiteral(" OFF");
    }
    if (!runStep(*this, copy)) {
        runStep(*this, QStringLiteral("DROP TABLE ") + sqltext::bracket(sNewTableName));
        return QStringLiteral("No se pudieron Copiar los campos a la nueva tabla. Puede encontrar aún los registros en la tabla ") +
               source;
    }
    if (!runStep(*this, QStringLiteral("DROP TABLE ") + sqltext::bracket(source)))
        return QStringLiteral("No se han podido eliminar los datos anteriores, que se encuentran en la tabla ") + source;

    for (int i = 1; i <= n; ++i)
        if (!applyFieldAttributes(*this, sNewTableName, *fieldAt(fields, i)))
            return kAttributesFailed;
    return QString();
}

// A local file's table is changed by its engine in one step that keeps what the
// change does not name: its own foreign keys, indexes, triggers, the references
// of other tables and every row. A failure changes nothing.
QString clsDO::ModifyLocalTable(const QString& sTableName, const QString& sNewTableName, const Collection& fields,
                                const Collection& oldFields)
{
    db::TableRebuild change;
    change.table = sTableName;
    change.newName = sNewTableName;
    QString sql = QStringLiteral("CREATE TABLE ") + sqltext::bracket(sNewTableName) + QStringLiteral(" (");
    QStringList keys;
    const int n = fields.Count();
    for (int i = 1; i <= n; ++i) {
        const clsFieldPtr f = fieldAt(fields, i);
        sql += columnDefinition(*this, *f);
        const bool storedColumn = oldFields.Exists(f->FieldName());
        if (storedColumn && f->FieldName() != f->NewFieldName())
            change.renamedColumns.emplace_back(f->FieldName(), f->NewFieldName());
        if (!f->AutoIncrease()) {
            change.columns << sqltext::bracket(f->NewFieldName());
            change.values << copyColumnExpression(*this, sTableName, f->FieldName(), f->NewFieldName(), oldFields, fields,
                                                  f->NewFieldName());
        } else if (storedColumn) {
            // Numbers a row already has are kept: other tables may refer to them.
            change.columns << sqltext::bracket(f->NewFieldName());
            change.values << sqltext::bracket(f->NewFieldName());
        }
        if (f->IsKey())
            keys << sqltext::bracket(f->NewFieldName());
        if (i < n || !keys.isEmpty())
            sql += QStringLiteral(", ");
    }
    if (!keys.isEmpty())
        sql += keyConstraint(sNewTableName, keys);
    change.createStatement = sql + QLatin1Char(')');

    bool done = false;
    if (OpenConnection(servidor_, baseDatos_, usuario_, contraseña_)) {
        InsertLog(QStringLiteral("ModifyTable"), change.createStatement, 1);
        done = trap([&] { connection_->backend().rebuildTable(change); },
                    [&](const Error& e) {
                        InsertLog(QStringLiteral("ModifyTable"),
                                  QStringLiteral("Error al intentar modificar la tabla ") + sTableName + kCrLf + e.description, 4);
                    });
    }
    CloseConnection();
    if (!done)
        return QStringLiteral("No se pudo crear la tabla ") + sNewTableName + QLatin1Char('.');
    return QString();
}

bool clsDO::AddNewIndex(const QString& sTableName, const QString& sIndexName, bool bKey, bool bUnique, bool /*bIgnoreNulls*/,
                        const QString& sFieldsNames)
{
    const int kind = DialectKind();
    QString server = servidor_, database = baseDatos_, user = usuario_, password = contraseña_, table = sTableName;
    const CollectionPtr indexes = TableIndexes(server, database, user, password, table);
    // A failed drop stops here and the old index stays: false, or the
    // engine's refusal with its reason for the caller.
    if (ExisteClaveColeccion(Variant(indexes), sIndexName) && !RemoveIndex(sTableName, sIndexName, bKey).toBool())
        return false;

    const QString columns = sFieldsNames.split(QLatin1Char('#')).join(QStringLiteral(", "));
    const QString unique = bUnique ? QStringLiteral("UNIQUE") : QString();
    QString sql;
    if (kind == 0 || kind == 1) {
        const QString t = sqltext::bracket(sTableName);
        if (bKey)
            sql = QStringLiteral("ALTER TABLE ") + t + QLatin1Char(' ') + kCrLf + QStringLiteral("ADD CONSTRAINT ") +
                  keyName(sTableName) + QStringLiteral(" PRIMARY KEY (") + columns + QLatin1Char(')');
        else
            sql = QStringLiteral("CREATE ") + unique + QStringLiteral(" INDEX ") + sIndexName + QLatin1Char(' ') + kCrLf +
                  QStringLiteral("ON ") + t + QStringLiteral(" (") + columns + QLatin1Char(')');
    } else if (kind == 2) {
        if (bKey)
            sql = QStringLiteral("ALTER TABLE ") + sTableName + QLatin1Char(' ') + kCrLf + QStringLiteral("ADD CONSTRAINT PK_") +
                  sTableName + QStringLiteral(" PRIMARY KEY (") + columns + QLatin1Char(')');
        else
            sql = QStringLiteral("CREATE ") + unique + QStringLiteral(" INDEX ") + sIndexName + QLatin1Char(' ') + kCrLf +
                  QStringLiteral("ON ") + sTableName + QStringLiteral(" (") + columns + QLatin1Char(')');
    }
    // A dialect without index statements has nothing to run. An engine's refusal reaches the caller with its reason.
    return !sql.isEmpty() && Execute(sql);
}

Variant clsDO::RemoveIndex(const QString& sTableName, const QString& sIndexName, bool bKey)
{
    const int kind = DialectKind();
    QString server = servidor_, database = baseDatos_, user = usuario_, password = contraseña_, table = sTableName;
    const CollectionPtr indexes = TableIndexes(server, database, user, password, table);
    // Nothing to drop is no success: nothing is sent and the answer is false.
    if (!ExisteClaveColeccion(Variant(indexes), sIndexName))
        return Variant(false);

    QString sql;
    if (kind == 0 || kind == 1) {
        const QString t = sqltext::bracket(sTableName);
        sql = bKey ? QStringLiteral("ALTER TABLE ") + t + QLatin1Char(' ') + kCrLf + QStringLiteral("DROP CONSTRAINT ") + sIndexName
                   : QStringLiteral("DROP INDEX ") + sIndexName + QStringLiteral(" ON ") + t;
    } else if (kind == 2) {
        sql = bKey ? QStringLiteral("ALTER TABLE ") + sTableName + QLatin1Char(' ') + kCrLf + QStringLiteral("DROP PRIMARY KEY")
                   : QStringLiteral("DROP INDEX ") + sIndexName;
    } else {
        return Variant(false);
    }
    return Variant(Execute(sql));
}
