#pragma once
// The SQL text the data-access object writes for each dialect: literals,
// null replacement, conditional and display expressions, column clauses and
// the type mappings. Pure text work, kept apart from the object so the rules
// can be read (and tested) without a connection.
#include "core/Variant.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <cstdint>

namespace sqltext {

// The dialect pieces these texts need, as the object holds them.
struct Dialect {
    int kind = 0; // 0 SQL Server, 1 Access, 2 Oracle
    QString sUnion;
    QString sInicioFecha;
    QString sFinalFecha;
};

// "[" name "]" with every "]" of the name doubled, so a name cannot close the bracket.
QString bracket(const QString& name);
// Text with every "'" doubled (without the surrounding quotes).
QString doubleQuotes(const QString& text);

// FieldTypeCode of an ADO DataTypeEnum number / of an Oracle type name.
std::int16_t tipoDato(int adoType);
std::int16_t tipoDatoOracle(const QString& oracleType);

// The type word of SQLFormat for a FieldTypeCode ("" when none).
QString formatTypeName(int fieldType);

// SQLFormat without its trap: raises Error when the value cannot be written.
// The type word is compared without regard to case.
Variant sqlFormat(const Dialect& dialect, const QString& typeWord, const Variant& value);
// A date with its time of day as each engine reads it, whatever the desktop's
// marks: Access #mm/dd/yyyy hh:nn:ss#, Oracle TO_DATE(..., 'DD/MM/YYYY HH24:MI:SS'),
// SQL Server CONVERT(datetime, ..., 103). The date literal of sqlFormat drops
// the time; the write-back and the INSERT script write this one.
QString dateTimeLiteral(int dialectKind, const QDateTime& value);
// What SQLFormat gives for a null or empty value of a type word; false when the
// word has no empty literal (an unknown type).
bool emptyLiteral(const Dialect& dialect, const QString& typeWord, Variant& literal);

// Null replacement of one expression (text) or of a list (array) with a default literal.
QString sqlIsNull(const Dialect& dialect, const Variant& expressions, const QString& defaultLiteral);
QString sqlCondition(int dialectKind, const QString& condition, const QString& caseTrue, const QString& caseFalse,
                     const QString& name);
QString formatoFechaSelect(const Dialect& dialect, const QString& field, const QString& alias);
// decimalsOrPattern is rewritten in the Oracle forms ("#" becomes "9").
QString formatoMonedaSelect(const Dialect& dialect, const QString& field, Variant& decimalsOrPattern,
                            const QString& alias, bool padToOrder);

// One column clause of CREATE / ALTER TABLE for a connection type (0 SQL Server,
// 1 Access .mdb, 2 Access .accdb; any other gives the bracketed name alone).
QString columnDefinition(int connectionType, const QString& name, int fieldType, std::int32_t length, bool fixed,
                         bool autoIncrease, bool allowNull);

} // namespace sqltext
