#!/usr/bin/env bash
# The main job on the shipped example: installs what is needed, builds
# cellplot, converts the example result files (text and binary) in fresh
# output folders under out/, and says where the .pvtu files are.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build --target cellplot -j "$(nproc)" >/dev/null

stamp=$(date +%Y%m%d-%H%M%S)
for kind in text binary; do
  dir="out/example-$kind-$stamp"
  mkdir -p "$dir"
  cp examples/$kind/* "$dir"/
  (cd "$dir" && ../../build/converter/cellplot)
  echo "converted examples/$kind: $(ls "$PWD/$dir"/*.pvtu)"
done
