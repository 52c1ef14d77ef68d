// The query page's heavy paths with their budgets: the largest unpaged load
// into the grid, splitting and cleaning a 1 MB script, colouring 1 MB.
#include "data/clsDO.h"
#include "messages/clsError.h"
#include "platform/db/RecordingBackend.h"
#include "querypage/MaxSQL.h"
#include "querypage/SqlText.h"
#include "querypage/modCommons.h"
#include "services/clsTablas.h"

#include <QApplication>
#include <QTableView>
#include <benchmark/benchmark.h>

namespace {

QString script()
{
    QString s;
    for (int i = 0; s.size() < 1'000'000; ++i)
        s += QStringLiteral("UPDATE t%1 SET a = 'x;  y', b = [c  d] -- note %1\n\tWHERE  id = %1;\n").arg(i % 10000);
    return s;
}

void SplitAndClean(benchmark::State& state)
{
    const QString text = script();
    for (auto _ : state) {
        auto pieces = sqllex::split(sqllex::cleanUp(sqllex::removeComments(text)));
        benchmark::DoNotOptimize(pieces);
    }
    state.counters["statements"] = double(sqllex::split(sqllex::cleanUp(sqllex::removeComments(text))).size());
}
BENCHMARK(SplitAndClean)->Unit(benchmark::kMillisecond);

void KeywordSpans(benchmark::State& state)
{
    const QString text = script();
    for (auto _ : state)
        benchmark::DoNotOptimize(modCommons::keywordSpans(text));
}
BENCHMARK(KeywordSpans)->Unit(benchmark::kMillisecond);

void LargestUnpagedLoad(benchmark::State& state)
{
    auto rec = db::RecordingBackend::install();
    QStringList names;
    for (int c = 0; c < 33; ++c)
        names << QStringLiteral("col%1").arg(c);
    std::vector<std::vector<Variant>> rows(9999, std::vector<Variant>(33));
    for (int r = 0; r < 9999; ++r)
        for (int c = 0; c < 33; ++c)
            rows[std::size_t(r)][std::size_t(c)] =
                c % 3 == 0 ? Variant(std::int32_t(r * c)) : c % 3 == 1 ? Variant(QStringLiteral("text %1").arg(r)) : Variant(r * 0.25);
    rec->answerRows("SELECT * FROM big", names, rows);
    rec->answer("SELECT * FROM [big] WHERE 1 = 2", db::RecordingBackend::Answer::table(names, {}));
    auto zolt = std::make_shared<clsDO>();
    auto msg = std::make_shared<clsError>();
    msg->setRecorder(std::make_shared<MsgBoxRecorder>());
    auto scr = std::make_shared<clsTablas>();
    scr->oError = msg;
    MaxSQL page;
    page.setErrorObject(msg);
    page.setSCRObject(scr);
    page.setZoltObject(zolt);
    page.ParametersConnection(0, 0, "s", "d", "u", "p");
    page.setTextSQL("SELECT * FROM big");
    int resets = 0;
    int counted = 0;
    QObject::connect(page.Flexi().innerGrid()->model(), &QAbstractItemModel::modelReset, [&] { ++counted; });
    for (auto _ : state) {
        counted = 0;
        page.ExecuteQuery();
        resets = counted;
    }
    state.counters["cells"] = double(page.Flexi().Rows() - 1) * page.Flexi().Cols();
    state.counters["model_resets"] = resets;
    db::RecordingBackend::uninstall();
}
BENCHMARK(LargestUnpagedLoad)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
