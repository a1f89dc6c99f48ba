#!/usr/bin/env bash
# End-to-end test of tarvo against QEMU's emulated CXL Type 3 memory device.
#
#   run_e2e.sh BUILD_DIR [--out DIR] [--no-setup]
#   run_e2e.sh --judge OUT      judge the results of an earlier run again
#
# Boots the guest (tests/e2e/qemu_run.sh) with the freshly built tarvo, runs
# tests/e2e/guest/e2e.sh there, and judges what comes back:
#   - tarvo --version answers "tarvo version 2.0.8" with status 0;
#   - the guest sees the Type 3 device 0d:00.0 and the root port 0c:00.0;
#   - the configuration space of both functions after the runs equals the one
#     before, except for the bytes in tests/e2e/config-allow.tsv;
#   - the interactive session (devices --list, devices --sut, run -f, report)
#     and the one-shot run -a end with status 0; devices lists 0d:00.0 and not
#     the root port; the CSV report shows, for every test, the state that
#     tests/e2e/expected.tsv gives; the JSON logs parse; the HTML report exists;
#   - with the kernel's CXL drivers then loaded in the same guest (iomem=relaxed):
#     cxl_pci holds 0d:00.0 and cxl_mem a memory device before and after
#     run -f, which ends with status 0 and the verdicts of expected.tsv, the
#     kernel logs no new warning or error during the run, and configuration
#     space is kept as above;
#   - devices --list and run -t 2/CFG/1 run as user 65534, who is not root,
#     end with status 0 and say once, in red, that configuration space beyond
#     its first 64 bytes is shown only to root; no run as root says it;
#   - in a second boot with iomem=strict and the drivers bound, run -f ends
#     with status 0 and says once, in red, why /dev/mem refused the registers.
# Each step runs only when this tarvo offers it; a step it does not offer yet
# prints "e2e: <step> not yet supported by this tarvo, skipped".
# Everything the guest sent back stays in OUT (default BUILD_DIR/e2e/out).
set -uo pipefail

HERE=$(cd "$(dirname "$0")" && pwd)
usage() { echo "usage: run_e2e.sh BUILD_DIR [--out DIR] [--no-setup] | --judge OUT" >&2; exit 2; }
[ $# -ge 1 ] || usage
BUILD=""; OUT=""; JUDGE_ONLY=0
HARNESS_OPTS=()
if [ "$1" = --judge ]; then
    [ $# -eq 2 ] || usage
    OUT=$2; JUDGE_ONLY=1; shift 2
else
    BUILD=$(cd "$1" && pwd) || exit 2
    OUT=$BUILD/e2e/out
    shift
fi
while [ $# -gt 0 ]; do
    case "$1" in
    --out) OUT=$2; shift 2 ;;
    --no-setup) HARNESS_OPTS+=(--no-setup); shift ;;
    *) usage ;;
    esac
done

EXPECTED=$HERE/expected.tsv
ALLOW=$HERE/config-allow.tsv
TYPE3=0000:0d:00.0
ROOTPORT=0000:0c:00.0
failures=0

fail() { echo "e2e: FAIL: $*"; failures=$((failures + 1)); }
ok() { echo "e2e: ok: $*"; }
skipped() { echo "e2e: $1 not yet supported by this tarvo, skipped"; }

# boot_guest WHAT OUT SCRIPT [OPTION...]: boots the guest, with the kernel's
# CXL drivers and as_nobody at hand, to run guest/SCRIPT with results in OUT;
# false, with the end of its output shown, when the run did not complete.
boot_guest() {
    local what=$1 out=$2 script=$3 grc
    shift 3
    bash "$HERE/qemu_run.sh" --build "$BUILD" --script "$HERE/guest/$script" --out "$out" \
        --modules --bin "$AS_NOBODY" "$@" --quiet "${HARNESS_OPTS[@]}"
    grc=$?
    [ $grc -eq 0 ] && return 0
    echo "e2e: FAIL: the guest run$what did not complete (status $grc)"
    [ -f "$out/output.txt" ] && tail -n 40 "$out/output.txt"
    return 1
}

