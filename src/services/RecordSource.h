#pragma once
// What the services object reads of a record-editing object when it writes
// one record as a line of "name=value" pairs. The record engine implements it.
#include "core/Object.h"
#include "core/Variant.h"

#include <QString>
#include <cstdint>

class RecordSource {
public:
    virtual ~RecordSource() = default;
    // The records: a collection holding one collection of field values per record.
    virtual Variant Datos() = 0;
    // Name of the field at a 1-based position of the structure; positions past
    // the structure name the linked external fields in their order.
    virtual QString NombreCampo(std::int16_t NumeroCampo) = 0;
    // Value of a field in the record at a position (Empty position: the current record).
    virtual Variant ValorCampo(const QString& QueCampo, const Variant& QueRegistros = Variant()) = 0;
};
