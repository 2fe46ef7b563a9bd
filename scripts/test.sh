#!/bin/sh
# Installs what is missing, then builds and runs every test twice: a normal build and an
# AddressSanitizer + UndefinedBehaviorSanitizer build (clang, which also builds the fuzz
# targets); then runs each fuzz target a bounded number of times from a copy of its seed
# corpus (scripts/fuzz.sh runs them longer). Fails when any test fails.
set -eu
cd "$(dirname "$0")/.."
scripts/deps.sh test
jobs="$(nproc)"
# Ninja schedules a tree this size a little faster than make (a tree made before keeps its own).
export CMAKE_GENERATOR="${CMAKE_GENERATOR:-Ninja}"
# Most tests wait on a terminal or a tool rather than compute: twice as many run at once.
tests="$((2 * jobs))"

echo "== normal build =="
# The flags the package is built with (no debug information: the sanitizer build has it).
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$tests"

echo "== sanitizer build (clang, with the fuzz targets) =="
# clang compiles the sanitized tree in half the time gcc takes, and libFuzzer needs it anyway.
# A directory configured with another compiler is made again.
if [ -f build-asan/CMakeCache.txt ] &&
  ! grep -q '^CMAKE_CXX_COMPILER:[A-Z]*=.*clang++' build-asan/CMakeCache.txt; then
  rm -rf build-asan
fi
CC=clang CXX=clang++ cmake -S . -B build-asan -DSTGC_FUZZ=ON -DSTGC_BENCH=OFF >/dev/null
cmake --build build-asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure -j "$tests"

echo "== fuzz targets =="
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
for source in tests/fuzz/*_fuzz.cc; do
  name="$(basename "$source" _fuzz.cc)"
  mkdir "$work/$name"
  cp "tests/fuzz/corpus/$name/"* "$work/$name/"
  if ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    "build-asan/tests/fuzz/${name}_fuzz" -runs=30000 -artifact_prefix="$work/" "$work/$name" \
    >"$work/$name.log" 2>&1; then
    echo "$name: $(grep -o 'Done [0-9]* runs in [0-9]* second(s)' "$work/$name.log")"
  else
    cat "$work/$name.log"
    echo "Fuzz target $name failed."
    exit 1
  fi
done
echo "All tests passed."
