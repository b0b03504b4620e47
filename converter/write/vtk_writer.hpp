// The VTK XML output: the parallel unstructured-grid master file (.pvtu) and
// one unstructured-grid piece file (.vtu) per piece, in ASCII or with raw
// appended binary data, as an OutputStyle asks.
#pragma once

#include <cstdint>
#include <string>

#include "convert/geometry.hpp"
#include "convert/limits.hpp"
#include "convert/mesh.hpp"
#include "convert/piece.hpp"
#include "run/out_file.hpp"
#include "write/output_style.hpp"

namespace cellplot {

// The species array names, made once from piece 0 and used for every piece:
// SpeciesNN, and the ASCII files' name lines Name="SpeciesNN" padded to 30
// characters for the master and piece files.
struct SpeciesNames {
    std::int32_t count = 0;
    std::string name[max_species];
    std::string master[max_species];
    std::string piece[max_species];
};
SpeciesNames make_species_names(std::int32_t nspecies);

// The master file: its head (cell arrays, the optional ones included, and
// points declared with the types and format of style), one line per piece,
// and the closing lines.
void write_master_head(OutFile& master, const SpeciesNames& names, const OutputStyle& style);
void write_master_piece(OutFile& master, std::int32_t ipiece, std::int32_t outnum);
void write_master_tail(OutFile& master);

// Writes the whole piece file in style into out, which the caller creates
// (in its directory, replacing a file only when asked) and closes; the points
// and connectivity are mesh's, built for this piece in this style.
void write_piece(OutFile& out, const Piece& piece, const Mesh& mesh, const SpeciesNames& names,
                 const OutputStyle& style);

// The piece file's body in the binary style: everything after the file is
// created, up to and including its last line.
void write_appended_piece(OutFile& out, const Piece& piece, const Mesh& mesh,
                          const SpeciesNames& names, const OutputStyle& style);

}  // namespace cellplot
