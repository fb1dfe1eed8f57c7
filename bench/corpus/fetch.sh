#!/usr/bin/env bash
# Gathers the real documents named in bench/corpus/manifest.tsv from Debian's packages:
#   bench/corpus/fetch.sh [CACHE]   (default ${XDG_CACHE_HOME:-$HOME/.cache}/corvanta-corpus)
# Each package is fetched with `apt-get download` into CACHE/debs (once) and unpacked with
# `dpkg-deb -x` into CACHE/extract; nothing is installed. The documents land in
# CACHE/corpus/PACKAGE/PATH (a .gz path unpacked, renamed when the manifest gives a name), each
# web page with the pictures and style sheets it refers to. The manifest names no versions: a
# newer package may have moved a file, which is reported and left out.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
cache=${1:-${XDG_CACHE_HOME:-$HOME/.cache}/corvanta-corpus}
manifest=$here/manifest.tsv
mkdir -p "$cache/debs" "$cache/extract"
rm -rf "$cache/corpus.new"
mkdir -p "$cache/corpus.new"

mapfile -t packages < <(grep -v '^#' "$manifest" | cut -f1 | sort -u)
for pkg in "${packages[@]}"; do
  if ! compgen -G "$cache/debs/${pkg}_*.deb" >/dev/null; then
    (cd "$cache/debs" && apt-get download -q "$pkg" >/dev/null) || {
      echo "fetch.sh: apt-get download $pkg failed" >&2
      continue
    }
  fi
  # The newest of the downloaded versions, when an older one is still in the cache.
  deb=$(ls -v "$cache/debs/${pkg}"_*.deb | tail -1)
  if [ ! -f "$cache/extract/$pkg/.from" ] || [ "$(cat "$cache/extract/$pkg/.from")" != "$deb" ]; then
    rm -rf "$cache/extract/$pkg"
    mkdir -p "$cache/extract/$pkg"
    dpkg-deb -x "$deb" "$cache/extract/$pkg"
    echo "$deb" >"$cache/extract/$pkg/.from"
  fi
done

missing=0
while IFS=$'\t' read -r pkg path name; do
  [[ -z $pkg || $pkg == \#* ]] && continue
  src=$cache/extract/$pkg$path
  if [ ! -f "$src" ]; then
    echo "fetch.sh: missing: $pkg $path" >&2
    missing=$((missing + 1))
    continue
  fi
  dir=$cache/corpus.new/$pkg$(dirname "$path")
  mkdir -p "$dir"
  if [[ $path == *.gz ]]; then
    gzip -dc "$src" >"$dir/${name:-$(basename "$path" .gz)}"
  else
    cp "$src" "$dir/${name:-$(basename "$path")}"
  fi
  target=$dir/${name:-$(basename "$path")}
  # A Git LFS or annex pointer is no document.
  if head -c 200 "$target" | grep -q -e '^version https://git-lfs' -e '/annex/objects/'; then
    echo "fetch.sh: a pointer, not a document: $pkg $path" >&2
  fi
  if [[ $path == *.html || $path == *.htm ]]; then
    while IFS= read -r needed; do
      [ -n "$needed" ] || continue
      mkdir -p "$(dirname "$dir/$needed")"
      cp "$(dirname "$src")/$needed" "$dir/$needed"
    done < <(python3 "$here/../real_documents.py" neighbours "$src")
  fi
done <"$manifest"

rm -rf "$cache/corpus"
mv "$cache/corpus.new" "$cache/corpus"
echo "corpus: $cache/corpus"
echo "documents: $(grep -vc '^#' "$manifest") in the manifest, $missing missing"
grep -v '^#' "$manifest" | awk -F'\t' '{ n = ($3 != "" ? $3 : $2); sub(/.*\//, "", n);
  k = (n ~ /\./ ? tolower(n) : "(none)"); sub(/.*\./, ".", k); c[k]++ }
  END { for (k in c) printf "%s %d\n", k, c[k] }' | sort -k2,2nr -k1,1 | tr '\n' ' '
echo
