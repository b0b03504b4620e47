/* cellkeys: cell keys, key navigation and ordering, key arrays, a pointer-free
 * octree in caller-owned arrays, random-number streams with Gaussian deviates,
 * and one-call MPI wrappers.
 *
 * Conventions shared by every routine:
 *   - every argument is passed by pointer, results come back through arguments
 *     (only rng_normal returns a value);
 *   - callers own all storage; the library allocates nothing and keeps no
 *     state apart from ck_tables and the random-number records;
 *   - the routines use the key weights compiled in, not ck_tables, so none
 *     depends on ck_fill_tables having run;
 *   - cells, species, digit levels and key slots count from 1; octree slots,
 *     octant digits and pieces count from 0.
 */
#ifndef CELLKEYS_H
#define CELLKEYS_H

#include <stdint.h>

/* CELLKEYS_VERSION_MAJOR, _MINOR, _PATCH and _STRING. */
#include "cellkeys_version.h"

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

/* Fills ck_tables, for programs that read the weights themselves.  No
 * library routine reads the table; calling this again writes the same values. */
void ck_fill_tables(void);

/* A well-formed key has level 0 (the root) to 18 and non-negative words;
 * words are handled as 32-bit patterns, and keys with a negative word are
 * outside every routine's limits.  The key and octree routines use weights
 * compiled in as constants equal to ck_tables' and read no table, so they
 * may run before ck_fill_tables and in several threads at once on distinct
 * keys and arrays. */

/* The key's level field.
 *   key    in
 *   level  out, word 2 / 2^25 truncated toward zero (any key) */
void ck_get_level(const CellKey* key, int32_t* level);

/* Entries of a digit array (one per level 1..20) and of a path-bit array. */
enum { ck_digit_entries = 20, ck_bit_entries = 64 };

/* The key's digit array: digits[d - 1] = octant digit (0..7) of level d,
 * for d = 1 to the key's level; all 20 entries are written, the rest 0.  A
 * level-0 key still gives word 1 mod 8 in digits[0] (0 for the root).
 *   key     in, level field 0..18; 19 and 20 unpack the stored words as they
 *           stand (bit 24 and the level field's low bits become digits);
 *           below 0 or above 20, all 20 entries are 0
 *   digits  out, 20 entries */
void ck_to_octal_digits(const CellKey* key, int32_t* digits);

/* Replaces the level field of key; word 1 and bits 0 to 24 of word 2 stay
 * (bit 24 included).  Lowering the level leaves the deeper digits in place.
 *   key    in-out
 *   level  in, 0..18 (up to 63 is stored as given; the sum wraps mod 2^32) */
void ck_set_level(CellKey* key, const int32_t* level);

/* Makes key the root key (0, 0). */
void ck_clear(CellKey* key);

/* target = source; both may be the same key. */
void ck_duplicate(const CellKey* source, CellKey* target);

/* Slot `to` of a key array becomes a copy of slot `from` (same effect as
 * ck_slot_to_slot).
 *   keys      in-out, slot s (from 1) in keys[2s - 2], keys[2s - 1]
 *   capacity  in, slots in the array
 *   from, to  in, 1..capacity; outside it nothing is copied */
void ck_slot_assign(int32_t* keys, const int32_t* capacity, const int32_t* from, const int32_t* to);

/* The well-formed key of cell (i, j, k) at a level: level 1 takes the most
 * significant coordinate bit; i gives bit 0 of each octant digit, j bit 1,
 * k bit 2.
 *   key      out; left unchanged when level is outside 0..18
 *   level    in, 0..18 (level 0 gives the root whatever i, j, k are)
 *   i, j, k  in, 0..2^level - 1; only the lowest `level` bits are used, so
 *            larger (and negative, two's-complement) values wrap mod 2^level */
void ck_from_ijk(CellKey* key, const int32_t* level, const int32_t* i, const int32_t* j,
                 const int32_t* k);

/* Coordinates at `level` of the cell named by the key's first `level`
 * digits; the level field is not read.  Below the key's level this is its
 * ancestor, above it (digits 0) its first descendant.
 *   key      in
 *   level    in, 0..18; outside it i, j, k are set to 0
 *   i, j, k  out */
