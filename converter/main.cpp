// cellplot: converts the result files of one output, found in the working
// directory, into a VTK XML parallel unstructured-grid data set.

#include <cstdio>
#include <memory>

#include "failure.hpp"
#include "fields.hpp"
#include "file_names.hpp"
#include "geometry.hpp"
#include "input.hpp"
#include "options.hpp"
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

void run(const Options& options)
{
    Settings settings;
    read_control(settings);
    if (options.output)
        settings.outnum = *options.output;
    if (options.textmode)
        settings.textmode = *options.textmode;

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
            write_master_head(*master, names, options.style);
        }
        check_species(*piece, names, file);
        write_master_piece(*master, ipiece, settings.outnum);
        if (h.ncells > 0) {
            build_cells(*piece, sizes, *cells, file);
            convert_fields(*piece);
        }
        write_piece(ipiece, settings.outnum, *piece, *cells, names, options.style);
        if (ipiece >= lastpiece)
            break;
    }
    write_master_tail(*master);
}

}  // namespace
}  // namespace cellplot

int main(int argc, char** argv)
{
    cellplot::Options options;
    try {
        switch (cellplot::parse_command_line(argc, argv, options)) {
        case cellplot::Action::help:
            std::fputs(cellplot::usage_text(), stdout);
            return 0;
        case cellplot::Action::version:
            std::printf("cellplot %s\n", CELLPLOT_VERSION);
            return 0;
        case cellplot::Action::convert:
            break;
        }
    } catch (const cellplot::UsageError& e) {
        std::fprintf(stderr, "cellplot: %s (see cellplot --help)\n", e.message.c_str());
        return 2;
    }
    try {
        cellplot::run(options);
    } catch (const cellplot::Failure& f) {
        std::fprintf(stderr, "cellplot: %s: %s\n", f.file.c_str(), f.cause.c_str());
        return 1;
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "cellplot: out of memory\n");
        return 1;
    }
    return 0;
}
