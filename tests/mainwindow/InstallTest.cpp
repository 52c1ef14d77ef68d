// An installation under a temporary prefix: the installed files and help pages, and a
// read-only installation running from the user's data folder, seeded from
// the installed defaults, without writing under the prefix.
#include "FakeQueryPage.h"

#include "mainwindow/frmMain.h"
#include "messages/clsError.h"
#include "querypage/HelpPages.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

const char* kPrefixVar = "VELMORA_TEST_INSTALL_PREFIX";
const char* kDataVar = "VELMORA_TEST_INSTALL_DATA";

// Every file under a folder with its size and time, to see that nothing changed.
QStringList snapshot(const QString& folder)
{
    QStringList out;
    for (QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();) {
        const QFileInfo f(it.next());
        out << QStringLiteral("%1 %2 %3").arg(f.filePath()).arg(f.size()).arg(f.lastModified().toString(Qt::ISODateWithMs));
    }
    out.sort();
    return out;
}

// Runs a program to its end; its exit code, and its output in out.
int runs(const QString& program, const QStringList& args, QString* out = nullptr,
         const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment())
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(program, args);
    // No time limit of its own: the test runner's ends a program that hangs.
    if (!p.waitForFinished(-1))
        return -1;
    if (out)
        *out = p.readAllStandardOutput() + p.readAllStandardError();
    return p.exitCode();
}

} // namespace

TEST(Install, TempPrefixGetsTheProgramItsDefaultsAndTheDesktopEntryAndRunsReadOnly)
{
    QTemporaryDir tmp;
    const QString prefix = tmp.filePath("prefix");
    QString out;
    ASSERT_EQ(runs("cmake", {"--install", VELMORA_BUILD_TREE, "--prefix", prefix}, &out), 0) << out.toStdString();
    for (const char* file : {"bin/velmora", "share/velmora/translate.vrx", "share/velmora/sample.mdb",
                             "share/applications/velmora.desktop"})
        EXPECT_TRUE(QFileInfo(prefix + "/" + file).isFile()) << file;
    EXPECT_FALSE(QFileInfo::exists(prefix + "/share/velmora/Velmora_Tab1.ini"));
    // Every help page in every language, where the installed program finds them.
    QStringList missing;
    for (const QString& language : helppages::languageFolders())
        for (const QString& page : helppages::pages())
            if (!QFileInfo(prefix + "/share/velmora/help/" + language + "/" + page).isFile())
                missing << language + "/" + page;
    EXPECT_EQ(missing, QStringList());
    EXPECT_EQ(helppages::folder(tmp.filePath("data/velmora"), prefix + "/bin"), prefix + "/share/velmora/help");
    EXPECT_EQ(runs("desktop-file-validate", {prefix + "/share/applications/velmora.desktop"}, &out), 0)
        << out.toStdString();

    // The read-only part runs as a user who cannot write under the prefix:
    // for root no permission bit stops a write, so it runs as "nobody".
    const QString data = tmp.filePath("data");
    ASSERT_TRUE(QDir().mkpath(data));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(kPrefixVar, prefix);
    env.insert(kDataVar, data);
    // The child makes its own temporary home; the machine's TMPDIR may be one
    // that only the parent's user can write.
    env.insert("TMPDIR", tmp.path());
    const QString self = QCoreApplication::applicationFilePath();
    const QString filter = "--gtest_filter=InstallReadOnly.*";
    int code = 0;
    if (geteuid() == 0) {
        for (const QString& d : {tmp.path(), data})
            QFile::setPermissions(d, QFileDevice::Permissions(0x7777));
        code = runs("setpriv", {"--reuid=65534", "--regid=65534", "--clear-groups", self, filter}, &out, env);
    } else {
        code = runs(self, {filter}, &out, env);
    }
    EXPECT_EQ(code, 0) << out.toStdString();
    EXPECT_TRUE(out.contains("[  PASSED  ] 1 test")) << out.toStdString();
}

// Runs only as the child of the test above.
TEST(InstallReadOnly, SeedsTheUserFolderAndWritesNothingUnderThePrefix)
{
    const QString prefix = qEnvironmentVariable(kPrefixVar);
    const QString data = qEnvironmentVariable(kDataVar);
    if (prefix.isEmpty())
        GTEST_SKIP() << "run by Install.TempPrefixGetsTheProgram...";
    QFile::setPermissions(prefix + "/bin", QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                               QFileDevice::ExeOther);
    const QStringList before = snapshot(prefix);

    const QString folder = ProgramFolder::resolve(prefix + "/bin", data, prefix + "/share/velmora");
    ASSERT_EQ(folder, data + "/velmora");
    EXPECT_EQ(std::pair(QFileInfo(folder + "/translate.vrx").isFile(), QFileInfo(folder + "/sample.mdb").isFile()),
              std::pair(true, true));

    ProgramFolder::setPath(folder);
    {
        frmMain w;
        w.setPageFactory(FakeQueryPage::factory(std::make_shared<FakeQueryPage::Shared>()));
        w.setMsgBoxRecorder(std::make_shared<MsgBoxRecorder>());
        w.Form_Load();
        ASSERT_NE(w.QueryPage(1), nullptr);
        w.QueryPage(1)->setRtfSQL("SELECT 1");
        w.close();
    }
    ProgramFolder::setPath(QString());
    EXPECT_EQ(std::tuple(QFileInfo(folder + "/Velmora.ini").isFile(), QFileInfo(folder + "/Velmora_Tab1.ini").isFile(),
                         snapshot(prefix)), std::tuple(true, true, before));
}
