#include "cellkeys.h"
#include "key_digits.hpp"
#include "key_morton.hpp"

#include <cstdint>

using namespace cellkeys::detail;

namespace {

template <MortonPath how>
inline void from_ijk(CellKey* key, const std::int32_t* level, const std::int32_t* i,
                     const std::int32_t* j, const std::int32_t* k)
{
    const std::int32_t n = *level;
    // A level outside 0..18 has no place in the key: the key is left as it was.
    if (!level_in_range(n))
        return;
    // Only the n lowest bits of each coordinate enter the key (the rest are
    // shifted out), so coordinates wrap modulo 2^n; a negative coordinate
    // wraps as its two's-complement pattern.
    store_path(key,
               path_from_coordinates<how>(static_cast<std::uint32_t>(*i),
                                          static_cast<std::uint32_t>(*j),
                                          static_cast<std::uint32_t>(*k), n),
               n);
}

#if CELLKEYS_MORTON_BMI2
// The routine's body compiled for the processor's own instructions, every
// helper inlined into it; the plain BMI2 form uses no GFNI instruction.
template <MortonPath how>
[[gnu::target("bmi2,gfni,sse2"), gnu::flatten]] void
from_ijk_fast(CellKey* key, const std::int32_t* level, const std::int32_t* i, const std::int32_t* j,
              const std::int32_t* k)
{
    from_ijk<how>(key, level, i, j, k);
}

using FromIjk = void(CellKey*, const std::int32_t*, const std::int32_t*, const std::int32_t*,
                     const std::int32_t*);

// The indirect function's resolver, under the assembler name it refers to;
// it stays local to this module.
[[maybe_unused]] __attribute__((no_sanitize("address"), no_sanitize("undefined"))) FromIjk*
resolve_from_ijk() __asm__("cellkeys_resolve_from_ijk");
FromIjk* resolve_from_ijk()
{
    return choose_morton_form<FromIjk>(from_ijk_fast<MortonPath::bmi2_gfni>,
                                       from_ijk_fast<MortonPath::bmi2>,
                                       from_ijk<MortonPath::tables>);
}
#endif

}  // namespace

#if CELLKEYS_MORTON_BMI2
extern "C" void ck_from_ijk(CellKey* key, const std::int32_t* level, const std::int32_t* i,
                            const std::int32_t* j, const std::int32_t* k)
    __attribute__((ifunc("cellkeys_resolve_from_ijk")));
#else
extern "C" void ck_from_ijk(CellKey* key, const std::int32_t* level, const std::int32_t* i,
                            const std::int32_t* j, const std::int32_t* k)
{
    from_ijk<MortonPath::tables>(key, level, i, j, k);
}
#endif
