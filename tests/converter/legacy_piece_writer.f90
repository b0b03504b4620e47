! Writes the piece file of one binary result file the plain Fortran way:
! unformatted sequential READs and formatted WRITEs with the 1PE12.4, I8 and
! I3 edit descriptors.  It is the yardstick for cellplot: the tests compare
! its bytes with cellplot's, and the benchmark times it.
!
!   legacy_piece_writer RESULT_FILE PIECE_FILE
program legacy_piece_writer
  implicit none
  integer, parameter :: dp = kind(1.0d0)
  integer :: idum, npieces, reflevel, nlevels, ncells, nspecies, i, j, k, a, l, p, npoints
  real(dp) :: extent(3), rootsize, hdum(4), hx, hy, hz, cellsize(0:63)
  integer, allocatable :: nlevel(:), icnect(:,:), offsets(:), types(:)
  real(dp), allocatable :: x(:), y(:), z(:), s(:), d(:), e(:), t(:), pr(:), u(:,:), ys(:,:)
  real(dp), allocatable :: points(:,:)
  real(dp), parameter :: sgn(3,8) = reshape([ &
       -1d0,-1d0,-1d0,  1d0,-1d0,-1d0, -1d0, 1d0,-1d0,  1d0, 1d0,-1d0, &
       -1d0,-1d0, 1d0,  1d0,-1d0, 1d0, -1d0, 1d0, 1d0,  1d0, 1d0, 1d0], [3,8])
  character(len=4096) :: infile, outfile
  character(len=30) :: name

  call get_command_argument(1, infile)
  call get_command_argument(2, outfile)
  open(10, file=trim(infile), form='unformatted', access='sequential', status='old')
  read(10) idum, npieces
  read(10) extent
  read(10) rootsize, reflevel, nlevels, ncells, nspecies
  read(10) hdum
  allocate(nlevel(ncells), x(ncells), y(ncells), z(ncells), s(ncells), d(ncells), e(ncells), &
           t(ncells), pr(ncells), u(3,ncells), ys(nspecies,ncells), points(3,8*ncells), &
           icnect(8,ncells), offsets(ncells), types(ncells))
  read(10) nlevel
  read(10) x
  read(10) y
  read(10) z
  read(10) s
  read(10) d
  read(10) e
  read(10) t
  read(10) pr
  do a = 1, 3
    read(10) u(a,:)
  end do
  do j = 1, nspecies
    read(10) ys(j,:)
  end do
  close(10)

  cellsize(0) = rootsize
  do l = 1, nlevels
    cellsize(l) = cellsize(l-1) * 0.5d0
  end do
  do i = 1, ncells
    hx = 0.5d0 * cellsize(nlevel(i))
    hy = hx
    hz = hx
    if (extent(3) < 1d-10) then
      hz = 0.5d0 * cellsize(reflevel)
      if (extent(2) < 1d-10) hy = 0.5d0 * cellsize(reflevel)
    end if
    do k = 1, 8
      p = 8*(i-1) + k
      points(1,p) = x(i) + sgn(1,k)*hx
      points(2,p) = y(i) + sgn(2,k)*hy
      points(3,p) = z(i) + sgn(3,k)*hz
      icnect(k,i) = p - 1
    end do
    offsets(i) = 8*i
    types(i) = 11
  end do
  npoints = 8*ncells
  do i = 1, ncells
    u(:,i) = u(:,i) / d(i)
    e(i) = e(i) / d(i)
    ys(:,i) = ys(:,i) / d(i)
  end do
  do i = 1, ncells
    do a = 1, 3
      if (abs(u(a,i)) < 1d-6) u(a,i) = 0d0
    end do
    if (abs(pr(i)) < 1d-6) pr(i) = 0d0
    do j = 1, nspecies
      if (abs(ys(j,i)) < 1d-10) ys(j,i) = 0d0
    end do
  end do

  open(20, file=trim(outfile), form='formatted', status='new')
  write(20,'(a)') ' <VTKFile type="UnstructuredGrid">'
  write(20,'(a)') '   <UnstructuredGrid>'
  write(20,'(a)') '     <Piece'
  write(20,'(a,i11,a)') '       NumberOfPoints=" ', npoints, ' "'
  write(20,'(a,i11,a)') '       NumberOfCells=" ', ncells, ' "'
  write(20,'(a)') '     >'
  write(20,'(a)') '       <CellData'
  write(20,'(a)') '         Vectors="Velocity"'
  write(20,'(a)') '         Scalars="Density"'
  write(20,'(a)') '       >'
  write(20,'(a)') '         <DataArray'
  write(20,'(a)') '           NumberOfComponents="3"'
  write(20,'(a)') '           type="Float32"'
  write(20,'(a)') '           Name="Velocity"'
  write(20,'(a)') '           format="ascii"'
  write(20,'(a)') '         >'
  write(20,'(9(1PE12.4))') ((u(a,i), a=1,3), i=1,ncells)
  write(20,'(a)') '         </DataArray>'
  call scalar('           Name="Density"', d)
  call scalar('           Name="Energy"', e)
  call scalar('           Name="Temperature"', t)
  call scalar('           Name="Pressure"', pr)
  do j = 1, nspecies
    write(name, '(a,i2.2,a)') '           Name="Species', j, '"   '
    call scalar(name, ys(j,:))
  end do
  write(20,'(a)') '       </CellData>'
  write(20,'(a)') '       <Points>'
  write(20,'(a)') '         <DataArray NumberOfComponents="3"'
  write(20,'(a)') '                    type="Float32"'
  write(20,'(a)') '                    format="ascii"'
  write(20,'(a)') '         >'
  do p = 1, npoints
    write(20,'(3(1PE12.4))') points(:,p)
  end do
  write(20,'(a)') '         </DataArray>'
  write(20,'(a)') '       </Points>'
  write(20,'(a)') '       <Cells>'
  call header_int('Int32', 'connectivity')
  write(20,'(8I8)') icnect
  write(20,'(a)') '         </DataArray>'
  call header_int('Int32', 'offsets')
  write(20,'(8I8)') offsets
  write(20,'(a)') '         </DataArray>'
  call header_int('UInt8', 'types')
  write(20,'(42I3)') types
  write(20,'(a)') '         </DataArray>'
  write(20,'(a)') '       </Cells>'
  write(20,'(a)') '     </Piece>'
  write(20,'(a)') '   </UnstructuredGrid>'
  write(20,'(a)') ' </VTKFile>'
  close(20)

contains

  subroutine scalar(line, v)
    character(len=*), intent(in) :: line
    real(dp), intent(in) :: v(:)
    write(20,'(a)') '         <DataArray'
    write(20,'(a)') '           type="Float32"'
    write(20,'(a)') line
    write(20,'(a)') '           format="ascii"'
    write(20,'(a)') '         >'
    write(20,'(9(1PE12.4))') v
    write(20,'(a)') '         </DataArray>'
  end subroutine

  subroutine header_int(kind, what)
    character(len=*), intent(in) :: kind, what
    write(20,'(a)') '         <DataArray type="' // kind // '"'
    write(20,'(a)') '                    Name="' // what // '"'
    write(20,'(a)') '                    format="ascii"'
    write(20,'(a)') '         >'
  end subroutine

end program
