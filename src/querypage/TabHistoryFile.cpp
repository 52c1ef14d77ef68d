#include "querypage/TabHistoryFile.h"

#include "core/FileReplace.h"
#include "core/ProgramFolder.h"
#include "querypage/PageLayout.h"

#include <QFile>
#include <QRegularExpression>
#include <algorithm>

namespace {

const QString LineMark = QStringLiteral("<LINE>");
const QString ContMark = QStringLiteral("<CONT>");
const QString Splitter = QStringLiteral("Splitter");
const QString Page = QStringLiteral("Page");
const QString ConnectionKeys[] = {QStringLiteral("ConnectionType"), QStringLiteral("Driver"),
                                  QStringLiteral("Server"),         QStringLiteral("DataBase"),
                                  QStringLiteral("User"),           QStringLiteral("Password")};

// List sizes of the connection panel: connection types 0-3, drivers 0-2.
constexpr int HighestConnectionType = 3;
constexpr int HighestDriver = 2;

QString queryPrefix(int n) { return QStringLiteral("LastQuery_") + QString::number(n); }
QString keysPrefix(int n) { return QStringLiteral("LastKeys_") + QString::number(n); }
QString accessSection(int n) { return QStringLiteral("DataAccess_") + QString::number(n); }

// A stored number; `fallback` when the value is none.
int number(const QString& value, int fallback)
{
    bool ok = false;
    const int n = value.trimmed().toInt(&ok);
    return ok ? n : fallback;
}

// A list index the panel has, -1 (nothing chosen) included; anything else 0.
int listIndex(const QString& value, int highest)
{
    const int n = number(value, 0);
    return n < -1 || n > highest ? 0 : n;
}

// One long line into pieces of at most PieceLength characters.
QStringList breakLine(const QString& line)
{
    QStringList pieces;
    QString rest = line;
    while (rest.size() > TabHistoryFile::PieceLength) {
        const QString head = rest.left(TabHistoryFile::PieceLength);
        qsizetype p = std::max(head.lastIndexOf(QLatin1Char(' ')), head.lastIndexOf(QLatin1Char(','))) + 1;
        if (p == 0) {
            // Neither: a hard break, never between the halves of one character.
            p = TabHistoryFile::PieceLength;
            if (head.at(p - 1).isHighSurrogate())
                --p;
        }
        pieces << rest.left(p);
        rest = rest.mid(p);
    }
    pieces << rest;
    return pieces;
}

// A line in markers, in pieces of at most PieceLength characters.
QStringList markedPieces(const QString& line)
{
    QStringList stored;
    const QStringList pieces = breakLine(line);
    for (qsizetype i = 0; i < pieces.size(); ++i)
        stored << (i == 0 ? LineMark : ContMark) + pieces[i] + LineMark;
    return stored;
}

bool isBlank(QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); }

// Whether the profile reader would give the value back other than it is.
bool needsMarks(const QString& v)
{
    return v.size() > ProfileFile::ReadLimit || (!v.isEmpty() && (isBlank(v.front()) || isBlank(v.back()))) ||
           v.startsWith(LineMark) || v.startsWith(ContMark);
}

bool isMarked(const QString& v)
{
    return v.size() >= 2 * LineMark.size() && (v.startsWith(LineMark) || v.startsWith(ContMark)) &&
           v.endsWith(LineMark);
}

// The text of stored lines; `alwaysMarked` for SQL lines, whose outer
// markers are stripped whatever they look like, as they always were.
QString textFromStored(const QStringList& stored, bool alwaysMarked)
{
    QString text;
    for (const QString& value : stored) {
        QString piece = value;
        bool continuation = false;
        if (alwaysMarked || isMarked(value)) {
            continuation = piece.startsWith(ContMark);
            if (continuation || piece.startsWith(LineMark))
                piece.remove(0, LineMark.size());
            if (piece.endsWith(LineMark))
                piece.chop(LineMark.size());
        }
        if (!continuation && !text.isEmpty())
            text += QLatin1Char('\n');
        text += piece;
    }
    return text;
}

