#include "platform/db/odbc/OdbcApi.h"

#include <clocale>
#include <cstring>
#include <langinfo.h>
#include <mutex>

namespace db::odbc {

void Handle::reset()
{
    if (handle_ != SQL_NULL_HANDLE) {
        SQLFreeHandle(type_, handle_);
        handle_ = SQL_NULL_HANDLE;
    }
}

QList<Diagnostic> diagnostics(SQLSMALLINT type, SQLHANDLE handle)
{
    QList<Diagnostic> out;
    if (handle == SQL_NULL_HANDLE)
        return out;
    for (SQLSMALLINT i = 1;; ++i) {
        SQLWCHAR state[6] = {};
        SQLINTEGER native = 0;
        SQLSMALLINT length = 0;
        SQLRETURN r = SQLGetDiagRecW(type, handle, i, state, &native, nullptr, 0, &length);
        if (!SQL_SUCCEEDED(r))
            break;
        std::vector<SQLWCHAR> text(size_t(length) + 1);
        r = SQLGetDiagRecW(type, handle, i, state, &native, text.data(), SQLSMALLINT(text.size()), &length);
        if (!SQL_SUCCEEDED(r))
            break;
        out.append(Diagnostic{fromWChars(state, 5), long(native), fromWChars(text.data(), qMin<qsizetype>(length, qsizetype(text.size()) - 1))});
    }
    return out;
}

QString diagnosticText(SQLSMALLINT type, SQLHANDLE handle, const QString& context)
{
    const auto records = diagnostics(type, handle);
    for (const auto& d : records)
        if (!d.state.startsWith(QLatin1String("01"))) // skip warnings in favour of the error
            return d.message;
    if (!records.isEmpty())
        return records.first().message;
    return context;
}

void fail(SQLRETURN ret, SQLSMALLINT type, SQLHANDLE handle, const char* context)
{
    QString fallback = QStringLiteral("%1 failed (%2)").arg(QLatin1String(context)).arg(ret);
    if (ret == SQL_INVALID_HANDLE)
        raiseDb(fallback);
    raiseDb(diagnosticText(type, handle, fallback));
}

void raiseDb(const QString& message)
{
    raise(Error::DatabaseError, message, ErrorSource);
}

SQLHENV environment()
{
    static SQLHENV env = [] {
        // Names and texts go to the drivers as UTF-8 (what Qt uses on this
        // platform); a driver converts them by the C library's character set,
        // which is plain ASCII when no locale is set, and then finds no table
        // or column whose name has an accent.
        if (std::strcmp(nl_langinfo(CODESET), "UTF-8") != 0)
            std::setlocale(LC_CTYPE, "C.UTF-8");
        SQLHENV h = SQL_NULL_HENV;
        if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &h)))
            return SQLHENV(SQL_NULL_HENV);
        SQLSetEnvAttr(h, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
        return h;
    }();
    if (env == SQL_NULL_HENV)
        raiseDb(QStringLiteral("No se ha podido iniciar el administrador de controladores ODBC"));
    return env;
}

QStringList installedDrivers()
{
    QStringList names;
    SQLHENV env = environment();
    static std::mutex guard; // SQLDrivers keeps its position in the environment
    std::lock_guard lock(guard);
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    for (;;) {
        SQLWCHAR name[512];
        SQLWCHAR attributes[2048];
        SQLSMALLINT nameLength = 0, attrLength = 0;
        SQLRETURN r = SQLDriversW(env, direction, name, SQLSMALLINT(std::size(name)), &nameLength, attributes,
                                  SQLSMALLINT(std::size(attributes)), &attrLength);
        if (!SQL_SUCCEEDED(r))
            break;
        names.append(fromWChars(name, qMin<qsizetype>(nameLength, qsizetype(std::size(name)) - 1)));
        direction = SQL_FETCH_NEXT;
    }
    return names;
}

Handle allocate(SQLSMALLINT type, SQLHANDLE parent)
{
    SQLHANDLE h = SQL_NULL_HANDLE;
    SQLRETURN r = SQLAllocHandle(type, parent, &h);
    if (!SQL_SUCCEEDED(r)) {
        SQLSMALLINT parentType = type == SQL_HANDLE_DBC ? SQL_HANDLE_ENV : SQL_HANDLE_DBC;
        fail(r, parentType, parent, "SQLAllocHandle");
    }
    return Handle(type, h);
}

} // namespace db::odbc
