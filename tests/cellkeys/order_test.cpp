#include "cellkeys.h"
#include "key_test_util.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using keytest::key_of;

namespace {
std::int32_t collate(CellKey a, CellKey b)
{
    std::int32_t r = 99;
    ck_collate(&a, &b, &r);
    return r;
}
std::int32_t collate_at(CellKey a, CellKey b, std::int32_t n)
{
    std::int32_t r = 99;
    ck_collate_at(&a, &b, &n, &r);
    return r;
}
}  // namespace

TEST(order, known_comparisons)
{
    EXPECT_EQ(collate(key_of({3}), key_of({3, 0})), -1);
    EXPECT_EQ(collate(key_of({3, 0}), key_of({3})), 1);
    EXPECT_EQ(collate(key_of({3}), key_of({3, 5})), -1);
    EXPECT_EQ(collate(key_of({3, 1}), key_of({3, 0, 5})), 1);
    EXPECT_EQ(collate(key_of({3, 0}), key_of({3, 0, 5})), -1);
    EXPECT_EQ(collate(key_of({3, 0, 5}), key_of({3, 0, 5})), 0);
    EXPECT_EQ(collate(CellKey{0, 0}, CellKey{0, 0}), 0);
    EXPECT_EQ(collate_at(key_of({3, 5}), key_of({3, 1}), 1), 0);
    EXPECT_EQ(collate_at(key_of({3, 5}), key_of({3, 1}), 2), 1);
    EXPECT_EQ(collate_at(key_of({3, 1}), key_of({3, 5}), 2), -1);
    EXPECT_EQ(collate_at(key_of({3}), key_of({3, 0}), 1), 0);
}

TEST(order, collate_at_below_level_1_compares_the_level_1_digits)
{
    EXPECT_EQ(collate_at(key_of({2, 7}), key_of({3, 0}), 0), -1);
    EXPECT_EQ(collate_at(key_of({3, 7}), key_of({3, 0}), -5), 0);
    EXPECT_EQ(collate_at(key_of({4}), key_of({3}), -100000), 1);
}

TEST(order, agrees_with_the_model_on_every_pair_of_levels_0_to_3)
{
    const std::vector<CellKey> keys = keytest::all_keys(3);
    for (CellKey a : keys)
        for (CellKey b : keys) {
            ASSERT_EQ(collate(a, b), keymodel::collate(keytest::model(a), keytest::model(b)));
            const std::int32_t n = 1 + (a.word1 + b.word1) % 18;
            ASSERT_EQ(collate_at(a, b, n),
                      keymodel::collate_at(keytest::model(a), keytest::model(b), n));
        }
}

TEST(order, agrees_with_the_model_on_deep_samples_with_shared_prefixes)
{
    std::vector<CellKey> keys = keytest::sample_keys(0, 18, 3000);
    // Ancestors of sampled keys give long shared prefixes and level ties.
    for (std::size_t c = 0; c < 1000; ++c) {
        CellKey a = keys[c];
        std::int32_t n = static_cast<std::int32_t>(c % 19);
        ck_truncate_to(&a, &n);
        keys.push_back(a);
    }
    for (std::size_t x = 0; x < keys.size(); x += 7)
        for (std::size_t y = 0; y < keys.size(); y += 3) {
            const auto ma = keytest::model(keys[x]), mb = keytest::model(keys[y]);
            ASSERT_EQ(collate(keys[x], keys[y]), keymodel::collate(ma, mb));
            for (std::int32_t n = 1; n <= 18; n += 4)
                ASSERT_EQ(collate_at(keys[x], keys[y], n), keymodel::collate_at(ma, mb, n));
        }
}

TEST(order, sorting_by_collate_matches_sorting_the_digit_tuples)
{
    std::vector<CellKey> keys = keytest::sample_keys(0, 18, 4000, 5);
    for (CellKey k : keytest::all_keys(2))
        keys.push_back(k);
    // The path order is the lexicographic order of the digit tuples, a
    // shorter tuple before its extensions.
    auto tuple = [](CellKey k) {
        std::int32_t d[21] = {};
        keymodel::to_digits(keytest::model(k), d);
        return std::vector<std::int32_t>(d + 1, d + 1 + keymodel::level(keytest::model(k)));
    };
    std::vector<CellKey> by_lib = keys, by_tuple = keys;
    std::sort(by_lib.begin(), by_lib.end(), [](CellKey a, CellKey b) { return collate(a, b) < 0; });
    std::sort(by_tuple.begin(), by_tuple.end(),
              [&](CellKey a, CellKey b) { return tuple(a) < tuple(b); });
    for (std::size_t c = 0; c < keys.size(); ++c)
        ASSERT_EQ(tuple(by_lib[c]), tuple(by_tuple[c])) << c;
}
