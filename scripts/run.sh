#!/bin/sh
# Installs what is missing, builds stgc and starts it.
set -eu
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build -DSTGC_TESTS=OFF -DSTGC_BENCH=OFF >/dev/null
cmake --build build --target stgc -j "$(nproc)"
exec build/app/stgc
