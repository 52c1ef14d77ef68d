// Blank-field check, blank/zero/null conversions, the list search, the
// collection helpers and the safe division.
#include "ServicesTestSupport.h"


#include <QComboBox>
#include <QLineEdit>

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
    explicit FakeGrid(QStringList t) : texts(std::move(t)) {}
    int Rows() const override { return int(texts.size()); }
    QString TextMatrix(int row, int col) const override
    {
        if (row < 0 || row >= Rows() || col < 0 || col > 2)
            raise(381, QStringLiteral("Subscript out of range"));
        return col == 2 ? texts[row] : QString();
    }
    void setTopRow(int row) override { topRow = row; }
    void setRedraw(bool on) override { redraw.push_back(on); }
    int topRow = -1;
    std::vector<bool> redraw;
    QStringList texts;
};

using HelpersTest = ServicesTest;

TEST_F(HelpersTest, BlankCheckFocusesVisibleControlsWarnsAndAsks)
{
    FakeControl hidden(QString(), false), shown(QString(), true), date(QStringLiteral("  /  /    "), true);
    // The windows pass their plain widgets.
    QLineEdit edit(QStringLiteral("srv"));
    QComboBox combo, chosen;
    combo.addItems({QString(), QStringLiteral("SQL Server")});
    chosen.addItems({QString(), QStringLiteral("SQL Server")});
    chosen.setCurrentIndex(1);
    answers = {1, 1, 6, 7}; // the two notices, then yes and no
    auto blank = [&](QObject* c, const QString& empty, const QString& what, bool ask = false) {
        return svc->EvitarBlancos(c, empty, what, ask);
    };
    EXPECT_EQ((std::vector<bool>{blank(&hidden, {}, "Servidor"), blank(&shown, {}, {}), blank(&date, date.text, "Fecha"),
                                 blank(&date, {}, "Fecha"), blank(&shown, {}, "Nombre", true),
                                 blank(&shown, {}, "Nombre", true), blank(&edit, {}, "Servidor"), blank(&combo, {}, {}),
                                 blank(&chosen, {}, {})}),
              (std::vector<bool>{false, false, false, true, true, false, true, false, true}));
    EXPECT_EQ((std::vector<int>{hidden.focused, shown.focused}), (std::vector<int>{0, 3}));
    // No description, no message; a question is asked only when told to.
    EXPECT_EQ(questions.size(), 4);
    EXPECT_EQ(asked(0) + asked(2), (QStringList{"Servidor no puede estar en blanco", "64", "Aviso",
                                                "Nombre está en blanco.\r\n\r\n¿Desea Introducir el registro de todas "
                                                "formas?", "68", "Aviso"}));
    EXPECT_TRUE(reports.empty());
    QObject nothing;
    EXPECT_FALSE(blank(&nothing, {}, "X"));
    EXPECT_EQ(reportTexts(), QStringList{"Función EvitarBlancos"});
}

TEST(ValueConversions, BlankZeroNullAndCurrencyPatternRules)
{
    EXPECT_EQ((std::vector<double>{clsTablas::Blank2Zero(QString()), clsTablas::Blank2Zero("-"),
                                   clsTablas::Blank2Zero("1.234,5")}),
              (std::vector<double>{0, 0, 1234.5}));
    EXPECT_EQ((QStringList{clsTablas::Zero2Blank(QString()), clsTablas::Zero2Blank("0"), clsTablas::Zero2Blank("0,00"),
                           clsTablas::Zero2Blank("7,50"), clsTablas::CurrencyPattern(2.5)}),
              (QStringList{"", "", "", "7,50", "###,###,##0.00"}))
        << "halves of decimals go to the even number; 0, 2 and 3 decimals are pinned by the settings file";
    EXPECT_THROW(clsTablas::Blank2Zero(QStringLiteral("abc")), Error);
    EXPECT_THROW(clsTablas::Zero2Blank(QStringLiteral("x")), Error);
    EXPECT_THROW(clsTablas::CurrencyPattern(-1), Error);
    EXPECT_EQ((std::vector<Variant>{clsTablas::Null2Blank(Variant::null()),
                                    clsTablas::Null2Blank(Variant::null(), Variant(std::int16_t(0))),
                                    clsTablas::Null2Blank(Variant(std::int32_t(5)))}),
              (std::vector<Variant>{Variant(QString()), Variant(std::int16_t(0)), Variant(std::int32_t(5))}));
}

TEST(ListSearch, FindsTheFirstRowStartingWithTheTextAndAlwaysRedraws)
{
    FakeGrid grid({"Zamora", "Ávila", "madrid", "Madrigal"});
    clsTablas::SearchList(grid, QStringLiteral("MAD"));
    EXPECT_EQ(grid.redraw, (std::vector<bool>{false, true}));
    // Rows before InitRow are not searched; a text no row starts with leaves the top row.
    clsTablas::SearchList(grid, QStringLiteral("zam"), 2, 1);
    clsTablas::SearchList(grid, QStringLiteral("Lugo"));
    EXPECT_EQ(grid.topRow, 2);

    grid.redraw.clear();
    EXPECT_THROW(clsTablas::SearchList(grid, QStringLiteral("x"), 9), Error);
    EXPECT_EQ(grid.redraw, (std::vector<bool>{false, true}));
}

TEST(CollectionHelpers, RunningValuesSumReplaceAndConcatenateKeysAreTextAndFailuresAreClean)
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

    // The key test takes text keys only; running values and the division fail cleanly.
    col = newCollection();
    const Variant c(col);
    EXPECT_FALSE(ExisteClaveColeccion(c, QStringLiteral("a")));
    col->Add(Variant(std::int32_t(1)), QStringLiteral("10"));
    EXPECT_EQ((std::vector<bool>{ExisteClaveColeccion(c, "10"), ExisteClaveColeccion(c, "1"),
                                 ExisteClaveColeccion(Variant::nothing(), "10"),
                                 ExisteClaveColeccion(Variant(QStringLiteral("10")), "10"),
                                 svc.ExisteCampoColeccion(c, "10"),
                                 svc.ExisteCampoColeccion(Variant(std::int32_t(3)), "10")}),
              (std::vector<bool>{true, false, false, false, true, false}));
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
