#!/usr/bin/env bash
# What ./run does without a display: an unattended bulk conversion of a copy of samples/ into
# out/, as the system's scheduler would start it, then the log and the PDFs made.
# The folders are stored in a private settings file, so the user's own settings stay untouched.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
rm -rf out
mkdir -p out/pdf out/.config/Corvanta
cp -r samples out/documents

cat > out/.config/Corvanta/settings.ini <<INI
[Software\\Corvanta\\Program]
ConvertStartFolder=string:$root/out/documents
ConvertDestinationFolder=string:$root/out/pdf
INI
chmod 700 out/.config/Corvanta
chmod 600 out/.config/Corvanta/settings.ini

echo "== corvanta -BATCH: $root/out/documents -> $root/out/pdf"
status=0
XDG_CONFIG_HOME="$root/out/.config" ./build/bin/corvanta -BATCH || status=$?
echo "== exit status: $status"
echo "== the log (out/documents/Corvanta_Batch.txt)"
tr -d '\r' < out/documents/Corvanta_Batch.txt
echo "== the PDFs made (out/pdf)"
for pdf in out/pdf/*; do
  printf '%-28s %s pages\n' "$(basename "$pdf")" "$(qpdf --show-npages "$pdf" 2>/dev/null || echo '?')"
done
exit "$status"
