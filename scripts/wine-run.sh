#!/usr/bin/env bash
# Runs one Windows program under the Wine prefix of a build folder (CTest's emulator).
set -euo pipefail
build=$1 arch=$2; shift 2
. "$(dirname "$0")/wine-env.sh"
tvr_wine_env "$build" "$arch"
[ -f "$WINEPREFIX/.booted" ] || "$(dirname "$0")/wineprefix.sh" "$build" "$arch" >/dev/null
exec "$WINELOADER" "$@"
