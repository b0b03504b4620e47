! The module called the way solver codes hold keys: a key as integer key(2),
! a key array as integer keys(2*n) or keys(2, n), and also as an array of
! type(CellKey).  Every key, key-array and octree routine is called, and
! the results are checked against values typed in from the C tests.  Any
! failed check ends the run with a non-zero status.
program integer_keys_test
  use cellkeys
  use checks
  implicit none


  call ck_fill_tables()
  call check_keys()
  call check_navigation()
  call check_key_arrays()
  call check_octree()
  flush (6)
  call check_printing()

  if (failures /= 0) then
    write (*, '(a, i0, a)') 'integer_keys_test: ', failures, ' checks failed'
    error stop 1
  end if
  write (*, '(a)') 'integer_keys_test: all checks passed'

contains

  subroutine check_keys()
    integer :: key(2), other(2), level, i, j, k, octant, digits(20), bits(64)

    call ck_from_ijk(key, 3, 5, 3, 6)
    call expect(all(key == [245, 100663296]), 'ck_from_ijk(3, 5, 3, 6)')
    call ck_from_ijk(other, 11, 2047, 0, 1)
    call expect(all(other == [153391689, 369098757]), 'ck_from_ijk(11, 2047, 0, 1)')
    call ck_get_level(key, level)
    call expect(level == 3, 'ck_get_level')
    call ck_to_ijk(key, 5, i, j, k)
    call expect(i == 20 .and. j == 12 .and. k == 24, 'ck_to_ijk at a finer level')

    call ck_to_octal_digits(key, digits)
    call expect(all(digits == [5, 6, 3, (0, i = 4, 20)]), 'ck_to_octal_digits')
    call ck_from_octal_digits(other, digits)
    call expect(all(other == [245, 0]), 'ck_from_octal_digits leaves level 0')
    call ck_set_level(other, 3)
    call expect(all(other == [245, 100663296]), 'ck_set_level')
    call ck_to_bits(key, bits)
    call expect(all(bits(1:9) == [1, 0, 1, 0, 1, 1, 1, 1, 0]) .and. all(bits(10:) == 0), 'ck_to_bits')
    call ck_from_bits(other, bits)
    call expect(all(other == [245, 0]), 'ck_from_bits')

    call ck_own_digit(key, octant)
    call expect(octant == 3, 'ck_own_digit')
    call ck_digit_at(key, 2, octant)
    call expect(octant == 6, 'ck_digit_at')
    call ck_duplicate(key, other)
    call expect(all(other == [245, 100663296]), 'ck_duplicate')
    call ck_clear(other)
    call expect(all(other == 0), 'ck_clear')
  end subroutine

  subroutine check_navigation()
    integer :: key(2), other(2), expected(2), result, bits(64)

    call ck_from_ijk(key, 3, 5, 3, 6)
    call ck_to_child(key, 4)
    call expect(all(key == [2293, 134217728]), 'ck_to_child')
    call ck_to_parent(key)
    call expect(all(key == [245, 100663296]), 'ck_to_parent')
    call ck_truncate_into(key, other, 2)
    call expect(all(other == [53, 67108864]), 'ck_truncate_into')
    call ck_truncate_to(other, 1)
    call expect(all(other == [5, 33554432]), 'ck_truncate_to')

    call ck_collate(other, key, result)
    call expect(result == -1, 'ck_collate: the ancestor comes first')
    call ck_collate_at(key, other, 1, result)
    call expect(result == 0, 'ck_collate_at: same level-1 cell')

    call ck_next_cell(other)
    call expect(all(other == [6, 33554432]), 'ck_next_cell')
    call ck_prev_cell(other)
    call expect(all(other == [5, 33554432]), 'ck_prev_cell')
    call ck_duplicate(key, other)
    call ck_next_cell_at(other, 1)
    call expect(all(other == [6, 100663296]), 'ck_next_cell_at')
    call ck_prev_cell_at(other, 1)
    call expect(all(other == [5, 100663296]), 'ck_prev_cell_at')

    call ck_to_bits(key, bits)
    call ck_axis_neighbour(other, bits, 3, 1, 1)
    call ck_from_ijk(expected, 3, 6, 3, 6)
    call expect(all(other == expected), 'ck_axis_neighbour up axis 1')
  end subroutine

  ! The same steps on a key array of each form; slot s holds (10 s, level 1).
  subroutine check_key_arrays()
    integer :: flat(8), pairs(2, 4), flat0(6), compact(2, 2), key(2), got(2), s
    type(CellKey) :: typed(4), typed_compact(2)

    flat = 0
    pairs = 0
    typed = CellKey(0, 0)
    do s = 1, 3
      key = [10 * s, 33554432]
      call ck_write_slot(key, flat, 4, s)
      call ck_write_slot(key, pairs, 4, s)
      call ck_write_slot(key, typed, 4, s)
    end do
    call expect(all(flat(3:4) == [20, 33554432]) .and. all(pairs(:, 2) == [20, 33554432]) .and. &
                typed(2)%word1 == 20, 'ck_write_slot fills slot 2 of each form')
    call ck_read_slot(got, flat, 4, 3)
    call expect(all(got == [30, 33554432]), 'ck_read_slot from keys(2*n)')
    call ck_read_slot(got, pairs, 4, 3)
    call expect(all(got == [30, 33554432]), 'ck_read_slot from keys(2, n)')
    call ck_read_slot(got, typed, 4, 3)
    call expect(all(got == [30, 33554432]), 'ck_read_slot from type(CellKey) keys(n)')

    call ck_slot_to_slot(flat, 4, 1, 4)
    call ck_slot_to_slot(pairs, 4, 1, 4)
    call ck_slot_to_slot(typed, 4, 1, 4)
    call expect(flat(7) == 10 .and. pairs(1, 4) == 10 .and. typed(4)%word1 == 10, 'ck_slot_to_slot')
    call ck_slot_assign(flat, 4, 2, 4)
    call ck_slot_assign(pairs, 4, 2, 4)
    call ck_slot_assign(typed, 4, 2, 4)
    call expect(flat(7) == 20 .and. pairs(1, 4) == 20 .and. typed(4)%word1 == 20, 'ck_slot_assign')
    call ck_slide_block(flat, 4, 2, 1, 1)
    call ck_slide_block(pairs, 4, 2, 1, 1)
    call ck_slide_block(typed, 4, 2, 1, 1)
    call expect(all(flat(1:7:2) == [10, 10, 20, 20]) .and. all(pairs(1, :) == [10, 10, 20, 20]) .and. &
                all(typed%word1 == [10, 10, 20, 20]), 'ck_slide_block up by one')

    call ck_gather_range(compact, 2, flat, 4, 2, 3)
    call expect(all(compact(1, :) == [10, 20]), 'ck_gather_range from keys(2*n) into keys(2, n)')
    call ck_gather_range(typed_compact, 2, pairs, 4, 2, 3)
    call expect(all(typed_compact%word1 == [10, 20]), 'ck_gather_range into type(CellKey) keys(n)')
    compact(1, :) = [77, 88]
    call ck_scatter_range(compact, 2, pairs, 4, 3, 4)
    call expect(all(pairs(1, :) == [10, 10, 77, 88]), 'ck_scatter_range')
    call ck_scatter_range(compact, 2, typed, 4, 3, 4)
    call expect(all(typed%word1 == [10, 10, 77, 88]), 'ck_scatter_range into type(CellKey) keys(n)')

    flat0 = -1
    call ck_write_slot0(pairs(:, 4), flat0, 2, 0)
    call expect(all(flat0(1:2) == [88, 33554432]) .and. all(flat0(3:) == -1), 'ck_write_slot0 slot 0')
    call ck_read_slot0(key, flat0, 2, 0)
    call expect(all(key == [88, 33554432]), 'ck_read_slot0')
  end subroutine

  subroutine check_octree()
    integer, parameter :: capacity = 10
    integer :: parent(capacity), child(0:7, capacity), count, level, value, n
    character :: state(0:7, capacity), status, letter
    integer :: keys(2, 3)  ! the cell, its child in octant 2, its child in octant 6

    call tree_reset(parent, child, state, capacity, count)
    call ck_from_ijk(keys(:, 1), 3, 5, 3, 6)
    keys(:, 2) = keys(:, 1)
    call ck_to_child(keys(:, 2), 2)
    keys(:, 3) = keys(:, 1)
    call ck_to_child(keys(:, 3), 6)
    do n = 2, 4
      call tree_refine(parent, child, state, capacity, count, keys(:, 1), status)
      call expect(status == 'N' .and. count == n, 'tree_refine one level per call')
    end do
    call expect(child(5, 1) == 2 .and. child(6, 2) == 3 .and. child(3, 3) == 4, 'tree_refine child words')
    call tree_lookup(child, state, capacity, keys(:, 1), level, value, status)
    call expect(status == 'N' .and. level == 3 .and. value == 4, 'tree_lookup of an own node')

    call tree_put_value(child, state, capacity, keys(:, 2), 77, status)
    call expect(status == 'N' .and. state(2, 4) == 'T' .and. child(2, 4) == 77, 'tree_put_value')
    call tree_replace_value(child, state, capacity, keys(:, 2), 88, status)
    call tree_lookup(child, state, capacity, keys(:, 2), level, value, status)
    call expect(status == 'T' .and. level == 4 .and. value == 88, 'tree_replace_value then tree_lookup')

    letter = 'O'
    call tree_mark_slot(child, state, capacity, keys(:, 3), letter)
    call expect(letter == 'O' .and. state(6, 4) == 'O', 'tree_mark_slot')
    call tree_put_value_if_free(child, state, capacity, keys(:, 3), 55, status)
    call expect(status == 'O' .and. state(6, 4) == 'O', 'tree_put_value_if_free leaves an O leaf')
    letter = 'P'
    call tree_refine_fill(parent, child, state, capacity, count, keys(:, 3), 5, letter)
    call expect(letter == 'P' .and. count == 5 .and. child(6, 4) == 5 .and. all(state(:, 5) == 'P'), &
                'tree_refine_fill')

    call tree_reset_to_o(parent, child, state, capacity, count)
    call tree_refine(parent, child, state, capacity, count, keys(:, 1), status)
    call expect(count == 1 .and. status == 'O', 'tree_reset_to_o')
  end subroutine

  subroutine check_printing()
    integer :: parent(3), child(0:7, 3), count, key(2)
    character :: state(0:7, 3), status

    call ck_from_ijk(key, 3, 5, 3, 6)
    call ck_print(key)
    call tree_reset(parent, child, state, 3, count)
    call ck_truncate_to(key, 1)
    call tree_refine(parent, child, state, 3, count, key, status)
    call tree_print(parent, child, state, 3, count)
  end subroutine

end program integer_keys_test
