#pragma once
// Cell texts of a block of result records, as the grid shows them: each value
// through the record set's one value-to-text path, Null as the empty text.
#include <QList>
#include <QStringList>

namespace db {
class ResultSet;
}

namespace resulttexts {

// Records firstRecord .. firstRecord + count - 1 (0-based), every column.
QList<QStringList> rows(const db::ResultSet& result, qint64 firstRecord, int count);

} // namespace resulttexts
