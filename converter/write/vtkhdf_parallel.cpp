#include "write/vtkhdf_parallel.hpp"

#include <hdf5.h>
#include <mpi.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>  // AT_FDCWD
#include <optional>
#include <string>
#include <unistd.h>

#include "cellkeys.h"
#include "run/failure.hpp"
#include "run/file_names.hpp"
#include "run/interrupt.hpp"
#include "run/out_file.hpp"
#include "write/vtkhdf_file.hpp"

namespace cellplot {
namespace {

// The property lists of a file that every process of MPI_COMM_WORLD opens:
// the MPI-IO driver with collective metadata, and collective transfers.
struct ParallelLists {
    hid_t file_access = (vtkhdf::start_hdf5(), H5Pcreate(H5P_FILE_ACCESS));
    hid_t transfer = H5Pcreate(H5P_DATASET_XFER);
    ParallelLists()
    {
        H5Pset_fapl_mpio(file_access, MPI_COMM_WORLD, MPI_INFO_NULL);
        H5Pset_all_coll_metadata_ops(file_access, true);
        H5Pset_coll_metadata_write(file_access, true);
        H5Pset_dxpl_mpio(transfer, H5FD_MPIO_COLLECTIVE);
    }
    ~ParallelLists()
    {
        H5Pclose(transfer);
        H5Pclose(file_access);
    }
    ParallelLists(const ParallelLists&) = delete;
    ParallelLists& operator=(const ParallelLists&) = delete;
};

// Every process: whether any failed, and the lowest that did (it reports).
// Collective.
bool lowest_failure(bool failed, std::int32_t rank, std::int32_t nprocs, bool& mine)
{
    const double flag = failed ? static_cast<double>(nprocs - rank) : 0.0;
    double worst = 0.0;
    msg_largest_double(&flag, &worst);
    mine = failed && worst == flag;
    return worst > 0.0;
}

void read_and_prepare(const Job& job, const OutputContext& context, std::int64_t ipiece,
                      Workspace& work)
{
    const auto p = static_cast<std::int32_t>(ipiece);
    read_piece(job, p, *work.piece);
    prepare_piece(context, job.style, work, result_path(job, p));
}

}  // namespace

int write_vtkhdf_together(const Job& job, const OutputContext& context,
                          const std::vector<std::int64_t>& first, std::int32_t rank,
                          Workspace& work, ProgressLine& progress, const char* program)
{
    const auto nprocs = static_cast<std::int32_t>(first.size() - 1);
    const std::int64_t begin = first[static_cast<std::size_t>(rank)];
    const std::int64_t end = first[static_cast<std::size_t>(rank) + 1];
    std::int64_t per = 1;  // the most pieces of any process: the steps
    for (std::int32_t r = 0; r < nprocs; ++r)
        per = std::max(per,
                       first[static_cast<std::size_t>(r) + 1] - first[static_cast<std::size_t>(r)]);
    const std::string path = in_dir(job.dir, hdf_file_name(job.settings.outnum));

    // First pass: the points and cells of each of this process's pieces.
    std::vector<double> mine(2 * static_cast<std::size_t>(per), 0.0);
    std::optional<Failure> failure;
    try {
        for (std::int64_t i = begin; i < end; ++i) {
            read_and_prepare(job, context, i, work);
            const vtkhdf::PieceRows rows = vtkhdf::piece_rows(*work.piece, *work.mesh);
            mine[2 * static_cast<std::size_t>(i - begin)] = static_cast<double>(rows.points);
            mine[2 * static_cast<std::size_t>(i - begin) + 1] = static_cast<double>(rows.cells);
        }
    } catch (const Failure& f) {
        failure = f;
        failure->cause += "; " + path + " was not written";
    }
    bool report_it = false;
    if (lowest_failure(failure.has_value(), rank, nprocs, report_it)) {
        if (report_it) {
            progress.clear();
            report(program, *failure);
        }
        return 1;
    }

    // Every piece's rows and where they start, the same on every process.
    std::vector<double> all(mine.size() * static_cast<std::size_t>(nprocs));
    const auto count = static_cast<std::int32_t>(mine.size());
    msg_collect_doubles(mine.data(), &count, all.data());
    const std::size_t npieces = static_cast<std::size_t>(first.back());
    std::vector<vtkhdf::PieceRows> rows(npieces);
    for (std::int32_t r = 0; r < nprocs; ++r)
        for (std::int64_t i = first[static_cast<std::size_t>(r)];
             i < first[static_cast<std::size_t>(r) + 1]; ++i) {
            const std::size_t at =
                2 * (static_cast<std::size_t>(r) * static_cast<std::size_t>(per) +
                     static_cast<std::size_t>(i - first[static_cast<std::size_t>(r)]));
            const auto cells = static_cast<std::int64_t>(all[at + 1]);
            rows[static_cast<std::size_t>(i)] = {static_cast<std::int64_t>(all[at]), cells,
                                                 8 * cells, cells + 1};
        }
    std::vector<vtkhdf::RowStart> start(npieces + 1);
    for (std::size_t i = 0; i < npieces; ++i)
        start[i + 1] = vtkhdf::rows_after(start[i], rows[i]);

    // One temporary name for all, from process 0's process number.
    std::int32_t pid = static_cast<std::int32_t>(::getpid());
    const std::int32_t one = 1, root = 0;
    msg_spread_ints(&pid, nullptr, &one, &root);
    const std::string temporary = path + ".part" + std::to_string(pid);
    note_temporary(temporary.c_str(), path.c_str());

    // The file, created by all together.  When none could create it (the
    // usual failure: all meet the same folder) the lowest reports and all
    // return; when only some could, the rest cannot finish the collective
    // calls, and the job ends.
    const ParallelLists lists;
    std::optional<vtkhdf::File> file;
    failure.reset();
    try {
        file.emplace(temporary, path, job.style, context.names, lists.file_access, lists.transfer);
    } catch (const Failure& f) {
        failure = f;
    }
    const double created = failure ? 0.0 : 1.0;
    double any_created = 0.0;
    msg_largest_double(&created, &any_created);
    if (lowest_failure(failure.has_value(), rank, nprocs, report_it)) {
        if (report_it) {
            progress.clear();
            report(program, *failure);
        }
        note_temporary_gone();
        if (any_created == 0.0)
            return 1;
        ::unlink(temporary.c_str());
        const std::int32_t code = 1;
        msg_fail_all(&code);
    }

    // Second pass: every process writes its pieces, one step at a time.
    try {
        file->size_to(start[npieces]);
        for (std::int64_t s = 0; s < per; ++s) {
            vtkhdf::PieceRows bound;
            for (std::int32_t r = 0; r < nprocs; ++r) {
                const std::int64_t i = first[static_cast<std::size_t>(r)] + s;
                if (i >= first[static_cast<std::size_t>(r) + 1])
                    continue;
                const vtkhdf::PieceRows& p = rows[static_cast<std::size_t>(i)];
                bound = {std::max(bound.points, p.points), std::max(bound.cells, p.cells),
                         std::max(bound.connectivity, p.connectivity),
                         std::max(bound.offsets, p.offsets)};
            }
            const std::int64_t i = begin + s;
            if (i < end) {
                progress.start_piece(static_cast<std::int32_t>(i), context.npieces);
                read_and_prepare(job, context, i, work);
                file->write_piece(start[static_cast<std::size_t>(i)], work.piece.get(),
                                  work.mesh.get(), bound);
                progress.piece_done(work.piece->header.ncells);
            } else {
                file->write_piece(vtkhdf::RowStart{}, nullptr, nullptr, bound);
            }
        }
        file->close();
    } catch (const Failure& f) {
        ::unlink(temporary.c_str());
        note_temporary_gone();
        progress.clear();
        Failure g = f;
        g.cause +=
            g.file == path ? "; the incomplete file was removed" : "; " + path + " was not written";
        report(program, g);
        const std::int32_t code = 1;
        msg_fail_all(&code);  // the others may be waiting in a collective write
    }

    // Process 0 puts the complete file under its name.
    std::int32_t status = 0;
    if (rank == 0) {
        const unsigned how = job.overwrite ? 0 : RENAME_NOREPLACE;
        if (::renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, path.c_str(), how) != 0) {
            const int error = errno;
            ::unlink(temporary.c_str());
            progress.clear();
            report(program,
                   Failure{path, error == EEXIST ? already_exists
                                                 : "cannot rename " + temporary +
                                                       " to it: " + system_error_text(error)});
            status = 1;
        }
    }
    msg_spread_ints(&status, nullptr, &one, &root);
    note_temporary_gone();
    return status;
}

}  // namespace cellplot
