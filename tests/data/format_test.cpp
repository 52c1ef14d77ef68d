// Values and expressions written into SQL for the three dialects, under a
// comma-decimal and a point-decimal locale.
#include "DataTestSupport.h"

#include "core/Dialogs.h"
#include "core/Error.h"
#include "core/ValueText.h"

#include <gtest/gtest.h>

namespace {

enum Dialect { SqlServer, Access, Oracle };

class FormatTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved_ = ValueText::locale();
        spanish();
    }
    void TearDown() override { ValueText::setLocale(saved_); }

    static void spanish() { ValueText::setLocale(QLocale(QLocale::Spanish, QLocale::Spain)); }
    static void english() { ValueText::setLocale(QLocale(QLocale::English, QLocale::UnitedStates)); }

    std::shared_ptr<clsDO> make(Dialect d)
    {
        auto o = std::make_shared<clsDO>();
        if (d == Access) {
            o->setConnectionType(1);
        } else if (d == Oracle) {
            o->setConnectionType(3);
            o->setUsedDriver(2);
        }
        return o;
    }

    QLocale saved_;
};

QString text(const Variant& v) { return v.toString(); }

} // namespace

TEST_F(FormatTest, ValuesWrittenTheSameInBothLocales)
{
    const struct {
        const char* type;
        Variant value;
        const char* sql;
    } cases[] = {
        // Text quoted with its quotes doubled, whatever the case of the type.
        {"string", Variant("O'Brien"), "'O''Brien'"},
        {"STRING", Variant("O'Brien"), "'O''Brien'"},
        {"varchar", Variant("a''b"), "'a''''b'"},
        // Decimal numbers: a point and at least two decimals.
        {"currency", Variant(12.5), "12.50"},
        {"double", Variant(std::int32_t(12)), "12.00"},
        {"float", Variant(12.125), "12.125"},
        {"single", Variant(-0.5), "-0.50"},
        {"double", Variant(0.00001), "0.00001"},
        // Two-decimal money rounds and carries.
        {"currency2dec", Variant(12.5), "12.50"},
        {"currency2dec", Variant(std::int32_t(3)), "3.00"},
        {"currency2dec", Variant(12.125), "12.13"},
        {"currency2dec", Variant(12.999), "13.00"},
        {"currency2dec", Variant(-9.996), "-10.00"},
        {"boolean", Variant(true), "1"},
        {"boolean", Variant(false), "0"},
        {"timestamp", Variant(std::int32_t(5)), "NULL"},
        {"other", Variant("x y"), "x y"},
    };
    for (Dialect d : {SqlServer, Access}) {
        auto o = make(d);
        for (bool es : {true, false}) {
            es ? spanish() : english();
            for (const auto& c : cases)
                EXPECT_EQ(text(o->SQLFormat(QLatin1String(c.type), c.value)), QLatin1String(c.sql))
                    << c.type << (es ? " es " : " en ") << d;
        }
    }
    auto o = make(SqlServer);
    spanish();
    EXPECT_EQ(text(o->SQLFormat(QStringLiteral("currency"), Variant("1.234,5"))), QStringLiteral("1234.50"));
    english();
    EXPECT_EQ(text(o->SQLFormat(QStringLiteral("currency"), Variant("1,234.5"))), QStringLiteral("1234.50"));
    const Variant l = o->SQLFormat(QStringLiteral("long"), Variant("42"));
    EXPECT_EQ(l.type(), VarType::Long);
    EXPECT_EQ(l.toLong(), 42);
    EXPECT_EQ(o->SQLFormat(QStringLiteral("integer"), Variant(7.0)).type(), VarType::Integer);
}

TEST_F(FormatTest, DatesUseTheDialectLiteral)
{
    const Variant christmas(QDate(2024, 12, 25));
    for (QLocale::Language language : {QLocale::Spanish, QLocale::English, QLocale::German}) {
        ValueText::ScopedLocale locale{QLocale(language)};
        EXPECT_EQ(text(make(SqlServer)->SQLFormat(QStringLiteral("date"), christmas)),
                  QStringLiteral("CONVERT(smalldatetime,'25/12/2024',103)"));
        EXPECT_EQ(text(make(Access)->SQLFormat(QStringLiteral("Date"), christmas)), QStringLiteral("DateValue('25/12/2024')"));
        EXPECT_EQ(text(make(Oracle)->SQLFormat(QStringLiteral("date"), christmas)),
                  QStringLiteral("TO_DATE('25/12/2024', 'DD/MM/YYYY')"));
    }
    ScopedRecordingDialogs rec;
    EXPECT_EQ(text(make(SqlServer)->SQLFormat(QStringLiteral("date"), Variant::null())),
              QStringLiteral("CONVERT(smalldatetime,'',103)"));
    EXPECT_TRUE(rec->calls.empty());
}

