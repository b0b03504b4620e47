// One result file fed whole to the reader the program uses, at the full
// capacities of a run, then the in-memory steps the program takes after a
// successful read: the cell-size table, the species names, the cell boxes
// and the field conversion.  No output file is written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "failure.hpp"
#include "fields.hpp"
#include "fuzz_target.hpp"
#include "geometry.hpp"
#include "input.hpp"
#include "limits.hpp"
#include "piece.hpp"
#include "vtk_writer.hpp"

namespace cellplot_fuzz {

inline int run_result(const std::uint8_t* data, std::size_t size, bool text)
{
    using namespace cellplot;
    // Set aside once, as a run does; every input overwrites them.
    static const auto piece = std::make_unique<Piece>();
    static const auto cells = std::make_unique<Cells>();
    const std::string file = "reso0000000000.res";
    MemorySource source(file, reinterpret_cast<const char*>(data), size);
    try {
        read_result_from(source, text, *piece);
        const Header& h = piece->header;
        // The per-cell arrays hold max_cells cells and max_species species:
        // a read that got this far must have refused anything larger.
        FUZZ_CHECK(h.ncells <= max_cells);
        FUZZ_CHECK(h.nspecies <= max_species);
        auto sizes = std::make_unique<SizeTable>();
        build_size_table(*sizes, h.rootsize, h.nlevels, file);
        FUZZ_CHECK(sizes->nlevels >= 0 && sizes->nlevels <= max_level);
        const SpeciesNames names = make_species_names(h.nspecies);
        if (h.ncells > 0) {
            build_cells(*piece, *sizes, *cells, file);
            FUZZ_CHECK(cells->npoints == 8 * h.ncells);
            convert_fields(*piece);
        }
    } catch (const Failure&) {
        // Refusing a damaged file is the expected outcome.
    }
    return 0;
}

}  // namespace cellplot_fuzz
