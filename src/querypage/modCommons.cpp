#include "querypage/modCommons.h"

#include "core/Screen.h"
#include "data/SqlScan.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextCursor>

namespace modCommons {

namespace {

const QString kWordChars = QStringLiteral("abcdefghijklmnñopqrstuvwxyzáéíóúü0123456789_");

QSet<QString> keywordSet()
{
    QSet<QString> set;
    for (const QString& k : Keywords())
        set.insert(k);
    return set;
}

bool isKeyword(QStringView word)
{
    static const QSet<QString> set = keywordSet();
    // Keywords are at most 8 characters; longer words need no look-up.
    return word.size() >= 2 && word.size() <= 8 && set.contains(word.toString().toUpper());
}

QColor colourOf(std::uint32_t bgr) { return QColor::fromRgb(Screen::rgbFromColor(bgr).value_or(0)); }

qsizetype lineEnd(QStringView text, qsizetype from)
{
    const qsizetype p = text.indexOf(u'\n', from);
    return p < 0 ? text.size() : p;
}

} // namespace

const QStringList& Keywords()
{
    static const QStringList list = {
        "DISTINCT", "BETWEEN", "DELETE", "INSERT", "UPDATE", "SELECT", "NOLOCK", "RIGHT", "INNER",
        "OUTER",    "WHERE",   "GROUP",  "ORDER",  "UNION",  "UPPER",  "LOWER",  "FROM",  "INTO",
        "LEFT",     "FULL",    "JOIN",   "WITH",   "LIKE",   "SET",    "AND",    "TOP",   "MAX",
        "MIN",      "SUM",     "OR",     "BY",     "IN",     "ON",     "CASE",   "WHEN",  "THEN",
        "END",      "CONVERT", "CAST",   "DESC",   "ASC",    "AS",     "HAVING", "COUNT", "VALUES"};
    return list;
}

bool IsWordChar(QChar c)
{
    if (c.unicode() < 128)
        return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'_';
    return kWordChars.contains(c.toLower());
}

QSet<QString> CommentPieces(QStringView text)
{
    QSet<QString> pieces;
    qsizetype from = 0;
    while (from <= text.size()) {
        const qsizetype end = lineEnd(text, from);
        const QStringView line = text.mid(from, end - from);
        const qsizetype p = line.indexOf(QLatin1String("--"));
        if (p >= 0) {
            QStringView piece = line.mid(p);
            if (piece.endsWith(u'\r'))
                piece.chop(1);
            pieces.insert(piece.toString().toCaseFolded());
        }
        from = end + 1;
    }
    return pieces;
}

std::vector<Span> lineSpans(QStringView line, const QSet<QString>& pieces)
{
    const qsizetype n = line.size();
    // 0 default, 1 keyword, 2 comment; comments are laid over keywords.
    std::vector<std::uint8_t> colour;
    auto paint = [&](qsizetype from, qsizetype len, std::uint8_t c) {
        if (colour.empty())
            colour.assign(std::size_t(n), 0);
        for (qsizetype i = from; i < from + len; ++i)
            colour[std::size_t(i)] = c;
    };
    for (qsizetype i = 0; i < n;) {
        if (!IsWordChar(line[i])) {
            ++i;
            continue;
        }
        qsizetype e = i;
        while (e < n && IsWordChar(line[e]))
            ++e;
        if (isKeyword(line.mid(i, e - i)))
            paint(i, e - i, 1);
        i = e;
    }
    if (!pieces.isEmpty()) {
        qsizetype q = line.indexOf(QLatin1String("--"));
        while (q >= 0) {
            if (q == 0 || !IsWordChar(line[q - 1])) {
                // A piece found as a whole word ends where a non-word character follows.
                for (qsizetype e = n; e >= q + 2; --e) {
                    if (e < n && IsWordChar(line[e]))
                        continue;
                    if (pieces.contains(line.mid(q, e - q).toString().toCaseFolded())) {
                        paint(q, e - q, 2);
                        break;
                    }
                }
            }
            q = line.indexOf(QLatin1String("--"), q + 1);
        }
    }
    std::vector<Span> spans;
    for (qsizetype i = 0; i < qsizetype(colour.size());) {
        const std::uint8_t c = colour[std::size_t(i)];
        qsizetype e = i + 1;
        while (e < qsizetype(colour.size()) && colour[std::size_t(e)] == c)
            ++e;
        if (c)
            spans.push_back({int(i), int(e - i), c == 1 ? KeywordColour : CommentColour});
        i = e;
    }
    return spans;
}

std::vector<Span> keywordSpans(const QString& text)
{
    const QSet<QString> pieces = CommentPieces(text);
    std::vector<Span> out;
    qsizetype from = 0;
    while (from <= text.size()) {
        const qsizetype end = lineEnd(text, from);
        for (Span s : lineSpans(QStringView(text).mid(from, end - from), pieces)) {
            s.start += int(from);
            out.push_back(s);
        }
        from = end + 1;
    }
    return out;
}

QString UpperKeywords(QString& text)
{
    text = sqltext::mapCode(text, [](QStringView code, QString& to) {
        for (qsizetype i = 0; i < code.size();) {
            if (!IsWordChar(code[i])) {
                to += code[i++];
                continue;
            }
            qsizetype e = i;
            while (e < code.size() && IsWordChar(code[e]))
                ++e;
            const QStringView word = code.mid(i, e - i);
            to += isKeyword(word) ? word.toString().toUpper() : word.toString();
            i = e;
        }
    });
    return text;
}

SqlHighlighter::SqlHighlighter(QTextDocument* document) : QSyntaxHighlighter(document) {}

int SqlHighlighter::takeBlocksHighlighted()
{
    const int n = blocks_;
    blocks_ = 0;
    return n;
}

void SqlHighlighter::highlightBlock(const QString& text)
{
    ++blocks_;
    static const QColor grey = colourOf(DefaultColour);
    static const QColor blue = colourOf(KeywordColour);
    static const QColor green = colourOf(CommentColour);
    setFormat(0, int(text.size()), grey);
    if (!active_)
        return;
    for (const Span& s : lineSpans(text, pieces_))
        setFormat(s.start, s.length, s.colour == KeywordColour ? blue : green);
}

SqlHighlighter* highlighterOf(QPlainTextEdit* box)
{
    if (auto* h = box->document()->findChild<SqlHighlighter*>())
        return h;
    return new SqlHighlighter(box->document());
}

void HighlightKeywords(QPlainTextEdit* mainBox)
{
    QTextCursor caret = mainBox->textCursor();
    const int position = caret.position();
    SqlHighlighter* h = highlighterOf(mainBox);
    h->setPieces(CommentPieces(mainBox->toPlainText()));
    h->setActive(true);
    h->rehighlight();
    mainBox->show();
    caret.setPosition(position);
    mainBox->setTextCursor(caret);
    mainBox->setFocus();
}

void ResetColour(QPlainTextEdit* box)
{
    QTextCursor caret = box->textCursor();
    const int position = caret.position();
    SqlHighlighter* h = highlighterOf(box);
    h->setActive(false);
    h->rehighlight();
    caret.setPosition(position);
    box->setTextCursor(caret);
}

} // namespace modCommons
