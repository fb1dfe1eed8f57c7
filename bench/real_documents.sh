#!/usr/bin/env bash
# Real documents from Debian's packages (bench/corpus/fetch.sh) through the unattended run and
# through LibreOffice, side by side:
#   bench/real_documents.sh [CORPUS] [PROGRAM]
#     CORPUS   the folder fetch.sh made (default ${XDG_CACHE_HOME:-$HOME/.cache}/corvanta-corpus/corpus)
#     PROGRAM  default build/bin/corvanta
# The corpus is copied flat into one starting folder (numbered names, each web page with the
# files it refers to). `PROGRAM -BATCH` converts it under a private home; `soffice --convert-to
# pdf` converts each document on its own (a private profile, at most 60 s a document). Prints,
# per kind: documents, converted by each, equal page counts, first page sizes that differ, the
# share of LibreOffice's words found in ours, the failures of each and the times, as markdown.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/soffice_profile.sh"
corpus=${1:-${XDG_CACHE_HOME:-$HOME/.cache}/corvanta-corpus/corpus}
program=$(readlink -f "${2:-$here/../build/bin/corvanta}")
manifest=$here/corpus/manifest.tsv
helper=(python3 "$here/real_documents.py")
peer_timeout=${CORVANTA_BENCH_PEER_TIMEOUT:-60}

fail() {
  echo "real_documents.sh: $*" >&2
  exit 1
}
[ -d "$corpus" ] || fail "no corpus at $corpus: run bench/corpus/fetch.sh first"
[ -x "$program" ] || fail "no program at $program: build it with ./scripts/build.sh"
soffice=$(command -v soffice) || fail "LibreOffice (soffice) is missing"
command -v pdfinfo >/dev/null && command -v pdftotext >/dev/null || fail "poppler-utils is missing"

work=$(mktemp -d /tmp/corvanta-real.XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/home/.config" "$work/home/.local/share" "$work/home/.cache" "$work/tmp" \
  "$work/start" "$work/ours" "$work/peer"
mkdir -m 0700 "$work/runtime"
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" \
  XDG_DATA_HOME="$work/home/.local/share" XDG_CACHE_HOME="$work/home/.cache" \
  XDG_RUNTIME_DIR="$work/runtime" TMPDIR="$work/tmp"

"${helper[@]}" stage "$manifest" "$corpus" "$work/start" "$work/items.tsv"
echo "== $(wc -l <"$work/items.tsv") documents ($(find "$work/start" -type f | wc -l) files with the web pages' own)"
echo "machine: $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg); $("$soffice" --version 2>/dev/null | head -1)"
echo "program: $program ($(git -C "$here" rev-parse --short HEAD 2>/dev/null || echo unknown))"

# The settings an administrator writes before an unattended run (README, "Preparing an
# unattended run").
install -d -m 0700 "$XDG_CONFIG_HOME/Corvanta"
{
  echo '; Corvanta settings'
  echo '[Software\Corvanta\Program]'
  echo "ConvertStartFolder=string:$work/start"
  echo "ConvertDestinationFolder=string:$work/ours"
} >"$XDG_CONFIG_HOME/Corvanta/settings.ini"
chmod 0600 "$XDG_CONFIG_HOME/Corvanta/settings.ini"
started=$(date +%s%N)
status=0
env -u DISPLAY -u WAYLAND_DISPLAY timeout 3600 "${helper[@]}" stamp "$work/ours.log" -- \
  "$program" -BATCH || status=$?
ours_s=$(( ($(date +%s%N) - started) / 1000000 ))
echo "corvanta -BATCH: exit status $status, $(awk "BEGIN { printf \"%.1f\", $ours_s / 1000 }") s"

# LibreOffice's side does not change with the program: CORVANTA_BENCH_PEER=DIR takes it from a
# run kept with CORVANTA_BENCH_KEEP=DIR (same corpus) instead of converting everything again.
if [ -n "${CORVANTA_BENCH_PEER:-}" ]; then
  [ -f "$CORVANTA_BENCH_PEER/peer.tsv" ] || fail "no kept LibreOffice side in $CORVANTA_BENCH_PEER"
  cp -r "$CORVANTA_BENCH_PEER/peer/." "$work/peer/"
  cp "$CORVANTA_BENCH_PEER/peer.tsv" "$work/peer.tsv"
  echo "soffice --convert-to: kept from $CORVANTA_BENCH_PEER"
else
# LibreOffice on each document alone, so that one that hangs or kills it costs only itself.
# The profile is primed: a headless start of an unprimed one repeats the first-start work.
profile=$work/soffice-profile
prime_soffice_profile "$profile" "$soffice"
: >"$work/peer.tsv"
started=$(date +%s%N)
while IFS=$'\t' read -r name _; do
  t0=$(date +%s%N)
  peer_status=0
  timeout -k 5 "$peer_timeout" "$soffice" --headless --norestore "-env:UserInstallation=file://$profile" \
    --convert-to pdf --outdir "$work/peer" "$work/start/$name" >>"$work/peer.out" 2>&1 </dev/null ||
    peer_status=$?
  t1=$(date +%s%N)
  case $peer_status in
    0) what='no PDF written' ;;
    124 | 137) what="timed out after $peer_timeout s" ;;
    *) what="exit status $peer_status" ;;
  esac
  printf '%s\t%s\t%s\n' "$name" "$(awk "BEGIN { printf \"%.3f\", ($t1 - $t0) / 1e9 }")" "$what" >>"$work/peer.tsv"
  # A LibreOffice killed at the time-out leaves its profile locked for the next one.
  rm -f "$profile/user/.lock" "$profile/.lock"
done <"$work/items.tsv"
peer_s=$(( ($(date +%s%N) - started) / 1000000 ))
echo "soffice --convert-to, one call a document: $(awk "BEGIN { printf \"%.1f\", $peer_s / 1000 }") s"
fi
echo
echo "Times per kind: corvanta's from its progress lines (the gap before each document's line;"
echo "its offices work side by side), soffice's from each call (a start of its own included)."
echo
"${helper[@]}" report "$work/items.tsv" "$work/ours" "$work/ours.log" "$work/peer" "$work/peer.tsv"
if [ -n "${CORVANTA_BENCH_KEEP:-}" ]; then
  mkdir -p "$CORVANTA_BENCH_KEEP"
  cp -r "$work/ours" "$work/peer" "$work/ours.log" "$work/peer.tsv" "$work/items.tsv" "$CORVANTA_BENCH_KEEP/"
fi
