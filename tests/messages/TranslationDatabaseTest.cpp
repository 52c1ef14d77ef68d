// Text translation through the data-access object on the translation
// database the build produces.
#include "messages/clsError.h"

#include "core/Dialogs.h"
#include "data/clsDO.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextStream>
#include <gtest/gtest.h>

namespace {

QString unescape(const QString& field)
{
    QString out;
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 1 < field.size()) {
            const QChar n = field[++i];
            out += n == 'r' ? QChar('\r') : n == 'n' ? QChar('\n') : n == 't' ? QChar('\t') : n;
            continue;
        }
        out += field[i];
    }
    return out;
}

QList<QStringList> sourceRows()
{
    QFile f(QStringLiteral(VELMORA_TRANSLATE_TSV));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly | QIODevice::Text));
    QTextStream in(&f);
    in.setEncoding(QStringConverter::Utf8);
    QList<QStringList> rows;
    while (!in.atEnd()) {
        const QString line = in.readLine();
        if (line.trimmed().isEmpty() || line.startsWith('#'))
            continue;
        QStringList fields = line.split('\t');
        for (QString& field : fields)
            field = unescape(field);
        rows << fields;
    }
    return rows;
}

// A data-access object on a copy of the built translation database, as the
// main window points it: a local .mdb file, driver 1.
struct TranslationDatabase : ::testing::Test {
    QTemporaryDir dir;
    QString path;
    std::shared_ptr<clsDO> nesko = std::make_shared<clsDO>();
    clsError msg;
    ScopedRecordingDialogs notices;

    void SetUp() override
    {
        path = dir.filePath("translate.vrx");
        ASSERT_TRUE(QFile::copy(QStringLiteral(VELMORA_TRANSLATE_VRX), path));
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        nesko->setConnectionType(1);
        nesko->setUsedDriver(1);
        nesko->setSQLProvider("Microsoft.Jet.OLEDB.4.0");
        nesko->StartObject(QString(), path, QString(), QString());
        msg.setNesko(nesko);
    }

    CollectionPtr rows(const QString& sql)
    {
        QString statement = sql;
        return nesko->Query(statement, QString(), QString(), QString(), QString(), "Collection").as<Collection>();
    }
};
} // namespace

TEST_F(TranslationDatabase, EveryTextOfTheSourceHasItsFiveLanguages)
{
    const auto source = sourceRows();
    ASSERT_GT(source.size(), 20);
    const auto stored =
        rows("SELECT Original, Language1, Language2, Language3, Language4, Language5, Owner FROM [Translate]");
    const auto storedHuge = rows("SELECT Original, Language1, Language2, Language3, Language4, Language5, Owner "
                                 "FROM TranslateHuge");
    EXPECT_EQ((stored ? stored->Count() : 0) + (storedHuge ? storedHuge->Count() : 0), source.size());
    for (const QStringList& row : source) {
        SCOPED_TRACE(row[0].toStdString());
        ASSERT_EQ(row.size(), 7);
        const CollectionPtr table = stored && stored->Exists("#" + row[0]) ? stored : storedHuge;
        ASSERT_TRUE(table && table->Exists("#" + row[0]));
        const auto record = table->Item(Variant("#" + row[0])).as<Collection>();
        for (int l = 1; l <= 6; ++l)
            EXPECT_EQ(record->Item(Variant(std::int32_t(l + 1))).toString(), row[l]);
    }
    // Each language finds every text as it reaches Translate (its markers as empty blocks).
    static const QRegularExpression marker(QStringLiteral("\\{.\\}"));
    for (int l = 1; l <= 5; ++l) {
        msg.setLanguage(QStringLiteral("Language%1").arg(l));
        for (const QStringList& row : source) {
            SCOPED_TRACE(row[0].toStdString());
            EXPECT_EQ(msg.Translate(row[0], false), QString(row[l]).remove(marker));
        }
    }
    EXPECT_TRUE(notices->calls.empty());
}

