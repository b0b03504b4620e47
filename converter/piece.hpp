// The run settings and the data of one piece (one result file) in memory.
#pragma once

#include <cstdint>
#include <memory>

#include "limits.hpp"

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
    std::unique_ptr<std::int32_t[]> nlevel{new std::int32_t[max_cells]};
    std::unique_ptr<double[]> strn12{new double[max_cells]};
    std::unique_ptr<double[]> strn13{new double[max_cells]};
    std::unique_ptr<double[]> strn23{new double[max_cells]};
    std::unique_ptr<double[]> srun{new double[max_cells]};
    std::unique_ptr<double[]> drun{new double[max_cells]};
    std::unique_ptr<double[]> erun{new double[max_cells]};
    std::unique_ptr<double[]> trun{new double[max_cells]};
    std::unique_ptr<double[]> prun{new double[max_cells]};
    std::unique_ptr<double[]> urun{new double[3 * std::int64_t{max_cells}]};
    std::unique_ptr<double[]> yrun{new double[max_species * std::int64_t{max_cells}]};

    // Component a (0..2) of the velocity of all cells; species j (1-based).
    double* velocity(int a) const { return urun.get() + std::int64_t{a} * max_cells; }
    double* species(int j) const { return yrun.get() + std::int64_t{j - 1} * max_cells; }
};

}  // namespace cellplot
