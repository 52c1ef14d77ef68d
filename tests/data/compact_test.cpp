// Compaction: a local file through a dated backup and a compacted copy put in
// place by rename; SQL Server through its shrink statements.
#include "DataTestSupport.h"

#include "core/ValueText.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

using namespace datatest;

namespace {

// The rows left in the table of the file at path.
qint64 countRows(const QString& path, const QString& table)
{
    return rowsOf(u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source="_s + path, u"SELECT COUNT(*) FROM "_s + table).value(0).toLongLong();
}

class CompactLocalTest : public ::testing::Test {
protected:
    void make(const QString& relative)
    {
        ValueText::setLocale(QLocale(QLocale::Spanish, QLocale::Spain));
        ASSERT_TRUE(db_.dir.isValid());
        db_.path = db_.dir.filePath(relative);
        QDir().mkpath(QFileInfo(db_.path).absolutePath());
        db::Catalog::Create(db_.connectionString());
        // 200 rows of 500 characters, 150 of them deleted: space a compaction gives back.
        db_.exec({u"CREATE TABLE Datos ([Id] LONG, [Texto] MEMO)"_s,
                  u"WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 199) "
                  "INSERT INTO Datos SELECT i, '%1' FROM n"_s.arg(QString(500, QLatin1Char('x'))),
                  u"DELETE FROM Datos WHERE Id >= 50"_s});
        o_.setConnectionType(1);
        o_.StartObject(QString(), db_.path, QString(), QString());
    }
    QStringList leftovers() const
    {
        return QFileInfo(db_.path).absoluteDir().entryList(QDir::Files, QDir::Name);
    }
    QString compact()
    {
        QString s, d, u, p;
        return o_.CompactAccessDataBase(s, d, u, p);
    }

    LocalDb db_;
    clsDO o_;
};

} // namespace

TEST_F(CompactLocalTest, CompactedFileReplacesTheDatabaseAndTheBackupStays)
{
    make(u"Datos.mdb"_s);
    const qint64 before = QFileInfo(db_.path).size();
    const QString report = compact();
    const QString stem = QRegularExpression::escape(db_.dir.filePath(u"Datos"_s));
    const QRegularExpression shape(u"^Fichero Original: \r\n\\{1"_s + QRegularExpression::escape(db_.path) +
        u"\\}\r\n\r\nTamaño Original: \\{2[0-9.]+\\} bytes\\.\r\n\r\nBackup: \r\n\\{3("_s + stem +
        u"_\\d{8}_\\d{6}\\.mdb)\\}\r\n\r\nBase de datos compactada con éxito\\.\r\nTamaño Final: \\{4([0-9.]+)\\} bytes\\.$"_s);
    const auto m = shape.match(report);
    ASSERT_TRUE(m.hasMatch()) << report.toStdString();
    const QString backup = m.captured(1);
    EXPECT_TRUE(report.contains(u"{2"_s + ValueText::format(Variant(std::int64_t(before)), u"###,###,##0"_s)));
    EXPECT_EQ(countRows(db_.path, u"Datos"_s), 50);
    EXPECT_EQ(countRows(backup, u"Datos"_s), 50);
    EXPECT_LT(QFileInfo(db_.path).size(), before);
    EXPECT_EQ(leftovers(), (QStringList{QFileInfo(db_.path).fileName(), QFileInfo(backup).fileName()}));
}

TEST_F(CompactLocalTest, FileHeldByAnotherConnectionIsLeftInPlace)
{
    make(u"Datos.accdb"_s);
    o_.setConnectionType(2);
    auto holder = std::make_shared<db::Connection>();
    holder->Open(db_.connectionString());
    const qint64 before = QFileInfo(db_.path).size();

    const QString report = compact();
    const QString compacted = db_.dir.filePath(u"Datos_COMPACT.accdb"_s);
    EXPECT_TRUE(report.startsWith(u"<ERROR>Fichero Original: "_s)) << report.toStdString();
    EXPECT_TRUE(report.endsWith(u"Se ha dejado una copia del fichero compactado en la ruta: \r\n"_s + compacted +
                                QStringLiteral("\r\n\r\nSin embargo no ha podido sustituirse por la base de datos actual debido a "
                                               "que la misma se encuentra en uso.")))
        << report.toStdString();
    holder->Close();
    EXPECT_EQ(QFileInfo(db_.path).size(), before);
    EXPECT_EQ(countRows(db_.path, u"Datos"_s), 50);
    EXPECT_EQ(countRows(compacted, u"Datos"_s), 50);
    EXPECT_EQ(leftovers().size(), 3) << "database, backup and compacted copy";
}

TEST_F(CompactLocalTest, NamesComeFromTheExtensionAtTheEndOfThePathWhichMustHaveIt)
{
    make(u"copia.mdb.d/Datos.MDB"_s);
    const QString report = compact();
    EXPECT_TRUE(report.contains(u"Base de datos compactada con éxito."_s)) << report.toStdString();
    EXPECT_TRUE(report.contains(u"{3"_s + db_.dir.filePath(u"copia.mdb.d/Datos_"_s)));
    EXPECT_TRUE(QRegularExpression(u"_\\d{8}_\\d{6}\\.MDB\\}"_s).match(report).hasMatch());
    EXPECT_EQ(countRows(db_.path, u"Datos"_s), 50);

    // A path without the extension is an error and touches nothing, as is any other connection type.
    make(u"Datos.db"_s);
    const QString wrong = compact();
    EXPECT_TRUE(wrong.startsWith(u"{ERROR}Fichero Original: "_s)) << wrong.toStdString();
    EXPECT_TRUE(wrong.contains(u"ERROR: "_s));
    EXPECT_EQ(leftovers(), QStringList{"Datos.db"});

    o_.setConnectionType(0);
    const QString other = compact();
    EXPECT_TRUE(other.startsWith(u"{ERROR}"_s)) << other.toStdString();
    EXPECT_EQ(leftovers(), QStringList{"Datos.db"});
}

// ---- SQL Server -------------------------------------------------------------

class CompactSqlServerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        rec_ = db::RecordingBackend::install();
        o_.StartObject(u"srv"_s, u"Ventas"_s, u"sa"_s, u"pw"_s);
    }
    void TearDown() override { db::RecordingBackend::uninstall(); }

    static QString list(const QString& file = QString())
    {
        QString sql = QStringLiteral("SELECT name, physical_name, type_desc, size * 8 / 1024 AS MbSize From sys.master_files "
                                     "WHERE database_id = DB_ID('Ventas')");
        return file.isEmpty() ? sql + u" ORDER BY name"_s : sql + u" and name = '"_s + file + QLatin1Char('\'');
    }
    void answerFiles(const char* model)
    {
        const QStringList cols = {"name", "physical_name", "type_desc", "MbSize"};
        rec_->answerRows(list(), cols,
                         Rows{{Variant("Ventas"), Variant("/data/Ventas.mdf"), Variant("ROWS"), Variant(std::int32_t(10))},
                              {Variant("Ventas_log"), Variant("/data/Ventas_log.ldf"), Variant("LOG"), Variant(std::int32_t(5))}});
        rec_->answerRows(list(u"Ventas"_s), cols,
                         Rows{{Variant("Ventas"), Variant("/data/Ventas.mdf"), Variant("ROWS"), Variant(std::int32_t(8))}});
        rec_->answerRows(list(u"Ventas_log"_s), cols,
                         Rows{{Variant("Ventas_log"), Variant("/data/Ventas_log.ldf"), Variant("LOG"), Variant(std::int32_t(1))}});
        rec_->answerRows(kModel, {"name", "recovery_model_desc"}, Rows{{Variant("Ventas"), Variant(model)}});
    }
    QString compact(bool fileByFile)
    {
        QString s, d, u, p;
        return o_.CompactSQLServerDataBase(s, d, u, p, fileByFile);
    }

    const QString kModel = u"SELECT name, recovery_model_desc From sys.Databases WHERE name = 'Ventas'"_s;
    const QString kLogAdvice =
        u"Se recomienda realizar un Backup completo para reiniciar la cadena de backups tras el truncado del log."_s;
    std::shared_ptr<db::RecordingBackend> rec_;
    clsDO o_;
};

