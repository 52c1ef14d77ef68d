#include "Error.h"

Error::Error(long n, QString d, QString s) : number(n), description(std::move(d)), source(std::move(s)) {}

const char* Error::what() const noexcept
{
    whatText_ = QStringLiteral("%1 (%2) %3").arg(description).arg(number).arg(source).toStdString();
    return whatText_.c_str();
}

void raise(long number, const QString& description, const QString& source)
{
    throw Error(number, description, source);
}

namespace detail {
void typeMismatch() { raise(Error::TypeMismatch, QStringLiteral("No coinciden los tipos")); }
void overflow() { raise(Error::Overflow, QStringLiteral("Desbordamiento")); }
void invalidNull() { raise(Error::InvalidUseOfNull, QStringLiteral("Uso no válido de Null")); }
} // namespace detail

QString TraceTag(const QString& objectName, const QString& procedureName)
{
    return QStringLiteral("{1") + objectName.toUpper() + QLatin1Char('.') + procedureName.toUpper() + QLatin1Char('}');
}

QString BraceBlock(int digit, const QString& value)
{
    return QLatin1Char('{') + QString::number(digit) + value + QLatin1Char('}');
}

bool trap(const std::function<void()>& body, const std::function<void(const Error&)>& onError)
{
    try {
        body();
        return true;
    } catch (const Error& e) {
        onError(e);
    } catch (const std::bad_alloc&) {
        onError(Error(Error::OutOfMemory, QStringLiteral("Memoria insuficiente")));
    } catch (const std::exception& e) {
        onError(Error(Error::InvalidProcedureCall, QString::fromUtf8(e.what())));
    }
    return false;
}
