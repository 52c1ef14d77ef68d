// The page's pure rules: single-table test, header probe, widths, paging,
// status line, frame and panel layout, connection validation.
#include "querypage/LoadRules.h"
#include "querypage/PageLayout.h"
#include "querypage/Validation.h"

#include <QTemporaryDir>
#include <QFile>
#include <gtest/gtest.h>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

TEST(LoadRules, SingleTableTest)
{
    struct Case {
        const char* sql;
        bool single;
        const char* name;
        const char* part;
    };
    const Case cases[] = {
        {"SELECT * FROM t", true, "t", "t"},
        {"select t.* from t where a = 1", true, "t", "t"},
        {"SELECT * FROM dbo.Orders", true, "[dbo].[Orders]", "dbo.Orders"},
        {"SELECT * FROM [Order Details] WHERE x = 1", true, "[Order Details]", "[Order Details]"},
        {"SELECT * FROM dbo.[Order Details] o", true, "[dbo].[Order Details]", "dbo.[Order Details] o"},
        {"SELECT GETDATE()", false, "", ""},
        {"SELECT * FROM t join u ON t.id = u.id", false, "", ""},
        {"SELECT * FROM t UNION SELECT * FROM u", false, "", ""},
        {"SELECT * FROM t WHERE a IN (SELECT a FROM u)", false, "", ""},
        {"SELECT * FROM t, u", false, "", "t, u"},
        {"SELECT * FROM t ORDER BY a, b", false, "", "t ORDER BY a, b"},
    };
    for (const Case& c : cases) {
        const loadrules::TableTest t = loadrules::singleTableTest(QString::fromUtf8(c.sql));
        EXPECT_EQ(t.single, c.single) << c.sql;
        EXPECT_EQ(t.tableName, QString::fromUtf8(c.name)) << c.sql;
        EXPECT_EQ(t.tablePart, QString::fromUtf8(c.part)) << c.sql;
    }
    EXPECT_TRUE(loadrules::selectListIsWhole({"dbo.Orders.*"}, "[dbo].[Orders]"));
    EXPECT_TRUE(loadrules::selectListIsWhole({" * "}, "t"));
    EXPECT_FALSE(loadrules::selectListIsWhole({"t.a"}, "t"));
    EXPECT_FALSE(loadrules::selectListIsWhole({"t.*", "u.*"}, "t"));
}

