#include "run/conversion.hpp"

#include <algorithm>
#include <cerrno>

#include "convert/fields.hpp"
#include "read/byte_source.hpp"
#include "read/input.hpp"
#include "run/dir_listing.hpp"
#include "run/failure.hpp"
#include "run/file_names.hpp"
#include "run/interrupt.hpp"
#include "run/piece_jobs.hpp"
#include "write/output_writer.hpp"

namespace cellplot {

std::string result_path(const Job& job, std::int32_t ipiece)
{
    return in_dir(job.dir, result_file_name(ipiece, job.settings.outnum));
}

std::string master_path(const Job& job)
{
    return in_dir(job.dir, master_file_name(job.settings.outnum));
}

std::string piece_path(const Job& job, std::int32_t ipiece)
{
    return in_dir(job.dir, piece_file_name(ipiece, job.settings.outnum));
}

void read_piece(const Job& job, std::int32_t ipiece, Piece& piece)
{
    read_result(result_path(job, ipiece), job.settings.textmode != 0, piece);
    piece.number = ipiece;
}

OutputContext make_context(const Header& piece0, const std::string& file)
{
    OutputContext context;
    context.npieces = piece0.npieces > 1 ? piece0.npieces : 1;
    build_size_table(context.sizes, piece0.rootsize, piece0.nlevels, file);
    context.names = make_species_names(piece0.nspecies);
    return context;
}

void prepare_piece(const OutputContext& context, const OutputStyle& style, Workspace& work,
                   const std::string& file)
{
    Piece& piece = *work.piece;
    Mesh& mesh = *work.mesh;
    const Header& h = piece.header;
    if (h.nspecies > context.names.count)
        fail(file, "holds " + std::to_string(h.nspecies) + " species, more than the " +
                       std::to_string(context.names.count) + " of piece 0");
    if (h.ncells > 0) {
        build_cells(piece, context.sizes, mesh.cells, file);
        convert_fields(piece);
    }
    build_mesh(mesh, *work.merge, h.ncells, points_of(style), cell_shape(style.cell_type),
               context.sizes.finest());
}

void require_piece0(const Job& job, bool listed)
{
    const std::string path = result_path(job, 0);
    if (file_exists(path))
        return;
    const std::vector<std::int32_t> present = outputs_present(list_dir(job.dir));
    if (!present.empty())
        fail(path, "cannot open: " + system_error_text(ENOENT) + "; found outputs " +
                       number_list_text(present) +
                       (listed ? "; choose among them with --outputs"
                               : "; set line 10 of contview.dat or use --output"));
}

void convert_output(const Job& job, Workspaces& work, OutputWriter& writer, ProgressLine* progress)
{
    if (work.empty())
        work.emplace_back();
    read_piece(job, 0, *work[0].piece);  // job 0 converts piece 0
    const OutputContext context = make_context(work[0].piece->header, result_path(job, 0));
    const int njobs = std::clamp(job.jobs, 1, context.npieces);
    while (work.size() < static_cast<std::size_t>(njobs))
        work.emplace_back();
    // A format of one file takes its pieces in piece order, while the jobs
    // read and prepare the next ones.
    const bool in_order = writer.pieces() == OutputWriter::Pieces::one_file;

    PieceSteps steps;
    steps.convert = [&](std::int32_t ipiece, int j, const PieceTurn& turn) {
        const PieceFiles files(j, ipiece);  // names this piece's file if interrupted
        Workspace& mine = work[static_cast<std::size_t>(j)];
        if (ipiece > 0)
            read_piece(job, ipiece, *mine.piece);
        prepare_piece(context, job.style, mine, result_path(job, ipiece));
        if (in_order)
            turn.wait();
        writer.write_piece(context, ipiece, *mine.piece, *mine.mesh);
        if (progress)
            progress->piece_done(mine.piece->header.ncells);
    };
    steps.commit = [&](std::int32_t ipiece) {
        writer.pieces_done(ipiece);
        if (progress && ipiece + 1 < context.npieces)
            progress->start_piece(ipiece + 1, context.npieces);
    };
    try {
        if (progress)
            progress->start_piece(0, context.npieces);
        writer.start(context);
        run_pieces(context.npieces, njobs, steps);
        writer.finish();
    } catch (Failure& f) {
        if (const char* removed = writer.abandon())
            f.cause += f.file == removed ? "; the incomplete file was removed"
                                         : std::string("; ") + removed + " was not written";
        throw;
    } catch (...) {
        writer.abandon();
        throw;
    }
}

}  // namespace cellplot
