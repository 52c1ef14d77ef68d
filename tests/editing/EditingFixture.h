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
Variant entero(std::int32_t n);

db::FieldInfo campo(const QString& nombre, int tipo);

class Grabado : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Pedidos: Codigo Long, Cliente text, Importe Double, Pagado Boolean, Fecha Date.
    void respuestaPedido(std::int32_t codigo, const QString& cliente, double importe, bool pagado);
    clsMultiTablaPtr abrir(const QString& tabla = "Pedidos", const QStringList& claves = {"Pedidos.Codigo"},
                           const QString& filtro = " 0 = 1");
    // The statements sent that change rows, in order.
    QStringList escrituras() const;
    int cuenta(db::RecordingBackend::EventKind kind) const;

    std::shared_ptr<db::RecordingBackend> rec;
    ScopedRecordingDialogs dialogos;
    QTemporaryDir dir;
    clsDOPtr dao;
    std::shared_ptr<clsTablas> tablas;
    std::vector<db::FieldInfo> camposPedidos;
};

class Local : public ::testing::Test {
protected:
    void SetUp() override;

    void ejecutar(const QString& sql);
    // Rows of a SELECT, each row its values as text joined with "|".
    QStringList filas(const QString& sql);
    clsMultiTablaPtr abrir(const QString& tabla, const QStringList& claves);

    ScopedRecordingDialogs dialogos;
    QTemporaryDir dir;
    QString fichero;
    clsDOPtr dao;
    std::shared_ptr<clsTablas> tablas;
};
