#!/usr/bin/env bash
# Performance figures of the host, each printed with its goal and its spread: the bus against
# a bare posted message and its overhead in absolute terms (and its cost for 1, 8 and 32
# plug-ins per list and records of 300, 4000 and 16000 characters, drawn into
# docs/img/bus-cost.svg), a trace site whose level is off against an empty loop iteration,
# private memory, start and close times and idle CPU against a program with the same
# platform set-up, the steps of the host's start, and start, memory and close with 0, 1, 8
# and 32 no-op plug-ins in each list (drawn into docs/img/growth.svg), and the requests the
# host and the empty program make to the wineserver as they start. Installs and builds
# what it needs (a Release build of the architecture this machine runs) and measures it
# under Wine. A measurement, not a test: it exits 0 whatever the figures.
#   TVR_BUILD        build folder (default build/bench-<arch> in the repository)
#   TVR_BENCH_ROUNDS rounds of each bus measurement (default 20)
#   TVR_BENCH_RUNS   starts of the host and the empty program (default 7)
#   TVR_BENCH_IDLE   seconds of the idle measurement (default 60)
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
arch=$("$root/scripts/arch.sh")
build=${TVR_BUILD:-$root/build/bench-$arch}
rounds=${TVR_BENCH_ROUNDS:-20}
runs=${TVR_BENCH_RUNS:-7}
idle=${TVR_BENCH_IDLE:-60}
growth_counts="0 1 8 32"   # no-op plug-ins in each of the six lists
start_waits_ms=450   # the start's fixed waits: 250 ms after loading and 2 x 100 ms of pumping
close_waits_ms=500   # the close's fixed wait after the debug plug-ins' BeforeClose
plot="$root/docs/img/bus-cost.svg"
growth_plot="$root/docs/img/growth.svg"
out="$build/bench-output"

say() { printf '%s\n' "$*"; }
fail() { say "bench: $*"; exit 0; }

if [ "$(id -u)" = 0 ]; then
  "$root/scripts/setup.sh" || fail "setup failed"
  if ! command -v gnuplot >/dev/null; then
    export DEBIAN_FRONTEND=noninteractive
    { apt-get install -y -qq --no-install-recommends gnuplot-nox >/dev/null 2>&1 ||
      { apt-get update -qq && apt-get install -y -qq --no-install-recommends gnuplot-nox >/dev/null 2>&1; }; } ||
      say "bench: gnuplot-nox could not be installed; no plot"
  fi
fi
say "Building the Release build for $arch in $build ..."
mkdir -p "$build"
TVR_BUILD="$build" timeout 1800 "$root/scripts/build.sh" --target Telvarin lang_EN lang_DE busbench hostbench emptyhost StartMarksPlugin \
  >"$build/bench-build.log" 2>&1 || fail "build failed, see $build/bench-build.log"
. "$root/scripts/wine-env.sh"
tvr_wine_env "$build" "$arch"
timeout 300 "$root/scripts/wineprefix.sh" "$build" "$arch" || fail "the Wine prefix did not start"
mkdir -p "$out"

winpath() { printf 'Z:%s' "$(printf '%s' "$1" | tr '/' '\\')"; }

# --- bus and trace gate ---
say "Measuring the bus ($rounds rounds of each figure) ..."
timeout 900 "$WINELOADER" "$build/busbench/busbench.exe" --rounds "$rounds" --messages 250 </dev/null \
  >"$out/busbench.txt" 2>/dev/null || say "bench: busbench did not finish; its figures are missing"

