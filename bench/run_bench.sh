#!/usr/bin/env bash
# Benchmark of tarvo in the emulated CXL guest (TCG), not a timed test:
#   - wall time of tarvo --version, the floor of a process start;
#   - wall time of tarvo devices --list against lspci -vvv on the same
#     functions; target: at most 1.2 times lspci (goal: at most 1.0);
#   - wall time of tarvo run -f on the Type 3 device 0d:00.0 against the waits
#     it made (every sleep it asked for, measured by bench/sleep_meter.c);
#     target: at most 0.3 s beyond those waits;
#   - peak resident memory of tarvo during run -f; target: at most 32 MiB.
# Parts this tarvo does not offer yet are reported as not yet available.
#
#   bench/run_bench.sh [BUILD_DIR]      (default: build, built when needed)
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
BUILD=${1:-build}
case "$BUILD" in /*) ;; *) BUILD=$ROOT/$BUILD ;; esac

if [ ! -x "$BUILD/bin/tarvo" ]; then
    cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$BUILD" -j"$(nproc)" --target tarvo >/dev/null
OUT=$BUILD/bench
mkdir -p "$OUT"
gcc -shared -fPIC -O2 -Wall -Wextra -o "$OUT/libsleep_meter.so" bench/sleep_meter.c -ldl

echo "bench: booting the guest (TCG)"
bash tests/e2e/qemu_run.sh --build "$BUILD" --script bench/guest/bench.sh --out "$OUT/out" --quiet \
    --file "$OUT/libsleep_meter.so:/opt/bench/libsleep_meter.so"
B=$OUT/out/results/bench

# elapsed FILE: the elapsed seconds of every run recorded in a time -v file.
elapsed() {   # busybox writes it as "1h 2m 3.45s", "2m 3.45s" or "0m 3.45s"
    sed -n 's/.*Elapsed (wall clock) time.*m:ss): *//p' "$1" |
        awk '{ s = 0
               for (i = 1; i <= NF; i++) {
                   v = $i; u = substr(v, length(v)); v = substr(v, 1, length(v) - 1)
                   s += v * (u == "h" ? 3600 : u == "m" ? 60 : 1)
               }
               print s }'
}
per_run() {   # per_run NAME: mean seconds per run
    [ -f "$B/$1.time" ] || return 1
    elapsed "$B/$1.time" | awk -v n="$(cat "$B/$1.count")" '{ s += $1 } END { printf "%.3f", s / n }'
}

sed -n 's/^guest uptime at script start: /bench: guest boot (uptime when the benchmark started): /p;
        s/^QEMU start to exit: /bench: QEMU start to exit, whole benchmark: /p' "$OUT/out/timing.txt"

lspci_all=$(per_run lspci-all)
lspci_cxl=$(per_run lspci-cxl)
echo "bench: lspci -vvv (all 6 functions): $lspci_all s per run (mean of $(cat "$B/lspci-all.count"))"
echo "bench: lspci -vvv -s 0c:00.0 and -s 0d:00.0 (the two CXL functions): $lspci_cxl s per pair"
if version=$(per_run tarvo-version); then
    echo "bench: tarvo --version (the floor of a process start): $version s per run (mean of $(cat "$B/tarvo-version.count"))"
fi

if devices=$(per_run devices-list); then
    echo "bench: tarvo devices --list: $devices s per run (mean of $(cat "$B/devices-list.count"))," \
         "$(awk -v a="$devices" -v b="$lspci_all" 'BEGIN { printf "%.2f", a / b }')x lspci -vvv of all functions"
else
    echo "bench: tarvo devices --list: not yet available (this tarvo has no devices command)"
fi

sleeps=$B/run-f.sleeps
if [ -f "$sleeps" ] && [ -f "$B/run-f.time" ]; then
    rc=$(cat "$OUT/out/results/run-f/rc")
    awk -v rc="$rc" '
        $1 == "wall" { wall = $2 / 1e9 }
        $1 == "sleep" { waits += $2 * $3 / 1e9; n += $3; kinds = kinds sprintf("%s%d x %g ms", sep, $3, $2 / 1e6); sep = ", " }
        $1 == "sleep-other" { waits += $2 / 1e9; n += $3; kinds = kinds sprintf("%s%d others", sep, $3); sep = ", " }
        END {
            beyond = wall - waits
            printf "bench: tarvo run -f on 0d:00.0 (exit status %s): %.2f s wall, %.2f s of waits (%d: %s)\n", rc, wall, waits, n, (n ? kinds : "none")
            printf "bench: run -f beyond its waits: %.2f s (target at most 0.3 s: %s)\n", beyond, (beyond <= 0.3 ? "met" : "NOT met")
        }' "$sleeps"
    # VmHWM as the process saw it at exit (see bench/sleep_meter.c).
    awk '$1 == "peak-rss-kib" { k = $2 }
         END {
             if (k == "") { print "bench: peak RSS of tarvo run -f: not measured"; exit }
             m = k / 1024
             printf "bench: peak RSS of tarvo run -f: %.1f MiB (target at most 32 MiB: %s)\n", m, (m <= 32 ? "met" : "NOT met")
         }' "$sleeps"
else
    echo "bench: tarvo run -f: not yet available (this tarvo has no run command)"
    echo "bench: peak RSS of tarvo run -f: not yet available"
fi
echo "bench: raw measurements in $B"
