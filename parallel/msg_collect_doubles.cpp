#include "cellkeys.h"
#include "msg_mpi.hpp"

extern "C" void msg_collect_doubles(const double* sendbuf, const std::int32_t* count,
                                    double* recvbuf)
{
    MPI_Allgather(sendbuf, *count, MPI_DOUBLE, recvbuf, *count, MPI_DOUBLE, MPI_COMM_WORLD);
}
