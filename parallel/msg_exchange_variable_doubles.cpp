#include "cellkeys.h"
#include "msg_mpi.hpp"

extern "C" void msg_exchange_variable_doubles(const double* sendbuf, const void* /*not_read1*/,
                                              const std::int32_t* sendcounts,
                                              const std::int32_t* sdispls, double* recvbuf,
                                              const void* /*not_read2*/,
                                              const std::int32_t* recvcounts,
                                              const std::int32_t* rdispls)
{
    MPI_Alltoallv(sendbuf, sendcounts, sdispls, MPI_DOUBLE, recvbuf, recvcounts, rdispls,
                  MPI_DOUBLE, MPI_COMM_WORLD);
}
