// End-to-end runs of the built program in a fresh directory, with whole
// output files compared byte for byte.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <functional>
#include <random>
#include <string>

#include "../support/result_files.hpp"
#include "run_in_dir.hpp"

using testing_support::ScratchDir;

namespace {

const std::string cellplot = CELLPLOT;

// One piece of two cells and no species.  Cell 1: level 1 at (0.25, 0.25,
// 0.25); cell 2: level 2 at (0.625, 0.125, 0.875).  The values sit on the
// edges of the conversion: a velocity component of -5e-7 after division, a
// pressure of exactly 1e-6, ties at five digits, a three-digit exponent and a
// negative zero.
const std::string two_cells_text = "1 1\n"
                                   "1.0 1.0 1.0\n"
                                   "1.0 0 4 2 0\n"
                                   "0 0 0 0\n"
                                   "1 2\n"
                                   "0.25 0.625\n"
                                   "0.25 0.125\n"
                                   "0.25 0.875\n"
                                   "0 0\n"
                                   "2.0 0.5\n"
                                   "5.0 1e-20\n"
                                   "300 -0.0\n"
                                   "1e-7 1e-6\n"
                                   "2.0 6172.25\n"
                                   "-1e-6 6172.75\n"
                                   "8.0 5e99\n";

const std::string two_cells_master =
    "<VTKFile type=\"PUnstructuredGrid\">\n"
    "  <PUnstructuredGrid GhostLevel=\"0\">\n"
    "    <PCellData\n"
    "      Vectors=\"Velocity\"\n"
    "      Scalars=\"Density\"\n"
    "    >\n"
    "      <PDataArray\n"
    "        NumberOfComponents=\"3\"\n"
    "        type=\"Float32\"\n"
    "        Name=\"Velocity\"\n"
    "        format=\"ascii\"\n"
    "      >\n"
    "      </PDataArray>\n"
    "      <PDataArray\n"
    "        type=\"Float32\"\n"
    "        Name=\"Density\"\n"
    "        format=\"ascii\"\n"
    "      >\n"
    "      </PDataArray>\n"
    "      <PDataArray\n"
    "        type=\"Float32\"\n"
    "        Name=\"Energy\"\n"
    "        format=\"ascii\"\n"
    "      >\n"
    "      </PDataArray>\n"
    "      <PDataArray\n"
    "        type=\"Float32\"\n"
    "        Name=\"Temperature\"\n"
    "        format=\"ascii\"\n"
    "      >\n"
    "      </PDataArray>\n"
    "      <PDataArray\n"
    "        type=\"Float32\"\n"
    "        Name=\"Pressure\"\n"
    "        format=\"ascii\"\n"
    "      >\n"
    "      </PDataArray>\n"
    "    </PCellData>\n"
    "    <PPoints>\n"
    "      <PDataArray NumberOfComponents=\"3\"\n"
    "                  type=\"Float32\"\n"
    "                  format=\"ascii\"\n"
    "      >\n"
    "      </PDataArray>\n"
    "    </PPoints>\n"
    "    <Piece Source=\"view0000000000.vtu\"/>                                       \n"
    "  </PUnstructuredGrid>\n"
    "</VTKFile>\n";

const std::string two_cells_piece =
    " <VTKFile type=\"UnstructuredGrid\">\n"
    "   <UnstructuredGrid>\n"
    "     <Piece\n"
    "       NumberOfPoints=\"          16 \"\n"
    "       NumberOfCells=\"           2 \"\n"
    "     >\n"
    "       <CellData\n"
    "         Vectors=\"Velocity\"\n"
    "         Scalars=\"Density\"\n"
    "       >\n"
    "         <DataArray\n"
    "           NumberOfComponents=\"3\"\n"
    "           type=\"Float32\"\n"
    "           Name=\"Velocity\"\n"
    "           format=\"ascii\"\n"
    "         >\n"
    "  1.0000E+00  0.0000E+00  4.0000E+00  1.2344E+04  1.2346E+04  1.0000+100\n"
    "         </DataArray>\n"
    "         <DataArray\n"
    "           type=\"Float32\"\n"
    "           Name=\"Density\"\n"
    "           format=\"ascii\"\n"
    "         >\n"
    "  2.0000E+00  5.0000E-01\n"
    "         </DataArray>\n"
    "         <DataArray\n"
    "           type=\"Float32\"\n"
    "           Name=\"Energy\"\n"
    "           format=\"ascii\"\n"
    "         >\n"
    "  2.5000E+00  2.0000E-20\n"
    "         </DataArray>\n"
    "         <DataArray\n"
    "           type=\"Float32\"\n"
    "           Name=\"Temperature\"\n"
    "           format=\"ascii\"\n"
    "         >\n"
    "  3.0000E+02 -0.0000E+00\n"
    "         </DataArray>\n"
    "         <DataArray\n"
    "           type=\"Float32\"\n"
    "           Name=\"Pressure\"\n"
    "           format=\"ascii\"\n"
    "         >\n"
    "  0.0000E+00  1.0000E-06\n"
    "         </DataArray>\n"
    "       </CellData>\n"
    "       <Points>\n"
    "         <DataArray NumberOfComponents=\"3\"\n"
    "                    type=\"Float32\"\n"
    "                    format=\"ascii\"\n"
    "         >\n"
    "  0.0000E+00  0.0000E+00  0.0000E+00\n"
    "  5.0000E-01  0.0000E+00  0.0000E+00\n"
    "  0.0000E+00  5.0000E-01  0.0000E+00\n"
    "  5.0000E-01  5.0000E-01  0.0000E+00\n"
    "  0.0000E+00  0.0000E+00  5.0000E-01\n"
    "  5.0000E-01  0.0000E+00  5.0000E-01\n"
    "  0.0000E+00  5.0000E-01  5.0000E-01\n"
    "  5.0000E-01  5.0000E-01  5.0000E-01\n"
    "  5.0000E-01  0.0000E+00  7.5000E-01\n"
    "  7.5000E-01  0.0000E+00  7.5000E-01\n"
    "  5.0000E-01  2.5000E-01  7.5000E-01\n"
    "  7.5000E-01  2.5000E-01  7.5000E-01\n"
    "  5.0000E-01  0.0000E+00  1.0000E+00\n"
    "  7.5000E-01  0.0000E+00  1.0000E+00\n"
    "  5.0000E-01  2.5000E-01  1.0000E+00\n"
    "  7.5000E-01  2.5000E-01  1.0000E+00\n"
    "         </DataArray>\n"
    "       </Points>\n"
    "       <Cells>\n"
    "         <DataArray type=\"Int32\"\n"
    "                    Name=\"connectivity\"\n"
    "                    format=\"ascii\"\n"
    "         >\n"
    "       0       1       2       3       4       5       6       7\n"
    "       8       9      10      11      12      13      14      15\n"
    "         </DataArray>\n"
    "         <DataArray type=\"Int32\"\n"
    "                    Name=\"offsets\"\n"
    "                    format=\"ascii\"\n"
    "         >\n"
    "       8      16\n"
    "         </DataArray>\n"
    "         <DataArray type=\"UInt8\"\n"
    "                    Name=\"types\"\n"
    "                    format=\"ascii\"\n"
    "         >\n"
    " 11 11\n"
    "         </DataArray>\n"
    "       </Cells>\n"
    "     </Piece>\n"
    "   </UnstructuredGrid>\n"
    " </VTKFile>\n";

// The same piece file's frame when the piece has no cells.
const std::string empty_piece = " <VTKFile type=\"UnstructuredGrid\">\n"
                                "   <UnstructuredGrid>\n"
                                "     <Piece\n"
                                "       NumberOfPoints=\"           0 \"\n"
                                "       NumberOfCells=\"           0 \"\n"
                                "     >\n"
                                "       <CellData\n"
                                "         Vectors=\"Velocity\"\n"
                                "         Scalars=\"Density\"\n"
                                "       >\n"
                                "         <DataArray\n"
                                "           NumberOfComponents=\"3\"\n"
                                "           type=\"Float32\"\n"
                                "           Name=\"Velocity\"\n"
                                "           format=\"ascii\"\n"
                                "         >\n"
                                "\n"
                                "         </DataArray>\n"
                                "         <DataArray\n"
                                "           type=\"Float32\"\n"
                                "           Name=\"Density\"\n"
                                "           format=\"ascii\"\n"
                                "         >\n"
                                "\n"
                                "         </DataArray>\n"
                                "         <DataArray\n"
                                "           type=\"Float32\"\n"
                                "           Name=\"Energy\"\n"
                                "           format=\"ascii\"\n"
                                "         >\n"
                                "\n"
                                "         </DataArray>\n"
                                "         <DataArray\n"
                                "           type=\"Float32\"\n"
                                "           Name=\"Temperature\"\n"
                                "           format=\"ascii\"\n"
                                "         >\n"
                                "\n"
                                "         </DataArray>\n"
                                "         <DataArray\n"
                                "           type=\"Float32\"\n"
                                "           Name=\"Pressure\"\n"
                                "           format=\"ascii\"\n"
                                "         >\n"
                                "\n"
                                "         </DataArray>\n"
                                "         <DataArray\n"
                                "           type=\"Float32\"\n"
                                "           Name=\"Species01\"   \n"
                                "           format=\"ascii\"\n"
                                "         >\n"
                                "\n"
                                "         </DataArray>\n"
                                "       </CellData>\n"
                                "       <Points>\n"
                                "         <DataArray NumberOfComponents=\"3\"\n"
                                "                    type=\"Float32\"\n"
                                "                    format=\"ascii\"\n"
                                "         >\n"
                                "         </DataArray>\n"
                                "       </Points>\n"
                                "       <Cells>\n"
                                "         <DataArray type=\"Int32\"\n"
                                "                    Name=\"connectivity\"\n"
                                "                    format=\"ascii\"\n"
                                "         >\n"
                                "\n"
                                "         </DataArray>\n"
                                "         <DataArray type=\"Int32\"\n"
                                "                    Name=\"offsets\"\n"
                                "                    format=\"ascii\"\n"
                                "         >\n"
                                "\n"
                                "         </DataArray>\n"
                                "         <DataArray type=\"UInt8\"\n"
                                "                    Name=\"types\"\n"
                                "                    format=\"ascii\"\n"
                                "         >\n"
                                "\n"
                                "         </DataArray>\n"
                                "       </Cells>\n"
                                "     </Piece>\n"
                                "   </UnstructuredGrid>\n"
                                " </VTKFile>\n";

results::PieceData two_cells()
{
    results::PieceData p;
    p.nlevels = 4;
    results::add_cell(p, 1, 0.25, 0.25, 0.25, 2.0, 5.0, 300, 1e-7, 2.0, -1e-6, 8.0);
    results::add_cell(p, 2, 0.625, 0.125, 0.875, 0.5, 1e-20, -0.0, 1e-6, 6172.25, 6172.75, 5e99);
    return p;
}

// A control file whose line 7 sets textmode and line 10 outnum.
std::string control(const std::string& line7, const std::string& line10)
{
    return "title\n2\n3\n4 5 6\n\n# six\n" + line7 + "\nx\ny\n" + line10 + "\nnot read\n";
}

int count_lines(const std::string& s)
{
    int n = 0;
    for (char c : s)
        n += c == '\n';
    return n;
}

}  // namespace

