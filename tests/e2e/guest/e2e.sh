#!/bin/sh
# Guest side of the end-to-end test (busybox sh, run as root by the guest's
# init). Records what the guest sees of the CXL functions, probes which
# commands this tarvo offers, drives an interactive session and a one-shot
# run, and leaves every output, log and report under $RESULTS for the host
# to judge (tests/e2e/run_e2e.sh). The script itself judges nothing.
R=${RESULTS:-/results}
T=${TARVO_ROOT:-/opt/tarvo}
FUNCTIONS="0000:0c:00.0 0000:0d:00.0"
LIMIT=8000000        # bytes of console output kept per tarvo run

# tarvo looks for ../etc/testcases.json from its working directory, so every
# run gets a working directory beside bin/ and etc/.
workdir() {
    rm -rf "$T/$1"
    mkdir -p "$T/$1"
    echo "$T/$1"
}

# run_tarvo NAME SECONDS [ARGS...] < input: runs tarvo in its own working
# directory with a time limit; console output in $R/NAME/console.txt, exit
# status in $R/NAME/rc, the working directory (logs, reports) in $R/NAME/work.
run_tarvo() {
    name=$1; limit=$2; shift 2
    dir=$(workdir "$name")
    mkdir -p "$R/$name"
    start=$(cut -d' ' -f1 /proc/uptime)
    { cd "$dir" && timeout "$limit" "$T/bin/tarvo" "$@"; echo $? > "$R/$name/rc"; } 2>&1 |
        head -c "$LIMIT" > "$R/$name/console.txt"
    end=$(cut -d' ' -f1 /proc/uptime)
    echo "$start $end" > "$R/$name/uptime"
    cd /
    cp -a "$dir" "$R/$name/work"
}

# config_dump TAG: the configuration space of every CXL function, one hex
# byte per field as od prints it, read from sysfs by the guest's own tools.
config_dump() {
    mkdir -p "$R/pci"
    for f in $FUNCTIONS; do
        if [ -r "/sys/bus/pci/devices/$f/config" ]; then
            od -An -tx1 -v "/sys/bus/pci/devices/$f/config" > "$R/pci/config-$1-$f.txt"
            lspci -vvv -s "$f" > "$R/pci/lspci-$1-$f.txt" 2>&1
        fi
    done
}

has() { grep -qF -- "$2" "$R/$1/console.txt" 2>/dev/null; }

mkdir -p "$R/pci"
ls /sys/bus/pci/devices > "$R/pci/functions.txt"
lspci -n > "$R/pci/lspci-n.txt" 2>&1
config_dump before

echo "e2e guest: tarvo --version"
run_tarvo version 30 --version < /dev/null
cat "$R/version/console.txt"

# Which commands this tarvo offers, each asked in a way that changes nothing.
run_tarvo probe-help 30 help < /dev/null
echo exit > "$R/exit.txt"
run_tarvo probe-interactive 30 < "$R/exit.txt"
run_tarvo probe-devices 30 devices -h < /dev/null
run_tarvo probe-run 30 run -h < /dev/null
{
    has probe-help "Available Commands:" && echo help
    has probe-interactive "(tarvo) " && echo interactive
    has probe-devices "tarvo device [options]" && echo devices
    has probe-run "tarvo run [options]" && echo run
} > "$R/capabilities.txt"
echo "e2e guest: capabilities: $(tr '\n' ' ' < "$R/capabilities.txt")"
cap() { grep -qx "$1" "$R/capabilities.txt"; }

# The interactive session: commands on standard input, one per line.
if cap interactive; then
    {
        cap devices && echo "devices --list" && echo "devices --sut"
        cap run && echo "run -f"
        echo "report"
        echo "exit"
    } > "$R/session-input.txt"
    echo "e2e guest: interactive session: $(tr '\n' ';' < "$R/session-input.txt")"
    run_tarvo session 150 < "$R/session-input.txt"
    cat "$R/session/console.txt"
    config_dump after-session
fi

# The one-shot run of the test cases that fit the device's port type.
if cap run; then
    echo "e2e guest: tarvo run -a --report"
    run_tarvo oneshot 150 run -a --report < /dev/null
    cat "$R/oneshot/console.txt"
    config_dump after-oneshot
fi

config_dump after
exit 0
