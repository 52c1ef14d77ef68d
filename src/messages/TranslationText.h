#pragma once
// How a text is written into the translation database: shared by the message
// object and the build step that fills translate.vrx, so stored keys always
// have the form look-ups use.
#include <QString>

namespace TranslationText {

// The text with every single quote doubled, as it stands between quotes in SQL.
inline QString quoteDoubled(const QString& text)
{
    QString q = text;
    q.replace(QLatin1Char('\''), QStringLiteral("''"));
    return q;
}

// Texts whose quote-doubled form is longer than this go to TranslateHuge.
constexpr qsizetype kShortLimit = 255;

// The TranslateHuge key: the first 255 characters of the quote-doubled text,
// but never half of a doubled quote (that would end the SQL string early).
inline QString hugeKey(const QString& quoted)
{
    QString key = quoted.left(kShortLimit);
    qsizetype quotes = 0;
    for (qsizetype i = key.size() - 1; i >= 0 && key.at(i) == QLatin1Char('\''); --i)
        ++quotes;
    if (quotes % 2 == 1)
        key.chop(1);
    return key;
}

} // namespace TranslationText
