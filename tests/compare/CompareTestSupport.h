#pragma once
// The comparison under test: the controller over fake window, progress and
// grid sinks, a clock that moves only when the waiter waits, counted event
// runs and hourglasses, message boxes recorded, and the databases as local
// files or behind the recording backend.
#include "compare/CompareController.h"
#include "data/DataTestSupport.h"

#include <QMap>
#include <QPair>
#include <gtest/gtest.h>

namespace comparetest {

using compare::GridSink;

class FakeGrid : public GridSink {
public:
    explicit FakeGrid(int w = 5355, int h = 7785) : width(w), height(h) {}
    bool Redraw() const override { return redraw; }
    void setRedraw(bool on) override { redraw = on; }
    int Rows() const override { return rows; }
    void setRows(int r) override
    {
        rows = r;
        text.removeIf([r](auto it) { return it.key().first >= r; });
        pictures.removeIf([r](auto it) { return it.key().first >= r; });
    }
    int Cols() const override { return cols; }
    void setCols(int c) override { cols = c; }
    void setColWidth(int c, int twips) override { widths[c] = twips; }
    QString TextMatrix(int r, int c) const override { return text.value({r, c}); }
    void setTextMatrix(int r, int c, const QString& t) override
    {
        if (failOnWrite && ++writes == failOnWrite)
            raise(Error::InvalidProcedureCall, "fill failed");
        text[{r, c}] = t;
    }
    int Row() const override { return row; }
    void setRow(int r) override { row = r; }
    void setCol(int c) override { col = c; }
    void setColSel(int) override {}
    void setCellPicture(Picture p) override { pictures[{row, col}] = p; }
    void setCellPictureAlignment(int) override {}
    int Width() const override { return width; }
    int Height() const override { return height; }
    void setHeight(int twips) override { height = twips; }

    // Column c of the data rows that hold anything, in order.
    QStringList column(int c) const
    {
        QStringList out;
        for (int r = 1; r < rows; ++r)
            out << text.value({r, c});
        while (!out.isEmpty() && out.last().isEmpty())
            out.removeLast();
        return out;
    }
    int count(Picture p) const { return int(std::count(pictures.begin(), pictures.end(), p)); }

