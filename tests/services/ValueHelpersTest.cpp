// Blank-field check, blank/zero/null conversions, the list search, the
// collection helpers and the safe division.
#include "ServicesTestSupport.h"

#include "core/Error.h"
#include "core/ValueText.h"

#include <QComboBox>
#include <QLineEdit>
#include <QObject>

using namespace svctest;

namespace {

// An input control as the blank check sees it.
class FakeControl : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString text MEMBER text)
    Q_PROPERTY(bool visible MEMBER visible)
public:
    FakeControl(const QString& t, bool v) : text(t), visible(v) {}
    Q_INVOKABLE void setFocus() { ++focused; }
    QString text;
    bool visible;
    int focused = 0;
};

// A grid whose third column holds the texts given.
class FakeGrid : public ListGrid {
public:
    explicit FakeGrid(QStringList texts) : texts_(std::move(texts)) {}
    int Rows() const override { return int(texts_.size()); }
    QString TextMatrix(int row, int col) const override
    {
        if (row < 0 || row >= Rows() || col < 0 || col > 2)
            raise(381, QStringLiteral("Subscript out of range"));
        return col == 2 ? texts_[row] : QString();
    }
    void setTopRow(int row) override { topRow = row; }
    void setRedraw(bool on) override { redraw.push_back(on); }
    int topRow = -1;
    std::vector<bool> redraw;

private:
    QStringList texts_;
};

using HelpersTest = ServicesTest;

TEST_F(HelpersTest, BlankCheckFocusesVisibleControlsWarnsAndAsks)
{
    FakeControl hidden(QString(), false);
    EXPECT_FALSE(svc->EvitarBlancos(&hidden, QString(), QStringLiteral("Servidor")));
    EXPECT_EQ(hidden.focused, 0);
    FakeControl shown(QString(), true);
    EXPECT_FALSE(svc->EvitarBlancos(&shown, QString(), QString())) << "no description, no message";
    EXPECT_EQ(shown.focused, 1);
    FakeControl date(QStringLiteral("  /  /    "), true);
    EXPECT_FALSE(svc->EvitarBlancos(&date, QStringLiteral("  /  /    "), QStringLiteral("Fecha")));
    EXPECT_TRUE(svc->EvitarBlancos(&date, QString(), QStringLiteral("Fecha")));
    answers = {6, 7};
    EXPECT_TRUE(svc->EvitarBlancos(&shown, QString(), QStringLiteral("Nombre"), true));
    EXPECT_FALSE(svc->EvitarBlancos(&shown, QString(), QStringLiteral("Nombre"), true));

    ASSERT_EQ(questions.size(), 4u);
    EXPECT_EQ(questions[0].prompt, "Servidor no puede estar en blanco");
    EXPECT_EQ(questions[0].style, 64);
    EXPECT_EQ(questions[0].title, "Aviso");
    EXPECT_EQ(questions[2].prompt, "Nombre está en blanco.\r\n\r\n¿Desea Introducir el registro de todas formas?");
    EXPECT_EQ(questions[2].style, 68);
    EXPECT_EQ(questions[2].title, "Aviso");

    // The windows pass their plain widgets.
    QLineEdit edit(QStringLiteral("srv"));
    EXPECT_TRUE(svc->EvitarBlancos(&edit, QString(), QStringLiteral("Servidor")));
    QComboBox combo;
    combo.addItems({QString(), QStringLiteral("SQL Server")});
    EXPECT_FALSE(svc->EvitarBlancos(&combo, QString(), QString()));
    combo.setCurrentIndex(1);
    EXPECT_TRUE(svc->EvitarBlancos(&combo, QString(), QString()));
    EXPECT_TRUE(reports.empty());

    QObject nothing;
    EXPECT_FALSE(svc->EvitarBlancos(&nothing, QString(), QStringLiteral("X")));
    EXPECT_EQ(reportTexts(), QStringList{"Función EvitarBlancos"});
}

