#include "Collection.h"

#include "Error.h"

QString Collection::foldKey(const QString& key)
{
    // toCaseFolded is full Unicode folding ("Ñ" and "ñ" meet, as do "É" and "é").
    return key.toCaseFolded();
}

int Collection::resolve(const Variant& index) const
{
    if (index.isString()) {
        auto it = keyIndex_.constFind(foldKey(index.toString()));
        if (it == keyIndex_.constEnd())
            raise(Error::InvalidProcedureCall, QStringLiteral("Llamada a procedimiento o argumento no válidos"));
        return it.value();
    }
    if (index.isEmpty() || index.isNull() || index.isObject() || index.isArray())
        raise(Error::InvalidProcedureCall, QStringLiteral("Llamada a procedimiento o argumento no válidos"));
    std::int64_t pos = index.toLongLong();
    if (pos < 1 || pos > std::int64_t(items_.size()))
        raise(Error::InvalidProcedureCall, QStringLiteral("Llamada a procedimiento o argumento no válidos"));
    return int(pos - 1);
}

void Collection::shiftPositions(int from, int delta)
{
    // Keys behind a change move by one; nothing is folded or hashed again, so
    // dropping records one by one from a large collection stays cheap. Called
    // before the items themselves move.
    if (from >= int(items_.size()))
        return;
    for (auto it = keyIndex_.begin(); it != keyIndex_.end(); ++it)
        if (it.value() >= from)
            it.value() += delta;
}

void Collection::Add(const Variant& item, const QString& key, const Variant& before, const Variant& after)
{
    if (!before.isEmpty() && !after.isEmpty())
        raise(Error::InvalidProcedureCall, QStringLiteral("Llamada a procedimiento o argumento no válidos"));
    QString folded;
    if (!key.isEmpty()) {
        folded = foldKey(key);
        if (keyIndex_.contains(folded))
            raise(Error::KeyAlreadyAssociated,
                  QStringLiteral("Esta clave ya está asociada a un elemento de esta colección"));
    }
    int pos = int(items_.size());
    if (!before.isEmpty())
        pos = resolve(before);
    else if (!after.isEmpty())
        pos = resolve(after) + 1;

    shiftPositions(pos, 1);
    items_.insert(items_.begin() + pos, item);
    keys_.insert(keys_.begin() + pos, key);
    if (!key.isEmpty())
        keyIndex_.insert(folded, pos);
}

const Variant& Collection::Item(const Variant& index) const { return items_[std::size_t(resolve(index))]; }

Variant& Collection::Item(const Variant& index) { return items_[std::size_t(resolve(index))]; }

void Collection::Remove(const Variant& index)
{
    const int pos = resolve(index);
    if (!keys_[std::size_t(pos)].isEmpty())
        keyIndex_.remove(foldKey(keys_[std::size_t(pos)]));
    shiftPositions(pos + 1, -1);
    items_.erase(items_.begin() + pos);
    keys_.erase(keys_.begin() + pos);
}

bool Collection::Exists(const QString& key) const
{
    return !key.isEmpty() && keyIndex_.contains(foldKey(key));
}

QString Collection::KeyAt(int position) const
{
    if (position < 1 || position > int(keys_.size()))
        raise(Error::InvalidProcedureCall, QStringLiteral("Llamada a procedimiento o argumento no válidos"));
    return keys_[std::size_t(position - 1)];
}

int Collection::IndexOf(const QString& key) const
{
    if (key.isEmpty())
        return 0;
    auto it = keyIndex_.constFind(foldKey(key));
    return it == keyIndex_.constEnd() ? 0 : it.value() + 1;
}

void Collection::Clear()
{
    items_.clear();
    keys_.clear();
    keyIndex_.clear();
}
