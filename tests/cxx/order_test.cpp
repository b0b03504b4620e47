// The C++ comparison operators against ck_collate: std::sort over CellKey
// gives the depth-first pre-order of the octree.
#include "cellkeys.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <random>
#include <vector>

namespace {

// Every key of levels 0..depth in depth-first pre-order, children in
// octant order, built digit by digit with plain arithmetic.
void pre_order(std::int32_t word1, std::int32_t level, std::int32_t depth,
               std::vector<CellKey>& out)
{
    out.push_back(CellKey{word1, level << 25});
    if (level == depth)
        return;
    for (std::int32_t octant = 0; octant < 8; ++octant)
        pre_order(word1 + (octant << (3 * level)), level + 1, depth, out);
}

class CxxOrder : public testing::Test {
protected:
    void SetUp() override { cellkeys::fill_tables(); }
};

}  // namespace

TEST_F(CxxOrder, sorting_shuffled_keys_restores_the_pre_order)
{
    std::vector<CellKey> expected;
    pre_order(0, 0, 3, expected);
    ASSERT_EQ(expected.size(), 1u + 8u + 64u + 512u);
    std::vector<CellKey> keys = expected;
    std::mt19937 rng(11);
    std::shuffle(keys.begin(), keys.end(), rng);
    std::sort(keys.begin(), keys.end());
    for (std::size_t n = 0; n < keys.size(); ++n) {
        ASSERT_EQ(keys[n].word1, expected[n].word1) << n;
        ASSERT_EQ(keys[n].word2, expected[n].word2) << n;
    }
}

TEST_F(CxxOrder, operators_agree_with_ck_collate_on_deep_random_keys)
{
    std::mt19937 rng(5);
    std::vector<CellKey> keys;
    for (int n = 0; n < 400; ++n) {
        const std::int32_t level = static_cast<std::int32_t>(rng() % 19);
        const std::int32_t side = std::int32_t{1} << level;
        // Few distinct coarse cells, so that many keys share ancestors.
        keys.push_back(cellkeys::from_ijk(level, static_cast<std::int32_t>(rng() % 3) * (side / 4),
                                          static_cast<std::int32_t>(rng() % side),
                                          static_cast<std::int32_t>(rng() % 2)));
    }
    std::sort(keys.begin(), keys.end());
    for (std::size_t a = 0; a < keys.size(); ++a)
        for (std::size_t b = 0; b < keys.size(); ++b) {
            std::int32_t r = 0;
            ck_collate(&keys[a], &keys[b], &r);
            ASSERT_EQ(keys[a] < keys[b], r < 0) << a << " " << b;
            ASSERT_EQ(keys[a] == keys[b], r == 0) << a << " " << b;
            ASSERT_EQ(keys[a] > keys[b], r > 0) << a << " " << b;
            if (a < b) {
                ASSERT_LE(r, 0) << a << " " << b;
            }
        }
}

TEST_F(CxxOrder, ancestor_comes_before_its_descendants_and_after_its_elder_sibling)
{
    const CellKey cell = cellkeys::from_ijk(3, 5, 3, 6);
    const CellKey up = cellkeys::parent(cell);
    EXPECT_LT(up, cell);
    EXPECT_LT(cell, cellkeys::child(cell, 0));
    EXPECT_LT(cellkeys::child(cell, 7), cellkeys::next_cell(cell));
    EXPECT_GT(cell, cellkeys::prev_cell(cell));
    EXPECT_EQ(cell, (CellKey{245, 100663296}));
    EXPECT_NE(cell, up);
}

TEST_F(CxxOrder, keys_serve_as_ordered_map_keys)
{
    std::map<CellKey, int> cells;
    cells[cellkeys::from_ijk(2, 3, 3, 3)] = 3;
    cells[cellkeys::root()] = 0;
    cells[cellkeys::from_ijk(1, 1, 1, 1)] = 1;
    cells[cellkeys::from_ijk(1, 0, 0, 0)] = 2;
    std::vector<int> order;
    for (const auto& [key, value] : cells)
        order.push_back(value);
    EXPECT_EQ(order, (std::vector<int>{0, 2, 1, 3}));
}
