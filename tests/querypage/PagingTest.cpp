// A result too large for the grid, shown one page at a time through the
// paging bar: the moves of the bar, the refill, the layout, and clearing.
#include "PageFixture.h"
#include "support/PaintedCell.h"


namespace {

class PagingTest : public PageFixture {
protected:
    // Loads records 1 ... n of `sql`: column a the record number, column b its
    // text, Null every tenth record; 100 records of two columns are paged
    // unless a cell limit is given.
    void loadRecords(const QString& sql, int n, int cols = 2, int cellLimit = -1)
    {
        std::vector<std::vector<Variant>> out{std::size_t(n), std::vector<Variant>(std::size_t(cols))};
        for (int r = 1; r <= n; ++r) {
            out[std::size_t(r - 1)][0] = Variant(std::int32_t(r));
            if (cols > 1)
                out[std::size_t(r - 1)][1] = r % 10 ? Variant(QStringLiteral("r%1").arg(r)) : Variant::null();
        }
        rec->answerRows(sql, QStringList{"a", "b"}.mid(0, cols), out);
        rec->answerRegex("^SELECT TOP 1 ", Answer::table(QStringList{"a", "b"}.mid(0, cols), {}));
        loadrules::setPagingCellLimit(cellLimit >= 0 ? cellLimit : n == 100 ? 100 : 0);
        run(sql);
    }
    QScrollBar* bar() { return child<QScrollBar>("OnDemandElevator"); }
    QString cell(int row, int col) { return page.Flexi().TextMatrix(row, col); }
    int rows() { return page.Flexi().Rows(); }
    int pageRows() { return bar()->pageStep(); }
};

TEST_F(PagingTest, TheBarMovesAClearedGridStaysAndAFailedRefillIsReportedOnce)
{
    loadRecords("SELECT a, b FROM t", 100);
    ASSERT_FALSE(bar()->isHidden());
    const int n = pageRows();
    ASSERT_GT(n, 10);
    EXPECT_EQ(std::tuple(bar()->minimum(), bar()->maximum(), bar()->singleStep(), rows(), cell(1, 0)), std::tuple(1, 100, 1, n + 1, "1"));
    // The bar stands at the grid's right edge.
    const QRect grid = page.TwipsBox("Flexi");
    EXPECT_EQ(page.TwipsBox("OnDemandElevator").topLeft(), QPoint(grid.left() + grid.width(), grid.top()));

    // Row 9 shows record 9, then record 10, which is Null in column b.
    EXPECT_EQ(cell(9, 1), QStringLiteral("r9"));
    bar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(std::tuple(bar()->value(), cell(1, 0) + cell(1, 1), cell(9, 1)), std::tuple(2, "2r2", ""));
    bar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    bar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(std::tuple(bar()->value(), cell(1, 0)), std::tuple(1 + n, QString::number(1 + n)));

    // Dragged to the end: the last record alone in row 1; to the top: record 1.
    bar()->setSliderPosition(100);
    EXPECT_EQ(std::tuple(bar()->value(), rows(), cell(1, 0)), std::tuple(100, 2, "100"));
    bar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(bar()->value(), 100);
    bar()->setSliderPosition(1);
    EXPECT_EQ(std::tuple(bar()->value(), cell(1, 0), rows()), std::tuple(1, "1", n + 1));
    bar()->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(std::tuple(cell(1, 0), recorder->calls.size()), std::tuple("100", 0u));

    // A cleared grid is not refilled by a layout, a drag or the bar.
    page.DeleteGridData();
    EXPECT_EQ(std::tuple(rows(), cell(0, 0), bar()->isHidden(), page.StatusText()), std::tuple(1, "a", true, ""));
    page.LayoutTwips(16380, 9000);
    page.DragSplitter(200);
    bar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(rows(), 1);

    // A refill that fails is reported once, nothing leaves the handler, and the
    // bar answers the next move: the refill's busy flag does not stay set.
    run("SELECT a, b FROM t");
    ASSERT_FALSE(bar()->isHidden());
    // Edited rows are looked up by a key column the grid no longer has.
    MaxSQLTestAccess::setGridEditable(page, true);
    MaxSQLTestAccess::setRecords(page, std::make_shared<clsMultiTabla>());
    page.Flexi().setLockedColumns(QStringLiteral("1"));
    page.Flexi().setCols(1);

    EXPECT_NO_THROW(bar()->triggerAction(QAbstractSlider::SliderSingleStepAdd));
    ASSERT_EQ(recorder->calls.size(), 1u);
    EXPECT_TRUE(reports()[0].startsWith(QStringLiteral("MAXSQL.ONDEMANDELEVATOR_CHANGE\r\nError: "))) << reports()[0].toStdString();
    EXPECT_TRUE(page.Flexi().Redraw());
    // Refreshed directly, the failure leaves the grid drawing and editable as it was.
    page.Flexi().setEditable(true);
    EXPECT_THROW(MaxSQLTestAccess::refreshEditedRows(page, true), Error);
    EXPECT_EQ(std::tuple(page.Flexi().Redraw(), page.Flexi().Editable()), std::tuple(true, true));

    // The grid mended, the next move refills.
    MaxSQLTestAccess::setGridEditable(page, false);
    page.Flexi().setCols(2);
    bar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(std::tuple(recorder->calls.size(), cell(1, 0), bar()->value() > 2), std::tuple(1u, QString::number(bar()->value()), true));
}

TEST_F(PagingTest, AMillionRecordsMoveExactlyOnePageAndResizingKeepsThePlace)
{
    loadRecords("SELECT a FROM t", 1000000, 1);
    ASSERT_EQ(bar()->maximum(), 1000000);
    const int n = pageRows();
    bar()->setSliderPosition(500000);
    bar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(std::tuple(bar()->value(), cell(1, 0)), std::tuple(500000 + n, QString::number(500000 + n)));
    bar()->triggerAction(QAbstractSlider::SliderPageStepSub);
    EXPECT_EQ(cell(1, 0), QStringLiteral("500000"));

    // A resize keeps the record at the top and fits the page to the grid.
    page.LayoutTwips(16380, 8000);
    EXPECT_EQ(std::tuple(bar()->value(), pageRows() < n), std::tuple(500000, true));
    page.DragSplitter(-10000);
    EXPECT_EQ(std::tuple(cell(1, 0), rows()), std::tuple("500000", pageRows() + 1));

    // A grid without height still shows one record.
    page.LayoutTwips(16380, 3000);
    EXPECT_EQ(std::tuple(page.TwipsBox("Flexi").height(), pageRows(), rows(), cell(1, 0)), std::tuple(0, 1, 2, "500000"));
}

// At the last page of a large result, numbers and names are wider than the
// columns fitted to the first page: the columns widen to them, and where the
// fit's ceiling (a third of the grid) stops a column, its texts are painted
// shortened with their mark, never as another value.
TEST_F(PagingTest, LaterPagesWidenTheColumnsAndNoValueIsCutIntoAnother)
{
    const int n = 100000;
    for (const int width : {16380, 1800}) {
        page.LayoutTwips(width, 9000);
        loadRecords("SELECT * FROM Big", n, 2, 1000);
        ASSERT_FALSE(bar()->isHidden());
        int shortened = 0;
        // Dragged to the end (the last record alone), then the page before it.
        for (const int first : {n, n - pageRows()}) {
            bar()->setSliderPosition(first);
            ASSERT_EQ(cell(1, 0), QString::number(first));
            for (int r = 1; r < rows(); ++r)
                for (int c = 0; c < 2; ++c) {
                    const painted::Cell shown = painted::paint(page.Flexi(), r, c);
                    EXPECT_TRUE(painted::readsTrue(shown.text, cell(r, c))) << shown.text.toStdString();
                    EXPECT_LE(shown.width, shown.room) << shown.text.toStdString();
                    shortened += shown.text != cell(r, c);
                }
        }
        EXPECT_TRUE(width == 16380 ? shortened == 0 : shortened > 2) << width << ": " << shortened;
    }
}

// A result of a local file large enough to arrive in several turns: 20,480
// records of two columns.
class ArrivingResultTest : public PageBase {
protected:
    static constexpr int Records = 20480;
    void SetUp() override
    {
        PageBase::SetUp();
        startAsTheProgram();
        QStringList fill{"CREATE TABLE T (a LONG, b TEXT(10))"};
        for (int r = 1; r <= 5; ++r)
            fill << QStringLiteral("INSERT INTO T VALUES (%1, 'r%1')").arg(r);
        for (int k = 5; k < Records; k *= 2)
            fill << QStringLiteral("INSERT INTO T SELECT a + %1, b FROM T").arg(k);
        file = makeLocalFile(dir.filePath("big.mdb"), fill);
    }
    void open(MaxSQL& p, const QString& sql)
    {
        MaxSQLTestAccess::slowFetch(p);
        p.ParametersConnection(1, 1, "", file, "", "");
        p.setTextSQL(sql);
        p.ExecuteQuery();
    }
    QScrollBar* bar() { return page.findChild<QScrollBar*>("OnDemandElevator"); }
    QString file;
};

TEST_F(ArrivingResultTest, CountPagingAndBarEndAsTheWholeResultPutsThemBelowAtAndAboveTheLine)
{
    const qint64 line = (Records + 1) * 2; // the cells of the result with its header row
    for (const qint64 limit : {line + 1, line, line - 1, qint64(1000)}) {
        loadrules::setPagingCellLimit(limit);
        open(page, "SELECT a, b FROM T ORDER BY a");
        const bool paged = limit < line;
        // Paged or not from the first page on, as the whole result is.
        EXPECT_EQ(!bar()->isHidden(), paged) << limit;
        if (limit == 1000) {
            EXPECT_TRUE(MaxSQLTestAccess::fetching(page) && MaxSQLTestAccess::recordCount(page) < Records);
        }
        MaxSQLTestAccess::finishFetch(page);
        EXPECT_EQ(std::tuple(MaxSQLTestAccess::recordCount(page), !bar()->isHidden(), paged ? bar()->maximum() : Records,
                             page.Flexi().TextMatrix(1, 0)),
                  std::tuple(qint64(Records), paged, Records, "1"))
            << limit;
        if (!paged) {
            EXPECT_EQ(page.Flexi().Rows(), Records + 1);
        }
        // Pages of a paged result come back whole on each side of where its rows are stored apart.
        for (const int at : {4090, 8190, Records - 3}) {
            if (!paged)
                continue;
            bar()->setSliderPosition(at);
            QStringList seen, wanted;
            for (int r = 1; r < page.Flexi().Rows(); ++r) {
                const int a = at + r - 1;
                seen << page.Flexi().TextMatrix(r, 0) + page.Flexi().TextMatrix(r, 1);
                wanted << QString::number(a) + "r" + QString::number((a - 1) % 5 + 1);
            }
            EXPECT_EQ(seen, wanted) << at;
        }
        EXPECT_TRUE(page.StatusText().contains(QStringLiteral("20")) && page.StatusText().contains(QStringLiteral("480")));
    }
    EXPECT_TRUE(recorder->calls.empty()) << shown().join('\n').toStdString();
}

TEST_F(ArrivingResultTest, ANewRunTakesNoLateRowAndAClosedPageLeavesNoReadBehind)
{
    loadrules::setPagingCellLimit(1000);
    open(page, "SELECT a, b FROM T ORDER BY a");
    ASSERT_TRUE(MaxSQLTestAccess::fetching(page));
    MaxSQLTestAccess::fetchTurn(page);
    open(page, "SELECT a, b FROM T WHERE a <= 3000 ORDER BY a DESC");
    // As many turns as the first result would have needed to end as well.
    for (int turn = 0; turn < Records / 512 + 2; ++turn)
        MaxSQLTestAccess::fetchTurn(page);
    EXPECT_EQ(std::tuple(MaxSQLTestAccess::recordCount(page), bar()->maximum(), page.Flexi().TextMatrix(1, 0)),
              std::tuple(qint64(3000), 3000, "3000"));

    // A page closed while its rows arrive: the file is free for a change at once.
    auto other = std::make_unique<MaxSQL>();
    wire(*other);
    open(*other, "SELECT a, b FROM T ORDER BY a");
    ASSERT_TRUE(MaxSQLTestAccess::fetching(*other));
    other.reset();
    QCoreApplication::processEvents();
    db::Connection c;
    c.Open("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + file);
    c.setCommandTimeout(1);
    EXPECT_NO_THROW(c.Execute("DELETE FROM T WHERE a > 3000"));
    EXPECT_TRUE(recorder->calls.empty()) << shown().join('\n').toStdString();
}

} // namespace
