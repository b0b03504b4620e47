// Internals of the random-number streams: the lagged-Fibonacci generator
// x(n) = x(n-97) - x(n-33) mod 1 over 24-bit fractions, combined by
// subtraction mod 1 with the arithmetic sequence c(n) = c(n-1) - 7654321/2^24
// mod 16777213/2^24, and the polar method for normal deviates.  In a state
// record, words[0..96] hold the lag table, integers[0] and integers[1] the
// two table positions (1..97, first 97 and 33) and integers[2] the term c in
// units of 2^-24 (0..16777212), so every field survives a save and load.
// Not installed.  Internal linkage throughout (static inline functions,
// constexpr constants), so no module exports more than its own routine or
// record.
#ifndef CELLKEYS_RANDOM_RNG_DETAIL_HPP
#define CELLKEYS_RANDOM_RNG_DETAIL_HPP

#include "cellkeys.h"

#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace cellkeys::detail {

constexpr int lag_long = 97;               // table size and the longer lag
constexpr int lag_short = 33;              // start of the shorter lag's position
constexpr double unit = 1.0 / 16777216.0;  // 2^-24
// The arithmetic sequence in units of 2^-24: start, step and modulus.
constexpr std::int32_t term_start = 362436;
constexpr std::int32_t term_step = 7654321;
constexpr std::int32_t term_modulus = 16777213;
constexpr std::int32_t default_seed1 = 1802;
constexpr std::int32_t default_seed2 = 9373;

// Offsets of the saved-state items (0-based) and of the 776 bytes of words.
constexpr int saved_integers = 97;
constexpr int saved_cache_value = 100;
constexpr int saved_cache_waiting = 101;
constexpr std::size_t word_bytes = sizeof(RngState::words);

// Fills the lag table from two seeds by the published initialisation: a
// lagged 3-term multiplicative sequence mod 179 and a linear congruential
// one mod 169 together give each of the 24 bits of every entry.  Seeds
// outside their ranges are reduced into them so no term goes negative.
static inline void seed_state(RngState& state, std::int32_t seed1, std::int32_t seed2)
{
    auto reduce = [](std::int32_t v, std::int32_t n) { return ((v % n) + n) % n; };
    seed1 = reduce(seed1, 31329);
    seed2 = reduce(seed2, 30082);
    std::int32_t i = (seed1 / 177) % 177 + 2;
    std::int32_t j = seed1 % 177 + 2;
    std::int32_t k = (seed2 / 169) % 178 + 1;
    std::int32_t l = seed2 % 169;
    for (double& word : state.words) {
        double s = 0.0;
        double t = 0.5;
        for (int bit = 0; bit < 24; ++bit) {
            const std::int32_t m = ((i * j) % 179) * k % 179;
            i = j;
            j = k;
            k = m;
            l = (53 * l + 1) % 169;
            if ((l * m) % 64 >= 32)
                s += t;
            t *= 0.5;
        }
        word = s;
    }
    state.integers[0] = lag_long;
    state.integers[1] = lag_short;
    state.integers[2] = term_start;
}

// x + 1 when x is negative, else x, without a branch: the sign is random,
// so a branch would be mispredicted about every other draw.
static inline double wrap_negative(double x)
{
    const std::uint64_t sign_mask =
        static_cast<std::uint64_t>(std::bit_cast<std::int64_t>(x) >> 63);
    return x + std::bit_cast<double>(sign_mask & std::bit_cast<std::uint64_t>(1.0));
}

// True when w is a word the generator itself can hold: a multiple of 2^-24
// in [0, 1), +0 included and -0 not.  Adding 2^28 leaves a spacing of 2^-24
// between doubles, so the sum rounds off any finer part of w.
static inline bool on_grid(double w)
{
    constexpr double snap = 268435456.0;  // 2^28
    return !std::signbit(w) && w < 1.0 && (w + snap) - snap == w;
}

// One uniform deviate.  All values are multiples of 2^-24 below 1, so the
// arithmetic in doubles is exact and matches the published test values.
// A load copies any state as it was saved, so the draw checks what it is
// about to use: positions outside the table or a term out of range would
// index outside the table or overflow, and a lag word off the 2^-24 grid
// (a NaN, say) would push every later deviate out of [0, 1) and keep the
// polar method from ever ending.  Such a state is reseeded first, as the
// zero state of a stream never seeded is.
static inline double draw_uniform(RngState& state)
{
    auto usable = [&state] {
        const std::int32_t i = state.integers[0];
        const std::int32_t j = state.integers[1];
        const std::int32_t c = state.integers[2];
        return static_cast<std::uint32_t>(i) - 1u < std::uint32_t{lag_long} &&
               static_cast<std::uint32_t>(j) - 1u < std::uint32_t{lag_long} &&
               static_cast<std::uint32_t>(c) < std::uint32_t{term_modulus} &&
               on_grid(state.words[i - 1]) && on_grid(state.words[j - 1]);
    };
    if (!usable()) [[unlikely]]
        seed_state(state, default_seed1, default_seed2);
    const std::int32_t i = state.integers[0];
    const std::int32_t j = state.integers[1];
    std::int32_t c = state.integers[2];
    const double x = wrap_negative(state.words[i - 1] - state.words[j - 1]);
    state.words[i - 1] = x;
    state.integers[0] = i == 1 ? lag_long : i - 1;
    state.integers[1] = j == 1 ? lag_long : j - 1;
    c -= term_step;
    c += (c >> 31) & term_modulus;
    state.integers[2] = c;
    return wrap_negative(x - c * unit);
}

// Saved-state arrays: the words bit for bit, the integers through single
// precision (exact up to 2^24 in magnitude).
static inline void save_state(const RngState& state, double* saved)
{
    std::memcpy(saved, state.words, word_bytes);
    for (int k = 0; k < 3; ++k)
        saved[saved_integers + k] = static_cast<double>(static_cast<float>(state.integers[k]));
}

// The inverse of save_state, whatever the words hold: they are copied bit
// for bit, and each integer is rounded half away from zero (lround) and kept
// to its low 32 bits (long to std::int32_t is modular in C++20).  The draw,
// not the load, decides whether the generator can use the state.
static inline void load_state(RngState& state, const double* saved)
{
    std::memcpy(state.words, saved, word_bytes);
    for (int k = 0; k < 3; ++k)
        state.integers[k] = static_cast<std::int32_t>(std::lround(saved[saved_integers + k]));
}

// The polar method: pairs of uniform deviates mapped to the square
// [-1, 1]^2 until one falls strictly inside the unit circle; s = 0 (both
// deviates exactly 1/2) is rejected as well, since ln(s)/s has no value
// there.  The second deviate of the pair waits in the cache.
template <class Draw>
static inline double polar_normal(RngNormalCache& cache, Draw draw)
{
    if (cache.waiting != 0) {
        cache.waiting = 0;
        return cache.value;
    }
    double p, q, s;
    do {
        const double u1 = draw();
        const double u2 = draw();
        p = 2.0 * u1 - 1.0;
        q = 2.0 * u2 - 1.0;
        s = p * p + q * q;
    } while (!(s < 1.0) || s == 0.0);
    const double ln_s = std::log(s);
    const double f = std::sqrt(-(ln_s + ln_s) / s);
    cache.value = q * f;
    cache.waiting = 1;
    return p * f;
}

}  // namespace cellkeys::detail

#endif
