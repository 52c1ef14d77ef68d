#pragma once
// The rules of turning a final SELECT into a grid, apart from any widget or
// connection: is it a whole single table, which statement probes its header,
// how wide is a column, how many rows make a page, and the status line.
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <optional>

namespace loadrules {

// What the single-table test found. single: the statement reads one table
// as a whole (still subject to the select list, see selectListIsWhole);
// tablePart: the text after FROM up to WHERE (trimmed; empty when there is
// no " FROM " or a JOIN / UNION / second FROM ruled it out); tableName: the
// table as the engine should be given it, each dotted part bracketed when
// the name has several parts ("[dbo].[Orders]"), a single part as written.
struct TableTest {
    bool single = false;
    QString tablePart;
    QString tableName;
};

TableTest singleTableTest(const QString& statement);

// The select list (from the data layer's Parsing) makes the statement read
// the table whole: one item, "*" or the table followed by ".*" (brackets and
// case disregarded).
bool selectListIsWhole(const QStringList& items, const QString& tableName);

// The statement whose empty result gives a non-single-table header: "TOP n"
// becomes "TOP 1", any other SELECT gets "TOP 1" (Oracle, driver 2: a false
// WHERE condition); DISTINCT goes. Keywords are found without regard to case.
QString headerStatement(const QString& statement, int driver);

// The first item of the table part, blanks around commas removed.
QString qualifier(const QString& tablePart);

// Column width in twips: String (8) the width of min(size, 2000) "x",
// at most 2500; Date (7) 1000; else the header + 100; never narrower than the
// header + 100. measure: text width in twips.
int columnWidth(int fieldTypeCode, qint64 size, const QString& header,
                const std::function<double(const QString&)>& measure);

// Rows of one page: gridHeight / 240 - 1, halves to even, at least 1.
int pageRows(double gridHeightTwips);

// Paged when (records + 1) x columns exceeds the cell limit, 330000.
bool isPaged(qint64 records, int columns);
// The cell limit in force; tests lower it (0 puts back 330000).
void setPagingCellLimit(qint64 cells);

// The status line as the page hands it to translation.
QString statusLine(const QString& loadTime, qint64 count, int columns);

// "hh:mm:ss" of a duration in milliseconds, wrapping at 24 hours.
QString loadTime(qint64 milliseconds);

} // namespace loadrules
