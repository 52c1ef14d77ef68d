#include "FileReplace.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <sys/file.h>
#include <sys/stat.h>
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

QString& exportRecord()
{
    static QString record;
    return record;
}

std::mutex& recordMutex()
{
    static std::mutex m;
    return m;
}

// ".<name>.velmora-" and six letters or digits: no other program makes it,
// and a user's copy of a file ("Velmora.ini.backup") never looks like it.
const QRegularExpression& temporaryPattern()
{
    static const QRegularExpression p(QStringLiteral("^\\.(.+)\\.velmora-[A-Za-z0-9]{6}$"));
    return p;
}

QString temporaryNameFor(const QString& target)
{
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QString suffix;
    for (int i = 0; i < 6; ++i)
        suffix += QLatin1Char(letters[QRandomGenerator::global()->bounded(int(sizeof letters) - 1)]);
    const QFileInfo info(target);
    return info.absolutePath() + QStringLiteral("/.") + info.fileName() + QStringLiteral(".velmora-") + suffix;
}

// A temporary file some Velmora holds open (and locked) is being written.
bool inUse(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return false;
    const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return held;
}

QStringList recordLines(const QString& record)
{
    QFile f(record);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QStringList lines;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (!line.isEmpty())
            lines << QString::fromUtf8(line);
    return lines;
}

