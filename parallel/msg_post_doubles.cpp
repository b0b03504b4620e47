#include "cellkeys.h"
#include "msg_mpi.hpp"

extern "C" void msg_post_doubles(const double* buf, const void* /*not_read*/,
                                 const std::int32_t* count, const std::int32_t* dest,
                                 const std::int32_t* tag)
{
    MPI_Ssend(buf, *count, MPI_DOUBLE, *dest, *tag, MPI_COMM_WORLD);
}
