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
# A report refers to the logo beside the folder it ran in (../../share/ seen
# from report/), as in the guest, where the runs lay beside /opt/tarvo/share.
mkdir -p "$OUT/share"
cp share/CXL_Logo.png "$OUT/share/"

# Every report must show its images from where it lies.
broken=0
while IFS= read -r page; do
    images=$(grep -o '<img [^>]*src="[^"]*"' "$page" | sed 's/.*src="\([^"]*\)"$/\1/')
    if [ -z "$images" ]; then
        echo "demo: FAIL: ${page#"$OUT"/} shows no image (the logo is missing)" >&2
        broken=1
    fi
    for src in $images; do
        if [ ! -f "$(dirname "$page")/$src" ]; then
            echo "demo: FAIL: ${page#"$OUT"/} refers to the image $src, which is not there" >&2
            broken=1
        fi
    done
done < <(find "$OUT" -path '*/report/index.html' | LC_ALL=C sort)
[ $broken -eq 0 ] || exit 1

echo
echo "demo: console output, reports and log files are in $OUT:"
(cd "$OUT" && find . -type f | LC_ALL=C sort | sed 's|^\./|  |')
