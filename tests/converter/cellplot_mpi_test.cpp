// cellplot-mpi against cellplot: the same result files converted by both in
// fresh directories, every file compared byte for byte, and bad inputs
// refused with cellplot's message.  CTest runs this program once for each of
// several process counts, giving it the command that starts a job on that
// many processes in CELLKEYS_MPIEXEC.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "../support/result_files.hpp"
#include "run_in_dir.hpp"

using testing_support::ScratchDir;

namespace {

const std::string cellplot = CELLPLOT;

std::string mpiexec()
{
    const char* command = std::getenv("CELLKEYS_MPIEXEC");
    return command ? command : "mpiexec -n 1";
}

// Runs cellplot-mpi in dir; a hung job is ended by timeout (status 124),
// which the callers see as a wrong status.
ScratchDir::Result run_mpi(const ScratchDir& dir, const std::string& args = "")
{
    return dir.run("timeout", "60 " + mpiexec() + " '" CELLPLOT_MPI "' " + args);
}

// One output of a made-up run: the cell counts of its pieces (so pieces
// differ in size, and may be empty) and its species count.
struct OutputLayout {
    int outnum;
    std::vector<int> cells;
    int nspecies;
};

results::PieceData make_piece(const OutputLayout& layout, int ipiece)
{
    results::PieceData p;
    p.npieces = static_cast<std::int32_t>(layout.cells.size());
    p.nlevels = 4;
    p.nspecies = layout.nspecies;
    p.yrun.resize(static_cast<std::size_t>(layout.nspecies));
    for (int c = 0; c < layout.cells[static_cast<std::size_t>(ipiece)]; ++c) {
        const double t = (c * 37 + ipiece * 11) % 101 / 101.0;
        const double d = 0.5 + t;
        std::vector<double> ys;
        for (int j = 0; j < layout.nspecies; ++j)
            ys.push_back(d * ((j + c) % 4) * 1e-3 * t);
        results::add_cell(p, 1 + (c + ipiece) % 4, t, 1 - t, 0.5 * t, d, 2.5 * d, 300 + 900 * t,
                          1e-7 + t, d * (t - 0.5), -d * t * 1e-5, d * 3e-7, ys);
    }
    return p;
}

void write_output(const ScratchDir& dir, const OutputLayout& layout, bool binary)
{
    for (std::size_t k = 0; k < layout.cells.size(); ++k) {
        const auto ipiece = static_cast<int>(k);
        const std::string name = dir.file(results::result_name(ipiece, layout.outnum));
        if (binary)
            results::write_binary(make_piece(layout, ipiece), name);
        else
            results::write_text(make_piece(layout, ipiece), name);
    }
}

// Every file of a directory, by name.
std::map<std::string, std::string> files_of(const ScratchDir& dir)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        files[entry.path().filename().string()] = dir.read(entry.path().filename().string());
    return files;
}

// The outputs both programs convert: pieces of different sizes with an
// empty one among them, 18 species and none.
const std::vector<OutputLayout> outputs = {
    {3, {40, 7, 0, 25, 1}, 18},
    {4, {12, 0, 30}, 0},
};

TEST(cellplot_mpi, writes_the_bytes_of_cellplot_for_every_encoding_format_and_output)
{
    struct Case {
        bool binary_input;
        std::string options;
    };
    const Case cases[] = {
        {false, "--outputs 3,4"},
        {true, "--encoding binary --outputs all --format binary"},
        {true, "--encoding binary --outputs all --jobs 3"},  // several pieces at once a process
        {false, "--output 4 --format binary --precision single --cell-type hexahedron"},
        {true, "--encoding binary --output 3 --format binary --compress zlib"},
        {false, "--output 4 --points shared --cell-arrays level,piece"},
        {true,
         "--encoding binary --output 3 --format binary --points per-cell --cell-arrays piece"},
        {false, "--outputs 3-4 --overwrite --progress"},  // over earlier files of the outputs
        {true, "--encoding binary --outputs all --update"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options);
        ScratchDir serial, parallel;
        for (const ScratchDir* dir : {&serial, &parallel}) {
            for (const OutputLayout& o : outputs)
                write_output(*dir, o, c.binary_input);
            if (c.options.find("--overwrite") != std::string::npos)
                for (const char* name : {"pview.pvd", "pview0003.pvtu", "view0000010004.vtu"})
                    dir->write(name, "an earlier run's file, longer than some of the new ones");
        }
        const ScratchDir::Result s = serial.run(cellplot, c.options);
        ASSERT_EQ(s.status, 0) << s.err;
        const ScratchDir::Result m = run_mpi(parallel, c.options);
        ASSERT_EQ(m.status, 0) << m.err;
        EXPECT_EQ(m.out, "");
        // The progress line (rank 0's) is drawn when asked for, never otherwise.
        const bool progress = c.options.find("--progress") != std::string::npos;
        EXPECT_EQ(m.err.find(": piece ") != std::string::npos, progress) << m.err;
        const auto expected = files_of(serial), got = files_of(parallel);
        ASSERT_EQ(got.size(), expected.size());
        for (const auto& [name, bytes] : expected) {
            ASSERT_TRUE(got.count(name)) << name;
            EXPECT_TRUE(got.at(name) == bytes) << name << " differs";
        }
    }
}

