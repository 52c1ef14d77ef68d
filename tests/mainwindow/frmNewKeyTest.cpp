// The new-key dialog: value checks, "Max + 1", rows and leaving.
#include "DialogTestSupport.h"

#include "core/Screen.h"
#include "data/clsDO.h"
#include "mainwindow/NewKeyRules.h"
#include "mainwindow/frmNewKey.h"
#include "platform/db/RecordingBackend.h"
#include "querypage/PushButton.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

struct CheckCase {
    const char* type;
    const char* value;
    bool passes;
};

// Spanish marks: "," decimal, "." grouping.
const CheckCase kChecks[] = {
    {"YESNO", "S", true},     {"YESNO", "N", true},      {"YESNO", "s", false},    {"YESNO", "n", false},
    {"YESNO", "Si", false},   {"YESNO", "S#N", false},   {"yesno", "N", true},     {"LONG", "1.234", true},
    {"LONG", "12.34", false}, {"LONG", "1234,5", false}, {"DOUBLE", "1234,5", true}, {"DOUBLE", "1.234,5", true},
    {"integer", "x", false},  {"DATE", "31/12/2020", true}, {"DATE", "31/13/2020", false}, {"STRING", "S#N", true},
    {"OTHER", "abc", true},
};

} // namespace

class NewKeyTest : public DialogTest {
protected:
    void SetUp() override
    {
        DialogTest::SetUp();
        w.MSG = msg;
        w.Zolt = zolt;
    }
    static void click(PushButton* b) { emit b->mouseUp(1, 0, 0, 0); }
    // Max + 1 of row 1 for "table.field".
    QString maxPlusOne(const QString& qualified)
    {
        frmNewKey d;
        d.MSG = msg;
        d.Zolt = zolt;
        d.AddKeyRow("Key", "LONG", "x.Key", false);
        d.AddKeyRow("Field", "LONG", qualified, true);
        emit d.BttMax[1]->released();
        return d.txtField[1]->text();
    }
    std::shared_ptr<clsDO> zolt = std::make_shared<clsDO>();
    frmNewKey w;
};

TEST(NewKeyRules, TypeChecks)
{
    ValueText::ScopedLocale spanish{QLocale(QLocale::Spanish, QLocale::Spain)};
    for (const CheckCase& c : kChecks)
        EXPECT_EQ(NewKeyRules::typeMessage(c.type, c.value, "f").isEmpty(), c.passes) << c.type << " " << c.value;
}

TEST(NewKeyRules, MaxStatementsQuoteEveryPart)
{
    using NewKeyRules::Quoting;
    EXPECT_EQ(NewKeyRules::maxStatement("Orders.Id", Quoting::Brackets), "SELECT MAX([Id]) AS MaxValue FROM [Orders]");
    EXPECT_EQ(NewKeyRules::maxStatement("dbo.Orders.Id", Quoting::Brackets),
              "SELECT MAX([Id]) AS MaxValue FROM [dbo].[Orders]");
    EXPECT_EQ(NewKeyRules::maxStatement("Order Lines.Line No", Quoting::Brackets),
              "SELECT MAX([Line No]) AS MaxValue FROM [Order Lines]");
    EXPECT_EQ(NewKeyRules::maxStatement("[a.b].[c]]d]", Quoting::Brackets), "SELECT MAX([c]]d]) AS MaxValue FROM [a.b]");
    EXPECT_EQ(NewKeyRules::maxStatement("ORDERS.ID", Quoting::Oracle), "SELECT MAX(ID) AS MaxValue FROM ORDERS");
    EXPECT_EQ(NewKeyRules::maxStatement("SCOTT.Order Lines.No", Quoting::Oracle),
              "SELECT MAX(No) AS MaxValue FROM SCOTT.\"Order Lines\"");
    EXPECT_EQ(NewKeyRules::nextValue(Variant::null()), "1");
    EXPECT_EQ(NewKeyRules::nextValue(Variant(std::int64_t(9007199254740993LL))), "9007199254740994");
    EXPECT_EQ(NewKeyRules::nextValue(Variant("41")), "42");
}

TEST_F(NewKeyTest, AValueThatIsNoWholeNumberIsRefusedWithItsField)
{
    w.AddKeyRow("Id", "LONG", "Orders.Id", false);
    w.txtField[0]->setText("12.34");
    click(w.BttAceptar);
    EXPECT_TRUE(w.Cancelled);
    EXPECT_EQ(shown(), QStringList{"El valor '12.34' no corresponde al tipo de dato entero establecido para el campo "
                                   "'Id' (64, Campos Clave Nuevo Registro)"});
    w.txtField[0]->setText("S#N");
    w.txtField[0]->setProperty("Tag", "YESNO");
    click(w.BttAceptar);
    EXPECT_TRUE(shown().last().startsWith("El valor 'S#N' no corresponde al tipo de dato booleano (S o N)"));
    w.txtField[0]->setText("S");
    click(w.BttAceptar);
    EXPECT_FALSE(w.Cancelled);
}

TEST_F(NewKeyTest, AnEmptyValueStopsTheCheckAtItsRow)
{
    w.AddKeyRow("A", "STRING", "t.A", false);
    w.AddKeyRow("B", "LONG", "t.B", true);
    w.txtField[0]->setText("x");
    w.txtField[1]->setText("");
    click(w.BttAceptar);
    EXPECT_TRUE(w.Cancelled);
    EXPECT_EQ(shown(), QStringList{"Para poder generar un nuevo registro todos los campos clave deben tener valor. (64, "
                                   "Campos Clave Nuevo Registro)"});
}

