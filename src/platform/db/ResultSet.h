#pragma once
// The rows of one result, held compactly in memory. Backends fill it through
// ResultBuilder; the record set reads it. Every cell is an 8-byte payload and
// a 1-byte tag; text and binary values live in a chunked byte arena (UTF-8),
// so a million-row result costs little more than its raw values.
#include "Types.h"
#include "core/Variant.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace db {

// What a result column is, as the record set reports it.
struct FieldInfo {
    QString name;
    int type = adVarWChar;         // DataType number
    qint64 definedSize = 0;
    int precision = 0;
    int numericScale = 0;
    int attributes = adFldIsNullable | adFldMayBeNull; // FieldAttribute bits
    QString baseTable;              // empty for an expression
    QString baseColumn;
    bool nullable() const { return attributes & adFldIsNullable; }
};

// A date the local engine keeps as text: "yyyy-mm-dd[ hh:mm[:ss[.fff]]]" (or
// a "T"). False when the text is no valid date and time.
struct IsoDate {
    int year, month, day, hour, minute, second, msec;
};
bool readIsoDate(std::string_view text, IsoDate& out);
// Days from 1970-01-01 to a civil date (proleptic Gregorian).
std::int64_t daysFromCivil(std::int64_t year, unsigned month, unsigned day);

class ResultSet {
public:
    // DateText: a date the engine keeps as text ("yyyy-mm-dd[ hh:mm[:ss[.fff]]]",
    // or a "T"), held as its instant and its form, so its text comes back exactly.
    enum Tag : std::uint8_t { Null = 0, Int, Real, Text, Blob, Bool, Date, Cur, Other, DateText };

    std::vector<FieldInfo> fields;
    // For a statement that returns no rows: the records it affected (-1 unknown).
    qint64 rowsAffected = -1;

    int columnCount() const { return int(fields.size()); }
    qint64 rowCount() const { return rows_; }

    Tag tag(qint64 row, int col) const { return Tag(block(row).tags[cell(row, col)]); }
    bool isNull(qint64 row, int col) const { return tag(row, col) == Null; }
    std::int64_t intValue(qint64 row, int col) const;   // Int, Bool, Date (ms since epoch), Cur (scaled)
    double realValue(qint64 row, int col) const;
    std::string_view bytes(qint64 row, int col) const;  // Text (UTF-8) and Blob
    // A DateText value: its parts, and its text as stored (written to out, at least 32 bytes; returns the length).
    IsoDate isoDate(qint64 row, int col) const;
    std::size_t dateText(qint64 row, int col, char* out) const;
    // The value as a Variant, typed by the field's DataType.
    Variant value(qint64 row, int col) const;
    // The value as the record set's row text writes it (GetString): Null gives nullText.
    void appendText(QString& out, qint64 row, int col, const QString& nullText) const;

    // Approximate bytes held (cells, arena, side values).
    std::size_t memoryUsed() const;
    // Bytes of text and binary values held.
    std::size_t arenaBytes() const;

    // The rows as the bytes a result file keeps them in; false (nothing
    // written) when a value no tag fits is held, which only memory can keep.
    bool toBytes(QByteArray& out) const;
    // Rows written by toBytes, with these columns; nullptr when the bytes are not such rows.
    static std::shared_ptr<ResultSet> fromBytes(const QByteArray& bytes, std::vector<FieldInfo> fields);

private:
    friend class ResultBuilder;
    static constexpr int BlockShift = 12; // 4096 rows per block
    struct Block {
        std::unique_ptr<std::uint64_t[]> payload;
        std::unique_ptr<std::uint8_t[]> tags;
    };
    const Block& block(qint64 row) const { return blocks_[std::size_t(row >> BlockShift)]; }
    std::size_t cell(qint64 row, int col) const
    {
        return std::size_t(row & ((1 << BlockShift) - 1)) * fields.size() + std::size_t(col);
    }
    std::uint64_t payload(qint64 row, int col) const { return block(row).payload[cell(row, col)]; }

    std::vector<Block> blocks_;
    std::vector<std::unique_ptr<char[]>> chunks_; // arena chunks
    std::vector<std::size_t> chunkSizes_;
    std::vector<Variant> others_;                 // values no tag fits (arrays, objects)
    qint64 rows_ = 0;
    std::size_t firstCapacity_ = 0; // rows the first block holds; it grows up to a full block
    std::size_t lastChunkUsed_ = 0; // bytes written into the last arena chunk
};

using ResultSetPtr = std::shared_ptr<ResultSet>;


// Appends rows cell by cell, left to right: beginRow(), one add per column.
class ResultBuilder {
public:
    explicit ResultBuilder(ResultSet& rs);
    void beginRow();
    void addNull();
    void addInt(std::int64_t v);
    void addReal(double v);
    void addBool(bool v);
    void addText(const char* utf8, std::size_t len);
    void addText(const QString& s);
    void addBlob(const void* data, std::size_t len);
    void addDate(const QDateTime& d);     // kept as milliseconds since the epoch (read as UTC)
    void addDateMs(std::int64_t msecs);
    void addCurrency(std::int64_t scaled);
    void addVariant(const Variant& v);   // any Variant, stored by its own type
    // One whole row of another result with the same columns, as it is held there.
    void addRow(const ResultSet& from, qint64 row);

private:
    std::uint64_t* slot(ResultSet::Tag t);
    std::uint64_t storeBytes(const void* data, std::size_t len);
    ResultSet& rs_;
    int col_ = 0;
    std::size_t chunkUsed_ = 0;
    std::size_t chunkCap_ = 0;
};

} // namespace db