QString continuationKey(const QString& key, int piece) { return key + QLatin1Char('_') + QString::number(piece); }

} // namespace

QString TabHistoryFile::pathOf(int tab)
{
    return ProgramFolder::file(QStringLiteral("\\Velmora_Tab") + QString::number(tab) + QStringLiteral(".ini"));
}

TabHistoryFile TabHistoryFile::fromBytes(const QByteArray& bytes)
{
    TabHistoryFile f;
    f.file_ = ProfileFile::fromBytes(bytes);
    f.lineLimit_ = int(std::min<qsizetype>(bytes.count('\n') + bytes.count('\r') + 1, 1 << 30));
    return f;
}

TabHistoryFile TabHistoryFile::load(const QString& path)
{
    QFile in(path);
    return fromBytes(in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray());
}

int TabHistoryFile::splitter() const { return number(file_.value(Page, Splitter), pagelayout::DefaultSplitterTop); }

QStringList TabHistoryFile::lines(const QString& section, const QString& countKey, const QString& countDefault,
                                  const QString& linePrefix) const
{
    const int count = std::clamp(number(file_.value(section, countKey, countDefault), countDefault.toInt()), 0,
                                 lineLimit_);
    QStringList out;
    out.reserve(count);
    for (int k = 1; k <= count; ++k)
        out << file_.value(section, linePrefix + QString::number(k));
    return out;
}

QStringList TabHistoryFile::storedPieces(const QString& section, const QString& key) const
{
    QStringList pieces{file_.value(section, key)};
    if (!isMarked(pieces.front()))
        return pieces;
    for (int k = 2; k <= lineLimit_; ++k) {
        const QString next = file_.value(section, continuationKey(key, k));
        if (!next.startsWith(ContMark) || !isMarked(next))
            break;
        pieces << next;
    }
    return pieces;
}

QString TabHistoryFile::storedText(const QString& section, const QString& key) const
{
    return textFromStored(storedPieces(section, key), false);
}

ConnectionValues TabHistoryFile::connection(int n) const
{
    const QString s = accessSection(n);
    return {listIndex(file_.value(s, ConnectionKeys[0]), HighestConnectionType),
            listIndex(file_.value(s, ConnectionKeys[1]), HighestDriver),
            storedText(s, ConnectionKeys[2]),
            storedText(s, ConnectionKeys[3]),
            storedText(s, ConnectionKeys[4]),
            storedText(s, ConnectionKeys[5])};
}

HistoryEntry TabHistoryFile::entry(int n) const
{
    HistoryEntry e;
    const QString q = queryPrefix(n), k = keysPrefix(n);
    e.sql = sqlFromStored(lines(q, q + QStringLiteral("_Lines"), QStringLiteral("1"), q + QStringLiteral("_Line_")));
    e.keyFields = textFromStored(lines(k, k + QStringLiteral("_Lines"), QStringLiteral("1"), k + QStringLiteral("_Line_")),
                                 false);
    e.context = storedText(q, q + QStringLiteral("_Context"));
    e.connection = connection(n);
    return e;
}

bool TabHistoryFile::setSplitter(int top) { return file_.setValue(Page, Splitter, QString::number(top)); }

