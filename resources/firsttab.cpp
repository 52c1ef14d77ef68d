// Writes the first tab of the build's program folder when it has none, so
// that a first start opens on the sample database.
//   velmora_firsttab <program folder> <sample database>
#include "mainwindow/FirstTab.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: velmora_firsttab <program folder> <database>\n");
        return 2;
    }
    const auto result = FirstTab::write(QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2]));
    if (result == FirstTab::Result::Failed) {
        std::fprintf(stderr, "velmora_firsttab: cannot write the first tab in %s\n", argv[1]);
        return 1;
    }
    return 0;
}
