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
// Internal linkage: every module keeps its own copy, and the archive's
// external symbols stay the routines alone.
namespace {

// Whether slots first..last (from 1) all lie within capacity slots.
inline bool slots_within(std::int64_t first, std::int64_t last, std::int64_t capacity)
{
    return first >= 1 && last <= capacity;
}

inline void copy_slot(std::int32_t* keys, std::int32_t from, std::int32_t to)
{
    const std::int32_t w1 = keys[2 * std::int64_t{from} - 2];
    const std::int32_t w2 = keys[2 * std::int64_t{from} - 1];
    keys[2 * std::int64_t{to} - 2] = w1;
    keys[2 * std::int64_t{to} - 1] = w2;
}

} // namespace
} // namespace cellkeys::detail

#endif
