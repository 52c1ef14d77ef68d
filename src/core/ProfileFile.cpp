#include "ProfileFile.h"

#include "FileReplace.h"

#include <QFile>
#include <QStringDecoder>

namespace {

// Windows-1252 code points for 0x80..0x9F; the five unused bytes map to the
// C1 controls of the same number, as the system's own conversion did.
constexpr char16_t Cp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

QString fromCp1252(const QByteArray& bytes)
{
    QString out;
    out.reserve(bytes.size());
    for (char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        out += (b >= 0x80 && b < 0xA0) ? QChar(Cp1252High[b - 0x80]) : QChar(b);
    }
    return out;
}

bool cp1252Byte(QChar c, char& out)
{
    const char16_t u = c.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
        out = char(u);
        return true;
    }
    for (int i = 0; i < 32; ++i) {
        if (Cp1252High[i] == u) {
            out = char(0x80 + i);
            return true;
        }
    }
    return false;
}

bool fitsCp1252(const QString& text)
{
    char b;
    for (QChar c : text)
        if (!cp1252Byte(c, b))
            return false;
    return true;
}

QByteArray toCp1252(const QString& text)
{
    QByteArray out;
    out.reserve(text.size());
    char b = '?';
    for (QChar c : text)
        out += cp1252Byte(c, b) ? b : '?';
    return out;
}

bool validUtf8(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString discard = decoder.decode(bytes);
    return !decoder.hasError();
}

bool isBlank(QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); }

// Blanks and tabs around names and values do not count, as before.
QString trimBlanks(const QString& s)
{
    int from = 0, to = int(s.size());
    while (from < to && isBlank(s[from]))
        ++from;
    while (to > from && isBlank(s[to - 1]))
        --to;
    return s.mid(from, to - from);
}

QString fold(const QString& s)
{
    // Most names are plain ASCII: lower-casing them is their case folding.
    bool upper = false;
    for (QChar c : s) {
        if (c.unicode() >= 0x80)
            return s.toCaseFolded();
        upper = upper || (c >= QLatin1Char('A') && c <= QLatin1Char('Z'));
    }
    return upper ? s.toLower() : s;
}

const QByteArray Bom("\xEF\xBB\xBF");

} // namespace

// ---------------------------------------------------------------- parsing

ProfileFile ProfileFile::fromBytes(const QByteArray& input)
{
    ProfileFile pf;
    QByteArray bytes = input;
    pf.utf8_ = validUtf8(bytes);
    if (pf.utf8_ && bytes.startsWith(Bom)) {
        pf.bom_ = true;
        bytes.remove(0, Bom.size());
    }
    // Any line break ends a line: CR LF, LF, or a CR alone (a file saved by
    // an old editor), so that no key can hide inside the previous one.
    qsizetype start = 0;
    const qsizetype n = bytes.size();
    while (start < n) {
        qsizetype at = start;
        while (at < n && bytes[at] != '\n' && bytes[at] != '\r')
            ++at;
        Line line;
        line.content = bytes.mid(start, at - start);
        if (at < n && bytes[at] == '\r' && at + 1 < n && bytes[at + 1] == '\n')
            line.end = "\r\n";
        else if (at < n)
            line.end = QByteArray(1, bytes[at]);
        start = at + line.end.size();
        line.text = pf.decode(line.content);
        pf.lines_.push_back(std::move(line));
    }
    return pf;
}

ProfileFile ProfileFile::load(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return ProfileFile();
    return fromBytes(f.readAll());
}

QByteArray ProfileFile::toBytes() const
{
    QByteArray out;
    if (bom_)
        out += Bom;
    for (const Line& l : lines_) {
        out += l.content;
        out += l.end;
    }
    return out;
}

QString ProfileFile::decode(const QByteArray& bytes) const
{
    return utf8_ ? QString::fromUtf8(bytes) : fromCp1252(bytes);
}

QByteArray ProfileFile::encode(const QString& text) const { return utf8_ ? text.toUtf8() : toCp1252(text); }

QByteArray ProfileFile::newline() const
{
    for (const Line& l : lines_)
        if (!l.end.isEmpty())
            return l.end;
    return "\n";
}

namespace {

QString sectionName(const QString& trimmedHeader)
{
    const qsizetype close = trimmedHeader.indexOf(QLatin1Char(']'));
    return trimBlanks(trimmedHeader.mid(1, close < 0 ? -1 : close - 1));
}


} // namespace

const ProfileFile::Index& ProfileFile::index() const
{
    if (index_)
        return *index_;
    Index& x = index_.emplace();
    // Only the first section of a name is ever searched; lines before any
    // section and the lines of a later namesake belong to none.
    QString current;
    bool searched = false;
    for (int i = 0; i < int(lines_.size()); ++i) {
        const QString t = trimBlanks(lines_[std::size_t(i)].text);
        if (t.startsWith(QLatin1Char('['))) {
            current = fold(sectionName(t));
            searched = !x.sectionLine.contains(current);
            if (searched) {
                x.sectionLine.insert(current, i);
                x.lastLine.insert(current, i);
            }
            continue;
        }
        if (!searched || t.isEmpty())
            continue;
        x.lastLine[current] = i;
        const qsizetype eq = t.indexOf(QLatin1Char('='));
        if (eq < 0)
            continue;
        QHash<QString, int>& keys = x.keyLine[current];
        const QString name = fold(trimBlanks(t.left(eq)));
        if (!keys.contains(name))
            keys.insert(name, i);
    }
    return x;
}

