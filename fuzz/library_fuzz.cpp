// Every library routine driven with arbitrary arguments: levels, axes,
// octants, directions and slots near and far beyond their limits, keys with
// any words, octree call sequences with any keys, levels, counts and letters
// (batched lookups checked against single ones), saved random states with
// any reals.  Every array and every argument is a separate guarded block
// sized as the caller's interface says, so touching anything outside them
// stops the run.
#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

#include "cellkeys.h"
#include "fuzz_target.hpp"
#include "guarded.hpp"

namespace {

using cellkeys_fuzz::Bytes;
using cellkeys_fuzz::Guarded;

constexpr int pool_size = 4;

struct Scalar {
    Guarded<std::int32_t> g{1};
    std::int32_t* operator&() { return g.get(); }
    void set(std::int32_t v) { g[0] = v; }
};

struct Letter {
    Guarded<char> g{1};
    char* operator&() { return g.get(); }
};

struct World {
    explicit World(Bytes& in)
        : rows(1 + in.byte() % 40),
          parent(rows),
          child(8 * std::size_t(rows)),
          state(8 * std::size_t(rows)),
          slots(in.byte() % 24),
          keys(2 * std::size_t(slots)),
          keys0(2 * std::size_t(slots + 1)),
          levels(slots),
          values(slots),
          statuses(slots),
          compact_slots(in.byte() % 24),
          compact(2 * std::size_t(compact_slots))
    {}

    void check()
    {
        for (auto& k : key)
            k.check();
        for (Scalar* s : {std::addressof(a), std::addressof(b), std::addressof(c),
                          std::addressof(d), std::addressof(e), std::addressof(out1),
                          std::addressof(out2), std::addressof(out3), std::addressof(count)})
            s->g.check();
        letter.g.check();
        digits.check();
        bits.check();
        parent.check();
        child.check();
        state.check();
        keys.check();
        keys0.check();
        levels.check();
        values.check();
        statuses.check();
        one_key.check();
        compact.check();
        saved.check();
        saved_second.check();
    }

