#pragma once
// Running the services' look-ups and reading the collection forms they
// answer: rows by 1-based position, a row's values by position or by
// qualified column name.
#include "core/Collection.h"
#include "core/Error.h"
#include "core/Variant.h"
#include "data/clsDO.h"

#include <QString>
#include <memory>

namespace Rows {

// The data-access object, or error 91 when there is none.
inline std::shared_ptr<clsDO> required(const std::shared_ptr<clsDO>& dataObject)
{
    if (!dataObject)
        raise(Error::ObjectVariableNotSet, QStringLiteral("Variable de objeto o bloque With no establecido"));
    return dataObject;
}

// Key fields that key every row by its first two columns ("#a#b").
inline Variant firstTwoColumns()
{
    auto keys = std::make_shared<VArray>(0, 1);
    keys->at(0) = Variant(std::int16_t(0));
    keys->at(1) = Variant(std::int16_t(1));
    return Variant(keys);
}

// The rows of a result, or null when no collection came back.
inline CollectionPtr of(const Variant& result) { return result.as<Collection>(); }

// A query on the stored connection (or on the database named) in a collection form.
inline CollectionPtr query(clsDO& data, const QString& sql, const QString& form = QStringLiteral("Collection"),
                           const QString& database = QString(), const Variant& keyFields = Variant(std::int16_t(0)))
{
    return of(data.Query(QString(sql), QString(), QString(database), QString(), QString(), form, Variant(keyFields)));
}

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
