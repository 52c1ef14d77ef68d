#include "LocalFile.h"

#include "Types.h"
#include "core/Error.h"
#include "sqlite/LocalRegistry.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sqlite3.h>

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

bool repairCaseIndexes(sqlite3* h)
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
