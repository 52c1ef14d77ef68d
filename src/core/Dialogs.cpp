#include "Dialogs.h"

#include <cstdio>

namespace {
class ConsoleDialogs : public SystemDialogs {
public:
    int msgBox(const QString& prompt, int, const QString& title) override
    {
        std::fprintf(stderr, "[%s] %s\n", qPrintable(title), qPrintable(prompt));
        return 1;
    }
    std::optional<QString> inputBox(const QString&, const QString&, const QString& defaultText) override
    {
        return defaultText;
    }
};

std::shared_ptr<SystemDialogs>& current()
{
    static std::shared_ptr<SystemDialogs> dialogs = std::make_shared<ConsoleDialogs>();
    return dialogs;
}
} // namespace

SystemDialogs& systemDialogs() { return *current(); }

std::shared_ptr<SystemDialogs> installSystemDialogs(std::shared_ptr<SystemDialogs> dialogs)
{
    auto previous = current();
    current() = dialogs ? std::move(dialogs) : std::make_shared<ConsoleDialogs>();
    return previous;
}

int SystemMsgBox(const QString& prompt, int style, const QString& title)
{
    return systemDialogs().msgBox(prompt, style, title);
}

std::optional<QString> SystemInputBox(const QString& prompt, const QString& title, const QString& defaultText)
{
    return systemDialogs().inputBox(prompt, title, defaultText);
}

int RecordingDialogs::msgBox(const QString& prompt, int style, const QString& title)
{
    calls.push_back({prompt, style, title});
    if (answers.empty())
        return defaultAnswer;
    int a = answers.front();
    answers.erase(answers.begin());
    return a;
}

std::optional<QString> RecordingDialogs::inputBox(const QString& prompt, const QString& title, const QString&)
{
    calls.push_back({prompt, 0, title});
    if (inputCancelled)
        return std::nullopt;
    return inputAnswer;
}

ScopedRecordingDialogs::ScopedRecordingDialogs() : rec_(std::make_shared<RecordingDialogs>())
{
    previous_ = installSystemDialogs(rec_);
}

ScopedRecordingDialogs::~ScopedRecordingDialogs() { installSystemDialogs(previous_); }