    const std::int32_t rows;
    Guarded<CellKey> key[pool_size] = {Guarded<CellKey>(1), Guarded<CellKey>(1),
                                       Guarded<CellKey>(1), Guarded<CellKey>(1)};
    Scalar a, b, c, d, e, out1, out2, out3, count;
    Letter letter;
    Guarded<std::int32_t> digits{20};
    Guarded<std::int32_t> bits{64};
    Guarded<std::int32_t> parent;
    Guarded<std::int32_t> child;
    Guarded<char> state;
    const std::int32_t slots;
    Guarded<std::int32_t> keys;
    Guarded<std::int32_t> keys0;
    Guarded<std::int32_t> levels;  // the answers of a batch of lookups
    Guarded<std::int32_t> values;
    Guarded<char> statuses;
    Guarded<CellKey> one_key{1};  // a key of the batch, looked up alone
    const std::int32_t compact_slots;
    Guarded<std::int32_t> compact;
    Guarded<double> saved{100};
    Guarded<double> saved_second{102};
};

// A key: any two words, any level field over arbitrary digits, or a copy
// of one already in the pool.
void fill_key(Bytes& in, World& w, CellKey* k)
{
    switch (in.byte() % 4) {
    case 0:
        k->word1 = in.word();
        k->word2 = in.word();
        break;
    case 1:
        k->word1 = in.word();
        k->word2 = static_cast<std::int32_t>((static_cast<std::uint32_t>(in.word()) & 0x1FFFFFFu) |
                                             (static_cast<std::uint32_t>(in.arg()) << 25));
        break;
    case 2:
        k->word1 = in.word() & 0x3FFFFFFF;
        k->word2 = (in.word() & 0xFFFFFF) | ((in.byte() % 21) << 25);
        break;
    default: *k = w.key[in.byte() % pool_size][0]; break;
    }
}

CellKey* pick(Bytes& in, World& w)
{
    return w.key[in.byte() % pool_size].get();
}

// A capacity no larger than the rows really there: mostly all of them,
// sometimes fewer, zero or negative.
std::int32_t capacity_within(Bytes& in, std::int32_t real)
{
    if (in.byte() % 4 != 0)
        return real;
    return std::min(in.arg(), real);
}

void step(Bytes& in, World& w)
{
    // 47..55: the random streams; 56: a batch of lookups.  Bytes below 56
    // keep their meaning, so saved inputs replay as they were found.
    const std::uint8_t op = in.byte() % 57;
    switch (op) {
    case 0: fill_key(in, w, pick(in, w)); break;
    case 1: ck_get_level(pick(in, w), &w.out1); break;
    case 2: ck_to_octal_digits(pick(in, w), w.digits.get()); break;
    case 3:
        w.a.set(in.arg());
        ck_set_level(pick(in, w), &w.a);
        break;
    case 4: ck_clear(pick(in, w)); break;
    case 5: ck_duplicate(pick(in, w), pick(in, w)); break;
    case 6:
        w.a.set(capacity_within(in, w.slots));
        w.b.set(in.arg());
        w.c.set(in.arg());
        ck_slot_assign(w.keys.get(), &w.a, &w.b, &w.c);
        break;
    case 7:
        w.a.set(in.arg());
        w.b.set(in.arg());
        w.c.set(in.word());
        w.d.set(in.arg());
        ck_from_ijk(pick(in, w), &w.a, &w.b, &w.c, &w.d);
        break;
    case 8:
        w.a.set(in.arg());
        ck_to_ijk(pick(in, w), &w.a, &w.out1, &w.out2, &w.out3);
        break;
    case 9:
        for (int k = 0; k < 20; ++k)
            w.digits[k] = in.arg();
        ck_from_octal_digits(pick(in, w), w.digits.get());
        break;
    case 10: ck_from_octal_digits(pick(in, w), w.digits.get()); break;
    case 11: ck_to_bits(pick(in, w), w.bits.get()); break;
    case 12:
        for (int k = 0; k < 64; ++k)
            w.bits[k] = in.byte() < 0xF0 ? in.byte() & 1 : in.arg();
        ck_from_bits(pick(in, w), w.bits.get());
        break;
    case 13: ck_from_bits(pick(in, w), w.bits.get()); break;
    case 14: ck_own_digit(pick(in, w), &w.out1); break;
    case 15:
        w.a.set(in.arg());
        ck_digit_at(pick(in, w), &w.a, &w.out1);
        break;
    case 16: ck_print(pick(in, w)); break;
    case 17:
        w.a.set(in.arg());
        ck_to_child(pick(in, w), &w.a);
        break;
    case 18: ck_to_parent(pick(in, w)); break;
    case 19:
        w.a.set(in.arg());
        ck_truncate_to(pick(in, w), &w.a);
        break;
    case 20:
        w.a.set(in.arg());
        ck_truncate_into(pick(in, w), pick(in, w), &w.a);
        break;
    case 21:
        ck_collate(pick(in, w), pick(in, w), &w.out1);
        FUZZ_CHECK(w.out1.g[0] >= -1 && w.out1.g[0] <= 1);
        break;
    case 22:
        w.a.set(in.arg());
        ck_collate_at(pick(in, w), pick(in, w), &w.a, &w.out1);
        FUZZ_CHECK(w.out1.g[0] >= -1 && w.out1.g[0] <= 1);
        break;
    case 23: ck_next_cell(pick(in, w)); break;
    case 24: ck_prev_cell(pick(in, w)); break;
    case 25:
        w.a.set(in.arg());
        ck_next_cell_at(pick(in, w), &w.a);
        break;
    case 26:
        w.a.set(in.arg());
        ck_prev_cell_at(pick(in, w), &w.a);
        break;
    case 27:
        w.a.set(in.arg());
        w.b.set(in.arg());
        w.c.set(in.arg());
        ck_axis_neighbour(pick(in, w), w.bits.get(), &w.a, &w.b, &w.c);
        break;
    case 28:
        w.a.set(capacity_within(in, w.slots));
        w.b.set(in.arg());
        ck_write_slot(pick(in, w), w.keys.get(), &w.a, &w.b);
        break;
    case 29:
        w.a.set(capacity_within(in, w.slots));
        w.b.set(in.arg());
        ck_read_slot(pick(in, w), w.keys.get(), &w.a, &w.b);
        break;
    case 30:
        w.a.set(capacity_within(in, w.slots));
        w.b.set(in.arg());
        ck_write_slot0(pick(in, w), w.keys0.get(), &w.a, &w.b);
        break;
    case 31:
        w.a.set(capacity_within(in, w.slots));
        w.b.set(in.arg());
        ck_read_slot0(pick(in, w), w.keys0.get(), &w.a, &w.b);
        break;
    case 32:
        w.a.set(capacity_within(in, w.slots));
        w.b.set(in.arg());
        w.c.set(in.arg());
        ck_slot_to_slot(w.keys.get(), &w.a, &w.b, &w.c);
        break;
    case 33:
        w.a.set(capacity_within(in, w.slots));
        w.b.set(in.arg());
        w.c.set(in.arg());
        w.d.set(in.arg());
        ck_slide_block(w.keys.get(), &w.a, &w.b, &w.c, &w.d);
        break;
    case 34:
    case 35:
        w.a.set(capacity_within(in, w.compact_slots));
        w.b.set(capacity_within(in, w.slots));
        w.c.set(in.arg());
        w.d.set(in.arg());
        if (op == 34)
            ck_gather_range(w.compact.get(), &w.a, w.keys.get(), &w.b, &w.c, &w.d);
        else
            ck_scatter_range(w.compact.get(), &w.a, w.keys.get(), &w.b, &w.c, &w.d);
        break;
    case 36:
    case 37:
        w.a.set(capacity_within(in, w.rows));
        if (op == 36)
            tree_reset(w.parent.get(), w.child.get(), w.state.get(), &w.a, &w.count);
        else
            tree_reset_to_o(w.parent.get(), w.child.get(), w.state.get(), &w.a, &w.count);
        break;
    case 38:
        w.a.set(capacity_within(in, w.rows));
        tree_refine(w.parent.get(), w.child.get(), w.state.get(), &w.a, &w.count, pick(in, w),
                    &w.letter);
        break;
    case 39:
        w.a.set(capacity_within(in, w.rows));
        w.b.set(in.arg());
        w.letter.g[0] = static_cast<char>(in.byte());
        tree_refine_fill(w.parent.get(), w.child.get(), w.state.get(), &w.a, &w.count, pick(in, w),
                         &w.b, &w.letter);
        break;
    case 40:
    case 41:
    case 42:
        w.a.set(capacity_within(in, w.rows));
        w.b.set(in.word());
        if (op == 40)
            tree_put_value(w.child.get(), w.state.get(), &w.a, pick(in, w), &w.b, &w.letter);
        else if (op == 41)
            tree_put_value_if_free(w.child.get(), w.state.get(), &w.a, pick(in, w), &w.b,
                                   &w.letter);
        else
            tree_replace_value(w.child.get(), w.state.get(), &w.a, pick(in, w), &w.b, &w.letter);
        break;
    case 43:
        w.a.set(capacity_within(in, w.rows));
        tree_lookup(w.child.get(), w.state.get(), &w.a, pick(in, w), &w.out1, &w.out2, &w.letter);
        break;
    case 44:
        w.a.set(capacity_within(in, w.rows));
        w.letter.g[0] = static_cast<char>(in.byte());
        tree_mark_slot(w.child.get(), w.state.get(), &w.a, pick(in, w), &w.letter);
        break;
    case 45:
        w.a.set(capacity_within(in, w.rows));
        tree_print(w.parent.get(), w.child.get(), w.state.get(), &w.a, &w.count);
        break;
    case 46:
        // The tree's count or a slot's child word set to anything.
        if (in.byte() % 2)
            w.count.set(in.arg());
        else
            w.child[in.byte() % w.child.size()] = in.arg();
        break;
    case 56: {
        // The keys of the key array looked up at once: each answer is the
        // one tree_lookup gives for that key alone.
        w.a.set(capacity_within(in, w.rows));
        w.b.set(capacity_within(in, w.slots));
        tree_lookup_many(w.child.get(), w.state.get(), &w.a, &w.b, w.keys.get(), w.levels.get(),
                         w.values.get(), w.statuses.get());
        for (std::int32_t i = 0; i < w.b.g[0]; ++i) {
            w.one_key[0] = CellKey{w.keys[2 * std::size_t(i)], w.keys[2 * std::size_t(i) + 1]};
            tree_lookup(w.child.get(), w.state.get(), &w.a, w.one_key.get(), &w.out1, &w.out2,
                        &w.letter);
            FUZZ_CHECK(w.levels[std::size_t(i)] == w.out1.g[0]);
            FUZZ_CHECK(w.values[std::size_t(i)] == w.out2.g[0]);
            FUZZ_CHECK(w.statuses[std::size_t(i)] == w.letter.g[0]);
        }
        break;
    }
    default:
        // The random streams: seeding, draws, normal deviates, and states
        // saved, altered and loaded again.
        switch (const int k = in.byte() % 12; k) {
        case 0:
            w.a.set(in.word());
            w.b.set(in.word());
            rng_seed(&w.a, &w.b);
            break;
        case 1: {
            const double u = rng_draw(&w.a);
            FUZZ_CHECK(u >= 0.0 && u < 1.0);
            break;
        }
        case 2:
            w.a.set(in.word());
            w.b.set(in.word());
            rng_start_second(&w.a, &w.b);
            break;
        case 3: {
            const double u = rng_draw_second(&w.a);
            FUZZ_CHECK(u >= 0.0 && u < 1.0);
            break;
        }
        case 4: rng_normal(&w.a); break;
        case 5: rng_normal_second(&w.a); break;
        case 6: rng_save_state(w.saved.get()); break;
        case 7: rng_save_state_second(w.saved_second.get()); break;
        case 8: rng_load_state(w.saved.get()); break;
        case 9: rng_load_state_second(w.saved_second.get()); break;
        case 10:
        default: {
            // One item of a saved state, or all 97 words of its lag table,
            // set to any real.
            Guarded<double>& saved = k == 10 ? w.saved : w.saved_second;
            const std::size_t item = in.byte();
            const double v = in.real();
            if (item < saved.size())
                saved[item] = v;
            else
                for (std::size_t m = 0; m < 97; ++m)
                    saved[m] = v;
            break;
        }
        }
        break;
    }
}

// ck_sort_keys on keys made from the key array and the pool as the steps
// left them, each copied 100 to 355 times at every level field from -1 to 22
// taken in turn (ties, ancestors, stale digits, levels past 18): the order
// is a permutation, and restricted to the well-formed keys, and to the keys
// with level fields past 18, it is what a stable sort by ck_collate gives
// (each a set on which ck_collate is an order).
void check_sort(Bytes& in, World& w)
{
    std::vector<CellKey> base;
    for (std::int32_t s = 0; s < w.slots; ++s)
        base.push_back(CellKey{w.keys[2 * std::size_t(s)], w.keys[2 * std::size_t(s) + 1]});
    for (auto& k : w.key)
        base.push_back(k[0]);
    const std::size_t copies = 100 + in.byte();  // beyond sorting by insertion alone
    const auto n = static_cast<std::int32_t>(base.size() * copies);
    Guarded<std::int32_t> keys{2 * std::size_t(n)};
    Guarded<std::int32_t> order{std::size_t(n)};
    Guarded<std::int32_t> work{5 * std::size_t(n) + ck_sort_count_words};
    Guarded<std::int32_t> count{1};
    count[0] = n;
    for (std::int32_t i = 0; i < n; ++i) {
        const CellKey& b = base[std::size_t(i) % base.size()];
        const std::int32_t level = i % 24 - 1;
        keys[2 * std::size_t(i)] = b.word1;
        keys[2 * std::size_t(i) + 1] =
            static_cast<std::int32_t>((static_cast<std::uint32_t>(b.word2) & 0x1FFFFFFu) +
                                      static_cast<std::uint32_t>(level) * 0x2000000u);
    }
    ck_sort_keys(count.get(), keys.get(), order.get(), work.get());
    keys.check();
    order.check();
    work.check();
    count.check();
    const auto key_at = [&](std::int32_t slot) {
        return CellKey{keys[2 * std::size_t(slot - 1)], keys[2 * std::size_t(slot - 1) + 1]};
    };
    std::vector<bool> seen(std::size_t(n) + 1, false);
    for (std::int32_t k = 0; k < n; ++k) {
        FUZZ_CHECK(order[std::size_t(k)] >= 1 && order[std::size_t(k)] <= n);
        FUZZ_CHECK(!seen[std::size_t(order[std::size_t(k)])]);
        seen[std::size_t(order[std::size_t(k)])] = true;
    }
    const auto well_formed = [](const CellKey& k) {
        const std::int32_t level = k.word2 >> 25;
        const std::uint64_t path = (static_cast<std::uint64_t>(k.word2 & 0xFFFFFF) << 30) |
                                   static_cast<std::uint32_t>(k.word1);
        return k.word1 >= 0 && k.word1 < 0x40000000 && k.word2 >= 0 && level <= 18 &&
               (k.word2 & 0x1000000) == 0 && (path >> (3 * level)) == 0;
    };
    const auto past_18 = [](const CellKey& k) { return k.word2 >= 19 * 0x2000000; };
    for (const auto& in_set : {std::function<bool(const CellKey&)>(well_formed),
                               std::function<bool(const CellKey&)>(past_18)}) {
        std::vector<std::int32_t> sorted, expected;
        for (std::int32_t k = 0; k < n; ++k) {
            if (in_set(key_at(order[std::size_t(k)])))
                sorted.push_back(order[std::size_t(k)]);
            if (in_set(key_at(k + 1)))
                expected.push_back(k + 1);
        }
        std::stable_sort(expected.begin(), expected.end(), [&](std::int32_t a, std::int32_t b) {
            const CellKey x = key_at(a), y = key_at(b);
            std::int32_t r;
            ck_collate(&x, &y, &r);
            return r < 0;
        });
        FUZZ_CHECK(sorted == expected);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool ready = [] {
        ck_fill_tables();
        // ck_print and tree_print write standard output; their text is not
        // what is checked here.
        return std::freopen("/dev/null", "w", stdout) != nullptr;
    }();
    (void)ready;
    // The random-number records persist between calls; each input starts
    // from the never-seeded state so that it replays the same way alone.
    rng_state = RngState{};
    rng_state_second = RngState{};
    rng_normal_cache = RngNormalCache{};
    rng_normal_cache_second = RngNormalCache{};
    Bytes in(data, size);
    World w(in);
    for (int steps = 0; steps < 256 && !in.empty(); ++steps) {
        step(in, w);
        w.check();
    }
    check_sort(in, w);
    return 0;
}
