// msg_fail_all ends the whole job with its code: the last rank calls it
// while every other rank waits for a message that never comes.  The CTest
// driver checks the job's exit status; its timeout catches a hang.
#include "cellkeys.h"

#include <mpi.h>

#include <cstdint>
#include <cstdio>

int main(int argc, char** argv)
{
    MPI_Init(&argc, &argv);
    std::int32_t size = 0, rank = 0;
    msg_count_and_rank(&size, &rank);
    msg_rendezvous();
    if (rank == size - 1) {
        const std::int32_t code = 7;
        msg_fail_all(&code);
    } else {
        std::int32_t never[1];
        const std::int32_t count = 1, source = size - 1, tag = 99;
        msg_take_ints(never, &count, &source, &tag);
    }
    std::printf("rank %d: still running after msg_fail_all\n", static_cast<int>(rank));
    MPI_Finalize();
    return 0;
}
