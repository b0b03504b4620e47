// ck_sort_keys and lookups of keys in random order, in one run:
//
//   sort     ck_sort_keys against std::stable_sort of the slots with
//            ck_collate as the comparison, on random keys of levels 10 to 18;
//   lookups  on the one- and ten-million-node trees of lookup_bench (see
//            lookup_trees.hpp), the same keys in random order:
//              map       std::unordered_map::find of each key's answering
//                        cell (the key truncated to the level tree_lookup
//                        reports), the baseline;
//              random    tree_lookup_many over the keys as they come;
//              path      tree_lookup_many over the keys already in path order;
//              sorted    ck_sort_keys, the keys gathered in that order,
//                        tree_lookup_many, the answers scattered back to the
//                        keys' own places: what a caller does with keys in
//                        random order; its phases are shown beside it.
//
// Every figure is CPU ns per key (of the thread), the fastest of the repetitions; ratios are
// over std::stable_sort's time and over the map's.  The answers of "sorted"
// are checked against the map's, and the sort's order against the
// std::stable_sort's.  The ten-million-node tree and its map take about
// 1 GB and some 30 s to build.
//
//   sort_bench [--keys=2000000] [--block=65536] [--sizes=1000000,10000000]
//              [--repetitions=5]
#include "cellkeys.h"
#include "lookup_trees.hpp"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <numeric>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

using namespace lookup_trees;

// CPU time of this thread: on a machine shared with other work, time spent
// waiting for the processor does not count.
double now_ns()
{
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return 1e9 * static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec);
}

// Random well-formed keys of levels 10 to 18, as a key array.
std::vector<std::int32_t> random_keys(std::size_t n, std::mt19937_64& rng)
{
    std::vector<std::int32_t> keys;
    keys.reserve(2 * n);
    for (std::size_t k = 0; k < n; ++k) {
        const CellKey key = truncated(random_key(rng), 10 + static_cast<std::int32_t>(rng() % 9));
        keys.push_back(key.word1);
        keys.push_back(key.word2);
    }
    return keys;
}

const CellKey* as_keys(const std::vector<std::int32_t>& keys)
{
    return reinterpret_cast<const CellKey*>(keys.data());
}

struct Sorter {
    std::vector<std::int32_t> order, work;
    explicit Sorter(std::size_t n) : order(n), work(5 * n + ck_sort_count_words) {}
    void sort(const std::vector<std::int32_t>& keys)
    {
        const auto n = static_cast<std::int32_t>(order.size());
        ck_sort_keys(&n, keys.data(), order.data(), work.data());
    }
};

std::vector<std::int32_t> stable_sort_by_collate(const std::vector<std::int32_t>& keys)
{
    const CellKey* k = as_keys(keys);
    std::vector<std::int32_t> order(keys.size() / 2);
    std::iota(order.begin(), order.end(), 1);
    std::stable_sort(order.begin(), order.end(), [k](std::int32_t a, std::int32_t b) {
        std::int32_t r;
        ck_collate(&k[a - 1], &k[b - 1], &r);
        return r < 0;
    });
    return order;
}

void sort_figures(const std::vector<std::int32_t>& keys, int repetitions)
{
    const std::size_t n = keys.size() / 2;
    Sorter s(n);
    double radix = 1e300, reference = 1e300;
    std::vector<std::int32_t> expected;
    for (int r = 0; r < repetitions; ++r) {
        double t = now_ns();
        s.sort(keys);
        radix = std::min(radix, now_ns() - t);
        // The comparison sort takes seconds: two rounds are enough.
        if (r < 2) {
            t = now_ns();
            expected = stable_sort_by_collate(keys);
            reference = std::min(reference, now_ns() - t);
        }
    }
    const double per = static_cast<double>(n);
    std::printf("sort, %zu random keys of levels 10..18, ns per key\n", n);
    std::printf("  %-40s %8.1f\n", "std::stable_sort with ck_collate", reference / per);
    std::printf("  %-40s %8.1f   %.1fx faster%s\n", "ck_sort_keys", radix / per, reference / radix,
                s.order == expected ? "" : "   WRONG ORDER");
}

