// The paging bar's refill of one page and the tab history's save and load,
// with their budgets: 20 ms a page of 40 x 100 cells, 100 ms a save of six
// entries of 1,000 lines in one file write.
#include "core/FileReplace.h"
#include "core/ProgramFolder.h"
#include "data/clsDO.h"
#include "messages/clsError.h"
#include "platform/db/RecordingBackend.h"
#include "querypage/MaxSQL.h"
#include "querypage/TabHistoryFile.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QIODevice>
#include <QScrollBar>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

struct Page {
    std::shared_ptr<clsDO> zolt = std::make_shared<clsDO>();
    std::shared_ptr<clsError> msg = std::make_shared<clsError>();
    MaxSQL page;
    Page()
    {
        msg->setRecorder(std::make_shared<MsgBoxRecorder>());
        page.setErrorObject(msg);
        page.setZoltObject(zolt);
        page.setCurrentTab(1);
        page.ParametersConnection(0, 0, "s", "d", "u", "p");
    }
};

void PageRefill(benchmark::State& state)
{
    auto rec = db::RecordingBackend::install();
    QStringList names;
    for (int c = 0; c < 100; ++c)
        names << QStringLiteral("c%1").arg(c);
    std::vector<std::vector<Variant>> rows(10000, std::vector<Variant>(100));
    for (int r = 0; r < 10000; ++r)
        for (int c = 0; c < 100; ++c)
            rows[std::size_t(r)][std::size_t(c)] =
                c % 2 ? Variant(QStringLiteral("text %1 %2").arg(r).arg(c)) : Variant(std::int32_t(r * c));
    rec->answerRows("SELECT c0, c1 FROM big", names, rows);
    rec->answerRegex("^SELECT TOP 1 ", db::RecordingBackend::Answer::table(names, {}));
    QTemporaryDir dir;
    ProgramFolder::setPath(dir.path());
    Page p;
    // A grid 9,840 twips high holds 40 record rows.
    p.page.LayoutTwips(16380, 13500);
    p.page.setTextSQL("SELECT c0, c1 FROM big");
    p.page.ExecuteQuery();
    auto* bar = p.page.findChild<QScrollBar*>(QStringLiteral("OnDemandElevator"));
    bool down = true;
    for (auto _ : state) {
        bar->triggerAction(down ? QAbstractSlider::SliderSingleStepAdd : QAbstractSlider::SliderSingleStepSub);
        down = !down;
    }
    state.counters["page_rows"] = bar->pageStep();
    state.counters["cols"] = p.page.Flexi().Cols();
    ProgramFolder::setPath(QString());
    db::RecordingBackend::uninstall();
}
BENCHMARK(PageRefill)->Unit(benchmark::kMillisecond);

QString thousandLines(int variant)
{
    QString s;
    for (int i = 0; i < 1000; ++i)
        s += QStringLiteral("SELECT col_%1, 'value %2', other_column FROM some_table WHERE id = %1 -- %3\n")
                 .arg(i)
                 .arg(variant)
                 .arg(QString(40, QLatin1Char('x')));
    return s;
}

void SaveFullHistory(benchmark::State& state)
{
    QTemporaryDir dir;
    ProgramFolder::setPath(dir.path());
    Page p;
    int writes = 0;
    FileReplace::installWriter([&writes](QIODevice& out, const QByteArray& bytes) {
        ++writes;
        return out.write(bytes) == bytes.size();
    });
    for (int i = 0; i < 6; ++i) {
        p.page.setTextSQL(thousandLines(i));
        p.page.SaveLastQuery(0);
    }
    int variant = 6;
    for (auto _ : state) {
        state.PauseTiming();
        p.page.setTextSQL(thousandLines(variant++));
        writes = 0;
        state.ResumeTiming();
        p.page.SaveLastQuery(0);
    }
    state.counters["file_writes"] = writes;
    state.counters["bytes"] = double(QFileInfo(TabHistoryFile::pathOf(1)).size());
    FileReplace::installWriter(nullptr);
    ProgramFolder::setPath(QString());
}
BENCHMARK(SaveFullHistory)->Unit(benchmark::kMillisecond);

// The file's own part of a save: one read, the rewrite in memory, one write.
void HistoryFileRewrite(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Velmora_Tab1.ini");
    for (int i = 0; i < 6; ++i) {
        TabHistoryFile next;
        TabHistoryFile::load(path).recordNewest({thousandLines(i), "ID", "", {0, 0, "s", "d", "u", "p"}}, 3240, next);
        next.save(path);
    }
    const HistoryEntry e{thousandLines(7), "ID", "", {0, 0, "s", "d", "u", "p"}};
    double load = 0, rewrite = 0, save = 0;
    for (auto _ : state) {
        QElapsedTimer t;
        t.start();
        const TabHistoryFile old = TabHistoryFile::load(path);
        load += t.nsecsElapsed();
        t.restart();
        TabHistoryFile next;
        old.recordNewest(e, 3240, next);
        rewrite += t.nsecsElapsed();
        t.restart();
        next.save(path);
        save += t.nsecsElapsed();
    }
    const double n = double(state.iterations()) * 1e6;
    state.counters["load_ms"] = load / n;
    state.counters["rewrite_ms"] = rewrite / n;
    state.counters["save_ms"] = save / n;
}
BENCHMARK(HistoryFileRewrite)->Unit(benchmark::kMillisecond);

void LoadOldestEntry(benchmark::State& state)
{
    QTemporaryDir dir;
    ProgramFolder::setPath(dir.path());
    Page p;
    for (int i = 0; i < 6; ++i) {
        p.page.setTextSQL(thousandLines(i));
        p.page.SaveLastQuery(0);
    }
    for (auto _ : state) {
        std::int32_t pos = 5;
        std::int16_t tab = 0;
        p.page.GetQuery(pos, tab);
    }
    state.counters["chars"] = double(p.page.TextSQL().size());
    ProgramFolder::setPath(QString());
}
BENCHMARK(LoadOldestEntry)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
