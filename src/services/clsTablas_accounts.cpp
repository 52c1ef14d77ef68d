// Currency formats and exchange rates, account sums, the one-value look-up,
// and the settings kept in the database (for everyone and per user).
#include "clsTablas.h"

#include "Rows.h"
#include "core/ValueText.h"
#include "data/clsDO.h"

namespace {

const QString kWork = QStringLiteral("Ejercicio");

// Row 1, column 1 of a work-database query; raises when there is none.
Variant firstValue(clsDO& data, const QString& sql)
{
    return Rows::value(Rows::row(Rows::of(data.Instantanea(kWork, sql)), 1), 1);
}

// Attempts of the write-and-verify loop of SetSetting.
constexpr int kSettingWrites = 3;

} // namespace

// --- currencies

QString clsTablas::FormatoDivisa(const Variant& DivisaDecimales, const std::shared_ptr<clsDO>& ObjetoConsulta)
{
    Variant decimals = DivisaDecimales;
    if (ObjetoConsulta)
        decimals = firstValue(*ObjetoConsulta, QStringLiteral("SELECT Decimals FROM Currency WHERE CodeID = ") +
                                                   SqlText(ValueText::toText(DivisaDecimales)));
    return CurrencyPattern(decimals.toDouble());
}

double clsTablas::CambioDivisa(const std::shared_ptr<clsDO>& oConsulta, const QString& CodigoDivisaOrigen,
                               const QString& CodigoDivisaDestino, double CambioPreEstablecido)
{
    if (!oConsulta) {
        if (CambioPreEstablecido != 0)
            return CambioPreEstablecido;
        AskUser(QStringLiteral("No es posible realizar el cambio de divisa sin un valor de cambio"), 64,
                QStringLiteral("Cambio de Divisa"));
        return 0;
    }
    double current = 1;
    if (CodigoDivisaOrigen != CodigoDivisaDestino) {
        auto rate = [&](const QString& code) {
            return firstValue(*oConsulta, QStringLiteral("SELECT Change FROM Currency WHERE CodeID = ") + SqlText(code))
                .toDouble();
        };
        const double origin = rate(CodigoDivisaOrigen);
        const double destination = rate(CodigoDivisaDestino);
        if (destination == 0)
            raise(Error::DivisionByZero, QStringLiteral("División por cero"));
        current = origin / destination;
    }
    if (CambioPreEstablecido != 0 && CambioPreEstablecido != current) {
        const QString prompt =
            QStringLiteral("El cambio de la moneda del documento no coincide con el actual:\r\nCambio Suministrado: ") +
            BraceBlock(1, ValueText::toText(Variant(CambioPreEstablecido))) + QStringLiteral("\r\nCambio Actual: ") +
            BraceBlock(2, ValueText::toText(Variant(current))) +
            QStringLiteral("\r\n\r\n¿Desea aplicar el cambio actual?");
        return AskUser(prompt, 36, QStringLiteral("Cambio Moneda")) == 6 ? current : CambioPreEstablecido;
    }
    return current;
}

double clsTablas::AplicarCambio(const std::shared_ptr<clsDO>& oConsulta, Currency ImporteDivisaOrigen,
                                const QString& CodigoDivisaOrigen, const QString& CodigoDivisaDestino,
                                double CambioPreEstablecido)
{
    const double rate = CambioDivisa(oConsulta, CodigoDivisaOrigen, CodigoDivisaDestino, CambioPreEstablecido);
    return ImporteDivisaOrigen.toDouble() * rate;
}

// --- accounts and look-ups

