#include "cellkeys.h"
#include "streams.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

namespace {

void seed_both(std::int32_t s1, std::int32_t s2)
{
    rng_seed(&s1, &s2);
    rng_start_second(&s1, &s2);
}

std::uint64_t bits_of(double x)
{
    std::uint64_t b;
    std::memcpy(&b, &x, sizeof b);
    return b;
}

double from_bits(std::uint64_t b)
{
    double x;
    std::memcpy(&x, &b, sizeof x);
    return x;
}

const std::int32_t arg = 0;

}  // namespace

TEST(rng_saved_state, words_are_copied_bit_for_bit_both_ways)
{
    clear_streams();
    for (int k = 0; k < 97; ++k)
        rng_state.words[k] = from_bits(0x7ff4000000000000ull + k);  // NaNs with payloads
    rng_state.words[5] = -0.0;
    rng_state.words[6] = std::numeric_limits<double>::denorm_min();
    double saved[100];
    rng_save_state(saved);
    EXPECT_EQ(std::memcmp(saved, rng_state.words, 776), 0);

    double fresh[100];
    for (int k = 0; k < 97; ++k)
        fresh[k] = from_bits(0xfff8000000000123ull + k);
    fresh[97] = fresh[98] = fresh[99] = 1.0;
    rng_load_state(fresh);
    EXPECT_EQ(std::memcmp(fresh, rng_state.words, 776), 0);
}

// Whatever the words hold and whatever integers within 2^24 the state has
// (a program's own rng_draw may give them any meaning), a save and a load
// give the state back bit for bit, on both streams, with the second stream's
// waiting deviate.
TEST(rng_saved_state, save_then_load_restores_any_state_bit_for_bit)
{
    std::mt19937_64 bits(77);
    auto any_integer = [&bits] {
        return static_cast<std::int32_t>(bits() % 33554433) - 16777216;  // -2^24..2^24
    };
    for (int sample = 0; sample < 500; ++sample) {
        clear_streams();
        for (RngState* state : {&rng_state, &rng_state_second}) {
            for (double& word : state->words) {
                const std::uint64_t b = bits();
                std::memcpy(&word, &b, sizeof word);
            }
            for (std::int32_t& n : state->integers)
                n = any_integer();
        }
        rng_normal_cache_second.value = from_bits(bits());
        rng_normal_cache_second.waiting = static_cast<std::int32_t>(bits() % 2);
        const RngState first = rng_state, second = rng_state_second;
        const RngNormalCache cache = rng_normal_cache_second;
        double saved1[100], saved2[102];
        rng_save_state(saved1);
        rng_save_state_second(saved2);
        clear_streams();
        rng_load_state(saved1);
        rng_load_state_second(saved2);
        ASSERT_EQ(std::memcmp(&rng_state, &first, sizeof first), 0) << sample;
        ASSERT_EQ(std::memcmp(&rng_state_second, &second, sizeof second), 0) << sample;
        ASSERT_EQ(bits_of(rng_normal_cache_second.value), bits_of(cache.value)) << sample;
        ASSERT_EQ(rng_normal_cache_second.waiting, cache.waiting) << sample;
    }
}

TEST(rng_saved_state, integers_up_to_2_pow_24_survive_exactly)
{
    clear_streams();
    const std::int32_t values[3] = {16777216, -16777216, 16777215};
    std::memcpy(rng_state.integers, values, sizeof values);
    double saved[100];
    rng_save_state(saved);
    EXPECT_EQ(saved[97], 16777216.0);
    EXPECT_EQ(saved[98], -16777216.0);
    EXPECT_EQ(saved[99], 16777215.0);
    std::memset(&rng_state, 0, sizeof rng_state);
    rng_load_state(saved);
    EXPECT_EQ(rng_state.integers[0], 16777216);
    EXPECT_EQ(rng_state.integers[1], -16777216);
    EXPECT_EQ(rng_state.integers[2], 16777215);
}

TEST(rng_saved_state, larger_integers_come_back_rounded_to_single_precision)
{
    clear_streams();
    const std::int32_t values[3] = {16777217, 16777219, -2147483647};
    std::memcpy(rng_state_second.integers, values, sizeof values);
    double saved[102];
    rng_save_state_second(saved);
    EXPECT_EQ(saved[97], 16777216.0);  // tie, to even
    EXPECT_EQ(saved[98], 16777220.0);  // tie, to even
    EXPECT_EQ(saved[99], -2147483648.0);
    rng_load_state_second(saved);
    EXPECT_EQ(rng_state_second.integers[0], 16777216);
    EXPECT_EQ(rng_state_second.integers[1], 16777220);
    EXPECT_EQ(rng_state_second.integers[2], std::numeric_limits<std::int32_t>::min());
}

