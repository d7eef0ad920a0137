# The report of scripts/bench.sh (sourced by it): every figure with its goal and its spread,
# read from the raw output in $out, and the plots. Expects root, arch, build, out, idle,
# rounds, runs, growth_counts, start_waits_ms, close_waits_ms, plot, growth_plot and
# WINELOADER as bench.sh sets them.

field() { awk -v key="$1" -v n="$2" '$1 == key { print $n; exit }' "$3"; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (a == "" || b == "" || b + 0 <= 0) print "n/a"; else printf "%.2f", a / b }'; }
mb_diff() { awk -v a="$1" -v b="$2" 'BEGIN { if (a == "" || b == "") print "n/a"; else printf "%.2f", (a - b) / 1048576 }'; }
row() { printf '%-60s %16s %9s\n' "$1" "$2" "$3"; }
bus="$out/busbench.txt" host="$out/hostbench.txt"

say ""
say "Telvarin performance, $(date -u '+%Y-%m-%d %H:%M UTC')"
say "Machine: $(uname -m), $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//'), load average $(cut -d' ' -f1-3 /proc/loadavg)"
if [ "$arch" = i686 ]; then
  say "Measured: the 32-bit product (i686), Release build in $build, under $("$WINELOADER" --version)"
else
  say "Measured: the x86_64 build of the same sources, Release build in $build, under $("$WINELOADER" --version)"
  say "          (this machine cannot run 32-bit code; the 32-bit product is measured where it can)"
fi
say "Bus figures: medians of $rounds rounds, bus and bare posts interleaved message by message;"
say "start and close: medians of $runs runs, the host and the empty program one after the other"
say "(the start ratio is the median of the runs' own ratios)."
say "Spread: [lower quartile - upper quartile] of the rounds, or {smallest - largest} of the runs."
say ""
row "Figure" "measured" "goal"

# Bus: ratio with its quartiles, the overhead per message with and without the queue.
read -r b_bus b_post b_ratio b_q1 b_q3 b_min b_max b_over b_oq1 b_oq3 < <(awk '$1 == "bus" && $2 == 1 && $3 == 300 { print $4, $5, $6, $7, $8, $9, $10, $11, $12, $13; exit }' "$bus")
row "bus message / bare posted message (300 chars, 6 x 1)" "${b_ratio:-n/a} [${b_q1:-}-${b_q3:-}]" "<= 1.5"
row "  bus message / bare posted message, us" \
  "$(awk -v a="$b_bus" -v b="$b_post" 'BEGIN { if (a != "") printf "%.1f / %.1f", a / 1000, b / 1000 }')" ""
row "  bus overhead per message with the queue, us" \
  "$(awk -v a="$b_over" -v q="$b_oq1" -v r="$b_oq3" 'BEGIN { if (a != "") printf "%.1f [%.1f-%.1f]", a / 1000, q / 1000, r / 1000 }')" "(context)"
read -r d_bus d_bare d_over d_q1 d_q3 < <(awk '$1 == "direct" && $2 == 1 && $3 == 300 { print $4, $5, $6, $7, $8; exit }' "$bus")
row "  bus path without the queue (send to last plug-in), us" \
  "$(awk -v a="$d_over" -v q="$d_q1" -v r="$d_q3" 'BEGIN { if (a != "") printf "%.2f [%.2f-%.2f]", a / 1000, q / 1000, r / 1000 }')" "(context)"
