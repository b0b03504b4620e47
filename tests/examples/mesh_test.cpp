// The sample solver's mesh: the octree built around the front, the leaf
// walk in path order and the even split over processes.
#include "mesh.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace {

solver::Refinement small_front()
{
    solver::Refinement r;
    r.min_level = 2;
    r.max_level = 5;
    r.centre[0] = 0.45;  // off the middle, so the mesh is not symmetric
    r.radius = 0.27;
    return r;
}

std::vector<CellKey> all_leaves(const solver::Octree& tree, std::int64_t leaves)
{
    const std::int32_t n = static_cast<std::int32_t>(leaves);
    const std::vector<std::int32_t> words = solver::leaf_keys(tree, 0, n);
    std::vector<CellKey> keys(static_cast<std::size_t>(n));
    for (std::int32_t s = 1; s <= n; ++s)
        ck_read_slot(&keys[static_cast<std::size_t>(s) - 1], words.data(), &n, &s);
    return keys;
}

std::int32_t level_of(const CellKey& key)
{
    std::int32_t level = 0;
    ck_get_level(&key, &level);
    return level;
}

class Mesh : public ::testing::Test {
protected:
    void SetUp() override
    {
        built = solver::build_tree(small_front(), 1 << 30, tree);
        ASSERT_TRUE(built.ok);
        leaves = all_leaves(tree, built.leaves);
    }
    solver::Octree tree;
    solver::BuildResult built;
    std::vector<CellKey> leaves;
};

TEST_F(Mesh, has_seven_leaves_per_node_plus_one)
{
    EXPECT_EQ(built.leaves, 7 * static_cast<std::int64_t>(tree.count) + 1);
    EXPECT_GT(built.leaves, 1000);
}

TEST_F(Mesh, leaves_come_in_strict_path_order_and_none_contains_the_next)
{
    for (std::size_t i = 1; i < leaves.size(); ++i) {
        std::int32_t order = 0, same = 0;
        ck_collate(&leaves[i - 1], &leaves[i], &order);
        ASSERT_EQ(order, -1) << "leaf " << i;
        // In a depth-first walk a leaf's descendants would follow it at once.
        const std::int32_t level = level_of(leaves[i - 1]);
        ck_collate_at(&leaves[i - 1], &leaves[i], &level, &same);
        ASSERT_NE(same, 0) << "leaf " << i << " lies inside leaf " << i - 1;
    }
}

TEST_F(Mesh, leaves_fill_the_unit_cube)
{
    // Cell volumes are powers of two, so the sum is exact.
    double volume = 0;
    for (const CellKey& key : leaves) {
        double centre[3], edge = 0;
        solver::cell_geometry(key, centre, &edge);
        volume += edge * edge * edge;
    }
    EXPECT_EQ(volume, 1.0);
}

TEST_F(Mesh, every_leaf_is_as_fine_as_asked_and_no_finer)
{
    const solver::Refinement r = small_front();
    int deepest = 0;
    for (const CellKey& key : leaves) {
        const std::int32_t level = level_of(key);
        ASSERT_GE(level, r.min_level);
        ASSERT_LE(level, r.max_level);
        ASSERT_FALSE(solver::wants_refinement(r, key));
        CellKey parent = key;
        ck_to_parent(&parent);
        ASSERT_TRUE(solver::wants_refinement(r, parent));
        deepest += level == r.max_level;
    }
    EXPECT_GT(deepest, 0);
}

TEST_F(Mesh, cells_cut_by_the_front_are_at_the_deepest_level)
{
    const solver::Refinement r = small_front();
    for (const CellKey& key : leaves) {
        double c[3], edge = 0;
        solver::cell_geometry(key, c, &edge);
        // The nearest and farthest points of the cell from the front's centre.
        double near = 0, far = 0;
        for (int a = 0; a < 3; ++a) {
            const double lo = c[a] - edge / 2 - r.centre[a], hi = c[a] + edge / 2 - r.centre[a];
            const double n = lo > 0 ? lo : (hi < 0 ? -hi : 0);
            const double f = std::fmax(std::fabs(lo), std::fabs(hi));
            near += n * n;
            far += f * f;
        }
        if (std::sqrt(near) < r.radius && std::sqrt(far) > r.radius) {
            ASSERT_EQ(level_of(key), r.max_level);
        }
    }
}

TEST_F(Mesh, a_range_of_leaves_is_the_same_slice_of_the_whole_walk)
{
    const std::int64_t first = 777;
    const std::int32_t count = 1234;
    const std::vector<std::int32_t> words = solver::leaf_keys(tree, first, count);
    for (std::int32_t s = 1; s <= count; ++s) {
        CellKey key;
        ck_read_slot(&key, words.data(), &count, &s);
        const CellKey& expected = leaves[static_cast<std::size_t>(first + s - 1)];
        ASSERT_EQ(key.word1, expected.word1);
        ASSERT_EQ(key.word2, expected.word2);
    }
}

TEST(mesh_limit, building_stops_before_the_leaf_limit_is_passed)
{
    solver::Octree whole, capped, exact;
    const solver::BuildResult full = solver::build_tree(small_front(), 1 << 30, whole);
    ASSERT_TRUE(full.ok);
    EXPECT_FALSE(solver::build_tree(small_front(), full.leaves - 1, capped).ok);
    EXPECT_LT(capped.count, whole.count);
    const solver::BuildResult fits = solver::build_tree(small_front(), full.leaves, exact);
    EXPECT_TRUE(fits.ok);
    EXPECT_EQ(fits.leaves, full.leaves);
}

TEST(mesh_limit, the_coarsest_mesh_is_the_eight_children_of_the_root)
{
    solver::Refinement r;
    r.min_level = 1;
    r.max_level = 1;
    solver::Octree tree;
    const solver::BuildResult built = solver::build_tree(r, 100, tree);
    ASSERT_TRUE(built.ok);
    EXPECT_EQ(built.leaves, 8);
    const std::vector<CellKey> keys = all_leaves(tree, 8);
    for (std::int32_t o = 0; o < 8; ++o) {
        std::int32_t octant = -1;
        ck_own_digit(&keys[static_cast<std::size_t>(o)], &octant);
        EXPECT_EQ(octant, o);
        EXPECT_EQ(level_of(keys[static_cast<std::size_t>(o)]), 1);
    }
}

TEST(split, shares_are_contiguous_in_rank_order_and_differ_by_at_most_one)
{
    for (std::int64_t leaves : {0, 1, 3, 8, 1000, 1001, 1003}) {
        for (std::int32_t size : {1, 2, 3, 4, 7}) {
            std::int64_t next = 0, smallest = leaves, largest = 0;
            for (std::int32_t rank = 0; rank < size; ++rank) {
                std::int64_t first = -1, count = -1;
                solver::split_evenly(leaves, size, rank, &first, &count);
                ASSERT_EQ(first, next) << leaves << " leaves, rank " << rank << " of " << size;
                next += count;
                smallest = std::min(smallest, count);
                largest = std::max(largest, count);
            }
            EXPECT_EQ(next, leaves);
            EXPECT_LE(largest - smallest, 1);
        }
    }
}

}  // namespace
