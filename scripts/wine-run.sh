#!/usr/bin/env bash
# Runs one Windows program under the Wine prefix of a build folder (CTest's emulator).
set -euo pipefail
build=$1 arch=$2; shift 2
. "$(dirname "$0")/wine-env.sh"
tvr_wine_env "$build" "$arch"
# The wineserver and Wine's own services must already run, started with no pipe attached.
[ -f "$WINEPREFIX/.server-up" ] || "$(dirname "$0")/wineprefix.sh" "$build" "$arch" </dev/null >/dev/null 2>&1
exec "$WINELOADER" "$@"
