// Velmora: the main window loads the running system, shows itself and runs
// until it is closed.
#include "controls/ControlSupport.h"
#include "core/ProgramFolder.h"
#include "mainwindow/PageDialogFactories.h"
#include "mainwindow/frmMain.h"
#include "messages/MessageDialogs.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velmora"));
    installMessageDialogs();
    // The pages open the real SQL editor, settings, new-key, key-field and data-source dialogs.
    mainwindow::installPageDialogs();
    controls::applyScreenDpi();
    // Decided once, before anything reads or writes a setting.
    ProgramFolder::path();

    frmMain window;
    window.Form_Load();
    if (window.ProgramEnded())
        return 0;
    window.show();
    return app.exec();
}
