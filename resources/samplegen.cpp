// Builds the sample database (a local database file) from its text source:
// one statement per line, ended by ";", lines starting with "--" are notes.
// The file is built under a temporary name and renamed into place, so a
// failed build never leaves half a database behind.
//   velmora_samplegen sample.sql sample.mdb
#include "platform/db/Db.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: velmora_samplegen <source.sql> <target.mdb>\n");
        return 2;
    }
    const QString source = QString::fromLocal8Bit(argv[1]);
    const QString target = QFileInfo(QString::fromLocal8Bit(argv[2])).absoluteFilePath();
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly | QIODevice::Text)) {
        std::fprintf(stderr, "velmora_samplegen: cannot read %s\n", argv[1]);
        return 1;
    }
    QStringList statements;
    QString current;
    QTextStream text(&in);
    text.setEncoding(QStringConverter::Utf8);
    while (!text.atEnd()) {
        const QString line = text.readLine();
        if (line.trimmed().startsWith(QStringLiteral("--")) || line.trimmed().isEmpty())
            continue;
        current += (current.isEmpty() ? QString() : QStringLiteral("\n")) + line;
        if (line.trimmed().endsWith(QLatin1Char(';'))) {
            current = current.trimmed();
            current.chop(1);
            statements.append(current);
            current.clear();
        }
    }

    const QString temporary = target + QStringLiteral(".building");
    QFile::remove(temporary);
    try {
        const QString cs = QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + temporary;
        db::Catalog::Create(cs);
        db::Connection cn;
        cn.Open(cs);
        cn.BeginTrans();
        for (const QString& statement : statements)
            cn.Execute(statement);
        cn.CommitTrans();
        cn.Close();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "velmora_samplegen: %s\n", e.what());
        QFile::remove(temporary);
        return 1;
    }
    if (std::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(target).constData()) != 0) {
        std::perror("velmora_samplegen: rename");
        QFile::remove(temporary);
        return 1;
    }
    return 0;
}
