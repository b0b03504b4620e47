// Cost of one uniform and one normal deviate, beside the standard library's
// 64-bit Mersenne twister with its normal distribution (also the polar
// method with a cached second value), measured in the same run.
#include "cellkeys.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>

namespace {

const std::int32_t arg = 0;

void seed_first()
{
    const std::int32_t s1 = 1802, s2 = 9373;
    rng_seed(&s1, &s2);
}

void BM_rng_draw(benchmark::State& state)
{
    seed_first();
    for (auto _ : state)
        benchmark::DoNotOptimize(rng_draw(&arg));
}
BENCHMARK(BM_rng_draw);

void BM_mt19937_64_uniform(benchmark::State& state)
{
    std::mt19937_64 engine(1802);
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    for (auto _ : state)
        benchmark::DoNotOptimize(uniform(engine));
}
BENCHMARK(BM_mt19937_64_uniform);

void BM_rng_normal(benchmark::State& state)
{
    seed_first();
    for (auto _ : state)
        benchmark::DoNotOptimize(rng_normal(&arg));
}
BENCHMARK(BM_rng_normal);

void BM_mt19937_64_normal_distribution(benchmark::State& state)
{
    std::mt19937_64 engine(1802);
    std::normal_distribution<double> normal;
    for (auto _ : state)
        benchmark::DoNotOptimize(normal(engine));
}
BENCHMARK(BM_mt19937_64_normal_distribution);

}  // namespace

BENCHMARK_MAIN();
