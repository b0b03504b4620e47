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

struct Key {
    std::uint64_t word[3];
};

Key key_of(const Comparison& cmp, const double xyz[3])
{
    Key key;
    for (int a = 0; a < 3; ++a) {
        if (cmp.exact) {
            const double v = xyz[a] + 0.0;  // -0 and +0 alike
            std::memcpy(&key.word[a], &v, sizeof v);
        } else {
            key.word[a] = static_cast<std::uint64_t>(
                std::floor((xyz[a] - cmp.origin[a]) * cmp.inverse + 0.5));
        }
    }
    return key;
}

std::uint64_t hash_of(const Key& key)
{
    std::uint64_t h = key.word[0] * 0x9E3779B97F4A7C15u;
    h ^= key.word[1] * 0xC2B2AE3D27D4EB4Fu;
    h ^= key.word[2] * 0x165667B19E3779F9u;
    h ^= h >> 29;
    h *= 0xBF58476D1CE4E5B9u;
    return h ^ (h >> 32);
}

bool coincide(const Comparison& cmp, const double a[3], const Key& ka, const double b[3])
{
    if (cmp.exact)
        return a[0] == b[0] && a[1] == b[1] && a[2] == b[2];
    const Key kb = key_of(cmp, b);
    for (int k = 0; k < 3; ++k)
        if (ka.word[k] != kb.word[k] || !(std::fabs(a[k] - b[k]) <= cmp.tolerance))
            return false;
    return true;
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
    // At most half the table's slots in use: probes stay short.
    const std::size_t want = std::bit_ceil(std::size_t{16} * std::size_t(mesh.ncells));
    const std::size_t nslots = std::clamp(want, std::size_t{64}, MergeTable::capacity);
    const std::size_t mask = nslots - 1;
    std::uint32_t* slot = table.slot.get();
    std::memset(slot, 0, nslots * sizeof *slot);

    std::int32_t* conn = mesh.connectivity.get();
    std::int32_t* first = mesh.first_use.get();
    std::int32_t npoints = 0;
    for (std::int32_t i = 0; i < mesh.ncells; ++i) {
        double xyz[8][3];
        Key key[8];
        std::uint64_t hash[8];
        for (int c = 0; c < 8; ++c) {
            const int k = mesh.shape.voxel_corner[c];
            for (int a = 0; a < 3; ++a)
                xyz[c][a] = corner_coordinate(mesh.cells, i, k, a);
            key[c] = key_of(cmp, xyz[c]);
            hash[c] = hash_of(key[c]);
            __builtin_prefetch(slot + (hash[c] & mask));
        }
        std::int32_t* ids = conn + 8 * std::size_t(i);
        for (int c = 0; c < 8; ++c) {
            const std::uint32_t tag = static_cast<std::uint32_t>(hash[c] >> (64 - 9))
                                      << number_bits;
            std::size_t s = hash[c] & mask;
            std::int32_t found = -1;
            for (; slot[s] != 0; s = (s + 1) & mask) {
                if ((slot[s] & ~number_mask) != tag)
                    continue;
                const std::int32_t p = static_cast<std::int32_t>(slot[s] & number_mask) - 1;
                // A cell's own corners stay eight points, even in a box
                // collapsed to nothing.
                if (std::find(ids, ids + c, p) != ids + c)
                    continue;
                const std::int32_t use = first[p];
                const double at[3] = {corner_coordinate(mesh.cells, use >> 3, use & 7, 0),
                                      corner_coordinate(mesh.cells, use >> 3, use & 7, 1),
                                      corner_coordinate(mesh.cells, use >> 3, use & 7, 2)};
                if (coincide(cmp, xyz[c], key[c], at)) {
                    found = p;
                    break;
                }
            }
            if (found < 0) {
                found = npoints++;
                first[found] = 8 * i + mesh.shape.voxel_corner[c];
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
