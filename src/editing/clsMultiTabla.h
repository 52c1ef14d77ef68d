#pragma once
// clsMultiTabla: the editable set of records of one table behind a query
// page's grid. It holds the rows the user touched (pulled in from the
// database on first use) and the rows the user added, keeps an edit list with
// one entry per record that has a pending change, and writes that list back
// as DELETE, INSERT and UPDATE statements in one transaction of the
// data-access object. It also takes and releases record locks through it.
//
// Record keys: "#" before the text of each key value, in key order (#5,
// #A#12); a new record is keyed table-user-counter (Pedidos-0-120). The key
// values a loaded record had when it was read are kept beside its key text,
// so the write-back targets that row even when a value contains "#" or the
// key fields were edited since.
#include "core/Collection.h"
#include "core/Error.h"
#include "core/MessageReporter.h"
#include "core/Object.h"
#include "core/Variant.h"
#include "services/RecordSource.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <list>
#include <memory>
#include <optional>
#include <type_traits>
#include <utility>
#include <vector>

class clsDO;
class clsTablas;

class clsMultiTabla : public Object, public RecordSource {
public:
    clsMultiTabla();
    ~clsMultiTabla() override;
    clsMultiTabla(const clsMultiTabla&) = delete;
    clsMultiTabla& operator=(const clsMultiTabla&) = delete;

    QString typeName() const override { return QStringLiteral("clsMultiTabla"); }

    // Loads the set: the rows of NombreTabla that match pSQL (a condition, or a
    // text starting with ORDER BY). vListaCamposClave: one key field name or an
    // array of them (qualified "table.field"); without it the first field is the key.
    bool Iniciar(ObjectPtr oParent, std::shared_ptr<clsDO> ObjetoConsulta, MessageReporterPtr ObjetoError,
                 std::shared_ptr<clsTablas> ObjetoTablas, const QString& pSQL = QString(), bool CargaCompleta = false,
                 const QString& BaseDatos = QString(), const QString& NombreTabla = QString(),
                 const QString& Agrupacion = QString(), const QString& Modulo = QString(),
                 const QString& sDistinct = QString(), const Variant& vListaCamposClave = Variant());
    bool ParametrosNecesarios(const QString& BaseDatos = QString(), const QString& NombreTabla = QString(),
                              const QString& Agrupacion = QString(), const QString& Modulo = QString());

    // --- structure, keys and joined columns

    bool AñadirCampoExterno(const QString& sTablaExterna, const QString& sCampoConsultado,
                            const QString& sCampoTablaExterna, const QString& sTablaPrincipal = QString(),
                            const QString& sCampoTablaPrincipal = QString());
    void CamposExternos();
    bool AñadirCampoClave(const QString& NombreCampo);
    QString ClaveTabla() const;
    QString Campos() const;
    // 1-based position of a field ("table.field"), 0 when unknown.
    std::int16_t PosicionCampo(const QString& QueCampo);
    QString NombreCampo(std::int16_t NumeroCampo) override;

    // --- records

    QString RegistroActual();
    // Keys of every held record (0-based array), "" when none is loaded.
    Variant TodosLosRegistros();
    std::int32_t PosicionRegistro(const QString& QueRegistro);
    // The records collection (Empty when none is loaded).
    Variant Datos() override;
    std::int32_t Count();
    void Clear();
    QString NuevoRegistro();
    // QueRegistros: a key, a position, or an array of them; Empty means the current record.
    bool BorrarRegistro(const Variant& QueRegistros = Variant(), bool IgnorarBloqueo = false);
    QString BuscarRegistro(const Variant& ValoresCondicion, const Variant& CamposCondicion = Variant());
    // Key of the record at a position of QueColeccion (default: the held records).
    QString KeyRegistro(std::int32_t QueRegistro, const CollectionPtr& QueColeccion = nullptr);
    // Value of a field (name, or position as text) in a record (key, position,
    // array of them; Empty: the current record).
    Variant ValorCampo(const QString& QueCampo, const Variant& QueRegistros = Variant()) override;
    Variant ValorCampo(std::int16_t NumeroCampo, const Variant& QueRegistros = Variant());
    // Property Let ValorCampo(QueCampo, [QueRegistros]) = vNuevoValorCampo.
    void setValorCampo(const QString& QueCampo, const Variant& vNuevoValorCampo,
                       const Variant& QueRegistros = Variant());
    void setValorCampo(std::int16_t NumeroCampo, const Variant& vNuevoValorCampo,
                       const Variant& QueRegistros = Variant());
    // True when the record is held or could be read from the database, and is
    // now the current record. ValoresCondicion: a record key, one value, or an
    // array of values (one per key field, or per CamposCondicion).
    bool ExisteRegistro(const Variant& ValoresCondicion, const Variant& CamposCondicion = Variant());

