#include "cellkeys.h"
#include "key_test_util.hpp"

#include <gtest/gtest.h>

#include <random>
#include <vector>

using keytest::key_of;
using keytest::same;

namespace {
CellKey next(CellKey k)
{
    ck_next_cell(&k);
    return k;
}
CellKey prev(CellKey k)
{
    ck_prev_cell(&k);
    return k;
}
CellKey next_at(CellKey k, std::int32_t n)
{
    ck_next_cell_at(&k, &n);
    return k;
}
CellKey prev_at(CellKey k, std::int32_t n)
{
    ck_prev_cell_at(&k, &n);
    return k;
}
CellKey neighbour(CellKey of, std::int32_t axis, std::int32_t direction)
{
    std::int32_t bits[64];
    ck_to_bits(&of, bits);
    std::int32_t level;
    ck_get_level(&of, &level);
    CellKey k{-1, -1};
    ck_axis_neighbour(&k, bits, &level, &axis, &direction);
    return k;
}
}  // namespace

TEST(stepping, known_steps)
{
    EXPECT_TRUE(same(next(CellKey{209, 100663296}), CellKey{273, 100663296}));
    EXPECT_TRUE(same(prev(CellKey{209, 100663296}), CellKey{145, 100663296}));
    EXPECT_TRUE(same(next(key_of({7, 7, 7})), CellKey{0, 100663296}));
    EXPECT_TRUE(same(prev(key_of({0, 0, 0})), CellKey{511, 100663296}));
    EXPECT_TRUE(
        same(next(key_of({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 7})), CellKey{134217728, 369098752}));
    EXPECT_TRUE(same(next(CellKey{0, 0}), CellKey{0, 0}));
    EXPECT_TRUE(same(prev(CellKey{0, 0}), CellKey{0, 0}));
    const CellKey k5 = key_of({1, 2, 3, 4, 5});
    EXPECT_TRUE(same(next_at(k5, 3), CellKey{273, 167772160}));
    EXPECT_TRUE(same(prev_at(k5, 3), CellKey{145, 167772160}));
}

TEST(stepping, above_the_own_level_the_step_still_lands_on_that_digit)
{
    // Digit 5 (or 4, borrowing from 3) is stepped on a level-3 key; the
    // level field stays 3.
    const CellKey k = key_of({1, 2, 3});
    EXPECT_TRUE(same(next_at(k, 5), CellKey{209 + (1 << 12), 100663296}));
    EXPECT_TRUE(same(prev_at(k, 4), CellKey{145 + (7 << 9), 100663296}));  // 1, 2, 2, 7
}

TEST(stepping, next_and_prev_agree_with_the_model_and_undo_each_other)
{
    std::vector<CellKey> keys = keytest::all_keys(4);
    for (CellKey k : keytest::sample_keys(5, 18, 20000))
        keys.push_back(k);
    for (CellKey k : keys) {
        const auto m = keytest::model(k);
        const CellKey n = next(k), p = prev(k);
        ASSERT_TRUE(same(n, keytest::lib(keymodel::next(m))));
        ASSERT_TRUE(same(p, keytest::lib(keymodel::prev(m))));
        ASSERT_TRUE(same(prev(n), k));
        ASSERT_TRUE(same(next(p), k));
        for (std::int32_t at = 1; at <= 18; ++at) {
            ASSERT_TRUE(same(next_at(k, at), keytest::lib(keymodel::next_at(m, at))));
            ASSERT_TRUE(same(prev_at(k, at), keytest::lib(keymodel::prev_at(m, at))));
        }
    }
}

TEST(stepping, next_gives_the_collate_successor_within_a_level)
{
    for (std::int32_t L = 1; L <= 4; ++L) {
        // Walk the whole level from its first cell and back round.
        CellKey k{0, L * 33554432};
        const CellKey first = k;
        for (std::int64_t c = 1; c < (std::int64_t{1} << (3 * L)); ++c) {
            CellKey n = next(k);
            std::int32_t r;
            ck_collate(&k, &n, &r);
            ASSERT_EQ(r, -1);
            k = n;
        }
        EXPECT_TRUE(same(next(k), first));
    }
}

TEST(stepping, axis_neighbour_known_cases)
{
    const CellKey k = key_of({1, 0});
    EXPECT_TRUE(same(neighbour(k, 1, 1), CellKey{9, 67108864}));
    EXPECT_TRUE(same(neighbour(neighbour(k, 1, 1), 1, 1), CellKey{0, 67108864}));
    EXPECT_TRUE(same(neighbour(k, 1, -1), CellKey{8, 67108864}));
    EXPECT_TRUE(same(neighbour(k, 1, 0), CellKey{8, 67108864}));
    EXPECT_TRUE(same(neighbour(k, 3, 1), CellKey{33, 67108864}));
    EXPECT_TRUE(same(neighbour(key_of({1}), 1, 1), CellKey{0, 33554432}));
    EXPECT_TRUE(same(neighbour(CellKey{0, 0}, 2, 1), CellKey{0, 0}));
}

TEST(stepping, axis_neighbour_is_periodic_coordinate_arithmetic)
{
    std::mt19937 rng(11);
    for (int c = 0; c < 20000; ++c) {
        const std::int32_t L = static_cast<std::int32_t>(rng() % 19);
        const std::int32_t side = 1 << L;
        std::int32_t x[3];
        for (auto& v : x)
            // Cells on the boundary are frequent, so the wrap is exercised.
            v = rng() % 4 == 0 ? (rng() % 2 ? side - 1 : 0)
                               : static_cast<std::int32_t>(rng() % side);
        CellKey k;
        ck_from_ijk(&k, &L, &x[0], &x[1], &x[2]);
        const std::int32_t axis = 1 + static_cast<std::int32_t>(rng() % 3);
        const std::int32_t direction = static_cast<std::int32_t>(rng() % 5) - 2;
        std::int32_t bits[64];
        ck_to_bits(&k, bits);
        const std::vector<std::int32_t> before(bits, bits + 64);
        CellKey got{-1, -1};
        ck_axis_neighbour(&got, bits, &L, &axis, &direction);
        ASSERT_EQ(std::vector<std::int32_t>(bits, bits + 64), before);
        std::int32_t y[3] = {x[0], x[1], x[2]};
        y[axis - 1] = (y[axis - 1] + (direction > 0 ? 1 : side - 1)) % side;
        CellKey want;
        ck_from_ijk(&want, &L, &y[0], &y[1], &y[2]);
        ASSERT_TRUE(same(got, want));
        std::int32_t mb[65];
        keymodel::to_bits(keytest::model(k), mb);
        ASSERT_TRUE(same(got, keytest::lib(keymodel::axis_neighbour(mb, L, axis, direction))));
    }
}

TEST(stepping, axis_neighbour_agrees_with_the_model_on_entries_other_than_0_and_1)
{
    std::mt19937 rng(13);
    for (int c = 0; c < 5000; ++c) {
        std::int32_t b[65] = {};
        for (int e = 1; e <= 64; ++e)
            b[e] = static_cast<std::int32_t>(rng() % 4) - 1;
        const std::int32_t L = static_cast<std::int32_t>(rng() % 19);
        const std::int32_t axis = 1 + static_cast<std::int32_t>(rng() % 3);
        const std::int32_t direction = rng() % 2 ? 1 : -1;
        CellKey got;
        ck_axis_neighbour(&got, b + 1, &L, &axis, &direction);
        ASSERT_TRUE(same(got, keytest::lib(keymodel::axis_neighbour(b, L, axis, direction))));
    }
}
