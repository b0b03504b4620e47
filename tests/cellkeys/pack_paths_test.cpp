// The two ways the library packs a path-bit array (sixteen entries at a time
// for arrays of 0s and 1s, and entry by entry) must give the same words, for
// every length and for arrays with entries other than 0 and 1.
#include "key_model.hpp"
#include "key_pack.hpp"

#include <gtest/gtest.h>

#include <random>
#include <vector>

TEST(pack_paths, both_paths_agree_with_the_plain_sums)
{
    std::mt19937 rng(23);
    for (int c = 0; c < 20000; ++c) {
        const int count = static_cast<int>(rng() % 55);
        // Exactly count entries, so a read beyond them shows under ASan.
        std::vector<std::int32_t> bits(static_cast<std::size_t>(count) + (count == 0));
        const bool odd = c % 4 == 0;
        for (int e = 0; e < count; ++e)
            bits[e] = odd && rng() % 8 == 0 ? static_cast<std::int32_t>(rng() % 5) - 2
                                            : static_cast<std::int32_t>(rng() % 2);
        std::uint64_t w1 = 0, w2 = 0;
        for (int e = 0; e < count; ++e)
            (e < 30 ? w1 : w2) += static_cast<std::uint64_t>(static_cast<std::int64_t>(bits[e]))
                                  << (e < 30 ? e : e - 30);
        std::uint32_t plain[2], fast[2];
        bool binary = true;
        for (int e = 0; e < count; ++e)
            binary = binary && (bits[e] == 0 || bits[e] == 1);
        ASSERT_EQ(cellkeys::detail::pack_bits_plain(bits.data(), count, plain), binary);
        ASSERT_EQ(cellkeys::detail::pack_bits(bits.data(), count, fast), binary);
        ASSERT_EQ(plain[0], static_cast<std::uint32_t>(w1));
        ASSERT_EQ(plain[1], static_cast<std::uint32_t>(w2));
        ASSERT_EQ(fast[0], plain[0]) << count;
        ASSERT_EQ(fast[1], plain[1]) << count;
    }
}
