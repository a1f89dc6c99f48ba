#!/usr/bin/env bash
# Tests the end-to-end harness itself, so that a wrong verdict, a changed
# register or a broken log cannot slip through it unseen.
#
#   selftest.sh BUILD_DIR
#
# Runs the end-to-end test (both its boots) with a stand-in tarvo (fake-tarvo)
# that behaves like a complete one and whose reports match the expected
# table, and checks that the harness passes it. Then it spoils copies of those results, one fault
# each, and checks that judging them fails with the message that names it.
set -uo pipefail

HERE=$(cd "$(dirname "$0")" && pwd)
E2E=$(dirname "$HERE")
[ $# -eq 1 ] || { echo "usage: selftest.sh BUILD_DIR" >&2; exit 2; }
BUILD=$(cd "$1" && pwd) || exit 2
WORK=$BUILD/e2e/selftest
export TARVO_E2E_CACHE=${TARVO_E2E_CACHE:-$BUILD/e2e-cache}
failures=0

rm -rf "$WORK"
mkdir -p "$WORK/build"/{bin,lib,etc,share}
cp "$HERE/fake-tarvo" "$WORK/build/bin/tarvo"
cp "$E2E/expected.tsv" "$WORK/build/etc/expected.tsv"

echo "selftest: a complete stand-in tarvo passes"
if bash "$E2E/run_e2e.sh" "$WORK/build" --out "$WORK/good" > "$WORK/good.txt" 2>&1; then
    grep -q 'e2e: FAIL' "$WORK/good.txt" && { echo "selftest: FAIL lines in a passing run"; failures=$((failures + 1)); }
    for step in "interactive session ended with status 0" "devices --list lists the Type 3 device" \
                "devices --sut shows d:0.0" "all 53 tests have their expected state" \
                "parses as JSON" "HTML report report/index.html exists" "one-shot run -a --report ended with status 0" \
                "(iomem=relaxed): cxl_pci holds 0d:00.0 and cxl_mem a memory device after the run" \
                "(iomem=relaxed): the kernel logged no warning or error" "0d:00.0: configuration space driver-after" \
                "iomem=strict ended with status 0" "the red line saying why appears once" \
                "devices --list as user 65534 ended with status 0" "run -t 2/CFG/1 as user 65534 ended with status 0" \
                "no run as root says that configuration space is root's"; do
        grep -qF "$step" "$WORK/good.txt" ||
            { echo "selftest: the passing run did not check: $step"; failures=$((failures + 1)); }
    done
else
    echo "selftest: the harness failed the stand-in tarvo:"
    cat "$WORK/good.txt"
    exit 1
fi

rm -f "$WORK/good"/{,strict/}{initramfs.cpio.gz,data.log}   # not judged; spares copying
session=$WORK/case/results/session
driver=$WORK/case/results/driver
strict=$WORK/case/strict/results/strict
csv() { ls "$session"/work/report_*.csv; }
config_byte() {   # config_byte TAG FUNCTION OFFSET VALUE: changes one byte of a dump
    local f=$WORK/case/results/pci/config-$1-$2.txt
    local -a b
    read -r -d '' -a b < "$f"
    b[$(($3))]=$4
    printf '%s\n' "${b[@]}" > "$f"
}

# Each case: a name, the fault it makes, and the text judging must print.
# An empty expected text means judging must pass.
cases=(
    "wrong state|sed -i 's/,2\/CFG\/7,passed/,2\/CFG\/7,failed/' \"\$(csv)\"|test 2/CFG/7: expected passed, actual failed"
    "missing test|sed -i '/,2\/MMR\/15,/d' \"\$(csv)\"|test 2/MMR/15: expected finished_not_supported, not in the report"
    "unknown test|echo 'Extra,2/CFG/17,passed' >> \"\$(csv)\"|test 2/CFG/17 is in the report but not in the expected table"
    "bad header|sed -i '1s/.*/Description,Test ID,Result/' \"\$(csv)\"|the header is not"
    "message missing|sed -i \"s/Device doesn't support CXL reset.//\" \"\$session/work/report/index.html\"|test 2/RST/7: state failed as expected, but its message"
    "control register not restored|config_byte after-session 0000:0d:00.0 0x118 ff|0d:00.0: configuration byte 0x118 was 0x02 before the run, 0xff after-session"
    "root port changed|config_byte after 0000:0c:00.0 0x04 00|0c:00.0: configuration byte 0x004"
    "Device Control written (allowed)|config_byte after 0000:0d:00.0 0x88 80|"
    "device gone after the runs|rm \"\$WORK/case/results/pci/config-after-0000:0d:00.0.txt\"|0d:00.0: no configuration space read after the runs"
    "invalid JSON log|printf ',{\"message\": \"two\nlines\"}\n]\n' >> \"\$(ls \"\$session\"/work/file_*.json)\"|is not valid JSON"
    "no HTML report|rm -rf \"\$session/work/report\"|a CSV report was written, but no HTML report"
    "root port listed|sed -i 's/\[d:0.0\] Unknown/[c:0.0] Unknown vendor - CXL Device\n[d:0.0] Unknown/' \"\$session/console.txt\"|devices --list should list exactly d:0.0"
    "session status|echo 1 > \"\$session/rc\"|the interactive session ended with status 1"
    "version|echo 'tarvo version 2.0.7' > \"\$WORK/case/results/version/console.txt\"|tarvo --version: status 0"
    "driver unbound by the run|sed -i 's/ cxl_pci\$/ none/' \"\$driver/driver-after.txt\"|cxl_pci should hold 0d:00.0 and cxl_mem a memory device after the run, found: 0000:0d:00.0 none"
    "kernel warning during the run|echo '<4>[   30.1] cxl_pci 0000:0d:00.0: lost' >> \"\$driver/dmesg-after.txt\"|the kernel logged during the run: <4>[   30.1] cxl_pci"
    "kernel notice during the run (allowed)|echo '<5>[   30.1] cxl_pci 0000:0d:00.0: fine' >> \"\$driver/dmesg-after.txt\"|"
    "driver run changed a register|config_byte driver-after 0000:0d:00.0 0x118 ff|0d:00.0: configuration byte 0x118 was 0x06 before the run, 0xff driver-after"
    "driver run verdict|sed -i 's/,2\/MMR\/1,passed/,2\/MMR\/1,failed/' \"\$(ls \"\$driver\"/work/report_*.csv)\"|test 2/MMR/1: expected passed, actual failed"
    "red line twice|printf '\\033[31m/dev/mem refused physical address 0x2000: Operation not permitted. Boot with iomem=relaxed or unbind the driver.\\033[0m\\n' >> \"\$strict/console.txt\"|the red line saying why appears 2 times"
    "no strict run|rm \"\$strict/rc\"|iomem=strict: it did not run"
    "unprivileged run not told|sed -i '/The kernel shows/d' \"\$WORK/case/results/nobody-devices/console.txt\"|devices --list as user 65534: status 0, the red line saying that configuration space is root's appears 0 times"
    "unprivileged run status|echo 1 > \"\$WORK/case/results/nobody-run/rc\"|run -t 2/CFG/1 as user 65534: status 1"
    "unprivileged run missing|rm \"\$WORK/case/results/nobody-run/rc\"|run -t 2/CFG/1 as user 65534: it did not run"
    "told in a root run|grep 'The kernel shows' \"\$WORK/case/results/nobody-run/console.txt\" >> \"\$session/console.txt\"|runs as root say that configuration space is root's: session"
)
for c in "${cases[@]}"; do
    IFS='|' read -r name fault want <<< "$c"
    rm -rf "$WORK/case"
    cp -a "$WORK/good" "$WORK/case"
    eval "$fault"
    bash "$E2E/run_e2e.sh" --judge "$WORK/case" > "$WORK/case.txt" 2>&1
    rc=$?
    if [ -z "$want" ]; then
        if [ $rc -eq 0 ]; then echo "selftest: ok: $name: passes"
        else echo "selftest: FAIL: $name: judging failed:"; grep 'e2e: FAIL' "$WORK/case.txt"; failures=$((failures + 1)); fi
    elif [ $rc -ne 0 ] && grep -qF -- "$want" "$WORK/case.txt"; then
        echo "selftest: ok: $name: caught"
    else
        echo "selftest: FAIL: $name: judging ended with $rc and did not print: $want"
        grep 'e2e: FAIL' "$WORK/case.txt"
        failures=$((failures + 1))
    fi
done
rm -rf "$WORK/case"
[ $failures -eq 0 ] && { echo "selftest: the harness passes a sound run and catches every fault"; exit 0; }
echo "selftest: $failures case(s) failed"
exit 1
