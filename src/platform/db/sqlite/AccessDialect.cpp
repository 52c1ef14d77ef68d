#include "AccessDialect.h"
#include "CaseFree.h"

#include <QDate>
#include <QRegularExpression>
#include <QTime>

#include <algorithm>

namespace db::sqlite {

namespace {

enum class T { Space, Comment, String, Ident, Bracket, DateLit, Number, Word, Punct, End };

struct Tok {
    T kind;
    QString text;   // as written
    QString out;    // what is written instead (when changed)
    bool changed = false;
    QString before; // inserted before the token
    QString after;  // inserted after the token

    bool is(const char* word) const { return kind == T::Word && text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0; }
    bool isPunct(char c) const { return kind == T::Punct && text.size() == 1 && text[0] == QLatin1Char(c); }
    void set(const QString& s)
    {
        out = s;
        changed = true;
    }
    void drop() { set(QString()); }
};

bool isWordStart(QChar c) { return c.isLetter() || c == QLatin1Char('_') || c.unicode() >= 0x80; }
bool isWordChar(QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$') || c.unicode() >= 0x80; }

// Access date literal content: m/d/yyyy or yyyy-mm-dd, optionally with a time (h:nn[:ss] [AM|PM]).
bool accessDate(const QString& body, QString& iso)
{
    static const QRegularExpression re(QStringLiteral(
        R"(^\s*(?:(\d{1,2})[/-](\d{1,2})[/-](\d{2,4})|(\d{4})[/-](\d{1,2})[/-](\d{1,2}))?\s*(?:(\d{1,2}):(\d{1,2})(?::(\d{1,2}))?\s*([AaPp][Mm])?)?\s*$)"));
    auto m = re.match(body);
    if (!m.hasMatch() || body.trimmed().isEmpty())
        return false;
    int y = 1899, mo = 12, d = 30;
    if (m.capturedLength(1)) {
        mo = m.captured(1).toInt();
        d = m.captured(2).toInt();
        y = m.captured(3).toInt();
        if (m.capturedLength(3) <= 2)
            y += y < 30 ? 2000 : 1900;
    } else if (m.capturedLength(4)) {
        y = m.captured(4).toInt();
        mo = m.captured(5).toInt();
        d = m.captured(6).toInt();
    }
    int h = 0, mi = 0, s = 0;
    if (m.capturedLength(7)) {
        h = m.captured(7).toInt();
        mi = m.captured(8).toInt();
        s = m.capturedLength(9) ? m.captured(9).toInt() : 0;
        if (m.capturedLength(10)) {
            const bool pm = m.captured(10).toUpper() == QLatin1String("PM");
            if (h == 12)
                h = pm ? 12 : 0;
            else if (pm)
                h += 12;
        }
    }
    QDate date(y, mo, d);
    QTime time(h, mi, s);
    if (!date.isValid() || !time.isValid())
        return false;
    iso = date.toString(QStringLiteral("yyyy-MM-dd")) + QLatin1Char(' ') + time.toString(QStringLiteral("HH:mm:ss"));
    return true;
}

// Index after the quote that closes the literal or name opened at i; the closing
// character doubled stands for itself ('it''s', [a]]b], "say ""hi""").
int quotedEnd(const QString& s, int i, QChar close)
{
    const int n = int(s.size());
    for (++i; i < n; ++i) {
        if (s[i] != close)
            continue;
        if (i + 1 < n && s[i + 1] == close)
            ++i;
        else
            return i + 1;
    }
    return n;
}

std::vector<Tok> tokenize(const QString& s)
{
    std::vector<Tok> toks;
    const int n = int(s.size());
    int i = 0;
    auto push = [&](T k, int from, int to) { toks.push_back(Tok{k, s.mid(from, to - from), {}, false, {}, {}}); };
    while (i < n) {
        const QChar c = s[i];
        const int start = i;
        if (c.isSpace()) {
            while (i < n && s[i].isSpace())
                ++i;
            push(T::Space, start, i);
        } else if (c == QLatin1Char('-') && i + 1 < n && s[i + 1] == QLatin1Char('-')) {
            while (i < n && s[i] != QLatin1Char('\n'))
                ++i;
            push(T::Comment, start, i);
        } else if (c == QLatin1Char('/') && i + 1 < n && s[i + 1] == QLatin1Char('*')) {
            int e = s.indexOf(QLatin1String("*/"), i + 2);
            i = e < 0 ? n : e + 2;
            push(T::Comment, start, i);
        } else if (c == QLatin1Char('\'')) {
            i = quotedEnd(s, i, c);
            push(T::String, start, i);
        } else if (c == QLatin1Char('"') || c == QLatin1Char('`')) {
            i = quotedEnd(s, i, c);
            push(T::Ident, start, i);
        } else if (c == QLatin1Char('[')) {
            i = quotedEnd(s, i, QLatin1Char(']'));
            push(T::Bracket, start, i);
            Tok& t = toks.back();
            if (t.text.contains(QLatin1String("]]"))) {
                QString name = t.text.mid(1, t.text.size() - 2).replace(QLatin1String("]]"), QLatin1String("]"));
                t.set(quoteName(name));
            }
        } else if (c == QLatin1Char('#')) {
            int e = s.indexOf(QLatin1Char('#'), i + 1);
            QString iso;
            if (e > i && e - i < 40 && accessDate(s.mid(i + 1, e - i - 1), iso)) {
                i = e + 1;
                push(T::DateLit, start, i);
                toks.back().set(QLatin1Char('\'') + iso + QLatin1Char('\''));
            } else {
                ++i;
                push(T::Punct, start, i);
            }
        } else if (c.isDigit() || (c == QLatin1Char('.') && i + 1 < n && s[i + 1].isDigit())) {
            while (i < n && (s[i].isLetterOrNumber() || s[i] == QLatin1Char('.')
                             || ((s[i] == QLatin1Char('+') || s[i] == QLatin1Char('-')) && (s[i - 1] == QLatin1Char('e') || s[i - 1] == QLatin1Char('E')))))
                ++i;
            push(T::Number, start, i);
        } else if (isWordStart(c)) {
            while (i < n && isWordChar(s[i]))
                ++i;
            push(T::Word, start, i);
        } else {
            static const char* two[] = {"||", "<=", ">=", "<>", "!=", "==", "<<", ">>", "->"};
            int len = 1;
            if (i + 1 < n)
                for (const char* t : two)
                    if (s[i] == QLatin1Char(t[0]) && s[i + 1] == QLatin1Char(t[1]))
                        len = 2;
            i += len;
            push(T::Punct, start, i);
        }
    }
    toks.push_back(Tok{T::End, {}, {}, false, {}, {}});
    return toks;
}

QString join(const std::vector<Tok>& toks, std::size_t from, std::size_t to)
{
    QString out;
    for (std::size_t i = from; i < to && i < toks.size(); ++i) {
        out += toks[i].before;
        out += toks[i].changed ? toks[i].out : toks[i].text;
        out += toks[i].after;
    }
    return out;
}

bool significant(const Tok& t) { return t.kind != T::Space && t.kind != T::Comment; }

std::size_t nextSig(const std::vector<Tok>& toks, std::size_t i)
{
    ++i;
    while (i < toks.size() && !significant(toks[i]))
        ++i;
    return i < toks.size() ? i : toks.size() - 1;
}

std::ptrdiff_t prevSig(const std::vector<Tok>& toks, std::ptrdiff_t i)
{
    --i;
    while (i >= 0 && !significant(toks[std::size_t(i)]))
        --i;
    return i;
}

bool isCompound(const Tok& t) { return t.is("UNION") || t.is("EXCEPT") || t.is("INTERSECT"); }

// ---- a & b ---------------------------------------------------------------------
//
// '&' binds looser than arithmetic and treats Null as an empty text (Null only
// when every operand is Null), where '||' binds tighter than arithmetic and
// gives Null for any Null. A chain "a & b & c" becomes access_concat(a, b, c).

constexpr std::size_t None = std::size_t(-1);

// Words that end an operand: clauses, comparisons, logic.
bool isBoundaryWord(const Tok& t)
{
    static const char* words[] = {"SELECT", "DISTINCT", "DISTINCTROW", "ALL",    "TOP",    "PERCENT",   "FROM",
                                  "WHERE",  "AND",      "OR",          "NOT",    "XOR",    "EQV",       "IMP",
                                  "LIKE",   "ALIKE",    "GLOB",        "REGEXP", "MATCH",  "IS",        "IN",
                                  "BETWEEN", "AS",      "ON",          "WHEN",   "THEN",   "ELSE",      "END",
                                  "CASE",   "ORDER",    "GROUP",       "BY",     "HAVING", "SET",       "VALUES",
                                  "UNION",  "EXCEPT",   "INTERSECT",   "INTO",   "JOIN",   "INNER",     "OUTER",
                                  "LEFT",   "RIGHT",    "FULL",        "CROSS",  "ASC",    "DESC",      "LIMIT",
                                  "OFFSET", "COLLATE",  "ESCAPE",      "EXISTS", "WITH",   "RETURNING", "MOD"};
    if (t.kind != T::Word)
        return false;
    for (const char* w : words)
        if (t.is(w))
            return true;
    return false;
}

bool isArithmetic(const Tok& t)
{
    if (t.kind == T::Word)
        return t.is("MOD");
    if (t.kind != T::Punct)
        return false;
    static const char* ops[] = {"+", "-", "*", "/", "\\", "^", "%", "||"};
    for (const char* op : ops)
        if (t.text == QLatin1String(op))
            return true;
    return false;
}

bool isSign(const Tok& t) { return t.isPunct('+') || t.isPunct('-'); }

bool isName(const Tok& t) { return (t.kind == T::Word && !isBoundaryWord(t)) || t.kind == T::Bracket || t.kind == T::Ident; }

// A function name: a word right before '(' (LEFT( and RIGHT( are functions, LEFT JOIN is not).
bool isFunctionName(const std::vector<Tok>& toks, std::size_t i, std::size_t paren)
{
    const Tok& t = toks[i];
    if (t.kind != T::Word)
        return false;
    if (t.is("LEFT") || t.is("RIGHT"))
        return paren == i + 1;
    return !isBoundaryWord(t);
}

// Index of the token closing the group opened at i ('(' ... ')' or CASE ... END); None when unclosed.
std::size_t groupEnd(const std::vector<Tok>& toks, std::size_t i, std::size_t to)
{
    const bool paren = toks[i].isPunct('(');
    int depth = 0;
    for (std::size_t k = i; k < to; ++k) {
        if (paren ? toks[k].isPunct('(') : toks[k].is("CASE"))
            ++depth;
        else if (paren ? toks[k].isPunct(')') : toks[k].is("END"))
            if (--depth == 0)
                return k;
    }
    return None;
}

// Index of the token opening the group closed at i; None when unopened.
std::size_t groupStart(const std::vector<Tok>& toks, std::size_t i, std::size_t from)
{
    const bool paren = toks[i].isPunct(')');
    int depth = 0;
    for (std::size_t k = i + 1; k-- > from;) {
        if (paren ? toks[k].isPunct(')') : toks[k].is("END"))
            ++depth;
        else if (paren ? toks[k].isPunct('(') : toks[k].is("CASE"))
            if (--depth == 0)
                return k;
    }
    return None;
}

// Last token of the term that starts at i: a value, a (qualified) name, a
// function call, a parenthesised expression or a CASE expression.
std::size_t termEnd(const std::vector<Tok>& toks, std::size_t i, std::size_t to)
{
    if (i >= to)
        return None;
    const Tok& t = toks[i];
    std::size_t end = None;
    if (t.isPunct('(') || t.is("CASE")) {
        end = groupEnd(toks, i, to);
    } else if (t.kind == T::String || t.kind == T::Number || t.kind == T::DateLit) {
        end = i;
    } else if (t.kind == T::Word || t.kind == T::Bracket || t.kind == T::Ident) {
        const std::size_t n = nextSig(toks, i);
        if (n < to && toks[n].isPunct('(') && isFunctionName(toks, i, n))
            return groupEnd(toks, n, to);
        if (!isName(t))
            return None;
        end = i;
        for (;;) { // table.column
            const std::size_t dot = nextSig(toks, end);
            const std::size_t part = dot < to ? nextSig(toks, dot) : to;
            if (dot >= to || !toks[dot].isPunct('.') || part >= to || !isName(toks[part]))
                break;
            end = part;
        }
    }
    return end;
}

// First token of the term that ends at i.
std::size_t termStart(const std::vector<Tok>& toks, std::size_t i, std::size_t from)
{
    const Tok& t = toks[i];
    if (t.isPunct(')')) {
        const std::size_t open = groupStart(toks, i, from);
        if (open == None)
            return None;
        const std::ptrdiff_t f = prevSig(toks, std::ptrdiff_t(open));
        if (f >= std::ptrdiff_t(from) && isFunctionName(toks, std::size_t(f), open))
            return std::size_t(f);
        return open;
    }
    if (t.is("END"))
        return groupStart(toks, i, from);
    if (t.kind == T::String || t.kind == T::Number || t.kind == T::DateLit)
        return i;
    if (!isName(t))
        return None;
    std::size_t start = i;
    for (;;) { // table.column
        const std::ptrdiff_t dot = prevSig(toks, std::ptrdiff_t(start));
        const std::ptrdiff_t part = dot >= std::ptrdiff_t(from) ? prevSig(toks, dot) : -1;
        if (dot < std::ptrdiff_t(from) || !toks[std::size_t(dot)].isPunct('.') || part < std::ptrdiff_t(from)
            || !isName(toks[std::size_t(part)]))
            break;
        start = std::size_t(part);
    }
    return start;
}

// The operand of '&' that ends at i: terms joined by arithmetic, signs included.
std::size_t operandStart(const std::vector<Tok>& toks, std::size_t i, std::size_t from)
{
    std::size_t start = termStart(toks, i, from);
    if (start == None)
        return None;
    for (;;) {
        const std::ptrdiff_t op = prevSig(toks, std::ptrdiff_t(start));
        if (op < std::ptrdiff_t(from) || !isArithmetic(toks[std::size_t(op)]))
            break;
        const std::ptrdiff_t before = prevSig(toks, op);
        const std::size_t s = before >= std::ptrdiff_t(from) ? termStart(toks, std::size_t(before), from) : None;
        if (s != None)
            start = s;
        else if (isSign(toks[std::size_t(op)]))
            start = std::size_t(op); // a sign of its own
        else
            break;
    }
    return start;
}

// The operand of '&' that starts at i.
std::size_t operandEnd(const std::vector<Tok>& toks, std::size_t i, std::size_t to)
{
    while (i < to && isSign(toks[i]))
        i = nextSig(toks, i);
    std::size_t end = termEnd(toks, i, to);
    if (end == None)
        return None;
    for (;;) {
        const std::size_t op = nextSig(toks, end);
        if (op >= to || !isArithmetic(toks[op]))
            break;
        std::size_t next = nextSig(toks, op);
        while (next < to && isSign(toks[next]))
            next = nextSig(toks, next);
        const std::size_t e = termEnd(toks, next, to);
        if (e == None)
            break;
        end = e;
    }
    return end;
}

void rewriteConcatenation(std::vector<Tok>& toks, std::size_t from, std::size_t to)
{
    for (std::size_t i = from; i < to; ++i) {
        if (!toks[i].isPunct('&') || toks[i].changed)
            continue;
        std::vector<std::size_t> ands{i};
        const std::ptrdiff_t left = prevSig(toks, std::ptrdiff_t(i));
        const std::size_t first = left >= std::ptrdiff_t(from) ? operandStart(toks, std::size_t(left), from) : None;
        std::size_t last = None;
        if (first != None) {
            for (;;) {
                last = operandEnd(toks, nextSig(toks, ands.back()), to);
                if (last == None)
                    break;
                const std::size_t n = nextSig(toks, last);
                if (n >= to || !toks[n].isPunct('&'))
                    break;
                ands.push_back(n);
            }
        }
        if (first == None || last == None) {
            // Not an expression this can read: the plain operator at least concatenates.
            for (std::size_t a : ands)
                toks[a].set(QStringLiteral("||"));
            continue;
        }
        toks[first].before = QStringLiteral("access_concat(") + toks[first].before;
        toks[last].after += QLatin1Char(')');
        for (std::size_t a : ands) {
            toks[a].set(QStringLiteral(","));
            if (a > 0 && toks[a - 1].kind == T::Space)
                toks[a - 1].drop();
        }
    }
}

// SELECT [DISTINCT|ALL|DISTINCTROW] TOP n  ->  SELECT [DISTINCT] ... LIMIT n
// ---- text compared without regard to case beyond ASCII --------------------------
//
// The engine's NOCASE folds ASCII letters only, and it orders the file's
// indexes, so it stays the engine's own. A literal with other letters that
// have a case ('Ñandú', 'ÁRBOL') is compared through Velmora's access_text
// collation, or matched by access_like, in the statements that run; never in
// a statement that stores its text in the file (CREATE, ALTER), which every
// reader must understand, nor in a PRAGMA, whose value takes no collation.
// A LIKE is taken over only where the call means exactly what the operator
// meant: a pattern of one literal, an escape of one literal character.

// Where the plain (qualified) name ending at end starts, when nothing before it
// binds tighter than LIKE: a LIKE operand that can be moved into a call.
bool plainOperand(const std::vector<Tok>& toks, std::size_t from, std::size_t end, std::size_t& start)
{
    auto isName = [](const Tok& t) { return t.kind == T::Word || t.kind == T::Bracket || t.kind == T::Ident; };
    if (!isName(toks[end]))
        return false;
    start = end;
    for (;;) {
        const std::ptrdiff_t dot = prevSig(toks, std::ptrdiff_t(start));
        if (dot < std::ptrdiff_t(from) || !toks[std::size_t(dot)].isPunct('.'))
            break;
        const std::ptrdiff_t part = prevSig(toks, dot);
        if (part < std::ptrdiff_t(from) || !isName(toks[std::size_t(part)]))
            return false;
        start = std::size_t(part);
    }
    const std::ptrdiff_t before = prevSig(toks, std::ptrdiff_t(start));
    if (before < std::ptrdiff_t(from))
        return true;
    const Tok& b = toks[std::size_t(before)];
    static const char* opens[] = {"WHERE", "AND", "OR", "NOT", "ON", "WHEN", "THEN", "ELSE", "HAVING", "SELECT"};
    return b.isPunct('(') || b.isPunct(',')
        || std::any_of(std::begin(opens), std::end(opens), [&](const char* w) { return b.is(w); });
}

// Whether the token after a LIKE operand leaves the operand as it is: one
// that binds tighter (arithmetic, '||', '<', COLLATE, ESCAPE, ...) makes it more.
bool endsOperand(const Tok& t)
{
    switch (t.kind) {
    case T::End:
    case T::Ident:
    case T::Bracket: return true; // an alias
    case T::Word: return !t.is("COLLATE") && !t.is("ESCAPE") && !t.is("MOD");
    case T::Punct:
        return t.isPunct(')') || t.isPunct(',') || t.isPunct(';') || t.text == QLatin1String("=")
            || t.text == QLatin1String("==") || t.text == QLatin1String("<>") || t.text == QLatin1String("!=");
    default: return false;
    }
}

// A string literal as it stands, nothing inserted around it.
bool bareString(const Tok& t) { return t.kind == T::String && !t.changed && t.before.isEmpty() && t.after.isEmpty(); }

// A literal of one character ('''' is one).
bool oneCharacter(const Tok& t)
{
    const QString body = t.text.mid(1, t.text.size() - 2).replace(QLatin1String("''"), QLatin1String("'"));
    return body.toUcs4().size() == 1;
}

void rewriteCaseBeyondAscii(std::vector<Tok>& toks, std::size_t from, std::size_t to)
{
    auto comparison = [](const Tok& t) {
        return t.kind == T::Punct && (t.text == QLatin1String("=") || t.text == QLatin1String("==")
                                      || t.text == QLatin1String("<>") || t.text == QLatin1String("!="));
    };
    for (std::size_t i = from; i < to; ++i) {
        Tok& lit = toks[i];
        if (lit.kind != T::String || !hasCaseBeyondAscii(lit.text))
            continue;
        const std::ptrdiff_t p = prevSig(toks, std::ptrdiff_t(i));
        const std::size_t n = nextSig(toks, i);
        const Tok* before = p >= std::ptrdiff_t(from) ? &toks[std::size_t(p)] : nullptr;
        if (!before || (!before->is("LIKE") && !before->is("ESCAPE"))) {
            if ((before && comparison(*before)) || (n < to && comparison(toks[n])))
                lit.after += QStringLiteral(" COLLATE access_text");
            continue;
        }
        // name [NOT] LIKE 'pattern' [ESCAPE 'c']  ->  [NOT] access_like(name, 'pattern'[, 'c']), only
        // when the pattern and the escape are single literals: anything else the engine runs as written.
        if (!before->is("LIKE") || !bareString(lit))
            continue;
        std::size_t last = i;
        if (n < to && toks[n].is("ESCAPE")) {
            last = nextSig(toks, n);
            if (last >= to || !bareString(toks[last]) || !oneCharacter(toks[last]))
                continue;
        }
        if (!endsOperand(toks[nextSig(toks, last)]))
            continue;
        std::ptrdiff_t end = prevSig(toks, p);
        const bool negated = end >= std::ptrdiff_t(from) && toks[std::size_t(end)].is("NOT");
        if (negated)
            end = prevSig(toks, end);
        std::size_t start;
        if (end < std::ptrdiff_t(from) || !plainOperand(toks, from, std::size_t(end), start))
            continue;
        toks[start].before += negated ? QStringLiteral("NOT access_like(") : QStringLiteral("access_like(");
        if (negated)
            toks[std::size_t(nextSig(toks, std::size_t(end)))].drop();
        toks[std::size_t(p)].set(QStringLiteral(","));
        if (last != i)
            toks[n].set(QStringLiteral(","));
        toks[last].after += QLatin1Char(')');
        i = last;
    }
}

void rewriteTop(std::vector<Tok>& toks, std::size_t from, std::size_t to)
{
    for (std::size_t i = from; i < to; ++i) {
        if (!toks[i].is("SELECT"))
            continue;
        std::size_t j = nextSig(toks, i);
        if (toks[j].is("DISTINCT") || toks[j].is("ALL") || toks[j].is("DISTINCTROW")) {
            if (toks[j].is("DISTINCTROW"))
                toks[j].set(QStringLiteral("DISTINCT"));
            j = nextSig(toks, j);
        }
        if (!toks[j].is("TOP"))
            continue;
        std::size_t k = nextSig(toks, j);
        QString count;
        std::size_t last = k;
        if (toks[k].kind == T::Number) {
            count = toks[k].text;
        } else if (toks[k].isPunct('(')) {
            std::size_t num = nextSig(toks, k);
            std::size_t close = nextSig(toks, num);
            if (toks[num].kind != T::Number || !toks[close].isPunct(')'))
                continue;
            count = toks[num].text;
            last = close;
        } else {
            continue;
        }
        std::size_t after = nextSig(toks, last);
        if (toks[after].is("PERCENT")) {
            // "TOP 100 PERCENT" (views that keep an ORDER BY) limits nothing; other shares
            // have no counterpart and are left for the engine to report.
            if (count.toDouble() < 100)
                continue;
            for (std::size_t x = j; x <= after; ++x)
                toks[x].drop();
            if (after + 1 < toks.size() && toks[after + 1].kind == T::Space)
                toks[after + 1].drop();
            continue;
        }
        // Drop "TOP n" and the blank after it.
        for (std::size_t x = j; x <= last; ++x)
            toks[x].drop();
        if (last + 1 < toks.size() && toks[last + 1].kind == T::Space)
            toks[last + 1].drop();
        // The end of this SELECT: the closing parenthesis of its level, ';', the end,
        // or a compound operator at its level.
        int depth = 0;
        std::size_t e = last + 1;
        for (; e < toks.size(); ++e) {
            const Tok& t = toks[e];
            if (t.kind == T::End)
                break;
            if (t.isPunct('(')) {
                ++depth;
            } else if (t.isPunct(')')) {
                if (depth == 0)
                    break;
                --depth;
            } else if (depth == 0 && (t.isPunct(';') || isCompound(t))) {
                break;
            }
        }
        // A member of a compound SELECT takes its limit inside a derived table.
        std::ptrdiff_t p = prevSig(toks, std::ptrdiff_t(i));
        const bool afterCompound = p >= 0 && (isCompound(toks[std::size_t(p)]) || toks[std::size_t(p)].is("ALL"));
        const bool wrap = afterCompound || isCompound(toks[e]);
        // Trailing blanks stay after the inserted limit.
        std::size_t at = e;
        while (at > last + 1 && toks[at - 1].kind == T::Space)
            --at;
        // After a line comment the limit starts a line of its own, or the comment would swallow it.
        const bool afterLineComment = toks[at - 1].kind == T::Comment && toks[at - 1].text.startsWith(QLatin1String("--"));
        const QString limit = (afterLineComment ? QStringLiteral("\n LIMIT ") : QStringLiteral(" LIMIT ")) + count;
        if (wrap) {
            toks[i].before += QStringLiteral("SELECT * FROM (");
            toks[at].before = limit + QStringLiteral(")") + toks[at].before;
        } else {
            toks[at].before = limit + toks[at].before;
        }
    }
}

QString nameOf(const Tok& t)
{
    if (t.kind == T::Bracket || t.kind == T::Ident)
        return unquoteName(t.text);
    return t.text;
}

QString upperWord(const Tok& t) { return t.kind == T::Word ? t.text.toUpper() : QString(); }

bool isTextType(const QString& w)
{
    return w.contains(QLatin1String("CHAR")) || w.contains(QLatin1String("TEXT")) || w.contains(QLatin1String("CLOB"))
        || w == QLatin1String("MEMO") || w == QLatin1String("NOTE") || w == QLatin1String("STRING")
        || w == QLatin1String("ALPHANUMERIC") || w == QLatin1String("HYPERLINK");
}

// After the word TABLE at k: the table's name token (IF NOT EXISTS and a schema
// skipped) and the token after it, which opens the definition when it is '('.
std::pair<std::size_t, std::size_t> tableName(const std::vector<Tok>& toks, std::size_t k, std::size_t to)
{
    std::size_t name = nextSig(toks, k);
    if (toks[name].is("IF")) // IF NOT EXISTS
        name = nextSig(toks, nextSig(toks, nextSig(toks, name)));
    std::size_t open = nextSig(toks, name);
    while (open < to && toks[open].isPunct('.')) {
        name = nextSig(toks, open);
        open = nextSig(toks, name);
    }
    return {name, open};
}

using Items = std::vector<std::pair<std::size_t, std::size_t>>;

// The comma-separated items of the definition opened at `open`, each [first, end).
// close receives the closing parenthesis, or None when there is none before `to`.
Items definitionItems(const std::vector<Tok>& toks, std::size_t open, std::size_t to, std::size_t& close)
{
    Items items;
    close = None;
    int depth = 0;
    std::size_t itemStart = open + 1;
    for (std::size_t i = open + 1; i < to; ++i) {
        if (toks[i].isPunct('(')) {
            ++depth;
        } else if (toks[i].isPunct(')')) {
            if (depth == 0) {
                items.emplace_back(itemStart, i);
                close = i;
                break;
            }
            --depth;
        } else if (depth == 0 && toks[i].isPunct(',')) {
            items.emplace_back(itemStart, i);
            itemStart = i + 1;
        }
    }
    return items;
}

// After "PRIMARY KEY [ASC|DESC] [ON CONFLICT x]" of a column in [from, to):
// AUTOINCREMENT, unless written already.
void markAutoincrement(std::vector<Tok>& toks, std::size_t from, std::size_t to)
{
    std::size_t x = from;
    while (x < to && !toks[x].is("PRIMARY"))
        ++x;
    std::size_t last = nextSig(toks, x); // KEY
    if (last >= to)
        return;
    for (std::size_t y = nextSig(toks, last); y < to; y = nextSig(toks, y)) {
        if (toks[y].is("AUTOINCREMENT"))
            return;
        if (toks[y].is("ASC") || toks[y].is("DESC")) {
            // The engine numbers only an ascending key itself; the order of a counter is its numbers'.
            if (toks[y].is("DESC"))
                toks[y].set(QStringLiteral("ASC"));
            last = y;
        } else if (toks[y].is("ON") && nextSig(toks, y) < to && toks[nextSig(toks, y)].is("CONFLICT")) {
            last = std::min(nextSig(toks, nextSig(toks, y)), to - 1);
            y = last;
        } else {
            break;
        }
    }
    toks[last].after += QStringLiteral(" AUTOINCREMENT");
}

// One column definition between [from, to): name, type words, constraints.
// Returns true when the column is a COUNTER the backend numbers; *keyCounter
// tells a COUNTER that is the table's key (given a column of its own).
bool rewriteColumn(std::vector<Tok>& toks, std::size_t from, std::size_t to, bool rowIdCounter, bool* keyCounter = nullptr)
{
    std::size_t nameTok = from;
    while (nameTok < to && !significant(toks[nameTok]))
        ++nameTok;
    if (nameTok >= to)
        return false;
    std::size_t typeTok = nextSig(toks, nameTok);
    if (typeTok >= to || toks[typeTok].kind != T::Word)
        return false;
    const QString w = upperWord(toks[typeTok]);
    // The type's extent: its words ("CHAR VARYING", "DOUBLE PRECISION") and an optional (args).
    std::size_t typeEnd = typeTok;
    std::size_t k = nextSig(toks, typeTok);
    static const char* constraintWords[] = {"CONSTRAINT", "PRIMARY", "NOT",   "NULL",       "UNIQUE", "CHECK",
                                            "DEFAULT",    "COLLATE", "REFERENCES", "GENERATED", "AS", "ON"};
    while (k < to && toks[k].kind == T::Word
           && std::none_of(std::begin(constraintWords), std::end(constraintWords), [&](const char* c) { return toks[k].is(c); })) {
        typeEnd = k;
        k = nextSig(toks, k);
    }
    if (k < to && toks[k].isPunct('(')) {
        while (k < to && !toks[k].isPunct(')'))
            ++k;
        typeEnd = k;
    }
    bool hasCollate = false, hasPk = false, hasDefault = false, hasConflict = false;
    std::size_t notNull = None;
    for (std::size_t x = typeEnd + 1; x < to; ++x) {
        if (toks[x].is("COLLATE"))
            hasCollate = true;
        if (toks[x].is("PRIMARY"))
            hasPk = true;
        if (toks[x].is("DEFAULT"))
            hasDefault = true;
        if (toks[x].is("CONFLICT"))
            hasConflict = true;
        if (toks[x].is("NOT") && nextSig(toks, x) < to && toks[nextSig(toks, x)].is("NULL"))
            notNull = nextSig(toks, x);
    }
    if (w == QLatin1String("BIT") || w == QLatin1String("LOGICAL") || w == QLatin1String("LOGICAL1")
        || w == QLatin1String("BOOLEAN") || w == QLatin1String("YESNO")) {
        // A Yes/No column holds no Null: a row given none (or Null) gets No.
        if (notNull == None)
            toks[typeEnd].after += QStringLiteral(" NOT NULL ON CONFLICT REPLACE");
        else if (!hasConflict)
            toks[notNull].after += QStringLiteral(" ON CONFLICT REPLACE");
        if (!hasDefault)
            toks[typeEnd].after += QStringLiteral(" DEFAULT 0");
        return false;
    }
    if (w == QLatin1String("COUNTER") || w == QLatin1String("AUTOINCREMENT") || w == QLatin1String("IDENTITY")) {
        for (std::size_t x = typeTok + 1; x <= typeEnd; ++x)
            toks[x].drop();
        if (rowIdCounter || hasPk) {
            // The table's single key column: the engine numbers it as its row id,
            // and AUTOINCREMENT keeps it from giving a number again once its row is gone.
            toks[typeTok].set(QStringLiteral("INTEGER"));
            if (hasPk)
                markAutoincrement(toks, typeEnd + 1, to);
            else if (keyCounter)
                *keyCounter = true;
            return false;
        }
        toks[typeTok].set(QStringLiteral("COUNTER"));
        return true;
    }
    if (w == QLatin1String("MEMO") || w == QLatin1String("NOTE"))
        toks[typeTok].set(QStringLiteral("LONGTEXT"));
    bool text = false;
    for (std::size_t x = typeTok; x <= typeEnd && !text; ++x)
        text = toks[x].kind == T::Word && isTextType(upperWord(toks[x]));
    if (text && !hasCollate)
        toks[typeEnd].after += QStringLiteral(" COLLATE NOCASE");
    return false;
}

void takeSelectInto(std::vector<Tok>& toks, std::size_t first, std::size_t to, Statement& st)
{
    // SELECT list INTO target FROM ...
    int depth = 0;
    for (std::size_t i = first + 1; i < to; ++i) {
        const Tok& t = toks[i];
        if (t.isPunct('('))
            ++depth;
        else if (t.isPunct(')'))
            --depth;
        else if (depth == 0 && t.is("FROM"))
            break;
        else if (depth == 0 && t.is("INTO")) {
            std::size_t target = nextSig(toks, i);
            if (target >= to)
                break;
            std::size_t last = target;
            // owner.table
            for (;;) {
                std::size_t dot = nextSig(toks, last);
                std::size_t part = nextSig(toks, dot);
                if (dot < to && toks[dot].isPunct('.') && part < to) {
                    last = part;
                    continue;
                }
                break;
            }
            st.kind = Statement::SelectInto;
            st.target = nameOf(toks[last]);
            for (std::size_t x = i; x <= last; ++x)
                toks[x].drop();
            if (last + 1 < to && toks[last + 1].kind == T::Space)
                toks[last + 1].drop();
            break;
        }
    }
}

void translateCreate(std::vector<Tok>& toks, std::size_t first, std::size_t to, Statement& st)
{
    std::size_t k = nextSig(toks, first);
    if (toks[k].is("TEMP") || toks[k].is("TEMPORARY"))
        k = nextSig(toks, k);
    if (toks[k].is("TABLE")) {
        const auto [nameTok, open] = tableName(toks, k, to);
        if (open < to && toks[open].isPunct('(')) {
            st.kind = Statement::CreateTable;
            st.table = nameOf(toks[nameTok]);
            std::size_t close;
            const Items items = definitionItems(toks, open, to, close);
            // The table's own primary key: a single column may be the row id.
            QStringList pkColumns;
            std::size_t pkClose = None; // the ")" of the key's column list
            bool pkAutoincrement = false;
            for (auto [a, b] : items) {
                std::size_t h = a;
                while (h < b && !significant(toks[h]))
                    ++h;
                if (h >= b)
                    continue;
                std::size_t pk = h;
                if (toks[h].is("CONSTRAINT"))
                    pk = nextSig(toks, nextSig(toks, h));
                if (toks[pk].is("PRIMARY")) {
                    for (std::size_t x = pk; x < b; ++x) {
                        if (toks[x].isPunct(')') && pkClose == None)
                            pkClose = x;
                        else if (toks[x].is("AUTOINCREMENT"))
                            pkAutoincrement = true;
                        else if (toks[x].kind == T::Word || toks[x].kind == T::Bracket || toks[x].kind == T::Ident)
                            if (!toks[x].is("PRIMARY") && !toks[x].is("KEY") && !toks[x].is("ASC") && !toks[x].is("DESC"))
                                pkColumns << nameOf(toks[x]).toUpper();
                    }
                }
            }
            for (auto [a, b] : items) {
                std::size_t h = a;
                while (h < b && !significant(toks[h]))
                    ++h;
                if (h >= b || toks[h].is("CONSTRAINT") || toks[h].is("PRIMARY") || toks[h].is("UNIQUE")
                    || toks[h].is("CHECK") || toks[h].is("FOREIGN"))
                    continue;
                const QString col = nameOf(toks[h]);
                const bool rowId = pkColumns.size() == 1 && pkColumns.front() == col.toUpper();
                bool keyCounter = false;
                if (rewriteColumn(toks, a, b, rowId, &keyCounter))
                    st.counters << col;
                // The engine takes AUTOINCREMENT inside a table's key: PRIMARY KEY (c AUTOINCREMENT).
                if (keyCounter && pkClose != None && !pkAutoincrement) {
                    toks[pkClose].before += QStringLiteral(" AUTOINCREMENT");
                    for (std::size_t x = pkClose; x > 0 && !toks[x].isPunct('('); --x)
                        if (toks[x].is("DESC"))
                            toks[x].set(QStringLiteral("ASC"));
                }
            }
        }
    }
}

void translateAlter(std::vector<Tok>& toks, std::size_t first, std::size_t to, Statement& st)
{
    // ALTER TABLE t ADD [COLUMN] definition
    std::size_t k = nextSig(toks, first);
    if (toks[k].is("TABLE")) {
        std::size_t nameTok = nextSig(toks, k);
        std::size_t add = nextSig(toks, nameTok);
        if (toks[add].is("ADD")) {
            std::size_t col = nextSig(toks, add);
            if (toks[col].is("COLUMN"))
                col = nextSig(toks, col);
            if (toks[col].is("CONSTRAINT")) {
                std::size_t cname = nextSig(toks, col);
                std::size_t kind = nextSig(toks, cname);
                if (toks[kind].is("PRIMARY") || toks[kind].is("UNIQUE") || toks[kind].is("FOREIGN")) {
                    st.kind = Statement::AddConstraint;
                    st.table = nameOf(toks[nameTok]);
                    st.constraintName = nameOf(toks[cname]);
                    st.constraint = join(toks, col, to).trimmed();
                }
            } else if (!toks[col].is("PRIMARY") && !toks[col].is("UNIQUE")) {
                if (rewriteColumn(toks, col, to, false)) {
                    st.kind = Statement::CreateTable; // the backend adds the numbering
                    st.table = nameOf(toks[nameTok]);
                    st.counters << nameOf(toks[col]);
                }
            }
        } else if (toks[add].is("DROP")) {
            std::size_t c = nextSig(toks, add);
            if (toks[c].is("CONSTRAINT")) {
                st.kind = Statement::DropConstraint;
                st.table = nameOf(toks[nameTok]);
                st.constraintName = nameOf(toks[nextSig(toks, c)]);
            }
        }
    }
}

Statement translateOne(std::vector<Tok>& toks, std::size_t from, std::size_t to)
{
    Statement st;
    // Operators and functions everywhere in the statement.
    for (std::size_t i = from; i < to; ++i) {
        Tok& t = toks[i];
        if (t.is("LEFT") || t.is("RIGHT")) {
            // LEFT(...) and RIGHT(...) are functions there, join words here.
            std::size_t p = nextSig(toks, i);
            if (p == i + 1 && p < to && toks[p].isPunct('('))
                t.set(t.is("LEFT") ? QStringLiteral("access_left") : QStringLiteral("access_right"));
        } else if (t.is("ISNULL")) {
            // IsNull(x) is the Access function; the engine's ISNULL is an operator.
            std::size_t p = nextSig(toks, i);
            if (p == i + 1 && p < to && toks[p].isPunct('('))
                t.set(QStringLiteral("access_isnull"));
        } else if (t.is("FORMAT")) {
            std::size_t p = nextSig(toks, i);
            if (p < to && toks[p].isPunct('(')) {
                std::size_t a = nextSig(toks, p);
                const bool printfStyle = toks[a].kind == T::String && toks[a].text.contains(QLatin1Char('%'));
                if (!printfStyle)
                    t.set(QStringLiteral("access_format"));
            }
        }
    }
    rewriteTop(toks, from, to);
    rewriteConcatenation(toks, from, to);

    std::size_t first = from;
    while (first < to && !significant(toks[first]))
        ++first;
    if (first >= to) {
        st.sql = join(toks, from, to);
        return st;
    }
    const Tok& head = toks[first];
    if (!head.is("CREATE") && !head.is("ALTER") && !head.is("PRAGMA"))
        rewriteCaseBeyondAscii(toks, from, to);

    if (head.is("SELECT")) {
        takeSelectInto(toks, first, to, st);
    } else if (head.is("CREATE")) {
        translateCreate(toks, first, to, st);
    } else if (head.is("ALTER")) {
        translateAlter(toks, first, to, st);
    } else if (head.is("DROP")) {
        // DROP INDEX i ON t
        std::size_t k = nextSig(toks, first);
        if (toks[k].is("INDEX")) {
            std::size_t name = nextSig(toks, k);
            std::size_t on = nextSig(toks, name);
            if (on < to && toks[on].is("ON"))
                for (std::size_t x = on; x < to; ++x)
                    if (toks[x].kind != T::Punct || !toks[x].isPunct(';'))
                        toks[x].drop();
            if (on < to && toks[on].is("ON") && name + 1 < toks.size() && toks[name + 1].kind == T::Space)
                toks[name + 1].drop();
        }
    }
    // Text inserted before the statement's end (a LIMIT) rides on the terminator token.
    st.sql = (join(toks, from, to) + toks[to].before).trimmed();
    toks[to].before.clear();
    return st;
}

} // namespace

std::vector<Statement> translate(const QString& sql)
{
    std::vector<Tok> toks = tokenize(sql);
    std::vector<Statement> out;
    std::size_t start = 0;
    int depth = 0;
    bool trigger = false;
    for (std::size_t i = 0; i < toks.size(); ++i) {
        const Tok& t = toks[i];
        // CREATE TRIGGER bodies hold semicolons of their own.
        if (t.is("TRIGGER"))
            trigger = true;
        if ((trigger && t.is("BEGIN")) || t.is("CASE"))
            ++depth;
        else if (t.is("END") && depth > 0)
            --depth;
        if (t.kind == T::End || (depth == 0 && t.isPunct(';'))) {
            trigger = false;
            bool any = false;
            for (std::size_t x = start; x < i; ++x)
                any = any || significant(toks[x]);
            if (any)
                out.push_back(translateOne(toks, start, i));
            start = i + 1;
        }
    }
    return out;
}

std::vector<SelectItem> selectItems(const QString& sql, QString* fromOn)
{
    const std::vector<Tok> toks = tokenize(sql);
    const std::size_t end = toks.size() - 1;
    std::size_t i = 0;
    int depth = 0;
    for (; i < end; ++i) {
        if (toks[i].isPunct('('))
            ++depth;
        else if (toks[i].isPunct(')'))
            --depth;
        else if (depth == 0 && toks[i].is("SELECT"))
            break;
    }
    if (i >= end)
        return {};
    i = nextSig(toks, i);
    if (toks[i].is("DISTINCT") || toks[i].is("ALL"))
        i = nextSig(toks, i);
    std::vector<SelectItem> items;
    std::vector<std::size_t> sig; // significant tokens of the current item
    auto finish = [&] {
        if (sig.empty())
            return;
        std::size_t n = sig.size();
        // "expr AS name" or "expr name"
        if (n >= 3 && toks[sig[n - 2]].is("AS"))
            n -= 2;
        else if (n >= 2) {
            const Tok& last = toks[sig[n - 1]];
            const Tok& before = toks[sig[n - 2]];
            const bool name = last.kind == T::Word || last.kind == T::Ident || last.kind == T::Bracket || last.kind == T::String;
            const bool ends = before.isPunct(')') || before.kind == T::Word || before.kind == T::Ident
                || before.kind == T::Bracket || before.kind == T::Number || before.kind == T::String;
            if (name && ends)
                --n;
        }
        SelectItem item;
        item.expression = join(toks, sig[0], sig[n - 1] + 1).trimmed();
        if (n >= 3 && toks[sig[0]].kind == T::Word && toks[sig[1]].isPunct('(') && toks[sig[n - 1]].isPunct(')')) {
            int d = 0;
            bool whole = true;
            for (std::size_t k = 1; k < n; ++k) {
                if (toks[sig[k]].isPunct('('))
                    ++d;
                else if (toks[sig[k]].isPunct(')') && --d == 0 && k + 1 < n)
                    whole = false;
            }
            if (whole) {
                item.function = toks[sig[0]].text.toLower();
                item.argument = join(toks, sig[1] + 1, sig[n - 1]).trimmed();
            }
        }
        items.push_back(item);
        sig.clear();
    };
    depth = 0;
    for (; i < end; ++i) {
        const Tok& t = toks[i];
        if (t.isPunct('('))
            ++depth;
        else if (t.isPunct(')'))
            --depth;
        if (depth < 0)
            break;
        if (depth == 0 && (t.is("FROM") || t.is("WHERE") || t.is("GROUP") || t.is("ORDER") || t.is("LIMIT")
                           || t.is("WINDOW") || t.is("HAVING") || isCompound(t) || t.isPunct(';')))
            break;
        if (depth == 0 && t.isPunct(',')) {
            finish();
            continue;
        }
        if (significant(t))
            sig.push_back(i);
    }
    finish();
    if (fromOn)
        *fromOn = i < end && toks[i].is("FROM") ? join(toks, i, end) : QString();
    return items;
}

QString viewBody(const QString& createViewSql)
{
    std::vector<Tok> toks = tokenize(createViewSql);
    int depth = 0;
    for (std::size_t i = 0; i < toks.size(); ++i) {
        if (toks[i].isPunct('('))
            ++depth;
        else if (toks[i].isPunct(')'))
            --depth;
        else if (depth == 0 && toks[i].is("AS"))
            return join(toks, i + 1, toks.size()).trimmed();
    }
    return QString();
}

QString rewriteTableDefinition(const QString& createTableSql, const QString& newName, const QString& addConstraint,
                               const QString& dropName, const QString& primaryKeyName)
{
    std::vector<Tok> toks = tokenize(createTableSql);
    const std::size_t end = toks.size() - 1;
    std::size_t k = 0;
    while (k < end && !toks[k].is("TABLE"))
        k = nextSig(toks, k);
    const auto [nameTok, open] = tableName(toks, k, end);
    if (k >= end || !toks[open].isPunct('('))
        return QString();
    toks[nameTok].set(quoteName(newName));
    std::size_t close;
    const Items items = definitionItems(toks, open, end, close);
    if (close == None)
        return QString();
    if (!dropName.isEmpty()) {
        const bool isPk = dropName.compare(primaryKeyName, Qt::CaseInsensitive) == 0;
        bool found = false;
        for (std::size_t n = 0; n < items.size() && !found; ++n) {
            auto [a, b] = items[n];
            std::size_t h = a;
            while (h < b && !significant(toks[h]))
                ++h;
            const bool named = toks[h].is("CONSTRAINT") && nameOf(toks[nextSig(toks, h)]).compare(dropName, Qt::CaseInsensitive) == 0;
            const bool unnamedPk = toks[h].is("PRIMARY") && isPk;
            const bool tableConstraint = toks[h].is("CONSTRAINT") || toks[h].is("PRIMARY") || toks[h].is("UNIQUE")
                || toks[h].is("CHECK") || toks[h].is("FOREIGN");
            if (named || unnamedPk) {
                // The whole item goes, with the comma that joins it to the list.
                std::size_t from = n > 0 ? a - 1 : a;
                std::size_t to = n > 0 ? b : (n + 1 < items.size() ? b + 1 : b);
                for (std::size_t x = from; x < to; ++x)
                    toks[x].drop();
                found = true;
            } else if (!tableConstraint && isPk) {
                // A key declared on the column itself: [CONSTRAINT n] PRIMARY KEY [ASC|DESC] [AUTOINCREMENT].
                for (std::size_t x = h; x < b; ++x) {
                    if (!toks[x].is("PRIMARY"))
                        continue;
                    std::size_t from = x;
                    std::ptrdiff_t p = prevSig(toks, std::ptrdiff_t(x));
                    if (p > 0 && toks[std::size_t(prevSig(toks, p))].is("CONSTRAINT"))
                        from = std::size_t(prevSig(toks, p));
                    std::size_t last = nextSig(toks, x); // KEY
                    for (std::size_t y = nextSig(toks, last); y < b; y = nextSig(toks, y)) {
                        if (toks[y].is("ASC") || toks[y].is("DESC") || toks[y].is("AUTOINCREMENT"))
                            last = y;
                        else
                            break;
                    }
                    for (std::size_t y = from; y <= last; ++y)
                        toks[y].drop();
                    found = true;
                    break;
                }
            }
        }
        if (!found)
            return QString();
    }
    if (!addConstraint.isEmpty())
        toks[close].before = QStringLiteral(", ") + addConstraint;
    return join(toks, 0, toks.size()).trimmed();
}

QString retypeColumn(const QString& createTableSql, const QString& column, const QString& type)
{
    std::vector<Tok> toks = tokenize(createTableSql);
    const std::size_t end = toks.size() - 1;
    std::size_t k = 0;
    while (k < end && !toks[k].is("TABLE"))
        k = nextSig(toks, k);
    const auto [nameTok, open] = tableName(toks, k, end);
    Q_UNUSED(nameTok);
    if (k >= end || !toks[open].isPunct('('))
        return QString();
    std::size_t close;
    for (auto [a, b] : definitionItems(toks, open, end, close)) {
        std::size_t h = a;
        while (h < b && !significant(toks[h]))
            ++h;
        const std::size_t typeTok = nextSig(toks, h);
        if (h < b && typeTok < b && toks[typeTok].kind == T::Word && nameOf(toks[h]).compare(column, Qt::CaseInsensitive) == 0) {
            toks[typeTok].set(type);
            return join(toks, 0, toks.size()).trimmed();
        }
    }
    return QString();
}

QString primaryKeyConstraintName(const QString& createTableSql)
{
    std::vector<Tok> toks = tokenize(createTableSql);
    for (std::size_t i = 0; i < toks.size(); ++i) {
        if (!toks[i].is("CONSTRAINT"))
            continue;
        std::size_t name = nextSig(toks, i);
        std::size_t kw = nextSig(toks, name);
        if (toks[kw].is("PRIMARY"))
            return nameOf(toks[name]);
    }
    return QString();
}

} // namespace db::sqlite
