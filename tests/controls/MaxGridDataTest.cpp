// Sorting the rows and showing a record set.
#include "GridTestSupport.h"
#include "platform/db/Db.h"

#include <QTemporaryDir>

class SortTest : public GridTest {
protected:
    // Rows A-F (labels in the fixed column) under a header, two key columns; C and D differ in case
    // only. The selection given, then the sort.
    void load(int setting, int row = 1, int rowSel = 1, int colSel = 1)
    {
        const QStringList rows[] = {{"A", "10", "x"}, {"B", "9", "y"},  {"C", "abc", "z"},
                                    {"D", "Abc", "w"}, {"E", "-2", "v"}, {"F", "B", "u"}};
        grid.setRows(7);
        grid.setCols(3);
        grid.setFixedCols(1);
        grid.setTextMatrix(0, 1, "K1");
        for (int r = 1; r <= 6; ++r)
            for (int c = 0; c < 3; ++c)
                grid.setTextMatrix(r, c, rows[r - 1][c]);
        moveTo(row, 1);
        grid.setRowSel(rowSel);
        grid.setColSel(colSel);
        grid.setSort(setting);
    }
    QString order() const
    {
        QString out;
        for (int r = 1; r < grid.Rows(); ++r)
            out += grid.TextMatrix(r, 0);
        return out;
    }
};

TEST_F(SortTest, EverySettingOrdersTheRowsBelowTheHeaderStablyByItsRule)
{
    // Generic: numbers as numbers, the rest as text without case; numeric: text counts 0;
    // then text without and with case. Equal keys (C, D) keep their order either way.
    const QString expected[] = {"ABCDEF", "EBACDF", "FCDABE", "ECDFBA", "ABCDFE",
                                "EABCDF", "FCDBAE", "EABDFC", "CFDBAE", "ABCDEF"};
    for (int setting = 0; setting <= 9; ++setting) {
        load(setting);
        EXPECT_EQ(order(), expected[setting]) << setting;
    }
    EXPECT_EQ(grid.TextMatrix(0, 1), "K1");
    load(5, 1, 1, 2); // the second key orders what the first leaves equal
    EXPECT_EQ(order(), "EABDCF");
    load(3, 2, 4); // a row range sorts those rows only
    EXPECT_EQ(order(), "ACDBEF");
    for (int bad : {-1, 10})
        EXPECT_THROW(grid.setSort(bad), Error);
    EXPECT_EQ(order(), "ACDBEF");

    // Many rows of few keys: an unstable sort shows only on runs this long.
    grid.setRows(41);
    for (int r = 1; r <= 40; ++r)
        grid.setTextBlock(r, 0, {{QString::number(r), QString::number(r % 3)}});
    moveTo(1, 1);
    grid.setSort(2);
    const auto at = [&](int row) { return std::pair(-grid.TextMatrix(row, 1).toInt(), grid.TextMatrix(row, 0).toInt()); };
    for (int r = 1; r < 40; ++r)
        EXPECT_LT(at(r), at(r + 1)) << r;
}

TEST_F(SortTest, ARowTakesItsColoursAlignmentPictureHeightAndEditStateAlong)
{
    load(0);
    QPixmap picture(4, 4);
    grid.setRowBackColor(5, 0x00FF00);
    moveTo(5, 2);
    grid.setCellBackColor(0x0000FF);
    grid.setCellAlignment(4);
    grid.setCellPicture(picture);
    grid.setRowHeight(5, 600);
    editAt(5, 2); // row E's second key is being edited
    grid.setSort(5); // by that key: E comes second
    ASSERT_EQ(order(), "FEDABC");
    EXPECT_EQ(std::pair(grid.LastRowChanged(), grid.LastValue()), std::pair(2, QString("v")));
    EXPECT_EQ(view->model()->index(1, 1).data(Qt::BackgroundRole).value<QColor>(), QColor(0, 255, 0));
    const auto state = [&](int row) {
        moveTo(row, 2);
        return std::tuple(grid.CellBackColor(), grid.CellAlignment(), grid.CellPicture().isNull(), grid.RowHeight(row));
    };
    EXPECT_EQ(state(2), std::tuple(0x0000FFu, 4, false, 600));
    EXPECT_EQ(state(5), std::tuple(grid.BackColor(), 9, true, 240));
}

// A local file's record set: field names in the header, values as the grid shows them, from the first
// column after the fixed ones. Unbinding keeps the rows; a closed set is reported and changes nothing.
TEST_F(GridTest, ARecordSetIsShownUnboundOnEmptyAndAnUnreadableOneChangesNothing)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("data.mdb");
    db::Catalog::Create("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + file);
    auto cn = std::make_shared<db::Connection>();
    cn->Open("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + file);
    for (const char* sql : {"CREATE TABLE Items (Id INTEGER, Name TEXT(20), Price DOUBLE)",
                            "INSERT INTO Items VALUES (1, 'Uno', 2.5), (2, NULL, 1000), (3, 'Tres', NULL)"})
        cn->Execute(sql);
    const auto open = [&](const char* sql) {
        auto rs = std::make_shared<db::Recordset>();
        rs->Open(sql, cn);
        return rs;
    };
    const auto shown = [&] { // every cell: a tab between cells, a CR between rows
        moveTo(0, 0);
        grid.setRowSel(grid.Rows() - 1);
        grid.setColSel(grid.Cols() - 1);
        return grid.Clip();
    };

    fill(9, 2);
    auto rs = open("SELECT Id, Name, Price FROM Items ORDER BY Id");
    grid.setDataSource(Variant(rs));
    EXPECT_EQ(std::pair(grid.Rows(), grid.Cols()), std::pair(4, 3));
    EXPECT_EQ(shown(), "Id\tName\tPrice\r1\tUno\t2,5\r2\t\t1000\r3\tTres\t");
    EXPECT_EQ(grid.DataSource().as<db::Recordset>(), rs);
    grid.setDataSource(Variant());
    EXPECT_TRUE(grid.DataSource().isEmpty());
    EXPECT_EQ(grid.Rows(), 4);

    grid.setFixedCols(1);
    grid.setDataSource(Variant(open("SELECT Name FROM Items WHERE Id = 3")));
    EXPECT_EQ(shown(), "\tName\r\tTres");
    auto closed = open("SELECT Id FROM Items");
    closed->Close();
    grid.setDataSource(Variant(closed));
    EXPECT_EQ(boxes->calls.size(), 1u);
    EXPECT_EQ(shown(), "\tName\r\tTres");
    EXPECT_EQ(grid.DataSource().as<db::Recordset>()->RecordCount(), 1);
    EXPECT_THROW(grid.setDataSource(Variant("Items")), Error);
}
