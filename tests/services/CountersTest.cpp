// New record numbers from COUNTERS and its lock, through the recording backend.
#include "ServicesTestSupport.h"

using namespace svctest;
using Answer = db::RecordingBackend::Answer;

namespace {

const QString kToken = QStringLiteral("2024030509070257");
const QString kLock = "UPDATE COUNTERS SET LOCK = '" + kToken + "' WHERE TYPE = 'Facturas' AND LOCK = ''";
const QString kLockRead = QStringLiteral("SELECT LOCK FROM COUNTERS WHERE TYPE = 'Facturas'");
const QString kLast = QStringLiteral("SELECT CODEID FROM COUNTERS WHERE TYPE = 'Facturas'");
const QString kGiveBack = "UPDATE COUNTERS SET LOCK = '' WHERE TYPE = 'Facturas' AND LOCK = '" + kToken + "'";
const QString kRow = QStringLiteral("SELECT * FROM Counters WHERE Type = 'Facturas'");

QString taken(int n) { return "SELECT * FROM Facturas WHERE Id = " + QString::number(n); }

class CountersTest : public ServicesTest {
protected:
    void SetUp() override
    {
        ServicesTest::SetUp();
        ASSERT_TRUE(start());
        svc->CodigoUsuario = 57;
        // The call starts at 09:07:02; every later look at the clock is a minute on.
        svc->setClock([this] {
            const QDateTime startAt(QDate(2024, 3, 5), QTime(9, 7, 2));
            return clockReads++ < clockStill ? startAt : startAt.addSecs(60);
        });
        svc->setLockWait([this] { ++waits; });
    }
    void counterAt(int n)
    {
        rec->answer(kLock, Answer::affected(1));
        rec->answerRows(kLast, {"CODEID"}, {{Variant(std::int32_t(n))}});
        rec->answerRows(kRow, {"CODEID", "TYPE", "LOCK"},
                        {{Variant(std::int32_t(n)), Variant("Facturas"), Variant(kToken)}});
    }
    void keyTaken(int n) { rec->answerRows(taken(n), {"Id"}, {{Variant(std::int32_t(n))}}); }

    int clockReads = 0;
    int clockStill = 1;
    int waits = 0;
};

TEST_F(CountersTest, FirstNumberOfATableCreatesItsCounter)
{
    EXPECT_EQ(svc->GetNewNumber("Facturas", "Id"), 1);
    EXPECT_EQ(rec->statements(), (QStringList{kLock, kLockRead, kLast, taken(1), kRow,
                                              "INSERT INTO COUNTERS (CODEID, TYPE, LOCK ) VALUES (1, 'Facturas' , '' )"}));
    rec->clearLog();
    clockReads = 0;
    const QString lock = "UPDATE COUNTERS SET LOCK = '" + kToken + "' WHERE TYPE = 'D''Or' AND LOCK = ''";
    rec->answer(lock, Answer::affected(1));
    EXPECT_EQ(svc->GetNewNumber("D'Or", "Id"), 1);
    EXPECT_EQ(rec->statements().first(), lock);
    EXPECT_EQ(rec->statements().last(), "INSERT INTO COUNTERS (CODEID, TYPE, LOCK ) VALUES (1, 'D''Or' , '' )");
    EXPECT_TRUE(reports.empty());
}

TEST_F(CountersTest, TakenNumbersAreSkippedUpToTheFirstFreeOne)
{
    counterAt(10);
    keyTaken(11);
    keyTaken(12);
    keyTaken(14);
    EXPECT_EQ(svc->GetNewNumber("Facturas", "Id"), 13);
    EXPECT_EQ(rec->statements(), (QStringList{kLock, kLast, taken(11), taken(12), taken(13), kRow,
                                              "UPDATE COUNTERS SET CODEID = 13 , LOCK = '' WHERE TYPE = 'Facturas'"}));
}

TEST_F(CountersTest, OverflowFailsAndGivesTheLockBack)
{
    counterAt(2147483647);
    EXPECT_EQ(svc->GetNewNumber("Facturas", "Id"), 0);
    EXPECT_EQ(reportTexts(), QStringList{"Función GetNewNumber Desbordamiento"});
    EXPECT_EQ(rec->statements(), (QStringList{kLock, kLast, kGiveBack}));
}

TEST_F(CountersTest, FailedWriteGivesTheLockBackAndNoNumber)
{
    counterAt(10);
    rec->answerError("UPDATE COUNTERS SET CODEID = 11 , LOCK = '' WHERE TYPE = 'Facturas'", 1205, "deadlock");
    EXPECT_EQ(svc->GetNewNumber("Facturas", "Id"), 0);
    EXPECT_EQ(reports.size(), 1u);
    EXPECT_EQ(rec->statements().last(), kGiveBack);
}

TEST_F(CountersTest, LockOfAnotherUserTodayIsAskedAboutAfterAMinute)
{
    clockStill = 3; // the start and two looks within the same minute
    rec->answerRows(kLockRead, {"LOCK"}, {{Variant("2024030508155999")}});
    rec->answerRows("SELECT Name FROM Users WHERE CodeID = 99", {"Name"}, {{Variant("Luis")}});
    answers = {7};
    EXPECT_EQ(svc->GetNewNumber("Facturas", "Id"), -1);
    EXPECT_EQ(waits, 2);
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0].prompt, "El contador de identificadores se encuentra bloqueado por el usuario Luis a las "
                                   "08:15 AM\r\n\r\n¿Desea desbloquear el contador?");
    EXPECT_EQ(questions[0].style, 36);
    EXPECT_EQ(questions[0].title, "Aviso");
    EXPECT_TRUE(rec->statements().filter("SET LOCK = ''").isEmpty()) << "the other user's lock stays";
    EXPECT_TRUE(rec->statements().filter("CODEID").isEmpty());
    EXPECT_TRUE(reports.empty());
}

TEST_F(CountersTest, StaleLockIsReleasedWithoutAskingAndWaitingIsBounded)
{
    rec->answerRows(kLockRead, {"LOCK"}, {{Variant("2024030418000012")}});
    // The recorded database keeps answering with the old lock: the call gives up in the end.
    EXPECT_EQ(svc->GetNewNumber("Facturas", "Id"), 0);
    EXPECT_TRUE(questions.empty());
    EXPECT_GT(rec->statements().count("UPDATE COUNTERS SET LOCK = '' WHERE TYPE = 'Facturas'"), 0);
    EXPECT_EQ(reportTexts(), QStringList{"Función GetNewNumber El contador de identificadores sigue bloqueado"});
}

} // namespace
