// One piece file of the VTK XML output (.vtu) in ASCII: every array written
// as text in the columns of a Fortran formatted write.
#pragma once

#include "convert/mesh.hpp"
#include "convert/piece.hpp"
#include "run/out_file.hpp"
#include "write/array_names.hpp"
#include "write/output_style.hpp"

namespace cellplot {

// Writes the whole piece file into out, which the caller creates (in its
// directory, replacing a file only when asked) and closes; the points and
// connectivity are mesh's, built for this piece in this style.
void write_ascii_piece(OutFile& out, const Piece& piece, const Mesh& mesh,
                       const SpeciesNames& names, const OutputStyle& style);

}  // namespace cellplot