TEST(ValueConversions, BlankZeroAndNullRules)
{
    EXPECT_EQ(clsTablas::Blank2Zero(QString()), 0);
    EXPECT_EQ(clsTablas::Blank2Zero(QStringLiteral("-")), 0);
    EXPECT_DOUBLE_EQ(clsTablas::Blank2Zero(QStringLiteral("1.234,5")), 1234.5);
    EXPECT_THROW(clsTablas::Blank2Zero(QStringLiteral("abc")), Error);

    EXPECT_EQ(clsTablas::Zero2Blank(QString()), QString());
    EXPECT_EQ(clsTablas::Zero2Blank(QStringLiteral("0")), QString());
    EXPECT_EQ(clsTablas::Zero2Blank(QStringLiteral("0,00")), QString());
    EXPECT_EQ(clsTablas::Zero2Blank(QStringLiteral("7,50")), QStringLiteral("7,50"));
    EXPECT_THROW(clsTablas::Zero2Blank(QStringLiteral("x")), Error);

    EXPECT_EQ(clsTablas::Null2Blank(Variant::null()), Variant(QString()));
    EXPECT_EQ(clsTablas::Null2Blank(Variant::null(), Variant(std::int16_t(0))), Variant(std::int16_t(0)));
    EXPECT_EQ(clsTablas::Null2Blank(Variant(std::int32_t(5))), Variant(std::int32_t(5)));
}

TEST(ValueConversions, CurrencyPatterns)
{
    EXPECT_EQ(clsTablas::CurrencyPattern(0), "###,###,##0");
    EXPECT_EQ(clsTablas::CurrencyPattern(2), "###,###,##0.00");
    EXPECT_EQ(clsTablas::CurrencyPattern(3), "###,###,##0.000");
    EXPECT_EQ(clsTablas::CurrencyPattern(2.5), "###,###,##0.00") << "halves go to the even number";
    EXPECT_THROW(clsTablas::CurrencyPattern(-1), Error);
}

TEST(ListSearch, FindsTheFirstRowStartingWithTheTextAndAlwaysRedraws)
{
    FakeGrid grid({"Zamora", "Ávila", "madrid", "Madrigal"});
    clsTablas::SearchList(grid, QStringLiteral("MAD"));
    EXPECT_EQ(grid.topRow, 2);
    EXPECT_EQ(grid.redraw, (std::vector<bool>{false, true}));

    clsTablas::SearchList(grid, QStringLiteral("zam"), 2, 1);
    EXPECT_EQ(grid.topRow, 2) << "rows before InitRow are not searched";
    clsTablas::SearchList(grid, QStringLiteral("Lugo"));
    EXPECT_EQ(grid.topRow, 2);

    grid.redraw.clear();
    EXPECT_THROW(clsTablas::SearchList(grid, QStringLiteral("x"), 9), Error);
    EXPECT_EQ(grid.redraw, (std::vector<bool>{false, true}));
}

TEST(CollectionHelpers, KeyTestTakesTextKeysOnly)
{
    auto col = newCollection();
    EXPECT_FALSE(ExisteClaveColeccion(Variant(col), QStringLiteral("a")));
    col->Add(Variant(std::int32_t(1)), QStringLiteral("10"));
    EXPECT_TRUE(ExisteClaveColeccion(Variant(col), QStringLiteral("10")));
    EXPECT_FALSE(ExisteClaveColeccion(Variant(col), QStringLiteral("1")));
    EXPECT_FALSE(ExisteClaveColeccion(Variant::nothing(), QStringLiteral("10")));
    EXPECT_FALSE(ExisteClaveColeccion(Variant(QStringLiteral("10")), QStringLiteral("10")));

    clsTablas svc;
    EXPECT_TRUE(svc.ExisteCampoColeccion(Variant(col), QStringLiteral("10")));
    EXPECT_FALSE(svc.ExisteCampoColeccion(Variant(std::int32_t(3)), QStringLiteral("10")));
}

