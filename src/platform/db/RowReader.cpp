#include "RowReader.h"

#include "core/Error.h"

namespace db {

RowReader::RowReader(const QString& sql, ConnectionPtr connection, bool settledTypes)
    : connection_(std::move(connection))
{
    if (!connection_ || connection_->State() != adStateOpen)
        raise(errObjectClosed, QStringLiteral("No se permite realizar la operación si el objeto está cerrado."),
              QStringLiteral("ADODB.Recordset"));
    source_ = connection_->backend().openRows(sql, settledTypes);
    atEnd_ = source_->fields().empty();
}

ResultSetPtr RowReader::next(qint64 rows)
{
    auto block = std::make_shared<ResultSet>();
    block->fields = source_->fields();
    ResultBuilder b(*block);
    read(b, rows);
    return block;
}

qint64 RowReader::read(ResultBuilder& b, qint64 rows)
{
    if (atEnd_)
        return 0;
    const qint64 n = source_->read(b, rows);
    atEnd_ = n < rows;
    return n;
}

} // namespace db
