// The Access-dialect translation of the local engine: any text, no crash.
#include "platform/db/sqlite/AccessDialect.h"

#include <QString>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString sql = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    for (const auto& st : db::sqlite::translate(sql))
        (void)db::sqlite::selectItems(st.sql);
    (void)db::sqlite::viewBody(sql);
    (void)db::sqlite::primaryKeyConstraintName(sql);
    (void)db::sqlite::rewriteTableDefinition(sql, QStringLiteral("t2"), QStringLiteral("CHECK (1)"), QString(), QString());
    return 0;
}
