#!/usr/bin/env bash
# Performance figures of the host, each printed with its goal: the bus against a bare posted
# message (and its cost for 1, 8 and 32 plug-ins per list and records of 300, 4000 and 16000
# characters, drawn into docs/img/bus-cost.svg), a trace site whose level is off against an
# empty loop iteration, private memory, start and close times and idle CPU against a
# program with the same platform set-up. Installs and builds what it needs (a Release
# build of the architecture this machine runs) and measures it under Wine.
# A measurement, not a test: it exits 0 whatever the figures.
#   TVR_BUILD        build folder (default build/bench-<arch> in the repository)
#   TVR_BENCH_ROUNDS rounds of each bus measurement (default 5)
#   TVR_BENCH_IDLE   seconds of the idle measurement (default 60)
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
arch=$("$root/scripts/arch.sh")
build=${TVR_BUILD:-$root/build/bench-$arch}
rounds=${TVR_BENCH_ROUNDS:-5}
idle=${TVR_BENCH_IDLE:-60}
start_waits_ms=450   # the start's fixed waits: 250 ms after loading and 2 x 100 ms of pumping
close_waits_ms=500   # the close's fixed wait after the debug plug-ins' BeforeClose
plot="$root/docs/img/bus-cost.svg"
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
TVR_BUILD="$build" timeout 1800 "$root/scripts/build.sh" --target Telvarin lang_EN lang_DE busbench hostbench emptyhost \
  >"$build/bench-build.log" 2>&1 || fail "build failed, see $build/bench-build.log"
. "$root/scripts/wine-env.sh"
tvr_wine_env "$build" "$arch"
timeout 300 "$root/scripts/wineprefix.sh" "$build" "$arch" || fail "the Wine prefix did not start"
mkdir -p "$out"

winpath() { printf 'Z:%s' "$(printf '%s' "$1" | tr '/' '\\')"; }

# --- bus and trace gate ---
say "Measuring the bus ($rounds rounds of each figure) ..."
timeout 900 "$WINELOADER" "$build/busbench/busbench.exe" --rounds "$rounds" --messages 1000 </dev/null \
  >"$out/busbench.txt" 2>/dev/null || say "bench: busbench did not finish; its figures are missing"

