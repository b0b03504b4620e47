#include "cellkeys.h"

// The process-wide generator state of the second stream, zero at start.
// Same type as rng_state, whose layout is pinned in rng_state.cpp.
extern "C" {
RngState rng_state_second;
}
