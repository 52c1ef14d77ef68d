// One main for every test executable: a QApplication exists (offscreen for
// widget tests) and the locale is fixed so no test depends on the machine's.
#include <QApplication>
#include <QLocale>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
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
