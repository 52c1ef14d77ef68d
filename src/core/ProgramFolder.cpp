#include "ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

namespace ProgramFolder {
namespace {

QString& fixed()
{
    static QString folder;
    return folder;
}

// Permission bits say little to root or on a read-only mount: try it.
bool writableFolder(const QString& dir)
{
    if (!QFileInfo(dir).isDir())
        return false;
    QTemporaryFile probe(dir + QStringLiteral("/.velmora-probe-XXXXXX"));
    return probe.open();
}

bool writableFile(const QString& path)
{
    if (!QFileInfo(path).isFile())
        return false;
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Append); // opens without changing a byte
}

QString stripSlash(QString p)
{
    while (p.size() > 1 && p.endsWith(QLatin1Char('/')))
        p.chop(1);
    return p;
}

} // namespace

QString resolve(const QString& executableDir, const QString& dataHome, const QString& defaultsDir)
{
    const QString exe = stripSlash(QDir::cleanPath(executableDir));
    const QFileInfo ini(exe + QStringLiteral("/Velmora.ini"));
    // A writable folder qualifies even with a read-only "Velmora.ini" in it:
    // settings are replaced by rename, which needs only the folder.
    if (!exe.isEmpty() && (writableFile(ini.filePath()) || writableFolder(exe)))
        return exe;

    if (dataHome.isEmpty())
        return QString();
    const QString user = stripSlash(QDir::cleanPath(dataHome)) + QStringLiteral("/velmora");
    if (!QDir().mkpath(user))
        return QString();
    // Seed once: files already there (the user's own settings) are never replaced.
    QDir defaults(defaultsDir);
    if (!defaultsDir.isEmpty() && defaults.exists()) {
        const auto entries = defaults.entryInfoList(QDir::Files | QDir::Readable);
        for (const QFileInfo& f : entries) {
            const QString target = user + QLatin1Char('/') + f.fileName();
            // The copies are the user's own: settings and tabs hold passwords.
            if (!QFileInfo::exists(target) && QFile::copy(f.absoluteFilePath(), target))
                QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
        }
    }
    return user;
}

QString path()
{
    if (fixed().isEmpty()) {
        const QString exe = QCoreApplication::applicationDirPath();
        QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
        if (!QDir::isAbsolutePath(dataHome))
            dataHome = QDir::homePath() + QStringLiteral("/.local/share");
        fixed() = resolve(exe, dataHome, exe + QStringLiteral("/../share/velmora"));
        if (fixed().isEmpty())
            fixed() = exe;
    }
    return fixed();
}

void setPath(const QString& folder) { fixed() = folder.isEmpty() ? QString() : stripSlash(QDir::cleanPath(folder)); }

QString file(const QString& name)
{
    QString n = name;
    n.replace(QLatin1Char('\\'), QLatin1Char('/'));
    while (n.startsWith(QLatin1Char('/')))
        n.remove(0, 1);
    return path() + QLatin1Char('/') + n;
}

} // namespace ProgramFolder
