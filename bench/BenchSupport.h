#pragma once
// What the large-result benchmarks share: the generated table they read and
// the process's memory as the kernel counts it.
#include <QByteArray>
#include <QFile>

#include <cstring>

namespace benchsupport {

// A /proc/self/status figure in kB ("VmRSS:", "VmHWM:").
inline long statusKb(const char* key)
{
    QFile f(QStringLiteral("/proc/self/status"));
    f.open(QIODevice::ReadOnly);
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(qsizetype(std::strlen(key))).trimmed().split(' ').first().toLong();
    return 0;
}

// The ten-column table "Big" with `rows` rows: every type the grid and the
// exports treat apart, Nulls in three columns, texts of varying length.
inline QByteArray bigTableSql(long long rows)
{
    return QByteArrayLiteral(
               "CREATE TABLE Big (Id INTEGER NOT NULL PRIMARY KEY, Qty INTEGER, Price DOUBLE, Ratio DOUBLE, "
               "Code VARCHAR(12) NOT NULL, Name VARCHAR(40), Description TEXT, Created DATETIME, Due DATE, "
               "Spare INTEGER);"
               "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < ")
        + QByteArray::number(rows)
        + QByteArrayLiteral(
               ") INSERT INTO Big SELECT x, x % 1000, x * 0.25, CASE WHEN x % 7 = 0 THEN NULL ELSE x / 3.0 END, "
               "printf('C%08d', x), CASE WHEN x % 5 = 0 THEN NULL ELSE printf('Cliente número %d', x) END, "
               "printf('%d: %s', x, substr('Lorem ipsum dolor sit amet, consectetur adipiscing elit, sed do eiusmod "
               "tempor incididunt ut labore et dolore magna aliqua. Ut enim ad minim veniam, quis nostrud "
               "exercitation ullamco laboris nisi ut aliquip ex ea commodo consequat.', 1, 60 + x % 140)), "
               "datetime(1700000000 + x * 37, 'unixepoch'), date(1700000000 + x * 86400 / 50, 'unixepoch'), "
               "CASE WHEN x % 2 = 0 THEN NULL ELSE x END FROM c;");
}

} // namespace benchsupport
