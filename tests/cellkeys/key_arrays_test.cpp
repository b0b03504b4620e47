#include "cellkeys.h"
#include "key_test_util.hpp"

#include <gtest/gtest.h>

#include <random>
#include <vector>

using keytest::same;

namespace {
// Slot s (from 1) holds the key (10 s, 10 s + 1).
std::vector<std::int32_t> numbered(int slots)
{
    std::vector<std::int32_t> a;
    for (int s = 1; s <= slots; ++s) {
        a.push_back(10 * s);
        a.push_back(10 * s + 1);
    }
    return a;
}
std::vector<std::int32_t> slots_of(std::initializer_list<int> ids)
{
    std::vector<std::int32_t> a;
    for (int s : ids) {
        a.push_back(10 * s);
        a.push_back(10 * s + 1);
    }
    return a;
}
void slide(std::vector<std::int32_t>& a, std::int32_t count, std::int32_t distance,
           std::int32_t direction)
{
    const std::int32_t capacity = static_cast<std::int32_t>(a.size() / 2);
    ck_slide_block(a.data(), &capacity, &count, &distance, &direction);
}
}  // namespace

TEST(key_arrays, one_and_zero_based_slots_share_the_first_two_words)
{
    std::vector<std::int32_t> a(8, 0);
    const std::int32_t cap = 4, cap0 = 3, one = 1, zero = 0;
    const CellKey k{245, 100663296};
    ck_write_slot(&k, a.data(), &cap, &one);
    EXPECT_EQ(a[0], 245);
    EXPECT_EQ(a[1], 100663296);
    CellKey r{0, 0};
    ck_read_slot0(&r, a.data(), &cap0, &zero);
    EXPECT_TRUE(same(r, k));
    const CellKey k2{7, 33554432};
    ck_write_slot0(&k2, a.data(), &cap0, &zero);
    ck_read_slot(&r, a.data(), &cap, &one);
    EXPECT_TRUE(same(r, k2));
    const std::int32_t three = 3;
    ck_write_slot0(&k, a.data(), &cap0, &three);
    EXPECT_EQ(a[6], 245);
    EXPECT_EQ(a[7], 100663296);
}

TEST(key_arrays, slot_copies_touch_only_the_target_slot)
{
    for (auto copy : {ck_slot_to_slot, ck_slot_assign}) {
        std::vector<std::int32_t> a = numbered(5);
        const std::int32_t cap = 5, two = 2, four = 4;
        copy(a.data(), &cap, &two, &two);
        EXPECT_EQ(a, numbered(5));
        copy(a.data(), &cap, &two, &four);
        EXPECT_EQ(a, slots_of({1, 2, 3, 2, 5}));
    }
}

TEST(key_arrays, slides_open_and_close_gaps)
{
    std::vector<std::int32_t> a = numbered(4);
    slide(a, 3, 1, 1);
    EXPECT_EQ(a, slots_of({1, 1, 2, 3}));
    a = numbered(4);
    slide(a, 3, 1, 0);
    EXPECT_EQ(a, slots_of({1, 1, 2, 3}));
    a = numbered(4);
    slide(a, 3, 1, -1);
    EXPECT_EQ(a, slots_of({2, 3, 4, 4}));
    for (std::int32_t distance : {0, -1, -1000})
        for (std::int32_t direction : {-1, 0, 1}) {
            a = numbered(4);
            slide(a, 3, distance, direction);
            EXPECT_EQ(a, numbered(4));
        }
    a = numbered(4);
    slide(a, 0, 2, 1);
    EXPECT_EQ(a, numbered(4));
}

TEST(key_arrays, overlapping_slides_match_a_copy_through_scratch)
{
    std::mt19937 rng(17);
    for (int c = 0; c < 2000; ++c) {
        const std::int32_t n = static_cast<std::int32_t>(rng() % 12);
        const std::int32_t s = 1 + static_cast<std::int32_t>(rng() % 12);
        const std::int32_t direction = static_cast<std::int32_t>(rng() % 3) - 1;
        std::vector<std::int32_t> a = numbered(n + s);
        const std::vector<std::int32_t> old = a;
        slide(a, n, s, direction);
        std::vector<std::int32_t> want = old;
        for (std::int32_t i = 0; i < n; ++i)
            for (int w = 0; w < 2; ++w) {
                if (direction < 0)
                    want[2 * i + w] = old[2 * (i + s) + w];
                else
                    want[2 * (i + s) + w] = old[2 * i + w];
            }
        ASSERT_EQ(a, want) << n << " " << s << " " << direction;
    }
}

TEST(key_arrays, gather_and_scatter_move_ranges_between_arrays)
{
    std::vector<std::int32_t> large = numbered(8), compact(6, 0);
    const std::int32_t lcap = 8, ccap = 3, first = 4, last = 6, before = 3;
    ck_gather_range(compact.data(), &ccap, large.data(), &lcap, &first, &last);
    EXPECT_EQ(compact, slots_of({4, 5, 6}));
    std::vector<std::int32_t> back(16, 0);
    ck_scatter_range(compact.data(), &ccap, back.data(), &lcap, &first, &last);
    std::vector<std::int32_t> want(16, 0);
    for (int e = 6; e < 12; ++e)
        want[e] = large[e];
    EXPECT_EQ(back, want);
    ck_gather_range(compact.data(), &ccap, numbered(8).data(), &lcap, &first, &before);
    ck_scatter_range(slots_of({9, 9, 9}).data(), &ccap, back.data(), &lcap, &first, &before);
    EXPECT_EQ(compact, slots_of({4, 5, 6}));
    EXPECT_EQ(back, want);
}
