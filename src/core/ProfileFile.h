#pragma once
// Profile (.ini) files with the rules the settings have always followed:
// "[Section]" lines and "key=value" lines, section and key names matched
// without regard to case, the first match wins, values taken as written (no
// quoting or escaping; blanks around them dropped), an empty or missing value
// gives the default. A write changes the key's own line or adds it to its
// section, keeps every other line byte for byte and replaces the file whole
// or not at all. Files are UTF-8; one that is not valid UTF-8 is read as Windows-1252.
#include <QByteArray>
#include <QHash>
#include <QString>
#include <optional>
#include <vector>

class ProfileFile {
public:
    // Values longer than this come back cut to it (the reader's buffer held
    // 255 characters including the terminating zero).
    static constexpr int ReadLimit = 254;

    // One key of one file; a missing or unreadable file gives the default.
    static QString read(const QString& path, const QString& section, const QString& key,
                        const QString& defaultText = QString());
    // Writes one key, creating the file and the section when missing. False
    // when the file could not be written, or when the names or the value
    // would not read back as one key (a line break anywhere, "=" in the key,
    // "]" in the section, an empty name); the file is then left as it was.
    static bool write(const QString& path, const QString& section, const QString& key, const QString& value);

    // For many keys of one file with a single read and a single write: the
    // same rules as read() and write(), applied in memory.
    ProfileFile() = default;
    static ProfileFile load(const QString& path);
    static ProfileFile fromBytes(const QByteArray& bytes);
    QString value(const QString& section, const QString& key, const QString& defaultText = QString()) const;
    bool setValue(const QString& section, const QString& key, const QString& value);
    QByteArray toBytes() const;
    // Replaces the file at path with this content, whole or not at all
    // (FileReplace); false when it keeps its old bytes.
    bool save(const QString& path) const;
    bool isUtf8() const { return utf8_; }

private:
    struct Line {
        QByteArray content; // without the line end
        QByteArray end;     // "\n", "\r\n" or "" for a last line without one
        QString text;       // content decoded
    };
    struct Found {
        int sectionLine = -1; // the section's "[...]" line
        int keyLine = -1;     // the key's line, -1 when absent
        int lastLine = -1;    // last non-blank line of the section
    };

    // Where find() looks, built on first use in one pass over the lines and
    // kept up to date by appends, so that a file of thousands of keys is read
    // and built key by key in linear time. Anything else drops it.
    struct Index {
        QHash<QString, int> sectionLine; // folded section -> its first "[...]" line
        QHash<QString, int> lastLine;    // folded section -> last non-blank line of it
        QHash<QString, QHash<QString, int>> keyLine; // folded section -> folded key -> first key line
    };
    const Index& index() const;

    QString decode(const QByteArray& bytes) const;
    QByteArray encode(const QString& text) const;
    Found find(const QString& section, const QString& key) const;
    QByteArray newline() const;

    std::vector<Line> lines_;
    bool utf8_ = true;
    bool bom_ = false;
    mutable std::optional<Index> index_;
};
