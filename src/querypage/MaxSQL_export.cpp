// The export menu's CSV file and spreadsheet: options and title asked for,
// the last SELECT of the page's current query (the selection, else the whole
// text) handed to the writers, never the statements around it, then the
// status line and the tab's history as after a run.
#include "querypage/MaxSQL.h"

#include "controls/ControlSupport.h"
#include "core/Dialogs.h"
#include "core/ValueText.h"
#include "data/clsDO.h"
#include "messages/clsError.h"
#include "querypage/ExportRules.h"
#include "querypage/LoadRules.h"
#include "querypage/SqlText.h"

#include <QLabel>
#include <QScopeGuard>

namespace {

const QString kTitle = QStringLiteral("Velmora 3.0");

} // namespace

QString MaxSQL::ExportedSelect()
{
    const QString statement = sqllex::lastSelect(SelectedQuery(true));
    if (statement.isEmpty())
        notice(QStringLiteral("La consulta actual no contiene ninguna sentencia SELECT."));
    return statement;
}

bool MaxSQL::ReloadFinalSelect()
{
    if (ctl_.lastFinalSelect.isEmpty())
        return false;
    PushEditConnection();
    if (!LoadGrid(ctl_.lastFinalSelect))
        return false;
    BttAutoSize_MouseUp(0, 0, 0, 0);
    // The count follows the rows the reload brought (added ones written, deleted ones gone).
    WriteStatusLine();
    return true;
}

bool MaxSQL::StartExport()
{
    // Exports and the script go by the whole result.
    FinishFetch();
    ChangeConnectionType(false);
    if (ctl_.zolt->StartObject(ServerName(), DatabaseName(), UserName(), Password()))
        return true;
    notice(QStringLiteral("No se ha podido iniciar el objeto de acceso a datos"));
    return false;
}

void MaxSQL::EndExport()
{
    ctl_.StopClock();
    WriteStatusLine();
    exportHold_.reset();
    pendingEvents();
    SaveLastQuery(0);
}

void MaxSQL::GenerateCSV()
{
    guarded("GenerateCSV", [this] {
        if (!StartExport())
            return;
        ctl_.StartTime = now();
        BusquedaCSV();
        EndExport();
    });
    exportHold_.reset();
}

void MaxSQL::GenerateExcel()
{
    guarded("GenerateExcel", [this] {
        if (!StartExport())
            return;
        exportHold_ = HoldCommands();
        ctl_.StartTime = now();
        BusquedaExcel();
        EndExport();
    });
    exportHold_.reset();
}

void MaxSQL::BusquedaCSV()
{
    guarded("BusquedaCSV", [this] {
        const QString statement = ExportedSelect();
        if (statement.isEmpty())
            return;
        const std::shared_ptr<CsvDialog> dialog = dialogs_.frmCSV();
        dialog->SCR = ctl_.scr;
        dialog->MSG = errorObject_;
        // Unloaded on every path: the shared instance never keeps its window past an export.
        const auto unload = qScopeGuard([&dialog] { dialog->Unload(); });
        dialog->Show(this);
        exportHold_ = HoldCommands();
        if (dialog->Cancelled) {
            dialog->Unload();
            return;
        }
        const CollectionPtr options = CSVOptions(dialog->Outputs);
        dialog->Unload();
        pendingEvents();
        std::unique_ptr<CsvWriter> writer = dialogs_.clsCSV();
        // A writer that cannot start has said why.
        if (!writer->StartObject(this, ctl_.zolt, errorObject_, ctl_.scr))
            return;
        if (writer->GenerateCSV(statement, options))
            notice(QStringLiteral("Fichero generado con éxito. Puede encontrarlo en la ruta \r\n\r\n{1") +
                   options->Item(Variant(QStringLiteral("FicheroDestino"))).toString() + u'}');
        else
            notice(QStringLiteral("No se ha podido generar el fichero correctamente."));
    });
}

void MaxSQL::BusquedaExcel()
{
    guarded("BusquedaExcel", [this] {
        const QString statement = ExportedSelect();
        if (statement.isEmpty())
            return;
        // Counted from a load in this same call: a failed one exports nothing.
        qint64 records = 0;
        std::int32_t columns = 0;
        const bool reloaded = ctl_.finalReload ? ctl_.finalReload(records, columns) : [&] {
            const bool ok = RunFinalSelect(statement);
            // The counts are the whole result's, not those of the rows arrived so far.
            FinishFetch();
            records = ctl_.PagingRecordCount;
            columns = ctl_.ResultColumns;
            return ok;
        }();
        if (!reloaded)
            return;
        if (const std::optional<QString> refusal = exportrules::cellLimitNotice(records, columns)) {
            if (errorObject_)
                errorObject_->MsgBox(*refusal, 64, QStringLiteral("Aviso"));
            else
                SystemMsgBox(translate(*refusal), 64, QStringLiteral("Aviso"));
            return;
        }
        // Cancel ends the export here: nothing is written. An empty title
        // accepted with OK exports without one.
        const std::optional<QString> title = SystemInputBox(
            translate(QStringLiteral("Introduzca el título que quiere que aparezca en las filas superiores de la hoja excel.")),
            translate(QStringLiteral("Título Consulta")), translate(QStringLiteral("Consulta de Datos")));
        if (!title)
            return;
        QStringList headers;
        for (int c = 0; c < flexi_->Cols(); ++c)
            headers << flexi_->TextMatrix(0, c);
        std::unique_ptr<ExcelWriter> writer = dialogs_.clsExcel();
        writer->StartObject(this, ctl_.zolt, errorObject_, ctl_.scr);
        // The writer reports its own failures.
        writer->GenerateExcelKnownCellCount(statement, *title, std::int32_t(records), columns,
                                            headers.join(u'\t') + QStringLiteral("\r\n"));
    });
}
