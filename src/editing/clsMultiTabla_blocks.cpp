// Blocks of records and linked tables.
#include "editing/clsMultiTabla.h"
#include "editing/clsMultiTabla_support.h"

#include "core/Dialogs.h"
#include "core/Error.h"
#include "core/ValueText.h"
#include "data/clsDO.h"
#include "services/clsTablas.h"

#include <algorithm>
#include <functional>

using namespace multitabla;

// ---------------------------------------------------------------- blocks and linked tables

std::int32_t clsMultiTabla::TotalRegistros() { return totalRegistros_; }

CollectionPtr clsMultiTabla::DameBloque(std::int32_t CuantosRegistros, std::int32_t DesdeCual)
{
    auto resultado = newCollection();
    guarded(QStringLiteral("Función DameBloque"),
        [&] {
            const std::int32_t ultimo = std::min(DesdeCual + CuantosRegistros - 1, totalRegistros_);
            // Adds the rows of the held window from position desde to hasta.
            auto tomar = [&](std::int32_t desde, std::int32_t hasta) {
                int n = 0;
                for (std::int32_t p = desde; p <= hasta; ++p) {
                    const int i = p - posicionInicial_ + 1;
                    if (!datos_ || i < 1 || i > datos_->Count())
                        break;
                    resultado->Add(datos_->Item(Variant(std::int32_t(i))));
                    ++n;
                }
                return n;
            };
            auto ventana = [&](std::int32_t desde) {
                const CollectionPtr w = cargar(sentenciaCarga_, desde, true);
                sustituirDatos(w ? w : newCollection());
            };
            if (DesdeCual > posicionFinal_ || DesdeCual < posicionInicial_)
                ventana(DesdeCual);
            if (ultimo <= posicionFinal_ && DesdeCual >= posicionInicial_) {
                tomar(DesdeCual, ultimo);
                return;
            }
            if (CuantosRegistros > 500) {
                while (resultado->Count() < CuantosRegistros) {
                    const std::int32_t desde = DesdeCual + resultado->Count();
                    ventana(desde);
                    const std::int32_t falta = CuantosRegistros - resultado->Count();
                    if (tomar(desde, std::min(desde + falta - 1, posicionFinal_)) == 0)
                        break; // a window that adds nothing ends the block
                }
                return;
            }
            ventana(DesdeCual);
            tomar(DesdeCual, ultimo);
        });
    return resultado;
}

bool clsMultiTabla::AgregarRegistros(const QString& NuevoFiltro)
{
    bool r = false;
    guarded(QStringLiteral("Función AgregarRegistros"),
        [&] {
            sentencia_ = sentenciaSelect(textoFiltro(NuevoFiltro));
            const CollectionPtr filas = cargar(sentencia_, 1, false);
            if (!filas)
                return;
            if (!datos_)
                datos_ = newCollection();
            for (int i = 1; i <= filas->Count(); ++i) {
                const QString clave = filas->KeyAt(i);
                if (!datos_->Exists(clave))
                    retener(clave, filas->Item(Variant(std::int32_t(i))).as<Collection>());
                ++contadorNuevos_;
            }
            r = true;
        });
    return r;
}

void clsMultiTabla::VincularTabla(const QString& NombreTabla, const Variant& CamposVinculados,
                                  const Variant& CamposMadre, const QString& FiltroEspecial)
{
    const Variant madre = (!CamposMadre.isArray() && esVacio(CamposMadre)) ? variantDeLista(camposClave_) : CamposMadre;
    vinculadas_.push_back({Variant(NombreTabla), CamposVinculados, madre, Variant(FiltroEspecial)});
}

QString clsMultiTabla::ExtraerFiltroVinculada(const QString& RegistroOriginal, const Variant& DatosVinculo)
{
    QString r;
    guarded(QStringLiteral("Función ExtraerFiltroVinculada"),
        [&] {
            const VArrayPtr a = DatosVinculo.array();
            const int lb = a->lbound();
            const Vinculo v{a->at(lb), a->at(lb + 1), a->at(lb + 2), a->count() > 3 ? a->at(lb + 3) : Variant()};
            r = filtroVinculada(RegistroOriginal, v);
        });
    return r;
}
