// The help button (the page's local help page in the interface language) and
// the settings button (the settings dialog, then the one setting the page
// holds in memory).
#include "querypage/MaxSQL.h"

#include "core/Dialogs.h"
#include "core/ProgramFolder.h"
#include "core/VelmoraIni.h"
#include "messages/clsError.h"
#include "platform/shell/Shell.h"
#include "querypage/HelpPages.h"
#include "services/clsTablas.h"

#include <QCoreApplication>

void MaxSQL::BttHelp_MouseUp(int, int, float, float)
{
    guarded("BttHelp_MouseUp", [this] {
        // The page F1 opens, in the interface language; a message object that
        // has translated nothing yet holds no language: the Spanish page.
        helppages::openPage(QStringLiteral("MaxSQL"), errorObject_ ? errorObject_->Language() : QString());
    });
}

void MaxSQL::OpenWebPage(QString& address)
{
    // The plain system box, untranslated, as the page has always shown it.
    if (shell::open(address) != shell::OpenResult::Opened)
        SystemMsgBox(QStringLiteral("Error abriendo la página web."), 48, QCoreApplication::applicationName());
}

void MaxSQL::BttSettings_MouseUp(int, int, float, float)
{
    guarded("BttSettings_MouseUp", [this] {
        {
            std::unique_ptr<SettingsDialog> dialog = dialogs_.frmSettings();
            dialog->MSG = errorObject_;
            dialog->SCR = ctl_.scr;
            dialog->Show(this);
        }
        const bool old = showKey_;
        // An empty value reads as the default "0", as every reader of the key takes it.
        showKey_ = velmoraini::read(velmoraini::ExcludePrimaryKey) == QStringLiteral("0");
        if (showKey_ != old)
            emit ShowKeyChanged();
    });
}
