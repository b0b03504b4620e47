! Every subsystem of the library called through the Fortran module, with
! the octree arrays declared the Fortran way and results checked against
! values typed in from the C tests.  ck_print and tree_print write through
! C stdio; run_and_match.cmake checks their lines.  Any failed check ends
! the run with a non-zero status.
program library_test
  use, intrinsic :: iso_c_binding, only: c_int32_t, c_double, c_char, c_sizeof
  use cellkeys
  use checks
  implicit none


  call check_tables()
  call check_keys()
  call check_navigation()
  call check_key_arrays()
  call check_octree()
  call check_random()
  call check_printing()

  if (failures /= 0) then
    write (*, '(a, i0, a)') 'library_test: ', failures, ' checks failed'
    error stop 1
  end if
  write (*, '(a)') 'library_test: all checks passed'

contains

  logical function same(a, w1, w2)
    type(CellKey), intent(in) :: a
    integer, intent(in) :: w1, w2
    same = a%word1 == w1 .and. a%word2 == w2
  end function

  subroutine check_tables()
    call expect(ck_tables(25) == 0, 'ck_tables is zero before ck_fill_tables')
    call ck_fill_tables()
    call expect(ck_tables(0) == 1 .and. ck_tables(25) == 33554432 .and. ck_tables(30) == 1073741824, &
                'ck_tables bit weights seen from Fortran')
    call expect(ck_tables(31) == 1 .and. ck_tables(32) == 8 .and. ck_tables(41) == 1073741824, &
                'ck_tables digit weights seen from Fortran')
    call expect(all(ck_tables(42:51) == [30, 24, 10, 8, 60, 54, 20, 18, 54, 28]), &
                'ck_tables counts seen from Fortran')
    call expect(c_sizeof(rng_state) == 792 .and. c_sizeof(rng_normal_cache) == 16, &
                'record sizes match the C layout')
  end subroutine

  subroutine check_keys()
    type(CellKey) :: key, other
    integer(c_int32_t) :: level, i, j, k, octant, digits(20), bits(64)

    call ck_from_ijk(key, 3, 5, 3, 6)
    call expect(same(key, 245, 100663296), 'ck_from_ijk(3, 5, 3, 6)')
    call ck_from_ijk(other, 11, 2047, 0, 1)
    call expect(same(other, 153391689, 369098757), 'ck_from_ijk(11, 2047, 0, 1)')
    call ck_get_level(key, level)
    call expect(level == 3, 'ck_get_level')
    call ck_to_ijk(key, 2, i, j, k)
    call expect(i == 2 .and. j == 1 .and. k == 3, 'ck_to_ijk at a coarser level')
    call ck_to_ijk(key, 5, i, j, k)
    call expect(i == 20 .and. j == 12 .and. k == 24, 'ck_to_ijk at a finer level')

    call ck_to_octal_digits(key, digits)
    call expect(all(digits == [5, 6, 3, (0, i = 4, 20)]), 'ck_to_octal_digits')
    call ck_from_octal_digits(other, digits)
    call expect(same(other, 245, 0), 'ck_from_octal_digits leaves level 0')
    call ck_set_level(other, 3)
    call expect(same(other, 245, 100663296), 'ck_set_level')

    call ck_to_bits(key, bits)
    call expect(all(bits(1:9) == [1, 0, 1, 0, 1, 1, 1, 1, 0]) .and. all(bits(10:) == 0), 'ck_to_bits')
    call ck_from_bits(other, bits)
    call expect(same(other, 245, 0), 'ck_from_bits')

    call ck_own_digit(key, octant)
    call expect(octant == 3, 'ck_own_digit')
    call ck_digit_at(key, 2, octant)
    call expect(octant == 6, 'ck_digit_at')

    call ck_duplicate(key, other)
    call expect(same(other, 245, 100663296), 'ck_duplicate')
    call ck_clear(other)
    call expect(same(other, 0, 0), 'ck_clear')
  end subroutine

  subroutine check_navigation()
    type(CellKey) :: key, other, expected
    integer(c_int32_t) :: result, bits(64)

    call ck_from_ijk(key, 3, 5, 3, 6)
    call ck_to_child(key, 4)
    call expect(same(key, 2293, 134217728), 'ck_to_child')
    call ck_to_parent(key)
    call expect(same(key, 245, 100663296), 'ck_to_parent')
    call ck_truncate_into(key, other, 2)
    call expect(same(other, 53, 67108864), 'ck_truncate_into')
    call ck_truncate_to(other, 1)
    call expect(same(other, 5, 33554432), 'ck_truncate_to')

    call ck_collate(other, key, result)
    call expect(result == -1, 'ck_collate: the ancestor comes first')
    call ck_collate(key, other, result)
    call expect(result == 1, 'ck_collate: the descendant comes after')
    call ck_collate(key, key, result)
    call expect(result == 0, 'ck_collate: equal keys')
    call ck_collate_at(key, other, 1, result)
    call expect(result == 0, 'ck_collate_at: same level-1 cell')

    call ck_next_cell(other)
    call expect(same(other, 6, 33554432), 'ck_next_cell')
    call ck_next_cell(other)
    call ck_next_cell(other)
    call expect(same(other, 0, 33554432), 'ck_next_cell wraps')
    call ck_prev_cell(other)
    call expect(same(other, 7, 33554432), 'ck_prev_cell wraps back')
    call ck_duplicate(key, other)
    call ck_next_cell_at(other, 1)
    call expect(same(other, 6, 100663296), 'ck_next_cell_at')
    call ck_prev_cell_at(other, 1)
    call expect(same(other, 5, 100663296), 'ck_prev_cell_at')

    call ck_to_bits(key, bits)
    call ck_axis_neighbour(other, bits, 3, 1, 1)
    call ck_from_ijk(expected, 3, 6, 3, 6)
    call expect(same(other, expected%word1, expected%word2), 'ck_axis_neighbour up axis 1')
    call ck_axis_neighbour(other, bits, 3, 3, -1)
    call ck_from_ijk(expected, 3, 5, 3, 5)
    call expect(same(other, expected%word1, expected%word2), 'ck_axis_neighbour down axis 3')
  end subroutine

  subroutine check_key_arrays()
    integer(c_int32_t) :: keys(2, 4), compact(2, 2), keys0(2, 0:2)
    integer(c_int32_t) :: order(4), work(5 * 4 + 4096)
    type(CellKey) :: key, got
    integer(c_int32_t) :: s

    keys = 0
    do s = 1, 3
      call ck_from_ijk(key, 1, s, 0, 0)
      key%word1 = 10 * s
      call ck_write_slot(key, keys, 4, s)
    end do
    call expect(all(keys(:, 2) == [20, 33554432]), 'ck_write_slot fills slot 2 at keys(:, 2)')
    call ck_read_slot(got, keys, 4, 3)
    call expect(same(got, 30, 33554432), 'ck_read_slot')
    call ck_slot_to_slot(keys, 4, 1, 4)
    call expect(all(keys(:, 4) == [10, 33554432]), 'ck_slot_to_slot')
    call ck_slot_assign(keys, 4, 2, 4)
    call expect(all(keys(:, 4) == [20, 33554432]), 'ck_slot_assign')
    call ck_slide_block(keys, 4, 2, 1, 1)
    call expect(all(keys(1, :) == [10, 10, 20, 20]), 'ck_slide_block up by one')
    call ck_gather_range(compact, 2, keys, 4, 2, 3)
    call expect(all(compact(1, :) == [10, 20]), 'ck_gather_range')
    compact(1, :) = [77, 88]
    call ck_scatter_range(compact, 2, keys, 4, 3, 4)
    call expect(all(keys(1, :) == [10, 10, 77, 88]), 'ck_scatter_range')

    keys0 = -1
    call ck_write_slot0(got, keys0, 2, 0)
    call expect(all(keys0(:, 0) == [30, 33554432]) .and. all(keys0(:, 1:) == -1), 'ck_write_slot0 slot 0')
    call ck_read_slot0(key, keys0, 2, 0)
    call expect(same(key, 30, 33554432), 'ck_read_slot0')

    ! Slots 1..4 now hold level-1 keys with words 10, 10, 77, 88: level-1 digits
    ! 2, 2, 5, 0; the two equal keys keep their order.
    call ck_sort_keys(4, keys, order, work)
    call expect(all(order == [4, 1, 2, 3]), 'ck_sort_keys')
  end subroutine

  subroutine check_octree()
    integer, parameter :: capacity = 10
    integer(c_int32_t) :: parent(capacity), child(0:7, capacity), count, level, value
    character(kind=c_char) :: state(0:7, capacity), status, letter
    type(CellKey) :: key3, key4, sibling
    integer :: n

    call tree_reset(parent, child, state, capacity, count)
    call expect(count == 1 .and. parent(1) == 0 .and. all(state(:, 1) == 'U') .and. all(child(:, 1) == 0), &
                'tree_reset')
    call ck_from_ijk(key3, 3, 5, 3, 6)          ! digits 5, 6, 3
    do n = 2, 4
      call tree_refine(parent, child, state, capacity, count, key3, status)
      call expect(status == 'N' .and. count == n, 'tree_refine one level per call')
    end do
    call expect(child(5, 1) == 2 .and. child(6, 2) == 3 .and. child(3, 3) == 4, 'tree_refine child words')
    call expect(all(state(:, 4) == 'U') .and. parent(4) == 3 .and. state(3, 3) == 'N', 'tree_refine new node')
    call tree_refine(parent, child, state, capacity, count, key3, status)
    call expect(status == 'E' .and. count == 4, 'tree_refine refuses an existing node')

    call tree_lookup(child, state, capacity, key3, level, value, status)
    call expect(status == 'N' .and. level == 3 .and. value == 4, 'tree_lookup of an own node')

    call ck_duplicate(key3, key4)
    call ck_to_child(key4, 2)
    call tree_put_value(child, state, capacity, key4, 77, status)
    call expect(status == 'N' .and. state(2, 4) == 'T' .and. child(2, 4) == 77, 'tree_put_value')
    call tree_put_value(child, state, capacity, key4, 78, status)
    call expect(status == 'T' .and. child(2, 4) == 77, 'tree_put_value keeps a held value')
    call tree_replace_value(child, state, capacity, key4, 88, status)
    call tree_lookup(child, state, capacity, key4, level, value, status)
    call expect(status == 'T' .and. level == 4 .and. value == 88, 'tree_replace_value then tree_lookup')

    call ck_duplicate(key3, sibling)
    call ck_to_child(sibling, 6)
    letter = 'O'
    call tree_mark_slot(child, state, capacity, sibling, letter)
    call expect(letter == 'O' .and. state(6, 4) == 'O', 'tree_mark_slot')
    call tree_put_value_if_free(child, state, capacity, sibling, 55, status)
    call expect(status == 'O' .and. state(6, 4) == 'O', 'tree_put_value_if_free leaves an O leaf')
    call tree_put_value(child, state, capacity, sibling, 55, status)
    call expect(status == 'N' .and. child(6, 4) == 55, 'tree_put_value takes an O leaf')

    letter = 'P'
    call tree_refine_fill(parent, child, state, capacity, count, sibling, 5, letter)
    call expect(letter == 'P' .and. count == 5 .and. child(6, 4) == 5 .and. state(6, 4) == 'N', &
                'tree_refine_fill on a value slot')
    call expect(all(state(:, 5) == 'P') .and. parent(5) == 4, 'tree_refine_fill new slots')

    call tree_reset_to_o(parent, child, state, capacity, count)
    call tree_refine(parent, child, state, capacity, count, key3, status)
    call expect(count == 1 .and. status == 'O' .and. all(state(:, 1) == 'O'), 'tree_reset_to_o')
  end subroutine

  subroutine check_random()
    integer(c_int32_t), parameter :: arg = -99
    real(c_double) :: saved(100), saved2(102), u, v, x, y
    integer :: n

    ! Each draw is its own statement: a function with side effects inside a
    ! longer expression might not be called.
    call rng_seed(1802, 9373)
    do n = 1, 20000
      u = rng_draw(arg)
    end do
    u = rng_draw(arg)
    v = rng_draw(arg)
    call expect(exactly(u * 16777216, 6533892.0_c_double) .and. exactly(v * 16777216, 14220222.0_c_double), &
                'rng_draw after 20000 draws gives the published values')
    call expect(rng_state%integers(1) >= 1 .and. rng_state%integers(1) <= 97 .and. &
                rng_state%integers(3) >= 0, 'rng_state fields readable from Fortran')

    call rng_save_state(saved)
    u = rng_draw(arg)
    call rng_load_state(saved)
    v = rng_draw(arg)
    call expect(exactly(v, u), 'rng_save_state and rng_load_state')

    call rng_start_second(1802, 9373)
    do n = 1, 20000
      u = rng_draw_second(arg)
    end do
    u = rng_draw_second(arg)
    call expect(exactly(u * 16777216, 6533892.0_c_double), 'rng_draw_second')
    call rng_prepare_second(1802, 9373)
    u = rng_draw_second(arg)
    call expect(.not. exactly(u * 16777216, 6533892.0_c_double), &
                'rng_prepare_second restarts the second sequence')

    rng_normal_cache%waiting = 0
    x = rng_normal(arg)
    call expect(rng_normal_cache%waiting == 1, 'rng_normal keeps its second deviate')
    y = rng_normal_cache%value
    x = rng_normal(arg)
    call expect(exactly(x, y) .and. rng_normal_cache%waiting == 0, 'rng_normal returns the cached deviate')
    rng_normal_cache%value = 1.25_c_double
    rng_normal_cache%waiting = 1
    x = rng_normal(arg)
    call expect(exactly(x, 1.25_c_double), 'rng_normal reads a cache written from Fortran')

    v = rng_normal_second(arg)
    call rng_save_state_second(saved2)
    call expect(exactly(saved2(102), 1.0_c_double), 'rng_save_state_second saves the waiting deviate')
    x = rng_normal_second(arg)
    y = rng_normal_second(arg)
    call rng_load_state_second(saved2)
    u = rng_normal_second(arg)
    v = rng_normal_second(arg)
    call expect(exactly(u, x) .and. exactly(v, y), 'rng_load_state_second')
  end subroutine

  subroutine check_printing()
    integer(c_int32_t) :: parent(3), child(0:7, 3), count
    character(kind=c_char) :: state(0:7, 3), status
    type(CellKey) :: key

    flush (6)
    call ck_from_ijk(key, 3, 5, 3, 6)
    call ck_print(key)
    call tree_reset(parent, child, state, 3, count)
    call ck_truncate_to(key, 1)
    call tree_refine(parent, child, state, 3, count, key, status)
    call tree_print(parent, child, state, 3, count)
  end subroutine

end program library_test
