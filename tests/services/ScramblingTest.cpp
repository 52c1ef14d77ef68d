// The services object's own scrambling routine and the scrambling component
// that keeps the server link's password.
#include "services/clsEncript.h"
#include "services/clsTablas.h"

#include <array>
#include <bit>
#include <gtest/gtest.h>

namespace {

// Digits drawn in the order given, then 1, 2, 3 for ever.
Scrambling::Draw draws(const QList<int>& digits)
{
    return [queue = std::make_shared<QList<int>>(digits), next = std::make_shared<int>(0)] {
        return queue->isEmpty() ? (*next)++ % 3 + 1 : queue->takeFirst();
    };
}

TEST(Scrambling, GivenKeyUndoesItselfAndIsNeverReplacedADrawnKeyAvoidsQuotesAndZerosAndIsBounded)
{
    clsTablas svc;
    svc.setDigitDraw(draws({5, 6, 7}));
    for (const QString& plain : {QStringLiteral("Secreto 2024"), QStringLiteral("ñandú€")}) {
        QString key = QStringLiteral("135");
        const QString scrambled = svc.EncriptDecript(key, plain);
        EXPECT_NE(scrambled, plain);
        EXPECT_EQ(svc.EncriptDecript(key, scrambled), plain);
        EXPECT_EQ(key, "135");
    }
    // The key, a text and the text scrambled: 65 ^ 42 = 107; a blank (32) with bits 0, 1 and 2 inverted is
    // "'" (39), which a stored text must read back as; 8 ends the list; 9 is no bit; a bad key gives nothing.
    for (auto [k, plain, scrambled] : std::initializer_list<std::array<const char*, 3>>{
             {"135", "A", "k"}, {"012", " a", "'f"}, {"812", "Hola", "Hola"}, {"192", "A", "C"}, {"12", "A", ""},
             {"1a2", "A", ""}}) {
        QString key = QString::fromUtf8(k);
        EXPECT_EQ(svc.EncriptDecript(key, QString::fromUtf8(plain)), QString::fromUtf8(scrambled)) << k;
        EXPECT_EQ(key, QString::fromUtf8(k)) << "the caller's key is never replaced";
    }
    QString key;
    // ")" (41) with bits 1, 2 and 3 inverted is "'" (39): the first key drawn is refused.
    svc.setDigitDraw(draws({1, 2, 3, 4, 5, 6}));
    const QString scrambled = svc.EncriptDecript(key, QStringLiteral("m)"));
    EXPECT_EQ(key, "456");
    EXPECT_EQ(svc.EncriptDecript(key, scrambled), QStringLiteral("m)"));

    key.clear();
    svc.setDigitDraw(draws({4, 4, 6, 6, 6, 2}));
    EXPECT_EQ(svc.EncriptDecript(key, QString()), QString());
    EXPECT_EQ(key, "462") << "repeated digits are drawn again";

    // Every character with exactly three of bits 1-7 set: each key turns one of them into code 0.
    QString all;
    for (int c = 0; c < 256; ++c)
        if (!(c & 1) && std::popcount(unsigned(c)) == 3)
            all += Scrambling::ansiChar(c);
    key.clear();
    EXPECT_EQ(Scrambling::EncriptDecript(key, all), QString());
}

TEST(EncriptComponent, EveryTextReadsBackAndVisibleTextsStayStorable)
{
    clsEncript e;
    const QString key = QStringLiteral("062");
    QString all;
    for (char16_t c = 1; c < 0x180; ++c)
        all += QChar(c);
    all += QStringLiteral("€");
    EXPECT_EQ(e.EncriptDecript(key, e.EncriptDecript(key, all)), all);

    const QString password = QStringLiteral("EHOLeClave1a'b\"c;d=f");
    const QString stored = e.EncriptDecript(key, password);
    EXPECT_NE(stored, password);
    for (QChar c : stored)
        EXPECT_TRUE(c.unicode() > 0x20 && c.unicode() < 0x7F) << int(c.unicode());
}

} // namespace