// The whole database at once, or file by file with a full recovery model switched
// to simple and back around the log.
TEST_F(CompactSqlServerTest, WholeDatabaseOrFileByFile)
{
    const QString files = u"\r\nVentas: Tamaño original=10 Mb, Tamaño final=8 Mb\r\nVentas_log: Tamaño original=5 Mb, Tamaño final=1 Mb\r\n"_s;
    const QString head = QStringList({list(), "DBCC SHRINKFILE (N'Ventas', TRUNCATEONLY)", list("Ventas"), kModel}).join(u'|');
    const QString tail = u"DBCC SHRINKFILE (N'Ventas_log', TRUNCATEONLY)|"_s + list("Ventas_log");
    const QString recovery = u"ALTER DATABASE [Ventas] SET RECOVERY "_s;
    const std::tuple<bool, const char*, QString, QString> cases[] = {
        {false, "FULL", u"RESULTADO COMPACTADO COMPLETO:\r\nVentas: Tamaño original=10 Mb, Tamaño final=10 Mb"
                        "\r\nVentas_log: Tamaño original=5 Mb, Tamaño final=5 Mb"_s,
         list() + u"|DBCC SHRINKDATABASE (Ventas)|"_s + list()},
        {true, "FULL", files + kLogAdvice, head + u'|' + recovery + u"SIMPLE|"_s + tail + u'|' + recovery + u"FULL"_s},
        {true, "SIMPLE", files + kLogAdvice, head + u'|' + tail},
    };
    for (const auto& [fileByFile, model, report, statements] : cases) {
        rec_ = db::RecordingBackend::install();
        answerFiles(model);
        EXPECT_EQ(compact(fileByFile), report) << model;
        EXPECT_EQ(rec_->statements().join(u'|'), statements);
    }
}

