#include "core/ProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}
} // namespace

TEST(ProgramFolder, WritableExecutableFolderIsTheProgramFolder)
{
    QTemporaryDir exe, home;
    EXPECT_EQ(ProgramFolder::resolve(exe.path() + "/", home.path(), QString()), exe.path());
    EXPECT_FALSE(QDir(home.path() + "/velmora").exists());
}

TEST(ProgramFolder, OtherwiseTheUserFolderSeededOnce)
{
    QTemporaryDir home, defaults;
    writeAll(defaults.filePath("Velmora.ini"), "[Form]\nWidth=1\n");
    writeAll(defaults.filePath("translate.vrx"), "db");
    const QString exe = "/proc"; // exists and is not writable, even for root
    const QString user = ProgramFolder::resolve(exe, home.path(), defaults.path());
    EXPECT_EQ(user, home.path() + "/velmora");
    EXPECT_TRUE(QFile::exists(user + "/translate.vrx"));

    // The user's own settings are never replaced by the defaults.
    writeAll(user + "/Velmora.ini", "[Form]\nWidth=2\n");
    EXPECT_EQ(ProgramFolder::resolve(exe, home.path(), defaults.path()), user);
    QFile f(user + "/Velmora.ini");
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), "[Form]\nWidth=2\n");
}

TEST(ProgramFolder, FilesJoinTheFolderWhateverTheirSlashes)
{
    ProgramFolder::setPath("/opt/velmora/");
    EXPECT_EQ(ProgramFolder::path(), "/opt/velmora");
    EXPECT_EQ(ProgramFolder::file("\\Velmora.ini"), "/opt/velmora/Velmora.ini");
    EXPECT_EQ(ProgramFolder::file("\\CSV\\"), "/opt/velmora/CSV/");
    EXPECT_EQ(ProgramFolder::file("Velmora_Tab1.ini"), "/opt/velmora/Velmora_Tab1.ini");
    ProgramFolder::setPath(QString());
}
