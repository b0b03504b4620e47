! What the Fortran test programs share: the count of failed checks, one
! check that reports what failed, and reals compared bit for bit.
module checks
  use, intrinsic :: iso_c_binding, only: c_double, c_int64_t
  implicit none
  private
  public :: failures, failed_where, expect, exactly

  integer :: failures = 0
  ! Said after FAILED in each report, such as " on rank 3".
  character(len=32) :: failed_where = ''

contains

  subroutine expect(ok, what)
    logical, intent(in) :: ok
    character(*), intent(in) :: what
    if (.not. ok) then
      failures = failures + 1
      write (*, '(4a)') 'FAILED', trim(failed_where), ': ', what
    end if
  end subroutine

  ! Reals compared bit for bit: every value the tests check is exact.
  logical function exactly(a, b)
    real(c_double), intent(in) :: a, b
    exactly = transfer(a, 0_c_int64_t) == transfer(b, 0_c_int64_t)
  end function

end module checks
