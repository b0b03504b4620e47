#!/usr/bin/env bash
# Builds the consumer project against the installed tree with find_package
# and runs its programs.
#   $1 prefix, $2 work directory, $3 expected version, $4 extra compile and
#   link flags (the sanitizer's, when the library carries them), $5.. the
#   C, C++ and Fortran compilers.
set -euo pipefail
prefix=$1 work=$2 version=$3 flags=$4 cc=$5 cxx=$6 fc=$7
here=$(dirname "$0")
rm -rf "$work" && mkdir -p "$work"
cmake -S "$here/consumer" -B "$work" -DCMAKE_PREFIX_PATH="$prefix" -DEXPECTED_VERSION="$version" \
  -DCMAKE_C_COMPILER="$cc" -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_Fortran_COMPILER="$fc" \
  -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_Fortran_FLAGS="$flags" \
  -DCMAKE_EXE_LINKER_FLAGS="$flags" >"$work/configure.log" || { cat "$work/configure.log"; exit 1; }
cmake --build "$work" >"$work/build.log" || { cat "$work/build.log"; exit 1; }
"$work/use_c" "$version"
"$work/use_cxx"
"$work/use_fortran"
"$work/use_mpi"
echo "find_package consumers ran"
