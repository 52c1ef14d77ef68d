// Start-up of the services object: the framework settings file, the settings
// file members, the structure cache, the query object and the server link.
#include "ServicesTestSupport.h"

#include "core/ProfileFile.h"
#include "services/HostWindow.h"
#include "services/OutsideComponents.h"

#include <QFile>

using namespace svctest;

namespace {

class StartupTest : public ServicesTest {
protected:
    void writeIni(const QString& text)
    {
        QFile f(iniPath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text.toUtf8());
    }
    QStringList statementsLike(const QString& start) const
    {
        QStringList out;
        for (const QString& s : rec->statements())
            if (s.startsWith(start))
                out << s;
        return out;
    }
};

TEST_F(StartupTest, WithoutSettingsFileTheDefaultsHold)
{
    EXPECT_TRUE(start());
    EXPECT_EQ(svc->Language(), Variant(QStringLiteral("Original")));
    EXPECT_EQ(svc->FormatoMoneda, "###,###,##0.00");
    EXPECT_EQ(svc->DigitosCuenta, 9);
    EXPECT_EQ(svc->ImprimirRecibos, 0);
    EXPECT_EQ(svc->ReinvoicingDate, "  /  /    ");
    EXPECT_EQ(svc->NombreIni, "Dovrin.ini");
    EXPECT_EQ(svc->TrayectoriaLocal, dir.path());
    EXPECT_EQ(data->Parent(), svc.get());
    EXPECT_TRUE(rec->statements().isEmpty()) << "no server configured: nothing is queried";
    EXPECT_TRUE(reports.empty());
    EXPECT_FALSE(QFile::exists(iniPath())) << "start-up writes nothing";
}

TEST_F(StartupTest, SettingsFileValuesAreRead)
{
    writeIni(QStringLiteral("[Multilenguaje]\nIdioma=Language2\n[FormatoMoneda]\nNumeroDecimales=3\n"
                            "[CuentasContables]\nNumeroDigitos=10\n[Recibos]\nImprimirRecibo=1\n"));
    EXPECT_TRUE(start());
    EXPECT_EQ(svc->Language(), Variant(QStringLiteral("Language2")));
    EXPECT_EQ(svc->FormatoMoneda, "###,###,##0.000");
    EXPECT_EQ(svc->DigitosCuenta, 10);
    EXPECT_EQ(svc->ImprimirRecibos, 1);

    for (auto [decimals, pattern] : {std::pair<const char*, const char*>{"0", "###,###,##0"},
                                     {"2", "###,###,##0.00"},
                                     {"2,5", "###,###,##0.00"}}) {
        writeIni(QStringLiteral("[FormatoMoneda]\nNumeroDecimales=") + QString::fromUtf8(decimals) + "\n");
        EXPECT_TRUE(start());
        EXPECT_EQ(svc->FormatoMoneda, QString::fromUtf8(pattern)) << decimals;
    }
}

TEST_F(StartupTest, UnreadableValuesAndMissingFolderAreReportedAndFail)
{
    auto fresh = [this] {
        svc = std::make_shared<clsTablas>();
        reports.clear();
        svc->setMessageHooks([](const QString&, int, const QString&) { return 1; },
                             [this](const QString& p, const QString& c, int t, const QString& ti) {
                                 reports.push_back({p, c, t, ti});
                             });
    };
    fresh();
    EXPECT_FALSE(svc->Iniciar(nullptr, data, nullptr, QString()));
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].procedure, "Función Iniciar");
    EXPECT_EQ(reports[0].component, "Holtane.clsTablas ");
    EXPECT_EQ(reports[0].type, 16);
    EXPECT_EQ(reports[0].title, "Error");
    EXPECT_TRUE(svc->FormatoMoneda.isEmpty());
    EXPECT_EQ(svc->Language(), Variant(QString()));

    for (const char* bad : {"[FormatoMoneda]\nNumeroDecimales=dos\n", "[FormatoMoneda]\nNumeroDecimales=-1\n",
                            "[CuentasContables]\nNumeroDigitos=nueve\n", "[Recibos]\nImprimirRecibo=99999\n"}) {
        fresh();
        writeIni(QString::fromUtf8(bad));
        EXPECT_FALSE(start()) << bad;
        EXPECT_EQ(reports.size(), 1u) << bad;
    }
}

TEST_F(StartupTest, FailureWithoutMessageObjectStillReachesTheUser)
{
    clsTablas bare;
    EXPECT_FALSE(bare.Iniciar(nullptr, nullptr, nullptr, QString()));
    ASSERT_EQ(dialogs->calls.size(), 1u);
    EXPECT_EQ(dialogs->calls[0].style, 16);
    EXPECT_TRUE(dialogs->calls[0].prompt.contains("Función Iniciar"));
}

