// A saved random state whose lag table holds words the generator cannot
// produce (found by library_fuzz: a NaN table made rng_draw return NaN and
// rng_normal loop for ever).  The load keeps such a state as saved; the
// library's generator reseeds it when it draws.
#include "cellkeys.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

namespace {

const std::int32_t arg = 0;

// The first deviates after the default seeding, as a fresh stream gives them.
double first_default_draw()
{
    rng_state = RngState{};
    return rng_draw(&arg);
}

void load_with_words(double word)
{
    double saved[100];
    rng_state = RngState{};
    rng_draw(&arg);  // seeded, positions and term in range
    rng_save_state(saved);
    for (int k = 0; k < 97; ++k)
        saved[k] = word;
    rng_load_state(saved);
}

}  // namespace

TEST(rng_unusable_saved_table, nan_words_are_reseeded_by_the_next_draw)
{
    const double expected = first_default_draw();
    load_with_words(std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(rng_draw(&arg), expected);
}

TEST(rng_unusable_saved_table, words_outside_the_unit_interval_or_between_steps_are_reseeded)
{
    const double expected = first_default_draw();
    for (double word : {-0.25, 1.0, std::numeric_limits<double>::infinity(), 1e-300}) {
        load_with_words(word);
        EXPECT_EQ(rng_draw(&arg), expected) << word;
    }
}

TEST(rng_unusable_saved_table, normal_deviate_after_a_nan_table_ends_and_is_finite)
{
    rng_normal_cache = RngNormalCache{};
    load_with_words(std::numeric_limits<double>::quiet_NaN());
    EXPECT_TRUE(std::isfinite(rng_normal(&arg)));
}

TEST(rng_unusable_saved_table, second_stream_nan_table_is_reseeded_too)
{
    double saved[102];
    rng_state_second = RngState{};
    rng_normal_cache_second = RngNormalCache{};
    rng_draw_second(&arg);
    rng_save_state_second(saved);
    for (int k = 0; k < 97; ++k)
        saved[k] = std::numeric_limits<double>::quiet_NaN();
    rng_load_state_second(saved);
    const double u = rng_draw_second(&arg);
    EXPECT_TRUE(u >= 0.0 && u < 1.0);
    EXPECT_TRUE(std::isfinite(rng_normal_second(&arg)));
}

TEST(rng_unusable_saved_table, the_load_keeps_it_as_saved)
{
    double saved[100];
    for (int k = 0; k < 97; ++k)
        saved[k] = std::numeric_limits<double>::quiet_NaN();
    saved[97] = 97.0;
    saved[98] = 33.0;
    saved[99] = 5.0;
    rng_load_state(saved);
    EXPECT_EQ(std::memcmp(rng_state.words, saved, sizeof rng_state.words), 0);
    EXPECT_EQ(rng_state.integers[0], 97);
    EXPECT_EQ(rng_state.integers[1], 33);
    EXPECT_EQ(rng_state.integers[2], 5);
}

namespace {

bool on_grid(double u)
{
    return u >= 0.0 && u < 1.0 && std::floor(u * 16777216.0) == u * 16777216.0;
}

// Loads saved into both streams, then draws: every uniform deviate must be
// a multiple of 2^-24 in [0, 1) and every normal deviate finite.  A state
// that kept the polar method from ending would hang here (ctest's timeout).
void expect_both_streams_draw_sound_deviates(const std::vector<double>& saved, int normals)
{
    std::vector<double> second(saved);
    second.resize(102, 0.0);  // nothing waiting
    rng_normal_cache = RngNormalCache{};
    rng_load_state(saved.data());
    rng_load_state_second(second.data());
    for (int n = 0; n < normals; ++n) {
        ASSERT_TRUE(std::isfinite(rng_normal(&arg)));
        ASSERT_TRUE(std::isfinite(rng_normal_second(&arg)));
    }
    rng_load_state(saved.data());
    rng_load_state_second(second.data());
    for (int n = 0; n < 2 * normals; ++n) {
        ASSERT_TRUE(on_grid(rng_draw(&arg)));
        ASSERT_TRUE(on_grid(rng_draw_second(&arg)));
    }
}

}  // namespace

// Every kind of word in a table that is whole or only in the two places the
// first draw reads, under positions and terms in and out of range.
TEST(rng_unusable_saved_table, normal_deviates_end_on_every_state_a_load_can_produce)
{
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double words[] = {nan,
                            -nan,
                            inf,
                            -inf,
                            -0.0,
                            0.0,
                            1.0 / 16777216.0,
                            0.5,
                            1.0 - 1.0 / 16777216.0,
                            1.0,
                            -0.25,
                            0.3,
                            1e-300,
                            std::numeric_limits<double>::denorm_min(),
                            1e300};
    struct Integers {
        double i, j, c;
    };
    const Integers integers[] = {{97, 33, 362436},   {1, 1, 0},
                                 {97, 97, 16777212}, {0, 33, 5},
                                 {98, 33, 5},        {97, 33, -1},
                                 {97, 33, 16777213}, {-2147483648.0, 2147483647.0, 4294967296.0},
                                 {nan, inf, -inf},   {96.5, 32.5, 2.5}};
    std::vector<double> grid(100);
    for (int k = 0; k < 97; ++k)
        grid[k] = (k * 7919 % 16777216) / 16777216.0;
    for (const double word : words)
        for (const bool whole : {true, false})
            for (const Integers& n : integers) {
                std::vector<double> saved(grid);
                for (int k = 0; k < 97; ++k)
                    if (whole || k == 96 || k == 32)
                        saved[k] = word;
                saved[97] = n.i;
                saved[98] = n.j;
                saved[99] = n.c;
                SCOPED_TRACE(testing::Message()
                             << "word " << word << (whole ? " everywhere" : " at 97 and 33")
                             << ", integers " << n.i << " " << n.j << " " << n.c);
                expect_both_streams_draw_sound_deviates(saved, 100);
            }
}

// Arbitrary bit patterns and grid words mixed, with arbitrary integers.
TEST(rng_unusable_saved_table, normal_deviates_end_on_sampled_states)
{
    std::mt19937_64 bits(20240611);
    std::vector<double> saved(100);
    for (int sample = 0; sample < 2000; ++sample) {
        for (int k = 0; k < 97; ++k) {
            const std::uint64_t b = bits();
            if (b % 4 == 0)
                std::memcpy(&saved[k], &b, sizeof b);
            else
                saved[k] = static_cast<double>(b >> 40) / 16777216.0;
        }
        for (int k = 97; k < 100; ++k)
            saved[k] = static_cast<double>(static_cast<std::int64_t>(bits() % 200) - 50);
        SCOPED_TRACE(sample);
        expect_both_streams_draw_sound_deviates(saved, 20);
    }
}
