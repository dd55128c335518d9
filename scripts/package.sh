#!/usr/bin/env bash
# Builds the Debian package: a Release tree of the program only (default
# build-deb, or the folder given), then `cpack -G DEB` in it. Prints the
# package's path on the last line.
set -euo pipefail
cd "$(dirname "$0")/.."
tree=${1:-build-deb}
scripts/install-deps.sh
cmake -S . -B "$tree" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DQX70_BUILD_TESTS=OFF -DQX70_BUILD_BENCH=OFF >/dev/null
cmake --build "$tree" -j "$(nproc)"
rm -f "$tree"/qx70-config_*.deb
(cd "$tree" && cpack -G DEB >/dev/null)
ls "$PWD/$tree"/qx70-config_*.deb
