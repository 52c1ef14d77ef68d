#pragma once
// Shared set-up of the record-engine tests: a data-access object on the
// recording backend (SQL Server dialect, exact statements) or on a real local
// database file, a services object with security off, and a recorder for the
// plain message boxes (no message object is given, so reports land there).
#include "core/Dialogs.h"
#include "core/Variant.h"
#include "data/clsDO.h"
#include "editing/clsMultiTabla.h"
#include "platform/db/Db.h"
#include "platform/db/RecordingBackend.h"
#include "services/clsTablas.h"

#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

Variant lista(const QStringList& elementos);
db::FieldInfo campo(const QString& nombre, int tipo);

class Edicion : public ::testing::Test {
protected:
    void iniciar(int tipoConexion, const QString& servidor, const QString& base);
    clsMultiTablaPtr abrir(const QString& tabla = "Pedidos", const QStringList& claves = {"Pedidos.Codigo"},
                           const QString& filtro = " 0 = 1");
    // Brings each record in (it must exist), then marks those in borrar for deletion.
    static void cargar(const clsMultiTablaPtr& ot, const QStringList& claves, const QStringList& borrar = {});
    // Sets each field to its value, in order, on the given records (the current one when none).
    static void poner(const clsMultiTablaPtr& ot, const std::vector<std::pair<QString, Variant>>& valores,
                      const Variant& registros = Variant());
    // The edit state of each record ("" none, "A", "M", "B"), joined with ",".
    static QString modos(const clsMultiTablaPtr& ot, const QStringList& claves);

    ScopedRecordingDialogs dialogos;
    QTemporaryDir dir;
    clsDOPtr dao;
    std::shared_ptr<clsTablas> tablas;
};

class Grabado : public Edicion {
protected:
    void SetUp() override;
    void TearDown() override { db::RecordingBackend::uninstall(); }

    // Pedidos: Codigo Long, Cliente text, Importe Double, Pagado Boolean, Fecha Date.
    void respuestaPedido(std::int32_t codigo, const QString& cliente, double importe, bool pagado);
    // Marks orders #3 and #8 for deletion, edits #5 (Importe, then Cliente after a new
    // record was added) and fills a new record.
    clsMultiTablaPtr sesion();
    // A table's fields, answered also to any SELECT of it that matches no row.
    void tabla(const QString& nombre, const std::vector<db::FieldInfo>& campos);
    // Opens the table on its key fields; each WHERE condition answers its rows.
    using Filas = std::vector<std::vector<Variant>>;
    clsMultiTablaPtr abrirCon(const QString& nombre, const std::vector<db::FieldInfo>& campos, const QStringList& claves,
                              const std::vector<std::pair<QString, Filas>>& respuestas, const QString& filtro = " 0 = 1");
    static db::RecordingBackend::Answer respuesta(std::vector<db::FieldInfo> campos, Filas filas = {})
    {
        return {.fields = std::move(campos), .rows = std::move(filas), .error = {}, .more = {}};
    }
    // The statements sent that change rows, in order.
    QStringList escrituras() const;
    // Transactions begun, committed and rolled back, as "1/1/0".
    QString transacciones() const;

    std::shared_ptr<db::RecordingBackend> rec;
    std::vector<db::FieldInfo> camposPedidos;
};

class Local : public Edicion {
protected:
    void SetUp() override;
    // Runs each statement on the file.
    void ejecutar(const QStringList& sql);
    // Rows of a SELECT, each row its values as text joined with "|".
    QStringList filas(const QString& sql);
};
