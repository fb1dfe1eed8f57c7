#!/usr/bin/env bash
# Installs every Debian package the build, the program and the tests need.
# Idempotent: asks apt only for what is missing, so a second call costs a second.
set -euo pipefail

packages=(
  # toolchain
  cmake ninja-build g++ pkg-config clang-format
  # the parsers' fuzz targets: clang with libFuzzer and the sanitizers' runtimes, and
  # llvm-symbolizer for their reports
  clang libclang-rt-14-dev llvm
  # Qt 6
  qt6-base-dev qt6-base-dev-tools qt6-tools-dev qt6-tools-dev-tools qt6-svg-dev
  qt6-webengine-dev qt6-image-formats-plugins libgl-dev libxkbcommon-dev
  # the PDF printer and the toolkit
  libqpdf-dev qpdf pdftk-java poppler-utils
  # the picture check: JPEG data decoded with libjpeg, PNG data inflated with zlib
  libjpeg-dev zlib1g-dev
  # office renderer
  libreoffice-writer-nogui libreoffice-calc-nogui libreoffice-draw-nogui libreoffice-impress-nogui
  # its UNO SDK: cppumaker and the C++ UNO runtime the office worker links
  libreoffice-dev
  # scheduler, scanner, help
  at sane-utils libsane-dev fp-utils libchm-dev
  # fonts the forms name (Arial, Tahoma stand-ins) and the tests' tools
  fonts-liberation fonts-dejavu-core libgtest-dev libgmock-dev
  # Chinese, Japanese and Korean text in plain-text documents; every other script Debian has a
  # face for (Arabic, Indic, Thai, Ethiopic...)
  fonts-wqy-microhei fonts-noto-core
  # the encoding of a text document that does not name its own
  libuchardet-dev
  xvfb xauth x11-apps imagemagick img2pdf librsvg2-bin xdotool
  # the Debian package: dpkg-shlibdeps for its Depends; the validators of the desktop file and
  # the software centre description (librsvg2-bin above renders the icons)
  dpkg-dev desktop-file-utils appstream
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}" >&2
  sudo_cmd=()
  [ "$(id -u)" = 0 ] || sudo_cmd=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
fi

# The scheduler's daemon: scheduled unattended runs need it.
if ! pgrep -x atd >/dev/null 2>&1; then
  if command -v service >/dev/null 2>&1; then service atd start >/dev/null 2>&1 || true; fi
  pgrep -x atd >/dev/null 2>&1 || { [ "$(id -u)" = 0 ] && /usr/sbin/atd 2>/dev/null || true; }
fi
