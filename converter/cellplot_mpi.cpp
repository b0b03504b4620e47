// cellplot-mpi: the conversion of cellplot shared among the processes of an
// MPI job.  Every process takes a run of (output, piece) pairs of about
// equal size in bytes and writes those piece files; rank 0 plans the run and
// writes the master files.  Each file is made by the same functions as in
// cellplot, so it holds the same bytes whatever the number of processes.
//
// The steps: every rank parses the same command line; rank 0 takes the
// directory's lock, reads the control file, refuses outputs already there,
// reads the header of piece 0 of each output and spreads what the pieces
// need; the ranks look up the
// sizes of their share of the result files and gather them, so that a
// missing piece stops the job before any file is written and the work is
// shared by size; each rank converts its pairs, until it or another meets a
// failure; once all know how far each got, rank 0 writes the master files of
// the outputs whose pieces are all written, and the collection.
#include <mpi.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "cellkeys.h"
#include "read/byte_source.hpp"
#include "read/input.hpp"
#include "run/collection.hpp"
#include "run/conversion.hpp"
#include "run/dir_listing.hpp"
#include "run/dir_lock.hpp"
#include "run/failure.hpp"
#include "run/file_names.hpp"
#include "run/interrupt.hpp"
#include "run/mpi_plan.hpp"
#include "run/options.hpp"
#include "run/out_file.hpp"
#include "run/piece_jobs.hpp"
#include "run/progress.hpp"
#include "run/run_plan.hpp"
#include "run/work_share.hpp"
#include "write/output_writer.hpp"
#include "write/vtkhdf_parallel.hpp"

