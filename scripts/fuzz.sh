#!/usr/bin/env bash
# Builds the parsers' fuzz targets (clang's libFuzzer with AddressSanitizer and
# UndefinedBehaviorSanitizer) into build-fuzz/ and runs each over a copy of its seeds.
#
#   scripts/fuzz.sh [SECONDS] [TARGET...]   each target (default: all) for SECONDS (default 600)
#   scripts/fuzz.sh --smoke                 each target for a fixed number of runs: ./test's step
#
# FUZZ_JOBS=N runs N targets side by side (default 2). Every run works in a temporary folder:
# nothing is written into the work tree. Prints per target its runs, the inputs in its corpus at
# the end and what it found. Exit status 1 on any finding (crash, leak, time-out, memory, a broken
# promise of the parser); the folder with the input that caused it is printed and kept, so the
# input can be added to tests/fuzz/corpus/<TARGET>/ as found-<what> once the fault is mended.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

smoke=false
seconds=600
if [ "${1:-}" = --smoke ]; then
  smoke=true
  shift
elif [[ "${1:-}" =~ ^[0-9]+$ ]]; then
  seconds=$1
  shift
fi
jobs=${FUZZ_JOBS:-2}
# Runs of each target in the smoke step: a few seconds each over its seeds.
smoke_runs=3000

# Per target: its longest input, its memory limit (MB), its dictionary in tests/fuzz/dict/.
# A document is bounded as the program bounds it; 512 MB holds each parser's own bounds except
# the JPEG check's: libjpeg keeps a progressive picture's coefficients whole, and the check lets
# that take up to 1 GB (a picture of 200 million pixels) before it refuses the picture.
declare -A max_len rss dict
for spec in \
  "ChmFile 65536 512 ChmFile" \
  "CommandLine 4096 512 CommandLine" \
  "CompoundFile 65536 512 CompoundFile" \
  "JpegCheck 65536 2048 Jpeg" \
  "JpegHeader 16384 512 Jpeg" \
  "NativeNames 1024 512 NativeNames" \
  "OfficeProtocol 4096 512 Json" \
  "PngCheck 65536 512 Png" \
  "PngChunks 16384 512 Png" \
  "SettingsDocument 16384 512 SettingsDocument" \
  "SettingsText 4096 512 SettingsText" \
  "Sitemap 65536 512 Sitemap" \
  "TextDecoder 16384 512 Text" \
  "TextDecoderDetector 16384 512 Text" \
  "WebProtocol 4096 512 Json"; do
  read -r name len mb words <<<"$spec"
  max_len[$name]=$len
  rss[$name]=$mb
  dict[$name]=$words
done

targets=("$@")
if ((${#targets[@]} == 0)); then
  mapfile -t targets < <(printf '%s\n' "${!max_len[@]}" | sort)
fi
for target in "${targets[@]}"; do
  [ -n "${max_len[$target]:-}" ] || { echo "fuzz: no target $target" >&2; exit 2; }
done

if [ ! -f build-fuzz/build.ninja ]; then
  # Debug keeps Qt's own index checks (Q_ASSERT in its containers) on; -O1 keeps it fast.
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCORVANTA_FUZZ=ON \
    -DCMAKE_BUILD_TYPE=Debug "-DCMAKE_CXX_FLAGS_DEBUG=-O1 -gline-tables-only" >/dev/null
fi
cmake --build build-fuzz -j2 -- --quiet

work=$(mktemp -d "${TMPDIR:-/tmp}/corvanta-fuzz.XXXXXX")
keep=false
cleanup() { $keep || rm -rf "$work"; }
trap cleanup EXIT

# AddressSanitizer holds freed memory back to catch a late use of it, 256 MB by default: over
# millions of runs that alone fills the memory limit. 64 MB still catches a use soon after the
# free, and leaves the limit to what the parser itself takes.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:symbolize=1:quarantine_size_mb=64}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export QT_QPA_PLATFORM=offscreen

# One target in its own folder: a copy of its seeds grows there, the findings land there.
run() {
  local target=$1 folder=$work/$1
  mkdir -p "$folder/tmp"
  cp -R "tests/fuzz/corpus/$target" "$folder/corpus"
  local options=(-max_len="${max_len[$target]}" -rss_limit_mb="${rss[$target]}" -timeout=10
    -dict="$root/tests/fuzz/dict/${dict[$target]}.dict" -artifact_prefix="$folder/"
    -print_final_stats=1)
  if $smoke; then
    options+=(-runs="$smoke_runs" -seed=1)
  else
    options+=(-max_total_time="$seconds")
  fi
  local status=0
  (cd "$folder" && TMPDIR=$folder/tmp nice -n 10 "$root/build-fuzz/bin/${target}Fuzz" \
    "${options[@]}" "$folder/corpus" >"$folder/log" 2>&1) || status=$?
  local runs inputs found
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$folder/log" | tail -1)
  inputs=$(find "$folder/corpus" -type f | wc -l)
  found=$(find "$folder" -maxdepth 1 -type f \( -name 'crash-*' -o -name 'leak-*' -o \
    -name 'timeout-*' -o -name 'oom-*' \) -printf '%f ' | sed 's/ $//')
  if ((status == 0)); then
    echo "ok" >"$folder/result"
  else
    echo "FOUND ${found:-"exit status $status"} (see $folder/log)" >"$folder/result"
  fi
  printf '%-20s %10s runs %6s inputs  %s\n' "$target" "${runs:-?}" "$inputs" \
    "$(cat "$folder/result")"
}

echo "fuzz: ${#targets[@]} targets, $($smoke && echo "$smoke_runs runs" || echo "${seconds}s") each, $jobs at a time"
running=0
for target in "${targets[@]}"; do
  if ((running >= jobs)); then
    wait -n || true
    running=$((running - 1))
  fi
  run "$target" &
  running=$((running + 1))
done
wait

status=0
for target in "${targets[@]}"; do
  if [ "$(cat "$work/$target/result" 2>/dev/null)" != ok ]; then
    status=1
  fi
done
if ((status != 0)); then
  keep=true
  echo "fuzz: findings kept in $work" >&2
fi
exit "$status"
