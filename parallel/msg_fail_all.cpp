#include "cellkeys.h"
#include "msg_mpi.hpp"

extern "C" void msg_fail_all(const std::int32_t* code)
{
    MPI_Abort(MPI_COMM_WORLD, *code);
}
