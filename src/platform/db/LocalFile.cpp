#include "LocalFile.h"

#include "Types.h"
#include "core/Error.h"
#include "core/FileReplace.h"
#include "sqlite/LocalRegistry.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <sqlite3.h>
#include <sys/stat.h>

namespace db {

namespace {
const QString Src = QStringLiteral("DAO.DBEngine");

QString canonical(const QString& path)
{
    QFileInfo fi(path);
    QString c = fi.canonicalFilePath();
    return c.isEmpty() ? fi.absoluteFilePath() : c;
}

QMutex openMutex;
QHash<QString, int>& openFiles()
{
    static QHash<QString, int> h;
    return h;
}
} // namespace

namespace LocalRegistry {
void opened(const QString& path)
{
    QMutexLocker lock(&openMutex);
    ++openFiles()[canonical(path)];
}

void closed(const QString& path)
{
    QMutexLocker lock(&openMutex);
    auto it = openFiles().find(canonical(path));
    if (it != openFiles().end() && --it.value() <= 0)
        openFiles().erase(it);
}

bool isOpen(const QString& path)
{
    QMutexLocker lock(&openMutex);
    return openFiles().value(canonical(path)) > 0;
}
} // namespace LocalRegistry

LocalFileKind localFileKind(const QString& path)
{
    QFileInfo fi(path);
    if (!fi.exists() || !fi.isFile())
        return LocalFileKind::Missing;
    if (fi.size() == 0)
        return LocalFileKind::Empty;
    // A file this process holds open through the engine is one of its own;
    // reading it with another descriptor would drop the engine's locks on close.
    if (LocalRegistry::isOpen(path))
        return LocalFileKind::SQLite;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return LocalFileKind::Other;
    const QByteArray head = f.read(32);
    if (head.startsWith(QByteArrayLiteral("SQLite format 3")))
        return LocalFileKind::SQLite;
    if (head.size() >= 19 && head.mid(4, 15) == QByteArrayLiteral("Standard Jet DB"))
        return LocalFileKind::AccessJet;
    if (head.size() >= 19 && head.mid(4, 15) == QByteArrayLiteral("Standard ACE DB"))
        return LocalFileKind::AccessAce;
    return LocalFileKind::Other;
}

bool isDatabaseFileInUse(const QString& path)
{
    if (LocalRegistry::isOpen(path))
        return true;
    if (localFileKind(path) != LocalFileKind::SQLite)
        return false;
    // Another process: a write lock that cannot be had means someone holds the file.
    sqlite3* h = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &h, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        sqlite3_close(h);
        return false;
    }
    sqlite3_busy_timeout(h, 0);
    int rc = sqlite3_exec(h, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr);
    const bool busy = rc == SQLITE_BUSY || rc == SQLITE_LOCKED;
    if (rc == SQLITE_OK)
        sqlite3_exec(h, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(h);
    return busy;
}

namespace {

// What tells a file from its later states: a write changes its size or its
// modification time; a copy put in its place has another inode.
struct Stamp {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = -1;
    qint64 modifiedNs = 0;
    bool operator==(const Stamp&) const = default;
};

// None (size -1) for a file whose write-ahead log holds changes the file
// itself does not show yet.
Stamp stampOf(const QString& path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return {};
    struct stat wal {};
    if (::stat(QFile::encodeName(path + QStringLiteral("-wal")).constData(), &wal) == 0 && wal.st_size > 0)
        return {};
    return {st.st_dev, st.st_ino, st.st_size, qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

QByteArray memoLine(const QString& path, const Stamp& s)
{
    return QByteArray::number(quint64(s.device)) + ' ' + QByteArray::number(quint64(s.inode)) + ' '
        + QByteArray::number(qint64(s.size)) + ' ' + QByteArray::number(s.modifiedNs) + '\t' + path.toUtf8();
}

// The memo: a line per file, "device inode size modified<TAB>path", the latest last.
QList<QByteArray> memoLines(const QString& memo)
{
    QFile f(memo);
    if (memo.isEmpty() || !f.open(QIODevice::ReadOnly))
        return {};
    QList<QByteArray> lines = f.readAll().split('\n');
    lines.removeAll(QByteArray());
    return lines;
}

constexpr int MemoLimit = 200;

struct SoundFiles {
    std::mutex mutex;
    QString memo;
    bool read = false;
    QHash<QString, Stamp> files; // by canonical path
};

SoundFiles& soundFiles()
{
    static SoundFiles s;
    return s;
}

} // namespace

void setCaseCheckMemo(const QString& memoFile)
{
    SoundFiles& s = soundFiles();
    std::lock_guard lock(s.mutex);
    s.memo = memoFile;
    s.read = false;
    s.files.clear();
}

bool caseIndexesKnownSound(const QString& path)
{
    const Stamp now = stampOf(path);
    if (now.size < 0)
        return false;
    SoundFiles& s = soundFiles();
    std::lock_guard lock(s.mutex);
    if (!s.read) {
        s.read = true;
        for (const QByteArray& line : memoLines(s.memo)) {
            const qsizetype tab = line.indexOf('\t');
            const QList<QByteArray> n = line.left(tab).split(' ');
            if (tab > 0 && n.size() == 4)
                s.files.insert(QString::fromUtf8(line.mid(tab + 1)),
                               {dev_t(n[0].toULongLong()), ino_t(n[1].toULongLong()), off_t(n[2].toLongLong()),
                                n[3].toLongLong()});
        }
    }
    const auto it = s.files.constFind(canonical(path));
    return it != s.files.constEnd() && *it == now;
}

void noteCaseIndexesSound(const QString& path)
{
    const Stamp now = stampOf(path);
    if (now.size < 0)
        return;
    const QString key = canonical(path);
    if (key.contains(QLatin1Char('\n')))
        return; // a name the memo's lines cannot hold
    SoundFiles& s = soundFiles();
    std::lock_guard lock(s.mutex);
    const auto it = s.files.constFind(key);
    if (it != s.files.constEnd() && *it == now)
        return;
    s.files.insert(key, now);
    if (s.memo.isEmpty())
        return;
    // What other copies of the program noted meanwhile stays.
    QList<QByteArray> lines = memoLines(s.memo);
    const QByteArray tail = '\t' + key.toUtf8();
    lines.removeIf([&](const QByteArray& line) { return line.endsWith(tail); });
    lines << memoLine(key, now);
    if (lines.size() > MemoLimit)
        lines = lines.mid(lines.size() - MemoLimit);
    // Rewritten at every writing connection's close: no wait for the disk. A
    // memo lost in a crash only has its files checked again.
    FileReplace::replace(s.memo, lines.join('\n') + '\n', FileReplace::Durability::Cached);
}

bool repairCaseIndexes(sqlite3* h, int* tablesChecked)
{
    auto textOf = [](sqlite3_stmt* st, int c) {
        return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, c)));
    };
    QStringList tables;
    {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(h,
                               "SELECT DISTINCT m.tbl_name FROM sqlite_master AS m, pragma_index_xinfo(m.name) AS x "
                               "WHERE m.type = 'index' AND x.key = 1 AND x.coll = 'NOCASE' COLLATE NOCASE",
                               -1, &st, nullptr)
            != SQLITE_OK) {
            sqlite3_finalize(st);
            return false;
        }
        while (sqlite3_step(st) == SQLITE_ROW)
            tables << textOf(st, 0);
        sqlite3_finalize(st);
    }
    if (tablesChecked)
        *tablesChecked = int(tables.size());
    auto quoted = [](QString name) { return QLatin1Char('"') + name.replace(QLatin1Char('"'), QLatin1String("\"\"")) + QLatin1Char('"'); };
    QStringList outOfOrder;
    for (const QString& t : tables) {
        sqlite3_stmt* st = nullptr;
        const QByteArray check = (QStringLiteral("PRAGMA integrity_check(") + quoted(t) + QLatin1Char(')')).toUtf8();
        bool ok = sqlite3_prepare_v2(h, check.constData(), -1, &st, nullptr) == SQLITE_OK;
        while (ok && sqlite3_step(st) == SQLITE_ROW)
            ok = textOf(st, 0) == QLatin1String("ok");
        sqlite3_finalize(st);
        if (!ok)
            outOfOrder << t;
    }
    if (outOfOrder.isEmpty())
        return true;
    if (sqlite3_db_readonly(h, "main") != 0)
        return false;
    // Named with its schema, a table is never taken for a collation of that name.
    QString sql = QStringLiteral("BEGIN IMMEDIATE;");
    for (const QString& t : outOfOrder)
        sql += QStringLiteral(" REINDEX main.") + quoted(t) + QLatin1Char(';');
    if (sqlite3_exec(h, (sql + QStringLiteral(" COMMIT;")).toUtf8().constData(), nullptr, nullptr, nullptr) == SQLITE_OK)
        return true;
    if (!sqlite3_get_autocommit(h))
        sqlite3_exec(h, "ROLLBACK", nullptr, nullptr, nullptr);
    return false;
}

