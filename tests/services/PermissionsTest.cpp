// Permissions with their registration of new modules, the login, locked
// periods and logged tables, through the recording backend.
#include "ServicesTestSupport.h"

#include "services/OutsideComponents.h"

using namespace svctest;
using Answer = db::RecordingBackend::Answer;

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
        ASSERT_TRUE(start());
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
    static std::vector<std::vector<Variant>> permissionRows(std::initializer_list<std::tuple<const char*, const char*, int>> r)
    {
        std::vector<std::vector<Variant>> rows;
        for (auto [g, m, n] : r)
            rows.push_back({Variant(QString::fromUtf8(g)), Variant(QString::fromUtf8(m)), Variant(std::int32_t(n))});
        return rows;
    }
};

TEST_F(PermissionsTest, SwitchedOffEverythingIsAllowedWithoutReading)
{
    svc->DisableSecurity = true;
    EXPECT_TRUE(svc->Permiso("Ventas", "Facturas", 5));
    EXPECT_TRUE(svc->Permiso("X", "Y", 0));
    EXPECT_TRUE(rec->statements().isEmpty());
}

TEST_F(PermissionsTest, PermissionNumberIsAProductOfCodes)
{
    hold("G", "Six", 6);
    hold("G", "All", 210);
    hold("G", "One", 1);
    hold("G", "Zero", 0);
    EXPECT_TRUE(svc->Permiso("G", "Six", 2));
    EXPECT_TRUE(svc->Permiso("G", "Six", 3));
    EXPECT_FALSE(svc->Permiso("G", "Six", 5));
    for (std::uint8_t code : {2, 3, 5})
        EXPECT_TRUE(svc->Permiso("G", "All", code));
    for (std::uint8_t code : {2, 3, 5}) {
        EXPECT_FALSE(svc->Permiso("G", "One", code));
        EXPECT_FALSE(svc->Permiso("g", "zero", code)) << "keys ignore case";
    }
    EXPECT_FALSE(svc->Permiso("G", "All", 0)) << "no operation has the code 0";
    EXPECT_TRUE(reports.empty());
    EXPECT_TRUE(rec->statements().isEmpty());
}

TEST_F(PermissionsTest, UnregisteredModuleWithoutCreationIsRefusedAndNothingWritten)
{
    hold("G", "Other", 210);
    EXPECT_FALSE(svc->Permiso("G", "New", 2, true));
    EXPECT_TRUE(rec->statements().isEmpty());
}

TEST_F(PermissionsTest, HistoricalAccessOnlyOpens)
{
    hold("G", "M", 210);
    svc->HistoricalAccess = true;
    EXPECT_TRUE(svc->Permiso("G", "M", 2));
    EXPECT_FALSE(svc->Permiso("G", "M", 3));
    EXPECT_FALSE(svc->Permiso("G", "M", 5));
    EXPECT_TRUE(svc->Permiso("Ventas", "Bloqueo Inserciones", 5));
}

TEST_F(PermissionsTest, ProfileAndPermissionsAreLoadedOnTheFirstQuestion)
{
    rec->answerRows(kLoad, {"Groups", "Modules", "P"}, permissionRows({{"Ventas", "Facturas", 6}, {"Ventas", "Abonos", 2}}));
    EXPECT_TRUE(svc->Permiso("Ventas", "Facturas", 3));
    EXPECT_FALSE(svc->Permiso("Ventas", "Abonos", 3));
    EXPECT_EQ(svc->Perfil(), 3);
    EXPECT_EQ(rec->statements(), (QStringList{kProfile, kLoad}));
    EXPECT_TRUE(reports.empty());
}

TEST_F(PermissionsTest, NothingLoadedIsARefusal)
{
    EXPECT_FALSE(svc->Permiso("Ventas", "Facturas", 2));
    EXPECT_EQ(rec->statements(), (QStringList{kProfile, kLoad}));
}