TEST(cellplot_run, converts_a_text_piece_to_the_exact_master_and_piece_bytes)
{
    ScratchDir dir;
    dir.write("reso0000000000.res", two_cells_text);
    auto r = dir.run(cellplot);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(dir.read("pview0000.pvtu"), two_cells_master);
    EXPECT_EQ(dir.read("view0000000000.vtu"), two_cells_piece);
    EXPECT_EQ(count_lines(two_cells_master), 48);
}

TEST(cellplot_run, binary_input_gives_the_same_bytes_as_text)
{
    ScratchDir dir;
    results::write_binary(two_cells(), dir.file("reso0000000012.res"));
    dir.write("contview.dat", control("0 binary", "12, output"));
    auto r = dir.run(cellplot);
    ASSERT_EQ(r.status, 0) << r.err;
    std::string master = two_cells_master;
    master.replace(master.find("view0000000000"), 14, "view0000000012");
    EXPECT_EQ(dir.read("pview0012.pvtu"), master);
    EXPECT_EQ(dir.read("view0000000012.vtu"), two_cells_piece);
}

TEST(cellplot_run, blank_lines_in_the_control_file_shift_the_lines_that_follow)
{
    ScratchDir dir;
    results::write_binary(two_cells(), dir.file("reso0000000007.res"));
    // Line 7 is blank, so textmode comes from line 8 and the output number
    // from line 11.
    dir.write("contview.dat", "1\n2\n3\n4\n5\n6\n   \n0\nx\ny\n7\n");
    auto r = dir.run(cellplot);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(dir.read("view0000000007.vtu"), two_cells_piece);
}

