#include "CollectionHelpers.h"

bool ExisteClaveColeccion(const Collection* Col, const QString& clave)
{
    return Col != nullptr && Col->Exists(clave);
}

bool ExisteClaveColeccion(const Variant& Col, const QString& clave)
{
    if (!Col.isObject())
        return false;
    return ExisteClaveColeccion(Col.as<Collection>().get(), clave);
}
