#include "cellkeys.h"
#include "msg_mpi.hpp"

extern "C" void msg_rendezvous(void)
{
    MPI_Barrier(MPI_COMM_WORLD);
}