TEST(cellplot_run, all_pieces_named_by_piece_zero_are_converted_in_order)
{
    ScratchDir dir;
    auto p = two_cells();
    p.npieces = 3;
    for (int ip = 0; ip < 3; ++ip) {
        if (ip == 1)
            p.npieces = 1;  // only piece 0's count matters
        results::write_text(p, dir.file(results::result_name(ip, 0)));
    }
    auto r = dir.run(cellplot);
    ASSERT_EQ(r.status, 0) << r.err;
    for (int ip = 0; ip < 3; ++ip)
        EXPECT_EQ(dir.read("view00000" + std::to_string(ip) + "0000.vtu"), two_cells_piece);
    std::string master = dir.read("pview0000.pvtu");
    EXPECT_EQ(count_lines(master), 50);
    EXPECT_NE(master.find("view0000020000.vtu\"/>"), std::string::npos);
}

TEST(cellplot_run, npieces_of_zero_or_less_converts_piece_zero_only)
{
    for (int npieces : {0, -4, INT32_MIN}) {
        ScratchDir dir;
        auto p = two_cells();
        p.npieces = npieces;
        results::write_text(p, dir.file("reso0000000000.res"));
        results::write_text(p, dir.file("reso0000010000.res"));
        auto r = dir.run(cellplot);
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_TRUE(dir.exists("view0000000000.vtu"));
        EXPECT_FALSE(dir.exists("view0000010000.vtu"));
    }
}

