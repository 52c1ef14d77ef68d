#pragma once
// The tab settings file "Velmora_Tab<n>.ini" of a query page: [Page] Splitter
// and the page's last six runs, entry 0 the most recent. Each entry is three
// sections: "LastQuery_n" (the SQL lines and the context statement),
// "LastKeys_n" (the key-field lines) and "DataAccess_n" (the six connection
// values, the password in plain text, as the tab has always kept it).
//
// SQL lines are stored between markers, "<LINE>" text "<LINE>", at most 240
// characters of text each. A longer line is broken after its last blank or
// comma within the first 240 characters (after the 240th when it has
// neither); every piece after the first starts with "<CONT>" instead, so the
// reader joins it to the line before without a break and the text comes back
// exactly. Reading strips only the outer markers.
//
// Key-field lines, the context statement and the connection values are
// stored bare, as they always were, unless the reader would not give them
// back whole (longer than its limit, a blank at an end, or starting like a
// marker): then they take the same markers and pieces. A key-field line's
// pieces are lines of their own; the pieces after the first of a single value
// go to the keys "<key>_2", "<key>_3"... Bare values of older files read as
// they always did.
//
// No widgets here: the page hands entries in and takes them out. The file is
// read once per use and written once, atomically.
#include "core/ProfileFile.h"
#include "core/ConnectionValues.h"

#include <QByteArray>
#include <QStringList>

struct HistoryEntry {
    QString sql;
    QString keyFields;
    QString context;
    ConnectionValues connection;
    bool operator==(const HistoryEntry&) const = default;
};

class TabHistoryFile {
public:
    static constexpr int Entries = 6;
    static constexpr int PieceLength = 240;

    // The program folder's "Velmora_Tab<tab>.ini".
    static QString pathOf(int tab);

    // One read of the file; a missing file reads as an empty one.
    static TabHistoryFile load(const QString& path);
    static TabHistoryFile fromBytes(const QByteArray& bytes);
    QByteArray toBytes() const { return file_.toBytes(); }

    // [Page] Splitter; 3240 when missing, empty or not a number.
    int splitter() const;
    // Entry n (0 to 5) as the page shows it. Missing keys give an empty text
    // and connection 0, 0; list indexes the panel does not have give 0.
    HistoryEntry entry(int n) const;
    ConnectionValues connection(int n) const;

    // Writes [Page] Splitter in this file, leaving the rest as it is.
    bool setSplitter(int top);
    // The file a save of `newest` leaves: [Page] Splitter, this file's
    // entries 0 to 4 moved to 1 to 5 and `newest` as entry 0, written key by
    // key in the order the history has always been written; nothing else of
    // this file survives. False when a value cannot be stored (the file
    // would not read it back); `out` is then not to be saved.
    bool recordNewest(const HistoryEntry& newest, int splitterTop, TabHistoryFile& out) const;

    // Replaces the file at path whole or not at all (FileReplace).
    bool save(const QString& path) const;

    // --- the format's pieces
    // The lines of a text, split at any line break, without the empty piece
    // after a final break: "a\nb" two lines, "a\n" ("a", ""), "" one empty line.
    static QStringList textLines(const QString& text);
    // The stored values of an SQL text's lines (markers included).
    static QStringList storedSqlLines(const QString& sql);
    // The text of stored SQL values: outer markers stripped, "<CONT>" pieces
    // joined to the line before, lines joined by "\n", leading empty lines dropped.
    static QString sqlFromStored(const QStringList& stored);
    // The stored values of a key-field text's lines: bare where that reads back whole.
    static QStringList storedKeyLines(const QString& keys);
    // One value stored as its key's value and the values of its continuation keys.
    static QStringList storedValue(const QString& value);

private:
    QString storedText(const QString& section, const QString& key) const;
    QStringList storedPieces(const QString& section, const QString& key) const;
    QStringList lines(const QString& section, const QString& countKey, const QString& countDefault,
                      const QString& linePrefix) const;
    ProfileFile file_;
    int lineLimit_ = 0; // no entry can hold more lines than the file has
};
