#pragma once
// The ODBC connection is declared here so its catalog half can live in a
// file of its own; nothing outside this folder includes it.
#include "platform/db/odbc/OdbcBackend.h"

#include "platform/db/odbc/OdbcApi.h"

#include <QHash>
#include <QStringEncoder>

#include <cstdint>
#include <memory>
#include <vector>

namespace db {
namespace odbc {

enum class Kind { Int, Bool, Real, Numeric, Money, Timestamp, Time, Text, Guid, Binary };

struct Column {
    FieldInfo info;
    SQLSMALLINT sqlType = 0;
    Kind kind = Kind::Text;
    SQLSMALLINT cType = SQL_C_WCHAR;
    SQLLEN elementBytes = 0; // bytes of one bound element, also the stride of the bound array
    bool variable = false;   // text or binary: its value may not fit a bound buffer
    bool bound = true;
    std::unique_ptr<std::uint64_t[]> buffer; // 8-byte aligned for every C type
    std::unique_ptr<SQLLEN[]> indicator;
    const char* at(SQLULEN row) const { return reinterpret_cast<const char*>(buffer.get()) + row * SQLULEN(elementBytes); }
};

// What the driver behind one connection can do, asked once when it opens.
struct DriverCapabilities {
    bool blockFetch = true;   // takes a row array size above 1
    bool moreResults = true;  // has SQLMoreResults
    bool statistics = true;   // has SQLStatistics
    bool primaryKeys = true;  // has SQLPrimaryKeys
    bool bigInt = true;       // converts whole numbers to SQL_C_SBIGINT
    bool boundValues = true;  // bound indicators arrive as whole SQLLENs; otherwise every value is read with SQLGetData
};

class OdbcConnection final : public BackendConnection {
public:
    OdbcConnection(const QString& connectionString, int loginTimeout, QString readOnlyFile);
    ~OdbcConnection() override;

    QString provider() const override { return QStringLiteral("MSDASQL"); }
    std::vector<ResultSetPtr> run(const QString& sql, CommandType type) override;
    // Rows read from the driver as they are asked for: nothing is held but the driver's block.
    std::unique_ptr<RowSource> openRows(const QString& sql, bool settledTypes) override;
    ResultSetPtr describeColumns(const QString& sql) override;
    void beginTrans() override;
    void commitTrans() override;
    void rollbackTrans() override;
    void setCommandTimeout(int seconds) override { commandTimeout_ = seconds; }
    std::vector<TableInfo> tables() override;
    TableInfo table(const QString& name) override;
    std::vector<ViewInfo> views() override;

private:
    // One result's rows, fetched from the driver a block at a time; the
    // statement's bindings are undone when it ends.
    class Fetch {
    public:
        Fetch(OdbcConnection& cn, SQLHSTMT st, SQLSMALLINT columns);
        Fetch(const Fetch&) = delete;
        Fetch& operator=(const Fetch&) = delete;
        ~Fetch();
        std::vector<FieldInfo> fields;
        // Appends up to `rows` rows; fewer only at the end of the result.
        qint64 read(ResultBuilder& b, qint64 rows);
        bool atEnd() const { return atEnd_; }

    private:
        void appendRow(ResultBuilder& b, SQLULEN row);
        OdbcConnection& cn_;
        SQLHSTMT st_;
        std::vector<Column> cols_;
        SQLULEN blockRows_ = 1;
        SQLULEN fetched_ = 0; // rows of the driver's block
        SQLULEN next_ = 0;    // the first of them not appended yet
        std::vector<SQLUSMALLINT> status_;
        bool atEnd_ = false;
    };

public:
private:
    friend class OdbcRows;
    Handle statement();
    // Runs sql on a new statement; r is the driver's answer (SQL_NO_DATA: no result).
    Handle execute(const QString& sql, CommandType type, SQLRETURN& r);
    // Moves to the statement's next result; false when there is none.
    bool nextResult(SQLHSTMT st, SQLRETURN& r);
    ResultSetPtr fetchResult(SQLHSTMT st, SQLSMALLINT columns);
    SQLULEN bindColumns(SQLHSTMT st, std::vector<Column>& cols);
    void describe(SQLHSTMT st, std::vector<Column>& cols);
    QString getText(SQLHSTMT st, SQLUSMALLINT col, bool& isNull);
    QByteArray getBytes(SQLHSTMT st, SQLUSMALLINT col, SQLSMALLINT cType, bool& isNull);
    void appendUnbound(ResultBuilder& b, SQLHSTMT st, SQLUSMALLINT index, const Column& c);
    // 64-bit only where needed, or where the driver converts to it.
    SQLSMALLINT intCType(int dataType) const
    {
        if (caps_.bigInt || dataType == adBigInt || dataType == adUnsignedBigInt)
            return SQL_C_SBIGINT;
        return dataType == adUnsignedInt ? SQL_C_ULONG : SQL_C_SLONG;
    }
    void appendText(ResultBuilder& b, const SQLWCHAR* s, qsizetype chars, bool guid);
    // NOT NULL columns of the tables behind these fields, from SQLColumns.
    void takeNullabilityFromCatalog(std::vector<FieldInfo>& fields);
    QHash<QString, bool> catalogNullability(const QString& table);
    void readIndexes(TableInfo& info, const QString& schema);
    void readPrimaryKey(TableInfo& info, const QString& schema);
    QString escapePattern(const QString& name) const;
    QString quoted(const QString& name) const;
    void endTransaction(SQLSMALLINT completion);
    [[noreturn]] void refuseChange() const;
    bool widePathKeepsText();
    void askCapabilities();

    Handle dbc_;
    DriverCapabilities caps_;
    int commandTimeout_ = 0;
    QString readOnlyFile_; // non-empty: a file that must not change
    SQLUINTEGER getDataExtensions_ = 0;
    QString quote_ = QStringLiteral("\"");
    QString escape_;
    QString dbms_;
    bool inTransaction_ = false;
    int wideKeepsText_ = -1; // unknown until a statement needs it
    bool utf8Text_ = false;  // the driver hands text over as UTF-8
    std::vector<char> utf8_;
    QStringEncoder encoder_{QStringEncoder::Utf8, QStringEncoder::Flag::Stateless};
};

bool hasResult(SQLHSTMT st);
void sizeField(int type, qint64 columnSize, int scale, qint64& definedSize, int& precision, int& numericScale);
bool isFixedType(int type);

} // namespace odbc
} // namespace db
