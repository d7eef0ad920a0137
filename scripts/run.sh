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
ctl() { "$WINELOADER" "$build/tools/tvrctl.exe" "$@" </dev/null 2>/dev/null; }
stop() { echo; echo "Ending the host..."; ctl close || true; wait "$host" 2>/dev/null || true; kill "$tail" 2>/dev/null || true; exit 0; }
trap stop INT TERM

ctl wait 30 || { echo "The host did not start; see $build/host-output.txt"; exit 1; }
[ -n "${TVR_DEBUGLEVEL:-}" ] && ctl debuglevel "$TVR_DEBUGLEVEL"
# The newest trace file is today's; it appears with the host's first line.
log=""
for _ in $(seq 100); do
  log=$(ls -t "$logdir"/Trace_*.log 2>/dev/null | head -n 1 || true)
  [ -n "$log" ] && [ "$(stat -c %s "$log")" -gt "${logsize[$log]:-0}" ] && break
  sleep 0.1
done
log=${log:-$logdir/Trace_$(date +%F).log}
echo "Telvarin runs (process $host). Its trace lines from $log:"
echo "Press Ctrl+C to end it."
tail -c +$(( ${logsize[$log]:-0} + 1 )) -F "$log" 2>/dev/null &
tail=$!
wait "$host" || true
kill "$tail" 2>/dev/null || true
