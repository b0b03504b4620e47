// cellplot: converts the result files of one output of the solver, or of
// several, into VTK data sets (XML files, or one VTKHDF file per output), and
// lists several in a collection file.

#include <cstdio>
#include <memory>
#include <new>
#include <vector>

#include "collection.hpp"
#include "conversion.hpp"
#include "dir_listing.hpp"
#include "failure.hpp"
#include "file_names.hpp"
#include "file_series.hpp"
#include "interrupt.hpp"
#include "options.hpp"
#include "output_writer.hpp"
#include "progress.hpp"
#include "run_plan.hpp"

namespace cellplot {
namespace {

void run(const Options& options, ProgressLine& progress)
{
    Job job = make_job(options);
    const std::vector<std::string> names = list_dir(job.dir);
    const std::vector<std::int32_t> outnums = outputs_to_convert(options, job, names);
    const bool collection = outnums.size() > 1;
    if (!job.overwrite)
        refuse_existing_outputs(job, names, outnums, collection);

    const bool series = collection_kind(job.style.format) == CollectionKind::file_series;
    std::vector<std::int32_t> done;
    std::unique_ptr<OutFile> pvd;
    if (collection && !series) {
        pvd = std::make_unique<OutFile>(in_dir(job.dir, collection_file_name), job.overwrite,
                                        &progress);
        write_collection_head(*pvd);
        pvd->flush();
    }
    Workspaces work;
    for (std::size_t k = 0; k < outnums.size(); ++k) {
        job.settings.outnum = outnums[k];
        progress.start_output(job.settings.outnum, k + 1, outnums.size());
        require_piece0(job);
        const std::unique_ptr<OutputWriter> writer = make_output_writer(job, &progress);
        convert_output(job, work, *writer, &progress);
        done.push_back(job.settings.outnum);
        if (collection && series)
            write_file_series(job.dir, done);
        if (pvd) {
            write_collection_entry(*pvd, job.settings.outnum);
            pvd->flush();
        }
    }
    if (pvd) {
        write_collection_tail(*pvd);
        pvd->close();
    }
}

}  // namespace
}  // namespace cellplot

int main(int argc, char** argv)
{
    cellplot::Options options;
    if (auto done = cellplot::take_command_line(argc, argv, "cellplot", "", true, options,
                                                cellplot::style_refusal))
        return *done;
    cellplot::stop_on_interrupt("cellplot");
    cellplot::ProgressLine progress("cellplot", cellplot::progress_shown(options.progress));
    try {
        cellplot::run(options, progress);
    } catch (const cellplot::Failure& f) {
        progress.clear();
        cellplot::report("cellplot", f);
        return 1;
    } catch (const std::bad_alloc&) {
        progress.clear();
        std::fprintf(stderr, "cellplot: out of memory\n");
        return 1;
    }
    return 0;
}
