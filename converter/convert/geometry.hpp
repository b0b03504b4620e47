// Cell geometry: each cell becomes an axis-aligned box with eight points of
// its own.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "convert/limits.hpp"
#include "convert/piece.hpp"
#include "convert/storage.hpp"
#include "write/output_style.hpp"

namespace cellplot {

// Edge length of a cell per level, made from piece 0: entry 0 is its
// rootsize, entries 1..nlevels are halvings of it.
struct SizeTable {
    double cellsize[max_level + 1] = {};
    std::int32_t nlevels = 0;  // deepest level tabulated (0 when none below the root)

    // The finest cell size of the output: the one that decides when corners
    // coincide, the same for every piece.
    double finest() const { return cellsize[nlevels]; }
};

// The boxes of a piece: for cell i (0-based), corners[6i..6i+5] hold the low
// and high x, low and high y, low and high z.  Point k (0..7) of cell i, in
// VTK voxel order (x varying fastest), takes the high coordinate along axis a
// when bit a of k is set; it is point number 8i + k of the piece.
struct Cells {
    Storage<double> corners{6 * std::size_t{max_cells}};
    std::int32_t npoints = 0;
};

// Coordinate a (0 x, 1 y, 2 z) of voxel corner k (0..7) of cell i.
inline double corner_coordinate(const Cells& cells, std::int32_t i, int k, int a)
{
    return cells.corners[6 * std::size_t(i) + std::size_t(2 * a + ((k >> a) & 1))];
}

// How a cell of the output lists its eight points: the VTK cell type, and
// for each of its corners in that type's order the voxel corner k above.  A
// voxel takes them as they are; a hexahedron goes round the low-z face and
// then the high-z face.  Point 8i + c of the piece is corner c of cell i.
struct CellShape {
    std::uint8_t vtk_type;
    std::uint8_t voxel_corner[8];
};
inline constexpr CellShape voxel_shape{11, {0, 1, 2, 3, 4, 5, 6, 7}};       // VTK_VOXEL
inline constexpr CellShape hexahedron_shape{12, {0, 1, 3, 2, 4, 5, 7, 6}};  // VTK_HEXAHEDRON
inline const CellShape& cell_shape(CellType type)
{
    return type == CellType::hexahedron ? hexahedron_shape : voxel_shape;
}

// Tabulates the cell sizes from piece 0; file names the file in messages.
void build_size_table(SizeTable& table, double rootsize, std::int32_t nlevels,
                      const std::string& file);

// Builds the boxes of all cells of piece; a level-0 cell takes the rootsize
// of piece itself, deeper levels the table.  Refuses a cell level, or a
// reflevel where it is used, outside the levels of the table.
void build_cells(const Piece& piece, const SizeTable& table, Cells& cells, const std::string& file);

}  // namespace cellplot
