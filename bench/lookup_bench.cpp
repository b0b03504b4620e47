// Octree lookups against a std::unordered_map find, in one run, on a tree of
// one million nodes (uniform to level 6, random paths down to level 12) and
// one of ten million (uniform to level 7, random paths down to level 13), a
// value on every leaf.  The map holds as many keys as the tree has nodes:
// the leaf key of every query, filled up with other keys.  Queries are 2^20
// random level-18 keys, taken in random order and in path order; every
// variant answers 1024 keys per iteration and is reported in ns per key:
//
//   map       std::unordered_map::find of the query's leaf key (an easier
//             question: the tree finds the leaf containing any finer key)
//   walk      the walk as it was: ck_get_level and ck_to_octal_digits
//             through their entry points, then the descent over the digit array
//   lookup    tree_lookup, one call per key
//   many      tree_lookup_many, one call per 1024 keys
//
// The table at the end gives each variant's time over the map's, from the
// fastest of the repetitions (--benchmark_repetitions=N).  The
// ten-million-node tree and its map take about 1 GB and some 30 s to build.
//
//   lookup_bench [--benchmark_filter=...] [--sizes=1000000,10000000]
#include "cellkeys.h"
#include "lookup_trees.hpp"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

using namespace lookup_trees;

constexpr std::size_t batch = 1024;
constexpr std::size_t query_count = std::size_t{1} << 20;

struct Fixture : Tree {
    std::unordered_map<std::uint64_t, std::int32_t> map;
    std::vector<std::int32_t> keys[2];        // random order, path order (key arrays)
    std::vector<std::uint64_t> leaf_keys[2];  // each query's leaf key, for the map

    explicit Fixture(std::int32_t nodes, std::mt19937_64 rng = std::mt19937_64(2024))
        : Tree(nodes, rng)
    {
        char status;
        std::vector<CellKey> queries(query_count);
        for (CellKey& q : queries)
            q = random_key(rng);
        std::vector<CellKey> sorted = queries;
        std::sort(sorted.begin(), sorted.end(),
                  [](const CellKey& a, const CellKey& b) { return path_rank(a) < path_rank(b); });
        map.reserve(static_cast<std::size_t>(nodes));
        for (int order = 0; order < 2; ++order)
            for (const CellKey& q : order == 0 ? queries : sorted) {
                std::int32_t level, value;
                tree_lookup(child.data(), state.data(), &capacity, &q, &level, &value, &status);
                keys[order].push_back(q.word1);
                keys[order].push_back(q.word2);
                leaf_keys[order].push_back(packed(truncated(q, level)));
                map.emplace(leaf_keys[order].back(), value);
            }
        while (map.size() < static_cast<std::size_t>(nodes))
            map.emplace(packed(truncated(random_key(rng), 7 + static_cast<int>(rng() % 12))), 0);
    }
};

std::map<std::int64_t, Fixture*> fixtures;
Fixture& fixture(std::int64_t nodes)
{
    Fixture*& f = fixtures[nodes];
    if (!f)
        f = new Fixture(static_cast<std::int32_t>(nodes));
    return *f;
}

// The walk as it was before the digits were read from the key's words.
[[gnu::noinline]] void walk_lookup(const std::int32_t* child, const char* state,
                                   const std::int32_t* capacity, const CellKey* key,
                                   std::int32_t* level, std::int32_t* value, char* status)
{
    std::int32_t last = 0;
    ck_get_level(key, &last);
    if (*capacity < 1 || last > 20) {
        *level = 0;
        *value = 0;
        *status = 'E';
        return;
    }
    std::int32_t digits[20];
    ck_to_octal_digits(key, digits);
    const auto rows = static_cast<std::uint32_t>(*capacity);
    std::uint32_t node = 1;
    std::int32_t k = 1;
    for (;;) {
        const auto slot = static_cast<std::uint32_t>(digits[k - 1]);
        const std::size_t at = std::size_t{node} * 8 + slot - 8;
        const char letter = state[at];
        const std::int32_t next = child[at];
        if (letter != 'N' || k >= last) {
            *level = k;
            *value = letter == 'N' || letter == 'T' ? next : 0;
            *status = letter;
            return;
        }
        if (static_cast<std::uint32_t>(next) - 1 >= rows) {
            *level = k;
            *value = 0;
            *status = 'E';
            return;
        }
        node = static_cast<std::uint32_t>(next);
        ++k;
    }
}

