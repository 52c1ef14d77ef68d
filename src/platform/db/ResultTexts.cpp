#include "platform/db/ResultTexts.h"

#include "platform/db/ResultSet.h"

namespace resulttexts {

QList<QStringList> rows(const db::ResultSet& result, qint64 firstRecord, int count)
{
    QList<QStringList> out;
    out.reserve(count);
    const int cols = result.columnCount();
    for (int r = 0; r < count; ++r) {
        QStringList texts;
        texts.reserve(cols);
        for (int c = 0; c < cols; ++c) {
            QString text;
            result.appendText(text, firstRecord + r, c, QString());
            texts << text;
        }
        out << std::move(texts);
    }
    return out;
}

} // namespace resulttexts
