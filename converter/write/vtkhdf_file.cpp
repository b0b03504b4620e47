#include "write/vtkhdf_file.hpp"

#include <hdf5.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <type_traits>
#include <unistd.h>
#include <vector>

#include "run/failure.hpp"

namespace cellplot::vtkhdf {
namespace {

// Rows are staged in buffers of this many bytes; a dataset's chunks hold
// about chunk_bytes, and its chunk cache a few chunks, so that the partial
// chunk at the end of one piece waits in memory for the next piece.
constexpr std::size_t stage_bytes = std::size_t{4} << 20;
constexpr std::size_t chunk_bytes = std::size_t{1} << 18;
constexpr std::size_t cache_bytes = chunk_bytes;
constexpr unsigned deflate_level = 1;  // zlib's fastest

// Debian's VTK 9.1 reads version 1.0 of the layout.
constexpr std::int64_t layout_version[2] = {1, 0};
constexpr char grid_type[] = "UnstructuredGrid";

// The text of the innermost HDF5 error on the default stack, or "", and the
// stack cleared.  A failed system call gives its C library text, which HDF5
// quotes as "error message = '...'".
extern "C" herr_t take_innermost(unsigned n, const H5E_error2_t* e, void* data)
{
    if (n == 0 && e->desc)
        *static_cast<std::string*>(data) = e->desc;
    return 0;
}

std::string hdf5_error_text()
{
    std::string desc;
    H5Ewalk2(H5E_DEFAULT, H5E_WALK_UPWARD, take_innermost, &desc);
    H5Eclear2(H5E_DEFAULT);
    const std::string quoted = "error message = '";
    const std::size_t at = desc.find(quoted);
    if (at != std::string::npos) {
        const std::size_t from = at + quoted.size();
        return desc.substr(from, desc.find('\'', from) - from);
    }
    return desc;
}

// One dataset of the layout: rows of ncols values of file_type.
struct Dataset {
    hid_t id = H5I_INVALID_HID;
    int ncols = 1;  // 1: a one-dimensional dataset
};

}  // namespace

struct File::Impl {
    std::string name;  // for messages
    hid_t file = H5I_INVALID_HID;
    hid_t group = H5I_INVALID_HID;
    hid_t cell_data = H5I_INVALID_HID;
    hid_t xfer = H5P_DEFAULT;
    bool collective = false;  // every process makes every write call
    bool single = false;      // Float32 reals
    std::int32_t nspecies = 0;
    CellArrays cell_arrays;
    Dataset number_of_points, number_of_cells, number_of_connectivity_ids;
    Dataset points, types, connectivity, offsets;
    Dataset velocity, scalars[4], species[max_species], level, piece_number;
    std::unique_ptr<char[]> stage{new char[stage_bytes]};

    [[noreturn]] void fail_hdf5(const char* call)
    {
        const std::string text = hdf5_error_text();
        fail(name,
             std::string("cannot write: ") + call + " failed" + (text.empty() ? "" : ": " + text));
    }
    template <class T>
    T check(T result, const char* call)
    {
        if (result < 0)
            fail_hdf5(call);
        return result;
    }

    hid_t real_file_type() const { return single ? H5T_IEEE_F32LE : H5T_IEEE_F64LE; }
    hid_t real_memory_type() const { return single ? H5T_NATIVE_FLOAT : H5T_NATIVE_DOUBLE; }

