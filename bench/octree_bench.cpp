// tree_lookup and tree_put_value on a tree of about a million nodes, beside
// (a) a literal descent: the digit array unpacked by division, one function
//     call per step down the tree, and
// (b) a std::unordered_map holding every leaf value under the leaf's exact
//     key (an easier question: the tree finds the leaf containing any finer
//     key, the map needs the leaf's own key).
// Queries are random level-18 keys; every one reaches a "T" leaf, so the put
// calls answer "T" and change nothing.  Argument 1000000: the tree of about a
// million nodes (uniform to level 6, random paths down to level 11), 44 MB,
// larger than the last-level cache; argument 20000: a tree uniform to level 4
// with random paths down to level 9, 0.9 MB, which stays in cache and shows
// the cost of the instructions alone.
#include "cellkeys.h"

#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <random>
#include <unordered_map>
#include <vector>

namespace {

constexpr std::int32_t level_unit = 33554432;

// Allocator that totals the bytes the hash map holds.
std::size_t map_bytes = 0;
template <class T>
struct Counting {
    using value_type = T;
    Counting() = default;
    template <class U>
    Counting(const Counting<U>&)
    {}
    T* allocate(std::size_t n)
    {
        map_bytes += n * sizeof(T);
        return std::allocator<T>().allocate(n);
    }
    void deallocate(T* p, std::size_t n)
    {
        map_bytes -= n * sizeof(T);
        std::allocator<T>().deallocate(p, n);
    }
    template <class U>
    bool operator==(const Counting<U>&) const
    {
        return true;
    }
};
using LeafMap =
    std::unordered_map<std::uint64_t, std::int32_t, std::hash<std::uint64_t>, std::equal_to<>,
                       Counting<std::pair<const std::uint64_t, std::int32_t>>>;

std::uint64_t packed(const CellKey& key)
{
    return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(key.word2)) << 32) |
           static_cast<std::uint32_t>(key.word1);
}

// The key's first `level` digits, at that level.
CellKey truncated(const CellKey& key, std::int32_t level)
{
    CellKey out;
    if (level <= 10) {
        out.word1 = key.word1 & ((1 << (3 * level)) - 1);
        out.word2 = level * level_unit;
    } else {
        out.word1 = key.word1;
        out.word2 = level * level_unit + (key.word2 & ((1 << (3 * (level - 10))) - 1));
    }
    return out;
}

CellKey child_key(const CellKey& key, std::int32_t level, std::int32_t digit)
{
    CellKey out = key;
    const std::int32_t next = level + 1;
    if (next <= 10) {
        out.word1 |= digit << (3 * (next - 1));
    } else {
        out.word2 |= digit << (3 * (next - 11));
    }
    out.word2 = (out.word2 % level_unit) + next * level_unit;
    return out;
}

struct Fixture {
    std::int32_t capacity;
    std::int32_t count = 0;
    std::vector<std::int32_t> parent, child;
    std::vector<char> state;
    LeafMap map;
    std::vector<CellKey> queries;
    std::vector<std::uint64_t> leaf_of_query;