Currency clsTablas::SaldoCuenta(const QString& QueCodigo, const QString& DebeHaberSaldo,
                                const std::shared_ptr<clsDO>& PunteroConsulta)
{
    Currency result;
    if (DebeHaberSaldo == QLatin1String("Debe"))
        sql_ = QStringLiteral("SELECT SUM(Importe) As Resultado FROM Cuentas WHERE Codigo = ") + SqlText(QueCodigo) +
               QStringLiteral(" AND DH = 'D'");
    else if (DebeHaberSaldo == QLatin1String("Haber"))
        sql_ = QStringLiteral("SELECT SUM(Importe) As Resultado FROM Cuentas WHERE Codigo = ") + SqlText(QueCodigo) +
               QStringLiteral(" AND DH = 'H'");
    else if (DebeHaberSaldo == QLatin1String("Saldo"))
        sql_ = QStringLiteral("SELECT SUM(Importe * IIF(DH = 'D', 1, -1)) As Resultado FROM Asientos WHERE Cuenta = ") +
               SqlText(QueCodigo);
    else
        return result; // no sum of that name: nothing is run
    trap(
        [&] {
            if (!PunteroConsulta)
                return;
            const auto rows = Rows::of(PunteroConsulta->Instantanea(kWork, sql_));
            if (Rows::count(rows) != 1)
                return;
            const Variant sum = Rows::value(Rows::row(rows, 1), 1);
            if (!sum.isNull() && !sum.isEmpty())
                result = sum.toCurrency();
        },
        [](const Error&) {});
    return result;
}

QString clsTablas::ConseguirCampo(const QString& QueTabla, const QString& CampoDeseado, const QString& CampoConocido,
                                  const QString& ValorConocido, bool Comillas, const QString& FiltroOpcional)
{
    if (ValorConocido.isEmpty() && !Comillas && FiltroOpcional.isEmpty())
        return QString();
    QString value;
    trap(
        [&] {
            if (auto data = GetObjConsulta())
                value = data->ConseguirCampo(QueTabla, CampoDeseado, CampoConocido, ValorConocido, Comillas,
                                             FiltroOpcional);
        },
        [](const Error&) {});
    return value;
}

// --- settings kept in the database

QString clsTablas::GetSetting(const QString& SettingsGroup, const QString& SettingsName, const QString& ExitType)
{
    QString column;
    if (ExitType == QLatin1String("Value"))
        column = QStringLiteral("Value");
    else if (ExitType == QLatin1String("Info"))
        column = QStringLiteral("Description");
    else
        return QString();
    return ConseguirCampo(QStringLiteral("Settings"), column, QStringLiteral("CodeID"), SettingsName, true,
                          QStringLiteral(" AND SettingsGroup = ") + SqlText(SettingsGroup));
}

bool clsTablas::SetSetting(const QString& SettingsGroup, const QString& SettingsName, const QString& ValueString,
                           const QString& InfoString)
{
    const QString value = QStringLiteral("Value");
    if (GetSetting(SettingsGroup, SettingsName, value) == ValueString)
        return true;
    auto execute = [&](const QString& sql) {
        bool ran = false;
        trap(
            [&] {
                if (auto data = dataObject_)
                    ran = data->Execute(sql);
            },
            [](const Error&) {});
        return ran;
    };
    if (GetSetting(SettingsGroup, SettingsName, value).isEmpty())
        return execute(QStringLiteral("INSERT INTO Settings (SettingsGroup, CodeID, Value, Description) VALUES (") +
                       SqlText(SettingsGroup) + QLatin1Char(',') + SqlText(SettingsName) + QLatin1Char(',') +
                       SqlText(ValueString) + QLatin1Char(',') + SqlText(InfoString) + QLatin1Char(')'));

    QString update = QStringLiteral("UPDATE Settings SET Value = ") + SqlText(ValueString);
    if (!InfoString.isEmpty())
        update += QStringLiteral(", Description = ") + SqlText(InfoString);
    update += QStringLiteral(" WHERE SettingsGroup = ") + SqlText(SettingsGroup) + QStringLiteral(" AND CodeID = ") +
              SqlText(SettingsName);
    // The value is written until it reads back as given, a few times at most:
    // a column that keeps the text differently (trimmed, cut) never matches.
    for (int attempt = 0; attempt <= kSettingWrites; ++attempt) {
        if (GetSetting(SettingsGroup, SettingsName, value) == ValueString)
            return true;
        if (attempt == kSettingWrites)
            break;
        execute(update);
        processEvents();
    }
    return false;
}

