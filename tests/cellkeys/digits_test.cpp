#include "cellkeys.h"
#include "key_test_util.hpp"

#include <gtest/gtest.h>

#include <array>
#include <vector>

using keytest::same;

namespace {
std::array<std::int32_t, 20> digits_of(CellKey k)
{
    std::array<std::int32_t, 20> d;
    d.fill(-1);
    ck_to_octal_digits(&k, d.data());
    return d;
}
std::array<std::int32_t, 64> bits_of(CellKey k)
{
    std::array<std::int32_t, 64> b;
    b.fill(-1);
    ck_to_bits(&k, b.data());
    return b;
}
std::int32_t own(CellKey k)
{
    std::int32_t o = -1;
    ck_own_digit(&k, &o);
    return o;
}
std::int32_t at(CellKey k, std::int32_t n)
{
    std::int32_t o = -1;
    ck_digit_at(&k, &n, &o);
    return o;
}
}  // namespace

TEST(digits, to_octal_digits_gives_the_known_arrays)
{
    std::array<std::int32_t, 20> want{};
    EXPECT_EQ(digits_of(CellKey{0, 0}), want);
    want[0] = 5;
    want[1] = 6;
    want[2] = 3;
    EXPECT_EQ(digits_of(CellKey{245, 100663296}), want);
    want = {};
    for (int e = 0; e < 10; ++e)
        want[e] = 1;
    want[10] = 5;
    EXPECT_EQ(digits_of(CellKey{153391689, 369098757}), want);
    // A level-0 key with digits shows only its first one.
    want = {};
    want[0] = 5;
    EXPECT_EQ(digits_of(CellKey{245, 0}), want);
}

TEST(digits, to_bits_gives_the_known_arrays)
{
    std::array<std::int32_t, 64> want{};
    EXPECT_EQ(bits_of(CellKey{0, 0}), want);
    const std::int32_t first[] = {1, 0, 1, 0, 1, 1, 1, 1, 0};
    for (int e = 0; e < 9; ++e)
        want[e] = first[e];
    EXPECT_EQ(bits_of(CellKey{245, 100663296}), want);
    auto deep = bits_of(CellKey{153391689, 369098757});
    EXPECT_EQ((std::vector<std::int32_t>(deep.begin() + 27, deep.begin() + 33)),
              (std::vector<std::int32_t>{1, 0, 0, 1, 0, 1}));
    want = {};
    want[0] = 1;
    EXPECT_EQ(bits_of(CellKey{245, 0}), want);
}

TEST(digits, from_arrays_pack_with_level_0)
{
    std::int32_t d[20] = {5, 6, 3};
    CellKey k{-1, -1};
    ck_from_octal_digits(&k, d);
    EXPECT_TRUE(same(k, CellKey{245, 0}));
    const std::int32_t three = 3;
    ck_set_level(&k, &three);
    EXPECT_TRUE(same(k, CellKey{245, 100663296}));
    std::int32_t b[64] = {1, 0, 1, 0, 1, 1, 1, 1, 0};
    for (int e = 54; e < 64; ++e)
        b[e] = 1;  // never read
    CellKey kb{-1, -1};
    ck_from_bits(&kb, b);
    EXPECT_TRUE(same(kb, CellKey{245, 0}));
    d[18] = d[19] = 7;  // never read
    ck_from_octal_digits(&k, d);
    EXPECT_TRUE(same(k, CellKey{245, 0}));
}

TEST(digits, a_digit_of_8_carries_into_the_next_level)
{
    std::int32_t d[20] = {8};
    CellKey k{-1, -1};
    ck_from_octal_digits(&k, d);
    EXPECT_TRUE(same(k, CellKey{8, 0}));
    // At the top of word 2 a carry reaches bit 24.
    std::int32_t top[20] = {};
    top[17] = 8;
    ck_from_octal_digits(&k, top);
    EXPECT_TRUE(same(k, CellKey{0, 1 << 24}));
    std::int32_t b[64] = {};
    b[53] = 2;
    ck_from_bits(&k, b);
    EXPECT_TRUE(same(k, CellKey{0, 1 << 24}));
}

TEST(digits, octant_queries_give_the_known_digits)
{
    EXPECT_EQ(own(CellKey{245, 100663296}), 3);
    EXPECT_EQ(own(CellKey{153391689, 369098757}), 5);
    EXPECT_EQ(own(CellKey{0, 0}), 0);
    EXPECT_EQ(own(CellKey{245, 0}), 0);
    const CellKey k{245, 100663296};
    EXPECT_EQ(at(k, 1), 5);
    EXPECT_EQ(at(k, 2), 6);
    EXPECT_EQ(at(k, 3), 3);
    EXPECT_EQ(at(k, 4), 0);
    EXPECT_EQ(at(k, 0), 0);
}

TEST(digits, every_routine_agrees_with_the_model)
{
    std::vector<CellKey> keys = keytest::all_keys(4);
    for (CellKey k : keytest::sample_keys(5, 18, 20000))
        keys.push_back(k);
    // Stale digits beyond the level and bit 24 must not leak into results.
    for (CellKey k : keytest::sample_keys(0, 18, 3000, 99)) {
        k.word1 |= 0x2AAAAAAA & ~((1 << 3 * (k.word2 >> 25 < 10 ? k.word2 >> 25 : 10)) - 1);
        k.word2 |= 1 << 24;
        keys.push_back(k);
    }
    for (CellKey k : keys) {
        const keymodel::Key m = keytest::model(k);
        std::int32_t md[21], mb[65];
        keymodel::to_digits(m, md);
        keymodel::to_bits(m, mb);
        auto d = digits_of(k);
        auto b = bits_of(k);
        for (int e = 0; e < 20; ++e)
            ASSERT_EQ(d[e], md[e + 1]);
        for (int e = 0; e < 64; ++e)
            ASSERT_EQ(b[e], mb[e + 1]);
        const std::int32_t L = k.word2 >> 25;
        if (L >= 1) {
            ASSERT_EQ(own(k), keymodel::own_digit(m));
        }
        for (std::int32_t n = 1; n <= 18; ++n)
            ASSERT_EQ(at(k, n), keymodel::digit_at(m, n));
        CellKey back{-1, -1};
        ck_from_octal_digits(&back, d.data());
        ASSERT_TRUE(same(back, keytest::lib(keymodel::from_digits(md))));
        // Round trips through the arrays give the key back, stale digits
        // cleared (a level-0 key keeps its level-1 digit, so it is left out).
        if (L == 0 && k.word1 != 0)
            continue;
        ck_from_octal_digits(&back, d.data());
        ck_set_level(&back, &L);
        const CellKey clean = keytest::lib(keymodel::truncate(m, L));
        ASSERT_TRUE(same(back, clean));
        ck_from_bits(&back, b.data());
        ck_set_level(&back, &L);
        ASSERT_TRUE(same(back, clean));
    }
}

TEST(digits, packing_agrees_with_the_model_on_arbitrary_entries)
{
    std::mt19937 rng(3);
    for (int c = 0; c < 5000; ++c) {
        std::int32_t d[21] = {}, b[65] = {};
        for (int e = 1; e <= 20; ++e)
            d[e] = static_cast<std::int32_t>(rng() % 12);
        for (int e = 1; e <= 64; ++e)
            b[e] = static_cast<std::int32_t>(rng() % 3);
        CellKey k;
        ck_from_octal_digits(&k, d + 1);
        ASSERT_TRUE(same(k, keytest::lib(keymodel::from_digits(d))));
        ck_from_bits(&k, b + 1);
        ASSERT_TRUE(same(k, keytest::lib(keymodel::from_bits(b))));
    }
}