enum Variant { map_find, walk, lookup, many };
const char* const variant_names[] = {"map", "walk", "lookup", "many"};
const char* const order_names[] = {"random", "path"};

void run(benchmark::State& st, Variant variant, int order, std::int64_t nodes)
{
    Fixture& f = fixture(nodes);
    const std::vector<std::int32_t>& keys = f.keys[order];
    const std::vector<std::uint64_t>& leaf_keys = f.leaf_keys[order];
    std::int32_t levels[batch], values[batch];
    char statuses[batch];
    std::size_t first = 0;
    for (auto _ : st) {
        const std::int32_t* k = keys.data() + 2 * first;
        switch (variant) {
        case map_find:
            for (std::size_t i = 0; i < batch; ++i) {
                const auto it = f.map.find(leaf_keys[first + i]);
                values[i] = it != f.map.end() ? it->second : 0;
            }
            break;
        case walk:
            for (std::size_t i = 0; i < batch; ++i)
                walk_lookup(f.child.data(), f.state.data(), &f.capacity,
                            reinterpret_cast<const CellKey*>(k + 2 * i), &levels[i], &values[i],
                            &statuses[i]);
            break;
        case lookup:
            for (std::size_t i = 0; i < batch; ++i)
                tree_lookup(f.child.data(), f.state.data(), &f.capacity,
                            reinterpret_cast<const CellKey*>(k + 2 * i), &levels[i], &values[i],
                            &statuses[i]);
            break;
        case many: {
            const std::int32_t n = batch;
            tree_lookup_many(f.child.data(), f.state.data(), &f.capacity, &n, k, levels, values,
                             statuses);
            break;
        }
        }
        benchmark::DoNotOptimize(values);
        benchmark::ClobberMemory();
        first = (first + batch) & (query_count - 1);
    }
    st.counters["ns_per_key"] = benchmark::Counter(static_cast<double>(batch),
                                                   benchmark::Counter::kIsIterationInvariantRate |
                                                       benchmark::Counter::kInvert);
}

// Collects ns per key by name for the closing table of ratios.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> ns;
    void ReportRuns(const std::vector<Run>& runs) override
    {
        // The fastest repetition: the one least disturbed by other work.
        for (const Run& r : runs)
            if (r.run_type == Run::RT_Iteration && r.counters.count("ns_per_key")) {
                const double t = r.counters.at("ns_per_key").value * 1e9;
                auto [it, fresh] = ns.emplace(r.run_name.function_name, t);
                if (!fresh && t < it->second)
                    it->second = t;
            }
        ConsoleReporter::ReportRuns(runs);
    }
};

std::string name_of(std::int64_t nodes, int order, int variant)
{
    return "lookup/" + std::to_string(nodes) + "/" + order_names[order] + "/" +
           variant_names[variant];
}

}  // namespace

int main(int argc, char** argv)
{
    std::vector<std::int64_t> sizes{1000000, 10000000};
    for (int a = 1; a < argc; ++a)
        if (std::strncmp(argv[a], "--sizes=", 8) == 0) {
            sizes.clear();
            for (const char* p = argv[a] + 8; *p;) {
                char* end;
                sizes.push_back(std::strtoll(p, &end, 10));
                p = *end == ',' ? end + 1 : end;
            }
            argv[a--] = argv[--argc];
        }
    benchmark::Initialize(&argc, argv);
    for (std::int64_t nodes : sizes)
        for (int order = 0; order < 2; ++order)
            for (int v = map_find; v <= many; ++v)
                benchmark::RegisterBenchmark(
                    name_of(nodes, order, v).c_str(),
                    [=](benchmark::State& st) { run(st, static_cast<Variant>(v), order, nodes); });
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nns per key, and the time over the map's find\n");
    std::printf("%-10s %-7s %9s %15s %15s %15s\n", "nodes", "keys", "map", "walk", "lookup",
                "many");
    for (std::int64_t nodes : sizes)
        for (int order = 0; order < 2; ++order) {
            const auto at = [&](int v) {
                const auto it = reporter.ns.find(name_of(nodes, order, v));
                return it == reporter.ns.end() ? 0.0 : it->second;
            };
            if (at(map_find) == 0)
                continue;
            std::printf("%-10lld %-7s %9.1f", static_cast<long long>(nodes), order_names[order],
                        at(map_find));
            for (int v = walk; v <= many; ++v)
                std::printf(" %7.1f (%4.2fx)", at(v), at(v) / at(map_find));
            std::printf("\n");
        }
    benchmark::Shutdown();
    return 0;
}
