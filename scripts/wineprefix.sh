#!/usr/bin/env bash
# Makes (once) and starts the Wine prefix of one build folder: null graphics driver,
# no crash dialog, a persistent wineserver whose first process runs as SYSTEM so that
# services started by Wine's service manager see that account; later processes run as $USER.
set -euo pipefail
build=$(cd "$1" && pwd); arch=$2
. "$(dirname "$0")/wine-env.sh"
tvr_wine_env "$build" "$arch"
if [ ! -f "$WINEPREFIX/.booted" ]; then
  rm -rf "$WINEPREFIX"
  "$WINELOADER" wineboot -i </dev/null >/dev/null 2>&1
  "$WINESERVER" -w
  "$WINELOADER" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
  "$WINELOADER" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
  "$WINESERVER" -w
  touch "$WINEPREFIX/.booted"
fi
rm -f "$WINEPREFIX/.server-up"
"$WINESERVER" -k 2>/dev/null || true
"$WINESERVER" -w 2>/dev/null || true
# Detached from the caller's output: long-lived Wine processes would keep a pipe open.
"$WINESERVER" -p </dev/null >/dev/null 2>&1
USER=SYSTEM "$WINELOADER" cmd /c exit </dev/null >/dev/null 2>&1
touch "$WINEPREFIX/.server-up"
