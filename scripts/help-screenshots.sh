#!/usr/bin/env bash
# Renews the pictures of the help (help/images/*.png) from the built program itself.
#
#   scripts/help-screenshots.sh [path/to/corvanta]      (default: build/bin/corvanta)
#
# Builds nothing. Runs the program on a private X server (xvfb-run) with a private temporary
# HOME, XDG folders, TMPDIR and SANE configuration (SANE's test backend as the scanner), so nothing
# of the user's is read or touched; drives it with xdotool and captures the main window with
# ImageMagick's import. Needs xvfb-run, xdotool, ImageMagick and sane-utils' backends
# (scripts/setup.sh installs them), and LibreOffice for the conversion shown in generate-done.png.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
program=$(realpath "${1:-$root/build/bin/corvanta}")
images="$root/help/images"

if [ -z "${CORVANTA_SHOTS_DISPLAY:-}" ]; then
  [ -x "$program" ] || { echo "help-screenshots: no program at $program (build it first)" >&2; exit 1; }
  for tool in xvfb-run xdotool import convert; do
    command -v "$tool" >/dev/null || { echo "help-screenshots: $tool is missing (scripts/setup.sh)" >&2; exit 1; }
  done
  # The screen the window was measured on: 1280 x 900, the window centred on it.
  CORVANTA_SHOTS_DISPLAY=1 exec xvfb-run -a -s "-screen 0 1280x900x24" "$0" "$program"
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/corvanta-shots.XXXXXX")
# Where the screen is kept when a step fails, to see why; outside the private folder.
failure_shot="${TMPDIR:-/tmp}/corvanta-help-screenshots-failure.png"
pid=
cleanup() {
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
    kill -TERM "$pid"
    wait "$pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

# A private home: nothing of the user's settings, data, scanners or temporary files is used. The
# pictures show its paths, so it is a home as a user has one: /home/alex, on a /home of its own in
# a private mount namespace (the real /home stays untouched and unseen).
if [ -z "${CORVANTA_SHOTS_HOME:-}" ] && unshare --user --map-root-user --mount true 2>/dev/null; then
  rm -rf "$work"
  trap - EXIT
  CORVANTA_SHOTS_HOME=/home/alex exec unshare --user --map-root-user --mount \
    bash -c 'mount -t tmpfs -o mode=0755 tmpfs /home && exec "$0" "$1"' "$0" "$program"
fi
if [ -n "${CORVANTA_SHOTS_HOME:-}" ]; then
  export HOME="$CORVANTA_SHOTS_HOME"
else
  echo "help-screenshots: no private mount namespace here; the pictures show a temporary home" >&2
  export HOME="$work/home"
fi
export XDG_CONFIG_HOME="$HOME/.config" XDG_DATA_HOME="$HOME/.local/share"
export XDG_CACHE_HOME="$HOME/.cache" XDG_RUNTIME_DIR="$work/runtime" TMPDIR="$work/tmp"
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$TMPDIR"
install -d -m 0700 "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME/Corvanta"

# The folders the Bulk Conversion page shows, as an administrator would store them.
printf '%s\n' '; Corvanta settings' '[Software\Corvanta\Program]' \
  'ConvertStartFolder=string:/srv/scans/in' 'ConvertDestinationFolder=string:/srv/scans/out' \
  >"$XDG_CONFIG_HOME/Corvanta/settings.ini"
chmod 0600 "$XDG_CONFIG_HOME/Corvanta/settings.ini"

# SANE's test backend as the only scanner: ten made-up pages per scan from its feeder.
export SANE_CONFIG_DIR="$work/sane"
mkdir -p "$SANE_CONFIG_DIR"
echo test >"$SANE_CONFIG_DIR/dll.conf"
printf '%s\n' 'number_of_devices 1' 'mode Color' 'resolution 50.0' 'test-picture "Color pattern"' \
  'tl_x 0.0' 'tl_y 0.0' 'br_x 210.0' 'br_y 297.0' >"$SANE_CONFIG_DIR/test.conf"
unset SANE_DEFAULT_DEVICE

# The documents of the Generate PDF pictures: one of each common kind, from samples/.
documents="$HOME/Documents"
mkdir -p "$documents"
samples=(budget.xls diagram.png letter.rtf notes.txt orders.xml page.html report.doc scan.jpg)
for name in "${samples[@]}"; do cp "$root/samples/$name" "$documents/"; done
pages="$XDG_DATA_HOME/Corvanta/Corvanta"

failed() {
  import -window root "$failure_shot" 2>/dev/null || true
  echo "help-screenshots: $1 (the screen: $failure_shot; the program's output:)" >&2
  cat "$work/program.log" >&2
  return 1
}
# Waits until the command succeeds, up to $1 seconds; fails when the program has ended.
wait_for() {
  local seconds=$1
  shift
  local deadline=$((SECONDS + seconds))
  until "$@"; do
    kill -0 "$pid" 2>/dev/null || failed "the program ended"
    ((SECONDS < deadline)) || failed "timed out waiting for: $*"
    sleep 0.2
  done
}
main_window() { wid=$(xdotool search --onlyvisible --name '^Corvanta Bulk PDF Conversion Tool$' | head -1) && [ -n "$wid" ]; }
dialog_open() { xdotool search --onlyvisible --name "^Open" >/dev/null; } # "Open — <program>"
dialog_closed() { ! dialog_open; }
pdfs_written() {
  local name
  for name in "${samples[@]}"; do
    # The PDF takes the place of the last four characters of the name: page.html -> page..PDF.
    [ -s "$documents/${name:0:${#name}-4}.PDF" ] || return 1
  done
}
pages_scanned() { [ "$(find "$pages" -maxdepth 1 -name 'ScannedImage*.jpg' 2>/dev/null | wc -l)" -ge "$1" ]; }

# Clicks at a point given relative to the window's top-left corner.
click() {
  xdotool mousemove --sync $((X + $1)) $((Y + $2)) click 1
  sleep 0.5 # lets the window paint what the click changed
}
shoot() {
  xdotool mousemove --sync 0 0 # no hover highlight in the picture
  sleep 0.5
  import -window "$wid" "$work/shot.png"
  convert "$work/shot.png" -strip -define png:exclude-chunks=date,time "$images/$1"
  echo "help-screenshots: $images/$1"
}

# Started in the documents folder, so the file dialog opens there.
(cd "$documents" && exec "$program") >"$work/program.log" 2>&1 &
pid=$!
wait_for 60 main_window
eval "$(xdotool getwindowgeometry --shell "$wid")" # X, Y: the window's top-left corner
sleep 1

# Positions within the window (499 x 668 without decorations): the tabs at the bottom, then each
# page's controls.
tab_generate=(51 653) tab_bulk=(151 653) tab_scan=(241 653) tab_settings=(310 653)

# Generate PDF: eight documents through Add File (Qt's own dialog takes several quoted names).
click "${tab_generate[@]}"
click 73 485 # Add File
wait_for 20 dialog_open
xdotool type --delay 20 "$(printf '"%s" ' "${samples[@]}")"
xdotool key Return
wait_for 20 dialog_closed
sleep 1
shoot generate.png

click 373 589 # Generate PDF
wait_for 600 pdfs_written
sleep 6 # the run's closing steps after its last PDF
shoot generate-done.png

# Bulk Conversion: the stored folders, with Schedule Time chosen.
click "${tab_bulk[@]}"
click 24 379 # Schedule Time
shoot bulk.png

# Bulk Scan: open the test scanner and scan its feeder (ten pages); the last page stays in the
# preview.
click "${tab_scan[@]}"
click 90 608 # Start Device
click 197 138 # Sources: the feeder is listed after "Flatbed" (and stays chosen if it was)
xdotool key Down Return
sleep 0.5
click 220 608 # Scan
wait_for 120 pages_scanned 10
sleep 1
shoot scan.png

# Settings: both protections, the password typed twice.
click "${tab_settings[@]}"
click 48 205 # Disable Printing/Copy
click 48 237 # Set Document Password
# A made-up password, typed from standard input rather than named on a command line.
click 294 192 # Password:
printf 'secret-7' | xdotool type --delay 20 --file -
click 294 235 # Confirm Password:
printf 'secret-7' | xdotool type --delay 20 --file -
shoot settings.png

kill -TERM "$pid"
wait "$pid" || true
pid=
