// Values and expressions written into SQL for the three dialects, under a
// comma-decimal and a point-decimal locale.
#include "DataTestSupport.h"

#include "core/ValueText.h"

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
        o->setConnectionType(std::int16_t(d == Access ? 1 : d == Oracle ? 3 : 0));
        o->setUsedDriver(std::int16_t(d == Oracle ? 2 : 0));
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
    EXPECT_EQ(text(o->SQLFormat(u"currency"_s, Variant("1.234,5"))), u"1234.50"_s);
    english();
    EXPECT_EQ(text(o->SQLFormat(u"currency"_s, Variant("1,234.5"))), u"1234.50"_s);
}

TEST_F(FormatTest, NullsGiveTheEmptyLiteralQuietlyAndBadValuesAreReported)
{
    auto o = make(SqlServer);
    auto log = std::make_shared<datatest::LogRecorder>();
    o->InicializateLog(log);
    ScopedRecordingDialogs rec;

    // Each answer as "<value type>:<text>". A null or empty value gives the type's
    // empty literal; other type words pass the value through; "byte" is a 16-bit
    // number like "integer". None of these shows a notice.
    const std::tuple<const char*, Variant, const char*> cases[] = {
        {"long", Variant("42"), "3:42"},      {"integer", Variant(7.0), "2:7"},  {"long", Variant::null(), "3:0"},
        {"string", Variant::null(), "8:''"},  {"float", Variant(""), "8:0.00"},  {"boolean", Variant::null(), "8:0"},
        {"mystery", Variant::null(), "1:NULL"}, {"byte", Variant::null(), "2:0"},
    };
    for (const auto& [type, value, typed] : cases) {
        const Variant v = o->SQLFormat(QLatin1String(type), value);
        EXPECT_EQ(QString::number(int(v.type())) + u':' + datatest::show(v), QLatin1String(typed)) << type;
    }
    EXPECT_TRUE(rec->calls.empty());
    // Each empty value is logged with the type it was asked for.
    QStringList logged;
    for (const char* type : {"long", "string", "float", "boolean", "byte"})
        logged << QString(15, u' ') + u"\tsqlformat|Error al intentar formatear el dato  al tipo de dato "_s + QLatin1String(type) + u"|4"_s;
    EXPECT_EQ(log->texts(), logged);

    // A text that is no number, or no date, never reaches the SQL text.
    EXPECT_TRUE(o->SQLFormat(u"long"_s, Variant("abc")).isEmpty());
    EXPECT_TRUE(o->SQLFormat(u"date"_s, Variant("1'); DROP TABLE x --")).isEmpty());
    EXPECT_EQ(datatest::boxes(rec).value(0), u"Error|16|Función SQLFormat en Zolt12.clsDO"_s);
    EXPECT_EQ(rec->calls.size(), 2u);
}