TEST(LoadRules, HeaderProbe)
{
    struct Case {
        const char* sql;
        int driver;
        const char* probe;
    };
    const Case cases[] = {
        {"SELECT a, b FROM t", 0, "SELECT TOP 1 a, b FROM t"},
        {"select a from t join u on t.id = u.id", 0, "SELECT TOP 1 a from t join u on t.id = u.id"},
        {"SELECT TOP 500 * FROM t JOIN u ON t.id = u.id", 0, "SELECT TOP 1 * FROM t JOIN u ON t.id = u.id"},
        {"SELECT DISTINCT a FROM t", 1, "SELECT TOP 1  a FROM t"},
        {"SELECT a FROM t JOIN u ON x ORDER BY a", 2, "SELECT a FROM t JOIN u ON x  WHERE 1 = 2 ORDER BY a"},
        {"SELECT a FROM t WHERE b = 1", 2, "SELECT a FROM t  WHERE 1 = 2 AND b = 1"},
        {"SELECT a FROM t GROUP BY a", 2, "SELECT a FROM t  WHERE 1 = 2 GROUP BY a"},
        {"SELECT a FROM t", 2, "SELECT a FROM t WHERE 1 = 2"},
        {"WITH x AS (SELECT 1) SELECT * FROM x", 0, "WITH x AS (SELECT 1) SELECT * FROM x"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(loadrules::headerStatement(QString::fromUtf8(c.sql), c.driver), QString::fromUtf8(c.probe)) << c.sql;
    EXPECT_EQ(loadrules::qualifier(" t , u"), QStringLiteral("t"));
}

TEST(LoadRules, WidthsPagesAndStatusLine)
{
    const auto measure = [](const QString& t) { return double(t.size()) * 100; }; // 100 twips a character
    EXPECT_EQ(loadrules::columnWidth(8, 10000, "Name", measure), 2500);
    EXPECT_EQ(loadrules::columnWidth(8, 10, "Name", measure), 1000);
    EXPECT_EQ(loadrules::columnWidth(8, 1, "LongHeader", measure), 1100);
    EXPECT_EQ(loadrules::columnWidth(7, 8, "When", measure), 1000);
    EXPECT_EQ(loadrules::columnWidth(7, 8, "DeliveryDate", measure), 1300);
    EXPECT_EQ(loadrules::columnWidth(3, 4, "Id", measure), 300);

    EXPECT_EQ(loadrules::pageRows(7155), 29); // 28.81
    EXPECT_EQ(loadrules::pageRows(600), 2);   // 1.5 -> 2
    EXPECT_EQ(loadrules::pageRows(840), 2);   // 2.5 -> 2
    EXPECT_EQ(loadrules::pageRows(0), 1);
    EXPECT_TRUE(loadrules::isPaged(10000, 33));
    EXPECT_FALSE(loadrules::isPaged(10000, 32));
    EXPECT_FALSE(loadrules::isPaged(9999, 33));

    EXPECT_EQ(loadrules::statusLine("00:00:00", 3, 2),
              QStringLiteral("Tiempo Total de Carga: {100:00:00}     Nº Registros: {23}     Columnas: {32}"));
    EXPECT_EQ(loadrules::statusLine("00:00:01", 1234567, 2).section("{2", 1).section('}', 0, 0),
              QStringLiteral("1.234.567"));
    EXPECT_EQ(loadrules::loadTime(3723000), QStringLiteral("01:02:03"));
    EXPECT_EQ(loadrules::loadTime(86400000 + 5000), QStringLiteral("00:00:05"));
}

TEST(PageLayout, FrameAndSplitter)
{
    const pagelayout::Frame f = pagelayout::frame(16380, 11130, 3240, false);
    EXPECT_EQ(f.exitLeft, 15525);
    EXPECT_EQ(f.autoSizeLeft, 12140);
    EXPECT_EQ(f.gridWidth, 16380);
    EXPECT_EQ(pagelayout::frame(16380, 8000, 5000, false).splitterTop, 4580);
    EXPECT_EQ(pagelayout::frame(16380, 5000, 5000, false).splitterTop, 2600);
    EXPECT_EQ(pagelayout::frame(16380, 11130, 5000, false).splitterTop, 5000);
    const pagelayout::Frame small = pagelayout::frame(100, 3000, 3240, true);
    EXPECT_EQ(small.gridHeight, 0);
    EXPECT_EQ(small.elevatorHeight, 0);
    EXPECT_EQ(small.sqlWidth, 0);
    EXPECT_EQ(small.gridWidth, 0);
    const pagelayout::Frame paged = pagelayout::frame(16380, 11130, 3240, true);
    EXPECT_EQ(paged.elevatorLeft, 16380 - 255);
    EXPECT_EQ(paged.elevatorHeight, paged.gridHeight - 255);

    EXPECT_EQ(pagelayout::dragSplitter(3240, -1000, 11130), 2600);
    EXPECT_EQ(pagelayout::dragSplitter(3240, 9000, 11130), 11130 - 345 - 3000 - 75);
    EXPECT_EQ(pagelayout::dragSplitter(3240, 100, 11130), 3340);
}

TEST(PageLayout, ConnectionPanel)
{
    const auto p0 = pagelayout::panel(0, 2);
    EXPECT_EQ((std::vector<int>{p0.server.left, p0.database.left, p0.user.left, p0.password.left}),
              (std::vector<int>{2700, 4830, 9090, 10920}));
    EXPECT_EQ(p0.driverIndex, 0);
    EXPECT_FALSE(p0.dsn.visible);
    EXPECT_TRUE(p0.compactEnabled);

    const auto p1 = pagelayout::panel(1, 0);
    EXPECT_TRUE(p1.accessProvider);
    EXPECT_EQ(p1.driverIndex, 1);
    EXPECT_FALSE(p1.server.visible);
    EXPECT_TRUE(p1.clearServer && p1.clearUser);
    EXPECT_EQ(p1.accessPicker.left, 9060);
    EXPECT_EQ(p1.password.left, 9375);

    const auto p3 = pagelayout::panel(3, -1);
    EXPECT_EQ(p3.driverIndex, 1);
    EXPECT_TRUE(p3.odbc && p3.driverEnabled && p3.dsn.visible);
    EXPECT_FALSE(p3.compactEnabled || p3.database.visible || p3.password.visible || p3.visibleCheck.visible);

    const auto p32 = pagelayout::panel(3, 2);
    EXPECT_EQ((std::vector<int>{p32.database.left, p32.user.left, p32.password.left}),
              (std::vector<int>{5115, 9375, 11205}));
    EXPECT_FALSE(pagelayout::panel(-1, 0).laidOut);
}

class ScriptedUi : public validation::Ui {
public:
    bool notBlank(validation::Field f, const QString& d) override
    {
        const QString value = f == validation::Field::Server     ? panel.server
                              : f == validation::Field::Database ? panel.database
                              : f == validation::Field::User     ? panel.user
                              : f == validation::Field::Password ? panel.password
                              : f == validation::Field::Sql      ? panel.sql
                                                                 : QString();
        if (!value.isEmpty())
            return true;
        shown << d + " no puede estar en blanco";
        return false;
    }
    void reject(const QString& m) override { shown << m; }
    bool ask(const QString& q) override
    {
        shown << q.section('\r', 0, 0);
        return yes;
    }
    bool fileExists(const QString& path) override { return QFile::exists(path); }
    validation::Panel panel;
    QStringList shown;
    bool yes = true;
};

TEST(Validation, PanelRules)
{
    QTemporaryDir dir;
    const QString dat = dir.filePath("d.dat");
    const QString mdb = dir.filePath("a.mdb");
    for (const QString& f : {dat, mdb}) {
        QFile file(f);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    ScriptedUi ui;
    validation::Accepted accepted;
    auto run = [&](validation::Panel p, bool sql) {
        ui.panel = p;
        ui.shown.clear();
        return validation::ValidateAll(p, sql, accepted, ui);
    };
    EXPECT_FALSE(run({0, 0, "s", "C:/X.MDB", "u", "p", "x"}, true));
    EXPECT_EQ(ui.shown, QStringList{"Con una conexión SQL Server la caja de texto de la base de datos no puede "
                                    "contener una ruta a un fichero con extensión .mdb"});
    EXPECT_FALSE(run({1, 1, "", "C:\\a.mdb", "", "", "x"}, true));
    EXPECT_EQ(ui.shown, QStringList{"Con una conexión Access la caja de texto de la base de datos debe contener la "
                                    "ruta completa a un fichero con extensión .mdb"});
    EXPECT_TRUE(run({1, 1, "", mdb, "", "", "x"}, true));
    EXPECT_TRUE(ui.shown.isEmpty());
    EXPECT_TRUE(run({1, 1, "", dat, "", "", "x"}, true));
    EXPECT_EQ(ui.shown, QStringList{"Con una conexión Access se espera la ruta completa a un fichero con extensión "
                                    ".mdb en la caja de texto de la base de datos."});
    EXPECT_TRUE(run({1, 1, "", dat, "", "", "x"}, true));
    EXPECT_TRUE(ui.shown.isEmpty()) << "asked once per page";
    EXPECT_FALSE(run({1, 1, "", dir.filePath("none.mdb"), "", "", "x"}, true));
    EXPECT_EQ(ui.shown, QStringList{"No se encuentra el fichero de base de datos especificado."});
    EXPECT_FALSE(run({0, 0, "s", "d", "INTEGRATED", "", ""}, false));
    EXPECT_EQ(ui.shown, QStringList{"Con una conexión SQL Server la contraseña no puede estar en blanco"});
    EXPECT_FALSE(run({3, 2, "s", "d", "u", "", ""}, false));
    EXPECT_EQ(ui.shown, QStringList{"Con una conexión Oracle la contraseña no puede estar en blanco"});
    EXPECT_TRUE(run({3, 1, "dsn", "", "", "", ""}, false));
    EXPECT_FALSE(run({0, 0, "s", "d", "u", "p", ""}, true));
    EXPECT_EQ(ui.shown, QStringList{"El área de consulta SQL no puede estar en blanco"});
}

} // namespace
