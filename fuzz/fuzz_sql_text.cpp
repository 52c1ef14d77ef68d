// The SQL text helpers of the data-access object: select-list parsing and
// bracket removal on any text.
#include "core/Error.h"
#include "data/clsDO.h"

#include <QString>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static clsDO o;
    QString sql = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    QString copy = sql;
    try {
        (void)o.Parsing(sql);
    } catch (const Error&) {
    }
    try {
        (void)o.RemoveBrackets(copy);
    } catch (const Error&) {
    }
    return 0;
}
