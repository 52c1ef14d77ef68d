#pragma once
// The key test every layer asks before it reads a keyed item. It lives here,
// below the data and services layers, so both can call it without one
// depending on the other.
#include "Collection.h"
#include "Variant.h"

#include <QString>

// True when the collection holds an item under the text key. The key is
// always a key, never a position ("10" is looked up as the key "10").
// Anything that is not a collection, or no object at all, gives false.
bool ExisteClaveColeccion(const Variant& Col, const QString& clave);
bool ExisteClaveColeccion(const Collection* Col, const QString& clave);
inline bool ExisteClaveColeccion(const Collection& Col, const QString& clave)
{
    return ExisteClaveColeccion(&Col, clave);
}
