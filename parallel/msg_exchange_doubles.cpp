#include "cellkeys.h"
#include "msg_mpi.hpp"

extern "C" void msg_exchange_doubles(const double* sendbuf, const void* /*not_read1*/,
                                     const std::int32_t* sendcount, double* recvbuf,
                                     const void* /*not_read2*/, const std::int32_t* recvcount)
{
    MPI_Alltoall(sendbuf, *sendcount, MPI_DOUBLE, recvbuf, *recvcount, MPI_DOUBLE, MPI_COMM_WORLD);
}
