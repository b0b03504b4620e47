#!/usr/bin/env bash
# The main job, end to end: installs what is needed, builds the sample
# solver and cellplot, runs the solver with 4 MPI processes in a fresh
# folder under out/, converts its result files there with cellplot, renders
# a slice through the middle coloured by density to a PNG, and says where
# the .pvtu and the picture are.  Then converts the shipped example result
# files (text and binary) in fresh folders too.
#   bash scripts/example.sh [sample_solver options]   (default --max-level 6)
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build --target cellplot sample_solver -j "$(nproc)" >/dev/null

stamp=$(date +%Y%m%d-%H%M%S)
root=$PWD

dir="out/solver-$stamp"
mkdir -p "$dir"
(cd "$dir" &&
  OMPI_ALLOW_RUN_AS_ROOT=1 OMPI_ALLOW_RUN_AS_ROOT_CONFIRM=1 \
    mpiexec --oversubscribe -n 4 "$root/build/examples/solver/sample_solver" \
    --max-level 6 "$@" &&
  "$root/build/converter/cellplot")
master=$(ls "$root/$dir"/pview*.pvtu)
picture="$root/$dir/density-slice.png"
# VTK from Debian renders through X11: give it a virtual display when there
# is no real one.
render=(/usr/bin/python3 examples/solver/render_slice.py "$master" "$picture")
if [[ -n "${DISPLAY:-}" ]]; then
  "${render[@]}"
else
  xvfb-run -a "${render[@]}"
fi
echo "sample solver output: $master"
echo "slice through the middle, coloured by density: $picture"

for kind in text binary; do
  dir="out/example-$kind-$stamp"
  mkdir -p "$dir"
  cp examples/$kind/* "$dir"/
  (cd "$dir" && "$root/build/converter/cellplot")
  echo "converted examples/$kind: $(ls "$root/$dir"/*.pvtu)"
done
