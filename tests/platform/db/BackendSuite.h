#pragma once
// The behaviour every real backend shares, run once per backend over the same
// SQLite files: the local backend opens them directly, the ODBC backend through
// the SQLite ODBC driver. A backend joins by compiling BackendSuite.cpp into its
// test executable and instantiating the suite with its own connection string:
//
//   INSTANTIATE_TEST_SUITE_P(Odbc, BackendSuite, ::testing::Values(BackendParam{
//       "odbc", [](const QString& file) { return "Driver={SQLite3};Database=" + file; }, {db::adInteger, ...}}));
//
// Files are prepared with plain SQLite statements (prepareFile), never through
// the backend under test, so each backend reads the same data.
#include "platform/db/Db.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

// Runs SQLite statements on a file directly (not through a backend).
void prepareSqliteFile(const QString& file, const QStringList& statements);

// Runs f, which must raise an error: its number (unless 0) and texts its description
// holds (case aside) are checked. Returns the error for further checks.
Error expectError(const std::function<void()>& f, long number = 0, const QStringList& texts = {});

struct BackendParam {
    const char* name;
    std::function<QString(const QString& sqliteFile)> connectionString;
    // The exact DataType the backend reports for each column of the sample table.
    std::vector<int> types;
};

inline void PrintTo(const BackendParam& p, std::ostream* os) { *os << p.name; }

class BackendSuite : public ::testing::TestWithParam<BackendParam> {
protected:
    void SetUp() override;
    void prepareFile(const QStringList& statements) { prepareSqliteFile(file_, statements); }
    // A connection of the backend under test on the suite's file.
    db::ConnectionPtr open();

    QTemporaryDir dir_;
    QString file_;
};
