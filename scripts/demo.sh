#!/usr/bin/env bash
# Sets up, builds and runs tarvo's main job. Without CXL hardware it runs
# against QEMU's emulated CXL Type 3 memory device in a small guest (TCG; no
# KVM needed), prints tarvo's console output and leaves its reports and log
# files in the folder it names at the end (TARVO_DEMO_OUT, default
# ./tarvo-demo-output). On a host with a CXL device run it directly:
#   cd build/bin && sudo ./tarvo run -a
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
OUT=${TARVO_DEMO_OUT:-$ROOT/tarvo-demo-output}
case "$OUT" in /*) ;; *) OUT=$ROOT/$OUT ;; esac

bash scripts/setup.sh --e2e
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target tarvo

echo "demo: running tarvo in a guest with QEMU's emulated CXL Type 3 device 0d:00.0"
set +e
bash tests/e2e/qemu_run.sh --build build --script tests/e2e/guest/demo.sh --out build/demo
rc=$?
set -e
[ $rc -eq 0 ] || { echo "demo: the guest run failed (status $rc); console in build/demo/console.txt" >&2; exit 1; }

rm -rf "$OUT"
mkdir -p "$OUT"
cp build/demo/output.txt "$OUT/console.txt"
cp build/demo/timing.txt "$OUT/timing.txt"
for run in build/demo/results/*/; do
    name=$(basename "$run")
    [ -d "$run/work" ] || continue
    mkdir -p "$OUT/$name"
    cp -a "$run/work/." "$OUT/$name/"
    cp "$run/console.txt" "$OUT/$name/console.txt"
done
echo
echo "demo: console output, reports and log files are in $OUT:"
(cd "$OUT" && find . -type f | LC_ALL=C sort | sed 's|^\./|  |')