TEST_F(StartupTest, ExitRequestMakesStartUpAnswerFalse)
{
    svc->bSalir = true;
    EXPECT_FALSE(start());
    EXPECT_TRUE(reports.empty());
}

TEST_F(StartupTest, SettingsFileNameCanBeChosen)
{
    QFile f(dir.path() + "/Otro.ini");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[Multilenguaje]\nIdioma=Language1\n");
    f.close();
    svc->NombreIni = QStringLiteral("Otro.ini");
    EXPECT_TRUE(start());
    EXPECT_EQ(svc->NombreIni, "Otro.ini");
    EXPECT_EQ(svc->Language(), Variant(QStringLiteral("Language1")));
    svc->NombreIni.clear();
    EXPECT_TRUE(start());
    EXPECT_EQ(svc->NombreIni, "Dovrin.ini");
}

TEST_F(StartupTest, SettingsFileKeysReadAndWrite)
{
    const QString file = dir.path() + "/Velmora.ini";
    EXPECT_TRUE(clsTablas::GuardarIni(file, "Connection", "Server", "srv;1"));
    EXPECT_TRUE(QFile::exists(file));
    EXPECT_EQ(clsTablas::LeerIni(file, "connection", "SERVER", "x"), "srv;1");
    EXPECT_TRUE(clsTablas::GuardarIni(file, "Connection", "Empty", ""));
    EXPECT_EQ(clsTablas::LeerIni(file, "Connection", "Empty", "def"), "def");
    EXPECT_EQ(clsTablas::LeerIni(file, "Connection", "Empty"), "");
    EXPECT_EQ(clsTablas::LeerIni(file, "Connection", "Missing", Variant(std::int16_t(9))), "9");
    EXPECT_EQ(clsTablas::LeerIni(dir.path() + "/none.ini", "A", "B", "d"), "d");
}

TEST_F(StartupTest, ReleaseAnswersFalseAndDropsWhatItHolds)
{
    ASSERT_TRUE(start());
    EXPECT_FALSE(svc->Terminar());
    EXPECT_EQ(svc->DataObject(), nullptr);
    EXPECT_EQ(data->Parent(), nullptr) << "the data-access object no longer points at a released owner";
}

// --- structure cache

TEST_F(StartupTest, StructureIsReadOncePerConnectionAndTable)
{
    ASSERT_TRUE(start());
    const QString read = QStringLiteral("SELECT * FROM [Clientes] WHERE 1 = 2");
    rec->answerRows(read, {"Codigo", "Nombre"}, {});
    auto count = [&] { return rec->statements().count(read); };

    const Variant first = svc->ObtenerEstructuraTabla("Ejercicio", "Clientes");
    ASSERT_TRUE(first.isObject());
    EXPECT_EQ(first.as<Collection>()->Count(), 2);
    EXPECT_EQ(svc->ObtenerEstructuraTabla("Ejercicio", "Clientes"), first);
    EXPECT_EQ(count(), 1);

    // Another database on the same shared data-access object has its own entry.
    data->setBaseDatos(QStringLiteral("other"));
    const Variant second = svc->ObtenerEstructuraTabla("Ejercicio", "Clientes");
    EXPECT_EQ(count(), 2);
    EXPECT_NE(second, first);
    data->setServidor(QStringLiteral("srv2"));
    svc->ObtenerEstructuraTabla("Ejercicio", "Clientes");
    EXPECT_EQ(count(), 3);

    data->setServidor(QStringLiteral("srv"));
    data->setBaseDatos(QStringLiteral("work"));
    EXPECT_EQ(svc->ObtenerEstructuraTabla("Ejercicio", "Clientes"), first);
    EXPECT_EQ(count(), 3);

    svc->InicializarTablas();
    svc->ObtenerEstructuraTabla("Ejercicio", "Clientes");
    EXPECT_EQ(count(), 4);
    EXPECT_TRUE(reports.empty());
}

TEST_F(StartupTest, FailedStructureReadIsReportedAndNotKept)
{
    ASSERT_TRUE(start());
    const QString read = QStringLiteral("SELECT * FROM [Nada] WHERE 1 = 2");
    rec->answerError(read, -2147217865, "Invalid object name 'Nada'.");
    EXPECT_TRUE(svc->ObtenerEstructuraTabla("Ejercicio", "Nada").isEmpty());
    ASSERT_EQ(reportTexts(), QStringList{"Función ObtenerEstructuraTabla"});
    svc->ObtenerEstructuraTabla("Ejercicio", "Nada");
    EXPECT_EQ(rec->statements().count(read), 2);
}

