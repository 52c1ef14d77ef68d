#pragma once
// How a window shows a modal dialog. The opener sets the dialog's inputs,
// hands it to runModal (which loads it first), then reads Cancelled and the
// outputs. The program
// runs the dialog's own event loop; a test installs a scripted runner that
// acts on the dialog (calls its handlers, fills its boxes) instead of showing
// it, so an opener is tested whole without a screen.
#include <QDialog>
#include <QStringList>
#include <deque>
#include <functional>
#include <memory>

class DialogFrame;

namespace controls {

class ModalRunner {
public:
    virtual ~ModalRunner() = default;
    virtual void run(QDialog& dialog, QWidget* owner) = 0;
};

// Installs a runner and returns the previous one; nullptr puts the real one back.
std::shared_ptr<ModalRunner> installModalRunner(std::shared_ptr<ModalRunner> runner);

// Loads the dialog (once) and shows it modally, owned and centred by owner, through the runner in force.
void runModal(DialogFrame& dialog, QWidget* owner);

// Runs each dialog with the next scripted step; a dialog without a step is
// left as it came (so it answers as its close box would have left it).
class ScriptedModalRunner : public ModalRunner {
public:
    using Step = std::function<void(QDialog&)>;
    std::deque<Step> steps;
    QStringList shown; // objectName of each dialog run, in order
    void run(QDialog& dialog, QWidget* owner) override;
};

// Installs a ScriptedModalRunner for a test's scope.
class ScopedScriptedRunner {
public:
    ScopedScriptedRunner();
    ~ScopedScriptedRunner();
    ScopedScriptedRunner(const ScopedScriptedRunner&) = delete;
    ScopedScriptedRunner& operator=(const ScopedScriptedRunner&) = delete;
    ScriptedModalRunner* operator->() { return runner_.get(); }
    ScriptedModalRunner& operator*() { return *runner_; }

    // Adds a step acting on a dialog of type D (another type is left alone).
    template <class D>
    void then(std::function<void(D&)> step)
    {
        runner_->steps.push_back([step](QDialog& d) {
            if (auto* typed = dynamic_cast<D*>(&d))
                step(*typed);
        });
    }

private:
    std::shared_ptr<ScriptedModalRunner> runner_;
    std::shared_ptr<ModalRunner> previous_;
};

} // namespace controls
