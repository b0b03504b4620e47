// Pieces converted by several jobs: commits in piece order over exactly the
// complete prefix, the lowest failure reported whatever order failures come
// in, each job on one piece at a time, and in-order sections in order.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "run/failure.hpp"
#include "run/piece_jobs.hpp"

using cellplot::Failure;
using cellplot::PieceSteps;
using cellplot::PieceTurn;

namespace {

enum class Where { convert, commit };

struct Case {
    int njobs;
    std::int32_t npieces;
    std::set<std::int32_t> failing;  // pieces whose step fails
    Where where = Where::convert;
    bool in_order = false;  // the convert step ends in a section run in piece order
};

// What a run did, recorded by its steps.
struct Record {
    std::mutex m;
    std::vector<std::int32_t> commits;
    std::vector<std::int32_t> in_order;  // pieces whose in-order section ran
    std::vector<int> converts;           // times each piece was converted
    std::vector<int> job_of;             // the job that converted each piece
    std::vector<bool> returned;          // convert of each piece returned
    std::string problem;                 // the first broken rule seen
    std::atomic<int> busy[64] = {};      // pieces each job is converting now
};

void note(Record& r, const std::string& problem)
{
    if (r.problem.empty())
        r.problem = problem;
}

TEST(piece_jobs, commits_the_complete_prefix_in_order_and_reports_the_lowest_failure)
{
    const Case cases[] = {
        {1, 1, {}},
        {1, 5, {}},
        {2, 1, {}},  // more jobs than pieces
        {3, 2, {}},
        {2, 8, {}},
        {3, 10, {}},
        {8, 3, {}},
        {8, 40, {}},
        {4, 12, {}, Where::convert, true},
        {8, 5, {}, Where::convert, true},
        {1, 6, {3}},
        {4, 12, {0}},   // the first piece: nothing committed
        {4, 12, {5}},   // the middle
        {4, 12, {11}},  // the last
        {4, 12, {5, 6, 7, 8, 9, 10, 11}},
        {3, 12, {4, 9}},
        {8, 9, {1, 8}},
        {2, 7, {2}, Where::commit},
        {4, 12, {6, 7}, Where::commit},
        {4, 12, {6}, Where::convert, true},
        {8, 16, {3, 12}, Where::convert, true},
    };
    for (int repeat = 0; repeat < 5; ++repeat) {
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message()
                         << c.njobs << " jobs, " << c.npieces << " pieces, " << c.failing.size()
                         << " failing, from " << (c.failing.empty() ? -1 : *c.failing.begin())
                         << (c.in_order ? ", in order" : ""));
            Record r;
            const auto n = static_cast<std::size_t>(c.npieces);
            r.converts.assign(n, 0);
            r.job_of.assign(n, -1);
            r.returned.assign(n, false);
            const std::int32_t lowest = c.failing.empty() ? c.npieces : *c.failing.begin();
            const auto fails = [&](std::int32_t k, Where w) {
                return c.where == w && c.failing.count(k) != 0;
            };

            PieceSteps steps;
            steps.convert = [&](std::int32_t k, int job, const PieceTurn& turn) {
                if (job < 0 || job >= c.njobs || job >= 64) {
                    std::lock_guard lock(r.m);
                    note(r, "job number " + std::to_string(job));
                    return;
                }
                if (r.busy[job]++ != 0) {
                    std::lock_guard lock(r.m);
                    note(r, "job " + std::to_string(job) + " on two pieces at once");
                }
                {
                    std::lock_guard lock(r.m);
                    ++r.converts[static_cast<std::size_t>(k)];
                    r.job_of[static_cast<std::size_t>(k)] = job;
                }
                // Early pieces take longest, so later failures tend to come
                // first and commits have to wait for the prefix.
                std::this_thread::sleep_for(std::chrono::microseconds(50 * (c.npieces - k)));
                --r.busy[job];
                if (fails(k, Where::convert))
                    throw Failure{"piece " + std::to_string(k), "damaged"};
                if (c.in_order) {
                    turn.wait();
                    std::lock_guard lock(r.m);
                    if (static_cast<std::int32_t>(r.commits.size()) != k)
                        note(r, "piece " + std::to_string(k) + " went on before its turn");
                    r.in_order.push_back(k);
                }
                std::lock_guard lock(r.m);
                r.returned[static_cast<std::size_t>(k)] = true;
            };
            steps.commit = [&](std::int32_t k) {
                std::lock_guard lock(r.m);
                for (std::int32_t j = 0; j <= k; ++j)
                    if (!r.returned[static_cast<std::size_t>(j)])
                        note(r, "piece " + std::to_string(k) + " committed before piece " +
                                    std::to_string(j) + " was complete");
                if (fails(k, Where::commit))
                    throw Failure{"piece " + std::to_string(k), "damaged"};
                r.commits.push_back(k);
            };

            std::string reported;
            try {
                cellplot::run_pieces(c.npieces, c.njobs, steps);
            } catch (const Failure& f) {
                reported = f.file;
            }
            EXPECT_EQ(r.problem, "");
            EXPECT_EQ(reported, c.failing.empty() ? "" : "piece " + std::to_string(lowest));
            std::vector<std::int32_t> prefix;
            for (std::int32_t k = 0; k < lowest; ++k)
                prefix.push_back(k);
            EXPECT_EQ(r.commits, prefix);
            if (c.in_order) {
                std::vector<std::int32_t> sections(r.in_order.begin(), r.in_order.end());
                sections.resize(std::min(sections.size(), prefix.size()));
                EXPECT_EQ(sections, prefix);
            }
            for (std::int32_t k = 0; k < c.npieces; ++k) {
                const int times = r.converts[static_cast<std::size_t>(k)];
                if (k <= lowest)
                    EXPECT_EQ(times, 1) << "piece " << k;
                else
                    EXPECT_LE(times, 1) << "piece " << k;
            }
            EXPECT_EQ(r.job_of[0], 0);
        }
    }
}

}  // namespace