void ck_to_ijk(const CellKey* key, const int32_t* level, int32_t* i, int32_t* j, int32_t* k);

/* Packs digits[0..17] (levels 1..18) into key with level field 0; set the
 * level with ck_set_level afterwards.  Entries outside 0..7 are added with
 * their weight 8^(d - 1) (a digit 8 carries into the next level), each word
 * wrapping mod 2^32.
 *   key     out
 *   digits  in, 18 entries read (entries 19 and 20 of a digit array ignored) */
void ck_from_octal_digits(CellKey* key, const int32_t* digits);

/* The key's path-bit array: bits[3(d - 1) + a - 1] = axis-a bit of level d
 * for d = 1 to the key's level, all 64 entries written, the rest 0.  A
 * level-0 key still gives bit 0 of word 1 in bits[0] (0 for the root).
 *   key   in, level field 0..18; 19 and 20 unpack the stored words as they
 *         stand; below 0 or above 20, all 64 entries are 0
 *   bits  out, 64 entries */
void ck_to_bits(const CellKey* key, int32_t* bits);

/* Packs bits[0..53] into key with level field 0 (word 1 from entries 0..29,
 * word 2 from 30..53); set the level with ck_set_level afterwards.  Entries
 * other than 0 and 1 are added with their weight, each word wrapping.
 *   key   out
 *   bits  in, 54 entries read */
void ck_from_bits(CellKey* key, const int32_t* bits);

/* The octant digit of the key at its own level: which child of its parent
 * the cell is.
 *   key     in, level field 1..18 (19 and 20 read the stored words)
 *   octant  out, 0..7; 0 for the root and for a level field outside 1..20 */
void ck_own_digit(const CellKey* key, int32_t* octant);

/* The stored octant digit of a chosen level; the level field is not read.
 *   key     in
 *   level   in, 1..18 (19 and 20 read the stored words); outside 1..20
 *           octant is 0
 *   octant  out, 0..7 */
void ck_digit_at(const CellKey* key, const int32_t* level, int32_t* octant);

/* Writes one line to standard output: for each of the 18 levels the axis-1,
 * axis-2 and axis-3 bits of its stored digit as '0'/'1' and a '!', then the
 * six level bits, least significant first: 78 characters and a line feed.
 *   key  in
 * Writes standard output (C stdio, not flushed). */
void ck_print(const CellKey* key);

/* ==== cell keys: navigation, ordering and key arrays (cellkeys/) ==== */

/* Routines that build a key leave it unchanged when an argument is outside
 * its range; a level field outside 0..18 counts as such an argument. */

/* Moves key to its child in the given octant (level + 1).
 *   key     in-out, level 0..17 (a level-18 key has no child)
 *   octant  in, 0..7 */
void ck_to_child(CellKey* key, const int32_t* octant);

/* Moves key to its parent (level - 1), dropping its own digit.
 *   key  in-out, level 1..18 (the root stays the root) */
void ck_to_parent(CellKey* key);

/* Keeps the digits of levels 1..level and sets the level field to level:
 * the ancestor at a coarser level, the first descendant at a finer one, and
 * at the key's own level the key with stale deeper digits cleared.
 *   key    in-out; its level field is not read
 *   level  in, 0..18 */
void ck_truncate_to(CellKey* key, const int32_t* level);

/* As ck_truncate_to, into a second key; source and target may be the same.
 *   source  in
 *   target  out
 *   level   in, 0..18 */
void ck_truncate_into(const CellKey* source, CellKey* target, const int32_t* level);

/* Path order: digits compared from level 1, smaller first; on equal digits
 * of levels 1..max(both levels) the coarser key comes first.
 *   first, second  in; level fields 0..18 (19 and 20 compare the stored
 *                  words as they stand; beyond 20, 20 levels are compared)
 *   result         out: -1 first before second, 0 equal, +1 after */
void ck_collate(const CellKey* first, const CellKey* second, int32_t* result);

