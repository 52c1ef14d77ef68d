// One main for every test executable: a QApplication exists (offscreen for
// widget tests), the locale is fixed so no test depends on the machine's, and
// the process gets a home of its own, so no test reads what a person or an
// earlier run left in theirs, nor leaves anything there.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <cstdio>
#include <gtest/gtest.h>

namespace {

// HOME and the XDG folders inside one temporary folder; ctest starts a
// process per test, so each test gets its own.
bool useOwnHome(const QTemporaryDir& home)
{
    if (!home.isValid())
        return false;
    const QDir root(home.path());
    const struct {
        const char* variable;
        const char* folder;
    } folders[] = {{"XDG_CONFIG_HOME", ".config"},
                   {"XDG_DATA_HOME", ".local/share"},
                   {"XDG_CACHE_HOME", ".cache"},
                   {"XDG_RUNTIME_DIR", "runtime"}};
    qputenv("HOME", QFile::encodeName(root.path()));
    for (const auto& f : folders) {
        const QString path = root.filePath(QLatin1String(f.folder));
        if (!root.mkpath(QLatin1String(f.folder)))
            return false;
        qputenv(f.variable, QFile::encodeName(path));
    }
    // Qt refuses a runtime folder others may read.
    return QFile::setPermissions(root.filePath(QStringLiteral("runtime")),
                                 QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir home(QDir::tempPath() + QStringLiteral("/velmora-test-home-XXXXXX"));
    if (!useOwnHome(home)) {
        std::fprintf(stderr, "cannot make a temporary home for the tests\n");
        return 1;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // ctest hands discovered tests only the first of the environment settings
    // velmora_test gives them, so the folders the tests look for data beside
    // come with the program too.
    if (qEnvironmentVariableIsEmpty("VELMORA_SOURCE_DIR"))
        qputenv("VELMORA_SOURCE_DIR", VELMORA_TEST_SOURCE_DIR);
    if (qEnvironmentVariableIsEmpty("VELMORA_BINARY_DIR"))
        qputenv("VELMORA_BINARY_DIR", VELMORA_TEST_BINARY_DIR);
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Spain));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
