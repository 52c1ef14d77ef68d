// Column types, cell checks and locked columns.
#include "GridTestSupport.h"

#include "../core/ErrorOf.h"

#include <QSignalSpy>

namespace {

struct RuleCase {
    const char* type;
    const char* text;
    bool passes;
};

// Spanish marks: "," decimal, "." thousands.
const RuleCase kSpanishRules[] = {
    {"INTEGER", "1.234", true},   {"INTEGER", "1234", true},     {"INTEGER", "007", true},
    {"INTEGER", "-5", true},      {"INTEGER", "1,5", false},     {"INTEGER", "12.34", false},
    {"INTEGER", "1.2345", false}, {"INTEGER", "abc", false},     {"LONG", "99999999999", true},
    {"DOUBLE", "1.234,5", true},  {"DOUBLE", "0,5", true},       {"DOUBLE", "1234,56", true},
    {"DOUBLE", ",5", false},      {"DOUBLE", "1,2.345", false},  {"DOUBLE", "12.34,5", false},
    {"CURRENCY", "1.234", true},  {"single", "1234", true},      {"YESNO", "S", true},
    {"YESNO", "N", true},         {"YESNO", "Verdadero", true},  {"YESNO", "Falso", true},
    {"YESNO", "s", false},        {"YESNO", "Si", false},        {"YESNO", "SN", false},
    {"YESNO", "S#N", false},      {"DATE", "31/12/2020", true},  {"DATE", "32/13/2020", false},
    {"STRING", "anything", true}, {"OTHER", "anything", true},   {"", "abc", true},
};

// English marks: the roles of "." and "," swap.
const RuleCase kEnglishRules[] = {
    {"INTEGER", "1,234", true},   {"INTEGER", "1.5", false},    {"INTEGER", "12,34", false},
    {"INTEGER", "1,2345", false}, {"DOUBLE", "1,234.5", true},  {"DOUBLE", "0.5", true},
    {"DOUBLE", ".5", false},      {"DOUBLE", "1.2,345", false}, {"DOUBLE", "12,34.5", false},
};

} // namespace

class CheckRules : public GridTest {
protected:
    // Checks one text in column 1 of row 1; true when it passed.
    bool check(const RuleCase& c)
    {
        fill(2, 2, false);
        grid.setTypesString(QStringLiteral("STRING|") + QString::fromUtf8(c.type));
        grid.setTextMatrix(1, 1, QString::fromUtf8(c.text));
        boxes->calls.clear();
        grid.CheckCellType(1, 1);
        return boxes->calls.empty();
    }
};

TEST_F(CheckRules, SpanishThenEnglishMarks)
{
    for (const RuleCase& c : kSpanishRules)
        EXPECT_EQ(check(c), c.passes) << c.type << " " << c.text;
    ValueText::ScopedLocale english{QLocale(QLocale::English, QLocale::UnitedStates)};
    for (const RuleCase& c : kEnglishRules)
        EXPECT_EQ(check(c), c.passes) << "en " << c.type << " " << c.text;
}

TEST_F(GridTest, WrongValueShowsOneExactMessageRestoresAndReturns)
{
    fill(4, 3, false);
    grid.setTextMatrix(0, 2, "Nombre");
    grid.setTypesString("STRING|STRING|INTEGER");
    grid.setTextMatrix(2, 2, "12");
    editAt(2, 2);
    grid.setTextMatrix(2, 2, "abc");
    grid.setRow(3); // leaving the cell checks it

    ASSERT_EQ(boxes->calls.size(), 1u);
    EXPECT_EQ(boxes->calls[0].body,
              "\r\nEl valor 'abc' no corresponde al tipo de dato entero establecido para la columna 'Nombre' fila '2'");
    EXPECT_EQ(std::tuple(boxes->calls[0].style, boxes->calls[0].title), std::tuple(16, "Aviso"));
    // Restored, nothing raised, drawing held until the return.
    EXPECT_EQ(std::tuple(grid.TextMatrix(2, 2), cellChanged, grid.Redraw(), grid.setLastCellTimer()->isActive()),
              std::tuple("12", 0, false, true));

    grid.tmrSetLastCell_Timer();
    EXPECT_EQ(std::tuple(cell(), grid.Redraw(), grid.setLastCellTimer()->isActive(), grid.LastValue()),
              std::tuple(std::pair{2, 2}, true, false, "12"));
}

// Braces in a value would end its block in the message: they show as parentheses.
TEST_F(GridTest, KindsAndColumnNamesInMessages)
{
    const struct {
        const char* type;
        const char* kind;
    } kinds[] = {{"DOUBLE", "numérico"}, {"DATE", "fecha"}, {"YESNO", "booleano (S o N)"}};
    fill(3, 3, false);
    grid.setTextMatrix(0, 2, "Nombre");
    for (const auto& k : kinds) {
        boxes->calls.clear();
        grid.setTypesString(QStringLiteral("STRING|STRING|") + k.type);
        grid.setTextMatrix(1, 2, "x{y}");
        grid.CheckCellType(1, 2);
        ASSERT_EQ(boxes->calls.size(), 1u);
        EXPECT_EQ(boxes->calls[0].body, QStringLiteral("\r\nEl valor 'x(y)' no corresponde al tipo de dato ") +
                                            QString::fromUtf8(k.kind) +
                                            " establecido para la columna 'Nombre' fila '1'");
    }
    // Without a message object the system box shows the text with its block markers.
    grid.setMsgObject(nullptr);
    {
        ScopedRecordingDialogs dialogs;
        grid.setTypesString("STRING|STRING|INTEGER");
        grid.setTextMatrix(1, 2, "abc");
        grid.CheckCellType(1, 2);
        ASSERT_EQ(dialogs->calls.size(), 1u);
        EXPECT_EQ(dialogs->calls[0].prompt, "El valor '{1abc}' no corresponde al tipo de dato entero establecido para "
                                            "la columna '{2Nombre}' fila '{31}'");
    }
    grid.setMsgObject(msg);
    // Without exactly one fixed row the column is named by its number.
    grid.setFixedRows(2);
    boxes->calls.clear();
    grid.setTextMatrix(2, 2, "abc");
    grid.CheckCellType(2, 2);
    ASSERT_EQ(boxes->calls.size(), 1u);
    EXPECT_TRUE(boxes->calls[0].body.contains("columna '2' fila '2'"));
}

