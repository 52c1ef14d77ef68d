// Typing, keys and the traps around the grid's handlers.
#include "GridTestSupport.h"

#include <QClipboard>

TEST_F(GridTest, EnterAndTabMoveOneCellAndWrapToRowOneColumnZero)
{
    fill(3, 2, false);
    editAt(1, 0);
    focus();
    // From the cell, the key and the cell it leads to. Shift+Tab: nothing in column 0 of the first data
    // row, the row above otherwise.
    const std::tuple<std::pair<int, int>, Qt::Key, Qt::KeyboardModifiers, std::pair<int, int>> moves[] = {
        {{1, 0}, Qt::Key_Tab, Qt::NoModifier, {1, 1}},           {{1, 1}, Qt::Key_Return, Qt::NoModifier, {2, 0}},
        {{2, 1}, Qt::Key_Enter, Qt::KeypadModifier, {1, 0}},     {{1, 0}, Qt::Key_Backtab, Qt::ShiftModifier, {1, 0}},
        {{2, 0}, Qt::Key_Backtab, Qt::ShiftModifier, {1, 1}}};
    for (const auto& [from, k, mods, to] : moves) {
        moveTo(from.first, from.second);
        key(k, mods);
        EXPECT_EQ(cell(), to) << from.first << "," << from.second << " key " << k;
    }
}

TEST_F(GridTest, TabKeepsTheFocusInAShownGrid)
{
    QWidget window;
    auto* g = new MaxGrid(&window);
    auto* other = new QWidget(&window);
    other->setFocusPolicy(Qt::StrongFocus);
    window.show();
    QApplication::setActiveWindow(&window);
    g->setFixedCols(0);
    g->setRows(3);
    g->setCols(3);
    g->setEditable(true);
    g->setRow(1);
    g->setCol(0);
    g->SetFocus();
    ASSERT_TRUE(g->innerGrid()->hasFocus());
    QTest::keyClick(g->innerGrid(), Qt::Key_Tab);
    EXPECT_EQ(g->Col(), 1);
    EXPECT_TRUE(g->innerGrid()->hasFocus());
}

TEST_F(GridTest, TypingClipboardDeleteAndInsertKeys)
{
    fill(4, 2, false);
    grid.setTextMatrix(1, 1, "12");
    editAt(1, 1);
    type("3");
    EXPECT_EQ(grid.TextMatrix(1, 1), "123");
    for (int i = 0; i < 4; ++i) // one too many: an empty cell stays empty
        key(Qt::Key_Backspace);
    EXPECT_EQ(grid.TextMatrix(1, 1), "");
    commit(QString(QChar(0xF1)));
    EXPECT_EQ(grid.TextMatrix(1, 1), QString(QChar(0xF1)));
    key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString(QChar(0xF1)));
    QGuiApplication::clipboard()->setText("a\r\nb");
    key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(std::tuple(grid.TextMatrix(1, 1), grid.TextMatrix(2, 1)), std::tuple("a\r\nb", ""));
    key(Qt::Key_Delete);
    EXPECT_EQ(grid.TextMatrix(1, 1), "");

    grid.setTextMatrix(2, 0, "second");
    key(Qt::Key_Delete, Qt::ControlModifier); // 4 rows: the current row goes
    EXPECT_EQ(std::tuple(grid.Rows(), grid.TextMatrix(1, 0)), std::tuple(3, "second"));
    key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(grid.Rows(), 2);
    key(Qt::Key_Delete, Qt::ControlModifier); // 2 rows: nothing
    EXPECT_EQ(grid.Rows(), 2);

    // Ctrl+Insert adds a row only with automatic growing.
    fill(3, 2);
    editAt(2, 0);
    key(Qt::Key_Insert, Qt::ControlModifier);
    EXPECT_EQ(grid.Rows(), 3);
    grid.setAutomaticGrowing(true);
    key(Qt::Key_Insert, Qt::ControlModifier);
    EXPECT_EQ(std::tuple(grid.Rows(), grid.Row(), grid.TextMatrix(2, 0), grid.TextMatrix(3, 0)), std::tuple(4, 2, "", "2,0"));
    type("n");
    grid.setRow(1);
    // The new row's cell changed, not the one that moved down.
    EXPECT_EQ(std::tuple(cellChanged, grid.TextMatrix(3, 0)), std::tuple(1, "2,0"));
}