TEST_F(PermissionsTest, ModuleOfANewGroupIsRegisteredForEveryProfile)
{
    hold("Otro", "M", 2);
    const QString count = "SELECT Count(*) AS Cuantos FROM GroupModule WHERE Groups = 'Compras' AND Modules = 'Pedidos'";
    const QString header = "SELECT * FROM GroupModule WHERE Groups = 'Compras' AND Header = 'S'";
    rec->answerRows(count, {"Cuantos"}, {{Variant(std::int32_t(0))}});
    rec->answerRows(kNext, {"NextNumber"}, {{Variant(std::int32_t(11))}});
    rec->answerRows(kLoad, {"Groups", "Modules", "P"}, permissionRows({{"Compras", "Pedidos", 210}}));
    QStringList first;
    for (std::uint8_t code : {2, 3, 5}) {
        rec->clearLog();
        svc->setActualPermissions(nullptr);
        hold("Otro", "M", 2);
        EXPECT_TRUE(svc->Permiso("Compras", "Pedidos", code));
        if (first.isEmpty())
            first = rec->statements();
    }
    EXPECT_EQ(first,
              (QStringList{count, header, kNext, "INSERT INTO GroupModule VALUES(11, 'Compras', 'Compras', 'S', 'N')",
                           "INSERT INTO AccessProfile SELECT 11, 210, CodeID, 'N' FROM Profiles", kNext,
                           "INSERT INTO GroupModule VALUES (11, 'Compras', 'Pedidos', 'N', 'N', '', '')",
                           "INSERT INTO AccessProfile SELECT 11, 210, CodeID, 'N' FROM Profiles", kProfile, kLoad}));
    EXPECT_TRUE(reports.empty());
}

TEST_F(PermissionsTest, ModuleOfAnExistingGroupMakesTheGroupNotHomogeneous)
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
    EXPECT_TRUE(reports.empty());
}

TEST_F(PermissionsTest, ModuleKnownToTheTableButNotToTheProfileIsRefused)
{
    hold("Otro", "M", 2);
    const QString count = "SELECT Count(*) AS Cuantos FROM GroupModule WHERE Groups = 'G' AND Modules = 'M'";
    rec->answerRows(count, {"Cuantos"}, {{Variant(std::int32_t(1))}});
    EXPECT_FALSE(svc->Permiso("G", "M", 2));
    EXPECT_EQ(rec->statements(), QStringList{count});
}

TEST_F(PermissionsTest, FailedRegistrationIsReported)
{
    hold("Otro", "M", 2);
    rec->answerError("SELECT Count(*) AS Cuantos FROM GroupModule WHERE Groups = 'G' AND Modules = 'M'", 208,
                     "Invalid object name");
    EXPECT_FALSE(svc->Permiso("G", "M", 2));
    EXPECT_EQ(reportTexts(), QStringList{"Función Permiso"});
}

TEST_F(PermissionsTest, LoginWithoutTheComponentFailsWithAReport)
{
    svc->CodigoUsuario = 0;
    QString user = "x";
    EXPECT_FALSE(svc->ValidateUser(user));
    EXPECT_EQ(user, QString());
    EXPECT_EQ(reportTexts(), QStringList{"Función ValidateUser"});

    reports.clear();
    svc->CodigoUsuario = 5;
    svc->Usuario = "ana";
    rec->answerRows(kLoad, {"Groups", "Modules", "P"}, permissionRows({{"G", "M", 2}}));
    EXPECT_TRUE(svc->ValidateUser(user));
    EXPECT_EQ(user, "ana");
    EXPECT_EQ(svc->ActualPermissions()->Count(), 1);
    EXPECT_TRUE(reports.empty());
}

TEST_F(PermissionsTest, LockedPeriods)
{
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
}

TEST_F(PermissionsTest, LoggedTables)
{
    EXPECT_FALSE(svc->Logable("Clientes"));
    auto logged = newCollection();
    logged->Add(Variant("Clientes"), "Clientes#");
    svc->TablasDeLog = logged;
    EXPECT_TRUE(svc->Logable("clientes"));
    EXPECT_FALSE(svc->Logable("Proveedores"));
}

} // namespace
