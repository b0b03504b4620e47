// The sample solver's mesh: an octree refined around a spherical front,
// built and walked with the cellkeys routines the way a flow solver does.
#pragma once

#include "cellkeys.h"

#include <cstdint>
#include <vector>

namespace solver {

// A spherical front in the unit cube.  Cells closer to it than `band`
// cell edges are refined, down to `max_level`; every cell is refined down
// to `min_level`.  Because the band is measured in edges of the cell being
// tested, coarser cells reach further out and the levels grade smoothly.
struct Refinement {
    std::int32_t min_level = 2;
    std::int32_t max_level = 6;
    double centre[3] = {0.5, 0.5, 0.5};
    double radius = 0.3;
    double band = 2.0;
};

// The octree in the caller-owned arrays the tree_ routines work on.  The
// arrays grow between calls when the tree is about to fill them.
struct Octree {
    std::vector<std::int32_t> parent;
    std::vector<std::int32_t> child;
    std::vector<char> state;
    std::int32_t capacity = 0;
    std::int32_t count = 0;
};

// Outcome of building the mesh.
struct BuildResult {
    bool ok = false;          // false: leaves would exceed the limit
    std::int64_t leaves = 0;  // leaves of the finished tree (when ok)
};

// Builds the tree in one path-order walk: each leaf is refined as soon as
// the walk reaches it if the refinement asks for it, then the walk goes on
// into its children.  Stops early, with ok false, as soon as the number of
// leaves would pass max_leaves.  Calls ck_fill_tables first.
BuildResult build_tree(const Refinement& r, std::int64_t max_leaves, Octree& tree);

// Keys of the leaves numbered first..first + count - 1 (from 0) in path
// order, as a key array of `count` slots (slot s from 1 in words 2s - 2,
// 2s - 1).
std::vector<std::int32_t> leaf_keys(const Octree& tree, std::int64_t first, std::int32_t count);

// Centre and edge of the cell a key names, in the unit cube.
void cell_geometry(const CellKey& key, double centre[3], double* edge);

// Whether the cell a key names is to be refined: its level is below the
// minimum, or it is below the maximum and near the front.
bool wants_refinement(const Refinement& r, const CellKey& key);

// The first leaf and the leaf count of process `rank` of `size` when
// `leaves` leaves are split evenly in path order: the first
// leaves mod size processes take one leaf more.
void split_evenly(std::int64_t leaves, std::int32_t size, std::int32_t rank, std::int64_t* first,
                  std::int64_t* count);

}  // namespace solver