TEST(cellplot_run, a_piece_without_cells_has_empty_sections)
{
    for (bool binary : {false, true}) {
        ScratchDir dir;
        results::PieceData p;
        p.nspecies = 1;
        p.yrun.resize(1);
        if (binary) {
            results::write_binary(p, dir.file("reso0000000000.res"));
            dir.write("contview.dat", control("0", "0"));
        } else {
            results::write_text(p, dir.file("reso0000000000.res"));
        }
        auto r = dir.run(cellplot);
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(dir.read("view0000000000.vtu"), empty_piece) << "binary " << binary;
    }
}

TEST(cellplot_run, a_negative_cell_count_converts_as_an_empty_piece)
{
    ScratchDir dir;
    std::string text = "1 1\n1 1 1\n1 0 4 -3 0\n0 0 0 0\n";
    for (int k = 0; k < 12; ++k)
        text += "\n";
    dir.write("reso0000000000.res", text);
    auto r = dir.run(cellplot);
    ASSERT_EQ(r.status, 0) << r.err;
    std::string piece = dir.read("view0000000000.vtu");
    EXPECT_NE(piece.find("NumberOfPoints=\"           0 \""), std::string::npos);
    EXPECT_NE(piece.find("NumberOfCells=\"           0 \""), std::string::npos);
}

