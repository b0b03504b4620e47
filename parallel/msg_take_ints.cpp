#include "cellkeys.h"
#include "msg_mpi.hpp"

extern "C" void msg_take_ints(std::int32_t* buf, const std::int32_t* count,
                              const std::int32_t* source, const std::int32_t* tag)
{
    MPI_Status status;
    MPI_Recv(buf, *count, MPI_INT, *source, *tag, MPI_COMM_WORLD, &status);
}
