// Velmora: the main window loads the running system, shows itself and runs
// until it is closed.
#include "core/ProgramFolder.h"
#include "core/Screen.h"
#include "mainwindow/frmMain.h"
#include "messages/MessageDialogs.h"

#include <QApplication>
#include <QScreen>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velmora"));
    installMessageDialogs();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        Screen::setLogicalDpi(screen->logicalDotsPerInch());
    // Decided once, before anything reads or writes a setting.
    ProgramFolder::path();

    frmMain window;
    window.Form_Load();
    if (window.ProgramEnded())
        return 0;
    window.show();
    return app.exec();
}
