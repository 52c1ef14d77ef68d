// Builds the translation database (translate.vrx, an SQLite file with the
// tables Translate and TranslateHuge) from the text source translate.tsv,
// and the help pages of every language with the words of the same table.
//   velmora_vrxgen <source.tsv> <translate.vrx>
//   velmora_vrxgen --help-pages <source.tsv> <help source folder> <help folder>
// Refuses a source with a missing translation, a text given twice (in any
// letter case) or a translation whose BraceBlock markers differ from the text's.
#include "messages/TranslationText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSet>
#include <QStringList>
#include <QTextStream>
#include <cstdio>
#include <optional>
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

// The rows of the source, each Spanish, the five languages and the owner.
int readSource(const QString& sourcePath, QList<QStringList>& rows)
{
    QFile source(sourcePath);
    if (!source.open(QIODevice::ReadOnly | QIODevice::Text))
        return fail(QStringLiteral("cannot read ") + sourcePath);
    QTextStream in(&source);
    in.setEncoding(QStringConverter::Utf8);

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
    return 0;
}

bool writeWhole(const QString& path, const QByteArray& bytes)
{
    QSaveFile out(path);
    return out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size() && out.commit();
}

// Each page source is the body of one page in one language (its folder:
// es, en, fr, de, pt, it); "[[text]]" stands for a Spanish text of the
// table and is written in the page's language (the words the program
// shows, so they are set apart); a text the table lacks is refused. The
// first <h1> is the page's title; every page links the contents page and
// the same page in the other languages.
int helpPages(const QList<QStringList>& rows, const QString& sourceDir, const QString& targetDir)
{
    static const QStringList languages = {"es", "en", "fr", "de", "pt", "it"};
    static const QRegularExpression word(QStringLiteral("\\[\\[(.+?)\\]\\]"));
    static const QRegularExpression heading(QStringLiteral("<h1>(.*?)</h1>"));
    const auto translated = [&](const QString& text, int column) -> std::optional<QString> {
        for (const QStringList& r : rows)
            if (r[0] == text)
                return r[column];
        return std::nullopt;
    };
    if (!QDir().mkpath(targetDir) ||
        !writeWhole(targetDir + QStringLiteral("/velmora.css"), [&] {
            QFile css(sourceDir + QStringLiteral("/velmora.css"));
            return css.open(QIODevice::ReadOnly) ? css.readAll() : QByteArray();
        }()))
        return fail(QStringLiteral("cannot write ") + targetDir + QStringLiteral("/velmora.css"));
    int pages = 0;
    for (int column = 0; column < languages.size(); ++column) {
        const QString language = languages[column];
        QDir source(sourceDir + QLatin1Char('/') + language);
        if (!source.exists() || !QDir().mkpath(targetDir + QLatin1Char('/') + language))
            continue;
        QString contents;
        QStringList names = source.entryList({QStringLiteral("*.html")}, QDir::Files, QDir::Name);
        if (names.removeOne(QStringLiteral("index.html"))) // its title names the contents on every page
            names.prepend(QStringLiteral("index.html"));
        for (const QString& name : names) {
            QFile file(source.filePath(name));
            if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
                return fail(QStringLiteral("cannot read ") + file.fileName());
            QString body = QString::fromUtf8(file.readAll()), out;
            qsizetype at = 0;
            for (auto it = word.globalMatch(body); it.hasNext();) {
                const auto m = it.next();
                const std::optional<QString> text = translated(m.captured(1), column);
                if (!text) // a page names a control by a text the program does not show
                    return fail(file.fileName() + QStringLiteral(": \"") + m.captured(1) +
                                QStringLiteral("\" is no text of the table"));
                out += body.mid(at, m.capturedStart() - at) + QStringLiteral("<span class=\"ui\">") +
                       text->toHtmlEscaped() + QStringLiteral("</span>");
                at = m.capturedEnd();
            }
            body = out + body.mid(at);
            static const QRegularExpression tag(QStringLiteral("<[^>]*>"));
            const QString title = heading.match(body).captured(1).remove(tag);
            if (name == QLatin1String("index.html"))
                contents = title;
            QString others;
            for (const QString& l : languages)
                if (l != language && QFileInfo::exists(sourceDir + QLatin1Char('/') + l + QLatin1Char('/') + name))
                    others += QStringLiteral(" <a href=\"../%1/%2\" hreflang=\"%1\">%1</a>").arg(l, name);
            const QString page =
                QStringLiteral("<!DOCTYPE html>\n<html lang=\"%1\">\n<head>\n<meta charset=\"utf-8\">\n"
                               "<title>Velmora - %2</title>\n<link rel=\"stylesheet\" href=\"../velmora.css\">\n"
                               "</head>\n<body>\n<nav><a href=\"index.html\">%3</a> |%4</nav>\n%5</body>\n</html>\n")
                    .arg(language, title, contents.isEmpty() ? QStringLiteral("Velmora") : contents, others, body);
            if (!writeWhole(targetDir + QLatin1Char('/') + language + QLatin1Char('/') + name, page.toUtf8()))
                return fail(QStringLiteral("cannot write ") + name);
            ++pages;
        }
    }
    std::printf("velmora_vrxgen: %d help pages written to %s\n", pages, qPrintable(targetDir));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QList<QStringList> rows;
    if (argc == 5 && QByteArray(argv[1]) == "--help-pages") {
        if (const int failed = readSource(QString::fromLocal8Bit(argv[2]), rows))
            return failed;
        return helpPages(rows, QString::fromLocal8Bit(argv[3]), QString::fromLocal8Bit(argv[4]));
    }
    if (argc != 3)
        return fail(QStringLiteral("usage: velmora_vrxgen <source.tsv> <translate.vrx> | "
                                   "--help-pages <source.tsv> <help source folder> <help folder>"));
    const QString targetPath = QString::fromLocal8Bit(argv[2]);
    if (const int failed = readSource(QString::fromLocal8Bit(argv[1]), rows))
        return failed;

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
