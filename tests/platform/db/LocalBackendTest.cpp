// The local file backend: the shared suite, then the Access dialect, the
// catalog's Access types, compaction and files of the Windows engine.
#include "BackendSuite.h"
#include "core/ValueText.h"
#include "platform/db/sqlite/AccessDialect.h"

#include <QFile>
#include <QFileInfo>
#include <sqlite3.h>

namespace {
QString localString(const QString& file)
{
    return "Provider=Microsoft.ACE.OLEDB.12.0;Data Source=" + file + ";Persist Security Info=False;Jet OLEDB:Database Password=;";
}
} // namespace

INSTANTIATE_TEST_SUITE_P(Local, BackendSuite, ::testing::Values(BackendParam{"local", localString}));

class LocalTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        file_ = dir_.filePath("data.mdb");
        db::Catalog::Create("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + file_);
        cn_ = std::make_shared<db::Connection>();
        cn_->Open("Data Source=" + file_ + ";Provider=Microsoft.Jet.OLEDB.4.0; ");
    }
    void exec(const QString& sql, qint64* n = nullptr) { cn_->Execute(sql, n); }
    std::shared_ptr<db::Recordset> query(const QString& sql)
    {
        auto rs = std::make_shared<db::Recordset>();
        rs->Open(sql, cn_, db::adOpenStatic, db::adLockReadOnly);
        return rs;
    }
    QStringList column(const QString& sql)
    {
        auto rs = query(sql);
        QStringList out;
        for (; !rs->Eof(); rs->MoveNext())
            out << ValueText::displayText(rs->value(0));
        return out;
    }
    QTemporaryDir dir_;
    QString file_;
    db::ConnectionPtr cn_;
};
