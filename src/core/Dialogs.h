#pragma once
// The system message box and input box. Data and services code shows its plain
// notices through here; the message subsystem installs the dialog that really
// shows them, and tests install a recorder.
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class SystemDialogs {
public:
    virtual ~SystemDialogs() = default;
    // MsgBox(prompt, buttons/icon style, title) -> result code (1 OK, 2 Cancel, 6 Yes, 7 No, ...).
    virtual int msgBox(const QString& prompt, int style, const QString& title) = 0;
    // InputBox(prompt, title, default) -> the text accepted (maybe ""), nothing when cancelled.
    virtual std::optional<QString> inputBox(const QString& prompt, const QString& title, const QString& defaultText) = 0;
};

// The dialogs in force. Without one installed, messages go to stderr and the
// answer is OK (1) / the default text.
SystemDialogs& systemDialogs();
// Installs a new implementation; returns the previous one (restore it when done).
std::shared_ptr<SystemDialogs> installSystemDialogs(std::shared_ptr<SystemDialogs> dialogs);

int SystemMsgBox(const QString& prompt, int style = 0, const QString& title = QString());
std::optional<QString> SystemInputBox(const QString& prompt, const QString& title = QString(), const QString& defaultText = QString());

// A recorder for tests: every call is kept; answers are taken from a queue
// (default answer when the queue is empty).
class RecordingDialogs : public SystemDialogs {
public:
    struct Call {
        QString prompt;
        int style = 0;
        QString title;
    };
    std::vector<Call> calls;
    std::vector<int> answers;
    int defaultAnswer = 1;
    QString inputAnswer;
    bool inputCancelled = false;

    int msgBox(const QString& prompt, int style, const QString& title) override;
    std::optional<QString> inputBox(const QString& prompt, const QString& title, const QString& defaultText) override;
};

// Installs a recorder for the lifetime of the guard.
class ScopedRecordingDialogs {
public:
    ScopedRecordingDialogs();
    ~ScopedRecordingDialogs();
    RecordingDialogs& operator*() { return *rec_; }
    RecordingDialogs* operator->() { return rec_.get(); }

private:
    std::shared_ptr<RecordingDialogs> rec_;
    std::shared_ptr<SystemDialogs> previous_;
};
