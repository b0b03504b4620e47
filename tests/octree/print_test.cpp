// tree_print output compared as exact text.
#include "cellkeys.h"
#include "tree_fixture.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

std::string printed(const Tree& tree, std::int32_t count)
{
    testing::internal::CaptureStdout();
    tree_print(tree.parent.data(), tree.child.data(), tree.state.data(), &tree.capacity, &count);
    return testing::internal::GetCapturedStdout();
}

}  // namespace

TEST(tree_print, fresh_tree_gives_count_line_and_root_line)
{
    Tree tree(3);
    tree.reset();
    EXPECT_EQ(printed(tree, tree.count),
              "     1\n"
              "     1     0 U     0 U     0 U     0 U     0 U     0 U     0 U     0 U     0\n");
}

TEST(tree_print, zero_or_negative_count_gives_only_the_count_line)
{
    Tree tree(3);
    tree.reset();
    EXPECT_EQ(printed(tree, 0), "     0\n");
    EXPECT_EQ(printed(tree, -42), "   -42\n");
    EXPECT_EQ(printed(tree, -99999), "-99999\n");
    EXPECT_EQ(printed(tree, -100000), "******\n");
}

TEST(tree_print, nodes_in_order_with_letters_and_values_on_both_sides_of_the_field_width)
{
    Tree tree(4);
    tree.reset();
    ASSERT_EQ(tree.refine(key_of({2})), 'N');
    ASSERT_EQ(tree.refine(key_of({2, 7})), 'N');
    ASSERT_EQ(tree.put(key_of({0}), 999999), 'N');
    ASSERT_EQ(tree.put(key_of({1}), 1000000), 'N');
    ASSERT_EQ(tree.put(key_of({3}), -99999), 'N');
    ASSERT_EQ(tree.put(key_of({4}), -100000), 'N');
    ASSERT_EQ(tree.put(key_of({5}), INT32_MIN), 'N');
    ASSERT_EQ(tree.put(key_of({6}), INT32_MAX), 'N');
    ASSERT_EQ(tree.put(key_of({2, 0}), -1), 'N');
    ASSERT_EQ(tree.mark(key_of({2, 1}), 'P'), 'P');
    ASSERT_EQ(tree.mark(key_of({2, 2}), 'O'), 'O');
    const std::string text = printed(tree, tree.count);
    EXPECT_EQ(text,
              "     3\n"
              "     1     0 T999999 T****** N     2 T-99999 T****** T****** T****** U     0\n"
              "     2     1 T    -1 P     0 O     0 U     0 U     0 U     0 U     0 N     3\n"
              "     3     2 U     0 U     0 U     0 U     0 U     0 U     0 U     0 U     0\n");
}

TEST(tree_print, count_above_capacity_prints_only_the_rows_that_exist)
{
    Tree tree(2);
    tree.reset();
    ASSERT_EQ(tree.refine(key_of({1})), 'N');
    EXPECT_EQ(printed(tree, 1000000),
              "******\n"
              "     1     0 U     0 N     2 U     0 U     0 U     0 U     0 U     0 U     0\n"
              "     2     1 U     0 U     0 U     0 U     0 U     0 U     0 U     0 U     0\n");
}
