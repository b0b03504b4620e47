// One piece file of the VTK XML output (.vtu) in the binary style: every
// array appended as raw (or block-compressed) bytes after the XML head.
#pragma once

#include "convert/mesh.hpp"
#include "convert/piece.hpp"
#include "run/out_file.hpp"
#include "write/array_names.hpp"
#include "write/output_style.hpp"

namespace cellplot {

// The piece file's body in the binary style: everything after the file is
// created, up to and including its last line; the caller creates and
// closes out, and mesh is built for this piece in this style.
void write_appended_piece(OutFile& out, const Piece& piece, const Mesh& mesh,
                          const SpeciesNames& names, const OutputStyle& style);

}  // namespace cellplot
