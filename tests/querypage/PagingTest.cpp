// A result too large for the grid, shown one page at a time through the
// paging bar: the moves of the bar, the refill, the layout, and clearing.
#include "core/ProgramFolder.h"
#include "data/clsDO.h"
#include "messages/clsError.h"
#include "platform/db/RecordingBackend.h"
#include "querypage/LoadRules.h"
#include "querypage/MaxSQL.h"

#include "PageAccess.h"

#include <QLabel>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

using Answer = db::RecordingBackend::Answer;

// Records 1 ... n: column a the record number, column b its text, Null every tenth record.
std::vector<std::vector<Variant>> records(int n, int cols)
{
    std::vector<std::vector<Variant>> out{std::size_t(n), std::vector<Variant>(std::size_t(cols))};
    for (int r = 1; r <= n; ++r) {
        out[std::size_t(r - 1)][0] = Variant(std::int32_t(r));
        if (cols > 1)
            out[std::size_t(r - 1)][1] = r % 10 ? Variant(QStringLiteral("r%1").arg(r)) : Variant::null();
    }
    return out;
}

class PagingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        rec = db::RecordingBackend::install();
        ProgramFolder::setPath(dir.path());
        msg->setRecorder(recorder);
        page.setErrorObject(msg);
        page.setZoltObject(zolt);
        page.setCurrentTab(1);
        page.ParametersConnection(0, 0, "s", "d", "u", "p");
        rec->answerRegex("^SELECT TOP 1 ", Answer::table({"a", "b"}, {}));
        // 100 records of two columns are paged.
        loadrules::setPagingCellLimit(100);
    }
    void TearDown() override
    {
        loadrules::setPagingCellLimit(0);
        db::RecordingBackend::uninstall();
        ProgramFolder::setPath(QString());
    }
    void run(const QString& sql)
    {
        page.setTextSQL(sql);
        page.ExecuteQuery();
    }
    QScrollBar* bar() { return page.findChild<QScrollBar*>(QStringLiteral("OnDemandElevator")); }
    QString cell(int row, int col) { return page.Flexi().TextMatrix(row, col); }
    int rows() { return page.Flexi().Rows(); }
    int pageRows() { return bar()->pageStep(); }

    QTemporaryDir dir;
    std::shared_ptr<db::RecordingBackend> rec;
    std::shared_ptr<clsDO> zolt = std::make_shared<clsDO>();
    std::shared_ptr<clsError> msg = std::make_shared<clsError>();
    std::shared_ptr<MsgBoxRecorder> recorder = std::make_shared<MsgBoxRecorder>();
    MaxSQL page;
};

} // namespace

TEST_F(PagingTest, TheBarMovesByRecordPageOrToWhereItIsDragged)
{
    rec->answerRows("SELECT a, b FROM t", {"a", "b"}, records(100, 2));
    run("SELECT a, b FROM t");
    ASSERT_FALSE(bar()->isHidden());
    EXPECT_EQ(bar()->minimum(), 1);
    EXPECT_EQ(bar()->maximum(), 100);
    EXPECT_EQ(bar()->singleStep(), 1);
    const int n = pageRows();
    ASSERT_GT(n, 10);
    EXPECT_EQ(rows(), n + 1);
    EXPECT_EQ(cell(1, 0), QStringLiteral("1"));

    // Row 9 shows record 9, then record 10, which is Null in column b.
    EXPECT_EQ(cell(9, 1), QStringLiteral("r9"));
    bar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(bar()->value(), 2);
    EXPECT_EQ(cell(1, 0), QStringLiteral("2"));
    EXPECT_EQ(cell(1, 1), QStringLiteral("r2"));
    EXPECT_EQ(cell(9, 1), QString());
    bar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    bar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(bar()->value(), 1 + n);
    EXPECT_EQ(cell(1, 0), QString::number(1 + n));

    // Dragged to the end: the last record alone in row 1; to the top: record 1.
    bar()->setSliderPosition(100);
    EXPECT_EQ(bar()->value(), 100);
    EXPECT_EQ(rows(), 2);
    EXPECT_EQ(cell(1, 0), QStringLiteral("100"));
    bar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(bar()->value(), 100);
    bar()->setSliderPosition(1);
    EXPECT_EQ(bar()->value(), 1);
    EXPECT_EQ(cell(1, 0), QStringLiteral("1"));
    EXPECT_EQ(rows(), n + 1);
    bar()->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(cell(1, 0), QStringLiteral("100"));
    EXPECT_TRUE(recorder->calls.empty());
}

TEST_F(PagingTest, AMillionRecordsMoveExactlyOnePageAndResizingKeepsThePlace)
{
    loadrules::setPagingCellLimit(0);
    rec->answerRows("SELECT a FROM t", {"a"}, records(1000000, 1));
    rec->answerRegex("^SELECT TOP 1 a FROM t", Answer::table({"a"}, {}));
    run("SELECT a FROM t");
    ASSERT_EQ(bar()->maximum(), 1000000);
    const int n = pageRows();
    bar()->setSliderPosition(500000);
    bar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(bar()->value(), 500000 + n);
    EXPECT_EQ(cell(1, 0), QString::number(500000 + n));
    bar()->triggerAction(QAbstractSlider::SliderPageStepSub);
    EXPECT_EQ(cell(1, 0), QStringLiteral("500000"));

    // A resize keeps the record at the top and fits the page to the grid.
    page.LayoutTwips(16380, 8000);
    EXPECT_EQ(bar()->value(), 500000);
    EXPECT_EQ(cell(1, 0), QStringLiteral("500000"));
    EXPECT_LT(pageRows(), n);
    EXPECT_EQ(rows(), pageRows() + 1);
    page.DragSplitter(-10000);
    EXPECT_EQ(cell(1, 0), QStringLiteral("500000"));
    EXPECT_EQ(rows(), pageRows() + 1);

    // A grid without height still shows one record.
    page.LayoutTwips(16380, 3000);
    EXPECT_EQ(page.TwipsBox("Flexi").height(), 0);
    EXPECT_EQ(pageRows(), 1);
    EXPECT_EQ(rows(), 2);
    EXPECT_EQ(cell(1, 0), QStringLiteral("500000"));
}