TEST_F(GridTest, HostSeesKeyDownFirstAndCanVetoTheGridsAction)
{
    fill(4, 2);
    editAt(2, 0);
    QList<int> codes;
    auto c = QObject::connect(&grid, &MaxGrid::KeyDown, [&](int& keyCode, int& shift) {
        codes << keyCode << shift;
        if (keyCode == 46 && shift == 2)
            keyCode = 0; // the page deletes the record itself
    });
    key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(std::tuple(codes.mid(codes.size() - 2), grid.Rows()), std::tuple(QList<int>({46, 2}), 4)); // after Ctrl's own
    QObject::disconnect(c);

    QList<int> presses;
    QObject::connect(&grid, &MaxGrid::KeyDown, [&](int& keyCode, int&) {
        if (keyCode == 65)
            keyCode = 0;
    });
    QObject::connect(&grid, &MaxGrid::KeyPress, [&](int& ascii) { presses << ascii; });
    type("ab");
    EXPECT_EQ(std::tuple(presses, grid.TextMatrix(2, 0)), std::tuple(QList<int>({98}), "2,0b")); // a zeroed key types nothing
    key(Qt::Key_Delete);
    EXPECT_EQ(presses, QList<int>({98})); // Delete types nothing
}

TEST_F(GridTest, HeaderRowIsNeverEdited)
{
    fill(3, 3);
    grid.setEditable(true);
    grid.setLockedColumns("0"); // leaves the current cell on row 0
    ASSERT_EQ(grid.Row(), 0);
    grid.setCol(1);
    EXPECT_FALSE(grid.EditionAllowed());
    type("x");
    key(Qt::Key_Delete);
    QGuiApplication::clipboard()->setText("pasted");
    key(Qt::Key_V, Qt::ControlModifier);
    key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(std::tuple(grid.TextMatrix(0, 1), grid.Rows()), std::tuple("H1", 3));

    // A header-only grid: Enter goes nowhere.
    grid.setRows(1);
    key(Qt::Key_Return);
    EXPECT_EQ(grid.Rows(), 1);
    EXPECT_TRUE(boxes->calls.empty());
}

TEST_F(GridTest, ReadOnlyGridAndLockedColumnTypeNothingButPassTheKeyOn)
{
    fill(3, 3);
    moveTo(1, 1);
    events.clear();
    QList<int> presses;
    QObject::connect(&grid, &MaxGrid::KeyPress, [&](int& ascii) { presses << ascii; });
    type("k");
    key(Qt::Key_Down);
    EXPECT_EQ(std::tuple(grid.TextMatrix(1, 1), presses, grid.Row()), std::tuple("1,1", QList<int>({107}), 2));
    EXPECT_EQ(events, QStringList({"EnterCell", "RowColChange"})); // no LeaveCell

    grid.setLockedColumns("1");
    editAt(1, 1);
    presses.clear();
    type("z");
    EXPECT_EQ(std::tuple(grid.TextMatrix(1, 1), presses, grid.cellFocusedTimer()->isActive()),
              std::tuple("1,1", QList<int>({122}), false));
    grid.tmrCellFocused_Timer();
    EXPECT_FALSE(grid.caretShown());

    // Leaving a locked cell checks the last editable cell again.
    grid.setCol(0);
    type("q");
    grid.setCol(1);
    EXPECT_EQ(cellChanged, 1);
    grid.setCol(2);
    EXPECT_EQ(cellChanged, 2);
}

TEST_F(GridTest, RefusalsInsideHandlersAreReportedNotThrown)
{
    fill(4, 2);
    grid.setTypesString("STRING|INTEGER");
    editAt(3, 1);
    type("x");
    grid.setRow(2); // fails: return to (3, 1) armed
    ASSERT_EQ(boxes->calls.size(), 1u);
    grid.setRows(2); // the cell to return to is gone
    EXPECT_NO_THROW(grid.tmrSetLastCell_Timer());
    ASSERT_EQ(boxes->calls.size(), 2u);
    EXPECT_EQ(std::tuple(boxes->calls[1].body.startsWith("\r\nMAXGRID.TMRSETLASTCELL_TIMER\r\nError: "), boxes->calls[1].title,
                         grid.Redraw()),
              std::tuple(true, "Error", true)) << boxes->calls[1].body.toStdString();
}

TEST_F(GridTest, AnotherWindowTakingTheFocusIsNoLossOfFocusAndThePointerIsTheViews)
{
    int got = 0, lost = 0;
    QObject::connect(&grid, &MaxGrid::GotFocus, [&] { ++got; });
    QObject::connect(&grid, &MaxGrid::LostFocus, [&] { ++lost; });
    focus();
    QFocusEvent toMessageBox(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(view, &toMessageBox);
    QFocusEvent back(QEvent::FocusIn, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(view, &back);
    EXPECT_EQ(std::tuple(got, lost, grid.hasFocusFlag()), std::tuple(1, 0, true));
    QFocusEvent out(QEvent::FocusOut, Qt::MouseFocusReason);
    QApplication::sendEvent(view, &out);
    EXPECT_EQ(lost, 1);

    // The mouse pointer is the view's.
    for (const auto& [pointer, shape] : {std::pair{11, Qt::WaitCursor}, {13, Qt::BusyCursor}})
        EXPECT_EQ((grid.setMousePointer(pointer), view->viewport()->cursor().shape()), shape) << pointer;
    grid.setTypesString("A|b");
    EXPECT_EQ(grid.TypesString(), "A|b");
}

