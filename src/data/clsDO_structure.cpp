// Column descriptions of a table or of a statement's result, read without rows.
#include "data/clsDO.h"
#include "data/clsDO_sqltext.h"

#include "core/Error.h"
#include "platform/db/Recordset.h"

#include <algorithm>
#include <limits>

namespace {

const QString kEmpresa = QStringLiteral("Empresa");

// One StructureCollection entry: qualified name, nullable, FieldTypeCode, defined size.
Variant structureEntry(const QString& qualifiedName, const db::Field& field)
{
    auto entry = std::make_shared<VArray>(0, 3);
    entry->at(0) = qualifiedName;
    entry->at(1) = bool(field.Attributes() & db::adFldIsNullable);
    entry->at(2) = sqltext::tipoDato(field.Type());
    const qint64 size = field.DefinedSize();
    entry->at(3) = std::int32_t(std::clamp<qint64>(size, 0, std::numeric_limits<std::int32_t>::max()));
    return Variant(entry);
}

// The holder must carry an open record set: none at all (nothing opened for
// "Empresa"), or one whose connection did not open, is the caller's error.
void requireOpenRecordset(const std::shared_ptr<db::Recordset>& rs)
{
    if (!rs)
        raise(Error::ObjectVariableNotSet, QStringLiteral("Variable de objeto o de bloque With no establecida"));
    if (rs->State() != db::adStateOpen)
        raise(db::errObjectClosed, QStringLiteral("No se permite realizar la operación si el objeto está cerrado."));
}

} // namespace

Variant clsDO::EstructuraTabla(const QString& QueBaseDatos, const QString& QueNombreTabla)
{
    if (QueBaseDatos != kEmpresa) {
        recordset_ = std::make_shared<db::Recordset>();
        if (OpenConnection(servidor_, baseDatos_, usuario_, contraseña_)) {
            QString sql;
            if (usedDriver_ == 2) {
                QString name = QueNombreTabla;
                name.remove(QLatin1Char('[')).remove(QLatin1Char(']'));
                sql = QStringLiteral("SELECT * FROM ") + name + QStringLiteral(" WHERE 1 = 2");
            } else if (QueNombreTabla.contains(QLatin1Char('['))) {
                sql = QStringLiteral("SELECT * FROM ") + QueNombreTabla + QStringLiteral(" WHERE 1 = 2");
            } else {
                sql = QStringLiteral("SELECT * FROM ") + sqltext::bracket(QueNombreTabla) + QStringLiteral(" WHERE 1 = 2");
            }
            recordset_->Open(sql, connection_, db::adOpenStatic, db::adLockReadOnly);
        }
    }
    requireOpenRecordset(recordset_);

    auto result = newCollection();
    for (int i = 0; i < recordset_->FieldCount(); ++i) {
        const db::Field field = recordset_->Fields(i);
        const QString name = QueNombreTabla + QLatin1Char('.') + field.Name();
        result->Add(structureEntry(name, field), name);
    }
    recordset_->Close();
    recordset_.reset();
    CloseConnection();
    return Variant(result);
}

Variant clsDO::EstructuraConsulta(const QString& QueBaseDatos, const QString& QueConsulta,
                                  const QString& QueNombreTablaPrincipal)
{
    if (QueBaseDatos != kEmpresa) {
        recordset_ = std::make_shared<db::Recordset>();
        // Only the columns are wanted: a view over a million rows reads none of them.
        if (OpenConnection(servidor_, baseDatos_, usuario_, contraseña_))
            recordset_->OpenColumnsOnly(QueConsulta, connection_);
    }
    requireOpenRecordset(recordset_);

    auto result = newCollection();
    const Variant holder(result);
    for (int i = 0; i < recordset_->FieldCount(); ++i) {
        const db::Field field = recordset_->Fields(i);
        const QString name = QueNombreTablaPrincipal + QLatin1Char('.') + field.Name();
        QString key = name;
        for (int counter = 1; ExisteClaveColeccion(holder, key);)
            key = name + QStringLiteral("(%1)").arg(++counter);
        result->Add(structureEntry(name, field), key);
    }
    recordset_->Close();
    recordset_.reset();
    CloseConnection();
    return Variant(result);
}
