// The INSERT script of the last SELECT of the page's current query, and the
// page's value formatter.
#include "querypage/MaxSQL.h"

#include "core/Dialogs.h"
#include "core/Error.h"
#include "core/FileReplace.h"
#include "core/ProgramFolder.h"
#include "core/ValueText.h"
#include "core/VelmoraIni.h"
#include "data/clsDO.h"
#include "messages/clsError.h"
#include "platform/db/ResultFile.h"
#include "platform/db/RowReader.h"
#include "platform/shell/Shell.h"
#include "querypage/InsertScript.h"
#include "querypage/StructureFields.h"
#include "services/clsTablas.h"

#include <QDir>
#include <QLabel>

namespace {

const QString kWork = QStringLiteral("Ejercicio");

// The bare field names and types of a table's StructureCollection ("table.field" items).
std::vector<insertscript::Field> tableFields(const Variant& structure, const QString& table)
{
    std::vector<insertscript::Field> out;
    for (const StructureField& f : structureFields(structure)) {
        const QString prefix = table + u'.';
        out.push_back({f.name.startsWith(prefix, Qt::CaseInsensitive) ? f.name.mid(prefix.size())
                                                                       : f.name.section(u'.', -1),
                       f.type});
    }
    return out;
}

} // namespace

QString MaxSQL::DarFormato(const Variant& value, std::int16_t& fieldType)
{
    QString out;
    guarded("DarFormato", [&] {
        if (value.isNull()) {
            out = QStringLiteral("NULL");
            return;
        }
        out = ValueText::toText(ctl_.zolt->SQLFormat(insertscript::typeWord(fieldType), value));
    });
    return out;
}

void MaxSQL::GenerateScript()
{
    guarded("GenerateScript", [&] {
        if (!StartExport())
            return;
        const QString select = ExportedSelect();
        if (select.isEmpty())
            return;
        exportHold_ = HoldCommands();
        ctl_.StartTime = now();
        QString statement = insertscript::normalise(select);
        const QString table = insertscript::tableName(statement);
        if (table.isEmpty())
            ::raise(Error::InvalidProcedureCall, QStringLiteral("La consulta no indica la tabla de la que lee"));

        // The SELECT in the box, whatever the grid holds from an earlier run,
        // read whole before a line is written: the refusal of no rows and the
        // count the progress shows are its own. Its rows wait in a temporary
        // file, not in memory.
        const std::unique_ptr<db::RowReader> reader = ctl_.zolt->OpenReader(statement);
        if (!reader)
            return; // the data-access object has said why
        db::ResultFile rows(reader->fields());
        rows.readAll(*reader);
        if (rows.rowCount() == 0)
            ::raise(Error::InvalidProcedureCall, QStringLiteral("La consulta no ha devuelto ningún registro"));
        QStringList names;
        for (const db::FieldInfo& f : rows.fields())
            names << f.name;
        const insertscript::Layout layout =
            insertscript::layout(table, names, tableFields(ctl_.zolt->EstructuraTabla(kWork, table), table));
        const sqltext::Dialect dialect{ctl_.zolt->DialectKind(), ctl_.zolt->sUnion(), ctl_.zolt->sInicioFecha(),
                                       ctl_.zolt->sFinalFecha()};

        const insertscript::Folder folder =
            insertscript::folder(velmoraini::read(velmoraini::ScriptsPath), ProgramFolder::path());
        if (folder.writeBack) {
            if (!QDir().mkpath(folder.path))
                ::raise(Error::PathNotFound, QStringLiteral("No se ha podido crear la carpeta ") + folder.path);
            velmoraini::write(velmoraini::ScriptsPath, folder.path);
        }
        const QString file = folder.path + (folder.path.endsWith(u'/') ? QString() : QStringLiteral("/")) +
                             insertscript::fileName(table, now());
        // The file takes its name only once complete: a failure leaves none.
        FileReplace::Stream out(file);
        const auto unwritten = [&] {
            ::raise(Error::PathNotFound,
                    QStringLiteral("No se ha podido escribir el fichero ") + file + QStringLiteral(": ") + out.errorString());
        };
        if (!out.open())
            unwritten();
        const qint64 written = insertscript::script(rows, layout, dialect, out, [this](qint64 r, qint64 n) {
            Label2->setText(translate(QStringLiteral("Registro {1%1} de {2%2}").arg(r).arg(n)));
            pendingEvents();
        });
        if (written < 0 || !out.commit())
            unwritten();
        pendingEvents();

        if (shell::open(file) != shell::OpenResult::Opened) {
            const QString warning = QStringLiteral("Se ha generado el fichero {1") + file +
                                    QStringLiteral("}, pero no se ha podido abrir con el programa del escritorio.");
            if (errorObject_)
                errorObject_->MsgBox(warning, 64, QStringLiteral("Aviso"));
            else
                SystemMsgBox(translate(warning), 64, QStringLiteral("Aviso"));
        }
        EndExport();
    });
    exportHold_.reset();
}
