// Identifiers in the ERP database, tax rates, document crossing, historical
// data, the server clock, version texts and the outside components.
#include "ServicesTestSupport.h"

#include "core/ValueText.h"
#include "services/OutsideComponents.h"

#include <QLocale>

using namespace svctest;

namespace {

class EnterpriseTest : public ServicesTest {
protected:
    void SetUp() override
    {
        ServicesTest::SetUp();
        svc->setKandrelServer("ERP");
        svc->setMoravinServer("FACT");
        svc->EnterpriseID = 1;
    }
    const QString erp = "[ERP].kandrel.dbo.";
};

TEST_F(EnterpriseTest, RelationAndDatabaseIdentifiers)
{
    const QString sql = "SELECT CodeID FROM " + erp + "Relation WHERE Table1 = 'Clientes'";
    answerColumn(sql, "CodeID", {Variant(std::int32_t(42))});
    EXPECT_EQ((std::vector<int>{svc->GetRelationID("Clientes"), svc->GetRelationID("CLIENTES")}),
              (std::vector<int>{42, 42}));
    EXPECT_EQ(rec->statements(), QStringList{sql});
    EXPECT_EQ(svc->GetRelationID("Nada") + svc->GetRelationID("Nada"), 0);
    EXPECT_EQ(reportTexts(), (QStringList{"Función GetRelationID", "Función GetRelationID"}));
    EXPECT_EQ(rec->statements().size(), 3) << "a failure is not cached";
    svc->GetRelationID("O'Neil");
    EXPECT_EQ(rec->statements().last(), "SELECT CodeID FROM " + erp + "Relation WHERE Table1 = 'O''Neil'");
    reports.clear();
    answerColumn("SELECT CodeID FROM " + erp + "DataBases WHERE Name = 'Fact2024'", "CodeID", {Variant(std::int16_t(3))});
    EXPECT_EQ(svc->GetPhisicalDataBaseID("Fact2024"), 3);
    svc->GetPhisicalDataBaseID("Fact2024", 2);
    EXPECT_EQ(rec->statements().last(), "SELECT CodeID FROM " + erp + "DataBases WHERE Name = 'Fact2024' AND LogicalDataBaseID = 2");
    EXPECT_TRUE(reports.empty()) << "no result object: 0 without a report";

    const QString list = "SELECT CodeID FROM " + erp + "DataBases WHERE Name = 'Fact' OR HistoricalDataBaseName = 'Fact'";
    answerColumn(list, "CodeID", {Variant(std::int16_t(3)), Variant(std::int16_t(7))});
    EXPECT_EQ((QStringList{svc->GetPhisicalDataBaseIDs("Fact"), svc->GetPhisicalDataBaseIDs("fact"),
                           svc->GetPhisicalDataBaseIDs("Otra"), svc->GetPhisicalDataBaseIDs("Otra")}),
              (QStringList{"3,7", "3,7", "", ""}));
    EXPECT_EQ(rec->statements().count(list), 1);
    EXPECT_EQ(rec->statements().filter("'Otra'").size(), 2) << "an empty list is not cached";
    reports.clear();
    auto target = [&](int id) {
        return " SELECT D.CodeID  FROM " + erp + "DataBases D  INNER JOIN " + erp + "Relation R ON "
               "( D.LogicalDataBaseID = R.DataBase2ID )  WHERE R.CodeID = " + QString::number(id);
    };
    answerColumn(target(1), "CodeID", {Variant(std::int16_t(9))});
    answerColumn(target(2), "CodeID", {Variant(std::int16_t(3)), Variant(std::int16_t(4))});
    EXPECT_EQ((std::vector<int>{svc->GetPhisicalTargetDataBaseID(1), svc->GetPhisicalTargetDataBaseID(2),
                                svc->GetPhisicalTargetDataBaseID(3)}),
              (std::vector<int>{9, 0, 0}));
    EXPECT_EQ(reportTexts(), (QStringList{"Existe mas de una base de datos de destino", "Función GetPhisicalTargetDataBaseID"}));
}

// --- tax rates, server clock, historical data

TEST_F(EnterpriseTest, TaxRatesWhateverTheLocaleServerClockAndHistoricalData)
{
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const QDateTime date(QDate(2024, 3, 5), QTime(0, 0), Qt::UTC);
    const QString sql = "SELECT VAT FROM VatPercent WHERE CODEID = 'G''N' AND CONVERT(smalldatetime,'05/03/2024',103) "
                        "BETWEEN DateFrom And DateTo ORDER BY VAT ";
    rec->answerRows(sql, {"VAT"}, {{Variant(Currency::fromDouble(10))}, {Variant(Currency::fromDouble(21))}});
    EXPECT_EQ(svc->GetVATPercent(data, "G'N", date), Currency::fromDouble(10));
    EXPECT_EQ(rec->statements(), QStringList{sql});
    QLocale::setDefault(saved);
    EXPECT_EQ(svc->GetVATPercent(data, "X", date), Currency());
    EXPECT_EQ(reportTexts(), QStringList{"Función GetVATPercent"});
    reports.clear();
    rec->clearLog();
    const QString clock = "SELECT TOP 1 GetDate() AS ServerDateTime FROM SORVANE..Enterprise ";
    answerColumn(clock, "ServerDateTime", {Variant(QDateTime(QDate(2024, 2, 2), QTime(14, 3, 5), Qt::UTC))});
    EXPECT_EQ(svc->GetServerTime(), "20240202140305");
    svc->EnterpriseID = 4;
    const QString program =
        "SELECT * FROM SORVANE..ProgramEnterprise WHERE ProgramID = 'kpMoravin' AND EnterpriseID = 4";
    rec->answerRows(program, {"ProgramID", "EnterpriseID", "HistoricalServerName", "HistoricalDataBase"},
                    {{Variant("kpMoravin"), Variant(std::int32_t(4)), Variant("HIST"), Variant("Hist2020")}});
    std::int32_t enterprise = 0;
    EXPECT_EQ(svc->HistoricServer(enterprise), "HIST");
    EXPECT_EQ(enterprise, 4) << "the caller's variable receives the current enterprise";
    const QString breakDay = "SELECT HistoricalBreakDay FROM SORVANE..ProgramEnterprise WHERE EnterpriseID = 1";
    answerColumn(breakDay, "HistoricalBreakDay", {Variant("15")});
    EXPECT_EQ((QStringList{svc->HistoricDataBase(), svc->HistoricalBreakDay(), svc->HistoricalBreakDay()}),
              (QStringList{"Hist2020", "15", "15"}));
    EXPECT_EQ(rec->statements(), (QStringList{clock, program, program, breakDay}));
    svc->Terminar();
    EXPECT_EQ(svc->GetServerTime(), QString());
    EXPECT_EQ(reportTexts(), QStringList{"Función GetServerTime"});
}

// --- document crossing

class CrossingTest : public EnterpriseTest {
protected:
    static QString search(const QString& db, const QString& type, const QString& tail = QString())
    {
        return "SELECT * FROM " + db + "..CrossingDocuments WHERE idDocumentType " + type +
               " AND idEnterpriseID = 1 AND SerieOrExternalNumber = 'A' AND InternalNumber = 15" + tail;
    }
    static QString detail(const QString& db)
    {
        return " AND idCrossingDocument IN (SELECT idCrossingDocument FROM " + db + "CrossingDetail)";
    }
    // The five values of a crossing result, the numbers checked to be 32-bit.
    static QString result(const Variant& v)
    {
        QStringList out;
        for (int i = 0; i <= 4; ++i) {
            const Variant& item = v.array()->at(i);
            EXPECT_EQ(int(item.type()), i == 2 ? 8 : 3) << i;
            out << ValueText::toText(item);
        }
        return out.join(QLatin1Char('|'));
    }
};

TEST_F(CrossingTest, EachDocumentSearchesItsCodeThenItsGroup)
{
    // A purchase without a crossing enterprise stays in its own database.
    const QString own = "SELECT ISNULL(CrossingEnterpriseID, 1) AS CrossingEnterpriseID FROM PurInvoice WHERE "
                        "InvoiceNumber = 15";
    answerColumn(own, "CrossingEnterpriseID", {Variant(std::int32_t(1))});
    rec->answerRows(search("work", "IN (1,2,6)"), {"idCrossing", "idCrossingDocument"},
                    {{Variant(std::int32_t(8)), Variant(std::int32_t(80))}});
    const struct { const char *type, *kind, *result; } cases[] = {
        {"Invoice", "Discount", "6|1|work|8|80"}, {"Albaran", "", "0|0||0|0"}, {"PurInvoice", "", "7|1|work|0|0"}};
    for (const auto& c : cases)
        EXPECT_EQ(result(svc->GetCrossingData(c.type, "A", 15, 1, c.kind)), c.result) << c.type;
}

TEST_F(CrossingTest, NetInvoiceFallsBackToTheBarterEnterprise)
{
    rec->answerRows("SELECT CustomerCode FROM Invoice WHERE SerieCode + '#' + CONVERT(varchar, Number) = 'A#15'",
                    {"CustomerCode"}, {{Variant(std::int32_t(430))}});
    rec->answerRows("SELECT EnterpriseID FROM BarterDirectCredits WHERE CustomerID = 430", {"EnterpriseID"},
                    {{Variant(std::int32_t(2))}});
    rec->answerRows("SELECT * FROM Sorvane..ProgramEnterprise WHERE ProgramID = 'kpMoravin' AND EnterpriseID = 2",
                    {"ProgramID", "EnterpriseID", "DataBaseName"},
                    {{Variant("kpMoravin"), Variant(std::int32_t(2)), Variant(" Fact2 ")}});
    const QString barter = search("Fact2", "= 1", detail(""));
    rec->answerRows(barter, {"idCrossing", "idCrossingDocument"}, {{Variant(std::int32_t(5)), Variant(std::int32_t(50))}});
    EXPECT_EQ(result(svc->GetCrossingData("Invoice", "A", 15, 1, "Net")), "1|2|Fact2|5|50");
    EXPECT_EQ(rec->statements().last(), barter);
}

// --- small members

TEST(SmallMembers, ShortDocumentNumbers)
{
    for (auto [number, shortened] : {std::pair{"NA2024/000015", "NAC2400015"}, {"FA-RV-2024/000123", "FAV2400123"},
                                     {"FA2024-000123", "FA2024-000123"}, {"A/2024/1", "A/2024/1"}, {"2024/7", "247"}})
        EXPECT_EQ(clsTablas::NumeroFacturaAbreviado(number), shortened) << number;
    EXPECT_THROW(clsTablas::NumeroFacturaAbreviado("24/7"), Error);
}

TEST(SmallMembers, VersionTexts)
{
    EXPECT_EQ(std::pair(clsTablas::ProgramVersion(), clsTablas::ShortProgramVersion()), std::pair(QString("3.0.0.14"), QString("3.0.0")));
    const struct { bool ok; int platform, major, minor; const char* name; } records[] = {
        {true, 0, 9, 9, "Win32s on Windows 3.1"}, {true, 1, 4, 0, "Windows 95"}, {true, 1, 4, 90, "Windows Me"},
        {true, 1, 4, 10, "Windows 98"}, {true, 2, 3, 51, "Windows NT 3.5"}, {true, 2, 4, 0, "Windows NT 4.0"},
        {true, 2, 5, 1, "Windows XP"}, {true, 2, 5, 3, "Windows NT"}, {true, 2, 6, 1, "Windows 7/Server 2008 R2"},
        {true, 2, 10, 0, "Windows NT"}, {true, 3, 6, 1, ""}, {false, 2, 5, 1, "Unable to identify your version of Windows."}};
    for (const auto& r : records)
        EXPECT_EQ(clsTablas::WindowsVersionName(r.ok, r.platform, r.major, r.minor), r.name) << r.platform << r.major << r.minor;
    // This system is none of the listed ones.
    EXPECT_EQ(clsTablas::GetWindowsVersion(), QString());
}

// --- the tray notifier, as a test installs it


// What the notifier instances of one test were sent, and what they answer.
struct NotifierLog {
    int made = 0;
    QStringList sent;
    Variant listened;
    int windows = 1;
    bool failWindows = false;
};

class FakeNotifier : public INotifier {
public:
    explicit FakeNotifier(NotifierLog& log) : log_(log) { ++log_.made; }
    QString typeName() const override { return QStringLiteral("iclsAviso"); }
    Variant addApplication(QString& pName, QString& pCaption1, QString& pCaption2, QString& pLogo, QString& pPathImages) override
    {
        log_.sent << QStringList{"addApplication", pName, pCaption1, pCaption2, pLogo, pPathImages}.join('|');
        return Variant(QStringLiteral("APP7"));
    }
    Variant removeApplication(QString& key) override
    {
        log_.sent << "removeApplication|" + key;
        return Variant(true);
    }
    Variant addWindow(QString& key, QString& pWindowName, ObjectPtr& pWindow, QString& pNamePict, std::int16_t& pObjectType,
                      std::int16_t& pCloseableItem, std::int16_t& pSensibleItem) override
    {
        if (log_.failWindows)
            raise(Error::ObjectRequired, QStringLiteral("Se requiere un objeto"));
        log_.sent << QStringList{"addWindow", key, pWindowName, pWindow ? "window" : "none", pNamePict,
                                 QString::number(pObjectType), QString::number(pCloseableItem), QString::number(pSensibleItem)}
                         .join('|');
        return Variant(QStringLiteral("W3"));
    }
    Variant RemoveWindow(QString& key, QString& itemKeyWin) override
    {
        log_.sent << "RemoveWindow|" + key + "|" + itemKeyWin;
        return Variant(itemKeyWin == "W3");
    }
    void addListenToChange(Variant& dato, QString& key) override
    {
        log_.sent << "addListenToChange|" + key;
        log_.listened = dato;
    }
    CollectionPtr getAppWindows(QString& key) override
    {
        log_.sent << "getAppWindows|" + key;
        auto windows = newCollection();
        for (int i = 0; i < log_.windows; ++i)
            windows->Add(Variant(QString::number(i)));
        auto application = newCollection();
        application->Add(Variant(windows), "Windows");
        auto applications = newCollection();
        applications->Add(Variant(application));
        return applications;
    }

private:
    NotifierLog& log_;
};

// Installs the notifier for one test and puts back what was there.
class InstalledNotifier {
public:
    explicit InstalledNotifier(NotifierLog& log)
        : previous_(OutsideComponents::install(kId, [&log] { return ObjectPtr(std::make_shared<FakeNotifier>(log)); }))
    {
    }
    ~InstalledNotifier() { OutsideComponents::install(kId, previous_); }
    void remove() { OutsideComponents::install(kId, {}); }

private:
    static inline const QString kId = QStringLiteral("Sarnow.iclsAviso");
    OutsideComponents::Factory previous_;
};


TEST_F(EnterpriseTest, NotifierBridgesWorkUnderTheKeyTheNotifierGaveAndDoNothingWithoutOne)
{
    NotifierLog log;
    InstalledNotifier notifier(log);
    QString name = "frmMain", pict = "main.ico", item = "W3", app = "Velmora", c1 = "Consultas", c2 = "SQL", logo = "logo",
            images = "/img";
    ObjectPtr window = newCollection();
    std::int16_t type = 2, closeable = 0, sensible = 1;
    Variant dato(QStringLiteral("cambios"));

    // No key yet: every window bridge answers empty or false and makes no notifier.
    EXPECT_EQ(svc->AddWindowToTaskManager(name, window, pict, type, closeable, sensible), QString());
    EXPECT_EQ((std::vector<bool>{svc->RemoveWindowToTaskManager(item), svc->addListenToChange(dato),
                                 svc->AreThereWindowsOpened(), svc->RemoveAppToTaskManager()}),
              std::vector<bool>(4, false));
    EXPECT_EQ(log.made, 0);

    svc->AddAppToTaskManager(app, c1, c2, logo, images);
    EXPECT_EQ(svc->KeyApplication(), "APP7");
    EXPECT_EQ(svc->AddWindowToTaskManager(name, window, pict, type, closeable, sensible), "W3");
    EXPECT_TRUE(svc->RemoveWindowToTaskManager(item));
    QString other = "W9";
    EXPECT_FALSE(svc->RemoveWindowToTaskManager(other));
    EXPECT_TRUE(svc->addListenToChange(dato));
    EXPECT_EQ(log.listened.toString(), "cambios");
    // Only the application's own window open is no window open.
    EXPECT_FALSE(svc->AreThereWindowsOpened());
    log.windows = 2;
    EXPECT_TRUE(svc->AreThereWindowsOpened());
    EXPECT_EQ(log.sent, (QStringList{"addApplication|Velmora|Consultas|SQL|logo|/img", "addWindow|APP7|frmMain|window|main.ico|2|0|1",
                                     "RemoveWindow|APP7|W3", "RemoveWindow|APP7|W9", "addListenToChange|APP7",
                                     "getAppWindows|APP7", "getAppWindows|APP7"}));

    // A failing notifier reaches the caller of a window bridge; leaving passes it over and keeps the key.
    log.failWindows = true;
    EXPECT_THROW(svc->AddWindowToTaskManager(name, window, pict, type, closeable, sensible), Error);
    notifier.remove();
    EXPECT_THROW(svc->AreThereWindowsOpened(), Error);
    EXPECT_FALSE(svc->RemoveAppToTaskManager());
    EXPECT_EQ(svc->KeyApplication(), "APP7");

    // Leaving empties the key; a second leave asks nothing.
    InstalledNotifier again(log);
    log.sent.clear();
    EXPECT_TRUE(svc->RemoveAppToTaskManager());
    EXPECT_EQ(svc->KeyApplication(), QString());
    EXPECT_FALSE(svc->RemoveAppToTaskManager());
    EXPECT_EQ(log.sent, QStringList{"removeApplication|APP7"});
}

// --- the log writer is not installed here

TEST_F(EnterpriseTest, ALogEntryMeantForTheUserIsShownWithoutALogWriter)
{
    EXPECT_FALSE(svc->InsertLog("clsDO", "Query", "fallo", 4));
    EXPECT_TRUE(reports.empty());
    EXPECT_FALSE(svc->InsertLog("clsDO", "Query", "visible", 4, true));
    EXPECT_EQ(reported(0), (QStringList{"Función Query\r\nvisible", "clsDO", "16", "Error"}));
}

} // namespace
