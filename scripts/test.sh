#!/usr/bin/env bash
# Installs what is needed, then configures, builds and runs the whole test
# suite twice: an optimised build, and a build under AddressSanitizer and
# UndefinedBehaviorSanitizer; then the tests that remain in a build without
# MPI and Fortran, and the key and octree tests once more on the portable
# key paths alone.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

jobs=$(nproc)
# Configures a build tree in $1 with the CMake arguments after the second,
# builds it, and runs its whole suite with ctest's per-test timeout $2.
build_and_test() {
  local dir=$1 timeout=$2
  shift 2
  cmake -S . -B "$dir" "$@"
  cmake --build "$dir" -j "$jobs"
  ctest --test-dir "$dir" --output-on-failure -j "$jobs" --timeout "$timeout"
}

build_and_test build 300 -DCMAKE_BUILD_TYPE=Release
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  build_and_test build-sanitize 600 -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCELLKEYS_SANITIZE=ON

# A build as on a machine without MPI and without a Fortran compiler: the
# converter, the library and every test that needs neither still configure,
# build and pass.  Release only, to keep it quick.
build_and_test build-minimal 300 -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_DISABLE_FIND_PACKAGE_MPI=ON -DCMAKE_Fortran_COMPILER=

# The key routines with their portable paths alone (no SSE2 packing, no BMI2
# coordinates): the library and its key and octree tests, optimised.
cmake -S . -B build-portable -DCMAKE_BUILD_TYPE=Release -DCELLKEYS_PORTABLE_ONLY=ON
cmake --build build-portable --target cellkeys_tests octree_tests -j "$jobs"
portable=0
for suite in build-portable/tests/cellkeys/cellkeys_tests build-portable/tests/octree/octree_tests; do
  "$suite" --gtest_brief=1 | tee "build-portable/last.log"
  portable=$((portable + $(sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\?\.$/\1/p' build-portable/last.log)))
done

# Fuzz targets, when clang is present: a short fixed run of each from its
# seed corpus (copied, so the committed corpus stays as it is), as many at
# once as there are cores; a crash, sanitizer report or hang fails the script.
fuzzed=0
if command -v clang++ >/dev/null 2>&1; then
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCELLKEYS_FUZZ=ON -DCELLKEYS_TESTS=OFF
  cmake --build build-fuzz --target fuzz_targets -j "$jobs"
  fuzz_work=$(mktemp -d)
  trap 'rm -rf "$fuzz_work"' EXIT
  fuzz_one() {
    local target=$1
    mkdir -p "$fuzz_work/$target"
    cp fuzz/corpus/$target/* "$fuzz_work/$target/"
    build-fuzz/fuzz/$target -max_total_time=30 -timeout=10 -rss_limit_mb=4096 \
      -artifact_prefix="$fuzz_work/$target-" "$fuzz_work/$target" 2>"$fuzz_work/$target.log"
  }
  targets=(control_fuzz text_result_fuzz binary_result_fuzz library_fuzz)
  for ((at = 0; at < ${#targets[@]}; at += jobs)); do
    pids=()
    for target in "${targets[@]:at:jobs}"; do
      fuzz_one "$target" &
      pids+=("$!:$target")
    done
    for entry in "${pids[@]}"; do
      target=${entry#*:}
      if ! wait "${entry%%:*}"; then
        tail -n 60 "$fuzz_work/$target.log"
        echo "fuzz target $target failed; the input is kept in build-fuzz/" >&2
        cp "$fuzz_work"/*crash-* "$fuzz_work"/*timeout-* "$fuzz_work"/*oom-* build-fuzz/ 2>/dev/null || true
        exit 1
      fi
      echo "$target: $(grep -E '^#[0-9]+[[:space:]]+DONE' "$fuzz_work/$target.log" || true)"
      fuzzed=$((fuzzed + 1))
    done
  done
fi

# The converter's jobs under ThreadSanitizer: cellplot and the tests that
# run several jobs at once (the job engine and whole runs with 2 to 8 jobs).
cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCELLKEYS_TSAN=ON
cmake --build build-tsan --target piece_jobs_test cellplot_jobs_test -j "$jobs"
TSAN_OPTIONS=halt_on_error=1 ctest --test-dir build-tsan --output-on-failure -j "$jobs" \
  --timeout 300 -R '^(piece_jobs|cellplot_jobs)\.'
tsan=$(ctest --test-dir build-tsan -N -R '^(piece_jobs|cellplot_jobs)\.' | sed -n 's/^Total Tests: //p')

# One closing line for the whole command: every ctest test of the three
# builds and every fuzz target has passed when it is reached.
tests=$(( $(ctest --test-dir build -N | sed -n 's/^Total Tests: //p') +
          $(ctest --test-dir build-sanitize -N | sed -n 's/^Total Tests: //p') +
          $(ctest --test-dir build-minimal -N | sed -n 's/^Total Tests: //p') + portable + tsan ))
echo "test.sh: $((tests + fuzzed)) passed, 0 failed"