namespace cellplot {
namespace {

constexpr const char* program = "cellplot-mpi";

// What --help prints before cellplot's own text.
constexpr const char* mpi_usage_text =
    "Usage: mpiexec -n P cellplot-mpi [OPTION]... [DIR]\n"
    "\n"
    "Converts what cellplot converts, sharing the pieces among the P processes of an\n"
    "MPI job by the size of their result files; every file it writes holds the bytes\n"
    "that cellplot writes with the same options.  Process 0 holds DIR's lock, and\n"
    "writes the master files and pview.pvd once the pieces are written.  Existing\n"
    "outputs and missing result files are refused before anything is written; any\n"
    "other failure prints one line \"cellplot-mpi: FILE: CAUSE\" from the process that\n"
    "met it, stops the others before their next piece and ends with status 1.  The\n"
    "progress line follows process 0's pieces.  With --format=vtkhdf every process\n"
    "writes its pieces into each output's one file through parallel HDF5, with\n"
    "collective writes.  --jobs converts several of a process's pieces at once (XML\n"
    "formats); its default here is 1.  The manual page cellplot-mpi(1) says more.\n"
    "The options are cellplot's:\n"
    "\n";

[[noreturn]] void end_job()
{
    const std::int32_t code = 1;
    msg_fail_all(&code);
    std::abort();  // not reached: msg_fail_all ends every process
}

// Rank 0: the outputs to convert and what their piece 0 says.  Refuses
// what cellplot refuses before it writes, or at piece 0 of an output: an
// existing output file, a missing or bad piece 0, a size table that does not
// fit.
std::vector<Output> plan_outputs(const Options& options, std::optional<Collection>& collection)
{
    const Job job = make_job(options);
    Plan plan = plan_run(options, job, list_dir(job.dir));
    collection = std::move(plan.collection);
    std::vector<Output> outputs(plan.outnums.size());
    for (std::size_t k = 0; k < plan.outnums.size(); ++k) {
        Output& o = outputs[k];
        o.job = job;
        o.job.settings.outnum = plan.outnums[k];
        require_piece0(o.job, !options.outputs.empty());
        const std::string file = result_path(o.job, 0);
        read_result_header(file, o.job.settings.textmode != 0, o.piece0);
        o.context = make_context(o.piece0, file);
    }
    return outputs;
}

// Rank 0 takes the directory's lock (held in lock until the run ends), plans
// the run and spreads the plan, or the news that there is none; every rank
// returns the same outputs, or false after rank 0 failed.  Rank 0 alone
// keeps the collection.  Collective.
bool spread_plan(const Options& options, std::int32_t rank, std::optional<DirLock>& lock,
                 std::vector<Output>& outputs, std::optional<Collection>& collection)
{
    std::int32_t count = -1;  // outputs, or -1 when planning failed
    if (rank == 0) {
        try {
            lock.emplace(options.dir);
            outputs = plan_outputs(options, collection);
            count = static_cast<std::int32_t>(outputs.size());
        } catch (const Failure& f) {
            report(program, f);
        }
    }
    const std::int32_t one = 1, root = 0;
    msg_spread_ints(&count, nullptr, &one, &root);
    if (count < 0)
        return false;
    std::vector<std::int32_t> words(static_cast<std::size_t>(count) * output_words);
    if (rank == 0)
        for (std::size_t k = 0; k < outputs.size(); ++k)
            pack_output(outputs[k], &words[k * output_words]);
    const auto nwords = static_cast<std::int32_t>(words.size());
    msg_spread_ints(words.data(), nullptr, &nwords, &root);
    if (rank != 0) {
        // The same job and context as rank 0 made: options, settings and
        // piece 0's header are the same here.
        outputs.assign(static_cast<std::size_t>(count), Output{});
        for (std::size_t k = 0; k < outputs.size(); ++k) {
            Output& o = outputs[k];
            o.job = command_line_job(options);
            unpack_output(&words[k * output_words], o);
            o.context = make_context(o.piece0, result_path(o.job, 0));
        }
    }
    return true;
}

// The size of a pair's result file, or its error number (error_as_size)
// when it cannot be read.
double look_at(const Job& job, std::int32_t ipiece)
{
    struct stat st;
    if (::stat(result_path(job, ipiece).c_str(), &st) != 0)
        return error_as_size(errno);
    if (S_ISDIR(st.st_mode))
        return error_as_size(EISDIR);
    return static_cast<double>(st.st_size);
}

// Every rank looks at every nprocs-th pair and all ranks gather what was
// found, so that the file system's metadata is asked in parallel.  Gives
// every rank the result file sizes of all pairs.  A result file that cannot
// be read is refused here, before any file is written: rank 0 reports the
// first in the run's order, with the cause cellplot gives, and every rank
// returns false.  Collective.
bool look_at_files(const std::vector<Output>& outputs, const std::vector<Pair>& pairs,
                   std::int32_t nprocs, std::int32_t rank, std::vector<double>& sizes)
{
    const auto n = static_cast<std::int64_t>(pairs.size());
    const std::int32_t per = looks_per_process(n, nprocs);
    std::vector<double> mine(static_cast<std::size_t>(per), 0.0);
    for (std::int64_t i = rank, s = 0; i < n; i += nprocs, ++s) {
        const Pair& pair = pairs[static_cast<std::size_t>(i)];
        mine[static_cast<std::size_t>(s)] =
            look_at(outputs[static_cast<std::size_t>(pair.output)].job, pair.ipiece);
    }
    std::vector<double> all(static_cast<std::size_t>(per) * static_cast<std::size_t>(nprocs));
    msg_collect_doubles(mine.data(), &per, all.data());

    sizes.assign(static_cast<std::size_t>(n), 0.0);
    for (std::int64_t i = 0; i < n; ++i) {
        const double found = all[look_slot(i, nprocs, per)];
        if (found < 0) {
            if (rank == 0) {
                const Pair& pair = pairs[static_cast<std::size_t>(i)];
                const std::string input =
                    result_path(outputs[static_cast<std::size_t>(pair.output)].job, pair.ipiece);
                try {
                    FileSource source(input);  // fails with the cause cellplot gives
                    fail(input, "cannot open: " + system_error_text(error_of_size(found)));
                } catch (const Failure& f) {
                    report(program, f);
                }
            }
            return false;
        }
        sizes[static_cast<std::size_t>(i)] = found;
    }
    return true;
}

// When a process dies (killed, out of memory), mpiexec ends the others with
// SIGTERM.  The processes of a node share a small table, one row each: how
// many pairs of its share it has written, and whether it has been stopped.
// The first handler on the node to run, after naming its own incomplete
// file, names every process of the node that is gone without having been
// stopped (it died) and the pieces it had not finished, which the table
// tells exactly.  A process on another node is not seen; mpiexec names it.
// The table is an MPI shared-memory window, so no file is left behind.
struct NodeRow {
    std::int64_t done;     // pairs of the share written
    std::int64_t stopped;  // 1 once its handler runs
};

struct NodeWatch {
    MPI_Comm node = MPI_COMM_NULL;
    MPI_Win window = MPI_WIN_NULL;
    NodeRow* rows = nullptr;                      // one per process of the node, in rank order
    std::int64_t* spoken;                         // set by the first handler of the node to speak
    std::int32_t me = 0;                          // this process's row
    std::vector<std::string> stat_paths;          // /proc/PID/stat of each process of the node
    std::vector<std::vector<std::string>> lines;  // lines[r][k]: what is said when row r
                                                  // has written k pairs
};
NodeWatch watch;

// Whether the process whose /proc/PID/stat is at stat_path has ended (its
// entry is gone, or it is a zombie that its parent has not yet reaped).
// Async-signal-safe.
bool gone(const char* stat_path)
{
    const int fd = ::open(stat_path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return true;
    char text[512];
    const ssize_t n = ::read(fd, text, sizeof text);
    ::close(fd);
    for (ssize_t i = n - 1; i >= 0; --i)
        if (text[i] == ')')  // the state letter follows the command name
            return i + 2 < n && (text[i + 2] == 'Z' || text[i + 2] == 'X');
    return n <= 0;
}

// The interrupt handler's further step.  Async-signal-safe.
void say_dead_neighbours()
{
    if (__atomic_exchange_n(watch.spoken, 1, __ATOMIC_SEQ_CST) != 0)
        return;
    for (std::size_t r = 0; r < watch.stat_paths.size(); ++r) {
        const NodeRow& row = watch.rows[r];
        if (static_cast<std::int32_t>(r) == watch.me ||
            __atomic_load_n(&row.stopped, __ATOMIC_SEQ_CST) != 0 ||
            !gone(watch.stat_paths[r].c_str()))
            continue;
        const auto done = static_cast<std::size_t>(__atomic_load_n(&row.done, __ATOMIC_SEQ_CST));
        const std::string& line = watch.lines[r][std::min(done, watch.lines[r].size() - 1)];
        for (std::size_t at = 0; at < line.size();) {
            const ssize_t k = ::write(STDERR_FILENO, line.data() + at, line.size() - at);
            if (k <= 0)
                break;
            at += static_cast<std::size_t>(k);
        }
    }
}

// The handler's first step, before its own line: this process was stopped.
void mark_stopped()
{
    __atomic_store_n(&watch.rows[watch.me].stopped, 1, __ATOMIC_SEQ_CST);
}

// Sets up the node's table and the lines of say_dead_neighbours.  Collective.
void watch_node(const std::vector<Output>& outputs, const std::vector<Pair>& pairs,
                const std::vector<std::int64_t>& first, std::int32_t rank)
{
    MPI_Comm_split_type(MPI_COMM_WORLD, MPI_COMM_TYPE_SHARED, rank, MPI_INFO_NULL, &watch.node);
    int size = 1, me = 0;
    MPI_Comm_size(watch.node, &size);
    MPI_Comm_rank(watch.node, &me);
    watch.me = me;
    const auto bytes = static_cast<MPI_Aint>(me == 0 ? size * sizeof(NodeRow) + 64 : 0);
    void* base = nullptr;
    MPI_Win_allocate_shared(bytes, 1, MPI_INFO_NULL, watch.node, &base, &watch.window);
    MPI_Aint got = 0;
    int unit = 1;
    MPI_Win_shared_query(watch.window, 0, &got, &unit, &base);
    watch.rows = static_cast<NodeRow*>(base);
    watch.spoken = reinterpret_cast<std::int64_t*>(watch.rows + size);
    watch.rows[me] = NodeRow{0, 0};
    if (me == 0)
        *watch.spoken = 0;

    const int mine[2] = {rank, static_cast<int>(::getpid())};
    std::vector<int> all(2 * static_cast<std::size_t>(size));
    MPI_Allgather(mine, 2, MPI_INT, all.data(), 2, MPI_INT, watch.node);
    watch.stat_paths.clear();
    watch.lines.clear();
    for (int r = 0; r < size; ++r) {
        const auto world = static_cast<std::size_t>(all[2 * static_cast<std::size_t>(r)]);
        watch.stat_paths.push_back("/proc/" + std::to_string(all[2 * r + 1]) + "/stat");
        const std::string head = std::string(program) + ": process " + std::to_string(world) +
                                 " ended before the job did";
        std::vector<std::string> lines;
        for (std::int64_t k = first[world]; k <= first[world + 1]; ++k)
            lines.push_back(
                head +
                (k < first[world + 1]
                     ? "; not finished: " + pieces_text(outputs, pairs, k, first[world + 1]) + "\n"
                     : ", its pieces written\n"));
        watch.lines.push_back(std::move(lines));
    }
    MPI_Barrier(watch.node);  // every row is set before any handler reads one
    add_to_interrupt_report(mark_stopped, say_dead_neighbours);
}

// This process has written done pairs of its share.
void note_share_done(std::int64_t done)
{
    if (watch.rows)
        __atomic_store_n(&watch.rows[watch.me].done, done, __ATOMIC_SEQ_CST);
}

// Takes the table down, after every process has passed its share.  Collective.
void unwatch_node()
{
    add_to_interrupt_report(nullptr, nullptr);
    MPI_Win_free(&watch.window);
    MPI_Comm_free(&watch.node);
    watch.rows = nullptr;
}

// The news that the job stops early, passed between pieces: a rank that
// meets a failure sends one message to every other rank, and every rank
// looks for one before each piece.  No rank is ended from outside, so the
// one that met the failure says so in one line and the others stop quietly.
// Once every rank knows which ranks failed, each takes the messages meant
// for it, so that none is left pending at MPI_Finalize.  MPI is called
// directly: the wrappers have no non-blocking point-to-point calls.
class StopNotice {
public:
    StopNotice(std::int32_t nprocs, std::int32_t rank) : nprocs_(nprocs), rank_(rank)
    {
        MPI_Irecv(&from_, 1, MPI_INT, MPI_ANY_SOURCE, tag, MPI_COMM_WORLD, &pending_);
    }
    StopNotice(const StopNotice&) = delete;
    StopNotice& operator=(const StopNotice&) = delete;

    // Whether another rank has stopped the job.
    bool arrived()
    {
        if (!arrived_) {
            int flag = 0;
            MPI_Test(&pending_, &flag, MPI_STATUS_IGNORE);
            arrived_ = flag != 0;
        }
        return arrived_;
    }

    // Tells every other rank to stop.
    void send()
    {
        for (int r = 0; r < nprocs_; ++r)
            if (r != rank_) {
                sent_.emplace_back();
                MPI_Isend(&rank_, 1, MPI_INT, r, tag, MPI_COMM_WORLD, &sent_.back());
            }
    }

    // Takes the messages of the failed other ranks (failed_others of them)
    // and completes those sent.
    void settle(int failed_others)
    {
        if (failed_others == 0 && !arrived()) {
            MPI_Cancel(&pending_);
            MPI_Wait(&pending_, MPI_STATUS_IGNORE);
        } else {
            MPI_Wait(&pending_, MPI_STATUS_IGNORE);
            int from = 0;
            for (int k = 1; k < failed_others; ++k)
                MPI_Recv(&from, 1, MPI_INT, MPI_ANY_SOURCE, tag, MPI_COMM_WORLD, MPI_STATUS_IGNORE);
        }
        MPI_Waitall(static_cast<int>(sent_.size()), sent_.data(), MPI_STATUSES_IGNORE);
    }

private:
    static constexpr int tag = 7411;  // any tag no other message of the job uses
    int nprocs_, rank_;
    int from_ = -1;
    bool arrived_ = false;
    MPI_Request pending_;
    std::vector<MPI_Request> sent_;
};

// This rank's share of the pairs: read and convert each piece, write its
// file through its output's writer (a format of separate piece files, so
// every rank writes its own), with up to the job's number of jobs at once
// (each with its own workspace).  A failure is reported here, in one line,
// for the first failing pair of the share, and stops every rank before its
// next piece.  Only the calling thread (job 0) calls MPI: it looks for the
// others' stop before each piece it takes and passes it on to the other
// jobs.  What the share reports written is its complete prefix, pair by
// pair in order.  The progress line (shown on rank 0
// only) follows this rank's share, which is about 1/nprocs of the run.
ShareDone convert_share(const std::vector<Output>& outputs, const std::vector<Pair>& pairs,
                        std::int64_t begin, std::int64_t end, StopNotice& notice,
                        ProgressLine& progress)
{
    ShareDone done;
    if (end <= begin)
        return done;
    const auto n = static_cast<std::int32_t>(end - begin);
    const int njobs = std::clamp(outputs.front().job.jobs, 1, n);
    Workspaces work(static_cast<std::size_t>(njobs));
    // One writer per output, made before the jobs start: the jobs write
    // pieces of several outputs at once.
    std::vector<std::unique_ptr<OutputWriter>> writers;
    for (const Output& o : outputs)
        writers.push_back(make_output_writer(o.job, &progress));
    std::atomic<bool> stopped{false};  // another rank stopped the job
    struct StoppedByOther {};
    std::int32_t shown_output = -1;  // guarded by the commit step's order
    PieceSteps steps;
    steps.convert = [&](std::int32_t k, int j, const PieceTurn&) {
        if (j == 0 && notice.arrived())
            stopped.store(true, std::memory_order_relaxed);
        if (stopped.load(std::memory_order_relaxed))
            throw StoppedByOther{};
        const Pair& pair = pairs[static_cast<std::size_t>(begin + k)];
        const Output& o = outputs[static_cast<std::size_t>(pair.output)];
        const PieceFiles files(j, k);  // names the share's lowest open file if interrupted
        Workspace& mine = work[static_cast<std::size_t>(j)];
        read_piece(o.job, pair.ipiece, *mine.piece);
        prepare_piece(o.context, o.job.style, mine, result_path(o.job, pair.ipiece));
        writers[static_cast<std::size_t>(pair.output)]->write_piece(o.context, pair.ipiece,
                                                                    *mine.piece, *mine.mesh);
        progress.piece_done(mine.piece->header.ncells);
    };
    steps.commit = [&](std::int32_t k) {
        done.pairs = k + 1;
        note_share_done(done.pairs);
        if (k + 1 >= n)
            return;
        const Pair& pair = pairs[static_cast<std::size_t>(begin + k + 1)];
        const Output& o = outputs[static_cast<std::size_t>(pair.output)];
        if (pair.output != shown_output) {
            shown_output = pair.output;
            progress.start_output(o.job.settings.outnum, static_cast<std::size_t>(pair.output) + 1,
                                  outputs.size());
        }
        progress.start_piece(pair.ipiece, o.context.npieces);
    };
    const Pair& first = pairs[static_cast<std::size_t>(begin)];
    const Output& o = outputs[static_cast<std::size_t>(first.output)];
    shown_output = first.output;
    progress.start_output(o.job.settings.outnum, static_cast<std::size_t>(first.output) + 1,
                          outputs.size());
    progress.start_piece(first.ipiece, o.context.npieces);
    try {
        run_pieces(n, njobs, steps);
    } catch (const StoppedByOther&) {
        // another rank met a failure and said so
    } catch (const Failure& f) {
        progress.clear();
        report(program, f);
        notice.send();
        done.failed = true;
    }
    progress.clear();
    return done;
}

// Every rank's ShareDone, on every rank.  Collective.
std::vector<ShareDone> gather_done(const ShareDone& mine, std::int32_t nprocs)
{
    double words[share_done_words];
    pack_share_done(mine, words);
    std::vector<double> all(share_done_words * static_cast<std::size_t>(nprocs));
    msg_collect_doubles(words, &share_done_words, all.data());
    std::vector<ShareDone> done(static_cast<std::size_t>(nprocs));
    for (std::size_t r = 0; r < done.size(); ++r)
        done[r] = unpack_share_done(&all[share_done_words * r]);
    return done;
}

// Rank 0, once the pieces are written: each output whose pieces are all
// written gets its writer started and finished, which writes its master
// file, and is listed in the collection (when there is one) once complete.
// An output left incomplete gets no master, so that --update converts it
// again.
void write_masters(const std::vector<Output>& outputs, const std::vector<bool>& written,
                   std::optional<Collection>& collection)
{
    for (std::size_t k = 0; k < outputs.size(); ++k) {
        if (!written[k])
            continue;
        const Output& o = outputs[k];
        const std::unique_ptr<OutputWriter> writer = make_output_writer(o.job);
        try {
            writer->start(o.context);
            writer->pieces_done(o.context.npieces - 1);
            writer->finish();
        } catch (...) {
            writer->abandon();
            throw;
        }
        if (collection)
            collection->add(o.job.settings.outnum);
    }
    if (collection && outputs.empty())
        collection->write();  // --update with nothing new: the outputs DIR holds
}

#ifdef CELLPLOT_PARALLEL_VTKHDF
// A format of one file per output: the outputs one after another, each
// written by every process together, its pieces shared by weight; process 0
// lists each complete output in the collection, when there is one.
int write_one_file_outputs(const std::vector<Output>& outputs, const std::vector<double>& weights,
                           std::int32_t nprocs, std::int32_t rank, ProgressLine& progress,
                           std::optional<Collection>& collection)
{
    Workspace work;
    std::size_t at = 0;  // the output's first pair
    for (std::size_t k = 0; k < outputs.size(); ++k) {
        const Output& o = outputs[k];
        const auto npieces = static_cast<std::size_t>(o.context.npieces);
        const std::vector<double> mine(weights.begin() + static_cast<std::ptrdiff_t>(at),
                                       weights.begin() + static_cast<std::ptrdiff_t>(at + npieces));
        at += npieces;
        progress.start_output(o.job.settings.outnum, k + 1, outputs.size());
        if (write_vtkhdf_together(o.job, o.context, share_by_weight(mine, nprocs), rank, work,
                                  progress, program) != 0)
            return 1;
        std::int32_t status = 0;
        if (rank == 0 && collection) {
            try {
                collection->add(o.job.settings.outnum);
            } catch (const Failure& f) {
                report(program, f);
                status = 1;
            }
        }
        const std::int32_t one = 1, root = 0;
        msg_spread_ints(&status, nullptr, &one, &root);
        if (status != 0)
            return status;
    }
    progress.clear();
    return 0;
}
#endif

int run(const Options& options, std::int32_t nprocs, std::int32_t rank)
{
    std::optional<DirLock> lock;
    std::vector<Output> outputs;
    std::optional<Collection> collection;
    if (!spread_plan(options, rank, lock, outputs, collection))
        return 1;
    const std::vector<Pair> pairs = list_pairs(outputs);
    std::vector<double> sizes;
    if (!look_at_files(outputs, pairs, nprocs, rank, sizes))
        return 1;
    const std::vector<double> weights = pair_weights(std::move(sizes));
    ProgressLine progress(program, rank == 0 && progress_shown(options.progress));
#ifdef CELLPLOT_PARALLEL_VTKHDF
    if (!outputs.empty() &&
        make_output_writer(outputs.front().job)->pieces() == OutputWriter::Pieces::one_file)
        return write_one_file_outputs(outputs, weights, nprocs, rank, progress, collection);
#endif
    const std::vector<std::int64_t> first = share_by_weight(weights, nprocs);
    watch_node(outputs, pairs, first, rank);
    StopNotice notice(nprocs, rank);
    const ShareDone mine =
        convert_share(outputs, pairs, first[static_cast<std::size_t>(rank)],
                      first[static_cast<std::size_t>(rank) + 1], notice, progress);
    const std::vector<ShareDone> done = gather_done(mine, nprocs);
    unwatch_node();
    int failed_others = 0;
    for (std::size_t r = 0; r < done.size(); ++r)
        failed_others += done[r].failed && r != static_cast<std::size_t>(rank);
    notice.settle(failed_others);

    std::int32_t status = failed_others > 0 || mine.failed ? 1 : 0;
    if (rank == 0) {
        try {
            write_masters(outputs, outputs_written(outputs.size(), pairs, first, done), collection);
        } catch (const Failure& f) {
            report(program, f);
            status = 1;
        }
    }
    const std::int32_t one = 1, root = 0;
    msg_spread_ints(&status, nullptr, &one, &root);
    return status;
}

}  // namespace
}  // namespace cellplot

int main(int argc, char** argv)
{
    MPI_Init(&argc, &argv);  // the one thing the wrappers leave to the program
    std::int32_t nprocs = 1, rank = 0;
    msg_count_and_rank(&nprocs, &rank);

    // Every rank parses the same command line and comes to the same result;
    // rank 0 alone speaks.
    cellplot::Options options;
    const std::optional<int> done =
        cellplot::take_command_line(argc, argv, cellplot::program, cellplot::mpi_usage_text,
                                    rank == 0, options, cellplot::style_refusal);
    int status = done ? *done : -1;
    // mpiexec usually places one process on each processor: one job each
    // unless --jobs asks for more.
    if (!options.jobs)
        options.jobs = 1;
    if (status < 0) {
        cellplot::stop_on_interrupt(cellplot::program);
        try {
            status = cellplot::run(options, nprocs, rank);
            cellplot::quiet_interrupts();
        } catch (const std::bad_alloc&) {
            std::fprintf(stderr, "%s: out of memory\n", cellplot::program);
            cellplot::end_job();
        }
    }
    msg_shut_down();
    return status;
}
