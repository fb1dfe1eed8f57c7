#!/usr/bin/env bash
# The unattended run (corvanta -BATCH) beside the best other tool for each kind of document:
#   bench/peers.sh [N]      (N documents of each kind, default 20; CORVANTA_BENCH_SMALL_FILES
#                            sets the size of the run of part 3, default 10000)
# 1. per kind, the median ms per document after the first: corvanta over a folder of N documents
#    of that kind, against one soffice --convert-to call for the office, text, web and XML
#    documents, or img2pdf's Python API in one process for the pictures;
# 2. a mixed folder of N documents of every kind: the whole run against both peers in turn;
# 3. a run over 10,000 small files: peak memory, wall time, time to the first progress line;
# 4. the time from launch until the main window is shown, under Xvfb (median of 5).
# Times are taken from the programs' own per-document lines, stamped as they arrive
# (bench/peers_timing.py). Prints figures only; counts the PDFs each run made and ends non-zero
# when one is missing. Runs in a private HOME and XDG folders.
set -euo pipefail
# A step that fails (a helper that died, a missing file) says where, not only by the exit status.
trap 'echo "peers.sh: line $LINENO failed (exit status $?)" >&2' ERR
cd "$(dirname "$0")/.."
. bench/soffice_profile.sh

fail() {
  echo "peers.sh: $*" >&2
  exit 1
}
n=${1:-20}
if ! [[ $n =~ ^[0-9]+$ ]] || ((n < 2)); then
  fail "N must be a number of at least 2 (got '$n')"
fi
many=${CORVANTA_BENCH_SMALL_FILES:-10000} # fewer for a quick try
kinds=(doc rtf xls txt html jpg png xml)
office_kinds=(doc rtf xls txt html xml)

soffice=$(command -v soffice) || fail "LibreOffice (soffice) is missing: apt-get install libreoffice-writer-nogui libreoffice-calc-nogui"
/usr/bin/python3 -c 'import img2pdf' 2>/dev/null || fail "img2pdf's Python module is missing: apt-get install python3-img2pdf"
command -v xvfb-run >/dev/null || fail "xvfb-run is missing: apt-get install xvfb"
command -v xdotool >/dev/null || fail "xdotool is missing: apt-get install xdotool"
command -v convert >/dev/null || fail "ImageMagick (convert) is missing: apt-get install imagemagick"
[ -x /usr/bin/time ] || fail "/usr/bin/time is missing: apt-get install time"

./scripts/build.sh >/dev/null || fail "the build failed (./scripts/build.sh)"
corvanta=$PWD/build/bin/corvanta
timing=(/usr/bin/python3 "$PWD/bench/peers_timing.py")

work=$(mktemp -d /tmp/corvanta-peers.XXXXXX)
trap 'rm -rf "$work"' EXIT
# One private home for every run of both programs: their profiles stay warm between runs, as a
# user's do, and nothing of the user's is read or written.
mkdir -p "$work/home/.config" "$work/home/.local/share" "$work/home/.cache" "$work/tmp"
mkdir -m 0700 "$work/runtime"
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" \
  XDG_DATA_HOME="$work/home/.local/share" XDG_CACHE_HOME="$work/home/.cache" \
  XDG_RUNTIME_DIR="$work/runtime" TMPDIR="$work/tmp"
failures=0
check() { # what, found, wanted
  if [ "$2" != "$3" ]; then
    echo "CHECK FAILED: $1: $2 of $3" >&2
    failures=$((failures + 1))
  fi
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "-" }'; }
now_ms() { date +%s%3N; }

echo "== machine"
echo "cpu: $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -1), $(nproc) cores"
echo "memory: $(awk '/^MemTotal/ { printf "%.1f GB", $2 / 1048576 }' /proc/meminfo)"
echo "debian: $(cat /etc/debian_version)"
echo "libreoffice: $("$soffice" --version 2>/dev/null | head -1) (Debian package $(dpkg-query -W \
  -f '${Package} ${Version}' "$(dpkg -S "$(readlink -f "$soffice")" | cut -d: -f1)"))"
echo "img2pdf: $(/usr/bin/python3 -c 'import img2pdf; print(img2pdf.__version__)')"
echo "corvanta: $(git rev-parse --short HEAD 2>/dev/null || echo unknown), N=$n"
echo "load average at start: $(cut -d' ' -f1-3 /proc/loadavg)"

# The documents: named after their kind, so that no name of the run's own log
# (Corvanta_Batch.txt, written into the starting folder) matches "$kind"*. The samples as they
# are; pictures and XML as bench/convert.sh makes them, the pictures marked 300 dpi as a scanner
# marks them.
convert -size 2480x3508 xc:white -fill '#1f4e79' -draw 'rectangle 200,200 2280,600' \
  -fill '#9dc3e6' -draw 'circle 1240,1750 1240,2600' -attenuate 0.5 +noise Gaussian \
  -depth 8 -alpha off -quality 85 -units PixelsPerInch -density 300 "$work/page.jpg"
convert -size 2480x3508 xc:white -fill '#1f4e79' -draw 'rectangle 200,200 2280,600' \
  -fill '#9dc3e6' -draw 'circle 1240,1750 1240,2600' -depth 8 -alpha off \
  -units PixelsPerInch -density 300 "PNG24:$work/page.png"
{
  echo '<?xml version="1.0"?>'
  echo '<orders>'
  for j in $(seq 1 40); do echo "  <order id=\"$j\" item=\"Paper\" quantity=\"$j\"/>"; done
  echo '</orders>'
} >"$work/page.xml"
declare -A source=([doc]=samples/report.doc [rtf]=samples/letter.rtf [xls]=samples/budget.xls
  [txt]=samples/notes.txt [html]=samples/page.html [jpg]=$work/page.jpg [png]=$work/page.png
  [xml]=$work/page.xml)
for kind in "${kinds[@]}"; do
  mkdir -p "$work/kind/$kind"
  for i in $(seq -w 1 "$n"); do cp "${source[$kind]}" "$work/kind/$kind/$kind$i.$kind"; done
  echo "$kind: $(basename "${source[$kind]}"), $(stat -c %s "${source[$kind]}") bytes"
done

# The settings an administrator writes before an unattended run (README, "Preparing an
# unattended run").
store_folders() { # start, end
  install -d -m 0700 "$XDG_CONFIG_HOME/Corvanta"
  {
    echo '; Corvanta settings'
    echo '[Software\Corvanta\Program]'
    echo "ConvertStartFolder=string:$1"
    echo "ConvertDestinationFolder=string:$2"
  } >"$XDG_CONFIG_HOME/Corvanta/settings.ini"
}
# Prints: matched wall_ms first_ms median_ms exit_status [main_peak_kb tree_peak_kb]. Only the
# documents' lines count (the run's own log, Corvanta_Batch.txt, has a line too).
corvanta_run() { # start, end, log, [--memory]
  store_folders "$1" "$2"
  local wrap=()
  [ "${4:-}" = --memory ] && wrap=(/usr/bin/time -v -o "$work/time-v")
  env -u DISPLAY -u WAYLAND_DISPLAY "${timing[@]}" lines stderr \
    '^\[[0-9]+/[0-9]+\] [a-z]+[0-9]+\.[a-z]+: ' "$3" "${@:4}" -- "${wrap[@]}" "$corvanta" -BATCH
}
# soffice prints "convert A -> B using filter : F" once A is loaded, before B is written: the
# gap between two lines is one document's export plus the next one's load.
profile=$work/soffice-profile
prime_soffice_profile "$profile" "$soffice"
soffice_run() { # end, log, documents...
  local out=$1 log=$2
  shift 2
  "${timing[@]}" lines stdout '^convert .* using filter' "$log" -- "$soffice" --headless \
    "-env:UserInstallation=file://$profile" --convert-to pdf --outdir "$out" "$@"
}
pdfs() { "${timing[@]}" pdfs "$1"; }
converted() { grep -c "^corvanta: $2 converted, 0 failed, 0 skipped$" "$1" || true; }

echo
echo "== 1. per kind: ms per document after the first (median; mean), $n documents per run"
printf '%-6s %8s %6s %7s  %8s %6s %7s  %-8s\n' kind corvanta peer ratio "mean c." peer ratio "peer is"
for kind in "${kinds[@]}"; do
  out=$work/out/corvanta-$kind
  mkdir -p "$out"
  read -r lines _ _ ours _ _ _ ours_mean < <(corvanta_run "$work/kind/$kind" "$out" "$work/corvanta-$kind.log")
  check "corvanta .$kind: progress lines" "$lines" "$n"
  check "corvanta .$kind: PDFs" "$(pdfs "$out")" "$n"
  check "corvanta .$kind: summary line" "$(converted "$work/corvanta-$kind.log" "$n")" 1
  out=$work/out/peer-$kind
  mkdir -p "$out"
  if [[ $kind == jpg || $kind == png ]]; then
    peer=img2pdf
    read -r lines theirs _ theirs_mean < <("${timing[@]}" img2pdf "$out" "$work/kind/$kind/$kind"*)
  else
    peer=soffice
    read -r lines _ _ theirs _ _ _ theirs_mean < <(soffice_run "$out" "$work/soffice-$kind.log" "$work/kind/$kind/$kind"*)
  fi
  check "$peer .$kind: documents" "$lines" "$n"
  check "$peer .$kind: PDFs" "$(pdfs "$out")" "$n"
  printf '%-6s %8s %6s %7s  %8s %6s %7s  %-8s\n' ".$kind" "$ours" "$theirs" \
    "$(ratio "$ours" "$theirs")" "$ours_mean" "$theirs_mean" "$(ratio "$ours_mean" "$theirs_mean")" "$peer"
