#pragma once
// A record set read fully into memory when opened (a client-side static
// cursor). It keeps working after its connection is closed or dropped.
#include "Connection.h"
#include "ResultSet.h"
#include "core/Object.h"
#include "core/Variant.h"

#include <QString>
#include <memory>
#include <vector>

namespace db {

class Recordset;

// One column of a record set; Value() reads the current record.
class Field {
public:
    Field(const Recordset* rs, int index) : rs_(rs), index_(index) {}
    QString Name() const;
    int Type() const;          // DataType number
    qint64 DefinedSize() const;
    int Precision() const;
    int NumericScale() const;
    int Attributes() const;    // FieldAttribute bits; adFldIsNullable (0x20) when it accepts nulls
    QString BaseTableName() const;  // "" for an expression
    QString BaseColumnName() const;
    Variant Value() const;     // raises errNoCurrentRecord at BOF/EOF
    const FieldInfo& info() const;
    int index() const { return index_; }

private:
    const Recordset* rs_;
    int index_;
};

class Recordset : public Object {
public:
    Recordset() = default;
    QString typeName() const override { return QStringLiteral("Recordset"); }

    // Runs sql on the connection and reads every row. Cursor and lock types are
    // kept for the callers that read them back; every cursor is a static copy.
    void Open(const QString& sql, const ConnectionPtr& connection, int cursorType = adOpenForwardOnly,
              int lockType = adLockReadOnly);
    // Opens with the columns sql returns and no records, reading none of its rows.
    void OpenColumnsOnly(const QString& sql, const ConnectionPtr& connection);
    // Wraps results already read (Command::Execute, the recorder, tests).
    void attach(std::vector<ResultSetPtr> results, int cursorType = adOpenStatic, int lockType = adLockReadOnly);
    void Close();
    int State() const { return current_ ? adStateOpen : adStateClosed; }

    // Dropping the connection leaves the rows usable.
    void setActiveConnection(ConnectionPtr c) { connection_ = std::move(c); }
    ConnectionPtr ActiveConnection() const { return connection_; }
    int CursorType() const { return cursorType_; }
    int LockType() const { return lockType_; }
    int CursorLocation() const { return adUseClient; }

    qint64 RecordCount() const;      // raises errObjectClosed when closed
    int FieldCount() const;
    Field Fields(int index) const;   // 0-based; raises errItemNotFound
    Field Fields(const QString& name) const; // case-insensitive; raises errItemNotFound
    int fieldIndex(const QString& name) const; // -1 when absent

    bool Eof() const;
    bool Bof() const;
    void MoveFirst();
    void MoveLast();
    void MoveNext();     // raises errNoCurrentRecord when already at EOF
    void MovePrevious(); // raises errNoCurrentRecord when already at BOF
    // 1-based position of the current record; -1 (unknown) at BOF/EOF or when empty.
    qint64 AbsolutePosition() const;
    void setAbsolutePosition(qint64 position); // raises errNoCurrentRecord out of range

    // Values of the current record.
    Variant value(int field) const;
    Variant value(const QString& field) const;

    // GetRows: a 2-D array (field 0..n-1, record 0..m-1) of up to `rows` records from the
    // current one (-1 all); leaves the cursor after them. Raises errNoCurrentRecord at EOF.
    VArrayPtr GetRows(qint64 rows = -1);
    // GetString(adClipString): every record as its values joined by columnDelimiter, each
    // followed by rowDelimiter, nulls as nullExpr; from the current record, leaves it at EOF.
    QString GetString(int format = adClipString, qint64 rows = -1, const QString& columnDelimiter = QStringLiteral("\t"),
                      const QString& rowDelimiter = QStringLiteral("\r"), const QString& nullExpr = QString());

    // The next result of a batch (nullptr when there is none). This record set stays as it is.
    std::shared_ptr<Recordset> NextRecordset();

    // Direct access for fast readers (grid loading, exports).
    const ResultSet* result() const { return current_.get(); }
    qint64 currentRow() const { return pos_; }

private:
    friend class Field;
    const ResultSet& rs() const;
    void checkCurrent() const;
    // Records that GetRows and GetString take from the current one (-1: all); raises errNoCurrentRecord at BOF/EOF.
    qint64 rowsFromCurrent(qint64 rows) const;

    ConnectionPtr connection_;
    ResultSetPtr current_;
    std::vector<ResultSetPtr> rest_;
    qint64 pos_ = 0;       // 0-based; -1 = BOF, rowCount = EOF
    int cursorType_ = adOpenForwardOnly;
    int lockType_ = adLockReadOnly;
};

using RecordsetPtr = std::shared_ptr<Recordset>;

} // namespace db
