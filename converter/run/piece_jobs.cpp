#include "run/piece_jobs.hpp"

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <sched.h>
#include <system_error>
#include <thread>
#include <vector>

#include "convert/limits.hpp"

namespace cellplot {
namespace {

// The shared state of one run of pieces; every member below the mutex is
// guarded by it.
class PieceRun {
public:
    PieceRun(std::int32_t npieces, const PieceSteps& steps)
        : steps_(steps), stop_at_(npieces), complete_(static_cast<std::size_t>(npieces), false)
    {}

    // The next piece to convert, or -1 when there is none (all handed out,
    // or a failure stopped the run before it).
    std::int32_t take()
    {
        std::lock_guard lock(mutex_);
        return next_ < stop_at_ ? next_++ : -1;
    }

    // One job's loop, starting from a piece already taken.
    void work(int job, std::int32_t ipiece)
    {
        for (; ipiece >= 0; ipiece = take()) {
            try {
                const Turn turn(*this, ipiece);
                steps_.convert(ipiece, job, turn);
            } catch (const PieceRunStopped&) {
                continue;  // an earlier piece failed; nothing to report
            } catch (...) {
                fail(ipiece, std::current_exception());
                continue;
            }
            complete(ipiece);
        }
    }

    // After every job has ended: the lowest failure, if any.
    void rethrow()
    {
        if (failure_)
            std::rethrow_exception(failure_);
    }

private:
    class Turn final : public PieceTurn {
    public:
        Turn(PieceRun& run, std::int32_t ipiece) : run_(run), ipiece_(ipiece) {}
        void wait() const override
        {
            std::unique_lock lock(run_.mutex_);
            run_.changed_.wait(
                lock, [&] { return run_.committed_ >= ipiece_ || run_.stop_at_ < ipiece_; });
            if (run_.committed_ < ipiece_)
                throw PieceRunStopped{};
        }

    private:
        PieceRun& run_;
        std::int32_t ipiece_;
    };

    void fail(std::int32_t ipiece, std::exception_ptr e)
    {
        std::lock_guard lock(mutex_);
        if (ipiece < failed_at_) {
            failed_at_ = ipiece;
            failure_ = std::move(e);
        }
        stop_at_ = std::min(stop_at_, ipiece);
        changed_.notify_all();
    }

    // Marks ipiece complete and, unless another job is committing already
    // (it will see this piece), commits the complete prefix piece by piece
    // outside the lock.
    void complete(std::int32_t ipiece)
    {
        std::unique_lock lock(mutex_);
        complete_[static_cast<std::size_t>(ipiece)] = true;
        if (committing_)
            return;
        committing_ = true;
        while (committed_ < stop_at_ && complete_[static_cast<std::size_t>(committed_)]) {
            const std::int32_t k = committed_;
            lock.unlock();
            std::exception_ptr error;
            try {
                steps_.commit(k);
            } catch (...) {
                error = std::current_exception();
            }
            if (error) {
                fail(k, std::move(error));
                lock.lock();
                break;
            }
            lock.lock();
            committed_ = k + 1;
            changed_.notify_all();
        }
        committing_ = false;
    }

    const PieceSteps& steps_;
    std::mutex mutex_;
    std::condition_variable changed_;  // committed_ or stop_at_ moved
    std::int32_t next_ = 0;            // the next piece to hand out
    std::int32_t stop_at_;             // no piece from here on is handed out or committed
    std::int32_t committed_ = 0;       // pieces 0..committed_-1 are committed
    bool committing_ = false;          // a job is running commit steps
    std::vector<bool> complete_;
    std::int32_t failed_at_ = INT32_MAX;
    std::exception_ptr failure_;
};

}  // namespace

void run_pieces(std::int32_t npieces, int njobs, const PieceSteps& steps)
{
    if (npieces <= 0)
        return;
    PieceRun run(npieces, steps);
    const std::int32_t first = run.take();  // piece 0, for job 0
    {
        std::vector<std::jthread> others;
        const int n = std::clamp<std::int64_t>(njobs, 1, npieces);
        for (int job = 1; job < n; ++job) {
            try {
                others.emplace_back([&run, job] { run.work(job, run.take()); });
            } catch (const std::system_error&) {
                break;  // no more threads to be had: go on with those started
            }
        }
        run.work(0, first);
    }  // joins the other jobs
    run.rethrow();
}

int available_cpus()
{
    // A set sized for the machine: the kernel refuses one smaller than its
    // own mask, so grow it until it fits.
    for (int ncpus = 1024; ncpus <= (1 << 20); ncpus *= 2) {
        cpu_set_t* set = CPU_ALLOC(ncpus);
        if (!set)
            return 1;
        const std::size_t size = CPU_ALLOC_SIZE(ncpus);
        CPU_ZERO_S(size, set);
        const bool got = ::sched_getaffinity(0, size, set) == 0;
        const int count = got ? CPU_COUNT_S(size, set) : 0;
        CPU_FREE(set);
        if (got)
            return std::clamp(count, 1, max_jobs);
        if (errno != EINVAL)
            return 1;
    }
    return 1;
}

}  // namespace cellplot
