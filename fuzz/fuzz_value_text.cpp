// Reading numbers, dates and money from text, and Format with any pattern.
#include "core/Error.h"
#include "core/ValueText.h"

#include <QString>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString all = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype cut = all.indexOf(QLatin1Char('\n'));
    const QString text = cut < 0 ? all : all.left(cut);
    const QString pattern = cut < 0 ? QString() : all.mid(cut + 1);
    static const QLocale locales[] = {QLocale(QLocale::Spanish, QLocale::Spain), QLocale(QLocale::English, QLocale::UnitedStates)};
    ValueText::ScopedLocale scoped(locales[size % 2]);
    (void)ValueText::parseNumber(text);
    (void)ValueText::parseDate(text);
    try {
        (void)ValueText::parseCurrency(text);
    } catch (const Error&) {
    }
    for (const Variant& v : {Variant(text), Variant(3.25), Variant(-1e300)}) {
        try {
            (void)ValueText::format(v, pattern);
        } catch (const Error&) {
        }
    }
    return 0;
}
