#!/usr/bin/env bash
# Fails when a C++ file of the project differs from .clang-format.
set -euo pipefail
cd "$(dirname "$0")/.."
files=$(git ls-files '*.cpp' '*.h' 2>/dev/null || true)
[ -n "$files" ] || files=$(find app batch conversion doclist platform scanning ui tests -name '*.cpp' -o -name '*.h' 2>/dev/null)
# shellcheck disable=SC2086
clang-format --dry-run --Werror $files
echo "formatting: ok"