// Each bad input ends the job with a non-zero status and the very message
// cellplot gives for it, from whichever rank meets it, as the job's one line
// (no abort notice, no other rank saying it was interrupted), and no master
// file; with one job a process and with two.
TEST(cellplot_mpi, fails_as_cellplot_does_and_ends_every_process)
{
    const OutputLayout five = {0, {20, 9, 14, 3, 17}, 3};
    struct Case {
        const char* what;
        void (*spoil)(const ScratchDir&);
    };
    const Case cases[] = {
        {"a missing later piece",
         [](const ScratchDir& d) { std::filesystem::remove(d.file("reso0000030000.res")); }},
        {"a damaged last piece, met by the last rank",
         [](const ScratchDir& d) {
             std::filesystem::resize_file(d.file("reso0000040000.res"), 900);
         }},
        {"a later piece with more species than piece 0",
         [](const ScratchDir& d) {
             results::write_text(make_piece({0, {20, 9, 14, 3, 17}, 4}, 2),
                                 d.file("reso0000020000.res"));
         }},
        {"a later piece with a level beyond nlevels of piece 0",
         [](const ScratchDir& d) {
             results::PieceData p = make_piece({0, {20, 9, 14, 3, 17}, 3}, 3);
             p.nlevel[1] = 9;
             results::write_text(p, d.file("reso0000030000.res"));
         }},
        {"an existing piece file",
         [](const ScratchDir& d) { d.write("view0000030000.vtu", "earlier"); }},
        {"an existing master file",
         [](const ScratchDir& d) { d.write("pview0000.pvtu", "earlier"); }},
    };
    for (const char* jobs : {"", "--jobs 2"})
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.what) + " " + jobs);
            ScratchDir serial, parallel;
            write_output(serial, five, false);
            write_output(parallel, five, false);
            c.spoil(serial);
            c.spoil(parallel);
            const auto before = files_of(parallel);

            const ScratchDir::Result s = serial.run(cellplot);
            ASSERT_NE(s.status, 0);
            ASSERT_EQ(s.err.rfind("cellplot: ", 0), 0u) << s.err;
            const std::string message = "cellplot-mpi: " + s.err.substr(10);
            const ScratchDir::Result m = run_mpi(parallel, jobs);
            EXPECT_TRUE(m.status != 0 && m.status != 124) << "status " << m.status;
            EXPECT_NE(m.err.find(message), std::string::npos) << m.err;
            std::size_t lines = 0;
            for (std::size_t at = 0; (at = m.err.find("cellplot-mpi: ", at)) != std::string::npos;
                 ++at)
                lines += at == 0 || m.err[at - 1] == '\n';
            EXPECT_EQ(lines, 1u) << m.err;
            EXPECT_EQ(m.err.find("MPI_ABORT"), std::string::npos) << m.err;

            const auto after = files_of(parallel);
            if (before.count("pview0000.pvtu"))
                EXPECT_EQ(after.at("pview0000.pvtu"), "earlier");
            else
                EXPECT_FALSE(after.count("pview0000.pvtu"));
            const std::string what = c.what;
            if (what.rfind("an existing", 0) == 0 || what.rfind("a missing", 0) == 0) {
                EXPECT_EQ(after, before) << "a file was written before the refusal";
            }
        }
}

// Every rank parses the command line; rank 0 alone speaks, and all end with
// cellplot's status.
TEST(cellplot_mpi, a_bad_command_line_ends_every_process_with_status_2)
{
    ScratchDir dir;
    write_output(dir, outputs[1], false);
    const ScratchDir::Result m = run_mpi(dir, "--output 4 --format=gzip");
    EXPECT_EQ(m.status, 2);
    EXPECT_EQ(
        m.err.rfind("cellplot-mpi: --format: 'gzip' is not one of ascii, binary or vtkhdf", 0), 0u)
        << m.err;
    EXPECT_EQ(m.err.find("cellplot-mpi: --format", 10), std::string::npos) << "said twice";
    EXPECT_FALSE(dir.exists("pview0004.pvtu"));
}

}  // namespace
