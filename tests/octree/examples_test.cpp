// The documented cases of refining, storing, replacing, looking up and
// marking, with expected words typed in.
#include "cellkeys.h"
#include "tree_fixture.hpp"

#include <gtest/gtest.h>

#include <algorithm>

using octree_model::Found;

TEST(tree_refine, level_one_key_on_fresh_tree_creates_node_two_then_refuses)
{
    Tree tree(10);
    tree.reset();
    const CellKey key = key_of({5});
    EXPECT_EQ(tree.refine(key), 'N');
    EXPECT_EQ(tree.count, 2);
    EXPECT_EQ(tree.state_at(1, 5), 'N');
    EXPECT_EQ(tree.child_at(1, 5), 2);
    EXPECT_EQ(tree.parent[1], 1);
    for (int j = 0; j < 8; ++j) {
        EXPECT_EQ(tree.state_at(2, j), 'U');
        EXPECT_EQ(tree.child_at(2, j), 0);
    }
    const Tree before = tree;
    EXPECT_EQ(tree.refine(key), 'E');
    EXPECT_EQ(tree.count, 2);
    EXPECT_EQ(tree.child, before.child);
    EXPECT_EQ(tree.state, before.state);
    EXPECT_EQ(tree.parent, before.parent);
}

TEST(tree_refine, level_three_key_takes_three_calls_one_level_each)
{
    Tree tree(10);
    tree.reset();
    const CellKey key = key_of({5, 6, 3});  // (245, 100663296)
    ASSERT_EQ(key.word1, 245);
    ASSERT_EQ(key.word2, 100663296);
    for (int expected = 2; expected <= 4; ++expected) {
        EXPECT_EQ(tree.refine(key), 'N');
        EXPECT_EQ(tree.count, expected);
    }
    EXPECT_EQ(tree.child_at(1, 5), 2);
    EXPECT_EQ(tree.child_at(2, 6), 3);
    EXPECT_EQ(tree.child_at(3, 3), 4);
    EXPECT_EQ(tree.parent[3], 3);
    EXPECT_EQ(tree.refine(key), 'E');
    EXPECT_EQ(tree.count, 4);
}

TEST(tree_refine, tree_started_with_o_leaves_refuses_refine_but_not_refine_fill)
{
    Tree tree(10);
    tree.reset_to_o();
    for (int d = 0; d < 8; ++d) {
        EXPECT_EQ(tree.refine(key_of({d, 1})), 'O');
    }
    EXPECT_EQ(tree.count, 1);
    EXPECT_EQ(tree.refine_fill(key_of({2}), 1, 'U'), 'U');
    EXPECT_EQ(tree.count, 2);
    EXPECT_EQ(tree.state_at(1, 2), 'N');
}

TEST(tree_refine_fill, deeper_level_continues_through_slot_zero)
{
    Tree tree(10);
    tree.reset();
    const CellKey key = key_of({4});
    EXPECT_EQ(tree.refine_fill(key, 2, 'U'), 'U');
    EXPECT_EQ(tree.count, 2);
    EXPECT_EQ(tree.child_at(1, 4), 2);
    EXPECT_EQ(tree.refine_fill(key, 2, 'U'), 'U');
    EXPECT_EQ(tree.count, 3);
    EXPECT_EQ(tree.state_at(2, 0), 'N');
    EXPECT_EQ(tree.child_at(2, 0), 3);
    EXPECT_EQ(tree.parent[2], 2);
    EXPECT_EQ(tree.refine_fill(key, 2, 'U'), 'E');
    EXPECT_EQ(tree.count, 3);
}

TEST(tree_refine_fill, new_slots_take_the_fill_letter)
{
    Tree tree(10);
    tree.reset();
    EXPECT_EQ(tree.refine_fill(key_of({1}), 1, 'P'), 'P');
    for (int j = 0; j < 8; ++j) {
        EXPECT_EQ(tree.state_at(2, j), 'P');
        EXPECT_EQ(tree.child_at(2, j), 0);
    }
    EXPECT_EQ(tree.refine(key_of({1, 3})), 'P');
}

