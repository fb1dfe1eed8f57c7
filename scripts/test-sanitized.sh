#!/usr/bin/env bash
# Builds the program and its tests with AddressSanitizer and UndefinedBehaviorSanitizer into
# build-asan, and runs every test there except the built program's own tier and the checks of
# the sources (labels `program` and `static`, which ./test runs on the normal build):
#   scripts/test-sanitized.sh [CTEST ARGUMENTS...]
# A memory error, a leak or undefined behaviour ends the test that ran into it with a failure.
# What lies in a library we do not own is suppressed in tests/sanitizers/, each with its reason.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ ! -f build-asan/build.ninja ]; then
  # -O1 and line tables only: the second build costs less, and reports still name their lines.
  cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O1 -g1" \
    -DCORVANTA_SANITIZE=ON
fi
# Warnings fail the normal build only: GCC's flow warnings (-Warray-bounds above all) report
# what is not there once the sanitizers' checks are woven into the code.
cmake build-asan -DCORVANTA_WERROR=OFF >/dev/null
cmake --build build-asan -j2

supp=$PWD/tests/sanitizers
export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1"
export LSAN_OPTIONS="suppressions=$supp/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:suppressions=$supp/ubsan.supp"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build-asan --output-on-failure --no-tests=error -j2 -LE 'program|static' "$@"
