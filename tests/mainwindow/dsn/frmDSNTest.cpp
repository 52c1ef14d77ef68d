// The data-source picker over the driver manager's own files, and the query
// page's data-source button opening it through its factory.
#include "mainwindow/DialogTestSupport.h"

#include "controls/MaxGrid.h"
#include "controls/ModalRunner.h"
#include "data/clsDO.h"
#include "mainwindow/PageDialogFactories.h"
#include "mainwindow/frmDSN.h"
#include "platform/dsn/OdbcConfig.h"
#include "querypage/MaxSQL.h"
#include "controls/PushButton.h"
#include "services/clsTablas.h"

#include <QLineEdit>
#include <QTest>

class DsnTest : public DialogTest {
protected:
    void SetUp() override
    {
        DialogTest::SetUp();
        OdbcConfig::instance().write(kSystemIni, kUserIni);
    }
    std::unique_ptr<frmDSN> picker(const QString& filter)
    {
        auto d = std::make_unique<frmDSN>();
        d->MSG = msg;
        d->DatabaseType = filter;
        d->Form_Load();
        return d;
    }
    QStringList listed(const QString& filter)
    {
        const auto d = picker(filter);
        QStringList names;
        for (int r = 1; r < d->fgrDSN->Rows(); ++r)
            names << d->fgrDSN->TextMatrix(r, 1);
        return names;
    }
};

TEST_F(DsnTest, TheFilterMatchesTheDriverTextOrItsFamilyAndAnEmptyFolderListsNothing)
{
    const std::pair<const char*, const char*> filters[] = {
        {"oracle", "Stock"}, {"SQL Server", "Ventas"}, {"", "Ventas,Stock,Local"}, {"Access", ""}};
    for (auto [filter, names] : filters)
        EXPECT_EQ(listed(filter).join(','), names) << filter;
    OdbcConfig::instance().clear();
    EXPECT_EQ(listed("") + shown(), QStringList());
}

// A double click chooses, Salir cancels. Aceptar, Enter and a double click on
// an empty list return nothing and the picker stays; Esc leaves it.
TEST_F(DsnTest, HeaderChoiceAndAnEmptyList)
{
    auto d = picker("");
    EXPECT_EQ(std::pair(d->fgrDSN->TextMatrix(0, 1), d->fgrDSN->ColWidth(0)), std::pair(QString("Origen de Datos"), 0));
    screenshot(*d, "frmDSN");
    d->fgrDSN->setRow(2);
    emit d->fgrDSN->DblClick();
    EXPECT_EQ(std::pair(d->Cancelled(), d->DSN), std::pair(false, QString("Stock")));
    d = picker("");
    d->fgrDSN->setRow(3);
    click(d->BttSalir);
    EXPECT_TRUE(d->Cancelled());

    d = picker("Access");
    ASSERT_EQ(d->fgrDSN->Rows(), 1);
    d->show();
    click(d->BttAceptar);
    QTest::keyClick(d->fgrDSN, Qt::Key_Return);
    emit d->fgrDSN->DblClick();
    const auto state = [&] { return std::tuple(d->Cancelled(), d->DSN, d->isVisible(), shown()); };
    EXPECT_EQ(state(), std::tuple(true, QString(), true, QStringList()));
    QTest::keyClick(d->fgrDSN, Qt::Key_Escape);
    EXPECT_EQ(state(), std::tuple(true, QString(), false, QStringList()));
}

TEST_F(DsnTest, ThePageButtonOpensThePickerThroughItsFactory)
{
    mainwindow::installPageDialogs();
    MaxSQL page;
    auto scr = std::make_shared<clsTablas>();
    page.setErrorObject(msg);
    page.setSCRObject(scr);
    page.setZoltObject(std::make_shared<clsDO>());
    page.ParametersConnection(3, 2, "before", "", "", "");
    auto* server = page.findChild<QLineEdit*>("txtServidor");
    auto* button = page.findChild<PushButton*>("BttDSN");
    ASSERT_TRUE(server && button);

    controls::ScopedScriptedRunner runner;
    runner.then<frmDSN>([](frmDSN& d) {
        ASSERT_EQ(d.fgrDSN->Rows(), 2); // "Oracle" from the driver box
        d.fgrDSN->setRow(1);
        QTest::keyClick(d.fgrDSN, Qt::Key_Return);
    });
    runner.then<frmDSN>([](frmDSN& d) { click(d.BttSalir); });
    click(button);
    EXPECT_EQ(server->text(), "Stock");
    server->setText("kept");
    click(button);
    EXPECT_EQ(server->text(), "kept");
    EXPECT_EQ(runner->shown, (QStringList{"frmDSN", "frmDSN"}));
    PageDialogs::installDefaults(nullptr);
}
