#include "convert/mesh.hpp"

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
static_assert(std::has_single_bit(MergeTable::capacity) &&
              MergeTable::capacity >= 2 * std::size_t{max_points});
static_assert(std::has_single_bit(MergeTable::recent_size));

// A corner joins the multiple of the finest cell size (counted from the
// piece's lowest corner) that it lies within this fraction of that size
// from, along every axis: far above the rounding errors of written centres,
// far below the distance of two distinct corners of an octree (one finest
// cell).  Corners that join the same multiple are one point; a corner that
// joins none is a point of its own.
constexpr double tolerance_fraction = 1.0 / 16;
// Beyond this many finest cells from the lowest corner the multiples lose
// their exactness (and deep tables or huge coordinates get there): such a
// piece merges only corners that are equal.
constexpr double max_multiple = 0x1p40;
// Below this many finest cells across, the three multiples of a key pack
// into one word, which is how the table of recent points holds it.
constexpr int packed_bits = 21;
constexpr double max_packed_multiple = (1 << packed_bits) - 2;

// How corners are compared: multiples of a step, or (exact) the coordinates
// themselves.
struct Comparison {
    bool exact = true;
    bool packed = false;  // multiples below 2^packed_bits
    double origin[3] = {0, 0, 0};
    double inverse = 0;  // 1 / step
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
    bool packed = true;
    for (int a = 0; a < 3; ++a) {
        if (!((high[a] - low[a]) * inverse < max_multiple))
            return cmp;
        packed = packed && (high[a] - low[a]) * inverse < max_packed_multiple;
    }
    cmp.exact = false;
    cmp.packed = packed;
    std::copy(low, low + 3, cmp.origin);
    cmp.inverse = inverse;
    return cmp;
}

// One coordinate's share of a corner's key: its multiple of the step (or
// its bits, when exact), whether it joins that multiple, and what it adds to
// the two hashes of the key.  Each cell has two coordinates per axis, so
// each is worked out once.
struct AxisKey {
    std::uint64_t word;
    bool joins;
    std::uint64_t part;        // of the key's hash
    std::uint64_t block_part;  // of its block's hash
    std::uint64_t local;       // its place in its block
};

AxisKey axis_key(const Comparison& cmp, double v, int a)
{
    static constexpr std::uint64_t factor[3] = {0x9E3779B97F4A7C15u, 0xC2B2AE3D27D4EB4Fu,
                                                0x165667B19E3779F9u};
    std::uint64_t w;
    bool joins;
    if (cmp.exact) {
        v += 0.0;  // -0 and +0 alike
        std::memcpy(&w, &v, sizeof w);
        joins = !std::isnan(v);
    } else {
        // t - m is exact: t is below 2^41 and m is its floor.
        const double t = (v - cmp.origin[a]) * cmp.inverse + 0.5;
        const double m = std::floor(t);
        w = static_cast<std::uint64_t>(m);
        joins = std::fabs(t - m - 0.5) <= tolerance_fraction;
    }
    return {w, joins, w * factor[a], (w >> 2) * factor[a], (w & 3) << (2 * a)};
}

std::uint64_t finish(std::uint64_t h)
{
    h ^= h >> 29;
    h *= 0xBF58476D1CE4E5B9u;
    return h ^ (h >> 32);
}

// A corner's key, where its probe of the table starts (before the table's
// mask), the hash bits a slot keeps of it, and its entry in the table of
// recent points.  Multiples in one block of 4 x 4 x 4 start in one run of 64
// slots, so that the corners of cells that follow each other in the file
// (neighbours, in the solver's depth-first order) share cache lines.
struct Home {
    std::uint64_t key[3];
    std::uint64_t packed;  // the key in one word, where the piece allows
    bool joins;
    std::uint64_t start;
    std::uint32_t tag;
    std::uint32_t recent;
};