// Time spent in each step of the sorted lookups.
struct Phases {
    double sort = 0, gather = 0, many = 0, scatter = 0;
    double total() const { return sort + gather + many + scatter; }
};

// The caller's composition on the keys of slots first + 1 .. first + m:
// ck_sort_keys, the keys gathered in that order, tree_lookup_many, and the
// answers scattered back to the keys' own places.  After the sort, work
// holds the gathered keys (2m words) and the answers in path order (3m).
void sorted_lookups(const Tree& tree, const std::vector<std::int32_t>& keys, std::size_t first,
                    std::size_t m, Sorter& s, std::int32_t* levels, std::int32_t* values,
                    char* statuses, Phases& p)
{
    const auto count = static_cast<std::int32_t>(m);
    const std::int32_t* from = keys.data() + 2 * first;
    std::int32_t* order = s.order.data();
    std::int32_t* work = s.work.data();
    const double t0 = now_ns();
    ck_sort_keys(&count, from, order, work);
    const double t1 = now_ns();
    for (std::size_t k = 0; k < m; ++k) {
        const std::size_t at = 2 * std::size_t(order[k]) - 2;
        work[2 * k] = from[at];
        work[2 * k + 1] = from[at + 1];
    }
    const double t2 = now_ns();
    std::int32_t* found_levels = work + 2 * m;
    std::int32_t* found_values = work + 3 * m;
    char* found_statuses = reinterpret_cast<char*>(work + 4 * m);
    tree_lookup_many(tree.child.data(), tree.state.data(), &tree.capacity, &count, work,
                     found_levels, found_values, found_statuses);
    const double t3 = now_ns();
    for (std::size_t k = 0; k < m; ++k) {
        const std::size_t at = first + std::size_t(order[k]) - 1;
        levels[at] = found_levels[k];
        values[at] = found_values[k];
        statuses[at] = found_statuses[k];
    }
    const double t4 = now_ns();
    p.sort += t1 - t0;
    p.gather += t2 - t1;
    p.many += t3 - t2;
    p.scatter += t4 - t3;
}

void lookup_figures(std::int32_t nodes, const std::vector<std::int32_t>& keys, std::size_t block,
                    int repetitions)
{
    const std::size_t n = keys.size() / 2;
    const auto count = static_cast<std::int32_t>(n);
    std::mt19937_64 rng(2024);
    const Tree tree(nodes, rng);
    // The map holds each key's answering cell, filled up to as many keys as
    // the tree has nodes.
    std::unordered_map<std::uint64_t, std::int32_t> map;
    map.reserve(std::max(n, static_cast<std::size_t>(nodes)));
    std::vector<std::uint64_t> leaf_keys(n);
    for (std::size_t k = 0; k < n; ++k) {
        const CellKey key{keys[2 * k], keys[2 * k + 1]};
        std::int32_t level, value;
        char status;
        tree_lookup(tree.child.data(), tree.state.data(), &tree.capacity, &key, &level, &value,
                    &status);
        leaf_keys[k] = packed(truncated(key, level));
        map.emplace(leaf_keys[k], value);
    }
    while (map.size() < static_cast<std::size_t>(nodes))
        map.emplace(packed(truncated(random_key(rng), 7 + static_cast<int>(rng() % 12))), 0);

    Sorter s(n);
    s.sort(keys);
    std::vector<std::int32_t> in_path_order(2 * n);
    for (std::size_t k = 0; k < n; ++k) {
        in_path_order[2 * k] = keys[2 * std::size_t(s.order[k]) - 2];
        in_path_order[2 * k + 1] = keys[2 * std::size_t(s.order[k]) - 1];
    }
    std::vector<std::int32_t> map_values(n), levels(n), values(n);
    std::vector<char> statuses(n);
    const auto many = [&](const std::vector<std::int32_t>& k, std::int32_t* l, std::int32_t* v,
                          char* st) {
        tree_lookup_many(tree.child.data(), tree.state.data(), &tree.capacity, &count, k.data(), l,
                         v, st);
    };
    double map_time = 1e300, random = 1e300, path = 1e300;
    // Sorted as one array, and in blocks of `block` keys.
    Phases sorted[2] = {{1e300, 1e300, 1e300, 1e300}, {1e300, 1e300, 1e300, 1e300}};
    bool same = true;
    for (int r = 0; r < repetitions; ++r) {
        double t = now_ns();
        for (std::size_t k = 0; k < n; ++k) {
            const auto it = map.find(leaf_keys[k]);
            map_values[k] = it != map.end() ? it->second : 0;
        }
        map_time = std::min(map_time, now_ns() - t);

        t = now_ns();
        many(keys, levels.data(), values.data(), statuses.data());
        random = std::min(random, now_ns() - t);

        t = now_ns();
        many(in_path_order, levels.data(), values.data(), statuses.data());
        path = std::min(path, now_ns() - t);

        for (int b = 0; b < 2; ++b) {
            const std::size_t step = b == 0 ? n : std::min(n, block);
            Phases p;
            for (std::size_t first = 0; first < n; first += step)
                sorted_lookups(tree, keys, first, std::min(step, n - first), s, levels.data(),
                               values.data(), statuses.data(), p);
            if (p.total() < sorted[b].total())
                sorted[b] = p;
            same = same && values == map_values;
        }
    }
    const double per = static_cast<double>(n);
    std::printf("%-9d %7.1f %7.1f (%4.2fx) %7.1f (%4.2fx)", nodes, map_time / per, random / per,
                random / map_time, path / per, path / map_time);
    for (const Phases& p : sorted)
        std::printf(" %7.1f (%4.2fx) %4.1f %4.1f %4.1f %4.1f", p.total() / per,
                    p.total() / map_time, p.sort / per, p.gather / per, p.many / per,
                    p.scatter / per);
    std::printf("%s\n", same ? "" : "   WRONG ANSWERS");
    std::fflush(stdout);
}