TEST(cellplot_run, eighteen_species_are_named_in_order)
{
    ScratchDir dir;
    auto p = two_cells();
    p.nspecies = 18;
    p.yrun.assign(18, {0.5, 4e-11});
    results::write_binary(p, dir.file("reso0000000000.res"));
    dir.write("contview.dat", control("0", "0"));
    auto r = dir.run(cellplot);
    ASSERT_EQ(r.status, 0) << r.err;
    std::string master = dir.read("pview0000.pvtu");
    std::string piece = dir.read("view0000000000.vtu");
    std::size_t m = 0, v = 0;
    for (int j = 1; j <= 18; ++j) {
        char name[32];
        std::snprintf(name, sizeof name, "Name=\"Species%02d\"", j);
        std::size_t mj = master.find(std::string(8, ' ') + name + std::string(6, ' ') + "\n");
        std::size_t vj = piece.find(std::string(11, ' ') + name + std::string(3, ' ') + "\n");
        ASSERT_NE(mj, std::string::npos) << j;
        ASSERT_NE(vj, std::string::npos) << j;
        EXPECT_GT(mj, m);
        EXPECT_GT(vj, v);
        m = mj;
        v = vj;
        // 0.5 / 2 stays; 4e-11 / 0.5 is below 1e-10 and becomes 0.
        EXPECT_EQ(piece.substr(piece.find(">\n", vj) + 2, 25), "  2.5000E-01  0.0000E+00\n");
    }
}

TEST(cellplot_run, fails_on_each_bad_input_naming_the_file_and_keeping_what_exists)
{
    struct Case {
        const char* what;
        std::string result;  // text of reso0000000000.res, empty for none
        std::string expected_message;
    };
    const Case cases[] = {
        {"missing result file", "",
         "cellplot: reso0000000000.res: cannot open: No such file or directory\n"},
        {"not a number", "1 1\n1 1 x\n",
         "cellplot: reso0000000000.res: line 2: cannot read 'x' as a real\n"},
        {"real where an integer is read", "1 1\n1 1 1\n1 0 4.5 2 0\n",
         "cellplot: reso0000000000.res: line 3: cannot read '4.5' as an integer\n"},
        {"file ends early", "1 1\n1 1 1\n1 0 4 2 0\n0 0 0 0\n1 2\n0.25\n",
         "cellplot: reso0000000000.res: ends in record 6 after 1 values; a real expected\n"},
        {"too many cells", "1 1\n1 1 1\n1 0 4 1000001 0\n",
         "cellplot: reso0000000000.res: holds 1000001 cells, more than the 1000000 a piece may "
         "have\n"},
        {"too many species", "1 1\n1 1 1\n1 0 4 1 19\n",
         "cellplot: reso0000000000.res: holds 19 species, more than the 18 a piece may have\n"},
        {"cell level beyond nlevels",
         two_cells_text.substr(0, two_cells_text.find("1 2\n")) + "1 5\n" +
             two_cells_text.substr(two_cells_text.find("1 2\n") + 4),
         "cellplot: reso0000000000.res: cell 2 has level 5, outside the levels 0..4 of the "
         "cell-size table\n"},
        {"negative cell level",
         two_cells_text.substr(0, two_cells_text.find("1 2\n")) + "-1 2\n" +
             two_cells_text.substr(two_cells_text.find("1 2\n") + 4),
         "cellplot: reso0000000000.res: cell 1 has level -1, outside the levels 0..4 of the "
         "cell-size table\n"},
        {"reflevel beyond nlevels in a collapsed run",
         "1 1\n1 1 0\n1.0 9 4 2 0\n" + two_cells_text.substr(two_cells_text.find("0 0 0 0\n")),
         "cellplot: reso0000000000.res: reflevel 9 is outside the levels 0..4 of the cell-size "
         "table\n"},
        {"nlevels beyond the table", "1 1\n1 1 1\n1 0 64 0 0\n0 0 0 0\n" + std::string(12, '\n'),
         "cellplot: reso0000000000.res: record 3 gives 64 levels below the root, more than the 63 "
         "the converter tabulates\n"},
    };
    for (const Case& c : cases) {
        ScratchDir dir;
        if (!c.result.empty())
            dir.write("reso0000000000.res", c.result);
        auto r = dir.run(cellplot);
        EXPECT_EQ(r.status, 1) << c.what;
        EXPECT_EQ(r.err, c.expected_message) << c.what;
        EXPECT_EQ(r.out, "") << c.what;
    }
}

