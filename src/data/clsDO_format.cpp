// Values and expressions written into SQL text for the object's dialect.
#include "data/clsDO.h"
#include "data/clsDO_sqltext.h"

#include "core/Dialogs.h"
#include "core/Error.h"
#include "core/ValueText.h"

namespace {
// The dialect pieces the text rules need, as the object holds them now.
sqltext::Dialect dialectOf(int kind, const clsDO& o) { return sqltext::Dialect{kind, o.sUnion(), o.sInicioFecha(), o.sFinalFecha()}; }
} // namespace

Variant clsDO::SQLFormat(const QString& WichType, const Variant& QueDato)
{
    const sqltext::Dialect dialect = dialectOf(DialectKind(), *this);
    try {
        return sqltext::sqlFormat(dialect, WichType, QueDato);
    } catch (const Error&) {
        QString valueText;
        trap([&] { valueText = ValueText::displayText(QueDato); }, [](const Error&) {});
        InsertLog(QStringLiteral("sqlformat"),
                  QStringLiteral("Error al intentar formatear el dato ") + valueText + QStringLiteral(" al tipo de dato ") +
                      WichType,
                  4);
        const bool blank = QueDato.isNull() || QueDato.isEmpty() || (QueDato.isString() && QueDato.toString().isEmpty());
        if (blank) {
            Variant literal;
            if (sqltext::emptyLiteral(dialect, WichType, literal))
                return literal;
            SystemMsgBox(QStringLiteral("Función SQLFormat en Zolt12.clsDO: Tipo de dato desconocido"), 16,
                         QStringLiteral("Error"));
            return Variant();
        }
        SystemMsgBox(QStringLiteral("Función SQLFormat en Zolt12.clsDO"), 16, QStringLiteral("Error"));
        return Variant();
    }
}

QString clsDO::SqlIsNull(const Variant& vValores, std::int16_t iFieldType)
{
    const sqltext::Dialect dialect = dialectOf(DialectKind(), *this);
    const QString typeName = sqltext::formatTypeName(iFieldType);
    QString defaultLiteral;
    if (!typeName.isEmpty()) {
        const Variant v = iFieldType == 7 ? Variant(QStringLiteral("01/01/1900")) : Variant::null();
        defaultLiteral = ValueText::displayText(SQLFormat(typeName, v));
    }
    return sqltext::sqlIsNull(dialect, vValores, defaultLiteral);
}

QString clsDO::SQLCondition(const QString& Condition, const QString& CaseTrue, const QString& CaseFalse,
                            const QString& NombreCampo)
{
    return sqltext::sqlCondition(DialectKind(), Condition, CaseTrue, CaseFalse, NombreCampo);
}

QString clsDO::FormatoFechaSelect(const QString& NombreCampo, const QString& AliasCampo)
{
    return sqltext::formatoFechaSelect(dialectOf(DialectKind(), *this), NombreCampo, AliasCampo);
}

QString clsDO::FormatoMonedaSelect(const QString& NombreCampo, ByRef<Variant> DecimalesOFormato, const QString& AliasCampo,
                                   bool CompletarBlancosOrden)
{
    return sqltext::formatoMonedaSelect(dialectOf(DialectKind(), *this), NombreCampo, DecimalesOFormato.get(), AliasCampo,
                                        CompletarBlancosOrden);
}

std::int16_t clsDO::TipoDato(std::int16_t QueTipo) { return sqltext::tipoDato(QueTipo); }

std::int16_t clsDO::TipoDatoOracle(const QString& QueTipo) { return sqltext::tipoDatoOracle(QueTipo); }
