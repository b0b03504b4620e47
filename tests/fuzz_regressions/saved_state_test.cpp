// A saved random state whose lag table holds words the generator cannot
// produce (found by library_fuzz: a NaN table made rng_draw return NaN and
// rng_normal loop for ever).  Such a load is reseeded by the next draw.
#include "cellkeys.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

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

TEST(rng_unusable_saved_table, a_table_of_exact_steps_loads_unchanged)
{
    double saved[100];
    rng_state = RngState{};
    rng_draw(&arg);
    rng_save_state(saved);
    saved[3] = 0.0;
    saved[4] = 1.0 - 1.0 / 16777216.0;
    rng_load_state(saved);
    EXPECT_EQ(rng_state.integers[2], static_cast<std::int32_t>(saved[99]));
}
