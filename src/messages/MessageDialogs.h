#pragma once
// The system message box and input box of a desktop session, for the data
// and services code that shows its plain notices through SystemMsgBox.
#include "core/Dialogs.h"

#include <memory>

class QInputDialog;
class QMessageBox;

class MessageDialogs : public SystemDialogs {
public:
    // Buttons by the low bits of the style (0 OK, 1 OK/Cancel, 2 Abort/Retry/Ignore,
    // 3 Yes/No/Cancel, 4 Yes/No, 5 Retry/Cancel), icon by 16, 32, 48 or 64.
    int msgBox(const QString& prompt, int style, const QString& title) override;
    std::optional<QString> inputBox(const QString& prompt, const QString& title, const QString& defaultText) override;
    // The dialogs as they are shown (their buttons in the interface language).
    static std::unique_ptr<QMessageBox> messageBox(const QString& prompt, int style, const QString& title);
    static std::unique_ptr<QInputDialog> inputDialog(const QString& prompt, const QString& title,
                                                     const QString& defaultText);
};

// Installs the desktop dialogs as the system dialogs (the program does it at start).
void installMessageDialogs();