# --- host against the empty program ---
# The host runs from a folder of its own with plug-ins in its six lists, named TVRCONFIG.exe
# so that it keeps its status report beside itself.
categories="PluginDebug PluginSearch PluginSave PluginInfo PluginExtra PluginTelephony"
# install FOLDER PLUGIN COUNT: the host with COUNT copies of PLUGIN in each list.
install_host() {
  local folder=$1 plugin=$2 count=$3 category i
  rm -rf "$folder"
  cp -r "$build/dist" "$folder"
  rm -f "$folder"/Plugin*/*
  for category in $categories; do
    mkdir -p "$folder/$category"
    for ((i = 1; i <= count; i++)); do
      cp "$plugin" "$folder/$category/PluginBench$(printf '%02d' "$i").dll"
    done
  done
  mv "$folder/Telvarin.exe" "$folder/TVRCONFIG.exe"
}
rm -rf "$build/hostbench"
mkdir -p "$build/hostbench"
# The marking plug-in does nothing for the host; it notes when the host calls it, for the
# record of the start's steps.
install="$build/hostbench/install"
install_host "$install" "$build/tools/PluginStartMarks.dll" 1

# CPU time of a process in nanoseconds: the sum over its threads (Wine reports no CPU time
# of other processes, so it is read from the system).
cpu_ns() {
  local sum=0 t v
  for t in /proc/"$1"/task/*/schedstat; do
    read -r v _ <"$t" 2>/dev/null && sum=$((sum + v))
  done
  echo "$sum"
}
# The process whose command line begins with the Windows path of the program.
pid_of() { pgrep -f "^$(printf '%s' "$1" | sed 's/[\\.]/\\&/g')" | head -n 1; }

say "Measuring start, close, memory and idle CPU ($runs runs, $idle s idle) ..."
host_exe=$(winpath "$install/TVRCONFIG.exe")
empty_exe=$(winpath "$build/tools/emptyhost.exe")
host_pid="" empty_pid="" host_cpu0=0 empty_cpu0=0
: >"$out/hostbench.txt"
while IFS= read -r line; do
  say "$line" >>"$out/hostbench.txt"
  case $line in
    memory*)
      host_pid=$(pid_of "$host_exe"); empty_pid=$(pid_of "$empty_exe")
      [ -n "$host_pid" ] && host_cpu0=$(cpu_ns "$host_pid")
      [ -n "$empty_pid" ] && empty_cpu0=$(cpu_ns "$empty_pid") ;;
    idle*)
      [ -n "$host_pid" ] && say "cpu host $(( $(cpu_ns "$host_pid") - host_cpu0 ))" >>"$out/hostbench.txt"
      [ -n "$empty_pid" ] && say "cpu empty $(( $(cpu_ns "$empty_pid") - empty_cpu0 ))" >>"$out/hostbench.txt" ;;
  esac
done < <(timeout $((idle + 240)) "$WINELOADER" "$build/tools/hostbench.exe" "$host_exe" "$empty_exe" --runs "$runs" \
           --idle "$idle" </dev/null 2>/dev/null)

# --- growth with the number of plug-ins ---
say "Measuring start, memory and close with $growth_counts no-op plug-ins in each list ..."
for count in $growth_counts; do
  folder="$build/hostbench/growth-$count"
  install_host "$folder" "$build/busbench/NoopPlugin.dll" "$count"
  timeout 1800 "$WINELOADER" "$build/tools/hostbench.exe" "$(winpath "$folder/TVRCONFIG.exe")" "$empty_exe" \
    --runs 3 --growth </dev/null >"$out/growth-$count.txt" 2>/dev/null ||
    say "bench: the growth run with $count plug-ins per list did not finish"
done

# --- requests to the wineserver ---
# What the host and the empty program ask of the wineserver from their creation to the
# bench's WM_CLOSE: a count that does not move with the machine's load, and the same
# requests on both architectures. The server is started again with its request log for it
# (which slows every request, so nothing is timed meanwhile), then as before.
say "Counting the requests of three starts to the wineserver ..."
"$WINESERVER" -k 2>/dev/null; "$WINESERVER" -w 2>/dev/null
rm -f "$WINEPREFIX/.server-up"
"$WINESERVER" -p -d1 </dev/null >/dev/null 2>"$out/server-requests.log"
USER=SYSTEM "$WINELOADER" cmd /c exit </dev/null >/dev/null 2>&1
timeout 600 "$WINELOADER" "$build/tools/hostbench.exe" "$host_exe" "$empty_exe" --runs 3 --growth </dev/null \
  >/dev/null 2>&1 || say "bench: the counted starts did not finish"
"$WINESERVER" -k 2>/dev/null; "$WINESERVER" -w 2>/dev/null
awk -v host="TVRCONFIG.exe" -v empty="emptyhost.exe" -f "$root/scripts/count-requests.awk" \
  "$out/server-requests.log" >"$out/requests.txt"
timeout 300 "$root/scripts/wineprefix.sh" "$build" "$arch" || say "bench: the Wine prefix did not start again"

. "$root/scripts/bench-report.sh"
exit 0
