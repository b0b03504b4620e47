// Cell geometry and field conversion: each cell becomes an axis-aligned box
// (a VTK voxel) with eight points of its own, and the per-volume quantities
// become velocity, energy per mass and mass fractions.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "limits.hpp"
#include "piece.hpp"
#include "storage.hpp"

namespace cellplot {

// Edge length of a cell per level.  Entry 0 follows the rootsize of the file
// being converted; entries 1..nlevels are halvings made from piece 0.
struct SizeTable {
    double cellsize[max_level + 1] = {};
    std::int32_t nlevels = 0;  // deepest level tabulated (0 when none below the root)
};

// The boxes of a piece: for cell i (0-based), corners[6i..6i+5] hold the low
// and high x, low and high y, low and high z.  Point k (0..7) of cell i, in
// VTK voxel order (x varying fastest), takes the high coordinate along axis a
// when bit a of k is set; it is point number 8i + k of the piece.
struct Cells {
    Storage<double> corners{6 * std::size_t{max_cells}};
    std::int32_t npoints = 0;
};

// Tabulates the cell sizes from piece 0; file names the file in messages.
void build_size_table(SizeTable& table, double rootsize, std::int32_t nlevels,
                      const std::string& file);

// Builds the boxes of all cells of piece; refuses a cell level, or a
// reflevel where it is used, outside the levels of the table.
void build_cells(const Piece& piece, SizeTable& table, Cells& cells, const std::string& file);

// Divides momentum, energy and species by density, then sets velocity
// components and pressure below 1e-6 and mass fractions below 1e-10 in
// magnitude to zero.
void convert_fields(Piece& piece);

}  // namespace cellplot
