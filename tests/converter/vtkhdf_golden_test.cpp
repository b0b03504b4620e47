// The datasets of a small VTKHDF file, typed in as literals and read back
// through HDF5's own C library (no Python): two pieces, the first of two
// neighbouring cells that share a face, the second of one cell.  The bytes
// on disk are HDF5's to choose; the group, its attributes and every dataset
// are ours.
#include <gtest/gtest.h>
#include <hdf5.h>

#include <cstdint>
#include <string>
#include <vector>

#include "../support/result_files.hpp"
#include "run_in_dir.hpp"

using testing_support::ScratchDir;

namespace {

// Reads a whole dataset or attribute of /VTKHDF, converted to T by HDF5.
class HdfFile {
public:
    explicit HdfFile(const std::string& path)
        : file_(H5Fopen(path.c_str(), H5F_ACC_RDONLY, H5P_DEFAULT))
    {}
    ~HdfFile()
    {
        if (file_ >= 0)
            H5Fclose(file_);
    }
    bool open() const { return file_ >= 0; }

    template <class T>
    std::vector<T> dataset(const std::string& name, hid_t memory_type,
                           std::size_t* element_size = nullptr, int* filters = nullptr) const
    {
        const hid_t set = H5Dopen2(file_, ("/VTKHDF/" + name).c_str(), H5P_DEFAULT);
        if (set < 0)
            return {};
        const hid_t space = H5Dget_space(set);
        const hssize_t n = H5Sget_simple_extent_npoints(space);
        std::vector<T> values(static_cast<std::size_t>(n));
        if (n > 0)
            H5Dread(set, memory_type, H5S_ALL, H5S_ALL, H5P_DEFAULT, values.data());
        if (element_size) {
            const hid_t type = H5Dget_type(set);
            *element_size = H5Tget_size(type);
            H5Tclose(type);
        }
        if (filters) {
            const hid_t create = H5Dget_create_plist(set);
            *filters = H5Pget_nfilters(create);
            H5Pclose(create);
        }
        H5Sclose(space);
        H5Dclose(set);
        return values;
    }

    std::vector<std::int64_t> version() const
    {
        const hid_t attr = H5Aopen_by_name(file_, "/VTKHDF", "Version", H5P_DEFAULT, H5P_DEFAULT);
        std::vector<std::int64_t> v(2, -1);
        H5Aread(attr, H5T_NATIVE_INT64, v.data());
        H5Aclose(attr);
        return v;
    }

