#include "cellkeys.h"
#include "key_test_util.hpp"

#include <gtest/gtest.h>

using keytest::same;

TEST(levels, get_level_reads_the_level_field)
{
    std::int32_t level = -1;
    CellKey root{0, 0};
    ck_get_level(&root, &level);
    EXPECT_EQ(level, 0);
    CellKey k{245, 100663296};
    ck_get_level(&k, &level);
    EXPECT_EQ(level, 3);
    // Truncating division: a negative word 2 above -2^25 reads as level 0.
    CellKey odd{0, -5};
    ck_get_level(&odd, &level);
    EXPECT_EQ(level, 0);
    CellKey minus_one{0, -33554432};
    ck_get_level(&minus_one, &level);
    EXPECT_EQ(level, -1);
}

TEST(levels, set_level_replaces_only_the_level_field)
{
    CellKey k{245, 100663296};
    const std::int32_t five = 5, zero = 0, twelve = 12;
    ck_set_level(&k, &five);
    EXPECT_TRUE(same(k, CellKey{245, 167772160}));
    ck_set_level(&k, &zero);
    EXPECT_TRUE(same(k, CellKey{245, 0}));
    CellKey deep{153391689, 369098757};
    ck_set_level(&deep, &twelve);
    EXPECT_TRUE(same(deep, CellKey{153391689, 402653189}));
}

TEST(levels, set_level_keeps_bit_24)
{
    CellKey k{1, (1 << 24) + 7 + 3 * 33554432};
    const std::int32_t eleven = 11;
    ck_set_level(&k, &eleven);
    EXPECT_TRUE(same(k, CellKey{1, (1 << 24) + 7 + 11 * 33554432}));
}

TEST(levels, set_level_agrees_with_the_model_for_every_level)
{
    for (CellKey k : keytest::sample_keys(0, 18, 2000))
        for (std::int32_t L = 0; L <= 18; ++L) {
            CellKey got = k;
            ck_set_level(&got, &L);
            EXPECT_TRUE(same(got, keytest::lib(keymodel::set_level(keytest::model(k), L))));
        }
}

TEST(levels, set_level_beyond_18_is_stored_as_given_and_wraps_without_overflow)
{
    CellKey k{3, 5};
    const std::int32_t l63 = 63, huge = 1000;
    ck_set_level(&k, &l63);
    EXPECT_TRUE(same(k, CellKey{3, 5 + 63 * 33554432}));
    ck_set_level(&k, &huge);
    EXPECT_EQ(k.word1, 3);
    EXPECT_EQ(static_cast<std::uint32_t>(k.word2),
              5u + static_cast<std::uint32_t>(1000u * 33554432u));
}

TEST(levels, clear_and_duplicate)
{
    CellKey k{123, 456};
    ck_clear(&k);
    EXPECT_TRUE(same(k, CellKey{0, 0}));
    CellKey a{245, 100663296}, b{9, 9};
    ck_duplicate(&a, &b);
    EXPECT_TRUE(same(b, a));
    ck_duplicate(&a, &a);
    EXPECT_TRUE(same(a, CellKey{245, 100663296}));
}
