// The pieces of one output converted by several jobs at once: threads of
// one process, each converting one piece at a time with its own workspace.
//
// Jobs take pieces in increasing order.  A piece is complete when its
// convert step returns; the commit step of piece k runs once pieces 0..k are
// all complete, one piece at a time and in piece order (that is where the
// master file gains the piece's line, so that after a failure it lists
// exactly a complete prefix of the pieces).
//
// When a step fails, no piece after it is started; pieces before it are
// finished and committed, and pieces after it that are under way are
// finished or, if they wait for their turn, abandoned.  The run then rethrows
// the failure of the lowest piece, whatever order the failures came in.
#pragma once

#include <cstdint>
#include <functional>

namespace cellplot {

// Lets a convert step do its last part in piece order (for a format that
// appends every piece to one file): wait() returns once every earlier piece
// is complete and committed, and throws PieceRunStopped when an earlier piece
// has failed, so the step is abandoned.
class PieceTurn {
public:
    virtual void wait() const = 0;

protected:
    ~PieceTurn() = default;
};

// Thrown by PieceTurn::wait: an earlier piece failed; this piece is
// abandoned and not reported.
struct PieceRunStopped {};

struct PieceSteps {
    // Converts ipiece (0-based) with the workspace of job (0..njobs-1).
    // Several run at once, each job on one piece at a time; may throw.
    std::function<void(std::int32_t ipiece, int job, const PieceTurn& turn)> convert;
    // Runs once pieces 0..ipiece are complete, for each piece in increasing
    // order, never two at once, in whichever job completed the prefix; may
    // throw, which fails ipiece.
    std::function<void(std::int32_t ipiece)> commit;
};

// Runs steps on pieces 0..npieces-1 with njobs jobs (1 or more; at most
// npieces are used).  The calling thread is job 0 and always takes piece 0,
// so a caller may have read piece 0 into job 0's workspace already; the
// other jobs are threads started here and joined before it returns.  With
// one job no thread is started.  Rethrows the lowest piece's failure.
void run_pieces(std::int32_t npieces, int njobs, const PieceSteps& steps);

// The number of processors the process may run on (its affinity mask), at
// least 1 and at most max_jobs: the default number of jobs.
int available_cpus();

}  // namespace cellplot
