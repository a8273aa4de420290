#!/usr/bin/env bash
# Fetches Debian's libjpeg-turbo source package into build/deps/ for the
# MinGW build (Debian packages no MinGW libjpeg). The native build uses the
# packaged libjpeg62-turbo-dev instead.
#
# apt gets a configuration of its own under build/deps/apt: deb-src entries
# derived from the machine's deb entries, its own lists and cache folders.
# The system's apt configuration and state are read, never changed.
# Idempotent: does nothing when the source is already unpacked.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
deps="${TAMIRU_DEPS_DIR:-$root/build/deps}"
dest="$deps/libjpeg-turbo-src"

if [ -f "$dest/CMakeLists.txt" ]; then
  exit 0
fi

apt_dir="$deps/apt"
rm -rf "$apt_dir"
mkdir -p "$apt_dir/sources.list.d" "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" "$apt_dir/download"

# One-line entries: "deb [options] uri suite components" -> "deb-src ...".
: > "$apt_dir/sources.list"
if [ -f /etc/apt/sources.list ]; then
  sed -n 's/^[[:space:]]*deb[[:space:]]\+/deb-src /p' /etc/apt/sources.list >> "$apt_dir/sources.list"
fi
for f in /etc/apt/sources.list.d/*.list; do
  [ -f "$f" ] || continue
  sed -n 's/^[[:space:]]*deb[[:space:]]\+/deb-src /p' "$f" >> "$apt_dir/sources.list"
done
# deb822 stanzas: keep those whose Types include "deb", with Types: deb-src.
for f in /etc/apt/sources.list.d/*.sources; do
  [ -f "$f" ] || continue
  awk '
    function flush() {
      if (has_deb && body != "") print "Types: deb-src\n" body
      body = ""; has_deb = 0
    }
    /^[[:space:]]*$/ { flush(); next }
    /^#/ { next }
    /^Types:/ { for (i = 2; i <= NF; i++) if ($i == "deb") has_deb = 1; next }
    { body = body $0 "\n" }
    END { flush() }
  ' "$f" > "$apt_dir/sources.list.d/$(basename "$f")"
done

apt_options=(
  -o "Dir::Etc::SourceList=$apt_dir/sources.list"
  -o "Dir::Etc::SourceParts=$apt_dir/sources.list.d"
  -o "Dir::State::Lists=$apt_dir/lists"
  -o "Dir::Cache=$apt_dir/cache"
  -o "APT::Sandbox::User=root"
)

echo "fetch-libjpeg: fetching the libjpeg-turbo source package"
apt-get "${apt_options[@]}" -qq update
(cd "$apt_dir/download" && apt-get "${apt_options[@]}" -qq --download-only source libjpeg-turbo)

dsc="$(ls "$apt_dir"/download/libjpeg-turbo_*.dsc | head -n 1)"
rm -rf "$dest.tmp"
dpkg-source --no-check -x "$dsc" "$dest.tmp" >/dev/null
rm -rf "$dest"
mv "$dest.tmp" "$dest"
rm -rf "$apt_dir/download" "$deps"/libjpeg-turbo_*.orig.tar.*
echo "fetch-libjpeg: unpacked $(basename "$dsc" .dsc) into $dest"
