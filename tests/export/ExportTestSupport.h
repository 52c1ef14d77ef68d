#pragma once
// Shared pieces of the export tests: a program folder of its own, a local
// database file, a data-access object over it (or over the recorder), and a
// message object whose notices and reports are kept.
#include "core/Dialogs.h"
#include "core/ProgramFolder.h"
#include "data/DataTestSupport.h"
#include "messages/clsError.h"
#include "platform/db/RecordingBackend.h"
#include "platform/db/sqlite/SqliteBackend.h"

#include <QFile>
#include <QTemporaryDir>
#include <QWidget>
#include <gtest/gtest.h>

namespace exporttest {

class ExportTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ProgramFolder::setPath(folder.path());
        msg->Parent = &host; // the class reports show only with a host
        msg->setRecorder(notices);
        db::createLocalDatabase(file.path);
        file.point(*zolt);
    }
    void TearDown() override
    {
        if (rec)
            db::RecordingBackend::uninstall();
        ProgramFolder::setPath(QString());
    }
    // The data-access object on a server whose statements the recorder answers.
    db::RecordingBackend& onServer()
    {
        rec = db::RecordingBackend::install();
        zolt->setConnectionType(0);
        zolt->StartObject("s", "d", "u", "p");
        return *rec;
    }

    QStringList shownTexts() const
    {
        QStringList out;
        for (const auto& c : notices->calls) // style, title and body (without its leading line break)
            out << QString::number(c.style) + QLatin1Char('|') + c.title + QLatin1Char('|') + c.body.mid(2);
        return out;
    }
    static QByteArray bytesOf(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QTemporaryDir folder;
    QWidget host;
    std::shared_ptr<clsError> msg = std::make_shared<clsError>();
    std::shared_ptr<MsgBoxRecorder> notices = std::make_shared<MsgBoxRecorder>();
    datatest::LocalDb file;
    std::shared_ptr<datatest::TestDO> zolt = std::make_shared<datatest::TestDO>();
    ScopedRecordingDialogs dialogs;
    std::shared_ptr<db::RecordingBackend> rec;
};

// 65,536 rows: many read blocks. N holds whole numbers but for one real far
// into the rows, so "N + 0" is a real column only its values type; one Txt
// late in the rows is no number.
inline void bigTable(const datatest::LocalDb& file)
{
    QStringList fill{"CREATE TABLE B (Id LONG, N LONG, Txt TEXT(20))", "INSERT INTO B VALUES (1, 1, '1')"};
    for (int k = 1; k < 65536; k *= 2)
        fill << QStringLiteral("INSERT INTO B SELECT Id + %1, N + %1, Id + %1 FROM B").arg(k);
    fill << "UPDATE B SET N = 0.5 WHERE Id = 40000" << "UPDATE B SET Txt = 'a;b' WHERE Id = 50000";
    file.exec(fill);
}

} // namespace exporttest
