// The run settings and the data of one piece (one result file) in memory.
#pragma once

#include <cstdint>

#include "convert/limits.hpp"
#include "convert/storage.hpp"

namespace cellplot {

struct Settings {
    std::int32_t textmode = 1;  // 0: binary result files; anything else: text
    std::int32_t outnum = 0;    // output number, part of every file name
};

// The header of a result file: its first four records.
struct Header {
    std::int32_t first = 0;  // read, not used
    std::int32_t npieces = 0;
    double extent[3] = {0, 0, 0};
    double rootsize = 0;
    std::int32_t reflevel = 0;
    std::int32_t nlevels = 0;
    std::int32_t ncells = 0;
    std::int32_t nspecies = 0;
    double unused[4] = {0, 0, 0, 0};
};

// Per-cell arrays with room for max_cells cells, index 0 for cell 1.  Each
// array is laid out as the file's records are (the x velocity of all cells,
// then y, ...; species 1 of all cells, then species 2, ...), so records are
// read into place and each output section is written from one run of memory.
// The storage is set aside once and is only touched as far as a piece needs.
struct Piece {
    Header header;
    std::int32_t number = 0;  // the piece (solver process) number, from its file name
    Storage<std::int32_t> nlevel{std::size_t{max_cells}};
    Storage<double> strn12{std::size_t{max_cells}};
    Storage<double> strn13{std::size_t{max_cells}};
    Storage<double> strn23{std::size_t{max_cells}};
    Storage<double> srun{std::size_t{max_cells}};
    Storage<double> drun{std::size_t{max_cells}};
    Storage<double> erun{std::size_t{max_cells}};
    Storage<double> trun{std::size_t{max_cells}};
    Storage<double> prun{std::size_t{max_cells}};
    Storage<double> urun{3 * std::size_t{max_cells}};
    Storage<double> yrun{max_species * std::size_t{max_cells}};

    // Component a (0..2) of the velocity of all cells; species j (1-based).
    double* velocity(int a) const { return urun.get() + std::int64_t{a} * max_cells; }
    double* species(int j) const { return yrun.get() + std::int64_t{j - 1} * max_cells; }
};

}  // namespace cellplot
