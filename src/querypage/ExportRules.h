#pragma once
// The spreadsheet export's cell limit, apart from any window.
#include <QString>
#include <optional>

namespace exportrules {

// Cells a spreadsheet export may hold.
constexpr qint64 MaxCells = 6000000;

// The notice that refuses a result of more than MaxCells cells (counted in
// 64 bits); nothing when it may be exported.
std::optional<QString> cellLimitNotice(qint64 records, qint64 columns);

} // namespace exportrules
