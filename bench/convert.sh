#!/usr/bin/env bash
# Pictures and XML through the real conversion run, beside img2pdf on the same pictures.
#   bench/convert.sh [N]      (N of each kind, default 20)
# Prints documents per second, the time spent in pauses, per-page times of both, and checks that
# JPEG pages are embedded byte for byte and PNG pages losslessly.
set -euo pipefail
cd "$(dirname "$0")/.."
n=${1:-20}
./scripts/build.sh >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/in" "$work/out" "$work/img2pdf"

# A scan-sized page (A4 at 300 dpi) with some texture, so JPEG sizes are realistic (~1.2 MB).
convert -size 2480x3508 xc:white -fill '#1f4e79' -draw 'rectangle 200,200 2280,600' \
  -fill '#9dc3e6' -draw 'circle 1240,1750 1240,2600' -attenuate 0.5 +noise Gaussian \
  -depth 8 -alpha off -quality 85 "$work/page.jpg"
convert -size 2480x3508 xc:white -fill '#1f4e79' -draw 'rectangle 200,200 2280,600' \
  -fill '#9dc3e6' -draw 'circle 1240,1750 1240,2600' -depth 8 -alpha off "PNG24:$work/page.png"
for i in $(seq -w 1 "$n"); do
  cp "$work/page.jpg" "$work/in/scan$i.jpg"
  cp "$work/page.png" "$work/in/drawing$i.png"
  { echo '<?xml version="1.0"?>'; echo '<orders>';
    for j in $(seq 1 40); do echo "  <order id=\"$j\" item=\"Paper\" quantity=\"$j\"/>"; done
    echo '</orders>'; } > "$work/in/orders$i.xml"
done
echo "jpeg page: $(stat -c %s "$work/page.jpg") bytes, png page: $(stat -c %s "$work/page.png") bytes"

echo "== corvanta: $((3 * n)) documents (N=$n jpeg, png and xml)"
HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" ./build/bin/corvanta-bench "$work/in" "$work/out"

echo "== per page, jpeg only / png only"
for kind in jpg png; do
  rm -rf "$work/one" "$work/oneout"; mkdir -p "$work/one" "$work/oneout"
  cp "$work/in/"*."$kind" "$work/one/"
  ms=$(HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" ./build/bin/corvanta-bench "$work/one" "$work/oneout" | sed -n 's/milliseconds per document: //p')
  start=$(date +%s%N)
  img2pdf -o "$work/img2pdf/all-$kind.pdf" "$work/one/"*."$kind"
  end=$(date +%s%N)
  echo "$kind: corvanta $ms ms/page (one PDF per page), img2pdf $(( (end - start) / 1000000 / n )) ms/page (one process for all pages)"
done

echo "== fidelity"
pdfimages -all "$work/out/scan$(seq -w 1 1 "$n" | head -1).PDF" "$work/x"
if cmp -s "$work/x-000.jpg" "$work/page.jpg"; then echo "jpeg: embedded byte for byte"; else echo "jpeg: RE-ENCODED"; fi
pdfimages -png "$work/out/drawing$(seq -w 1 1 "$n" | head -1).PDF" "$work/y"
if [ "$(compare -metric AE "$work/y-000.png" "$work/page.png" null: 2>&1)" = "0" ]; then echo "png: lossless"; else echo "png: LOSSY"; fi
