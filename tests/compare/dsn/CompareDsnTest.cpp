// The compared row's data-source button: the program's frmDSN, listed from
// the driver manager's own files for the chosen driver and run through the
// modal runner; what it returns becomes the compared server.
#include "compare/frmCompare.h"
#include "controls/MaxGrid.h"
#include "controls/ModalRunner.h"
#include "data/DataTestSupport.h"
#include "mainwindow/PageDialogFactories.h"
#include "mainwindow/frmDSN.h"
#include "platform/dsn/OdbcConfig.h"
#include "pagedialogs/PageDialogs.h"
#include "controls/PushButton.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

TEST(CompareDsn, TheButtonRunsThePickerForTheChosenDriver)
{
    OdbcConfig::instance().write("[Ventas]\nDriver=FreeTDS\n\n[Facturas]\nDriver=MDBTools\n\n"
                                 "[Stock]\nDriver=Oracle 19 ODBC driver\n\n[Pedidos]\nDriver=libmdbodbc.so\n");
    PageDialogs::installDefaults(mainwindow::useRealDialogs);
    auto msg = std::make_shared<clsError>();
    auto box = std::make_shared<MsgBoxRecorder>();
    msg->setRecorder(box);
    frmCompare w;
    w.setMSG(msg);
    w.setZolt(std::make_shared<clsDO>());
    w.setSCR(std::make_shared<clsTablas>());
    w.cboComparedConnectionType->setCurrentIndex(3);
    emit w.cboComparedConnectionType->activated(3);
    ASSERT_TRUE(!w.BttDSN->isHidden());
    ASSERT_EQ(w.cboComparedDriver->currentText(), "Access");

    controls::ScopedScriptedRunner runner;
    QStringList listed;
    runner.then<frmDSN>([&](frmDSN& d) {
        for (int r = 1; r < d.fgrDSN->Rows(); ++r)
            listed << d.fgrDSN->TextMatrix(r, 1);
        d.fgrDSN->setRow(2);
        QTest::keyClick(d.fgrDSN, Qt::Key_Return);
    });
    // Left by its exit button, and with the header row current: nothing comes back.
    runner.then<frmDSN>([](frmDSN& d) { emit d.BttSalir->mouseUp(1, 0, 0, 0); });
    runner.then<frmDSN>([](frmDSN& d) {
        d.fgrDSN->setRow(0);
        emit d.BttAceptar->mouseUp(1, 0, 0, 0);
    });
    w.BttDSN->click();
    EXPECT_EQ(listed, (QStringList{"Facturas", "Pedidos"}));
    EXPECT_EQ(w.txtComparedServidor->text(), "Pedidos");
    EXPECT_EQ(w.logic().txtComparedServidor.Text, "Pedidos");
    EXPECT_TRUE(!w.BttCompare->isHidden()); // the compared row is complete
    w.BttDSN->click();
    w.BttDSN->click();
    EXPECT_EQ(w.txtComparedServidor->text(), "Pedidos");

    // The Oracle driver lists its own sources.
    w.cboComparedDriver->setCurrentIndex(2);
    emit w.cboComparedDriver->activated(2);
    ASSERT_FALSE(w.BttDSN->isHidden());
    listed.clear();
    runner.then<frmDSN>([&](frmDSN& d) {
        for (int r = 1; r < d.fgrDSN->Rows(); ++r)
            listed << d.fgrDSN->TextMatrix(r, 1);
        emit d.fgrDSN->DblClick();
    });
    w.BttDSN->click();
    EXPECT_EQ(listed, QStringList{"Stock"});
    EXPECT_EQ(w.txtComparedServidor->text(), "Stock");
    EXPECT_EQ(runner->shown, (QStringList{"frmDSN", "frmDSN", "frmDSN", "frmDSN"}));
    EXPECT_TRUE(box->calls.empty());
    PageDialogs::installDefaults(nullptr);

}
