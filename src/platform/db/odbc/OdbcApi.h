#pragma once
// A thin, owning wrapper over the unixODBC call interface: handles that free
// themselves, diagnostics turned into Error with the engine's own message, and
// the UTF-16 text conversions (SQLWCHAR is 16 bits with unixODBC, as QChar is).
#include "core/Error.h"

#include <QString>
#include <QStringList>

#include <sql.h>
#include <sqlext.h>

#include <memory>
#include <utility>

namespace db::odbc {

// Source of every error this backend raises.
inline const QString ErrorSource = QStringLiteral("db.odbc");

class Handle {
public:
    Handle() = default;
    Handle(SQLSMALLINT type, SQLHANDLE handle) : type_(type), handle_(handle) {}
    ~Handle() { reset(); }
    Handle(Handle&& o) noexcept : type_(o.type_), handle_(std::exchange(o.handle_, SQLHANDLE(nullptr))) {}
    Handle& operator=(Handle&& o) noexcept
    {
        if (this != &o) {
            reset();
            type_ = o.type_;
            handle_ = std::exchange(o.handle_, SQLHANDLE(nullptr));
        }
        return *this;
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    SQLHANDLE get() const { return handle_; }
    SQLSMALLINT type() const { return type_; }
    explicit operator bool() const { return handle_ != SQL_NULL_HANDLE; }
    void reset();

private:
    SQLSMALLINT type_ = 0;
    SQLHANDLE handle_ = SQL_NULL_HANDLE;
};

// One diagnostic record.
struct Diagnostic {
    QString state;   // five-character SQLSTATE
    long nativeError = 0;
    QString message; // the driver's text, with its "[vendor][driver]" prefixes
};

QList<Diagnostic> diagnostics(SQLSMALLINT type, SQLHANDLE handle);

// The text an Error carries: the first error record's message (as the
// engine wrote it); context is used only when the driver left no record.
QString diagnosticText(SQLSMALLINT type, SQLHANDLE handle, const QString& context);

[[noreturn]] void fail(SQLRETURN ret, SQLSMALLINT type, SQLHANDLE handle, const char* context);
[[noreturn]] void raiseDb(const QString& message);

// Raises Error(DatabaseError) with the driver's message unless ret succeeded.
inline void check(SQLRETURN ret, SQLSMALLINT type, SQLHANDLE handle, const char* context)
{
    if (!SQL_SUCCEEDED(ret))
        fail(ret, type, handle, context);
}

inline SQLWCHAR* wchars(const QString& s)
{
    static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "unixODBC is expected to use 16-bit SQLWCHAR");
    return reinterpret_cast<SQLWCHAR*>(const_cast<char16_t*>(reinterpret_cast<const char16_t*>(s.utf16())));
}
inline QString fromWChars(const SQLWCHAR* s, qsizetype length)
{
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(s), length);
}

// Process-wide ODBC 3 environment. It is created on first use, so a test can
// point ODBCSYSINI at its own odbcinst.ini before any connection is made.
SQLHENV environment();

// Names of the drivers the driver manager knows (odbcinst.ini).
QStringList installedDrivers();

// Allocates a child handle (connection of the environment, statement of a connection).
Handle allocate(SQLSMALLINT type, SQLHANDLE parent);

} // namespace db::odbc
