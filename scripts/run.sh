#!/usr/bin/env bash
# Sets up, builds and starts the host under Wine with the project's own plug-ins, then
# shows its trace lines as the debug plug-in writes them. Ctrl+C ends the host.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh" >/dev/null
arch=$("$root/scripts/arch.sh")
build=${TVR_BUILD:-$root/build}
. "$root/scripts/wine-env.sh"
tvr_wine_env "$build" "$arch"
"$root/scripts/wineprefix.sh" "$build" "$arch"

# The host runs from C:\Telvarin inside the prefix, as it would from a copied folder.
install="$WINEPREFIX/drive_c/Telvarin"
rm -rf "$install"
cp -r "$build/dist" "$install"
"$WINELOADER" 'C:\Telvarin\Telvarin.exe' </dev/null >"$build/host-output.txt" 2>&1 &
host=$!
ctl() { "$WINELOADER" "$build/tools/tvrctl.exe" "$@" </dev/null 2>/dev/null; }
stop() { echo; echo "Ending the host..."; ctl close || true; wait "$host" 2>/dev/null || true; kill "$tail" 2>/dev/null || true; exit 0; }
trap stop INT TERM

ctl wait 30 || { echo "The host did not start; see $build/host-output.txt"; exit 1; }
[ -n "${TVR_DEBUGLEVEL:-}" ] && ctl debuglevel "$TVR_DEBUGLEVEL"
logdir="$WINEPREFIX/drive_c/users/$USER/AppData/Roaming/orvex/Telvarin/TelvarinHost/LOG"
echo "Telvarin runs (process $host). Trace lines from $logdir:"
echo "Press Ctrl+C to end it."
mkdir -p "$logdir"
tail -n +1 -F "$logdir"/Trace_*.log 2>/dev/null &
tail=$!
wait "$host" || true
kill "$tail" 2>/dev/null || true
