// The grid as the user sees it, grabbed to a picture beside the build for a
// look by eye: a locked (yellow) key header, a coloured row, the caret.
#include "GridTestSupport.h"

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
