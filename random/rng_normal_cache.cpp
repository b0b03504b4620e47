#include "cellkeys.h"

#include <cstddef>

// The normal deviate waiting for the next call on the first stream.
extern "C" {
RngNormalCache rng_normal_cache;
}

static_assert(sizeof(RngNormalCache) == 16);
static_assert(offsetof(RngNormalCache, value) == 0);
static_assert(offsetof(RngNormalCache, waiting) == 8);
