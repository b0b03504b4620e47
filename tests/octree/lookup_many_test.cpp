// tree_lookup_many against one tree_lookup per key, on random trees with
// every letter, marked and hidden subtrees, values, "N" slots naming no
// row, and keys of every level field (past the leaves, past level 18, above
// 20, with negative words), in random order and in path order, and after
// sorting with ck_sort_keys.  Guard words around the outputs catch any entry
// written past n.
#include "cellkeys.h"
#include "cellkeys.hpp"
#include "tree_fixture.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr std::int32_t level_unit = 33554432;
constexpr int pad = 8;
constexpr std::int32_t guard_word = 0x5eadbeef;
constexpr char guard_byte = '#';

// A tree grown by random refines, values, fills and marks, a few of its "N"
// slots then pointed outside the arrays.
Tree random_tree(std::uint32_t seed, std::int32_t rows, int max_level)
{
    std::mt19937 rng(seed);
    Tree tree(rows);
    tree.reset();
    const std::string letters = "NTOPUx";
    for (int step = 0; tree.count < rows && step < 40 * rows; ++step) {
        octree_model::Cell digits(1 + rng() % max_level);
        for (int& d : digits) {
            d = static_cast<int>(rng() % 8);
        }
        const CellKey key = key_of(digits);
        const int op = static_cast<int>(rng() % 100);
        if (op < 70) {
            tree.refine(key);
        } else if (op < 85) {
            tree.put(key, static_cast<std::int32_t>(rng()));
        } else if (op < 92) {
            tree.refine_fill(key, static_cast<std::int32_t>(digits.size()) + 1, "TOPUx"[rng() % 5]);
        } else {
            tree.mark(key, letters[rng() % letters.size()]);
        }
    }
    for (int bad = 0; bad < 3; ++bad) {
        const std::size_t at = rng() % tree.state.size();
        if (tree.state[at] == 'N') {
            tree.child[at] = bad == 0 ? 0 : bad == 1 ? -5 : rows + 1;
        }
    }
    return tree;
}

// Keys of every kind the routine may meet; slot i of the key array is key i.
std::vector<std::int32_t> random_keys(std::uint32_t seed, int count)
{
    std::mt19937 rng(seed);
    std::vector<std::int32_t> keys;
    for (int i = 0; i < count; ++i) {
        const int kind = static_cast<int>(rng() % 20);
        std::int32_t level = static_cast<std::int32_t>(rng() % 21);  // 0..20
        std::int32_t w1 = static_cast<std::int32_t>(rng() & 0x3fffffff);
        std::int32_t w2 = static_cast<std::int32_t>(rng() & 0x01ffffff);
        if (kind == 0) {
            level = 21 + static_cast<std::int32_t>(rng() % 43);  // refused
        } else if (kind == 1) {
            w1 = -1 - static_cast<std::int32_t>(rng() & 0xffff);  // negative word 1
        }
        std::int64_t word2 = std::int64_t{level} * level_unit + w2;
        if (kind == 2) {
            word2 = -1 - static_cast<std::int64_t>(rng() % 1000000);  // negative level field
        }
        keys.push_back(w1);
        keys.push_back(static_cast<std::int32_t>(word2));
    }
    return keys;
}

// count keys of every kind, then count keys along the tree's own paths,
// down to its deepest nodes and a few levels past them.
std::vector<std::int32_t> random_and_tree_keys(const Tree& tree, std::uint32_t seed, int count)
{
    std::vector<std::int32_t> keys = random_keys(seed, count);
    std::mt19937 rng(seed);
    for (int k = 0; k < count; ++k) {
        octree_model::Cell digits;
        for (int node = 1; node >= 1 && node <= tree.count && digits.size() < 20;) {
            const int slot = static_cast<int>(rng() % 8);
            digits.push_back(slot);
            node = tree.state_at(node, slot) == 'N' ? tree.child_at(node, slot) : 0;
        }
        while (digits.size() < 20 && rng() % 2) {
            digits.push_back(static_cast<int>(rng() % 8));
        }
        const CellKey key = key_of(digits);
        keys.push_back(key.word1);
        keys.push_back(key.word2);
    }
    return keys;
}

// The keys sorted by their digits, level 1 first: path order, as a solver
// would pass the cells of a sweep.
std::vector<std::int32_t> in_path_order(const std::vector<std::int32_t>& keys)
{
    std::vector<std::pair<std::uint64_t, CellKey>> sorted;
    for (std::size_t s = 0; s < keys.size() / 2; ++s) {
        const CellKey key{keys[2 * s], keys[2 * s + 1]};
        std::int32_t digits[20];
        ck_to_octal_digits(&key, digits);
        std::uint64_t order = 0;
        for (int d : digits) {
            order = order * 8 + static_cast<std::uint64_t>(d);
        }
        sorted.push_back({order, key});
    }
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::int32_t> out;
    for (const auto& [order, key] : sorted) {
        out.push_back(key.word1);
        out.push_back(key.word2);
    }
    return out;
}