QString clsTablas::RegisterString2Send(RecordSource& OjbectToExtract, std::int32_t RegisterPosition)
{
    QString text;
    trap(
        [&] {
            const auto records = OjbectToExtract.Datos().as<Collection>();
            if (!records)
                raise(Error::ObjectRequired, QStringLiteral("Se requiere un objeto"));
            const auto first = records->Item(Variant(std::int32_t(1))).as<Collection>();
            if (!first)
                raise(Error::ObjectRequired, QStringLiteral("Se requiere un objeto"));
            const auto fields = std::int16_t(first->Count());
            for (std::int16_t i = 1; i <= fields; ++i) {
                const QString name = OjbectToExtract.NombreCampo(i);
                const Variant fieldValue = OjbectToExtract.ValorCampo(name, Variant(RegisterPosition));
                const QString valueText = ValueText::displayText(fieldValue);
                if (!text.isEmpty())
                    text += QLatin1Char('|');
                text += name + QLatin1Char('=') + valueText;
            }
        },
        [](const Error&) {});
    return text;
}

QString clsTablas::GetSettingUser(std::int32_t UserId, const QString& SettingsGroup, const QString& SettingsName,
                                  const QString& ExitType)
{
    const QString filter = QStringLiteral(" AND UserID = ") + QString::number(UserId) +
                           QStringLiteral(" AND SettingsGroup = ") + SqlText(SettingsGroup);
    if (ExitType == QLatin1String("Value"))
        return ConseguirCampo(QStringLiteral("SettingsUser"), QStringLiteral("Value"), QStringLiteral("SettingID"),
                              SettingsName, true, filter);
    if (ExitType == QLatin1String("Info"))
        return ConseguirCampo(QStringLiteral("SettingsUser"), QStringLiteral("Description"),
                              QStringLiteral("SettingID"), SettingsName, true, filter);
    return QString();
}

bool clsTablas::SetSettingUser(std::int32_t UserId, const QString& SettingsGroup, const QString& SettingsName,
                               const QString& ValueString, const QString& InfoString)
{
    auto data = dataObject_;
    if (!data)
        return false;
    const QString user = QString::number(UserId);
    // The old row goes and the new one comes in one transaction, so a failed
    // insert never leaves the user without the setting.
    const bool own = !data->TransactionOpen();
    bool stored = false;
    const bool ran = trap(
        [&] {
            if (own) {
                data->OpenTransaction();
                if (!data->TransactionOpen())
                    return;
            }
            if (!data->Execute(QStringLiteral(" DELETE SettingsUser WHERE UserID = ") + user +
                               QStringLiteral(" AND SettingsGroup = '") + SqlEscape(SettingsGroup) +
                               QStringLiteral("' AND SettingID = '") + SqlEscape(SettingsName) + QLatin1Char('\'')))
                return;
            stored = data->Execute(QStringLiteral("INSERT INTO SettingsUser VALUES ( ") + user + QLatin1Char(',') +
                                   QStringLiteral(" '") + SqlEscape(SettingsGroup) + QStringLiteral("',") +
                                   QStringLiteral(" '") + SqlEscape(SettingsName) + QStringLiteral("',") +
                                   QStringLiteral(" '") + SqlEscape(ValueString) + QLatin1Char('\'') +
                                   QStringLiteral(" , '") + SqlEscape(InfoString) + QLatin1Char('\'') +
                                   QLatin1Char(')'));
        },
        [](const Error&) {});
    if (!own)
        return ran && stored;
    if (ran && stored) {
        trap([&] { data->CloseTransaction(); }, [&](const Error&) { stored = false; });
        // A commit that failed leaves the transaction open.
        if (data->TransactionOpen()) {
            trap([&] { data->UnDoTransaction(); }, [](const Error&) {});
            return false;
        }
        return stored;
    }
    if (data->TransactionOpen())
        trap([&] { data->UnDoTransaction(); }, [](const Error&) {});
    return false;
}