TEST(CollectionHelpers, RunningValuesSumReplaceAndConcatenate)
{
    clsTablas svc;
    auto col = newCollection();
    const Variant c(col);
    EXPECT_TRUE(svc.AñadirValorEnElementoColeccion(c, "n", "5", "Integer", "Sumar"));
    EXPECT_EQ(col->Item(Variant("n")), Variant(std::int32_t(5)));
    EXPECT_TRUE(svc.AñadirValorEnElementoColeccion(c, "n", "3", "Long", "Sumar"));
    EXPECT_EQ(col->Item(Variant("n")), Variant(std::int32_t(8)));
    EXPECT_TRUE(svc.AñadirValorEnElementoColeccion(c, "n", "2,5", "Integer", "Sustituir"));
    EXPECT_EQ(col->Item(Variant("n")), Variant(std::int32_t(2))) << "rounds half to even";

    EXPECT_TRUE(svc.AñadirValorEnElementoColeccion(c, "d", "1,5", "Double", "Sumar"));
    EXPECT_TRUE(svc.AñadirValorEnElementoColeccion(c, "d", "2,25", "Currency", "Sumar"));
    EXPECT_EQ(col->Item(Variant("d")), Variant(3.75));

    EXPECT_TRUE(svc.AñadirValorEnElementoColeccion(c, "s", "A", "String", "Concatenar"));
    EXPECT_TRUE(svc.AñadirValorEnElementoColeccion(c, "s", "B", "String", "Concatenar"));
    EXPECT_TRUE(svc.AñadirValorEnElementoColeccion(c, "x", "1", "Integer", "Sumar"));
    EXPECT_TRUE(svc.AñadirValorEnElementoColeccion(c, "s", "A", "String", "Concatenar"));
    EXPECT_EQ(col->Item(Variant("s")), Variant(QStringLiteral("A, B")));
    EXPECT_EQ(col->KeyAt(col->Count()), "s") << "an updated element moves to the end";
    EXPECT_TRUE(svc.AñadirValorEnElementoColeccion(c, "t", "AB", "String", "Concatenar", "; "));
    EXPECT_TRUE(svc.AñadirValorEnElementoColeccion(c, "t", "B", "String", "Concatenar", "; "));
    EXPECT_EQ(col->Item(Variant("t")), Variant(QStringLiteral("AB"))) << "substring test";
    EXPECT_TRUE(svc.AñadirValorEnElementoColeccion(c, "t", "C", "String", "Concatenar", "; "));
    EXPECT_EQ(col->Item(Variant("t")), Variant(QStringLiteral("AB; C")));

    EXPECT_TRUE(svc.AñadirValorEnElementoColeccion(c, "f", "01/02/2024", "Date", "Sustituir"));
    EXPECT_EQ(col->Item(Variant("f")), Variant(QStringLiteral("01/02/2024")));
    EXPECT_TRUE(svc.AñadirValorEnElementoColeccion(c, "f", "x", "Date", "Sumar"));
    EXPECT_FALSE(col->Exists("f")) << "a pair outside the table leaves the element out";
}

TEST(CollectionHelpers, RunningValuesAndDivisionFailCleanly)
{
    clsTablas svc;
    auto col = newCollection();
    const Variant c(col);
    EXPECT_FALSE(svc.AñadirValorEnElementoColeccion(c, "k", "1", "Fecha", "Sumar"));
    EXPECT_FALSE(col->Exists("k"));
    EXPECT_FALSE(svc.AñadirValorEnElementoColeccion(c, "n", "abc", "Integer", "Sumar"));
    EXPECT_TRUE(svc.AñadirValorEnElementoColeccion(c, "m", "2147483647", "Long", "Sumar"));
    EXPECT_FALSE(svc.AñadirValorEnElementoColeccion(c, "m", "1", "Long", "Sumar")) << "32-bit overflow";
    EXPECT_FALSE(svc.AñadirValorEnElementoColeccion(Variant(QStringLiteral("no")), "k", "1", "Integer", "Sumar"));

    EXPECT_EQ(clsTablas::DivideBy(Variant("10"), Variant(QString())), 0);
    EXPECT_EQ(clsTablas::DivideBy(Variant("10"), Variant("-")), 0);
    EXPECT_DOUBLE_EQ(clsTablas::DivideBy(Variant(std::int32_t(7)), Variant("0,5")), 14);
    EXPECT_EQ(clsTablas::DivideBy(Variant("x"), Variant("2")), 0);
}

} // namespace

#include "ValueHelpersTest.moc"