/* Compares only the stored digits of levels 1..level; no level tie-break.
 * 0 means both cells lie in the same level-`level` cell.
 *   first, second  in; level fields not read
 *   level          in, 1..18 (below 1 compares level 1; 19 and 20 compare
 *                  the stored words as they stand; above 20 compares 20)
 *   result         out: -1, 0, +1 */
void ck_collate_at(const CellKey* first, const CellKey* second, const int32_t* level,
                   int32_t* result);

/* Next (ck_next_cell) or previous (ck_prev_cell) cell of the key's own level
 * in path order, wrapping from the last cell to the first and back.  The
 * root stays the root.
 *   key  in-out, level 0..18 */
void ck_next_cell(CellKey* key);
void ck_prev_cell(CellKey* key);

/* Steps the key's level-`level` ancestor to the next (previous) level-`level`
 * cell in path order and clears the finer digits, keeping the key's own
 * level field: the first cell of the next (previous) block at the key's
 * resolution.  Wraps around like ck_next_cell.
 *   key    in-out, level field 0..18
 *   level  in, 1..18, normally at most the key's level (above it, digit
 *          `level` is stepped all the same and the key is not well-formed) */
void ck_next_cell_at(CellKey* key, const int32_t* level);
void ck_prev_cell_at(CellKey* key, const int32_t* level);

/* The same-level face neighbour, one step up or down along one axis, with
 * periodic wrap at the domain boundary (the caller is not told).
 *   key        out, level field set to level; no key is read
 *   bits       in, path-bit array of the cell (ck_to_bits); entries 0..3*level-1
 *              are read, never written
 *   level      in, 0..18 (0 gives the root)
 *   axis       in, 1..3
 *   direction  in, > 0 up, otherwise down
 *   An axis or level out of range leaves key unchanged and reads no bit. */
void ck_axis_neighbour(CellKey* key, const int32_t* bits, const int32_t* level, const int32_t* axis,
                       const int32_t* direction);

/* Key arrays: slot s (from 1) holds a key in words 2s - 2 and 2s - 1 of a
 * flat int32_t array of `capacity` slots.  These routines copy whole keys.
 * Beyond the documented * limits they never reach past the capacity they are given: a slot, block
 * or range outside it makes the call copy nothing. */

/* keys slot `slot` := key.
 *   key       in
 *   keys      in-out
 *   capacity  in
 *   slot      in, 1..capacity */
void ck_write_slot(const CellKey* key, int32_t* keys, const int32_t* capacity, const int32_t* slot);

/* key := keys slot `slot`.
 *   key       out
 *   keys      in
 *   capacity  in
 *   slot      in, 1..capacity */
void ck_read_slot(CellKey* key, const int32_t* keys, const int32_t* capacity, const int32_t* slot);

/* As ck_write_slot and ck_read_slot on a zero-based array of capacity + 1
 * slots: slot s (0..capacity) in words 2s and 2s + 1. */
void ck_write_slot0(const CellKey* key, int32_t* keys, const int32_t* capacity,
                    const int32_t* slot);
void ck_read_slot0(CellKey* key, const int32_t* keys, const int32_t* capacity, const int32_t* slot);

/* Slot `to` := slot `from`; from = to leaves the array as it was.
 *   keys      in-out
 *   capacity  in
 *   from, to  in, 1..capacity */
void ck_slot_to_slot(int32_t* keys, const int32_t* capacity, const int32_t* from,
                     const int32_t* to);

/* Slides the block of `count` keys starting at slot 1 by `distance` slots:
 * direction < 0 moves slots distance+1..distance+count down to 1..count,
 * otherwise slots 1..count move up to distance+1..distance+count.  Slots
 * left behind keep their old keys; overlapping ranges are handled.
 *   keys       in-out, slot 1 is the block's first slot
 *   capacity   in, at least count + distance (else nothing moves)
 *   count      in; 0 or less copies nothing
 *   distance   in; 0 or less copies nothing
 *   direction  in */
void ck_slide_block(int32_t* keys, const int32_t* capacity, const int32_t* count,
                    const int32_t* distance, const int32_t* direction);