TEST_F(FormatTest, NullsGiveTheEmptyLiteralQuietlyAndBadValuesAreReported)
{
    auto o = make(SqlServer);
    auto log = std::make_shared<datatest::LogRecorder>();
    o->InicializateLog(log);
    ScopedRecordingDialogs rec;

    const Variant l = o->SQLFormat(QStringLiteral("long"), Variant::null());
    EXPECT_EQ(l.type(), VarType::Long);
    EXPECT_EQ(l.toLong(), 0);
    EXPECT_EQ(text(o->SQLFormat(QStringLiteral("string"), Variant::null())), QStringLiteral("''"));
    EXPECT_EQ(text(o->SQLFormat(QStringLiteral("float"), Variant(""))), QStringLiteral("0.00"));
    EXPECT_EQ(text(o->SQLFormat(QStringLiteral("boolean"), Variant::null())), QStringLiteral("0"));
    EXPECT_TRUE(rec->calls.empty());
    ASSERT_FALSE(log->lines.empty());
    EXPECT_EQ(log->lines.front().procedure.section(QLatin1Char('\t'), 1), QStringLiteral("sqlformat"));
    EXPECT_EQ(log->lines.front().message, QStringLiteral("Error al intentar formatear el dato  al tipo de dato long"));
    EXPECT_EQ(log->lines.front().kind, 4);

    // Other type words pass the value through; "byte" is a 16-bit number like "integer".
    EXPECT_TRUE(o->SQLFormat(QStringLiteral("mystery"), Variant::null()).isNull());
    const Variant b = o->SQLFormat(QStringLiteral("byte"), Variant::null());
    EXPECT_EQ(b.type(), VarType::Integer);
    EXPECT_TRUE(rec->calls.empty());

    // A text that is no number, or no date, never reaches the SQL text.
    EXPECT_TRUE(o->SQLFormat(QStringLiteral("long"), Variant("abc")).isEmpty());
    EXPECT_TRUE(o->SQLFormat(QStringLiteral("date"), Variant("1'); DROP TABLE x --")).isEmpty());
    ASSERT_EQ(rec->calls.size(), 2u);
    EXPECT_EQ(rec->calls[0].prompt, QStringLiteral("Función SQLFormat en Zolt12.clsDO"));
    EXPECT_EQ(rec->calls[0].style, 16);
    EXPECT_EQ(rec->calls[0].title, QStringLiteral("Error"));
}

TEST_F(FormatTest, NullReplacementPerDialect)
{
    const Variant ab(datatest::arrayOf({Variant("a"), Variant("b")}));
    for (bool es : {true, false}) {
        es ? spanish() : english();
        SCOPED_TRACE(es ? "es" : "en");
        EXPECT_EQ(make(Oracle)->SqlIsNull(Variant("Precio"), 5), QStringLiteral("COALESCE(Precio, 0.00)"));
        EXPECT_EQ(make(SqlServer)->SqlIsNull(ab, 5), QStringLiteral("COALESCE(a, b, 0.00)"));
        EXPECT_EQ(make(Oracle)->SqlIsNull(ab, 8), QStringLiteral("COALESCE(a, b, '')"));
        EXPECT_EQ(make(SqlServer)->SqlIsNull(Variant("Nombre"), 8), QStringLiteral("ISNULL(Nombre, '')"));
        EXPECT_EQ(make(SqlServer)->SqlIsNull(Variant("Alta"), 7),
                  QStringLiteral("ISNULL(Alta, CONVERT(smalldatetime,'01/01/1900',103))"));
        EXPECT_EQ(make(SqlServer)->SqlIsNull(Variant("Activo"), 11), QStringLiteral("ISNULL(Activo, 0)"));
        EXPECT_EQ(make(Access)->SqlIsNull(Variant("x"), 3), QStringLiteral("IIF(x IS NOT NULL, x, 0)"));
        EXPECT_EQ(make(Access)->SqlIsNull(ab, 2), QStringLiteral("IIF(a IS NOT NULL, a, IIF(b IS NOT NULL, b, 0))"));
        // A type without a default literal keeps the value as it is, in valid SQL.
        EXPECT_EQ(make(SqlServer)->SqlIsNull(Variant("g"), 0), QStringLiteral("ISNULL(g, NULL)"));
    }
}

