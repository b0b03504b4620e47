// Cell-key routines against a literal digit-by-digit baseline, and
// ck_from_ijk / ck_to_ijk against a bare BMI2 deposit/extract Morton
// encode/decode, all in one run.  Each figure is ns per call on
// pre-generated random inputs of one level, through real calls (the
// library's entry points and out-of-line baseline functions).
//
//   keys_bench [--benchmark_filter=...]
#include "cellkeys.h"
#include "key_model.hpp"

#include <benchmark/benchmark.h>
#include <immintrin.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr std::size_t input_count = 1024;  // a power of two
// Path-bit arrays are 256 bytes each; a caller passes one it has just made
// with ck_to_bits, so the neighbour runs cycle through few enough of them
// to stay in the first-level cache.
constexpr std::size_t bits_input_count = 64;
using keymodel::Key;

struct Inputs {
    std::vector<CellKey> keys, others;
    std::vector<std::int32_t> i, j, k, octant, axis, direction;
    std::vector<std::array<std::int32_t, 64>> bits;
};

Inputs make_inputs(std::int32_t L)
{
    std::mt19937 rng(1234 + L);
    Inputs in;
    const std::uint32_t side = 1u << L;
    for (std::size_t c = 0; c < input_count; ++c) {
        std::int32_t x = rng() % side, y = rng() % side, z = rng() % side;
        CellKey key;
        ck_from_ijk(&key, &L, &x, &y, &z);
        in.keys.push_back(key);
        in.i.push_back(x);
        in.j.push_back(y);
        in.k.push_back(z);
        // Half the pairs share a long prefix, so comparisons go deep.
        CellKey other = key;
        if (rng() % 2) {
            std::int32_t a = rng() % side, b = rng() % side, d = rng() % side;
            ck_from_ijk(&other, &L, &a, &b, &d);
        } else if (L > 0) {
            ck_prev_cell(&other);
        }
        in.others.push_back(other);
        in.octant.push_back(rng() % 8);
        in.axis.push_back(1 + rng() % 3);
        in.direction.push_back(rng() % 2 ? 1 : -1);
        std::array<std::int32_t, 64> b;
        ck_to_bits(&key, b.data());
        in.bits.push_back(b);
    }
    return in;
}

// Literal baseline: the plain algorithms of the reference model, called
// out of line with the library's argument shapes.
[[gnu::noinline]] void literal_from_ijk(CellKey* key, const std::int32_t* L, const std::int32_t* i,
                                        const std::int32_t* j, const std::int32_t* k)
{
    Key r = keymodel::from_ijk(*L, *i, *j, *k);
    key->word1 = r.w1;
    key->word2 = r.w2;
}
[[gnu::noinline]] void literal_to_ijk(const CellKey* key, const std::int32_t* L, std::int32_t* i,
                                      std::int32_t* j, std::int32_t* k)
{
    keymodel::to_ijk(Key{key->word1, key->word2}, *L, *i, *j, *k);
}
[[gnu::noinline]] void literal_to_octal_digits(const CellKey* key, std::int32_t* digits)
{
    keymodel::to_digits(Key{key->word1, key->word2}, digits - 1);
}
[[gnu::noinline]] void literal_collate(const CellKey* a, const CellKey* b, std::int32_t* r)
{
    *r = keymodel::collate(Key{a->word1, a->word2}, Key{b->word1, b->word2});
}
[[gnu::noinline]] void literal_next_cell(CellKey* key)
{
    Key r = keymodel::next(Key{key->word1, key->word2});
    key->word1 = r.w1;
    key->word2 = r.w2;
}
[[gnu::noinline]] void literal_axis_neighbour(CellKey* key, const std::int32_t* bits,
                                              const std::int32_t* L, const std::int32_t* axis,
                                              const std::int32_t* direction)
{
    Key r = keymodel::axis_neighbour(bits - 1, *L, *axis, *direction);
    key->word1 = r.w1;
    key->word2 = r.w2;
}
[[gnu::noinline]] void literal_to_child(CellKey* key, const std::int32_t* octant)
{
    Key r = keymodel::to_child(Key{key->word1, key->word2}, *octant);
    key->word1 = r.w1;
    key->word2 = r.w2;
}