std::vector<long long> numbers(const char* list)
{
    std::vector<long long> out;
    for (const char* p = list; *p;) {
        char* end;
        out.push_back(std::strtoll(p, &end, 10));
        if (end == p)
            break;
        p = *end == ',' ? end + 1 : end;
    }
    return out;
}

}  // namespace

int main(int argc, char** argv)
{
    long long key_count = 2000000, block = 65536;
    std::vector<long long> sizes{1000000, 10000000};
    int repetitions = 5;
    for (int a = 1; a < argc; ++a) {
        if (std::strncmp(argv[a], "--keys=", 7) == 0)
            key_count = std::atoll(argv[a] + 7);
        else if (std::strncmp(argv[a], "--block=", 8) == 0)
            block = std::atoll(argv[a] + 8);
        else if (std::strncmp(argv[a], "--sizes=", 8) == 0)
            sizes = numbers(argv[a] + 8);
        else if (std::strncmp(argv[a], "--repetitions=", 14) == 0)
            repetitions = std::atoi(argv[a] + 14);
        else {
            std::fprintf(stderr, "sort_bench: unknown argument %s\n", argv[a]);
            return 2;
        }
    }
    if (key_count < 1 || key_count > 100000000 || block < 1 || repetitions < 1) {
        std::fprintf(stderr, "sort_bench: --keys must be 1..100000000, --block and "
                             "--repetitions at least 1\n");
        return 2;
    }
    std::mt19937_64 rng(2026);
    const std::vector<std::int32_t> keys = random_keys(static_cast<std::size_t>(key_count), rng);
    sort_figures(keys, repetitions);
    std::printf("\nlookups of the same keys in random order: ns per key, (the time over the "
                "map's),\nand for the sorted lookups the steps sort, gather, many, scatter\n");
    std::printf("%-9s %7s %15s %15s %35s %35s\n", "nodes", "map", "random", "path order",
                "sorted whole", ("sorted in blocks of " + std::to_string(block)).c_str());
    for (long long nodes : sizes)
        if (nodes >= 1 && nodes <= 100000000)
            lookup_figures(static_cast<std::int32_t>(nodes), keys, static_cast<std::size_t>(block),
                           repetitions);
    return 0;
}
