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

    EXPECT_EQ(questions.size(), 4u);
    EXPECT_EQ(asked(0) + asked(2), (QStringList{"Servidor no puede estar en blanco", "64", "Aviso",
                                                "Nombre está en blanco.\r\n\r\n¿Desea Introducir el registro de todas "
                                                "formas?", "68", "Aviso"}));

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
    EXPECT_EQ((std::vector<double>{clsTablas::Blank2Zero(QString()), clsTablas::Blank2Zero("-"),
                                   clsTablas::Blank2Zero("1.234,5")}),
              (std::vector<double>{0, 0, 1234.5}));
    EXPECT_THROW(clsTablas::Blank2Zero(QStringLiteral("abc")), Error);
    EXPECT_EQ((QStringList{clsTablas::Zero2Blank(QString()), clsTablas::Zero2Blank("0"), clsTablas::Zero2Blank("0,00"),
                           clsTablas::Zero2Blank("7,50")}),
              (QStringList{"", "", "", "7,50"}));
    EXPECT_THROW(clsTablas::Zero2Blank(QStringLiteral("x")), Error);

    EXPECT_EQ(clsTablas::Null2Blank(Variant::null()), Variant(QString()));
    EXPECT_EQ(clsTablas::Null2Blank(Variant::null(), Variant(std::int16_t(0))), Variant(std::int16_t(0)));
    EXPECT_EQ(clsTablas::Null2Blank(Variant(std::int32_t(5))), Variant(std::int32_t(5)));
}

TEST(ValueConversions, CurrencyPatterns)
{
    // Halves go to the even number.
    EXPECT_EQ((QStringList{clsTablas::CurrencyPattern(0), clsTablas::CurrencyPattern(2), clsTablas::CurrencyPattern(3),
                           clsTablas::CurrencyPattern(2.5)}),
              (QStringList{"###,###,##0", "###,###,##0.00", "###,###,##0.000", "###,###,##0.00"}));
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
    clsTablas svc;
    EXPECT_EQ((std::vector<bool>{ExisteClaveColeccion(Variant(col), "10"), ExisteClaveColeccion(Variant(col), "1"),
                                 ExisteClaveColeccion(Variant::nothing(), "10"),
                                 ExisteClaveColeccion(Variant(QStringLiteral("10")), "10"),
                                 svc.ExisteCampoColeccion(Variant(col), "10"),
                                 svc.ExisteCampoColeccion(Variant(std::int32_t(3)), "10")}),
              (std::vector<bool>{true, false, false, false, true, false}));
}

TEST(CollectionHelpers, RunningValuesSumReplaceAndConcatenate)
{
    clsTablas svc;
    auto col = newCollection();
    // Key, value, type, operation, separator, and the element after the call.
    const std::vector<std::array<const char*, 5>> steps{
        {"n", "5", "Integer", "Sumar", ""}, {"n", "3", "Long", "Sumar", ""},
        {"n", "2,5", "Integer", "Sustituir", ""}, // rounds half to even
        {"d", "1,5", "Double", "Sumar", ""}, {"d", "2,25", "Currency", "Sumar", ""},
        {"s", "A", "String", "Concatenar", ""}, {"s", "B", "String", "Concatenar", ""},
        {"x", "1", "Integer", "Sumar", ""}, {"s", "A", "String", "Concatenar", ""},
        {"t", "AB", "String", "Concatenar", "; "}, {"t", "B", "String", "Concatenar", "; "}, // substring test
        {"t", "C", "String", "Concatenar", "; "}, {"f", "01/02/2024", "Date", "Sustituir", ""}};
    std::vector<Variant> after;
    for (const auto& [k, v, type, op, sep] : steps) {
        EXPECT_TRUE(*sep ? svc.AñadirValorEnElementoColeccion(Variant(col), k, v, type, op, sep)
                         : svc.AñadirValorEnElementoColeccion(Variant(col), k, v, type, op))
            << k << " " << v;
        after.push_back(col->Item(Variant(k)));
    }
    EXPECT_EQ((std::vector<Variant>{after[0], after[1], after[2], after[4], after[8], after[10], after[11], after[12]}),
              (std::vector<Variant>{Variant(std::int32_t(5)), Variant(std::int32_t(8)), Variant(std::int32_t(2)),
                                    Variant(3.75), Variant(QStringLiteral("A, B")), Variant(QStringLiteral("AB")),
                                    Variant(QStringLiteral("AB; C")), Variant(QStringLiteral("01/02/2024"))}));
    QStringList keys; // an updated element moves to the end
    for (int i = 1; i <= col->Count(); ++i)
        keys << col->KeyAt(i);
    EXPECT_EQ(keys, (QStringList{"n", "d", "x", "s", "t", "f"}));
    EXPECT_TRUE(svc.AñadirValorEnElementoColeccion(Variant(col), "f", "x", "Date", "Sumar"));
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

    EXPECT_EQ((std::vector<double>{clsTablas::DivideBy(Variant("10"), Variant(QString())),
                                   clsTablas::DivideBy(Variant("10"), Variant("-")),
                                   clsTablas::DivideBy(Variant(std::int32_t(7)), Variant("0,5")),
                                   clsTablas::DivideBy(Variant("x"), Variant("2"))}),
              (std::vector<double>{0, 0, 14, 0}));
}

} // namespace

#include "ValueHelpersTest.moc"
