#!/usr/bin/env bash
# Stops the wineserver of one build folder's prefix.
build=$(cd "$1" && pwd); arch=$2
. "$(dirname "$0")/wine-env.sh"
tvr_wine_env "$build" "$arch"
rm -f "$WINEPREFIX/.server-up"
"$WINESERVER" -k 2>/dev/null || true
