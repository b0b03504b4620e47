#include "cellkeys.h"
#include "streams.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

const std::int32_t arg = 0;

double normal_cdf(double x)
{
    return 0.5 * std::erfc(-x / std::sqrt(2.0));
}

struct Moments {
    double mean, variance, lag1_correlation, chi2;
};

// A million deviates: moments, correlation of neighbours (the two halves
// of each pair included) and a chi-square over 0.2-wide bins on [-4, 4]
// plus the two tails.
template <class Next>
Moments measure(Next next)
{
    constexpr int n = 1000000, bins = 42;
    double sum = 0.0, sum2 = 0.0, cross = 0.0, previous = 0.0;
    int count[bins] = {};
    for (int k = 0; k < n; ++k) {
        const double x = next();
        sum += x;
        sum2 += x * x;
        cross += x * previous;
        previous = x;
        int bin = x < -4.0 ? 0 : x >= 4.0 ? bins - 1 : 1 + static_cast<int>((x + 4.0) / 0.2);
        if (bin > bins - 2 && x < 4.0)
            bin = bins - 2;
        ++count[bin];
    }
    Moments m{};
    m.mean = sum / n;
    m.variance = sum2 / n - m.mean * m.mean;
    m.lag1_correlation = cross / n;
    for (int b = 0; b < bins; ++b) {
        const double lo = b == 0 ? -INFINITY : -4.0 + 0.2 * (b - 1);
        const double hi = b == bins - 1 ? INFINITY : -4.0 + 0.2 * b;
        const double expected = n * (normal_cdf(hi) - normal_cdf(lo));
        m.chi2 += (count[b] - expected) * (count[b] - expected) / expected;
    }
    return m;
}

}  // namespace

TEST(rng_normal_deviates, first_stream_deviates_are_standard_normal)
{
    clear_streams();
    const std::int32_t s1 = 4711, s2 = 815;
    rng_seed(&s1, &s2);
    const Moments m = measure([] { return rng_normal(&arg); });
    // Bounds are about five standard errors; the seed is fixed.
    EXPECT_NEAR(m.mean, 0.0, 0.005);
    EXPECT_NEAR(m.variance, 1.0, 0.007);
    EXPECT_NEAR(m.lag1_correlation, 0.0, 0.005);
    // 41 degrees of freedom: chance of exceeding 90 is below 1e-4.
    EXPECT_LT(m.chi2, 90.0);
}

TEST(rng_normal_deviates, second_stream_deviates_are_standard_normal)
{
    clear_streams();
    const std::int32_t s1 = 123, s2 = 456;
    rng_start_second(&s1, &s2);
    const Moments m = measure([] { return rng_normal_second(&arg); });
    EXPECT_NEAR(m.mean, 0.0, 0.005);
    EXPECT_NEAR(m.variance, 1.0, 0.007);
    EXPECT_NEAR(m.lag1_correlation, 0.0, 0.005);
    EXPECT_LT(m.chi2, 90.0);
}

TEST(rng_normal_deviates, pair_comes_from_two_uniforms_with_the_second_cached)
{
    clear_streams();
    const std::int32_t s1 = 1, s2 = 2;
    rng_seed(&s1, &s2);
    double saved[100];
    rng_save_state(saved);
    // Find the first accepted pair with the generator directly.
    double p, q, s;
    do {
        p = 2.0 * rng_draw(&arg) - 1.0;
        q = 2.0 * rng_draw(&arg) - 1.0;
        s = p * p + q * q;
    } while (s >= 1.0 || s == 0.0);
    const double f = std::sqrt(-2.0 * std::log(s) / s);
    RngState after_pair;
    std::memcpy(&after_pair, &rng_state, sizeof after_pair);

    rng_load_state(saved);
    EXPECT_DOUBLE_EQ(rng_normal(&arg), p * f);
    EXPECT_EQ(std::memcmp(&after_pair, &rng_state, sizeof after_pair), 0);
    EXPECT_EQ(rng_normal_cache.waiting, 1);
    EXPECT_DOUBLE_EQ(rng_normal(&arg), q * f);
    EXPECT_EQ(std::memcmp(&after_pair, &rng_state, sizeof after_pair), 0);
    EXPECT_EQ(rng_normal_cache.waiting, 0);
}

TEST(rng_normal_deviates, start_second_leaves_the_first_stream_alone)
{
    clear_streams();
    const std::int32_t s1 = 10, s2 = 20;
    rng_seed(&s1, &s2);
    rng_normal(&arg);  // a deviate now waits on the first stream
    RngState state;
    RngNormalCache cache;
    std::memcpy(&state, &rng_state, sizeof state);
    std::memcpy(&cache, &rng_normal_cache, sizeof cache);
    rng_normal_cache_second.value = 3.0;
    rng_normal_cache_second.waiting = 1;

    rng_start_second(&s2, &s1);
    EXPECT_EQ(std::memcmp(&state, &rng_state, sizeof state), 0);
    EXPECT_EQ(std::memcmp(&cache, &rng_normal_cache, sizeof cache), 0);
    EXPECT_EQ(rng_normal_cache_second.waiting, 0);
    EXPECT_EQ(rng_normal_cache_second.value, 0.0);
}

TEST(rng_normal_deviates, second_stream_normals_leave_the_first_stream_alone)
{
    clear_streams();
    const std::int32_t s1 = 10, s2 = 20;
    rng_seed(&s1, &s2);
    rng_start_second(&s1, &s2);
    RngState state;
    std::memcpy(&state, &rng_state, sizeof state);
    for (int n = 0; n < 9; ++n)
        rng_normal_second(&arg);
    EXPECT_EQ(std::memcmp(&state, &rng_state, sizeof state), 0);
    EXPECT_EQ(rng_normal_cache.waiting, 0);
}
