#pragma once
// The rows of a result too large to hold, kept in a temporary file a block
// of rows at a time and read back by their position. Memory holds the block
// being filled and the few blocks read last, whatever the row count; a block
// comes back from the file (the system's cache, mostly) in about a
// millisecond, so any page of the result is at hand. The file has no name
// from the moment it is made: nothing stays behind, not even after a crash.
//
// Reading the statement again instead would show rows that changed since the
// run (and the engine skips rows only by stepping over them), and engines
// offer no cursor that every driver can move by position: the rows as they
// were read are the only ones the page can show exactly.
#include "ResultSet.h"

#include <QTemporaryFile>
#include <memory>
#include <utility>
#include <vector>

namespace db {

class RowReader;

class ResultFile {
public:
    static constexpr qint64 BlockRows = 4096;

    // Raises Error when no temporary file can be made.
    explicit ResultFile(std::vector<FieldInfo> fields);
    ResultFile(const ResultFile&) = delete;
    ResultFile& operator=(const ResultFile&) = delete;
    ~ResultFile();

    const std::vector<FieldInfo>& fields() const { return fields_; }
    // Columns typed by their values settle as the rows arrive: the rows read
    // back afterwards carry these.
    void setFields(const std::vector<FieldInfo>& fields);
    qint64 rowCount() const { return rows_; }

    // Appends records first .. first + count - 1 of a result with these columns.
    void append(const ResultSet& from, qint64 first, qint64 count);
    // Appends up to `rows` further rows of the reader; returns how many.
    // Raises Error as the reader does, and when the file cannot be written.
    qint64 read(RowReader& reader, qint64 rows);
    // Appends every row the reader has left, then takes its columns as they
    // settled. Raises as read does.
    void readAll(RowReader& reader);

    // The block holding record `row` (0-based) and the record's place in it.
    std::pair<std::shared_ptr<const ResultSet>, qint64> locate(qint64 row);

private:
    struct Stored {
        qint64 offset = 0;
        qint64 size = 0;
        ResultSetPtr held; // a block only memory can keep
    };
    void startBlock();
    void storeBlock();
    ResultSetPtr load(std::size_t block);

    std::vector<FieldInfo> fields_;
    QTemporaryFile file_;
    qint64 written_ = 0;
    qint64 rows_ = 0;
    std::vector<Stored> stored_;
    ResultSetPtr filling_;
    std::unique_ptr<ResultBuilder> builder_;
    // The blocks read back last, the most recent first.
    std::vector<std::pair<std::size_t, ResultSetPtr>> cache_;
};

} // namespace db
