#include "mesh.hpp"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

namespace cellplot {
namespace {

// A slot of the merge table holds 0 (empty) or a point's number + 1 in its
// low bits and 9 bits of its key's hash above them, so that a probe reads a
// point's coordinates only when the hashes agree.
constexpr int number_bits = 23;
constexpr std::uint32_t number_mask = (std::uint32_t{1} << number_bits) - 1;
static_assert(max_points < number_mask);

// Corners coincide when they round to the same multiple of the finest cell
// size from the piece's lowest corner and agree to within this fraction of
// it: far above the rounding errors of written centres, far below the
// distance of two distinct corners of an octree (one finest cell).
constexpr double tolerance_fraction = 1.0 / 16;
// Beyond this many finest cells from the lowest corner the multiples lose
// their exactness (and deep tables or huge coordinates get there): such a
// piece merges only corners that are equal.
constexpr double max_multiple = 0x1p40;

// How corners are compared: rounded multiples of a step with a tolerance,
// or (exact) the coordinates themselves.
struct Comparison {
    bool exact = true;
    double origin[3] = {0, 0, 0};
    double inverse = 0;  // 1 / step
    double tolerance = 0;
};

Comparison choose_comparison(const Cells& cells, std::int32_t ncells, double finest)
{
    Comparison cmp;
    const double inverse = 1 / finest;
    if (!(finest > 0) || !std::isfinite(inverse))
        return cmp;
    double low[3], high[3];
    const double* c = cells.corners.get();
    for (int a = 0; a < 3; ++a)
        low[a] = high[a] = c[2 * a];
    for (std::int32_t i = 0; i < ncells; ++i, c += 6)
        for (int a = 0; a < 3; ++a)
            for (int s = 0; s < 2; ++s) {
                const double v = c[2 * a + s];
                if (!std::isfinite(v))
                    return cmp;
                low[a] = std::min(low[a], v);
                high[a] = std::max(high[a], v);
            }
    for (int a = 0; a < 3; ++a)
        if (!((high[a] - low[a]) * inverse < max_multiple))
            return cmp;
    cmp.exact = false;
    std::copy(low, low + 3, cmp.origin);
    cmp.inverse = inverse;
    cmp.tolerance = finest * tolerance_fraction;
    return cmp;
}

// One coordinate's share of a corner's key: its multiple of the step (or
// its bits, when exact) and what that adds to the two hashes of the key.
// Each cell has two coordinates per axis, so each is worked out once.
struct AxisKey {
    std::uint64_t word;
    std::uint64_t part;        // of the key's hash
    std::uint64_t block_part;  // of its block's hash
    std::uint64_t local;       // its place in its block
};

AxisKey axis_key(const Comparison& cmp, double v, int a)
{
    static constexpr std::uint64_t factor[3] = {0x9E3779B97F4A7C15u, 0xC2B2AE3D27D4EB4Fu,
                                                0x165667B19E3779F9u};
    std::uint64_t w;
    if (cmp.exact) {
        v += 0.0;  // -0 and +0 alike
        std::memcpy(&w, &v, sizeof w);
    } else {
        w = static_cast<std::uint64_t>(std::floor((v - cmp.origin[a]) * cmp.inverse + 0.5));
    }
    return {w, w * factor[a], (w >> 2) * factor[a], (w & 3) << (2 * a)};
}

std::uint64_t finish(std::uint64_t h)
{
    h ^= h >> 29;
    h *= 0xBF58476D1CE4E5B9u;
    return h ^ (h >> 32);
}

// Where a key's probe starts (before the table's mask) and the hash bits a
// slot keeps of it.  Multiples in one block of 4 x 4 x 4 start in one run of
// 64 slots, so that the corners of cells that follow each other in the file
// (neighbours, in the solver's depth-first order) share cache lines.
struct Home {
    std::uint64_t start;
    std::uint32_t tag;
};

Home home_of(const Comparison& cmp, const AxisKey& x, const AxisKey& y, const AxisKey& z)
{
    const std::uint64_t h = finish(x.part ^ y.part ^ z.part);
    const std::uint32_t tag = static_cast<std::uint32_t>(h >> (64 - 9)) << number_bits;
    if (cmp.exact)
        return {h, tag};
    const std::uint64_t block = finish(x.block_part ^ y.block_part ^ z.block_part);
    return {block << 6 | x.local | y.local | z.local, tag};
}

// Whether coordinate b on axis a joins coordinate v of key k: the same
// multiple (floor(t) = k exactly when k <= t < k + 1) and within tolerance.
bool coincide(const Comparison& cmp, double v, const AxisKey& k, double b, int a)
{
    if (cmp.exact)
        return v == b;
    const double t = (b - cmp.origin[a]) * cmp.inverse + 0.5;
    const double multiple = static_cast<double>(k.word);
    return std::fabs(v - b) <= cmp.tolerance && multiple <= t && t < multiple + 1;
}

void number_per_cell(Mesh& mesh)
{
    std::int32_t* conn = mesh.connectivity.get();
    std::int32_t* first = mesh.first_use.get();
    for (std::int32_t i = 0; i < mesh.ncells; ++i)
        for (int c = 0; c < 8; ++c) {
            conn[8 * i + c] = 8 * i + c;
            first[8 * i + c] = 8 * i + mesh.shape.voxel_corner[c];
        }
    mesh.npoints = 8 * mesh.ncells;
}

void number_shared(Mesh& mesh, MergeTable& table, double finest)
{
    const Comparison cmp = choose_comparison(mesh.cells, mesh.ncells, finest);
    const std::int32_t* first = mesh.first_use.get();
    auto coordinates = [&](std::int32_t p, double at[3]) {
        const std::int32_t use = first[p];
        for (int a = 0; a < 3; ++a)
            at[a] = corner_coordinate(mesh.cells, use >> 3, use & 7, a);
    };

    // The table starts at room for some four points per cell (an octree
    // has fewer than two) and doubles when half full, so a piece touches
    // little more of it than it needs.  Slots past last_used are still 0.
    std::uint32_t* slot = table.slot.get();
    std::size_t nslots = std::clamp(std::bit_ceil(std::size_t{8} * std::size_t(mesh.ncells)),
                                    std::size_t{64}, MergeTable::capacity);
    std::size_t mask = nslots - 1;
    std::memset(slot, 0, std::min(nslots, table.last_used) * sizeof *slot);
    table.last_used = nslots;
    auto free_slot = [&](std::size_t s) {
        while (slot[s & mask] != 0)
            ++s;
        return s & mask;
    };
    // Puts points 0..npoints-1 again into a table twice the size; in order
    // of number, so that equal keys keep their order along a probe.
    auto grow = [&](std::int32_t npoints) {
        nslots *= 2;
        mask = nslots - 1;
        std::memset(slot, 0, std::min(nslots, table.last_used) * sizeof *slot);
        table.last_used = std::max(table.last_used, nslots);
        for (std::int32_t p = 0; p < npoints; ++p) {
            double at[3];
            coordinates(p, at);
            const Home home = home_of(cmp, axis_key(cmp, at[0], 0), axis_key(cmp, at[1], 1),
                                      axis_key(cmp, at[2], 2));
            slot[free_slot(home.start)] = home.tag | static_cast<std::uint32_t>(p + 1);
        }
    };

    // The corners of a cell ready to look up.  Cells are taken lookahead
    // cells after their slots were asked from memory, so that the table's
    // cache misses overlap instead of following one another.
    struct Corners {
        double v[3][2];  // low and high coordinate per axis
        AxisKey key[3][2];
        Home home[8];
    };
    constexpr std::int32_t lookahead = 4;
    Corners ring[lookahead];
    auto prepare = [&](std::int32_t i) {
        Corners& q = ring[i % lookahead];
        for (int a = 0; a < 3; ++a)
            for (int side = 0; side < 2; ++side) {
                q.v[a][side] = corner_coordinate(mesh.cells, i, side << a, a);
                q.key[a][side] = axis_key(cmp, q.v[a][side], a);
            }
        for (int c = 0; c < 8; ++c) {
            const int k = mesh.shape.voxel_corner[c];
            q.home[c] = home_of(cmp, q.key[0][k & 1], q.key[1][(k >> 1) & 1], q.key[2][k >> 2]);
            __builtin_prefetch(slot + (q.home[c].start & mask));
        }
    };
    for (std::int32_t i = 0; i < std::min(lookahead - 1, mesh.ncells); ++i)
        prepare(i);

    std::int32_t* conn = mesh.connectivity.get();
    std::int32_t* first_use = mesh.first_use.get();
    std::int32_t npoints = 0;
    for (std::int32_t i = 0; i < mesh.ncells; ++i) {
        if (i + lookahead - 1 < mesh.ncells)
            prepare(i + lookahead - 1);
        const Corners& q = ring[i % lookahead];
        std::int32_t* ids = conn + 8 * std::size_t(i);
        for (int c = 0; c < 8; ++c) {
            const std::uint32_t tag = q.home[c].tag;
            std::size_t s = q.home[c].start & mask;
            std::int32_t found = -1;
            for (; slot[s] != 0; s = (s + 1) & mask) {
                if ((slot[s] & ~number_mask) != tag)
                    continue;
                const std::int32_t p = static_cast<std::int32_t>(slot[s] & number_mask) - 1;
                // A cell's own corners stay eight points, even in a box
                // collapsed to nothing.
                if (std::find(ids, ids + c, p) != ids + c)
                    continue;
                double at[3];
                coordinates(p, at);
                const int k = mesh.shape.voxel_corner[c];
                const int side[3] = {k & 1, (k >> 1) & 1, k >> 2};
                bool same = true;
                for (int a = 0; a < 3 && same; ++a)
                    same = coincide(cmp, q.v[a][side[a]], q.key[a][side[a]], at[a], a);
                if (same) {
                    found = p;
                    break;
                }
            }
            if (found < 0) {
                found = npoints++;
                first_use[found] = 8 * i + mesh.shape.voxel_corner[c];
                if (2 * std::size_t(npoints) > nslots) {
                    grow(npoints - 1);
                    s = free_slot(q.home[c].start);
                }
                slot[s] = tag | static_cast<std::uint32_t>(found + 1);
            }
            ids[c] = found;
        }
    }
    mesh.npoints = npoints;
}

}  // namespace

void build_mesh(Mesh& mesh, MergeTable& table, std::int32_t ncells, Points points,
                const CellShape& shape, double finest)
{
    mesh.ncells = std::clamp(ncells, 0, max_cells);
    mesh.shape = shape;
    mesh.shared = points == Points::shared;
    if (mesh.shared)
        number_shared(mesh, table, finest);
    else
        number_per_cell(mesh);
}

}  // namespace cellplot
