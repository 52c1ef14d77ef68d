// Times of the main window with the program's own query pages, offscreen,
// in a program folder of six-entry tab files and the first translation
// language: start with 1 tab and with 20, close tab 1 of 20, and Terminar
// with 20 unchanged pages. Each time is the best of three runs.
#include "controls/ControlSupport.h"
#include "core/Dialogs.h"
#include "core/ProfileFile.h"
#include "core/ProgramFolder.h"
#include "mainwindow/frmMain.h"
#include "messages/clsError.h"
#include "querypage/TabHistoryFile.h"

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
    // Six runs each, written as the pages write their history.
    for (int t = 1; t <= tabs; ++t) {
        TabHistoryFile file;
        for (int n = 5; n >= 0; --n) {
            const HistoryEntry run{QStringLiteral("SELECT * FROM Clientes\nWHERE IdCliente > %1").arg(n),
                                   QStringLiteral("IdCliente"), QString(),
                                   {1, 1, QString(), dir + "/sample.mdb", QString(), QString()}};
            TabHistoryFile next;
            file.recordNewest(run, 3240, next);
            file = next;
        }
        file.save(TabHistoryFile::pathOf(t));
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

// Lets the pages' editability checks after the restore finish, as they
// have long before a user closes the window; Terminar would wait for them.
void settle(frmMain& w)
{
    QElapsedTimer waited;
    waited.start();
    const auto pending = [&] {
        for (int i = 1; w.QueryPage(i); ++i)
            if (w.QueryPage(i)->TimerEnabled())
                return true;
        return false;
    };
    while (pending() && waited.elapsed() < 3000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
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
                   settle(*w);
               },
               [&] { w->Terminar(); }, drop),
           300);
    return 0;
}
