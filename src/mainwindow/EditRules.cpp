#include "mainwindow/EditRules.h"

#include "data/SqlScan.h"
#include "querypage/modCommons.h"

#include <QStringList>
#include <vector>

namespace EditRules {

namespace {

const QString CRLF = QStringLiteral("\r\n");

// Each part set aside stands in the text as one code point of the private use
// planes 15 and 16 (a surrogate pair): nothing of the reformat acts on it (no
// blank, no word character, no bracket, no "|").
constexpr char32_t MaskBase = 0xF0000;
constexpr qsizetype MaskCapacity = 0x1FFFE;

bool isMaskHigh(QChar c) { return c.unicode() >= 0xDB80 && c.unicode() <= 0xDBFF; }

struct Masked {
    QString text;
    QStringList parts;
    std::vector<bool> comment;
    bool ok = true;
};

// Sets literals, names, comments and the user's "|" and "{" aside. A text that
// already uses those planes, or holds more parts than they do, cannot be
// masked (ok false).
Masked mask(const QString& text)
{
    Masked m;
    for (QChar c : text)
        if (isMaskHigh(c)) {
            m.ok = false;
            return m;
        }
    m.text.reserve(text.size());
    auto add = [&m](QStringView part, bool isComment) {
        const char32_t cp = MaskBase + char32_t(m.parts.size());
        m.text += QChar(QChar::highSurrogate(cp));
        m.text += QChar(QChar::lowSurrogate(cp));
        m.parts << part.toString();
        m.comment.push_back(isComment);
    };
    for (const sqltext::Segment& s : sqltext::segments(text)) {
        const QStringView part = QStringView(text).mid(s.start, s.length);
        if (s.kind != sqltext::Kind::Code) {
            add(part, s.kind == sqltext::Kind::Comment);
            continue;
        }
        for (qsizetype i = 0; i < part.size(); ++i) {
            if (part[i] == u'|' || part[i] == u'{')
                add(part.mid(i, 1), false);
            else
                m.text += part[i];
        }
    }
    if (m.parts.size() > MaskCapacity)
        m.ok = false;
    return m;
}

QString unmask(const QString& text, const Masked& m)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (!isMaskHigh(c) || i + 1 >= text.size()) {
            out += c;
            continue;
        }
        const qsizetype k = qsizetype(QChar::surrogateToUcs4(c, text[i + 1]) - MaskBase);
        ++i;
        out += m.parts.value(k);
        if (k >= qsizetype(m.comment.size()) || !m.comment[std::size_t(k)])
            continue;
        // The comment ends its line: what follows it on the line goes to the next.
        qsizetype j = i + 1;
        while (j < text.size() && text[j] == u' ')
            ++j;
        if (j >= text.size() || QStringView(text).mid(j).startsWith(CRLF))
            continue;
        out += CRLF;
        i = j - 1;
    }
    return out;
}

QString pad(int n) { return QString(qMax(0, n) * 3, u' '); }

void collapseBlanks(QString& s)
{
    QString out;
    out.reserve(s.size());
    for (QChar c : s) {
        if (c == u' ' && !out.isEmpty() && out.back() == u' ')
            continue;
        out += c;
    }
    s = out;
}

QString format(QString text, int level);

// Step 5: each parenthesised group, left to right, becomes "{k}" and fill;
// its inner text is formatted one level deeper.
QStringList groups(QString& text, int level)
{
    QStringList formatted;
    qsizetype from = 0;
    for (;;) {
        const qsizetype open = text.indexOf(u'(', from);
        if (open < 0)
            break;
        int depth = 0;
        qsizetype close = -1;
        for (qsizetype i = open; i < text.size(); ++i) {
            if (text[i] == u'(')
                ++depth;
            else if (text[i] == u')' && --depth == 0) {
                close = i;
                break;
            }
        }
        if (close < 0)
            break; // no matching ")": the rest stays plain text
        const QString inner = text.mid(open + 1, close - open - 1);
        const qsizetype L = inner.size();
        const int k = int(formatted.size()) + 1;
        const QString placeholder =
            QStringLiteral("{%1}").arg(k) + (L >= 3 ? QString(L - 3, u'|') : QString());
        text.replace(open + 1, L, placeholder);
        formatted << format(inner, level + 1);
        from = open + 1 + placeholder.size() + 1;
    }
    return formatted;
}

// Step 6: the column list of a SELECT, one column a line.
void columnList(QString& text, int level)
{
    if (!text.trimmed().startsWith(QLatin1String("SELECT")) || !text.contains(QLatin1String(" FROM ")))
        return;
    const qsizetype sel = text.indexOf(QLatin1String("SELECT "));
    if (sel < 0)
        return;
    const qsizetype listStart = sel + 6;
    const qsizetype from = text.indexOf(QLatin1String(" FROM "), listStart);
    if (from < 0)
        return;
    const qsizetype into = text.indexOf(QLatin1String(" INTO "), listStart);
    const qsizetype listEnd = (into >= 0 && into < from) ? into : from;
    const QString head = text.left(listStart + 1);
    const QString list = text.mid(listStart, listEnd - listStart);
    const QString rest = text.mid(listEnd + 1);
    if (!list.contains(u',')) {
        text = head + u' ' + list + u' ' + rest;
        return;
    }
    const QStringList pieces = list.split(u',');
    QString out = pieces[0].trimmed() + QStringLiteral(", ") + CRLF;
    for (qsizetype i = 1; i < pieces.size(); ++i)
        out += pad(level + 1) + pieces[i].trimmed() + (i + 1 < pieces.size() ? QStringLiteral(", ") : QStringLiteral(" ")) + CRLF;
    text = head + out + rest;
}

