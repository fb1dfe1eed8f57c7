#!/usr/bin/env bash
# Installs the Debian package into a fresh, minimal Debian 12 (debootstrap into a scratch folder,
# then `apt-get install ./corvanta_*.deb` there, as a user would) and runs the installed
# program's unattended run over the samples. Shows that the package's dependencies are complete:
# nothing of this machine's build set-up is in that system. Needs root and Debian's mirror;
# takes a few minutes. Usage: sudo scripts/try-package-fresh.sh [PACKAGE.deb]
set -euo pipefail
cd "$(dirname "$0")/.."

fail() {
  echo "try-package-fresh: $*" >&2
  exit 1
}
[ "$(id -u)" = 0 ] || fail "needs root (debootstrap, chroot)"
package=${1:-}
if [ -z "$package" ]; then
  package=$(./scripts/package.sh)
fi
[ -f "$package" ] || fail "no package at '$package'"
command -v debootstrap >/dev/null || apt-get install -y -qq debootstrap >/dev/null

root=$(mktemp -d /tmp/corvanta-fresh.XXXXXX)
chmod 0755 "$root" # the system's own users (_apt, daemon) must reach it
mounted=()
cleanup() {
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do umount -l "${mounted[i]}" || true; done
  rm -rf --one-file-system "$root"
}
trap cleanup EXIT

echo "== a fresh Debian 12 in $root"
debootstrap --variant=minbase bookworm "$root" http://deb.debian.org/debian >/dev/null
cat >"$root/etc/apt/sources.list" <<'SOURCES'
deb http://deb.debian.org/debian bookworm main
deb http://deb.debian.org/debian bookworm-updates main
deb http://deb.debian.org/debian-security bookworm-security main
SOURCES
for m in proc sys dev dev/pts; do
  mount --bind "/$m" "$root/$m"
  mounted+=("$root/$m")
done

echo "== apt-get install ./$(basename "$package")"
cp "$package" "$root/root/"
chroot "$root" /usr/bin/env DEBIAN_FRONTEND=noninteractive /bin/bash -c \
  "apt-get update -qq && { apt-get install -y -qq /root/$(basename "$package") >/tmp/install.log 2>&1 || { tail -n 30 /tmp/install.log; exit 1; }; }"

echo "== corvanta -BATCH over the samples"
mkdir -p "$root/root/in" "$root/root/out" "$root/root/.config/Corvanta"
for sample in samples/*; do
  # The ones the run converts; the PDF, the unknown type and the subfolder are skipped by design.
  case $sample in *.pdf | *.xyz | */subfolder) continue ;; esac
  cp "$sample" "$root/root/in/"
done
printf '[Software\\Corvanta\\Program]\nConvertStartFolder=string:/root/in\nConvertDestinationFolder=string:/root/out\n' \
  >"$root/root/.config/Corvanta/settings.ini"
chmod 700 "$root/root/.config/Corvanta"
chmod 600 "$root/root/.config/Corvanta/settings.ini"
status=0
chroot "$root" /usr/bin/env -i HOME=/root PATH=/usr/bin:/bin LANG=C.UTF-8 corvanta -BATCH ||
  status=$?
documents=$(find "$root/root/in" -maxdepth 1 -type f ! -name Corvanta_Batch.txt | wc -l)
pdfs=$(find "$root/root/out" -maxdepth 1 -type f -name '*.PDF' | wc -l)
echo "exit status $status; $pdfs PDFs for $documents documents"
chroot "$root" corvanta --version
[ "$status" = 0 ] && [ "$pdfs" = "$documents" ] || fail "the installed program did not convert every sample"
