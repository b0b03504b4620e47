// The documented cases of refining, storing, replacing, looking up and
// marking, with expected words typed in.
#include "cellkeys.h"
#include "tree_fixture.hpp"

#include <gtest/gtest.h>

#include <algorithm>

using octree_model::Found;

TEST(TreeRefine, LevelOneKeyOnFreshTreeCreatesNodeTwoThenRefuses)
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

TEST(TreeRefine, LevelThreeKeyTakesThreeCallsOneLevelEach)
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

TEST(TreeRefine, TreeStartedWithOLeavesRefusesRefineButNotRefineFill)
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

TEST(TreeRefineFill, DeeperLevelContinuesThroughSlotZero)
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

TEST(TreeRefineFill, NewSlotsTakeTheFillLetter)
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

TEST(TreeRefineFill, ValueSlotBecomesNodeAndLookupFindsTheNode)
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

TEST(TreeRefine, LevelZeroKeyActsOnRootSlotOfFirstDigit)
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

TEST(TreeLookup, FreshTreeAnswersFreeLeafAtLevelOne)
{
    Tree tree(4);
    tree.reset();
    EXPECT_EQ(tree.lookup(key_of({7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7})),
              (Found{'U', 1, 0}));
    EXPECT_EQ(tree.lookup(key_of({0})), (Found{'U', 1, 0}));
}

TEST(TreeLookup, FinerKeyFindsValueOfContainingCell)
{
    Tree tree(4);
    tree.reset();
    EXPECT_EQ(tree.put(key_of({6}), -123456), 'N');
    EXPECT_EQ(tree.lookup(key_of({6})), (Found{'T', 1, -123456}));
    EXPECT_EQ(tree.lookup(key_of({6, 2, 7})), (Found{'T', 1, -123456}));
    EXPECT_EQ(tree.lookup(key_of({5, 2, 7})), (Found{'U', 1, 0}));
}

TEST(TreeValues, OnlyReplaceChangesAStoredValue)
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

TEST(TreeValues, OLeafTakesValueOnlyThroughPutValue)
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

TEST(TreeValues, ReplaceOnFreeLeafAnswersU)
{
    Tree tree(4);
    tree.reset();
    EXPECT_EQ(tree.replace(key_of({4}), 9), 'U');
    EXPECT_EQ(tree.state_at(1, 4), 'U');
    EXPECT_EQ(tree.child_at(1, 4), 0);
}

TEST(TreeOwnNode, ValueRoutinesRefuseLookupGivesNodeMarkOverwrites)
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

TEST(TreeMark, PLeafRefusedByRefinePutAndReplace)
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

TEST(TreeMark, HiddenSubtreeComesBackWhenNIsWrittenBack)
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

TEST(TreeUnknownLetter, EveryRoutineRefusesButRefineFillAndLookupReportsE)
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

TEST(TreeReset, LeavesRowsAboveTheRootUntouched)
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
