#!/usr/bin/env bash
# Sets up, builds and runs every test under Wine; prints CTest's summary and fails when a test fails.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh" >/dev/null
arch=$("$root/scripts/arch.sh")
build=${TVR_BUILD:-$root/build}
if [ "$arch" != i686 ]; then
  # This machine cannot run 32-bit programs: the tests run the x86_64 build. The 32-bit
  # product and its test programs are still built here (not run), so that code that only
  # fails to compile or link for 32 bits fails here too.
  cmake -S "$root" -B "$build/i686" -DCMAKE_BUILD_TYPE=Release -DTVR_ARCH=i686 -DBUILD_TESTING=ON \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-i686-w64-mingw32.cmake" >/dev/null
  cmake --build "$build/i686" -j"$(nproc)" >"$build/i686-build.log" 2>&1 ||
    { grep -E -B2 -A8 'error|Error' "$build/i686-build.log" | head -80; echo "32-bit build failed: $build/i686-build.log"; exit 1; }
  echo "32-bit product and test programs built: $build/i686/dist/Telvarin.exe"
fi
# The installer package of each built distribution folder (and the SDK archive).
"$root/scripts/package.sh"
cd "$build"
ctest --output-on-failure --timeout 300 -j2
