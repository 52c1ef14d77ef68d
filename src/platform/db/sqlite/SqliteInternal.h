#pragma once
// The pieces of the local engine backend shared by its files; nothing outside
// this folder includes it.
#include "SqliteBackend.h"

#include "SqliteTypes.h"
#include "core/Error.h"

#include <QFileInfo>
#include <QHash>
#include <mutex>
#include <sqlite3.h>
#include <sys/stat.h>

namespace db::sqlitebackend {

inline const QString Src = QStringLiteral("Motor de base de datos local");

[[noreturn]] inline void fail(sqlite3* h, const QString& context = QString())
{
    QString msg = QString::fromUtf8(sqlite3_errmsg(h));
    if (!context.isEmpty())
        msg = context + QStringLiteral(": ") + msg;
    raise(errDatabase, msg, Src);
}

struct Stmt {
    sqlite3_stmt* s = nullptr;
    ~Stmt() { sqlite3_finalize(s); }
};

// ---- what the catalog read of a file, per schema version ---------------------

// Every data-access call opens its own connection, and the engine parses the
// whole stored schema again on each connection's first statement: on a file
// of hundreds of tables that parse is most of a call's time. The description
// of a table only changes with the schema, whose version number the engine
// bumps on every change and reads without that parse. So a table described
// once is answered again from here while the file is the same file (device,
// inode, size, modification time) at the same schema version, read outside
// any open transaction (an uncommitted change may be rolled back and its
// version number come again with another schema).
class SchemaMemo {
public:
    struct FileId {
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = 0;
        qint64 modifiedNs = 0;
        bool operator==(const FileId&) const = default;
    };
    static FileId identify(const QString& path)
    {
        struct stat st {};
        if (::stat(QFile::encodeName(path).constData(), &st) != 0)
            return {};
        return {st.st_dev, st.st_ino, st.st_size, qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
    }

    // Whether the schema of that file at that version was read before (so it parses).
    bool known(const QString& path, const FileId& id, int version)
    {
        std::lock_guard lock(mutex_);
        const auto it = files_.constFind(path);
        return it != files_.constEnd() && it->id == id && it->version == version;
    }
    std::optional<TableInfo> table(const QString& path, const FileId& id, int version, const QString& name)
    {
        std::lock_guard lock(mutex_);
        const auto it = files_.constFind(path);
        if (it == files_.constEnd() || !(it->id == id) || it->version != version)
            return std::nullopt;
        const auto t = it->tables.constFind(name);
        if (t == it->tables.constEnd())
            return std::nullopt;
        return *t;
    }
    void remember(const QString& path, const FileId& id, int version, const QString& name, const TableInfo& info)
    {
        std::lock_guard lock(mutex_);
        File& f = files_[path];
        if (!(f.id == id) || f.version != version) {
            f = File{id, version, {}};
            // A few files at a time is what one session compares or edits.
            if (files_.size() > 8) {
                files_.clear();
                files_.insert(path, File{id, version, {}});
            }
        }
        files_[path].tables.insert(name, info);
    }
    void noteParsed(const QString& path, const FileId& id, int version)
    {
        std::lock_guard lock(mutex_);
        File& f = files_[path];
        if (!(f.id == id) || f.version != version)
            f = File{id, version, {}};
    }

    static SchemaMemo& instance()
    {
        static SchemaMemo memo;
        return memo;
    }

private:
    struct File {
        FileId id;
        int version = -1;
        QHash<QString, TableInfo> tables;
    };
    std::mutex mutex_;
    QHash<QString, File> files_;
};

// Registers the Access dialect's functions and collation on a connection.
void registerFunctions(sqlite3* h);
// Types the expression columns whose expression tells what they compute.
void declareExpressionTypes(sqlite3* h, sqlite3_stmt* s, ResultSet& rs, std::vector<bool>& inferred);


// The rows of a prepared statement, read as they are asked for. Columns
// without declared type are typed by the values read so far, or, settled,
// by every value: read once beforehand.
class SqliteRows : public RowSource {
public:
    SqliteRows(sqlite3* h, sqlite3_stmt* s, std::vector<FieldInfo> described, std::vector<bool> inferred, bool settle)
        : h_(h), s_(s, &sqlite3_finalize), described_(std::move(described)), fields_(described_), inferred_(std::move(inferred)),
          typing_(inferred_.size())
    {
        if (!settle || std::find(inferred_.begin(), inferred_.end(), true) == inferred_.end())
            return;
        int rc;
        while ((rc = sqlite3_step(s_.get())) == SQLITE_ROW)
            see();
        if (rc != SQLITE_DONE)
            fail(h_);
        sqlite3_reset(s_.get());
        settle_ = true;
        retype();
    }
    const std::vector<FieldInfo>& fields() const override { return fields_; }

    qint64 read(ResultBuilder& b, qint64 rows) override
    {
        if (done_)
            return 0;
        const int cols = int(fields_.size());
        qint64 n = 0;
        int rc = SQLITE_ROW;
        sqlite3_stmt* s = s_.get();
        while (n < rows && (rc = sqlite3_step(s)) == SQLITE_ROW) {
            b.beginRow();
            for (int c = 0; c < cols; ++c) {
                switch (sqlite3_column_type(s, c)) {
                case SQLITE_INTEGER:
                    b.addInt(sqlite3_column_int64(s, c));
                    break;
                case SQLITE_FLOAT:
                    b.addReal(sqlite3_column_double(s, c));
                    break;
                case SQLITE_TEXT: {
                    const unsigned char* t = sqlite3_column_text(s, c);
                    b.addText(reinterpret_cast<const char*>(t), std::size_t(sqlite3_column_bytes(s, c)));
                    break;
                }
                case SQLITE_BLOB: {
                    const void* p = sqlite3_column_blob(s, c);
                    b.addBlob(p, std::size_t(sqlite3_column_bytes(s, c)));
                    break;
                }
                default:
                    b.addNull();
                    break;
                }
            }
            if (!settle_)
                see();
            ++n;
        }
        if (rc != SQLITE_ROW) {
            done_ = true;
            if (rc != SQLITE_DONE)
                fail(h_);
        }
        if (!settle_ && n > 0)
            retype();
        return n;
    }

private:
    void see()
    {
        sqlite3_stmt* s = s_.get();
        for (std::size_t c = 0; c < inferred_.size(); ++c) {
            if (!inferred_[c])
                continue;
            sqlitetypes::ValueTyping& t = typing_[c];
            switch (sqlite3_column_type(s, int(c))) {
            case SQLITE_INTEGER: t.seeInt(sqlite3_column_int64(s, int(c))); break;
            case SQLITE_FLOAT: t.seeReal(); break;
            case SQLITE_TEXT: t.seeText(sqlite3_column_bytes(s, int(c))); break;
            case SQLITE_BLOB: t.seeBlob(); break;
            default: break;
            }
        }
    }
    void retype()
    {
        for (std::size_t c = 0; c < inferred_.size(); ++c)
            if (inferred_[c]) {
                fields_[c] = described_[c];
                typing_[c].apply(fields_[c]);
            }
    }

    sqlite3* h_;
    std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> s_;
    std::vector<FieldInfo> described_;
    std::vector<FieldInfo> fields_;
    std::vector<bool> inferred_;
    std::vector<sqlitetypes::ValueTyping> typing_;
    bool settle_ = false;
    bool done_ = false;
};

} // namespace db::sqlitebackend
