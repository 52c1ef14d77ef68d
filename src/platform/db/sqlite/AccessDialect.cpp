#include "AccessDialect.h"

namespace db::sqlite {

std::vector<Statement> translate(const QString& sql)
{
    Statement s;
    s.sql = sql;
    return {s};
}

} // namespace db::sqlite
