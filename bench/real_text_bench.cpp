// put_real against two baselines measured in the same run: the snprintf
// formatter it replaced (same 12-character text) and std::to_chars with
// scientific precision 4 padded to 12 characters (a different exponent
// form, shown for its speed only).  Counter ns_per_value is the cost of one
// 12-character field.
#include <benchmark/benchmark.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

#include "write/real_text.hpp"

namespace {

constexpr std::size_t count = 1 << 16;

// The formatter put_real replaced.
char* put_real_snprintf(char* out, double v) noexcept
{
    char buf[40];
    if (std::isnan(v)) {
        std::memcpy(out, "         NaN", 12);
        return out + 12;
    }
    if (std::isinf(v)) {
        std::memcpy(out, v < 0 ? "   -Infinity" : "    Infinity", 12);
        return out + 12;
    }
    int n = std::snprintf(buf, sizeof buf, "%.4E", v);
    char* e = std::strchr(buf, 'E');
    int mant = static_cast<int>(e - buf);
    int explen = n - mant - 2;
    char tmp[16];
    std::memcpy(tmp, buf, mant);
    int t = mant;
    if (explen <= 2) {
        tmp[t++] = 'E';
        tmp[t++] = e[1];
        tmp[t++] = e[2];
        tmp[t++] = e[3];
    } else {
        tmp[t++] = e[1];
        std::memcpy(tmp + t, e + 2, 3);
        t += 3;
    }
    std::memset(out, ' ', 12 - t);
    std::memcpy(out + 12 - t, tmp, t);
    return out + 12;
}

char* put_real_to_chars(char* out, double v) noexcept
{
    char buf[32];
    auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific, 4);
    std::size_t n = static_cast<std::size_t>(r.ptr - buf);
    if (n > 12)
        n = 12;
    std::memset(out, ' ', 12 - n);
    std::memcpy(out + 12 - n, buf, n);
    return out + 12;
}

// Cell data as a converter writes it: densities and energies 1e-3..1e3,
// coordinates, mass fractions down to 1e-12, and one value in eight zero.
std::vector<double> typical_values()
{
    std::mt19937_64 rng(1);
    std::uniform_real_distribution<double> lg(-3.0, 3.0), unit(0.0, 1.0), frac(-12.0, 0.0);
    std::vector<double> v(count);
    for (std::size_t i = 0; i < count; ++i) {
        switch (i % 8) {
        case 0: v[i] = 0.0; break;
        case 1:
        case 2: v[i] = std::pow(10.0, lg(rng)); break;
        case 3: v[i] = -std::pow(10.0, lg(rng)); break;
        case 4:
        case 5: v[i] = 2.0 * unit(rng) - 1.0; break;
        default: v[i] = std::pow(10.0, frac(rng)); break;
        }
    }
    return v;
}

// Random bit patterns with NaN and infinity left out: every exponent.
std::vector<double> full_range_values()
{
    std::mt19937_64 rng(2);
    std::vector<double> v(count);
    for (double& x : v) {
        do {
            std::uint64_t b = rng();
            std::memcpy(&x, &b, 8);
        } while (!std::isfinite(x));
    }
    return v;
}

// Exact five-digit ties (N + 1/2): every one takes the exact path.
std::vector<double> tie_values()
{
    std::mt19937_64 rng(3);
    std::uniform_int_distribution<int> five(10000, 99999);
    std::vector<double> v(count);
    for (double& x : v)
        x = five(rng) + 0.5;
    return v;
}

template <char* (*put)(char*, double) noexcept>
void run(benchmark::State& state, const std::vector<double>& values)
{
    std::vector<char> out(values.size() * 12);
    for (auto _ : state) {
        char* p = out.data();
        for (double x : values)
            p = put(p, x);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * values.size()));
    state.counters["ns_per_value"] = benchmark::Counter(
        static_cast<double>(values.size()) * 1e-9,
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

const std::vector<double> typical = typical_values();
const std::vector<double> full_range = full_range_values();
const std::vector<double> ties = tie_values();

void typical_put_real(benchmark::State& s)
{
    run<cellplot::put_real>(s, typical);
}
void typical_snprintf(benchmark::State& s)
{
    run<put_real_snprintf>(s, typical);
}
void typical_to_chars(benchmark::State& s)
{
    run<put_real_to_chars>(s, typical);
}
void full_range_put_real(benchmark::State& s)
{
    run<cellplot::put_real>(s, full_range);
}
void full_range_snprintf(benchmark::State& s)
{
    run<put_real_snprintf>(s, full_range);
}
void full_range_to_chars(benchmark::State& s)
{
    run<put_real_to_chars>(s, full_range);
}
void ties_put_real(benchmark::State& s)
{
    run<cellplot::put_real>(s, ties);
}
void ties_snprintf(benchmark::State& s)
{
    run<put_real_snprintf>(s, ties);
}
void ties_to_chars(benchmark::State& s)
{
    run<put_real_to_chars>(s, ties);
}

}  // namespace

BENCHMARK(typical_put_real);
BENCHMARK(typical_snprintf);
BENCHMARK(typical_to_chars);
BENCHMARK(full_range_put_real);
BENCHMARK(full_range_snprintf);
BENCHMARK(full_range_to_chars);
BENCHMARK(ties_put_real);
BENCHMARK(ties_snprintf);
BENCHMARK(ties_to_chars);

BENCHMARK_MAIN();
