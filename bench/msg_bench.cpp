// Overhead of the wrappers: msg_largest_double and msg_exchange_doubles
// beside the same raw MPI calls, in one run.  Run with two processes:
//   mpiexec -n 2 bench/msg_bench
// Every rank runs the same fixed iteration counts so the collectives pair
// up; only rank 0 reports.
#include "cellkeys.h"

#include <benchmark/benchmark.h>
#include <mpi.h>

#include <cstdint>
#include <vector>

namespace {

constexpr int iterations = 100000;
const void* const not_read = nullptr;

void BM_raw_allreduce_max(benchmark::State& state)
{
    double value = 1.0, largest = 0.0;
    for (auto _ : state) {
        MPI_Allreduce(&value, &largest, 1, MPI_DOUBLE, MPI_MAX, MPI_COMM_WORLD);
        benchmark::DoNotOptimize(largest);
    }
}

void BM_msg_largest_double(benchmark::State& state)
{
    double value = 1.0, largest = 0.0;
    for (auto _ : state) {
        msg_largest_double(&value, &largest);
        benchmark::DoNotOptimize(largest);
    }
}

void BM_raw_alltoall(benchmark::State& state)
{
    int size = 0;
    MPI_Comm_size(MPI_COMM_WORLD, &size);
    const int count = static_cast<int>(state.range(0));
    std::vector<double> send(count * size, 1.0), recv(count * size);
    for (auto _ : state) {
        MPI_Alltoall(send.data(), count, MPI_DOUBLE, recv.data(), count, MPI_DOUBLE,
                     MPI_COMM_WORLD);
        benchmark::DoNotOptimize(recv.data());
    }
}

void BM_msg_exchange_doubles(benchmark::State& state)
{
    int size = 0;
    MPI_Comm_size(MPI_COMM_WORLD, &size);
    const std::int32_t count = static_cast<std::int32_t>(state.range(0));
    std::vector<double> send(count * size, 1.0), recv(count * size);
    for (auto _ : state) {
        msg_exchange_doubles(send.data(), not_read, &count, recv.data(), not_read, &count);
        benchmark::DoNotOptimize(recv.data());
    }
}

BENCHMARK(BM_raw_allreduce_max)->Iterations(iterations)->Repetitions(5)->UseRealTime();
BENCHMARK(BM_msg_largest_double)->Iterations(iterations)->Repetitions(5)->UseRealTime();
BENCHMARK(BM_raw_alltoall)
    ->Arg(1)
    ->Arg(1024)
    ->Iterations(iterations / 2)
    ->Repetitions(5)
    ->UseRealTime();
BENCHMARK(BM_msg_exchange_doubles)
    ->Arg(1)
    ->Arg(1024)
    ->Iterations(iterations / 2)
    ->Repetitions(5)
    ->UseRealTime();

class SilentReporter : public benchmark::BenchmarkReporter {
public:
    bool ReportContext(const Context&) override { return true; }
    void ReportRuns(const std::vector<Run>&) override {}
};

}  // namespace

int main(int argc, char** argv)
{
    MPI_Init(&argc, &argv);
    int rank = 0;
    MPI_Comm_rank(MPI_COMM_WORLD, &rank);
    benchmark::Initialize(&argc, argv);
    if (rank == 0) {
        benchmark::RunSpecifiedBenchmarks();
    } else {
        SilentReporter silent;
        benchmark::RunSpecifiedBenchmarks(&silent);
    }
    benchmark::Shutdown();
    msg_shut_down();
    return 0;
}
