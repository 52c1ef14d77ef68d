#pragma once
// What the files of clsMultiTabla share: its component name and the small
// value rules its members use (positions, lists of fields, value equality).
#include "core/Variant.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace multitabla {

inline const QString Componente = QStringLiteral("Quillet12.clsMultiTabla");
inline const QString CrLf = QStringLiteral("\r\n");

bool esVacio(const Variant& v);

// A text or number that names a position rather than a field.
bool esPosicion(const Variant& v);

QString textoValor(const Variant& v);

// A number written for SQL: the text the value reads as, with "." as decimal mark.
QString numeroSQL(const Variant& v);

// Values of one field or of a list of fields ("one name or an array").
QStringList listaDe(const Variant& v);

Variant variantDeLista(const QStringList& l);

// Variant equality as a comparison in an expression: numbers by value, the rest by text.
bool mismoValor(const Variant& a, const Variant& b);

QString sinPrefijo(const QString& campo, const QString& tabla);

// Every way of cutting parts into n consecutive groups (the ways "#" may
// separate n key values when some of the values contain "#" themselves).
void agrupar(const QStringList& partes, int desde, int grupos, QStringList& actual,
             std::vector<QStringList>& salida);

} // namespace multitabla
