// Permissions with their registration of new modules, the login, locked
// periods and logged tables, through the recording backend.
#include "ServicesTestSupport.h"

using namespace svctest;

namespace {

const QString kProfile = QStringLiteral("SELECT ProfileID from UserProfile WHERE UserID = 5");
const QString kLoad = QStringLiteral("SELECT GM.Groups, GM.Modules, ISNULL(AP.Permissions, 1)  FROM GroupModule GM "
                                     " LEFT JOIN AccessProfile AP ON AP.GroupModuleID = GM.CodeID AND AP.ProfileID = 3");
const QString kNext = QStringLiteral("SELECT ISNULL(MAX(GroupModuleID),0) + 1 AS NextNumber FROM AccessProfile");

class PermissionsTest : public ServicesTest {
protected:
    void SetUp() override
    {
        ServicesTest::SetUp();
        svc->CodigoUsuario = 5;
        rec->answerRows(kProfile, {"ProfileID"}, {{Variant(std::int32_t(3))}});
    }
    // Permissions already held for one group and module.
    void hold(const QString& group, const QString& module, std::int32_t number)
    {
        auto row = newCollection();
        row->Add(Variant(group), "GM.Groups");
        row->Add(Variant(module), "GM.Modules");
        row->Add(Variant(number), "Permissions");
        if (!svc->ActualPermissions()->Exists("#" + group + "#" + module))
            svc->ActualPermissions()->Add(Variant(row), "#" + group + "#" + module);
    }
};

TEST_F(PermissionsTest, PermissionNumberIsAProductOfCodes)
{
    for (auto [module, number] : {std::pair{"Six", 6}, {"All", 210}, {"One", 1}, {"Zero", 0}})
        hold("G", module, number);
    for (std::uint8_t code : {2, 3, 5}) // keys ignore case
        EXPECT_EQ((std::vector<bool>{svc->Permiso("G", "Six", code), svc->Permiso("G", "All", code),
                                     svc->Permiso("G", "One", code), svc->Permiso("g", "zero", code)}),
                  (std::vector<bool>{code != 5, true, false, false}))
            << int(code);
    EXPECT_FALSE(svc->Permiso("G", "All", 0)) << "no operation has the code 0";
    EXPECT_FALSE(svc->Permiso("G", "New", 2, true)) << "not registered when told not to";

    svc->HistoricalAccess = true;
    EXPECT_EQ((std::vector<bool>{svc->Permiso("G", "All", 2), svc->Permiso("G", "All", 3),
                                 svc->Permiso("Ventas", "Bloqueo Inserciones", 5)}),
              (std::vector<bool>{true, false, true}));
    svc->DisableSecurity = true;
    EXPECT_TRUE(svc->Permiso("X", "Y", 0));
    EXPECT_TRUE(reports.empty());
    EXPECT_TRUE(rec->statements().isEmpty());
}

TEST_F(PermissionsTest, ProfileAndPermissionsAreLoadedOnTheFirstQuestionLockedPeriodsAndLoggedTables)
{
    EXPECT_FALSE(svc->Permiso("Ventas", "Facturas", 2)) << "nothing loaded is a refusal";
    rec->answerRows(kLoad, {"Groups", "Modules", "P"}, 
                    {{Variant("Ventas"), Variant("Facturas"), Variant(std::int32_t(6))},
                     {Variant("Ventas"), Variant("Abonos"), Variant(std::int32_t(2))}});
    EXPECT_TRUE(svc->Permiso("Ventas", "Facturas", 3));
    EXPECT_FALSE(svc->Permiso("Ventas", "Abonos", 3));
    EXPECT_EQ(svc->Perfil(), 3);
    EXPECT_EQ(rec->statements(), (QStringList{kProfile, kLoad, kLoad}));

    // A user already logged in has the profile and permissions read again.
    svc->Usuario = "ana";
    QString user;
    EXPECT_TRUE(svc->ValidateUser(user));
    EXPECT_EQ(user, "ana");
    EXPECT_EQ(rec->statements().mid(3), (QStringList{kProfile, kLoad}));
    rec->clearLog();
    EXPECT_FALSE(svc->PeriodoBloqueado("no es fecha"));
    EXPECT_TRUE(rec->statements().isEmpty());
    const QString sql = "SELECT * FROM PeriodsLock WHERE DateFrom <= CONVERT(smalldatetime,'05/03/2024',103) AND "
                        "DateTo >= CONVERT(smalldatetime,'05/03/2024',103)";
    rec->answerRows(sql, {"DateFrom", "DateTo", "Locked"},
                    {{Variant(QDate(2024, 1, 1)), Variant(QDate(2024, 12, 31)), Variant("S")}});
    EXPECT_TRUE(svc->PeriodoBloqueado("05/03/2024"));
    EXPECT_EQ(rec->statements(), QStringList{sql});
    EXPECT_FALSE(svc->PeriodoBloqueado("06/03/2024"));
    EXPECT_TRUE(reports.empty());

    EXPECT_FALSE(svc->Logable("Clientes"));
    auto logged = newCollection();
    logged->Add(Variant("Clientes"), "Clientes#");
    svc->TablasDeLog = logged;
    EXPECT_TRUE(svc->Logable("clientes"));
    EXPECT_FALSE(svc->Logable("Proveedores"));
}

TEST_F(PermissionsTest, ModuleOfANewGroupIsRegisteredForEveryProfile)
{
    const QString count = "SELECT Count(*) AS Cuantos FROM GroupModule WHERE Groups = 'Compras' AND Modules = 'Pedidos'";
    rec->answerRows(count, {"Cuantos"}, {{Variant(std::int32_t(0))}});
    rec->answerRows(kNext, {"NextNumber"}, {{Variant(std::int32_t(11))}});
    rec->answerRows(kLoad, {"Groups", "Modules", "P"}, 
                    {{Variant("Compras"), Variant("Pedidos"), Variant(std::int32_t(210))}});
    QStringList first;
    for (std::uint8_t code : {2, 3, 5}) {
        rec->clearLog();
        svc->setActualPermissions(nullptr);
        hold("Otro", "M", 2);
        EXPECT_TRUE(svc->Permiso("Compras", "Pedidos", code));
        if (first.isEmpty())
            first = rec->statements();
    }
    EXPECT_EQ(first.filter("INSERT"),
              (QStringList{"INSERT INTO GroupModule VALUES(11, 'Compras', 'Compras', 'S', 'N')",
                           "INSERT INTO AccessProfile SELECT 11, 210, CodeID, 'N' FROM Profiles",
                           "INSERT INTO GroupModule VALUES (11, 'Compras', 'Pedidos', 'N', 'N', '', '')",
                           "INSERT INTO AccessProfile SELECT 11, 210, CodeID, 'N' FROM Profiles"}));
    EXPECT_TRUE(reports.empty());
}

TEST_F(PermissionsTest, ModuleOfAnExistingGroupIsRegisteredOnce)
{
    hold("Otro", "M", 2);
    rec->answerRows("SELECT Count(*) AS Cuantos FROM GroupModule WHERE Groups = 'D''Or' AND Modules = 'Caja'",
                    {"Cuantos"}, {{Variant(std::int32_t(0))}});
    rec->answerRows("SELECT * FROM GroupModule WHERE Groups = 'D''Or' AND Header = 'S'",
                    {"CodeID", "Groups", "Modules", "Header"},
                    {{Variant(std::int32_t(4)), Variant("D'Or"), Variant("D'Or"), Variant("S")}});
    rec->answerRows(kNext, {"NextNumber"}, {{Variant(std::int32_t(12))}});
    // The reloaded permissions do not show the module: the answer is a refusal, asked once.
    EXPECT_FALSE(svc->Permiso("D'Or", "Caja", 2));
    const QStringList s = rec->statements();
    ASSERT_GE(s.size(), 6);
    EXPECT_EQ(s[2], "UPDATE AccessProfile SET Homogeneous = 'N' WHERE GroupModuleID = 4");
    EXPECT_EQ(s[4], "INSERT INTO GroupModule VALUES (12, 'D''Or', 'Caja', 'N', 'N', '', '')");
    EXPECT_EQ(s.filter("INSERT INTO GroupModule").size(), 1);

    // Known to the table but not to the profile: refused, nothing written; a failure is reported.
    rec->clearLog();
    hold("Otro", "M", 2);
    const QString count = "SELECT Count(*) AS Cuantos FROM GroupModule WHERE Groups = 'G' AND Modules = 'M'";
    rec->answerRows(count, {"Cuantos"}, {{Variant(std::int32_t(1))}});
    EXPECT_FALSE(svc->Permiso("G", "M", 2));
    EXPECT_EQ(rec->statements(), QStringList{count});
    EXPECT_TRUE(reports.empty());
    rec->answerError("SELECT Count(*) AS Cuantos FROM GroupModule WHERE Groups = 'G' AND Modules = 'X'", 208, "Bad");
    EXPECT_FALSE(svc->Permiso("G", "X", 2));
    EXPECT_EQ(reportTexts(), QStringList{"Función Permiso"});
}

} // namespace
