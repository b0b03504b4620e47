#!/usr/bin/env bash
# Builds the consumer project against the installed tree with find_package
# and runs its programs.
#   $1 prefix, $2 work directory, $3 expected version, $4.. the C, C++ and
#   Fortran compilers ("none" when the build has none), $7 "mpi" when the
#   build has the MPI wrappers, else "none", then any extra compile and
#   link flags (the sanitizer's, when the library carries them).
set -euo pipefail
prefix=$1 work=$2 version=$3 cc=$4 cxx=$5 fc=$6 mpi=$7
shift 7
flags="$*"
[ "$fc" != none ] || fc=""
[ "$mpi" != none ] || mpi=""
here=$(dirname "$0")
rm -rf "$work" && mkdir -p "$work"
cmake -S "$here/consumer" -B "$work" -DCMAKE_PREFIX_PATH="$prefix" -DEXPECTED_VERSION="$version" \
  -DCMAKE_C_COMPILER="$cc" -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_Fortran_COMPILER="$fc" -DWITH_MPI="$mpi" \
  -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_Fortran_FLAGS="$flags" \
  -DCMAKE_EXE_LINKER_FLAGS="$flags" >"$work/configure.log" || { cat "$work/configure.log"; exit 1; }
cmake --build "$work" >"$work/build.log" || { cat "$work/build.log"; exit 1; }
"$work/use_c" "$version"
"$work/use_cxx"
if [ -n "$fc" ]; then "$work/use_fortran"; fi
if [ -n "$mpi" ]; then "$work/use_mpi"; fi
# Asked for the MPI component, an install without the MPI wrappers says why
# it is missing: this one with its MPI files taken out.
bare=$work/without_mpi
cp -r "$prefix" "$bare"
find "$bare" -name 'cellkeys-mpi-targets*.cmake' -delete
if cmake -S "$here/consumer" -B "$work/bare_build" -DCMAKE_PREFIX_PATH="$bare" \
  -DEXPECTED_VERSION="$version" -DCMAKE_C_COMPILER="$cc" -DCMAKE_CXX_COMPILER="$cxx" \
  -DWITH_MPI=mpi >"$work/bare.log" 2>&1; then
  echo "find_package(cellkeys COMPONENTS mpi) was found without the MPI wrappers"; exit 1
fi
grep -q "component mpi: this cellkeys was built without MPI" "$work/bare.log" ||
  { cat "$work/bare.log"; exit 1; }
echo "find_package consumers ran"
