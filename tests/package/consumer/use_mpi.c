/* A C program using the installed MPI wrappers, run as a single process. */
#include <cellkeys.h>
#include <mpi.h>
#include <stdio.h>

int main(int argc, char** argv)
{
    int32_t size = -1, rank = -1, value = 5, total = 0;
    MPI_Init(&argc, &argv);
    msg_count_and_rank(&size, &rank);
    msg_sum_int_to_root(&value, &total);
    msg_shut_down();
    if (size != 1 || rank != 0 || total != 5) {
        fprintf(stderr, "use_mpi: size %d rank %d total %d\n", size, rank, total);
        return 1;
    }
    return 0;
}
