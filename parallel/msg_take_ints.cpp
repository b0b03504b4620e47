#include "cellkeys.h"
#include "msg_mpi.hpp"

extern "C" void msg_take_ints(int32_t* buf, const int32_t* count, const int32_t* source,
                              const int32_t* tag)
{
    MPI_Status status;
    MPI_Recv(buf, *count, MPI_INT, *source, *tag, MPI_COMM_WORLD, &status);
}