# The boot with iomem=strict keeps its results apart, in OUT/strict.
STRICT=$OUT/strict
if [ $JUDGE_ONLY = 0 ]; then
    # Runs a command as user 65534 in the guest.
    AS_NOBODY=$OUT/as_nobody
    mkdir -p "$OUT"
    gcc -O2 -Wall -Wextra -o "$AS_NOBODY" "$HERE/../tools/as_nobody.c" ||
        { echo "e2e: FAIL: could not build tests/tools/as_nobody.c"; exit 1; }
    echo "e2e: booting the guest (TCG), results in $OUT"
    rm -rf "$STRICT"
    boot_guest "" "$OUT" e2e.sh || exit 1
    echo "e2e: booting the guest again with iomem=strict, results in $STRICT"
    boot_guest " with iomem=strict" "$STRICT" e2e-strict.sh --iomem strict ||
        failures=$((failures + 1))
fi
R=$OUT/results
sed 's/^/e2e: /' "$OUT/timing.txt"
[ -f "$STRICT/timing.txt" ] && sed 's/^/e2e: iomem=strict: /' "$STRICT/timing.txt"

# The console output of one tarvo run, without the prompts, so that every
# answer starts its own line.
console() { sed 's/(tarvo) //g' "$R/$1/console.txt" 2>/dev/null; }
status_of() { cat "$R/$1/rc" 2>/dev/null || echo "none"; }
capable() { grep -qx "$1" "$R/capabilities.txt" 2>/dev/null; }

# ------------------------------------------------------------ --version
version_rc=$(status_of version)
if grep -qx "tarvo version 2.0.8" "$R/version/console.txt" 2>/dev/null && [ "$version_rc" = 0 ]; then
    ok "tarvo --version answers \"tarvo version 2.0.8\" with status 0"
else
    fail "tarvo --version: status $version_rc, output: $(head -c 200 "$R/version/console.txt" 2>/dev/null)"
fi

# ------------------------------------------------- the guest's own view
check_function() {   # check_function ADDRESS "CLASS: VENDOR:DEVICE" WHAT
    if grep -qx "$1" "$R/pci/functions.txt" && grep -q "^${1#0000:} $2" "$R/pci/lspci-n.txt"; then
        ok "the guest sees $3 ${1#0000:} ($2)"
    else
        fail "the guest does not see $3 ${1#0000:} ($2)"
    fi
}
check_function "$TYPE3" "0502: 8086:0d93" "the CXL Type 3 device"
check_function "$ROOTPORT" "0604: 8086:7075" "the CXL root port"

