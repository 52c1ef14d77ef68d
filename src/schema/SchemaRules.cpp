#include "schema/SchemaRules.h"

#include "core/CollectionHelpers.h"
#include "core/Error.h"

#include <QSet>
#include <array>

namespace schema {

namespace {

struct TypeRow {
    int code;
    const char* item;
    const char* name;
    const char* defaultLength;
};

// List order of the type list; the table list's names beside each code.
constexpr std::array<TypeRow, 10> kTypes{{
    {11, "Boolean", "Booleano", "1"},
    {17, "Byte", "Byte", "1"},
    {2, "Integer", "Entero", "2"},
    {3, "Long", "Entero largo", "4"},
    {6, "Currency", "Moneda", "8"},
    {4, "Single", "Precisión Sencilla", "4"},
    {5, "Double / Float", "Precisión Doble", "8"},
    {7, "DateTime", "Fecha", "8"},
    {8, "Text", "Texto", "50"},
    {12, "Binary", "Binario", "0"},
}};

const QString kSaveCancelled = QStringLiteral("\r\n\r\nSe anula el guardado de la tabla.");

} // namespace

QString DataTypeName(int fieldTypeCode)
{
    for (const TypeRow& t : kTypes)
        if (t.code == fieldTypeCode)
            return QString::fromUtf8(t.name);
    return QString();
}

QString SizeText(const QString& size)
{
    if (size == QLatin1String("0"))
        return QStringLiteral("-");
    if (size == QLatin1String("2147483647"))
        return QStringLiteral("(memo)");
    return size;
}

const QStringList& FieldTypeItems()
{
    static const QStringList items = [] {
        QStringList l;
        for (const TypeRow& t : kTypes)
            l << QString::fromUtf8(t.item);
        return l;
    }();
    return items;
}

int FieldTypeCodeAt(int index)
{
    return index >= 0 && index < int(kTypes.size()) ? kTypes[std::size_t(index)].code : 0;
}

int FieldTypeIndex(int fieldTypeCode)
{
    for (std::size_t i = 0; i < kTypes.size(); ++i)
        if (kTypes[i].code == fieldTypeCode)
            return int(i);
    return 0;
}

QString EvaluateFieldType(int index, const QString& listTag, TypeControls& c)
{
    if (index < 0 || index >= int(kTypes.size()))
        return QString();
    const TypeRow& t = kTypes[std::size_t(index)];
    const QString item = QString::fromUtf8(t.item);
    if (item != listTag)
        c.length = QString::fromUtf8(t.defaultLength);

    const bool text = index == kTextTypeIndex;
    const bool isLong = index == kLongTypeIndex;
    c.lengthEnabled = text;
    c.fixedEnabled = text;
    if (!text)
        c.fixed = false;
    c.autoIncreaseEnabled = isLong;
    if (!isLong)
        c.autoIncrease = false;
    c.zeroLengthEnabled = text;
    if (!text)
        c.zeroLength = false;
    // A Boolean never takes nulls, nor does a counter.
    if (index == 0 || (isLong && c.autoIncrease)) {
        c.nulls = false;
        c.nullsEnabled = false;
    } else {
        c.nullsEnabled = true;
    }
    return item;
}

clsFieldPtr FieldAt(const Collection& fields, int position)
{
    auto f = fields.Item(Variant(std::int32_t(position))).as<clsField>();
    if (!f)
        raise(Error::ObjectRequired, QStringLiteral("Se requiere un objeto"));
    return f;
}

int PositionFromNumber(double position)
{
    if (!(position >= 1))
        return 1;
    if (position > 32767)
        return 32767;
    return int(position);
}

void RenumberFields(Collection& fields)
{
    for (int i = 1; i <= fields.Count(); ++i)
        FieldAt(fields, i)->setOrdinalPosition(i);
}

void PlaceField(Collection& fields, const clsFieldPtr& field, int position)
{
    if (position > fields.Count())
        fields.Add(Variant(field), field->KeyCode());
    else
        fields.Add(Variant(field), field->KeyCode(), Variant(std::int32_t(std::max(position, 1))));
    RenumberFields(fields);
}

bool MoveField(Collection& fields, const QString& keyCode, int position)
{
    auto field = fields.Item(Variant(keyCode)).as<clsField>();
    if (!field || field->OrdinalPosition() == position)
        return false;
    field->setOrdinalPosition(position);
    fields.Remove(Variant(keyCode));
    PlaceField(fields, field, position);
    return true;
}

QString IndexGuardMessage(const Collection* savedIndexes, const QStringList& markedNames)
{
    if (!savedIndexes)
        return QString();
    for (const QString& marked : markedNames) {
        const QString name = marked.trimmed();
        for (const Variant& v : *savedIndexes) {
            const auto index = v.as<Collection>();
            const CollectionPtr indexFields = SubCollection(index.get(), QStringLiteral("IndexFields"));
            if (!indexFields)
                continue;
            for (const Variant& f : *indexFields) {
                const QString field = f.toString();
                if (field.compare(name, Qt::CaseInsensitive) == 0)
                    return QStringLiteral("El campo ") + BraceBlock(1, field) +
                           QStringLiteral(" no se puede eliminar porque está incluido en el índice ") +
                           BraceBlock(2, TextOf(index.get(), QStringLiteral("IndexName"))) +
                           QStringLiteral(". Para eliminarlo debe quitarlo previamente de dicho índice.");
            }
        }
    }
    return QString();
}

QStringList KeyFromMarks(Collection& fields, const std::vector<bool>& marked, const QStringList& rowNames)
{
    QStringList keys;
    for (int i = 1; i <= fields.Count(); ++i) {
        const bool on = std::size_t(i - 1) < marked.size() && marked[std::size_t(i - 1)];
        if (on)
            keys << rowNames.value(i - 1).trimmed();
        FieldAt(fields, i)->setIsKey(on);
    }
    return keys;
}

ZeroLengthState ZeroLengthRule(int typeIndex, bool sqlServer, bool nullsTicked, bool currentValue)
{
    if (typeIndex == kTextTypeIndex) {
        if (sqlServer)
            return {false, nullsTicked, true};
        return {true, currentValue, false};
    }
    return {false, false, true};
}

QString SaveRefusal(const Collection& fields, int connectionType)
{
    if (connectionType < 0 || connectionType > 2)
        return QStringLiteral("Este tipo de conexión no permite crear ni modificar tablas.") + kSaveCancelled;
    QSet<QString> seen;
    for (int i = 1; i <= fields.Count(); ++i) {
        const QString name = FieldAt(fields, i)->NewFieldName().trimmed();
        if (name.isEmpty())
            return QStringLiteral("El campo de la posición ") + BraceBlock(1, QString::number(i)) +
                   QStringLiteral(" no tiene nombre.") + kSaveCancelled;
        const QString folded = Collection::foldKey(name);
        if (seen.contains(folded))
            return QStringLiteral("Hay más de un campo con el nombre ") + BraceBlock(1, name) + QLatin1Char('.') +
                   kSaveCancelled;
        seen.insert(folded);
    }
    return QString();
}

IndexReAddPlan PlanIndexReAdd(const Collection* savedIndexes, const Collection& fields)
{
    IndexReAddPlan plan;
    if (!savedIndexes)
        return plan;
    for (const Variant& v : *savedIndexes) {
        const auto index = v.as<Collection>();
        if (!index || FlagOf(index.get(), QStringLiteral("IsPrimaryKey")))
            continue;
        const QString name = TextOf(index.get(), QStringLiteral("IndexName"));
        // The local engine names the indexes of its UNIQUE clauses itself; no statement can make them.
        bool restorable = !name.startsWith(QLatin1String("sqlite_autoindex_"), Qt::CaseInsensitive);
        QStringList columns;
        const CollectionPtr indexFields = SubCollection(index.get(), QStringLiteral("IndexFields"));
        if (indexFields) {
            for (const Variant& c : *indexFields) {
                const QString column = c.toString();
                clsFieldPtr match;
                for (int i = 1; i <= fields.Count() && !match; ++i) {
                    const clsFieldPtr f = FieldAt(fields, i);
                    if (f->FieldName().compare(column, Qt::CaseInsensitive) == 0)
                        match = f;
                }
                if (!match) {
                    restorable = false;
                    break;
                }
                columns << match->NewFieldName();
            }
        }
        if (restorable && !columns.isEmpty())
            plan.restore.push_back({name, FlagOf(index.get(), QStringLiteral("IsUnique")),
                                    FlagOf(index.get(), QStringLiteral("IsNullable")), columns.join(QLatin1Char('#'))});
        else
            plan.lost << name;
    }
    return plan;
}

QString IndexesNotRestoredMessage(const QString& table, const QStringList& lost)
{
    return QStringLiteral("La tabla ") + BraceBlock(1, table) +
           QStringLiteral(" se ha guardado, pero no se han podido volver a crear los índices ") +
           BraceBlock(2, lost.join(QStringLiteral(", "))) + QLatin1Char('.');
}

QString WithReason(const QString& message, const QString& reason)
{
    return reason.isEmpty() ? message : message + kCrLf + kCrLf + BraceBlock(2, reason);
}

QString IndexNotRestoredMessage(const QString& table, const QString& index)
{
    return QStringLiteral("No se ha podido volver a crear el índice ") + BraceBlock(1, index) +
           QStringLiteral(", por lo que no se ha guardado ningún cambio de la tabla ") + BraceBlock(3, table) +
           QLatin1Char('.');
}

std::vector<int> FilterTables(const Collection& tables, const QString& search)
{
    std::vector<int> out;
    const QString wanted = search.toUpper();
    int i = 0;
    for (const Variant& v : tables) {
        ++i;
        if (TextOf(v.as<Collection>().get(), QStringLiteral("Name")).toUpper().contains(wanted))
            out.push_back(i);
    }
    return out;
}

void ReplaceItem(Collection& c, int p, const Variant& item, const QString& key)
{
    if (p == c.Count()) {
        c.Remove(Variant(std::int32_t(p)));
        c.Add(item, key);
    } else {
        c.Remove(Variant(std::int32_t(p)));
        c.Add(item, key, Variant(std::int32_t(p)));
    }
}

int SortedPosition(const QStringList& names, const QString& name)
{
    for (int i = 0; i < names.size(); ++i)
        if (QString::compare(names[i], name, Qt::CaseSensitive) > 0)
            return i + 1;
    return int(names.size()) + 1;
}

void AddSorted(Collection& indexFields, const QString& name)
{
    QStringList names;
    for (const Variant& v : indexFields)
        names << v.toString();
    const int position = SortedPosition(names, name);
    if (position > indexFields.Count())
        indexFields.Add(Variant(name), name);
    else
        indexFields.Add(Variant(name), name, Variant(std::int32_t(position)));
}

QStringList AvailableFields(const Collection* tableFields, const Collection* indexFields)
{
    QStringList out;
    if (!tableFields)
        return out;
    for (const Variant& v : *tableFields) {
        const QString name = TextOf(v.as<Collection>().get(), QStringLiteral("Name"));
        if (!indexFields || !indexFields->Exists(name))
            out << name;
    }
    return out;
}

CollectionPtr SubCollection(const Collection* item, const QString& key)
{
    if (!item || !item->Exists(key))
        return nullptr;
    return item->Item(Variant(key)).as<Collection>();
}

QString TextOf(const Collection* item, const QString& key)
{
    if (!item || !item->Exists(key))
        return QString();
    const Variant& v = item->Item(Variant(key));
    return v.isNull() || v.isObject() ? QString() : v.toString();
}

bool FlagOf(const Collection* item, const QString& key)
{
    if (!item || !item->Exists(key))
        return false;
    const Variant& v = item->Item(Variant(key));
    return !v.isNull() && !v.isEmpty() && !v.isObject() && v.toBool();
}

} // namespace schema
