// Shared by the message-passing wrappers.  Not installed.
#ifndef CELLKEYS_PARALLEL_MSG_MPI_HPP
#define CELLKEYS_PARALLEL_MSG_MPI_HPP

#include <mpi.h>

#include <cstdint>

// The wrappers hand std::int32_t and double buffers straight to MPI as MPI_INT
// and MPI_DOUBLE, and std::int32_t counts where MPI takes int.
static_assert(sizeof(int) == sizeof(std::int32_t));
static_assert(sizeof(double) == 8);

#endif
