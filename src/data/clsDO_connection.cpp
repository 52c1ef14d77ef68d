// Connections and statements: the connection string per connection type and
// driver, the provider look-up, opening and closing, Execute and transactions.
#include "data/clsDO.h"

#include "core/Dialogs.h"
#include "core/Error.h"

QString clsDO::ConnectionString(const QString& S, const QString& D, const QString& U, const QString& P, bool shape)
{
    const QString shapeTail = shape ? QStringLiteral(";Provider=MSDataShape") : QString();
    switch (connectionType_) {
    case 0:
        if (U.toUpper() == QLatin1String("INTEGRATED"))
            return QStringLiteral("driver={SQL Server};server=tcp:") + S +
                   QStringLiteral(";Trusted_Connection=yes;database=") + D + shapeTail;
        return QStringLiteral("driver={SQL Server};server=tcp:") + S + QStringLiteral(";uid=") + U +
               QStringLiteral(";pwd=") + P + QStringLiteral(";database=") + D + shapeTail;
    case 1:
    case 2:
        if (sqlProvider_.isEmpty()) {
            sqlProvider_ = FindOleDbProvider(connectionType_);
            if (sqlProvider_.isEmpty())
                sqlProvider_ = connectionType_ == 1 ? QStringLiteral("Microsoft.Jet.OLEDB.4.0")
                                                    : QStringLiteral("Microsoft.ACE.OLEDB.12.0");
        }
        if (connectionType_ == 1)
            return QStringLiteral("Data Source=") + D + QStringLiteral(";Provider=") + sqlProvider_ +
                   QStringLiteral("; ");
        return QStringLiteral("Provider=") + sqlProvider_ + QStringLiteral(";Data Source=") + D +
               QStringLiteral(";Persist Security Info=False;Jet OLEDB:Database Password=") + P +
               QStringLiteral(";");
    case 3:
        switch (usedDriver_) {
        case 0:
            return QStringLiteral("DSN=") + S + QStringLiteral(";DATABASE=") + D + QStringLiteral(";UID=") + U +
                   QStringLiteral(";PWD=") + P + shapeTail;
        case 1:
            return QStringLiteral("DSN=") + S + QStringLiteral(";");
        case 2:
            return QStringLiteral("DATABASE=") + D + QStringLiteral(";UID=") + U + QStringLiteral(";PWD=") + P +
                   QStringLiteral(";DSN=") + S + QStringLiteral(";");
        default:
            return QString();
        }
    default:
        return QString();
    }
}
