// The main window with the program's own pages on copies of the built
// translation and sample databases: the seeded first tab, F5 through the
// window's key filter, and the close.
#include "core/ProfileFile.h"
#include "core/ProgramFolder.h"
#include "mainwindow/FirstTab.h"
#include "mainwindow/frmMain.h"
#include "messages/clsError.h"
#include "querypage/MaxSQL.h"
#include "controls/MaxGrid.h"
#include "support/QtPrinters.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QByteArray digest(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256) : QByteArray();
}

} // namespace

TEST(MainWindowRealPages, SeededFirstTabRunsOnTheCopyAndTheCloseWritesTheWindow)
{
    const QString built = QStringLiteral(VELMORA_BUILD_TREE);
    const QByteArray builtSample = digest(built + "/sample.mdb");
    ASSERT_FALSE(builtSample.isEmpty());
    QTemporaryDir dir;
    ASSERT_TRUE(QFile::copy(built + "/sample.mdb", dir.filePath("sample.mdb")));
    ASSERT_TRUE(QFile::copy(built + "/translate.vrx", dir.filePath("translate.vrx")));
    ASSERT_EQ(FirstTab::write(dir.path(), dir.filePath("sample.mdb")), FirstTab::Result::Written);
    EXPECT_EQ(FirstTab::write(dir.path(), built + "/sample.mdb"), FirstTab::Result::Kept);
    ProgramFolder::setPath(dir.path());

    auto messages = std::make_shared<MsgBoxRecorder>();
    {
        frmMain w;
        w.setMsgBoxRecorder(messages);
        w.Form_Load();
        auto* page = dynamic_cast<MaxSQL*>(w.QueryPage(1)->widget());
        ASSERT_NE(page, nullptr);
        EXPECT_EQ(page->DatabaseName(), dir.filePath("sample.mdb"));
        EXPECT_EQ(page->ConnectionType(), 1);
        if (page->TextSQL().isEmpty()) // the page restores its query once its history is built
            page->setRtfSQL("SELECT * FROM Clientes");

        QKeyEvent f5(QEvent::KeyPress, Qt::Key_F5, Qt::NoModifier);
        QApplication::sendEvent(page, &f5);
        EXPECT_EQ(page->Flexi().Rows(), 201);
        EXPECT_EQ(page->Flexi().TextMatrix(0, 0), "IdCliente");
        w.close();
    }
    ProgramFolder::setPath(QString());

    for (const auto& c : messages->calls)
        ADD_FAILURE() << c.body.toStdString();
    QFile ini(dir.filePath("Velmora.ini"));
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    EXPECT_EQ(ini.readAll(), "[Form]\nWindowState=0\nWidth=15060\nHeight=11370\nOpenTabs=1\nSelectedTab=1\n");
    EXPECT_EQ(ProfileFile::read(dir.filePath("Velmora_Tab1.ini"), "DataAccess_0", "DataBase"),
              dir.filePath("sample.mdb"));
    EXPECT_EQ(digest(built + "/sample.mdb"), builtSample);
}