    // The Type attribute as stored: its text, and whether it is a
    // fixed-length ASCII string.
    std::string type_text(bool* fixed_ascii) const
    {
        const hid_t attr = H5Aopen_by_name(file_, "/VTKHDF", "Type", H5P_DEFAULT, H5P_DEFAULT);
        const hid_t type = H5Aget_type(attr);
        *fixed_ascii = H5Tget_class(type) == H5T_STRING && H5Tis_variable_str(type) == 0 &&
                       H5Tget_cset(type) == H5T_CSET_ASCII;
        std::string text;
        if (*fixed_ascii) {
            text.resize(H5Tget_size(type));
            H5Aread(attr, type, text.data());
            text.resize(text.find_last_not_of(std::string(1, '\0')) + 1);
        }
        H5Tclose(type);
        H5Aclose(attr);
        return text;
    }

private:
    hid_t file_;
};

// Piece 0: cells at x = 0.25 and 0.75 (level 1, edge 0.5); piece 1: one
// cell at y = 0.75.  Momentum, energy and the species are per volume, so
// the output holds them divided by density.
void write_pieces(const ScratchDir& dir)
{
    results::PieceData p0;
    p0.npieces = 2;
    results::add_cell(p0, 1, 0.25, 0.25, 0.25, 2, 6, 300, 5, 2, 0, 0, {1});
    results::add_cell(p0, 1, 0.75, 0.25, 0.25, 4, 8, 310, 7, 4, 8, 0, {2});
    results::write_binary(p0, dir.file(results::result_name(0, 0)));
    results::PieceData p1;
    results::add_cell(p1, 1, 0.25, 0.75, 0.25, 1, 1, 290, 3, 0, 0, 3, {0.5});
    results::write_binary(p1, dir.file(results::result_name(1, 0)));
}

struct Style {
    const char* options;
    std::size_t real_size;  // bytes of a stored real
    bool deflate;
};

TEST(vtkhdf_golden, every_dataset_of_two_pieces_in_each_style)
{
    const std::vector<double> points = {0, 0,   0,   0.5, 0,   0,   0, 0.5, 0,   0.5, 0.5, 0,
                                        0, 0,   0.5, 0.5, 0,   0.5, 0, 0.5, 0.5, 0.5, 0.5, 0.5,
                                        1, 0,   0,   1,   0.5, 0,   1, 0,   0.5, 1,   0.5, 0.5,
                                        0, 0.5, 0,   0.5, 0.5, 0,   0, 1,   0,   0.5, 1,   0,
                                        0, 0.5, 0.5, 0.5, 0.5, 0.5, 0, 1,   0.5, 0.5, 1,   0.5};
    const std::vector<std::int64_t> connectivity = {0, 1,  2, 3,  4, 5, 6, 7, 1, 8, 3, 9,
                                                    5, 10, 7, 11, 0, 1, 2, 3, 4, 5, 6, 7};
    for (const Style& style : {Style{"", 8, false}, Style{"--precision=single", 4, false},
                               Style{"--compress=zlib", 8, true}}) {
        SCOPED_TRACE(style.options);
        ScratchDir dir;
        write_pieces(dir);
        const auto r = dir.run(CELLPLOT, std::string("--encoding=binary --format=vtkhdf ") +
                                             style.options + " --cell-arrays=level,piece");
        ASSERT_EQ(r.status, 0) << r.err;
        HdfFile h5(dir.file("pview0000.hdf"));
        ASSERT_TRUE(h5.open());

        EXPECT_EQ(h5.version(), (std::vector<std::int64_t>{1, 0}));
        bool fixed_ascii = false;
        EXPECT_EQ(h5.type_text(&fixed_ascii), "UnstructuredGrid");
        EXPECT_TRUE(fixed_ascii);

        using I64 = std::vector<std::int64_t>;
        EXPECT_EQ(h5.dataset<std::int64_t>("NumberOfPoints", H5T_NATIVE_INT64), (I64{12, 8}));
        EXPECT_EQ(h5.dataset<std::int64_t>("NumberOfCells", H5T_NATIVE_INT64), (I64{2, 1}));
        EXPECT_EQ(h5.dataset<std::int64_t>("NumberOfConnectivityIds", H5T_NATIVE_INT64),
                  (I64{16, 8}));
        EXPECT_EQ(h5.dataset<std::int64_t>("Offsets", H5T_NATIVE_INT64), (I64{0, 8, 16, 0, 8}));
        EXPECT_EQ(h5.dataset<std::int64_t>("Connectivity", H5T_NATIVE_INT64), connectivity);
        EXPECT_EQ(h5.dataset<std::int64_t>("Types", H5T_NATIVE_INT64), (I64{11, 11, 11}));

        std::size_t size = 0;
        int filters = 0;
        EXPECT_EQ(h5.dataset<double>("Points", H5T_NATIVE_DOUBLE, &size, &filters), points);
        EXPECT_EQ(size, style.real_size);
        EXPECT_EQ(filters > 0, style.deflate);

        using F64 = std::vector<double>;
        EXPECT_EQ(h5.dataset<double>("CellData/Density", H5T_NATIVE_DOUBLE, &size), (F64{2, 4, 1}));
        EXPECT_EQ(size, style.real_size);
        EXPECT_EQ(h5.dataset<double>("CellData/Energy", H5T_NATIVE_DOUBLE), (F64{3, 2, 1}));
        EXPECT_EQ(h5.dataset<double>("CellData/Temperature", H5T_NATIVE_DOUBLE),
                  (F64{300, 310, 290}));
        EXPECT_EQ(h5.dataset<double>("CellData/Pressure", H5T_NATIVE_DOUBLE), (F64{5, 7, 3}));
        EXPECT_EQ(h5.dataset<double>("CellData/Velocity", H5T_NATIVE_DOUBLE),
                  (F64{1, 0, 0, 1, 2, 0, 0, 0, 3}));
        EXPECT_EQ(h5.dataset<double>("CellData/Species01", H5T_NATIVE_DOUBLE),
                  (F64{0.5, 0.5, 0.5}));
        EXPECT_EQ(h5.dataset<std::int64_t>("CellData/Level", H5T_NATIVE_INT64), (I64{1, 1, 1}));
        EXPECT_EQ(h5.dataset<std::int64_t>("CellData/Piece", H5T_NATIVE_INT64), (I64{0, 0, 1}));
    }
}

}  // namespace
