// How the data set is written: the choices that shape the bytes of the
// master and piece files.  The defaults give the plain ASCII files.
#pragma once

namespace cellplot {

enum class Format { ascii, binary, vtkhdf };  // binary: raw appended data; vtkhdf: one HDF5 file
enum class Precision { float64, float32 };    // values of the binary formats
enum class Compression { none, zlib, lz4 };   // blocks of the binary formats
enum class CellType { voxel, hexahedron };

struct OutputStyle {
    Format format = Format::ascii;
    Precision precision = Precision::float64;
    Compression compress = Compression::none;
    CellType cell_type = CellType::voxel;
};

}  // namespace cellplot