    int width, height;
    int rows = 1, cols = 2, row = 0, col = 0;
    bool redraw = true;
    int failOnWrite = 0, writes = 0;
    QMap<int, int> widths;
    QMap<QPair<int, int>, QString> text;
    QMap<QPair<int, int>, Picture> pictures;
};

class FakeProgress : public compare::ProgressSink {
public:
    void setMainText(const QString& t) override { mainTexts << t; }
    void setMainValue(int v) override { mainValues << v; }
    void setSubText(const QString& t) override { subTexts << t; }
    void setSubValue(int v) override { subValues << v; }
    void placePanel(double, double) override {}
    QStringList mainTexts, subTexts;
    QList<int> mainValues, subValues;
};

class FakeWindow : public compare::WindowSink {
public:
    bool IsVisible() const override { return visible; }
    void Hide() override { visible = false, ++hides; }
    double Width() const override { return width; }
    double Height() const override { return height; }
    void Place(double t, double h) override { top = t, height = h; }
    void ControlsChanged() override {}
    bool visible = true;
    int hides = 0;
    double width = 15420, height = 9135, top = 0;
};

// A local database file made from statements.
inline void makeFile(datatest::LocalDb& file, const QStringList& statements)
{
    db::Catalog::Create(file.connectionString());
    file.exec(statements);
}

class CompareTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        msg->setRecorder(box);
        scr->oError = msg;
        c.attach(&window, &progress, &tables, &fields, &indexes);
        c.clock = [this] { return now; };
        c.waiter = [this](int ms) { waited << ms, now += ms; };
        c.events = [this] {
            ++eventRuns;
            if (onEvents)
                onEvents(eventRuns);
        };
        c.busy = [this] {
            ++hourglass;
            return std::shared_ptr<void>(new int(0), [this](void* p) {
                --hourglass;
                delete static_cast<int*>(p);
            });
        };
        c.Zolt = zolt;
        c.MSG = msg;
        c.SCR = scr;
    }
    void TearDown() override
    {
        if (rec)
            db::RecordingBackend::uninstall();
    }

    // Opens the window on a current database (a local file of the .accdb kind unless told) and lists it.
    void openOn(const QString& database, int type = 2, int driver = 1, const QString& server = {})
    {
        const bool server_ = !server.isEmpty();
        c.Current = {type, driver, server, database, server_ ? QString("sa") : QString(), server_ ? QString("pw") : QString()};
        c.setParentFormHeight(11000);
        c.Form_Load();
        c.tmrInitial_Timer();
    }
    void openOn(const datatest::LocalDb& file) { openOn(file.path); }
    // The current and compared files made from statements: the window lists the first and is pointed at the second.
    void openFiles(const QStringList& current, const QStringList& compared)
    {
        makeFile(cur, current);
        makeFile(cmp, compared);
        openOn(cur);
        typeCompared(2, cmp.path);
    }
    // A server catalog of tables with one integer column ID each; every statement answers no rows.
    void serverCatalog(const QStringList& names)
    {
        rec = db::RecordingBackend::install();
        rec->setDefaultAnswer(db::RecordingBackend::Answer::table({"Name"}, {}));
        std::vector<db::TableInfo> list(std::size_t(names.size()));
        for (std::size_t i = 0; i < list.size(); ++i) {
            list[i].name = names[qsizetype(i)];
            list[i].type = "TABLE";
            list[i].columns.resize(1);
            list[i].columns[0].name = "ID";
            list[i].columns[0].type = db::adInteger;
        }
        rec->setTables(list);
    }
    // Chooses a compared type and types the database box (and the server, user and password when a server is given).
    void typeCompared(int type, const QString& database, const QString& server = {})
    {
        c.cboComparedConnectionType.ListIndex = type;
        c.cboComparedConnectionType_Click();
        c.txtComparedBBDD.Text = database;
        if (!server.isEmpty()) {
            c.txtComparedServidor.Text = server;
            c.txtComparedUser.Text = "sa";
            c.txtComparedPassword.Text = "pw";
        }
        c.txtCompared_Change();
    }
    void compareWith(const datatest::LocalDb& file)
    {
        typeCompared(2, file.path);
        c.BttCompare_MouseUp();
    }
    // "state name" of every record of the result, in order.
    QStringList records() const { return rows(c.ComparisonResult(), "Table"); }
    CollectionPtr record(const QString& name, compare::Kind kind = compare::Kind::Table) const
    {
        return c.ComparisonResult()->Item(Variant(compare::RecordKey(kind, name))).as<Collection>();
    }
    // "state name | differences" of the items of a record's collection (or of the result's records).
    static QStringList rows(const CollectionPtr& items, const QString& prefix)
    {
        QStringList out;
        for (int i = 1; i <= items->Count(); ++i) {
            const auto f = items->Item(Variant(std::int32_t(i))).as<Collection>();
            QString line = f->Item(Variant(prefix + "IconName")).toString() + ' ' + f->Item(Variant(prefix + "Name")).toString();
            const QString d = f->Exists(prefix + "Differences") ? f->Item(Variant(prefix + "Differences")).toString() : "";
            if (!d.isEmpty())
                line += " | " + d;
            out << line;
        }
        return out;
    }
    QStringList messages() const
    {
        QStringList out;
        for (const auto& call : box->calls)
            out << QString::number(call.style) + '|' + call.title + '|' + call.body.mid(2);
        return out;
    }

    std::shared_ptr<clsError> msg = std::make_shared<clsError>();
    std::shared_ptr<MsgBoxRecorder> box = std::make_shared<MsgBoxRecorder>();
    std::shared_ptr<clsTablas> scr = std::make_shared<clsTablas>();
    std::shared_ptr<clsDO> zolt = std::make_shared<clsDO>();
    std::shared_ptr<db::RecordingBackend> rec;
    ScopedRecordingDialogs notices;
    datatest::LocalDb cur{"cur.accdb"}, cmp{"cmp.accdb"};
    FakeWindow window;
    FakeProgress progress;
    FakeGrid tables{3405}, fields{5355}, indexes{5955};
    compare::CompareController c;
    qint64 now = 0;
    QList<int> waited;
    int eventRuns = 0, hourglass = 0;
    std::function<void(int)> onEvents;
};

// The test table and its unique index, as the comparison's examples write them.
inline const QStringList kOrders{
    "CREATE TABLE Orders (ID INTEGER PRIMARY KEY, Qty LONG, Name TEXT(50) NOT NULL)",
    "CREATE UNIQUE INDEX IX_N ON Orders (Name)"};

} // namespace comparetest
