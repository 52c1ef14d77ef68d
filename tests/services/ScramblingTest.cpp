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
Scrambling::Draw draws(const QList<int>& digits)
{
    return [queue = std::make_shared<QList<int>>(digits), next = std::make_shared<int>(0)] {
        return queue->isEmpty() ? (*next)++ % 3 + 1 : queue->takeFirst();
    };
}

TEST(Scrambling, GivenKeyUndoesItselfAndIsNeverReplaced)
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
    QString key = QStringLiteral("135");
    EXPECT_EQ(svc.EncriptDecript(key, QStringLiteral("A")), QStringLiteral("k")) << "65 ^ 42 = 107";
    // A blank (32) with bits 0, 1 and 2 inverted is "'" (39): reading a stored
    // text back must give exactly that, with the key the caller stored.
    key = QStringLiteral("012");
    EXPECT_EQ(svc.EncriptDecript(key, QStringLiteral(" a")), QStringLiteral("'f"));
    EXPECT_EQ(key, "012");

    key = QStringLiteral("812");
    EXPECT_EQ(svc.EncriptDecript(key, QStringLiteral("Hola")), QStringLiteral("Hola")) << "8 ends the list";
    key = QStringLiteral("192");
    EXPECT_EQ(svc.EncriptDecript(key, QStringLiteral("A")), QStringLiteral("C")) << "only bit 1";
    for (const char* bad : {"12", "1a2"}) {
        key = QString::fromUtf8(bad);
        EXPECT_EQ(svc.EncriptDecript(key, QStringLiteral("A")), QString()) << bad;
    }
}

TEST(Scrambling, DrawnKeyAvoidsQuotesAndZerosAndIsBounded)
{
    clsTablas svc;
    // ")" (41) with bits 1, 2 and 3 inverted is "'" (39): the first key drawn is refused.
    svc.setDigitDraw(draws({1, 2, 3, 4, 5, 6}));
    QString key;
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
