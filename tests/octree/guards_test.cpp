// Calls outside the documented limits: a refining call on a full tree, walks
// deeper than a digit array, malformed keys, "N" slots that name no row,
// arrays without rows.  Each is refused with "E" without changing anything
// or touching a word outside the caller's arrays.
#include "cellkeys.h"
#include "tree_fixture.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

void expect_same_arrays(const Tree& a, const Tree& b)
{
    EXPECT_EQ(a.count, b.count);
    EXPECT_EQ(a.parent, b.parent);
    EXPECT_EQ(a.child, b.child);
    EXPECT_EQ(a.state, b.state);
}

// Tree arrays with guard words on both sides, all inside one buffer each.
struct Guarded {
    static constexpr int pad = 16;
    static constexpr std::int32_t guard_word = 0x5eadbeef;
    static constexpr char guard_byte = '#';

    explicit Guarded(std::int32_t rows)
        : capacity(rows),
          pbuf(rows + 2 * pad, guard_word),
          cbuf(8 * rows + 2 * pad, guard_word),
          sbuf(8 * rows + 2 * pad, guard_byte)
    {
        ck_fill_tables();
        tree_reset(parent(), child(), state(), &capacity, &count);
    }
    std::int32_t* parent() { return pbuf.data() + pad; }
    std::int32_t* child() { return cbuf.data() + pad; }
    char* state() { return sbuf.data() + pad; }

    void expect_guards_intact() const
    {
        for (int i = 0; i < pad; ++i) {
            EXPECT_EQ(pbuf[i], guard_word);
            EXPECT_EQ(pbuf[pbuf.size() - 1 - i], guard_word);
            EXPECT_EQ(cbuf[i], guard_word);
            EXPECT_EQ(cbuf[cbuf.size() - 1 - i], guard_word);
            EXPECT_EQ(sbuf[i], guard_byte);
            EXPECT_EQ(sbuf[sbuf.size() - 1 - i], guard_byte);
        }
    }
    // Every key routine once with `key`; returns the statuses in call order.
    std::vector<char> call_all(const CellKey& key, std::int32_t level)
    {
        std::vector<char> out;
        char status = '?';
        std::int32_t value = 5, found_level = -1, found = -1;
        tree_refine(parent(), child(), state(), &capacity, &count, &key, &status);
        out.push_back(status);
        char fill = 'U';
        tree_refine_fill(parent(), child(), state(), &capacity, &count, &key, &level, &fill);
        out.push_back(fill);
        tree_put_value(child(), state(), &capacity, &key, &value, &status);
        out.push_back(status);
        tree_put_value_if_free(child(), state(), &capacity, &key, &value, &status);
        out.push_back(status);
        tree_replace_value(child(), state(), &capacity, &key, &value, &status);
        out.push_back(status);
        tree_lookup(child(), state(), &capacity, &key, &found_level, &found, &status);
        out.push_back(status);
        char letter = 'O';
        tree_mark_slot(child(), state(), &capacity, &key, &letter);
        out.push_back(letter);
        return out;
    }

    std::int32_t capacity;
    std::int32_t count = 0;
    std::vector<std::int32_t> pbuf, cbuf;
    std::vector<char> sbuf;
};

const std::vector<char> all_refused(7, 'E');

}  // namespace

TEST(tree_full, refining_call_is_refused_and_changes_nothing)
{
    Tree tree(2);
    tree.reset();
    ASSERT_EQ(tree.refine(key_of({3})), 'N');
    ASSERT_EQ(tree.put(key_of({4}), 8), 'N');
    const Tree before = tree;
    EXPECT_EQ(tree.refine(key_of({3, 1})), 'E');
    EXPECT_EQ(tree.refine_fill(key_of({3, 1}), 2, 'U'), 'E');
    EXPECT_EQ(tree.refine_fill(key_of({4}), 1, 'U'), 'E');
    expect_same_arrays(tree, before);
    // A call that would create nothing still reports the leaf it found.
    EXPECT_EQ(tree.refine(key_of({4})), 'T');
    // Values still go into the existing leaves.
    EXPECT_EQ(tree.put(key_of({3, 1}), 9), 'N');
}

TEST(tree_full, count_outside_one_to_capacity_is_refused)
{
    for (std::int32_t bad : {0, -1, INT32_MIN, 3, INT32_MAX}) {
        Tree tree(3);
        tree.reset();
        tree.count = bad;
        const Tree before = tree;
        EXPECT_EQ(tree.refine(key_of({1})), 'E') << bad;
        EXPECT_EQ(tree.refine_fill(key_of({1}), 1, 'U'), 'E') << bad;
        expect_same_arrays(tree, before);
    }
}

