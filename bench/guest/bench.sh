#!/bin/sh
# Guest side of the benchmark (busybox sh): times lspci -vvv, tarvo --version
# and, as far as this tarvo offers them, tarvo devices --list and tarvo run -f
# on the Type 3 device, and leaves the measurements under $RESULTS for bench/run_bench.sh.
# Elapsed times come from busybox time -v (10 ms steps, so short commands are
# repeated); run -f is measured with the sleep meter preloaded.
. /harness/lib.sh
B=$R/bench
mkdir -p "$B"
REPEAT=10

# timed NAME COUNT COMMAND: runs COMMAND COUNT times under time -v.
timed() {
    name=$1; count=$2; shift 2
    time -v -o "$B/$name.time" sh -c "i=0; while [ \$i -lt $count ]; do $*; i=\$((i + 1)); done" > /dev/null 2>&1
    echo "$count" > "$B/$name.count"
}

timed lspci-all $REPEAT "lspci -vvv"
# The floor of a process start: no logging, catalogue or devices.
timed tarvo-version $REPEAT "$T/bin/tarvo --version"
timed lspci-cxl $REPEAT "lspci -vvv -s 0c:00.0; lspci -vvv -s 0d:00.0"

probe_capabilities
# As many runs as lspci gets, each in a fresh working directory as a user's
# would be.
if cap devices; then
    i=1
    while [ $i -le $REPEAT ]; do
        TARVO_PREFIX="time -v -a -o $B/devices-list.time" run_tarvo "devices-list-$i" 120 devices --list < /dev/null
        i=$((i + 1))
    done
    echo $REPEAT > "$B/devices-list.count"
fi
if cap run; then
    TARVO_PREFIX="time -v -o $B/run-f.time env LD_PRELOAD=/opt/bench/libsleep_meter.so SLEEP_METER_OUT=$B/run-f.sleeps" \
        run_tarvo run-f 300 run -f < /dev/null
fi
exit 0
