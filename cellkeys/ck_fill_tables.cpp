#include "cellkeys.h"
#include "key_digits.hpp"

#include <cstdint>

// The process-wide table of bit weights, digit weights and counts, readable
// by name from C, C++ and Fortran.
extern "C" {
std::int32_t ck_tables[52];
}
static_assert(sizeof ck_tables == 52 * sizeof(std::int32_t), "52 adjacent 32-bit words");

using namespace cellkeys::detail;

// The counts come from the key layout the routines are compiled with, so
// that the table and the routines cannot disagree.
extern "C" void ck_fill_tables(void)
{
    constexpr int path_bits = max_level * bits_per_level;  // 54
    for (int k = 0; k <= 30; ++k)
        ck_tables[k] = std::int32_t{1} << k;
    for (int k = 0; k <= digits_per_word; ++k)
        ck_tables[31 + k] = std::int32_t{1} << (bits_per_level * k);
    ck_tables[42] = word1_path_bits;
    ck_tables[43] = word2_path_bits;
    ck_tables[44] = digits_per_word;
    ck_tables[45] = max_level - digits_per_word;
    ck_tables[47] = path_bits;
    ck_tables[46] = ck_tables[47] + 6;  // and the six level bits ck_print shows
    ck_tables[50] = path_bits;          // ck_print's first level bit
    ck_tables[49] = max_level;
    ck_tables[48] = ck_digit_entries;
    ck_tables[51] = 28;  // read by no routine
}