    explicit Fixture(std::int32_t nodes)
        : capacity(nodes + 100), parent(capacity), child(8 * capacity), state(8 * capacity)
    {
        // Cells of levels 1..uniform get nodes: leaves at level uniform + 1.
        const std::int32_t uniform = nodes >= 1000000 ? 5 : 3;
        ck_fill_tables();
        std::mt19937 rng(2024);
        tree_reset(parent.data(), child.data(), state.data(), &capacity, &count);
        char status;
        for (std::int32_t level = 1; level <= uniform; ++level) {
            for (std::int32_t code = 0; code < (1 << (3 * level)); ++code) {
                CellKey key{code, level * level_unit};
                tree_refine(parent.data(), child.data(), state.data(), &capacity, &count, &key,
                            &status);
            }
        }
        // Random deeper refinement: paths down to up to six levels deeper.
        while (count < nodes) {
            CellKey key{static_cast<std::int32_t>(rng() & 0x3fffffff),
                        18 * level_unit + static_cast<std::int32_t>(rng() & 0xffffff)};
            key = truncated(key, uniform + 1 + static_cast<std::int32_t>(rng() % 6));
            do {
                tree_refine(parent.data(), child.data(), state.data(), &capacity, &count, &key,
                            &status);
            } while (status == 'N' && count < nodes);
        }
        // Values on the leaves, each also stored in the map under its key.
        struct Item {
            std::int32_t node, level;
            CellKey key;
        };
        std::vector<Item> stack{{1, 0, CellKey{0, 0}}};
        while (!stack.empty()) {
            const Item at = stack.back();
            stack.pop_back();
            for (std::int32_t j = 0; j < 8; ++j) {
                const std::size_t slot = static_cast<std::size_t>(at.node - 1) * 8 + j;
                const CellKey key = child_key(at.key, at.level, j);
                if (state[slot] == 'N') {
                    stack.push_back({child[slot], at.level + 1, key});
                } else {
                    const std::int32_t value = static_cast<std::int32_t>(rng());
                    tree_put_value(child.data(), state.data(), &capacity, &key, &value, &status);
                    map.emplace(packed(key), value);
                }
            }
        }
        for (int i = 0; i < (1 << 20); ++i) {
            const CellKey key{static_cast<std::int32_t>(rng() & 0x3fffffff),
                              18 * level_unit + static_cast<std::int32_t>(rng() & 0xffffff)};
            std::int32_t level, value;
            tree_lookup(child.data(), state.data(), &capacity, &key, &level, &value, &status);
            queries.push_back(key);
            leaf_of_query.push_back(packed(truncated(key, level)));
        }
    }
};

// One tree per size, built on first use; the map's memory is counted apart.
std::size_t map_bytes_of_size[2];
Fixture& fixture(std::int64_t nodes)
{
    static Fixture* built[2] = {nullptr, nullptr};
    const int which = nodes >= 1000000 ? 0 : 1;
    if (!built[which]) {
        const std::size_t before = map_bytes;
        built[which] = new Fixture(static_cast<std::int32_t>(nodes));
        map_bytes_of_size[which] = map_bytes - before;
    }
    return *built[which];
}
std::size_t map_bytes_for(std::int64_t nodes)
{
    return map_bytes_of_size[nodes >= 1000000 ? 0 : 1];
}

// (a) The descent transcribed literally: level and digits by signed division,
// a 20-entry digit array, one call per step.
void literal_digits(const CellKey* key, std::int32_t* digits)
{
    const std::int32_t level = key->word2 / ck_tables[25];
    const std::int32_t words = (level - 1) / 10 + 1;
    const std::int32_t* word = &key->word1;
    std::int32_t p = 0;
    for (std::int32_t w = 0; w < words; ++w) {
        std::int32_t v = word[w];
        const std::int32_t n = w + 1 < words ? 10 : level - 10 * (words - 1);
        digits[p++] = v % 8;
        for (std::int32_t i = 1; i < n; ++i) {
            v = v / 8;
            digits[p++] = v % 8;
        }
    }
    while (p < 20) {
        digits[p++] = 0;
    }
}
__attribute__((noinline)) void literal_digits_call(const CellKey* key, std::int32_t* digits)
{
    literal_digits(key, digits);
}

__attribute__((noinline)) bool literal_step(const std::int32_t* child, const char* state,
                                            std::int32_t* node, std::int32_t digit, std::int32_t k,
                                            std::int32_t last, char* letter)
{
    const std::int32_t at = (*node - 1) * 8 + digit;
    *letter = state[at];
    if (*letter == 'N' && k < last) {
        *node = child[at];
        return true;
    }
    return false;
}

struct LiteralEnd {
    std::int32_t at, level;
    char letter;
};

LiteralEnd literal_walk(const std::int32_t* child, const char* state, const CellKey* key)
{
    std::int32_t digits[20];
    literal_digits_call(key, digits);
    const std::int32_t last = key->word2 / ck_tables[25];
    std::int32_t node = 1, k = 1;
    char letter;
    while (literal_step(child, state, &node, digits[k - 1], k, last, &letter)) {
        ++k;
    }
    return {(node - 1) * 8 + digits[k - 1], k, letter};
}

void report_memory(benchmark::State& state, double bytes)
{
    state.counters["MB"] = bytes / 1e6;
}

double tree_bytes(const Fixture& f)
{
    return static_cast<double>(f.count) * (4 + 8 * 4 + 8);
}

