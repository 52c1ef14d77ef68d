#include "querypage/TabHistoryFile.h"

#include "core/ProgramFolder.h"
#include "querypage/PageLayout.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
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

TabHistoryFile::Writer& currentWriter()
{
    static TabHistoryFile::Writer writer;
    return writer;
}

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

ConnectionValues TabHistoryFile::connection(int n) const
{
    const QString s = accessSection(n);
    return {listIndex(file_.value(s, ConnectionKeys[0]), HighestConnectionType),
            listIndex(file_.value(s, ConnectionKeys[1]), HighestDriver),
            file_.value(s, ConnectionKeys[2]),
            file_.value(s, ConnectionKeys[3]),
            file_.value(s, ConnectionKeys[4]),
            file_.value(s, ConnectionKeys[5])};
}

HistoryEntry TabHistoryFile::entry(int n) const
{
    HistoryEntry e;
    const QString q = queryPrefix(n), k = keysPrefix(n);
    e.sql = sqlFromStored(lines(q, q + QStringLiteral("_Lines"), QStringLiteral("1"), q + QStringLiteral("_Line_")));
    // Key lines are stored as they are: joined again, leading empty lines dropped.
    for (const QString& line :
         lines(k, k + QStringLiteral("_Lines"), QStringLiteral("1"), k + QStringLiteral("_Line_"))) {
        if (!e.keyFields.isEmpty())
            e.keyFields += QLatin1Char('\n');
        e.keyFields += line;
    }
    e.context = file_.value(q, q + QStringLiteral("_Context"));
    e.connection = connection(n);
    return e;
}

bool TabHistoryFile::setSplitter(int top) { return file_.setValue(Page, Splitter, QString::number(top)); }

bool TabHistoryFile::recordNewest(const HistoryEntry& newest, int splitterTop, TabHistoryFile& out) const
{
    ProfileFile& to = out.file_;
    to = ProfileFile();
    bool ok = to.setValue(Page, Splitter, QString::number(splitterTop));

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
                ok = ok && to.setValue(into, into + QStringLiteral("_Context"),
                                       file_.value(from, from + QStringLiteral("_Context")));
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
    const QStringList keyLines = textLines(newest.keyFields);
    writeNewest(keysPrefix(0), keyLines, keyLines.constLast().isEmpty());
    for (int n = Entries - 2; n >= 0; --n)
        for (const QString& key : ConnectionKeys)
            ok = ok && to.setValue(accessSection(n + 1), key, file_.value(accessSection(n), key));
    const ConnectionValues& c = newest.connection;
    const QString values[] = {QString::number(c.connectionType), QString::number(c.driver), c.server, c.database,
                              c.user, c.password};
    for (int i = 0; i < 6; ++i)
        ok = ok && to.setValue(accessSection(0), ConnectionKeys[i], values[i]);
    // A context statement is one line of the file: its line breaks become blanks.
    static const QRegularExpression anyBreak(QStringLiteral("\r\n|\r|\n"));
    ok = ok && to.setValue(queryPrefix(0), queryPrefix(0) + QStringLiteral("_Context"),
                           QString(newest.context).replace(anyBreak, QStringLiteral(" ")));
    out.lineLimit_ = 1 << 30;
    return ok;
}

TabHistoryFile::Writer TabHistoryFile::installWriter(Writer writer)
{
    Writer previous = std::move(currentWriter());
    currentWriter() = std::move(writer);
    return previous;
}

bool TabHistoryFile::save(const QString& path) const
{
    const QByteArray bytes = toBytes();
    const bool existed = QFileInfo::exists(path);
    QSaveFile out(path);
    out.setDirectWriteFallback(false);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    if (!existed && !out.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        return false; // the temporary file goes with `out`
    const Writer& writer = currentWriter();
    const bool written = writer ? writer(out, bytes) : out.write(bytes) == bytes.size();
    if (!written) {
        out.cancelWriting();
        return false;
    }
    return out.commit();
}

QStringList TabHistoryFile::textLines(const QString& text)
{
    static const QRegularExpression anyBreak(QStringLiteral("\r\n|\r|\n"));
    return text.split(anyBreak);
}

QStringList TabHistoryFile::storedSqlLines(const QString& sql)
{
    QStringList stored;
    for (const QString& line : textLines(sql)) {
        const QStringList pieces = breakLine(line);
        for (qsizetype i = 0; i < pieces.size(); ++i)
            stored << (i == 0 ? LineMark : ContMark) + pieces[i] + LineMark;
    }
    return stored;
}

QString TabHistoryFile::sqlFromStored(const QStringList& stored)
{
    QString text;
    for (const QString& value : stored) {
        QString piece = value;
        const bool continuation = piece.startsWith(ContMark);
        if (continuation || piece.startsWith(LineMark))
            piece.remove(0, LineMark.size());
        if (piece.endsWith(LineMark))
            piece.chop(LineMark.size());
        if (!continuation && !text.isEmpty())
            text += QLatin1Char('\n');
        text += piece;
    }
    return text;
}
