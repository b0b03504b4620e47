// How the data set is written: the choices that shape the bytes of the
// master and piece files.  The defaults give the plain ASCII files.
#pragma once

namespace cellplot {

enum class Format { ascii, binary, vtkhdf };  // binary: raw appended data; vtkhdf: one HDF5 file
enum class Precision { float64, float32 };    // values of the binary formats
enum class Compression { none, zlib, lz4 };   // blocks of the binary formats
enum class CellType { voxel, hexahedron };
// Per-cell: every cell owns its eight points.  Shared: coincident corners of
// a piece are one point.  Automatic: as the format's default (points_of).
enum class Points { automatic, shared, per_cell };

// Optional cell arrays beyond the converted fields.
struct CellArrays {
    bool level = false;  // "Level", UInt8: the cell's refinement level
    bool piece = false;  // "Piece", Int32: the piece (solver process) number
};

struct OutputStyle {
    Format format = Format::ascii;
    Precision precision = Precision::float64;
    Compression compress = Compression::none;
    CellType cell_type = CellType::voxel;
    Points points = Points::automatic;
    CellArrays cell_arrays;
};

// The points a style writes: as asked, else the format's default.  ASCII
// keeps its own cells' points, as it always has; formats made for viewers
// share them.
inline Points points_of(const OutputStyle& style)
{
    if (style.points != Points::automatic)
        return style.points;
    switch (style.format) {
    case Format::ascii: return Points::per_cell;
    case Format::binary: return Points::shared;
    case Format::vtkhdf: return Points::shared;
    }
    return Points::shared;
}

}  // namespace cellplot
