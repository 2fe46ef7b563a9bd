#!/bin/sh
# The longer fuzz run: builds the libFuzzer targets with clang and runs each from a working
# copy of its seed corpus (fuzz/corpus-work/<name>, kept between runs and not committed).
#   scripts/fuzz.sh                 every target for 10 minutes
#   scripts/fuzz.sh 3600 decoder    one target for an hour
# Inputs that break a target are written to fuzz/corpus-work/<name>-crashes/; turn each into
# a unit test and fix the fault. New interesting inputs may be copied into the seed corpus
# after minimising them (<target> -merge=1 tests/fuzz/corpus/<name> fuzz/corpus-work/<name>).
set -eu
cd "$(dirname "$0")/.."
seconds="${1:-600}"
[ $# -gt 0 ] && shift
targets="${*:-decoder geometry line_editor read_number}"
jobs="$(nproc)"

CC=clang CXX=clang++ cmake -S . -B build-fuzz -DSTGC_FUZZ=ON -DSTGC_TESTS=OFF -DSTGC_BENCH=OFF \
  >/dev/null
for name in $targets; do
  cmake --build build-fuzz -j "$jobs" --target "${name}_fuzz" >/dev/null
done

status=0
for name in $targets; do
  work="fuzz/corpus-work/$name"
  crashes="fuzz/corpus-work/$name-crashes"
  mkdir -p "$work" "$crashes"
  cp -n "tests/fuzz/corpus/$name/"* "$work/" 2>/dev/null || true
  echo "== $name: $seconds s =="
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    "build-fuzz/tests/fuzz/${name}_fuzz" -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="$crashes/" "$work" || status=1
done
exit $status
