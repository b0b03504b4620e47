// The files the sample solver writes: record framing of the binary
// encoding, the text encoding read back, the control file, and the fields.
#include "fields.hpp"
#include "result_files.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// A fresh temporary directory, the working directory while it lives.
class InScratchDir : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string tmpl =
            (std::filesystem::temp_directory_path() / "sample-solver-XXXXXX").string();
        ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
        dir_ = tmpl;
        old_ = std::filesystem::current_path();
        std::filesystem::current_path(dir_);
    }
    void TearDown() override
    {
        std::filesystem::current_path(old_);
        std::filesystem::remove_all(dir_);
    }
    static std::string read(const std::string& name)
    {
        std::ifstream in(name, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }

private:
    std::filesystem::path dir_, old_;
};

// Two cells with distinct values in every array, two species.
solver::CellFields two_cells()
{
    solver::CellFields f;
    f.level = {3, 7};
    f.x = {0.0625, 0.5};
    f.y = {0.1875, 0.25};
    f.z = {0.3125, 1.0 / 3.0};
    f.size = {0.125, 0.0078125};
    f.density = {1.25, 0.1};
    f.energy = {2.5e-7, 12345.678};
    f.temperature = {-0.0, 1e300};
    f.pressure = {3.0, 5e-324};
    f.momentum[0] = {0.1, -0.2};
    f.momentum[1] = {0.3, -0.4};
    f.momentum[2] = {0.5, -0.6};
    f.species = {{0.7, 0.8}, {0.9, 1.0}};
    return f;
}

solver::ResultHeader header()
{
    solver::ResultHeader h;
    h.piece = 1;
    h.npieces = 3;
    h.reflevel = 2;
    h.nlevels = 7;
    return h;
}

// Splits a binary file into its records' payloads, checking each frame.
std::vector<std::string> records(const std::string& bytes)
{
    std::vector<std::string> out;
    std::size_t at = 0;
    while (at < bytes.size()) {
        std::int32_t head = 0, tail = 0;
        EXPECT_LE(at + 4, bytes.size());
        std::memcpy(&head, bytes.data() + at, 4);
        EXPECT_LE(at + 8 + static_cast<std::size_t>(head), bytes.size());
        std::memcpy(&tail, bytes.data() + at + 4 + head, 4);
        EXPECT_EQ(head, tail) << "record " << out.size() + 1;
        out.push_back(bytes.substr(at + 4, static_cast<std::size_t>(head)));
        at += 8 + static_cast<std::size_t>(head);
    }
    return out;
}

template <class T>
std::vector<T> values(const std::string& payload)
{
    std::vector<T> v(payload.size() / sizeof(T));
    std::memcpy(v.data(), payload.data(), v.size() * sizeof(T));
    return v;
}

TEST(result_names, carry_six_piece_digits_and_four_output_digits)
{
    EXPECT_EQ(solver::result_name(3, 12), "reso0000030012.res");
    EXPECT_EQ(solver::result_name(0, 0), "reso0000000000.res");
    EXPECT_EQ(solver::result_name(999999, 9999), "reso9999999999.res");
}

