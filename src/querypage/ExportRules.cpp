#include "querypage/ExportRules.h"

#include "core/ValueText.h"

namespace exportrules {

std::optional<QString> cellLimitNotice(qint64 records, qint64 columns)
{
    const qint64 cells = records * columns;
    if (cells <= MaxCells)
        return std::nullopt;
    const auto n = [](double v) { return ValueText::format(Variant(v), QStringLiteral("#,###,##0")); };
    const QString crlf = QStringLiteral("\r\n");
    return QStringLiteral("La consulta actual trae una gran cantidad de registros: ") + crlf + QStringLiteral("{1") + n(double(records)) +
           QStringLiteral("} filas * {2") + n(double(columns)) + QStringLiteral("} columnas = {3") + n(double(cells)) +
           QStringLiteral("} celdas") + crlf + crlf +
           QStringLiteral("Para evitar problemas en los envíos a Excel hemos limitado la cantidad de celdas exportables a "
                          "6.000.000") +
           crlf + crlf + QStringLiteral("Para {4") + QString::number(columns) +
           QStringLiteral("} columnas debe limitar la búsqueda a un máximo de {5") + n(double(MaxCells) / double(columns)) +
           QStringLiteral("} registros.");
}

} // namespace exportrules
