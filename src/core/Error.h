#pragma once
// Errors as the system raises them: a number, a description and a source, and
// the trap helper every procedure uses instead of its own try/catch.
#include <QString>
#include <exception>
#include <functional>
#include <string>

class Error : public std::exception {
public:
    Error() = default;
    Error(long number, QString description, QString source = QString());

    long number = 0;
    QString description;
    QString source;

    const char* what() const noexcept override;

    // Numbers the runtime raised for its own failures. Callers tell failures
    // apart by them, so they keep the runtime's values.
    enum : long {
        InvalidProcedureCall = 5,
        Overflow = 6,
        OutOfMemory = 7,
        SubscriptOutOfRange = 9,
        DivisionByZero = 11,
        TypeMismatch = 13,
        ObjectVariableNotSet = 91,
        InvalidUseOfNull = 94,
        ObjectRequired = 424,
        CannotCreateObject = 429,
        ObjectDoesNotSupport = 438,
        ArgumentNotOptional = 449,
        KeyAlreadyAssociated = 457,
        FileNotFound = 53,
        PathNotFound = 76,
        // The data layer's own failures (an engine message travels in the description).
        DatabaseError = -2147467259,
    };

private:
    mutable std::string whatText_;
};

[[noreturn]] void raise(long number, const QString& description, const QString& source = QString());

// The runtime's own failures of value conversion, with their texts.
namespace detail {
[[noreturn]] void typeMismatch();
[[noreturn]] void overflow();
[[noreturn]] void invalidNull();
} // namespace detail

// The error-handler tag "{1OBJECT.PROCEDURE}" put before "Error: " in reports.
QString TraceTag(const QString& objectName, const QString& procedureName);
// A value inserted into a translatable message: "{" digit value "}".
QString BraceBlock(int digit, const QString& value);

// Runs body; an Error (or any std::exception, reported as error 5 with its text)
// reaches onError instead of the caller. Returns true when body ran through.
bool trap(const std::function<void()>& body, const std::function<void(const Error&)>& onError);
