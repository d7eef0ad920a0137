#!/usr/bin/env bash
# Configures and builds into build/ (or $TVR_BUILD) for the architecture this machine runs.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
arch=$("$root/scripts/arch.sh")
build=${TVR_BUILD:-$root/build}
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DTVR_ARCH="$arch" \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$arch-w64-mingw32.cmake" >/dev/null
cmake --build "$build" -j"$(nproc)" "$@"
