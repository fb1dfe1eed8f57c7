#!/usr/bin/env bash
# The office and web routes through the real conversion run, and the office renderer's worker on
# its own, beside soffice --convert-to, on the sample .doc, .rtf, .xls, .docx and .html documents,
# each N times. All of them use a primed private profile.
#   bench/office.sh [N]      (default 5; needs a build: build/bin/corvanta-bench and
#                             build/bin/corvanta-office-worker, or the worker named by
#                             CORVANTA_OFFICE_WORKER)
set -euo pipefail
cd "$(dirname "$0")/.."
n=${1:-5}
worker=${CORVANTA_OFFICE_WORKER:-build/bin/corvanta-office-worker}
[ -x "$worker" ] || { echo "build first: $worker is missing" >&2; exit 1; }
soffice=$(command -v soffice) || { echo "LibreOffice (soffice) is not installed" >&2; exit 1; }
. bench/soffice_profile.sh

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/in" "$work/out" "$work/each" "$work/all" "$work/run" "$work/web" "$work/home"
docs=(samples/report.doc samples/letter.rtf samples/budget.xls samples/memo.docx)
for i in $(seq -w 1 "$n"); do
  for d in "${docs[@]}"; do
    base=$(basename "$d"); cp "$d" "$work/in/${base%.*}-$i.${base##*.}"
  done
done
total=$(( n * ${#docs[@]} ))

ms() { echo $(( ($2 - $1) / 1000000 )); }

echo "== the conversion run: $total office documents and $n web pages, one PDF each"
cp "$work/in/"* "$work/web/"
for i in $(seq -w 1 "$n"); do cp samples/page.html "$work/web/page-$i.html"; done
HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" build/bin/corvanta-bench \
  "$work/web" "$work/run" 2>/dev/null | grep -E '^(documents per second|\.)'

echo "== corvanta-office-worker: $total documents, one warm office"
route() { case "$1" in *.doc|*.rtf) echo word;; *.xls) echo excel;; *) echo shell;; esac; }
for f in "$work/in/"*; do
  printf '{"route":"%s","document":"%s","pdf":"%s"}\n' "$(route "$f")" "$f" "$work/out/$(basename "$f").pdf"
done > "$work/requests"
# A first run primes and fills the profile, as the program's first run does.
head -1 "$work/requests" | "$worker" --office "$soffice" --profile "$work/profile" >/dev/null 2>&1
start=$(date +%s%N)
QT_LOGGING_RULES="corvanta.office.worker.debug=true" \
  "$worker" --office "$soffice" --profile "$work/profile" < "$work/requests" > "$work/answers" 2> "$work/log"
end=$(date +%s%N)
ok=$(grep -c '"failure":"none"' "$work/answers" || true)
echo "converted $ok of $total in $(ms "$start" "$end") ms (office start and shutdown included)"
sed -n 's/.*office [0-9]* ready in \([0-9]*\) ms/office start: \1 ms/p' "$work/log"
sed -n 's/.*"\(.*\)" laid out in \([0-9]*\) ms/\1 \2/p' "$work/log" | awk '
  NR == 1 { print "first document, office start included: " $2 " ms (" $1 ")"; next }
  { n = split($1, p, "."); ext = p[n]; sum[ext] += $2; count[ext]++ }
  END { for (e in sum) printf "after the first, .%s: %d ms per document\n", e, sum[e] / count[e] }'

echo "== soffice --headless --convert-to pdf, one process per document"
prime_soffice_profile "$work/each-profile" "$soffice"
"$soffice" --headless "-env:UserInstallation=file://$work/each-profile" --convert-to pdf \
  --outdir "$work/each" "$work/in/$(ls "$work/in" | head -1)" >/dev/null 2>&1
for ext in doc rtf xls docx; do
  start=$(date +%s%N)
  for f in "$work/in/"*."$ext"; do
    "$soffice" --headless "-env:UserInstallation=file://$work/each-profile" --convert-to pdf \
      --outdir "$work/each" "$f" >/dev/null 2>&1
  done
  end=$(date +%s%N)
  echo ".$ext: $(( $(ms "$start" "$end") / n )) ms per document"
done

echo "== soffice --headless --convert-to pdf, one process for all $total documents"
prime_soffice_profile "$work/all-profile" "$soffice"
start=$(date +%s%N)
"$soffice" --headless "-env:UserInstallation=file://$work/all-profile" --convert-to pdf \
  --outdir "$work/all" "$work/in/"* >/dev/null 2>&1
end=$(date +%s%N)
echo "converted $(ls "$work/all" | wc -l) of $total in $(ms "$start" "$end") ms, $(( $(ms "$start" "$end") / total )) ms per document"
