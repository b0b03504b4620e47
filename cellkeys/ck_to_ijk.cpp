#include "cellkeys.h"
#include "key_digits.hpp"
#include "key_morton.hpp"

#include <cstdint>

using namespace cellkeys::detail;

namespace {

template <MortonPath how>
inline void to_ijk(const CellKey* key, const std::int32_t* level, std::int32_t* i, std::int32_t* j,
                   std::int32_t* k)
{
    const std::int32_t n = *level;
    // A level outside 0..18 names no cell: the coordinates come back as 0.
    if (!level_in_range(n)) {
        *i = 0;
        *j = 0;
        *k = 0;
        return;
    }
    const Coordinates c = coordinates_from_path<how>(path_of(key), n);
    *i = c.i;
    *j = c.j;
    *k = c.k;
}

#if CELLKEYS_MORTON_BMI2
// The routine's body compiled for the processor's own instructions, every
// helper inlined into it; the plain BMI2 form uses no GFNI instruction.
template <MortonPath how>
[[gnu::target("bmi2,gfni,sse2"), gnu::flatten]] void
to_ijk_fast(const CellKey* key, const std::int32_t* level, std::int32_t* i, std::int32_t* j,
            std::int32_t* k)
{
    to_ijk<how>(key, level, i, j, k);
}

using ToIjk = void(const CellKey*, const std::int32_t*, std::int32_t*, std::int32_t*,
                   std::int32_t*);

// The indirect function's resolver, under the assembler name it refers to;
// it stays local to this module.
[[maybe_unused]] __attribute__((no_sanitize("address"), no_sanitize("undefined"))) ToIjk*
resolve_to_ijk() __asm__("cellkeys_resolve_to_ijk");
ToIjk* resolve_to_ijk()
{
    return choose_morton_form<ToIjk>(to_ijk_fast<MortonPath::bmi2_gfni>,
                                     to_ijk_fast<MortonPath::bmi2>, to_ijk<MortonPath::tables>);
}
#endif

}  // namespace

#if CELLKEYS_MORTON_BMI2
extern "C" void ck_to_ijk(const CellKey* key, const std::int32_t* level, std::int32_t* i,
                          std::int32_t* j, std::int32_t* k)
    __attribute__((ifunc("cellkeys_resolve_to_ijk")));
#else
extern "C" void ck_to_ijk(const CellKey* key, const std::int32_t* level, std::int32_t* i,
                          std::int32_t* j, std::int32_t* k)
{
    to_ijk<MortonPath::tables>(key, level, i, j, k);
}
#endif