ProfileFile::Found ProfileFile::find(const QString& section, const QString& key) const
{
    Found f;
    const Index& x = index();
    const QString s = fold(trimBlanks(section));
    const auto at = x.sectionLine.constFind(s);
    if (at == x.sectionLine.cend())
        return f;
    f.sectionLine = at.value();
    f.lastLine = x.lastLine.value(s, f.sectionLine);
    const auto keys = x.keyLine.constFind(s);
    if (keys != x.keyLine.cend())
        f.keyLine = keys->value(fold(trimBlanks(key)), -1);
    return f;
}

// ---------------------------------------------------------------- reading

QString ProfileFile::value(const QString& section, const QString& key, const QString& defaultText) const
{
    const Found f = find(section, key);
    if (f.keyLine < 0)
        return defaultText;
    const QString& t = lines_[std::size_t(f.keyLine)].text;
    QString v = trimBlanks(t.mid(t.indexOf(QLatin1Char('=')) + 1));
    if (v.isEmpty())
        return defaultText;
    if (v.size() > ReadLimit) {
        int cut = ReadLimit;
        if (v[cut - 1].isHighSurrogate())
            --cut; // never leave half a character
        v.truncate(cut);
    }
    return v;
}

QString ProfileFile::read(const QString& path, const QString& section, const QString& key, const QString& defaultText)
{
    return load(path).value(section, key, defaultText);
}

// ---------------------------------------------------------------- writing

bool ProfileFile::setValue(const QString& section, const QString& key, const QString& value)
{
    const QString s = trimBlanks(section), k = trimBlanks(key);
    auto breaksLine = [](const QString& t) {
        return t.contains(QLatin1Char('\n')) || t.contains(QLatin1Char('\r')) || t.contains(QChar(0));
    };
    // Anything that would read back as another line, another key or another
    // section is refused rather than written.
    if (s.isEmpty() || k.isEmpty() || breaksLine(section) || breaksLine(key) || breaksLine(value) ||
        s.contains(QLatin1Char(']')) || k.contains(QLatin1Char('=')) || k.startsWith(QLatin1Char('[')))
        return false;

    if (!utf8_ && !(fitsCp1252(s) && fitsCp1252(k) && fitsCp1252(value))) {
        // The new text has characters the old code page lacks: the file becomes UTF-8.
        for (Line& l : lines_)
            l.content = l.text.toUtf8();
        utf8_ = true;
    }

    const QString keyText = k + QLatin1Char('=') + value;
    const Found f = find(s, k);
    if (f.keyLine >= 0) {
        Line& l = lines_[std::size_t(f.keyLine)];
        l.text = keyText;
        l.content = encode(keyText);
        return true;
    }
    const QByteArray nl = newline();
    Line added{encode(keyText), nl, keyText};
    const QString fs = fold(s);
    if (f.sectionLine >= 0) {
        Line& last = lines_[std::size_t(f.lastLine)];
        if (last.end.isEmpty())
            last.end = nl;
        const int at = f.lastLine + 1;
        lines_.insert(lines_.begin() + at, std::move(added));
        if (at + 1 == int(lines_.size())) {
            index_->lastLine[fs] = at;
            index_->keyLine[fs].insert(fold(k), at);
        } else {
            index_.reset(); // the lines after it moved
        }
        return true;
    }
    if (!lines_.empty() && lines_.back().end.isEmpty())
        lines_.back().end = nl;
    const QString header = QLatin1Char('[') + s + QLatin1Char(']');
    lines_.push_back(Line{encode(header), nl, header});
    lines_.push_back(std::move(added));
    const int at = int(lines_.size()) - 1;
    index_->sectionLine.insert(fs, at - 1);
    index_->lastLine.insert(fs, at);
    index_->keyLine[fs].insert(fold(k), at);
    return true;
}

bool ProfileFile::write(const QString& path, const QString& section, const QString& key, const QString& value)
{
    QByteArray before;
    QFile existing(path);
    // A file marked read-only is not replaced, whoever runs the program
    // (a rename beside it, or the owner's rights, would otherwise overrule the mark).
    if (existing.exists() && !(existing.permissions() & QFile::WriteOwner))
        return false;
    if (existing.exists()) {
        if (!existing.open(QIODevice::ReadOnly))
            return false; // never replace a file that could not be read
        before = existing.readAll();
        existing.close();
    }
    ProfileFile pf = fromBytes(before);
    if (!pf.setValue(section, key, value))
        return false;
    if (existing.exists() && pf.toBytes() == before)
        return true;
    return pf.save(path);
}

bool ProfileFile::save(const QString& path) const { return FileReplace::replace(path, toBytes()); }
