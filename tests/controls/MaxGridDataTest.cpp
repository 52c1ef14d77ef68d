// Sorting the rows and showing a record set.
#include "GridTestSupport.h"
#include "platform/db/Db.h"

#include <QTemporaryDir>

namespace {
// Row labels in the fixed column and two key columns; C and D differ in case only.
const QStringList kRows[] = {{"A", "10", "x"}, {"B", "9", "y"}, {"C", "abc", "z"},
                             {"D", "Abc", "w"}, {"E", "-2", "v"}, {"F", "B", "u"}};
} // namespace

class SortTest : public GridTest {
protected:
    // The six rows below a header row, the current cell on the first key.
    void load()
    {
        grid.setRows(7);
        grid.setCols(3);
        grid.setFixedCols(1);
        grid.setTextMatrix(0, 1, "K1");
        for (int r = 1; r <= 6; ++r)
            for (int c = 0; c < 3; ++c)
                grid.setTextMatrix(r, c, kRows[r - 1][c]);
        moveTo(1, 1);
    }
    QString order() const
    {
        QString out;
        for (int r = 1; r < grid.Rows(); ++r)
            out += grid.TextMatrix(r, 0);
        return out;
    }
    QString sorted(int setting)
    {
        load();
        grid.setSort(setting);
        return order();
    }
};

TEST_F(SortTest, EverySettingOrdersTheRowsBelowTheHeaderStablyByItsRule)
{
    // Generic: numbers as numbers, the rest as text without case; numeric: text counts 0;
    // then text without and with case. Equal keys (C, D) keep their order either way.
    const QString expected[] = {"ABCDEF", "EBACDF", "FCDABE", "ECDFBA", "ABCDFE",
                                "EABCDF", "FCDBAE", "EABDFC", "CFDBAE", "ABCDEF"};
    for (int setting = 0; setting <= 9; ++setting)
        EXPECT_EQ(sorted(setting), expected[setting]) << setting;
    EXPECT_EQ(grid.TextMatrix(0, 1), "K1");

    // Two keys: the second one orders what the first leaves equal.
    load();
    grid.setColSel(2);
    grid.setSort(5);
    EXPECT_EQ(order(), "EABDCF");
    // A row range sorts those rows only.
    load();
    grid.setRow(2);
    grid.setRowSel(4);
    grid.setSort(3);
    EXPECT_EQ(order(), "ACDBEF");
    for (int bad : {-1, 10})
        EXPECT_THROW(grid.setSort(bad), Error);
    EXPECT_EQ(order(), "ACDBEF");

    // Many rows of few keys: an unstable sort shows only on runs this long.
    grid.setRows(41);
    for (int r = 1; r <= 40; ++r) {
        grid.setTextMatrix(r, 0, QString::number(r));
        grid.setTextMatrix(r, 1, QString::number(r % 3));
    }
    moveTo(1, 1);
    grid.setSort(2);
    for (int r = 1; r < 40; ++r) {
        const auto at = [&](int row) { return std::pair(-grid.TextMatrix(row, 1).toInt(), grid.TextMatrix(row, 0).toInt()); };
        EXPECT_LT(at(r), at(r + 1)) << r;
    }
}

TEST_F(SortTest, ARowTakesItsColoursAlignmentPictureHeightAndEditStateAlong)
{
    load();
    QPixmap picture(4, 4);
    picture.fill(Qt::red);
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

class DataSourceTest : public GridTest {
protected:
    QTemporaryDir dir;
    db::ConnectionPtr cn = std::make_shared<db::Connection>();

    void SetUp() override
    {
        GridTest::SetUp();
        ASSERT_TRUE(dir.isValid());
        const QString file = dir.filePath("data.mdb");
        db::Catalog::Create("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + file);
        cn->Open("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + file);
        for (const char* sql : {"CREATE TABLE Items (Id INTEGER, Name TEXT(20), Price DOUBLE)",
                                "INSERT INTO Items VALUES (1, 'Uno', 2.5)", "INSERT INTO Items VALUES (2, NULL, 1000)",
                                "INSERT INTO Items VALUES (3, 'Tres', NULL)"})
            cn->Execute(sql);
    }
    std::shared_ptr<db::Recordset> open(const QString& sql)
    {
        auto rs = std::make_shared<db::Recordset>();
        rs->Open(sql, cn);
        return rs;
    }
    QString shown() const
    {
        QStringList rows;
        for (int r = 0; r < grid.Rows(); ++r) {
            QStringList cells;
            for (int c = 0; c < grid.Cols(); ++c)
                cells << grid.TextMatrix(r, c);
            rows << cells.join(u',');
        }
        return rows.join(u'|');
    }
};

TEST_F(DataSourceTest, ALocalFilesRecordSetIsShownUnboundOnEmptyAndAnUnreadableOneChangesNothing)
{
    grid.setFixedCols(0);
    grid.setRows(9);
    grid.setTextMatrix(8, 1, "old");
    auto rs = open("SELECT Id, Name, Price FROM Items ORDER BY Id");
    grid.setDataSource(Variant(rs));
    EXPECT_EQ(std::pair(grid.Rows(), grid.Cols()), std::pair(4, 3));
    EXPECT_EQ(shown(), "Id,Name,Price|1,Uno,2,5|2,,1000|3,Tres,");
    EXPECT_EQ(grid.DataSource().as<db::Recordset>(), rs);

    grid.setDataSource(Variant());
    EXPECT_TRUE(grid.DataSource().isEmpty());
    EXPECT_EQ(grid.Rows(), 4);

    // With a fixed column the fields start after it.
    grid.setFixedCols(1);
    grid.setDataSource(Variant(open("SELECT Name FROM Items WHERE Id = 3")));
    EXPECT_EQ(shown(), ",Name|,Tres");

    auto closed = open("SELECT Id FROM Items");
    closed->Close();
    grid.setDataSource(Variant(closed));
    EXPECT_EQ(boxes->calls.size(), 1u);
    EXPECT_EQ(shown(), ",Name|,Tres");
    EXPECT_EQ(grid.DataSource().as<db::Recordset>()->RecordCount(), 1);
    EXPECT_THROW(grid.setDataSource(Variant("Items")), Error);
}
