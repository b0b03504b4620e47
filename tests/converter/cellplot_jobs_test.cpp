// The built program with several jobs: every file byte for byte what one job
// writes, and a damaged piece reported as one job reports it, with the
// master holding exactly the lines of the pieces before it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "../support/result_files.hpp"
#include "run_in_dir.hpp"

using testing_support::ScratchDir;

namespace {

const std::string cellplot = CELLPLOT;

// Piece ipiece of an output of npieces: a few cells of varied levels and
// values (none when ncells is 0), three species.
results::PieceData make_piece(int ipiece, int npieces, int ncells)
{
    results::PieceData p;
    p.npieces = npieces;
    p.nlevels = 6;
    for (int i = 0; i < ncells; ++i) {
        const double t = (ipiece * 131 + i * 17 % 97) / 97.0;
        const int level = 1 + (i + ipiece) % 6;
        const double h = std::ldexp(1.0, -level);
        const double x = h * (0.5 + (i % (1 << level)));
        results::add_cell(p, level, x, 0.5 * h + t * (1 - h), 0.5, 1.0 + t, 2.5 * t, 300 + i,
                          1e-7 * i, t - 0.5, 0.25 * t, -t, {0.5 * t, 1e-11, 0.25});
    }
    p.nspecies = 3;
    if (ncells == 0)
        p.yrun.assign(3, {});
    return p;
}

// Writes the result files of output outnum: one piece per entry of cells.
void write_output(const ScratchDir& dir, int outnum, const std::vector<int>& cells, bool binary)
{
    const int npieces = static_cast<int>(cells.size());
    for (int ip = 0; ip < npieces; ++ip) {
        const auto p = make_piece(ip, npieces, cells[static_cast<std::size_t>(ip)]);
        const std::string path = dir.file(results::result_name(ip, outnum));
        binary ? results::write_binary(p, path) : results::write_text(p, path);
    }
}

// Every file of the directory but the inputs, by name.
std::map<std::string, std::string> outputs_in(const ScratchDir& dir)
{
    std::map<std::string, std::string> files;
    for (const auto& e : std::filesystem::directory_iterator(dir.path())) {
        const std::string name = e.path().filename().string();
        if (!name.ends_with(".res"))
            files[name] = dir.read(name);
    }
    return files;
}

TEST(cellplot_jobs, every_file_holds_the_bytes_of_one_job_whatever_the_number_of_jobs)
{
    struct Layout {
        const char* what;
        std::vector<std::vector<int>> outputs;  // cells of each piece, per output
    };
    const Layout layouts[] = {
        {"one piece", {{30}}},
        {"two pieces", {{25, 40}}},
        {"five pieces, one empty", {{20, 33, 0, 41, 7}}},
        {"twelve pieces", {{9, 18, 27, 1, 5, 60, 2, 11, 0, 14, 3, 21}}},
        {"two outputs of 2 and 9 pieces", {{12, 8}, {4, 0, 16, 9, 25, 3, 30, 1, 6}}},
    };
    const char* styles[] = {
        "",
        "--format=binary",
        "--format=binary --compress=zlib --precision=single",
        "--format=binary --compress=lz4 --cell-type=hexahedron",
        "--format=binary --points=per-cell --cell-arrays=level,piece",
    };
    for (const Layout& layout : layouts) {
        for (bool binary : {false, true}) {
            ScratchDir dir;
            for (std::size_t k = 0; k < layout.outputs.size(); ++k)
                write_output(dir, static_cast<int>(k), layout.outputs[k], binary);
            std::string input = binary ? "--encoding=binary" : "--encoding=text";
            if (layout.outputs.size() > 1)
                input += " --outputs=0-" + std::to_string(layout.outputs.size() - 1);
            for (const char* style : styles) {
                SCOPED_TRACE(testing::Message() << layout.what << ", " << input << " " << style);
                const std::string args = input + " " + style + " --overwrite";
                auto one = dir.run(cellplot, args + " --jobs=1");
                ASSERT_EQ(one.status, 0) << one.err;
                const auto expected = outputs_in(dir);
                for (const char* jobs : {"--jobs=2", "-j 3", "-j8"}) {
                    for (const auto& [name, bytes] : expected)
                        std::filesystem::remove(dir.path() / name);
                    auto many = dir.run(cellplot, args + " " + jobs);
                    ASSERT_EQ(many.status, 0) << jobs << ": " << many.err;
                    EXPECT_EQ(many.err, "") << jobs;
                    EXPECT_TRUE(outputs_in(dir) == expected) << jobs;
                }
            }
        }
    }
}

TEST(cellplot_jobs, a_damaged_piece_is_reported_as_one_job_reports_it)
{
    // Nine pieces; piece 4 ends early in its last record, after the reading
    // of its large body, and piece 7 in its header, so that with several
    // jobs the later failure tends to come first.
    const std::vector<int> cells = {3000, 2500, 4000, 1500, 6000, 10, 20, 30, 40};
    // With --progress the line is drawn from every job's thread, and taken
    // off before the message.
    for (const char* jobs : {"--jobs=1", "--jobs=4", "--jobs=4 --progress"}) {
        SCOPED_TRACE(jobs);
        ScratchDir dir;
        write_output(dir, 0, cells, false);
        std::string four = dir.read("reso0000040000.res");
        four.resize(four.size() - 20);
        dir.write("reso0000040000.res", four);
        dir.write("reso0000070000.res", "1 9\n1 1\n");
        auto r = dir.run(cellplot, jobs);
        EXPECT_EQ(r.status, 1);
        const std::size_t drawn = r.err.rfind("\r\x1b[K");
        const std::string message = drawn == std::string::npos ? r.err : r.err.substr(drawn + 4);
        EXPECT_EQ(message.rfind("cellplot: reso0000040000.res: ends in record 19 after ", 0), 0u)
            << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_TRUE(r.err.ends_with("\n")) << r.err;
        const std::string master = dir.read("pview0000.pvtu");
        const std::string first = "    <Piece Source=";
        std::string lines;
        for (int ip = 0; ip < 4; ++ip) {
            char line[128];
            std::snprintf(line, sizeof line, "    <Piece Source=\"view%06d0000.vtu\"/>%39s\n", ip,
                          "");
            lines += line;
            EXPECT_TRUE(dir.read(results::result_name(ip, 0)).size() > 0);
            EXPECT_TRUE(
                dir.read("view00000" + std::to_string(ip) + "0000.vtu").ends_with(" </VTKFile>\n"))
                << "piece " << ip;
        }
        ASSERT_NE(master.find(first), std::string::npos) << master;
        EXPECT_EQ(master.substr(master.find(first)), lines);
        EXPECT_TRUE(master.starts_with("<VTKFile type=\"PUnstructuredGrid\">\n"));
        EXPECT_FALSE(dir.exists("view0000040000.vtu"));
    }
}

}  // namespace
