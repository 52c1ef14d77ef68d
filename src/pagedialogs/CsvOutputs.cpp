#include "pagedialogs/CsvOutputs.h"

CollectionPtr CSVOptions(const CSVOutputs& o)
{
    auto c = newCollection();
    c->Add(Variant(o.FicheroDestino), QStringLiteral("FicheroDestino"));
    c->Add(Variant(o.RutaDestino), QStringLiteral("RutaDestino"));
    c->Add(Variant(o.NombreFichero), QStringLiteral("NombreFichero"));
    c->Add(Variant(o.SeparadorCampos), QStringLiteral("SeparadorCampos"));
    c->Add(Variant(o.FormatoFecha), QStringLiteral("FormatoFecha"));
    c->Add(Variant(o.SeparadorDecimal), QStringLiteral("SeparadorDecimal"));
    c->Add(Variant(o.PosicionesDecimales), QStringLiteral("PosicionesDecimales"));
    c->Add(Variant(o.DelimitadorCampos), QStringLiteral("DelimitadorCampos"));
    c->Add(Variant(o.Diferenciador), QStringLiteral("Diferenciador"));
    c->Add(Variant(o.DelimitadorTexto), QStringLiteral("DelimitadorTexto"));
    c->Add(Variant(o.DelimitadorNumero), QStringLiteral("DelimitadorNumero"));
    c->Add(Variant(o.DelimitadorFecha), QStringLiteral("DelimitadorFecha"));
    c->Add(Variant(o.DelimitadorTitulos), QStringLiteral("DelimitadorTitulos"));
    return c;
}