# --------------------------------------------- configuration space kept
# load_config FILE: the od dump into the array CFG (one hex byte each).
load_config() {
    CFG=()
    read -r -d '' -a CFG < "$1"
    [ ${#CFG[@]} -eq 4096 ]
}
# le OFFSET LENGTH: the little-endian value of LENGTH bytes of CFG in REPLY.
le() {
    local i
    REPLY=0
    for ((i = $2 - 1; i >= 0; i--)); do REPLY=$(( REPLY << 8 | 16#${CFG[$1 + i]} )); done
}

# structure_offset NAME: where the structure named in the allow-list starts
# in CFG, in REPLY (empty when absent). Both walks are bounded whatever the
# bytes say.
structure_offset() {
    local p n hdr
    case "$1" in
    pcie)
        le 0x34 1; p=$(( REPLY & 0xfc ))
        for ((n = 0; n < 48 && p >= 0x40; n++)); do
            le "$p" 1; [ "$REPLY" -eq $((0x10)) ] && { REPLY=$p; return; }
            le $((p + 1)) 1; p=$(( REPLY & 0xfc ))
        done ;;
    dvsec0)
        p=$((0x100))
        for ((n = 0; n < 512 && p >= 0x100 && p <= 0xff4; n++)); do
            le "$p" 4; hdr=$REPLY
            if [ $((hdr & 0xffff)) -eq $((0x23)) ]; then
                le $((p + 4)) 2; local vendor=$REPLY
                le $((p + 8)) 2
                [ "$vendor" -eq $((0x1e98)) ] && [ "$REPLY" -eq 0 ] && { REPLY=$p; return; }
            fi
            p=$(( (hdr >> 20) & 0xffc ))
        done ;;
    esac
    REPLY=""
}

# allowed_bytes: the offsets (one per line, decimal) that the allow-list
# lets differ, located in the configuration space now in CFG.
allowed_bytes() {
    local structure offset length why base i
    while IFS=$'\x1f' read -r structure offset length why; do
        structure_offset "$structure"
        base=$REPLY
        [ -n "$base" ] || continue
        for ((i = 0; i < length; i++)); do echo $((base + offset + i)); done
    done < <(grep -v '^#' "$ALLOW" | awk -F'\t' 'NF >= 3 {print $1 "\x1f" $2 "\x1f" $3 "\x1f" $4}')
}

# compare_config FUNCTION TAG [BEFORE_TAG]: the dump TAG against the one
# taken before the runs (or the dump BEFORE_TAG).
compare_config() {
    local before=$R/pci/config-${3:-before}-$1.txt after=$R/pci/config-$2-$1.txt
    if [ ! -f "$after" ]; then
        # The guest takes the last dump whatever this tarvo offers, the
        # others only after the runs it could make.
        [ "$2" = after ] && fail "${1#0000:}: no configuration space read after the runs"
        return 0
    fi
    if ! load_config "$before"; then fail "${1#0000:}: no full configuration space read before the run"; return; fi
    if cmp -s "$before" "$after"; then
        ok "${1#0000:}: configuration space $2 equals the one before"
        return
    fi
    local -a b=("${CFG[@]}") allowed=()
    local i diffs=0
    if [ "$1" = "$TYPE3" ]; then
        while read -r i; do allowed[i]=1; done < <(allowed_bytes)
    fi
    if ! load_config "$after"; then fail "${1#0000:}: no full configuration space read $2"; return; fi
    for ((i = 0; i < 4096; i++)); do
        if [ "${b[i]}" != "${CFG[i]}" ] && [ -z "${allowed[i]:-}" ]; then
            [ $diffs -lt 16 ] &&
                fail "${1#0000:}: configuration byte 0x$(printf %03x "$i") was 0x${b[i]} before the run, 0x${CFG[i]} $2"
            diffs=$((diffs + 1))
        fi
    done
    [ $diffs -eq 0 ] && ok "${1#0000:}: configuration space $2 equals the one before (allow-list applied)"
}
for tag in after-session after-oneshot after; do
    compare_config "$TYPE3" "$tag"
    compare_config "$ROOTPORT" "$tag"
done

# ---------------------------------------------------- verdict table
# check_states CSV MODE LOGTEXT: compares the CSV report with expected.tsv.
# MODE full: every expected test must be there; MODE subset: the tests that
# ran must have their expected state. LOGTEXT: the file holding everything the
# run showed (console, logs, HTML report), searched for the expected messages.
check_states() {
    local csv=$1 mode=$2 logtext=$3 line key state rest msg why n=0 bad=0
    local -A want want_msg seen
    while IFS=$'\x1f' read -r key state msg why; do
        want[$key]=$state; want_msg[$key]=$msg
    done < <(grep -v '^#' "$EXPECTED" | awk -F'\t' 'NF >= 2 {print $1 "\x1f" $2 "\x1f" $3 "\x1f" $4}')
    if [ "$(head -n 1 "$csv" | tr -d '\r')" != "Description, Test ID, Result" ]; then
        fail "$(basename "$csv"): the header is not \"Description, Test ID, Result\""
        return
    fi
    while IFS= read -r line; do
        line=${line%$'\r'}
        [ -n "$line" ] || continue
        # Names may hold commas: the key and the state are the last two fields.
        state=${line##*,}; rest=${line%,*}; key=${rest##*,}
        n=$((n + 1))
        seen[$key]=1
        if [ -z "${want[$key]+set}" ]; then
            fail "test $key is in the report but not in the expected table (state $state)"; bad=1
        elif [ "$state" != "${want[$key]}" ]; then
            fail "test $key: expected ${want[$key]}, actual $state"; bad=1
        elif [ -n "${want_msg[$key]}" ] && ! grep -qF -- "${want_msg[$key]}" "$logtext"; then
            fail "test $key: state $state as expected, but its message \"${want_msg[$key]}\" appears nowhere in the run's output, logs or HTML report"; bad=1
        fi
    done < <(tail -n +2 "$csv")
    if [ "$mode" = full ]; then
        for key in "${!want[@]}"; do
            [ -n "${seen[$key]:-}" ] || { fail "test $key: expected ${want[$key]}, not in the report"; bad=1; }
        done
    fi
    [ $n -gt 0 ] || { fail "$(basename "$csv") lists no test"; return; }
    [ $bad -eq 0 ] && ok "$(basename "$csv"): all $n tests have their expected state"
}

json_parses() {   # json_parses FILE: prints the parser's complaint when it does not
    if command -v jq >/dev/null; then
        jq empty "$1" 2>&1 | tail -n 1
        return "${PIPESTATUS[0]}"
    elif command -v python3 >/dev/null; then
        python3 -c 'import json, sys; json.load(open(sys.argv[1], encoding="utf-8"))' "$1" 2>&1 | tail -n 1
        return "${PIPESTATUS[0]}"
    fi
    echo "no JSON parser (jq or python3) on this host"
    return 1
}

# check_run NAME WHAT: status 0, JSON logs, reports of one tarvo run.
# Sets CSV to its newest CSV report, or empty.
check_run() {
    local name=$1 what=$2 work=$R/$1/work rc f msg
    rc=$(status_of "$name")
    if [ "$rc" = 0 ]; then ok "$what ended with status 0"; else fail "$what ended with status $rc"; fi
    local -a json=()
    for f in "$work"/file_*.json; do [ -f "$f" ] && json+=("$f"); done
    if [ ${#json[@]} -eq 0 ]; then
        skipped "the JSON log of $what"
    else
        for f in "${json[@]}"; do
            if msg=$(json_parses "$f"); then ok "$what: $(basename "$f") parses as JSON"
            else fail "$what: $(basename "$f") is not valid JSON: $msg"; fi
        done
    fi
    CSV=$(ls -t "$work"/report_*.csv "$work"/report.csv 2>/dev/null | head -n 1)
    if [ -z "$CSV" ]; then
        skipped "the CSV report of $what"
    elif [ -f "$work/report/index.html" ]; then
        ok "$what: the HTML report report/index.html exists"
    else
        fail "$what: a CSV report was written, but no HTML report (report/index.html)"
    fi
    # Everything this run showed, searched for the expected messages.
    cat "$R/$name/console.txt" "$work"/*.log "$work/report/index.html" > "$R/$name/all-text.txt" 2>/dev/null
}

address_seen() {   # address_seen TEXT: is TEXT a form of bus 0x0d, device 0, function 0?
    [[ $1 =~ ^0*[dD]:0*0\.0$ ]]
}

if capable help; then
    ok "tarvo help lists the commands"
else
    skipped "help"
fi

if ! capable interactive; then
    skipped "the interactive session"
else
    check_run session "the interactive session"
    if capable devices; then
        # The list lines read "[address] vendor - device".
        listed=$(console session | sed -n 's/^\[\([^]]*\)\] .* - .*/\1/p')
        if [ "$(echo "$listed" | grep -c .)" -eq 1 ] && address_seen "$listed"; then
            ok "devices --list lists the Type 3 device 0d:00.0 and nothing else (no root port)"
        else
            fail "devices --list should list exactly d:0.0, it listed: $(echo "$listed" | tr '\n' ' ')"
        fi
        current=$(console session | sed -n 's/^\([^ ]*\)  *Current CXL Device.*/\1/p' | head -n 1)
        address_seen "$current" || fail "devices --list should show d:0.0 as the current CXL device, it shows '$current'"
        sut=$(console session | sed -n 's/^\([^ ]*\) *\tCurrent Target.*/\1/p' | head -n 1)
        port=$(console session | sed -n 's/^\([0-9a-fA-F]*\)\tPort Type.*/\1/p' | head -n 1)
        if address_seen "$sut" && [ "$port" = 0 ]; then
            ok "devices --sut shows d:0.0, port type 0 (endpoint)"
        else
            fail "devices --sut should show d:0.0 with port type 0, it shows '$sut' with '$port'"
        fi
    else
        skipped "devices --list"
        skipped "devices --sut"
    fi
    if ! capable run; then
        skipped "run -f"
    elif [ -z "$CSV" ]; then
        skipped "the verdict table check of run -f (report)"
    else
        check_states "$CSV" full "$R/session/all-text.txt"
    fi
fi

if ! capable run; then
    skipped "the one-shot run -a"
else
    check_run oneshot "the one-shot run -a --report"
    [ -n "$CSV" ] && check_states "$CSV" subset "$R/oneshot/all-text.txt"
fi

# ------------------------------------------------ a user who is not root
# The kernel shows such a user only the first 64 bytes of each function's
# configuration space, so no CXL device is seen; the program says why.
KEPT=$'^\e\\[31mThe kernel shows the configuration space of [0-9a-f:.]* beyond its first 64 bytes only to root, .* run tarvo as root (with sudo)\\.\e\\[0m$'
kept_lines() { local n; n=$(grep -c "${2:-$KEPT}" "$1" 2>/dev/null); echo "${n:-0}"; }
if ! capable run; then
    skipped "the runs as a user who is not root"
else
    for run in "nobody-devices|devices --list|No CXL device was found." \
               "nobody-run|run -t 2/CFG/1|No CXL device under test was found; no test case was run."; do
        IFS='|' read -r name cmd none <<< "$run"
        what="$cmd as user 65534"
        if [ ! -f "$R/$name/rc" ]; then
            fail "$what: it did not run"
            continue
        fi
        rc=$(status_of "$name")
        told=$(kept_lines "$R/$name/console.txt")
        if [ "$rc" = 0 ] && [ "$told" -eq 1 ] && grep -qF -- "$none" "$R/$name/console.txt"; then
            ok "$what ended with status 0, and the red line saying that configuration space is root's appears once"
        else
            fail "$what: status $rc, the red line saying that configuration space is root's appears $told times (once expected), then: $(grep -F -- "$none" "$R/$name/console.txt" | head -n 1)"
        fi
    done
    # Anywhere in a line: at the prompt, a line follows "(tarvo) ".
    told_root=""
    for f in "$R"/*/console.txt "$STRICT"/results/*/console.txt; do
        case "$f" in "$R"/nobody-*) continue ;; esac
        [ -f "$f" ] && [ "$(kept_lines "$f" "The kernel shows the configuration space of ")" -gt 0 ] &&
            told_root="$told_root $(basename "$(dirname "$f")")"
    done
    if [ -z "$told_root" ]; then
        ok "no run as root says that configuration space is root's"
    else
        fail "runs as root say that configuration space is root's:$told_root"
    fi
fi

# ------------------------------------------ the kernel's CXL drivers bound
# modules_loaded NAME WHAT: every module the guest loaded for run NAME loaded.
modules_loaded() {
    local f=$R/$1/modules.txt
    if [ -s "$f" ] && ! grep -qv '\.ko 0$' "$f"; then
        ok "$2: the kernel's CXL drivers loaded ($(awk '{printf "%s%s", sep, $1; sep=", "}' "$f"))"
    else
        fail "$2: the kernel's CXL drivers did not all load: $(tr '\n' ' ' < "$f" 2>/dev/null)"
    fi
}
# drivers_hold NAME WHEN WHAT: cxl_pci holds 0d:00.0 and cxl_mem a memory
# device WHEN (before, after) run NAME.
drivers_hold() {
    local f=$R/$1/driver-$2.txt
    if grep -qx "$TYPE3 cxl_pci" "$f" 2>/dev/null && grep -Eqx 'mem[0-9]+ cxl_mem' "$f"; then
        ok "$3: cxl_pci holds 0d:00.0 and cxl_mem a memory device $2 the run"
    else
        fail "$3: cxl_pci should hold 0d:00.0 and cxl_mem a memory device $2 the run, found: $(tr '\n' ' ' < "$f" 2>/dev/null)"
    fi
}
# kernel_quiet NAME WHAT: the kernel logged no warning or error (level 4 or
# more urgent) during run NAME: the lines the log gained meanwhile.
kernel_quiet() {
    local before=$R/$1/dmesg-before.txt after=$R/$1/dmesg-after.txt logged
    if [ ! -f "$before" ] || [ ! -f "$after" ]; then
        fail "$2: no kernel log read around the run"
        return
    fi
    logged=$(tail -n +$(($(wc -l < "$before") + 1)) "$after" |
             awk 'match($0, /^<[0-9]+>/) && substr($0, 2, RLENGTH - 2) % 8 <= 4')
    if [ -z "$logged" ]; then
        ok "$2: the kernel logged no warning or error during the run"
    else
        fail "$2: the kernel logged during the run: $(echo "$logged" | head -n 5 | tr '\n' ' ')"
    fi
}

if ! capable run; then
    skipped "run -f with the CXL drivers bound"
else
    what="run -f with the CXL drivers bound (iomem=relaxed)"
    modules_loaded driver "$what"
    drivers_hold driver before "$what"
    check_run driver "$what"
    [ -n "$CSV" ] && check_states "$CSV" full "$R/driver/all-text.txt"
    drivers_hold driver after "$what"
    kernel_quiet driver "$what"
    for f in "$TYPE3" "$ROOTPORT"; do
        if [ -f "$R/pci/config-driver-after-$f.txt" ]; then
            compare_config "$f" driver-after driver-before
        else
            fail "${f#0000:}: no configuration space read after $what"
        fi
    done

    R=$STRICT/results
    what="run -f with the CXL drivers bound and iomem=strict"
    if [ ! -f "$R/strict/rc" ]; then
        fail "$what: it did not run"
    else
        modules_loaded strict "$what"
        drivers_hold strict before "$what"
        check_run strict "$what"
        drivers_hold strict after "$what"
        # The refusal is explained once, in red, whatever number of reads
        # /dev/mem refused.
        refused=$(grep -c "ReadMMIO mmap failed" "$R/strict/console.txt")
        told=$(grep -c $'^\e\\[31m/dev/mem refused physical address 0x[0-9a-f]*: .* iomem=relaxed .*\e\\[0m$' \
               "$R/strict/console.txt")
        if [ "$refused" -gt 0 ] && [ "$told" -eq 1 ]; then
            ok "$what: /dev/mem refused $refused reads, and the red line saying why appears once"
        else
            fail "$what: /dev/mem refused $refused reads, and the red line saying why appears $told times (once expected)"
        fi
    fi
    R=$OUT/results
fi

if [ $failures -gt 0 ]; then
    echo "e2e: $failures check(s) failed; the guest's console, logs and reports are in $OUT"
    exit 1
fi
echo "e2e: all checks passed; the guest's console, logs and reports are in $OUT"
exit 0