TEST_F(InScratchDir, binary_file_holds_framed_records_in_the_converter_order)
{
    const solver::CellFields f = two_cells();
    ASSERT_EQ(solver::write_result("r.res", true, header(), f), 0);
    const std::vector<std::string> r = records(read("r.res"));
    ASSERT_EQ(r.size(), 16u + 2u);
    EXPECT_EQ(values<std::int32_t>(r[0]), (std::vector<std::int32_t>{1, 3}));
    EXPECT_EQ(values<double>(r[1]), (std::vector<double>{1, 1, 1}));
    ASSERT_EQ(r[2].size(), 24u);
    double rootsize = 0;
    std::memcpy(&rootsize, r[2].data(), 8);
    EXPECT_EQ(rootsize, 1.0);
    EXPECT_EQ(values<std::int32_t>(r[2].substr(8)), (std::vector<std::int32_t>{2, 7, 2, 2}));
    EXPECT_EQ(r[3].size(), 32u);
    EXPECT_EQ(values<std::int32_t>(r[4]), f.level);
    const std::vector<const std::vector<double>*> arrays = {
        &f.x,           &f.y,           &f.z,         &f.size,        &f.density,
        &f.energy,      &f.temperature, &f.pressure,  &f.momentum[0], &f.momentum[1],
        &f.momentum[2], &f.species[0],  &f.species[1]};
    for (std::size_t a = 0; a < arrays.size(); ++a) {
        const std::vector<double> got = values<double>(r[5 + a]);
        ASSERT_EQ(got.size(), 2u);
        for (std::size_t i = 0; i < 2; ++i)  // bit for bit, the sign of -0.0 included
            EXPECT_EQ(std::memcmp(&got[i], &(*arrays[a])[i], 8), 0) << "record " << 6 + a;
    }
}

TEST_F(InScratchDir, text_file_reads_back_to_the_same_values)
{
    solver::CellFields f = two_cells();
    // Enough cells that a record runs over several lines.
    for (int i = 0; i < 20; ++i) {
        f.level.push_back(i % 19);
        for (auto* v :
             {&f.x, &f.y, &f.z, &f.size, &f.density, &f.energy, &f.temperature, &f.pressure,
              &f.momentum[0], &f.momentum[1], &f.momentum[2], &f.species[0], &f.species[1]})
            v->push_back(std::ldexp(1.0 + i / 7.0, i - 10));
    }
    ASSERT_EQ(solver::write_result("r.res", false, header(), f), 0);
    std::istringstream in(read("r.res"));
    std::string line;
    std::vector<std::vector<std::string>> lines;
    while (std::getline(in, line)) {
        std::istringstream items(line);
        lines.emplace_back();
        for (std::string item; items >> item;)
            lines.back().push_back(item);
    }
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[0], (std::vector<std::string>{"1", "3"}));
    EXPECT_EQ(lines[2], (std::vector<std::string>{"1", "2", "7", "22", "2"}));
    EXPECT_EQ(lines[3].size(), 4u);
    // Records 5 onward: 22 values each, over 4 lines of at most 6.
    const std::vector<const std::vector<double>*> arrays = {
        &f.x,           &f.y,           &f.z,         &f.size,        &f.density,
        &f.energy,      &f.temperature, &f.pressure,  &f.momentum[0], &f.momentum[1],
        &f.momentum[2], &f.species[0],  &f.species[1]};
    ASSERT_EQ(lines.size(), 4u + 4u * (1 + arrays.size()));
    auto record = [&](std::size_t r) {
        std::vector<std::string> all;
        for (std::size_t l = 4 + 4 * r; l < 8 + 4 * r; ++l) {
            EXPECT_LE(lines[l].size(), 6u);
            all.insert(all.end(), lines[l].begin(), lines[l].end());
        }
        return all;
    };
    const std::vector<std::string> levels = record(0);
    ASSERT_EQ(levels.size(), 22u);
    for (std::size_t i = 0; i < 22; ++i)
        EXPECT_EQ(std::stoi(levels[i]), f.level[i]);
    for (std::size_t a = 0; a < arrays.size(); ++a) {
        const std::vector<std::string> items = record(1 + a);
        ASSERT_EQ(items.size(), 22u);
        for (std::size_t i = 0; i < 22; ++i) {
            const double v = std::strtod(items[i].c_str(), nullptr);
            EXPECT_EQ(std::memcmp(&v, &(*arrays[a])[i], 8), 0)
                << "record " << 6 + a << " value " << i << ": " << items[i];
        }
    }
}

