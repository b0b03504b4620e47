#include "cellkeys.h"
#include "key_digits.hpp"
#include "key_morton.hpp"

#include <cstdint>

using namespace cellkeys::detail;

extern "C" void ck_from_ijk(CellKey* key, const std::int32_t* level, const std::int32_t* i,
                            const std::int32_t* j, const std::int32_t* k)
{
    const std::int32_t n = *level;
    // A level outside 0..18 has no place in the key: the key is left as it was.
    if (!level_in_range(n))
        return;
    // Only the n lowest bits of each coordinate enter the key (the rest are
    // shifted out), so coordinates wrap modulo 2^n; a negative coordinate
    // wraps as its two's-complement pattern.
    const std::uint64_t path18 = path18_from_coordinates(static_cast<std::uint32_t>(*i),
                                                         static_cast<std::uint32_t>(*j),
                                                         static_cast<std::uint32_t>(*k));
    store_path(key, path18 >> (bits_per_level * (max_level - n)), n);
}
