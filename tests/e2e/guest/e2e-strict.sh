#!/bin/sh
# Guest side of the end-to-end boot with iomem=strict (busybox sh, run as
# root by the guest's init): the kernel's CXL drivers hold the device and
# /dev/mem refuses the register blocks they claimed. Runs run -f with the
# device bound and leaves its output, logs and reports under $RESULTS for
# the host to judge (tests/e2e/run_e2e.sh).
. /harness/lib.sh
probe_capabilities
if cap run; then
    echo "e2e guest: iomem=strict, with the CXL drivers bound: tarvo run -f --report"
    driver_bound_run strict 150 run -f --report
    cat "$R/strict/modules.txt" "$R/strict/driver-before.txt" "$R/strict/console.txt"
fi
exit 0
