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

    int clockReads = 0;
    int clockStill = 1;
    int waits = 0;
};

TEST_F(CountersTest, NewNumbersSkipTakenKeysAndFailuresGiveTheLockBack)
{
    const QString write11 = "UPDATE COUNTERS SET CODEID = 11 , LOCK = '' WHERE TYPE = 'Facturas'";
    // The counter's value (0: no counter yet), the keys taken, a refused write, the number and the last statement.
    const struct { int at; std::vector<int> taken; QString refused; int number; QString last, report; } cases[] = {
        {0, {}, {}, 1, "INSERT INTO COUNTERS (CODEID, TYPE, LOCK ) VALUES (1, 'Facturas' , '' )", {}},
        // Taken numbers are skipped up to the first free one.
        {10, {11, 12, 14}, {}, 13, "UPDATE COUNTERS SET CODEID = 13 , LOCK = '' WHERE TYPE = 'Facturas'", {}},
        // An overflow or a failed write gives the lock back and no number.
        {2147483647, {}, {}, 0, kGiveBack, "Función GetNewNumber Desbordamiento"},
        {10, {}, write11, 0, kGiveBack, "Función GetNewNumber deadlock"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.number);
        freshBackend();
        if (c.at)
            counterAt(c.at);
        for (int n : c.taken)
            rec->answerRows(taken(n), {"Id"}, {{Variant(std::int32_t(n))}});
        if (!c.refused.isEmpty())
            rec->answerError(c.refused, 1205, "deadlock");
        reports.clear();
        clockReads = 0;
        EXPECT_EQ(sent([&] { EXPECT_EQ(svc->GetNewNumber("Facturas", "Id"), c.number); }).last(), c.last);
        EXPECT_EQ(reportTexts(), c.report.isEmpty() ? QStringList() : QStringList{c.report});
    }
    clockReads = 0;
    const QString lock = "UPDATE COUNTERS SET LOCK = '" + kToken + "' WHERE TYPE = 'D''Or' AND LOCK = ''";
    rec->answer(lock, Answer::affected(1));
    const QStringList s = sent([&] { EXPECT_EQ(svc->GetNewNumber("D'Or", "Id"), 1); });
    EXPECT_EQ((QStringList{s.first(), s.last()}),
              (QStringList{lock, "INSERT INTO COUNTERS (CODEID, TYPE, LOCK ) VALUES (1, 'D''Or' , '' )"}));
}

TEST_F(CountersTest, LockOfAnotherUserTodayIsAskedAboutAfterAMinuteAStaleOneIsReleasedAndWaitingIsBounded)
{
    clockStill = 3; // the start and two looks within the same minute
    rec->answerRows(kLockRead, {"LOCK"}, {{Variant("2024030508155999")}});
    rec->answerRows("SELECT Name FROM Users WHERE CodeID = 99", {"Name"}, {{Variant("Luis")}});
    answers = {7};
    EXPECT_EQ(svc->GetNewNumber("Facturas", "Id"), -1);
    EXPECT_EQ(waits, 2);
    EXPECT_EQ(questions.size(), 1);
    EXPECT_EQ(asked(0), (QStringList{"El contador de identificadores se encuentra bloqueado por el usuario Luis a las "
                                     "08:15 AM\r\n\r\n¿Desea desbloquear el contador?", "36", "Aviso"}));
    EXPECT_TRUE(rec->statements().filter("SET LOCK = ''").isEmpty()) << "the other user's lock stays";
    EXPECT_TRUE(rec->statements().filter("CODEID").isEmpty());
    EXPECT_TRUE(reports.empty());

    // A stale lock is released without asking; the recorded database keeps answering with it: the call gives up.
    freshBackend();
    clockReads = 0;
    rec->answerRows(kLockRead, {"LOCK"}, {{Variant("2024030418000012")}});
    EXPECT_EQ(svc->GetNewNumber("Facturas", "Id"), 0);
    EXPECT_EQ(questions.size(), 1);
    EXPECT_GT(rec->statements().count("UPDATE COUNTERS SET LOCK = '' WHERE TYPE = 'Facturas'"), 0);
    EXPECT_EQ(reportTexts(), QStringList{"Función GetNewNumber El contador de identificadores sigue bloqueado"});
}

} // namespace