/* compact slot i - first + 1 := large slot i for i = first..last, rising
 * (ck_gather_range), or the reverse copy (ck_scatter_range).  last < first
 * copies nothing.
 *   compact           out (gather) / in (scatter)
 *   compact_capacity  in, at least last - first + 1
 *   large             in (gather) / in-out (scatter)
 *   large_capacity    in; first..last within 1..large_capacity */
void ck_gather_range(int32_t* compact, const int32_t* compact_capacity, const int32_t* large,
                     const int32_t* large_capacity, const int32_t* first, const int32_t* last);
void ck_scatter_range(const int32_t* compact, const int32_t* compact_capacity, int32_t* large,
                      const int32_t* large_capacity, const int32_t* first, const int32_t* last);

/* Words of ck_sort_keys' work array beyond five per key. */
enum { ck_sort_count_words = 4096 };

/* Puts a key array in path order without moving it: order[k - 1] is the
 * slot of the key that comes k-th, so that keys slot order[0], order[1], ...
 * rise in ck_collate's order.  Stable: keys that compare equal keep their
 * order.  Digits beyond a key's level are read as stored (0 in well-formed
 * keys).  Keys whose level field lies past 18 follow every key of level 18
 * or less with the same 18 digits, and among themselves come in
 * ck_collate's order; against such keys ck_collate's answers are not
 * transitive, so no order could follow them all.
 *   n      in, the number of keys; 0 or below does nothing
 *   keys   in, a key array of n slots (2n words)
 *   order  out, n entries: the slots 1..n, each once
 *   work   scratch of at least 5n + ck_sort_count_words (4096) words,
 *          overwritten; any alignment
 * order and work must not overlap keys or each other.
 *
 * Looking up keys in any order as fast as keys in path order: sort them,
 * gather them in that order, look them up, and scatter the answers back.
 * After the sort, work has room for the gathered keys and the answers:
 *   ck_sort_keys(&n, keys, order, work);
 *   for (k = 0; k < n; ++k) {   // sorted key array: work[0 .. 2n)
 *       work[2 * k] = keys[2 * order[k] - 2];
 *       work[2 * k + 1] = keys[2 * order[k] - 1];
 *   }
 *   tree_lookup_many(child, state, &capacity, &n, work, work + 2 * n, work + 3 * n,
 *                    (char*)(work + 4 * n));
 *   for (k = 0; k < n; ++k) {
 *       levels[order[k] - 1] = work[2 * n + k];
 *       values[order[k] - 1] = work[3 * n + k];
 *       statuses[order[k] - 1] = ((char*)(work + 4 * n))[k];
 *   }
 * The answers are tree_lookup's for each key, in the keys' own order. */
void ck_sort_keys(const int32_t* n, const int32_t* keys, int32_t* order, int32_t* work);

/* ==== octree (octree/) ==== */

/* A pointer-free octree in three caller-owned flat arrays of `capacity` rows:
 *   parent[n - 1]         node that refers to node n (0 for the root, node 1);
 *   child[(n - 1) * 8 + s] slot s of node n: a node number under "N", the
 *                          caller's value under "T", otherwise no meaning;
 *   state[(n - 1) * 8 + s] the slot's letter, one byte: "N" node, "T" value,
 *                          "U" free leaf, "O" and "P" marked leaves.
 * Slots are octant digits 0..7; nodes count from 1 in order of creation.
 * Routines that take a key walk from the root along its octant digits down
 * to the key's level, both as ck_to_octal_digits and ck_get_level give them
 * (read straight from the key's words).  Statuses are letters; "E" means
 * refused, and a refused call changes no array element.
 * Beyond the documented limits, a call never touches memory outside the
 * arrays: it answers "E" when capacity is below 1, when a walk would follow
 * an "N" slot whose number is not in 1..capacity, or when the key's level
 * field is above 20. */

/* Starts a tree: root row with eight "U" slots holding 0, parent 0, count 1.
 * Rows 2 and above are not touched.
 *   parent, child, state  out, row 1 written
 *   capacity              in; below 1 nothing is written at all
 *   count                 out */
void tree_reset(int32_t* parent, int32_t* child, char* state, const int32_t* capacity,
                int32_t* count);

/* As tree_reset, with the root's slots marked "O". */
void tree_reset_to_o(int32_t* parent, int32_t* child, char* state, const int32_t* capacity,
                     int32_t* count);

