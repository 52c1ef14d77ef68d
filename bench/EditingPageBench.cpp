// Record editing in the query page against its budgets, over local database files.
#include "PageAccess.h"

#include "core/ProgramFolder.h"
#include "messages/clsError.h"
#include "services/clsTablas.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

using A = MaxSQLTestAccess;

QTemporaryDir& folder()
{
    static QTemporaryDir dir;
    return dir;
}

QString makeFile(const QString& name, const QStringList& statements)
{
    return makeLocalFile(folder().filePath(name), statements);
}

struct Page {
    Page()
    {
        msg->setRecorder(std::make_shared<MsgBoxRecorder>());
        scr->oError = msg;
        scr->Iniciar(ObjectPtr(), zolt, msg, ProgramFolder::path());
        scr->DisableSecurity = true;
        page.setErrorObject(msg);
        page.setSCRObject(scr);
        page.setZoltObject(zolt);
        page.setShowKey(true);
    }
    void open(const QString& file, const QString& sql)
    {
        page.ParametersConnection(1, 1, "", file, "", "");
        page.setTextSQL(sql);
        page.ExecuteQuery();
    }
    std::shared_ptr<clsDO> zolt = std::make_shared<clsDO>();
    std::shared_ptr<clsError> msg = std::make_shared<clsError>();
    std::shared_ptr<clsTablas> scr = std::make_shared<clsTablas>();
    MaxSQL page;
};

QString rowsInsert(const QString& table, qint64 count, const QString& values)
{
    return QStringLiteral("INSERT INTO %1 WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < %2) "
                          "SELECT %3 FROM c")
        .arg(table)
        .arg(count)
        .arg(values);
}

void RefreshEditedRows(benchmark::State& state)
{
    const QString file = makeFile("held.mdb", {"CREATE TABLE E (ID LONG PRIMARY KEY, N TEXT(20))",
                                               rowsInsert("E", 10000, "x, 'n' || x")});
    Page p;
    p.open(file, "SELECT * FROM E");
    auto ot = A::records(p.page);
    ot->AgregarRegistros("E.ID > 0");
    for (int i = 1; i <= 1000; ++i)
        ot->setValorCampo("E.N", Variant(QStringLiteral("edited")), Variant(QStringLiteral("#%1").arg(i * 10)));
    // One page of 40 rows, among them edited ones.
    p.page.Flexi().setRows(41);
    for (auto _ : state)
        A::refreshEditedRows(p.page, true);
    state.counters["held"] = ot->Count();
    state.counters["edited"] = ot->RegistrosEditados();
}
BENCHMARK(RefreshEditedRows)->Unit(benchmark::kMillisecond);

void CellChangedWideRow(benchmark::State& state)
{
    QStringList columns, values;
    for (int c = 1; c < 200; ++c) {
        columns << QStringLiteral("C%1 TEXT(20)").arg(c);
        values << QStringLiteral("'v%1'").arg(c);
    }
    const QString file = makeFile("wide.mdb", {"CREATE TABLE W (ID LONG PRIMARY KEY, " + columns.join(", ") + ")",
                                               "INSERT INTO W VALUES (1, " + values.join(", ") + ")"});
    Page p;
    p.open(file, "SELECT * FROM W");
    MaxGrid& g = p.page.Flexi();
    g.setLastRowChanged(1);
    g.setLastColChanged(5);
    A::cellChanged(p.page); // the record is held from here on
    int n = 0;
    for (auto _ : state) {
        g.setTextMatrix(1, 5, QStringLiteral("t%1").arg(++n));
        A::cellChanged(p.page);
    }
    state.counters["columns"] = g.Cols();
    state.counters["edited"] = A::records(p.page)->RegistrosEditados();
}
BENCHMARK(CellChangedWideRow)->Unit(benchmark::kMillisecond);

void KeyCheckOfTenMillionRows(benchmark::State& state)
{
    const QString file = makeFile("big.mdb", {"CREATE TABLE G (ID LONG PRIMARY KEY, N TEXT(10))",
                                              rowsInsert("G", 10000000, "x, 'n'")});
    Page p;
    p.page.ParametersConnection(1, 1, "", file, "", "");
    p.zolt->StartObject("", file, "", "");
    const Variant structure = A::structure(p.page, "G");
    A::setRecords(p.page, std::make_shared<clsMultiTabla>());
    QElapsedTimer tableKey;
    double keyMs = 0;
    for (auto _ : state) {
        p.page.setKeyFieldsText(QString());
        A::setSingleTable(p.page, "G");
        A::setRecords(p.page, std::make_shared<clsMultiTabla>());
        A::resolveKeys(p.page, structure);
        A::checkEditable(p.page);
    }
    for (int i = 0; i < 5; ++i) {
        tableKey.start();
        QString table = "G";
        p.zolt->TableKey(QString(), QString(), QString(), QString(), table);
        keyMs += tableKey.nsecsElapsed() / 1e6 / 5;
    }
    state.counters["TableKey_ms"] = keyMs;
    state.counters["editable"] = A::editable(p.page);
}
BENCHMARK(KeyCheckOfTenMillionRows)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    ProgramFolder::setPath(folder().path());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
