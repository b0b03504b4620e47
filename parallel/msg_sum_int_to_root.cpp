#include "cellkeys.h"
#include "msg_mpi.hpp"

extern "C" void msg_sum_int_to_root(const std::int32_t* value, std::int32_t* total)
{
    MPI_Reduce(value, total, 1, MPI_INT, MPI_SUM, 0, MPI_COMM_WORLD);
}
