#!/usr/bin/env bash
# Installs what is missing, then runs the workflow presets of
# CMakePresets.json, each configuring, building and testing a tree of its
# own: the optimised build, the build under AddressSanitizer and
# UndefinedBehaviorSanitizer, the build without MPI and Fortran, the key and
# octree tests on the portable key paths alone, the converter's job tests
# under ThreadSanitizer, and (with clang) a short fixed run of each fuzz
# target.  Any one of them alone:
#   cmake --workflow --preset sanitize
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

export CMAKE_BUILD_PARALLEL_LEVEL=${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}
export CTEST_PARALLEL_LEVEL=${CTEST_PARALLEL_LEVEL:-$(nproc)}
presets=(release sanitize minimal portable tsan)
if command -v clang++ >/dev/null 2>&1; then
  presets+=(fuzz)
fi

log=$(mktemp)
trap 'rm -f "$log"' EXIT
passed=0
for preset in "${presets[@]}"; do
  cmake --workflow --preset "$preset" | tee "$log"
  # ctest's summary counts the skipped tests among those run.
  ran=$(sed -n 's/^.* tests failed out of \([0-9]*\)$/\1/p' "$log" | tail -n 1)
  skipped=$(grep -cE '\((Skipped|Disabled)\)$' "$log" || true)
  passed=$((passed + ran - skipped))
done
echo "test.sh: $passed passed, 0 failed"