TEST_F(FormatTest, ConditionsAndDateColumns)
{
    english();
    EXPECT_EQ(make(Access)->SQLCondition(QStringLiteral("x > 0"), QStringLiteral("1"), QStringLiteral("0")),
              QStringLiteral("IIF(x > 0, 1, 0)"));
    EXPECT_EQ(make(SqlServer)->SQLCondition(QStringLiteral("x > 0"), QStringLiteral("1"), QStringLiteral("0"),
                                            QStringLiteral("Pos")),
              QStringLiteral("CASE WHEN x > 0 THEN 1 ELSE 0 END  AS Pos"));
    EXPECT_EQ(make(Oracle)->SQLCondition(QStringLiteral("x > 0"), QStringLiteral("1"), QStringLiteral("0")),
              QStringLiteral("CASE WHEN x > 0 THEN 1 ELSE 0 END "));
    EXPECT_EQ(make(SqlServer)->FormatoFechaSelect(QStringLiteral("Alta"), QStringLiteral("F")),
              QStringLiteral("CONVERT(smalldatetime,'Alta',103) AS F"));
    EXPECT_EQ(make(Access)->FormatoFechaSelect(QStringLiteral("Alta")), QStringLiteral("DateValue('Alta')"));
}

TEST_F(FormatTest, AccessMoneyColumns)
{
    auto o = make(Access);
    // An absurd number of decimals is refused, not turned into a pattern of that many zeros.
    for (auto kind : {Access, Oracle})
        EXPECT_THROW(make(kind)->FormatoMonedaSelect(QStringLiteral("Imp"), Variant(std::int32_t(2000000000))), Error);
    EXPECT_EQ(o->FormatoMonedaSelect(QStringLiteral("Imp"), Variant(std::int16_t(28)), QStringLiteral("I")),
              QStringLiteral("FORMAT(Imp,'###,###,##0.") + QString(28, QLatin1Char('0')) + QStringLiteral("') AS I"));
    EXPECT_EQ(o->FormatoMonedaSelect(QStringLiteral("Imp"), Variant(std::int16_t(2)), QStringLiteral("I")),
              QStringLiteral("FORMAT(Imp,'###,###,##0.00') AS I"));
    EXPECT_EQ(o->FormatoMonedaSelect(QStringLiteral("Imp"), Variant("0")), QStringLiteral("FORMAT(Imp,'###,###,##0') AS "));
    EXPECT_EQ(o->FormatoMonedaSelect(QStringLiteral("Imp"), Variant("#,##0.0"), QStringLiteral("I")),
              QStringLiteral("FORMAT(Imp,'#,##0.0') AS I"));
    EXPECT_EQ(o->FormatoMonedaSelect(QStringLiteral("Imp"), Variant("Dec"), QStringLiteral("I")),
              QStringLiteral("LEFT(FORMAT(Imp,'###,###,##0.00000000'),LEN(FORMAT(Imp,'###,###,##0.00000000'))-9) & "
                             "LEFT(RIGHT(FORMAT(Imp, '0.00000000'),9),Dec + IIF(Dec > 0,1,0)) AS I"));
    const QString e = QStringLiteral("FORMAT(Imp,'###,###,##0.0')");
    EXPECT_EQ(o->FormatoMonedaSelect(QStringLiteral("Imp"), Variant(std::int16_t(1)), QStringLiteral("I"), true),
              QStringLiteral("IIF(LEN(") + e + QStringLiteral(") < 15, LEFT('                    ', 15 - LEN(") + e +
                  QStringLiteral(")) & ") + e + QStringLiteral(",") + e + QStringLiteral(") AS I"));
}

TEST_F(FormatTest, OracleMoneyColumnsRewriteThePattern)
{
    auto o = make(Oracle);
    EXPECT_EQ(o->FormatoMonedaSelect(QStringLiteral("Imp"), Variant(std::int16_t(3)), QStringLiteral("I")),
              QStringLiteral("TO_CHAR(Imp,'999,999,990.000') AS I"));
    Variant pattern("#,##0.00");
    EXPECT_EQ(o->FormatoMonedaSelect(QStringLiteral("Imp"), pattern, QStringLiteral("I")),
              QStringLiteral("TO_CHAR(Imp,'9,990.00') AS I"));
    EXPECT_EQ(pattern.toString(), QStringLiteral("9,990.00"));

    // A decimals expression: grouped whole part and that many decimals, as on Access.
    const QString f = QStringLiteral("TO_CHAR(Imp,'FM999,999,999,990.00000000')");
    const QString e = QStringLiteral("SUBSTR(") + f + QStringLiteral(", 1, LENGTH(") + f + QStringLiteral(") - 9) || SUBSTR(") + f +
                      QStringLiteral(", -9, Dec + CASE WHEN Dec > 0 THEN 1 ELSE 0 END)");
    EXPECT_EQ(o->FormatoMonedaSelect(QStringLiteral("Imp"), Variant("Dec"), QStringLiteral("I")), e + QStringLiteral(" AS I"));
    const QString n = QStringLiteral("TO_CHAR(Imp,'999,999,990')");
    EXPECT_EQ(o->FormatoMonedaSelect(QStringLiteral("Imp"), Variant(std::int16_t(0)), QStringLiteral("I"), true),
              QStringLiteral("CASE WHEN LENGTH(") + n + QStringLiteral(") < 15 THEN LPAD(") + n + QStringLiteral(", 15) ELSE ") + n +
                  QStringLiteral(" END AS I"));
}

