#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the examples need;
# does nothing when they are all present already.
set -euo pipefail
packages=(
  cmake make g++ gfortran clang libclang-rt-14-dev clang-format pkg-config
  libgtest-dev libbenchmark-dev libdeflate-dev liblz4-dev
  libopenmpi-dev openmpi-bin libhdf5-dev
  python3 python3-vtk9 python3-meshio python3-h5py xvfb xauth libgl1-mesa-dri
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
