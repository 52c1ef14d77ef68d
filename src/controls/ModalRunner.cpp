#include "controls/ModalRunner.h"

#include "controls/DialogFrame.h"

namespace controls {

namespace {

class ExecRunner : public ModalRunner {
public:
    void run(QDialog& dialog, QWidget* owner) override
    {
        if (owner && !dialog.parentWidget())
            dialog.setParent(owner, dialog.windowFlags() | Qt::Dialog);
        dialog.setWindowModality(Qt::ApplicationModal);
        dialog.exec();
    }
};

std::shared_ptr<ModalRunner>& current()
{
    static std::shared_ptr<ModalRunner> runner;
    return runner;
}

} // namespace

std::shared_ptr<ModalRunner> installModalRunner(std::shared_ptr<ModalRunner> runner)
{
    auto previous = current();
    current() = std::move(runner);
    return previous;
}

void runModal(DialogFrame& dialog, QWidget* owner)
{
    dialog.ensureLoaded();
    if (auto runner = current()) { // a step may install another runner
        runner->run(dialog, owner);
        return;
    }
    ExecRunner().run(dialog, owner);
}

void ScriptedModalRunner::run(QDialog& dialog, QWidget*)
{
    shown << dialog.objectName();
    if (steps.empty())
        return;
    Step step = std::move(steps.front());
    steps.pop_front();
    step(dialog);
}

ScopedScriptedRunner::ScopedScriptedRunner()
    : runner_(std::make_shared<ScriptedModalRunner>()), previous_(installModalRunner(runner_))
{
}

ScopedScriptedRunner::~ScopedScriptedRunner() { installModalRunner(previous_); }

} // namespace controls
