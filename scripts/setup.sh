#!/usr/bin/env bash
# Installs what building, running and testing need on Debian 12 (run as root).
# Quick when everything is already there: apt is only asked when something is missing.
set -euo pipefail

need=()
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'ok installed'; }
for p in g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64-i686 \
         binutils-mingw-w64-x86-64 cmake make googletest xvfb imagemagick librsvg2-bin python3 \
         wine wine64 wixl msitools osslsigncode openssl fp-utils clang-format; do
  have "$p" || need+=("$p")
done
have wine32:i386 || need+=(wine32:i386)

if [ ${#need[@]} -gt 0 ]; then
  dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi
