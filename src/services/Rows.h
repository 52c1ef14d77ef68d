#pragma once
// Reading the collection forms of a query: rows by 1-based position, a row's
// values by position or by qualified column name.
#include "core/Collection.h"
#include "core/Error.h"
#include "core/Variant.h"

#include <QString>

namespace Rows {

// The rows of a result, or null when no collection came back.
inline CollectionPtr of(const Variant& result) { return result.as<Collection>(); }

inline int count(const CollectionPtr& rows) { return rows ? rows->Count() : 0; }

// Row i (from 1); raises when there is no such row or no result at all.
inline CollectionPtr row(const CollectionPtr& rows, int i)
{
    if (!rows)
        raise(Error::ObjectVariableNotSet, QStringLiteral("Variable de objeto o bloque With no establecido"));
    auto record = rows->Item(Variant(std::int32_t(i))).as<Collection>();
    if (!record)
        raise(Error::TypeMismatch, QStringLiteral("No coinciden los tipos"));
    return record;
}

inline const Variant& value(const CollectionPtr& record, int position)
{
    return record->Item(Variant(std::int32_t(position)));
}

inline const Variant& value(const CollectionPtr& record, const QString& name)
{
    return record->Item(Variant(name));
}

} // namespace Rows
