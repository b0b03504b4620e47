// One result file fed whole to the reader the program uses, at the full
// capacities of a run, then the program's own in-memory steps after a
// successful read: the output's context made from it as piece 0, and the
// piece prepared with it.  No output file is written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "convert/limits.hpp"
#include "fuzz_target.hpp"
#include "read/input.hpp"
#include "run/conversion.hpp"
#include "run/failure.hpp"
#include "run/file_names.hpp"

namespace cellplot_fuzz {

// What every writer relies on: each cell names eight distinct points, all
// below npoints and numbered in order of first use, and each point lies at a
// corner of a cell that uses it first.
inline void check_mesh(const cellplot::Mesh& mesh, std::int32_t ncells)
{
    FUZZ_CHECK(mesh.ncells == (ncells > 0 ? ncells : 0));
    FUZZ_CHECK(mesh.npoints >= 0 && mesh.npoints <= 8 * mesh.ncells);
    std::int32_t next = 0;
    for (std::int32_t i = 0; i < mesh.ncells; ++i)
        for (int c = 0; c < 8; ++c) {
            const std::int32_t p = mesh.point_of(i, c);
            FUZZ_CHECK(p >= 0 && p <= next && p < mesh.npoints);
            for (int d = 0; d < c; ++d)
                FUZZ_CHECK(mesh.point_of(i, d) != p);
            if (p == next) {
                FUZZ_CHECK(mesh.first_use[std::size_t(p)] == 8 * i + mesh.shape.voxel_corner[c]);
                ++next;
            }
        }
    FUZZ_CHECK(next == mesh.npoints);
}

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
        // Shared points as the binary format makes them, then per-cell
        // points of the same boxes.
        OutputStyle style;
        style.points = Points::shared;
        prepare_piece(*context, style, work, file);
        check_mesh(*work.mesh, h.ncells);
        build_mesh(*work.mesh, *work.merge, h.ncells, Points::per_cell, voxel_shape,
                   context->sizes.finest());
        check_mesh(*work.mesh, h.ncells);
        FUZZ_CHECK(work.mesh->npoints == 8 * work.mesh->ncells);
    } catch (const Failure&) {
        // Refusing a damaged file is the expected outcome.
    }
    return 0;
}

}  // namespace cellplot_fuzz