/* Walks to the key's level and, on a free leaf "U" (possibly coarser than the
 * key's cell), creates node count + 1 there with eight "U" slots.
 *   parent         out, one element written
 *   child, state   in-out
 *   capacity       in
 *   count          in-out, 1..capacity - 1; outside that, a call that would
 *                  create a node answers "E" (tree full) and changes nothing
 *   key            in, level 0..18
 *   status         out: "N" created; "T", "O", "P" the leaf found; "E" when
 *                  the key's cell already has a node or the letter is unknown */
void tree_refine(int32_t* parent, int32_t* child, char* state, const int32_t* capacity,
                 int32_t* count, const CellKey* key, char* status);

/* Walks to `level` along the key's digits (slot 0 below the key's own level)
 * and creates node count + 1 on whatever leaf it reaches, its eight slots
 * holding 0 and the letter fill.  A "T" slot refined loses its value.
 *   parent, child, state, capacity, count  as for tree_refine
 *   key    in; its level field is not used for the walk
 *   level  in, at most 20; above 20 refused
 *   fill   in-out: the new slots' letter (not "N"); left as it was on
 *          success, "E" when refused (own node reached, count outside
 *          1..capacity - 1, level above 20) */
void tree_refine_fill(int32_t* parent, int32_t* child, char* state, const int32_t* capacity,
                      int32_t* count, const CellKey* key, const int32_t* level, char* fill);

/* Stores value in the leaf the key reaches if it is "U" or "O" (becomes "T").
 *   child, state  in-out
 *   capacity      in
 *   key           in, level 0..18
 *   value         in, any
 *   status        out: "N" stored; "T" or "P" the leaf found, unchanged;
 *                 "E" own node reached or unknown letter */
void tree_put_value(int32_t* child, char* state, const int32_t* capacity, const CellKey* key,
                    const int32_t* value, char* status);

/* As tree_put_value, but only a "U" leaf takes the value; "O" answers "O". */
void tree_put_value_if_free(int32_t* child, char* state, const int32_t* capacity,
                            const CellKey* key, const int32_t* value, char* status);

/* Replaces the value of the "T" leaf the key reaches (status "N"); any other
 * leaf answers its letter ("O", "P", "U") and an own node or unknown letter
 * "E", changing nothing.  Arguments as for tree_put_value. */
void tree_replace_value(int32_t* child, char* state, const int32_t* capacity, const CellKey* key,
                        const int32_t* value, char* status);

/* Reports what the key reaches; changes nothing.
 *   child, state, capacity  in
 *   key     in, level 0..18
 *   level   out: level of the slot where the walk ended (0 when refused
 *           before walking)
 *   value   out: node number under "N", the value under "T", otherwise 0
 *   status  out: the letter found ("N" only for the key's own cell), "E" for
 *           an unknown letter or a refusal */
void tree_lookup(const int32_t* child, const char* state, const int32_t* capacity,
                 const CellKey* key, int32_t* level, int32_t* value, char* status);

/* The answers of n calls of tree_lookup, one per key, in order: entry i of
 * levels, values and statuses is what tree_lookup gives for slot i + 1 of
 * keys.  Faster per key than single calls: several walks go on at once,
 * and consecutive keys that share their first digits (keys in path order)
 * share the start of their walks.
 *   child, state, capacity  in
 *   n         in, the number of keys; 0 or below does nothing
 *   keys      in, a key array of n slots (2n words)
 *   levels    out, n entries
 *   values    out, n entries
 *   statuses  out, n letters
 * The three outputs must not overlap keys, the tree or one another. */
void tree_lookup_many(const int32_t* child, const char* state, const int32_t* capacity,
                      const int32_t* n, const int32_t* keys, int32_t* levels, int32_t* values,
                      char* statuses);

/* Overwrites the letter of the slot the key reaches, an own-node "N" slot or
 * a "T", "O", "P", "U" leaf; the child word stays.  Writing "N" onto a leaf
 * makes its child word a node number: keeping it valid is the caller's job.
 *   child     in
 *   state     in-out
 *   capacity  in
 *   key       in, level 0..18
 *   letter    in-out: the letter to write; "E" when refused */
