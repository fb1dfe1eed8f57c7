#!/usr/bin/env bash
# Runs clang-tidy with the checks of .clang-tidy over the program's own sources:
#   scripts/tidy.sh           the .cpp files the last commit touched, and those changed since
#   scripts/tidy.sh --all     every .cpp file of the program (about half an hour on 2 cores)
#   scripts/tidy.sh FILE...   the files given
# Uses build/compile_commands.json (scripts/build.sh makes it). Exit status 1 on any finding.
set -euo pipefail
cd "$(dirname "$0")/.."
[ -f build/compile_commands.json ] || { echo "tidy: build first (scripts/build.sh)" >&2; exit 1; }
folders='^(common|doclist|conversion|batch|scanning|pdfprinter|office|web|helpviewer|platform|ui|app)/'

if [ "${1:-}" = "--all" ]; then
  mapfile -t files < <(git ls-files '*.cpp' | grep -E "$folders")
elif [ $# -gt 0 ]; then
  files=("$@")
else
  mapfile -t files < <({ git diff --name-only HEAD~1 2>/dev/null || true; git diff --name-only HEAD; } |
    sort -u | grep -E "$folders" | grep -E '\.cpp$' | while read -r f; do [ -f "$f" ] && echo "$f"; done)
fi
# clang 14 cannot read qpdf 11's headers in C++20 (a std::vector of its JSON before JSON is
# complete, which GCC accepts): the files that include them are left to GCC's warnings.
qpdf_users='#include (<qpdf/|"pdfprinter/(OutputPipeline|PdfImageObjects)\.h")'
kept=()
for f in "${files[@]}"; do
  if grep -qE "$qpdf_users" "$f"; then echo "tidy: $f skipped (it includes qpdf)"; else kept+=("$f"); fi
done
files=("${kept[@]+"${kept[@]}"}")
if [ ${#files[@]} -eq 0 ]; then
  echo "tidy: no source of the program changed"
  exit 0
fi
echo "tidy: ${#files[@]} files"
# Two at a time: one per core.
printf '%s\n' "${files[@]}" |
  xargs -P 2 -n 4 clang-tidy -p build --quiet 2> >(grep -v -E '^[0-9]+ warnings? (and [0-9]+ errors? )?generated' >&2)
