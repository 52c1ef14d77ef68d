// The comparison with no pause: a full run on two local files of 300 tables
// (15 columns, 3 indexes each) and 30 views, the same run on lists whose
// tables are already complete (the engine's own cost), and the merge of
// 1,000 + 1,000 preloaded items. Prints the best of three of each; the full
// run's copies of the files are new to the process each time.
#include "compare/CompareController.h"
#include "platform/db/Db.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>

namespace {

class Window : public compare::WindowSink {
public:
    bool IsVisible() const override { return true; }
    void Hide() override {}
    double Width() const override { return 15420; }
    double Height() const override { return 10000; }
    void Place(double, double) override {}
    void ControlsChanged() override {}
};

class Progress : public compare::ProgressSink {
public:
    void setMainText(const QString& t) override { main = t; }
    void setMainValue(int v) override { value = v; }
    void setSubText(const QString& t) override { sub = t; }
    void setSubValue(int v) override { value = v; }
    void placePanel(double, double) override {}
    QString main, sub;
    int value = 0;
};

QString connection(const QString& path) { return QStringLiteral("Provider=Microsoft.ACE.OLEDB.12.0;Data Source=") + path; }

// 300 tables of 15 columns and 3 indexes, 30 views; "variant" changes a few.
void makeDatabase(const QString& path, bool variant)
{
    db::Catalog::Create(connection(path));
    db::Connection c;
    c.Open(connection(path));
    c.Execute(QStringLiteral("BEGIN"));
    for (int t = 0; t < 300; ++t) {
        QString sql = QStringLiteral("CREATE TABLE T%1 (ID INTEGER PRIMARY KEY").arg(t);
        for (int k = 1; k < 15; ++k)
            sql += QStringLiteral(", C%1 %2").arg(k).arg(variant && t % 10 == 0 && k == 3 ? "TEXT(20)" : "LONG");
        c.Execute(sql + QLatin1Char(')'));
        c.Execute(QStringLiteral("CREATE INDEX IX%1A ON T%1 (C1)").arg(t));
        c.Execute(QStringLiteral("CREATE UNIQUE INDEX IX%1B ON T%1 (C2, C3)").arg(t));
    }
    for (int v = 0; v < 30; ++v)
        c.Execute(QStringLiteral("CREATE VIEW V%1 AS SELECT ID, C1, C2 FROM T%1").arg(v));
    c.Execute(QStringLiteral("COMMIT"));
    c.Close();
}

double bestOf3(const std::function<void()>& run)
{
    qint64 best = -1;
    for (int i = 0; i < 3; ++i) {
        QElapsedTimer t;
        t.start();
        run();
        const qint64 ns = t.nsecsElapsed();
        best = best < 0 ? ns : std::min(best, ns);
    }
    return double(best) / 1e6;
}

CollectionPtr preloaded(int count, const QString& prefix)
{
    auto list = newCollection();
    for (int i = 0; i < count; ++i) {
        const QString name = prefix + QString::number(i);
        auto fields = newCollection();
        for (int k = 0; k < 3; ++k) {
            auto f = newCollection();
            f->Add(QStringLiteral("C%1").arg(k), QStringLiteral("Name"));
            f->Add(std::int16_t(3), QStringLiteral("Type"));
            f->Add(true, QStringLiteral("Nullable"));
            f->Add(std::int32_t(4), QStringLiteral("Size"));
            f->Add(std::int32_t(0), QStringLiteral("Precision"));
            f->Add(true, QStringLiteral("FixedLenght"));
            f->Add(false, QStringLiteral("AutoIncrease"));
            fields->Add(Variant(f), QStringLiteral("C%1").arg(k));
        }
        auto t = newCollection();
        t->Add(name, QStringLiteral("Name"));
        t->Add(Variant(fields), QStringLiteral("Fields"));
        t->Add(Variant(newCollection()), QStringLiteral("Indexes"));
        list->Add(Variant(t), name);
    }
    return list;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString a = dir.filePath(QStringLiteral("a.accdb")), b = dir.filePath(QStringLiteral("b.accdb"));
    makeDatabase(a, false);
    makeDatabase(b, true);

    Window window;
    Progress progress;
    compare::CompareController host;
    host.attach(&window, &progress, nullptr, nullptr, nullptr);
    host.events = [] {};
    auto side = [](const QString& path) {
        auto o = std::make_shared<clsDO>();
        o->setConnectionType(2);
        o->StartObject(QString(), path, QString(), QString());
        return compare::Side{o, QString(), path, QString(), QString()};
    };
    auto lists = [](const compare::Side& s, CollectionPtr& tables, CollectionPtr& views) {
        QString sv, d = s.BBDD, u, p;
        tables = s.zolt->TableList(sv, d, u, p);
        sv.clear(), d = s.BBDD, u.clear(), p.clear();
        views = s.zolt->ViewList(sv, d, u, p);
    };

    int records = 0;
    CollectionPtr curT, curV, cmpT, cmpV;
    compare::Side cur, cmp;
    auto run = [&] {
        lists(cur, curT, curV);
        lists(cmp, cmpT, cmpV);
        compare::CompareEngine engine(host, nullptr, compare::RunTexts());
        const auto r = engine.GetTablesAndViews(cur, curT, cmp, cmpT, curV, cmpV);
        records = r ? r->Count() : -1;
    };
    // Each first run on copies the process has never opened: nothing the data
    // layer remembers of a file helps it.
    int copy = 0;
    const double full = bestOf3([&] {
        ++copy;
        const QString ca = dir.filePath(QStringLiteral("a%1.accdb").arg(copy));
        const QString cb = dir.filePath(QStringLiteral("b%1.accdb").arg(copy));
        QFile::copy(a, ca);
        QFile::copy(b, cb);
        cur = side(ca), cmp = side(cb);
        run();
    });
    // The same files compared again.
    const double again = bestOf3(run);
    // The lists of the last run are complete now: the engine's own cost.
    const double engineOnly = bestOf3([&] {
        compare::CompareEngine engine(host, nullptr, compare::RunTexts());
        const auto r = engine.GetTablesAndViews(cur, curT, cmp, cmpT, curV, cmpV);
        records = r ? r->Count() : -1;
    });
    const auto left = preloaded(1000, QStringLiteral("a")), right = preloaded(1000, QStringLiteral("b"));
    const double merge = bestOf3([&] {
        compare::CompareEngine engine(host, nullptr, compare::RunTexts());
        engine.GetTablesAndViews({}, left, {}, right, newCollection(), newCollection());
    });

    std::printf("Comparison, 300 tables x 15 columns x 3 indexes + 30 views a side (%d records):\n", records);
    std::printf("  full run on two local files:  %8.1f ms (best of 3; limit 5000 ms)\n", full);
    std::printf("  the same files again:         %8.1f ms (best of 3)\n", again);
    std::printf("  engine on preloaded lists:    %8.1f ms (best of 3; limit 300 ms)\n", engineOnly);
    std::printf("  merge of 1,000 + 1,000 items: %8.1f ms (best of 3; limit 200 ms)\n", merge);
    return full < 5000 && engineOnly < 300 && merge < 200 ? 0 : 2;
}
