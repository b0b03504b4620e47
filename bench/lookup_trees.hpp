// The octrees the lookup benchmarks search, and the key helpers they share.
// A tree of one million nodes is uniform to level 6 with random paths down
// to level 12; one of ten million is uniform to level 7 with random paths
// down to level 13.  Every leaf holds a value.
#ifndef CELLKEYS_BENCH_LOOKUP_TREES_HPP
#define CELLKEYS_BENCH_LOOKUP_TREES_HPP

#include "cellkeys.h"

#include <cstdint>
#include <random>
#include <vector>

namespace lookup_trees {

constexpr std::int32_t level_unit = 33554432;

// Both words in one integer: the map's key.
inline std::uint64_t packed(const CellKey& key)
{
    return (std::uint64_t{static_cast<std::uint32_t>(key.word2)} << 32) |
           static_cast<std::uint32_t>(key.word1);
}

// The key's first `level` digits, at that level.
inline CellKey truncated(const CellKey& key, std::int32_t level)
{
    const auto bits = [](int n) { return static_cast<std::int32_t>((std::int64_t{1} << n) - 1); };
    if (level <= 10)
        return CellKey{key.word1 & bits(3 * level), level * level_unit};
    return CellKey{key.word1, level * level_unit + (key.word2 & bits(3 * (level - 10)))};
}

// A random level-18 key.
inline CellKey random_key(std::mt19937_64& rng)
{
    const std::uint64_t r = rng();
    return CellKey{static_cast<std::int32_t>(r & 0x3fffffff),
                   18 * level_unit + static_cast<std::int32_t>((r >> 30) & 0xffffff)};
}

// Digits of levels 1..18, level 1 most significant: sorting by it is path order.
inline std::uint64_t path_rank(const CellKey& key)
{
    std::int32_t digits[20];
    ck_to_octal_digits(&key, digits);
    std::uint64_t rank = 0;
    for (int d = 0; d < 18; ++d)
        rank = rank * 8 + static_cast<std::uint64_t>(digits[d]);
    return rank;
}

// The caller's three arrays of a tree of `nodes` nodes, grown with rng.
struct Tree {
    std::int32_t capacity, count = 0;
    std::vector<std::int32_t> parent, child;
    std::vector<char> state;

    Tree(std::int32_t nodes, std::mt19937_64& rng)
        : capacity(nodes),
          parent(nodes),
          child(8 * std::size_t(nodes)),
          state(8 * std::size_t(nodes))
    {
        const std::int32_t uniform = nodes >= 10000000 ? 6 : 5;
        ck_fill_tables();
        char status;
        tree_reset(parent.data(), child.data(), state.data(), &capacity, &count);
        for (std::int32_t level = 1; level <= uniform; ++level)
            for (std::int32_t code = 0; code < (1 << (3 * level)); ++code) {
                const CellKey key{code, level * level_unit};
                tree_refine(parent.data(), child.data(), state.data(), &capacity, &count, &key,
                            &status);
            }
        while (count < nodes) {
            const CellKey key =
                truncated(random_key(rng), uniform + 1 + static_cast<std::int32_t>(rng() % 6));
            do
                tree_refine(parent.data(), child.data(), state.data(), &capacity, &count, &key,
                            &status);
            while (status == 'N' && count < nodes);
        }
        // A value on every leaf, written straight into the caller's arrays.
        for (std::size_t at = 0; at < state.size(); ++at)
            if (state[at] == 'U') {
                state[at] = 'T';
                child[at] = static_cast<std::int32_t>(rng());
            }
    }
};

}  // namespace lookup_trees

#endif
