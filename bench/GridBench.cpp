// Times of the result grid on the largest load the page fills whole
// (33001 rows x 10 columns), shown offscreen, with the limits it must keep.
#include "controls/MaxGrid.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <cstdio>
#include <functional>

namespace {

constexpr int kRows = 33001, kCols = 10;

long residentKiB()
{
    QFile f(QStringLiteral("/proc/self/statm"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> parts = f.readAll().split(' ');
    return parts.size() > 1 ? parts[1].toLong() * 4 : 0;
}

QString cellText(int r, int c) { return QStringLiteral("R%1C%2 value").arg(r).arg(c); }

// Best of a few runs; prepare runs before each, untimed.
double best(const std::function<void()>& prepare, const std::function<void()>& body, int runs = 5)
{
    double bestMs = 1e9;
    for (int i = 0; i < runs; ++i) {
        prepare();
        QApplication::processEvents();
        QElapsedTimer t;
        t.start();
        body();
        QApplication::processEvents();
        bestMs = std::min(bestMs, t.nsecsElapsed() / 1e6);
    }
    return bestMs;
}

int failures = 0;
void report(const char* what, double value, double limit, const char* unit)
{
    const bool ok = value < limit;
    failures += ok ? 0 : 1;
    std::printf("%-52s %8.1f %s  (limit %.0f %s) %s\n", what, value, unit, limit, unit, ok ? "ok" : "TOO SLOW");
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    // The texts exist before the timing, as the page has them in its record set.
    std::vector<QString> texts;
    texts.reserve(std::size_t(kRows) * kCols);
    for (int r = 0; r < kRows; ++r)
        for (int c = 0; c < kCols; ++c)
            texts.push_back(cellText(r, c));
    QList<QStringList> block;
    for (int r = 1; r < kRows; ++r) {
        QStringList row;
        for (int c = 0; c < kCols; ++c)
            row << texts[std::size_t(r) * kCols + c];
        block << row;
    }

    MaxGrid grid;
    grid.setFixedCols(0);
    grid.setCols(kCols);
    grid.resize(900, 600);
    grid.show();
    QApplication::processEvents();

    auto empty = [&] { grid.setRows(1); };
    const double fill = best(empty, [&] {
        grid.setRedraw(false);
        grid.setRows(kRows);
        for (int r = 1; r < kRows; ++r)
            for (int c = 0; c < kCols; ++c)
                grid.setTextMatrix(r, c, texts[std::size_t(r) * kCols + c]);
        grid.setRedraw(true);
    });
    const double bulk = best(empty, [&] {
        grid.setRedraw(false);
        grid.setRows(kRows);
        grid.setTextBlock(1, 0, block);
        grid.setRedraw(true);
    });

    // Memory with texts of the grid's own, as a load from a record set makes them.
    grid.setRows(1);
    QApplication::processEvents();
    const long before = residentKiB();
    grid.setRedraw(false);
    grid.setRows(kRows);
    for (int r = 1; r < kRows; ++r)
        for (int c = 0; c < kCols; ++c)
            grid.setTextMatrix(r, c, cellText(r, c));
    grid.setRedraw(true);
    QApplication::processEvents();
    const long filled = residentKiB();

    auto full = [&] {
        grid.setRedraw(false);
        grid.setRows(kRows);
        grid.setTextBlock(1, 0, block);
        grid.setRedraw(true);
    };
    const double clear = best(full, [&] { grid.Clear(); });
    const double shrink = best(full, [&] { grid.setRows(1); });
    const double colour = best(full, [&] {
        grid.setRow(1);
        grid.setCol(0);
        grid.setRowSel(kRows - 1);
        grid.setColSel(kCols - 1);
        grid.setFillStyle(1);
        grid.setCellBackColor(0x80000005u);
        grid.setFillStyle(0);
    });

    std::printf("grid of %d x %d cells, shown offscreen\n", kRows, kCols);
    report("TextMatrix fill, Redraw False then True", fill, 150, "ms");
    report("bulk fill (setTextBlock), Redraw False then True", bulk, 150, "ms");
    report("Clear", clear, 30, "ms");
    report("Rows = 1", shrink, 10, "ms");
    report("whole-grid CellBackColor with FillStyle 1", colour, 50, "ms");
    report("memory of the filled grid", (filled - before) / 1024.0, 60, "MB");
    return failures == 0 ? 0 : 1;
}
