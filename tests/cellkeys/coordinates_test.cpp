#include "cellkeys.h"
#include "key_morton.hpp"
#include "key_test_util.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>

using keytest::same;

namespace {
CellKey from(std::int32_t L, std::int32_t i, std::int32_t j, std::int32_t k)
{
    CellKey key{-1, -1};
    ck_from_ijk(&key, &L, &i, &j, &k);
    return key;
}
struct Ijk {
    std::int32_t i, j, k;
};
Ijk to(CellKey key, std::int32_t L)
{
    Ijk c{-1, -1, -1};
    ck_to_ijk(&key, &L, &c.i, &c.j, &c.k);
    return c;
}
}  // namespace

TEST(coordinates, from_ijk_gives_the_known_keys)
{
    EXPECT_TRUE(same(from(3, 5, 3, 6), CellKey{245, 100663296}));
    EXPECT_TRUE(same(from(1, 1, 0, 1), CellKey{5, 33554432}));
    EXPECT_TRUE(same(from(1, 1, 1, 1), CellKey{7, 33554432}));
    EXPECT_TRUE(same(from(1, 0, 0, 0), CellKey{0, 33554432}));
    EXPECT_TRUE(same(from(10, 512, 0, 0), CellKey{1, 335544320}));
    EXPECT_TRUE(same(from(10, 1023, 1023, 1023), CellKey{1073741823, 335544320}));
    EXPECT_TRUE(same(from(11, 2047, 0, 1), CellKey{153391689, 369098757}));
    EXPECT_TRUE(same(from(18, 262143, 262143, 262143), CellKey{1073741823, 620756991}));
    EXPECT_TRUE(same(from(2, 5, 0, 0), CellKey{8, 67108864}));
    EXPECT_TRUE(same(from(2, 1, 0, 0), CellKey{8, 67108864}));
    EXPECT_TRUE(same(from(0, 7, 7, 7), CellKey{0, 0}));
}

TEST(coordinates, to_ijk_gives_ancestors_and_first_descendants)
{
    const CellKey k{245, 100663296};
    const Ijk want[] = {{0, 0, 0}, {1, 0, 1}, {2, 1, 3}, {5, 3, 6}, {10, 6, 12}, {20, 12, 24}};
    for (std::int32_t L = 0; L <= 5; ++L) {
        Ijk got = to(k, L);
        EXPECT_EQ(got.i, want[L].i) << L;
        EXPECT_EQ(got.j, want[L].j) << L;
        EXPECT_EQ(got.k, want[L].k) << L;
    }
}

TEST(coordinates, agree_with_the_model_on_every_cell_of_levels_0_to_4)
{
    for (std::int32_t L = 0; L <= 4; ++L) {
        const std::int32_t side = 1 << L;
        for (std::int32_t i = 0; i < side; ++i)
            for (std::int32_t j = 0; j < side; ++j)
                for (std::int32_t k = 0; k < side; ++k) {
                    CellKey key = from(L, i, j, k);
                    ASSERT_TRUE(same(key, keytest::lib(keymodel::from_ijk(L, i, j, k))));
                    for (std::int32_t n = 0; n <= 18; ++n) {
                        Ijk got = to(key, n);
                        std::int32_t mi, mj, mk;
                        keymodel::to_ijk(keytest::model(key), n, mi, mj, mk);
                        ASSERT_EQ(got.i, mi);
                        ASSERT_EQ(got.j, mj);
                        ASSERT_EQ(got.k, mk);
                    }
                }
    }
}

TEST(coordinates, agree_with_the_model_on_deep_samples_and_round_trip)
{
    std::mt19937 rng(7);
    for (int c = 0; c < 20000; ++c) {
        const std::int32_t L = 5 + static_cast<std::int32_t>(rng() % 14);
        // Coordinates up to 2^20 exercise the wrap of bits above the level.
        const std::int32_t i = rng() % (1 << 20), j = rng() % (1 << 20), k = rng() % (1 << 20);
        CellKey key = from(L, i, j, k);
        ASSERT_TRUE(same(key, keytest::lib(keymodel::from_ijk(L, i, j, k))));
        const std::int32_t mask = (1 << L) - 1;
        Ijk back = to(key, L);
        ASSERT_EQ(back.i, i & mask);
        ASSERT_EQ(back.j, j & mask);
        ASSERT_EQ(back.k, k & mask);
        std::int32_t level = -1;
        ck_get_level(&key, &level);
        ASSERT_EQ(level, L);
        const std::int32_t n = static_cast<std::int32_t>(rng() % 19);
        std::int32_t mi, mj, mk;
        keymodel::to_ijk(keytest::model(key), n, mi, mj, mk);
        Ijk got = to(key, n);
        ASSERT_EQ(got.i, mi);
        ASSERT_EQ(got.j, mj);
        ASSERT_EQ(got.k, mk);
    }
}