    // --- edit state

    // "A" added, "M" edited, "B" marked for deletion, "" no pending change.
    QString ModoEdicion(const QString& QueRegistro = QString());
    std::int32_t RegistrosEditados();
    // One item per edited field of an "M" record, in edit order, keyed by field
    // name: a collection with "Name" and "Position".
    CollectionPtr CamposEditados(const QString& QueRegistro);

    // --- write-back

    // Writes the edit list in one transaction; false (and the edit list kept)
    // when anything failed, in which case nothing was written.
    bool ActualizarBBDD();
    // The SQL literal of a value for a field; Empty (after a message) when it does not convert.
    Variant DarFormato(const QString& QueCampo, const Variant& QueDato);

    // --- blocks, linked tables, locks

    std::int32_t TotalRegistros();
    CollectionPtr DameBloque(std::int32_t CuantosRegistros, std::int32_t DesdeCual);
    bool AgregarRegistros(const QString& NuevoFiltro);
    void VincularTabla(const QString& NombreTabla, const Variant& CamposVinculados,
                       const Variant& CamposMadre = Variant(), const QString& FiltroEspecial = QString());
    // DatosVinculo: a linked-table entry (table, linking fields, parent fields, extra condition).
    QString ExtraerFiltroVinculada(const QString& RegistroOriginal, const Variant& DatosVinculo);
    QString IdentificacionRegistro(const QString& QueRegistro);
    bool RegistroNoBloqueado(const QString& QueRegistro = QString());
    bool BloquearRegistro(const QString& QueRegistro = QString(), const QString& IdentificacionRegistro = QString(),
                          bool SinMensajes = false, bool ComprobarBloqueoPrevio = false);
    // "TODOS" releases every lock of the user on the table.
    bool DesbloquearRegistro(const QString& QueRegistro = QString(), bool QuitarDeColeccion = false);

    // Releases every lock and the objects; also run when the object ends.
    void Terminar();

    // Number of entries in the lock list (for the page's diagnostics and tests).
    int CuantosBloqueos() const { return int(bloqueos_.size()); }
    // The statement last built for sending (load statement, then each write-back statement).
    QString UltimaSentencia() const { return sentencia_; }

private:
    struct EntradaEdicion {
        QString clave;
        QString modo;                 // "A", "M", "B"
        std::vector<int> posiciones;  // "M": edited field positions in edit order
    };
    struct Bloqueo {
        QString clave;
        Variant usuario;
    };
    struct Vinculo {
        Variant tabla, camposVinculados, camposMadre, filtro;
    };
    struct Sentencia {
        QString sql;
        int filasEsperadas = -1; // -1: any number of rows
    };

    // Edit list: insertion order, keys matched without regard to case.
    class ListaEdicion {
    public:
        int size() const { return int(items_.size()); }
        bool empty() const { return items_.empty(); }
        EntradaEdicion* find(const QString& clave);
        EntradaEdicion* at(int posicion); // 1-based
        void add(EntradaEdicion e);       // refused (no change) when the key is held
        void remove(const QString& clave);
        void moveToEnd(const QString& clave);
        void clear();
        std::vector<EntradaEdicion*> all();

    private:
        std::list<EntradaEdicion> items_;
        QHash<QString, std::list<EntradaEdicion>::iterator> index_;
    };

    void terminate();
    void reportError(const QString& procedimiento, const QString& descripcion);
    // Runs a member's body; a failure is reported under the member's
    // procedure name (a text, or a function that writes it only when needed)
    // and the member answers what it had when the failure came. False when
    // it caught.
    template <class Procedure, class Body>
    bool guarded(const Procedure& procedure, Body&& body)
    {
        return trap(std::forward<Body>(body), [&](const Error& e) {
            if constexpr (std::is_invocable_v<const Procedure&>)
                reportError(procedure(), e.description);
            else
                reportError(procedure, e.description);
        });
    }
    void mostrarAviso(const QString& texto);
    void avisoEscritura(const QString& texto, const QStringList& datos);
    QString descripcionLet(const QString& campo, const Variant& registros, const Variant& valor) const;
    clsDO& consulta() const;

