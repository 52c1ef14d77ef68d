#include "messages/clsError.h"

#include "FakeTranslationStore.h"

#include <gtest/gtest.h>

namespace {
struct Translation : ::testing::Test {
    clsError msg;
    std::shared_ptr<FakeTranslationStore> store = std::make_shared<FakeTranslationStore>();
    void SetUp() override { msg.setTranslationStore(store); }
};
} // namespace

TEST_F(Translation, BlocksAreStrippedInOriginalModeAndTheirValuesComeBackIntoTheTranslationOtherwise)
{
    msg.setLanguage("Original");
    // A "{" without a "}" after it is plain text.
    for (auto [in, out] : std::initializer_list<std::pair<const char*, const char*>>{
             {"", ""}, {"   ", ""}, {"12,50", "12,50"}, {"{1}", ""},
             {"Tiempo Total de Carga: {10,53}", "Tiempo Total de Carga: 0,53"},
             {"{1FRMMAIN.FORM_LOAD}\r\nError: x", "FRMMAIN.FORM_LOAD\r\nError: x"},
             {"Total {1abc", "Total {1abc"}, {"a {", "a {"}})
        EXPECT_EQ(msg.Translate(in), out) << in;
    EXPECT_TRUE(store->statements.isEmpty());
    EXPECT_EQ(msg.UnDoTranslate("Hola {2x}"), "Hola x");

    // An empty language counts as "Original"; without a store nothing fails then.
    clsError bare;
    EXPECT_EQ(bare.Translate("Hola {1x}"), "Hola x");
    EXPECT_EQ(bare.Language(), "ORIGINAL");
    store->addRow("Registro {1} de {2}", 2, "Record {1} of {2}");
    store->addRow("Sin traducir", 2, "");
    msg.setLanguage("Language2");
    ASSERT_EQ(store->statements, QStringList{"SELECT Original, Language2 FROM [Translate]"});
    // Any letter case finds the row; values keep their line breaks and quotes; the same tag twice gives both
    // markers the first value; an unbalanced "{" is plain text, looked up as it stands; a row without a
    // translation gives the Spanish text, found in the database.
    for (auto [in, look, out] : std::initializer_list<std::tuple<const char*, bool, const char*>>{
             {"Registro {15} de {29}", true, "Record 5 of 9"}, {"REGISTRO {15} DE {29}", true, "Record 5 of 9"},
             {"Registro {15} de {2\r\n\r\nUPDATE X SET a = 'b'}", true, "Record 5 of \r\n\r\nUPDATE X SET a = 'b'"},
             {"12", true, "12"}, {"Registro {1a} de {1b}", false, "Registro a de a"},
             {"Total {1abc", false, "Total {1abc"}, {"Registro {15} de {", false, "Registro 5 de {"},
             {"Sin traducir", true, "Sin traducir"}})
        EXPECT_EQ(msg.Translate(in, look), out) << in;
    // The cache answers the rows it holds.
    const QString find = "SELECT Language2 FROM [Translate] WHERE Original = ";
    EXPECT_EQ(store->statements,
              (QStringList{"SELECT Original, Language2 FROM [Translate]", find + "'Registro {1} de {1}'",
                           find + "'Total {1abc'", find + "'Registro {1} de {'", find + "'Sin traducir'"}));
    msg.setLanguage("Language1");
    EXPECT_EQ(msg.Translate("L'hora {1d'Ana}", false, "frm'X.lbl"), "L'hora d'Ana");
    EXPECT_EQ(store->statements.last(), "SELECT Language1 FROM [Translate] WHERE Original = 'L''hora {1}'");
    EXPECT_TRUE(store->inserts().isEmpty());
    for (int twice = 0; twice < 2; ++twice)
        EXPECT_EQ(msg.Translate("L'hora {1d'Ana}", true, "frm'X.lbl"), "L'hora d'Ana");
    EXPECT_EQ(store->inserts(),
              QStringList{"INSERT INTO [Translate] VALUES('L''hora {1}', '', '', '', '', '', 'frm''X.lbl')"});
    store->translate.back()[1] = "The hour {1}";
    EXPECT_EQ(msg.Translate("L'hora {1d'Ana}"), "The hour d'Ana");
    EXPECT_EQ(msg.UnDoTranslate("The hour {1x}"), "L'hora x");
}

TEST_F(Translation, LongTextsGoToTheHugeTableOnlyKnownLanguagesReachTheDatabaseAndFailuresReachTheCaller)
{
    msg.setLanguage("Language3");
    const QString text = QString(300, 'x');
    EXPECT_EQ(msg.Translate(text, true, "frmMain"), text);
    ASSERT_EQ(store->inserts().size(), 1);
    EXPECT_EQ(store->huge.back(), (QStringList{QString(255, 'x'), text, "", "", "", "", "", "frmMain"}));
    store->huge.back()[4] = "traduit";
    EXPECT_EQ(msg.Translate(text), "traduit");
    EXPECT_EQ(store->inserts().size(), 1);

    // A cut that would fall between the two quotes of a doubled quote stops before them.
    const QString quoted = QString(254, 'y') + "'" + QString(50, 'z');
    EXPECT_EQ(msg.Translate(quoted, true, "o") + msg.Translate(quoted, true, "o"), quoted + quoted);
    EXPECT_EQ(store->huge.back().mid(0, 2), (QStringList{QString(254, 'y'), quoted}));
    EXPECT_EQ(store->inserts().size(), 2);
    // A text of exactly 255 quote-doubled characters stays in the short table.
    msg.Translate(QString(253, 'w') + "'");
    EXPECT_TRUE(store->inserts().last().startsWith("INSERT INTO [Translate]"));
    store->statements.clear();
    for (const char* bad : {"Language1 FROM x; DROP TABLE Translate --", "Language6"}) {
        msg.setLanguage(bad);
        EXPECT_EQ(msg.Language(), "Original") << bad;
    }
    EXPECT_EQ(msg.Translate("Hola"), "Hola");
    EXPECT_TRUE(store->statements.isEmpty());
    msg.setLanguage("language4");
    EXPECT_EQ(msg.Language(), "Language4");
    EXPECT_EQ(store->statements.last(), "SELECT Original, Language4 FROM [Translate]");
    msg.setLanguage("Language1");
    store->failQueries = true;
    EXPECT_THROW(msg.Translate("Hola"), Error);
    clsError noStore;
    EXPECT_THROW(noStore.setLanguage("Language1"), Error);
    // The dialog shows the text untranslated then.
    QString body = "Hola", title = "T";
    noStore.setSilent(true);
    EXPECT_EQ(noStore.MsgBox(body, 0, title), 3);
    EXPECT_EQ(body, "\r\nHola");
}

