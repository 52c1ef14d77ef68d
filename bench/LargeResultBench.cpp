// A large result through the real query page (offscreen) and through each
// export, one measure per process so each peak memory is its own:
//   bench_largeresult prepare <rows> <file>       builds Big (10 columns) once
//   bench_largeresult page <file> [shots folder]  "page first_ms complete_ms peak_MB rows slowest_move_ms
//                                                 mean_move_ms moves" (and pictures)
//   bench_largeresult <csv-fast|csv-full|csv-odbc|xlsx> <file> <scratch>   (csv-odbc: the fast
//                                                 path through the SQLite ODBC driver)
//                                                 "<name> ms peak_above_idle_MB"
// bench/run.d/largeresult sets the figures beside sqlitebrowser and sqlite3 -csv.
#include "BenchSupport.h"
#include "core/ProgramFolder.h"
#include "data/clsDO.h"
#include "export/clsCSV.h"
#include "export/clsExcel.h"
#include "export/frmCSV.h"
#include "messages/clsError.h"
#include "platform/shell/Shell.h"
#include "querypage/MaxSQL.h"
#include "services/clsTablas.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTableView>
#include <QTimer>
#include <QWidget>
#include <sqlite3.h>

#include <cstdio>
#include <cstring>
#include <functional>

namespace {

using benchsupport::statusKb;

int prepare(long long rows, const QString& path)
{
    QFile::remove(path);
    sqlite3* h = nullptr;
    sqlite3_open(path.toUtf8().constData(), &h);
    const QByteArray fill = "PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF; BEGIN;" + benchsupport::bigTableSql(rows) + "COMMIT;";
    char* err = nullptr;
    if (sqlite3_exec(h, fill.constData(), nullptr, nullptr, &err) != SQLITE_OK) {
        std::fprintf(stderr, "%s\n", err ? err : "");
        return 1;
    }
    sqlite3_close(h);
    return 0;
}

int page(const QString& file, const QString& shots)
{
    auto zolt = std::make_shared<clsDO>();
    auto msg = std::make_shared<clsError>();
    auto said = std::make_shared<MsgBoxRecorder>();
    said->defaultAnswer = 6; // yes: go on with a file whose type the page asks about
    msg->setRecorder(said);
    auto scr = std::make_shared<clsTablas>();
    scr->oError = msg;
    MaxSQL p;
    p.setErrorObject(msg);
    p.setSCRObject(scr);
    p.setZoltObject(zolt);
    p.resize(1200, 800);
    p.show();
    QApplication::processEvents();
    p.ParametersConnection(1, 1, QString(), file, QString(), QString());
    p.setTextSQL(QStringLiteral("SELECT * FROM Big"));
    QElapsedTimer t;
    t.start();
    qint64 first = -1;
    // The first page counts once the grid holds rows and has painted them.
    QObject::connect(p.Flexi().innerGrid()->model(), &QAbstractItemModel::modelReset, [&] {
        if (first < 0 && p.Flexi().Rows() > 1)
            first = t.elapsed();
    });
    // Looking: pictures of the page while the rows arrive, the bar dragged down each time.
    int shot = 0;
    QTimer camera;
    if (!shots.isEmpty()) {
        QObject::connect(&camera, &QTimer::timeout, [&] {
            if (shot >= 4)
                return;
            p.grab().save(shots + QStringLiteral("/arriving-%1.png").arg(++shot));
            if (auto* bar = p.findChild<QScrollBar*>(QStringLiteral("OnDemandElevator")))
                bar->setSliderPosition(bar->maximum() - 10);
        });
        camera.start(400);
    }
    p.ExecuteQuery();
    QApplication::processEvents();
    if (first < 0)
        first = t.elapsed();
    // The rest arrives between events, as in the program's own loop.
    while (p.ResultArriving())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const qint64 complete = t.elapsed();
    if (!shots.isEmpty()) {
        p.grab().save(shots + QStringLiteral("/complete.png"));
    }
    // Paging moves over the whole result: drags to spread and scattered
    // places, then a page and a row forward from each; every move refills the grid.
    double slowest = 0, total = 0;
    int moves = 0;
    if (auto* bar = p.findChild<QScrollBar*>(QStringLiteral("OnDemandElevator")); bar && bar->isVisible()) {
        const int last = bar->maximum();
        std::uint32_t seed = 12345;
        QElapsedTimer m;
        const auto timed = [&](const std::function<void()>& move) {
            m.start();
            move();
            const double ms = m.nsecsElapsed() / 1e6;
            slowest = std::max(slowest, ms);
            total += ms;
            ++moves;
        };
        for (int i = 0; i < 60; ++i) {
            seed = seed * 1103515245u + 12345u;
            const int to = i < 20 ? 1 + int(qint64(last - 1) * i / 19) : 1 + int(seed % std::uint32_t(last));
            timed([&] { bar->setSliderPosition(to); });
            timed([&] { bar->triggerAction(QAbstractSlider::SliderPageStepAdd); });
            timed([&] { bar->triggerAction(QAbstractSlider::SliderSingleStepSub); });
        }
        timed([&] { bar->triggerAction(QAbstractSlider::SliderToMaximum); });
        timed([&] { bar->triggerAction(QAbstractSlider::SliderToMinimum); });
    }
    for (const auto& c : said->calls)
        std::fprintf(stderr, "said: %s\n", qPrintable(c.body));
    std::printf("page %lld %lld %.1f %d %.2f %.2f %d\n", static_cast<long long>(first), static_cast<long long>(complete),
                statusKb("VmHWM:") / 1024.0, p.Flexi().Rows() - 1, slowest, moves ? total / moves : 0.0, moves);
    return 0;
}

int exportOne(const QByteArray& kind, const QString& file, const QString& scratch)
{
    ProgramFolder::setPath(scratch);
    shell::ScopedRecordingLauncher launcher;
    QWidget host;
    auto msg = std::make_shared<clsError>();
    msg->Parent = &host;
    msg->setRecorder(std::make_shared<MsgBoxRecorder>());
    auto zolt = std::make_shared<clsDO>();
    QTemporaryDir odbc;
    if (kind == "csv-odbc") {
        // The same file through the SQLite ODBC driver, as a data source of this process only.
        QFile inst(odbc.filePath(QStringLiteral("odbcinst.ini")));
        inst.open(QIODevice::WriteOnly);
        inst.write("[SQLite3]\nDriver=" VELMORA_SQLITE_ODBC_DRIVER "\n");
        inst.close();
        QFile ini(odbc.filePath(QStringLiteral("odbc.ini")));
        ini.open(QIODevice::WriteOnly);
        ini.write("[VelmoraBig]\nDriver=SQLite3\nDatabase=" + file.toUtf8() + "\n");
        ini.close();
        qputenv("ODBCSYSINI", odbc.path().toUtf8());
        qputenv("ODBCINI", ini.fileName().toUtf8());
        zolt->setConnectionType(3);
        zolt->setUsedDriver(1);
        zolt->StartObject(QStringLiteral("VelmoraBig"), QString(), QString(), QString());
    } else {
        zolt->setConnectionType(2);
        zolt->StartObject(QString(), file, QString(), QString());
    }
    const long idle = statusKb("VmRSS:");
    CSVOutputs o;
    o.RutaDestino = scratch + QLatin1Char('/');
    o.NombreFichero = QStringLiteral("BIG.csv");
    o.FicheroDestino = o.RutaDestino + o.NombreFichero;
    o.SeparadorCampos = QStringLiteral(";");
    o.FormatoFecha = QStringLiteral("dd/mm/yyyy");
    o.SeparadorDecimal = QStringLiteral(".");
    o.PosicionesDecimales = 4;
    QElapsedTimer t;
    t.start();
    bool ok = false;
    if (kind == "csv-fast" || kind == "csv-odbc") {
        clsCSV csv;
        csv.StartObject(&host, zolt, msg, nullptr);
        ok = csv.GenerateCSV(QStringLiteral("SELECT * FROM Big"), CSVOptions(o));
    } else if (kind == "csv-full") {
        o.SeparadorCampos = QStringLiteral(",");
        o.DelimitadorCampos = QStringLiteral("''");
        o.Diferenciador = QStringLiteral("\"\"");
        o.DelimitadorTexto = o.DelimitadorTitulos = true;
        clsCSV csv;
        csv.StartObject(&host, zolt, msg, nullptr);
        ok = csv.GenerateCSV(QStringLiteral("SELECT Id, Qty, Price, Ratio, Code AS [Code#], Name AS [Name#], "
                                            "Description, Created, Due, Spare FROM Big"),
                             CSVOptions(o));
    } else if (kind == "xlsx") {
        clsExcel excel;
        excel.StartObject(&host, zolt, msg, nullptr);
        ok = excel.GenerateExcel(QStringLiteral("SELECT * FROM Big WHERE Id <= 600000 ORDER BY Id"), QStringLiteral("Big"));
        QFile::remove(excel.FileName());
    }
    const qint64 ms = t.elapsed();
    QFile::remove(o.FicheroDestino);
    if (!ok) {
        std::printf("%s FAILED\n", kind.constData());
        return 1;
    }
    std::printf("%s %lld %.1f\n", kind.constData(), static_cast<long long>(ms), (statusKb("VmHWM:") - idle) / 1024.0);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 4 && std::strcmp(argv[1], "prepare") == 0)
        return prepare(std::atoll(argv[2]), QString::fromLocal8Bit(argv[3]));
    QApplication app(argc, argv);
    if (argc >= 3 && std::strcmp(argv[1], "page") == 0)
        return page(QString::fromLocal8Bit(argv[2]), argc >= 4 ? QString::fromLocal8Bit(argv[3]) : QString());
    if (argc >= 4)
        return exportOne(argv[1], QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    std::fprintf(stderr, "bench_largeresult prepare <rows> <file> | page <file> | <csv-fast|csv-full|xlsx> <file> <scratch>\n");
    return 2;
}
