#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the run command need,
# and the Japanese locale that gives Wine processes code page 932.
# Idempotent: quiet and quick when everything is already there.
set -euo pipefail

packages=(
  cmake make g++ clang llvm ninja-build
  mingw-w64 g++-mingw-w64-x86-64-posix
  wine wine64 xvfb xauth x11-apps xdotool imagemagick
  fonts-ipafont-gothic fonts-ipafont-mincho locales
  googletest libgtest-dev libbenchmark-dev
  libjpeg62-turbo-dev libjpeg-turbo-progs nasm dpkg-dev
  python3 zip unzip
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq >/dev/null
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

if ! locale -a 2>/dev/null | grep -qi '^ja_JP.utf8$'; then
  echo "setup: generating the ja_JP.UTF-8 locale"
  sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' >> /etc/locale.gen
  locale-gen >/dev/null
fi

# The MinGW build compiles libjpeg-turbo from Debian's source package.
"$(dirname "${BASH_SOURCE[0]}")/fetch-libjpeg.sh"
