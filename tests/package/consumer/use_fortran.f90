! A Fortran program using the installed module and library.
program use_fortran
  use cellkeys
  implicit none
  type(CellKey) :: key
  integer :: level
  call ck_fill_tables()
  call ck_from_ijk(key, 3, 5, 3, 6)
  call ck_get_level(key, level)
  if (key%word1 /= 245 .or. key%word2 /= 100663296 .or. level /= 3 .or. ck_tables(25) /= 33554432) then
    write (*, '(a)') 'use_fortran: wrong key'
    error stop 1
  end if
end program use_fortran
