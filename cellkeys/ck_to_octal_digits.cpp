#include "cellkeys.h"
#include "key_digits.hpp"

#include <array>
#include <cstdint>
#include <cstring>

using namespace cellkeys::detail;

namespace {
// Two consecutive digit entries for each 6-bit piece of a path.
constexpr auto make_digit_pairs()
{
    std::array<std::array<std::int32_t, 2>, 64> t{};
    for (int x = 0; x < 64; ++x)
        t[x] = {x & 7, x >> 3};
    return t;
}
constexpr auto digit_pairs = make_digit_pairs();
}  // namespace

extern "C" void ck_to_octal_digits(const CellKey* key, std::int32_t* digits)
{
    // Levels 19 and 20 unpack the stored words as they stand; a level field
    // below 0 or above 20 would unpack past the array, and such a key gets
    // an all-zero array so that no entry is left unwritten.  The level-1
    // digit is unpacked even at level 0.
    const std::uint64_t path = unpacked_path(key);
    static_assert(ck_digit_entries % 2 == 0);
    for (int p = 0; p < ck_digit_entries / 2; ++p)
        std::memcpy(digits + 2 * p, digit_pairs[(path >> (2 * bits_per_level * p)) & 63].data(),
                    2 * sizeof(std::int32_t));
}
