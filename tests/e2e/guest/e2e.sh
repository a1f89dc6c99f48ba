#!/bin/sh
# Guest side of the end-to-end test (busybox sh, run as root by the guest's
# init). Records what the guest sees of the CXL functions, probes which
# commands this tarvo offers, drives an interactive session and a one-shot
# run, then loads the kernel's CXL drivers and runs run -f again with the
# device bound to them, and leaves every output, log and report under
# $RESULTS for the host to judge (tests/e2e/run_e2e.sh). The script itself
# judges nothing.
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

config_dump after

# The same device held by the kernel's CXL drivers, as on a host where they
# load by themselves (when qemu_run.sh --modules brought them).
if cap run && [ -s /harness/modules/load-order ]; then
    echo "e2e guest: with the CXL drivers bound: tarvo run -f --report"
    driver_bound_run driver 150 run -f --report
    cat "$R/driver/modules.txt" "$R/driver/driver-before.txt" "$R/driver/console.txt"
fi
exit 0