# --- host against the empty program ---
# The host runs from a folder of its own with one no-op plug-in per list, named TVRCONFIG.exe
# so that it keeps its status report beside itself.
install="$build/hostbench/install"
rm -rf "$build/hostbench"
mkdir -p "$build/hostbench"
cp -r "$build/dist" "$install"
rm -f "$install"/Plugin*/*
for category in PluginDebug PluginSearch PluginSave PluginInfo PluginExtra PluginTelephony; do
  mkdir -p "$install/$category"
  cp "$build/busbench/NoopPlugin.dll" "$install/$category/PluginNoop.dll"
done
mv "$install/Telvarin.exe" "$install/TVRCONFIG.exe"

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

say "Measuring start, close, memory and idle CPU (3 runs, $idle s idle) ..."
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
done < <(timeout $((idle + 240)) "$WINELOADER" "$build/tools/hostbench.exe" "$host_exe" "$empty_exe" --runs 3 \
           --idle "$idle" </dev/null 2>/dev/null)

# --- report ---
field() { awk -v key="$1" -v n="$2" '$1 == key { print $n; exit }' "$3"; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (a == "" || b == "" || b + 0 <= 0) print "n/a"; else printf "%.2f", a / b }'; }
bus="$out/busbench.txt" host="$out/hostbench.txt"
bits=$(field bits 2 "$bus")
say ""
say "Telvarin performance, $(date -u '+%Y-%m-%d %H:%M UTC')"
say "Machine: $(uname -m), $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//')"
if [ "$arch" = i686 ]; then
  say "Measured: the 32-bit product (i686), Release build in $build, under $("$WINELOADER" --version)"
else
  say "Measured: the x86_64 build of the same sources, Release build in $build, under $("$WINELOADER" --version)"
  say "          (this machine cannot run 32-bit code; the 32-bit product is measured where it can)"
fi
say "Figures are medians of repeated rounds; ratios are measured side by side in this run."
say ""
printf '%-58s %12s %8s\n' "Figure" "measured" "goal"
b300=$(awk '$1 == "bus" && $2 == 1 && $3 == 300 { print $4, $5; exit }' "$bus")
printf '%-58s %12s %8s\n' "bus message / bare posted message (300 chars, 6 x 1)" \
  "$(ratio "${b300% *}" "${b300#* }")" "<= 1.5"
printf '%-58s %12s %8s\n' "  bus message, ns" "${b300% *}" ""
printf '%-58s %12s %8s\n' "  bare posted message, ns" "${b300#* }" ""
burst=$(awk '$1 == "burst" { print $4, $5; exit }' "$bus")
printf '%-58s %12s %8s\n' "  the same in bursts of 500 queued messages" "$(ratio "${burst% *}" "${burst#* }")" "(context)"
trace=$(awk '$1 == "trace" { print $2, $3; exit }' "$bus")
printf '%-58s %12s %8s\n' "trace site at an off level / empty loop iteration" "$(ratio "${trace#* }" "${trace% *}")" "<= 1.5"
printf '%-58s %12s %8s\n' "  empty loop iteration, ns / with the trace site, ns" "${trace% *} / ${trace#* }" ""
mem=$(field memory 2 "$host") memhost=$(field memory 3 "$host")
mb_diff() { awk -v a="$1" -v b="$2" 'BEGIN { if (a == "" || b == "") print "n/a"; else printf "%.2f", (a - b) / 1048576 }'; }
printf '%-58s %12s %8s\n' "private memory, host with 6 no-op plug-ins - empty, MB" "$(mb_diff "$memhost" "$mem")" "<= 1"
printf '%-58s %12s %8s\n' "  host / empty program, MB" \
  "$(awk -v a="$memhost" -v b="$mem" 'BEGIN { printf "%.2f / %.2f", a / 1048576, b / 1048576 }')" ""
memthread=$(field threadmemory 2 "$host")
printf '%-58s %12s %8s\n' "  one idle thread more in the empty program, MB" "$(mb_diff "$memthread" "$mem")" "(context)"
printf '%-58s %12s %8s\n' "  host - empty program with one idle thread, MB" "$(mb_diff "$memhost" "$memthread")" "(context)"
empty_start=$(field start 2 "$host") host_start=$(field start 3 "$host")
start_net=$(awk -v h="$host_start" -v w="$start_waits_ms" 'BEGIN { if (h == "" || h < 0) print ""; else printf "%.1f", h - w }')
printf '%-58s %12s %8s\n' "(start to \"OK\" - ${start_waits_ms} ms) / empty program's start" \
  "$(ratio "$start_net" "$empty_start")" "<= 1.5"
printf '%-58s %12s %8s\n' "  start to \"OK\", ms / empty program to its window, ms" "$host_start / $empty_start" ""
host_close=$(field close 2 "$host") empty_close=$(field close 3 "$host")
printf '%-58s %12s %8s\n' "WM_CLOSE to process end / ${close_waits_ms} ms" "$(ratio "$host_close" "$close_waits_ms")" "<= 1.05"
printf '%-58s %12s %8s\n' "  WM_CLOSE to end, ms: host / empty program" "$host_close / $empty_close" ""
cpu_host=$(awk '$1 == "cpu" && $2 == "host" { print $3 }' "$host")
cpu_empty=$(awk '$1 == "cpu" && $2 == "empty" { print $3 }' "$host")
percent() { awk -v ns="$1" -v s="$idle" 'BEGIN { if (ns == "" || s <= 0) print "n/a"; else printf "%.4f", ns / 1e9 / s * 100 }'; }
printf '%-58s %12s %8s\n' "idle CPU of the host over ${idle} s, % of a core" "$(percent "$cpu_host")" "<= 0.05"
printf '%-58s %12s %8s\n' "  the empty program, % of a core" "$(percent "$cpu_empty")" ""
say ""
say "Start and close runs (ms): empty program to its window, host to \"OK\", host close, empty close:"
awk '$1 == "run" { printf "  run %s: %s, %s, %s, %s\n", $2, $3, $4, $5, $6 }' "$host"
say ""
say "Bus message against a bare posted message, each pumped and dispatched before the next"
say "(ns per message; plug-ins per list in each of the six lists):"
printf '%-10s %-8s %12s %12s %8s\n' "plug-ins" "chars" "bus ns" "post ns" "ratio"
awk '$1 == "bus" { printf "%-10s %-8s %12s %12s %8s\n", $2, $3, $4, $5, $6 }' "$bus"
say ""
say "Steps of one bus message, each timed alone (ns):"
awk '$1 == "step" { $1 = ""; sub(/^ /, ""); print "  " $0 }' "$bus"
awk '$1 == "read" { print "  GetBusValue(\"Text\") on a 300-character record  " $2 }' "$bus"
say ""
say "Raw output: $out"

# --- plot ---
if command -v gnuplot >/dev/null && grep -q '^bus ' "$bus"; then
  mkdir -p "$(dirname "$plot")"
  for chars in 300 4000 16000; do
    awk -v c="$chars" '$1 == "bus" && $3 == c { print $2, $4 / 1000, $5 / 1000 }' "$bus" >"$out/bus-$chars.dat"
  done
  gnuplot <<EOF && say "Plot: $plot"
set terminal svg size 720,440 dynamic font "sans,12"
set output "$plot"
set title "Bus message cost against plug-ins per list ($arch build under Wine)" noenhanced
set xlabel "no-op plug-ins in each of the six lists"
set ylabel "microseconds per message"
set key top left
set grid
set xrange [0:33]
set yrange [0:*]
set xtics (1, 8, 16, 24, 32)
plot "$out/bus-300.dat" using 1:2 with linespoints lw 2 title "bus, 300 characters", \
     "$out/bus-4000.dat" using 1:2 with linespoints lw 2 title "bus, 4000 characters", \
     "$out/bus-16000.dat" using 1:2 with linespoints lw 2 title "bus, 16000 characters", \
     "$out/bus-300.dat" using 1:3 with linespoints lw 1 dt 2 title "bare posted message"
EOF
fi
exit 0
