// Reads the largest table of a real .accdb file (written by the Windows engine)
// into a record set through the MDBTools driver: open, SELECT *, every value
// touched, close. bench/run.d/accdb sets the time beside mdb-export of the same
// table, measured in the same run.
//   bench_accdb <file.accdb> <table> <reads>   prints the milliseconds of one read (best of 5 rounds)
#include "platform/db/Db.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s <file.accdb> <table> <reads>\n", argv[0]);
        return 2;
    }
    // Work on a copy: the shared test file is never opened in place.
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("bench.accdb"));
    if (!QFile::copy(QString::fromLocal8Bit(argv[1]), file)) {
        std::fprintf(stderr, "cannot copy %s\n", argv[1]);
        return 1;
    }
    const QString table = QString::fromLocal8Bit(argv[2]);
    const int reads = std::max(1, std::atoi(argv[3]));
    double best = 1e300;
    qint64 rows = 0, cells = 0;
    try {
        for (int round = 0; round < 5; ++round) {
            const auto start = std::chrono::steady_clock::now();
            for (int i = 0; i < reads; ++i) {
                auto cn = std::make_shared<db::Connection>();
                cn->Open(QStringLiteral("Provider=Microsoft.ACE.OLEDB.12.0;Data Source=") + file);
                db::Recordset rs;
                rs.Open(QStringLiteral("SELECT * FROM [%1]").arg(table), cn);
                rows = rs.RecordCount();
                cells = 0;
                for (; !rs.Eof(); rs.MoveNext())
                    for (int f = 0; f < rs.FieldCount(); ++f)
                        cells += rs.value(f).isNull() ? 0 : 1;
                cn->Close();
            }
            const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count() / reads;
            best = std::min(best, ms);
        }
    } catch (const Error& e) {
        std::fprintf(stderr, "%s\n", e.description.toUtf8().constData());
        return 1;
    }
    std::printf("%.3f %lld %lld\n", best, static_cast<long long>(rows), static_cast<long long>(cells));
    return 0;
}