burst=$(awk '$1 == "burst" { print $4, $5; exit }' "$bus")
row "  the same in bursts of 500 queued messages" "$(ratio "${burst% *}" "${burst#* }")" "(context)"

# Trace gate: a loop iteration with a site against an empty one, and what a site adds in
# straight code.
read -r t_empty t_site t_ratio t_q1 t_q3 t_added t_aq1 t_aq3 < <(awk '$1 == "trace" { print $2, $3, $4, $5, $6, $7, $8, $9; exit }' "$bus")
row "trace site at an off level / empty loop iteration" "${t_ratio:-n/a} [${t_q1:-}-${t_q3:-}]" "<= 1.5"
row "  empty iteration / with the site, ns" "${t_empty:-n/a} / ${t_site:-n/a}" ""
row "  a site adds in straight code (16 in a row), ns [q1-q3]" "${t_added:-n/a} [${t_aq1:-}-${t_aq3:-}]" "(context)"
# The same loops single-stepped: instructions do not depend on the machine's load. A site
# whose level is off is one load, one comparison and one branch; a call would add a dozen.
read -r i_empty i_site < <(awk '$1 == "trace-instructions" { print $2, $3; exit }' "$bus")
row "  instructions a site adds to the iteration (single-stepped)" \
  "$(awk -v a="$i_empty" -v b="$i_site" 'BEGIN { if (a + 0 > 0) printf "%g (%g -> %g)", b - a, a, b; else print "n/a" }')" "<= 3"

# Memory: the host with one no-op plug-in per list (the growth run), against the empty
# program of the same run; what one thread costs comes from the main run.
memsource="$out/growth-1.txt"
[ -s "$memsource" ] || memsource="$host"
mem=$(field memory 2 "$memsource") memhost=$(field memory 3 "$memsource")
mem_main=$(field memory 2 "$host") memthread=$(field threadmemory 2 "$host")
row "private memory, host with 6 no-op plug-ins - empty, MB" "$(mb_diff "$memhost" "$mem")" "<= 1"
row "  host / empty program, MB" \
  "$(awk -v a="$memhost" -v b="$mem" 'BEGIN { if (a != "") printf "%.2f / %.2f", a / 1048576, b / 1048576 }')" ""
thread_mb=$(mb_diff "$memthread" "$mem_main")
row "  one idle thread more in the empty program, MB" "$thread_mb" "(context)"
row "  host - empty program with one idle thread, MB" \
  "$(awk -v d="$(mb_diff "$memhost" "$mem")" -v t="$thread_mb" 'BEGIN { if (d == "n/a" || t == "n/a") print "n/a"; else printf "%.2f", d - t }')" "(context)"

# Start: the ratio of each run (the host and the empty program started one after the other),
# their median and spread, so that a run disturbed by other work counts once.
start_ratios=$(awk -v w="$start_waits_ms" '$1 == "run" && $3 > 0 && $4 > 0 { printf "%.3f\n", ($4 - w) / $3 }' "$host" | sort -n)
start_ratio=$(printf '%s\n' "$start_ratios" | awk 'NF { v[n++] = $1 } END { if (n) printf "%.2f {%.2f-%.2f}", (n % 2 ? v[(n - 1) / 2] : (v[n / 2 - 1] + v[n / 2]) / 2), v[0], v[n - 1]; else print "n/a" }')
empty_start=$(field start 2 "$host") host_start=$(field start 3 "$host")
row "(start to \"OK\" - ${start_waits_ms} ms) / empty program's start" "$start_ratio" "<= 1.5"
row "  start to \"OK\", ms {spread}" "$host_start {$(field hoststartspread 3 "$host")-$(field hoststartspread 4 "$host")}" ""
row "  empty program to its window, ms {spread}" "$empty_start {$(field emptystartspread 3 "$host")-$(field emptystartspread 4 "$host")}" ""
# Requests to the wineserver from creation to WM_CLOSE (medians of the counted starts): the
# same on every run and under any load, so a change of the host's own start shows in them.
requests="$out/requests.txt"
median_requests() { awk -v k="$1" '$1 == "requests" && $2 == k { print $4 }' "$requests" 2>/dev/null | sort -n |
  awk '{ v[n++] = $1 } END { if (n) print v[int((n - 1) / 2)] }'; }
req_host=$(median_requests host) req_empty=$(median_requests empty)
row "  requests to the wineserver to WM_CLOSE, host / empty" \
  "$(awk -v a="$req_host" -v b="$req_empty" 'BEGIN { if (a != "" && b + 0 > 0) printf "%d / %d = %.2f", a, b, a / b; else print "n/a" }')" "(context)"
host_close=$(field close 2 "$host") empty_close=$(field close 3 "$host")
row "WM_CLOSE to process end / ${close_waits_ms} ms" "$(ratio "$host_close" "$close_waits_ms")" "<= 1.05"
row "  WM_CLOSE to end, host ms {spread} / empty program ms" \
  "$host_close {$(field hostclosespread 3 "$host")-$(field hostclosespread 4 "$host")} / $empty_close" ""
cpu_host=$(awk '$1 == "cpu" && $2 == "host" { print $3 }' "$host")
cpu_empty=$(awk '$1 == "cpu" && $2 == "empty" { print $3 }' "$host")
percent() { awk -v ns="$1" -v s="$idle" 'BEGIN { if (ns == "" || s <= 0) print "n/a"; else printf "%.4f", ns / 1e9 / s * 100 }'; }
row "idle CPU of the host over ${idle} s, % of a core" "$(percent "$cpu_host")" "<= 0.05"
row "  the empty program, % of a core" "$(percent "$cpu_empty")" ""

say ""
say "Start and close runs (ms): empty program to its window, host to \"OK\", host close, empty close:"
awk '$1 == "run" { printf "  run %s: %s, %s, %s, %s\n", $2, $3, $4, $5, $6 }' "$host"
if grep -q '^startstep ' "$host"; then
  say ""
  say "Steps of the host's start (ms from process creation; median {smallest-largest} of the runs;"
  say "\"own\" is the step without its fixed waits):"
  printf '  %-56s %8s %8s %16s\n' "step" "ms" "own ms" "spread"
  awk '$1 == "startstep" { name = $6; for (i = 7; i <= NF; i++) name = name " " $i
        printf "  %-56s %8.1f %8.1f %16s\n", name, $2, $2 - $5, "{" $3 "-" $4 "}" }' "$host"
  read -r lines_report lines_modules < <(awk '$1 == "startlines" { print $2, $3; exit }' "$host")
  say "  trace lines posted: start-up report ${lines_report:-?}, module reports and system information ${lines_modules:-?}"
