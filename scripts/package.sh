#!/usr/bin/env bash
# Builds the program and makes its Debian package, build/corvanta_<version>_<arch>.deb, whose
# path it prints. Install it with `sudo apt install ./build/corvanta_*.deb`.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/build.sh >&2
log=$(cd build && cpack -G DEB)
echo "$log" >&2
# CPack names the file it wrote: "CPack: - package: <path> generated."
sed -n 's/^CPack: - package: \(.*\) generated\.$/\1/p' <<<"$log"