// A refused step ends the compaction naming the file or the recovery model,
// and a recovery model that was changed is set back.
TEST_F(CompactSqlServerTest, RefusedStepNamesTheFileOrTheModelAndRestoresTheModel)
{
    const QString done = u"ERROR\r\nVentas: Tamaño original=10 Mb, Tamaño final=8 Mb\r\n"_s, full = u"ALTER DATABASE [Ventas] SET RECOVERY "_s;
    const std::tuple<bool, QString, QString, QString> cases[] = {
        {false, u"DBCC SHRINKDATABASE (Ventas)"_s, u"ERROR\r\nNo se ha podido compactar el fichero Ventas."_s, u"DBCC SHRINKDATABASE (Ventas)"_s},
        {true, u"DBCC SHRINKFILE (N'Ventas_log', TRUNCATEONLY)"_s, done + u"No se ha podido compactar el fichero /data/Ventas_log.ldf."_s,
         full + u"FULL"_s},
        {true, full + u"SIMPLE"_s, done + u"No se ha podido cambiar el modelo de recuperación a SIMPLE."_s, full + u"SIMPLE"_s},
    };
    for (const auto& [fileByFile, refused, report, last] : cases) {
        rec_ = db::RecordingBackend::install();
        answerFiles("FULL");
        rec_->answerError(refused, db::errDatabase, u"no"_s);
        EXPECT_EQ(compact(fileByFile), report + u" Compruebe que dispone de permiso de administrador."_s);
        EXPECT_EQ(rec_->statements().last(), last) << "nothing runs after the refused step but the model set back";
    }
}