TEST_F(InScratchDir, a_piece_without_cells_keeps_every_record)
{
    solver::CellFields none;
    none.species.resize(2);
    ASSERT_EQ(solver::write_result("b.res", true, header(), none), 0);
    const std::vector<std::string> r = records(read("b.res"));
    ASSERT_EQ(r.size(), 18u);
    for (std::size_t i = 4; i < r.size(); ++i)
        EXPECT_TRUE(r[i].empty());
    ASSERT_EQ(solver::write_result("t.res", false, header(), none), 0);
    const std::string text = read("t.res");
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 4 + 14);
    EXPECT_NE(text.find("\n1 2 7 0 2\n"), std::string::npos);
}

TEST_F(InScratchDir, an_unwritable_file_gives_its_error)
{
    EXPECT_EQ(solver::write_result("no/such/dir.res", true, header(), two_cells()), ENOENT);
}

TEST_F(InScratchDir, control_file_gives_encoding_on_line_7_and_output_on_line_10)
{
    for (const bool binary : {true, false}) {
        std::filesystem::remove("contview.dat");
        ASSERT_EQ(solver::write_control(binary, 42, "a test run"), 0);
        std::istringstream in(read("contview.dat"));
        std::vector<std::string> lines;
        for (std::string l; std::getline(in, l);)
            lines.push_back(l);
        ASSERT_GE(lines.size(), 10u);
        EXPECT_EQ(lines[6], binary ? "0" : "1");
        EXPECT_EQ(lines[9], "42");
    }
}

TEST(fields, energy_momentum_and_species_agree_with_density_and_pressure)
{
    const solver::Refinement front;
    solver::Octree tree;
    solver::Refinement r = front;
    r.max_level = 4;
    const solver::BuildResult built = solver::build_tree(r, 1 << 20, tree);
    ASSERT_TRUE(built.ok);
    const std::int32_t n = static_cast<std::int32_t>(built.leaves);
    const std::int32_t seed1 = 1802, seed2 = 9373;
    rng_seed(&seed1, &seed2);
    const solver::CellFields f = solver::fill_fields(r, solver::leaf_keys(tree, 0, n), n, 4, 0.01);
    ASSERT_EQ(f.cells(), static_cast<std::size_t>(n));
    int behind = 0, ahead = 0;
    for (std::size_t i = 0; i < f.cells(); ++i) {
        const double rho = f.density[i];
        ASSERT_GT(rho, 0);
        double m2 = 0, species = 0;
        for (int a = 0; a < 3; ++a)
            m2 += f.momentum[a][i] * f.momentum[a][i];
        for (const auto& s : f.species)
            species += s[i];
        EXPECT_NEAR(f.energy[i], f.pressure[i] / (solver::gamma_gas - 1) + 0.5 * m2 / rho, 1e-12);
        EXPECT_NEAR(f.temperature[i], f.pressure[i] / rho, 1e-12);
        EXPECT_NEAR(species, rho, 1e-12);
        const double dx = f.x[i] - 0.5, dy = f.y[i] - 0.5, dz = f.z[i] - 0.5;
        if (std::sqrt(dx * dx + dy * dy + dz * dz) > front.radius) {
            ++ahead;
            EXPECT_EQ(m2, 0.0);
            EXPECT_NEAR(rho, 1.0, 0.1);
        } else {
            ++behind;
            EXPECT_GT(f.pressure[i], 0.5);
        }
    }
    EXPECT_GT(behind, 0);
    EXPECT_GT(ahead, 0);
}

TEST(fields, the_same_seed_gives_the_same_noise_and_another_seed_other_noise)
{
    solver::Refinement r;
    r.max_level = 2;
    solver::Octree tree;
    ASSERT_TRUE(solver::build_tree(r, 100, tree).ok);
    const std::vector<std::int32_t> keys = solver::leaf_keys(tree, 0, 64);
    auto density = [&](std::int32_t seed1) {
        const std::int32_t seed2 = 9373;
        rng_seed(&seed1, &seed2);
        return solver::fill_fields(r, keys, 64, 0, 0.05).density;
    };
    EXPECT_EQ(density(11), density(11));
    EXPECT_NE(density(11), density(12));
}

}  // namespace
