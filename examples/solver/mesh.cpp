#include "mesh.hpp"

#include <cmath>

namespace solver {
namespace {

// Moves key to the next cell of the walk that is not inside key's own
// subtree: its next sibling, or the next sibling of the nearest ancestor
// that has one.  False when the walk has passed the last cell.
bool skip_subtree(CellKey& key)
{
    for (;;) {
        std::int32_t octant = 0, level = 0;
        ck_own_digit(&key, &octant);
        if (octant < 7) {
            ck_next_cell(&key);
            return true;
        }
        ck_to_parent(&key);
        ck_get_level(&key, &level);
        if (level == 0)
            return false;
    }
}

// The first cell of level 1: the walk starts there, since the root always
// has a node of its own.
CellKey first_cell()
{
    CellKey key;
    const std::int32_t octant = 0;
    ck_clear(&key);
    ck_to_child(&key, &octant);
    return key;
}

// What the tree holds for the key's cell: true if it is a node.
bool is_node(const Octree& tree, const CellKey& key)
{
    std::int32_t level = 0, value = 0;
    char status = 'E';
    tree_lookup(tree.child.data(), tree.state.data(), &tree.capacity, &key, &level, &value,
                &status);
    return status == 'N';
}

void grow(Octree& tree, std::int32_t capacity)
{
    tree.capacity = capacity;
    tree.parent.resize(static_cast<std::size_t>(capacity));
    tree.child.resize(8 * static_cast<std::size_t>(capacity));
    tree.state.resize(8 * static_cast<std::size_t>(capacity));
}

}  // namespace

void cell_geometry(const CellKey& key, double centre[3], double* edge)
{
    std::int32_t level = 0, i = 0, j = 0, k = 0;
    ck_get_level(&key, &level);
    ck_to_ijk(&key, &level, &i, &j, &k);
    *edge = std::ldexp(1.0, -level);
    centre[0] = (i + 0.5) * *edge;
    centre[1] = (j + 0.5) * *edge;
    centre[2] = (k + 0.5) * *edge;
}

bool wants_refinement(const Refinement& r, const CellKey& key)
{
    std::int32_t level = 0;
    ck_get_level(&key, &level);
    if (level < r.min_level)
        return true;
    if (level >= r.max_level)
        return false;
    double c[3], edge = 0;
    cell_geometry(key, c, &edge);
    const double dx = c[0] - r.centre[0], dy = c[1] - r.centre[1], dz = c[2] - r.centre[2];
    return std::fabs(std::sqrt(dx * dx + dy * dy + dz * dz) - r.radius) < r.band * edge;
}

BuildResult build_tree(const Refinement& r, std::int64_t max_leaves, Octree& tree)
{
    ck_fill_tables();
    grow(tree, 1024);
    tree_reset(tree.parent.data(), tree.child.data(), tree.state.data(), &tree.capacity,
               &tree.count);
    CellKey key = first_cell();
    std::int64_t leaves = 0;
    for (;;) {
        if (!is_node(tree, key) && wants_refinement(r, key)) {
            // A tree of n nodes has 7n + 1 leaves.
            if (7 * (static_cast<std::int64_t>(tree.count) + 1) + 1 > max_leaves)
                return {};
            if (tree.count + 1 >= tree.capacity)
                grow(tree, 2 * tree.capacity);
            char status = 'E';
            tree_refine(tree.parent.data(), tree.child.data(), tree.state.data(), &tree.capacity,
                        &tree.count, &key, &status);
            if (status != 'N')
                return {};
        }
        if (is_node(tree, key)) {
            const std::int32_t octant = 0;
            ck_to_child(&key, &octant);
            continue;
        }
        ++leaves;
        if (!skip_subtree(key))
            break;
    }
    return {true, leaves};
}

std::vector<std::int32_t> leaf_keys(const Octree& tree, std::int64_t first, std::int32_t count)
{
    std::vector<std::int32_t> keys(2 * static_cast<std::size_t>(count));
    if (count <= 0)
        return keys;
    CellKey key = first_cell();
    std::int64_t index = 0;
    for (;;) {
        if (is_node(tree, key)) {
            const std::int32_t octant = 0;
            ck_to_child(&key, &octant);
            continue;
        }
        if (index >= first) {
            const std::int32_t slot = static_cast<std::int32_t>(index - first) + 1;
            ck_write_slot(&key, keys.data(), &count, &slot);
            if (slot == count)
                break;
        }
        ++index;
        if (!skip_subtree(key))
            break;
    }
    return keys;
}

void split_evenly(std::int64_t leaves, std::int32_t size, std::int32_t rank, std::int64_t* first,
                  std::int64_t* count)
{
    const std::int64_t base = leaves / size, extra = leaves % size;
    *count = base + (rank < extra ? 1 : 0);
    *first = rank * base + (rank < extra ? rank : extra);
}

}  // namespace solver
