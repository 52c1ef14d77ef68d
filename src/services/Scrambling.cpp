#include "Scrambling.h"

#include <QRandomGenerator>

namespace {

// Windows-1252 codes 0x80-0x9F; the rest of the page matches Latin-1.
constexpr char16_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

constexpr int kMaxDraws = 500;

int drawDigit(const Scrambling::Draw& draw)
{
    if (draw)
        return draw();
    return int(QRandomGenerator::global()->bounded(7)) + 1;
}

} // namespace

namespace Scrambling {

int ansiCode(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return u;
    for (int i = 0; i < 32; ++i)
        if (kHigh[i] == u)
            return 0x80 + i;
    return '?';
}

QChar ansiChar(int code)
{
    code &= 0xFF;
    if (code >= 0x80 && code < 0xA0)
        return QChar(kHigh[code - 0x80]);
    return QChar(char16_t(code));
}

QString TransformarTexto(const QString& text, const Digits& digits)
{
    QString result;
    result.reserve(text.size());
    for (QChar ch : text) {
        int c = ansiCode(ch);
        for (std::int16_t d : digits) {
            if (d > 7)
                break;
            if (d < 0)
                continue;
            c ^= (1 << d);
        }
        result.append(ansiChar(c));
    }
    return result;
}

void GenerateNumber(std::int16_t& iUno, std::int16_t& iDos, std::int16_t& iTres, const Draw& draw)
{
    iUno = std::int16_t(drawDigit(draw));
    do
        iDos = std::int16_t(drawDigit(draw));
    while (iDos == iUno);
    do
        iTres = std::int16_t(drawDigit(draw));
    while (iTres == iUno || iTres == iDos);
}

QString EncriptDecript(QString& sKey, const QString& sToEncriptDecript, const Draw& draw)
{
    Digits digits{0, 0, 0};
    const bool drawn = sKey.isEmpty();
    auto drawKey = [&] {
        GenerateNumber(digits[0], digits[1], digits[2], draw);
        sKey = QString::number(digits[0]) + QString::number(digits[1]) + QString::number(digits[2]);
    };
    if (drawn) {
        drawKey();
    } else {
        if (sKey.size() != 3)
            return QString();
        for (int i = 0; i < 3; ++i) {
            if (!sKey[i].isDigit() || sKey[i].unicode() > '9')
                return QString();
            digits[std::size_t(i)] = std::int16_t(sKey[i].unicode() - '0');
        }
    }
    QString t = TransformarTexto(sToEncriptDecript, digits);
    // A key of our own choosing must give a text that survives being stored;
    // a key the caller gave must give the caller's text back, whatever it holds.
    // Some texts have no such key at all, so the drawing is bounded.
    int draws = 0;
    while (drawn && (t.contains(QChar(0)) || t.contains(QLatin1Char('\'')))) {
        if (++draws > kMaxDraws)
            return QString();
        drawKey();
        t = TransformarTexto(sToEncriptDecript, digits);
    }
    return t;
}

} // namespace Scrambling