// Dates, null replacements, conditions and date columns: one text per dialect
// whatever the locale, and no notice.
TEST_F(FormatTest, DialectTextsInEveryLocale)
{
    const Variant christmas(QDate(2024, 12, 25)), ab(datatest::arrayOf({Variant("a"), Variant("b")}));
    const std::tuple<Dialect, std::function<QString(clsDO&)>, const char*> cases[] = {
        {SqlServer, [&](clsDO& o) { return text(o.SQLFormat(u"date"_s, christmas)); }, "CONVERT(smalldatetime,'25/12/2024',103)"},
        {Access, [&](clsDO& o) { return text(o.SQLFormat(u"Date"_s, christmas)); }, "DateValue('25/12/2024')"},
        {Oracle, [&](clsDO& o) { return text(o.SQLFormat(u"date"_s, christmas)); }, "TO_DATE('25/12/2024', 'DD/MM/YYYY')"},
        {SqlServer, [](clsDO& o) { return text(o.SQLFormat(u"date"_s, Variant::null())); }, "CONVERT(smalldatetime,'',103)"},
        {Oracle, [](clsDO& o) { return o.SqlIsNull(Variant("Precio"), 5); }, "COALESCE(Precio, 0.00)"},
        {SqlServer, [&](clsDO& o) { return o.SqlIsNull(ab, 5); }, "COALESCE(a, b, 0.00)"},
        {Oracle, [&](clsDO& o) { return o.SqlIsNull(ab, 8); }, "COALESCE(a, b, '')"},
        {SqlServer, [](clsDO& o) { return o.SqlIsNull(Variant("Nombre"), 8); }, "ISNULL(Nombre, '')"},
        {SqlServer, [](clsDO& o) { return o.SqlIsNull(Variant("Alta"), 7); }, "ISNULL(Alta, CONVERT(smalldatetime,'01/01/1900',103))"},
        {SqlServer, [](clsDO& o) { return o.SqlIsNull(Variant("Activo"), 11); }, "ISNULL(Activo, 0)"},
        {Access, [](clsDO& o) { return o.SqlIsNull(Variant("x"), 3); }, "IIF(x IS NOT NULL, x, 0)"},
        {Access, [&](clsDO& o) { return o.SqlIsNull(ab, 2); }, "IIF(a IS NOT NULL, a, IIF(b IS NOT NULL, b, 0))"},
        // A type without a default literal keeps the value as it is, in valid SQL.
        {SqlServer, [](clsDO& o) { return o.SqlIsNull(Variant("g"), 0); }, "ISNULL(g, NULL)"},
        {Access, [](clsDO& o) { return o.SQLCondition(u"x > 0"_s, u"1"_s, u"0"_s); }, "IIF(x > 0, 1, 0)"},
        {SqlServer, [](clsDO& o) { return o.SQLCondition(u"x > 0"_s, u"1"_s, u"0"_s, u"Pos"_s); }, "CASE WHEN x > 0 THEN 1 ELSE 0 END  AS Pos"},
        {Oracle, [](clsDO& o) { return o.SQLCondition(u"x > 0"_s, u"1"_s, u"0"_s); }, "CASE WHEN x > 0 THEN 1 ELSE 0 END "},
        {SqlServer, [](clsDO& o) { return o.FormatoFechaSelect(u"Alta"_s, u"F"_s); }, "CONVERT(smalldatetime,'Alta',103) AS F"},
        {Access, [](clsDO& o) { return o.FormatoFechaSelect(u"Alta"_s); }, "DateValue('Alta')"},
    };
    ScopedRecordingDialogs rec;
    for (QLocale::Language language : {QLocale::Spanish, QLocale::English, QLocale::German}) {
        ValueText::ScopedLocale locale{QLocale(language)};
        for (const auto& [dialect, call, sql] : cases)
            EXPECT_EQ(call(*make(dialect)), QString::fromUtf8(sql)) << language;
    }
    EXPECT_TRUE(rec->calls.empty());
}

// Money columns on Access and Oracle for a number of decimals, a pattern or a
// decimals expression (grouped whole part and that many decimals), padded on request.
TEST_F(FormatTest, AccessAndOracleMoneyColumns)
{
    const QString a = u"FORMAT(Imp,'###,###,##0.0')"_s, f = u"TO_CHAR(Imp,'FM999,999,999,990.00000000')"_s,
                  o = u"TO_CHAR(Imp,'999,999,990')"_s;
    const std::tuple<Dialect, Variant, bool, QString> cases[] = {
        {Access, Variant(std::int16_t(28)), false, u"FORMAT(Imp,'###,###,##0."_s + QString(28, u'0') + u"') AS I"_s},
        {Access, Variant(std::int16_t(2)), false, u"FORMAT(Imp,'###,###,##0.00') AS I"_s},
        {Access, Variant("#,##0.0"), false, u"FORMAT(Imp,'#,##0.0') AS I"_s},
        {Access, Variant("Dec"), false, u"LEFT(FORMAT(Imp,'###,###,##0.00000000'),LEN(FORMAT(Imp,'###,###,##0.00000000'))-9) & "
                                        "LEFT(RIGHT(FORMAT(Imp, '0.00000000'),9),Dec + IIF(Dec > 0,1,0)) AS I"_s},
        {Access, Variant(std::int16_t(1)), true,
         u"IIF(LEN("_s + a + u") < 15, LEFT('                    ', 15 - LEN("_s + a + u")) & "_s + a + u","_s + a + u") AS I"_s},
        {Oracle, Variant(std::int16_t(3)), false, u"TO_CHAR(Imp,'999,999,990.000') AS I"_s},
        {Oracle, Variant("Dec"), false, u"SUBSTR("_s + f + u", 1, LENGTH("_s + f + u") - 9) || SUBSTR("_s + f +
                                            u", -9, Dec + CASE WHEN Dec > 0 THEN 1 ELSE 0 END) AS I"_s},
        {Oracle, Variant(std::int16_t(0)), true, u"CASE WHEN LENGTH("_s + o + u") < 15 THEN LPAD("_s + o + u", 15) ELSE "_s + o + u" END AS I"_s},
    };
    for (auto [dialect, decimals, pad, sql] : cases)
        EXPECT_EQ(make(dialect)->FormatoMonedaSelect(u"Imp"_s, decimals, u"I"_s, pad), sql);
    EXPECT_EQ(make(Access)->FormatoMonedaSelect(u"Imp"_s, Variant("0")), u"FORMAT(Imp,'###,###,##0') AS "_s);
    // Oracle rewrites a pattern in the caller's variable too.
    Variant pattern("#,##0.00");
    EXPECT_EQ(make(Oracle)->FormatoMonedaSelect(u"Imp"_s, pattern, u"I"_s), u"TO_CHAR(Imp,'9,990.00') AS I"_s);
    EXPECT_EQ(pattern.toString(), u"9,990.00"_s);
    // An absurd number of decimals is refused, not turned into a pattern of that many zeros.
    for (auto kind : {Access, Oracle})
        EXPECT_THROW(make(kind)->FormatoMonedaSelect(u"Imp"_s, Variant(std::int32_t(2000000000))), Error);
}