TEST_F(TranslationDatabase, TranslatesRegistersAndMatchesWithoutRegardToCase)
{
    msg.setLanguage("Language1");
    EXPECT_EQ(msg.Translate("Registro {15} de {29}"), "Record 5 of 9");
    EXPECT_EQ(msg.Translate(QString::fromUtf8("INFORME DE ESTE MENSAJE AL DEPARTAMENTO TÉCNICO")),
              "Please report this message to the Technical Department");
    msg.setLanguage("Language3");
    EXPECT_EQ(msg.Translate("&Cancelar", true, "frmMsgBox"), "Abbre&chen");

    // A new text is added once, with its owner; letter case does not make it new.
    const QString song = QString::fromUtf8("Canción de l'été");
    EXPECT_EQ(msg.Translate(song, false, "frmX.lbl"), song);
    EXPECT_FALSE(rows("SELECT Owner FROM [Translate] WHERE Owner = 'frmX.lbl'"));
    EXPECT_EQ(msg.Translate(song, true, "frmX.lbl"), song);
    EXPECT_EQ(msg.Translate(song.toUpper(), true, "frmX.lbl"), song.toUpper());
    const auto added = rows("SELECT Original, Language1, Owner FROM [Translate] WHERE Owner = 'frmX.lbl'");
    ASSERT_TRUE(added);
    ASSERT_EQ(added->Count(), 1);
    const auto record = added->Item(Variant(std::int32_t(1))).as<Collection>();
    EXPECT_EQ(record->Item(Variant(std::int32_t(1))).toString(), song);
    EXPECT_EQ(record->Item(Variant(std::int32_t(2))).toString(), "");

    // Long texts go to TranslateHuge.
    const QString longText = QString(300, 'x') + "'";
    EXPECT_EQ(msg.Translate(longText, true, "frmLargo"), longText);
    EXPECT_EQ(msg.Translate(longText, true, "frmLargo"), longText);
    const auto huge = rows("SELECT OriginalCode, Original, Owner FROM TranslateHuge");
    ASSERT_TRUE(huge);
    ASSERT_EQ(huge->Count(), 1);
    const auto hugeRecord = huge->Item(Variant(std::int32_t(1))).as<Collection>();
    EXPECT_EQ(hugeRecord->Item(Variant(std::int32_t(1))).toString(), QString(255, 'x'));
    EXPECT_EQ(hugeRecord->Item(Variant(std::int32_t(2))).toString(), longText);
    EXPECT_EQ(hugeRecord->Item(Variant(std::int32_t(3))).toString(), "frmLargo");
    EXPECT_TRUE(notices->calls.empty());
}

TEST_F(TranslationDatabase, NoticesOfTheRecordEngineComeBackWithTheirValues)
{
    msg.setLanguage("Language1");
    const int before = rows("SELECT Original FROM [Translate]")->Count();
    // As the record engine builds it: the counts and the statement in BraceBlocks.
    const QString body = QString::fromUtf8("No se ha guardado ningún cambio: una sentencia ha afectado a ") +
                         BraceBlock(1, "3") + QString::fromUtf8(" registros y debía afectar a ") + BraceBlock(2, "1") +
                         "." + BraceBlock(3, "\r\n\r\nUPDATE [Clientes] SET Nombre = 'Ana'");
    EXPECT_EQ(msg.Translate(body),
              "No change has been saved: a statement affected 3 records and should have affected 1.\r\n\r\n"
              "UPDATE [Clientes] SET Nombre = 'Ana'");
    msg.setLanguage("Language3");
    EXPECT_EQ(msg.Translate(QString::fromUtf8("No se ha guardado ningún cambio: la base de datos ha rechazado una "
                                              "sentencia.") +
                            BraceBlock(1, "\r\n\r\nDELETE FROM X") + BraceBlock(2, "\r\n\r\nlocked")),
              QString::fromUtf8("Es wurde keine Änderung gespeichert: Die Datenbank hat eine Anweisung abgelehnt.\r\n\r\n"
                                "DELETE FROM X\r\n\r\nlocked"));
    EXPECT_EQ(rows("SELECT Original FROM [Translate]")->Count(), before);
    EXPECT_TRUE(notices->calls.empty());
}
