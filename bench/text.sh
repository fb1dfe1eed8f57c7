#!/usr/bin/env bash
# The plain-text route on four generated files, each through three stages in a process of its
# own, with wall time and peak memory from /usr/bin/time:
#   layout  reading, decoding and wrapping only (nothing drawn)
#   route   the route drawing the canvas PDF (Qt's PDF engine), no rewrite
#   job     the whole job through the real PDF printer, its qpdf rewrite included
#   bench/text.sh [MB]      (size of the two one-line files, default 100)
# The files: 3 MB of text in ordinary lines, 4,000 lines of XML with long lines, and one-line
# XML files of MB megabytes with blanks and without any.
set -euo pipefail
cd "$(dirname "$0")/.."
mb=${1:-100}
./scripts/build.sh >/dev/null
bench=$PWD/build/bin/corvanta-text-bench
work=$(mktemp -d /tmp/corvanta-text-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/home" && mkdir -m 0700 "$work/runtime"
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_RUNTIME_DIR="$work/runtime"

awk 'BEGIN {
  srand(7); n = split("the of and to in a is that for it as was with be by on not this are or " \
    "from at which but have an they you were her she there been one all we their paper order", w, " ")
  while (size < 3000000) {
    len = 40 + int(rand() * 50); line = ""
    while (length(line) < len) line = line w[1 + int(rand() * n)] " "
    line = line "."; print line; size += length(line) + 1
  }
}' > "$work/normal.txt"

awk 'BEGIN {
  srand(11); n = split("invoice customer shipping address street city total amount tax due " \
    "paid pending note quantity item price discount", w, " ")
  print "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"; print "<records>"
  for (i = 1; i <= 3997; i++) {
    words = 5 + int(rand() * 250); d = ""
    for (j = 0; j < words; j++) d = d w[1 + int(rand() * n)] " "
    run = 20 + int(rand() * 1200); data = ""
    while (length(data) < run) data = data "QUJDREVGR0hJSktMTU5PUFFSU1RVVldYWVo"
    printf "<record id=\"%d\" description=\"%s\" data=\"%s\"/>\n", i, d, data
  }
  print "</records>"
}' > "$work/long-lines.xml"

# One line of `bytes` bytes repeating `pattern`, inside a <data> element.
one_line() {
  { printf '<data>'; yes "$3" | tr -d '\n' | head -c "$2" || true; printf '</data>'; } > "$1"
  [ "$(stat -c %s "$1")" -eq $(($2 + 13)) ]
}
one_line "$work/huge-blanks.xml" $((mb * 1000000 - 13)) 'lorem ipsum dolor sit amet, <i>consectetur</i> elit '
one_line "$work/huge-noblanks.xml" $((mb * 1000000 - 13)) 'TG9yZW1pcHN1bWRvbG9yc2l0YW1ldA=='

for file in normal.txt long-lines.xml huge-blanks.xml huge-noblanks.xml; do
  for mode in layout route job; do
    rm -rf "$work/out"; mkdir "$work/out"
    /usr/bin/time -v -o "$work/time" "$bench" "$mode" "$work/$file" "$work/out" || echo "  FAILED"
    wall=$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' "$work/time")
    rss=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$work/time")
    echo "  process: wall $wall, peak RSS $((rss / 1024)) MB"
  done
done
