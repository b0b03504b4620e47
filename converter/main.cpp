// cellplot: converts the result files of one output, found in the working
// directory, into a VTK XML parallel unstructured-grid data set.

#include <cstdio>
#include <cstring>
#include <memory>

#include "failure.hpp"
#include "file_names.hpp"
#include "geometry.hpp"
#include "input.hpp"
#include "out_file.hpp"
#include "piece.hpp"
#include "vtk_writer.hpp"

namespace cellplot {
namespace {

// A later piece may not carry species that piece 0 gave no names to.
void check_species(const Piece& piece, const SpeciesNames& names, const std::string& file)
{
    if (piece.header.nspecies > names.count)
        fail(file, "holds " + std::to_string(piece.header.nspecies) + " species, more than the " +
                       std::to_string(names.count) + " of piece 0");
}

void run()
{
    Settings settings;
    read_control(settings);

    auto piece = std::make_unique<Piece>();
    auto cells = std::make_unique<Cells>();
    SizeTable sizes;
    SpeciesNames names;
    std::unique_ptr<OutFile> master;
    std::int64_t lastpiece = 0;

    for (std::int32_t ipiece = 0;; ++ipiece) {
        const std::string file = result_file_name(ipiece, settings.outnum);
        read_result(settings, ipiece, *piece);
        const Header& h = piece->header;
        if (ipiece == 0) {
            lastpiece = std::int64_t{h.npieces} - 1;
            build_size_table(sizes, h.rootsize, h.nlevels, file);
            names = make_species_names(h.nspecies);
            master = std::make_unique<OutFile>(master_file_name(settings.outnum));
            write_master_head(*master, names);
        }
        check_species(*piece, names, file);
        write_master_piece(*master, ipiece, settings.outnum);
        if (h.ncells > 0) {
            build_cells(*piece, sizes, *cells, file);
            convert_fields(*piece);
        }
        write_piece(ipiece, settings.outnum, *piece, *cells, names);
        if (ipiece >= lastpiece)
            break;
    }
    write_master_tail(*master);
}

}  // namespace
}  // namespace cellplot

namespace {

constexpr const char* usage_text =
    "Usage: cellplot [--help | --version]\n"
    "\n"
    "Converts the result files of one output of the solver into a VTK XML data set:\n"
    "a master file pviewNNNN.pvtu and one piece file viewPPPPPPNNNN.vtu per piece, every\n"
    "cell a voxel.  Run it with no arguments in the directory that holds the result\n"
    "files; it reads and writes there, prints nothing and exits with status 0.\n"
    "\n"
    "Files read:\n"
    "  contview.dat          optional control file; only two lines are read:\n"
    "                          line 7:  0 = binary result files, any other integer = text\n"
    "                          line 10: the output number NNNN, 0 to 9999\n"
    "                        (defaults: text, output 0)\n"
    "  resoPPPPPPNNNN.res    result file of piece PPPPPP; piece 0's header gives the\n"
    "                        number of pieces\n"
    "Files written (never over an existing file):\n"
    "  pviewNNNN.pvtu        the master file\n"
    "  viewPPPPPPNNNN.vtu    one piece file per piece\n"
    "\n"
    "On any failure it prints one line \"cellplot: FILE: CAUSE\" and exits with status 1.\n";

// Only --help and --version are taken; a run converts with no arguments.
int command_line(int argc, char** argv)
{
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(usage_text, stdout);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("cellplot %s\n", CELLPLOT_VERSION);
        return 0;
    }
    std::fprintf(stderr, "cellplot: unexpected argument '%s'; it takes none (see cellplot --help)\n",
                 argv[1]);
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc > 1)
        return command_line(argc, argv);
    try {
        cellplot::run();
    } catch (const cellplot::Failure& f) {
        std::fprintf(stderr, "cellplot: %s: %s\n", f.file.c_str(), f.cause.c_str());
        return 1;
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "cellplot: out of memory\n");
        return 1;
    }
    return 0;
}
