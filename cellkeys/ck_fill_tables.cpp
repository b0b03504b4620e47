#include "cellkeys.h"

#include <cstdint>

// The process-wide table of bit weights, digit weights and counts, readable
// by name from C, C++ and Fortran.
extern "C" {
std::int32_t ck_tables[52];
}
static_assert(sizeof ck_tables == 52 * sizeof(std::int32_t), "52 adjacent 32-bit words");

extern "C" void ck_fill_tables(void)
{
    for (int k = 0; k <= 30; ++k)
        ck_tables[k] = std::int32_t{1} << k;
    for (int k = 0; k <= 10; ++k)
        ck_tables[31 + k] = std::int32_t{1} << (3 * k);
    ck_tables[42] = 30;
    ck_tables[43] = 24;
    ck_tables[44] = 10;
    ck_tables[45] = 8;
    ck_tables[47] = 54;
    ck_tables[46] = ck_tables[47] + 6;
    ck_tables[50] = 54;
    ck_tables[49] = 18;
    ck_tables[48] = ck_tables[49] + 2;
    ck_tables[51] = 28;
}
