#include "cellkeys.h"

// The normal deviate waiting for the next call on the second stream.
// Same type as rng_normal_cache, whose layout is pinned in rng_normal_cache.cpp.
extern "C" {
RngNormalCache rng_normal_cache_second;
}