class Host : public Object, public QueryObjectHost {
public:
    QString typeName() const override { return QStringLiteral("frmMain"); }
    std::shared_ptr<clsDO> oConsulta() override { return query; }
    std::shared_ptr<clsDO> query;
};

TEST_F(StartupTest, WithoutItsOwnDataObjectTheHostsIsUsed)
{
    auto host = std::make_shared<Host>();
    host->query = data;
    ASSERT_TRUE(svc->Iniciar(host, nullptr, nullptr, dir.path()));
    rec->answerRows(QStringLiteral("SELECT * FROM [T] WHERE 1 = 2"), {"A"}, {});
    EXPECT_TRUE(svc->ObtenerEstructuraTabla("Ejercicio", "T").isObject());

    ASSERT_TRUE(svc->Iniciar(nullptr, nullptr, nullptr, dir.path()));
    EXPECT_TRUE(svc->ObtenerEstructuraTabla("Ejercicio", "T").isEmpty());
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_TRUE(reports[0].procedure.startsWith("Función GetObjConsulta "));
}

// --- server link

class ServerLinkTest : public StartupTest {
protected:
    void configure(const QString& erp, const QString& invoicing = QStringLiteral("FACT"))
    {
        ProfileFile::write(iniPath(), "BaseDatos", "ServidorVusk", erp);
        ProfileFile::write(iniPath(), "BaseDatos", "Servidor", invoicing);
        ProfileFile::write(iniPath(), "BaseDatos", "UsuarioVusk", "sa");
        svc->TrayectoriaLocal = dir.path();
        svc->NombreIni = QStringLiteral("Dovrin.ini");
        svc->GuardarPassword(iniPath(), "BaseDatos", "ContraseñaVusk", "Clave1");
        // A server where nothing is linked yet answers with an empty list.
        rec->answerRegex("^SELECT srvname FROM sysservers", db::RecordingBackend::Answer::table({"srvname"}, {}));
    }
    static QString listFor(const QString& prefix)
    {
        return "select a.server ServerA, b.server ServerB,a.username,a.password from (SELECT DISTINCT "
               "Server,username,password FROM " +
               prefix + "Databases) A, (SELECT DISTINCT Server FROM " + prefix +
               "Databases) b Where a.server <> b.server";
    }
    static QString test(const QString& server) { return "SELECT srvname FROM sysservers where srvname ='" + server + "'"; }
    static QString link(const QString& server) { return "EXEC sp_addlinkedserver'" + server + "', N'SQL Server'"; }
    static std::vector<std::vector<Variant>> pairs(const QStringList& servers)
    {
        std::vector<std::vector<Variant>> rows;
        for (const QString& a : servers)
            for (const QString& b : servers)
                if (a != b)
                    rows.push_back({Variant(a), Variant(b), Variant("u" + a), Variant("p" + a)});
        return rows;
    }
};

TEST_F(ServerLinkTest, NoServerConfiguredQueriesNothing)
{
    ProfileFile::write(iniPath(), "BaseDatos", "ServidorVusk", "");
    EXPECT_TRUE(start());
    EXPECT_TRUE(rec->statements().isEmpty());
    EXPECT_EQ(svc->KandrelServer(), "ServerDefault");
}

TEST_F(ServerLinkTest, OneServerGivesNoPairsAndNoStatement)
{
    configure("ERP");
    const QString list = listFor("[ERP].kandrel.dbo.");
    rec->answerRows(list, {"ServerA", "ServerB", "username", "password"}, {});
    EXPECT_TRUE(start());
    EXPECT_EQ(rec->statements(), QStringList{list});
    ASSERT_EQ(rec->connectionStrings().size(), 1);
    EXPECT_EQ(rec->connectionStrings()[0], "driver={SQL Server};server=tcp:ERP;uid=sa;pwd=Clave1;database=kandrel");
}

TEST_F(ServerLinkTest, TwoServersAreLinkedBothWays)
{
    configure("ERP", "ERP");
    const QString list = listFor("kandrel.dbo.");
    rec->answerRows(list, {"ServerA", "ServerB", "username", "password"}, pairs({"S1", "S2"}));
    EXPECT_TRUE(start());
    EXPECT_EQ(rec->statements(), (QStringList{list, test("S2"), link("S2"), test("S1"), link("S1")}));
    const QStringList opens = rec->connectionStrings();
    ASSERT_EQ(opens.size(), 5);
    EXPECT_EQ(opens[1], "driver={SQL Server};server=tcp:S1;uid=uS1;pwd=pS1;database=master");
    EXPECT_EQ(opens[2], opens[1]);
    EXPECT_EQ(opens[4], "driver={SQL Server};server=tcp:S2;uid=uS2;pwd=pS2;database=master");
}

