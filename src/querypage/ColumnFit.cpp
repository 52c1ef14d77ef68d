#include "querypage/ColumnFit.h"

#include "core/ValueText.h"

#include <algorithm>
#include <cmath>

namespace columnfit {

namespace {

// Whole numbers as the runtime rounds them: halves to even.
int roundEven(double x) { return int(std::nearbyint(x)); }

} // namespace

std::vector<Column> fit(const Grid& g, const std::function<double(const QString&)>& measure,
                        const std::function<bool(const QString&)>& isNumber,
                        const std::function<bool(const QString&)>& isDate)
{
    const int visible = g.rowHeight > 0 ? roundEven(g.height / g.rowHeight) : 0;
    // Row 0 is the header, measured on its own; a grid of the header alone has no rows to look at.
    const int first = std::max(1, g.topRow);
    const int last = std::min(g.topRow + visible, g.rows - 1);
    const int maxWidth = roundEven(g.width / 3);
    const double m = measure(QStringLiteral("M"));
    const int maxChars = m > 0 ? roundEven(maxWidth * 1.2 / m) : 0;

    std::vector<Column> out;
    out.reserve(std::size_t(std::max(0, g.cols)));
    for (int c = 0; c < g.cols; ++c) {
        double width = measure(g.text(0, c)) + 200;
        bool numeric = true, date = false;
        for (int r = first; r <= last; ++r) {
            const QString cell = g.text(r, c);
            width = std::max(width, measure(cell.left(maxChars)) + 200);
            if (numeric && !cell.isEmpty() && !isNumber(cell)) {
                numeric = false;
                date = true;
            }
            if (date && !isDate(cell))
                date = false;
        }
        const int w = roundEven(width);
        out.push_back({std::min(w, maxWidth), numeric ? Right : date ? Centre : Left});
    }
    return out;
}

std::vector<Column> fit(const Grid& grid, const std::function<double(const QString&)>& measure)
{
    return fit(grid, measure, [](const QString& t) { return ValueText::isNumeric(t); },
               [](const QString& t) { return ValueText::isDate(t); });
}

} // namespace columnfit
