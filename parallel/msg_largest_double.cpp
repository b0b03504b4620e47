#include "cellkeys.h"
#include "msg_mpi.hpp"

extern "C" void msg_largest_double(const double* value, double* largest)
{
    MPI_Allreduce(value, largest, 1, MPI_DOUBLE, MPI_MAX, MPI_COMM_WORLD);
}
