#!/usr/bin/env bash
# Builds the consumer programs against the installed tree with pkg-config
# alone (no CMake) and runs them; the shared libraries are found through
# the run path.
#   $1 prefix, $2 work directory, $3 expected version, $4 extra compile and
#   link flags, $5.. the C, C++ and Fortran compilers.
set -euo pipefail
prefix=$1 work=$2 version=$3 flags=$4 cc=$5 cxx=$6 fc=$7
src=$(dirname "$0")/consumer
rm -rf "$work" && mkdir -p "$work" && cd "$work"
export PKG_CONFIG_PATH=$(dirname "$(find "$prefix" -name cellkeys.pc)")
test "$(pkg-config --modversion cellkeys)" = "$version"
test "$(pkg-config --modversion cellkeys-mpi)" = "$version"
libdir=$(pkg-config --variable=libdir cellkeys)
run_path="-Wl,-rpath,$libdir"
# shellcheck disable=SC2086  # flags are lists of words
{
  $cc $flags "$src/use_c.c" -o use_c $(pkg-config --cflags --libs cellkeys) $run_path
  $cxx -std=c++20 $flags "$src/use_cxx.cpp" -o use_cxx $(pkg-config --cflags --libs cellkeys) $run_path
  $fc $flags "$src/use_fortran.f90" -o use_fortran $(pkg-config --cflags --libs cellkeys) $run_path
  $cc $flags "$src/use_mpi.c" -o use_mpi $(pkg-config --cflags --libs cellkeys-mpi) $run_path
  # The static archive, as a makefile that links it by name would.
  $cc $flags "$src/use_c.c" -o use_c_static $(pkg-config --cflags cellkeys) "$libdir/libcellkeys.a" \
    $(pkg-config --libs-only-l --static cellkeys | sed 's/-lcellkeys//')
}
./use_c "$version"
./use_c_static "$version"
./use_cxx
./use_fortran
./use_mpi
echo "pkg-config consumers ran"
