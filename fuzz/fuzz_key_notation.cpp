// The key notation ("{ENTER}", "+{TAB 3}", "^(ab)"...): any text parsed without a crash.
#include "core/Error.h"
#include "messages/MSendInput.h"

#include <QString>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString keys = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        (void)MSendInput::ParseKeys(keys);
    } catch (const Error&) {
    }
    return 0;
}