void tree_mark_slot(const int32_t* child, char* state, const int32_t* capacity, const CellKey* key,
                    char* letter);

/* Writes count as "(I6)", then for each node 1..count one 76-character line
 * "(2I6,8(X,A1,I6))": node, parent, and per slot a blank, the letter and the
 * child word.  Numbers wider than six columns show as "******".
 *   parent, child, state, capacity, count  in; rows above capacity are not
 *   read (the count line still shows count)
 * Writes standard output. */
void tree_print(const int32_t* parent, const int32_t* child, const char* state,
                const int32_t* capacity, const int32_t* count);

/* ==== random numbers (random/) ==== */

/* Two process-wide random-number streams, each a generator state and a
 * one-value cache for normal deviates.  All four records are zero at program
 * start, unprotected, and meant for one thread at a time.  Their layout is
 * fixed, since code in other languages shares them; what the words and
 * integers of a state mean belongs to the generator.  The library's
 * generator gives deviates that are multiples of 2^-24 in [0, 1); a state it
 * cannot use (the zero record of a stream never seeded, or a loaded state
 * whose positions, term or lag words are out of its range) is seeded with
 * the pair (1802, 9373) by its next draw, so a draw never reads outside the
 * table. */
typedef struct RngState {
    double words[97];    /* bytes 0..775 */
    int32_t integers[3]; /* bytes 776, 780, 784 */
    int32_t unused;      /* bytes 788..791, never read or written */
} RngState;

/* A normal deviate kept for the next call; waiting is 1 while it is due. */
typedef struct RngNormalCache {
    double value;
    int32_t waiting;
    int32_t unused;
} RngNormalCache;

extern RngState rng_state;                     /* first stream */
extern RngState rng_state_second;              /* second stream */
extern RngNormalCache rng_normal_cache;        /* first stream */
extern RngNormalCache rng_normal_cache_second; /* second stream */

/* Seeds the first stream's generator.  The normal cache is left alone, so a
 * waiting deviate is still returned by the next rng_normal.
 *   seed1  in, 0..31328
 *   seed2  in, 0..30081
 * Each pair gives an independent sequence; (1802, 9373) is the pair of the
 * generator's published test values. */
void rng_seed(const int32_t* seed1, const int32_t* seed2);

/* Returns the first stream's next uniform deviate, in [0, 1).
 *   arg  not read; rng_normal hands its own argument on, so a program that
 *        defines its own rng_draw may give it a meaning.
 * Writes rng_state.  A program may replace this routine by defining its own
 * rng_draw; rng_normal then calls that one. */
double rng_draw(const int32_t* arg);

/* Seeds the second stream's generator; called by rng_start_second.
 *   seed1, seed2  in, as for rng_seed
 * Writes rng_state_second only.  Replaceable like rng_draw. */
void rng_prepare_second(const int32_t* seed1, const int32_t* seed2);

/* Starts the second stream: calls rng_prepare_second(seed1, seed2), then
 * clears rng_normal_cache_second.  The first stream is untouched. */
void rng_start_second(const int32_t* seed1, const int32_t* seed2);

/* Returns the second stream's next uniform deviate, in [0, 1).
 *   arg  not read, as for rng_draw.  Writes rng_state_second. */
double rng_draw_second(const int32_t* arg);

/* Returns a standard normal deviate from the first stream by the polar
 * method: deviates come in pairs, the second kept in rng_normal_cache and
 * returned by the next call without drawing.
 *   arg  handed on unchanged to every rng_draw call (two per attempt) */
double rng_normal(const int32_t* arg);

/* As rng_normal on the second stream: calls rng_draw_second and keeps its
 * spare deviate in rng_normal_cache_second. */
double rng_normal_second(const int32_t* arg);

/* Saves the first stream's state; its normal cache is not saved.
 *   saved  out, 100 reals: 1..97 the words bit for bit, 98..100 the three
 *          integers through single precision (exact up to 2^24 in magnitude) */
void rng_save_state(double* saved);

