#pragma once
// What the dialog tests share: a message object whose messages are recorded
// and answered from a queue, a program folder of the test's own, and the
// messages as shown ("body (style, title)").
#include "core/ProgramFolder.h"
#include "core/ValueText.h"
#include "messages/clsError.h"
#include "platform/db/Connection.h"

#include <QFile>

#include <QLocale>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

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
