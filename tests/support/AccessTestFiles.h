#pragma once
// Real Access files written by the Windows engine (the shared test data beside
// the checkout), copied to a temporary folder before a test opens them, and the
// MDBTools command-line tools that give the reference answers about them.
#include <QByteArray>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <optional>
#include <vector>

namespace accesstest {

inline constexpr char MdbFile[] = "DateTestDatabase.mdb";
inline constexpr char AccdbFile[] = "ASampleDatabase.accdb";
inline constexpr char NwindFile[] = "nwind.mdb"; // Jet 3: Single, Yes/No, Memo and OLE columns
inline constexpr const char* Files[] = {MdbFile, AccdbFile, NwindFile};

// The folder of the test files: $VELMORA_SHARED_DIR/data/access when set, else
// shared/data/access beside the checkout or beside any folder above it (a
// worktree sits one level deeper than the checkout). Empty when there is none.
inline QString dataDir()
{
    const QString relative = QStringLiteral("data/access");
    const QByteArray shared = qgetenv("VELMORA_SHARED_DIR");
    if (!shared.isEmpty()) {
        const QString dir = QDir(QString::fromLocal8Bit(shared)).filePath(relative);
        if (QFileInfo::exists(QDir(dir).filePath(QLatin1String(MdbFile))))
            return dir;
    }
    QDir at(QString::fromLocal8Bit(qgetenv("VELMORA_SOURCE_DIR")));
    if (at.path().isEmpty() || at.path() == QLatin1String("."))
        return QString();
    while (at.cdUp()) {
        const QString dir = at.filePath(QStringLiteral("shared/") + relative);
        if (QFileInfo::exists(QDir(dir).filePath(QLatin1String(MdbFile))))
            return dir;
        if (at.isRoot())
            break;
    }
    return QString();
}

// Why the real-file tests cannot run here; empty when they can.
inline QString missing()
{
    if (dataDir().isEmpty())
        return QStringLiteral("the Access test files (shared/data/access beside the checkout, or "
                              "$VELMORA_SHARED_DIR/data/access) are not there");
    for (const char* tool : {"mdb-tables", "mdb-count", "mdb-export", "mdb-schema"})
        if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
            return QStringLiteral("%1 (package mdbtools) is not installed").arg(QLatin1String(tool));
    return QString();
}

// Copies the files into dir, writable, so that only the data layer keeps them unchanged.
inline bool copyInto(const QTemporaryDir& dir)
{
    for (const char* name : Files) {
        const QString target = dir.filePath(QLatin1String(name));
        if (!QFile::copy(QDir(dataDir()).filePath(QLatin1String(name)), target))
            return false;
        QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
    }
    return true;
}

inline QByteArray sha256(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256).toHex();
}

// Standard output of an MDBTools tool as UTF-8 text. The tools take names and
// write text in the locale's character set: under a C locale a table named
// with an accent is not found.
inline QString run(const QString& tool, const QStringList& arguments)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    p.setProcessEnvironment(env);
    p.start(tool, arguments);
    p.waitForFinished(-1); // a slow machine waits longer; the test runner's limit ends a hang
    return QString::fromUtf8(p.readAllStandardOutput());
}

// Rows of CSV as mdb-export writes it: quoted values may hold commas, doubled
// quotes and line breaks; an unquoted empty value is a null.
inline std::vector<std::vector<std::optional<QString>>> parseCsv(const QString& text)
{
    std::vector<std::vector<std::optional<QString>>> rows;
    std::vector<std::optional<QString>> row;
    QString value;
    bool quoted = false, wasQuoted = false, inQuotes = false;
    auto endValue = [&] {
        row.push_back(wasQuoted || !value.isEmpty() ? std::optional<QString>(value) : std::nullopt);
        value.clear();
        wasQuoted = quoted = false;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (inQuotes) {
            if (c == QLatin1Char('"') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('"')) {
                value += c;
                ++i;
            } else if (c == QLatin1Char('"')) {
                inQuotes = false;
            } else {
                value += c;
            }
        } else if (c == QLatin1Char('"')) {
            inQuotes = quoted = wasQuoted = true;
        } else if (c == QLatin1Char(',')) {
            endValue();
        } else if (c == QLatin1Char('\n')) {
            endValue();
            rows.push_back(std::move(row));
            row.clear();
        } else if (c != QLatin1Char('\r') || quoted) {
            value += c;
        }
    }
    if (!value.isEmpty() || !row.empty()) {
        endValue();
        rows.push_back(std::move(row));
    }
    return rows;
}

// Dates as the tests ask mdb-export to write them.
inline const QString DateFormat = QStringLiteral("%Y-%m-%d %H:%M:%S");

// mdb-export of a whole table: a header row, then the records; binary values in hexadecimal.
inline std::vector<std::vector<std::optional<QString>>> exportTable(const QString& file, const QString& table)
{
    return parseCsv(run(QStringLiteral("mdb-export"), {QStringLiteral("-D"), DateFormat, QStringLiteral("-T"), DateFormat,
                                                       QStringLiteral("-b"), QStringLiteral("hex"), file, table}));
}

// The type mdb-schema gives each column of a table, without its size: "Long Integer", "Memo/Hyperlink"...
inline QStringList schemaTypes(const QString& file, const QString& table)
{
    static const QRegularExpression column(QStringLiteral(R"(^\s*\[[^\]]*\]\s+([A-Za-z/ ]+?)\s*(\(\d+\))?( NOT NULL)?,?\s*$)"));
    QStringList out;
    const QStringList lines = run(QStringLiteral("mdb-schema"), {QStringLiteral("-T"), table, QStringLiteral("--no-indexes"),
                                                                QStringLiteral("--no-relations"), file, QStringLiteral("access")})
                                  .split(QLatin1Char('\n'));
    for (const QString& line : lines)
        if (const auto m = column.match(line); m.hasMatch() && !line.contains(QLatin1String("CREATE TABLE")))
            out << m.captured(1);
    return out;
}

inline QStringList tables(const QString& file)
{
    QStringList out = run(QStringLiteral("mdb-tables"), {QStringLiteral("-1"), file}).split(QLatin1Char('\n'));
    out.removeAll(QString());
    return out;
}

inline qint64 count(const QString& file, const QString& table)
{
    return run(QStringLiteral("mdb-count"), {file, table}).trimmed().toLongLong();
}

} // namespace accesstest
