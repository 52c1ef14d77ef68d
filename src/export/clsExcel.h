#pragma once
// clsExcel: puts the result of one SELECT into a new .xlsx workbook, in the
// program folder's "Excel" folder, and opens it with the desktop's program.
// One sheet "Hoja Nº<n>" per GetMaxExcelRows rows: the title in A1, the column
// titles in row 4, the rows from row 5 as text (in a column given a number
// format, numbers and dates typed and formatted), columns as wide as their
// longest text. The rows are read once from the statement's record set; the
// workbook is written under a temporary name and takes its own only when
// complete.
#include "export/ExportObject.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>

// ColFormats: "" or items "<column>-<number format>" joined by "#" (columns
// from 1). Gives the formats by column from 0; raises Error for an item
// without "-" or whose column is not a number from 1.
std::map<int, QString> ParseColFormats(const QString& ColFormats);

class clsExcel : public ExportObject {
public:
    clsExcel();

    // Column titles from the record set.
    bool GenerateExcel(const QString& strSQL, const QString& sTitulo, const QString& ColFormats = QString());
    // First saves an empty workbook at sFileName, then goes on as GenerateExcel.
    bool GenerateExcelDirect(const QString& strSQL, const QString& sTitulo, const QString& sFileName,
                             const QString& ColFormats = QString());
    // Column titles from sHeaders (titles joined by tabs, ended by a line
    // break), as the caller's grid shows them. The rows and columns are those
    // of the record set; lRows and lCols are the caller's counts of them.
    bool GenerateExcelKnownCellCount(const QString& strSQL, const QString& sTitulo, std::int32_t lRows,
                                     std::int32_t lCols, const QString& sHeaders, const QString& ColFormats = QString());

    // True after a workbook was written and after the notice of an empty
    // result; the workbook's path ("" when none was written).
    QString FileName() const { return fileName_; }
    // The clock that names the workbook; tests replace it.
    void setClock(std::function<QDateTime()> clock) { clock_ = std::move(clock); }

    // Rows read at a time: the workbook is written as the rows come.
    static constexpr qint64 BlockRows = 20000;

private:
    bool generate(const QString& procedure, const QString& sql, const QString& title,
                  const std::optional<QStringList>& headers, const QString& colFormats);
    QString newWorkbookPath() const;
    void failed(const QString& procedure, const QString& description) const;

    std::function<QDateTime()> clock_;
    QString fileName_;
};
