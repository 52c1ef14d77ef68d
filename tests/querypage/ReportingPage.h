#pragma once
// A page on its own program folder whose message object records what it
// would show: the base of the tests of the page's commands.
#include "core/ProgramFolder.h"
#include "messages/clsError.h"
#include "querypage/MaxSQL.h"

#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

class ReportingPage : public ::testing::Test {
protected:
    void SetUp() override
    {
        ProgramFolder::setPath(dir.path());
        msg->setRecorder(recorder);
        page.setErrorObject(msg);
        page.setCurrentTab(1);
    }
    void TearDown() override { ProgramFolder::setPath(QString()); }
    template <class W>
    W* child(const char* name)
    {
        return page.findChild<W*>(QString::fromLatin1(name));
    }
    // The bodies shown, without their leading line break.
    QStringList reports() const
    {
        QStringList out;
        for (const auto& c : recorder->calls)
            out << c.body.trimmed();
        return out;
    }

    QTemporaryDir dir;
    std::shared_ptr<clsError> msg = std::make_shared<clsError>();
    std::shared_ptr<MsgBoxRecorder> recorder = std::make_shared<MsgBoxRecorder>();
    MaxSQL page;
};
