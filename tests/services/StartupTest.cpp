// Start-up of the services object: the framework settings file, the settings
// file members, the structure cache, the query object and the server link.
#include "ServicesTestSupport.h"

#include "core/ProfileFile.h"
#include "services/HostWindow.h"

#include <QFile>

using namespace svctest;

namespace {

class StartupTest : public ServicesTest {
protected:
    StartupTest() { startedInSetUp = false; }
    void writeIni(const QString& text)
    {
        QFile f(iniPath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text.toUtf8());
    }
    QByteArray iniBytes() const
    {
        QFile f(iniPath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QStringList members() const
    {
        return {svc->Language().toString(), svc->FormatoMoneda, QString::number(svc->DigitosCuenta),
                QString::number(svc->ImprimirRecibos)};
    }
};

TEST_F(StartupTest, SettingsFileValuesOrTheDefaults)
{
    EXPECT_TRUE(start());
    EXPECT_EQ(members(), (QStringList{"Original", "###,###,##0.00", "9", "0"}));
    EXPECT_EQ((QStringList{svc->ReinvoicingDate, svc->NombreIni}), (QStringList{"  /  /    ", "Dovrin.ini"}));
    EXPECT_FALSE(QFile::exists(iniPath())) << "start-up writes nothing";
    EXPECT_TRUE(svc->EnlazarServidores("Link")) << "without a server of its own there is nothing to link";
    EXPECT_TRUE(reports.empty());
    EXPECT_EQ(data->Parent(), svc.get());
    EXPECT_FALSE(svc->Terminar());
    EXPECT_EQ(data->Parent(), nullptr) << "the data-access object no longer points at a released owner";

    writeIni("[Multilenguaje]\nIdioma=Language2\n[FormatoMoneda]\nNumeroDecimales=3\n[CuentasContables]\n"
             "NumeroDigitos=10\n[Recibos]\nImprimirRecibo=1\n[BaseDatos]\nServidorVusk=\n");
    EXPECT_TRUE(start());
    EXPECT_EQ(members(), (QStringList{"Language2", "###,###,##0.000", "10", "1"}));
    EXPECT_TRUE(rec->statements().isEmpty()) << "no server, or an empty name: nothing is queried";

    ASSERT_TRUE(QFile::rename(iniPath(), dir.path() + "/Otro.ini"));
    svc->NombreIni = QStringLiteral("Otro.ini");
    EXPECT_TRUE(start());
    EXPECT_EQ(svc->Language(), Variant(QStringLiteral("Language2")));
}

TEST_F(StartupTest, FailuresAreReportedAndStopTheStartAndGuardarIniAnswersWhetherTheValueWasKept)
{
    EXPECT_FALSE(svc->Iniciar(nullptr, data, nullptr, QString()));
    EXPECT_EQ(reported(0), (QStringList{"Función Iniciar", "Holtane.clsTablas ", "16", "Error"}));
    EXPECT_TRUE(svc->FormatoMoneda.isEmpty());
    for (const char* bad : {"[FormatoMoneda]\nNumeroDecimales=dos\n", "[FormatoMoneda]\nNumeroDecimales=-1\n",
                            "[CuentasContables]\nNumeroDigitos=nueve\n", "[Recibos]\nImprimirRecibo=99999\n"}) {
        reports.clear();
        writeIni(QString::fromUtf8(bad));
        EXPECT_FALSE(start()) << bad;
        EXPECT_EQ(reportTexts(), QStringList{"Función Iniciar"}) << bad;
    }
    clsTablas bare; // no message object: the report still reaches the user
    EXPECT_FALSE(bare.Iniciar(nullptr, nullptr, nullptr, QString()));
    ASSERT_EQ(dialogs->calls.size(), 1u);
    EXPECT_TRUE(dialogs->calls[0].prompt.contains("Función Iniciar"));
    writeIni(QStringLiteral("[Multilenguaje]\nIdioma=Original\n"));
    const QByteArray before = iniBytes();
    EXPECT_TRUE(clsTablas::GuardarIni(iniPath(), "Recibos", "ImprimirRecibo", "1"));
    EXPECT_EQ(clsTablas::LeerIni(iniPath(), "Recibos", "ImprimirRecibo"), "1");
    const QByteArray written = iniBytes();
    EXPECT_NE(written, before);
    // A value with a line break would read back as another key: refused, file as it was.
    EXPECT_FALSE(clsTablas::GuardarIni(iniPath(), "Recibos", "ImprimirRecibo", "1\r\n[X]"));
    EXPECT_EQ(iniBytes(), written);
    // A read-only file stays as it is, even for a user whose rights would allow the write.
    ASSERT_TRUE(QFile::setPermissions(iniPath(), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    EXPECT_FALSE(clsTablas::GuardarIni(iniPath(), "Recibos", "ImprimirRecibo", "2"));
    EXPECT_EQ(svc->GuardarPassword(iniPath(), "BaseDatos", "ContraseñaVusk", "x"),
              "No se ha podido guardar la contraseña en el fichero de configuración.");
    EXPECT_EQ(iniBytes(), written);
}

// --- structure cache and query object

class Host : public Object, public QueryObjectHost {
public:
    QString typeName() const override { return QStringLiteral("frmMain"); }
    std::shared_ptr<clsDO> oConsulta() override { return query; }
    std::shared_ptr<clsDO> query;
};

TEST_F(StartupTest, StructureIsReadOncePerConnectionAndTableThroughItsOwnDataObjectOrTheHosts)
{
    ASSERT_TRUE(start());
    const QString read = QStringLiteral("SELECT * FROM [Clientes] WHERE 1 = 2");
    rec->answerRows(read, {"Codigo", "Nombre"}, {});
    auto structure = [&] { return svc->ObtenerEstructuraTabla("Ejercicio", "Clientes"); };
    const Variant first = structure();
    ASSERT_TRUE(first.isObject());
    EXPECT_EQ(structure(), first);
    EXPECT_EQ(rec->statements().count(read), 1);
    // Pages share one services object on other databases and servers.
    data->setBaseDatos(QStringLiteral("other"));
    EXPECT_NE(structure(), first);
    data->setServidor(QStringLiteral("srv2"));
    structure();
    EXPECT_EQ(rec->statements().count(read), 3);
    data->setServidor(QStringLiteral("srv"));
    data->setBaseDatos(QStringLiteral("work"));
    EXPECT_EQ(structure(), first);
    svc->InicializarTablas();
    structure();
    EXPECT_EQ(rec->statements().count(read), 4);

    const QString missing = QStringLiteral("SELECT * FROM [Nada] WHERE 1 = 2");
    rec->answerError(missing, -2147217865, "Invalid object name 'Nada'.");
    EXPECT_TRUE(svc->ObtenerEstructuraTabla("Ejercicio", "Nada").isEmpty());
    svc->ObtenerEstructuraTabla("Ejercicio", "Nada");
    EXPECT_EQ(rec->statements().count(missing), 2) << "a failed read is not kept";
    EXPECT_EQ(reportTexts(), (QStringList{"Función ObtenerEstructuraTabla", "Función ObtenerEstructuraTabla"}));

    // Without a data-access object of its own the host's is used.
    auto host = std::make_shared<Host>();
    host->query = data;
    ASSERT_TRUE(svc->Iniciar(host, nullptr, nullptr, dir.path()));
    rec->answerRows(QStringLiteral("SELECT * FROM [T] WHERE 1 = 2"), {"A"}, {});
    EXPECT_TRUE(svc->ObtenerEstructuraTabla("Ejercicio", "T").isObject());
    ASSERT_TRUE(svc->Iniciar(nullptr, nullptr, nullptr, dir.path()));
    EXPECT_TRUE(svc->ObtenerEstructuraTabla("Ejercicio", "T").isEmpty());
    ASSERT_EQ(reports.size(), 3);
    EXPECT_TRUE(reports[2][0].startsWith("Función GetObjConsulta "));
}


// --- server link

class ServerLinkTest : public StartupTest {
protected:
    void configure(const QString& erp, const QString& invoicing = QStringLiteral("FACT"))
    {
        writeIni("[BaseDatos]\nServidorVusk=" + erp + "\nServidor=" + invoicing + "\nUsuarioVusk=sa\n");
        svc->TrayectoriaLocal = dir.path();
        svc->NombreIni = QStringLiteral("Dovrin.ini");
        svc->GuardarPassword(iniPath(), "BaseDatos", "ContraseñaVusk", "Clave1");
        // A server where nothing is linked yet answers with an empty list.
        rec->answerRegex("^SELECT srvname FROM sysservers", db::RecordingBackend::Answer::table({"srvname"}, {}));
    }
    // The server list on the ERP server, answered with every ordered pair of the servers given.
    QString list(const QString& prefix, const QStringList& servers)
    {
        const QString sql = "select a.server ServerA, b.server ServerB,a.username,a.password from (SELECT DISTINCT "
                            "Server,username,password FROM " +
                            prefix + "Databases) A, (SELECT DISTINCT Server FROM " + prefix +
                            "Databases) b Where a.server <> b.server";
        std::vector<std::vector<Variant>> rows;
        for (const QString& a : servers)
            for (const QString& b : servers)
                if (a != b)
                    rows.push_back({Variant(a), Variant(b), Variant("u" + a), Variant("p" + a)});
        rec->answerRows(sql, {"ServerA", "ServerB", "username", "password"}, rows);
        return sql;
    }
    static QString test(const QString& server) { return "SELECT srvname FROM sysservers where srvname ='" + server + "'"; }
    static QString master(const QString& s)
    {
        return "driver={SQL Server};server=tcp:" + s + ";uid=u" + s + ";pwd=p" + s + ";database=master";
    }
    static QString link(const QString& server) { return "EXEC sp_addlinkedserver'" + server + "', N'SQL Server'"; }
};

TEST_F(ServerLinkTest, EveryPairOfListedServersIsLinkedOnceAndAFailureStopsTheStart)
{
    // The ERP and invoicing servers, the prefix of the list, the servers listed, one already linked, a refused
    // link, whether the start succeeds and the links made.
    const struct {
        const char *erp, *invoicing, *prefix; QStringList servers; QString linked, refused; bool started;
        QStringList links;
    } cases[] = {
        {"ERP", "FACT", "[ERP].kandrel.dbo.", {"ERP"}, {}, {}, true, {}},
        {"[ERP]", "FACT", "[ERP].kandrel.dbo.", {"A", "B", "O'C"}, "B", {}, true,
         {link("O''C"), link("A"), link("O''C"), link("A")}},
        {"ERP", "FACT", "[ERP].kandrel.dbo.", {"A", "B"}, {}, link("B"), false, {link("B")}},
        {"ERP", "ERP", "kandrel.dbo.", {"S1", "S2"}, {}, {}, true, {link("S2"), link("S1")}},
    };
    QString sql;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.servers.join(',').toStdString());
        freshBackend();
        reports.clear();
        configure(c.erp, c.invoicing);
        svc->setKandrelServer("ServerDefault"); // the settings file is read again
        sql = list(c.prefix, c.servers);
        if (!c.linked.isEmpty())
            rec->answerRows(test(c.linked), {"srvname"}, {{Variant(c.linked)}});
        if (!c.refused.isEmpty())
            rec->answerError(c.refused, -2147217900, "denied");
        EXPECT_EQ(start(), c.started);
        EXPECT_EQ(rec->statements().filter("sp_addlinkedserver"), c.links);
        EXPECT_EQ(reportTexts(), c.started ? QStringList() : QStringList{"Función Iniciar"});
    }
    EXPECT_EQ(rec->connectionStrings().value(1), master("S1"));
    // Unlinking only tests the pairs.
    EXPECT_EQ(sent([&] { EXPECT_TRUE(svc->EnlazarServidores("UnLink")); }), (QStringList{sql, test("S2"), test("S1")}));
}

TEST_F(ServerLinkTest, PrefixServerNamesAndTheScrambledPasswordThatReadsBackAndIsNotStoredPlain)
{
    configure("SRV2", "SRV1");
    QStringList prefixes{svc->GetKandrelServerForSQL()};
    svc->setKandrelServer("[SRV2]");
    prefixes << svc->GetKandrelServerForSQL();
    svc->setKandrelServer("SRV1");
    prefixes << svc->GetKandrelServerForSQL();
    svc->setMoravinServer("other");
    svc->setKandrelServer("ServerDefault"); // the settings file is read again
    EXPECT_EQ(prefixes << svc->KandrelServer() << svc->MoravinServer(),
              (QStringList{"[SRV2].kandrel.dbo.", "[SRV2].kandrel.dbo.", "kandrel.dbo.", "SRV2", "SRV1"}));
    // With the link's key, inverting every character would turn E into code 0,
    // H and O into line breaks, L into a tab and a blank at either end from e.
    for (const QString& plain : {QStringLiteral("Clave1"), QStringLiteral("EHOL"), QStringLiteral("e O'Neil; =x e"),
                                 QStringLiteral("ñandú€"), QString()}) {
        EXPECT_EQ(svc->GuardarPassword(iniPath(), "BaseDatos", "ContraseñaVusk", plain), QString());
        if (plain.contains(QLatin1Char('l'))) {
            EXPECT_NE(ProfileFile::read(iniPath(), "BaseDatos", "ContraseñaVusk"), plain);
        }
        EXPECT_EQ(svc->LeerPassword(iniPath(), "BaseDatos", "ContraseñaVusk"), plain) << plain.toStdString();
    }
}

} // namespace
