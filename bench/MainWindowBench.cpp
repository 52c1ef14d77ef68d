// Times of the main window with the program's own query pages, offscreen,
// in a program folder of six-entry tab files and the first translation
// language: start with 1 tab and with 20, close tab 1 of 20, and Terminar
// with 20 unchanged pages. Each time is the best of three runs.
#include "controls/ControlSupport.h"
#include "core/Dialogs.h"
#include "core/ProfileFile.h"
#include "core/ProgramFolder.h"
#include "mainwindow/MainWindowRules.h"
#include "mainwindow/frmMain.h"
#include "messages/clsError.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

void seedFolder(const QString& dir, int tabs)
{
    QFile::remove(dir + "/translate.vrx");
    QFile::copy(QStringLiteral(VELMORA_TRANSLATE_VRX), dir + "/translate.vrx");
    ProfileFile ini;
    ini.setValue("Form", "OpenTabs", QString::number(tabs));
    ini.setValue("Form", "SelectedTab", "1");
    ini.setValue("Multilanguage", "Translation", "Language1");
    ini.save(dir + "/Velmora.ini");
    for (int t = 1; t <= tabs; ++t) {
        ProfileFile tab;
        tab.setValue("Page", "Splitter", "3240");
        for (int n = 0; n <= 5; ++n) {
            const QString q = QStringLiteral("LastQuery_%1").arg(n);
            tab.setValue(q, q + "_Lines", "2");
            tab.setValue(q, q + "_Line_1", QStringLiteral("<LINE>SELECT * FROM Clientes<LINE>"));
            tab.setValue(q, q + "_Line_2", QStringLiteral("<LINE>WHERE IdCliente > %1<LINE>").arg(n));
            const QString k = QStringLiteral("LastKeys_%1").arg(n);
            tab.setValue(k, k + "_Lines", "1");
            tab.setValue(k, k + "_Line_1", "IdCliente");
            const QString a = QStringLiteral("DataAccess_%1").arg(n);
            tab.setValue(a, "ConnectionType", "1");
            tab.setValue(a, "Driver", "1");
            tab.setValue(a, "DataBase", dir + "/sample.mdb");
        }
        tab.save(MainWindowRules::tabFile(dir, t));
    }
}

std::unique_ptr<frmMain> start()
{
    auto w = std::make_unique<frmMain>();
    w->setMsgBoxRecorder(std::make_shared<MsgBoxRecorder>());
    w->Form_Load();
    QCoreApplication::processEvents();
    return w;
}

// Best of three: set-up (untimed), the timed step, clean-up (untimed).
double best(const std::function<void()>& setUp, const std::function<void()>& step, const std::function<void()>& after)
{
    double ms = 1e9;
    for (int i = 0; i < 3; ++i) {
        setUp();
        QElapsedTimer t;
        t.start();
        step();
        ms = std::min(ms, t.nsecsElapsed() / 1e6);
        after();
    }
    return ms;
}

void report(const char* what, double ms, double limitMs)
{
    std::printf("%-36s %8.1f ms   (limit %5.0f ms) %s\n", what, ms, limitMs, ms < limitMs ? "ok" : "OVER");
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    controls::applyScreenDpi();
    if (!defaultQueryPageFactory()) {
        std::printf("main window: this build has no query page; nothing measured\n");
        return 0;
    }
    installSystemDialogs(std::make_shared<RecordingDialogs>());
    QTemporaryDir dir;
    ProgramFolder::setPath(dir.path());
    std::unique_ptr<frmMain> w;
    const auto drop = [&] { w.reset(); };

    report("start, 1 tab", best([&] { seedFolder(dir.path(), 1); }, [&] { w = start(); }, drop), 300);
    report("start, 20 tabs", best([&] { seedFolder(dir.path(), 20); }, [&] { w = start(); }, drop), 1500);
    report("close tab 1 of 20",
           best(
               [&] {
                   seedFolder(dir.path(), 20);
                   w = start();
                   w->SelectTab(1);
               },
               [&] { w->CloseCurrentTab(); }, drop),
           1000);
    report("Terminar, 20 unchanged pages",
           best(
               [&] {
                   seedFolder(dir.path(), 20);
                   w = start();
               },
               [&] { w->Terminar(); }, drop),
           300);
    return 0;
}
