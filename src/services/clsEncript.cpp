#include "clsEncript.h"

namespace {

const QString& alphabet()
{
    static const QString a = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789");
    return a;
}

} // namespace

QString clsEncript::EncriptDecript(const QString& sKey, const QString& sToEncriptDecript)
{
    const QString& a = alphabet();
    const int n = int(a.size());
    int pivot = 0;
    for (QChar c : sKey)
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            pivot = (pivot * 10 + (c.unicode() - '0')) % n;
    QString result;
    result.reserve(sToEncriptDecript.size());
    for (QChar c : sToEncriptDecript) {
        const int i = int(a.indexOf(c));
        // i -> pivot - i is its own inverse, so the same call reads and writes.
        result.append(i < 0 ? c : a[((pivot - i) % n + n) % n]);
    }
    return result;
}
