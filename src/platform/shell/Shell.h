#pragma once
// Opening a file or an address with the desktop's default program. Help,
// scripts, workbooks and web pages go through here; tests install a
// recording launcher so nothing is really started.
#include <QList>
#include <QString>
#include <QUrl>
#include <memory>

namespace shell {

enum class OpenResult {
    Opened,  // the desktop took it
    Missing, // a local path that is no existing regular file; nothing was launched
    Failed,  // the desktop refused it
};

// target: an address with a scheme (http:, https:, mailto:, file:) or a local path.
// Callers report Missing and Failed.
OpenResult open(const QString& target);

// The URL open() launches for a target (a local path becomes a file: URL).
QUrl urlOf(const QString& target);

class Launcher {
public:
    virtual ~Launcher() = default;
    virtual bool launch(const QUrl& url) = 0;
};

// Installs a launcher; returns the previous one. nullptr puts back the real
// one (QDesktopServices::openUrl).
std::shared_ptr<Launcher> installLauncher(std::shared_ptr<Launcher> launcher);

class RecordingLauncher : public Launcher {
public:
    QList<QUrl> launched;
    bool answer = true; // what launch() reports

    bool launch(const QUrl& url) override;
};

// Installs a RecordingLauncher for its lifetime.
class ScopedRecordingLauncher {
public:
    ScopedRecordingLauncher();
    ~ScopedRecordingLauncher();
    ScopedRecordingLauncher(const ScopedRecordingLauncher&) = delete;
    ScopedRecordingLauncher& operator=(const ScopedRecordingLauncher&) = delete;
    RecordingLauncher& operator*() { return *rec_; }
    RecordingLauncher* operator->() { return rec_.get(); }

private:
    std::shared_ptr<RecordingLauncher> rec_;
    std::shared_ptr<Launcher> previous_;
};

} // namespace shell
