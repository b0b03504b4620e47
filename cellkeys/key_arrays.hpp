// Shared slot copies of the key-array routines (not installed).
//
// A key array is a flat array of 32-bit words; slot s (from 1) holds word 1
// of a key at index 2s - 2 and word 2 at index 2s - 1.  The routines trust
// the capacity they are given: a slot or block outside it is left alone, so
// that no call writes or reads past the caller's array.  Within the array
// these checks never change a result.
#ifndef CELLKEYS_KEY_ARRAYS_HPP
#define CELLKEYS_KEY_ARRAYS_HPP

#include "cellkeys.h"

#include <cstdint>

namespace cellkeys::detail {
// Whether slots first..last (from 1) all lie within capacity slots.
static inline bool slots_within(std::int64_t first, std::int64_t last, std::int64_t capacity)
{
    return first >= 1 && last <= capacity;
}

static inline void copy_slot(std::int32_t* keys, std::int32_t from, std::int32_t to)
{
    const std::int32_t w1 = keys[2 * std::int64_t{from} - 2];
    const std::int32_t w2 = keys[2 * std::int64_t{from} - 1];
    keys[2 * std::int64_t{to} - 2] = w1;
    keys[2 * std::int64_t{to} - 1] = w2;
}

// Slot `to` becomes a copy of slot `from` (both from 1); a slot outside
// capacity leaves the array as it was.  The one body of ck_slot_assign and
// ck_slot_to_slot, which take the same arguments.
static inline void assign_slot(std::int32_t* keys, const std::int32_t* capacity,
                               const std::int32_t* from, const std::int32_t* to)
{
    if (!slots_within(*from, *from, *capacity) || !slots_within(*to, *to, *capacity))
        return;
    copy_slot(keys, *from, *to);
}

// Copies count slots of src, from slot src_first on, to dst from slot
// dst_first on (all from 1); the arrays are distinct.
static inline void copy_slots(std::int32_t* dst, std::int64_t dst_first, const std::int32_t* src,
                              std::int64_t src_first, std::int64_t count)
{
    for (std::int64_t n = 0; n < count; ++n) {
        dst[2 * (dst_first + n) - 2] = src[2 * (src_first + n) - 2];
        dst[2 * (dst_first + n) - 1] = src[2 * (src_first + n) - 1];
    }
}

// Whether slots first..last of the large array, and as many slots from 1 of
// the compact one, all lie within their arrays.  An empty range does not.
static inline bool range_within_both(std::int32_t first, std::int32_t last,
                                     std::int32_t large_capacity, std::int32_t compact_capacity)
{
    return last >= first && slots_within(first, last, large_capacity) &&
           slots_within(1, std::int64_t{last} - first + 1, compact_capacity);
}

}  // namespace cellkeys::detail

#endif