    int estructuraCount() const;
    int externosCount() const;
    int tipoCampo(const QString& campo) const;
    QString nombreCampoInterno(int posicion) const;
    int posicionCampoInterno(const QString& campo) const;
    QString usuario() const;
    std::int32_t usuarioNumero() const;
    bool permiso(int codigo);

    CollectionPtr fila(const QString& clave) const;
    CollectionPtr filaRequerida(const QString& clave) const;
    Variant valorEnFila(const CollectionPtr& fila, const QString& campo) const;
    QString claveDeFila(const CollectionPtr& fila) const;
    std::vector<Variant> valoresClaveDeFila(const CollectionPtr& fila) const;
    std::vector<Variant> valoresOriginales(const QString& clave);
    QString resolverRegistro(const Variant& registro, bool ultimoKeyRegistro);
    bool existeClave(const QString& clave) const;
    bool existeClaveExacta(const QString& clave) const;
    void setValorUno(const QString& campo, int posicion, const QString& clave, const Variant& valor,
                     bool quitarBaja, bool* abortar);

    QString textoFiltro(const QString& filtro) const;
    QString sentenciaSelect(const QString& filtroTexto) const;
    Variant posicionesVariant() const;
    // Rows of a statement keyed by their record key (not yet held).
    CollectionPtr cargar(const QString& sql, std::int32_t desde, bool contadores);
    // Holds rows just read from the database, with the key values they were read with.
    void retener(const QString& clave, const CollectionPtr& fila);
    void sustituirDatos(const CollectionPtr& filas);
    void tomarContadores(const CollectionPtr& resultado);
    // "field = literal" joined with AND; the write-back names the table's own
    // columns bare, a load qualifies them with the table (its SELECT may join
    // tables) and keeps other names as given.
    QString condicionClave(const std::vector<QString>& campos, const std::vector<Variant>& valores,
                           bool columnasDeLaTabla = false);

    // The SQL literal of a value; raises Error when the value does not convert.
    QString literal(const QString& campo, const Variant& valor) const;
    QString literalDeTipo(int tipo, const QString& campo, const Variant& valor) const;
    bool mismoFormato(const QString& campo, const Variant& a, const Variant& b) const;
    QString literalFechaHora(const QDateTime& fecha) const;
    QString literalDO(const QString& tipo, const Variant& valor) const;
    QString literalBooleano(bool valor) const;
    std::int16_t dialecto() const;
    QString nombreColumna(const QString& campo) const;
    QString nombreCalificado(const QString& campo) const;

    QString filtroVinculada(const QString& registro, const Vinculo& vinculo);
    QStringList columnasAutonumericas();
    std::vector<Sentencia> sentenciasEscritura();
    bool enviar(const std::vector<Sentencia>& sentencias);
    void soltarBloqueo(const QString& clave);

    // State, as the class keeps it.
    std::int32_t totalRegistros_ = 0;
    std::int32_t posicionInicial_ = 0;
    std::int32_t posicionFinal_ = 0;
    QString nombreTabla_;
    QString baseDatos_;
    QString agrupacion_;
    QString modulo_;
    QString sentenciaCarga_;
    CollectionPtr estructura_;
    CollectionPtr condicionesExternas_;
    CollectionPtr camposExternos_;
    std::vector<Vinculo> vinculadas_;
    QString listaSelect_;
    QString selectExterno_;
    QString tablasExternas_;
    QString whereExterno_;
    QString filtro_;
    QStringList camposClave_;
    std::vector<int> posicionesClave_;
    QString registroActual_;
    QString sentencia_;
    CollectionPtr datos_;
    // Key values of each loaded record as read, by folded record key.
    QHash<QString, std::vector<Variant>> valoresLeidos_;
    std::weak_ptr<Object> parent_; // the page owns this object: no strong reference back
    std::shared_ptr<clsDO> objetoConsulta_;
    MessageReporterPtr objetoError_;
    std::shared_ptr<clsTablas> objetoTablas_;
    std::int32_t contadorNuevos_ = 0;
    ListaEdicion edicion_;
    std::vector<Bloqueo> bloqueos_;
    bool bloqueoDenegado_ = false;
    bool avisoPermiso_ = false;
    std::optional<QStringList> autonumericas_;
};

using clsMultiTablaPtr = std::shared_ptr<clsMultiTabla>;