bool TabHistoryFile::recordNewest(const HistoryEntry& newest, int splitterTop, TabHistoryFile& out) const
{
    ProfileFile& to = out.file_;
    to = ProfileFile();
    bool ok = to.setValue(Page, Splitter, QString::number(splitterTop));
    // A single value with its continuation keys, when it has any.
    const auto putValue = [&](const QString& section, const QString& key, const QStringList& pieces) {
        for (qsizetype i = 0; i < pieces.size() && ok; ++i)
            ok = to.setValue(section, i == 0 ? key : continuationKey(key, int(i + 1)), pieces[i]);
    };
    const auto copyValue = [&](const QString& fromSection, const QString& fromKey, const QString& section,
                               const QString& key) { putValue(section, key, storedPieces(fromSection, fromKey)); };

    // Moves the lines of one section kind from entry n to n + 1 (and the
    // context with them when there is one).
    const auto shift = [&](QString (*prefix)(int), bool withContext) {
        for (int n = Entries - 2; n >= 0; --n) {
            const QString from = prefix(n), into = prefix(n + 1);
            const int count = std::clamp(number(file_.value(from, from + QStringLiteral("_Lines"), QStringLiteral("0")), 0),
                                         0, lineLimit_);
            if (count != 0) {
                ok = ok && to.setValue(into, into + QStringLiteral("_Lines"), QString::number(count));
                for (int k = 1; k <= count && ok; ++k) {
                    const QString line = QStringLiteral("_Line_") + QString::number(k);
                    ok = to.setValue(into, into + line, file_.value(from, from + line));
                }
            }
            if (withContext)
                copyValue(from, from + QStringLiteral("_Context"), into, into + QStringLiteral("_Context"));
        }
    };
    // The newest lines: the count, then every line but an empty last one.
    const auto writeNewest = [&](const QString& prefix, const QStringList& stored, bool emptyLastLine) {
        ok = ok && to.setValue(prefix, prefix + QStringLiteral("_Lines"), QString::number(stored.size()));
        for (int k = 1; k <= stored.size() && ok; ++k)
            if (!(k == stored.size() && emptyLastLine))
                ok = to.setValue(prefix, prefix + QStringLiteral("_Line_") + QString::number(k), stored[k - 1]);
    };

    shift(&queryPrefix, true);
    const QStringList sqlLines = storedSqlLines(newest.sql);
    writeNewest(queryPrefix(0), sqlLines, textLines(newest.sql).constLast().isEmpty());
    shift(&keysPrefix, false);
    writeNewest(keysPrefix(0), storedKeyLines(newest.keyFields), textLines(newest.keyFields).constLast().isEmpty());
    for (int n = Entries - 2; n >= 0; --n)
        for (const QString& key : ConnectionKeys)
            copyValue(accessSection(n), key, accessSection(n + 1), key);
    const ConnectionValues& c = newest.connection;
    const QString values[] = {QString::number(c.connectionType), QString::number(c.driver), c.server, c.database,
                              c.user, c.password};
    for (int i = 0; i < 6; ++i)
        putValue(accessSection(0), ConnectionKeys[i], storedValue(values[i]));
    // A context statement is one line of the file: its line breaks become blanks.
    static const QRegularExpression anyBreak(QStringLiteral("\r\n|\r|\n"));
    putValue(queryPrefix(0), queryPrefix(0) + QStringLiteral("_Context"),
             storedValue(QString(newest.context).replace(anyBreak, QStringLiteral(" "))));
    out.lineLimit_ = 1 << 30;
    return ok;
}

bool TabHistoryFile::save(const QString& path) const { return FileReplace::replace(path, toBytes()); }

QStringList TabHistoryFile::textLines(const QString& text)
{
    static const QRegularExpression anyBreak(QStringLiteral("\r\n|\r|\n"));
    return text.split(anyBreak);
}

QStringList TabHistoryFile::storedSqlLines(const QString& sql)
{
    QStringList stored;
    for (const QString& line : textLines(sql))
        stored << markedPieces(line);
    return stored;
}

QString TabHistoryFile::sqlFromStored(const QStringList& stored) { return textFromStored(stored, true); }

QStringList TabHistoryFile::storedKeyLines(const QString& keys)
{
    QStringList stored;
    for (const QString& line : textLines(keys))
        stored << storedValue(line);
    return stored;
}

QStringList TabHistoryFile::storedValue(const QString& value)
{
    return needsMarks(value) ? markedPieces(value) : QStringList{value};
}
