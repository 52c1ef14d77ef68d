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

QString resolve(const QString& executableDir, const QString& dataHome, const QString& defaultsDir, const Writable& writable)
{
    const QString exe = stripSlash(QDir::cleanPath(executableDir));
    const QFileInfo ini(exe + QStringLiteral("/Velmora.ini"));
    // A writable folder qualifies even with a read-only "Velmora.ini" in it:
    // settings are replaced by rename, which needs only the folder.
    const auto canWrite = [&](const QString& path, bool (*tried)(const QString&)) {
        return writable ? writable(path) : tried(path);
    };
    if (!exe.isEmpty() && ((ini.isFile() && canWrite(ini.filePath(), writableFile)) || canWrite(exe, writableFolder)))
        return exe;

    if (dataHome.isEmpty())
        return QString();
    const QString user = stripSlash(QDir::cleanPath(dataHome)) + QStringLiteral("/velmora");
    const bool first = !QFileInfo(user).isDir();
    if (!QDir().mkpath(user))
        return QString();
    const auto seed = [&](const QString& from, const QStringList& names) {
        const auto entries = QDir(from).entryInfoList(names, QDir::Files | QDir::Readable);
        for (const QFileInfo& f : entries) {
            const QString target = user + QLatin1Char('/') + f.fileName();
            // The copies are the user's own: settings and tabs hold passwords.
            if (!QFileInfo::exists(target) && QFile::copy(f.absoluteFilePath(), target))
                QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
        }
    };
    // The first time, the settings and tabs the program folder already holds
    // (a copy used where it could write) come along, ahead of the installed
    // ones; later starts never bring back a tab the user closed.
    if (first && !exe.isEmpty())
        seed(exe, {QStringLiteral("Velmora.ini"), QStringLiteral("Velmora_Tab*.ini")});
    // Files already there (the user's own settings) are never replaced.
    if (!defaultsDir.isEmpty() && QFileInfo(defaultsDir).isDir())
        seed(defaultsDir, {});
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
