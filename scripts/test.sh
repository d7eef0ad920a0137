#!/usr/bin/env bash
# Sets up, builds and runs every test under Wine; prints CTest's summary and fails when a test fails.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh" >/dev/null
arch=$("$root/scripts/arch.sh")
build=${TVR_BUILD:-$root/build}
if [ "$arch" != i686 ]; then
  # This machine cannot run 32-bit programs: the tests run the x86_64 build, and the
  # 32-bit product is still built here, so that it keeps compiling and linking.
  cmake -S "$root" -B "$build/i686" -DCMAKE_BUILD_TYPE=Release -DTVR_ARCH=i686 -DBUILD_TESTING=OFF \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-i686-w64-mingw32.cmake" >/dev/null
  cmake --build "$build/i686" -j"$(nproc)" >/dev/null
  echo "32-bit product built: $build/i686/dist/Telvarin.exe"
fi
cd "$build"
ctest --output-on-failure --timeout 300 -j2
