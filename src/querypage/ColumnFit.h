#pragma once
// Fitting the result grid's columns to what is visible of them: each column
// as wide as its widest visible text (at most a third of the grid), aligned
// right when every visible cell is a number or empty, centred when the cells
// from the first non-number on are all dates, left otherwise. Widths in twips.
#include <QString>
#include <functional>
#include <vector>

namespace columnfit {

// Alignment codes of the grid: 7 right, 4 centre, 1 left, each centred vertically.
enum Alignment { Left = 1, Centre = 4, Right = 7 };

struct Grid {
    int rows = 1;           // including the header row 0
    int cols = 0;
    int topRow = 1;         // first row shown below the header
    double width = 0;       // the grid's width
    double height = 0;      // the grid's height
    double rowHeight = 240; // height of the header row
    std::function<QString(int row, int col)> text;
};

struct Column {
    int width;
    Alignment alignment;
    bool operator==(const Column&) const = default;
};

// measure: a text's width in the page's font, in twips. isNumber / isDate:
// the locale's numeric and date tests.
std::vector<Column> fit(const Grid& grid, const std::function<double(const QString&)>& measure,
                        const std::function<bool(const QString&)>& isNumber,
                        const std::function<bool(const QString&)>& isDate);

// The same with the program's numeric and date tests.
std::vector<Column> fit(const Grid& grid, const std::function<double(const QString&)>& measure);

} // namespace columnfit
