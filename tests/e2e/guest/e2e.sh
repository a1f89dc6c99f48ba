#!/bin/sh
# Guest side of the end-to-end test (busybox sh, run as root by the guest's
# init). Records what the guest sees of the CXL functions, probes which
# commands this tarvo offers, drives an interactive session and a one-shot
# run, runs two commands as a user who is not root, then loads the kernel's
# CXL drivers and runs run -f again with the device bound to them, and leaves
# every output, log and report under $RESULTS for the host to judge
# (tests/e2e/run_e2e.sh). The script itself judges nothing.
. /harness/lib.sh
mkdir -p "$R/pci"
ls /sys/bus/pci/devices > "$R/pci/functions.txt"
lspci -n > "$R/pci/lspci-n.txt" 2>&1
config_dump before

echo "e2e guest: tarvo --version"
run_tarvo version 30 --version < /dev/null
cat "$R/version/console.txt"

probe_capabilities
echo "e2e guest: capabilities: $(tr '\n' ' ' < "$R/capabilities.txt")"

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

# What a user who is not root sees: the kernel shows such a user only the
# first 64 bytes of each function's configuration space.
if cap run && command -v as_nobody > /dev/null; then
    echo "e2e guest: as user 65534: tarvo devices --list, tarvo run -t 2/CFG/1"
    run_unprivileged nobody-devices 60 devices --list < /dev/null
    run_unprivileged nobody-run 60 run -t 2/CFG/1 < /dev/null
    cat "$R/nobody-devices/console.txt" "$R/nobody-run/console.txt"
fi

config_dump after

# The same device held by the kernel's CXL drivers, as on a host where they
# load by themselves (when qemu_run.sh --modules brought them).
if cap run && [ -s /harness/modules/load-order ]; then
    echo "e2e guest: with the CXL drivers bound: tarvo run -f --report"
    driver_bound_run driver 150 run -f --report
    cat "$R/driver/modules.txt" "$R/driver/driver-before.txt" "$R/driver/console.txt"
fi
exit 0
