#pragma once
// The items of a StructureCollection (one array per column: qualified name,
// nullable flag, FieldTypeCode, size), read once into plain values.
#include "core/Variant.h"

#include <QString>
#include <vector>

struct StructureField {
    QString name; // "table.field"
    int type;     // FieldTypeCode
    qint64 size;
};

std::vector<StructureField> structureFields(const Variant& structure);