TEST(coordinates, to_ijk_reads_stored_digits_beyond_the_key_level)
{
    // A level-0 key holding digits 5, 6, 3 still yields them at level 3.
    Ijk got = to(CellKey{245, 0}, 3);
    EXPECT_EQ(got.i, 5);
    EXPECT_EQ(got.j, 3);
    EXPECT_EQ(got.k, 6);
}

TEST(coordinates, negative_coordinates_wrap_modulo_the_grid)
{
    EXPECT_TRUE(same(from(4, -1, 0, -16), from(4, 15, 0, 0)));
    EXPECT_TRUE(same(from(18, -3, 2, 1), from(18, 262141, 2, 1)));
}

// Each conversion path forced in turn, on every level: the tables and, where
// the processor has BMI2 (and GFNI), the deposit/extract paths give the same paths for
// random and extreme coordinates and the same coordinates for random
// paths (deeper digits included), and the routines give what both give.
TEST(coordinates, table_and_bmi2_paths_agree_on_every_level)
{
    using namespace cellkeys::detail;
    const bool bmi2 = CELLKEYS_MORTON_BMI2 && __builtin_cpu_supports("bmi2");
    const bool gfni = bmi2 && __builtin_cpu_supports("gfni");
    if (!gfni)
        std::printf("BMI2 %s, GFNI absent here: the other paths are compared\n",
                    bmi2 ? "present" : "absent");
    std::mt19937 rng(16);
    const std::int32_t extremes[] = {0, 1, -1, INT32_MIN, INT32_MAX, 262143, 262144, 1 << 20};
    for (std::int32_t n = 0; n <= max_level; ++n) {
        for (int c = 0; c < 3000; ++c) {
            const auto pick = [&](int e) {
                return c < 8 ? extremes[(c + e) % 8] : static_cast<std::int32_t>(rng());
            };
            const std::int32_t i = pick(0), j = pick(3), k = pick(5);
            const auto u = [](std::int32_t v) { return static_cast<std::uint32_t>(v); };
            const std::uint64_t path =
                path_from_coordinates<MortonPath::tables>(u(i), u(j), u(k), n);
            const std::uint64_t path18 = (std::uint64_t{rng()} << 32 | rng()) & levels_mask(18);
            const Coordinates coords = coordinates_from_path<MortonPath::tables>(path18, n);
#if CELLKEYS_MORTON_BMI2
            if (bmi2) {
                ASSERT_EQ(path_from_coordinates<MortonPath::bmi2>(u(i), u(j), u(k), n), path)
                    << n << ": " << i << " " << j << " " << k;
                ASSERT_TRUE(coordinates_from_path<MortonPath::bmi2>(path18, n) == coords)
                    << n << ": " << path18;
            }
            if (gfni) {
                ASSERT_EQ(path_from_coordinates<MortonPath::bmi2_gfni>(u(i), u(j), u(k), n), path)
                    << n << ": " << i << " " << j << " " << k;
                ASSERT_TRUE(coordinates_from_path<MortonPath::bmi2_gfni>(path18, n) == coords)
                    << n << ": " << path18;
            }
#endif
            const CellKey key = from(n, i, j, k);
            ASSERT_EQ(path_of(&key), path);
            ASSERT_EQ(level_of(&key), n);
            CellKey stored{};
            store_path(&stored, path18, 18);
            const Ijk got = to(stored, n);
            ASSERT_EQ(got.i, coords.i);
            ASSERT_EQ(got.j, coords.j);
            ASSERT_EQ(got.k, coords.k);
        }
    }
}
