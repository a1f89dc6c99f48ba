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
# put in front of the program (a timer, say).
run_tarvo() {
    name=$1; limit=$2; shift 2
    dir=$T/$name
    rm -rf "$dir"
    mkdir -p "$dir" "$R/$name"
    start=$(cut -d' ' -f1 /proc/uptime)
    # shellcheck disable=SC2086
    { cd "$dir" && timeout "$limit" $TARVO_PREFIX "$T/bin/tarvo" "$@"; echo $? > "$R/$name/rc"; } 2>&1 |
        head -c "$LIMIT" > "$R/$name/console.txt"
    end=$(cut -d' ' -f1 /proc/uptime)
    echo "$start $end" > "$R/$name/uptime"
    cp -a "$dir" "$R/$name/work"
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
