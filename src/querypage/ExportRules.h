#pragma once
// What the export launchers decide apart from any window: the CSVOptions
// collection the CSV writer reads, and the spreadsheet's cell limit.
#include "core/Collection.h"

#include <QString>
#include <optional>

class CsvDialog;

namespace exportrules {

// The 13 CSV options keyed and typed as the writer reads them, in order.
CollectionPtr csvOptions(const CsvDialog& dialog);

// Cells a spreadsheet export may hold.
constexpr qint64 MaxCells = 6000000;

// The notice that refuses a result of more than MaxCells cells (counted in
// 64 bits); nothing when it may be exported.
std::optional<QString> cellLimitNotice(qint64 records, qint64 columns);

} // namespace exportrules
