#pragma once
// What the CSV options window gives the export: the file and the text format.
#include "core/Collection.h"

#include <QString>
#include <cstdint>

// The 13 outputs.
struct CSVOutputs {
    QString FicheroDestino;
    QString RutaDestino;
    QString NombreFichero;
    QString SeparadorCampos;
    QString FormatoFecha;
    QString SeparadorDecimal;
    std::int16_t PosicionesDecimales = 0;
    QString DelimitadorCampos;
    QString Diferenciador;
    bool DelimitadorTexto = false;
    bool DelimitadorNumero = false;
    bool DelimitadorFecha = false;
    bool DelimitadorTitulos = false;
};

// The CSVOptions collection the writer reads: the 13 outputs under their names, in order.
CollectionPtr CSVOptions(const CSVOutputs& outputs);
