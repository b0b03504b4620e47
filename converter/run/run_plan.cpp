#include "run/run_plan.hpp"

#include <algorithm>
#include <iterator>
#include <string>
#include <unistd.h>

#include "read/input.hpp"
#include "run/collection.hpp"
#include "run/dir_listing.hpp"
#include "run/failure.hpp"
#include "run/file_names.hpp"
#include "run/out_file.hpp"
#include "run/piece_jobs.hpp"

namespace cellplot {

Job command_line_job(const Options& options)
{
    Job job;
    job.dir = options.dir;
    job.style = options.style;
    job.overwrite = options.overwrite || options.update;
    job.jobs = options.jobs ? *options.jobs : available_cpus();
    return job;
}

Job make_job(const Options& options)
{
    Job job = command_line_job(options);
    read_control(job.dir, job.settings);
    if (options.output)
        job.settings.outnum = *options.output;
    if (options.textmode)
        job.settings.textmode = *options.textmode;
    return job;
}

std::vector<std::int32_t> outputs_to_convert(const Options& options, const Job& job,
                                             const std::vector<std::string>& names)
{
    if (!options.all_outputs)
        return options.outputs.empty() ? std::vector<std::int32_t>{job.settings.outnum}
                                       : options.outputs;
    std::vector<std::int32_t> found = outputs_present(names);
    if (found.empty())
        fail(job.dir, "holds no result file of piece 0 (reso000000NNNN.res) to convert");
    return found;
}

std::vector<std::int32_t> not_yet_complete(const std::vector<std::int32_t>& outnums,
                                           const std::vector<std::int32_t>& complete)
{
    std::vector<std::int32_t> left;
    std::set_difference(outnums.begin(), outnums.end(), complete.begin(), complete.end(),
                        std::back_inserter(left));
    return left;
}

void refuse_existing_outputs(const Job& job, const std::vector<std::string>& names,
                             const std::vector<std::int32_t>& outnums, bool collection)
{
    const std::string listing = collection_file_name(series_kind(job.style));
    if (collection && std::binary_search(names.begin(), names.end(), listing))
        fail(in_dir(job.dir, listing), already_exists);
    for (std::int32_t outnum : outnums) {
        if (job.style.format == Format::vtkhdf) {
            if (std::binary_search(names.begin(), names.end(), hdf_file_name(outnum)))
                fail(in_dir(job.dir, hdf_file_name(outnum)), already_exists);
        } else if (auto name = output_file_present(names, outnum)) {
            fail(in_dir(job.dir, *name), already_exists);
        }
    }
}

Plan plan_run(const Options& options, const Job& job, const std::vector<std::string>& names)
{
    Plan plan;
    plan.outnums = outputs_to_convert(options, job, names);
    const SeriesKind kind = series_kind(job.style);
    if (options.update) {
        plan.collection.emplace(job.dir, kind, complete_outputs(job.dir, names, kind));
        plan.outnums = not_yet_complete(plan.outnums, plan.collection->listed());
        return plan;
    }
    const bool several = plan.outnums.size() > 1;
    if (!job.overwrite)
        refuse_existing_outputs(job, names, plan.outnums, several);
    if (several)
        plan.collection.emplace(job.dir, kind);
    return plan;
}

bool progress_shown(Progress setting)
{
    if (setting == Progress::automatic)
        return ::isatty(STDERR_FILENO) == 1;
    return setting == Progress::on;
}

}  // namespace cellplot
