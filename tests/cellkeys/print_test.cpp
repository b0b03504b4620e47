#include "cellkeys.h"
#include "key_test_util.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {
std::string printed(CellKey k)
{
    testing::internal::CaptureStdout();
    ck_print(&k);
    std::fflush(stdout);
    return testing::internal::GetCapturedStdout();
}
std::string times(const std::string& s, int n)
{
    std::string r;
    for (int c = 0; c < n; ++c)
        r += s;
    return r;
}
}  // namespace

TEST(print, writes_the_known_lines)
{
    EXPECT_EQ(printed(CellKey{0, 0}), times("000!", 18) + "000000\n");
    EXPECT_EQ(printed(CellKey{5, 33554432}), "101!" + times("000!", 17) + "100000\n");
    EXPECT_EQ(printed(CellKey{245, 100663296}), "101!011!110!" + times("000!", 15) + "110000\n");
    EXPECT_EQ(printed(CellKey{153391689, 369098757}),
              times("100!", 10) + "101!" + times("000!", 7) + "110100\n");
    EXPECT_EQ(printed(CellKey{1073741823, 620756991}), times("111!", 18) + "010010\n");
    EXPECT_EQ(printed(CellKey{245, 0}), "101!011!110!" + times("000!", 15) + "000000\n");
}

TEST(print, every_line_is_78_characters_and_agrees_with_the_model)
{
    for (CellKey k : keytest::sample_keys(0, 18, 300)) {
        k.word2 |= (k.word1 & 1) << 24;  // bit 24 is not printed
        const std::string line = printed(k);
        ASSERT_EQ(line.size(), 79u);
        ASSERT_EQ(line, keymodel::print(keytest::model(k)));
    }
    // Level fields up to 63 print their six bits.
    EXPECT_EQ(printed(CellKey{0, 63 * 33554432}), times("000!", 18) + "111111\n");
}
