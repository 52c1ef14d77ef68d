// The settings-file reader and writer: any bytes read without a crash, and a
// key written into them always reads back, with every other key unchanged.
#include "core/ProfileFile.h"

#include <QByteArray>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    ProfileFile pf = ProfileFile::fromBytes(bytes);
    const QString before = pf.value(QStringLiteral("S"), QStringLiteral("A"));
    if (pf.setValue(QStringLiteral("S"), QStringLiteral("Velmora_Fuzz"), QStringLiteral("v1"))) {
        const ProfileFile again = ProfileFile::fromBytes(pf.toBytes());
        if (again.value(QStringLiteral("S"), QStringLiteral("Velmora_Fuzz")) != QLatin1String("v1"))
            std::abort(); // a written key must read back
        if (again.value(QStringLiteral("S"), QStringLiteral("A")) != before)
            std::abort(); // and leave the others as they were
    }
    return 0;
}
