#include "convert/mesh.hpp"

#include <algorithm>
#include <array>
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
// its bits, when exact) and whether it joins that multiple.  Each cell has
// two coordinates per axis, so each is worked out once.
struct AxisKey {
    std::uint64_t word;
    bool joins;
};

inline AxisKey axis_key(const Comparison& cmp, double v, int a)
{
    if (cmp.exact) {
        v += 0.0;  // -0 and +0 alike
        std::uint64_t w;
        std::memcpy(&w, &v, sizeof w);
        return {w, !std::isnan(v)};
    }
    // t is at least 0.5 (the origin is the lowest coordinate) and below
    // 2^41, so its truncation m is its floor and t - m is exact.
    const double t = (v - cmp.origin[a]) * cmp.inverse + 0.5;
    const std::uint64_t w = static_cast<std::uint64_t>(static_cast<std::int64_t>(t));
    return {w, std::fabs(t - static_cast<double>(w) - 0.5) <= tolerance_fraction};
}

inline std::uint64_t finish(std::uint64_t h)
{
    h ^= h >> 29;
    h *= 0xBF58476D1CE4E5B9u;
    return h ^ (h >> 32);
}

// A corner's key, where its probe of the table starts (before the table's
// mask), the hash bits a slot keeps of it, and its entry in the table of
// recent points.  Multiples in one block of 4 x 4 x 4 start in one run of 64
// slots, and take 64 neighbouring entries of the recent points, so that the
// corners of cells that follow each other in the file (neighbours, in the
// solver's depth-first order) share cache lines.  A slot keeps 9 bits of
// the block's hash mixed with the place in the block, which differ for two
// keys of one block.
struct Home {
    std::uint64_t key[3];
    std::uint64_t packed;  // the key in one word, where the piece allows
    bool joins;
    std::uint64_t start;
    std::uint32_t tag;
    std::uint32_t recent;
};

// An axis key's shares of its corners' homes: its word where the packed key
// has it, its share of the hash, and its bits of the place in its block.
// Worked out once for each coordinate a run's corners take.
struct AxisPart {
    std::uint64_t word;
    bool joins;
    std::uint64_t packed;
    std::uint64_t hash;
    std::uint64_t local;
};

inline AxisPart axis_part(const Comparison& cmp, const AxisKey& key, int a)
{
    static constexpr std::uint64_t factor[3] = {0x9E3779B97F4A7C15u, 0xC2B2AE3D27D4EB4Fu,
                                                0x165667B19E3779F9u};
    if (cmp.exact)
        return {key.word, key.joins, key.word << a * packed_bits, key.word * factor[a], 0};
    return {key.word, key.joins, key.word << a * packed_bits, (key.word >> 2) * factor[a],
            (key.word & 3) << 2 * a};
}