TEST(tree_refine_fill, value_slot_becomes_node_and_lookup_finds_the_node)
{
    Tree tree(10);
    tree.reset();
    const CellKey key = key_of({3});
    EXPECT_EQ(tree.put(key, 77), 'N');
    EXPECT_EQ(tree.refine_fill(key, 1, 'U'), 'U');
    EXPECT_EQ(tree.state_at(1, 3), 'N');
    EXPECT_EQ(tree.child_at(1, 3), 2);
    EXPECT_EQ(tree.lookup(key), (Found{'N', 1, 2}));
}

TEST(tree_refine, level_zero_key_acts_on_root_slot_of_first_digit)
{
    Tree tree(10);
    tree.reset();
    EXPECT_EQ(tree.refine(CellKey{0, 0}), 'N');
    EXPECT_EQ(tree.child_at(1, 0), 2);
    EXPECT_EQ(tree.lookup(CellKey{0, 0}), (Found{'N', 1, 2}));
    // A level-0 key carrying a stray digit 5 in word 1 walks through slot 5.
    EXPECT_EQ(tree.lookup(CellKey{245, 0}), (Found{'U', 1, 0}));
    EXPECT_EQ(tree.refine(CellKey{245, 0}), 'N');
    EXPECT_EQ(tree.child_at(1, 5), 3);
}

TEST(tree_lookup, fresh_tree_answers_free_leaf_at_level_one)
{
    Tree tree(4);
    tree.reset();
    EXPECT_EQ(tree.lookup(key_of({7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7})),
              (Found{'U', 1, 0}));
    EXPECT_EQ(tree.lookup(key_of({0})), (Found{'U', 1, 0}));
}

TEST(tree_lookup, finer_key_finds_value_of_containing_cell)
{
    Tree tree(4);
    tree.reset();
    EXPECT_EQ(tree.put(key_of({6}), -123456), 'N');
    EXPECT_EQ(tree.lookup(key_of({6})), (Found{'T', 1, -123456}));
    EXPECT_EQ(tree.lookup(key_of({6, 2, 7})), (Found{'T', 1, -123456}));
    EXPECT_EQ(tree.lookup(key_of({5, 2, 7})), (Found{'U', 1, 0}));
}

TEST(tree_values, only_replace_changes_a_stored_value)
{
    Tree tree(4);
    tree.reset();
    const CellKey key = key_of({2});
    EXPECT_EQ(tree.put(key, 10), 'N');
    EXPECT_EQ(tree.put(key, 20), 'T');
    EXPECT_EQ(tree.put_if_free(key, 30), 'T');
    EXPECT_EQ(tree.lookup(key).value, 10);
    EXPECT_EQ(tree.replace(key, 40), 'N');
    EXPECT_EQ(tree.lookup(key), (Found{'T', 1, 40}));
    EXPECT_EQ(tree.state_at(1, 2), 'T');
}

TEST(tree_values, o_leaf_takes_value_only_through_put_value)
{
    Tree tree(4);
    tree.reset_to_o();
    const CellKey key = key_of({1, 1});
    EXPECT_EQ(tree.put_if_free(key, 5), 'O');
    EXPECT_EQ(tree.replace(key, 5), 'O');
    EXPECT_EQ(tree.state_at(1, 1), 'O');
    EXPECT_EQ(tree.put(key, 5), 'N');
    EXPECT_EQ(tree.lookup(key), (Found{'T', 1, 5}));
}

TEST(tree_values, replace_on_free_leaf_answers_u)
{
    Tree tree(4);
    tree.reset();
    EXPECT_EQ(tree.replace(key_of({4}), 9), 'U');
    EXPECT_EQ(tree.state_at(1, 4), 'U');
    EXPECT_EQ(tree.child_at(1, 4), 0);
}

