// Times the exports of the million-row table that bench_recordset prepares,
// with the peak memory each needs beyond the record set it reads:
//   bench_export <database> <scratch folder> [name]
// prints "name ms extra_MB" lines, best of three runs each. "xlsx-baseline" is
// libxlsxwriter alone writing the same 600,000 x 10 cells straight from SQLite.
#include "BenchSupport.h"
#include "core/ProgramFolder.h"
#include "data/clsDO.h"
#include "export/clsCSV.h"
#include "export/clsExcel.h"
#include "export/frmCSV.h"
#include "messages/clsError.h"
#include "platform/db/Recordset.h"
#include "platform/shell/Shell.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QWidget>
#include <malloc.h>
#include <sqlite3.h>
#include <xlsxwriter.h>

#include <cstdio>
#include <functional>

namespace {

using benchsupport::statusKb;

void resetPeak()
{
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly))
        f.write("5");
}

// Best time of three runs and the largest peak beyond the memory in use before each run.
QByteArray only; // run just the measure of this name (for profiling)

void measure(const char* name, double recordsetMb, const std::function<bool()>& run)
{
    if (!only.isEmpty() && only != name)
        return;
    qint64 best = -1;
    double extra = 0;
    for (int i = 0; i < 3; ++i) {
        malloc_trim(0);
        resetPeak();
        const long before = statusKb("VmRSS:");
        QElapsedTimer t;
        t.start();
        if (!run()) {
            std::printf("%s FAILED\n", name);
            return;
        }
        const qint64 ms = t.elapsed();
        best = best < 0 ? ms : std::min(best, ms);
        extra = std::max(extra, (statusKb("VmHWM:") - before) / 1024.0 - recordsetMb);
    }
    std::printf("%s %lld %.1f\n", name, static_cast<long long>(best), extra);
    std::fflush(stdout);
}

double recordsetMb(clsDO& zolt, const QString& sql)
{
    QString s = sql;
    const auto rs = zolt.Query(s, QString(), QString(), QString(), QString(), QStringLiteral("Recordset")).as<db::Recordset>();
    const double mb = rs->result()->memoryUsed() / (1024.0 * 1024.0);
    rs->Close();
    return mb;
}

// sameLooks: every row and cell in a text format, as the export writes them
// (the rows' and cells' style marks make the sheet's XML, and its packing,
// larger); otherwise the plain cells.
bool baselineWorkbook(const QString& database, const QString& path, bool sameLooks)
{
    sqlite3* h = nullptr;
    sqlite3_open_v2(database.toUtf8().constData(), &h, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(h, "SELECT * FROM Big WHERE Id <= 600000 ORDER BY Id", -1, &st, nullptr);
    lxw_workbook_options options = {LXW_TRUE, nullptr, LXW_FALSE};
    QByteArray folder = QFileInfo(path).absolutePath().toUtf8();
    options.tmpdir = folder.data();
    lxw_workbook* wb = workbook_new_opt(path.toUtf8().constData(), &options);
    lxw_worksheet* ws = workbook_add_worksheet(wb, nullptr);
    lxw_format* text = nullptr;
    if (sameLooks) {
        text = workbook_add_format(wb);
        format_set_num_format(text, "@");
    }
    int row = 4;
    while (sqlite3_step(st) == SQLITE_ROW) {
        if (sameLooks)
            worksheet_set_row(ws, lxw_row_t(row), LXW_DEF_ROW_HEIGHT, text);
        for (int c = 0; c < 10; ++c)
            if (sqlite3_column_type(st, c) != SQLITE_NULL)
                worksheet_write_string(ws, lxw_row_t(row), lxw_col_t(c),
                                       reinterpret_cast<const char*>(sqlite3_column_text(st, c)), text);
        ++row;
    }
    sqlite3_finalize(st);
    sqlite3_close(h);
    return workbook_close(wb) == LXW_NO_ERROR;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "bench_export <database> <scratch folder>\n");
        return 2;
    }
    const QString database = QString::fromLocal8Bit(argv[1]);
    const QString scratch = QString::fromLocal8Bit(argv[2]);
    if (argc > 3)
        only = argv[3];
    ProgramFolder::setPath(scratch);
    shell::ScopedRecordingLauncher launcher;
    QWidget host;
    auto msg = std::make_shared<clsError>();
    msg->Parent = &host;
    msg->setRecorder(std::make_shared<MsgBoxRecorder>());
    auto zolt = std::make_shared<clsDO>();
    zolt->setConnectionType(2);
    zolt->StartObject(QString(), database, QString(), QString());

    const QString all = QStringLiteral("SELECT * FROM Big");
    const QString part = QStringLiteral("SELECT * FROM Big WHERE Id <= 600000 ORDER BY Id");
    const double allMb = recordsetMb(*zolt, all);
    const double partMb = recordsetMb(*zolt, part);
    std::printf("recordset-1m-MB %.1f\nrecordset-600k-MB %.1f\n", allMb, partMb);

    // Reading the rows into the record set, which every export starts with.
    measure("recordset-load", 0, [&] {
        recordsetMb(*zolt, all);
        return true;
    });

    CSVOutputs o;
    o.RutaDestino = scratch + QLatin1Char('/');
    o.NombreFichero = QStringLiteral("BIG.csv");
    o.FicheroDestino = o.RutaDestino + o.NombreFichero;
    o.SeparadorCampos = QStringLiteral(";");
    o.FormatoFecha = QStringLiteral("dd/mm/yyyy");
    o.SeparadorDecimal = QStringLiteral(".");
    o.PosicionesDecimales = 4;
    measure("csv-fast", allMb, [&] {
        clsCSV csv;
        csv.StartObject(&host, zolt, msg, nullptr);
        return csv.GenerateCSV(all, CSVOptions(o));
    });
    CSVOutputs full = o;
    full.SeparadorCampos = QStringLiteral(",");
    full.DelimitadorCampos = QStringLiteral("''");
    full.Diferenciador = QStringLiteral("\"\"");
    full.DelimitadorTexto = full.DelimitadorTitulos = true;
    measure("csv-full", allMb, [&] {
        clsCSV csv;
        csv.StartObject(&host, zolt, msg, nullptr);
        return csv.GenerateCSV("SELECT Id, Qty, Price, Ratio, Code AS [Code#], Name AS [Name#], Description, Created, "
                               "Due, Spare FROM Big",
                               CSVOptions(full));
    });
    measure("xlsx", partMb, [&] {
        clsExcel excel;
        excel.StartObject(&host, zolt, msg, nullptr);
        const bool ok = excel.GenerateExcel(part, QStringLiteral("Big"));
        QFile::remove(excel.FileName());
        return ok;
    });
    measure("xlsx-baseline", 0, [&] {
        const QString path = scratch + QStringLiteral("/baseline.xlsx");
        const bool ok = baselineWorkbook(database, path, false);
        QFile::remove(path);
        return ok;
    });
    measure("xlsx-baseline-looks", 0, [&] {
        const QString path = scratch + QStringLiteral("/baseline.xlsx");
        const bool ok = baselineWorkbook(database, path, true);
        QFile::remove(path);
        return ok;
    });
    return 0;
}