TEST(cellplot_run, refuses_to_overwrite_an_output_and_leaves_it_untouched)
{
    for (const char* existing : {"pview0000.pvtu", "view0000000000.vtu"}) {
        ScratchDir dir;
        dir.write("reso0000000000.res", two_cells_text);
        dir.write(existing, "keep me");
        auto r = dir.run(cellplot);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, std::string("cellplot: ") + existing +
                             ": already exists; remove it first or use --overwrite\n");
        EXPECT_EQ(dir.read(existing), "keep me");
    }
}

TEST(cellplot_run, a_later_piece_with_more_species_than_piece_zero_is_refused)
{
    ScratchDir dir;
    auto p = two_cells();
    p.npieces = 2;
    results::write_text(p, dir.file("reso0000000000.res"));
    p.nspecies = 2;
    p.yrun.assign(2, {0.1, 0.2});
    results::write_text(p, dir.file("reso0000010000.res"));
    auto r = dir.run(cellplot);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "cellplot: reso0000010000.res: holds 2 species, more than the 0 of piece 0\n");
    // What was written before the failure stays; the master lacks its end.
    EXPECT_EQ(dir.read("view0000000000.vtu"), two_cells_piece);
    EXPECT_EQ(dir.read("pview0000.pvtu").find("</VTKFile>"), std::string::npos);
}

TEST(cellplot_run, binary_records_shorter_than_their_values_are_refused)
{
    ScratchDir dir;
    auto p = two_cells();
    results::write_binary(p, dir.file("reso0000000000.res"));
    // Cut record 11 (energy, 16 bytes) down to 8 by rewriting its counts.
    std::string bytes = dir.read("reso0000000000.res");
    std::size_t at = 16 + 32 + 32 + 40 + 16 + 5 * 24;  // start of record 11
    std::int32_t eight = 8;
    std::memcpy(&bytes[at], &eight, 4);
    bytes.erase(at + 4 + 8, 8);
    std::memcpy(&bytes[at + 12], &eight, 4);
    dir.write("reso0000000000.res", bytes);
    dir.write("contview.dat", control("0", "0"));
    auto r = dir.run(cellplot);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "cellplot: reso0000000000.res: record 11 holds 8 bytes, 16 needed\n");
}

TEST(cellplot_run, an_output_number_beyond_four_digits_looks_for_asterisk_names)
{
    ScratchDir dir;
    dir.write("contview.dat", control("1", "12345"));
    auto r = dir.run(cellplot);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "cellplot: reso000000****.res: cannot open: No such file or directory\n");
}

TEST(cellplot_run, a_control_file_of_fewer_than_ten_lines_is_refused)
{
    ScratchDir dir;
    dir.write("reso0000000000.res", two_cells_text);
    dir.write("contview.dat", "1\n2\n3\n4\n5\n6\n1\n8\n");
    auto r = dir.run(cellplot);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err.rfind("cellplot: contview.dat: ", 0), 0u) << r.err;
    EXPECT_FALSE(dir.exists("pview0000.pvtu"));
}

