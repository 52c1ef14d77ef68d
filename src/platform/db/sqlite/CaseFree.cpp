#include "CaseFree.h"

#include <QChar>
#include <QList>

#include <vector>

namespace db::sqlite {

namespace {

// Unicode's simple case folding: one character for one, so a pattern's
// wildcards keep their places.
char32_t folded(char32_t c) { return QChar::toCaseFolded(c); }

} // namespace

bool hasCaseBeyondAscii(QStringView text)
{
    for (const char32_t c : text.toUcs4()) {
        if (c < 0x80)
            continue;
        const QChar::Category cat = QChar::category(c);
        if (cat == QChar::Letter_Uppercase || cat == QChar::Letter_Lowercase || cat == QChar::Letter_Titlecase
            || folded(c) != c || QChar::toUpper(c) != c || QChar::toLower(c) != c)
            return true;
    }
    return false;
}

int compareCaseFree(QStringView a, QStringView b)
{
    const QList<uint> x = a.toUcs4(), y = b.toUcs4();
    for (qsizetype i = 0; i < x.size() && i < y.size(); ++i) {
        const char32_t p = folded(x[i]), q = folded(y[i]);
        if (p != q)
            return p < q ? -1 : 1;
    }
    return x.size() < y.size() ? -1 : x.size() > y.size() ? 1 : 0;
}

bool likeCaseFree(QStringView text, QStringView pattern, std::optional<char32_t> escape)
{
    // The pattern read once into literal characters and wildcards; the escape
    // is recognised before folding, as the engine recognises it.
    enum Kind { Literal, One, Any };
    struct Item {
        Kind kind;
        char32_t c;
    };
    const bool anyWildcard = escape != U'%', oneWildcard = escape != U'_';
    const QList<uint> p = pattern.toUcs4();
    std::vector<Item> items;
    for (qsizetype i = 0; i < p.size(); ++i) {
        const char32_t c = p[i];
        if (c == U'%' && anyWildcard) {
            items.push_back({Any, 0});
        } else if (escape && c == *escape) {
            if (++i == p.size())
                return false;
            items.push_back({Literal, folded(p[i])});
        } else if (c == U'_' && oneWildcard) {
            items.push_back({One, 0});
        } else {
            items.push_back({Literal, folded(c)});
        }
    }
    QList<uint> t = text.toUcs4();
    for (uint& c : t)
        c = folded(c);

    // Greedy matching that goes back only to the last '%' on a mismatch: at
    // most text times pattern steps, never exponential.
    qsizetype ti = 0, mark = 0;
    std::size_t pi = 0, star = items.size();
    while (ti < t.size()) {
        if (pi < items.size() && (items[pi].kind == One || (items[pi].kind == Literal && items[pi].c == t[ti]))) {
            ++ti;
            ++pi;
        } else if (pi < items.size() && items[pi].kind == Any) {
            star = pi++;
            mark = ti;
        } else if (star < items.size()) {
            pi = star + 1;
            ti = ++mark;
        } else {
            return false;
        }
    }
    while (pi < items.size() && items[pi].kind == Any)
        ++pi;
    return pi == items.size();
}

} // namespace db::sqlite
