# Helpers for the guest scripts (busybox sh), sourced from /harness/lib.sh.
R=${RESULTS:-/results}
T=${TARVO_ROOT:-/opt/tarvo}
LIMIT=8000000        # bytes of console output kept per tarvo run

# run_tarvo NAME SECONDS [ARGS...] < input: runs tarvo in a fresh working
# directory beside bin/ and etc/ (tarvo looks for ../etc/testcases.json from
# where it runs), with a time limit. Console output goes to
# $R/NAME/console.txt, the exit status to $R/NAME/rc, the guest uptime at
# start and end to $R/NAME/uptime, and the working directory (logs,
# reports) is copied to $R/NAME/work. $TARVO_PREFIX, when set, is a command
# put in front of the program (a timer, say); $TARVO_AS, when set, a command
# that runs it as another user, who may write the working directory.
run_tarvo() {
    name=$1; limit=$2; shift 2
    dir=$T/$name
    rm -rf "$dir"
    mkdir -p "$dir" "$R/$name"
    [ -z "${TARVO_AS:-}" ] || chmod 1777 "$dir"
    start=$(cut -d' ' -f1 /proc/uptime)
    # shellcheck disable=SC2086
    { cd "$dir" && timeout "$limit" ${TARVO_AS:-} $TARVO_PREFIX "$T/bin/tarvo" "$@"; echo $? > "$R/$name/rc"; } 2>&1 |
        head -c "$LIMIT" > "$R/$name/console.txt"
    end=$(cut -d' ' -f1 /proc/uptime)
    echo "$start $end" > "$R/$name/uptime"
    cp -a "$dir" "$R/$name/work"
}

# run_unprivileged NAME SECONDS [ARGS...] < input: run_tarvo as user 65534,
# who is not root, through as_nobody (tests/tools/as_nobody.c, which the host
# builds and brings).
run_unprivileged() {
    TARVO_AS=as_nobody run_tarvo "$@"
}

has() { grep -qF -- "$2" "$R/$1/console.txt" 2>/dev/null; }

# probe_capabilities: which commands this tarvo offers, each asked in a way
# that changes nothing; one word per line in $R/capabilities.txt.
probe_capabilities() {
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
}

cap() { grep -qx "$1" "$R/capabilities.txt"; }

# config_dump TAG: the configuration space of every CXL function, one hex
# byte per field as od prints it, read from sysfs by the guest's own tools.
FUNCTIONS="0000:0c:00.0 0000:0d:00.0"
config_dump() {
    mkdir -p "$R/pci"
    for f in $FUNCTIONS; do
        if [ -r "/sys/bus/pci/devices/$f/config" ]; then
            od -An -tx1 -v "/sys/bus/pci/devices/$f/config" > "$R/pci/config-$1-$f.txt"
            lspci -vvv -s "$f" > "$R/pci/lspci-$1-$f.txt" 2>&1
        fi
    done
}

# load_cxl_modules: loads the kernel's CXL drivers that qemu_run.sh --modules
# brought, in their dependency order, each with busybox insmod; one line
# "MODULE STATUS" each on standard output. Then waits (at most 10 s) until the
# Type 3 device 0d:00.0 has a driver and the CXL bus a bound memory device, as
# the drivers probe asynchronously. Fails when a module did not load.
load_cxl_modules() {
    m=/harness/modules
    [ -s "$m/load-order" ] || { echo "no CXL modules in this guest"; return 1; }
    failed=0
    while read -r ko; do
        insmod "$m/$ko" 2>&1
        st=$?
        echo "$ko $st"
        [ $st -eq 0 ] || failed=1
    done < "$m/load-order"
    n=0
    while [ $n -lt 100 ]; do
        [ -e /sys/bus/pci/devices/0000:0d:00.0/driver ] && [ -e /sys/bus/cxl/devices/mem0/driver ] && break
        sleep 0.1
        n=$((n + 1))
    done
    return $failed
}

# driver_state: which driver holds the Type 3 device and each CXL memory
# device, one "DEVICE DRIVER" line each ("none" when unbound).
driver_of() { if [ -e "$1/driver" ]; then basename "$(readlink "$1/driver")"; else echo none; fi; }
driver_state() {
    echo "0000:0d:00.0 $(driver_of /sys/bus/pci/devices/0000:0d:00.0)"
    for mem in /sys/bus/cxl/devices/mem*; do
        [ -e "$mem" ] && echo "$(basename "$mem") $(driver_of "$mem")"
    done
}

# driver_bound_run NAME SECONDS ARGS...: loads the kernel's CXL drivers and
# runs tarvo ARGS as run_tarvo NAME does. Around the run it records in $R/NAME
# the modules loaded (modules.txt), which drivers hold the device
# (driver-before.txt, driver-after.txt) and the kernel log with its levels
# (dmesg-before.txt, dmesg-after.txt), and dumps the configuration space with
# the tags NAME-before and NAME-after.
driver_bound_run() {
    name=$1
    mkdir -p "$R/$name"
    load_cxl_modules > "$R/$name/modules.txt"
    driver_state > "$R/$name/driver-before.txt"
    config_dump "$name-before"
    dmesg -r > "$R/$name/dmesg-before.txt"
    run_tarvo "$@" < /dev/null
    dmesg -r > "$R/$name/dmesg-after.txt"
    config_dump "$name-after"
    driver_state > "$R/$name/driver-after.txt"
}