TEST_F(FormatTest, SqlServerMoneyColumnsFollowTheLocaleSeparators)
{
    auto o = make(SqlServer);
    const QString cast = QStringLiteral("CAST(CONVERT(varchar, CAST(Imp AS money), 1) AS varchar)");
    spanish();
    EXPECT_EQ(o->FormatoMonedaSelect(QStringLiteral("Imp"), Variant(std::int16_t(2)), QStringLiteral("I")),
              QStringLiteral(" REPLACE(REPLACE(REPLACE(") + cast + QStringLiteral(", '.', '@'), ',', '.'), '@', ',') AS I"));
    english();
    EXPECT_EQ(o->FormatoMonedaSelect(QStringLiteral("Imp"), Variant(std::int16_t(2)), QStringLiteral("I")),
              QStringLiteral(" ") + cast + QStringLiteral(" AS I"));
    EXPECT_EQ(o->FormatoMonedaSelect(QStringLiteral("Imp"), Variant("#,##0.00")), QStringLiteral(" ") + cast + QStringLiteral(" "));

    spanish();
    const QString r = QStringLiteral("ROUND(Imp, 3)");
    QString expected = QStringLiteral(" (CASE ISNULL(") + r +
                       QStringLiteral(", 0) WHEN 0 THEN '0' + CASE 3 WHEN 0 THEN '' ELSE ',' + RIGHT('0000000000',3) END ELSE "
                                      "(CASE WHEN ") +
                       r + QStringLiteral(" < 0 THEN '-' ELSE '' END + ");
    const char* groups[][3] = {{"12", "1000000000000", "20"}, {"9", "1000000000", "3"}, {"6", "1000000", "3"}, {"3", "1000", "3"}};
    for (auto& g : groups)
        expected += QStringLiteral("CASE WHEN LEN(LTRIM(STR(FLOOR(ABS(") + r + QStringLiteral("))))) > %1  THEN RIGHT(LTRIM(STR(FLOOR(ABS(")
                                                                                   .arg(QLatin1String(g[0])) +
                    r + QStringLiteral(") / (%1)), 20, 0)),%2) + '.' ELSE '' END + ").arg(QLatin1String(g[1]), QLatin1String(g[2]));
    expected += QStringLiteral("RIGHT(LTRIM(STR(FLOOR(ABS(") + r + QStringLiteral(")), 20, 0)),3) + ");
    expected += QStringLiteral("CASE 3 WHEN 0 THEN '' ELSE ',' + RIGHT(STR(") + r + QStringLiteral(",20,3),3) END) END) AS I");
    EXPECT_EQ(o->FormatoMonedaSelect(QStringLiteral("Imp"), Variant(std::int16_t(3)), QStringLiteral("I")), expected);
    EXPECT_EQ(o->FormatoMonedaSelect(QStringLiteral("Imp"), Variant("#,##0.000"), QStringLiteral("I")), expected);

    try {
        o->FormatoMonedaSelect(QStringLiteral("Imp"), Variant("abc"));
        ADD_FAILURE() << "a text that is neither a number nor a pattern must fail";
    } catch (const Error& e) {
        EXPECT_EQ(e.number, Error::TypeMismatch);
    }
}

TEST_F(FormatTest, TypeCodes)
{
    auto o = make(SqlServer);
    const std::pair<int, int> ado[] = {{2, 2}, {17, 2}, {3, 3}, {20, 3}, {4, 4}, {5, 5}, {131, 5}, {6, 6}, {7, 7},
                                       {135, 7}, {129, 8}, {130, 8}, {200, 8}, {201, 8}, {202, 8}, {203, 8}, {11, 11},
                                       {128, 12}, {16, 17}, {14, 0}, {72, 0}, {204, 0}, {205, 0}, {133, 0}, {134, 0}};
    for (auto [type, code] : ado)
        EXPECT_EQ(o->TipoDato(std::int16_t(type)), code) << type;
    const std::pair<const char*, int> oracle[] = {{"NUMBER", 4}, {"LONG", 3}, {"BINARY_DOUBLE", 5}, {"NCLOB", 8},
                                                  {"LONG RAW", 12}, {"TIMESTAMP(6)", 0}, {"varchar2", 0}};
    for (auto [type, code] : oracle)
        EXPECT_EQ(o->TipoDatoOracle(QLatin1String(type)), code) << type;
}
