// The grid's contents, shape, moves and saved properties.
#include "GridTestSupport.h"

#include "../core/ErrorOf.h"
#include "../messages/FakeTranslationStore.h"
#include "core/Screen.h"
#include "services/clsTablas.h"

#include <QClipboard>
#include <QHeaderView>
#include <QImage>
#include <QScrollBar>
#include <QSignalSpy>
#include <QWhatsThis>

#include <tuple>


TEST_F(GridTest, RowAssignmentMovesBeforeReturningAndSelectsExactlyOneRowForColouring)
{
    fill(6, 4);
    grid.setEditable(true);
    moveTo(1, 0);
    events.clear();
    grid.setRow(3);
    EXPECT_EQ(events, QStringList({"LeaveCell", "EnterCell", "RowColChange"}));
    EXPECT_EQ(grid.RowSel(), 3);
    events.clear();
    grid.setRow(3); // the current cell again: nothing
    EXPECT_TRUE(events.isEmpty());

    grid.setCol(0);
    grid.setColSel(grid.Cols() - 1);
    grid.setFillStyle(1);
    grid.setCellBackColor(0xD2D2FF);
    grid.setFillStyle(0);
    for (int r = 1; r < 6; ++r)
        for (int c = 0; c < 4; ++c) {
            moveTo(r, c);
            EXPECT_EQ(grid.CellBackColor(), r == 3 ? 0xD2D2FFu : grid.BackColor()) << r << "," << c;
        }
    EXPECT_EQ(controls::resolveColor(0xD2D2FF), QColor(255, 210, 210));
}

TEST_F(GridTest, MouseEventsTellTheCellUnderThePointerAndPicturesAreTheCellsDecoration)
{
    fill(4, 3);
    grid.resize(400, 200);
    grid.show();
    QPixmap pic(6, 6);
    pic.fill(Qt::red);
    moveTo(2, 1);
    grid.setCellPicture(pic);
    grid.setRow(0);
    grid.setCellPicture(pic);
    QAbstractItemModel* model = view->model();
    EXPECT_EQ(model->index(1, 1).data(Qt::DecorationRole).value<QPixmap>().size(), pic.size());
    EXPECT_FALSE(model->index(1, 2).data(Qt::DecorationRole).isValid());
    EXPECT_EQ(model->headerData(1, Qt::Horizontal, Qt::DecorationRole).value<QPixmap>().size(), pic.size());

    int seenRow = -9, seenCol = -9;
    QObject::connect(&grid, &MaxGrid::MouseDown, [&](int&, int&, float&, float&) {
        seenRow = grid.MouseRow();
        seenCol = grid.MouseCol();
    });
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(model->index(2, 2)).center());
    // Known when MouseDown is raised, before the move.
    EXPECT_EQ((std::tuple{seenRow, seenCol, grid.Row()}), (std::tuple{3, 2, 3}));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, QPoint(view->viewport()->width() - 2, 190));
    EXPECT_EQ((std::pair{grid.MouseRow(), grid.MouseCol()}), (std::pair{-1, -1}));
}

TEST_F(GridTest, ShrinkAddRemoveAndClearKeepTheirShape)
{
    // Shrinking drops texts, colours and pictures; the header stays.
    fill(4, 3);
    moveTo(2, 1);
    grid.setCellBackColor(0xD2D2FF);
    QPixmap pic(4, 4);
    pic.fill(Qt::red);
    grid.setCellPicture(pic);
    grid.setRows(1);
    grid.setRows(5);
    moveTo(2, 1);
    EXPECT_EQ(std::tuple(grid.TextMatrix(2, 1), grid.TextMatrix(0, 1), grid.CellBackColor(), grid.CellPicture().isNull()),
              std::tuple("", "H1", grid.BackColor(), true));

    fill(2, 2);
    grid.AddItem("x\ty", 1);
    EXPECT_EQ((QStringList{grid.TextMatrix(1, 0), grid.TextMatrix(1, 1), grid.TextMatrix(2, 0)}),
              (QStringList{"x", "y", "1,0"}));
    grid.AddItem("last");
    EXPECT_EQ(std::tuple(grid.Rows(), grid.TextMatrix(3, 0)), std::tuple(4, "last"));

    grid.RemoveItem(-1);
    grid.RemoveItem(1);
    EXPECT_EQ(std::tuple(grid.Rows(), grid.TextMatrix(1, 0)), std::tuple(2, "1,0"));
    grid.RemoveItem(7); // the last data row goes whatever the index
    EXPECT_EQ(grid.Rows(), 1);

    fill(3, 2);
    grid.Clear();
    EXPECT_EQ(std::tuple(grid.TextMatrix(0, 1), grid.TextMatrix(2, 1), grid.Rows()), std::tuple("H1", "", 3));
    fill(3, 2);
    grid.Clear(true);
    EXPECT_EQ(grid.TextMatrix(0, 1), "");
    fill(3, 2);
    grid.setFixedRows(2);
    grid.Clear();
    EXPECT_EQ(grid.TextMatrix(0, 1) + grid.TextMatrix(1, 1), "");
}

