#!/usr/bin/env bash
# Configures (once) and builds the program and the tests into build/.
# Every compiler warning is an error (CORVANTA_WERROR=OFF scripts/build.sh only shows them, e.g.
# to try a newer compiler).
set -euo pipefail
cd "$(dirname "$0")/.."
if [ ! -f build/build.ninja ]; then
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
# Given or not, the choice is written each time, so a build folder made one way follows the other.
cmake build -DCORVANTA_WERROR="${CORVANTA_WERROR:-ON}" >/dev/null
cmake --build build -j2
