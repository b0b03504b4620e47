#include "cellkeys.h"
#include "msg_mpi.hpp"

extern "C" void msg_count_and_rank(std::int32_t* size, std::int32_t* rank)
{
    MPI_Comm_size(MPI_COMM_WORLD, size);
    MPI_Comm_rank(MPI_COMM_WORLD, rank);
}