// Step 8.
void lineBreaks(QString& text, int level)
{
    const struct {
        const char* found;
        QString by;
    } table[] = {
        {"SELECT ", QStringLiteral("SELECT ") + CRLF + pad(level + 1)},
        {" FROM ", u' ' + CRLF + pad(level) + QStringLiteral("FROM ")},
        {" UNION ", u' ' + CRLF + CRLF + pad(level) + QStringLiteral("UNION ") + CRLF + CRLF},
        {" INNER JOIN ", u' ' + CRLF + pad(level) + QStringLiteral("INNER JOIN ")},
        {" LEFT JOIN ", u' ' + CRLF + pad(level) + QStringLiteral("LEFT JOIN ")},
        {" RIGHT JOIN ", u' ' + CRLF + pad(level) + QStringLiteral("RIGHT JOIN ")},
        {" FULL JOIN ", u' ' + CRLF + pad(level) + QStringLiteral("FULL JOIN ")},
        {" ON ", u' ' + CRLF + pad(level + 1) + QStringLiteral("ON ")},
        {" WHERE ", u' ' + CRLF + pad(level) + QStringLiteral("WHERE ")},
        {" BETWEEN ", u' ' + CRLF + pad(level) + QStringLiteral("BETWEEN ")},
        {" AND ", u' ' + CRLF + pad(level) + QStringLiteral("AND ")},
        {" OR ", u' ' + CRLF + pad(level) + QStringLiteral("OR ")},
        {" ORDER BY ", u' ' + CRLF + pad(level) + QStringLiteral("ORDER BY ")},
        {" GROUP BY ", u' ' + CRLF + pad(level) + QStringLiteral("GROUP BY ")},
        {" HAVING ", u' ' + CRLF + pad(level) + QStringLiteral("HAVING ")},
    };
    for (const auto& row : table)
        text.replace(QLatin1String(row.found), row.by);
}

// Steps 1 to 10 on a masked text.
QString format(QString text, int level)
{
    text.replace(CRLF, QStringLiteral(" "));
    text.replace(u'\n', u' ');
    text.replace(u'\r', u' ');
    text = text.trimmed();
    text.replace(u'\t', u' ');
    collapseBlanks(text);
    modCommons::UpperKeywords(text);

    QString head;
    const qsizetype insert = text.indexOf(QLatin1String("INSERT INTO "));
    if (insert >= 0) {
        const qsizetype select = text.indexOf(QLatin1String(" SELECT "));
        if (select > insert) {
            head = text.left(select + 1);
            text = text.mid(select + 1);
        }
    }

    const QStringList grouped = groups(text, level);
    columnList(text, level);
    text.remove(u'|');
    lineBreaks(text, level);
    for (qsizetype k = 0; k < grouped.size(); ++k)
        text.replace(QStringLiteral("{%1}").arg(k + 1), grouped[k]);
    return head.isEmpty() ? text : head + CRLF + text;
}

} // namespace

QString Identar(const QString& text, std::int16_t level)
{
    const Masked m = mask(text);
    if (!m.ok)
        return text; // what cannot be set aside safely is left as the user wrote it
    return unmask(format(m.text, level), m);
}

ResizeResult resize(const ResizeInput& in)
{
    ResizeResult r;
    r.Width = qMax(in.Width, MinimumWidth);
    r.Height = qMax(in.Height, MinimumHeight);
    if (!in.Visible || in.Minimised)
        return r;
    r.Placed = true;
    r.TextWidth = r.Width - 2 * (in.TextLeft + in.FrameWidth);
    r.TextHeight = r.Height - in.TextTop - 2 * in.FrameHeight - in.TextLeft - in.CaptionHeight;
    r.SalirLeft = r.Width - in.SalirWidth - 200;
    r.LineX2 = r.Width;
    return r;
}

bool ColouringDelay::changed(const QString& text, qint64 now)
{
    if (text != QLatin1String("{ignore}"))
        lastChange_ = now;
    const bool start = text != lastSeen_;
    lastSeen_ = text;
    if (start)
        armed_ = true;
    return start;
}

bool ColouringDelay::tick(qint64 now, qint64* remaining)
{
    const qint64 waited = now - lastChange_;
    if (remaining)
        *remaining = qMax<qint64>(0, Delay - waited);
    if (!armed_ || waited < Delay)
        return false;
    armed_ = false;
    return true;
}

} // namespace EditRules
