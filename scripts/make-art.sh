#!/usr/bin/env bash
# Renders the pictures drawn in resources/images/src/*.svg into the PNG files the form uses.
# Every button picture also gets a hovered (brighter) and a pressed (darker, one pixel lower
# and to the right) variant, made by an SVG filter over the rendered picture, so rsvg-convert
# (librsvg2-bin) is the only tool needed. The PNGs are kept in the repository: the build does
# not need this script.
set -euo pipefail
cd "$(dirname "$0")/../resources/images"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

render() { # source width height output
    rsvg-convert -w "$2" -h "$3" "src/$1.svg" -o "$4"
}

# variant picture size output slope intercept shift
variant() {
    local data
    data=$(base64 -w0 "$1")
    cat > "$work/variant.svg" <<SVG
<svg xmlns="http://www.w3.org/2000/svg" xmlns:xlink="http://www.w3.org/1999/xlink"
     width="$2" height="$2" viewBox="0 0 $2 $2">
  <filter id="tone" x="0" y="0" width="1" height="1">
    <feComponentTransfer>
      <feFuncR type="linear" slope="$4" intercept="$5"/>
      <feFuncG type="linear" slope="$4" intercept="$5"/>
      <feFuncB type="linear" slope="$4" intercept="$5"/>
    </feComponentTransfer>
  </filter>
  <image x="$6" y="$6" width="$2" height="$2" filter="url(#tone)"
         xlink:href="data:image/png;base64,$data"/>
</svg>
SVG
    rsvg-convert "$work/variant.svg" -o "$3"
}

for size in 16 32 48 256; do
    render icon "$size" "$size" "icon-$size.png"
done
render banner 501 79 banner.png
render about 161 209 about.png

# The speed buttons' glyphs: an enabled and a greyed disabled state, and both side by side as
# one two-state glyph strip.
for glyph in previous next; do
    render "$glyph" 16 16 "$glyph-enabled.png"
    enabled=$(base64 -w0 "$glyph-enabled.png")
    cat > "$work/disabled.svg" <<SVG
<svg xmlns="http://www.w3.org/2000/svg" xmlns:xlink="http://www.w3.org/1999/xlink"
     width="16" height="16" viewBox="0 0 16 16">
  <filter id="grey" x="0" y="0" width="1" height="1">
    <feColorMatrix type="saturate" values="0"/>
    <feComponentTransfer>
      <feFuncR type="linear" slope="0.45" intercept="0.5"/>
      <feFuncG type="linear" slope="0.45" intercept="0.5"/>
      <feFuncB type="linear" slope="0.45" intercept="0.5"/>
    </feComponentTransfer>
  </filter>
  <image width="16" height="16" filter="url(#grey)" xlink:href="data:image/png;base64,$enabled"/>
</svg>
SVG
    rsvg-convert "$work/disabled.svg" -o "$glyph-disabled.png"
    cat > "$work/strip.svg" <<SVG
<svg xmlns="http://www.w3.org/2000/svg" xmlns:xlink="http://www.w3.org/1999/xlink"
     width="32" height="16" viewBox="0 0 32 16">
  <image width="16" height="16" xlink:href="data:image/png;base64,$enabled"/>
  <image x="16" width="16" height="16"
         xlink:href="data:image/png;base64,$(base64 -w0 "$glyph-disabled.png")"/>
</svg>
SVG
    rsvg-convert "$work/strip.svg" -o "$glyph.png"
done

# Button pictures and the size each is shown at.
while read -r name size; do
    render "$name" "$size" "$size" "$name.png"
    variant "$name.png" "$size" "$name-hover.png" 1.08 0.07 0
    variant "$name.png" "$size" "$name-down.png" 0.82 0 1
done <<'LIST'
add-file 20
remove-file 20
clear-list 20
generate-pdf 36
browse-start 26
browse-dest 26
view-log 32
clear-jobs 32
schedule 32
cancel 32
start-device 32
scan 32
delete 32
rotate 28
help 32
LIST

# The resource list follows the pictures.
{
    echo '<!DOCTYPE RCC>'
    echo '<RCC version="1.0">'
    echo '    <qresource prefix="/">'
    for png in *.png; do
        echo "        <file>images/$png</file>"
    done
    echo '    </qresource>'
    echo '</RCC>'
} > ../resources.qrc