TEST_F(GridTest, RefusedIndexesAndValuesRaise381AndAFormatStringSetsHeadersAndAlignments)
{
    fill(3, 2);
    int i = 0;
    for (const auto& call : std::initializer_list<std::function<void()>>{
             [&] { grid.TextMatrix(grid.Rows(), 0); }, [&] { grid.setTextMatrix(0, 2, "x"); }, [&] { grid.setRow(3); },
             [&] { grid.setColWidth(0, -5); }, [&] { grid.setFillStyle(2); }, [&] { grid.setRows(-1); },
             [&] { grid.AddItem("x", 9); }, [&] { grid.RemoveItem(9); }})
        EXPECT_EQ(errorOf(call), 381) << "call " << i++;
    EXPECT_EQ(std::tuple(grid.Rows(), grid.FillStyle()), std::tuple(3, 0));

    // A format string sets headers and alignments.
    grid.setFormatString("|<Campo|^Tipo");
    EXPECT_EQ((QStringList{grid.TextMatrix(0, 0), grid.TextMatrix(0, 1), grid.TextMatrix(0, 2)}),
              (QStringList{"", "Campo", "Tipo"}));
    EXPECT_EQ(grid.Cols(), 3);
    // Left centre, centre centre.
    EXPECT_EQ((std::pair{grid.ColAlignment(1), grid.ColAlignment(2)}), (std::pair{1, 4}));
    EXPECT_EQ(grid.FormatString(), "|<Campo|^Tipo");
}

TEST_F(GridTest, CaretIsPaintedNeverStoredAndTheClipFillsTheSelection)
{
    fill(3, 2);
    grid.setTextMatrix(1, 1, "a|b");
    editAt(1, 1);
    focus();
    for (int i = 0; i < 3; ++i)
        grid.tmrCellFocused_Timer();
    EXPECT_TRUE(grid.caretShown());
    EXPECT_EQ(std::tuple(grid.TextMatrix(1, 1), grid.Text()), std::tuple("a|b", "a|b"));
    key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "a|b");
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(view, &out);
    EXPECT_FALSE(grid.caretShown());
    grid.ValidateAll();
    EXPECT_EQ(grid.TextMatrix(1, 1), "a|b");
    grid.setRowSel(2);
    EXPECT_EQ(grid.Clip(), "a|b\r2,1");

    // Assigning the clip fills the selection only.
    fill(4, 3, false);
    moveTo(1, 0);
    grid.setRowSel(2);
    grid.setColSel(1);
    grid.setClip("a\tb\rc\td\te"); // (2, 2) is outside the selection
    EXPECT_EQ((QStringList{grid.TextMatrix(1, 0), grid.TextMatrix(1, 1), grid.TextMatrix(2, 1), grid.TextMatrix(2, 2)}),
              (QStringList{"a", "b", "d", ""}));
}

TEST_F(GridTest, SearchSetsTheTopRow)
{
    fill(100, 3);
    grid.resize(400, 200);
    grid.show();
    grid.setTextMatrix(60, 2, "Zapato");
    clsTablas::SearchList(grid, "zap", 2, 1);
    EXPECT_EQ(std::tuple(grid.TopRow(), grid.Redraw(), view->verticalScrollBar()->value()), std::tuple(60, true, 59));
}

