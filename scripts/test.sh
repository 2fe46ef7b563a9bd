#!/bin/sh
# Installs what is missing, then builds and runs every test twice: a normal build and an
# AddressSanitizer + UndefinedBehaviorSanitizer build. Fails when any test fails.
set -eu
cd "$(dirname "$0")/.."
scripts/deps.sh test
jobs="$(nproc)"

echo "== normal build =="
cmake -S . -B build >/dev/null
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

echo "== sanitizer build =="
cmake -S . -B build-asan -DSTGC_SANITIZE=ON -DSTGC_BENCH=OFF >/dev/null
cmake --build build-asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure -j "$jobs"
echo "All tests passed."