/* Restores the first stream's state from rng_save_state's layout, whatever
 * it holds: the words bit for bit, the integers rounded half away from zero
 * and kept to their low 32 bits.
 * The normal cache is unchanged: a waiting deviate is still returned.
 *   saved  in, 100 reals */
void rng_load_state(const double* saved);

/* Saves the second stream's state and normal cache.
 *   saved  out, 102 reals: 1..100 as rng_save_state, 101 the cached value
 *          bit for bit, 102 1.0 if it is waiting, else 0.0 */
void rng_save_state_second(double* saved);

/* Restores the second stream's state and normal cache; the cached value
 * waits when item 102 rounds half away from zero to exactly 1.
 *   saved  in, 102 reals */
void rng_load_state_second(const double* saved);

/* ==== message passing (parallel/, link cellkeys_mpi) ==== */

/* One-call wrappers over MPI on MPI_COMM_WORLD, in the separate library
 * cellkeys_mpi (CMake target cellkeys::mpi), which links MPI; a program that
 * calls none of them links no MPI.  The caller initialises MPI before the
 * first call.  Integers travel as MPI_INT, reals as MPI_DOUBLE.  Every MPI
 * error code and status is dropped; errors go to the communicator's error
 * handler (fatal by default).  Buffers count in elements, counts and
 * displacements one entry per process in rank order.  Send and receive
 * buffers must not overlap.  Arguments marked "not read" keep their place in
 * the list and may hold any value, including an invalid pointer.
 * "Collective": every process calls it, in the same order. */

/* Number of processes and this process's rank (0-based). */
void msg_count_and_rank(int32_t* size, int32_t* rank);

/* All-to-all with counts and displacements (in doubles, from the buffers'
 * starts): sendcounts[d] doubles from sendbuf + sdispls[d] go to rank d, and
 * recvcounts[s] doubles from rank s land at recvbuf + rdispls[s].
 * Collective. */
void msg_exchange_variable_doubles(const double* sendbuf, const void* not_read1,
                                   const int32_t* sendcounts, const int32_t* sdispls,
                                   double* recvbuf, const void* not_read2,
                                   const int32_t* recvcounts, const int32_t* rdispls);

/* Sum of one integer from every process, into total on rank 0 only (total
 * is not written elsewhere).  Collective. */
void msg_sum_int_to_root(const int32_t* value, int32_t* total);

/* Receives count integers from rank source with tag; blocks until they have
 * arrived.  Never matches msg_post_doubles, which sends reals. */
void msg_take_ints(int32_t* buf, const int32_t* count, const int32_t* source, const int32_t* tag);

/* All-to-all in equal blocks: block d of sendcount doubles goes to rank d,
 * block s of recvcount doubles in recvbuf comes from rank s.  Collective. */
void msg_exchange_doubles(const double* sendbuf, const void* not_read1, const int32_t* sendcount,
                          double* recvbuf, const void* not_read2, const int32_t* recvcount);

/* Gathers count doubles from every process to every process: recvbuf holds
 * count times the number of processes, in rank order.  Collective. */
void msg_collect_doubles(const double* sendbuf, const int32_t* count, double* recvbuf);

/* The largest of one double from every process, on every process.
 * Collective. */
void msg_largest_double(const double* value, double* largest);

/* Sends count doubles to rank dest with tag in synchronous mode: returns only
 * once the matching receive has started, so pairs of posts and receives must
 * be ordered to avoid waiting forever. */
void msg_post_doubles(const double* buf, const void* not_read, const int32_t* count,
                      const int32_t* dest, const int32_t* tag);

/* Broadcasts count integers from rank root: buf is read on the root and
 * written everywhere else.  Collective. */
void msg_spread_ints(int32_t* buf, const void* not_read, const int32_t* count, const int32_t* root);

/* Ends every process of the job with exit code `code`; does not return. */
void msg_fail_all(const int32_t* code);

/* Waits until every process has called it.  Collective. */
void msg_rendezvous(void);

/* Shuts MPI down in this process; no wrapper may be called afterwards.
 * Collective. */
void msg_shut_down(void);

#ifdef __cplusplus
}
#endif

#endif /* CELLKEYS_H */
