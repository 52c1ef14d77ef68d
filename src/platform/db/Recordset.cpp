#include "Recordset.h"

#include "core/Error.h"

namespace db {

namespace {
const QString Src = QStringLiteral("ADODB.Recordset");

[[noreturn]] void noCurrent()
{
    raise(errNoCurrentRecord,
          QStringLiteral("BOF o EOF es True, o el registro actual se eliminó. La operación solicitada requiere un registro actual."),
          Src);
}
} // namespace

// ---- Field -------------------------------------------------------------------

const FieldInfo& Field::info() const { return rs_->rs().fields[std::size_t(index_)]; }
QString Field::Name() const { return info().name; }
int Field::Type() const { return info().type; }
qint64 Field::DefinedSize() const { return info().definedSize; }
int Field::Precision() const { return info().precision; }
int Field::NumericScale() const { return info().numericScale; }
int Field::Attributes() const { return info().attributes; }
QString Field::BaseTableName() const { return info().baseTable; }
QString Field::BaseColumnName() const { return info().baseColumn; }
Variant Field::Value() const { return rs_->value(index_); }

// ---- Recordset -----------------------------------------------------------------

void Recordset::Open(const QString& sql, const ConnectionPtr& connection, int cursorType, int lockType)
{
    if (current_)
        raise(errObjectOpen, QStringLiteral("No se permite realizar la operación si el objeto está abierto."), Src);
    if (!connection || connection->State() != adStateOpen)
        raise(errObjectClosed, QStringLiteral("No se permite realizar la operación si el objeto está cerrado."), Src);
    auto results = connection->backend().run(sql, adCmdText);
    connection_ = connection;
    attach(std::move(results), cursorType, lockType);
}

void Recordset::OpenColumnsOnly(const QString& sql, const ConnectionPtr& connection)
{
    if (current_)
        raise(errObjectOpen, QStringLiteral("No se permite realizar la operación si el objeto está abierto."), Src);
    if (!connection || connection->State() != adStateOpen)
        raise(errObjectClosed, QStringLiteral("No se permite realizar la operación si el objeto está cerrado."), Src);
    auto described = connection->backend().describeColumns(sql);
    connection_ = connection;
    attach({described}, adOpenStatic, adLockReadOnly);
}

void Recordset::attach(std::vector<ResultSetPtr> results, int cursorType, int lockType)
{
    cursorType_ = cursorType;
    lockType_ = lockType;
    // Results without columns (counts of statements that return no rows) come
    // before the rows a batch yields; the record set starts at the first rows.
    std::size_t first = 0;
    while (first < results.size() && results[first]->fields.empty())
        ++first;
    if (first == results.size()) {
        current_.reset();
        rest_.clear();
        pos_ = 0;
        return;
    }
    current_ = results[first];
    rest_.assign(results.begin() + std::ptrdiff_t(first) + 1, results.end());
    pos_ = 0;
}

void Recordset::Close()
{
    if (!current_)
        raise(errObjectClosed, QStringLiteral("No se permite realizar la operación si el objeto está cerrado."), Src);
    current_.reset();
    rest_.clear();
    connection_.reset();
    pos_ = 0;
}

const ResultSet& Recordset::rs() const
{
    if (!current_)
        raise(errObjectClosed, QStringLiteral("No se permite realizar la operación si el objeto está cerrado."), Src);
    return *current_;
}

qint64 Recordset::RecordCount() const { return rs().rowCount(); }
int Recordset::FieldCount() const { return rs().columnCount(); }

Field Recordset::Fields(int index) const
{
    if (index < 0 || index >= rs().columnCount())
        raise(errItemNotFound,
              QStringLiteral("No se encuentra el elemento en la colección que corresponde al nombre o al ordinal solicitado."), Src);
    return Field(this, index);
}

int Recordset::fieldIndex(const QString& name) const
{
    const auto& f = rs().fields;
    for (std::size_t i = 0; i < f.size(); ++i)
        if (f[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

Field Recordset::Fields(const QString& name) const
{
    int i = fieldIndex(name);
    return Fields(i < 0 ? -1 : i);
}

bool Recordset::Eof() const { return pos_ >= rs().rowCount(); }
bool Recordset::Bof() const { return pos_ < 0 || rs().rowCount() == 0; }

void Recordset::MoveFirst()
{
    rs();
    pos_ = 0;
}

void Recordset::MoveLast()
{
    const qint64 n = rs().rowCount();
    pos_ = n ? n - 1 : 0;
}

void Recordset::MoveNext()
{
    if (Eof())
        noCurrent();
    ++pos_;
}

void Recordset::MovePrevious()
{
    if (Bof())
        noCurrent();
    --pos_;
}

qint64 Recordset::AbsolutePosition() const
{
    if (pos_ < 0 || pos_ >= rs().rowCount())
        return -1;
    return pos_ + 1;
}

void Recordset::setAbsolutePosition(qint64 position)
{
    if (position < 1 || position > rs().rowCount())
        noCurrent();
    pos_ = position - 1;
}

void Recordset::checkCurrent() const
{
    if (pos_ < 0 || pos_ >= rs().rowCount())
        noCurrent();
}

Variant Recordset::value(int field) const
{
    checkCurrent();
    if (field < 0 || field >= rs().columnCount())
        raise(errItemNotFound,
              QStringLiteral("No se encuentra el elemento en la colección que corresponde al nombre o al ordinal solicitado."), Src);
    return current_->value(pos_, field);
}

Variant Recordset::value(const QString& field) const { return value(Fields(field).index()); }

qint64 Recordset::rowsFromCurrent(qint64 rows) const
{
    checkCurrent();
    const qint64 n = rs().rowCount() - pos_;
    return rows >= 0 && rows < n ? rows : n;
}

VArrayPtr Recordset::GetRows(qint64 rows)
{
    const ResultSet& r = rs();
    const qint64 n = rowsFromCurrent(rows);
    const int cols = r.columnCount();
    auto arr = std::make_shared<VArray>(0, cols - 1, 0, int(n) - 1);
    for (qint64 i = 0; i < n; ++i)
        for (int c = 0; c < cols; ++c)
            arr->at(c, int(i)) = r.value(pos_ + i, c);
    pos_ += n;
    return arr;
}

QString Recordset::GetString(int format, qint64 rows, const QString& columnDelimiter, const QString& rowDelimiter,
                             const QString& nullExpr)
{
    (void)format; // adClipString is the only format
    const ResultSet& r = rs();
    const qint64 n = rowsFromCurrent(rows);
    const int cols = r.columnCount();
    QString out;
    // Texts as held plus room for numbers and delimiters: one allocation for the whole text.
    const double share = r.rowCount() ? double(n) / double(r.rowCount()) : 1.0;
    out.reserve(qsizetype(double(r.arenaBytes()) * share) + qsizetype(n) * cols * (10 + columnDelimiter.size()));
    for (qint64 i = 0; i < n; ++i) {
        const qint64 row = pos_ + i;
        for (int c = 0; c < cols; ++c) {
            r.appendText(out, row, c, nullExpr);
            out += c + 1 < cols ? columnDelimiter : rowDelimiter;
        }
    }
    pos_ += n;
    return out;
}

std::shared_ptr<Recordset> Recordset::NextRecordset()
{
    if (!current_ || rest_.empty())
        return nullptr;
    auto next = std::make_shared<Recordset>();
    std::vector<ResultSetPtr> rest = rest_;
    next->attach(std::move(rest), cursorType_, lockType_);
    next->connection_ = connection_;
    rest_.clear();
    return next->State() == adStateOpen ? next : nullptr;
}

} // namespace db
