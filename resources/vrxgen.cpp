// Builds the translation database (translate.vrx, an SQLite file with the
// tables Translate and TranslateHuge) from the text source translate.tsv.
//   velmora_vrxgen <source.tsv> <translate.vrx>
// Refuses a source with a missing translation, a text given twice (in any
// letter case) or a translation whose BraceBlock markers differ from the text's.
#include "messages/TranslationText.h"

#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSet>
#include <QStringList>
#include <QTextStream>
#include <cstdio>
#include <sqlite3.h>

namespace {

QString unescape(const QString& field)
{
    QString out;
    for (qsizetype i = 0; i < field.size(); ++i) {
        const QChar c = field.at(i);
        if (c == QLatin1Char('\\') && i + 1 < field.size()) {
            const QChar n = field.at(++i);
            if (n == QLatin1Char('r'))
                out += QLatin1Char('\r');
            else if (n == QLatin1Char('n'))
                out += QLatin1Char('\n');
            else if (n == QLatin1Char('t'))
                out += QLatin1Char('\t');
            else
                out += n;
            continue;
        }
        out += c;
    }
    return out;
}

QStringList markers(const QString& text)
{
    static const QRegularExpression marker(QStringLiteral("\\{.\\}"));
    QStringList found;
    for (auto it = marker.globalMatch(text); it.hasNext();)
        found << it.next().captured();
    found.sort();
    return found;
}

int fail(const QString& message)
{
    std::fprintf(stderr, "velmora_vrxgen: %s\n", qPrintable(message));
    return 1;
}

bool exec(sqlite3* db, const char* sql)
{
    char* error = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
        std::fprintf(stderr, "velmora_vrxgen: %s\n", error ? error : "SQL error");
        sqlite3_free(error);
        return false;
    }
    return true;
}

bool insert(sqlite3* db, const char* sql, const QStringList& values)
{
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) != SQLITE_OK)
        return false;
    for (int i = 0; i < values.size(); ++i) {
        const QByteArray utf8 = values.at(i).toUtf8();
        sqlite3_bind_text(st, i + 1, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    }
    const bool ok = sqlite3_step(st) == SQLITE_DONE;
    sqlite3_finalize(st);
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3)
        return fail(QStringLiteral("usage: velmora_vrxgen <source.tsv> <translate.vrx>"));
    const QString sourcePath = QString::fromLocal8Bit(argv[1]);
    const QString targetPath = QString::fromLocal8Bit(argv[2]);

    QFile source(sourcePath);
    if (!source.open(QIODevice::ReadOnly | QIODevice::Text))
        return fail(QStringLiteral("cannot read ") + sourcePath);
    QTextStream in(&source);
    in.setEncoding(QStringConverter::Utf8);

    QList<QStringList> rows;
    QSet<QString> seen;
    int lineNumber = 0;
    while (!in.atEnd()) {
        const QString line = in.readLine();
        ++lineNumber;
        if (line.trimmed().isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        QStringList fields = line.split(QLatin1Char('\t'));
        const QString where = sourcePath + QStringLiteral(":") + QString::number(lineNumber) + QStringLiteral(": ");
        if (fields.size() != 7)
            return fail(where + QStringLiteral("%1 columns, 7 expected").arg(fields.size()));
        for (QString& f : fields)
            f = unescape(f);
        const QString folded = fields[0].toCaseFolded();
        if (seen.contains(folded))
            return fail(where + QStringLiteral("\"") + fields[0] + QStringLiteral("\" is given twice"));
        seen.insert(folded);
        for (int l = 1; l <= 5; ++l) {
            if (fields[l].trimmed().isEmpty())
                return fail(where + QStringLiteral("no translation in language %1").arg(l));
            if (markers(fields[l]) != markers(fields[0]))
                return fail(where + QStringLiteral("the markers of language %1 differ from the text's").arg(l));
        }
        rows << fields;
    }

    // Written beside the target and put in its place whole.
    const QString temporary = targetPath + QStringLiteral(".tmp");
    QFile::remove(temporary);
    sqlite3* db = nullptr;
    if (sqlite3_open(QFile::encodeName(temporary).constData(), &db) != SQLITE_OK)
        return fail(QStringLiteral("cannot create ") + temporary);
    bool ok = exec(db, "BEGIN") &&
              exec(db, "CREATE TABLE [Translate] (Original TEXT(255) COLLATE NOCASE, "
                       "Language1 TEXT(255) COLLATE NOCASE, Language2 TEXT(255) COLLATE NOCASE, "
                       "Language3 TEXT(255) COLLATE NOCASE, Language4 TEXT(255) COLLATE NOCASE, "
                       "Language5 TEXT(255) COLLATE NOCASE, Owner TEXT(255) COLLATE NOCASE)") &&
              exec(db, "CREATE TABLE [TranslateHuge] (OriginalCode TEXT(255) COLLATE NOCASE, "
                       "Original LONGTEXT COLLATE NOCASE, Language1 LONGTEXT COLLATE NOCASE, "
                       "Language2 LONGTEXT COLLATE NOCASE, Language3 LONGTEXT COLLATE NOCASE, "
                       "Language4 LONGTEXT COLLATE NOCASE, Language5 LONGTEXT COLLATE NOCASE, "
                       "Owner TEXT(255) COLLATE NOCASE)");
    for (const QStringList& r : rows) {
        if (!ok)
            break;
        const QString quoted = TranslationText::quoteDoubled(r[0]);
        if (quoted.size() <= TranslationText::kShortLimit) {
            ok = insert(db, "INSERT INTO [Translate] VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)", r);
        } else {
            // The key as the look-up's SQL literal stands for it.
            const QString key = TranslationText::hugeKey(quoted).replace(QStringLiteral("''"), QStringLiteral("'"));
            ok = insert(db, "INSERT INTO [TranslateHuge] VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)",
                        QStringList{key} + r);
        }
    }
    ok = ok && exec(db, "COMMIT");
    sqlite3_close(db);
    if (!ok) {
        QFile::remove(temporary);
        return fail(QStringLiteral("cannot write ") + temporary);
    }
    QFile::remove(targetPath);
    if (!QFile::rename(temporary, targetPath))
        return fail(QStringLiteral("cannot replace ") + targetPath);
    std::printf("velmora_vrxgen: %lld texts written to %s\n", static_cast<long long>(rows.size()), argv[2]);
    return 0;
}
