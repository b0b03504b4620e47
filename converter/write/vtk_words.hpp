// The words that an OutputStyle puts into both files of a data set, so that
// the master declares exactly what the pieces hold.
#pragma once

#include <string>

#include "write/block_compressor.hpp"
#include "write/output_style.hpp"

namespace cellplot {

// The attributes of the VTKFile element after its type: none in ASCII; in
// binary the file version, the byte order, the header type and the
// compressor, if any.
inline std::string vtk_file_attributes(const OutputStyle& style)
{
    if (style.format == Format::ascii)
        return "";
    std::string a = " version=\"1.0\" byte_order=\"LittleEndian\" header_type=\"UInt64\"";
    if (style.compress != Compression::none)
        a += std::string(" compressor=\"") + vtk_compressor_name(style.compress) + "\"";
    return a;
}

// The type of the cell data and points: ASCII declares Float32 whatever it
// writes; binary holds what --precision asks.
inline const char* vtk_real_type(const OutputStyle& style)
{
    return style.format == Format::binary && style.precision == Precision::float64 ? "Float64"
                                                                                   : "Float32";
}

inline const char* vtk_format(const OutputStyle& style)
{
    return style.format == Format::ascii ? "ascii" : "appended";
}

}  // namespace cellplot