TEST_F(PagingTest, AClearedGridOrAFailedFetchIsNotRefilled)
{
    rec->answerRows("SELECT a, b FROM t", {"a", "b"}, records(100, 2));
    run("SELECT a, b FROM t");
    ASSERT_GT(rows(), 2);
    page.DeleteGridData();
    EXPECT_EQ(rows(), 1);
    EXPECT_EQ(cell(0, 0), QStringLiteral("a"));
    EXPECT_TRUE(bar()->isHidden());
    EXPECT_EQ(page.StatusText(), QString());
    page.LayoutTwips(16380, 9000);
    page.DragSplitter(200);
    bar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(rows(), 1);

    run("SELECT a, b FROM t");
    ASSERT_GT(rows(), 2);
    rec->answerError("SELECT a, b FROM u", 208, "no existe u");
    run("SELECT a, b FROM u");
    page.LayoutTwips(16380, 10000);
    EXPECT_EQ(rows(), 1);
    EXPECT_TRUE(bar()->isHidden());
}

TEST(PagingOnScreen, TheBarStandsAtTheGridsRightEdge)
{
    QTemporaryDir dir;
    ProgramFolder::setPath(dir.path());
    auto rec = db::RecordingBackend::install();
    loadrules::setPagingCellLimit(1000);
    std::vector<std::vector<Variant>> rows;
    for (int r = 1; r <= 5000; ++r)
        rows.push_back({Variant(std::int32_t(r)), Variant(QStringLiteral("Cliente %1").arg(r)),
                        r % 7 ? Variant(QStringLiteral("Calle %1, Madrid").arg(r * 3)) : Variant::null(),
                        Variant(r * 1.25)});
    rec->answerRows("SELECT Id, Nombre, Direccion, Saldo FROM Clientes", {"Id", "Nombre", "Direccion", "Saldo"}, rows);
    rec->answerRegex("^SELECT TOP 1 ", Answer::table({"Id", "Nombre", "Direccion", "Saldo"}, {}));
    auto zolt = std::make_shared<clsDO>();
    auto msg = std::make_shared<clsError>();
    msg->setRecorder(std::make_shared<MsgBoxRecorder>());
    QWidget window;
    MaxSQL page(&window);
    page.setParentForm(&window);
    page.setErrorObject(msg);
    page.setZoltObject(zolt);
    page.setCurrentTab(1);
    page.StartControl();
    page.ParametersConnection(0, 0, "srv", "Ventas", "sa", "x");
    page.setTextSQL("SELECT Id, Nombre, Direccion, Saldo FROM Clientes");
    window.resize(16380 / 15, 11130 / 15);
    page.resize(window.size());
    window.show();
    page.ExecuteQuery();
    auto* bar = page.findChild<QScrollBar*>(QStringLiteral("OnDemandElevator"));
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_TRUE(bar->isVisible());
    const QRect grid = page.TwipsBox("Flexi"), elevator = page.TwipsBox("OnDemandElevator");
    EXPECT_EQ(elevator.left(), grid.left() + grid.width());
    EXPECT_EQ(elevator.top(), grid.top());
    EXPECT_EQ(page.Flexi().TextMatrix(1, 0), QString::number(bar->pageStep() + 2));
    if (const QString shot = qEnvironmentVariable("VELMORA_PAGING_SHOT"); !shot.isEmpty()) {
        QTest::qWait(300);
        window.grab().save(shot);
    }
    loadrules::setPagingCellLimit(0);
    db::RecordingBackend::uninstall();
    ProgramFolder::setPath(QString());
}

// A refill that fails is reported once, nothing leaves the handler, and the
// bar answers the next move: the refill's busy flag does not stay set.
TEST_F(PagingTest, AFailedRefillIsReportedOnceAndTheBarStillMoves)
{
    rec->answerRows("SELECT a, b FROM t", {"a", "b"}, records(100, 2));
    run("SELECT a, b FROM t");
    ASSERT_FALSE(bar()->isHidden());
    ASSERT_TRUE(recorder->calls.empty());
    // Edited rows are looked up by a key column the grid no longer has.
    MaxSQLTestAccess::setGridEditable(page, true);
    MaxSQLTestAccess::setRecords(page, std::make_shared<clsMultiTabla>());
    page.Flexi().setLockedColumns(QStringLiteral("1"));
    page.Flexi().setCols(1);

    EXPECT_NO_THROW(bar()->triggerAction(QAbstractSlider::SliderSingleStepAdd));
    ASSERT_EQ(recorder->calls.size(), 1u);
    EXPECT_TRUE(recorder->calls[0].body.startsWith(QStringLiteral("\r\nMAXSQL.ONDEMANDELEVATOR_CHANGE\r\nError: ")))
        << recorder->calls[0].body.toStdString();
    EXPECT_TRUE(page.Flexi().Redraw());

    // The grid mended, the next move refills.
    MaxSQLTestAccess::setGridEditable(page, false);
    page.Flexi().setCols(2);
    bar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(recorder->calls.size(), 1u);
    EXPECT_EQ(cell(1, 0), QString::number(bar()->value()));
    EXPECT_GT(bar()->value(), 2);
}
