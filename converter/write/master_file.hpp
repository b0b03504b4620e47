// The master file of the VTK XML output (.pvtu): the parallel
// unstructured-grid file that declares the arrays of the pieces and lists
// their files.
#pragma once

#include <cstdint>

#include "run/out_file.hpp"
#include "write/array_names.hpp"
#include "write/output_style.hpp"

namespace cellplot {

// The master file: its head (cell arrays, the optional ones included, and
// points declared with the types and format of style), one line per piece,
// and the closing lines.
void write_master_head(OutFile& master, const SpeciesNames& names, const OutputStyle& style);
void write_master_piece(OutFile& master, std::int32_t ipiece, std::int32_t outnum);
void write_master_tail(OutFile& master);

}  // namespace cellplot
