// The VTK XML output: the parallel unstructured-grid master file (.pvtu) and
// one unstructured-grid piece file (.vtu) per piece, in ASCII.
#pragma once

#include <cstdint>
#include <string>

#include "geometry.hpp"
#include "limits.hpp"
#include "out_file.hpp"
#include "piece.hpp"

namespace cellplot {

// The species name lines, made once from piece 0 and used for every piece:
// Name="SpeciesNN" padded to 30 characters for the master and piece files.
struct SpeciesNames {
    std::int32_t count = 0;
    std::string master[max_species];
    std::string piece[max_species];
};
SpeciesNames make_species_names(std::int32_t nspecies);

// The master file: its head (cell arrays and points declared), one line per
// piece, and the closing lines.
void write_master_head(OutFile& master, const SpeciesNames& names);
void write_master_piece(OutFile& master, std::int32_t ipiece, std::int32_t outnum);
void write_master_tail(OutFile& master);

// Writes the whole piece file into out, which the caller creates and closes.
void write_piece(OutFile& out, const Piece& piece, const Cells& cells, const SpeciesNames& names);

// The sections of a piece file's data, for the tests.
void write_cell_values(OutFile& out, const double* v, std::int64_t n);
void write_velocity(OutFile& out, const Piece& piece);
void write_points(OutFile& out, const Cells& cells, std::int32_t ncells);
void write_cells(OutFile& out, std::int32_t ncells);

}  // namespace cellplot
