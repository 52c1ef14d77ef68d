#include "core/Collection.h"
#include "core/Error.h"
#include "ErrorOf.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

TEST(Collection, KeysMatchWithoutRegardToCase)
{
    Collection c;
    c.Add(Variant("a"), "Nombre");
    c.Add(Variant("b"), "AÑO");
    c.Add(Variant("c"), "Éxito");
    for (const auto& [key, item] : {std::pair{"NOMBRE", "a"}, {"nombre", "a"}, {"año", "b"}, {"éXITO", "c"}})
        EXPECT_EQ(c.Item(Variant(key)).toString(), item) << key;
    EXPECT_EQ((std::vector<bool>{c.Exists("aÑo"), c.Exists("ano"), c.Exists("")}), (std::vector<bool>{true, false, false}));
    EXPECT_EQ(errorOf([&] { c.Add(Variant("d"), "nombre"); }), Error::KeyAlreadyAssociated);
    // The key as it was given.
    EXPECT_EQ((std::tuple{c.IndexOf("ÉXITO"), c.KeyAt(2), c.Count()}), (std::tuple{3, QString("AÑO"), 3}));
}

TEST(Collection, PositionsAreOneBasedAndMissingItemsRaise)
{
    Collection c;
    c.Add(Variant("a"));
    c.Add(Variant("b"), "k");
    EXPECT_EQ((QStringList{c.Item(Variant(std::int32_t(1))).toString(), c[2].toString(), c.Item(Variant(2.0)).toString(),
                           c.KeyAt(1)}),
              (QStringList{"a", "b", "b", ""}));
    for (const auto& call : std::initializer_list<std::function<void()>>{
             [&] { c.Item(Variant(std::int32_t(0))); }, [&] { c.Item(Variant(std::int32_t(3))); },
             [&] { c.Item(Variant("nope")); }, [&] { c.Remove(Variant("nope")); }, [&] { c.KeyAt(9); }})
        EXPECT_EQ(errorOf(call), Error::InvalidProcedureCall);
}

TEST(Collection, AddBeforeAfterAndRemoveKeepKeysInStep)
{
    Collection c;
    // The order, an item by key, a position by key and the count, after each step.
    const auto state = [&c](const char* key, const char* indexed) {
        QString order;
        for (const Variant& v : c)
            order += v.toString();
        return std::tuple{order, c.Item(Variant(key)).toString(), c.IndexOf(indexed), c.Count()};
    };
    c.Add(Variant("a"), "ka");
    c.Add(Variant("c"), "kc");
    c.Add(Variant("b"), "kb", Variant(std::int32_t(2)));        // before position 2
    c.Add(Variant("d"), "kd", Variant(), Variant("KC"));        // after key kc
    c.Add(Variant("0"), "k0", Variant("ka"));                   // before key ka
    EXPECT_EQ(errorOf([&] { c.Add(Variant("x"), "kx", Variant(std::int32_t(9))); }), Error::InvalidProcedureCall);
    EXPECT_EQ(state("kc", "kd"), (std::tuple{QString("0abcd"), QString("c"), 5, 5}));
    c.Remove(Variant("KB"));
    EXPECT_EQ(state("kd", "kd"), (std::tuple{QString("0acd"), QString("d"), 4, 4}));
    EXPECT_FALSE(c.Exists("kb"));
    c.Remove(Variant(std::int32_t(1)));
    c.Add(Variant("b"), "kb"); // a removed key can be used again
    EXPECT_EQ(state("kb", "ka"), (std::tuple{QString("acdb"), QString("b"), 1, 4}));
    c.Clear();
    EXPECT_EQ(c.Count(), 0);
    EXPECT_FALSE(c.Exists("ka"));
}

TEST(Collection, KeysStayInStepThroughManyInsertsAndRemovals)
{
    // Checked against a plain list of the keys after every step.
    Collection c;
    std::vector<QString> model;
    QRandomGenerator rng(7);
    for (int step = 0, next = 0; step < 3000; ++step) {
        const int n = int(model.size()), op = int(rng.bounded(4));
        if (op < 2 || n == 0) {
            const QString key = QStringLiteral("K%1").arg(next++);
            const int pos = int(rng.bounded(n + 1)); // 0-based, n = at the end
            if (pos == n)
                c.Add(Variant(key), key);
            else
                c.Add(Variant(key), key, Variant(std::int32_t(pos + 1)));
            model.insert(model.begin() + pos, key);
        } else {
            const int pos = int(rng.bounded(n)); // by key, or by position
            c.Remove(op == 2 ? Variant(model[std::size_t(pos)].toLower()) : Variant(std::int32_t(pos + 1)));
            model.erase(model.begin() + pos);
        }
        ASSERT_EQ(c.Count(), int(model.size()));
        if (!model.empty()) {
            const int probe = int(rng.bounded(int(model.size())));
            ASSERT_EQ(c.IndexOf(model[std::size_t(probe)]), probe + 1) << "step " << step;
            ASSERT_EQ(c.Item(Variant(model[std::size_t(probe)])).toString(), model[std::size_t(probe)]);
        }
    }
    for (int i = 0; i < int(model.size()); ++i)
        ASSERT_EQ(c.IndexOf(model[std::size_t(i)]), i + 1);
}

TEST(Collection, ItemsAreSharedObjectsAndWritable)
{
    auto outer = newCollection();
    auto inner = newCollection();
    outer->Add(Variant(inner), "Fields");
    outer->Item(Variant("fields")).as<Collection>()->Add(Variant(std::int32_t(7)), "x");
    outer->Item(Variant("FIELDS")) = Variant("replaced");
    EXPECT_EQ((std::pair{inner->Count(), outer->Item(Variant("Fields")).toString()}), (std::pair{1, QString("replaced")}));
}