done
echo "(ratio = corvanta / peer: below 1 corvanta is faster; with two offices at work corvanta"
echo " reports office documents in pairs, a short gap after a long one, so the mean tells more)"

echo
echo "== 2. mixed folder: $n documents of each of the ${#kinds[@]} kinds, $((n * ${#kinds[@]})) in all"
mkdir -p "$work/mixed" "$work/out/corvanta-mixed" "$work/out/peer-mixed"
for kind in "${kinds[@]}"; do cp "$work/kind/$kind/"* "$work/mixed/"; done
total=$((n * ${#kinds[@]}))
read -r lines ours _ _ _ < <(corvanta_run "$work/mixed" "$work/out/corvanta-mixed" "$work/corvanta-mixed.log")
check "corvanta mixed: progress lines" "$lines" "$total"
check "corvanta mixed: PDFs" "$(pdfs "$work/out/corvanta-mixed")" "$total"
office_docs=()
for kind in "${office_kinds[@]}"; do office_docs+=("$work/mixed/$kind"*."$kind"); done
read -r _ office _ _ _ < <(soffice_run "$work/out/peer-mixed" "$work/soffice-mixed.log" "${office_docs[@]}")
start=$(now_ms)
"${timing[@]}" img2pdf "$work/out/peer-mixed" "$work/mixed/jpg"* "$work/mixed/png"* >/dev/null
pictures=$(($(now_ms) - start))
check "peers mixed: PDFs" "$(pdfs "$work/out/peer-mixed")" "$total"
echo "corvanta -BATCH, start to exit:      $ours ms"
echo "soffice (one call, ${#office_docs[@]} documents):   $office ms"
echo "img2pdf (one process, $((2 * n)) pictures): $pictures ms"
echo "peers together:                      $((office + pictures)) ms"
echo "speed-up (peers / corvanta):         $(ratio $((office + pictures)) "$ours")"

echo
echo "== 3. $many small files: peak memory and wall time"
# The quickest kind of part 1 that needs no office or browser: small XML, drawn in the program.
mkdir -p "$work/many" "$work/out/many"
small=$(<samples/orders.xml)
for i in $(seq -w 1 "$many"); do printf '%s\n' "$small" >"$work/many/orders$i.xml"; done
echo "documents: $many copies of samples/orders.xml ($(stat -c %s samples/orders.xml) bytes)"
read -r lines wall first median _ main tree early late _ < <(corvanta_run "$work/many" "$work/out/many" \
  "$work/corvanta-many.log" --memory)
check "corvanta $many: progress lines" "$lines" "$many"
check "corvanta $many: PDFs" "$(pdfs "$work/out/many")" "$many"
rss=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$work/time-v")
echo "wall time: $wall ms ($(ratio "$wall" "$many") ms per document; median $median ms after the first)"
echo "median ms per document in the first tenth of the run: $early, in the last tenth: $late"
echo "launch to the first progress line (start, listing, first document): $first ms"
echo "/usr/bin/time -v maximum resident set size: $((rss / 1024)) MB"
echo "  (the largest single process: corvanta or one of the children it waited for)"
echo "corvanta's own peak resident set (VmHWM, read every 0.2 s): $((main / 1024)) MB"
echo "corvanta and every child at once (largest sum of resident sets seen): $((tree / 1024)) MB"

echo
echo "== 4. start-up: launch until the main window is shown, under xvfb-run, 5 starts"
# Waits for xvfb-run to end (not only for its output), so that its own clean-up is done.
if startup=$(xvfb-run -a -e "$work/xvfb.log" -s '-screen 0 1280x1024x24' "${timing[@]}" \
  startup 5 '^Corvanta Bulk PDF Conversion Tool$' "$work/startup.log" -- "$corvanta"); then
  read -r median each <<<"$startup"
  echo "median: $median ms (each: $each ms)"
else
  echo "CHECK FAILED: start-up; the program said:" >&2
  tail -n 20 "$work/startup.log" "$work/xvfb.log" >&2
  failures=$((failures + 1))
fi

if ((failures > 0)); then
  fail "$failures check(s) failed: see the messages above"
fi
