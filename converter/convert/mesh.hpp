// The points and connectivity of a converted piece: the one description that
// every writer reads.  The cells' boxes (geometry.hpp) give the coordinates;
// the mesh says which points there are and which point each corner of each
// cell is.  With per-cell points, cell i owns points 8i..8i+7 in the corner
// order of the output's cell type; with shared points, corners that coincide
// are one point, numbered in order of first use.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "convert/geometry.hpp"
#include "convert/limits.hpp"
#include "convert/storage.hpp"
#include "write/output_style.hpp"

namespace cellplot {

inline constexpr std::int32_t max_points = 8 * max_cells;  // points per piece

struct Mesh {
    Cells cells;  // the boxes of the piece's cells

    // connectivity[8i + c]: the 0-based point number of corner c of cell i,
    // corners in the order of shape (a voxel's or a hexahedron's).
    Storage<std::int32_t> connectivity{std::size_t{max_points}};
    // first_use[p] = 8i + k: point p lies at voxel corner k (0..7, x varying
    // fastest) of cell i, the first cell in file order that has it.
    Storage<std::int32_t> first_use{std::size_t{max_points}};

    std::int32_t ncells = 0;   // cells of the piece (0 when it has none)
    std::int32_t npoints = 0;  // points of the piece
    bool shared = false;       // false: point 8i + c is corner c of cell i
    CellShape shape = voxel_shape;

    // The point that is corner c (in shape's order) of cell i.
    std::int32_t point_of(std::int32_t i, int c) const
    {
        return connectivity[8 * std::size_t(i) + std::size_t(c)];
    }
    // Coordinate a (0 x, 1 y, 2 z) of point p.
    double coordinate(std::int32_t p, int a) const
    {
        const std::int32_t use = first_use[std::size_t(p)];
        return corner_coordinate(cells, use >> 3, use & 7, a);
    }
};

// Scratch of the merge of coincident corners, set aside once per workspace
// and reused by every piece: a hash table of the points (only the part a
// piece needs is touched and cleared; it grows as a piece needs), with room
// for max_points points at most half full at its largest; and the points of
// the keys met most recently, which answer most look-ups from the
// processor's cache.
struct MergeTable {
    static constexpr std::size_t capacity = std::size_t{1} << 24;  // slots
    Storage<std::uint32_t> slot{capacity};
    std::size_t last_used = 0;  // slots a piece may have written (the rest are 0)
    // Bit p: point p is in the table (a point of its own is not).
    Storage<std::uint64_t> in_table{std::size_t{max_points} / 64 + 1};
    // packed_key[p]: the key of point p in one word, for the points in the
    // table of a piece whose keys pack (a look-up compares it, rather than
    // the coordinates of the point's first use).
    Storage<std::uint64_t> packed_key{std::size_t{max_points}};

    struct Recent {
        std::uint64_t key;   // the three multiples, 21 bits each
        std::int32_t point;  // -1: none
    };
    static constexpr std::size_t recent_size = 16384;
    std::unique_ptr<Recent[]> recent{new Recent[recent_size]};
};

// Numbers the points of the ncells boxes already in mesh.cells as points asks
// (Points::shared or Points::per_cell) for cells of shape, and fills the
// connectivity.  With shared points, corners that lie within a sixteenth of
// finest (the finest cell size of the output) of the same multiple of it are
// one point, and a cell's corners are always eight distinct points.
void build_mesh(Mesh& mesh, MergeTable& table, std::int32_t ncells, Points points,
                const CellShape& shape, double finest);

}  // namespace cellplot
