#pragma once
// The keyed collection: insertion order, 1-based positions, optional text keys
// matched without regard to case (full Unicode case folding).
#include "Object.h"
#include "Variant.h"

#include <QHash>
#include <QString>
#include <vector>

class Collection : public Object {
public:
    QString typeName() const override { return QStringLiteral("Collection"); }

    int Count() const { return int(items_.size()); }

    // Add item [, key] [, before] [, after]: before/after are a 1-based position
    // or a key (an Empty Variant means "not given"). A duplicate key raises 457,
    // a missing before/after item raises 5.
    void Add(const Variant& item, const QString& key = QString(), const Variant& before = Variant(),
             const Variant& after = Variant());

    // Item by 1-based position (a number) or key (text); missing raises 5.
    const Variant& Item(const Variant& index) const;
    Variant& Item(const Variant& index);
    const Variant& operator[](int position) const { return Item(Variant(std::int32_t(position))); }
    const Variant& operator[](const QString& key) const { return Item(Variant(key)); }

    void Remove(const Variant& index);

    bool Exists(const QString& key) const;
    // Key of the item at a 1-based position ("" when it has none).
    QString KeyAt(int position) const;
    // Position (1-based) of a key, 0 when absent.
    int IndexOf(const QString& key) const;

    void Clear();

    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

    static QString foldKey(const QString& key);

private:
    int resolve(const Variant& index) const; // 0-based, raises 5
    void shiftPositions(int from, int delta); // positions at or after from, 0-based

    std::vector<Variant> items_;
    std::vector<QString> keys_;    // same positions as items_, "" when none
    QHash<QString, int> keyIndex_; // folded key -> 0-based position
};

using CollectionPtr = std::shared_ptr<Collection>;

inline CollectionPtr newCollection() { return std::make_shared<Collection>(); }
