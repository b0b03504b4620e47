#include "write/master_file.hpp"

#include <string>
#include <string_view>

#include "run/file_names.hpp"
#include "write/vtk_words.hpp"

namespace cellplot {
namespace {

constexpr std::size_t piece_line_trailing_blanks = 39;

constexpr std::string_view master_cell_data = "  <PUnstructuredGrid GhostLevel=\"0\">\n"
                                              "    <PCellData\n"
                                              "      Vectors=\"Velocity\"\n"
                                              "      Scalars=\"Density\"\n"
                                              "    >\n"
                                              "      <PDataArray\n"
                                              "        NumberOfComponents=\"3\"\n";

constexpr std::string_view master_points = "    </PCellData>\n"
                                           "    <PPoints>\n"
                                           "      <PDataArray NumberOfComponents=\"3\"\n";

constexpr std::string_view master_tail = "  </PUnstructuredGrid>\n"
                                         "</VTKFile>\n";

// The name lines of the four scalar arrays; a species name line
// (SpeciesNames::master) is a whole line of the same place.
constexpr std::string_view master_scalar_lines[4] = {
    "        Name=\"Density\"", "        Name=\"Energy\"", "        Name=\"Temperature\"",
    "        Name=\"Pressure\""};

}  // namespace

void write_master_head(OutFile& master, const SpeciesNames& names, const OutputStyle& style)
{
    const std::string type = std::string("type=\"") + vtk_real_type(style) + "\"\n";
    const std::string format = std::string("format=\"") + vtk_format(style) + "\"\n";
    master.put("<VTKFile type=\"PUnstructuredGrid\"" + vtk_file_attributes(style) + ">\n");
    master.put(master_cell_data);
    auto block_end = [&](std::string_view name_line) {
        master.put("        " + type);
        master.put(name_line);
        master.put("\n        " + format + "      >\n      </PDataArray>\n");
    };
    block_end("        Name=\"Velocity\"");
    for (std::string_view line : master_scalar_lines) {
        master.put("      <PDataArray\n");
        block_end(line);
    }
    for (std::int32_t j = 0; j < names.count; ++j) {
        master.put("      <PDataArray\n");
        block_end(names.master[j]);
    }
    // The optional arrays: integers, declared as they are written.
    const std::string_view optional[2][2] = {{"UInt8", "Level"}, {"Int32", "Piece"}};
    for (int k = 0; k < 2; ++k) {
        if (!(k == 0 ? style.cell_arrays.level : style.cell_arrays.piece))
            continue;
        master.put("      <PDataArray\n        type=\"" + std::string(optional[k][0]) +
                   "\"\n        Name=\"" + std::string(optional[k][1]) + "\"\n        " + format +
                   "      >\n      </PDataArray>\n");
    }
    master.put(master_points);
    master.put("                  " + type);
    master.put("                  " + format + "      >\n      </PDataArray>\n    </PPoints>\n");
}

void write_master_piece(OutFile& master, std::int32_t ipiece, std::int32_t outnum)
{
    master.put("    <Piece Source=\"" + piece_file_name(ipiece, outnum) + "\"/>" +
               std::string(piece_line_trailing_blanks, ' ') + "\n");
}

void write_master_tail(OutFile& master)
{
    master.put(master_tail);
    master.close();
}

}  // namespace cellplot
