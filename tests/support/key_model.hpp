// Reference model of the cell keys for the tests and the benchmarks' literal
// baseline: every operation written the plain way, with digit and bit arrays
// indexed from 1 and signed division and remainder, taking its weights from
// a table of its own.  It shares no code with the library.
#ifndef CELLKEYS_TESTS_KEY_MODEL_HPP
#define CELLKEYS_TESTS_KEY_MODEL_HPP

#include <array>
#include <cstdint>
#include <string>

namespace keymodel {

struct Key {
    std::int32_t w1 = 0;
    std::int32_t w2 = 0;
    bool operator==(const Key&) const = default;
};

inline std::array<std::int32_t, 52> make_tables()
{
    std::array<std::int32_t, 52> t{};
    t[0] = 1;
    for (int k = 1; k <= 30; ++k)
        t[k] = 2 * t[k - 1];
    t[31] = 1;
    for (int k = 1; k <= 10; ++k)
        t[31 + k] = 8 * t[30 + k];
    t[42] = 30;
    t[43] = 24;
    t[44] = 10;
    t[45] = 8;
    t[47] = 54;
    t[46] = t[47] + 6;
    t[50] = 54;
    t[49] = 18;
    t[48] = t[49] + 2;
    t[51] = 28;
    return t;
}
// Not const, so that reads stay table reads as in the plain algorithms.
inline std::array<std::int32_t, 52> tab = make_tables();

inline std::int32_t level(Key k)
{
    return k.w2 / tab[25];
}
inline std::int32_t word(Key k, int w)
{
    return w == 1 ? k.w1 : k.w2;
}

// Digits 1..n into d[1..]; one digit of a word is taken even if its share is 0.
inline void unpack(Key key, int n, std::int32_t* d)
{
    int nw = (n - 1) / 10 + 1;
    int p = 0;
    for (int w = 1; w <= nw; ++w) {
        int share = (w < nw) ? 10 : n - 10 * (nw - 1);
        std::int32_t v = word(key, w);
        d[++p] = v % 8;
        for (int e = 1; e < share; ++e) {
            v = v / 8;
            d[++p] = v % 8;
        }
    }
}

inline Key repack(const std::int32_t* d, int n, int m)
{
    Key key;
    int nw = (n - 1) / 10 + 1;
    int p = 0;
    for (int w = 1; w <= nw; ++w) {
        int share = (w < nw) ? 10 : n - 10 * (nw - 1);
        std::int32_t sum = 0;
        for (int e = 0; e < share; ++e)
            sum += d[++p] * tab[31 + e];
        (w == 1 ? key.w1 : key.w2) += sum;
    }
    key.w2 += m * tab[25];
    return key;
}

inline Key set_level(Key k, std::int32_t l)
{
    k.w2 = k.w2 % tab[25] + l * tab[25];
    return k;
}

inline Key from_ijk(int L, std::int32_t i, std::int32_t j, std::int32_t k)
{
    std::int32_t b[65] = {};
    int p = 3 * L;
    for (int d = L; d >= 1; --d) {
        b[p] = k % 2;
        b[p - 1] = j % 2;
        b[p - 2] = i % 2;
        p -= 3;
        k /= 2;
        j /= 2;
        i /= 2;
    }
    Key key;
    int nw = (L - 1) / 10 + 1;
    p = 0;
    for (int w = 1; w <= nw; ++w) {
        int nb = (w < nw) ? 30 : 3 * (L - 10 * (nw - 1));
        for (int e = 0; e < nb; ++e)
            (w == 1 ? key.w1 : key.w2) += b[++p] * tab[e];
    }
    key.w2 += L * tab[25];
    return key;
}

inline void to_ijk(Key key, int L, std::int32_t& i, std::int32_t& j, std::int32_t& k)
{
    std::int32_t b[65] = {};
    int nw = (L - 1) / 10 + 1;
    int p = 0;
    for (int w = 1; w <= nw; ++w) {
        int nb = (w < nw) ? 30 : 3 * (L - 10 * (nw - 1));
        std::int32_t v = word(key, w);
        b[++p] = v % 2;
        for (int e = 1; e < nb; ++e) {
            v /= 2;
            b[++p] = v % 2;
        }
    }
    i = j = k = 0;
    for (int d = 1; d <= L; ++d) {
        int s = L - d;
        i += b[3 * d - 2] * tab[s];
        j += b[3 * d - 1] * tab[s];
        k += b[3 * d] * tab[s];
    }
}

// Digit array d[1..20], as the octree reads it.
inline void to_digits(Key key, std::int32_t* d)
{
    int L = level(key);
    for (int e = 1; e <= 20; ++e)
        d[e] = 0;
    unpack(key, L, d);
    if (L == 0)
        for (int e = 2; e <= 20; ++e)
            d[e] = 0;
}

inline Key from_digits(const std::int32_t* d)
{
    Key key;
    for (int e = 0; e < tab[44]; ++e)
        key.w1 += d[1 + e] * tab[31 + e];
    for (int e = 0; e < tab[45]; ++e)
        key.w2 += d[11 + e] * tab[31 + e];
    return key;
}

inline void to_bits(Key key, std::int32_t* b)
{
    int L = level(key);
    for (int e = 1; e <= 64; ++e)
        b[e] = 0;
    int nw = (L - 1) / 10 + 1;
    int p = 0;
    for (int w = 1; w <= nw; ++w) {
        int nb = (w < nw) ? 30 : 3 * (L - 10 * (nw - 1));
        std::int32_t v = word(key, w);
        b[++p] = v % 2;
        for (int e = 1; e < nb; ++e) {
            v /= 2;
            b[++p] = v % 2;
        }
    }
}

inline Key from_bits(const std::int32_t* b)
{
    Key key;
    for (int e = 0; e < tab[42]; ++e)
        key.w1 += b[1 + e] * tab[e];
    for (int e = 0; e < tab[43]; ++e)
        key.w2 += b[31 + e] * tab[e];
    return key;
}

inline std::int32_t digit_at(Key key, int n)
{
    std::int32_t d[21] = {};
    unpack(key, n, d);
    return d[n];
}

inline std::int32_t own_digit(Key key)
{
    return digit_at(key, level(key));
}

inline std::string print(Key key)
{
    std::int32_t seq[65] = {};
    int L = level(key);
    int p = -1;
    for (int w = 1; w <= 2; ++w) {
        std::int32_t v = word(key, w);
        int nb = (w == 1) ? tab[42] : tab[43];
        seq[++p] = v % 2;
        for (int e = 1; e < nb; ++e) {
            v /= 2;
            seq[++p] = v % 2;
        }
    }
    p = tab[50];
    seq[p] = L % 2;
    for (int e = 0; e < 5; ++e) {
        L /= 2;
        seq[++p] = L % 2;
    }
    std::string line;
    p = 0;
    for (int d = 0; d < tab[49]; ++d) {
        for (int e = 0; e < 3; ++e)
            line += static_cast<char>('0' + seq[p++]);
        line += '!';
    }
    for (int e = 0; e < 6; ++e)
        line += static_cast<char>('0' + seq[p++]);
    return line + "\n";
}

inline Key to_child(Key key, std::int32_t o)
{
    std::int32_t d[21] = {};
    int L = level(key);
    unpack(key, L, d);
    d[L + 1] = o;
    return repack(d, L + 1, L + 1);
}

inline Key to_parent(Key key)
{
    std::int32_t d[21] = {};
    int L = level(key);
    unpack(key, L, d);
    return repack(d, L - 1, L - 1);
}

inline Key truncate(Key key, int n)
{
    std::int32_t d[21] = {};
    unpack(key, n, d);
    return repack(d, n, n);
}

inline int compare_digits(Key a, Key b, int n)
{
    std::int32_t da[21] = {}, db[21] = {};
    unpack(a, n, da);
    unpack(b, n, db);
    for (int k = 1;; ++k) {
        if (da[k] > db[k])
            return 1;
        if (da[k] < db[k])
            return -1;
        if (k + 1 > n)
            return 0;
    }
}

inline int collate(Key a, Key b)
{
    int la = level(a), lb = level(b);
    int r = compare_digits(a, b, la >= lb ? la : lb);
    if (r == 0)
        r = la > lb ? 1 : (la < lb ? -1 : 0);
    return r;
}

inline int collate_at(Key a, Key b, int n)
{
    return compare_digits(a, b, n);
}

inline Key step(Key key, int n, int m, bool up)
{
    std::int32_t d[21] = {};
    unpack(key, n, d);
    for (int k = n; k > 0; --k) {
        if (up) {
            if (++d[k] <= 7)
                break;
            d[k] = 0;
        } else {
            if (--d[k] >= 0)
                break;
            d[k] = 7;
        }
    }
    return repack(d, n, m);
}

inline Key next(Key key)
{
    return step(key, level(key), level(key), true);
}
inline Key prev(Key key)
{
    return step(key, level(key), level(key), false);
}
inline Key next_at(Key key, int n)
{
    return step(key, n, level(key), true);
}
inline Key prev_at(Key key, int n)
{
    return step(key, n, level(key), false);
}

inline Key axis_neighbour(const std::int32_t* bits, int n, int axis, int direction)
{
    std::int32_t b[65] = {};
    for (int e = 1; e <= 3 * n; ++e)
        b[e] = bits[e];
    if (n > 0) {
        int s = 3 * (n - 1) + axis;
        if (direction > 0) {
            for (; s > 0; s -= 3) {
                if (++b[s] <= 1)
                    break;
                b[s] = 0;
            }
        } else {
            for (; s > 0; s -= 3) {
                if (--b[s] >= 0)
                    break;
                b[s] = 1;
            }
        }
    }
    Key key;
    int nw = (n - 1) / 10 + 1;
    int p = 0;
    for (int w = 1; w <= nw; ++w) {
        int nb = (w < nw) ? 30 : 3 * n - 30 * (nw - 1);
        for (int e = 0; e < nb; ++e)
            (w == 1 ? key.w1 : key.w2) += b[++p] * tab[e];
    }
    key.w2 += n * tab[25];
    return key;
}

// A well-formed key of level L from its digits d[1..L], the plain way.
inline Key from_path(const std::int32_t* d, int L)
{
    return repack(d, L, L);
}

}  // namespace keymodel

#endif
