#pragma once
// The value checks of a column's type word (STRING, INTEGER, LONG, DOUBLE,
// CURRENCY, SINGLE, DATE, YESNO), shared by the grid's cell check and the
// new-key dialog. Numbers are read in the user's locale; a grouped number
// must have well-formed groups.
#include <QChar>
#include <QString>

namespace typewords {

enum class Kind { None, Whole, Number, Date, YesNo };

// The check a type word selects, without regard to case; any other word checks nothing.
Kind kindOf(const QString& typeWord);

// The locale's marks, worked out as the system did: the decimal mark is the
// second character of 0.5 formatted "0.0", the grouping mark the other of "." and ",".
struct Separators {
    QChar decimal;
    QChar thousands;
};
Separators separators();

// Whether text passes the check. YesNo takes exactly "S" or "N".
bool passes(Kind kind, const QString& text, const Separators& s);
bool passes(Kind kind, const QString& text);

// The word messages name the type with: "entero", "numérico", "fecha",
// "booleano (S o N)" ("" for None).
QString kindWord(Kind kind);

// A value put into a BraceBlock must not close it early.
QString blockSafe(QString value);

} // namespace typewords
