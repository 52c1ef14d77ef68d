// The grid as the user sees it, grabbed to a picture beside the build for a
// look by eye: a locked (yellow) key header, a coloured row, the caret; and
// the texts its cells are painted with.
#include "GridTestSupport.h"
#include "support/PaintedCell.h"

#include <QDir>
#include <QImage>
#include <QPixmap>

TEST_F(GridTest, GrabbedPictureShowsLockedHeaderColouredRowAndCaret)
{
    fill(12, 4, false);
    const QStringList header{"Id", "Nombre", "Importe", "Alta"};
    for (int c = 0; c < 4; ++c) {
        grid.setTextMatrix(0, c, header[c]);
        grid.setColWidth(c, 1400);
    }
    for (int r = 1; r < 12; ++r) {
        grid.setTextMatrix(r, 0, QString::number(r));
        grid.setTextMatrix(r, 1, QStringLiteral("Cliente %1").arg(r));
        grid.setTextMatrix(r, 2, QStringLiteral("%1,50").arg(r * 10));
        grid.setTextMatrix(r, 3, QStringLiteral("0%1/01/2024").arg(r % 9 + 1));
    }
    grid.resize(420, 230);
    grid.show();
    grid.setTypesString("LONG|STRING|DOUBLE|DATE");
    grid.setLockedColumns("0");
    grid.setEditable(true);
    // A changed row, as the page paints it.
    moveTo(3, 0);
    grid.setColSel(3);
    grid.setFillStyle(1);
    grid.setCellBackColor(0xFFFAE1);
    grid.setFillStyle(0);
    moveTo(5, 1);
    grid.tmrCellFocused_Timer();
    ASSERT_TRUE(grid.caretShown());

    const QImage image = grid.grab().toImage();
    const QString folder = qEnvironmentVariable("VELMORA_BINARY_DIR", QDir::tempPath());
    EXPECT_TRUE(image.save(folder + "/maxgrid.png"));
    // Header cell of the locked column in yellow, the coloured row in its colour.
    const int headerY = 8, rowY = 16 + 2 * 16 + 8;
    EXPECT_EQ(image.pixelColor(40, headerY), QColor(255, 225, 0));
    EXPECT_EQ(image.pixelColor(200, rowY), QColor(225, 250, 255));
}

// A text wider than its column is painted shortened with a mark, never
// clipped into another value: numbers keep their leading digits; a cell being
// typed into keeps its end, where the caret is, in sight.
TEST_F(GridTest, ATextWiderThanItsColumnIsPaintedShortenedWithAMark)
{
    fill(4, 2, false);
    const QString values[3][2] = {{"100000", "Name 99969"}, {"7", "x"}, {"-1.234.567,89", "Name 1"}};
    for (int r = 1; r < 4; ++r)
        for (int c = 0; c < 2; ++c)
            grid.setTextMatrix(r, c, values[r - 1][c]);
    grid.setColWidth(0, 450);
    grid.setColWidth(1, 600);
    grid.resize(300, 200);
    grid.show();
    for (int r = 1; r < 4; ++r)
        for (int c = 0; c < 2; ++c) {
            const painted::Cell cell = painted::paint(grid, r, c);
            EXPECT_TRUE(painted::readsTrue(cell.text, values[r - 1][c])) << cell.text.toStdString();
            EXPECT_LE(cell.width, cell.room) << cell.text.toStdString();
        }
    EXPECT_EQ(painted::paint(grid, 2, 0).text, "7");
    EXPECT_TRUE(painted::paint(grid, 1, 0).text.endsWith(QChar(0x2026)));
    grid.setColWidth(0, 3000);
    EXPECT_EQ(painted::paint(grid, 1, 0).text, "100000");

    editAt(1, 1);
    focus();
    for (int i = 0; i < 3; ++i)
        grid.tmrCellFocused_Timer();
    ASSERT_TRUE(grid.caretShown());
    const painted::Cell typed = painted::paint(grid, 1, 1);
    EXPECT_TRUE(typed.text.startsWith(QChar(0x2026)) && typed.text.endsWith(u'|')) << typed.text.toStdString();
    EXPECT_LE(typed.width, typed.room);
}

// Raised and inset texts carry a light and a dark copy one pixel off, on
// opposite sides; the light styles only the light one. TextStyle draws the
// normal cells, TextStyleFixed the fixed ones, each on its own.
TEST_F(GridTest, RaisedAndInsetTextsArePaintedWithTheirOffsetCopies)
{
    fill(3, 2);
    grid.setFixedCols(1);
    grid.resize(300, 200);
    grid.show();
    const QColor light = controls::resolveColor(0x80000014u), dark = controls::resolveColor(0x80000010u);
    ASSERT_NE(light, dark);
    // Each copy as its colour and offset from the text itself, which is drawn last.
    const auto copies = [&](int col) {
        const painted::Cell cell = painted::paint(grid, 1, col);
        QStringList out;
        for (const painted::Run& run : cell.runs.mid(0, cell.runs.size() - 1)) {
            const QPointF d = run.at - cell.runs.last().at;
            EXPECT_EQ(run.text, cell.runs.last().text);
            out << QStringLiteral("%1%2,%3").arg(run.color == light ? "L" : run.color == dark ? "D" : "?").arg(d.x()).arg(d.y());
        }
        return out.join(u' ');
    };
    const QString expected[] = {"", "L-1,-1 D1,1", "L1,1 D-1,-1", "L-1,-1", "L1,1"};
    for (int style = 0; style <= 4; ++style) {
        grid.setTextStyle(style);
        grid.setTextStyleFixed(4 - style);
        EXPECT_EQ(copies(1), expected[style]) << style;
        EXPECT_EQ(copies(0), expected[4 - style]) << style;
    }
    EXPECT_THROW(grid.setTextStyle(5), Error);
    EXPECT_THROW(grid.setTextStyleFixed(-1), Error);
    EXPECT_EQ(std::pair(grid.TextStyle(), grid.TextStyleFixed()), std::pair(4, 0));
}
