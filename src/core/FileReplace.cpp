#include "FileReplace.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace FileReplace {
namespace {

Writer& currentWriter()
{
    static Writer writer;
    return writer;
}

FolderCheck& currentFolderCheck()
{
    static FolderCheck check;
    return check;
}

FailedSaves*& openCollection()
{
    static FailedSaves* collection = nullptr;
    return collection;
}

bool synced(QFileDevice& out)
{
    // A file system without a sync of its own has nothing more to push.
    return ::fsync(out.handle()) == 0 || errno == EINVAL;
}

bool written(QFileDevice& out, const QByteArray& bytes)
{
    const Writer& writer = currentWriter();
    return writer ? writer(out, bytes) : out.write(bytes) == bytes.size();
}

// A buffered write always succeeds in memory, and QSaveFile's commit renames
// even after its last flush failed: only an explicit flush and a sync tell
// whether the disk took the bytes.
bool settled(QFileDevice& out)
{
    return out.flush() && synced(out);
}

bool put(QFileDevice& out, const QByteArray& bytes)
{
    return written(out, bytes) && settled(out);
}

QFileDevice::Permissions modeFor(const QString& path, bool existed)
{
    const QFileDevice::Permissions owner = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    return existed ? QFile::permissions(path) & (owner | QFileDevice::ExeOwner) : owner;
}

// The folder takes no new file: the file itself is rewritten. The part of the
// new bytes beyond the old end goes first; only when the disk has taken it
// are the old bytes overwritten, in room the file already holds. Any failure
// puts the old bytes back.
bool rewriteInPlace(const QString& path, const QByteArray& bytes, QFileDevice::Permissions mode)
{
    QFile f(path);
    // Unbuffered: a failed write must leave nothing behind to be written later.
    if (!f.open(QIODevice::ReadWrite | QIODevice::Unbuffered))
        return false;
    const QByteArray old = f.readAll();
    if (f.error() != QFileDevice::NoError)
        return false;
    const qint64 oldSize = old.size();
    if (bytes.size() > oldSize && !(f.seek(oldSize) && put(f, bytes.mid(oldSize)))) {
        f.resize(oldSize);
        return false;
    }
    if (f.seek(0) && put(f, bytes.left(oldSize)) && f.resize(bytes.size()) && synced(f)) {
        f.setPermissions(mode);
        return true;
    }
    f.seek(0);
    f.write(old);
    f.resize(oldSize);
    synced(f);
    return false;
}

} // namespace

bool replace(const QString& path, const QByteArray& bytes)
{
    const QFileInfo info(path);
    const bool existed = info.exists();
    const QFileDevice::Permissions mode = modeFor(path, existed);
    const FolderCheck& check = currentFolderCheck();
    if (!check || check(info.absolutePath())) {
        QSaveFile out(path);
        // Never QSaveFile's own in-place fallback: it truncates first.
        out.setDirectWriteFallback(false);
        if (out.open(QIODevice::WriteOnly)) {
            if (out.setPermissions(mode) && put(out, bytes))
                return out.commit();
            out.cancelWriting();
            return false;
        }
    }
    return existed && rewriteInPlace(path, bytes, mode);
}

Writer installWriter(Writer writer)
{
    Writer previous = std::move(currentWriter());
    currentWriter() = std::move(writer);
    return previous;
}

FolderCheck installFolderCheck(FolderCheck check)
{
    FolderCheck previous = std::move(currentFolderCheck());
    currentFolderCheck() = std::move(check);
    return previous;
}

Stream::Stream(const QString& path) : file_(path)
{
    // Never QSaveFile's own in-place fallback: it truncates first.
    file_.setDirectWriteFallback(false);
}

bool Stream::open()
{
    if (!file_.open(QIODevice::WriteOnly)) {
        setErrorString(file_.errorString());
        return false;
    }
    return QIODevice::open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

qint64 Stream::writeData(const char* data, qint64 size)
{
    if (!file_.isOpen())
        return -1; // an earlier part failed
    if (written(file_, QByteArray::fromRawData(data, size)))
        return size;
    fail();
    return -1;
}

bool Stream::commit()
{
    const bool done = file_.isOpen() && settled(file_) ? file_.commit() || fail() : fail();
    QIODevice::close();
    return done;
}

// The temporary file goes at once, not when the Stream does.
bool Stream::fail()
{
    // The system's own words for it (the file's often say only "Unknown error").
    const int cause = errno;
    setErrorString(cause != 0 ? QString::fromLocal8Bit(std::strerror(cause)) : file_.errorString());
    if (file_.isOpen()) {
        file_.cancelWriting();
        file_.commit();
    }
    return false;
}

bool settle(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) && synced(f);
}

QStringList removeLeftovers(const QString& folder, const QRegularExpression& names)
{
    // QSaveFile's temporary name: the file's name, a dot and six letters.
    static const QRegularExpression temporary(QStringLiteral("^(.+)\\.[A-Za-z]{6}$"));
    const QRegularExpression whole(QRegularExpression::anchoredPattern(names.pattern()), names.patternOptions());
    QStringList removed;
    const auto entries = QDir(folder).entryInfoList(QDir::Files | QDir::Hidden);
    for (const QFileInfo& f : entries) {
        const QRegularExpressionMatch m = temporary.match(f.fileName());
        if (f.isSymLink() || !m.hasMatch() || !whole.match(m.captured(1)).hasMatch())
            continue;
        if (QFile::remove(f.filePath()))
            removed << f.fileName();
    }
    return removed;
}

FailedSaves::FailedSaves() : outer_(openCollection()) { openCollection() = this; }

FailedSaves::~FailedSaves() { openCollection() = outer_; }

bool FailedSaves::collect(const QString& path)
{
    FailedSaves* open = openCollection();
    if (!open)
        return false;
    if (!open->files_.contains(path))
        open->files_ << path;
    return true;
}

} // namespace FileReplace
