#include "querypage/StructureFields.h"

#include "core/Collection.h"

std::vector<StructureField> structureFields(const Variant& structure)
{
    std::vector<StructureField> out;
    const auto c = structure.as<Collection>();
    if (!c)
        return out;
    for (const Variant& item : *c) {
        const VArray& a = *item.array();
        const int lb = a.lbound();
        out.push_back({a.at(lb).toString(), a.at(lb + 2).toInt(), a.at(lb + 3).toLongLong()});
    }
    return out;
}
