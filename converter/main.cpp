// cellplot: converts the result files of one output, found in the working
// directory, into a VTK XML parallel unstructured-grid data set.

#include <cstdio>
#include <new>

#include "conversion.hpp"
#include "failure.hpp"
#include "input.hpp"
#include "options.hpp"

namespace cellplot {
namespace {

// The output to convert: the control file's settings, overridden by the
// command line.
Job make_job(const Options& options)
{
    Job job;
    job.dir = options.dir;
    job.style = options.style;
    job.overwrite = options.overwrite;
    read_control(job.dir, job.settings);
    if (options.output)
        job.settings.outnum = *options.output;
    if (options.textmode)
        job.settings.textmode = *options.textmode;
    return job;
}

void run(const Options& options)
{
    const Job job = make_job(options);
    Workspace work;
    convert_output(job, work);
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
