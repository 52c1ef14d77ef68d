#include "clsEncript.h"

#include "Scrambling.h"

#include <algorithm>

namespace {

bool visible(QChar c) { return c.unicode() > 0x20 && c.unicode() < 0x7F; }

} // namespace

QString clsEncript::EncriptDecript(const QString& sKey, const QString& sToEncriptDecript)
{
    Scrambling::Digits digits{};
    const bool keyed = sKey.size() == 3 && std::all_of(sKey.begin(), sKey.end(), [](QChar c) {
                           return c >= QLatin1Char('0') && c <= QLatin1Char('9');
                       });
    if (!keyed)
        return sToEncriptDecript; // nothing to invert by: the text stays, and still reads back
    for (int i = 0; i < 3; ++i)
        digits[std::size_t(i)] = std::int16_t(sKey[i].unicode() - '0');
    QString result;
    result.reserve(sToEncriptDecript.size());
    for (QChar c : sToEncriptDecript) {
        // The inversion pairs characters two by two; a pair is used only when
        // both of its characters can be stored, so the mapping stays its own inverse.
        const QChar t = visible(c) ? Scrambling::TransformarTexto(QString(c), digits).at(0) : c;
        result.append(visible(t) ? t : c);
    }
    return result;
}
