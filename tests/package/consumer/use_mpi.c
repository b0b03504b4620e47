/* A C program using the installed MPI wrappers and a key routine, run as a
 * single process; built with the MPI package alone (cellkeys::mpi or
 * cellkeys-mpi), which brings in the library. */
#include <cellkeys.h>
#include <mpi.h>
#include <stdio.h>

int main(int argc, char** argv)
{
    int32_t size = -1, rank = -1, value = 5, total = 0, level = -1;
    CellKey key = {0, 4 << 25};
    MPI_Init(&argc, &argv);
    msg_count_and_rank(&size, &rank);
    msg_sum_int_to_root(&value, &total);
    msg_shut_down();
    ck_fill_tables();
    ck_get_level(&key, &level);
    if (size != 1 || rank != 0 || total != 5 || level != 4) {
        fprintf(stderr, "use_mpi: size %d rank %d total %d level %d\n", size, rank, total, level);
        return 1;
    }
    return 0;
}
