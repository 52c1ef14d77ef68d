// frmCompare itself, offscreen: its controls, Esc and the close box, and a
// picture of the window after a comparison.
#include "CompareTestSupport.h"
#include "compare/frmCompare.h"
#include "controls/MaxGrid.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QToolButton>
#include <QTest>

using namespace comparetest;

namespace {

// The fixture's controller stays idle: the window runs its own.
class CompareWindowTest : public CompareTest {
protected:
    void open(frmCompare& w, const datatest::LocalDb& file)
    {
        w.setZolt(zolt);
        w.setMSG(msg);
        w.setSCR(scr);
        w.setCurrent({2, 1, {}, file.path, {}, {}});
        w.setParentFormTop(1000);
        w.setParentFormHeight(11000);
        w.logic().pauseOverride = 0;
        w.show();
        w.logic().tmrInitial_Timer();
    }
};

} // namespace

TEST_F(CompareWindowTest, TheCurrentSideGivenValueByValueIsTheOneCompared)
{
    frmCompare w;
    w.setCurrentConnectionType(3);
    w.setCurrentDriver(2);
    w.setCurrentSRV("dsn");
    w.setCurrentBBDD("ventas");
    w.setCurrentUID("ana");
    w.setCurrentPWD("secreto");
    EXPECT_EQ(w.logic().Current, (ConnectionValues{3, 2, "dsn", "ventas", "ana", "secreto"}));
}

TEST_F(CompareWindowTest, ControlsAreNamedTheButtonPairsFollowTheComparedRowAndEscOrTheCloseBoxCancelARun)
{
    makeFile(cur, kOrders);
    makeFile(cmp, {"CREATE TABLE Orders (ID INTEGER PRIMARY KEY, Qty TEXT(20), Name TEXT(50) NOT NULL)",
                   "CREATE TABLE Extra (X INTEGER)", "CREATE VIEW Totals AS SELECT ID, Qty FROM Orders"});
    frmCompare w;
    open(w, cur);
    const QString names = "BttCompare BttCompareDisabled BttFilter BttFilterDisabled BttSalir Label9 "
                          "cboCurrentConnectionType cboCurrentDriver txtCurrentServidor txtCurrentBBDD txtCurrentUser "
                          "Line1 Line2 fgrTables fgrFields fgrIndexes fmShowProgress fmShowProgressShadow lblMain pbMain "
                          "lblSubProcess pbSubProcess Label10 Label6 Label8 cboComparedConnectionType cboComparedDriver "
                          "lblServer txtComparedServidor BttDSN lblBBDD txtComparedBBDD BttAccessFileSelection lblUser "
                          "txtComparedUser lblPassword txtComparedPassword chkPwdVisible mnuDataBase mnuDatabaseShadow "
                          "chkEqual chkDifferent chkOnlyCurrent chkOnlyCompared BttCloseMenuDatabase imgEqual imgDifferent "
                          "imgOnlyCurrent imgOnlyCompared imgMidIndexField imgLastIndexField";
    for (const QString& name : names.split(' '))
        EXPECT_TRUE(w.findChild<QWidget*>(name)) << name.toStdString();
    EXPECT_EQ(w.objectName(), "frmCompare");
    EXPECT_EQ(w.fgrTables->TextMatrix(1, 1), "Orders");
    EXPECT_EQ(std::tuple(w.BttCompareDisabled->isVisible(), w.BttCompare->isVisible()), std::tuple(true, false));

    w.cboComparedConnectionType->setCurrentIndex(2);
    emit w.cboComparedConnectionType->activated(2);
    EXPECT_FALSE(w.txtComparedServidor->isVisible());
    QTest::keyClicks(w.txtComparedBBDD, cmp.path);
    EXPECT_EQ(std::tuple(w.BttCompare->isVisible(), w.BttFilter->isVisible(), w.BttFilterDisabled->isVisible()), std::tuple(true, true, false));

    w.BttCompare->click();
    EXPECT_EQ((QStringList{w.fgrTables->TextMatrix(1, 1), w.fgrTables->TextMatrix(2, 1), w.fgrTables->TextMatrix(3, 1)}),
              (QStringList{"Extra", "Orders", "Totals"}));
    w.fgrTables->setRow(2);
    EXPECT_EQ(w.fgrFields->TextMatrix(3, 3), "Type: 'Long' vs 'Text'");
    EXPECT_TRUE(box->calls.empty());
    EXPECT_LT(w.fmShowProgress->x(), 0);

    const QString folder = QString::fromLocal8Bit(qgetenv("VELMORA_BINARY_DIR"));
    const QString file = QDir(folder.isEmpty() ? QDir::tempPath() : folder).filePath("frmCompare.png");
    EXPECT_TRUE(w.grab().save(file));

    // Esc closes the filter menu first, then the window; a close asked during a run cancels it, and the
    // window goes at the timer's tick.
    w.BttFilter->click();
    EXPECT_TRUE(w.mnuDataBase->isVisible());
    QTest::keyClick(&w, Qt::Key_Escape);
    EXPECT_EQ(std::tuple(w.mnuDataBase->isVisible(), w.isVisible()), std::tuple(false, true));

    bool visibleAfterClose = false, comparedRowOff = false;
    int events = 0;
    w.logic().events = [&] {
        if (++events != 2)
            return;
        comparedRowOff = !w.txtComparedBBDD->isEnabled() && !w.BttFilter->isEnabled() && w.BttSalir->isEnabled();
        QCloseEvent close;
        QApplication::sendEvent(&w, &close);
        QTest::keyClick(&w, Qt::Key_Escape);
        visibleAfterClose = w.isVisible();
    };
    w.BttCompare->click();
    EXPECT_EQ(std::tuple(comparedRowOff, visibleAfterClose, w.isVisible(), w.txtComparedBBDD->isEnabled()), std::tuple(true, true, true, true));
    w.logic().tmrEnd_Timer();
    EXPECT_FALSE(w.isVisible());
}
