#pragma once
// A statement's rows read forward only, a block at a time: what was read
// before is not held, so memory does not grow with the rows. The reader keeps
// its connection open while it lives.
#include "Backend.h"
#include "Connection.h"

#include <memory>

namespace db {

class RowReader {
public:
    // Runs sql; raises Error as Recordset::Open would. settledTypes: columns
    // only their values can type have their final type from the first block.
    RowReader(const QString& sql, ConnectionPtr connection, bool settledTypes = true);

    const std::vector<FieldInfo>& fields() const { return source_->fields(); }
    // The next rows, at most `rows`, as a result of their own; an empty one
    // once every row was read.
    ResultSetPtr next(qint64 rows);
    // Appends up to `rows` further rows to a result being built; 0 at the end.
    qint64 read(ResultBuilder& b, qint64 rows);
    bool atEnd() const { return atEnd_; }

private:
    ConnectionPtr connection_;
    std::unique_ptr<RowSource> source_;
    bool atEnd_ = false;
};

} // namespace db