TEST_F(ServerLinkTest, ThreeServersSkipPairsAlreadyLinked)
{
    configure("[ERP]");
    const QString list = listFor("[ERP].kandrel.dbo.");
    rec->answerRows(list, {"ServerA", "ServerB", "username", "password"}, pairs({"A", "B", "C"}));
    rec->answerRows(test("B"), {"srvname"}, {{Variant("B")}});
    EXPECT_TRUE(start());
    EXPECT_EQ(rec->statements(), (QStringList{list, test("B"), test("C"), link("C"), test("A"), link("A"),
                                              test("C"), link("C"), test("A"), link("A"), test("B")}));
}

TEST_F(ServerLinkTest, UnlinkModeOnlyTests)
{
    configure("ERP");
    const QString list = listFor("[ERP].kandrel.dbo.");
    rec->answerRows(list, {"ServerA", "ServerB", "username", "password"}, pairs({"A", "B"}));
    ASSERT_TRUE(start());
    EXPECT_EQ(rec->statements().filter("sp_addlinkedserver").size(), 2);
    rec->clearLog();
    EXPECT_TRUE(svc->EnlazarServidores("UnLink"));
    EXPECT_EQ(rec->statements(), (QStringList{list, test("B"), test("A")}));
}

TEST_F(ServerLinkTest, ServerNamesFromTheDatabaseHaveTheirQuotesDoubled)
{
    configure("ERP");
    const QString list = listFor("[ERP].kandrel.dbo.");
    rec->answerRows(list, {"ServerA", "ServerB", "username", "password"},
                    {{Variant("A"), Variant("O'Brien"), Variant("u"), Variant("p")}});
    EXPECT_TRUE(start());
    EXPECT_EQ(rec->statements(), (QStringList{list, test("O''Brien"), link("O''Brien")}));
}

TEST_F(ServerLinkTest, FailingServerStopsTheStartWithAReport)
{
    configure("ERP");
    const QString list = listFor("[ERP].kandrel.dbo.");
    rec->answerRows(list, {"ServerA", "ServerB", "username", "password"}, pairs({"A", "B"}));
    rec->answerError(link("B"), -2147217900, "denied");
    EXPECT_FALSE(start());
    EXPECT_EQ(reportTexts(), QStringList{"Función Iniciar"});
    EXPECT_EQ(rec->statements(), (QStringList{list, test("B"), link("B")}));
}

TEST_F(ServerLinkTest, PrefixAndServerNames)
{
    configure("SRV2", "SRV1");
    EXPECT_EQ(svc->GetKandrelServerForSQL(), "[SRV2].kandrel.dbo.");
    svc->setKandrelServer("[SRV2]");
    EXPECT_EQ(svc->GetKandrelServerForSQL(), "[SRV2].kandrel.dbo.");
    svc->setKandrelServer("SRV1");
    EXPECT_EQ(svc->GetKandrelServerForSQL(), "kandrel.dbo.");
    svc->setMoravinServer("other");
    svc->setKandrelServer("ServerDefault");
    EXPECT_EQ(svc->KandrelServer(), "SRV2") << "the settings file is read again";
    EXPECT_EQ(svc->MoravinServer(), "SRV1");
}

TEST_F(ServerLinkTest, ScrambledPasswordReadsBackAndIsNotStoredPlain)
{
    for (const QString& plain : {QStringLiteral("Clave1"), QStringLiteral("O'Neil; =x"), QStringLiteral("EEOO bb"),
                                 QStringLiteral("ñandú€"), QString()}) {
        EXPECT_EQ(svc->GuardarPassword(iniPath(), "BaseDatos", "ContraseñaVusk", plain), QString());
        const QString stored = ProfileFile::read(iniPath(), "BaseDatos", "ContraseñaVusk");
        if (plain.contains(QLatin1Char('C'))) {
            EXPECT_NE(stored, plain);
        }
        EXPECT_FALSE(stored.contains(QLatin1Char('\n')));
        EXPECT_EQ(svc->LeerPassword(iniPath(), "BaseDatos", "ContraseñaVusk"), plain) << plain.toStdString();
    }
}

TEST_F(ServerLinkTest, PasswordWithoutScramblingComponentFails)
{
    auto previous = OutsideComponents::install("Holtane.clsEncript", {});
    EXPECT_THROW(svc->LeerPassword(iniPath(), "BaseDatos", "ContraseñaVusk"), Error);
    OutsideComponents::install("Holtane.clsEncript", previous);
    EXPECT_NO_THROW(svc->LeerPassword(iniPath(), "BaseDatos", "ContraseñaVusk"));
}

} // namespace
