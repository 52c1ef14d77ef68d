// The dialogs' heavy paths with their budgets: re-indenting a 50 KB statement
// with 500 parenthesised groups (200 ms) and listing 100 system data sources
// through the driver manager (50 ms).
#include "mainwindow/EditRules.h"
#include "platform/dsn/DataSources.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

QString statement()
{
    QString s = QStringLiteral("SELECT a, b, c FROM t WHERE ");
    int groups = 0;
    while (groups < 500) {
        s += QStringLiteral("(x%1 IN (SELECT y FROM u WHERE z = 'it''s -- (not) a comment' AND w > %1)) OR ").arg(groups);
        groups += 2;
    }
    while (s.size() < 51'200)
        s += QStringLiteral("k = 1 AND [name with blanks] = \"q\" AND ");
    return s + QStringLiteral("1 = 1 -- end\r\nORDER BY a");
}

void Identar(benchmark::State& state)
{
    const QString text = statement();
    for (auto _ : state)
        benchmark::DoNotOptimize(EditRules::Identar(text, 0));
    state.counters["KB"] = double(text.size()) / 1024;
    state.counters["groups"] = 500;
}
BENCHMARK(Identar)->Unit(benchmark::kMillisecond);

void ListSystemSources(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(dsn::EnumDSN(dsn::FetchFirstSystem, QStringLiteral("SQL Server")));
    state.counters["sources"] = double(dsn::EnumDSN(dsn::FetchFirstSystem, QString()).size());
}
BENCHMARK(ListSystemSources)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    // 100 system data sources in a configuration folder of our own, before the first ODBC call.
    QTemporaryDir dir;
    QFile ini(dir.filePath("odbc.ini"));
    if (ini.open(QIODevice::WriteOnly)) {
        for (int i = 0; i < 100; ++i)
            ini.write(QStringLiteral("[Source%1]\nDriver=%2\nServer=host%1\n\n")
                          .arg(i)
                          .arg(i % 2 ? QStringLiteral("FreeTDS") : QStringLiteral("Oracle 19 ODBC driver"))
                          .toUtf8());
        ini.close();
    }
    QFile(dir.filePath("odbcinst.ini")).open(QIODevice::WriteOnly);
    qputenv("ODBCSYSINI", QFile::encodeName(dir.path()));
    qputenv("ODBCINI", QFile::encodeName(dir.filePath("user.ini")));
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
