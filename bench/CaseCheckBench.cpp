// A start opening a local file of a million rows with a case-free (NOCASE)
// index: the check of earlier builds' index order is skipped on a file found
// sound before. Timed beside the sqlite3 library opening the same file (its
// schema read) in the same run; bench/run.d/casecheck prints the ratios.
#include "platform/db/Db.h"
#include "platform/db/LocalFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>

namespace {

QString folder()
{
    const QByteArray env = qgetenv("VELMORA_BENCH_DIR");
    return env.isEmpty() ? QStringLiteral("/var/tmp") : QString::fromLocal8Bit(env);
}
QString dataFile() { return folder() + QStringLiteral("/velmora-casecheck-1m.db"); }
QString memoFile() { return folder() + QStringLiteral("/velmora-casecheck.memo"); }

// Built once; later runs reuse the file.
void ensureData()
{
    if (QFileInfo(dataFile()).size() > 0)
        return;
    const QString partial = dataFile() + QStringLiteral(".part");
    QFile::remove(partial);
    sqlite3* h = nullptr;
    sqlite3_open(partial.toUtf8().constData(), &h);
    char* err = nullptr;
    if (sqlite3_exec(h,
                     "CREATE TABLE Words (Id INTEGER PRIMARY KEY, Name TEXT COLLATE NOCASE, Qty INTEGER);"
                     "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 1000000) "
                     "INSERT INTO Words SELECT x, printf('Cliente %s %d', char(65 + x % 26, 97 + x % 23), x * 7919 % 1000003), "
                     "x % 1000 FROM c;"
                     "CREATE INDEX ixName ON Words (Name);",
                     nullptr, nullptr, &err)
        != SQLITE_OK) {
        std::fprintf(stderr, "%s\n", err ? err : "");
        std::exit(1);
    }
    sqlite3_close(h);
    QFile::rename(partial, dataFile());
}

const QString kConnection = QStringLiteral("Provider=Microsoft.ACE.OLEDB.12.0;Data Source=");

void openAndClose()
{
    db::Connection c;
    c.Open(kConnection + dataFile());
    c.Close();
}

// A start's writing open: with the memo, one that finds the file there (the
// memo read anew); without it, every row of the table is read.
void BM_VelmoraStartOpen(benchmark::State& state, bool memo)
{
    for (auto _ : state) {
        db::setCaseCheckMemo(memo ? memoFile() : QString());
        openAndClose();
    }
}

// The part of it the check costs: reading the memo and comparing the file's stamp.
void BM_VelmoraSecondStartCheck(benchmark::State& state)
{
    for (auto _ : state) {
        db::setCaseCheckMemo(memoFile());
        benchmark::DoNotOptimize(db::caseIndexesKnownSound(dataFile()));
    }
}

// The library's own open of the same file for writing, with its schema read.
void BM_Sqlite3Open(benchmark::State& state)
{
    for (auto _ : state) {
        sqlite3* h = nullptr;
        sqlite3_open_v2(dataFile().toUtf8().constData(), &h, SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_exec(h, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
        sqlite3_close(h);
    }
}

// A small file with a case-free index that every call writes to, as each
// call of the data layer opens, writes and closes its own connection.
QString smallFile() { return folder() + QStringLiteral("/velmora-casecheck-small.db"); }
const char* const kWrite = "UPDATE Words SET Qty = Qty + 1 WHERE Id = 1";

void ensureSmall()
{
    QFile::remove(smallFile());
    sqlite3* h = nullptr;
    sqlite3_open(smallFile().toUtf8().constData(), &h);
    sqlite3_exec(h,
                 "CREATE TABLE Words (Id INTEGER PRIMARY KEY, Name TEXT COLLATE NOCASE, Qty INTEGER);"
                 "INSERT INTO Words VALUES (1, 'Cliente', 0);"
                 "CREATE INDEX ixName ON Words (Name);",
                 nullptr, nullptr, nullptr);
    sqlite3_close(h);
}

void writeCall()
{
    db::Connection c;
    c.Open(kConnection + smallFile());
    c.Execute(QString::fromLatin1(kWrite));
    c.Close();
}

// A writing call: open, one update, close (which notes the changed file again).
// Without a memo file the file is noted in this process only, so the
// difference between the two is what the close's rewrite of the memo costs.
void BM_VelmoraWriteCall(benchmark::State& state, bool memo)
{
    ensureSmall();
    db::setCaseCheckMemo(memo ? memoFile() : QString());
    for (auto _ : state)
        writeCall();
    QFile::remove(smallFile());
}
// The library's own open, the same update and close.
void BM_Sqlite3WriteCall(benchmark::State& state)
{
    ensureSmall();
    for (auto _ : state) {
        sqlite3* h = nullptr;
        sqlite3_open_v2(smallFile().toUtf8().constData(), &h, SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_exec(h, kWrite, nullptr, nullptr, nullptr);
        sqlite3_close(h);
    }
    QFile::remove(smallFile());
}

BENCHMARK(BM_Sqlite3Open)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK_CAPTURE(BM_VelmoraStartOpen, SecondStart, true)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_VelmoraSecondStartCheck)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK_CAPTURE(BM_VelmoraStartOpen, WithoutMemo, false)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Sqlite3WriteCall)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK_CAPTURE(BM_VelmoraWriteCall, Memo, true)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK_CAPTURE(BM_VelmoraWriteCall, NoMemo, false)->Unit(benchmark::kMillisecond)->MinTime(1.0);

} // namespace

int main(int argc, char** argv)
{
    ensureData();
    // The first start: the file is checked once and noted in the memo.
    QFile::remove(memoFile());
    db::setCaseCheckMemo(memoFile());
    openAndClose();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    QFile::remove(memoFile());
    return 0;
}
