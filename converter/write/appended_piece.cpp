// The piece file in the binary style: the same arrays as the ASCII piece,
// each a DataArray of format "appended" whose offset points into one
// <AppendedData encoding="raw"> block at the end of the file.  The values
// are the converted doubles themselves (Float64) or their rounding to the
// nearest float (Float32); NaN and infinities stay IEEE values.
#include "write/appended_piece.hpp"

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "write/appended_data.hpp"
#include "write/vtk_words.hpp"

namespace cellplot {
namespace {

// An offset attribute is written as "0" with room for 20 digits after its
// closing quote, and rewritten in place once the array's place is known.
constexpr std::size_t offset_room = 20 + 1;
constexpr std::int32_t cells_per_chunk = 1024;  // 24 values of 8 bytes each at most
static_assert(cells_per_chunk * 24 * sizeof(double) <= AppendedData::max_chunk);

template <class T>
inline char* store(char* p, T v)
{
    std::memcpy(p, &v, sizeof v);
    return p + sizeof v;
}

// Declares one appended array; returns the file position of its offset.
std::uint64_t declare(OutFile& out, std::string_view attributes)
{
    out.put("        <DataArray ");
    out.put(attributes);
    out.put(" format=\"appended\" offset=\"");
    const std::uint64_t at = out.position();
    out.put("0\"" + std::string(offset_room - 2, ' ') + "/>\n");
    return at;
}

void set_offset(OutFile& out, std::uint64_t at, std::uint64_t offset)
{
    std::string text = std::to_string(offset) + "\"";
    text.resize(offset_room, ' ');
    out.patch(at, text.data(), text.size());
}

// Writes the bytes of cells 0..n-1 a chunk of cells at a time: put(p, k)
// stores what cell k gives from p (at most cell_bytes) and returns the end.
template <class Put>
void put_cells(AppendedData& data, std::int32_t n, std::size_t cell_bytes, Put put)
{
    for (std::int32_t i = 0; i < n; i += cells_per_chunk) {
        const std::int32_t end = std::min(n, i + cells_per_chunk);
        char* p = data.room(cell_bytes * static_cast<std::size_t>(end - i));
        for (std::int32_t k = i; k < end; ++k)
            p = put(p, k);
        data.advance(p);
    }
}

// The writers of the arrays' bytes, one per kind of array, with T the type
// of the reals.
template <class T>
void put_reals(AppendedData& data, const double* v, std::int32_t n)
{
    if constexpr (sizeof(T) == sizeof(double))
        data.write(v, sizeof(double) * static_cast<std::size_t>(n));
    else
        put_cells(data, n, sizeof(T),
                  [&](char* p, std::int32_t k) { return store(p, static_cast<T>(v[k])); });
}

template <class T>
void put_velocity(AppendedData& data, const Piece& piece, std::int32_t n)
{
    const double* u[3] = {piece.velocity(0), piece.velocity(1), piece.velocity(2)};
    put_cells(data, n, 3 * sizeof(T), [&](char* p, std::int32_t k) {
        p = store(p, static_cast<T>(u[0][k]));
        p = store(p, static_cast<T>(u[1][k]));
        return store(p, static_cast<T>(u[2][k]));
    });
}

// Each point's coordinates, from the corner that first used it; the "cells"
// of put_cells are points here.
template <class T>
void put_points(AppendedData& data, const Mesh& mesh)
{
    put_cells(data, mesh.npoints, 3 * sizeof(T), [&](char* p, std::int32_t k) {
        p = store(p, static_cast<T>(mesh.coordinate(k, 0)));
        p = store(p, static_cast<T>(mesh.coordinate(k, 1)));
        return store(p, static_cast<T>(mesh.coordinate(k, 2)));
    });
}

// per_cell Int32 values per cell, counting from first in steps of step: the
// offsets (the end of each cell's corners, 8(i + 1)).
void put_counts(AppendedData& data, std::int32_t n, int per_cell, std::int32_t first,
                std::int32_t step)
{
    std::int32_t next = first;
    put_cells(data, n, sizeof(std::int32_t) * static_cast<std::size_t>(per_cell),
              [&](char* p, std::int32_t) {
                  for (int c = 0; c < per_cell; ++c, next += step)
                      p = store(p, next);
                  return p;
              });
}

void put_types(AppendedData& data, std::int32_t n, std::uint8_t type)
{
    put_cells(data, n, 1, [&](char* p, std::int32_t) {
        *p = static_cast<char>(type);
        return p + 1;
    });
}

// The refinement level of each cell, as UInt8 (the cell-size table holds
// levels far below 256).
void put_levels(AppendedData& data, const Piece& piece, std::int32_t n)
{
    const std::int32_t* level = piece.nlevel.get();
    put_cells(data, n, 1, [&](char* p, std::int32_t k) {
        *p = static_cast<char>(static_cast<std::uint8_t>(level[k]));
        return p + 1;
    });
}

}  // namespace

void write_appended_piece(OutFile& out, const Piece& piece, const Mesh& mesh,
                          const SpeciesNames& names, const OutputStyle& style)
{
    const std::int32_t n = std::max<std::int32_t>(piece.header.ncells, 0);
    const std::int32_t nspecies = std::clamp(piece.header.nspecies, 0, max_species);
    const std::uint64_t cells64 = static_cast<std::uint64_t>(n);
    const std::uint64_t points64 = static_cast<std::uint64_t>(n > 0 ? mesh.npoints : 0);
    const CellShape& shape = mesh.shape;
    const bool single = style.precision == Precision::float32;
    const std::uint64_t real = single ? sizeof(float) : sizeof(double);
    const std::string type = std::string("type=\"") + vtk_real_type(style) + "\"";

    out.put("<VTKFile type=\"UnstructuredGrid\"" + vtk_file_attributes(style) +
            ">\n"
            "  <UnstructuredGrid>\n"
            "    <Piece NumberOfPoints=\"" +
            std::to_string(points64) + "\" NumberOfCells=\"" + std::to_string(cells64) +
            "\">\n"
            "      <CellData Vectors=\"Velocity\" Scalars=\"Density\">\n");
    std::uint64_t slot[4 + 7 + max_species];
    int nslots = 0;
    slot[nslots++] = declare(out, type + " Name=\"Velocity\" NumberOfComponents=\"3\"");
    for (const char* name : {"Density", "Energy", "Temperature", "Pressure"})
        slot[nslots++] = declare(out, type + " Name=\"" + name + "\"");
    for (std::int32_t j = 0; j < nspecies; ++j)
        slot[nslots++] = declare(out, type + " Name=\"" + names.name[j] + "\"");
    if (style.cell_arrays.level)
        slot[nslots++] = declare(out, "type=\"UInt8\" Name=\"Level\"");
    if (style.cell_arrays.piece)
        slot[nslots++] = declare(out, "type=\"Int32\" Name=\"Piece\"");
    out.put("      </CellData>\n      <Points>\n");
    slot[nslots++] = declare(out, type + " NumberOfComponents=\"3\"");
    out.put("      </Points>\n      <Cells>\n");
    slot[nslots++] = declare(out, "type=\"Int32\" Name=\"connectivity\"");
    slot[nslots++] = declare(out, "type=\"Int32\" Name=\"offsets\"");
    slot[nslots++] = declare(out, "type=\"UInt8\" Name=\"types\"");
    out.put("      </Cells>\n    </Piece>\n  </UnstructuredGrid>\n"
            "  <AppendedData encoding=\"raw\">\n   _");

    // The data follow in the reverse of the declaration order.  Any order
    // is valid VTK; this one keeps meshio's raw-data reader (5.x) right: it
    // finds each array by the text of its offset while it rewrites the
    // offsets of the arrays before it, and in this order the array's own
    // declaration comes first in its search.
    struct Job {
        std::uint64_t nbytes;
        std::function<void(AppendedData&)> put;
    };
    std::vector<Job> jobs;
    jobs.push_back({3 * real * cells64, [&](AppendedData& d) {
                        single ? put_velocity<float>(d, piece, n)
                               : put_velocity<double>(d, piece, n);
                    }});
    for (const double* v : {piece.drun.get(), piece.erun.get(), piece.trun.get(), piece.prun.get()})
        jobs.push_back({real * cells64, [&, v](AppendedData& d) {
                            single ? put_reals<float>(d, v, n) : put_reals<double>(d, v, n);
                        }});
    for (std::int32_t j = 1; j <= nspecies; ++j)
        jobs.push_back({real * cells64, [&, j](AppendedData& d) {
                            const double* v = piece.species(j);
                            single ? put_reals<float>(d, v, n) : put_reals<double>(d, v, n);
                        }});
    if (style.cell_arrays.level)
        jobs.push_back({cells64, [&](AppendedData& d) { put_levels(d, piece, n); }});
    if (style.cell_arrays.piece)
        jobs.push_back({sizeof(std::int32_t) * cells64,
                        [&](AppendedData& d) { put_counts(d, n, 1, piece.number, 0); }});
    jobs.push_back({3 * real * points64, [&](AppendedData& d) {
                        single ? put_points<float>(d, mesh) : put_points<double>(d, mesh);
                    }});
    // Int32 words as they lie in memory (little-endian, as declared).
    jobs.push_back({8 * sizeof(std::int32_t) * cells64, [&](AppendedData& d) {
                        d.write(mesh.connectivity.get(), 8 * sizeof(std::int32_t) * cells64);
                    }});
    jobs.push_back(
        {sizeof(std::int32_t) * cells64, [&](AppendedData& d) { put_counts(d, n, 1, 8, 8); }});
    jobs.push_back({cells64, [&](AppendedData& d) { put_types(d, n, shape.vtk_type); }});

    const std::uint64_t base = out.position();
    AppendedData data(out, style.compress);
    for (int k = nslots - 1; k >= 0; --k) {
        set_offset(out, slot[k], out.position() - base);
        data.begin(jobs[static_cast<std::size_t>(k)].nbytes);
        jobs[static_cast<std::size_t>(k)].put(data);
        data.end();
    }
    out.put("\n  </AppendedData>\n</VTKFile>\n");
}

}  // namespace cellplot
