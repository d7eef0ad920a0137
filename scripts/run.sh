#!/usr/bin/env bash
# Sets up, builds and starts the host under Wine with the project's own plug-ins, then
# shows its trace lines as the debug plug-in writes them. Where the X display in $DISPLAY
# opens, the host runs inside a Wine virtual desktop window on it, with the shell's taskbar
# and notification area (tray icon, menu and dialogs show there); otherwise it runs headless.
# Ctrl+C ends the host (and the desktop window).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh" >/dev/null
arch=$("$root/scripts/arch.sh")
build=${TVR_BUILD:-$root/build}
. "$root/scripts/wine-env.sh"
tvr_wine_env "$build" "$arch"

# True when $DISPLAY is set and opens with the same Xlib call Wine's X11 driver makes.
display_opens() {
  [ -n "${DISPLAY:-}" ] || return 1
  timeout 5 python3 -c 'import ctypes, sys
x = ctypes.CDLL("libX11.so.6")
x.XOpenDisplay.restype = ctypes.c_void_p
x.XCloseDisplay.argtypes = [ctypes.c_void_p]
d = x.XOpenDisplay(None)
d and x.XCloseDisplay(d)
sys.exit(0 if d else 1)' 2>/dev/null
}

# The desktop's own prefix (the tests' prefix keeps the null driver): X11 driver, every
# process on the 1024x700 virtual desktop "Telvarin". Made once; each run starts a new
# wineserver session in it (ending an earlier run's) with the desktop and its taskbar.
start_desktop() {
  export WINEPREFIX="$build/wineprefix-desktop"
  if [ ! -f "$WINEPREFIX/.booted" ]; then
    rm -rf "$WINEPREFIX"
    DISPLAY='' "$WINELOADER" wineboot -i </dev/null >/dev/null 2>&1
    "$WINESERVER" -w
    DISPLAY='' "$WINELOADER" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    DISPLAY='' "$WINELOADER" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Telvarin /f >/dev/null 2>&1
    DISPLAY='' "$WINELOADER" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Telvarin /d 1024x700 /f >/dev/null 2>&1
    "$WINESERVER" -w
    touch "$WINEPREFIX/.booted"
  fi
  "$WINESERVER" -k 2>/dev/null || true
  "$WINESERVER" -w 2>/dev/null || true
  "$WINESERVER" -p </dev/null >/dev/null 2>&1
  # Detached from the terminal: Ctrl+C goes to this script, which ends the host first.
  setsid "$WINELOADER" explorer /desktop=Telvarin,1024x700 </dev/null >"$build/desktop-output.txt" 2>&1 &
}

desktop=""
if display_opens; then
  desktop=$DISPLAY
  start_desktop
else
  "$root/scripts/wineprefix.sh" "$build" "$arch"
fi

# The debug plug-in appends to one trace file per day, shared by every host of this user
# (test runs included): remember where each file ends, so that only this host's lines show.
logdir="$WINEPREFIX/drive_c/users/$USER/AppData/Roaming/orvex/Telvarin/TelvarinHost/LOG"
mkdir -p "$logdir"
declare -A logsize=()
for f in "$logdir"/Trace_*.log; do
  [ -f "$f" ] && logsize[$f]=$(stat -c %s "$f")
done

# The host runs from C:\Telvarin inside the prefix, as it would from a copied folder.
install="$WINEPREFIX/drive_c/Telvarin"
rm -rf "$install"
cp -r "$build/dist" "$install"
"$WINELOADER" 'C:\Telvarin\Telvarin.exe' </dev/null >"$build/host-output.txt" 2>&1 &
host=$!
tail=""
ctl() { "$WINELOADER" "$build/tools/tvrctl.exe" "$@" </dev/null 2>/dev/null; }
# Once the host has ended: the trace follower and, on a display, the desktop window go too.
finish() {
  [ -n "$tail" ] && kill "$tail" 2>/dev/null
  [ -n "$desktop" ] && { "$WINESERVER" -k 2>/dev/null || true; }
  echo "Telvarin has ended."
}
stop() { echo; echo "Ending the host..."; ctl close || true; wait "$host" 2>/dev/null || true; finish; exit 0; }
trap stop INT TERM

ctl wait 30 || { echo "The host did not start; see $build/host-output.txt"; finish >/dev/null; exit 1; }
[ -n "${TVR_DEBUGLEVEL:-}" ] && ctl debuglevel "$TVR_DEBUGLEVEL"
# The newest trace file is today's; it appears with the host's first line.
log=""
for _ in $(seq 100); do
  log=$(ls -t "$logdir"/Trace_*.log 2>/dev/null | head -n 1 || true)
  [ -n "$log" ] && [ "$(stat -c %s "$log")" -gt "${logsize[$log]:-0}" ] && break
  sleep 0.1
done
log=${log:-$logdir/Trace_$(date +%F).log}
if [ -n "$desktop" ]; then
  echo "Telvarin runs (process $host) in the window \"Telvarin - Wine desktop\" on display $desktop:"
  echo "its tray icon is at the right end of the taskbar; right-click it for the menu."
else
  echo "Telvarin runs (process $host) without a display."
fi
echo "Its trace lines from $log:"
echo "Press Ctrl+C to end it."
tail -c +$(( ${logsize[$log]:-0} + 1 )) -F "$log" 2>/dev/null &
tail=$!
wait "$host" || true
finish
