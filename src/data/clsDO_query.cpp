// Query: one SELECT on a connection of its own, shaped into the output form
// the caller names.
#include "data/clsDO.h"

#include "core/Dialogs.h"
#include "core/Error.h"
#include "core/ValueText.h"
#include "data/CsvText.h"
#include "platform/db/Db.h"

#include <vector>

namespace {

const QString kCrLf = QStringLiteral("\r\n");
const QString kCr = QStringLiteral("\r");
const QString kTab = QStringLiteral("\t");
const QString kSemicolon = QStringLiteral(";");
// The most cells "StringRows" loads in one call.
constexpr std::int64_t kCellLimit = 330000;

Variant longValue(std::int64_t n) { return Variant(std::int32_t(n)); }

// A three-element array (lower bound 0).
Variant triple(const Variant& a, const Variant& b, const Variant& c)
{
    auto r = std::make_shared<VArray>(0, 2);
    r->at(0) = a;
    r->at(1) = b;
    r->at(2) = c;
    return Variant(r);
}

VArrayPtr textArray(int count)
{
    auto a = std::make_shared<VArray>(0, count - 1);
    for (int i = 0; i < count; ++i)
        a->at(i) = Variant(QString());
    return a;
}

// The value as text, as concatenation would write it (Null as nothing).
QString valueText(const Variant& v) { return ValueText::displayText(v); }

// One text line per record: every value (tabs inside it turned into three
// blanks) followed by a tab.
CollectionPtr rowsToCollection(db::Recordset& rs)
{
    auto lines = newCollection();
    const int fields = rs.FieldCount();
    while (!rs.Eof()) {
        QString line;
        for (int i = 0; i < fields; ++i) {
            const Variant v = rs.value(i);
            if (!v.isNull())
                line += valueText(v).replace(kTab, QStringLiteral("   "));
            line += kTab;
        }
        lines->Add(Variant(line));
        rs.MoveNext();
    }
    return lines;
}

// The row text of a page; a page that came back without rows has none.
QString rowText(db::Recordset& rs) { return rs.Eof() ? QString() : rs.GetString(); }

// The record key of the collection forms: "#" before every key value.
QString keyPart(const Variant& v) { return QStringLiteral("#") + (v.isNull() ? QString() : valueText(v)); }

CollectionPtr countersItem(std::int32_t total)
{
    auto c = newCollection();
    c->Add(Variant(total), QStringLiteral("TotalRegistros"));
    c->Add(Variant(std::int16_t(1)), QStringLiteral("PosicionInicial"));
    c->Add(Variant(total), QStringLiteral("PosicionFinal"));
    return c;
}

// Index of the first column name equal to `name`, -1 when none is.
int columnIndex(const QStringList& names, const QString& name)
{
    for (int i = 0; i < names.size(); ++i)
        if (names.at(i) == name)
            return i;
    return -1;
}

// Key fields given by name become column indexes (the name after `prefix`),
// in the caller's variable too: a list only when its first element is a name,
// a single name that matches nothing becomes 0.
void resolveKeyFields(Variant& keyFields, const QStringList& names, const QString& prefix)
{
    if (keyFields.isArray()) {
        VArray& keys = *keyFields.array();
        if (keys.at(keys.lbound()).isNumeric())
            return;
        for (int k = keys.lbound(); k <= keys.ubound(); ++k) {
            const int idx = columnIndex(names, prefix + valueText(keys.at(k)));
            if (idx >= 0)
                keys.at(k) = Variant(std::int16_t(idx));
        }
    } else if (!keyFields.isNumeric()) {
        keyFields = Variant(std::int16_t(std::max(0, columnIndex(names, prefix + valueText(keyFields)))));
    }
}

// The key of the current record: "#" before every key field's value (a list
// element left as a name selects its field by name when `byName`), a single
// key field whose value is null gives "#0".
QString recordKey(db::Recordset& rs, const Variant& keyFields, bool byName)
{
    if (!keyFields.isArray()) {
        const Variant v = rs.value(keyFields.toInt());
        return v.isNull() ? QStringLiteral("#0") : keyPart(v);
    }
    QString key;
    const VArray& keys = *keyFields.array();
    for (int k = keys.lbound(); k <= keys.ubound(); ++k) {
        const Variant& kf = keys.at(k);
        key += keyPart(byName && !kf.isNumeric() ? rs.value(valueText(kf)) : rs.value(kf.toInt()));
    }
    return key;
}

// The statement with a marker after every SELECT keyword outside string
// literals and bracketed names.
QString markSelects(const QString& sql, const QString& marker)
{
    QString out;
    out.reserve(sql.size() + 32);
    const qsizetype n = sql.size();
    auto isWordChar = [](QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_'); };
    for (qsizetype i = 0; i < n;) {
        const QChar c = sql.at(i);
        if (c == QLatin1Char('\'') || c == QLatin1Char('"') || c == QLatin1Char('[')) {
            const QChar close = c == QLatin1Char('[') ? QLatin1Char(']') : c;
            qsizetype j = i + 1;
            while (j < n) {
                if (sql.at(j) == close) {
                    if (close != QLatin1Char(']') && j + 1 < n && sql.at(j + 1) == close) {
                        j += 2; // a doubled quote stays inside the literal
                        continue;
                    }
                    break;
                }
                ++j;
            }
            j = std::min(j + 1, n);
            out += sql.mid(i, j - i);
            i = j;
            continue;
        }
        if (i + 6 <= n && sql.mid(i, 6).compare(QLatin1String("SELECT"), Qt::CaseInsensitive) == 0 &&
            (i == 0 || !isWordChar(sql.at(i - 1))) && (i + 6 == n || !isWordChar(sql.at(i + 6)))) {
            out += sql.mid(i, 6) + QLatin1Char(' ') + marker;
            i += 6;
            continue;
        }
        out += c;
        ++i;
    }
    return out;
}

// The keys of an ORDER BY list (without the words ORDER BY), split at commas
// outside parentheses, literals and brackets.
QStringList orderKeys(const QString& list)
{
    QStringList keys;
    QString current;
    int depth = 0;
    QChar quote;
    for (const QChar c : list) {
        if (!quote.isNull()) {
            current += c;
            if (c == quote)
                quote = QChar();
            continue;
        }
        if (c == QLatin1Char('\'') || c == QLatin1Char('"'))
            quote = c;
        else if (c == QLatin1Char('['))
            quote = QLatin1Char(']');
        else if (c == QLatin1Char('('))
            ++depth;
        else if (c == QLatin1Char(')'))
            --depth;
        else if (c == QLatin1Char(',') && depth == 0) {
            keys << current.trimmed();
            current.clear();
            continue;
        }
        current += c;
    }
    keys << current.trimmed();
    return keys;
}

// The two order clauses of the page queries: the inner query runs every key
// the other way round, the page query restores the statement's own order.
void pagingOrder(const QString& orderClause, QString& inner, QString& outer)
{
    const QStringList keys = orderKeys(orderClause.mid(8)); // after "ORDER BY"
    QStringList in, out;
    for (QString key : keys) {
        bool descending = false;
        const QString upper = key.toUpper();
        if (upper.endsWith(QLatin1String(" DESC"))) {
            descending = true;
            key.chop(5);
        } else if (upper.endsWith(QLatin1String(" ASC"))) {
            key.chop(4);
        }
        key = key.trimmed();
        in << key + (descending ? QStringLiteral(" ASC") : QStringLiteral(" DESC"));
        out << key + (descending ? QStringLiteral(" DESC") : QStringLiteral(" ASC"));
    }
    inner = QStringLiteral("ORDER BY ") + in.join(QStringLiteral(", "));
    outer = QStringLiteral("ORDER BY ") + out.join(QStringLiteral(", "));
}

// The statement of "StringRows" limited to n records through TOP.
QString limitStatement(const QString& statement, std::int64_t n)
{
    QString sql = statement;
    // Leading blanks would shift the keyword the rewrite cuts after.
    while (!sql.isEmpty() && sql.at(0).isSpace())
        sql.remove(0, 1);
    QString blanks = sql;
    for (QChar& c : blanks)
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n') || c == QLatin1Char('\t'))
            c = QLatin1Char(' ');
    const QString count = QString::number(n);
    const qsizetype top = blanks.indexOf(QLatin1String(" TOP "), 0, Qt::CaseInsensitive);
    if (top >= 0) {
        qsizetype start = top + 5;
        while (start < sql.size() && sql.at(start).isSpace())
            ++start;
        qsizetype end = start;
        while (end < sql.size() && sql.at(end).isDigit())
            ++end;
        return sql.left(start) + count + sql.mid(end);
    }
    QString compact = sql;
    compact.remove(QLatin1Char(' '));
    if (compact.startsWith(QLatin1String("SELECTDISTINCT"), Qt::CaseInsensitive)) {
        const qsizetype d = sql.indexOf(QLatin1String("DISTINCT"), 0, Qt::CaseInsensitive);
        return QStringLiteral("SELECT DISTINCT TOP ") + count + sql.mid(d + 8);
    }
    return QStringLiteral("SELECT TOP ") + count + sql.mid(6);
}

} // namespace

// One call of Query: the caller's statement (StringRows and the sheet pages
// rewrite it in place) and the arguments of the keyed and sheet forms.
struct QueryCall {
    QString& sql;
    Variant& keyFields;
    bool counters;
    bool useKey;
    bool names;
    std::int32_t knownRows;
    std::int32_t knownColumns;
    const QString& knownHeader;
};

// The output forms of Query, one function each. The frame opens the statement
// once, with the cursor and lock the form asks for, and the form reads its
// result from that one record set.
struct QueryForms {
    using Reader = Variant (*)(clsDO&, QueryCall&);
    enum class OnFailure { Empty, Nothing, Keep };
    struct Form {
        QLatin1StringView word;
        bool opensStatement; // false: the form runs what it needs itself
        int cursor;
        int lock;
        OnFailure onFailure;
        Reader read;
        bool keepsRecordset = false; // the record-set forms hand the record set out
    };
    static const Form* find(const QString& word);