TEST_F(NewKeyTest, RowsFollowTheOpenersGeometry)
{
    w.AddKeyRow("Id", "LONG", "Orders.Id", true); // no button on the first row
    w.AddKeyRow("Line", "INTEGER", "Orders.Line", true);
    w.AddKeyRow("Code", "STRING", "Orders.Code", false);
    ASSERT_EQ(w.Rows(), 3);
    EXPECT_EQ(w.BttMax[0], nullptr);
    ASSERT_NE(w.BttMax[1], nullptr);
    EXPECT_EQ(w.BttMax[2], nullptr);
    EXPECT_EQ(w.BttMax[1]->property("Tag").toString(), "Orders.Line");
    EXPECT_EQ(w.txtField[1]->property("Tag").toString(), "INTEGER");
    EXPECT_EQ(w.lblField[1]->text(), "Line");
    const double tpp = Screen::twipsPerPixel();
    EXPECT_EQ(w.txtField[1]->y(), Screen::pixelsFromTwips(1950));
    EXPECT_EQ(w.txtField[2]->y(), Screen::pixelsFromTwips(2550));
    const double labelWidth = QFontMetricsF(w.lblField[1]->font()).horizontalAdvance("Line") * tpp + 150;
    EXPECT_NEAR(w.txtField[1]->x() * tpp, 630 + labelWidth + 500, 15);
    EXPECT_NEAR(w.BttMax[1]->x(), w.txtField[1]->x() + w.txtField[1]->width() + 10, 1);
    EXPECT_EQ(w.height(), Screen::pixelsFromTwips(2550 + 1100));
}

TEST_F(NewKeyTest, MaxPlusOneOnALocalFileAndOnAnEmptyTable)
{
    const QString file = localFile(dir.path(), "a.mdb", {"CREATE TABLE Orders (Id INTEGER, Name TEXT)",
                                                          "INSERT INTO Orders VALUES (41, 'x')",
                                                          "INSERT INTO Orders VALUES (7, 'y')", "CREATE TABLE Empty (Id INTEGER)"});
    zolt->setConnectionType(1);
    zolt->StartObject("", file, "", "");
    EXPECT_EQ(maxPlusOne("Orders.Id"), "42");
    EXPECT_EQ(maxPlusOne("Empty.Id"), "1");
    EXPECT_TRUE(shown().isEmpty());
}

TEST_F(NewKeyTest, MaxPlusOneReadsTheConnectionThePagePushed)
{
    // Two pages share one data-access object; each pushes its own file before opening the dialog.
    const QString first = localFile(dir.path(), "one.mdb", {"CREATE TABLE Orders (Id INTEGER)", "INSERT INTO Orders VALUES (41)"});
    const QString second = localFile(dir.path(), "two.mdb", {"CREATE TABLE Orders (Id INTEGER)", "INSERT INTO Orders VALUES (6)"});
    zolt->setConnectionType(1);
    zolt->StartObject("", first, "", "");
    EXPECT_EQ(maxPlusOne("Orders.Id"), "42");
    zolt->StartObject("", second, "", "");
    EXPECT_EQ(maxPlusOne("Orders.Id"), "7");
}

TEST_F(NewKeyTest, ExactStatementsOnSqlServerAndOracle)
{
    auto rec = db::RecordingBackend::install();
    rec->answerRegex("^SELECT MAX", db::RecordingBackend::Answer::table({"MaxValue"}, {{Variant(std::int32_t(9))}}));
    zolt->setConnectionType(0);
    zolt->StartObject("s", "d", "u", "p");
    EXPECT_EQ(maxPlusOne("dbo.Orders.Id"), "10");
    maxPlusOne("Order Lines.Line No");
    zolt->setConnectionType(3);
    zolt->setUsedDriver(2);
    maxPlusOne("ORDERS.ID");
    EXPECT_EQ(rec->statements(), (QStringList{"SELECT MAX([Id]) AS MaxValue FROM [dbo].[Orders]",
                                              "SELECT MAX([Line No]) AS MaxValue FROM [Order Lines]",
                                              "SELECT MAX(ID) AS MaxValue FROM ORDERS"}));
    db::RecordingBackend::uninstall();
}

TEST_F(NewKeyTest, LeavingWithoutAcceptingIsCancelled)
{
    w.AddKeyRow("Id", "LONG", "Orders.Id", false);
    w.txtField[0]->setText("5");
    w.show();
    w.close();
    EXPECT_TRUE(w.Cancelled);
    w.show();
    QTest::keyClick(w.txtField[0], Qt::Key_Escape);
    EXPECT_TRUE(w.Cancelled);
    EXPECT_FALSE(w.isVisible());
    w.show();
    QTest::keyClick(w.txtField[0], Qt::Key_Return);
    EXPECT_FALSE(w.Cancelled);
    click(w.BttSalir);
    EXPECT_TRUE(w.Cancelled);
}

TEST_F(NewKeyTest, VaciarAsksFirst)
{
    w.AddKeyRow("A", "STRING", "t.A", false);
    w.AddKeyRow("B", "STRING", "t.B", false);
    w.txtField[0]->setText("x");
    w.txtField[1]->setText("y");
    answer({7, 6});
    click(w.BttLimpiar);
    EXPECT_EQ(w.txtField[1]->text(), "y");
    click(w.BttLimpiar);
    EXPECT_EQ(w.txtField[0]->text(), "");
    EXPECT_EQ(w.txtField[1]->text(), "");
    EXPECT_EQ(shown().first(), "¿Desea limpiar todos los valores de la clave? (36, Campos Clave Nuevo Registro)");
}