TEST(tree_refine_fill, level_twenty_is_the_deepest_walk)
{
    Tree tree(30);
    tree.reset();
    const CellKey key = key_of({6});
    for (int made = 2; made <= 21; ++made) {
        ASSERT_EQ(tree.refine_fill(key, 20, 'U'), 'U');
        ASSERT_EQ(tree.count, made);
    }
    const Tree before = tree;
    EXPECT_EQ(tree.refine_fill(key, 20, 'U'), 'E');
    for (std::int32_t level : {21, 22, 1000, INT32_MAX}) {
        EXPECT_EQ(tree.refine_fill(key, level, 'U'), 'E') << level;
    }
    expect_same_arrays(tree, before);
}

TEST(tree_guards, key_level_field_above_twenty_is_refused_everywhere)
{
    Guarded tree(4);
    for (std::int32_t level : {21, 30, 63}) {
        std::vector<char> got = tree.call_all(CellKey{0, level * 33554432}, 1);
        // tree_refine_fill walks to its own level argument instead.
        got.erase(got.begin() + 1);
        EXPECT_EQ(got, std::vector<char>(6, 'E')) << level;
    }
    tree.expect_guards_intact();
}

TEST(tree_guards, n_slot_naming_no_row_stops_the_walk)
{
    for (std::int32_t bad : {0, -1, 5, 1000000, INT32_MIN}) {
        Guarded tree(4);
        std::int32_t value = bad;
        char status = '?';
        const CellKey coarse = key_of({2});
        tree_put_value(tree.child(), tree.state(), &tree.capacity, &coarse, &value, &status);
        ASSERT_EQ(status, 'N');
        char letter = 'N';
        tree_mark_slot(tree.child(), tree.state(), &tree.capacity, &coarse, &letter);
        ASSERT_EQ(letter, 'N');
        const std::vector<char> before(tree.sbuf);
        const std::vector<std::int32_t> child_before(tree.cbuf);
        EXPECT_EQ(tree.call_all(key_of({2, 5, 1}), 3), all_refused) << bad;
        EXPECT_EQ(tree.sbuf, before);
        EXPECT_EQ(tree.cbuf, child_before);
        tree.expect_guards_intact();
    }
}

TEST(tree_guards, fill_letter_n_leaves_slots_that_stop_later_walks)
{
    Guarded tree(4);
    char fill = 'N';
    std::int32_t level = 1;
    const CellKey key = key_of({1});
    tree_refine_fill(tree.parent(), tree.child(), tree.state(), &tree.capacity, &tree.count, &key,
                     &level, &fill);
    ASSERT_EQ(fill, 'N');
    EXPECT_EQ(tree.call_all(key_of({1, 3, 3}), 3), all_refused);
    tree.expect_guards_intact();
}

TEST(tree_guards, malformed_words_stay_inside_the_arrays)
{
    Guarded tree(8);
    for (const CellKey key :
         {CellKey{-1, 1 * 33554432}, CellKey{-1, 10 * 33554432}, CellKey{INT32_MIN, 18 * 33554432},
          CellKey{-1, 20 * 33554432}, CellKey{-1, -1}, CellKey{7, INT32_MIN}}) {
        tree.call_all(key, 5);
    }
    tree.expect_guards_intact();
}

TEST(tree_guards, arrays_without_rows_are_never_touched)
{
    for (std::int32_t capacity : {0, -3}) {
        std::int32_t count = 77;
        tree_reset(nullptr, nullptr, nullptr, &capacity, &count);
        tree_reset_to_o(nullptr, nullptr, nullptr, &capacity, &count);
        EXPECT_EQ(count, 77);
        const CellKey key = key_of({1, 2});
        char status = '?';
        std::int32_t value = 1, level = -1;
        tree_refine(nullptr, nullptr, nullptr, &capacity, &count, &key, &status);
        EXPECT_EQ(status, 'E');
        char fill = 'U';
        tree_refine_fill(nullptr, nullptr, nullptr, &capacity, &count, &key, &value, &fill);
        EXPECT_EQ(fill, 'E');
        status = '?';
        tree_put_value(nullptr, nullptr, &capacity, &key, &value, &status);
        EXPECT_EQ(status, 'E');
        status = '?';
        tree_put_value_if_free(nullptr, nullptr, &capacity, &key, &value, &status);
        EXPECT_EQ(status, 'E');
        status = '?';
        tree_replace_value(nullptr, nullptr, &capacity, &key, &value, &status);
        EXPECT_EQ(status, 'E');
        status = '?';
        tree_lookup(nullptr, nullptr, &capacity, &key, &level, &value, &status);
        EXPECT_EQ(status, 'E');
        EXPECT_EQ(level, 0);
        EXPECT_EQ(value, 0);
        char letter = 'P';
        tree_mark_slot(nullptr, nullptr, &capacity, &key, &letter);
        EXPECT_EQ(letter, 'E');
        count = 0;
        testing::internal::CaptureStdout();
        tree_print(nullptr, nullptr, nullptr, &capacity, &count);
        count = 5;
        tree_print(nullptr, nullptr, nullptr, &capacity, &count);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "     0\n     5\n");
    }
}
