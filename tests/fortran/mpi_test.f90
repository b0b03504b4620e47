! The message-passing wrappers called through the Fortran module, with MPI
! started and queried from Fortran (mpi_f08).  Run under mpiexec with any
! number of processes; with the argument "fail" it ends the job through
! msg_fail_all with code 7 instead.  Values name their origin and
! destination so that each rank can check what it received by hand.
program wrappers_from_fortran
  use, intrinsic :: iso_c_binding, only: c_int32_t, c_double
  use mpi_f08
  use cellkeys
  use checks
  implicit none

  integer :: n, d, s, k, at
  integer(c_int32_t) :: size, rank, total, ints(3), count
  integer(c_int32_t), allocatable :: scount(:), sdispl(:), rcount(:), rdispl(:)
  real(c_double), allocatable :: send(:), recv(:)
  real(c_double) :: largest, got(2)
  character(len=8) :: mode
  logical :: finalized
  integer, parameter :: block = 3

  call MPI_Init()
  call MPI_Comm_size(MPI_COMM_WORLD, n)
  call get_command_argument(1, mode)
  if (mode == 'fail') call msg_fail_all(7)

  size = -1
  rank = -1
  call msg_count_and_rank(size, rank)
  write (failed_where, '(a, i0)') ' on rank ', rank
  call MPI_Comm_rank(MPI_COMM_WORLD, k)
  call expect(size == n .and. rank == k, 'msg_count_and_rank agrees with MPI_Comm_size and MPI_Comm_rank')

  ! Equal blocks: block d goes to rank d.
  allocate (send(block * n), recv(block * n))
  do d = 0, n - 1
    do k = 1, block
      send(d * block + k) = tagged(rank, d, k)
    end do
  end do
  recv = -1
  call msg_exchange_doubles(send, send, block, recv, recv, block)
  do s = 0, n - 1
    do k = 1, block
      call expect(exactly(recv(s * block + k), tagged(s, rank, k)), 'msg_exchange_doubles')
    end do
  end do
  deallocate (send, recv)

  ! Uneven counts (some zero) with holes between the blocks; displacements
  ! count from 0.
  allocate (scount(n), sdispl(n), rcount(n), rdispl(n), send(4 * n), recv(4 * n))
  send = -5
  recv = -1
  do d = 0, n - 1
    scount(d + 1) = mod(rank + 2 * d, 3)
    sdispl(d + 1) = 4 * d + 1
    do k = 1, scount(d + 1)
      send(sdispl(d + 1) + k) = tagged(rank, d, k)
    end do
    rcount(d + 1) = mod(d + 2 * rank, 3)
    rdispl(d + 1) = 4 * (n - 1 - d)
  end do
  call msg_exchange_variable_doubles(send, send, scount, sdispl, recv, recv, rcount, rdispl)
  do s = 0, n - 1
    at = rdispl(s + 1)
    do k = 1, 4
      if (k <= rcount(s + 1)) then
        call expect(exactly(recv(at + k), tagged(s, rank, k)), 'msg_exchange_variable_doubles block')
      else
        call expect(exactly(recv(at + k), -1.0_c_double), 'msg_exchange_variable_doubles leaves holes')
      end if
    end do
  end do
  deallocate (send, recv)

  total = -7
  call msg_sum_int_to_root(rank + 1, total)
  if (rank == 0) then
    call expect(total == n * (n + 1) / 2, 'msg_sum_int_to_root on rank 0')
  else
    call expect(total == -7, 'msg_sum_int_to_root writes only rank 0')
  end if

  allocate (send(2), recv(2 * n))
  send = [real(rank, c_double), -real(rank, c_double) - 0.5_c_double]
  call msg_collect_doubles(send, 2, recv)
  do s = 0, n - 1
    call expect(exactly(recv(2 * s + 1), real(s, c_double)) .and. exactly(recv(2 * s + 2), -s - 0.5_c_double), &
                'msg_collect_doubles')
  end do

  call msg_largest_double(real(10 * rank, c_double) + 0.25_c_double, largest)
  call expect(exactly(largest, 10 * (n - 1) + 0.25_c_double), 'msg_largest_double')

  ints = 0
  if (rank == n - 1) ints = [11, 22, 33]
  call msg_spread_ints(ints, ints, 3, n - 1)
  call expect(all(ints == [11, 22, 33]), 'msg_spread_ints from the last rank')

  ! Point to point in pairs (0, 1), (2, 3), ...: the even rank posts reals
  ! and takes integers, the odd one answers from plain MPI.
  if (mod(rank, 2) == 0 .and. rank + 1 < n) then
    got = [1.5_c_double, real(rank, c_double)]
    call msg_post_doubles(got, got, 2, rank + 1, 5)
    ints = 0
    count = 3
    call msg_take_ints(ints, count, rank + 1, 6)
    call expect(all(ints == [rank + 1, 4, 9]), 'msg_take_ints')
  else if (mod(rank, 2) == 1) then
    call MPI_Recv(got, 2, MPI_DOUBLE_PRECISION, rank - 1, 5, MPI_COMM_WORLD, MPI_STATUS_IGNORE)
    call expect(exactly(got(1), 1.5_c_double) .and. exactly(got(2), real(rank - 1, c_double)), 'msg_post_doubles')
    call MPI_Send([rank, 4, 9], 3, MPI_INTEGER, rank - 1, 6, MPI_COMM_WORLD)
  end if

  call msg_rendezvous()
  call msg_shut_down()
  call MPI_Finalized(finalized)
  call expect(finalized, 'msg_shut_down finalizes MPI')

  if (failures /= 0) then
    write (*, '(a, i0, a, i0, a)') 'mpi_test rank ', rank, ': ', failures, ' checks failed'
    error stop 1
  end if

contains

  real(c_double) function tagged(from, to, k)
    integer(c_int32_t), intent(in) :: from
    integer, intent(in) :: to, k
    tagged = 1000 * from + 10 * to + k + 0.5_c_double
  end function

end program wrappers_from_fortran
