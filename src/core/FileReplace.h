#pragma once
// Replacing a settings file whole or not at all. The new bytes go into a
// temporary file beside the old one (".<name>.velmora-XXXXXX", a name only
// Velmora makes), are pushed to the disk and checked, and only then take the
// file's name in one rename. Where the
// folder refuses new files the file is rewritten in place, but only once the
// disk has shown room for the new bytes, and any failure puts the old bytes
// back. Either way a file that cannot be written keeps its old bytes.
//
// The files hold passwords: whatever Velmora writes is readable and writable
// by its owner only (an existing file keeps only its owner's rights).
// Exports are the user's own files instead: a new one is made as the user's
// file mask says (0666 less the mask), a replaced one keeps its mode.
#include <QByteArray>
#include <QIODevice>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QFile>
#include <functional>
#include <memory>

namespace FileReplace {

// Whether the new bytes reach the disk before they take the file's name.
// Cached skips that wait: after a crash the file may come back empty or as it
// was, never partly written. Only for a file whose loss costs nothing but work
// done again.
enum class Durability { Synced, Cached };

// Replaces (or creates) the file at path with bytes. False when the file
// could not be written; it then holds what it held before.
bool replace(const QString& path, const QByteArray& bytes, Durability durability = Durability::Synced);

// What writes bytes into an opened file and reports whether all of them got
// there; the real one writes and flushes. Tests put in one that fails after
// some bytes, as a full disk does; nullptr puts back the real one.
using Writer = std::function<bool(QIODevice& out, const QByteArray& bytes)>;
Writer installWriter(Writer writer);
// Whether a new file may be made in a folder; the real answer is yes (the
// attempt itself tells). Tests put in one that says no, which no file mode
// can promise when the tests run with every right.
using FolderCheck = std::function<bool(const QString& folder)>;
FolderCheck installFolderCheck(FolderCheck check);

// The temporary file a write goes into before it takes the name of `target`:
// made new beside it under a name only Velmora makes, locked while it lives
// (a start of another Velmora leaves it alone) and removed unless committed.
// An export's temporary file is also listed in the export record (see
// setExportRecord) until it is committed or removed, so that the next start
// finds what a killed export left wherever it was.
class Temporary {
public:
    enum class Use { Settings, Export };
    Temporary(const QString& target, Use use);
    ~Temporary();
    Temporary(const Temporary&) = delete;
    Temporary& operator=(const Temporary&) = delete;

    // False (errorString() says why) when no file could be made.
    bool isOpen() const { return fd_ >= 0; }
    QString errorString() const { return error_; }
    QString path() const { return path_; }
    QString target() const { return target_; }
    int handle() const { return fd_; }
    // Pushes the bytes to the disk (unless Cached), gives the file the mode its
    // use asks and then the target's name. False (the target untouched) when
    // any step fails.
    bool commit(Durability durability = Durability::Synced);
    // Removes the file now rather than when this goes.
    void drop();

private:
    QString target_;
    QString path_;
    QString error_;
    Use use_;
    int fd_ = -1;
};

// Whether a file name is one of the temporary names above; `target` receives
// the name of the file it was to become.
bool isTemporaryName(const QString& fileName, QString* target = nullptr);

// A file replaced by contents too large to hold at once: the parts written go
// through the installed Writer into a temporary file beside it, and commit()
// pushes them to the disk, checks, and only then gives the file its name. A
// failed or uncommitted Stream removes its temporary file; the old file keeps
// its bytes. Its files are exports (their mode and record as above).
class Stream : public QIODevice {
public:
    explicit Stream(const QString& path);
    ~Stream() override;
    // False (errorString() says why) when no temporary file can be made.
    bool open();
    // False when a write failed or the disk did not take every byte.
    bool commit();
    QString fileName() const { return target_; }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override;

private:
    bool fail();

    QString target_;
    std::unique_ptr<Temporary> temporary_;
    std::unique_ptr<QFile> file_; // declared after: closed before its file goes
};

// Pushes the file's bytes to the disk: false when the disk did not take them.
bool settle(const QString& path);

// Removes the temporary files that an interrupted replace left in folder
// beside files whose whole names match `names`; nothing else (a user's file
// never carries the temporary name; a temporary file another Velmora is
// writing is left). Answers the names removed.
QStringList removeLeftovers(const QString& folder, const QRegularExpression& names);

// The file where exports list their temporary files while they write; empty:
// none is kept (the default).
void setExportRecord(const QString& recordFile);
// What killed exports left: the temporary files the record lists and those in
// `folders` and in every folder the record names. The record keeps only what
// is still being written. Answers the paths removed.
QStringList removeUnfinishedExports(const QString& recordFile, const QStringList& folders);

// While one lives, files that could not be saved are collected here rather
// than reported one by one (the program's close reports them in one message).
class FailedSaves {
public:
    FailedSaves();
    ~FailedSaves();
    FailedSaves(const FailedSaves&) = delete;
    FailedSaves& operator=(const FailedSaves&) = delete;
    // True when a collection is open and took the file.
    static bool collect(const QString& path);
    const QStringList& files() const { return files_; }

private:
    QStringList files_;
    FailedSaves* outer_;
};

} // namespace FileReplace