    void make(Dataset& d, hid_t where, const char* dname, hid_t type, int ncols,
              Compression compress);
    void attributes();
    void resize(Dataset& d, std::int64_t rows);
    void write_rows(Dataset& d, std::int64_t first, std::int64_t n, hid_t memory_type,
                    const void* data);
    // Writes rows first.. first + n - 1 of d, row_bytes each, a stage's
    // worth per call: fill(p, k0, k1) stores rows k0..k1 - 1 (counted from
    // 0) at p, or, for rows already laid out as the file's, from gives
    // where row k0 lies.  Collective writes make as many calls as bound rows
    // (the most that any process writes in this step) take, so that every
    // process makes the same calls.
    template <class Fill>
    void staged(Dataset& d, std::int64_t first, std::int64_t n, std::int64_t bound,
                std::size_t row_bytes, hid_t memory_type, Fill fill)
    {
        const auto per = static_cast<std::int64_t>(stage_bytes / row_bytes);
        const std::int64_t rows = collective ? std::max(n, bound) : n;
        for (std::int64_t k = 0; k < rows; k += per) {
            const std::int64_t k0 = std::min(n, k), k1 = std::min(n, k + per);
            const void* data = stage.get();
            if constexpr (std::is_invocable_r_v<const void*, Fill, std::int64_t>)
                data = k1 > k0 ? fill(k0) : data;
            else if (k1 > k0)
                fill(stage.get(), k0, k1);
            write_rows(d, first + k0, k1 - k0, memory_type, data);
        }
    }
    template <class T>
    void write_reals(Dataset& d, std::int64_t first, const double* v, std::int64_t n,
                     std::int64_t bound);
    template <class T>
    void write_velocity(std::int64_t first, const Piece& piece, std::int64_t n, std::int64_t bound);
    template <class T>
    void write_points(std::int64_t first, const Mesh* mesh, std::int64_t n, std::int64_t bound);
    template <class T>
    void write_missing(Dataset& d, std::int64_t first, std::int64_t n, std::int64_t bound);
    template <class T>
    void write_cell_data(std::int64_t first, const Piece* piece, std::int64_t n,
                         std::int64_t bound);
    void close_all(bool quietly);
};

void File::Impl::make(Dataset& d, hid_t where, const char* dname, hid_t type, int ncols,
                      Compression compress)
{
    d.ncols = ncols;
    const int rank = ncols > 1 ? 2 : 1;
    const hsize_t dims[2] = {0, static_cast<hsize_t>(ncols)};
    const hsize_t max_dims[2] = {H5S_UNLIMITED, static_cast<hsize_t>(ncols)};
    const std::size_t row_bytes = H5Tget_size(type) * static_cast<std::size_t>(ncols);
    const hsize_t chunk[2] = {std::max<hsize_t>(1, chunk_bytes / row_bytes),
                              static_cast<hsize_t>(ncols)};
    const hid_t space = check(H5Screate_simple(rank, dims, max_dims), "H5Screate_simple");
    const hid_t create = check(H5Pcreate(H5P_DATASET_CREATE), "H5Pcreate");
    const hid_t access = check(H5Pcreate(H5P_DATASET_ACCESS), "H5Pcreate");
    herr_t ok = H5Pset_chunk(create, rank, chunk);
    if (ok >= 0)
        ok = H5Pset_fill_time(create, H5D_FILL_TIME_NEVER);
    if (ok >= 0 && compress == Compression::zlib)
        ok = H5Pset_deflate(create, deflate_level);
    if (ok >= 0)
        ok = H5Pset_chunk_cache(access, 521, cache_bytes, 1.0);
    if (ok >= 0)
        d.id = H5Dcreate2(where, dname, type, space, H5P_DEFAULT, create, access);
    H5Pclose(access);
    H5Pclose(create);
    H5Sclose(space);
    if (ok < 0 || d.id < 0)
        fail_hdf5("H5Dcreate2");
}

void File::Impl::attributes()
{
    const hsize_t two = 2;
    hid_t space = check(H5Screate_simple(1, &two, nullptr), "H5Screate_simple");
    hid_t attr = H5Acreate2(group, "Version", H5T_STD_I64LE, space, H5P_DEFAULT, H5P_DEFAULT);
    herr_t ok = attr < 0 ? -1 : H5Awrite(attr, H5T_NATIVE_INT64, layout_version);
    if (attr >= 0)
        H5Aclose(attr);
    H5Sclose(space);
    if (ok < 0)
        fail_hdf5("H5Awrite");

    const hid_t text = check(H5Tcopy(H5T_C_S1), "H5Tcopy");
    ok = H5Tset_size(text, sizeof grid_type - 1);
    if (ok >= 0)
        ok = H5Tset_strpad(text, H5T_STR_NULLPAD);
    if (ok >= 0)
        ok = H5Tset_cset(text, H5T_CSET_ASCII);
    space = H5Screate(H5S_SCALAR);
    attr =
        ok < 0 || space < 0 ? -1 : H5Acreate2(group, "Type", text, space, H5P_DEFAULT, H5P_DEFAULT);
    ok = attr < 0 ? -1 : H5Awrite(attr, text, grid_type);
    if (attr >= 0)
        H5Aclose(attr);
    if (space >= 0)
        H5Sclose(space);
    H5Tclose(text);
    if (ok < 0)
        fail_hdf5("H5Awrite");
}

void File::Impl::resize(Dataset& d, std::int64_t rows)
{
    const hsize_t dims[2] = {static_cast<hsize_t>(rows), static_cast<hsize_t>(d.ncols)};
    check(H5Dset_extent(d.id, dims), "H5Dset_extent");
}

void File::Impl::write_rows(Dataset& d, std::int64_t first, std::int64_t n, hid_t memory_type,
                            const void* data)
{
    if (n <= 0 && !collective)
        return;
    // A process with nothing to write in a collective call selects nothing.
    const int rank = d.ncols > 1 ? 2 : 1;
    const hsize_t start[2] = {static_cast<hsize_t>(first), 0};
    const hsize_t count[2] = {static_cast<hsize_t>(std::max<std::int64_t>(n, 1)),
                              static_cast<hsize_t>(d.ncols)};
    const hid_t file_space = check(H5Dget_space(d.id), "H5Dget_space");
    const hid_t memory_space = H5Screate_simple(rank, count, nullptr);
    herr_t ok =
        memory_space < 0 ? -1
        : n > 0 ? H5Sselect_hyperslab(file_space, H5S_SELECT_SET, start, nullptr, count, nullptr)
                : std::min(H5Sselect_none(file_space), H5Sselect_none(memory_space));
    if (ok >= 0)
        ok = H5Dwrite(d.id, memory_type, memory_space, file_space, xfer, data);
    if (memory_space >= 0)
        H5Sclose(memory_space);
    H5Sclose(file_space);
    if (ok < 0)
        fail_hdf5("H5Dwrite");
}

template <class T>
void File::Impl::write_reals(Dataset& d, std::int64_t first, const double* v, std::int64_t n,
                             std::int64_t bound)
{
    if constexpr (sizeof(T) == sizeof(double)) {
        staged(d, first, n, bound, sizeof(T), H5T_NATIVE_DOUBLE,
               [&](std::int64_t k0) -> const void* { return v + k0; });  // straight from the piece
    } else {
        staged(d, first, n, bound, sizeof(T), H5T_NATIVE_FLOAT,
               [&](char* p, std::int64_t k0, std::int64_t k1) {
                   T* out = reinterpret_cast<T*>(p);
                   for (std::int64_t k = k0; k < k1; ++k)
                       *out++ = static_cast<T>(v[k]);
               });
    }
}

template <class T>
void File::Impl::write_velocity(std::int64_t first, const Piece& piece, std::int64_t n,
                                std::int64_t bound)
{
    const double* u[3] = {piece.velocity(0), piece.velocity(1), piece.velocity(2)};
    staged(velocity, first, n, bound, 3 * sizeof(T), real_memory_type(),
           [&](char* p, std::int64_t k0, std::int64_t k1) {
               T* out = reinterpret_cast<T*>(p);
               for (std::int64_t k = k0; k < k1; ++k) {
                   *out++ = static_cast<T>(u[0][k]);
                   *out++ = static_cast<T>(u[1][k]);
                   *out++ = static_cast<T>(u[2][k]);
               }
           });
}

// Each point's coordinates, from the corner that first used it.
template <class T>
void File::Impl::write_points(std::int64_t first, const Mesh* mesh, std::int64_t n,
                              std::int64_t bound)
{
    staged(points, first, n, bound, 3 * sizeof(T), real_memory_type(),
           [&](char* p, std::int64_t k0, std::int64_t k1) {
               T* out = reinterpret_cast<T*>(p);
               for (auto k = static_cast<std::int32_t>(k0); k < k1; ++k) {
                   *out++ = static_cast<T>(mesh->coordinate(k, 0));
                   *out++ = static_cast<T>(mesh->coordinate(k, 1));
                   *out++ = static_cast<T>(mesh->coordinate(k, 2));
               }
           });
}

// A species that piece 0 has and this piece lacks: NaN for every cell.
template <class T>
void File::Impl::write_missing(Dataset& d, std::int64_t first, std::int64_t n, std::int64_t bound)
{
    staged(d, first, n, bound, sizeof(T), real_memory_type(),
           [&](char* p, std::int64_t k0, std::int64_t k1) {
               std::fill_n(reinterpret_cast<T*>(p), k1 - k0, std::numeric_limits<T>::quiet_NaN());
           });
}

// Velocity, the four scalars and every species of piece 0, in that order;
// a species this piece lacks (every array, without a piece) is written as
// missing, which takes the same calls.
template <class T>
void File::Impl::write_cell_data(std::int64_t first, const Piece* piece, std::int64_t n,
                                 std::int64_t bound)
{
    if (!piece) {
        write_missing<T>(velocity, first, 0, bound);
        for (Dataset& d : scalars)
            write_missing<T>(d, first, 0, bound);
        for (std::int32_t j = 0; j < nspecies; ++j)
            write_missing<T>(species[j], first, 0, bound);
        return;
    }
    write_velocity<T>(first, *piece, n, bound);
    const double* v[4] = {piece->drun.get(), piece->erun.get(), piece->trun.get(),
                          piece->prun.get()};
    for (int s = 0; s < 4; ++s)
        write_reals<T>(scalars[s], first, v[s], n, bound);
    const std::int32_t present = std::clamp(piece->header.nspecies, 0, nspecies);
    for (std::int32_t j = 0; j < nspecies; ++j)
        if (j < present)
            write_reals<T>(species[j], first, piece->species(j + 1), n, bound);
        else
            write_missing<T>(species[j], first, n, bound);
}

void File::Impl::close_all(bool quietly)
{
    std::vector<Dataset*> all = {&number_of_points, &number_of_cells, &number_of_connectivity_ids,
                                 &points,           &types,           &connectivity,
                                 &offsets,          &velocity,        &level,
                                 &piece_number};
    for (Dataset& d : scalars)
        all.push_back(&d);
    for (Dataset& d : species)
        all.push_back(&d);
    herr_t ok = 0;
    for (Dataset* d : all)
        if (d->id >= 0) {
            ok = std::min(ok, H5Dclose(d->id));
            d->id = H5I_INVALID_HID;
        }
    for (hid_t* g : {&cell_data, &group})
        if (*g >= 0) {
            ok = std::min(ok, H5Gclose(*g));
            *g = H5I_INVALID_HID;
        }
    if (file >= 0) {
        ok = std::min(ok, H5Fclose(file));
        file = H5I_INVALID_HID;
    }
    if (!quietly && ok < 0)
        fail_hdf5("H5Fclose");
    H5Eclear2(H5E_DEFAULT);
}

void start_hdf5()
{
    static const bool started = [] {
        H5dont_atexit();
        H5Eset_auto2(H5E_DEFAULT, nullptr, nullptr);  // failures become our one line
        return true;
    }();
    (void)started;
}

PieceRows piece_rows(const Piece& piece, const Mesh& mesh)
{
    const std::int64_t n = std::max<std::int32_t>(piece.header.ncells, 0);
    return {n > 0 ? mesh.npoints : 0, n, 8 * n, n + 1};
}

RowStart rows_after(const RowStart& at, const PieceRows& rows)
{
    return {at.piece + 1, at.points + rows.points, at.cells + rows.cells,
            at.connectivity + rows.connectivity, at.offsets + rows.offsets};
}

File::File(const std::string& path, const std::string& name, const OutputStyle& style,
           const SpeciesNames& names, std::int64_t file_access, std::int64_t transfer)
    : impl_(std::make_unique<Impl>())
{
    Impl& f = *impl_;
    start_hdf5();
    f.name = name;
    f.single = style.precision == Precision::float32;
    f.nspecies = names.count;
    f.cell_arrays = style.cell_arrays;
    if (transfer) {
        f.xfer = static_cast<hid_t>(transfer);
        f.collective = true;
    }
    f.file = H5Fcreate(path.c_str(), H5F_ACC_EXCL, H5P_DEFAULT,
                       file_access ? static_cast<hid_t>(file_access) : H5P_DEFAULT);
    if (f.file < 0) {
        const std::string text = hdf5_error_text();
        fail(name, "cannot create: " + (text.empty() ? std::string("H5Fcreate failed") : text));
    }
    try {
        f.group = f.check(H5Gcreate2(f.file, "VTKHDF", H5P_DEFAULT, H5P_DEFAULT, H5P_DEFAULT),
                          "H5Gcreate2");
        f.attributes();
        const Compression c = style.compress;
        f.make(f.number_of_points, f.group, "NumberOfPoints", H5T_STD_I64LE, 1, Compression::none);
        f.make(f.number_of_cells, f.group, "NumberOfCells", H5T_STD_I64LE, 1, Compression::none);
        f.make(f.number_of_connectivity_ids, f.group, "NumberOfConnectivityIds", H5T_STD_I64LE, 1,
               Compression::none);
        f.make(f.points, f.group, "Points", f.real_file_type(), 3, c);
        f.make(f.types, f.group, "Types", H5T_STD_U8LE, 1, c);
        f.make(f.connectivity, f.group, "Connectivity", H5T_STD_I64LE, 1, c);
        f.make(f.offsets, f.group, "Offsets", H5T_STD_I64LE, 1, c);
        f.cell_data = f.check(
            H5Gcreate2(f.group, "CellData", H5P_DEFAULT, H5P_DEFAULT, H5P_DEFAULT), "H5Gcreate2");
        f.make(f.velocity, f.cell_data, "Velocity", f.real_file_type(), 3, c);
        const char* scalar_names[4] = {"Density", "Energy", "Temperature", "Pressure"};
        for (int s = 0; s < 4; ++s)
            f.make(f.scalars[s], f.cell_data, scalar_names[s], f.real_file_type(), 1, c);
        for (std::int32_t j = 0; j < names.count; ++j)
            f.make(f.species[j], f.cell_data, names.name[j].c_str(), f.real_file_type(), 1, c);
        if (f.cell_arrays.level)
            f.make(f.level, f.cell_data, "Level", H5T_STD_U8LE, 1, c);
        if (f.cell_arrays.piece)
            f.make(f.piece_number, f.cell_data, "Piece", H5T_STD_I32LE, 1, c);
    } catch (...) {
        f.close_all(true);
        ::unlink(path.c_str());
        throw;
    }
}

File::~File()
{
    close_quietly();
}

void File::size_to(const RowStart& end)
{
    Impl& f = *impl_;
    for (Dataset* d : {&f.number_of_points, &f.number_of_cells, &f.number_of_connectivity_ids})
        f.resize(*d, end.piece);
    f.resize(f.points, end.points);
    f.resize(f.connectivity, end.connectivity);
    f.resize(f.offsets, end.offsets);
    f.resize(f.types, end.cells);
    f.resize(f.velocity, end.cells);
    for (Dataset& d : f.scalars)
        f.resize(d, end.cells);
    for (std::int32_t j = 0; j < f.nspecies; ++j)
        f.resize(f.species[j], end.cells);
    if (f.cell_arrays.level)
        f.resize(f.level, end.cells);
    if (f.cell_arrays.piece)
        f.resize(f.piece_number, end.cells);
}

void File::write_piece(const RowStart& at, const Piece& piece, const Mesh& mesh)
{
    write_piece(at, &piece, &mesh, piece_rows(piece, mesh));
}

void File::write_piece(const RowStart& at, const Piece* piece, const Mesh* mesh,
                       const PieceRows& bound)
{
    Impl& f = *impl_;
    const PieceRows rows = piece ? piece_rows(*piece, *mesh) : PieceRows{};
    const std::int64_t n = rows.cells;
    const std::int64_t one = piece ? 1 : 0;
    f.write_rows(f.number_of_points, at.piece, one, H5T_NATIVE_INT64, &rows.points);
    f.write_rows(f.number_of_cells, at.piece, one, H5T_NATIVE_INT64, &rows.cells);
    f.write_rows(f.number_of_connectivity_ids, at.piece, one, H5T_NATIVE_INT64, &rows.connectivity);
    // Without a piece every call below writes no rows and reads nothing.
    if (f.single)
        f.write_points<float>(at.points, mesh, rows.points, bound.points);
    else
        f.write_points<double>(at.points, mesh, rows.points, bound.points);
    // The mesh's point numbers, each piece's own; its offsets run from 0 to
    // its connectivity count.
    f.staged(f.connectivity, at.connectivity, rows.connectivity, bound.connectivity,
             sizeof(std::int64_t), H5T_NATIVE_INT64,
             [&](char* p, std::int64_t k0, std::int64_t k1) {
                 const std::int32_t* corner_points = mesh->connectivity.get();
                 auto* out = reinterpret_cast<std::int64_t*>(p);
                 for (std::int64_t k = k0; k < k1; ++k)
                     *out++ = corner_points[k];
             });
    f.staged(f.offsets, at.offsets, rows.offsets, bound.offsets, sizeof(std::int64_t),
             H5T_NATIVE_INT64, [](char* p, std::int64_t k0, std::int64_t k1) {
                 auto* out = reinterpret_cast<std::int64_t*>(p);
                 for (std::int64_t k = k0; k < k1; ++k)
                     *out++ = 8 * k;
             });
    f.staged(f.types, at.cells, n, bound.cells, 1, H5T_NATIVE_UINT8,
             [&](char* p, std::int64_t k0, std::int64_t k1) {
                 std::memset(p, mesh->shape.vtk_type, static_cast<std::size_t>(k1 - k0));
             });
    if (f.single)
        f.write_cell_data<float>(at.cells, piece, n, bound.cells);
    else
        f.write_cell_data<double>(at.cells, piece, n, bound.cells);
    if (f.cell_arrays.level)
        f.staged(f.level, at.cells, n, bound.cells, 1, H5T_NATIVE_UINT8,
                 [&](char* p, std::int64_t k0, std::int64_t k1) {
                     const std::int32_t* levels = piece->nlevel.get();
                     for (std::int64_t k = k0; k < k1; ++k)
                         *p++ = static_cast<char>(static_cast<std::uint8_t>(levels[k]));
                 });
    if (f.cell_arrays.piece)
        f.staged(f.piece_number, at.cells, n, bound.cells, sizeof(std::int32_t), H5T_NATIVE_INT32,
                 [&](char* p, std::int64_t k0, std::int64_t k1) {
                     std::fill_n(reinterpret_cast<std::int32_t*>(p), k1 - k0, piece->number);
                 });
}

void File::close()
{
    impl_->close_all(false);
}

void File::close_quietly() noexcept
{
    if (impl_)
        impl_->close_all(true);
}

}  // namespace cellplot::vtkhdf