void writeRecord(const QString& record, const QStringList& lines)
{
    if (lines.isEmpty()) {
        QFile::remove(record);
        return;
    }
    replace(record, (lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());
}

void noteExport(const QString& path, bool add)
{
    const std::lock_guard lock(recordMutex());
    const QString record = exportRecord();
    if (record.isEmpty())
        return;
    QStringList lines = recordLines(record);
    lines.removeAll(path);
    if (add)
        lines << path;
    writeRecord(record, lines);
}

// The temporary file opened on its descriptor, named (for the writers) after
// the file it becomes; the name is never used to reach the disk.
class TargetFile : public QFile {
public:
    explicit TargetFile(const QString& target) : target_(target) {}
    QString fileName() const override { return target_; }

private:
    QString target_;
};

bool synced(int fd)
{
    // A file system without a sync of its own has nothing more to push.
    return ::fsync(fd) == 0 || errno == EINVAL;
}

bool synced(QFileDevice& out) { return synced(out.handle()); }

bool written(QFileDevice& out, const QByteArray& bytes)
{
    const Writer& writer = currentWriter();
    return writer ? writer(out, bytes) : out.write(bytes) == bytes.size();
}

// A buffered write always succeeds in memory: only an explicit flush and a
// sync tell whether the disk took the bytes.
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

bool replace(const QString& path, const QByteArray& bytes, Durability durability)
{
    const QFileInfo info(path);
    const bool existed = info.exists();
    const QFileDevice::Permissions mode = modeFor(path, existed);
    const FolderCheck& check = currentFolderCheck();
    if (!check || check(info.absolutePath())) {
        Temporary temporary(path, Temporary::Use::Settings);
        if (temporary.isOpen()) {
            TargetFile out(path);
            if (!out.open(temporary.handle(), QIODevice::WriteOnly, QFileDevice::DontCloseHandle))
                return false;
            // The commit pushes the bytes to the disk (when asked): a flush here is enough.
            return QFile::setPermissions(temporary.path(), mode) && written(out, bytes) && out.flush()
                   && temporary.commit(durability);
        }
    }
    return existed && rewriteInPlace(path, bytes, mode);
}

Temporary::Temporary(const QString& target, Use use) : target_(target), use_(use)
{
    // A link is followed: the file it names is replaced, the link stays.
    const QFileInfo info(target);
    if (info.isSymLink())
        target_ = info.symLinkTarget();
    const mode_t mode = use == Use::Settings ? 0600 : 0666; // the latter less the user's mask
    for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
        path_ = temporaryNameFor(target_);
        if (use_ == Use::Export)
            noteExport(path_, true); // listed before it exists: a kill right after leaves nothing unlisted
        fd_ = ::open(QFile::encodeName(path_).constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        const int cause = errno;
        if (fd_ >= 0)
            break;
        if (use_ == Use::Export)
            noteExport(path_, false);
        error_ = QString::fromLocal8Bit(std::strerror(cause));
        if (cause != EEXIST)
            break;
    }
    if (fd_ < 0) {
        path_.clear();
        return;
    }
    ::flock(fd_, LOCK_EX | LOCK_NB);
    error_.clear();
}

Temporary::~Temporary() { drop(); }

void Temporary::drop()
{
    if (fd_ < 0)
        return;
    ::unlink(QFile::encodeName(path_).constData());
    ::close(fd_);
    fd_ = -1;
    if (use_ == Use::Export)
        noteExport(path_, false);
}

bool Temporary::commit(Durability durability)
{
    if (fd_ < 0)
        return false;
    if (use_ == Use::Export) {
        // A file replaced keeps its mode, as every program's save does.
        struct stat old {};
        if (::stat(QFile::encodeName(target_).constData(), &old) == 0 && ::fchmod(fd_, old.st_mode & 07777) != 0) {
            error_ = QString::fromLocal8Bit(std::strerror(errno));
            return false;
        }
    }
    if ((durability == Durability::Synced && !synced(fd_)) || std::rename(QFile::encodeName(path_).constData(), QFile::encodeName(target_).constData()) != 0) {
        error_ = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    ::close(fd_);
    fd_ = -1;
    if (use_ == Use::Export)
        noteExport(path_, false);
    return true;
}

bool isTemporaryName(const QString& fileName, QString* target)
{
    const QRegularExpressionMatch m = temporaryPattern().match(fileName);
    if (m.hasMatch() && target)
        *target = m.captured(1);
    return m.hasMatch();
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

Stream::Stream(const QString& path) : target_(path) {}

Stream::~Stream() = default;

bool Stream::open()
{
    temporary_ = std::make_unique<Temporary>(target_, Temporary::Use::Export);
    file_ = std::make_unique<TargetFile>(target_);
    if (!temporary_->isOpen() || !file_->open(temporary_->handle(), QIODevice::WriteOnly, QFileDevice::DontCloseHandle)) {
        setErrorString(temporary_->isOpen() ? file_->errorString() : temporary_->errorString());
        temporary_.reset();
        return false;
    }
    return QIODevice::open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

qint64 Stream::writeData(const char* data, qint64 size)
{
    if (!temporary_)
        return -1; // an earlier part failed
    if (written(*file_, QByteArray::fromRawData(data, size)))
        return size;
    fail();
    return -1;
}

bool Stream::commit()
{
    bool done = false;
    if (temporary_) {
        done = file_->flush() && temporary_->commit();
        if (!done)
            fail();
    }
    file_.reset();
    temporary_.reset();
    QIODevice::close();
    return done;
}

// The temporary file goes at once, not when the Stream does.
bool Stream::fail()
{
    // The system's own words for it (the file's often say only "Unknown error").
    const int cause = errno;
    setErrorString(cause != 0 ? QString::fromLocal8Bit(std::strerror(cause)) : file_ ? file_->errorString() : QString());
    file_.reset();
    temporary_.reset();
    return false;
}

bool settle(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) && synced(f);
}

QStringList removeLeftovers(const QString& folder, const QRegularExpression& names)
{
    const QRegularExpression whole(QRegularExpression::anchoredPattern(names.pattern()), names.patternOptions());
    QStringList removed;
    const auto entries = QDir(folder).entryInfoList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QFileInfo& f : entries) {
        QString target;
        if (f.isSymLink() || !isTemporaryName(f.fileName(), &target) || !whole.match(target).hasMatch() || inUse(f.filePath()))
            continue;
        if (QFile::remove(f.filePath()))
            removed << f.fileName();
    }
    return removed;
}

void setExportRecord(const QString& recordFile)
{
    const std::lock_guard lock(recordMutex());
    exportRecord() = recordFile;
}

QStringList removeUnfinishedExports(const QString& recordFile, const QStringList& folders)
{
    const std::lock_guard lock(recordMutex());
    static const QRegularExpression any(QStringLiteral(".+"));
    QStringList removed, kept;
    QStringList scanned = folders;
    for (const QString& path : recordLines(recordFile)) {
        const QFileInfo f(path);
        if (!isTemporaryName(f.fileName()))
            continue; // never a name Velmora did not make
        if (!scanned.contains(f.absolutePath()))
            scanned << f.absolutePath();
        if (f.exists() && inUse(path))
            kept << path;
    }
    for (const QString& folder : scanned)
        for (const QString& name : removeLeftovers(folder, any))
            removed << QDir(folder).filePath(name);
    writeRecord(recordFile, kept);
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