namespace {

// Values from every corner of the doubles: random bit patterns (NaN,
// infinities, subnormals included), exact five-digit ties, small integers,
// dyadic fractions and signed zeros.
double any_value(std::mt19937_64& rng)
{
    switch (rng() % 6) {
    case 0: {
        std::uint64_t bits = rng();
        double v;
        std::memcpy(&v, &bits, 8);
        return v;
    }
    case 1: return static_cast<double>(static_cast<std::int64_t>(rng() % 200000) - 100000) + 0.5;
    case 2: return std::ldexp(static_cast<double>(rng() % 4096), -static_cast<int>(rng() % 40));
    case 3: return (rng() & 1) ? -0.0 : 0.0;
    case 4:
        return std::ldexp(static_cast<double>(rng() % 1000000) - 500000.0,
                          static_cast<int>(rng() % 2000) - 1000);
    default: return static_cast<double>(rng() % 1000) * 1e-7;
    }
}

results::PieceData random_piece(std::mt19937_64& rng, int ncells, double ey, double ez)
{
    results::PieceData p;
    p.extent[1] = ey;
    p.extent[2] = ez;
    p.rootsize = 0.5 + static_cast<double>(rng() % 100);
    p.nlevels = 18;
    p.reflevel = static_cast<int>(rng() % 19);
    const int nspecies = static_cast<int>(rng() % 19);
    for (int i = 0; i < ncells; ++i) {
        std::vector<double> ys(static_cast<std::size_t>(nspecies));
        for (double& y : ys)
            y = any_value(rng);
        double d =
            (rng() % 8 == 0) ? any_value(rng) : std::ldexp(1.0, static_cast<int>(rng() % 9) - 4);
        results::add_cell(p, static_cast<int>(rng() % 19),
                          std::ldexp(static_cast<double>(rng() % 4096), -12), any_value(rng),
                          any_value(rng), d, any_value(rng), any_value(rng), any_value(rng),
                          any_value(rng), any_value(rng), any_value(rng), ys);
    }
    p.nspecies = nspecies;
    return p;
}

}  // namespace

#ifdef LEGACY_PIECE_WRITER
TEST(cellplot_run, matches_a_fortran_formatted_write_on_random_pieces)
{
    std::mt19937_64 rng(20261208);
    const std::pair<double, double> runs[] = {{1.0, 1.0}, {1.0, 0.0}, {0.0, 0.0}, {0.0, 2.0}};
    for (auto [ey, ez] : runs) {
        for (int ncells : {1, 10, 2000}) {
            ScratchDir dir;
            results::write_binary(random_piece(rng, ncells, ey, ez),
                                  dir.file("reso0000000000.res"));
            dir.write("contview.dat", control("0", "0"));
            auto r = dir.run(cellplot);
            ASSERT_EQ(r.status, 0) << r.err;
            auto legacy = dir.run(LEGACY_PIECE_WRITER, "reso0000000000.res legacy.vtu");
            ASSERT_EQ(legacy.status, 0) << legacy.err;
            EXPECT_TRUE(dir.read("view0000000000.vtu") == dir.read("legacy.vtu"))
                << "extents " << ey << " " << ez << ", " << ncells << " cells";
        }
    }
}
#endif

TEST(cellplot_command_line, help_and_version_print_and_convert_nothing)
{
    ScratchDir dir;
    dir.write("reso0000000000.res", two_cells_text);
    auto help = dir.run(cellplot, "--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Usage: cellplot"), std::string::npos);
    EXPECT_NE(help.out.find("contview.dat"), std::string::npos);
    auto version = dir.run(cellplot, "--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("cellplot ", 0), 0u);
    auto other = dir.run(cellplot, "--frobnicate");
    EXPECT_EQ(other.status, 2);
    EXPECT_EQ(other.err, "cellplot: unknown option '--frobnicate' (see "
                         "cellplot --help)\n");
    auto two = dir.run(cellplot, "one two");
    EXPECT_EQ(two.status, 2);
    EXPECT_FALSE(dir.exists("pview0000.pvtu"));
}

TEST(cellplot_run, output_encoding_and_directory_on_the_command_line_override_the_control_file)
{
    ScratchDir dir;
    std::filesystem::create_directory(dir.path() / "run");
    results::write_binary(two_cells(), dir.file("run/reso0000000003.res"));
    // The control file says text and output 12.
    dir.write("run/contview.dat", control("1", "12"));
    auto r = dir.run(cellplot, "--output 3 --encoding=binary run");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(dir.read("run/view0000000003.vtu"), two_cells_piece);
    EXPECT_TRUE(dir.exists("run/pview0003.pvtu"));
    EXPECT_FALSE(dir.exists("pview0003.pvtu"));
}

