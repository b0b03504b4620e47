// What a run converts, decided before anything is written: the job that the
// control file and the command line make, the output numbers, and the
// refusal of output files already there.  Shared by cellplot and its MPI
// twin so that both convert the same outputs and refuse the same files.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "run/collection.hpp"
#include "run/conversion.hpp"
#include "run/options.hpp"

namespace cellplot {

// What every output of the run shares: the control file's settings,
// overridden by the command line.  With --update the files that an
// incomplete output left are replaced.
Job make_job(const Options& options);
// The part of it that the command line alone gives (the settings keep their
// defaults).
Job command_line_job(const Options& options);

// The output numbers to convert, in increasing order; names lists the job's
// directory (list_dir).  Refuses --outputs all in a directory without any
// piece-0 result file.
std::vector<std::int32_t> outputs_to_convert(const Options& options, const Job& job,
                                             const std::vector<std::string>& names);

// The outputs of outnums that are not among complete (both increasing): what
// --update converts.
std::vector<std::int32_t> not_yet_complete(const std::vector<std::int32_t>& outnums,
                                           const std::vector<std::int32_t>& complete);

// Without --overwrite, an output file already among names (the collection
// when there is one, a master or any piece file of the outputs) is refused.
void refuse_existing_outputs(const Job& job, const std::vector<std::string>& names,
                             const std::vector<std::int32_t>& outnums, bool collection);

// The outputs a run converts and the collection that lists them.
struct Plan {
    std::vector<std::int32_t> outnums;     // increasing
    std::optional<Collection> collection;  // for several outputs, or with --update
};

// The plan of a run of job in its directory, whose entries are names:
// without --update, refuses the files already there (unless --overwrite)
// and lists the outputs converted; with --update, leaves out the outputs
// that are complete and lists them too.
Plan plan_run(const Options& options, const Job& job, const std::vector<std::string>& names);

// Whether the progress line is shown: as asked, or by default when standard
// error is a terminal.
bool progress_shown(Progress setting);

}  // namespace cellplot
