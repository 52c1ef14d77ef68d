// Account codes, currencies, account sums, the one-value look-up and the
// settings kept in the database, through the recording backend.
#include "ServicesTestSupport.h"


#include <QLineEdit>

using namespace svctest;
using EventKind = db::RecordingBackend::EventKind;

namespace {

class AccountsTest : public ServicesTest {
protected:
    // Begin, commit and rollback events so far.
    std::vector<int> transactions() const
    {
        std::vector<int> n(3);
        for (const auto& e : rec->events())
            for (int k = 0; k < 3; ++k)
                n[k] += e.kind == std::array{EventKind::Begin, EventKind::Commit, EventKind::Rollback}[k];
        return n;
    }
};

TEST_F(AccountsTest, ExchangeRatesCurrencyDecimalsAndFormats)
{
    EXPECT_EQ(svc->CambioDivisa(nullptr, "EUR", "USD", 1.1), 1.1);
    EXPECT_EQ(svc->CambioDivisa(nullptr, "EUR", "USD"), 0);
    EXPECT_EQ(asked(0), (QStringList{"No es posible realizar el cambio de divisa sin un valor de cambio", "64",
                                     "Cambio de Divisa"}));
    EXPECT_EQ(svc->CambioDivisa(data, "EUR", "EUR"), 1);
    EXPECT_TRUE(rec->statements().isEmpty());

    answerColumn("SELECT Change FROM Currency WHERE CodeID = 'EUR'", "Change", {Variant(2.0)});
    answerColumn("SELECT Change FROM Currency WHERE CodeID = 'US''D'", "Change", {Variant(4.0)});
    EXPECT_EQ(sent([&] { EXPECT_EQ(svc->CambioDivisa(data, "EUR", "US'D"), 0.5); }),
              (QStringList{"SELECT Change FROM Currency WHERE CodeID = 'EUR'",
                           "SELECT Change FROM Currency WHERE CodeID = 'US''D'"}));
    EXPECT_EQ(svc->CambioDivisa(data, "EUR", "US'D", 0.5), 0.5);
    EXPECT_EQ(questions.size(), 1) << "a preset rate equal to the current one is not questioned";
    answers = {6, 7};
    EXPECT_EQ(svc->CambioDivisa(data, "EUR", "US'D", 0.25), 0.5);
    EXPECT_EQ(svc->CambioDivisa(data, "EUR", "US'D", 0.25), 0.25);
    EXPECT_EQ(questions.size(), 3);
    EXPECT_EQ(asked(1), (QStringList{"El cambio de la moneda del documento no coincide con el actual:\r\nCambio "
                                     "Suministrado: {10,25}\r\nCambio Actual: {20,5}\r\n\r\n¿Desea aplicar el cambio "
                                     "actual?", "36", "Cambio Moneda"}));
    EXPECT_DOUBLE_EQ(svc->AplicarCambio(data, Currency::fromDouble(10.5), "EUR", "US'D"), 5.25);
    answerColumn("SELECT Change FROM Currency WHERE CodeID = 'ZERO'", "Change", {Variant(0.0)});
    EXPECT_THROW(svc->CambioDivisa(data, "EUR", "ZERO"), Error);
    QString f3 = "#,##0.000", f0 = "#,##0", format;
    EXPECT_EQ((std::vector<int>{svc->DecimalesMoneda(f3), svc->DecimalesMoneda(f0), svc->DecimalesMoneda(format)}),
              (std::vector<int>{3, 0, 2}));
    EXPECT_EQ(format, "###,###,##0.00") << "an empty argument takes FormatoMoneda";
    EXPECT_EQ(svc->FormatoDivisa(Variant(std::int16_t(2))), "###,###,##0.00");
    answerColumn("SELECT Decimals FROM Currency WHERE CodeID = 'JPY'", "Decimals", {Variant(std::int16_t(0))});
    EXPECT_EQ(svc->FormatoDivisa(Variant("JPY"), data), "###,###,##0");
    EXPECT_THROW(svc->FormatoDivisa(Variant("XXX"), data), Error) << "a currency without a row";
}

class Record : public RecordSource {
public:
    Variant Datos() override
    {
        if (fail)
            raise(91, "no records");
        auto records = newCollection(), first = newCollection();
        for (const char* name : {"Code", "Name", "Note"})
            first->Add(Variant(), name);
        records->Add(Variant(first), "#7");
        return Variant(records);
    }
    QString NombreCampo(std::int16_t n) override { return QStringList{"Code", "Name", "Note"}.value(n - 1); }
    Variant ValorCampo(const QString& field, const Variant& position) override
    {
        positions.push_back(position);
        return field == "Code" ? Variant(std::int32_t(7)) : field == "Name" ? Variant("Ana") : Variant::null();
    }
    bool fail = false;
    std::vector<Variant> positions;
};

TEST_F(AccountsTest, AccountSumsLookUpsAndARecordAsOneLine)
{
    const QString debit = "SELECT SUM(Importe) As Resultado FROM Cuentas WHERE Codigo = '4300''1' AND DH = 'D'";
    const QString credit = "SELECT SUM(Importe) As Resultado FROM Cuentas WHERE Codigo = '43001' AND DH = 'H'";
    const QString balance =
        "SELECT SUM(Importe * IIF(DH = 'D', 1, -1)) As Resultado FROM Asientos WHERE Cuenta = '43001'";
    answerColumn(debit, "Resultado", {Variant(Currency::fromDouble(120.5))});
    answerColumn(credit, "Resultado", {Variant::null()});
    rec->answerError(balance, 208, "Invalid object name 'Asientos'.");
    EXPECT_EQ((std::vector<Currency>{svc->SaldoCuenta("4300'1", "Debe", data), svc->SaldoCuenta("43001", "Haber", data),
                                     svc->SaldoCuenta("43001", "Saldo", data), svc->SaldoCuenta("43001", "Otro", data)}),
              (std::vector<Currency>{Currency::fromDouble(120.5), Currency(), Currency(), Currency()}));
    EXPECT_EQ(rec->statements(), (QStringList{debit, credit, balance}));
    EXPECT_TRUE(reports.empty());

    EXPECT_TRUE(sent([&] { EXPECT_EQ(svc->ConseguirCampo("T", "A", "B", ""), QString()); }).isEmpty());
    answerColumn("SELECT Nombre FROM Clientes WHERE Codigo = 'O''Brien' AND Activo = 1", "Nombre",
                 {Variant("Uno"), Variant("Dos")});
    EXPECT_EQ(svc->ConseguirCampo("Clientes", "Nombre", "Codigo", "O'Brien", true, " AND Activo = 1"), QString())
        << "two rows give nothing";
    answerColumn("SELECT Nombre FROM Clientes WHERE Codigo = 7", "Nombre", {Variant("Siete")});
    EXPECT_EQ(svc->ConseguirCampo("Clientes", "Nombre", "Codigo", "7"), "Siete");
    answerColumn("SELECT Name FROM Account WHERE CodeID = '4300''0'", "Name", {Variant("Caja")});
    EXPECT_EQ(svc->Codigo2Nombre("4300'0", data), "Caja");
    Record r;
    EXPECT_EQ(svc->RegisterString2Send(r, 4), "Code=7|Name=Ana|Note=");
    EXPECT_EQ(r.positions.front(), Variant(std::int32_t(4)));
    r.fail = true;
    EXPECT_EQ(svc->RegisterString2Send(r, 1), QString());
}

TEST_F(AccountsTest, AccountCodesAreCompletedAndMakeRoomForAKeyAndUserSettingsAreReplacedInOneTransaction)
{
    svc->DigitosCuenta = 9;
    QLineEdit box;
    for (auto [typed, completed] : {std::pair{"4300012", "430000012"}, {"430001", "430000001"}, {"43000", "43000"},
                                    {"4300000001", "430000000"}}) {
        box.setText(typed);
        EXPECT_TRUE(svc->AgregarCerosCuenta(&box));
        EXPECT_EQ(box.text(), completed) << typed;
    }
    EXPECT_EQ(questions.size(), 1);
    EXPECT_EQ(asked(0), (QStringList{"La subcuenta introducida tiene más dígitos de los configurados para subcuentas.",
                                     "64", "Digitos Subcuenta"}));
    // The code as it is, a key, whether it came from the keypad, and the code after.
    const struct { const char* code; int key; bool keypad; const char* after; } keys[] = {{"430000012", '5', false, "43000012"},
                {"430010012", 13, false, "430010012"}, // not a typed key
                {"430010012", '5', false, "43001001"}, // 5th character not 0: the last one goes
                {"4300", 97, true, "4300a"}};          // keypad code appended as its own character
    for (const auto& k : keys) {
        QString code = k.code;
        EXPECT_EQ(svc->AgregarDigitoCuenta(code, k.key, k.keypad), k.after) << k.code << " " << k.key;
        EXPECT_EQ(code, k.after);
    }
    // A configured length below the five-character head fails cleanly.
    svc->DigitosCuenta = 3;
    box.setText(QStringLiteral("12345678"));
    EXPECT_FALSE(svc->AgregarCerosCuenta(&box));
    EXPECT_EQ(box.text(), "12345678");
    QString code = "123";
    EXPECT_EQ(svc->AgregarDigitoCuenta(code, '1'), "123");
    const QString value = "SELECT Value FROM SettingsUser WHERE SettingID = 'Ancho' AND UserID = 5 AND "
                          "SettingsGroup = 'Rejilla''s'";
    answerColumn(value, "Value", {Variant("120")});
    EXPECT_EQ(svc->GetSettingUser(5, "Rejilla's", "Ancho"), "120");
    EXPECT_EQ(svc->GetSettingUser(5, "Rejilla's", "Ancho", "value"), QString());
    EXPECT_EQ(rec->statements(), QStringList{value});

    EXPECT_TRUE(svc->SetSettingUser(5, "G'", "N'", "it's", "i'"));
    EXPECT_EQ(rec->statements().mid(1), (QStringList{
        " DELETE SettingsUser WHERE UserID = 5 AND SettingsGroup = 'G''' AND SettingID = 'N'''",
        "INSERT INTO SettingsUser VALUES ( 5, 'G''', 'N''', 'it''s' , 'i''')"}));
    EXPECT_EQ(transactions(), (std::vector<int>{1, 1, 0}));
    // A refused insert takes the delete back with it.
    rec->answerError("INSERT INTO SettingsUser VALUES ( 5, 'G', 'N', 'V' , '')", 2627, "duplicate");
    EXPECT_FALSE(svc->SetSettingUser(5, "G", "N", "V"));
    EXPECT_EQ(transactions(), (std::vector<int>{2, 1, 1}));
    EXPECT_FALSE(data->TransactionOpen());
}

// --- settings kept in the database

QString settingRead(const QString& column, const QString& name, const QString& group)
{
    return "SELECT " + column + " FROM Settings WHERE CodeID = '" + name + "' AND SettingsGroup = '" + group + "'";
}

TEST_F(AccountsTest, ReadingAndWritingASettingFindTheSameRowAndWritingIsBounded)
{
    answerColumn(settingRead("Value", "Ruta", "Gen"), "Value", {Variant("C:/x")});
    answerColumn(settingRead("Description", "Ruta", "Gen"), "Description", {Variant("Carpeta")});
    answerColumn(settingRead("Value", "Doble", "Gen"), "Value", {Variant("a"), Variant("b")});
    EXPECT_EQ((QStringList{svc->GetSetting("Gen", "Ruta"), svc->GetSetting("Gen", "Ruta", "Info"),
                           svc->GetSetting("Gen", "Ruta", "value"), svc->GetSetting("Gen", "Doble")}),
              (QStringList{"C:/x", "Carpeta", "", ""}));
    EXPECT_EQ(rec->statements().size(), 3);
    // Group and name with quotes: the read and the write name the same row.
    answerColumn(settingRead("Value", "D''Or", "G''1"), "Value", {Variant("same")});
    EXPECT_EQ(sent([&] { EXPECT_TRUE(svc->SetSetting("G'1", "D'Or", "same")); }),
              QStringList{settingRead("Value", "D''Or", "G''1")});
    EXPECT_EQ(sent([&] { EXPECT_TRUE(svc->SetSetting("G'1", "Nuevo", "it's", "x'y")); }),
              (QStringList{settingRead("Value", "Nuevo", "G''1"), settingRead("Value", "Nuevo", "G''1"),
                           "INSERT INTO Settings (SettingsGroup, CodeID, Value, Description) VALUES "
                           "('G''1','Nuevo','it''s','x''y')"}));
    // A value that never reads back as written is written three times, then refused.
    answerColumn(settingRead("Value", "N", "G"), "Value", {Variant("old")});
    const QStringList s = sent([&] { EXPECT_FALSE(svc->SetSetting("G", "N", "new value", "info")); });
    EXPECT_EQ(s.count("UPDATE Settings SET Value = 'new value', Description = 'info' WHERE SettingsGroup = 'G' AND "
                      "CodeID = 'N'"),
              3);
    EXPECT_EQ(s.last(), settingRead("Value", "N", "G"));
}


} // namespace