// Fills home field by field, in place (a whole Home built apart and copied
// costs a stall on each of its narrow fields).
inline void set_home(Home& home, const Comparison& cmp, const AxisPart& x, const AxisPart& y,
                     const AxisPart& z)
{
    home.key[0] = x.word;
    home.key[1] = y.word;
    home.key[2] = z.word;
    home.packed = x.packed | y.packed | z.packed;
    home.joins = x.joins && y.joins && z.joins;
    const std::uint64_t h = finish(x.hash ^ y.hash ^ z.hash);
    const std::uint64_t local = x.local | y.local | z.local;
    home.start = cmp.exact ? h : h << 7 | local << 1;
    home.tag = static_cast<std::uint32_t>(((h >> (64 - 9)) ^ local) << number_bits);
    home.recent = static_cast<std::uint32_t>((h << 6 | local) & (MergeTable::recent_size - 1));
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

    // Whether point p (in the table) is the point of home's key: one word
    // read where the keys pack, else the key of its first use worked out
    // again.
    std::uint64_t* packed_key = table.packed_key.get();
    auto is_point_of = [&](std::int32_t p, const Home& home) {
        if (cmp.packed)
            return packed_key[p] == home.packed;
        const std::uint64_t* key = home.key;
        const std::int32_t use = first_use[p];
        for (int a = 0; a < 3; ++a)
            if (axis_key(cmp, corner_coordinate(mesh.cells, use >> 3, use & 7, a), a).word !=
                key[a])
                return false;
        return true;
    };

    std::int32_t npoints = 0;
    std::size_t ntable = 0;  // points in the table
    // Puts point p of home's key into the table, in the first empty slot
    // from s on.
    auto put_at = [&](std::size_t s, const Home& home, std::int32_t p) {
        while (slot[s] != 0)
            s = (s + 1) & mask;
        slot[s] = home.tag | static_cast<std::uint32_t>(p + 1);
        in_table[p >> 6] |= std::uint64_t{1} << (p & 63);
        packed_key[p] = home.packed;
    };
    auto put = [&](const Home& home, std::int32_t p) { put_at(home.start & mask, home, p); };
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
                Home home;
                set_home(home, cmp, axis_part(cmp, key[0], 0), axis_part(cmp, key[1], 1),
                         axis_part(cmp, key[2], 2));
                put(home, p);
            }
    };
    // A new point, at corner c (in shape's order) of cell i.
    auto add_point = [&](std::int32_t i, int c) {
        const std::int32_t p = npoints++;
        first_use[p] = 8 * i + mesh.shape.voxel_corner[c];
        in_table[p >> 6] &= ~(std::uint64_t{1} << (p & 63));
        return p;
    };

    // The point of a corner whose key is home, met first at corner c (in
    // shape's order) of cell i; -1 for a corner that joins no multiple.
    auto find_point = [&](const Home& home, std::int32_t i, int c) {
        if (!home.joins)
            return std::int32_t{-1};
        // From the recent points (most corners were met a few cells
        // before), else from the table.
        MergeTable::Recent& r = recent[home.recent];
        if (cmp.packed && r.point >= 0 && r.key == home.packed)
            return r.point;
        std::int32_t found = -1;
        std::size_t s = home.start & mask;
        for (; slot[s] != 0; s = (s + 1) & mask)
            if ((slot[s] & ~number_mask) == home.tag) {
                const std::int32_t p = static_cast<std::int32_t>(slot[s] & number_mask) - 1;
                if (is_point_of(p, home)) {
                    found = p;
                    break;
                }
            }
        if (found < 0) {
            // A new point, in the empty slot that ended the search (or
            // afresh, in a table that grew).
            found = add_point(i, c);
            if (2 * ++ntable > nslots && nslots < MergeTable::capacity) {
                grow();
                s = home.start & mask;
            }
            put_at(s, home, found);
        }
        r = {home.packed, found};
        return found;
    };
    // The six axis keys of each cell, worked out once: runs are tried from
    // every cell on, and a group that fails leaves the keys of the cells
    // after its first for the runs that follow.
    struct CellKeys {
        std::int32_t cell = -1;
        AxisKey key[3][2];
    };
    CellKeys cache[16];
    auto keys_of = [&](std::int32_t i) -> const CellKeys& {
        CellKeys& k = cache[i & 15];
        if (k.cell != i) {
            k.cell = i;
            for (int a = 0; a < 3; ++a)
                for (int side = 0; side < 2; ++side)
                    k.key[a][side] =
                        axis_key(cmp, corner_coordinate(mesh.cells, i, side << a, a), a);
        }
        return k;
    };

    // Cells in a solver's file follow the depth-first order of its tree, so
    // the eight children of one parent mostly come one after another: a
    // group whose boxes tile a 2 x 2 x 2 block of equal boxes has 27
    // distinct corners, known from the block's three multiples per axis, and
    // only these are looked up (rather than 64 corners).  A group qualifies
    // when every coordinate joins its multiple, the three multiples of each
    // axis are distinct and the eight boxes take the eight places of the
    // block (in any order); two corners of it then have the same key exactly
    // when they are the same place of the block, so the points, their
    // numbers and their first uses are those of looking every corner up.
    // Other cells are runs of one cell and its eight corners.
    struct Run {
        std::int32_t first;  // its first cell
        std::int32_t ncells;
        int place[8];  // a box's place in the block: bit a, high along axis a
        int nhomes;
        Home home[27];  // the block's corners, x varying fastest; a cell's, in shape's order
    };
    auto group_at = [&](std::int32_t i, Run& run) {
        AxisKey block[3][3];
        const AxisKey(*key[8])[2];
        for (int j = 0; j < 8; ++j)
            key[j] = keys_of(i + j).key;
        for (int a = 0; a < 3; ++a) {
            int low = 0;
            for (int j = 1; j < 8; ++j)
                if (key[j][a][0].word < key[low][a][0].word)
                    low = j;
            block[a][0] = key[low][a][0];
            block[a][1] = key[low][a][1];
            int high = -1;
            for (int j = 0; j < 8; ++j)
                if (key[j][a][0].word == block[a][1].word)
                    high = j;
            if (high < 0)
                return false;
            block[a][2] = key[high][a][1];
            if (block[a][0].word == block[a][1].word || block[a][1].word == block[a][2].word ||
                block[a][0].word == block[a][2].word)
                return false;
        }
        unsigned seen = 0;
        for (int j = 0; j < 8; ++j) {
            int place = 0;
            for (int a = 0; a < 3; ++a) {
                const int b = key[j][a][0].word == block[a][0].word ? 0 : 1;
                if (key[j][a][0].word != block[a][b].word ||
                    key[j][a][1].word != block[a][b + 1].word || !key[j][a][0].joins ||
                    !key[j][a][1].joins)
                    return false;
                place |= b << a;
            }
            run.place[j] = place;
            seen |= 1u << place;
        }
        if (seen != 0xFF)
            return false;
        AxisPart part[3][3];
        for (int a = 0; a < 3; ++a)
            for (int m = 0; m < 3; ++m)
                part[a][m] = axis_part(cmp, block[a][m], a);
        for (int z = 0; z < 3; ++z)
            for (int y = 0; y < 3; ++y)
                for (int x = 0; x < 3; ++x)
                    set_home(run.home[x + 3 * y + 9 * z], cmp, part[0][x], part[1][y], part[2][z]);
        run.nhomes = 27;
        return true;
    };
    // The run that starts at cell i; its entries among the recent points are
    // asked from memory.
    auto prepare = [&](std::int32_t i, Run& run) {
        run.first = i;
        if (i + 8 <= mesh.ncells && group_at(i, run)) {
            run.ncells = 8;
        } else {
            run.ncells = i < mesh.ncells ? 1 : 0;
            run.nhomes = 0;
            if (run.ncells > 0) {
                const CellKeys& own = keys_of(i);
                AxisPart part[3][2];
                for (int a = 0; a < 3; ++a)
                    for (int side = 0; side < 2; ++side)
                        part[a][side] = axis_part(cmp, own.key[a][side], a);
                for (int c = 0; c < 8; ++c) {
                    const int k = mesh.shape.voxel_corner[c];
                    set_home(run.home[c], cmp, part[0][k & 1], part[1][(k >> 1) & 1],
                             part[2][k >> 2]);
                }
                run.nhomes = 8;
            }
        }
        // Most keys were met a few cells before and are among the recent
        // points; the others are looked up in (or added to) the table.
        // Both are asked from memory now (asking for the slots only of the
        // keys missing from the recent points, a run later, measured slower).
        for (int l = 0; l < run.nhomes; ++l) {
            __builtin_prefetch(recent + run.home[l].recent);
            __builtin_prefetch(slot + (run.home[l].start & mask));
        }
    };
    // corner_place[b][k]: the place among the block's 27 corners of voxel
    // corner k of the box at place b.
    static constexpr auto corner_place = [] {
        std::array<std::array<std::uint8_t, 8>, 8> t{};
        for (int b = 0; b < 8; ++b)
            for (int k = 0; k < 8; ++k)
                t[b][k] = static_cast<std::uint8_t>(((b & 1) + (k & 1)) +
                                                    3 * (((b >> 1) & 1) + ((k >> 1) & 1)) +
                                                    9 * ((b >> 2) + (k >> 2)));
        return t;
    }();
    auto number_run = [&](const Run& run) {
        if (run.ncells == 8) {
            std::int32_t point[27];
            std::fill(point, point + 27, -1);
            for (std::int32_t j = 0, i = run.first; j < 8; ++j, ++i) {
                std::int32_t* ids = conn + 8 * std::size_t(i);
                const int place = run.place[j];
                for (int c = 0; c < 8; ++c) {
                    const int l = corner_place[place][mesh.shape.voxel_corner[c]];
                    if (point[l] < 0)
                        point[l] = find_point(run.home[l], i, c);
                    ids[c] = point[l];
                }
            }
            return;
        }
        if (run.ncells == 0)
            return;
        const std::int32_t i = run.first;
        std::int32_t* ids = conn + 8 * std::size_t(i);
        for (int c = 0; c < 8; ++c) {
            std::int32_t found = find_point(run.home[c], i, c);
            // A corner that joins no multiple, or whose point this cell
            // already has (a box thinner than the tolerance), is a point of
            // its own that no other corner joins: a cell's eight points are
            // always distinct.
            if (found < 0 || std::find(ids, ids + c, found) != ids + c)
                found = add_point(i, c);
            ids[c] = found;
        }
    };

    // Runs are prepared a few ahead of their numbering, so that the cache
    // misses of the recent points and of the table overlap with the work of
    // the runs before.
    constexpr int ahead = 3;
    Run ring[ahead + 1];
    prepare(0, ring[0]);
    for (int r = 1; r < ahead; ++r)
        prepare(ring[r - 1].first + ring[r - 1].ncells, ring[r]);
    for (int r = 0; ring[r].ncells > 0; r = (r + 1) % (ahead + 1)) {
        const Run& last = ring[(r + ahead - 1) % (ahead + 1)];
        prepare(last.first + last.ncells, ring[(r + ahead) % (ahead + 1)]);
        number_run(ring[r]);
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