fi

say ""
say "Bus message against a bare posted message, interleaved message by message, each pumped"
say "and dispatched before the next (us per message, medians of the rounds; plug-ins in each"
say "of the six lists); overhead = bus - bare; without the queue = sent to the window of the"
say "same thread (the sender's probe, the block, its account, the six lists and the release):"
printf '%-9s %-7s %9s %9s %6s %13s %16s %18s\n' "plug-ins" "chars" "bus" "bare" "ratio" "ratio [q1-q3]" "overhead [q1-q3]" "no queue [q1-q3]"
awk '$1 == "direct" { d[$2 " " $3] = sprintf("%.2f [%.2f-%.2f]", $6 / 1000, $7 / 1000, $8 / 1000) }
     $1 == "bus" { key[n++] = $2 " " $3; line[$2 " " $3] = $0 }
     END { for (i = 0; i < n; i++) { split(line[key[i]], f, " ")
             printf "%-9s %-7s %9.1f %9.1f %6.2f %13s %16s %18s\n", f[2], f[3], f[4] / 1000, f[5] / 1000, f[6],
               sprintf("[%.2f-%.2f]", f[7], f[8]), sprintf("%.1f [%.1f-%.1f]", f[11] / 1000, f[12] / 1000, f[13] / 1000), d[key[i]] } }' "$bus"
say ""
say "Steps of one bus message, each timed alone (ns):"
awk '$1 == "step" { $1 = ""; sub(/^ /, ""); print "  " $0 }' "$bus"
awk '$1 == "read" { print "  GetBusValue(\"Text\") on a 300-character record  " $2 }' "$bus"

# Growth: each count's start (without the fixed waits), memory over the empty program and
# close, and how much each plug-in adds between the counts.
: >"$out/growth.dat"
for count in $growth_counts; do
  g="$out/growth-$count.txt"
  [ -s "$g" ] || continue
  awk -v n="$count" -v w="$start_waits_ms" -v c="$close_waits_ms" '
    $1 == "start" { s = $3 } $1 == "close" { cl = $2 } $1 == "memory" { m = ($3 - $2) / 1048576 }
    $1 == "hoststartspread" { smin = $3; smax = $4 }
    END { if (s != "") printf "%d %d %.1f %.3f %.1f %.1f %.1f\n", n, 6 * n, s - w, m, cl - c, smin - w, smax - w }' "$g" >>"$out/growth.dat"
