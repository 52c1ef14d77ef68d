// Text translation through the data-access object on the translation
// database the build produces.
#include "messages/clsError.h"

#include "core/Dialogs.h"
#include "data/clsDO.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

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

    // The rows of a statement, each as its list of values.
    QList<QStringList> rows(const QString& sql)
    {
        QString statement = sql;
        const auto found =
            nesko->Query(statement, QString(), QString(), QString(), QString(), "Collection").as<Collection>();
        QList<QStringList> out;
        for (std::int32_t r = 1; found && r <= found->Count(); ++r) {
            const auto record = found->Item(Variant(r)).as<Collection>();
            out.append(QStringList());
            for (std::int32_t c = 1; c <= record->Count(); ++c)
                out.last() << record->Item(Variant(c)).toString();
        }
        return out;
    }
};
} // namespace

TEST_F(TranslationDatabase, EveryTextOfTheSourceHasItsFiveLanguagesAndNewTextsAreRegisteredOnce)
{
    QFile f(QStringLiteral(VELMORA_TRANSLATE_TSV));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QList<QStringList> source;
    // The source writes a line break as "\r\n"; no text holds another escape.
    for (QString line : QString::fromUtf8(f.readAll()).split('\n'))
        if (!line.trimmed().isEmpty() && !line.startsWith('#'))
            source << line.replace("\\r", "\r").replace("\\n", "\n").split('\t');
    ASSERT_GT(source.size(), 20);
    EXPECT_EQ(rows("SELECT Original FROM [Translate]").size() + rows("SELECT Original FROM TranslateHuge").size(),
              source.size());
    // Each language finds every text as it reaches Translate (its markers as empty blocks).
    static const QRegularExpression marker(QStringLiteral("\\{.\\}"));
    for (int l = 1; l <= 5; ++l) {
        msg.setLanguage(QStringLiteral("Language%1").arg(l));
        for (const QStringList& row : source) {
            SCOPED_TRACE(row[0].toStdString());
            ASSERT_EQ(row.size(), 7);
            EXPECT_FALSE(row[l].trimmed().isEmpty());
            EXPECT_EQ(msg.Translate(row[0], false), QString(row[l]).remove(marker));
        }
    }
    // Block values and letter case are the translation's own business (see the translation tests).

    // A new text is added once, with its owner; letter case does not make it new.
    const QString song = QString::fromUtf8("Canción de l'été");
    EXPECT_EQ(msg.Translate(song, false, "frmX.lbl"), song);
    EXPECT_TRUE(rows("SELECT Owner FROM [Translate] WHERE Owner = 'frmX.lbl'").isEmpty());
    EXPECT_EQ(msg.Translate(song, true, "frmX.lbl"), song);
    EXPECT_EQ(msg.Translate(song.toUpper(), true, "frmX.lbl"), song.toUpper());
    EXPECT_EQ(rows("SELECT Original, Language1, Owner FROM [Translate] WHERE Owner = 'frmX.lbl'"),
              (QList<QStringList>{{song, "", "frmX.lbl"}}));

    // Long texts go to TranslateHuge.
    const QString longText = QString(300, 'x') + "'";
    EXPECT_EQ(msg.Translate(longText, true, "frmLargo"), longText);
    EXPECT_EQ(msg.Translate(longText, true, "frmLargo"), longText);
    EXPECT_EQ(rows("SELECT OriginalCode, Original, Owner FROM TranslateHuge WHERE Owner = 'frmLargo'"),
              (QList<QStringList>{{QString(255, 'x'), longText, "frmLargo"}}));
    EXPECT_TRUE(notices->calls.empty());
}