TEST_F(FormatTest, SqlServerMoneyColumnsFollowTheLocaleSeparators)
{
    auto o = make(SqlServer);
    const QString cast = u"CAST(CONVERT(varchar, CAST(Imp AS money), 1) AS varchar)"_s;
    spanish();
    EXPECT_EQ(o->FormatoMonedaSelect(u"Imp"_s, Variant(std::int16_t(2)), u"I"_s),
              u" REPLACE(REPLACE(REPLACE("_s + cast + u", '.', '@'), ',', '.'), '@', ',') AS I"_s);
    english();
    EXPECT_EQ(o->FormatoMonedaSelect(u"Imp"_s, Variant(std::int16_t(2)), u"I"_s), u" "_s + cast + u" AS I"_s);
    EXPECT_EQ(o->FormatoMonedaSelect(u"Imp"_s, Variant("#,##0.00")), u" "_s + cast + u" "_s);

    spanish();
    // Grouped by thousands with points, decimals after a comma, each group cut from the rounded value.
    const QString expected = u" (CASE ISNULL(ROUND(Imp, 3), 0) WHEN 0 THEN '0' + CASE 3 WHEN 0 THEN '' ELSE ',' + RIGHT('0000000000',3) END ELSE "
                               "(CASE WHEN ROUND(Imp, 3) < 0 THEN '-' ELSE '' END + "
                               "CASE WHEN LEN(LTRIM(STR(FLOOR(ABS(ROUND(Imp, 3)))))) > 12  THEN RIGHT(LTRIM(STR(FLOOR(ABS(ROUND(Imp, 3)) / (1000000000000)), 20, 0)),20) + '.' ELSE '' END + "
                               "CASE WHEN LEN(LTRIM(STR(FLOOR(ABS(ROUND(Imp, 3)))))) > 9  THEN RIGHT(LTRIM(STR(FLOOR(ABS(ROUND(Imp, 3)) / (1000000000)), 20, 0)),3) + '.' ELSE '' END + "
                               "CASE WHEN LEN(LTRIM(STR(FLOOR(ABS(ROUND(Imp, 3)))))) > 6  THEN RIGHT(LTRIM(STR(FLOOR(ABS(ROUND(Imp, 3)) / (1000000)), 20, 0)),3) + '.' ELSE '' END + "
                               "CASE WHEN LEN(LTRIM(STR(FLOOR(ABS(ROUND(Imp, 3)))))) > 3  THEN RIGHT(LTRIM(STR(FLOOR(ABS(ROUND(Imp, 3)) / (1000)), 20, 0)),3) + '.' ELSE '' END + "
                               "RIGHT(LTRIM(STR(FLOOR(ABS(ROUND(Imp, 3))), 20, 0)),3) + CASE 3 WHEN 0 THEN '' ELSE ',' + RIGHT(STR(ROUND(Imp, 3),20,3),3) END) END) AS I"_s;
    EXPECT_EQ(o->FormatoMonedaSelect(u"Imp"_s, Variant(std::int16_t(3)), u"I"_s), expected);
    EXPECT_EQ(o->FormatoMonedaSelect(u"Imp"_s, Variant("#,##0.000"), u"I"_s), expected);

    // A text that is neither a number nor a pattern fails.
    EXPECT_EQ(datatest::raised([&] { o->FormatoMonedaSelect(u"Imp"_s, Variant("abc")); }).section(u'|', 1, 1).toInt(), Error::TypeMismatch);
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
