#pragma once
// Local database files: what kind a file is, whether someone holds it,
// compaction into a new file and putting that file in place of the original.
#include <QString>

struct sqlite3;

namespace db {

enum class LocalFileKind {
    Missing,     // no such file
    Empty,       // zero bytes (a new file the local engine will initialise)
    SQLite,      // the local engine's own files
    AccessJet,   // written by the Windows engine: "Standard Jet DB" on the first page (.mdb)
    AccessAce,   // "Standard ACE DB" (.accdb)
    Other,
};

LocalFileKind localFileKind(const QString& path);
inline bool isAccessEngineFile(const QString& path)
{
    auto k = localFileKind(path);
    return k == LocalFileKind::AccessJet || k == LocalFileKind::AccessAce;
}

// True when a connection of this process has the file open, or another process
// holds a lock on it (tried with an exclusive lock, nothing is changed).
bool isDatabaseFileInUse(const QString& path);

// Writes a compacted copy of src to dst (which must not exist; raises
// errDatabaseExists then). The source is only read. Raises Error with the engine's message.
void CompactDatabase(const QString& src, const QString& dst, const QString& password = QString());

// Earlier builds ordered the indexes of NOCASE text by a comparison of their
// own, which every other reader of the file finds out of order. The tables
// with such an index are checked (read only) and, where the engine finds an
// index out of order, their indexes are built again; rows are not touched.
// False when a repair was needed and could not be made (the file busy or
// read-only): the caller tries again on a later opening. tablesChecked: how
// many tables have such an index.
bool repairCaseIndexes(sqlite3* h, int* tablesChecked = nullptr);

// The check reads every row of those tables: a file found sound is
// remembered by its path, inode, size and modification time (a write changes
// one of them), in this process and, between starts, in the memo file
// (empty: none). Setting the memo begins anew, as a start does.
void setCaseCheckMemo(const QString& memoFile);
// Whether the file was found sound as it is now.
bool caseIndexesKnownSound(const QString& path);
// Notes the file as it is now as sound: after the check, and after this
// build's own writes, which never put an index out of order.
void noteCaseIndexesSound(const QString& path);

// Puts newFile in the place of target by rename (target replaced atomically).
// Raises errFileInUse when target is in use, leaving both files as they were.
void ReplaceDatabaseFile(const QString& newFile, const QString& target);

} // namespace db
