// The services object's own scrambling routine and the scrambling component
// that keeps the server link's password.
#include "services/Scrambling.h"
#include "services/clsEncript.h"
#include "services/clsTablas.h"

#include <bit>
#include <gtest/gtest.h>
#include <vector>

namespace {

// Digits drawn in the order given, then 1, 2, 3 for ever.
Scrambling::Draw draws(std::vector<int> digits)
{
    auto queue = std::make_shared<std::vector<int>>(std::move(digits));
    return [queue] {
        static const int tail[] = {1, 2, 3};
        static int i = 0;
        if (!queue->empty()) {
            const int d = queue->front();
            queue->erase(queue->begin());
            return d;
        }
        return tail[i++ % 3];
    };
}

TEST(Scrambling, SameKeyUndoesTheTransformation)
{
    clsTablas svc;
    for (const QString& plain : {QStringLiteral("Secreto 2024"), QStringLiteral("ñandú€"), QStringLiteral("a")}) {
        QString key = QStringLiteral("135");
        const QString scrambled = svc.EncriptDecript(key, plain);
        EXPECT_EQ(key, "135");
        EXPECT_NE(scrambled, plain);
        EXPECT_EQ(svc.EncriptDecript(key, scrambled), plain);
    }
    // Bits 1, 3 and 5 of "A" (65) inverted give 65 ^ 42 = 107, "k".
    QString key = QStringLiteral("135");
    EXPECT_EQ(svc.EncriptDecript(key, QStringLiteral("A")), QStringLiteral("k"));
}

TEST(Scrambling, DrawnKeyIsReturnedAndAvoidsQuotesAndZeros)
{
    clsTablas svc;
    // ")" (41) with bits 1, 2 and 3 inverted is "'" (39): the first key drawn is refused.
    svc.setDigitDraw(draws({1, 2, 3, 4, 5, 6}));
    QString key;
    const QString scrambled = svc.EncriptDecript(key, QStringLiteral("m)"));
    EXPECT_EQ(key, "456");
    EXPECT_FALSE(scrambled.contains(QLatin1Char('\'')));
    EXPECT_FALSE(scrambled.contains(QChar(0)));
    EXPECT_EQ(svc.EncriptDecript(key, scrambled), QStringLiteral("m)"));

    QString empty;
    svc.setDigitDraw(draws({4, 4, 6, 6, 6, 2}));
    EXPECT_EQ(svc.EncriptDecript(empty, QString()), QString());
    EXPECT_EQ(empty, "462") << "repeated digits are drawn again";
}

TEST(Scrambling, GivenKeyIsKeptEvenWhenTheResultHoldsAQuote)
{
    clsTablas svc;
    svc.setDigitDraw(draws({5, 6, 7}));
    // A blank (32) with bits 0, 1 and 2 inverted is "'" (39): reading a stored
    // text back must give exactly that, with the key the caller stored.
    QString key = QStringLiteral("012");
    EXPECT_EQ(svc.EncriptDecript(key, QStringLiteral(" a")), QStringLiteral("'f"));
    EXPECT_EQ(key, "012");
}

TEST(Scrambling, KeyDigitsAboveSevenEndTheList)
{
    clsTablas svc;
    QString key = QStringLiteral("812");
    EXPECT_EQ(svc.EncriptDecript(key, QStringLiteral("Hola")), QStringLiteral("Hola"));
    key = QStringLiteral("192");
    EXPECT_EQ(svc.EncriptDecript(key, QStringLiteral("A")), QStringLiteral("C")) << "only bit 1";
    key = QStringLiteral("12");
    EXPECT_EQ(svc.EncriptDecript(key, QStringLiteral("A")), QString()) << "a key of another length is refused";
    key = QStringLiteral("1a2");
    EXPECT_EQ(svc.EncriptDecript(key, QStringLiteral("A")), QString());
}

TEST(Scrambling, GeneratedDigitsDiffer)
{
    clsTablas svc;
    for (int i = 0; i < 50; ++i) {
        std::int16_t a = 0, b = 0, c = 0;
        EXPECT_FALSE(svc.GenerateNumber(a, b, c));
        EXPECT_TRUE(a >= 1 && a <= 7 && b >= 1 && b <= 7 && c >= 1 && c <= 7);
        EXPECT_TRUE(a != b && b != c && a != c);
    }
}

TEST(Scrambling, TextsThatNoKeyCanStoreGiveNothingInsteadOfLooping)
{
    // Every character with exactly three of bits 1-7 set: each key turns one of them into code 0.
    QString all;
    for (int c = 0; c < 256; ++c)
        if (!(c & 1) && std::popcount(unsigned(c)) == 3)
            all += Scrambling::ansiChar(c);
    QString key;
    EXPECT_EQ(Scrambling::EncriptDecript(key, all), QString());
}

TEST(EncriptComponent, ReadsBackAndStaysPrintable)
{
    clsEncript e;
    for (const QString& plain : {QStringLiteral("Clave1"), QStringLiteral("EEOOE"), QStringLiteral("a b'c\"d;e=f"),
                                 QStringLiteral("zZ09"), QString()}) {
        const QString stored = e.EncriptDecript(QStringLiteral("062"), plain);
        EXPECT_EQ(e.EncriptDecript(QStringLiteral("062"), stored), plain);
        for (QChar c : stored)
            EXPECT_TRUE(c.isPrint()) << int(c.unicode());
    }
    EXPECT_NE(e.EncriptDecript(QStringLiteral("062"), QStringLiteral("Clave1")), QStringLiteral("Clave1"));
}

} // namespace