TEST(cellplot_run, a_failure_in_piece_two_leaves_the_master_with_its_head_and_two_piece_lines)
{
    ScratchDir dir;
    auto p = two_cells();
    p.npieces = 3;
    for (int ip = 0; ip < 2; ++ip)
        results::write_text(p, dir.file(results::result_name(ip, 0)));
    dir.write("reso0000020000.res", "1 1\n1 1 1\n1 0 4 2 0\n0 0 0 0\n1 2\n0.25\n");
    auto r = dir.run(cellplot);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "cellplot: reso0000020000.res: ends in record 6 after 1 values; a real "
                     "expected\n");
    const std::string piece_line_0 =
        "    <Piece Source=\"view0000000000.vtu\"/>" + std::string(39, ' ') + "\n";
    const std::string head = two_cells_master.substr(0, two_cells_master.find(piece_line_0));
    std::string piece_line_1 = piece_line_0;
    piece_line_1.replace(piece_line_1.find("view000000"), 10, "view000001");
    EXPECT_EQ(dir.read("pview0000.pvtu"), head + piece_line_0 + piece_line_1);
    EXPECT_EQ(dir.read("view0000010000.vtu"), two_cells_piece);
    EXPECT_FALSE(dir.exists("view0000020000.vtu"));
}

TEST(cellplot_run, messages_say_what_to_change)
{
    struct Case {
        const char* what;
        const char* args;
        std::function<void(const ScratchDir&)> make;
        std::string expected_message;
    };
    const Case cases[] = {
        {"a binary file read as text", "",
         [](const ScratchDir& d) {
             results::write_binary(two_cells(), d.file("reso0000000000.res"));
         },
         "cellplot: reso0000000000.res: line 1: cannot read "
         "'\\x08\\x00\\x00\\x00\\x01\\x00\\x00\\x00\\x01\\x00...' as an integer; it looks like a "
         "binary result file: set line 7 of contview.dat to 0 or use --encoding=binary\n"},
        {"a text file read as binary", "--encoding binary",
         [](const ScratchDir& d) { d.write("reso0000000000.res", two_cells_text); },
         "cellplot: reso0000000000.res: ends inside record 1; it looks like a text result file: "
         "set line 7 of contview.dat to 1 or use --encoding=text\n"},
        {"another output's files", "sub",
         [](const ScratchDir& d) {
             std::filesystem::create_directory(d.path() / "sub");
             for (int outnum : {12, 13, 14, 20, 21})
                 d.write("sub/" + results::result_name(0, outnum), two_cells_text);
             d.write("sub/" + results::result_name(1, 30), two_cells_text);
         },
         "cellplot: sub/reso0000000000.res: cannot open: No such file or directory; found outputs "
         "12-14, 20, 21; set line 10 of contview.dat or use --output\n"},
        {"no outputs for all", "--outputs all",
         [](const ScratchDir& d) { d.write("reso0000010000.res", two_cells_text); },
         "cellplot: .: holds no result file of piece 0 (reso000000NNNN.res) to convert\n"},
    };
    for (const Case& c : cases) {
        ScratchDir dir;
        c.make(dir);
        auto r = dir.run(cellplot, c.args);
        EXPECT_EQ(r.status, 1) << c.what;
        EXPECT_EQ(r.err, c.expected_message) << c.what;
        EXPECT_FALSE(dir.exists("pview0000.pvtu")) << c.what;
    }
}

TEST(cellplot_command_line, binary_choices_without_binary_and_unknown_words_are_refused)
{
    ScratchDir dir;
    dir.write("reso0000000000.res", two_cells_text);
    auto ascii = dir.run(cellplot, "--compress=zlib");
    EXPECT_EQ(ascii.status, 2);
    EXPECT_EQ(ascii.err, "cellplot: --precision and --compress shape binary data: give --format "
                         "binary too (see cellplot --help)\n");
    auto word = dir.run(cellplot, "--format binary --compress gzip");
    EXPECT_EQ(word.status, 2);
    EXPECT_EQ(word.err, "cellplot: --compress: 'gzip' is not one of none, zlib or lz4 (see "
                        "cellplot --help)\n");
    EXPECT_FALSE(dir.exists("pview0000.pvtu"));
    EXPECT_EQ(dir.run(cellplot, "--format=binary --precision=single --cell-type=hexahedron").status,
              0);
}