TEST_F(GridTest, TransMeTranslatesTheHeaderOfATranslatableGridOnly)
{
    auto store = std::make_shared<FakeTranslationStore>();
    store->addRow("Nombre", 1, "Name");
    msg->setTranslationStore(store);
    msg->setLanguage("Language1");
    QWidget form;
    form.setObjectName("frmTables");
    auto* tagged = new MaxGrid(&form);
    tagged->setObjectName("grdTagged");
    setControlTag(tagged, "Translatable");
    auto* plain = new MaxGrid(&form);
    plain->setObjectName("grdPlain");
    for (MaxGrid* g : {tagged, plain}) {
        g->setTextMatrix(0, 0, "Nombre");
        g->setTextMatrix(1, 0, "Nombre");
    }
    msg->TransMe(&form, false);
    EXPECT_EQ(std::tuple(tagged->TextMatrix(0, 0), tagged->TextMatrix(1, 0)), std::tuple("Name", "Nombre"));
    EXPECT_EQ(plain->TextMatrix(0, 0), "Nombre");
}

TEST_F(GridTest, RedrawOffFillAnnouncesNothingUntilOneResetAndGrowthInsertsOneRowUpToALimit)
{
    fill(3, 2);
    QSignalSpy changed(view->model(), &QAbstractItemModel::dataChanged);
    QSignalSpy reset(view->model(), &QAbstractItemModel::modelReset);
    grid.setRedraw(false);
    grid.setRows(50);
    for (int r = 1; r < 50; ++r)
        grid.setTextMatrix(r, 1, "v");
    EXPECT_EQ(std::tuple(changed.count(), reset.count()), std::tuple(0, 0));
    grid.setRedraw(true);
    EXPECT_EQ(std::tuple(reset.count(), view->model()->rowCount()), std::tuple(1, 49));
    grid.setTextMatrix(2, 1, "w");
    EXPECT_EQ(changed.count(), 1);

    // Growing past the last row inserts one row, without a reset.
    fill(3, 2);
    grid.setAutomaticGrowing(true);
    grid.setEditable(true);
    QSignalSpy inserted(view->model(), &QAbstractItemModel::rowsInserted);
    reset.clear();
    grid.setRow(2);
    EXPECT_EQ(std::tuple(grid.Rows(), inserted.count(), reset.count()), std::tuple(4, 1, 0));

    // Growth stops before 300,000 cells.
    fill(2998, 100, false);
    grid.setRow(2997);
    EXPECT_EQ(grid.Rows(), 2999);
    grid.setRow(2998);
    EXPECT_EQ(grid.Rows(), 2999);
}

TEST_F(GridTest, ReloadForgetsTheTrackedCell)
{
    fill(4, 2);
    grid.setTypesString("STRING|INTEGER");
    const auto tracked = [this] { return std::tuple{grid.LastRowChanged(), grid.LastColChanged(), grid.LastValue()}; };
    // A clear is a reload too.
    for (bool clear : {true, false}) {
        editAt(2, 1);
        clear ? grid.Clear() : grid.setRows(1);
        EXPECT_EQ(tracked(), (std::tuple{-1, -1, QString()}));
    }
    grid.setRows(4);
    grid.setTextMatrix(2, 1, "99");
    grid.setTextMatrix(3, 1, "5");
    moveTo(3, 0);
    EXPECT_EQ(std::tuple(cellChanged, grid.TextMatrix(2, 1), boxes->calls.size()), std::tuple(0, "99", 0u));

    // The page tracks the cell itself when it moves in a locked column.
    grid.setTextMatrix(1, 0, "k1");
    grid.setTextMatrix(2, 0, "k2");
    grid.setLockedColumns("0");
    const auto trackHere = [this] {
        grid.setLastColChanged(grid.Col());
        grid.setLastRowChanged(grid.Row());
    };
    moveTo(1, 0);
    trackHere();
    EXPECT_EQ(grid.LastValue(), "k1");
    grid.setRow(2);
    trackHere();
    grid.setRow(3);
    EXPECT_EQ(cellChanged, 0);
    grid.setLastRowChanged(50);
    EXPECT_EQ(grid.LastValue(), "");
}

