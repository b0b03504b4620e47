// cellplot: converts the result files of one output of the solver, or of
// several, into VTK XML parallel unstructured-grid data sets, and lists
// several in a collection file.

#include <cstdio>
#include <memory>
#include <new>
#include <vector>

#include "collection.hpp"
#include "conversion.hpp"
#include "failure.hpp"
#include "file_names.hpp"
#include "interrupt.hpp"
#include "options.hpp"
#include "progress.hpp"
#include "run_plan.hpp"

namespace cellplot {
namespace {

void run(const Options& options, ProgressLine& progress)
{
    Job job = make_job(options);
    const std::vector<std::int32_t> outnums = outputs_to_convert(options, job);
    const bool collection = outnums.size() > 1;
    if (!job.overwrite)
        refuse_existing_outputs(job, outnums, collection);

    std::unique_ptr<OutFile> pvd;
    if (collection) {
        pvd = std::make_unique<OutFile>(in_dir(job.dir, collection_file_name), job.overwrite);
        write_collection_head(*pvd);
        pvd->flush();
    }
    Workspace work;
    for (std::size_t k = 0; k < outnums.size(); ++k) {
        job.settings.outnum = outnums[k];
        progress.start_output(job.settings.outnum, k + 1, outnums.size());
        require_piece0(job);
        convert_output(job, work, &progress);
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
    try {
        switch (cellplot::parse_command_line(argc, argv, options)) {
        case cellplot::Action::help: std::fputs(cellplot::usage_text(), stdout); return 0;
        case cellplot::Action::version: std::printf("cellplot %s\n", CELLPLOT_VERSION); return 0;
        case cellplot::Action::convert: break;
        }
    } catch (const cellplot::UsageError& e) {
        std::fprintf(stderr, "cellplot: %s (see cellplot --help)\n",
                     cellplot::escaped(e.message, false).c_str());
        return 2;
    }
    cellplot::stop_on_interrupt("cellplot");
    cellplot::ProgressLine progress(cellplot::progress_shown(options.progress));
    try {
        cellplot::run(options, progress);
    } catch (const cellplot::Failure& f) {
        progress.clear();
        std::fprintf(stderr, "cellplot: %s: %s\n", cellplot::escaped(f.file, false).c_str(),
                     cellplot::escaped(f.cause, false).c_str());
        return 1;
    } catch (const std::bad_alloc&) {
        progress.clear();
        std::fprintf(stderr, "cellplot: out of memory\n");
        return 1;
    }
    return 0;
}
