// Helpers shared by the cell-key tests: conversions to the reference model,
// every key of the shallow levels, and fixed-seed samples of deep keys.
#ifndef CELLKEYS_TESTS_KEY_TEST_UTIL_HPP
#define CELLKEYS_TESTS_KEY_TEST_UTIL_HPP

#include "cellkeys.h"
#include "key_model.hpp"

#include <cstdint>
#include <random>
#include <vector>

namespace keytest {

// The tables are filled once, before any test runs.
inline const bool tables_filled = (ck_fill_tables(), true);

inline CellKey lib(keymodel::Key k)
{
    return CellKey{k.w1, k.w2};
}
inline keymodel::Key model(CellKey k)
{
    return keymodel::Key{k.word1, k.word2};
}

// Well-formed key of level L with the given digits (level 1 first).
inline CellKey key_of(std::vector<std::int32_t> digits)
{
    std::int32_t d[21] = {};
    for (std::size_t e = 0; e < digits.size(); ++e)
        d[e + 1] = digits[e];
    return lib(keymodel::from_path(d, static_cast<int>(digits.size())));
}

// Every well-formed key of levels 0 to max_level.
inline std::vector<CellKey> all_keys(int max_level)
{
    std::vector<CellKey> keys;
    for (int L = 0; L <= max_level; ++L) {
        std::int32_t d[21] = {};
        for (std::int64_t code = 0; code < (std::int64_t{1} << (3 * L)); ++code) {
            for (int e = 1; e <= L; ++e)
                d[e] = static_cast<std::int32_t>((code >> (3 * (L - e))) & 7);
            keys.push_back(lib(keymodel::from_path(d, L)));
        }
    }
    return keys;
}

// count well-formed keys with random levels in lo..hi and random digits.
inline std::vector<CellKey> sample_keys(int lo, int hi, int count, std::uint32_t seed = 20261208)
{
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> level(lo, hi), digit(0, 7), bias(0, 3);
    std::vector<CellKey> keys;
    for (int c = 0; c < count; ++c) {
        int L = level(rng);
        std::int32_t d[21] = {};
        // Runs of 0s and 7s make carries and ties common.
        int mode = bias(rng);
        for (int e = 1; e <= L; ++e)
            d[e] = mode == 0 ? 7 * (digit(rng) < 6) : mode == 1 ? 7 * (digit(rng) > 5) : digit(rng);
        keys.push_back(lib(keymodel::from_path(d, L)));
    }
    return keys;
}

inline bool same(CellKey a, CellKey b)
{
    return a.word1 == b.word1 && a.word2 == b.word2;
}

}  // namespace keytest

#endif
