// cellplot: converts the result files of one output of the solver, or of
// several, into VTK data sets (XML files, or one VTKHDF file per output), and
// lists several in a collection file.

#include <cstdio>
#include <memory>
#include <new>
#include <vector>

#include "run/conversion.hpp"
#include "run/dir_listing.hpp"
#include "run/dir_lock.hpp"
#include "run/failure.hpp"
#include "run/file_names.hpp"
#include "run/interrupt.hpp"
#include "run/options.hpp"
#include "run/progress.hpp"
#include "run/run_plan.hpp"
#include "write/output_writer.hpp"

namespace cellplot {
namespace {

void run(const Options& options, ProgressLine& progress)
{
    const DirLock lock(options.dir);
    Job job = make_job(options);
    Plan plan = plan_run(options, job, list_dir(job.dir));
    Workspaces work;
    for (std::size_t k = 0; k < plan.outnums.size(); ++k) {
        job.settings.outnum = plan.outnums[k];
        progress.start_output(job.settings.outnum, k + 1, plan.outnums.size());
        require_piece0(job, !options.outputs.empty());
        const std::unique_ptr<OutputWriter> writer = make_output_writer(job, &progress);
        convert_output(job, work, *writer, &progress);
        if (plan.collection)
            plan.collection->add(job.settings.outnum);
    }
    if (plan.collection && plan.outnums.empty())
        plan.collection->write();  // --update with nothing new: the outputs DIR holds
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
