#pragma once
// What the data-access object needs of the log object handed to it by
// InicializateLog: any object that takes log lines through InsertLog (the
// services object is one).
#include <QString>
#include <cstdint>

class LogTarget {
public:
    virtual ~LogTarget() = default;
    // strProcedureName arrives as the database name padded and cut to 20
    // characters, a tab and the procedure; enmTipo 1 for events, 4 for failures.
    virtual bool InsertLog(const QString& strClasName, const QString& strProcedureName, const QString& strMessage,
                           std::int16_t enmTipo, bool bMessage = false) = 0;
};