Home home_of(const Comparison& cmp, const AxisKey& x, const AxisKey& y, const AxisKey& z)
{
    const std::uint64_t h = finish(x.part ^ y.part ^ z.part);
    Home home{{x.word, y.word, z.word},
              x.word | y.word << packed_bits | z.word << 2 * packed_bits,
              x.joins && y.joins && z.joins,
              h,
              static_cast<std::uint32_t>(h >> (64 - 9)) << number_bits,
              static_cast<std::uint32_t>(h & (MergeTable::recent_size - 1))};
    if (!cmp.exact)
        home.start =
            finish(x.block_part ^ y.block_part ^ z.block_part) << 6 | x.local | y.local | z.local;
    return home;
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
    std::int32_t* conn = mesh.connectivity.get();
    std::int32_t* first_use = mesh.first_use.get();

    // The table starts with room for some two points a cell (an octree has
    // fewer) and doubles whenever it is half full, so that a piece touches
    // little more memory than its points need.  Only the part a piece uses
    // is cleared, and only when an earlier piece wrote it.
    std::uint32_t* slot = table.slot.get();
    std::uint64_t* in_table = table.in_table.get();
    std::size_t nslots = std::clamp(std::bit_ceil(std::size_t{4} * std::size_t(mesh.ncells)),
                                    std::size_t{64}, MergeTable::capacity);
    std::size_t mask = nslots - 1;
    auto clear = [&] {
        std::memset(slot, 0, std::min(nslots, table.last_used) * sizeof *slot);
        table.last_used = std::max(table.last_used, nslots);
    };
    clear();
    MergeTable::Recent* recent = table.recent.get();
    std::fill(recent, recent + MergeTable::recent_size, MergeTable::Recent{0, -1});

    // Whether point p is the point of key.
    auto is_point_of = [&](std::int32_t p, const std::uint64_t key[3]) {
        const std::int32_t use = first_use[p];
        for (int a = 0; a < 3; ++a)
            if (axis_key(cmp, corner_coordinate(mesh.cells, use >> 3, use & 7, a), a).word !=
                key[a])
                return false;
        return true;
    };

    std::int32_t npoints = 0;
    std::size_t ntable = 0;  // points in the table
    auto put = [&](const Home& home, std::int32_t p) {
        std::size_t s = home.start & mask;
        while (slot[s] != 0)
            s = (s + 1) & mask;
        slot[s] = home.tag | static_cast<std::uint32_t>(p + 1);
        in_table[p >> 6] |= std::uint64_t{1} << (p & 63);
    };
    // Puts the points of the table into one twice the size.
    auto grow = [&] {
        nslots *= 2;
        mask = nslots - 1;
        clear();
        for (std::int32_t p = 0; p < npoints; ++p)
            if (in_table[p >> 6] >> (p & 63) & 1) {
                const std::int32_t use = first_use[p];
                AxisKey key[3];
                for (int a = 0; a < 3; ++a)
                    key[a] = axis_key(cmp, corner_coordinate(mesh.cells, use >> 3, use & 7, a), a);
                put(home_of(cmp, key[0], key[1], key[2]), p);
            }
    };
    // A new point, at corner c (in shape's order) of cell i.
    auto add_point = [&](std::int32_t i, int c) {
        const std::int32_t p = npoints++;
        first_use[p] = 8 * i + mesh.shape.voxel_corner[c];
        in_table[p >> 6] &= ~(std::uint64_t{1} << (p & 63));
        return p;
    };

    // The corners of a cell ready to look up.  Cells are taken lookahead
    // cells after their slots in the table were asked from memory, so that
    // the cache misses overlap instead of following one another.
    struct Corners {
        Home home[8];
    };
    constexpr std::int32_t lookahead = 4;
    Corners ring[lookahead];
    auto prepare = [&](std::int32_t i) {
        AxisKey key[3][2];
        for (int a = 0; a < 3; ++a)
            for (int side = 0; side < 2; ++side)
                key[a][side] = axis_key(cmp, corner_coordinate(mesh.cells, i, side << a, a), a);
        Corners& q = ring[i % lookahead];
        for (int c = 0; c < 8; ++c) {
            const int k = mesh.shape.voxel_corner[c];
            q.home[c] = home_of(cmp, key[0][k & 1], key[1][(k >> 1) & 1], key[2][k >> 2]);
            // A key that is not among the recent points is looked up in
            // (or added to) the table: ask for its slot now.
            const MergeTable::Recent& r = recent[q.home[c].recent];
            if (!cmp.packed || r.point < 0 || r.key != q.home[c].packed)
                __builtin_prefetch(slot + (q.home[c].start & mask));
        }
    };
    for (std::int32_t i = 0; i < std::min(lookahead - 1, mesh.ncells); ++i)
        prepare(i);

    for (std::int32_t i = 0; i < mesh.ncells; ++i) {
        if (i + lookahead - 1 < mesh.ncells)
            prepare(i + lookahead - 1);
        const Corners& q = ring[i % lookahead];
        std::int32_t* ids = conn + 8 * std::size_t(i);
        for (int c = 0; c < 8; ++c) {
            const Home& home = q.home[c];
            std::int32_t found = -1;
            if (home.joins) {
                // The point of the key, if it has one: from the recent
                // points (most corners were met a few cells before), else
                // from the table.
                MergeTable::Recent& r = recent[home.recent];
                if (cmp.packed && r.point >= 0 && r.key == home.packed) {
                    found = r.point;
                } else {
                    for (std::size_t s = home.start & mask; slot[s] != 0; s = (s + 1) & mask)
                        if ((slot[s] & ~number_mask) == home.tag) {
                            const std::int32_t p =
                                static_cast<std::int32_t>(slot[s] & number_mask) - 1;
                            if (is_point_of(p, home.key)) {
                                found = p;
                                break;
                            }
                        }
                    if (found < 0) {
                        found = add_point(i, c);
                        if (2 * ++ntable > nslots && nslots < MergeTable::capacity)
                            grow();
                        put(home, found);
                    }
                    r = {home.packed, found};
                }
            }
            // A corner that joins no multiple, or whose point this cell
            // already has (a box thinner than the tolerance), is a point of
            // its own that no other corner joins: a cell's eight points are
            // always distinct.
            if (found < 0 || std::find(ids, ids + c, found) != ids + c)
                found = add_point(i, c);
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
