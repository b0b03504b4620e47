#include "cellkeys.h"
#include "msg_mpi.hpp"

extern "C" void msg_spread_ints(std::int32_t* buf, const void* /*not_read*/,
                                const std::int32_t* count, const std::int32_t* root)
{
    MPI_Bcast(buf, *count, MPI_INT, *root, MPI_COMM_WORLD);
}
