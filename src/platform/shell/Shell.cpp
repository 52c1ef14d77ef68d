#include "Shell.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QRegularExpression>

namespace shell {
namespace {

class DesktopLauncher : public Launcher {
public:
    bool launch(const QUrl& url) override { return QDesktopServices::openUrl(url); }
};

std::shared_ptr<Launcher>& current()
{
    static std::shared_ptr<Launcher> launcher = std::make_shared<DesktopLauncher>();
    return launcher;
}

bool hasScheme(const QString& target)
{
    // Two letters at least, so that no drive letter passes for a scheme.
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
    return scheme.match(target).hasMatch();
}

} // namespace

QUrl urlOf(const QString& target)
{
    if (hasScheme(target))
        return QUrl(target);
    return QUrl::fromLocalFile(target);
}

OpenResult open(const QString& target)
{
    const QUrl url = urlOf(target.trimmed());
    if (target.trimmed().isEmpty() || !url.isValid())
        return OpenResult::Missing;
    if (url.isLocalFile()) {
        const QFileInfo info(url.toLocalFile());
        if (!info.exists() || !info.isFile())
            return OpenResult::Missing;
    }
    return current()->launch(url) ? OpenResult::Opened : OpenResult::Failed;
}

std::shared_ptr<Launcher> installLauncher(std::shared_ptr<Launcher> launcher)
{
    auto previous = current();
    current() = launcher ? std::move(launcher) : std::make_shared<DesktopLauncher>();
    return previous;
}

bool RecordingLauncher::launch(const QUrl& url)
{
    launched.append(url);
    return answer;
}

ScopedRecordingLauncher::ScopedRecordingLauncher() : rec_(std::make_shared<RecordingLauncher>())
{
    previous_ = installLauncher(rec_);
}

ScopedRecordingLauncher::~ScopedRecordingLauncher() { installLauncher(previous_); }

} // namespace shell
