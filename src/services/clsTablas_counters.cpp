// New record numbers from the COUNTERS table, guarded by a lock column so that
// two program instances numbering one table never hand out the same number.
#include "clsTablas.h"

#include "Rows.h"
#include "core/ValueText.h"
#include "data/clsDO.h"

#include <QThread>
#include <QTime>
#include <limits>

namespace {

const QString kCollection2 = QStringLiteral("Collection2");

// Attempts to run the lock statement on a connection that does not open.
constexpr int kOpenAttempts = 3;
// Attempts to take a lock that keeps being held (waits included).
constexpr int kLockAttempts = 1000;

CollectionPtr query(clsDO& data, const QString& sql, const QString& form = kCollection2)
{
    return Rows::query(data, sql, form);
}

// Minute boundaries passed between two times (a calendar difference in minutes).
qint64 minutesTurned(const QDateTime& from, const QDateTime& to)
{
    auto minuteOf = [](const QDateTime& t) {
        return QDateTime(t.date(), QTime(t.time().hour(), t.time().minute()), Qt::UTC).toSecsSinceEpoch() / 60;
    };
    return minuteOf(to) - minuteOf(from);
}

// The question put to the user about a lock another user holds since today
// ("yyyyMMddHHmmss" then the user's code): who and since when.
QString lockHolderPrompt(clsDO& data, const QString& holder)
{
    QString name;
    bool isCode = false;
    const qint64 userCode = holder.mid(14).toLongLong(&isCode);
    if (isCode) {
        const auto users = query(data, QStringLiteral("SELECT Name FROM Users WHERE CodeID = ") + QString::number(userCode),
                                 QStringLiteral("Collection"));
        if (Rows::count(users) > 0)
            name = ValueText::displayText(Rows::value(Rows::row(users, 1), 1));
    }
    const QTime at = QTime::fromString(holder.mid(8, 6), QStringLiteral("HHmmss"));
    return QStringLiteral("El contador de identificadores se encuentra bloqueado por el usuario ") + name +
           QStringLiteral(" a las ") + at.toString(QStringLiteral("hh:mm AP")) +
           QStringLiteral("\r\n\r\n¿Desea desbloquear el contador?");
}

} // namespace

std::int32_t clsTablas::GetNewNumber(const QString& sTable, const QString& sKeyField)
{
    const QDateTime start = clock_ ? clock_() : QDateTime::currentDateTime();
    const QString token = start.toString(QStringLiteral("yyyyMMddHHmmss")) + QString::number(CodigoUsuario);
    const QString type = SqlText(sTable);
    bool holding = false;
    std::int32_t number = 0;
    std::shared_ptr<clsDO> data = dataObject_;

    auto execute = [&](const QString& sql, std::int32_t* affected = nullptr) {
        std::int32_t rows = 0;
        const bool ran = data->Execute(sql, QString(), QString(), QString(), QString(), rows);
        if (affected)
            *affected = rows;
        return ran;
    };

    const bool ran = trap(
        [&] {
            Rows::required(data);

            // Take the lock. The UPDATE changes the row only while it is free,
            // so the rows it touched tell whether this call holds the lock.
            int failedOpens = 0;
            for (int attempt = 0;; ++attempt) {
                if (attempt >= kLockAttempts)
                    raise(Error::DatabaseError, QStringLiteral("El contador de identificadores sigue bloqueado"));
                std::int32_t affected = 0;
                if (!execute(QStringLiteral("UPDATE COUNTERS SET LOCK = '") + token +
                                 QStringLiteral("' WHERE TYPE = ") + type + QStringLiteral(" AND LOCK = ''"),
                             &affected)) {
                    if (++failedOpens >= kOpenAttempts)
                        raise(Error::DatabaseError, QStringLiteral("No se pudo conectar con la base de datos"));
                    continue;
                }
                if (affected > 0) {
                    holding = true;
                    break;
                }
                const auto lockRows =
                    query(*data, QStringLiteral("SELECT LOCK FROM COUNTERS WHERE TYPE = ") + type);
                // No counter row yet: it is made, free, when the number is written.
                if (Rows::count(lockRows) == 0)
                    break;
                const QString holder = ValueText::displayText(Rows::value(Rows::row(lockRows, 1), 1));
                if (holder.isEmpty())
                    continue; // freed meanwhile
                const QDateTime now = clock_ ? clock_() : QDateTime::currentDateTime();
                if (minutesTurned(start, now) < 1) {
                    if (lockWait_)
                        lockWait_();
                    else
                        QThread::msleep(200);
                    continue;
                }
                const QString release = QStringLiteral("UPDATE COUNTERS SET LOCK = '' WHERE TYPE = ") + type;
                if (holder.left(8) < now.toString(QStringLiteral("yyyyMMdd"))) {
                    execute(release); // a lock left from an earlier day
                    continue;
                }
                if (AskUser(lockHolderPrompt(*data, holder), 36, QStringLiteral("Aviso")) != 6) {
                    number = -1;
                    return;
                }
                execute(release);
            }

            std::int32_t last = 0;
            const auto counter =
                query(*data, QStringLiteral("SELECT CODEID FROM COUNTERS WHERE TYPE = ") + type);
            if (Rows::count(counter) > 0)
                last = Rows::value(Rows::row(counter, 1), 1).toLong();
            if (last == std::numeric_limits<std::int32_t>::max())
                raise(Error::Overflow, QStringLiteral("Desbordamiento"));
            std::int32_t candidate = last + 1;

            // Numbers already taken in the table itself are skipped.
            auto taken = [&](std::int32_t n) {
                return query(*data, QStringLiteral("SELECT * FROM ") + sTable + QStringLiteral(" WHERE ") + sKeyField +
                                        QStringLiteral(" = ") + QString::number(n));
            };
            CollectionPtr rows = taken(candidate);
            while (Rows::count(rows) > 0) {
                if (candidate == std::numeric_limits<std::int32_t>::max())
                    raise(Error::Overflow, QStringLiteral("Desbordamiento"));
                ++candidate;
                rows = taken(candidate);
                if (!rows)
                    raise(Error::ObjectVariableNotSet,
                          QStringLiteral("Variable de objeto o bloque With no establecido"));
            }

            const auto existing = query(*data, QStringLiteral("SELECT * FROM Counters WHERE Type = ") + type);
            bool written = false;
            if (Rows::count(existing) == 0)
                written = execute(QStringLiteral("INSERT INTO COUNTERS (CODEID, TYPE, LOCK ) VALUES (") +
                                  QString::number(candidate) + QStringLiteral(", ") + type + QStringLiteral(" , '' )"));
            else
                written = execute(QStringLiteral("UPDATE COUNTERS SET CODEID = ") + QString::number(candidate) +
                                  QStringLiteral(" , LOCK = '' WHERE TYPE = ") + type);
            // A number that was not stored would be handed out again.
            if (!written)
                raise(Error::DatabaseError, QStringLiteral("No se pudo guardar el contador"));
            holding = false;
            number = candidate;
        },
        [&](const Error& e) {
            // The lock this call took is given back, so no other caller waits on it.
            if (holding)
                trap(
                    [&] {
                        execute(QStringLiteral("UPDATE COUNTERS SET LOCK = '' WHERE TYPE = ") + type +
                                QStringLiteral(" AND LOCK = '") + token + QLatin1Char('\''));
                    },
                    [](const Error&) {});
            ReportError(QStringLiteral("Función GetNewNumber ") + e.description);
        });
    return ran ? number : 0;
}
