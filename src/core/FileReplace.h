#pragma once
// Replacing a settings file whole or not at all. The new bytes go into a
// temporary file beside the old one ("<name>.XXXXXX"), are pushed to the disk
// and checked, and only then take the file's name in one rename. Where the
// folder refuses new files the file is rewritten in place, but only once the
// disk has shown room for the new bytes, and any failure puts the old bytes
// back. Either way a file that cannot be written keeps its old bytes.
//
// The files hold passwords: whatever Velmora writes is readable and writable
// by its owner only (an existing file keeps only its owner's rights).
#include <QByteArray>
#include <QIODevice>
#include <QRegularExpression>
#include <QSaveFile>
#include <QString>
#include <QStringList>
#include <functional>

namespace FileReplace {

// Replaces (or creates) the file at path with bytes. False when the file
// could not be written; it then holds what it held before.
bool replace(const QString& path, const QByteArray& bytes);

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

// A file replaced by contents too large to hold at once: the parts written go
// through the installed Writer into a temporary file beside it, and commit()
// pushes them to the disk, checks, and only then gives the file its name. A
// failed or uncommitted Stream removes its temporary file; the old file keeps
// its bytes.
class Stream : public QIODevice {
public:
    explicit Stream(const QString& path);
    // False (errorString() says why) when no temporary file can be made.
    bool open();
    // False when a write failed or the disk did not take every byte.
    bool commit();
    QString fileName() const { return file_.fileName(); }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override;

private:
    bool fail();

    QSaveFile file_;
};

// Pushes the file's bytes to the disk: false when the disk did not take them.
bool settle(const QString& path);

// Removes the temporary files that an interrupted replace left in folder
// beside files whose whole names match `names`; nothing else. Answers the
// names removed.
QStringList removeLeftovers(const QString& folder, const QRegularExpression& names);

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
