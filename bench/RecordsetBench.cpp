// A million rows of ten columns (whole numbers, reals, short and long texts,
// dates, nulls) read into a record set through the local backend and through
// ODBC with the SQLite ODBC driver, and turned into GetString text. bench/run
// puts the figures beside the sqlite3 command-line tool printing the same rows.
#include "BenchSupport.h"
#include "platform/db/Db.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

constexpr int Rows = 1000000;

QString dataFile()
{
    const QByteArray env = qgetenv("VELMORA_BENCH_DB");
    return env.isEmpty() ? QDir::temp().filePath(QStringLiteral("velmora-bench-1m.db")) : QString::fromLocal8Bit(env);
}

void exec(sqlite3* h, const char* sql)
{
    char* err = nullptr;
    if (sqlite3_exec(h, sql, nullptr, nullptr, &err) != SQLITE_OK) {
        std::fprintf(stderr, "%s: %s\n", sql, err ? err : "");
        std::exit(1);
    }
}

// Builds the table once; later runs reuse the file.
void ensureData()
{
    const QString path = dataFile();
    if (QFileInfo(path).size() > 0)
        return;
    const QString partial = path + QStringLiteral(".part");
    QFile::remove(partial);
    sqlite3* h = nullptr;
    sqlite3_open(partial.toUtf8().constData(), &h);
    exec(h, benchsupport::bigTableSql(1000000).constData());
    sqlite3_close(h);
    QFile::rename(partial, path);
}

// Bytes of the values themselves: 8 per number or date, the UTF-8 length of each text, nothing for a null.
double rawBytes()
{
    static double bytes = [] {
        sqlite3* h = nullptr;
        sqlite3_open_v2(dataFile().toUtf8().constData(), &h, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(h,
                           "SELECT 8.0 * (count(Id) + count(Qty) + count(Price) + count(Ratio) + count(Created) + "
                           "count(Due) + count(Spare)) + sum(length(CAST(Code AS BLOB))) + "
                           "coalesce(sum(length(CAST(Name AS BLOB))), 0) + sum(length(CAST(Description AS BLOB))) FROM Big",
                           -1, &st, nullptr);
        double b = 0;
        if (sqlite3_step(st) == SQLITE_ROW)
            b = sqlite3_column_double(st, 0);
        sqlite3_finalize(st);
        sqlite3_close(h);
        return b;
    }();
    return bytes;
}

QString connectionString(bool odbc)
{
    if (!odbc)
        return QStringLiteral("Provider=Microsoft.ACE.OLEDB.12.0;Data Source=") + dataFile();
    // VELMORA_BENCH_ODBC_EXTRA: more driver options, e.g. "StepAPI=1" (rows stepped, not copied whole by the driver).
    return QStringLiteral("Driver={SQLite3};Database=") + dataFile() + QLatin1Char(';')
        + QString::fromLocal8Bit(qgetenv("VELMORA_BENCH_ODBC_EXTRA"));
}

void readTable(benchmark::State& state, bool odbc, bool getString)
{
    ensureData();
    std::size_t memory = 0;
    qint64 textLength = 0;
    for (auto _ : state) {
        auto cn = std::make_shared<db::Connection>();
        cn->Open(connectionString(odbc));
        db::Recordset rs;
        rs.Open(QStringLiteral("SELECT * FROM Big"), cn, db::adOpenStatic, db::adLockReadOnly);
        if (rs.RecordCount() != Rows) {
            state.SkipWithError("wrong number of rows");
            return;
        }
        memory = rs.result()->memoryUsed();
        if (getString) {
            QString text = rs.GetString();
            textLength = text.size();
            benchmark::DoNotOptimize(text.data());
        }
        cn->Close();
    }
    state.counters["rows"] = Rows;
    state.counters["memory_bytes"] = double(memory);
    state.counters["raw_bytes"] = rawBytes();
    state.counters["memory_ratio"] = double(memory) / rawBytes();
    state.counters["text_chars"] = double(textLength); // every row of the report has the same columns
}

void BM_LocalRecordset(benchmark::State& s) { readTable(s, false, false); }
void BM_LocalGetString(benchmark::State& s) { readTable(s, false, true); }
void BM_OdbcRecordset(benchmark::State& s) { readTable(s, true, false); }
void BM_OdbcGetString(benchmark::State& s) { readTable(s, true, true); }

BENCHMARK(BM_LocalRecordset)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_LocalGetString)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_OdbcRecordset)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_OdbcGetString)->Unit(benchmark::kMillisecond)->Iterations(3);

// The SQLite ODBC driver registered for this process only.
void registerOdbcDriver(QTemporaryDir& dir)
{
    QFile ini(dir.filePath(QStringLiteral("odbcinst.ini")));
    ini.open(QIODevice::WriteOnly);
    ini.write("[SQLite3]\nDescription=SQLite3 ODBC Driver\nDriver=" VELMORA_SQLITE_ODBC_DRIVER "\n");
    ini.close();
    qputenv("ODBCSYSINI", dir.path().toUtf8());
    qputenv("ODBCINI", dir.filePath(QStringLiteral("odbc.ini")).toUtf8());
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir odbcDir;
    registerOdbcDriver(odbcDir);
    if (argc > 1 && QByteArray(argv[1]) == "--prepare") {
        ensureData();
        std::printf("%s\n", dataFile().toLocal8Bit().constData());
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
