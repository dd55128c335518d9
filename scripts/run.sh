#!/usr/bin/env bash
# Installs what is missing, builds qx70-config and starts it with the
# built-in device simulator. Extra arguments go to the program.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQX70_BUILD_TESTS=OFF -DQX70_BUILD_BENCH=OFF >/dev/null
cmake --build build --target qx70-config
exec build/src/app/qx70-config --simulate "$@"
