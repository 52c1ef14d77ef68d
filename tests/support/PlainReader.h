#pragma once
// A local database file as any other program reads it: opened by a plain
// SQLite connection on which nothing of Velmora's is registered.
#include <QString>
#include <QStringList>
#include <sqlite3.h>

// What such a reader finds wrong: integrity_check lines other than "ok",
// foreign_key_check rows, and every index whose look-up misses a row a full
// scan finds (or that the reader cannot use). Empty for a sound file.
inline QStringList plainReaderFaults(const QString& path)
{
    QStringList out;
    sqlite3* h = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &h, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(h);
        return {QStringLiteral("cannot open ") + path};
    }
    auto text = [](sqlite3_stmt* st, int c) { return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, c))); };
    auto each = [&](const QString& sql, auto&& row) {
        sqlite3_stmt* st = nullptr;
        int rc = sqlite3_prepare_v2(h, sql.toUtf8().constData(), -1, &st, nullptr);
        if (rc == SQLITE_OK)
            while ((rc = sqlite3_step(st)) == SQLITE_ROW)
                row(st);
        if (rc != SQLITE_DONE)
            out << sql + QStringLiteral(": ") + QString::fromUtf8(sqlite3_errmsg(h));
        sqlite3_finalize(st);
    };
    auto quoted = [](QString n) { return QLatin1Char('"') + n.replace(QLatin1Char('"'), QLatin1String("\"\"")) + QLatin1Char('"'); };
    each(QStringLiteral("PRAGMA integrity_check"), [&](sqlite3_stmt* st) {
        if (text(st, 0) != QLatin1String("ok"))
            out << text(st, 0);
    });
    each(QStringLiteral("PRAGMA foreign_key_check"),
         [&](sqlite3_stmt* st) { out << QStringLiteral("%1 row %2 breaks its reference to %3").arg(text(st, 0), text(st, 1), text(st, 2)); });
    QList<QStringList> indexes; // table, index, its columns
    each(QStringLiteral("SELECT m.tbl_name, m.name, group_concat(c.name, char(9)) FROM sqlite_master AS m, "
                        "pragma_index_info(m.name) AS c WHERE m.type = 'index' GROUP BY m.name"),
         [&](sqlite3_stmt* st) { indexes << (QStringList{text(st, 0), text(st, 1)} + text(st, 2).split(QLatin1Char('\t'))); });
    for (const QStringList& ix : indexes) {
        QString match = QStringLiteral("b.rowid = a.rowid");
        for (qsizetype c = 2; c < ix.size(); ++c)
            match += QStringLiteral(" AND b.%1 IS a.%1").arg(quoted(ix[c]));
        each(QStringLiteral("SELECT count(*) FROM %1 AS a NOT INDEXED WHERE NOT EXISTS (SELECT 1 FROM %1 AS b INDEXED BY %2 WHERE %3)")
                 .arg(quoted(ix[0]), quoted(ix[1]), match),
             [&](sqlite3_stmt* st) {
                 if (sqlite3_column_int(st, 0) != 0)
                     out << QStringLiteral("index %1 misses %2 rows").arg(ix[1]).arg(sqlite3_column_int(st, 0));
             });
    }
    sqlite3_close(h);
    return out;
}
