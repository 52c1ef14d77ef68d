// The INSERT script and the column fit against their budgets.
#include "platform/db/ResultFile.h"
#include "platform/db/RowReader.h"
#include "PageAccess.h"

#include "core/ProgramFolder.h"
#include "core/Screen.h"
#include "messages/clsError.h"
#include "platform/db/Recordset.h"
#include "platform/shell/Shell.h"
#include "querypage/InsertScript.h"
#include "services/clsTablas.h"

#include <QBuffer>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <limits>
#include <benchmark/benchmark.h>

namespace {

QTemporaryDir& folder()
{
    static QTemporaryDir dir;
    return dir;
}

// 100,000 rows of ten columns: numbers, texts, a date with a time, a boolean, a Null.
QString bigFile()
{
    return makeLocalFile(
        folder().filePath("script.mdb"),
        {"CREATE TABLE S (ID LONG PRIMARY KEY, NAME TEXT(30), AMOUNT DOUBLE, DAY DATETIME, ACTIVE YESNO, "
         "NOTE TEXT(50), QTY LONG, PRICE CURRENCY, CODE TEXT(10), EMPTY TEXT(10))",
         "INSERT INTO S WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 100000) "
         "SELECT x, 'name ''' || x, x * 1.25, '2024-01-31 15:45:03', x % 2, 'a note for row ' || x, x % 97, "
         "x * 0.5, 'C' || x, NULL FROM c"});
}

struct Page {
    Page()
    {
        ProgramFolder::setPath(folder().path());
        msg->setRecorder(std::make_shared<MsgBoxRecorder>());
        scr->oError = msg;
        page.setErrorObject(msg);
        page.setSCRObject(scr);
        page.setZoltObject(zolt);
    }
    std::shared_ptr<clsDO> zolt = std::make_shared<clsDO>();
    std::shared_ptr<clsError> msg = std::make_shared<clsError>();
    std::shared_ptr<clsTablas> scr = std::make_shared<clsTablas>();
    MaxSQL page;
};

// The whole command: the query read again, the text built, the file written and handed on.
void GenerateScript100k(benchmark::State& state)
{
    Page p;
    p.page.ParametersConnection(1, 1, "", bigFile(), "", "");
    p.page.setTextSQL("SELECT * FROM S");
    p.page.ExecuteQuery();
    shell::ScopedRecordingLauncher launcher;
    for (auto _ : state)
        p.page.GenerateScript();
    const QString file = QDir(folder().filePath("Scripts")).entryInfoList({"S_*.txt"}).value(0).absoluteFilePath();
    state.counters["bytes"] = double(QFileInfo(file).size());
    state.counters["launched"] = double(launcher->launched.size());
}
BENCHMARK(GenerateScript100k)->Unit(benchmark::kMillisecond)->Iterations(3);

// The text alone, counting the progress updates a second.
void ScriptText100k(benchmark::State& state)
{
    Page p;
    p.page.ParametersConnection(1, 1, "", bigFile(), "", "");
    p.zolt->setConnectionType(1);
    p.zolt->StartObject("", bigFile(), "", "");
    QString sql = "SELECT * FROM S", s, d, u, w;
    const auto records = p.zolt->Query(sql, s, d, u, w, "Recordset").as<db::Recordset>();
    const db::ResultSet& rows = *records->result();
    QStringList names;
    std::vector<insertscript::Field> fields;
    const int types[] = {3, 8, 5, 7, 11, 8, 3, 6, 8, 8};
    for (int c = 0; c < rows.columnCount(); ++c) {
        names << rows.fields[std::size_t(c)].name;
        fields.push_back({names.last(), types[c]});
    }
    const insertscript::Layout layout = insertscript::layout("S", names, fields);
    const sqltext::Dialect dialect{1, "&", "DateValue('", "')"};
    qint64 updates = 0;
    qint64 closest = std::numeric_limits<qint64>::max(); // ms between two updates before the last row
    for (auto _ : state) {
        QElapsedTimer t;
        t.start();
        qint64 last = 0;
        updates = 0;
        const std::unique_ptr<db::RowReader> reader = p.zolt->OpenReader(sql);
        db::ResultFile read(reader->fields());
        read.readAll(*reader);
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        benchmark::DoNotOptimize(insertscript::script(read, layout, dialect, out, [&](qint64 r, qint64 n) {
            ++updates;
            if (r < n)
                closest = std::min(closest, t.elapsed() - last);
            last = t.elapsed();
        }));
    }
    state.counters["progress_updates"] = double(updates);
    state.counters["closest_updates_ms"] = double(closest);
    state.counters["rows"] = double(rows.rowCount());
}
BENCHMARK(ScriptText100k)->Unit(benchmark::kMillisecond)->Iterations(3);

// Fitting 100 columns over the 50 rows a grid shows.
void AutoSize100x50(benchmark::State& state)
{
    Page p;
    MaxGrid& g = p.page.Flexi();
    g.setRows(1001);
    g.setCols(100);
    for (int r = 0; r <= 1000; ++r)
        for (int c = 0; c < 100; ++c)
            g.setTextMatrix(r, c, r == 0 ? QStringLiteral("Column %1").arg(c)
                                  : c % 3 == 0 ? QString::number(r * c * 1.5, 'f', 2)
                                  : c % 3 == 1 ? QStringLiteral("31/01/2024")
                                               : QStringLiteral("text of row %1").arg(r));
    g.resize(1600, Screen::pixelsFromTwips(50 * g.RowHeight(0)) + 1);
    for (auto _ : state)
        MaxSQLTestAccess::autoSize(p.page);
    state.counters["visible_rows"] = double(g.Height()) / double(g.RowHeight(0));
}
BENCHMARK(AutoSize100x50)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
