#include "cellkeys.h"

#include <cstddef>
#include <cstdint>

// The process-wide generator state of the first stream, zero at start.
// Its layout is shared with code in other languages, so it is pinned here.
extern "C" {
RngState rng_state;
}

static_assert(sizeof(RngState) == 792);
static_assert(offsetof(RngState, words) == 0);
static_assert(offsetof(RngState, integers) == 776);
static_assert(offsetof(RngState, integers) + sizeof(std::int32_t) == 780);
static_assert(offsetof(RngState, integers) + 2 * sizeof(std::int32_t) == 784);