TEST(tree_own_node, value_routines_refuse_lookup_gives_node_mark_overwrites)
{
    Tree tree(6);
    tree.reset();
    const CellKey key = key_of({3, 1});
    ASSERT_EQ(tree.refine(key), 'N');
    ASSERT_EQ(tree.refine(key), 'N');
    const Tree before = tree;
    EXPECT_EQ(tree.put(key, 1), 'E');
    EXPECT_EQ(tree.put_if_free(key, 1), 'E');
    EXPECT_EQ(tree.replace(key, 1), 'E');
    EXPECT_EQ(tree.child, before.child);
    EXPECT_EQ(tree.state, before.state);
    EXPECT_EQ(tree.lookup(key), (Found{'N', 2, 3}));
    EXPECT_EQ(tree.mark(key, 'P'), 'P');
    EXPECT_EQ(tree.state_at(2, 1), 'P');
    EXPECT_EQ(tree.child_at(2, 1), 3);
}

TEST(tree_mark, p_leaf_refused_by_refine_put_and_replace)
{
    Tree tree(6);
    tree.reset();
    const CellKey key = key_of({0, 4});
    EXPECT_EQ(tree.mark(key, 'P'), 'P');
    EXPECT_EQ(tree.refine(key), 'P');
    EXPECT_EQ(tree.put(key, 3), 'P');
    EXPECT_EQ(tree.put_if_free(key, 3), 'P');
    EXPECT_EQ(tree.replace(key, 3), 'P');
    EXPECT_EQ(tree.lookup(key), (Found{'P', 1, 0}));
    EXPECT_EQ(tree.count, 1);
}

TEST(tree_mark, hidden_subtree_comes_back_when_n_is_written_back)
{
    Tree tree(6);
    tree.reset();
    ASSERT_EQ(tree.refine(key_of({7})), 'N');
    ASSERT_EQ(tree.put(key_of({7, 2}), 99), 'N');
    EXPECT_EQ(tree.mark(key_of({7}), 'O'), 'O');
    EXPECT_EQ(tree.lookup(key_of({7, 2})), (Found{'O', 1, 0}));
    EXPECT_EQ(tree.mark(key_of({7}), 'N'), 'N');
    EXPECT_EQ(tree.lookup(key_of({7, 2})), (Found{'T', 2, 99}));
}

TEST(tree_unknown_letter, every_routine_refuses_but_refine_fill_and_lookup_reports_e)
{
    Tree tree(6);
    tree.reset();
    const CellKey key = key_of({6});
    ASSERT_EQ(tree.mark(key, 'x'), 'x');
    EXPECT_EQ(tree.refine(key), 'E');
    EXPECT_EQ(tree.put(key, 1), 'E');
    EXPECT_EQ(tree.put_if_free(key, 1), 'E');
    EXPECT_EQ(tree.replace(key, 1), 'E');
    EXPECT_EQ(tree.mark(key, 'U'), 'E');
    EXPECT_EQ(tree.lookup(key), (Found{'E', 1, 0}));
    EXPECT_EQ(tree.state_at(1, 6), 'x');
    EXPECT_EQ(tree.refine_fill(key, 1, 'U'), 'U');
    EXPECT_EQ(tree.state_at(1, 6), 'N');
}

TEST(tree_reset, leaves_rows_above_the_root_untouched)
{
    Tree tree(4);
    tree.reset();
    ASSERT_EQ(tree.refine(key_of({1})), 'N');
    const Tree before = tree;
    tree.reset_to_o();
    EXPECT_EQ(tree.count, 1);
    EXPECT_EQ(tree.parent, before.parent);
    for (int j = 0; j < 8; ++j) {
        EXPECT_EQ(tree.state_at(1, j), 'O');
        EXPECT_EQ(tree.child_at(1, j), 0);
    }
    EXPECT_TRUE(std::equal(tree.child.begin() + 8, tree.child.end(), before.child.begin() + 8));
    EXPECT_TRUE(std::equal(tree.state.begin() + 8, tree.state.end(), before.state.begin() + 8));
}
