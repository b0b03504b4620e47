! Reference writer for the number-text tests: reads 8-byte reals (native
! byte order, no record markers) from the file named by the first argument
! and writes each with the formatted WRITE edit descriptor 1PE12.4, one per
! line, to the file named by the second argument.
program real_text_reference
  implicit none
  character(len=4096) :: in_name, out_name
  integer :: u, nbytes
  real(8), allocatable :: x(:)

  call get_command_argument(1, in_name)
  call get_command_argument(2, out_name)
  inquire(file=trim(in_name), size=nbytes)
  allocate(x(nbytes / 8))
  open(newunit=u, file=trim(in_name), access='stream', form='unformatted', &
       action='read', status='old')
  read(u) x
  close(u)
  open(newunit=u, file=trim(out_name), form='formatted', action='write', &
       status='replace')
  write(u, '(1PE12.4)') x
  close(u)
end program real_text_reference