// Compares tree_lookup_many over the first n keys with single lookups, and
// checks that nothing outside the n entries of each output was written.
void expect_same_as_single_lookups(const Tree& tree, const std::vector<std::int32_t>& keys,
                                   std::int32_t n)
{
    std::vector<std::int32_t> levels(n + 2 * pad, guard_word), values(n + 2 * pad, guard_word);
    std::vector<char> statuses(n + 2 * pad, guard_byte);
    tree_lookup_many(tree.child.data(), tree.state.data(), &tree.capacity, &n, keys.data(),
                     levels.data() + pad, values.data() + pad, statuses.data() + pad);
    for (std::int32_t i = 0; i < n; ++i) {
        const CellKey key{keys[2 * i], keys[2 * i + 1]};
        const octree_model::Found one = tree.lookup(key);
        const octree_model::Found many{statuses[pad + i], levels[pad + i], values[pad + i]};
        ASSERT_EQ(many, one) << "key " << i << " of " << n << ": (" << key.word1 << ", "
                             << key.word2 << ")";
    }
    for (int g = 0; g < pad; ++g) {
        for (std::size_t at : {std::size_t(g), levels.size() - 1 - g}) {
            EXPECT_EQ(levels[at], guard_word);
            EXPECT_EQ(values[at], guard_word);
            EXPECT_EQ(statuses[at], guard_byte);
        }
    }
}

}  // namespace

TEST(tree_lookup_many, answers_as_single_lookups_on_random_trees_in_any_order)
{
    struct Case {
        std::uint32_t seed;
        std::int32_t rows;
        int max_level;
    };
    for (const Case c : {Case{1, 40, 3}, Case{2, 600, 6}, Case{3, 3000, 12}, Case{4, 800, 20}}) {
        SCOPED_TRACE(c.seed);
        const Tree tree = random_tree(c.seed, c.rows, c.max_level);
        const std::vector<std::int32_t> keys = random_and_tree_keys(tree, c.seed, 3000);
        const auto n = static_cast<std::int32_t>(keys.size() / 2);
        expect_same_as_single_lookups(tree, keys, n);
        // In path order consecutive keys share long prefixes; reversed, a
        // key's own cell often comes right after its descendants.
        std::vector<std::int32_t> ordered = in_path_order(keys);
        expect_same_as_single_lookups(tree, ordered, n);
        std::reverse(ordered.begin(), ordered.end());
        for (std::size_t s = 0; s < ordered.size(); s += 2) {
            std::swap(ordered[s], ordered[s + 1]);
        }
        expect_same_as_single_lookups(tree, ordered, n);
        for (std::int32_t few : {0, 1, 2, 9}) {
            expect_same_as_single_lookups(tree, keys, few);
        }
    }
}

TEST(tree_lookup_many, refuses_every_key_of_arrays_without_rows_and_writes_nothing_for_no_keys)
{
    const std::vector<std::int32_t> keys = random_keys(7, 20);
    for (std::int32_t capacity : {0, -3}) {
        std::int32_t n = 10;
        std::vector<std::int32_t> levels(n, -7), values(n, -7);
        std::vector<char> statuses(n, '?');
        tree_lookup_many(nullptr, nullptr, &capacity, &n, keys.data(), levels.data(), values.data(),
                         statuses.data());
        EXPECT_EQ(levels, std::vector<std::int32_t>(n, 0));
        EXPECT_EQ(values, std::vector<std::int32_t>(n, 0));
        EXPECT_EQ(statuses, std::vector<char>(n, 'E'));
    }
    for (std::int32_t n : {0, -1, INT32_MIN}) {
        std::int32_t capacity = 0;
        tree_lookup_many(nullptr, nullptr, &capacity, &n, nullptr, nullptr, nullptr, nullptr);
        capacity = 5;
        tree_lookup_many(nullptr, nullptr, &capacity, &n, nullptr, nullptr, nullptr, nullptr);
    }
}

TEST(tree_lookup_many, after_ck_sort_keys_answers_as_single_lookups_in_the_callers_order)
{
    // The composition for keys in any order: ck_sort_keys, the keys gathered
    // in that order, tree_lookup_many, the answers scattered back (the C++
    // layer's sort_and_lookup_many).
    for (const std::uint32_t seed : {5u, 6u}) {
        SCOPED_TRACE(seed);
        Tree tree = random_tree(seed, 2000, 12);
        const std::vector<std::int32_t> keys = random_and_tree_keys(tree, seed, 4000);
        const cellkeys::TreeView view(tree.parent.data(), tree.child.data(), tree.state.data(),
                                      tree.capacity, &tree.count);
        for (const std::vector<std::int32_t>& given : {keys, in_path_order(keys)}) {
            const auto n = static_cast<std::int32_t>(given.size() / 2);
            std::vector<std::int32_t> order(n), work(cellkeys::sort_work_words(n));
            std::vector<std::int32_t> levels(n, guard_word), values(n, guard_word);
            std::vector<char> statuses(n, guard_byte);
            view.sort_and_lookup_many(reinterpret_cast<const CellKey*>(given.data()), n,
                                      order.data(), work.data(), levels.data(), values.data(),
                                      statuses.data());
            for (std::int32_t i = 0; i < n; ++i) {
                const CellKey key{given[2 * i], given[2 * i + 1]};
                ASSERT_EQ((octree_model::Found{statuses[i], levels[i], values[i]}),
                          tree.lookup(key))
                    << "key " << i << ": (" << key.word1 << ", " << key.word2 << ")";
            }
        }
    }
}
