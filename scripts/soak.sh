#!/usr/bin/env bash
# Hostile-input soak: builds what is missing, starts the host under Wine from a fresh
# C:\TelvarinSoak (the distribution folder, the probe and the canary plug-in), drives it with
# tvrfuzz (at least 100,000 messages per category), prints the table and ends the host.
#   TVR_SOAK_COUNT   messages per category (default 100000)
#   TVR_SOAK_SEED    seed (default: the current time)
#   TVR_SOAK_ARGS    further tvrfuzz switches, e.g. "--category hostmsg" (without one, every category)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TVR_BUILD:-$root/build}
count=${TVR_SOAK_COUNT:-100000}
seed=${TVR_SOAK_SEED:-$(date +%s)}
TVR_BUILD="$build" "$root/scripts/build.sh" --target Telvarin tvrfuzz tvrctl PluginProbe PluginCanary >/dev/null
arch=$("$root/scripts/arch.sh")
. "$root/scripts/wine-env.sh"
tvr_wine_env "$build" "$arch"
"$root/scripts/wineprefix.sh" "$build" "$arch"

install="$WINEPREFIX/drive_c/TelvarinSoak"
rm -rf "$install"
cp -r "$build/dist" "$install"
mkdir -p "$install/PluginDebug" "$install/PluginInfo"
cp "$build/testplugins/PluginProbe.dll" "$install/PluginDebug/PluginProbeSoak.DLL"
cp "$build/testplugins/PluginCanary.dll" "$install/PluginInfo/PluginCanary.DLL"
cp "$build/testplugins/CanaryHelper.dll" "$install/PluginInfo/CanaryHelper.dll"

"$WINELOADER" 'C:\TelvarinSoak\Telvarin.exe' </dev/null >"$build/soak-host-output.txt" 2>&1 &
host=$!
ctl() { "$WINELOADER" "$build/tools/tvrctl.exe" "$@" </dev/null 2>/dev/null; }
ctl wait 30 || { echo "The host did not start; see $build/soak-host-output.txt"; exit 1; }
sleep 3   # the plug-ins get their after-load calls (the canary loads its helper)

set +e
"$WINELOADER" "$build/tools/tvrfuzz.exe" --seed "$seed" --count "$count" --restart \
  ${TVR_SOAK_ARGS:-} </dev/null 2>&1 | tee "$build/soak-output.txt"
status=${PIPESTATUS[0]}
set -e
echo "tvrfuzz exit code $status (0: clean, 1: faults found, 2: no host, 3: time limit); output in $build/soak-output.txt"

echo "Ending the host..."
ctl close || true
for _ in $(seq 1 100); do kill -0 "$host" 2>/dev/null || break; sleep 0.1; done
kill "$host" 2>/dev/null || true
wait "$host" 2>/dev/null || true
exit "$status"
