// A program that defines its own rng_draw and rng_prepare_second, linked
// against the static archive: the library's rng_normal and rng_start_second
// must call these, and the library's own generator modules must stay out of
// the link (a second definition would fail to link).
#include "cellkeys.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

std::vector<double> script;
std::size_t next_value = 0;
int draw_calls = 0;
const std::int32_t* last_draw_arg = nullptr;

int prepare_calls = 0;
const std::int32_t* prepare_args[2] = {};

void play(std::vector<double> values)
{
    script = std::move(values);
    next_value = 0;
    draw_calls = 0;
    last_draw_arg = nullptr;
    std::memset(&rng_normal_cache, 0, sizeof rng_normal_cache);
}

double expected_first(double u1, double u2)
{
    const double p = 2 * u1 - 1, q = 2 * u2 - 1, s = p * p + q * q;
    return p * std::sqrt(-2 * std::log(s) / s);
}

double expected_second(double u1, double u2)
{
    const double p = 2 * u1 - 1, q = 2 * u2 - 1, s = p * p + q * q;
    return q * std::sqrt(-2 * std::log(s) / s);
}

}  // namespace

extern "C" double rng_draw(const std::int32_t* arg)
{
    ++draw_calls;
    last_draw_arg = arg;
    return next_value < script.size() ? script[next_value++] : 0.75;
}

extern "C" void rng_prepare_second(const std::int32_t* seed1, const std::int32_t* seed2)
{
    ++prepare_calls;
    prepare_args[0] = seed1;
    prepare_args[1] = seed2;
    // Leave something in the cache that rng_start_second must clear after us.
    rng_normal_cache_second.value = 9.0;
    rng_normal_cache_second.waiting = 1;
}

TEST(rng_substitution, two_normals_make_one_pair_of_draws)
{
    play({0.6, 0.7});
    const std::int32_t arg = 42;
    EXPECT_DOUBLE_EQ(rng_normal(&arg), expected_first(0.6, 0.7));
    EXPECT_EQ(draw_calls, 2);
    EXPECT_EQ(last_draw_arg, &arg);
    EXPECT_DOUBLE_EQ(rng_normal(&arg), expected_second(0.6, 0.7));
    EXPECT_EQ(draw_calls, 2);
}

TEST(rng_substitution, pairs_on_or_outside_the_circle_and_at_its_centre_are_rejected)
{
    // s = 2, s = 1 exactly, s = 0 (both halves), then an accepted pair.
    play({0.0, 0.0, 1.0, 0.5, 0.5, 0.5, 0.25, 0.5});
    const std::int32_t arg = 0;
    const double x = rng_normal(&arg);
    EXPECT_EQ(draw_calls, 8);
    EXPECT_TRUE(std::isfinite(x));
    EXPECT_DOUBLE_EQ(x, expected_first(0.25, 0.5));
    EXPECT_DOUBLE_EQ(rng_normal(&arg), 0.0);  // q = 0
    EXPECT_EQ(draw_calls, 8);
}

TEST(rng_substitution, waiting_deviate_is_returned_without_a_draw)
{
    play({});
    rng_normal_cache.value = -1.5;
    rng_normal_cache.waiting = 1;
    const std::int32_t arg = 0;
    EXPECT_EQ(rng_normal(&arg), -1.5);
    EXPECT_EQ(draw_calls, 0);
    EXPECT_EQ(rng_normal_cache.waiting, 0);
}

TEST(rng_substitution, library_generator_is_left_out_of_the_link)
{
    std::memset(&rng_state, 0, sizeof rng_state);
    play({0.1, 0.2});
    const std::int32_t arg = 0;
    rng_normal(&arg);
    const RngState zero{};
    EXPECT_EQ(std::memcmp(&rng_state, &zero, sizeof zero), 0);
}

TEST(rng_substitution, start_second_hands_its_arguments_on_then_clears_the_cache)
{
    const std::int32_t seed1 = 5, seed2 = 6;
    prepare_calls = 0;
    rng_start_second(&seed1, &seed2);
    EXPECT_EQ(prepare_calls, 1);
    EXPECT_EQ(prepare_args[0], &seed1);
    EXPECT_EQ(prepare_args[1], &seed2);
    EXPECT_EQ(rng_normal_cache_second.waiting, 0);
    EXPECT_EQ(rng_normal_cache_second.value, 0.0);
}
