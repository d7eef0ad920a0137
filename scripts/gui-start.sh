#!/usr/bin/env bash
# Starts Xvfb and the Wine virtual desktop with its shell for the GUI tests of one build
# folder. Without a display it records why, and the GUI tests skip with that reason.
set -uo pipefail
build=$(cd "$1" && pwd); arch=$2
. "$(dirname "$0")/gui-env.sh"
tvr_gui_env "$build" "$arch"
mkdir -p "$TVR_GUI_STATE/shots"
rm -f "$TVR_GUI_STATE/display" "$TVR_GUI_STATE/skip"
skip() { echo "$1" >"$TVR_GUI_STATE/skip"; echo "GUI tests will skip: $1"; exit 0; }

command -v Xvfb >/dev/null || skip "Xvfb is not installed (scripts/setup.sh installs it)"
if [ ! -f "$WINEPREFIX/.booted" ]; then
  rm -rf "$WINEPREFIX"
  "$WINELOADER" wineboot -i </dev/null >/dev/null 2>&1
  "$WINESERVER" -w
  "$WINELOADER" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
  "$WINELOADER" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d shell /f >/dev/null 2>&1
  "$WINELOADER" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v shell /d 1024x700 /f >/dev/null 2>&1
  "$WINESERVER" -w
  touch "$WINEPREFIX/.booted"
fi

# A display number nobody uses.
n=90
while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do
  n=$((n + 1))
  [ $n -lt 140 ] || skip "no free X display number"
done
setsid Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp </dev/null >"$TVR_GUI_STATE/xvfb.log" 2>&1 &
echo $! >"$TVR_GUI_STATE/xvfb.pid"
for _ in $(seq 100); do
  [ -e "/tmp/.X11-unix/X$n" ] && break
  sleep 0.1
done
[ -e "/tmp/.X11-unix/X$n" ] || skip "Xvfb did not start on :$n"

"$WINESERVER" -k 2>/dev/null || true
"$WINESERVER" -w 2>/dev/null || true
"$WINESERVER" -p </dev/null >/dev/null 2>&1
# The desktop and its taskbar; detached from the caller's output.
DISPLAY=":$n" setsid "$WINELOADER" explorer /desktop=shell,1024x700 </dev/null >"$TVR_GUI_STATE/explorer.log" 2>&1 &
echo ":$n" >"$TVR_GUI_STATE/display"
echo "GUI display :$n"