TEST_F(GridTest, SavedPropertiesRoundTrip)
{
    controls::PropertyBag bag;
    grid.setAppearence(0);
    grid.setTypesString("STRING|DATE");
    grid.setAutomaticGrowing(true);
    grid.setRows(7);
    grid.WriteProperties(bag);

    MaxGrid loaded;
    loaded.ReadProperties(bag);
    EXPECT_EQ(std::tuple(loaded.Appearence(), loaded.Rows(), loaded.AutomaticGrowing(), loaded.TypesString(), loaded.Editable()),
              std::tuple(0, 7, true, "STRING|DATE", false));

    controls::PropertyBag refused;
    refused.WriteProperty("Rows", "many");
    refused.WriteProperty("Cols", 5);
    MaxGrid partial;
    partial.ReadProperties(refused); // missing and refused keys are skipped
    EXPECT_EQ((std::pair{partial.Rows(), partial.Cols()}), (std::pair{2, 5}));
}

// Cell and picture alignment, the selection's last column, row heights and the
// help popup: each reads back what was written, and the grid shows it.
TEST_F(GridTest, CellAlignmentsSelectionColumnRowHeightsAndHelpAreReadBackAndShown)
{
    fill(4, 3);
    grid.resize(520, 220);
    grid.show();
    for (int c = 0; c < 3; ++c)
        grid.setColWidth(c, 2400);
    QAbstractItemModel* model = view->model();
    const auto centreShown = [&](int row, int col) {
        return view->viewport()->grab().toImage().pixelColor(view->visualRect(model->index(row - 1, col)).center());
    };

    // Without a cell alignment of its own a cell reads its column's.
    moveTo(1, 1);
    grid.setColAlignment(1, 1);
    grid.setCellAlignment(7);
    EXPECT_EQ(grid.CellAlignment(), 7);
    moveTo(2, 1);
    EXPECT_EQ(grid.CellAlignment(), 1);
    // With the fill style "repeat", writing aligns the whole selection.
    grid.setColSel(2);
    grid.setRowSel(3);
    grid.setFillStyle(1);
    grid.setCellAlignment(4);
    grid.setFillStyle(0);
    moveTo(3, 2);
    EXPECT_EQ(grid.CellAlignment(), 4);
    EXPECT_EQ(errorOf([&] { grid.setCellAlignment(10); }), 381);
    EXPECT_EQ(grid.CellAlignment(), 4);

    // A picture sits where its alignment puts it: centred covers the cell's centre.
    QPixmap pic(8, 8);
    pic.fill(Qt::red);
    moveTo(1, 2);
    grid.setCellPicture(pic);
    EXPECT_NE(centreShown(1, 2), QColor(Qt::red));
    grid.setCellPictureAlignment(4);
    EXPECT_EQ(std::pair(grid.CellPictureAlignment(), centreShown(1, 2)), std::pair(4, QColor(Qt::red)));

    // The selection's other column: a colour written with "repeat" reaches it, and no further.
    moveTo(1, 0);
    grid.setColSel(1);
    EXPECT_EQ(grid.ColSel(), 1);
    grid.setFillStyle(1);
    grid.setCellBackColor(0x00FF00);
    grid.setFillStyle(0);
    EXPECT_EQ(std::pair(model->index(0, 1).data(Qt::BackgroundRole).isValid(), model->index(0, 2).data(Qt::BackgroundRole).isValid()),
              std::pair(true, false));
    grid.setColSel(2);
    grid.setCols(2);
    EXPECT_EQ(grid.ColSel(), 1) << "a column that went cannot stay selected";

    // Row heights: a data row's and the header's, as the grid draws them.
    grid.setRowHeight(2, 600);
    grid.setRowHeight(0, 480);
    EXPECT_EQ(std::tuple(grid.RowHeight(2), grid.RowHeight(0), view->rowHeight(1), view->horizontalHeader()->height()),
              std::tuple(600, 480, Screen::pixelsFromTwips(600), Screen::pixelsFromTwips(480)));
    EXPECT_EQ(errorOf([&] { grid.setRowHeight(2, -1); }), 381);
    EXPECT_EQ(errorOf([&] { grid.setRowHeight(grid.Rows(), 300); }), 381);
    EXPECT_EQ(grid.RowHeight(2), 600);
    grid.setRowHeight(2, 240);
    EXPECT_EQ(view->rowHeight(1), view->rowHeight(0));

    // The help text in its popup.
    grid.setWhatsThis(QStringLiteral("Resultado de la consulta"));
    grid.ShowWhatsThis();
    QStringList popups;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w != &grid)
            popups << w->metaObject()->className();
    QWhatsThis::hideText();
    EXPECT_TRUE(popups.contains("QWhatsThat")) << popups.join(',').toStdString();
}
