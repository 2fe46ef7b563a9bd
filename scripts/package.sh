#!/bin/sh
# Builds the Debian package of stgc and stgc-batch: build-package/stgc_<version>_<arch>.deb.
# Install it with: apt install ./build-package/stgc_*.deb
set -eu
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build-package -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DSTGC_TESTS=OFF -DSTGC_BENCH=OFF >/dev/null
cmake --build build-package -j "$(nproc)"
(cd build-package && cpack -G DEB)
ls build-package/stgc_*.deb
