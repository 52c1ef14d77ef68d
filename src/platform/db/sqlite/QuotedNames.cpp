#include "AccessDialect.h"

namespace db::sqlite {

QString unquoteName(const QString& name)
{
    QString n = name.trimmed();
    if (n.size() >= 2) {
        const QChar a = n.front(), b = n.back();
        if (a == QLatin1Char('[') && b == QLatin1Char(']'))
            return n.mid(1, n.size() - 2).replace(QLatin1String("]]"), QLatin1String("]"));
        if ((a == QLatin1Char('"') || a == QLatin1Char('`')) && b == a)
            return n.mid(1, n.size() - 2).replace(QString(2, a), QString(a));
    }
    return n;
}

QString quoteName(const QString& name)
{
    return QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QLatin1String("\"\"")) + QLatin1Char('"');
}

} // namespace db::sqlite
