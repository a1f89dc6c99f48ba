#!/bin/sh
# The main job inside the emulated machine: what a validation engineer runs
# as root on a host with the device, each command shown with its console
# output. Only commands this tarvo offers are run.
. /harness/lib.sh

show() {   # show NAME SECONDS ARGS...: runs tarvo ARGS and prints it as a terminal would
    name=$1; limit=$2; shift 2
    echo "# tarvo $*"
    run_tarvo "$name" "$limit" "$@" < /dev/null
    cat "$R/$name/console.txt"
    echo "# exit status $(cat "$R/$name/rc")"
    echo
}

echo "# The CXL functions this machine has (lspci):"
lspci -nn -s 0c:00.0
lspci -nn -s 0d:00.0
echo
show version 30 --version
probe_capabilities
rm -rf "$R"/probe-* "$R/exit.txt"
if cap help; then show help 30 help; else echo "# tarvo help: not yet offered by this tarvo"; fi
if cap devices; then show devices 60 devices --list; else echo "# tarvo devices --list: not yet offered by this tarvo"; fi
if cap run; then
    show main-job 300 run -a --report
else
    echo "# tarvo run -a: not yet offered by this tarvo"
fi