// Bare Morton code of (i, j, k), i in the lowest bit: the BMI2 yardstick.
constexpr std::uint64_t morton_axis = 0x1249249249249249ull;
[[gnu::noinline, gnu::target("bmi2")]] void pdep_morton_encode(const std::int32_t* i,
                                                               const std::int32_t* j,
                                                               const std::int32_t* k,
                                                               std::uint64_t* code)
{
    *code = _pdep_u64(static_cast<std::uint32_t>(*i), morton_axis) |
            _pdep_u64(static_cast<std::uint32_t>(*j), morton_axis << 1) |
            _pdep_u64(static_cast<std::uint32_t>(*k), morton_axis << 2);
}
[[gnu::noinline, gnu::target("bmi2")]] void
pext_morton_decode(const std::uint64_t* code, std::int32_t* i, std::int32_t* j, std::int32_t* k)
{
    *i = static_cast<std::int32_t>(_pext_u64(*code, morton_axis));
    *j = static_cast<std::int32_t>(_pext_u64(*code, morton_axis << 1));
    *k = static_cast<std::int32_t>(_pext_u64(*code, morton_axis << 2));
}

using FromIjk = void (*)(CellKey*, const std::int32_t*, const std::int32_t*, const std::int32_t*,
                         const std::int32_t*);
using ToIjk = void (*)(const CellKey*, const std::int32_t*, std::int32_t*, std::int32_t*,
                       std::int32_t*);
using ToDigits = void (*)(const CellKey*, std::int32_t*);
using Collate = void (*)(const CellKey*, const CellKey*, std::int32_t*);
using Step = void (*)(CellKey*);
using Neighbour = void (*)(CellKey*, const std::int32_t*, const std::int32_t*, const std::int32_t*,
                           const std::int32_t*);
using Child = void (*)(CellKey*, const std::int32_t*);

