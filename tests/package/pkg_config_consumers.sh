#!/usr/bin/env bash
# Builds the consumer programs against the installed tree with pkg-config
# alone (no CMake) and runs them; the shared libraries are found through
# the run path.
#   $1 prefix, $2 work directory, $3 expected version, $4.. the C, C++ and
#   Fortran compilers ("none" when the build has none), $7 "mpi" when the
#   build has the MPI wrappers, else "none", then any extra compile and
#   link flags.
set -euo pipefail
prefix=$1 work=$2 version=$3 cc=$4 cxx=$5 fc=$6 mpi=$7
shift 7
flags="$*"
[ "$fc" != none ] || fc=""
[ "$mpi" != none ] || mpi=""
src=$(dirname "$0")/consumer
rm -rf "$work" && mkdir -p "$work" && cd "$work"
export PKG_CONFIG_PATH=$(dirname "$(find "$prefix" -name cellkeys.pc)")
test "$(pkg-config --modversion cellkeys)" = "$version"
if [ -n "$mpi" ]; then test "$(pkg-config --modversion cellkeys-mpi)" = "$version"; fi
libdir=$(pkg-config --variable=libdir cellkeys)
run_path="-Wl,-rpath,$libdir"
# shellcheck disable=SC2086  # flags are lists of words
{
  $cc $flags "$src/use_c.c" -o use_c $(pkg-config --cflags --libs cellkeys) $run_path
  $cxx -std=c++20 $flags "$src/use_cxx.cpp" -o use_cxx $(pkg-config --cflags --libs cellkeys) $run_path
  if [ -n "$fc" ]; then
    $fc $flags "$src/use_fortran.f90" -o use_fortran $(pkg-config --cflags --libs cellkeys) $run_path
  fi
  if [ -n "$mpi" ]; then
    $cc $flags "$src/use_mpi.c" -o use_mpi $(pkg-config --cflags --libs cellkeys-mpi) $run_path
  fi
  # The static archive, as a makefile that links it by name would.
  $cc $flags "$src/use_c.c" -o use_c_static $(pkg-config --cflags cellkeys) "$libdir/libcellkeys.a" \
    $(pkg-config --libs-only-l --static cellkeys | sed 's/-lcellkeys//')
}
./use_c "$version"
./use_c_static "$version"
./use_cxx
if [ -n "$fc" ]; then ./use_fortran; fi
if [ -n "$mpi" ]; then ./use_mpi; fi
echo "pkg-config consumers ran"
