// Random sequences of octree calls checked step by step against the
// map-based model: every status and the whole of all three arrays.
#include "cellkeys.h"
#include "octree_model.hpp"
#include "tree_fixture.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>

namespace {

using octree_model::Cell;
using octree_model::Model;

struct Scenario {
    std::uint32_t seed;
    int capacity;
    int max_level;  // keys of level 0..max_level
    int digits;     // octant digits drawn from 0..digits-1
    int steps;
    int resets_per_mille;  // chance of a reset (two thirds "U", one third "O")
};

void run(const Scenario& sc)
{
    std::mt19937 rng(sc.seed);
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };

    Tree tree(sc.capacity);
    octree_model::Row untouched{-7, {}};
    for (auto& slot : untouched.slots) {
        slot = {'?', -7};
    }
    Model model(sc.capacity, untouched);
    tree.reset();
    model.reset('U');

    const std::string letters = "TOPUx";  // fill and mark letters besides "N"
    for (int step = 0; step < sc.steps; ++step) {
        Cell digits(pick(sc.max_level + 1));
        for (int& d : digits) {
            d = pick(sc.digits);
        }
        const CellKey key = key_of(digits);
        const std::int32_t value = static_cast<std::int32_t>(rng());
        const int reset = pick(1000);
        const int op = pick(100);
        std::string what;
        if (reset < sc.resets_per_mille) {
            what = reset % 3 == 2 ? "reset_to_o" : "reset";
            if (what == "reset") {
                tree.reset();
                model.reset('U');
            } else {
                tree.reset_to_o();
                model.reset('O');
            }
        } else if (op < 30) {
            what = "refine";
            ASSERT_EQ(tree.refine(key), model.refine(digits)) << "step " << step;
        } else if (op < 40) {
            const int level = pick(sc.max_level + 4) - 1;  // -1..max_level + 2
            const char fill = letters[pick(4)];
            what = "refine_fill";
            ASSERT_EQ(tree.refine_fill(key, level, fill), model.refine_fill(digits, level, fill))
                << "step " << step;
        } else if (op < 55) {
            what = "put";
            ASSERT_EQ(tree.put(key, value), model.put_value(digits, value, false))
                << "step " << step;
        } else if (op < 65) {
            what = "put_if_free";
            ASSERT_EQ(tree.put_if_free(key, value), model.put_value(digits, value, true))
                << "step " << step;
        } else if (op < 75) {
            what = "replace";
            ASSERT_EQ(tree.replace(key, value), model.replace_value(digits, value))
                << "step " << step;
        } else if (op < 92) {
            what = "lookup";
            const auto got = tree.lookup(key);
            const auto want = model.lookup(digits);
            ASSERT_EQ(got.status, want.status) << "step " << step;
            ASSERT_EQ(got.level, want.level) << "step " << step;
            ASSERT_EQ(got.value, want.value) << "step " << step;
        } else {
            // "N" only where it names the cell's own node again.
            char letter = letters[pick(static_cast<int>(letters.size()))];
            if (pick(2) == 0 && model.can_mark_n(digits)) {
                letter = 'N';
            }
            what = "mark";
            ASSERT_EQ(tree.mark(key, letter), model.mark_slot(digits, letter)) << "step " << step;
        }
        ASSERT_EQ(tree.count, model.count()) << what << " at step " << step;
        ASSERT_EQ(tree.parent, model.parent_array()) << what << " at step " << step;
        ASSERT_EQ(tree.child, model.child_array()) << what << " at step " << step;
        ASSERT_EQ(tree.state, model.state_array()) << what << " at step " << step;
    }
}

}  // namespace

TEST(tree_against_model, shallow_narrow_tree_fills_to_capacity)
{
    run({1, 40, 4, 2, 3000, 3});
}

TEST(tree_against_model, all_digits_moderate_depth)
{
    run({2, 200, 3, 8, 3000, 10});
}

TEST(tree_against_model, deep_keys_across_both_words)
{
    run({3, 120, 18, 2, 3000, 5});
}

TEST(tree_against_model, several_seeds_small_trees)
{
    for (std::uint32_t seed = 10; seed < 20; ++seed) {
        run({seed, 25, 3, 3, 600, 30});
        if (testing::Test::HasFatalFailure()) {
            return;
        }
    }
}
