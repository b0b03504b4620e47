#include "cellkeys.h"
#include "msg_mpi.hpp"

extern "C" void msg_shut_down(void)
{
    MPI_Finalize();
}
