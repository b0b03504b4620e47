! Fortran interface to the cellkeys library (ISO_C_BINDING).
!
! Every routine takes its arguments by reference, so no dummy argument
! carries VALUE; results come back through the arguments, and only the
! value-returning routines (rng_normal and the uniform draws beside it) are
! functions.  Names are the C names, bound exactly.  Callers own every key,
! array and saved state; the library allocates nothing.
!
! Index bases follow the C interface: key slots, digit levels, cells and
! species count from 1; octree slots and octant digits count from 0.  The
! octree arrays are meant to be declared
!     integer(c_int32_t) :: parent(capacity), child(0:7, capacity)
!     character(kind=c_char) :: state(0:7, capacity)
! so that child(s, n) and state(s, n) are slot s of node n.
!
! Keys and key arrays come in the forms solver codes use.  A key is
!     type(CellKey) :: key    or    integer :: key(2)
! and a key array is
!     integer :: keys(2*capacity)    or    integer :: keys(2, capacity)
!     or    type(CellKey) :: keys(capacity)
! Each routine that takes one is a generic name over one bind(C) interface
! per form (the specific names add the forms: _ck, _int, _flat, _pairs), so
! every form reaches the same C routine and the compiler checks every
! argument.  A key is matched by rank: pass a whole key(2), a column
! keys(:, s) or a section keys(2*s - 1:2*s), not a single element.
!
! ck_fill_tables fills ck_tables for programs that read it; no routine of
! the library reads the table.
!
! This module declares only interfaces, types and the library's own
! process-wide records, so a program needs the compiled .mod file and the
! library, nothing else; the source is installed beside the .mod for
! compilers that cannot read this one.
module cellkeys
  use, intrinsic :: iso_c_binding, only: c_int32_t, c_double, c_char
  implicit none
  private :: c_int32_t, c_double, c_char

  ! One cell of the octree: word1 holds the octant digits of levels 1 to 10,
  ! word2 those of levels 11 to 18 and the level times 2**25.
  type, bind(C) :: CellKey
    integer(c_int32_t) :: word1
    integer(c_int32_t) :: word2
  end type CellKey

  ! A generator state: the lag table, the two table positions and the
  ! sequence term (792 bytes, as in C).
  type, bind(C) :: RngState
    real(c_double) :: words(97)
    integer(c_int32_t) :: integers(3)
    integer(c_int32_t) :: unused
  end type RngState

  ! A normal deviate kept for the next call; waiting is 1 while it is due.
  type, bind(C) :: RngNormalCache
    real(c_double) :: value
    integer(c_int32_t) :: waiting
    integer(c_int32_t) :: unused
  end type RngNormalCache

  ! The library's process-wide records.  ck_tables is indexed as in C:
  ! ck_tables(k) = 2**k for k = 0..30, ck_tables(31 + k) = 8**k for
  ! k = 0..10, ck_tables(25) is the level unit.
  integer(c_int32_t), bind(C, name="ck_tables") :: ck_tables(0:51)
  type(RngState), bind(C, name="rng_state") :: rng_state
  type(RngState), bind(C, name="rng_state_second") :: rng_state_second
  type(RngNormalCache), bind(C, name="rng_normal_cache") :: rng_normal_cache
  type(RngNormalCache), bind(C, name="rng_normal_cache_second") :: rng_normal_cache_second

  interface

    ! ---- cell keys: encoding ----

    subroutine ck_fill_tables() bind(C, name="ck_fill_tables")
    end subroutine
  end interface

  interface ck_get_level
    subroutine ck_get_level_ck(key, level) bind(C, name="ck_get_level")
      import :: CellKey, c_int32_t
      type(CellKey), intent(in) :: key
      integer(c_int32_t), intent(out) :: level
    end subroutine
    subroutine ck_get_level_int(key, level) bind(C, name="ck_get_level")
      import :: CellKey, c_int32_t
      integer(c_int32_t), intent(in) :: key(2)
      integer(c_int32_t), intent(out) :: level
    end subroutine
  end interface ck_get_level


  ! digits(d) = octant digit of level d; all 20 entries written.
  interface ck_to_octal_digits
    subroutine ck_to_octal_digits_ck(key, digits) bind(C, name="ck_to_octal_digits")
      import :: CellKey, c_int32_t
      type(CellKey), intent(in) :: key
      integer(c_int32_t), intent(out) :: digits(20)
    end subroutine
    subroutine ck_to_octal_digits_int(key, digits) bind(C, name="ck_to_octal_digits")
      import :: CellKey, c_int32_t
      integer(c_int32_t), intent(in) :: key(2)
      integer(c_int32_t), intent(out) :: digits(20)
    end subroutine
  end interface ck_to_octal_digits


  interface ck_set_level
    subroutine ck_set_level_ck(key, level) bind(C, name="ck_set_level")
      import :: CellKey, c_int32_t
      type(CellKey), intent(inout) :: key
      integer(c_int32_t), intent(in) :: level
    end subroutine
    subroutine ck_set_level_int(key, level) bind(C, name="ck_set_level")
      import :: CellKey, c_int32_t
      integer(c_int32_t), intent(inout) :: key(2)
      integer(c_int32_t), intent(in) :: level
    end subroutine
  end interface ck_set_level


  interface ck_clear
    subroutine ck_clear_ck(key) bind(C, name="ck_clear")
      import :: CellKey, c_int32_t
      type(CellKey), intent(out) :: key
    end subroutine
    subroutine ck_clear_int(key) bind(C, name="ck_clear")
      import :: CellKey, c_int32_t
      integer(c_int32_t), intent(out) :: key(2)
    end subroutine
  end interface ck_clear


  interface ck_duplicate
    subroutine ck_duplicate_ck_ck(source, target) bind(C, name="ck_duplicate")
      import :: CellKey, c_int32_t
      type(CellKey), intent(in) :: source
      type(CellKey), intent(out) :: target
    end subroutine
    subroutine ck_duplicate_ck_int(source, target) bind(C, name="ck_duplicate")
      import :: CellKey, c_int32_t
      type(CellKey), intent(in) :: source
      integer(c_int32_t), intent(out) :: target(2)
    end subroutine
    subroutine ck_duplicate_int_ck(source, target) bind(C, name="ck_duplicate")
      import :: CellKey, c_int32_t
      integer(c_int32_t), intent(in) :: source(2)
      type(CellKey), intent(out) :: target
    end subroutine
    subroutine ck_duplicate_int_int(source, target) bind(C, name="ck_duplicate")
      import :: CellKey, c_int32_t
      integer(c_int32_t), intent(in) :: source(2)
      integer(c_int32_t), intent(out) :: target(2)
    end subroutine
  end interface ck_duplicate


  ! keys: key array, slot s (from 1) in keys(2s - 1), keys(2s), keys(:, s)
  ! or keys(s), as it is declared.
  interface ck_slot_assign
    subroutine ck_slot_assign_flat(keys, capacity, from, to) bind(C, name="ck_slot_assign")
      import :: CellKey, c_int32_t
      integer(c_int32_t), intent(inout) :: keys(*)
      integer(c_int32_t), intent(in) :: capacity, from, to
    end subroutine
    subroutine ck_slot_assign_pairs(keys, capacity, from, to) bind(C, name="ck_slot_assign")
      import :: CellKey, c_int32_t
      integer(c_int32_t), intent(inout) :: keys(2, *)
      integer(c_int32_t), intent(in) :: capacity, from, to
    end subroutine
    subroutine ck_slot_assign_ck(keys, capacity, from, to) bind(C, name="ck_slot_assign")
      import :: CellKey, c_int32_t
      type(CellKey), intent(inout) :: keys(*)
      integer(c_int32_t), intent(in) :: capacity, from, to
    end subroutine
  end interface ck_slot_assign


  interface ck_from_ijk
    subroutine ck_from_ijk_ck(key, level, i, j, k) bind(C, name="ck_from_ijk")
      import :: CellKey, c_int32_t
      type(CellKey), intent(inout) :: key  ! unchanged for a level outside 0..18
      integer(c_int32_t), intent(in) :: level, i, j, k
    end subroutine
    subroutine ck_from_ijk_int(key, level, i, j, k) bind(C, name="ck_from_ijk")
      import :: CellKey, c_int32_t
      integer(c_int32_t), intent(inout) :: key(2)  ! unchanged for a level outside 0..18
      integer(c_int32_t), intent(in) :: level, i, j, k
    end subroutine
  end interface ck_from_ijk


  interface ck_to_ijk
    subroutine ck_to_ijk_ck(key, level, i, j, k) bind(C, name="ck_to_ijk")
      import :: CellKey, c_int32_t
      type(CellKey), intent(in) :: key
      integer(c_int32_t), intent(in) :: level
      integer(c_int32_t), intent(out) :: i, j, k
    end subroutine
    subroutine ck_to_ijk_int(key, level, i, j, k) bind(C, name="ck_to_ijk")
      import :: CellKey, c_int32_t
      integer(c_int32_t), intent(in) :: key(2)
      integer(c_int32_t), intent(in) :: level
      integer(c_int32_t), intent(out) :: i, j, k
    end subroutine
  end interface ck_to_ijk


  ! Reads digits(1..18); the level field of key becomes 0.
  interface ck_from_octal_digits
    subroutine ck_from_octal_digits_ck(key, digits) bind(C, name="ck_from_octal_digits")
      import :: CellKey, c_int32_t
      type(CellKey), intent(out) :: key
      integer(c_int32_t), intent(in) :: digits(20)
    end subroutine
    subroutine ck_from_octal_digits_int(key, digits) bind(C, name="ck_from_octal_digits")
      import :: CellKey, c_int32_t
      integer(c_int32_t), intent(out) :: key(2)
      integer(c_int32_t), intent(in) :: digits(20)
    end subroutine
  end interface ck_from_octal_digits


  ! bits(3(d - 1) + a) = axis-a bit of level d; all 64 entries written.
  interface ck_to_bits
    subroutine ck_to_bits_ck(key, bits) bind(C, name="ck_to_bits")
      import :: CellKey, c_int32_t
      type(CellKey), intent(in) :: key
      integer(c_int32_t), intent(out) :: bits(64)
    end subroutine
    subroutine ck_to_bits_int(key, bits) bind(C, name="ck_to_bits")
      import :: CellKey, c_int32_t
      integer(c_int32_t), intent(in) :: key(2)
      integer(c_int32_t), intent(out) :: bits(64)
    end subroutine
  end interface ck_to_bits


  ! Reads bits(1..54); the level field of key becomes 0.
  interface ck_from_bits
    subroutine ck_from_bits_ck(key, bits) bind(C, name="ck_from_bits")
      import :: CellKey, c_int32_t
      type(CellKey), intent(out) :: key
      integer(c_int32_t), intent(in) :: bits(64)
    end subroutine
    subroutine ck_from_bits_int(key, bits) bind(C, name="ck_from_bits")
      import :: CellKey, c_int32_t
      integer(c_int32_t), intent(out) :: key(2)
      integer(c_int32_t), intent(in) :: bits(64)
    end subroutine
  end interface ck_from_bits


  interface ck_own_digit
    subroutine ck_own_digit_ck(key, octant) bind(C, name="ck_own_digit")
      import :: CellKey, c_int32_t
      type(CellKey), intent(in) :: key
      integer(c_int32_t), intent(out) :: octant
    end subroutine
    subroutine ck_own_digit_int(key, octant) bind(C, name="ck_own_digit")
      import :: CellKey, c_int32_t
      integer(c_int32_t), intent(in) :: key(2)
      integer(c_int32_t), intent(out) :: octant
    end subroutine
  end interface ck_own_digit


  interface ck_digit_at
    subroutine ck_digit_at_ck(key, level, octant) bind(C, name="ck_digit_at")
      import :: CellKey, c_int32_t
      type(CellKey), intent(in) :: key
      integer(c_int32_t), intent(in) :: level
      integer(c_int32_t), intent(out) :: octant
    end subroutine
    subroutine ck_digit_at_int(key, level, octant) bind(C, name="ck_digit_at")
      import :: CellKey, c_int32_t
      integer(c_int32_t), intent(in) :: key(2)
      integer(c_int32_t), intent(in) :: level
      integer(c_int32_t), intent(out) :: octant
    end subroutine
  end interface ck_digit_at


  ! Writes one 78-character line through C stdio (not Fortran unit 6):
  ! flush unit 6 first and expect the line at C's next flush.
  interface ck_print
    subroutine ck_print_ck(key) bind(C, name="ck_print")
      import :: CellKey, c_int32_t
      type(CellKey), intent(in) :: key
    end subroutine
    subroutine ck_print_int(key) bind(C, name="ck_print")
      import :: CellKey, c_int32_t
      integer(c_int32_t), intent(in) :: key(2)
    end subroutine
  end interface ck_print


  ! ---- cell keys: navigation, ordering and key arrays ----

  interface ck_to_child
    subroutine ck_to_child_ck(key, octant) bind(C, name="ck_to_child")
      import :: CellKey, c_int32_t
      type(CellKey), intent(inout) :: key
      integer(c_int32_t), intent(in) :: octant
    end subroutine
    subroutine ck_to_child_int(key, octant) bind(C, name="ck_to_child")
      import :: CellKey, c_int32_t
      integer(c_int32_t), intent(inout) :: key(2)
      integer(c_int32_t), intent(in) :: octant
    end subroutine
  end interface ck_to_child


  interface ck_to_parent
    subroutine ck_to_parent_ck(key) bind(C, name="ck_to_parent")
      import :: CellKey, c_int32_t
      type(CellKey), intent(inout) :: key
    end subroutine
    subroutine ck_to_parent_int(key) bind(C, name="ck_to_parent")
      import :: CellKey, c_int32_t
      integer(c_int32_t), intent(inout) :: key(2)
    end subroutine
  end interface ck_to_parent


  interface ck_truncate_to
    subroutine ck_truncate_to_ck(key, level) bind(C, name="ck_truncate_to")
      import :: CellKey, c_int32_t
      type(CellKey), intent(inout) :: key
      integer(c_int32_t), intent(in) :: level
    end subroutine
    subroutine ck_truncate_to_int(key, level) bind(C, name="ck_truncate_to")
      import :: CellKey, c_int32_t
      integer(c_int32_t), intent(inout) :: key(2)
      integer(c_int32_t), intent(in) :: level
    end subroutine
  end interface ck_truncate_to


  ! source and target may be the same variable.
  interface ck_truncate_into
    subroutine ck_truncate_into_ck_ck(source, target, level) bind(C, name="ck_truncate_into")
      import :: CellKey, c_int32_t
      type(CellKey), intent(in) :: source
      type(CellKey), intent(inout) :: target
      integer(c_int32_t), intent(in) :: level
    end subroutine
    subroutine ck_truncate_into_ck_int(source, target, level) bind(C, name="ck_truncate_into")
      import :: CellKey, c_int32_t
      type(CellKey), intent(in) :: source
      integer(c_int32_t), intent(inout) :: target(2)
      integer(c_int32_t), intent(in) :: level
    end subroutine
    subroutine ck_truncate_into_int_ck(source, target, level) bind(C, name="ck_truncate_into")
      import :: CellKey, c_int32_t
      integer(c_int32_t), intent(in) :: source(2)
      type(CellKey), intent(inout) :: target
      integer(c_int32_t), intent(in) :: level
    end subroutine
    subroutine ck_truncate_into_int_int(source, target, level) bind(C, name="ck_truncate_into")
      import :: CellKey, c_int32_t
      integer(c_int32_t), intent(in) :: source(2)
      integer(c_int32_t), intent(inout) :: target(2)
      integer(c_int32_t), intent(in) :: level
    end subroutine
  end interface ck_truncate_into


  ! result = -1, 0, +1 as first comes before, equals or follows second in
  ! path order.
  interface ck_collate
    subroutine ck_collate_ck_ck(first, second, result) bind(C, name="ck_collate")
      import :: CellKey, c_int32_t
      type(CellKey), intent(in) :: first
      type(CellKey), intent(in) :: second
      integer(c_int32_t), intent(out) :: result
    end subroutine
    subroutine ck_collate_ck_int(first, second, result) bind(C, name="ck_collate")
      import :: CellKey, c_int32_t
      type(CellKey), intent(in) :: first
      integer(c_int32_t), intent(in) :: second(2)
      integer(c_int32_t), intent(out) :: result
    end subroutine
    subroutine ck_collate_int_ck(first, second, result) bind(C, name="ck_collate")
      import :: CellKey, c_int32_t
      integer(c_int32_t), intent(in) :: first(2)
      type(CellKey), intent(in) :: second
      integer(c_int32_t), intent(out) :: result
    end subroutine
    subroutine ck_collate_int_int(first, second, result) bind(C, name="ck_collate")
      import :: CellKey, c_int32_t
      integer(c_int32_t), intent(in) :: first(2)
      integer(c_int32_t), intent(in) :: second(2)
      integer(c_int32_t), intent(out) :: result
    end subroutine
  end interface ck_collate


  interface ck_collate_at
    subroutine ck_collate_at_ck_ck(first, second, level, result) bind(C, name="ck_collate_at")
      import :: CellKey, c_int32_t
      type(CellKey), intent(in) :: first
      type(CellKey), intent(in) :: second
      integer(c_int32_t), intent(in) :: level
      integer(c_int32_t), intent(out) :: result
    end subroutine
    subroutine ck_collate_at_ck_int(first, second, level, result) bind(C, name="ck_collate_at")
      import :: CellKey, c_int32_t
      type(CellKey), intent(in) :: first
      integer(c_int32_t), intent(in) :: second(2)
      integer(c_int32_t), intent(in) :: level
      integer(c_int32_t), intent(out) :: result
    end subroutine
    subroutine ck_collate_at_int_ck(first, second, level, result) bind(C, name="ck_collate_at")
      import :: CellKey, c_int32_t
      integer(c_int32_t), intent(in) :: first(2)
      type(CellKey), intent(in) :: second
      integer(c_int32_t), intent(in) :: level
      integer(c_int32_t), intent(out) :: result
    end subroutine
    subroutine ck_collate_at_int_int(first, second, level, result) bind(C, name="ck_collate_at")
      import :: CellKey, c_int32_t
      integer(c_int32_t), intent(in) :: first(2)
      integer(c_int32_t), intent(in) :: second(2)
      integer(c_int32_t), intent(in) :: level
      integer(c_int32_t), intent(out) :: result
    end subroutine
  end interface ck_collate_at


  interface ck_next_cell
    subroutine ck_next_cell_ck(key) bind(C, name="ck_next_cell")
      import :: CellKey, c_int32_t
      type(CellKey), intent(inout) :: key
    end subroutine
    subroutine ck_next_cell_int(key) bind(C, name="ck_next_cell")
      import :: CellKey, c_int32_t
      integer(c_int32_t), intent(inout) :: key(2)
    end subroutine
  end interface ck_next_cell


  interface ck_prev_cell
    subroutine ck_prev_cell_ck(key) bind(C, name="ck_prev_cell")
      import :: CellKey, c_int32_t
      type(CellKey), intent(inout) :: key
    end subroutine
    subroutine ck_prev_cell_int(key) bind(C, name="ck_prev_cell")
      import :: CellKey, c_int32_t
      integer(c_int32_t), intent(inout) :: key(2)
    end subroutine
  end interface ck_prev_cell


  interface ck_next_cell_at
    subroutine ck_next_cell_at_ck(key, level) bind(C, name="ck_next_cell_at")
      import :: CellKey, c_int32_t
      type(CellKey), intent(inout) :: key
      integer(c_int32_t), intent(in) :: level
    end subroutine
    subroutine ck_next_cell_at_int(key, level) bind(C, name="ck_next_cell_at")
      import :: CellKey, c_int32_t
      integer(c_int32_t), intent(inout) :: key(2)
      integer(c_int32_t), intent(in) :: level
    end subroutine
  end interface ck_next_cell_at


  interface ck_prev_cell_at
    subroutine ck_prev_cell_at_ck(key, level) bind(C, name="ck_prev_cell_at")
      import :: CellKey, c_int32_t
      type(CellKey), intent(inout) :: key
      integer(c_int32_t), intent(in) :: level
    end subroutine
    subroutine ck_prev_cell_at_int(key, level) bind(C, name="ck_prev_cell_at")
      import :: CellKey, c_int32_t
      integer(c_int32_t), intent(inout) :: key(2)
      integer(c_int32_t), intent(in) :: level
    end subroutine
  end interface ck_prev_cell_at


  ! bits: the cell's path-bit array (ck_to_bits); key is written, not read.
  interface ck_axis_neighbour
    subroutine ck_axis_neighbour_ck(key, bits, level, axis, direction) &
        bind(C, name="ck_axis_neighbour")
      import :: CellKey, c_int32_t
      type(CellKey), intent(inout) :: key  ! unchanged for an axis or level out of range
      integer(c_int32_t), intent(in) :: bits(64)
      integer(c_int32_t), intent(in) :: level, axis, direction
    end subroutine
    subroutine ck_axis_neighbour_int(key, bits, level, axis, direction) &
        bind(C, name="ck_axis_neighbour")
      import :: CellKey, c_int32_t
      integer(c_int32_t), intent(inout) :: key(2)  ! unchanged for an axis or level out of range
      integer(c_int32_t), intent(in) :: bits(64)
      integer(c_int32_t), intent(in) :: level, axis, direction
    end subroutine
  end interface ck_axis_neighbour


  interface ck_write_slot
    subroutine ck_write_slot_ck_flat(key, keys, capacity, slot) bind(C, name="ck_write_slot")
      import :: CellKey, c_int32_t
      type(CellKey), intent(in) :: key
      integer(c_int32_t), intent(inout) :: keys(*)
      integer(c_int32_t), intent(in) :: capacity, slot
    end subroutine
    subroutine ck_write_slot_ck_pairs(key, keys, capacity, slot) bind(C, name="ck_write_slot")
      import :: CellKey, c_int32_t
      type(CellKey), intent(in) :: key
      integer(c_int32_t), intent(inout) :: keys(2, *)
      integer(c_int32_t), intent(in) :: capacity, slot
    end subroutine
    subroutine ck_write_slot_ck_ck(key, keys, capacity, slot) bind(C, name="ck_write_slot")
      import :: CellKey, c_int32_t
      type(CellKey), intent(in) :: key
      type(CellKey), intent(inout) :: keys(*)
      integer(c_int32_t), intent(in) :: capacity, slot
    end subroutine
    subroutine ck_write_slot_int_flat(key, keys, capacity, slot) bind(C, name="ck_write_slot")
      import :: CellKey, c_int32_t
      integer(c_int32_t), intent(in) :: key(2)
      integer(c_int32_t), intent(inout) :: keys(*)
      integer(c_int32_t), intent(in) :: capacity, slot
    end subroutine
    subroutine ck_write_slot_int_pairs(key, keys, capacity, slot) bind(C, name="ck_write_slot")
      import :: CellKey, c_int32_t
      integer(c_int32_t), intent(in) :: key(2)
      integer(c_int32_t), intent(inout) :: keys(2, *)
      integer(c_int32_t), intent(in) :: capacity, slot
    end subroutine
    subroutine ck_write_slot_int_ck(key, keys, capacity, slot) bind(C, name="ck_write_slot")
      import :: CellKey, c_int32_t
      integer(c_int32_t), intent(in) :: key(2)
      type(CellKey), intent(inout) :: keys(*)
      integer(c_int32_t), intent(in) :: capacity, slot
    end subroutine
  end interface ck_write_slot


  interface ck_read_slot
    subroutine ck_read_slot_ck_flat(key, keys, capacity, slot) bind(C, name="ck_read_slot")
      import :: CellKey, c_int32_t
      type(CellKey), intent(inout) :: key  ! unchanged for a slot outside the array
      integer(c_int32_t), intent(in) :: keys(*)
      integer(c_int32_t), intent(in) :: capacity, slot
    end subroutine
    subroutine ck_read_slot_ck_pairs(key, keys, capacity, slot) bind(C, name="ck_read_slot")
      import :: CellKey, c_int32_t
      type(CellKey), intent(inout) :: key  ! unchanged for a slot outside the array
      integer(c_int32_t), intent(in) :: keys(2, *)
      integer(c_int32_t), intent(in) :: capacity, slot
    end subroutine
    subroutine ck_read_slot_ck_ck(key, keys, capacity, slot) bind(C, name="ck_read_slot")
      import :: CellKey, c_int32_t
      type(CellKey), intent(inout) :: key  ! unchanged for a slot outside the array
      type(CellKey), intent(in) :: keys(*)
      integer(c_int32_t), intent(in) :: capacity, slot
    end subroutine
    subroutine ck_read_slot_int_flat(key, keys, capacity, slot) bind(C, name="ck_read_slot")
      import :: CellKey, c_int32_t
      integer(c_int32_t), intent(inout) :: key(2)  ! unchanged for a slot outside the array
      integer(c_int32_t), intent(in) :: keys(*)
      integer(c_int32_t), intent(in) :: capacity, slot
    end subroutine
    subroutine ck_read_slot_int_pairs(key, keys, capacity, slot) bind(C, name="ck_read_slot")
      import :: CellKey, c_int32_t
      integer(c_int32_t), intent(inout) :: key(2)  ! unchanged for a slot outside the array
      integer(c_int32_t), intent(in) :: keys(2, *)
      integer(c_int32_t), intent(in) :: capacity, slot
    end subroutine
    subroutine ck_read_slot_int_ck(key, keys, capacity, slot) bind(C, name="ck_read_slot")
      import :: CellKey, c_int32_t
      integer(c_int32_t), intent(inout) :: key(2)  ! unchanged for a slot outside the array
      type(CellKey), intent(in) :: keys(*)
      integer(c_int32_t), intent(in) :: capacity, slot
    end subroutine
  end interface ck_read_slot


  ! Zero-based key arrays of capacity + 1 slots: slot s (0..capacity) in
  ! keys(2s + 1), keys(2s + 2), or keys(1:2, s) for keys(2, 0:capacity).
  interface ck_write_slot0
    subroutine ck_write_slot0_ck_flat(key, keys, capacity, slot) bind(C, name="ck_write_slot0")
      import :: CellKey, c_int32_t
      type(CellKey), intent(in) :: key
      integer(c_int32_t), intent(inout) :: keys(*)
      integer(c_int32_t), intent(in) :: capacity, slot
    end subroutine
    subroutine ck_write_slot0_ck_pairs(key, keys, capacity, slot) bind(C, name="ck_write_slot0")
      import :: CellKey, c_int32_t
      type(CellKey), intent(in) :: key
      integer(c_int32_t), intent(inout) :: keys(2, *)
      integer(c_int32_t), intent(in) :: capacity, slot
    end subroutine
    subroutine ck_write_slot0_ck_ck(key, keys, capacity, slot) bind(C, name="ck_write_slot0")
      import :: CellKey, c_int32_t
      type(CellKey), intent(in) :: key
      type(CellKey), intent(inout) :: keys(*)
      integer(c_int32_t), intent(in) :: capacity, slot
    end subroutine
    subroutine ck_write_slot0_int_flat(key, keys, capacity, slot) bind(C, name="ck_write_slot0")
      import :: CellKey, c_int32_t
      integer(c_int32_t), intent(in) :: key(2)
      integer(c_int32_t), intent(inout) :: keys(*)
      integer(c_int32_t), intent(in) :: capacity, slot
    end subroutine
    subroutine ck_write_slot0_int_pairs(key, keys, capacity, slot) bind(C, name="ck_write_slot0")
      import :: CellKey, c_int32_t
      integer(c_int32_t), intent(in) :: key(2)
      integer(c_int32_t), intent(inout) :: keys(2, *)
      integer(c_int32_t), intent(in) :: capacity, slot
    end subroutine
    subroutine ck_write_slot0_int_ck(key, keys, capacity, slot) bind(C, name="ck_write_slot0")
      import :: CellKey, c_int32_t
      integer(c_int32_t), intent(in) :: key(2)
      type(CellKey), intent(inout) :: keys(*)
      integer(c_int32_t), intent(in) :: capacity, slot
    end subroutine
  end interface ck_write_slot0


  interface ck_read_slot0
    subroutine ck_read_slot0_ck_flat(key, keys, capacity, slot) bind(C, name="ck_read_slot0")
      import :: CellKey, c_int32_t
      type(CellKey), intent(inout) :: key
      integer(c_int32_t), intent(in) :: keys(*)
      integer(c_int32_t), intent(in) :: capacity, slot
    end subroutine
    subroutine ck_read_slot0_ck_pairs(key, keys, capacity, slot) bind(C, name="ck_read_slot0")
      import :: CellKey, c_int32_t
      type(CellKey), intent(inout) :: key
      integer(c_int32_t), intent(in) :: keys(2, *)
      integer(c_int32_t), intent(in) :: capacity, slot
    end subroutine
    subroutine ck_read_slot0_ck_ck(key, keys, capacity, slot) bind(C, name="ck_read_slot0")
      import :: CellKey, c_int32_t
      type(CellKey), intent(inout) :: key
      type(CellKey), intent(in) :: keys(*)
      integer(c_int32_t), intent(in) :: capacity, slot
    end subroutine
    subroutine ck_read_slot0_int_flat(key, keys, capacity, slot) bind(C, name="ck_read_slot0")
      import :: CellKey, c_int32_t
      integer(c_int32_t), intent(inout) :: key(2)
      integer(c_int32_t), intent(in) :: keys(*)
      integer(c_int32_t), intent(in) :: capacity, slot
    end subroutine
    subroutine ck_read_slot0_int_pairs(key, keys, capacity, slot) bind(C, name="ck_read_slot0")
      import :: CellKey, c_int32_t
      integer(c_int32_t), intent(inout) :: key(2)
      integer(c_int32_t), intent(in) :: keys(2, *)
      integer(c_int32_t), intent(in) :: capacity, slot
    end subroutine
    subroutine ck_read_slot0_int_ck(key, keys, capacity, slot) bind(C, name="ck_read_slot0")
      import :: CellKey, c_int32_t
      integer(c_int32_t), intent(inout) :: key(2)
      type(CellKey), intent(in) :: keys(*)
      integer(c_int32_t), intent(in) :: capacity, slot
    end subroutine
  end interface ck_read_slot0


  interface ck_slot_to_slot
    subroutine ck_slot_to_slot_flat(keys, capacity, from, to) bind(C, name="ck_slot_to_slot")
      import :: CellKey, c_int32_t
      integer(c_int32_t), intent(inout) :: keys(*)
      integer(c_int32_t), intent(in) :: capacity, from, to
    end subroutine
    subroutine ck_slot_to_slot_pairs(keys, capacity, from, to) bind(C, name="ck_slot_to_slot")
      import :: CellKey, c_int32_t
      integer(c_int32_t), intent(inout) :: keys(2, *)
      integer(c_int32_t), intent(in) :: capacity, from, to
    end subroutine
    subroutine ck_slot_to_slot_ck(keys, capacity, from, to) bind(C, name="ck_slot_to_slot")
      import :: CellKey, c_int32_t
      type(CellKey), intent(inout) :: keys(*)
      integer(c_int32_t), intent(in) :: capacity, from, to
    end subroutine
  end interface ck_slot_to_slot


  interface ck_slide_block
    subroutine ck_slide_block_flat(keys, capacity, count, distance, direction) &
        bind(C, name="ck_slide_block")
      import :: CellKey, c_int32_t
      integer(c_int32_t), intent(inout) :: keys(*)
      integer(c_int32_t), intent(in) :: capacity, count, distance, direction
    end subroutine
    subroutine ck_slide_block_pairs(keys, capacity, count, distance, direction) &
        bind(C, name="ck_slide_block")
      import :: CellKey, c_int32_t
      integer(c_int32_t), intent(inout) :: keys(2, *)
      integer(c_int32_t), intent(in) :: capacity, count, distance, direction
    end subroutine
    subroutine ck_slide_block_ck(keys, capacity, count, distance, direction) &
        bind(C, name="ck_slide_block")
      import :: CellKey, c_int32_t
      type(CellKey), intent(inout) :: keys(*)
      integer(c_int32_t), intent(in) :: capacity, count, distance, direction
    end subroutine
  end interface ck_slide_block


  interface ck_gather_range
    subroutine ck_gather_range_flat_flat(compact, compact_capacity, large, large_capacity, first, last) &
        bind(C, name="ck_gather_range")
      import :: CellKey, c_int32_t
      integer(c_int32_t), intent(inout) :: compact(*)
      integer(c_int32_t), intent(in) :: compact_capacity
      integer(c_int32_t), intent(in) :: large(*)
      integer(c_int32_t), intent(in) :: large_capacity, first, last
    end subroutine
    subroutine ck_gather_range_flat_pairs(compact, compact_capacity, large, large_capacity, first, last) &
        bind(C, name="ck_gather_range")
      import :: CellKey, c_int32_t
      integer(c_int32_t), intent(inout) :: compact(*)
      integer(c_int32_t), intent(in) :: compact_capacity
      integer(c_int32_t), intent(in) :: large(2, *)
      integer(c_int32_t), intent(in) :: large_capacity, first, last
    end subroutine
    subroutine ck_gather_range_flat_ck(compact, compact_capacity, large, large_capacity, first, last) &
        bind(C, name="ck_gather_range")
      import :: CellKey, c_int32_t
      integer(c_int32_t), intent(inout) :: compact(*)
      integer(c_int32_t), intent(in) :: compact_capacity
      type(CellKey), intent(in) :: large(*)
      integer(c_int32_t), intent(in) :: large_capacity, first, last
    end subroutine
    subroutine ck_gather_range_pairs_flat(compact, compact_capacity, large, large_capacity, first, last) &
        bind(C, name="ck_gather_range")
      import :: CellKey, c_int32_t
      integer(c_int32_t), intent(inout) :: compact(2, *)
      integer(c_int32_t), intent(in) :: compact_capacity
      integer(c_int32_t), intent(in) :: large(*)
      integer(c_int32_t), intent(in) :: large_capacity, first, last
    end subroutine
    subroutine ck_gather_range_pairs_pairs(compact, compact_capacity, large, large_capacity, first, last) &
        bind(C, name="ck_gather_range")
      import :: CellKey, c_int32_t
      integer(c_int32_t), intent(inout) :: compact(2, *)
      integer(c_int32_t), intent(in) :: compact_capacity
      integer(c_int32_t), intent(in) :: large(2, *)
      integer(c_int32_t), intent(in) :: large_capacity, first, last
    end subroutine
    subroutine ck_gather_range_pairs_ck(compact, compact_capacity, large, large_capacity, first, last) &
        bind(C, name="ck_gather_range")
      import :: CellKey, c_int32_t
      integer(c_int32_t), intent(inout) :: compact(2, *)
      integer(c_int32_t), intent(in) :: compact_capacity
      type(CellKey), intent(in) :: large(*)
      integer(c_int32_t), intent(in) :: large_capacity, first, last
    end subroutine
    subroutine ck_gather_range_ck_flat(compact, compact_capacity, large, large_capacity, first, last) &
        bind(C, name="ck_gather_range")
      import :: CellKey, c_int32_t
      type(CellKey), intent(inout) :: compact(*)
      integer(c_int32_t), intent(in) :: compact_capacity
      integer(c_int32_t), intent(in) :: large(*)
      integer(c_int32_t), intent(in) :: large_capacity, first, last
    end subroutine
    subroutine ck_gather_range_ck_pairs(compact, compact_capacity, large, large_capacity, first, last) &
        bind(C, name="ck_gather_range")
      import :: CellKey, c_int32_t
      type(CellKey), intent(inout) :: compact(*)
      integer(c_int32_t), intent(in) :: compact_capacity
      integer(c_int32_t), intent(in) :: large(2, *)
      integer(c_int32_t), intent(in) :: large_capacity, first, last
    end subroutine
    subroutine ck_gather_range_ck_ck(compact, compact_capacity, large, large_capacity, first, last) &
        bind(C, name="ck_gather_range")
      import :: CellKey, c_int32_t
      type(CellKey), intent(inout) :: compact(*)
      integer(c_int32_t), intent(in) :: compact_capacity
      type(CellKey), intent(in) :: large(*)
      integer(c_int32_t), intent(in) :: large_capacity, first, last
    end subroutine
  end interface ck_gather_range


  interface ck_scatter_range
    subroutine ck_scatter_range_flat_flat(compact, compact_capacity, large, large_capacity, first, last) &
        bind(C, name="ck_scatter_range")
      import :: CellKey, c_int32_t
      integer(c_int32_t), intent(in) :: compact(*)
      integer(c_int32_t), intent(in) :: compact_capacity
      integer(c_int32_t), intent(inout) :: large(*)
      integer(c_int32_t), intent(in) :: large_capacity, first, last
    end subroutine
    subroutine ck_scatter_range_flat_pairs(compact, compact_capacity, large, large_capacity, first, last) &
        bind(C, name="ck_scatter_range")
      import :: CellKey, c_int32_t
      integer(c_int32_t), intent(in) :: compact(*)
      integer(c_int32_t), intent(in) :: compact_capacity
      integer(c_int32_t), intent(inout) :: large(2, *)
      integer(c_int32_t), intent(in) :: large_capacity, first, last
    end subroutine
    subroutine ck_scatter_range_flat_ck(compact, compact_capacity, large, large_capacity, first, last) &
        bind(C, name="ck_scatter_range")
      import :: CellKey, c_int32_t
      integer(c_int32_t), intent(in) :: compact(*)
      integer(c_int32_t), intent(in) :: compact_capacity
      type(CellKey), intent(inout) :: large(*)
      integer(c_int32_t), intent(in) :: large_capacity, first, last
    end subroutine
    subroutine ck_scatter_range_pairs_flat(compact, compact_capacity, large, large_capacity, first, last) &
        bind(C, name="ck_scatter_range")
      import :: CellKey, c_int32_t
      integer(c_int32_t), intent(in) :: compact(2, *)
      integer(c_int32_t), intent(in) :: compact_capacity
      integer(c_int32_t), intent(inout) :: large(*)
      integer(c_int32_t), intent(in) :: large_capacity, first, last
    end subroutine
    subroutine ck_scatter_range_pairs_pairs(compact, compact_capacity, large, large_capacity, first, last) &
        bind(C, name="ck_scatter_range")
      import :: CellKey, c_int32_t
      integer(c_int32_t), intent(in) :: compact(2, *)
      integer(c_int32_t), intent(in) :: compact_capacity
      integer(c_int32_t), intent(inout) :: large(2, *)
      integer(c_int32_t), intent(in) :: large_capacity, first, last
    end subroutine
    subroutine ck_scatter_range_pairs_ck(compact, compact_capacity, large, large_capacity, first, last) &
        bind(C, name="ck_scatter_range")
      import :: CellKey, c_int32_t
      integer(c_int32_t), intent(in) :: compact(2, *)
      integer(c_int32_t), intent(in) :: compact_capacity
      type(CellKey), intent(inout) :: large(*)
      integer(c_int32_t), intent(in) :: large_capacity, first, last
    end subroutine
    subroutine ck_scatter_range_ck_flat(compact, compact_capacity, large, large_capacity, first, last) &
        bind(C, name="ck_scatter_range")
      import :: CellKey, c_int32_t
      type(CellKey), intent(in) :: compact(*)
      integer(c_int32_t), intent(in) :: compact_capacity
      integer(c_int32_t), intent(inout) :: large(*)
      integer(c_int32_t), intent(in) :: large_capacity, first, last
    end subroutine
    subroutine ck_scatter_range_ck_pairs(compact, compact_capacity, large, large_capacity, first, last) &
        bind(C, name="ck_scatter_range")
      import :: CellKey, c_int32_t
      type(CellKey), intent(in) :: compact(*)
      integer(c_int32_t), intent(in) :: compact_capacity
      integer(c_int32_t), intent(inout) :: large(2, *)
      integer(c_int32_t), intent(in) :: large_capacity, first, last
    end subroutine
    subroutine ck_scatter_range_ck_ck(compact, compact_capacity, large, large_capacity, first, last) &
        bind(C, name="ck_scatter_range")
      import :: CellKey, c_int32_t
      type(CellKey), intent(in) :: compact(*)
      integer(c_int32_t), intent(in) :: compact_capacity
      type(CellKey), intent(inout) :: large(*)
      integer(c_int32_t), intent(in) :: large_capacity, first, last
    end subroutine
  end interface ck_scatter_range

  interface

    ! ---- octree ----
    ! Status letters: "N" created or stored, "T", "O", "P", "U" the leaf
    ! found, "E" refused (nothing changed).  Rows above capacity are never
    ! touched.  Arguments written by only some outcomes are intent(inout).

    subroutine tree_reset(parent, child, state, capacity, count) bind(C, name="tree_reset")
      import :: c_int32_t, c_char
      integer(c_int32_t), intent(inout) :: parent(*)
      integer(c_int32_t), intent(inout) :: child(0:7, *)
      character(kind=c_char), intent(inout) :: state(0:7, *)
      integer(c_int32_t), intent(in) :: capacity
      integer(c_int32_t), intent(inout) :: count
    end subroutine

    subroutine tree_reset_to_o(parent, child, state, capacity, count) bind(C, name="tree_reset_to_o")
      import :: c_int32_t, c_char
      integer(c_int32_t), intent(inout) :: parent(*)
      integer(c_int32_t), intent(inout) :: child(0:7, *)
      character(kind=c_char), intent(inout) :: state(0:7, *)
      integer(c_int32_t), intent(in) :: capacity
      integer(c_int32_t), intent(inout) :: count
    end subroutine
  end interface

  interface tree_refine
    subroutine tree_refine_ck(parent, child, state, capacity, count, key, status) &
        bind(C, name="tree_refine")
      import :: CellKey, c_char, c_int32_t
      integer(c_int32_t), intent(inout) :: parent(*)
      integer(c_int32_t), intent(inout) :: child(0:7, *)
      character(kind=c_char), intent(inout) :: state(0:7, *)
      integer(c_int32_t), intent(in) :: capacity
      integer(c_int32_t), intent(inout) :: count
      type(CellKey), intent(in) :: key
      character(kind=c_char), intent(out) :: status
    end subroutine
    subroutine tree_refine_int(parent, child, state, capacity, count, key, status) &
        bind(C, name="tree_refine")
      import :: CellKey, c_char, c_int32_t
      integer(c_int32_t), intent(inout) :: parent(*)
      integer(c_int32_t), intent(inout) :: child(0:7, *)
      character(kind=c_char), intent(inout) :: state(0:7, *)
      integer(c_int32_t), intent(in) :: capacity
      integer(c_int32_t), intent(inout) :: count
      integer(c_int32_t), intent(in) :: key(2)
      character(kind=c_char), intent(out) :: status
    end subroutine
  end interface tree_refine


  ! fill: the new slots' letter; "E" on return when refused.
  interface tree_refine_fill
    subroutine tree_refine_fill_ck(parent, child, state, capacity, count, key, level, fill) &
        bind(C, name="tree_refine_fill")
      import :: CellKey, c_char, c_int32_t
      integer(c_int32_t), intent(inout) :: parent(*)
      integer(c_int32_t), intent(inout) :: child(0:7, *)
      character(kind=c_char), intent(inout) :: state(0:7, *)
      integer(c_int32_t), intent(in) :: capacity
      integer(c_int32_t), intent(inout) :: count
      type(CellKey), intent(in) :: key
      integer(c_int32_t), intent(in) :: level
      character(kind=c_char), intent(inout) :: fill
    end subroutine
    subroutine tree_refine_fill_int(parent, child, state, capacity, count, key, level, fill) &
        bind(C, name="tree_refine_fill")
      import :: CellKey, c_char, c_int32_t
      integer(c_int32_t), intent(inout) :: parent(*)
      integer(c_int32_t), intent(inout) :: child(0:7, *)
      character(kind=c_char), intent(inout) :: state(0:7, *)
      integer(c_int32_t), intent(in) :: capacity
      integer(c_int32_t), intent(inout) :: count
      integer(c_int32_t), intent(in) :: key(2)
      integer(c_int32_t), intent(in) :: level
      character(kind=c_char), intent(inout) :: fill
    end subroutine
  end interface tree_refine_fill


  interface tree_put_value
    subroutine tree_put_value_ck(child, state, capacity, key, value, status) &
        bind(C, name="tree_put_value")
      import :: CellKey, c_char, c_int32_t
      integer(c_int32_t), intent(inout) :: child(0:7, *)
      character(kind=c_char), intent(inout) :: state(0:7, *)
      integer(c_int32_t), intent(in) :: capacity
      type(CellKey), intent(in) :: key
      integer(c_int32_t), intent(in) :: value
      character(kind=c_char), intent(out) :: status
    end subroutine
    subroutine tree_put_value_int(child, state, capacity, key, value, status) &
        bind(C, name="tree_put_value")
      import :: CellKey, c_char, c_int32_t
      integer(c_int32_t), intent(inout) :: child(0:7, *)
      character(kind=c_char), intent(inout) :: state(0:7, *)
      integer(c_int32_t), intent(in) :: capacity
      integer(c_int32_t), intent(in) :: key(2)
      integer(c_int32_t), intent(in) :: value
      character(kind=c_char), intent(out) :: status
    end subroutine
  end interface tree_put_value


  interface tree_put_value_if_free
    subroutine tree_put_value_if_free_ck(child, state, capacity, key, value, status) &
        bind(C, name="tree_put_value_if_free")
      import :: CellKey, c_char, c_int32_t
      integer(c_int32_t), intent(inout) :: child(0:7, *)
      character(kind=c_char), intent(inout) :: state(0:7, *)
      integer(c_int32_t), intent(in) :: capacity
      type(CellKey), intent(in) :: key
      integer(c_int32_t), intent(in) :: value
      character(kind=c_char), intent(out) :: status
    end subroutine
    subroutine tree_put_value_if_free_int(child, state, capacity, key, value, status) &
        bind(C, name="tree_put_value_if_free")
      import :: CellKey, c_char, c_int32_t
      integer(c_int32_t), intent(inout) :: child(0:7, *)
      character(kind=c_char), intent(inout) :: state(0:7, *)
      integer(c_int32_t), intent(in) :: capacity
      integer(c_int32_t), intent(in) :: key(2)
      integer(c_int32_t), intent(in) :: value
      character(kind=c_char), intent(out) :: status
    end subroutine
  end interface tree_put_value_if_free


  interface tree_replace_value
    subroutine tree_replace_value_ck(child, state, capacity, key, value, status) &
        bind(C, name="tree_replace_value")
      import :: CellKey, c_char, c_int32_t
      integer(c_int32_t), intent(inout) :: child(0:7, *)
      character(kind=c_char), intent(inout) :: state(0:7, *)
      integer(c_int32_t), intent(in) :: capacity
      type(CellKey), intent(in) :: key
      integer(c_int32_t), intent(in) :: value
      character(kind=c_char), intent(out) :: status
    end subroutine
    subroutine tree_replace_value_int(child, state, capacity, key, value, status) &
        bind(C, name="tree_replace_value")
      import :: CellKey, c_char, c_int32_t
      integer(c_int32_t), intent(inout) :: child(0:7, *)
      character(kind=c_char), intent(inout) :: state(0:7, *)
      integer(c_int32_t), intent(in) :: capacity
      integer(c_int32_t), intent(in) :: key(2)
      integer(c_int32_t), intent(in) :: value
      character(kind=c_char), intent(out) :: status
    end subroutine
  end interface tree_replace_value


  interface tree_lookup
    subroutine tree_lookup_ck(child, state, capacity, key, level, value, status) &
        bind(C, name="tree_lookup")
      import :: CellKey, c_char, c_int32_t
      integer(c_int32_t), intent(in) :: child(0:7, *)
      character(kind=c_char), intent(in) :: state(0:7, *)
      integer(c_int32_t), intent(in) :: capacity
      type(CellKey), intent(in) :: key
      integer(c_int32_t), intent(out) :: level, value
      character(kind=c_char), intent(out) :: status
    end subroutine
    subroutine tree_lookup_int(child, state, capacity, key, level, value, status) &
        bind(C, name="tree_lookup")
      import :: CellKey, c_char, c_int32_t
      integer(c_int32_t), intent(in) :: child(0:7, *)
      character(kind=c_char), intent(in) :: state(0:7, *)
      integer(c_int32_t), intent(in) :: capacity
      integer(c_int32_t), intent(in) :: key(2)
      integer(c_int32_t), intent(out) :: level, value
      character(kind=c_char), intent(out) :: status
    end subroutine
  end interface tree_lookup


  ! keys: a key array of n slots; levels, values, statuses: n entries each.
  interface tree_lookup_many
    subroutine tree_lookup_many_flat(child, state, capacity, n, keys, levels, values, statuses) &
        bind(C, name="tree_lookup_many")
      import :: CellKey, c_char, c_int32_t
      integer(c_int32_t), intent(in) :: child(0:7, *)
      character(kind=c_char), intent(in) :: state(0:7, *)
      integer(c_int32_t), intent(in) :: capacity, n
      integer(c_int32_t), intent(in) :: keys(*)
      integer(c_int32_t), intent(out) :: levels(*), values(*)
      character(kind=c_char), intent(out) :: statuses(*)
    end subroutine
    subroutine tree_lookup_many_pairs(child, state, capacity, n, keys, levels, values, statuses) &
        bind(C, name="tree_lookup_many")
      import :: CellKey, c_char, c_int32_t
      integer(c_int32_t), intent(in) :: child(0:7, *)
      character(kind=c_char), intent(in) :: state(0:7, *)
      integer(c_int32_t), intent(in) :: capacity, n
      integer(c_int32_t), intent(in) :: keys(2, *)
      integer(c_int32_t), intent(out) :: levels(*), values(*)
      character(kind=c_char), intent(out) :: statuses(*)
    end subroutine
    subroutine tree_lookup_many_ck(child, state, capacity, n, keys, levels, values, statuses) &
        bind(C, name="tree_lookup_many")
      import :: CellKey, c_char, c_int32_t
      integer(c_int32_t), intent(in) :: child(0:7, *)
      character(kind=c_char), intent(in) :: state(0:7, *)
      integer(c_int32_t), intent(in) :: capacity, n
      type(CellKey), intent(in) :: keys(*)
      integer(c_int32_t), intent(out) :: levels(*), values(*)
      character(kind=c_char), intent(out) :: statuses(*)
    end subroutine
  end interface tree_lookup_many

  ! letter: the letter to write; "E" on return when refused.
  interface tree_mark_slot
    subroutine tree_mark_slot_ck(child, state, capacity, key, letter) bind(C, name="tree_mark_slot")
      import :: CellKey, c_char, c_int32_t
      integer(c_int32_t), intent(in) :: child(0:7, *)
      character(kind=c_char), intent(inout) :: state(0:7, *)
      integer(c_int32_t), intent(in) :: capacity
      type(CellKey), intent(in) :: key
      character(kind=c_char), intent(inout) :: letter
    end subroutine
    subroutine tree_mark_slot_int(child, state, capacity, key, letter) bind(C, name="tree_mark_slot")
      import :: CellKey, c_char, c_int32_t
      integer(c_int32_t), intent(in) :: child(0:7, *)
      character(kind=c_char), intent(inout) :: state(0:7, *)
      integer(c_int32_t), intent(in) :: capacity
      integer(c_int32_t), intent(in) :: key(2)
      character(kind=c_char), intent(inout) :: letter
    end subroutine
  end interface tree_mark_slot

  interface

    ! Writes through C stdio, like ck_print.
    subroutine tree_print(parent, child, state, capacity, count) bind(C, name="tree_print")
      import :: c_int32_t, c_char
      integer(c_int32_t), intent(in) :: parent(*)
      integer(c_int32_t), intent(in) :: child(0:7, *)
      character(kind=c_char), intent(in) :: state(0:7, *)
      integer(c_int32_t), intent(in) :: capacity, count
    end subroutine

    ! ---- random numbers ----
    ! arg of the draws and normals is handed on, never read by the library's
    ! own generator.

    subroutine rng_seed(seed1, seed2) bind(C, name="rng_seed")
      import :: c_int32_t
      integer(c_int32_t), intent(in) :: seed1, seed2
    end subroutine

    function rng_draw(arg) result(u) bind(C, name="rng_draw")
      import :: c_int32_t, c_double
      integer(c_int32_t), intent(in) :: arg
      real(c_double) :: u
    end function

    subroutine rng_prepare_second(seed1, seed2) bind(C, name="rng_prepare_second")
      import :: c_int32_t
      integer(c_int32_t), intent(in) :: seed1, seed2
    end subroutine

    subroutine rng_start_second(seed1, seed2) bind(C, name="rng_start_second")
      import :: c_int32_t
      integer(c_int32_t), intent(in) :: seed1, seed2
    end subroutine

    function rng_draw_second(arg) result(u) bind(C, name="rng_draw_second")
      import :: c_int32_t, c_double
      integer(c_int32_t), intent(in) :: arg
      real(c_double) :: u
    end function

    function rng_normal(arg) result(x) bind(C, name="rng_normal")
      import :: c_int32_t, c_double
      integer(c_int32_t), intent(in) :: arg
      real(c_double) :: x
    end function

    function rng_normal_second(arg) result(x) bind(C, name="rng_normal_second")
      import :: c_int32_t, c_double
      integer(c_int32_t), intent(in) :: arg
      real(c_double) :: x
    end function

    subroutine rng_save_state(saved) bind(C, name="rng_save_state")
      import :: c_double
      real(c_double), intent(out) :: saved(100)
    end subroutine

    subroutine rng_load_state(saved) bind(C, name="rng_load_state")
      import :: c_double
      real(c_double), intent(in) :: saved(100)
    end subroutine

    subroutine rng_save_state_second(saved) bind(C, name="rng_save_state_second")
      import :: c_double
      real(c_double), intent(out) :: saved(102)
    end subroutine

    subroutine rng_load_state_second(saved) bind(C, name="rng_load_state_second")
      import :: c_double
      real(c_double), intent(in) :: saved(102)
    end subroutine

    ! ---- message passing (link cellkeys_mpi and MPI) ----
    ! MPI must be initialised first (MPI_Init from Fortran does).  The
    ! arguments named not_read hold their place and may be any array; they
    ! are assumed-type so that any buffer (typically the neighbouring one)
    ! can be passed.

    subroutine msg_count_and_rank(size, rank) bind(C, name="msg_count_and_rank")
      import :: c_int32_t
      integer(c_int32_t), intent(out) :: size, rank
    end subroutine

    ! Displacements count doubles from the buffers' starts, from 0.
    subroutine msg_exchange_variable_doubles(sendbuf, not_read1, sendcounts, sdispls, &
        recvbuf, not_read2, recvcounts, rdispls) bind(C, name="msg_exchange_variable_doubles")
      import :: c_int32_t, c_double
      real(c_double), intent(in) :: sendbuf(*)
      type(*), intent(in) :: not_read1(*)
      integer(c_int32_t), intent(in) :: sendcounts(*), sdispls(*)
      real(c_double), intent(inout) :: recvbuf(*)
      type(*), intent(in) :: not_read2(*)
      integer(c_int32_t), intent(in) :: recvcounts(*), rdispls(*)
    end subroutine

    ! total is written on rank 0 only.
    subroutine msg_sum_int_to_root(value, total) bind(C, name="msg_sum_int_to_root")
      import :: c_int32_t
      integer(c_int32_t), intent(in) :: value
      integer(c_int32_t), intent(inout) :: total
    end subroutine

    subroutine msg_take_ints(buf, count, source, tag) bind(C, name="msg_take_ints")
      import :: c_int32_t
      integer(c_int32_t), intent(inout) :: buf(*)
      integer(c_int32_t), intent(in) :: count, source, tag
    end subroutine

    subroutine msg_exchange_doubles(sendbuf, not_read1, sendcount, recvbuf, not_read2, recvcount) &
        bind(C, name="msg_exchange_doubles")
      import :: c_int32_t, c_double
      real(c_double), intent(in) :: sendbuf(*)
      type(*), intent(in) :: not_read1(*)
      integer(c_int32_t), intent(in) :: sendcount
      real(c_double), intent(inout) :: recvbuf(*)
      type(*), intent(in) :: not_read2(*)
      integer(c_int32_t), intent(in) :: recvcount
    end subroutine

    subroutine msg_collect_doubles(sendbuf, count, recvbuf) bind(C, name="msg_collect_doubles")
      import :: c_int32_t, c_double
      real(c_double), intent(in) :: sendbuf(*)
      integer(c_int32_t), intent(in) :: count
      real(c_double), intent(inout) :: recvbuf(*)
    end subroutine

    subroutine msg_largest_double(value, largest) bind(C, name="msg_largest_double")
      import :: c_double
      real(c_double), intent(in) :: value
      real(c_double), intent(out) :: largest
    end subroutine

    subroutine msg_post_doubles(buf, not_read, count, dest, tag) bind(C, name="msg_post_doubles")
      import :: c_int32_t, c_double
      real(c_double), intent(in) :: buf(*)
      type(*), intent(in) :: not_read(*)
      integer(c_int32_t), intent(in) :: count, dest, tag
    end subroutine

    ! buf is read on the root and written everywhere else.
    subroutine msg_spread_ints(buf, not_read, count, root) bind(C, name="msg_spread_ints")
      import :: c_int32_t
      integer(c_int32_t), intent(inout) :: buf(*)
      type(*), intent(in) :: not_read(*)
      integer(c_int32_t), intent(in) :: count, root
    end subroutine

    subroutine msg_fail_all(code) bind(C, name="msg_fail_all")
      import :: c_int32_t
      integer(c_int32_t), intent(in) :: code
    end subroutine

    subroutine msg_rendezvous() bind(C, name="msg_rendezvous")
    end subroutine

    subroutine msg_shut_down() bind(C, name="msg_shut_down")
    end subroutine


  end interface
end module cellkeys
