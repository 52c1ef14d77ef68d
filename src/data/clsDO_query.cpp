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

Variant clsDO::Query(ByRef<QString> sSQL, ByRef<QString> sServer, ByRef<QString> sBBDD, ByRef<QString> sUID,
                     ByRef<QString> sPassword, const QString& sExitType, ByRef<Variant> KeyFields, bool Counters,
                     bool UseKey, bool Names, std::int32_t lExcelKnownRows, std::int32_t lExcelKnownColumns,
                     const QString& sExcelKnownHeader)
{
    FallBack(*sServer, *sBBDD, *sUID, *sPassword);
    recordset_ = std::make_shared<db::Recordset>();

    // There is no data-shaping provider here: "ShapeRecordset" opens as "Recordset" does.
    if (!OpenConnection(*sServer, *sBBDD, *sUID, *sPassword))
        return Variant();
    InsertLog(QStringLiteral("query"), *sSQL, 1);

    const QString& form = sExitType;
    Variant result;
    auto open = [&](const QString& sql, int cursor, int lock) { recordset_->Open(sql, connection_, cursor, lock); };

    try {
        if (form == QLatin1String("GridArray")) {
            open(*sSQL, db::adOpenForwardOnly, db::adLockReadOnly);
            result = Variant(rowsToCollection(*recordset_));
            recordset_->Close();
        } else if (form == QLatin1String("BiDimArray")) {
            open(*sSQL, db::adOpenForwardOnly, db::adLockReadOnly);
            result = Variant(recordset_->GetRows());
            recordset_->Close();
        } else if (form == QLatin1String("StringRows2Array")) {
            open(*sSQL, db::adOpenForwardOnly, db::adLockReadOnly);
            QString text = recordset_->GetString();
            text.remove(QLatin1Char('\n'));
            const QStringList rows = text.split(kCr);
            auto a = std::make_shared<VArray>(0, int(rows.size()) - 1);
            for (int i = 0; i < rows.size(); ++i)
                a->at(i) = Variant(rows.at(i));
            result = Variant(a);
            recordset_->Close();
        } else if (form == QLatin1String("StringRows")) {
            open(*sSQL, db::adOpenStatic, db::adLockReadOnly);
            std::int64_t records = recordset_->RecordCount();
            const std::int64_t fields = recordset_->FieldCount();
            if (fields * records > kCellLimit) {
                const std::int64_t n = kCellLimit / fields;
                SystemMsgBox(QStringLiteral("Se han encontrado ") + QString::number(records) +
                                 QStringLiteral(" registros, pero por limitaciones") + kCrLf +
                                 QStringLiteral("de memoria local solo se cargarán los ") + QString::number(n) +
                                 QStringLiteral(" primeros."),
                             0, QString());
                records = n;
                if (sSQL->trimmed().startsWith(QLatin1String("SELECT"), Qt::CaseInsensitive))
                    *sSQL = limitStatement(*sSQL, n);
                InsertLog(QStringLiteral("query"),
                          QStringLiteral("Limitacion de numero de registros, el recordset contiene ") +
                              QString::number(fields) + QStringLiteral(" y solo se pueden mostrar ") +
                              QStringLiteral("330000") + QStringLiteral(" SQL -> ") + *sSQL,
                          1);
            }
            recordset_->Close();
            if (records < 1) {
                result = triple(longValue(records), longValue(fields), Variant(QString()));
            } else {
                open(*sSQL, db::adOpenForwardOnly, db::adLockReadOnly);
                result = triple(longValue(records), longValue(fields), Variant(recordset_->GetString()));
                recordset_->Close();
            }
        } else if (form == QLatin1String("Recordset") || form == QLatin1String("ShapeRecordset")) {
            open(*sSQL, db::adOpenDynamic, db::adLockOptimistic);
            result = Variant(recordset_);
            recordset_->setActiveConnection(nullptr);
            CloseConnection();
            return result; // the object keeps the record set until the next Query
        } else if (form == QLatin1String("GetScopeIdentity")) {
            open(*sSQL, db::adOpenForwardOnly, db::adLockReadOnly);
            // An insert gives no rows, so its record set may already be closed.
            if (recordset_->State() == db::adStateOpen)
                recordset_->Close();
            open(QStringLiteral("select  SCOPE_IDENTITY()"), db::adOpenForwardOnly, db::adLockReadOnly);
            result = recordset_->Eof() ? Variant(std::int32_t(-1)) : recordset_->value(0);
            recordset_->Close();
        } else if (form == QLatin1String("CSV")) {
            // One reading gives the names and the rows; a value keeps its tab, and
            // one holding ";", '"' or a line break is quoted.
            open(*sSQL, db::adOpenForwardOnly, db::adLockReadOnly);
            const db::ResultSet& r = *recordset_->result();
            if (r.rowCount() < 1) {
                result = Variant(QString());
            } else {
                QString text;
                for (int i = 0; i < r.columnCount(); ++i) {
                    if (i > 0)
                        text += kSemicolon;
                    csvtext::appendField(text, r.fields[std::size_t(i)].name, kSemicolon);
                }
                QByteArray rows;
                csvtext::appendRows(rows, r, 0, r.rowCount(), ";", "", "\r");
                result = Variant(text + kCrLf + QString::fromUtf8(rows));
            }
            recordset_->Close();
        } else if (form == QLatin1String("CSV2")) {
            open(*sSQL, db::adOpenForwardOnly, db::adLockReadOnly);
            const db::ResultSet& r = *recordset_->result();
            // No rows: an empty value, as the no-current-record end of the call gives.
            if (r.rowCount() > 0) {
                QByteArray rows;
                csvtext::appendRows(rows, r, 0, r.rowCount(), ";", "--", "\r\n");
                result = Variant(QString::fromUtf8(rows));
            }
            recordset_->Close();
        } else if (form == QLatin1String("StraightToExcel :)")) {
            std::int32_t affected = 0;
            Execute(*sSQL, QString(), QString(), QString(), QString(), affected, false);
            result = Variant(affected);
        } else if (form == QLatin1String("Collection")) {
            result = Variant::nothing();
            result = CollectionForm(*sSQL, *KeyFields, Counters);
        } else if (form == QLatin1String("Collection2")) {
            result = Variant::nothing();
            result = Collection2Form(*sSQL, *KeyFields, Counters, UseKey, Names);
        } else if (form == QLatin1String("StringRowsExcel") || form == QLatin1String("StringRowsExcelCellCount")) {
            result = SheetPagesForm(*sSQL, form == QLatin1String("StringRowsExcelCellCount"), lExcelKnownRows,
                                    lExcelKnownColumns, sExcelKnownHeader, result);
        }
    } catch (const Error& e) {
        static const QStringList objectForms = {QStringLiteral("GridArray"), QStringLiteral("Collection"),
                                                QStringLiteral("Collection2"), QStringLiteral("Recordset"),
                                                QStringLiteral("ShapeRecordset")};
        if (objectForms.contains(form))
            result = Variant::nothing();
        else if (form != QLatin1String("StringRowsExcelCellCount"))
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

Variant clsDO::CollectionForm(QString& sSQL, Variant& KeyFields, bool Counters)
{
    db::Recordset& rs = *recordset_;
    rs.Open(sSQL, connection_, db::adOpenForwardOnly, db::adLockReadOnly);
    if (rs.RecordCount() == 0) {
        rs.Close();
        return Variant::nothing();
    }

    const VArrayPtr items = Parsing(sSQL).array();
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
    if (Counters)
        result->Add(Variant(countersItem(total)), QStringLiteral("ContadoresCampos"));
    rs.Close();
    return Variant(result);
}

Variant clsDO::Collection2Form(const QString& sSQL, Variant& KeyFields, bool Counters, bool UseKey, bool Names)
{
    db::Recordset& rs = *recordset_;
    rs.Open(sSQL, connection_, db::adOpenForwardOnly, db::adLockOptimistic);
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
    if (Counters)
        result->Add(Variant(countersItem(total)), QStringLiteral("ContadoresCampos"));
    if (Names) {
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
    if (rows <= GetMaxExcelRows() || sSQL.contains(QLatin1String("ORDER BY")))
        return true;
    const QString message = QStringLiteral("Se han encontrado ") + QString::number(rows) +
                            QStringLiteral(" registros, debido a que no existe ordenación en la sentencia SQL, no "
                                           "se puede realizar paginación.");
    InsertLog(QStringLiteral("query"), message, 1);
    SystemMsgBox(message, 0, QString());
    return false;
}

Variant clsDO::SheetPagesForm(const QString& sSQL, bool known, std::int32_t knownRows, std::int32_t knownColumns,
                              const QString& knownHeader, const Variant& resultSoFar)
{
    db::Recordset& rs = *recordset_;
    const std::int64_t P = GetMaxExcelRows();
    std::int64_t N = 0;
    std::int64_t F = 0;
    QString header;
    if (known) {
        N = knownRows;
        F = knownColumns;
        header = knownHeader;
    } else {
        rs.Open(sSQL, connection_, db::adOpenStatic, db::adLockReadOnly);
        N = rs.RecordCount();
        F = rs.FieldCount();
        if (N > 0) {
            for (int i = 0; i < F; ++i)
                header += rs.Fields(i).Name() + kTab;
            header += kCrLf;
        }
        rs.Close();
    }

    if (N < 1)
        return triple(longValue(N), longValue(F), Variant(textArray(1)));

    if (N <= P) {
        rs.Open(sSQL, connection_, db::adOpenForwardOnly, db::adLockReadOnly);
        const QString rows = rowText(rs);
        auto pages = textArray(1);
        if (rows != kCr && !rows.isEmpty())
            pages->at(0) = Variant(header + rows);
        rs.Close();
        return triple(longValue(N), longValue(F), Variant(pages));
    }

    if (!PagingAllowed(sSQL, N))
        return resultSoFar;

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

    {
        const QString page = QStringLiteral("SELECT TOP ") + QString::number(L) + QStringLiteral(" * FROM (") +
                             withTop(L) + QStringLiteral(") A ") + pageOrder;
        InsertLog(QStringLiteral("query"), QStringLiteral("Para paginar como salida a excel. SQL -> ") + page, 1);
        rs.Open(page, connection_, db::adOpenForwardOnly, db::adLockReadOnly);
        const QString rows = rowText(rs);
        if (rows != kCr && !rows.isEmpty())
            pages->at(int(K - 1)) = Variant(header + rows);
        rs.Close();
    }
    for (std::int64_t i = 1; i <= K - 1; ++i) {
        const std::int64_t T = P * i + L;
        const QString inner = withTop(T);
        const QString page = QStringLiteral("SELECT TOP ") + QString::number(P) + QStringLiteral(" * FROM (") + inner +
                             QStringLiteral(") A ") + pageOrder;
        InsertLog(QStringLiteral("query"), QStringLiteral("Pagina ") + QString::number(i) + QStringLiteral(" SQL -> ") + inner,
                  1);
        rs.Open(page, connection_, db::adOpenForwardOnly, db::adLockReadOnly);
        const QString rows = rowText(rs);
        if (rows == kCr || rows.isEmpty()) {
            rs.Close();
            break;
        }
        pages->at(int(K - 1 - i)) = Variant(header + rows);
        rs.Close();
    }
    return triple(longValue(N), longValue(F), Variant(pages));
}