done
if [ -s "$out/growth.dat" ]; then
  say ""
  say "Growth with no-op plug-ins (3 runs each): start to \"OK\" - ${start_waits_ms} ms {spread}, private memory"
  say "over the empty program, WM_CLOSE to end - ${close_waits_ms} ms; per plug-in = added per plug-in since the row before:"
  printf '  %-9s %-7s %20s %10s %10s %26s\n' "per list" "total" "start - waits, ms" "memory MB" "close ms" "per plug-in: ms / KB / ms"
  awk '{ per = ""
         if (NR > 1 && $2 > p2) per = sprintf("%.2f / %.0f / %.2f", ($3 - p3) / ($2 - p2), ($4 - p4) * 1024 / ($2 - p2), ($5 - p5) / ($2 - p2))
         printf "  %-9s %-7s %20s %10.2f %10.1f %26s\n", $1, $2, sprintf("%.1f {%.1f-%.1f}", $3, $6, $7), $4, $5, per
         p2 = $2; p3 = $3; p4 = $4; p5 = $5 }' "$out/growth.dat"
  # Linear or better: what a plug-in adds from 8 to 32 per list is at most 1.5 times what it
  # adds from 0 to 8 (plus the run's own spread of the start at 8 per list, for the start).
  awk '$1 == 0 { a = $0 } $1 == 8 { b = $0 } $1 == 32 { c = $0 }
       END { if (a == "" || b == "" || c == "") exit
             split(a, x, " "); split(b, y, " "); split(c, z, " ")
             names[3] = "start"; names[4] = "memory"; names[5] = "close"
             for (i = 3; i <= 5; i++) { early = (y[i] - x[i]) / (y[2] - x[2]); late = (z[i] - y[i]) / (z[2] - y[2])
               slack = i == 3 ? (y[7] - y[6]) / (z[2] - y[2]) : 0
               printf "  %-7s per plug-in 0-8: %8.3f, 8-32: %8.3f  linear or better: %s\n", names[i], early, late,
                 (late <= 1.5 * (early > 0 ? early : 0) + slack + 1e-9) ? "yes" : "no" } }' "$out/growth.dat"
fi
say ""
say "Raw output: $out"

# --- plots ---
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
plot "$out/bus-300.dat" using 1:2 with linespoints lw 2 title "bus, 300 characters", \\
     "$out/bus-4000.dat" using 1:2 with linespoints lw 2 title "bus, 4000 characters", \\
     "$out/bus-16000.dat" using 1:2 with linespoints lw 2 title "bus, 16000 characters", \\
     "$out/bus-300.dat" using 1:3 with linespoints lw 1 dt 2 title "bare posted message"
EOF
fi
if command -v gnuplot >/dev/null && [ -s "$out/growth.dat" ]; then
  printf '0 0 0\n' >"$out/loading.dat"
  awk '$1 == "loaded" { print $3, $4, $5 }' "$bus" >>"$out/loading.dat"
  gnuplot <<EOF && say "Plot: $growth_plot"
set terminal svg size 720,760 dynamic font "sans,12"
set output "$growth_plot"
set multiplot layout 3,1 title "Start, memory and close against the number of no-op plug-ins ($arch build under Wine)" noenhanced
set grid
set xrange [0:200]
set xtics (0, 6, 48, 96, 144, 192)
set key top left
set yrange [0:*]
set ylabel "start - 450 ms waits, ms"
plot "$out/growth.dat" using 2:3:6:7 with yerrorlines lw 2 title "host: start to \"OK\" - waits (median, smallest, largest)", \
     "$out/loading.dat" using 1:2 with linespoints lw 1 title "the six lists loading them (busbench)", \
     "$out/loading.dat" using 1:3 with linespoints lw 1 dt 2 title "LoadLibraryW alone, same files (busbench)"
set key off
set ylabel "private memory over\\nthe empty program, MB"
plot "$out/growth.dat" using 2:4 with linespoints lw 2
set xlabel "no-op plug-ins in all six lists together"
set ylabel "close - 500 ms wait, ms"
plot "$out/growth.dat" using 2:5 with linespoints lw 2
unset multiplot
EOF
fi
