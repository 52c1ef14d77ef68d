// The locale marks are shared by the text conversions and the Format
// patterns, which live in separate files; both must read the same cached
// working-out so a locale change is seen by each at once.
#pragma once

#include <QChar>
#include <QLocale>
#include <QString>

namespace ValueText {

enum class DateOrder { DMY, MDY, YMD };

struct DateShape {
    DateOrder order = DateOrder::DMY;
    QChar separator = QLatin1Char('/');
    bool padDay = true;
    bool padMonth = true;
    bool twelveHour = false;
};

// What a conversion needs to know of the locale, worked out once per locale:
// grids and record sets turn values into text by the million, and building a
// QLocale or asking it for a format text each time costs more than the
// conversion itself.
struct LocaleMarks {
    QLocale locale = QLocale::c();
    QChar decimal = QLatin1Char('.');
    QChar group = QLatin1Char(',');
    QChar time = QLatin1Char(':');
    DateShape shape;
    QString currency;
    unsigned stamp = 0; // tells one working-out from the next
};

const LocaleMarks& marks();

} // namespace ValueText