TEST(rng_saved_state, load_rounds_halves_away_from_zero_and_keeps_the_low_32_bits)
{
    clear_streams();
    double saved[100] = {};
    saved[97] = 2.5;
    saved[98] = -2.5;
    saved[99] = 4294967297.0;  // 2^32 + 1
    rng_load_state(saved);
    EXPECT_EQ(rng_state.integers[0], 3);
    EXPECT_EQ(rng_state.integers[1], -3);
    EXPECT_EQ(rng_state.integers[2], 1);
}

TEST(rng_saved_state, second_stream_saves_its_waiting_deviate)
{
    clear_streams();
    rng_normal_cache_second.value = from_bits(0x7ff0000000000abcull);
    rng_normal_cache_second.waiting = 7;
    double saved[102];
    rng_save_state_second(saved);
    EXPECT_EQ(bits_of(saved[100]), 0x7ff0000000000abcull);
    EXPECT_EQ(saved[101], 1.0);

    rng_normal_cache_second.waiting = 0;
    rng_save_state_second(saved);
    EXPECT_EQ(saved[101], 0.0);
}

TEST(rng_saved_state, item_102_waits_only_when_it_rounds_to_one)
{
    struct Case {
        double item;
        int waiting;
    };
    for (const Case c : {Case{2.0, 0}, Case{0.4, 0}, Case{1.4, 1}, Case{0.5, 1}, Case{-1.0, 0},
                         Case{4294967297.0, 0}}) {
        clear_streams();
        rng_normal_cache_second.waiting = 1 - c.waiting;
        double saved[102] = {};
        saved[100] = -1.25;
        saved[101] = c.item;
        rng_load_state_second(saved);
        EXPECT_EQ(rng_normal_cache_second.waiting, c.waiting) << "item " << c.item;
        EXPECT_EQ(rng_normal_cache_second.value, -1.25);
    }
}

TEST(rng_saved_state, padding_after_the_integers_is_never_touched)
{
    clear_streams();
    rng_state.unused = 0x5a5a5a5a;
    double saved[100] = {};
    saved[97] = 97.0;
    saved[98] = 33.0;
    rng_load_state(saved);
    rng_save_state(saved);
    EXPECT_EQ(rng_state.unused, 0x5a5a5a5a);
}

TEST(rng_saved_state, load_and_continue_repeats_an_uninterrupted_run)
{
    clear_streams();
    seed_both(77, 1234);
    for (int n = 0; n < 1000; ++n) {
        rng_draw(&arg);
        rng_draw_second(&arg);
    }
    double saved1[100], saved2[102];
    rng_save_state(saved1);
    rng_save_state_second(saved2);
    std::vector<double> first_run, second_run;
    for (int n = 0; n < 500; ++n) {
        first_run.push_back(rng_draw(&arg));
        second_run.push_back(rng_draw_second(&arg));
    }
    seed_both(5, 6);  // wander off
    rng_load_state(saved1);
    rng_load_state_second(saved2);
    for (int n = 0; n < 500; ++n) {
        ASSERT_EQ(rng_draw(&arg), first_run[n]);
        ASSERT_EQ(rng_draw_second(&arg), second_run[n]);
    }
}

TEST(rng_saved_state, second_stream_round_trip_keeps_a_waiting_deviate)
{
    clear_streams();
    seed_both(3, 4);
    rng_normal_second(&arg);  // leaves one deviate waiting
    ASSERT_EQ(rng_normal_cache_second.waiting, 1);
    double saved[102];
    rng_save_state_second(saved);
    std::vector<double> run;
    for (int n = 0; n < 11; ++n)
        run.push_back(rng_normal_second(&arg));
    rng_start_second(&arg, &arg);
    rng_load_state_second(saved);
    for (int n = 0; n < 11; ++n)
        EXPECT_EQ(rng_normal_second(&arg), run[n]);
}

TEST(rng_saved_state, first_stream_load_leaves_its_waiting_deviate)
{
    clear_streams();
    seed_both(8, 9);
    double saved[100];
    rng_save_state(saved);
    rng_normal(&arg);
    const double waiting = rng_normal_cache.value;
    rng_load_state(saved);
    RngState loaded;
    std::memcpy(&loaded, &rng_state, sizeof loaded);
    EXPECT_EQ(rng_normal(&arg), waiting);
    EXPECT_EQ(std::memcmp(&loaded, &rng_state, sizeof loaded), 0);  // nothing drawn
}
