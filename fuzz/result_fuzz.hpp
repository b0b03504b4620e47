// One result file fed whole to the reader the program uses, at the full
// capacities of a run, then the program's own in-memory steps after a
// successful read: the output's context made from it as piece 0, and the
// piece prepared with it.  No output file is written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "conversion.hpp"
#include "failure.hpp"
#include "file_names.hpp"
#include "fuzz_target.hpp"
#include "input.hpp"
#include "limits.hpp"

namespace cellplot_fuzz {

inline int run_result(const std::uint8_t* data, std::size_t size, bool text)
{
    using namespace cellplot;
    // Set aside once, as a run does; every input overwrites them.
    static Workspace work;
    const std::string file = result_file_name(0, 0);
    MemorySource source(file, reinterpret_cast<const char*>(data), size);
    try {
        read_result_from(source, text, *work.piece);
        const Header& h = work.piece->header;
        // The per-cell arrays hold max_cells cells and max_species species:
        // a read that got this far must have refused anything larger, and
        // taken a negative cell count as none.
        FUZZ_CHECK(h.ncells >= 0 && h.ncells <= max_cells);
        FUZZ_CHECK(h.nspecies <= max_species);
        const auto context = std::make_unique<OutputContext>(make_context(h, file));
        FUZZ_CHECK(context->sizes.nlevels >= 0 && context->sizes.nlevels <= max_level);
        FUZZ_CHECK(context->npieces >= 1);
        prepare_piece(*context, *work.piece, *work.cells, file);
        FUZZ_CHECK(h.ncells <= 0 || work.cells->npoints == 8 * h.ncells);
    } catch (const Failure&) {
        // Refusing a damaged file is the expected outcome.
    }
    return 0;
}

}  // namespace cellplot_fuzz
