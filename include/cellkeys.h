/* cellkeys: cell keys, key navigation and ordering, key arrays, a pointer-free
 * octree in caller-owned arrays, random-number streams with Gaussian deviates,
 * and one-call MPI wrappers.
 *
 * Conventions shared by every routine:
 *   - every argument is passed by pointer, results come back through arguments
 *     (only rng_normal returns a value);
 *   - callers own all storage; the library allocates nothing and keeps no
 *     state apart from ck_tables and the random-number records;
 *   - call ck_fill_tables once before any routine that reads ck_tables;
 *   - cells, species, digit levels and key slots count from 1; octree slots,
 *     octant digits and pieces count from 0.
 */
#ifndef CELLKEYS_H
#define CELLKEYS_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* One cell of the octree: word 1 holds the octant digits of levels 1 to 10
 * (three bits each from bit 0), word 2 the digits of levels 11 to 18 in bits
 * 0 to 23 and the level times 2^25 in bits 25 to 31.  The root key is (0, 0). */
typedef struct CellKey {
    int32_t word1;
    int32_t word2;
} CellKey;

/* ==== cell keys: encoding (cellkeys/) ==== */

/* The 52 weights and counts the key routines read: 2^0..2^30 at 0..30,
 * 8^0..8^10 at 31..41, then 30, 24, 10, 8, 60, 54, 20, 18, 54, 28.
 * Zero until ck_fill_tables runs. */
extern int32_t ck_tables[52];

/* Fills ck_tables; call once per process before any routine that reads it.
 * Calling it again writes the same values. */
void ck_fill_tables(void);

/* ==== cell keys: navigation, ordering and key arrays (cellkeys/) ==== */

/* ==== octree (octree/) ==== */

/* ==== random numbers (random/) ==== */

/* ==== message passing (parallel/, link cellkeys_mpi) ==== */

#ifdef __cplusplus
}
#endif

#endif /* CELLKEYS_H */