void CompactDatabase(const QString& src, const QString& dst, const QString& password)
{
    (void)password; // local files carry no password
    if (QFileInfo::exists(dst))
        raise(errDatabaseExists, QStringLiteral("La base de datos ya existe."), Src);
    switch (localFileKind(src)) {
    case LocalFileKind::Missing:
        raise(errDatabase, QStringLiteral("No se encuentra el archivo '%1'.").arg(src), Src);
    case LocalFileKind::SQLite:
    case LocalFileKind::Empty:
        break;
    default:
        raise(errDatabase, QStringLiteral("No se reconoce el formato de base de datos '%1'.").arg(src), Src);
    }
    sqlite3* h = nullptr;
    int rc = sqlite3_open_v2(src.toUtf8().constData(), &h, SQLITE_OPEN_READONLY, nullptr);
    if (rc == SQLITE_OK) {
        sqlite3_stmt* st = nullptr;
        rc = sqlite3_prepare_v2(h, "VACUUM INTO ?1", -1, &st, nullptr);
        if (rc == SQLITE_OK) {
            QByteArray d = dst.toUtf8();
            sqlite3_bind_text(st, 1, d.constData(), int(d.size()), SQLITE_TRANSIENT);
            rc = sqlite3_step(st);
            if (rc == SQLITE_DONE)
                rc = SQLITE_OK;
        }
        sqlite3_finalize(st);
    }
    QString msg = rc == SQLITE_OK ? QString() : QString::fromUtf8(sqlite3_errmsg(h));
    sqlite3_close(h);
    if (rc != SQLITE_OK) {
        QFile::remove(dst); // never leave half a copy behind
        raise(errDatabase, msg, Src);
    }
}

void ReplaceDatabaseFile(const QString& newFile, const QString& target)
{
    if (!QFileInfo::exists(newFile))
        raise(errDatabase, QStringLiteral("No se encuentra el archivo '%1'.").arg(newFile), Src);
    if (QFileInfo::exists(target) && isDatabaseFileInUse(target))
        raise(errFileInUse,
              QStringLiteral("No se puede sustituir '%1' porque está en uso.").arg(target), Src);
    if (std::rename(QFile::encodeName(newFile).constData(), QFile::encodeName(target).constData()) != 0)
        raise(errDatabase, QStringLiteral("No se puede sustituir '%1': %2").arg(target, QString::fromLocal8Bit(std::strerror(errno))),
              Src);
}

} // namespace db
