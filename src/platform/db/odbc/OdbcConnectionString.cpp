#include "platform/db/odbc/OdbcConnectionString.h"

namespace db::odbc {

namespace {

QString unbrace(const QString& v)
{
    QString t = v.trimmed();
    if (t.size() >= 2 && t.startsWith(QLatin1Char('{')) && t.endsWith(QLatin1Char('}')))
        return t.mid(1, t.size() - 2).replace(QLatin1String("}}"), QLatin1String("}"));
    return t;
}

bool needsBraces(const QString& v)
{
    return v.contains(QLatin1Char(';')) || v.contains(QLatin1Char('{')) || v.contains(QLatin1Char('}'))
        || v != v.trimmed();
}

QString brace(const QString& v)
{
    return QLatin1Char('{') + QString(v).replace(QLatin1String("}"), QLatin1String("}}")) + QLatin1Char('}');
}

} // namespace

ConnectionString ConnectionString::parse(const QString& text)
{
    ConnectionString cs;
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n) {
        qsizetype eq = text.indexOf(QLatin1Char('='), i);
        qsizetype semi = text.indexOf(QLatin1Char(';'), i);
        if (eq < 0 || (semi >= 0 && semi < eq)) {
            // A fragment without "=": keep it as a key with no value.
            qsizetype end = semi < 0 ? n : semi;
            QString key = text.mid(i, end - i).trimmed();
            if (!key.isEmpty())
                cs.pairs_.emplace_back(key, QString());
            i = end + 1;
            continue;
        }
        QString key = text.mid(i, eq - i).trimmed();
        qsizetype j = eq + 1;
        while (j < n && text.at(j) == QLatin1Char(' '))
            ++j;
        QString value;
        if (j < n && text.at(j) == QLatin1Char('{')) {
            qsizetype k = j + 1;
            for (; k < n; ++k) {
                if (text.at(k) == QLatin1Char('}')) {
                    if (k + 1 < n && text.at(k + 1) == QLatin1Char('}')) {
                        ++k;
                        continue;
                    }
                    break;
                }
            }
            value = text.mid(j, qMin(k, n - 1) - j + 1);
            qsizetype next = text.indexOf(QLatin1Char(';'), k);
            if (next >= 0)
                value += text.mid(k + 1, next - k - 1).trimmed();
            i = next < 0 ? n : next + 1;
        } else {
            qsizetype end = semi < 0 ? n : semi;
            value = text.mid(eq + 1, end - eq - 1);
            i = end + 1;
        }
        if (!key.isEmpty())
            cs.pairs_.emplace_back(key, value);
    }
    return cs;
}

QString ConnectionString::value(const QString& key) const
{
    for (const auto& [k, v] : pairs_)
        if (k.compare(key, Qt::CaseInsensitive) == 0)
            return unbrace(v);
    return QString();
}

bool ConnectionString::contains(const QString& key) const
{
    for (const auto& p : pairs_)
        if (p.first.compare(key, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

void ConnectionString::set(const QString& key, const QString& value)
{
    // A value already in braces is taken as written.
    const bool braced = value.size() >= 2 && value.startsWith(QLatin1Char('{')) && value.endsWith(QLatin1Char('}'));
    const QString written = !braced && needsBraces(value) ? brace(value) : value;
    for (auto& p : pairs_)
        if (p.first.compare(key, Qt::CaseInsensitive) == 0) {
            p.second = written;
            return;
        }
    pairs_.emplace_back(key, written);
}

void ConnectionString::remove(const QString& key)
{
    std::erase_if(pairs_, [&](const auto& p) { return p.first.compare(key, Qt::CaseInsensitive) == 0; });
}

QString ConnectionString::toString() const
{
    QStringList parts;
    for (const auto& [k, v] : pairs_)
        parts.append(k + QLatin1Char('=') + v);
    return parts.join(QLatin1Char(';'));
}

QString resolveSqlServerDriver(const QString& connectionString, const QStringList& installed)
{
    ConnectionString cs = ConnectionString::parse(connectionString);
    if (cs.value(QStringLiteral("Driver")).compare(SqlServerDriverName, Qt::CaseInsensitive) != 0)
        return connectionString;
    auto has = [&](const QString& name) {
        return installed.contains(name, Qt::CaseInsensitive);
    };
    if (has(SqlServerDriverName))
        return connectionString;
    for (const QString& ms : {MsDriver18, MsDriver17}) {
        if (!has(ms))
            continue;
        cs.set(QStringLiteral("Driver"), brace(ms));
        // Driver 18 insists on a certificate it can verify; the driver it stands
        // in for encrypted only on request and never checked one.
        if (ms == MsDriver18 && !cs.contains(QStringLiteral("Encrypt"))
            && !cs.contains(QStringLiteral("TrustServerCertificate")))
            cs.set(QStringLiteral("TrustServerCertificate"), QStringLiteral("yes"));
        return cs.toString();
    }
    QString freeTds;
    for (const QString& name : installed)
        if (name.contains(FreeTdsDriverName, Qt::CaseInsensitive)) {
            freeTds = name;
            break;
        }
    if (freeTds.isEmpty())
        return connectionString;

    cs.set(QStringLiteral("Driver"), brace(freeTds));
    QString server = cs.value(QStringLiteral("Server"));
    if (server.startsWith(QLatin1String("tcp:"), Qt::CaseInsensitive))
        server = server.mid(4);
    QString port;
    const qsizetype comma = server.lastIndexOf(QLatin1Char(','));
    if (comma >= 0) {
        port = server.mid(comma + 1).trimmed();
        server = server.left(comma).trimmed();
    }
    if (cs.contains(QStringLiteral("Server")))
        cs.set(QStringLiteral("Server"), server);
    if (!port.isEmpty())
        cs.set(QStringLiteral("Port"), port);
    if (!cs.contains(QStringLiteral("TDS_Version")))
        cs.set(QStringLiteral("TDS_Version"), FreeTdsVersion);
    return cs.toString();
}

} // namespace db::odbc
