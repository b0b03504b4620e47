#include "cellkeys.h"
#include "key_test_util.hpp"

#include <gtest/gtest.h>

TEST(tables, hold_the_bit_and_digit_weights_and_counts)
{
    for (int k = 0; k <= 30; ++k)
        EXPECT_EQ(ck_tables[k], std::int64_t{1} << k) << k;
    for (int k = 0; k <= 10; ++k)
        EXPECT_EQ(ck_tables[31 + k], std::int64_t{1} << (3 * k)) << k;
    const std::int32_t tail[] = {30, 24, 10, 8, 60, 54, 20, 18, 54, 28};
    for (int k = 0; k < 10; ++k)
        EXPECT_EQ(ck_tables[42 + k], tail[k]) << 42 + k;
    EXPECT_EQ(ck_tables[25], 33554432);
    EXPECT_EQ(ck_tables[30], 1073741824);
    EXPECT_EQ(ck_tables[41], 1073741824);
}

TEST(tables, refilling_writes_the_same_values_over_anything)
{
    std::int32_t before[52];
    for (int k = 0; k < 52; ++k)
        before[k] = ck_tables[k];
    for (int k = 0; k < 52; ++k)
        ck_tables[k] = -7;
    ck_fill_tables();
    for (int k = 0; k < 52; ++k)
        EXPECT_EQ(ck_tables[k], before[k]) << k;
}
