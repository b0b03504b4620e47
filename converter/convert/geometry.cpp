#include "convert/geometry.hpp"

#include <algorithm>

#include "run/failure.hpp"

namespace cellplot {
namespace {

// A direction of extent below this is collapsed to the thickness of a
// reflevel cell.
constexpr double collapse_below = 1e-10;

std::string level_range(std::int32_t top)
{
    return "outside the levels 0.." + std::to_string(top) + " of the cell-size table";
}

}  // namespace

void build_size_table(SizeTable& table, double rootsize, std::int32_t nlevels,
                      const std::string& file)
{
    if (nlevels > max_level)
        fail(file, "record 3 gives " + std::to_string(nlevels) +
                       " levels below the root, more than the " + std::to_string(max_level) +
                       " the converter tabulates");
    table.nlevels = nlevels > 0 ? nlevels : 0;
    table.cellsize[0] = rootsize;
    for (std::int32_t l = 1; l <= nlevels; ++l)
        table.cellsize[l] = table.cellsize[l - 1] * 0.5;
}

void build_cells(const Piece& piece, const SizeTable& table, Cells& cells, const std::string& file)
{
    const Header& h = piece.header;
    const std::int32_t top = table.nlevels;
    // Level 0 is the root of this piece's own file; the levels below keep
    // the halvings tabulated from piece 0.
    double cellsize[max_level + 1];
    std::copy(table.cellsize, table.cellsize + top + 1, cellsize);
    cellsize[0] = h.rootsize;

    // In a run with z collapsed, y and z take the size of a reflevel cell.
    const bool z_collapsed = h.extent[2] < collapse_below;
    const bool y_collapsed = z_collapsed && h.extent[1] < collapse_below;
    double h_ref = 0;
    if (z_collapsed) {
        if (h.reflevel < 0 || h.reflevel > top)
            fail(file, "reflevel " + std::to_string(h.reflevel) + " is " + level_range(top));
        h_ref = 0.5 * cellsize[h.reflevel];
    }

    const std::int32_t* nlevel = piece.nlevel.get();
    const double* x = piece.strn12.get();
    const double* y = piece.strn13.get();
    const double* z = piece.strn23.get();
    double* c = cells.corners.get();
    for (std::int32_t i = 0; i < h.ncells; ++i, c += 6) {
        const std::int32_t level = nlevel[i];
        if (level < 0 || level > top)
            fail(file, "cell " + std::to_string(i + 1) + " has level " + std::to_string(level) +
                           ", " + level_range(top));
        const double hx = 0.5 * cellsize[level];
        const double hy = y_collapsed ? h_ref : hx;
        const double hz = z_collapsed ? h_ref : hx;
        c[0] = x[i] - hx;
        c[1] = x[i] + hx;
        c[2] = y[i] - hy;
        c[3] = y[i] + hy;
        c[4] = z[i] - hz;
        c[5] = z[i] + hz;
    }
    cells.npoints = 8 * h.ncells;
}

}  // namespace cellplot