void BM_tree_lookup(benchmark::State& state)
{
    Fixture& f = fixture(state.range(0));
    std::size_t i = 0;
    for (auto _ : state) {
        const CellKey& key = f.queries[i++ & (f.queries.size() - 1)];
        std::int32_t level, value;
        char status;
        tree_lookup(f.child.data(), f.state.data(), &f.capacity, &key, &level, &value, &status);
        benchmark::DoNotOptimize(value);
    }
    report_memory(state, tree_bytes(f));
}

void BM_literal_lookup(benchmark::State& state)
{
    Fixture& f = fixture(state.range(0));
    std::size_t i = 0;
    for (auto _ : state) {
        const CellKey& key = f.queries[i++ & (f.queries.size() - 1)];
        const LiteralEnd end = literal_walk(f.child.data(), f.state.data(), &key);
        std::int32_t value = end.letter == 'N' || end.letter == 'T' ? f.child[end.at] : 0;
        benchmark::DoNotOptimize(value);
    }
    report_memory(state, tree_bytes(f));
}

void BM_hash_lookup(benchmark::State& state)
{
    Fixture& f = fixture(state.range(0));
    std::size_t i = 0;
    for (auto _ : state) {
        const auto it = f.map.find(f.leaf_of_query[i++ & (f.leaf_of_query.size() - 1)]);
        std::int32_t value = it != f.map.end() ? it->second : 0;
        benchmark::DoNotOptimize(value);
    }
    report_memory(state, static_cast<double>(map_bytes_for(state.range(0))));
}

void BM_tree_put_value(benchmark::State& state)
{
    Fixture& f = fixture(state.range(0));
    std::size_t i = 0;
    const std::int32_t value = 1;
    for (auto _ : state) {
        const CellKey& key = f.queries[i++ & (f.queries.size() - 1)];
        char status;
        tree_put_value(f.child.data(), f.state.data(), &f.capacity, &key, &value, &status);
        benchmark::DoNotOptimize(status);
    }
    report_memory(state, tree_bytes(f));
}

void BM_literal_put_value(benchmark::State& state)
{
    Fixture& f = fixture(state.range(0));
    std::size_t i = 0;
    const std::int32_t value = 1;
    for (auto _ : state) {
        const CellKey& key = f.queries[i++ & (f.queries.size() - 1)];
        const LiteralEnd end = literal_walk(f.child.data(), f.state.data(), &key);
        char status = end.letter;
        if (end.letter == 'U' || end.letter == 'O') {
            f.child[end.at] = value;
            f.state[end.at] = 'T';
            status = 'N';
        }
        benchmark::DoNotOptimize(status);
    }
    report_memory(state, tree_bytes(f));
}

void BM_hash_put_value(benchmark::State& state)
{
    Fixture& f = fixture(state.range(0));
    std::size_t i = 0;
    for (auto _ : state) {
        // Stores only where no value is held, as tree_put_value does.
        const bool stored =
            f.map.try_emplace(f.leaf_of_query[i++ & (f.leaf_of_query.size() - 1)], 1).second;
        benchmark::DoNotOptimize(stored);
    }
    report_memory(state, static_cast<double>(map_bytes_for(state.range(0))));
}

}  // namespace

BENCHMARK(BM_tree_lookup)->Arg(1000000)->Arg(20000);
BENCHMARK(BM_literal_lookup)->Arg(1000000)->Arg(20000);
BENCHMARK(BM_hash_lookup)->Arg(1000000)->Arg(20000);
BENCHMARK(BM_tree_put_value)->Arg(1000000)->Arg(20000);
BENCHMARK(BM_literal_put_value)->Arg(1000000)->Arg(20000);
BENCHMARK(BM_hash_put_value)->Arg(1000000)->Arg(20000);

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    for (std::int64_t nodes : {1000000, 20000}) {
        const Fixture& f = fixture(nodes);
        std::printf("tree %lld: %d nodes, %zu leaf values, %.1f MB; map %.1f MB; %zu queries\n",
                    static_cast<long long>(nodes), f.count, f.map.size(), tree_bytes(f) / 1e6,
                    map_bytes_for(nodes) / 1e6, f.queries.size());
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
