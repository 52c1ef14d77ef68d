#pragma once
// The new-key dialog's rules without the window: the check of a value
// against its type word, the "Max + 1" statement and the next value from
// the maximum, and the place of each key row.
#include "core/Variant.h"

#include <QString>
#include <QStringList>

namespace NewKeyRules {

// "" when the value fits its type word (without regard to case), else the
// message naming the value and the field: "El valor '{1" value "}' no
// corresponde al tipo de dato entero establecido para el campo '{2" field "}'".
// YESNO takes only "S" or "N".
QString typeMessage(const QString& typeWord, const QString& value, const QString& field);

// The parts of a qualified name split at "." outside [...] and "..." quoting,
// each without its quoting: "dbo.Orders.Id" gives dbo, Orders, Id.
QStringList nameParts(const QString& qualified);

enum class Quoting { Brackets, Oracle };
// A name as the dialect writes it: [name] (inner "]" doubled); on Oracle a
// plain identifier as it is, any other name in "..." (inner '"' doubled).
QString quoteName(const QString& name, Quoting quoting);

// "SELECT MAX(field) AS MaxValue FROM table": the field is the part after the
// last ".", the table the parts before it; every part quoted.
QString maxStatement(const QString& qualified, Quoting quoting);

// The value the text box gets from the maximum: one more, as text; "1" when
// the maximum is Null or Empty (a table without rows). Raises TypeMismatch
// for a value that is no number.
QString nextValue(const Variant& maximum);

// --- rows (twips): the opener's geometry.
struct RowPlace {
    double LabelLeft = 630, LabelTop = 0, LabelWidth = 0;
    double TextLeft = 0, TextTop = 0, TextWidth = 2325;
    double MaxLeft = 0, MaxTop = 0;
};
// Row i (from 0) for a caption whose text is captionWidth twips wide.
RowPlace rowPlace(int row, double captionWidth);
// The window's height for the last row's text box top.
inline double windowHeight(double lastTextTop) { return lastTextTop + 1100; }

} // namespace NewKeyRules
