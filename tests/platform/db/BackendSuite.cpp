#include "BackendSuite.h"

#include <sqlite3.h>

void BackendSuite::SetUp()
{
    ASSERT_TRUE(dir_.isValid());
    file_ = dir_.filePath(QStringLiteral("suite.db"));
}

void BackendSuite::prepareFile(const QStringList& statements)
{
    sqlite3* h = nullptr;
    ASSERT_EQ(sqlite3_open(file_.toUtf8().constData(), &h), SQLITE_OK);
    for (const QString& s : statements) {
        char* err = nullptr;
        int rc = sqlite3_exec(h, s.toUtf8().constData(), nullptr, nullptr, &err);
        EXPECT_EQ(rc, SQLITE_OK) << s.toStdString() << ": " << (err ? err : "");
        sqlite3_free(err);
    }
    sqlite3_close(h);
}

db::ConnectionPtr BackendSuite::open()
{
    auto cn = std::make_shared<db::Connection>();
    cn->Open(GetParam().connectionString(file_));
    return cn;
}