TEST_F(GridTest, CellChangedOnlyForTheTrackedCellWhoseTextChanged)
{
    fill(3, 2);
    grid.setTypesString("STRING|INTEGER");
    editAt(1, 1);
    grid.setTextMatrix(1, 1, "5");
    grid.CheckCellType(1, 1);
    grid.CheckCellType(1, 1);
    EXPECT_EQ(cellChanged, 2); // each time the text differs from its entry text
    grid.CheckCellType(2, 1);  // not the tracked cell
    EXPECT_EQ(cellChanged, 2);
    grid.setLoading(true);
    grid.CheckCellType(1, 1);
    EXPECT_EQ(cellChanged, 2);
    grid.setLoading(false);
    grid.setTextMatrix(1, 1, "x");
    grid.CheckCellType(1, 1); // a failure raises nothing
    EXPECT_EQ(cellChanged, 2);

    // A yes/no cell loaded as a boolean is entered and left without a message.
    boxes->calls.clear();
    grid.setTypesString("STRING|YESNO");
    grid.setTextMatrix(1, 1, ValueText::booleanText(true));
    editAt(1, 1);
    grid.setRow(2);
    EXPECT_EQ(std::tuple(boxes->calls.size(), grid.Row()), std::tuple(0u, 2));
}

TEST_F(GridTest, EmptyCellsHeadersAndGridsWithoutTypesPassAndValidateAllShowsOneBox)
{
    fill(3, 2, false);
    grid.setTextMatrix(0, 1, "abc");
    grid.setTextMatrix(1, 1, "abc");
    grid.CheckCellType(1, 1); // no TypesString assigned at run time
    controls::PropertyBag bag;
    bag.WriteProperty("TypesString", "STRING|INTEGER");
    grid.ReadProperties(bag); // a loaded type list checks nothing either
    grid.CheckCellType(1, 1);
    EXPECT_EQ(grid.TypesString(), "STRING|INTEGER");
    grid.setTypesString("STRING|INTEGER");
    grid.CheckCellType(0, 1); // header cell
    grid.CheckCellType(2, 1); // empty cell
    EXPECT_TRUE(boxes->calls.empty());
    grid.CheckCellType(1, 1);
    EXPECT_EQ(boxes->calls.size(), 1u);

    // ValidateAll shows one box and restores only the tracked cell.
    boxes->calls.clear();
    fill(4, 2, false);
    grid.setTypesString("STRING|INTEGER");
    grid.setTextMatrix(1, 1, "7");
    editAt(1, 1); // tracked with entry text "7"
    grid.setTextMatrix(1, 1, "x1");
    grid.setTextMatrix(2, 1, "x2");
    grid.setTextMatrix(3, 1, "a|b");
    grid.ValidateAll();

    ASSERT_EQ(boxes->calls.size(), 1u);
    const QStringList lines = boxes->calls[0].body.mid(2).split("\r\n");
    ASSERT_EQ(lines.size(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(lines[i].contains(QStringList{"'x1'", "'x2'", "'a|b'"}[i])) << lines[i].toStdString();
    grid.tmrSetLastCell_Timer(); // back to the last failing cell
    EXPECT_EQ(std::tuple(grid.TextMatrix(1, 1), grid.TextMatrix(2, 1), grid.TextMatrix(3, 1), grid.Row()),
              std::tuple("7", "x2", "a|b", 3));
}

TEST_F(GridTest, LockedColumnsListAndHeaderColours)
{
    fill(3, 5);
    // Without a fixed row there is no header to colour.
    grid.setFixedRows(0);
    grid.setLockedColumns("1,2");
    EXPECT_EQ(grid.LockedColumns(), "1,2");
    moveTo(0, 1);
    EXPECT_EQ(grid.CellBackColor(), grid.BackColor());
    grid.setFixedRows(1);
    // Each list as written and as kept: a bad or repeated entry refuses or folds the whole list.
    for (const auto& [text, kept] : {std::pair{"2, 4", "2,4"}, {"3 ,\r\n1", "3,1"}, {"2,x,4", ""}, {"1,1", "1"},
                                     {"abc", ""}, {"2, 4", "2,4"}})
        EXPECT_EQ((grid.setLockedColumns(text), grid.LockedColumns()), kept) << text;
    grid.setRow(0);
    for (int c = 0; c < 5; ++c) {
        grid.setCol(c);
        EXPECT_EQ(grid.CellBackColor(), (c == 2 || c == 4) ? MaxGrid::LockedHeaderColor : grid.BackColorFixed()) << c;
    }

    grid.setLockedColumns("3");
    EXPECT_EQ(errorOf([&] { grid.setLockedColumns("2,9"); }), 381);
    EXPECT_EQ(grid.LockedColumns(), "");
    EXPECT_TRUE(grid.Redraw());
    moveTo(0, 3);
    EXPECT_EQ(grid.CellBackColor(), grid.BackColorFixed());
}
