#include "platform/shell/Shell.h"

#include <QDir>
#include <QTemporaryDir>
#include <QFile>
#include <gtest/gtest.h>

TEST(Shell, MissingLocalTargetsLaunchNothingExistingFilesAndAddressesAreLaunchedAndRefusalsFail)
{
    shell::ScopedRecordingLauncher rec;
    QTemporaryDir dir;
    EXPECT_EQ(shell::open(dir.filePath("absent.txt")), shell::OpenResult::Missing);
    EXPECT_EQ(shell::open(dir.path()), shell::OpenResult::Missing); // a folder is no regular file
    EXPECT_EQ(shell::open(QString()), shell::OpenResult::Missing);
    EXPECT_EQ(shell::open("file://" + dir.filePath("absent.txt")), shell::OpenResult::Missing);
    EXPECT_TRUE(rec->launched.isEmpty());

    const QString path = dir.filePath("script.txt");
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();

    EXPECT_EQ(shell::open(path), shell::OpenResult::Opened);
    EXPECT_EQ(shell::open("https://example.org/help"), shell::OpenResult::Opened);
    ASSERT_EQ(rec->launched.size(), 2);
    EXPECT_EQ(rec->launched[0], QUrl::fromLocalFile(path));
    EXPECT_EQ(rec->launched[1], QUrl("https://example.org/help"));

    rec->answer = false;
    EXPECT_EQ(shell::open(path), shell::OpenResult::Failed);
}