void run_from_ijk(benchmark::State& st, FromIjk f, std::int32_t L)
{
    const Inputs in = make_inputs(L);
    std::size_t c = 0;
    for (auto _ : st) {
        CellKey key;
        f(&key, &L, &in.i[c], &in.j[c], &in.k[c]);
        benchmark::DoNotOptimize(key);
        c = (c + 1) & (input_count - 1);
    }
}
void run_to_ijk(benchmark::State& st, ToIjk f, std::int32_t L)
{
    const Inputs in = make_inputs(L);
    std::size_t c = 0;
    for (auto _ : st) {
        std::int32_t i, j, k;
        f(&in.keys[c], &L, &i, &j, &k);
        benchmark::DoNotOptimize(i);
        benchmark::DoNotOptimize(j);
        benchmark::DoNotOptimize(k);
        c = (c + 1) & (input_count - 1);
    }
}
void run_to_digits(benchmark::State& st, ToDigits f, std::int32_t L)
{
    const Inputs in = make_inputs(L);
    std::size_t c = 0;
    std::int32_t digits[20];
    for (auto _ : st) {
        f(&in.keys[c], digits);
        benchmark::DoNotOptimize(digits);
        benchmark::ClobberMemory();
        c = (c + 1) & (input_count - 1);
    }
}
void run_collate(benchmark::State& st, Collate f, std::int32_t L)
{
    const Inputs in = make_inputs(L);
    std::size_t c = 0;
    for (auto _ : st) {
        std::int32_t r;
        f(&in.keys[c], &in.others[c], &r);
        benchmark::DoNotOptimize(r);
        c = (c + 1) & (input_count - 1);
    }
}
void run_step(benchmark::State& st, Step f, std::int32_t L)
{
    const Inputs in = make_inputs(L);
    std::size_t c = 0;
    for (auto _ : st) {
        CellKey key = in.keys[c];
        f(&key);
        benchmark::DoNotOptimize(key);
        c = (c + 1) & (input_count - 1);
    }
}
void run_neighbour(benchmark::State& st, Neighbour f, std::int32_t L)
{
    const Inputs in = make_inputs(L);
    std::size_t c = 0;
    for (auto _ : st) {
        CellKey key;
        f(&key, in.bits[c & (bits_input_count - 1)].data(), &L, &in.axis[c], &in.direction[c]);
        benchmark::DoNotOptimize(key);
        c = (c + 1) & (input_count - 1);
    }
}
// Children of level L come from keys of level L - 1 (a level-18 key has none).
void run_child(benchmark::State& st, Child f, std::int32_t L)
{
    const Inputs in = make_inputs(L - 1);
    std::size_t c = 0;
    for (auto _ : st) {
        CellKey key = in.keys[c];
        f(&key, &in.octant[c]);
        benchmark::DoNotOptimize(key);
        c = (c + 1) & (input_count - 1);
    }
}
void run_pdep(benchmark::State& st)
{
    if (!__builtin_cpu_supports("bmi2")) {
        st.SkipWithError("no BMI2 on this machine");
        return;
    }
    const Inputs in = make_inputs(18);
    std::size_t c = 0;
    for (auto _ : st) {
        std::uint64_t code;
        pdep_morton_encode(&in.i[c], &in.j[c], &in.k[c], &code);
        benchmark::DoNotOptimize(code);
        c = (c + 1) & (input_count - 1);
    }
}
void run_pext(benchmark::State& st)
{
    if (!__builtin_cpu_supports("bmi2")) {
        st.SkipWithError("no BMI2 on this machine");
        return;
    }
    const Inputs in = make_inputs(18);
    std::vector<std::uint64_t> codes;
    for (std::size_t c = 0; c < input_count; ++c) {
        std::uint64_t code;
        pdep_morton_encode(&in.i[c], &in.j[c], &in.k[c], &code);
        codes.push_back(code);
    }
    std::size_t c = 0;
    for (auto _ : st) {
        std::int32_t i, j, k;
        pext_morton_decode(&codes[c], &i, &j, &k);
        benchmark::DoNotOptimize(i);
        benchmark::DoNotOptimize(j);
        benchmark::DoNotOptimize(k);
        c = (c + 1) & (input_count - 1);
    }
}

template <class F, class Runner>
void add_pair(const std::string& name, Runner run, F library, F literal)
{
    for (std::int32_t L : {3, 10, 18}) {
        const std::string lv = "/L" + std::to_string(L);
        benchmark::RegisterBenchmark((name + lv + "/library").c_str(),
                                     [=](benchmark::State& st) { run(st, library, L); });
        benchmark::RegisterBenchmark((name + lv + "/literal").c_str(),
                                     [=](benchmark::State& st) { run(st, literal, L); });
    }
}

}  // namespace

int main(int argc, char** argv)
{
    ck_fill_tables();
    add_pair<FromIjk>("ck_from_ijk", run_from_ijk, ck_from_ijk, literal_from_ijk);
    benchmark::RegisterBenchmark("morton_encode_pdep/L18", run_pdep);
    add_pair<ToIjk>("ck_to_ijk", run_to_ijk, ck_to_ijk, literal_to_ijk);
    benchmark::RegisterBenchmark("morton_decode_pext/L18", run_pext);
    add_pair<ToDigits>("ck_to_octal_digits", run_to_digits, ck_to_octal_digits,
                       literal_to_octal_digits);
    add_pair<Collate>("ck_collate", run_collate, ck_collate, literal_collate);
    add_pair<Step>("ck_next_cell", run_step, ck_next_cell, literal_next_cell);
    add_pair<Neighbour>("ck_axis_neighbour", run_neighbour, ck_axis_neighbour,
                        literal_axis_neighbour);
    add_pair<Child>("ck_to_child", run_child, ck_to_child, literal_to_child);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
}
