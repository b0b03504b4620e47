#include "conversion.hpp"

#include <cerrno>

#include "byte_source.hpp"
#include "dir_listing.hpp"
#include "failure.hpp"
#include "fields.hpp"
#include "file_names.hpp"
#include "input.hpp"

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
}

OutputContext make_context(const Header& piece0, const std::string& file)
{
    OutputContext context;
    context.npieces = piece0.npieces > 1 ? piece0.npieces : 1;
    build_size_table(context.sizes, piece0.rootsize, piece0.nlevels, file);
    context.names = make_species_names(piece0.nspecies);
    return context;
}

void prepare_piece(const OutputContext& context, Piece& piece, Cells& cells,
                   const std::string& file)
{
    const Header& h = piece.header;
    if (h.nspecies > context.names.count)
        fail(file, "holds " + std::to_string(h.nspecies) + " species, more than the " +
                       std::to_string(context.names.count) + " of piece 0");
    if (h.ncells > 0) {
        build_cells(piece, context.sizes, cells, file);
        convert_fields(piece);
    }
}

void convert_piece(const Job& job, const OutputContext& context, std::int32_t ipiece,
                   Workspace& work)
{
    prepare_piece(context, *work.piece, *work.cells, result_path(job, ipiece));
    OutFile out(piece_path(job, ipiece), job.overwrite);
    write_piece(out, *work.piece, *work.cells, context.names, job.style);
    out.close();
}

std::unique_ptr<OutFile> create_master(const Job& job, const OutputContext& context)
{
    auto master = std::make_unique<OutFile>(master_path(job), job.overwrite);
    write_master_head(*master, context.names, job.style);
    master->flush();
    return master;
}

void add_master_piece(OutFile& master, const Job& job, std::int32_t ipiece)
{
    write_master_piece(master, ipiece, job.settings.outnum);
    master.flush();
}

void finish_master(OutFile& master)
{
    write_master_tail(master);
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

void convert_output(const Job& job, Workspace& work, ProgressLine* progress)
{
    read_piece(job, 0, *work.piece);
    const OutputContext context = make_context(work.piece->header, result_path(job, 0));
    const std::unique_ptr<OutFile> master = create_master(job, context);
    for (std::int32_t ipiece = 0; ipiece < context.npieces; ++ipiece) {
        if (progress)
            progress->start_piece(ipiece, context.npieces);
        if (ipiece > 0)
            read_piece(job, ipiece, *work.piece);
        add_master_piece(*master, job, ipiece);
        convert_piece(job, context, ipiece, work);
        if (progress)
            progress->piece_done(work.piece->header.ncells);
    }
    finish_master(*master);
}

}  // namespace cellplot