    static Variant gridArray(clsDO& o, QueryCall&) { return Variant(rowsToCollection(*o.recordset_)); }
    static Variant biDimArray(clsDO& o, QueryCall&) { return Variant(o.recordset_->GetRows()); }
    static Variant stringRows2Array(clsDO& o, QueryCall& c);
    static Variant stringRows(clsDO& o, QueryCall& c);
    static Variant recordset(clsDO& o, QueryCall& c);
    static Variant scopeIdentity(clsDO& o, QueryCall& c);
    static Variant csv(clsDO& o, QueryCall& c);
    static Variant csv2(clsDO& o, QueryCall& c);
    static Variant straightToExcel(clsDO& o, QueryCall& c);
    static Variant collection(clsDO& o, QueryCall& c);
    static Variant collection2(clsDO& o, QueryCall& c);
    static Variant sheetPages(clsDO& o, QueryCall& c);
    static Variant sheetPagesKnown(clsDO& o, QueryCall& c);
    // The pages of a result of N records and F fields; `open` tells whether
    // the record set already holds the statement's rows.
    static Variant pages(clsDO& o, QueryCall& c, std::int64_t N, std::int64_t F, const QString& header, bool open);
};

const QueryForms::Form* QueryForms::find(const QString& word)
{
    using F = QueryForms;
    using db::adLockOptimistic, db::adLockReadOnly, db::adOpenDynamic, db::adOpenForwardOnly, db::adOpenStatic;
    static const Form forms[] = {
        {QLatin1StringView("GridArray"), true, adOpenForwardOnly, adLockReadOnly, OnFailure::Nothing, F::gridArray},
        {QLatin1StringView("BiDimArray"), true, adOpenForwardOnly, adLockReadOnly, OnFailure::Empty, F::biDimArray},
        {QLatin1StringView("StringRows2Array"), true, adOpenForwardOnly, adLockReadOnly, OnFailure::Empty,
         F::stringRows2Array},
        {QLatin1StringView("StringRows"), true, adOpenStatic, adLockReadOnly, OnFailure::Empty, F::stringRows},
        {QLatin1StringView("Recordset"), true, adOpenDynamic, adLockOptimistic, OnFailure::Nothing, F::recordset, true},
        // There is no data-shaping provider here: "ShapeRecordset" opens as "Recordset" does.
        {QLatin1StringView("ShapeRecordset"), true, adOpenDynamic, adLockOptimistic, OnFailure::Nothing, F::recordset,
         true},
        {QLatin1StringView("GetScopeIdentity"), true, adOpenForwardOnly, adLockReadOnly, OnFailure::Empty,
         F::scopeIdentity},
        {QLatin1StringView("CSV"), true, adOpenForwardOnly, adLockReadOnly, OnFailure::Empty, F::csv},
        {QLatin1StringView("CSV2"), true, adOpenForwardOnly, adLockReadOnly, OnFailure::Empty, F::csv2},
        {QLatin1StringView("StraightToExcel :)"), false, 0, 0, OnFailure::Empty, F::straightToExcel},
        {QLatin1StringView("Collection"), true, adOpenForwardOnly, adLockReadOnly, OnFailure::Nothing, F::collection},
        {QLatin1StringView("Collection2"), true, adOpenForwardOnly, adLockOptimistic, OnFailure::Nothing,
         F::collection2},
        {QLatin1StringView("StringRowsExcel"), true, adOpenStatic, adLockReadOnly, OnFailure::Empty, F::sheetPages},
        {QLatin1StringView("StringRowsExcelCellCount"), false, 0, 0, OnFailure::Keep, F::sheetPagesKnown},
    };
    for (const Form& f : forms)
        if (word == f.word) // the words compare exactly, case included
            return &f;
    return nullptr;
}

std::unique_ptr<db::RowReader> clsDO::OpenReader(const QString& sSQL, bool settledTypes, QString sServer,
                                                QString sBBDD, QString sUID, QString sPassword)
{
    FallBack(sServer, sBBDD, sUID, sPassword);
    if (!OpenConnection(sServer, sBBDD, sUID, sPassword))
        return nullptr;
    InsertLog(QStringLiteral("query"), sSQL, 1);
    std::unique_ptr<db::RowReader> reader;
    try {
        reader = std::make_unique<db::RowReader>(sSQL, connection_, settledTypes);
    } catch (const Error& e) {
        CloseConnection();
        InsertLog(QStringLiteral("query"), QStringLiteral("Error en el metodo Query --> ") + e.description, 4);
        raise(e.number, e.description, QStringLiteral("Zolt.clsDO.Execute"));
    }
    // The reader holds the connection now; it closes when the reader goes.
    if (!transactionOpen_)
        connection_.reset();
    return reader;
}

Variant clsDO::Query(ByRef<QString> sSQL, ByRef<QString> sServer, ByRef<QString> sBBDD, ByRef<QString> sUID,
                     ByRef<QString> sPassword, const QString& sExitType, ByRef<Variant> KeyFields, bool Counters,
                     bool UseKey, bool Names, std::int32_t lExcelKnownRows, std::int32_t lExcelKnownColumns,
                     const QString& sExcelKnownHeader)
{
    FallBack(*sServer, *sBBDD, *sUID, *sPassword);
    recordset_ = std::make_shared<db::Recordset>();
    if (!OpenConnection(*sServer, *sBBDD, *sUID, *sPassword))
        return Variant();
    InsertLog(QStringLiteral("query"), *sSQL, 1);

    Variant result;
    const QueryForms::Form* form = QueryForms::find(sExitType);
    try {
        if (form) {
            QueryCall call{*sSQL, *KeyFields, Counters, UseKey, Names, lExcelKnownRows, lExcelKnownColumns,
                           sExcelKnownHeader};
            if (form->opensStatement)
                recordset_->Open(*sSQL, connection_, form->cursor, form->lock);
            result = form->read(*this, call);
            if (form->keepsRecordset) {
                CloseConnection();
                return result; // the object keeps the record set until the next Query
            }
            if (recordset_->State() == db::adStateOpen)
                recordset_->Close();
        }
    } catch (const Error& e) {
        if (form && form->onFailure == QueryForms::OnFailure::Nothing)
            result = Variant::nothing();
        else if (!form || form->onFailure == QueryForms::OnFailure::Empty)
            result = Variant();
        CloseConnection();
        recordset_.reset();
        if (e.number == db::errNoCurrentRecord)
            return result;
        InsertLog(QStringLiteral("query"), QStringLiteral("Error en el metodo Query --> ") + e.description, 4);
        // The source the callers of Query are written against.
        raise(e.number, e.description, QStringLiteral("Zolt.clsDO.Execute"));
    }

    CloseConnection();
    recordset_.reset();
    return result;
}

Variant QueryForms::stringRows2Array(clsDO& o, QueryCall&)
{
    QString text = o.recordset_->GetString();
    text.remove(QLatin1Char('\n'));
    const QStringList rows = text.split(kCr);
    auto a = std::make_shared<VArray>(0, int(rows.size()) - 1);
    for (int i = 0; i < rows.size(); ++i)
        a->at(i) = Variant(rows.at(i));
    return Variant(a);
}

// The record count and field count of the one opened record set; beyond the
// cell limit only the first records are taken, and a SELECT is rewritten to
// ask for just those (the caller's statement changes).
Variant QueryForms::stringRows(clsDO& o, QueryCall& c)
{
    db::Recordset& rs = *o.recordset_;
    std::int64_t records = rs.RecordCount();
    const std::int64_t fields = rs.FieldCount();
    qint64 take = -1; // all records
    if (fields * records > kCellLimit) {
        const std::int64_t n = kCellLimit / fields;
        SystemMsgBox(QStringLiteral("Se han encontrado ") + QString::number(records) +
                         QStringLiteral(" registros, pero por limitaciones") + kCrLf +
                         QStringLiteral("de memoria local solo se cargarán los ") + QString::number(n) +
                         QStringLiteral(" primeros."),
                     0, QString());
        records = n;
        if (c.sql.trimmed().startsWith(QLatin1String("SELECT"), Qt::CaseInsensitive)) {
            c.sql = limitStatement(c.sql, n);
            take = n;
        }
        o.InsertLog(QStringLiteral("query"),
                    QStringLiteral("Limitacion de numero de registros, el recordset contiene ") +
                        QString::number(fields) + QStringLiteral(" y solo se pueden mostrar ") +
                        QString::number(kCellLimit) + QStringLiteral(" SQL -> ") + c.sql,
                    1);
    }
    if (records < 1)
        return triple(longValue(records), longValue(fields), Variant(QString()));
    return triple(longValue(records), longValue(fields), Variant(rs.GetString(db::adClipString, take)));
}

Variant QueryForms::recordset(clsDO& o, QueryCall&)
{
    // With a client-side cursor the record set stays usable without its connection.
    o.recordset_->setActiveConnection(nullptr);
    return Variant(o.recordset_);
}

// The insert has run when the frame opened it; the identity comes from a
// statement of its own on the same connection.
Variant QueryForms::scopeIdentity(clsDO& o, QueryCall&)
{
    db::Recordset& rs = *o.recordset_;
    // An insert gives no rows, so its record set may already be closed.
    if (rs.State() == db::adStateOpen)
        rs.Close();
    rs.Open(QStringLiteral("select  SCOPE_IDENTITY()"), o.connection_, db::adOpenForwardOnly, db::adLockReadOnly);
    return rs.Eof() ? Variant(std::int32_t(-1)) : rs.value(0);
}

// The names and the rows come from the one reading; a value keeps its tab,
// and one holding ";", '"' or a line break is quoted.
Variant QueryForms::csv(clsDO& o, QueryCall&)
{
    const db::ResultSet& r = *o.recordset_->result();
    if (r.rowCount() < 1)
        return Variant(QString());
    QString text;
    for (int i = 0; i < r.columnCount(); ++i) {
        if (i > 0)
            text += kSemicolon;
        csvtext::appendField(text, r.fields[std::size_t(i)].name, kSemicolon);
    }
    QByteArray rows;
    csvtext::appendRows(rows, r, 0, r.rowCount(), ";", "", "\r");
    return Variant(text + kCrLf + QString::fromUtf8(rows));
}

Variant QueryForms::csv2(clsDO& o, QueryCall&)
{
    const db::ResultSet& r = *o.recordset_->result();
    // No rows: an empty value, as the no-current-record end of the call gives.
    if (r.rowCount() < 1)
        return Variant();
    QByteArray rows;
    csvtext::appendRows(rows, r, 0, r.rowCount(), ";", "--", "\r\n");
    return Variant(QString::fromUtf8(rows));
}

// The statement writes its rows to a spreadsheet itself; the stored
// connection values apply, not the ones given to Query.
Variant QueryForms::straightToExcel(clsDO& o, QueryCall& c)
{
    std::int32_t affected = 0;
    o.Execute(c.sql, QString(), QString(), QString(), QString(), affected, false);
    return Variant(affected);
}

Variant QueryForms::collection(clsDO& o, QueryCall& c)
{
    db::Recordset& rs = *o.recordset_;
    QString& sSQL = c.sql;
    Variant& KeyFields = c.keyFields;
    if (rs.RecordCount() == 0) {
        rs.Close();
        return Variant::nothing();
    }

    const VArrayPtr items = o.Parsing(sSQL).array();
    const int fieldCount = rs.FieldCount();
    const int itemCount = items->count();
    QStringList names;
    for (int i = 0; i < fieldCount; ++i) {
        const QString field = rs.Fields(i).Name();
        QString name;
        if (itemCount == fieldCount) {
            QString item = items->at(items->lbound() + i).toString();
            name = (item.contains(QLatin1Char('*')) ? item.replace(QLatin1Char('*'), field) : item).trimmed();
        } else {
            const int last = std::min(i, itemCount - 1);
            bool found = false;
            for (int j = 0; j <= last && !found; ++j) {
                const QString item = items->at(items->lbound() + j).toString();
                if (item.contains(QLatin1Char('.') + field)) {
                    name = item.trimmed();
                    found = true;
                }
            }
            for (int j = 0; j <= last && !found; ++j) {
                QString item = items->at(items->lbound() + j).toString();
                if (item.contains(QLatin1Char('*'))) {
                    name = item.replace(QLatin1Char('*'), field).trimmed();
                    found = true;
                }
            }
        }
        names << name;
    }

    // A key field named without its table takes the table of the first column.
    const Variant firstKey = KeyFields.isArray() ? KeyFields.array()->at(0) : KeyFields;
    QString prefix;
    if (names.first().contains(QLatin1Char('.')) && !valueText(firstKey).contains(QLatin1Char('.')))
        prefix = names.first().left(names.first().indexOf(QLatin1Char('.')) + 1);
    resolveKeyFields(KeyFields, names, prefix);

    auto result = newCollection();
    std::int32_t total = 0;
    while (!rs.Eof()) {
        auto record = newCollection();
        for (int i = 0; i < fieldCount; ++i)
            record->Add(rs.value(i), names.at(i));
        result->Add(Variant(record), recordKey(rs, KeyFields, true));
        ++total;
        rs.MoveNext();
    }
    if (c.counters)
        result->Add(Variant(countersItem(total)), QStringLiteral("ContadoresCampos"));
    rs.Close();
    return Variant(result);
}

Variant QueryForms::collection2(clsDO& o, QueryCall& c)
{
    db::Recordset& rs = *o.recordset_;
    const QString& sSQL = c.sql;
    Variant& KeyFields = c.keyFields;
    const bool UseKey = c.useKey;
    if (rs.RecordCount() <= 0) {
        rs.Close();
        return Variant(newCollection());
    }

    QString mainTable;
    const qsizetype from = sSQL.indexOf(QLatin1String(" FROM "), 0, Qt::CaseInsensitive);
    if (from >= 0) {
        mainTable = sSQL.mid(from + 6).trimmed();
        mainTable = mainTable.left(mainTable.indexOf(QLatin1Char(' ')) < 0 ? mainTable.size()
                                                                           : mainTable.indexOf(QLatin1Char(' ')));
        if (mainTable.endsWith(QLatin1Char(',')))
            mainTable.chop(1);
    }

    const int fieldCount = rs.FieldCount();
    QStringList names;
    QString prefix;
    for (int i = 0; i < fieldCount; ++i) {
        const db::Field f = rs.Fields(i);
        const QString baseColumn = f.BaseColumnName().trimmed().toUpper();
        if (!baseColumn.isEmpty() && !f.BaseTableName().isEmpty() && baseColumn == f.Name().trimmed().toUpper())
            prefix = f.BaseTableName() + QLatin1Char('.');
        else if (!mainTable.isEmpty() && !mainTable.contains(QLatin1Char('(')))
            prefix = mainTable + QLatin1Char('.');
        names << prefix + f.Name();
    }

    if (UseKey)
        resolveKeyFields(KeyFields, names, QString());

    auto result = newCollection();
    std::int32_t total = 0;
    while (!rs.Eof()) {
        auto record = newCollection();
        for (int i = 0; i < fieldCount; ++i)
            record->Add(rs.value(i), names.at(i));
        // Every list element is a field index here: a name left in the list fails the call.
        if (!UseKey)
            result->Add(Variant(record));
        else
            result->Add(Variant(record), recordKey(rs, KeyFields, false));
        ++total;
        rs.MoveNext();
    }
    if (c.counters)
        result->Add(Variant(countersItem(total)), QStringLiteral("ContadoresCampos"));
    if (c.names) {
        auto fieldNames = newCollection();
        for (int i = 0; i < fieldCount; ++i)
            fieldNames->Add(Variant(rs.Fields(i).Name()), names.at(i));
        result->Add(Variant(fieldNames), QStringLiteral("NombresCampos"));
    }
    rs.Close();
    return Variant(result);
}

bool clsDO::PagingAllowed(const QString& sSQL, std::int64_t rows)
{
    return PagingAllowed(sSQL, rows, [rows] { return rows; });
}

bool clsDO::PagingAllowed(const QString& sSQL, std::int64_t atLeast, const std::function<std::int64_t()>& total)
{
    if (atLeast <= GetMaxExcelRows() || sSQL.contains(QLatin1String("ORDER BY")))
        return true;
    const QString message = QStringLiteral("Se han encontrado ") + QString::number(total()) +
                            QStringLiteral(" registros, debido a que no existe ordenación en la sentencia SQL, no "
                                           "se puede realizar paginación.");
    InsertLog(QStringLiteral("query"), message, 1);
    SystemMsgBox(message, 0, QString());
    return false;
}

// "StringRowsExcel": the counts and the header come from the one opened
// record set, which also gives the rows of a result that fits one page.
Variant QueryForms::sheetPages(clsDO& o, QueryCall& c)
{
    db::Recordset& rs = *o.recordset_;
    const std::int64_t N = rs.RecordCount();
    const std::int64_t F = rs.FieldCount();
    QString header;
    if (N > 0) {
        for (int i = 0; i < F; ++i)
            header += rs.Fields(i).Name() + kTab;
        header += kCrLf;
    }
    return pages(o, c, N, F, header, true);
}

// "StringRowsExcelCellCount": the caller knows the counts and the header.
Variant QueryForms::sheetPagesKnown(clsDO& o, QueryCall& c)
{
    return pages(o, c, c.knownRows, c.knownColumns, c.knownHeader, false);
}

Variant QueryForms::pages(clsDO& o, QueryCall& c, std::int64_t N, std::int64_t F, const QString& header, bool open)
{
    db::Recordset& rs = *o.recordset_;
    const QString& sSQL = c.sql;
    const std::int64_t P = o.GetMaxExcelRows();
    if (N < 1)
        return triple(longValue(N), longValue(F), Variant(textArray(1)));

    if (N <= P) {
        if (!open)
            rs.Open(sSQL, o.connection_, db::adOpenForwardOnly, db::adLockReadOnly);
        const QString rows = rowText(rs);
        auto pages = textArray(1);
        if (rows != kCr && !rows.isEmpty())
            pages->at(0) = Variant(header + rows);
        return triple(longValue(N), longValue(F), Variant(pages));
    }
    if (rs.State() == db::adStateOpen)
        rs.Close(); // the pages are read by page statements of their own

    if (!o.PagingAllowed(sSQL, N))
        return Variant();

    // The statement keeps its own text; only the order clause and the markers change.
    const qsizetype orderAt = sSQL.lastIndexOf(QLatin1String("ORDER BY"), -1, Qt::CaseInsensitive);
    QString innerOrder, pageOrder;
    pagingOrder(sSQL.mid(orderAt), innerOrder, pageOrder);
    const QString marker = QStringLiteral("NUM_ROWS");
    const QString statement = markSelects(sSQL.left(orderAt).trimmed() + QLatin1Char(' ') + innerOrder, marker);

    const std::int64_t K = N / P + (N % P ? 1 : 0);
    const std::int64_t L = N - (K - 1) * P;
    auto pages = textArray(int(K));
    auto withTop = [&](std::int64_t n) {
        QString s = statement;
        return s.replace(marker, QStringLiteral("TOP ") + QString::number(n));
    };
    // Page `index` from the page statement; false when it came back without rows.
    auto readPage = [&](const QString& page, std::int64_t index) {
        rs.Open(page, o.connection_, db::adOpenForwardOnly, db::adLockReadOnly);
        const QString rows = rowText(rs);
        const bool some = rows != kCr && !rows.isEmpty();
        if (some)
            pages->at(int(index)) = Variant(header + rows);
        rs.Close();
        return some;
    };

    const QString last = QStringLiteral("SELECT TOP ") + QString::number(L) + QStringLiteral(" * FROM (") + withTop(L) +
                         QStringLiteral(") A ") + pageOrder;
    o.InsertLog(QStringLiteral("query"), QStringLiteral("Para paginar como salida a excel. SQL -> ") + last, 1);
    readPage(last, K - 1);
    for (std::int64_t i = 1; i <= K - 1; ++i) {
        const QString inner = withTop(P * i + L);
        const QString page = QStringLiteral("SELECT TOP ") + QString::number(P) + QStringLiteral(" * FROM (") + inner +
                             QStringLiteral(") A ") + pageOrder;
        o.InsertLog(QStringLiteral("query"), QStringLiteral("Pagina ") + QString::number(i) + QStringLiteral(" SQL -> ") + inner,
                    1);
        if (!readPage(page, K - 1 - i))
            break;
    }
    return triple(longValue(N), longValue(F), Variant(pages));
}
