// The value-returning helpers and the octree view give what the C routines
// give, with the known values of the C tests.
#include "cellkeys.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

bool same(const CellKey& a, const CellKey& b)
{
    return a.word1 == b.word1 && a.word2 == b.word2;
}

class CxxHelpers : public testing::Test {
protected:
    void SetUp() override { cellkeys::fill_tables(); }
};

}  // namespace

TEST_F(CxxHelpers, keys_from_and_to_coordinates_digits_and_bits)
{
    const CellKey key = cellkeys::from_ijk(3, 5, 3, 6);
    EXPECT_TRUE(same(key, CellKey{245, 100663296}));
    EXPECT_TRUE(same(cellkeys::from_ijk(11, 2047, 0, 1), CellKey{153391689, 369098757}));
    EXPECT_TRUE(same(cellkeys::from_ijk(19, 1, 1, 1), cellkeys::root()));
    EXPECT_EQ(cellkeys::level(key), 3);
    const cellkeys::Ijk c = cellkeys::to_ijk(key, 5);
    EXPECT_EQ(c.i, 20);
    EXPECT_EQ(c.j, 12);
    EXPECT_EQ(c.k, 24);
    const cellkeys::Digits d = cellkeys::digits(key);
    EXPECT_EQ(d[0], 5);
    EXPECT_EQ(d[1], 6);
    EXPECT_EQ(d[2], 3);
    EXPECT_EQ(d[3], 0);
    EXPECT_TRUE(same(cellkeys::from_digits(d, 3), key));
    EXPECT_TRUE(same(cellkeys::from_bits(cellkeys::bits(key), 3), key));
    EXPECT_EQ(cellkeys::own_digit(key), 3);
    EXPECT_EQ(cellkeys::digit_at(key, 2), 6);
    EXPECT_TRUE(same(cellkeys::with_level(key, 1), CellKey{245, 33554432}));
}

TEST_F(CxxHelpers, navigation_returns_new_keys_and_leaves_the_argument)
{
    const CellKey key = cellkeys::from_ijk(3, 5, 3, 6);
    EXPECT_TRUE(same(cellkeys::child(key, 4), CellKey{2293, 134217728}));
    EXPECT_TRUE(same(cellkeys::parent(cellkeys::child(key, 4)), key));
    EXPECT_TRUE(same(cellkeys::truncated(key, 2), CellKey{53, 67108864}));
    EXPECT_TRUE(same(key, CellKey{245, 100663296}));
    EXPECT_TRUE(same(cellkeys::next_cell_at(key, 1), CellKey{6, 100663296}));
    EXPECT_TRUE(
        same(cellkeys::prev_cell_at(cellkeys::next_cell_at(key, 1), 1), CellKey{5, 100663296}));
    EXPECT_TRUE(same(cellkeys::prev_cell(cellkeys::next_cell(key)), key));
    EXPECT_EQ(cellkeys::collate_at(key, cellkeys::truncated(key, 1), 1), 0);
    EXPECT_EQ(cellkeys::collate(key, cellkeys::truncated(key, 1)), 1);
}

TEST_F(CxxHelpers, axis_neighbour_steps_one_cell_and_wraps)
{
    const CellKey key = cellkeys::from_ijk(3, 5, 3, 6);
    EXPECT_TRUE(same(cellkeys::axis_neighbour(key, 1, 1), cellkeys::from_ijk(3, 6, 3, 6)));
    EXPECT_TRUE(same(cellkeys::axis_neighbour(key, 2, -1), cellkeys::from_ijk(3, 5, 2, 6)));
    EXPECT_TRUE(same(cellkeys::axis_neighbour(cellkeys::from_ijk(3, 7, 0, 0), 1, 1),
                     cellkeys::from_ijk(3, 0, 0, 0)));
    EXPECT_TRUE(same(cellkeys::axis_neighbour(key, 4, 1), key));
}

TEST_F(CxxHelpers, tree_view_indexes_the_caller_arrays_by_node_and_slot)
{
    constexpr std::int32_t capacity = 6;
    std::vector<std::int32_t> parent(capacity, -1), child(8 * capacity, -1);
    std::vector<char> state(8 * capacity, '?');
    std::int32_t count = 0;
    const cellkeys::TreeView tree(parent.data(), child.data(), state.data(), capacity, &count);
    tree.reset();
    EXPECT_EQ(tree.count(), 1);
    const CellKey key = cellkeys::from_ijk(3, 5, 3, 6);  // digits 5, 6, 3
    for (std::int32_t n = 2; n <= 4; ++n)
        EXPECT_EQ(tree.refine(key), 'N');
    EXPECT_EQ(count, 4);
    EXPECT_EQ(tree.refine(key), 'E');
    EXPECT_EQ(tree.child(1, 5), 2);
    EXPECT_EQ(child[0 * 8 + 5], 2);
    EXPECT_EQ(tree.child(3, 3), 4);
    EXPECT_EQ(child[2 * 8 + 3], 4);
    EXPECT_EQ(tree.state(3, 3), 'N');
    EXPECT_EQ(tree.parent(4), 3);
    EXPECT_EQ(parent[3], 3);

    const CellKey leaf = cellkeys::child(key, 2);
    EXPECT_EQ(tree.put_value(leaf, 77), 'N');
    EXPECT_EQ(tree.put_value(leaf, 78), 'T');
    EXPECT_EQ(tree.replace_value(leaf, 88), 'N');
    const cellkeys::Found f = tree.lookup(leaf);
    EXPECT_EQ(f.status, 'T');
    EXPECT_EQ(f.level, 4);
    EXPECT_EQ(f.value, 88);
    EXPECT_EQ(tree.mark_slot(cellkeys::child(key, 6), 'O'), 'O');
    EXPECT_EQ(tree.put_value_if_free(cellkeys::child(key, 6), 1), 'O');
    EXPECT_EQ(tree.refine_fill(leaf, 4, 'P'), 'P');
    EXPECT_EQ(tree.count(), 5);
    EXPECT_EQ(tree.state(5, 7), 'P');
    // A view writes only through the caller's arrays: rows past the count
    // stay as the caller left them.
    EXPECT_EQ(tree.parent(6), -1);
    EXPECT_EQ(tree.state(6, 0), '?');
}

TEST_F(CxxHelpers, saved_states_restore_the_sequences)
{
    const std::int32_t seed1 = 1802, seed2 = 9373, arg = 0;
    rng_seed(&seed1, &seed2);
    const cellkeys::SavedState first = cellkeys::saved_state();
    const double u = rng_draw(&arg);
    cellkeys::load_state(first);
    EXPECT_EQ(rng_draw(&arg), u);

    rng_start_second(&seed1, &seed2);
    rng_normal_second(&arg);
    const cellkeys::SavedStateSecond second = cellkeys::saved_state_second();
    EXPECT_EQ(second[101], 1.0);
    const double x = rng_normal_second(&arg), y = rng_normal_second(&arg);
    cellkeys::load_state_second(second);
    EXPECT_EQ(rng_normal_second(&arg), x);
    EXPECT_EQ(rng_normal_second(&arg), y);
}
