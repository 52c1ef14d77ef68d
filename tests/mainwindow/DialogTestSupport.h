#pragma once
// What the dialog tests share: a message object whose messages are recorded
// and answered from a queue, a program folder of the test's own, the
// messages as shown ("body (style, title)"), and pictures for a look by eye.
#include "core/ProgramFolder.h"
#include "core/ValueText.h"
#include "messages/clsError.h"
#include "platform/db/Connection.h"
#include "controls/PushButton.h"
#include "support/EventSteps.h"
#include "support/QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

// A local database file (SQLite under an Access provider) made from statements.
inline QString localFile(const QString& folder, const QString& name, const QStringList& statements)
{
    const QString path = folder + u'/' + name;
    QFile(path).open(QIODevice::WriteOnly); // an empty file is an empty database
    db::Connection c;
    c.Open(QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + path);
    for (const QString& s : statements)
        c.Execute(s);
    c.Close();
    return path;
}

// The buttons act on mouse-up.
inline void click(PushButton* b) { emit b->mouseUp(1, 0, 0, 0); }

// A picture of a window into the folder VELMORA_SCREENSHOTS names; nothing without it.
inline void screenshot(QWidget& w, const QString& name)
{
    const QString folder = qEnvironmentVariable("VELMORA_SCREENSHOTS");
    if (folder.isEmpty())
        return;
    QDir().mkpath(folder);
    w.show();
    steps::settle();
    EXPECT_TRUE(w.grab().save(folder + u'/' + name + QStringLiteral(".png")));
    w.hide();
}

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ProgramFolder::setPath(dir.path());
        msg->setRecorder(recorder);
    }
    void TearDown() override { ProgramFolder::setPath(QString()); }
    QStringList shown() const
    {
        QStringList out;
        for (const auto& c : recorder->calls)
            out << c.body.trimmed() + QStringLiteral(" (%1, %2)").arg(c.style).arg(c.title);
        return out;
    }
    void answer(std::initializer_list<int> codes) { recorder->answers.assign(codes); }

    ValueText::ScopedLocale spanish{QLocale(QLocale::Spanish, QLocale::Spain)};
    QTemporaryDir dir;
    std::shared_ptr<clsError> msg = std::make_shared<clsError>();
    std::shared_ptr<MsgBoxRecorder> recorder = std::make_shared<MsgBoxRecorder>();
};
