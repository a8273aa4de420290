#!/usr/bin/env bash
# Builds the release zip for Windows users, build/package/Tamiru-<version>-win64.zip:
# one folder Tamiru/ holding tamiru.exe (static: no DLL beyond the system's),
# the help page with its screenshots, call.wav, the empty list files that the
# first start needs, a Japanese first-read text (Shift_JIS, CR LF) and the
# JPEG library's licence notices.
#
#   scripts/package.sh                    a clean Windows build of its own
#   scripts/package.sh --build-dir DIR    the programs of an existing Windows
#                                         build folder (the test command's)
#
# The version is the CMake project's. The zip is reproducible: every entry has
# the time of the last commit (or SOURCE_DATE_EPOCH), the same permissions and
# a fixed order, and zip leaves out the extra fields that hold owners and
# exact times, so the same commit gives the same bytes.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
out="$root/build/package"

build_dir=
case "${1:-}" in
  --build-dir) build_dir="$(cd "${2:?--build-dir needs a folder}" && pwd)" ;;
  "") ;;
  *) echo "usage: scripts/package.sh [--build-dir DIR]" >&2; exit 2 ;;
esac

if [ -z "$build_dir" ]; then
  scripts/setup.sh
  build_dir="$out/build"
  rm -rf "$build_dir"
  echo "package: clean Windows build in $build_dir"
  cmake --preset windows -B "$build_dir" >/dev/null
fi
cmake --build "$build_dir" --target tamiru call_wav >/dev/null

version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build_dir/CMakeCache.txt")"
[ -n "$version" ] || { echo "package: no project version in $build_dir/CMakeCache.txt" >&2; exit 1; }
bin="$build_dir/bin"

# A DLL that Windows does not have would stop the first start on a user's
# machine; the static link must have left only system DLLs.
foreign="$(x86_64-w64-mingw32-objdump -p "$bin/tamiru.exe" | sed -n 's/^[[:space:]]*DLL Name: //p' |
  grep -viE '^(kernel32|user32|gdi32|shell32|comdlg32|comctl32|winmm|advapi32|ole32|oleaut32|uxtheme|shcore|msvcrt|api-ms-win-[a-z0-9-]+)\.dll$' || true)"
if [ -n "$foreign" ]; then
  echo "package: tamiru.exe needs DLLs that are not the system's: $foreign" >&2
  exit 1
fi

# Every time in the package is the last commit's.
epoch="${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || echo 315532800)}"
stage="$out/stage"
folder="$stage/Tamiru"
rm -rf "$stage"
mkdir -p "$folder/screenshots"
cp "$bin/tamiru.exe" "$bin/call.wav" "$bin/libjpeg-turbo-LICENSE.md" "$bin/libjpeg-turbo-README.ijg" "$folder/"
# Without its symbol table, which names the folders the objects were built in.
# strip stamps the PE header with the time it runs unless it is given one.
SOURCE_DATE_EPOCH="$epoch" x86_64-w64-mingw32-strip "$folder/tamiru.exe"
cp app/TamiruHelp.html "$folder/"
cp docs/screenshots/*.png "$folder/screenshots/"
# The start opens the friend, phrase, keyword and macro files and ends when
# one is missing; "/i 追加" and "all /i" read the ignore list. All start empty.
for list in friendlist ignorelist chatlist keyword macro; do
  : > "$folder/$list.txt"
done
iconv -f UTF-8 -t CP932 packaging/readme.txt | sed 's/$/\r/' > "$folder/readme.txt"

find "$stage" -type d -exec chmod 755 {} +
find "$stage" -type f -exec chmod 644 {} +
find "$stage" -exec touch -h -d "@$epoch" {} +

zip_path="$out/Tamiru-$version-win64.zip"
rm -f "$zip_path"
# zip writes local times: read them in UTC so the machine's zone does not matter.
(cd "$stage" && find Tamiru -type f | LC_ALL=C sort | TZ=UTC zip -q -X -D -9 "$zip_path" -@)

echo "package: $zip_path ($(stat -c %s "$zip_path") bytes, sha256 $(sha256sum "$zip_path" | cut -c1-16))"
