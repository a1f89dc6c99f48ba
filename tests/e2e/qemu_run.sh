#!/usr/bin/env bash
# Boots QEMU's emulated CXL 2.0 Type 3 memory device in a small Linux guest
# with a built tarvo inside it, runs a guest script there as root and brings
# back its console output and every file it leaves in $RESULTS.
#
#   qemu_run.sh --build BUILD_DIR --script GUEST_SCRIPT [options]
#
# Options:
#   --build DIR      build tree holding bin/tarvo, lib/, etc/ and share/
#   --script FILE    busybox sh script run in the guest; the helpers of
#                    tests/e2e/guest/lib.sh are at /harness/lib.sh
#   --out DIR        where results land (default BUILD_DIR/e2e/out)
#   --cache DIR      kernel cache (default $TARVO_E2E_CACHE,
#                    else BUILD_DIR/e2e-cache)
#   --timeout SECS   QEMU is killed after this long (default 400)
#   --bin FILE       also copy this host program and its libraries into the
#                    guest, on PATH (repeatable)
#   --file SRC:DEST  also copy the host file SRC to DEST in the guest
#                    (repeatable)
#   --modules        also put the kernel's CXL drivers (cxl_acpi, cxl_pci,
#                    cxl_mem) and the modules they depend on into the guest,
#                    from the same kernel package; a guest script loads them
#                    with load_cxl_modules (tests/e2e/guest/lib.sh)
#   --iomem MODE     the kernel argument iomem=MODE: relaxed (default) lets
#                    /dev/mem map regions that a driver holds, strict does not
#   --no-setup       never apt-get or download; fail when something is missing
#   --quiet          do not echo the guest console at the end
#
# Results in OUT: console.txt (the guest console), output.txt (the script's
# output), results/ (the files of $RESULTS), qemu-command.txt, timing.txt.
# Exit status: the guest script's status; 125 when the guest could not be
# set up, booted, or did not finish in time.
#
# The guest: the Debian cloud kernel (unpacked from its package with dpkg -x,
# never installed), a busybox-static initramfs, no kernel module loaded unless
# the guest script loads the CXL drivers that --modules brings (so by default
# no CXL driver binds the device), kernel arguments console=ttyS0
# iomem=relaxed (or the --iomem mode). QEMU runs with TCG only: no KVM is
# needed.
set -euo pipefail

HERE=$(cd "$(dirname "$0")" && pwd)
BUILD=""; SCRIPT=""; OUT=""; CACHE=${TARVO_E2E_CACHE:-}; TIMEOUT=400; SETUP=1; QUIET=0
EXTRA_BINS=(); EXTRA_FILES=(); MODULES=0; IOMEM=relaxed
KERNEL_META=linux-image-cloud-amd64
# The kernel's CXL drivers, as a host with a CXL memory device loads them.
CXL_MODULES="cxl_acpi cxl_pci cxl_mem"

die() { echo "qemu_run: $*" >&2; exit 125; }
note() { echo "qemu_run: $*" >&2; }
absolute() { case "$1" in /*) printf '%s' "$1" ;; *) printf '%s' "$PWD/$1" ;; esac; }

while [ $# -gt 0 ]; do
    case "$1" in
    --build) BUILD=$(absolute "$2"); shift 2 ;;
    --script) SCRIPT=$(absolute "$2"); shift 2 ;;
    --out) OUT=$(absolute "$2"); shift 2 ;;
    --cache) CACHE=$(absolute "$2"); shift 2 ;;
    --timeout) TIMEOUT=$2; shift 2 ;;
    --bin) EXTRA_BINS+=("$2"); shift 2 ;;
    --file) EXTRA_FILES+=("$2"); shift 2 ;;
    --modules) MODULES=1; shift ;;
    --iomem) IOMEM=$2; shift 2 ;;
    --no-setup) SETUP=0; shift ;;
    --quiet) QUIET=1; shift ;;
    -h|--help) sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//'; exit 0 ;;
    *) die "unknown option $1 (see --help)" ;;
    esac
done
[ -n "$BUILD" ] || die "--build is required"
[ -n "$SCRIPT" ] || die "--script is required"
[ -x "$BUILD/bin/tarvo" ] || die "no program at $BUILD/bin/tarvo (build first)"
[ -f "$SCRIPT" ] || die "no guest script $SCRIPT"
[[ $TIMEOUT =~ ^[0-9]+$ ]] || die "--timeout takes seconds"
[[ $IOMEM =~ ^(relaxed|strict)$ ]] || die "--iomem takes relaxed or strict"
OUT=${OUT:-$BUILD/e2e/out}
CACHE=${CACHE:-$BUILD/e2e-cache}
mkdir -p "$OUT" "$CACHE" || die "cannot create $OUT or $CACHE"
BUILD_REAL=$(readlink -f "$BUILD")

as_root() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }

# ------------------------------------------------------------------ set-up
static_busybox() {
    [ -x /bin/busybox ] && ! ldd /bin/busybox >/dev/null 2>&1
}

setup_packages() {
    local need=()
    command -v qemu-system-x86_64 >/dev/null || need+=(qemu-system-x86)
    static_busybox || need+=(busybox-static)
    command -v lspci >/dev/null || need+=(pciutils)
    command -v gzip >/dev/null || need+=(gzip)
    [ ${#need[@]} = 0 ] && return 0
    [ $SETUP = 1 ] || die "missing packages: ${need[*]}"
    note "installing ${need[*]}"
    export DEBIAN_FRONTEND=noninteractive
    as_root apt-get install -y -qq --no-install-recommends "${need[@]}" >&2 ||
        { as_root apt-get update -qq >&2 &&
          as_root apt-get install -y -qq --no-install-recommends "${need[@]}" >&2; } ||
        die "could not install ${need[*]}"
}

kernel_package() {
    apt-cache depends "$KERNEL_META" 2>/dev/null |
        awk '/Depends: linux-image-[0-9]/ {print $2; exit}'
}

# modinfo_field KO FIELD: one field of a module's .modinfo section (the
# section is NUL-separated "field=value" strings).
modinfo_field() {
    tr '\0' '\n' < "$1" | sed -n "s/^$2=//p" | head -n 1
}

# keep_modules UNPACKED KDIR: copies the modules of CXL_MODULES and,
# before each, the modules it needs (its "depends" and its "softdep pre:"
# entries, less those built into the kernel) into KDIR/modules, and lists
# their file names in load order in KDIR/modules/load-order. The package
# carries no modules.dep: the dependencies come from each module's own
# .modinfo.
keep_modules() {
    local tree dest=$2/modules
    tree=$(ls -d "$1"/lib/modules/*/ 2>/dev/null | head -n 1)
    [ -n "$tree" ] || die "the kernel package holds no modules"
    mkdir -p "$dest"
    : > "$dest/load-order.tmp"
    local -A state=()
    add_module() {   # add_module NAME [DEPTH]
        local name=${1//-/_} depth=${2:-0} ko dep
        case "${state[$name]:-}" in
        done) return 0 ;;
        busy) die "module $name depends on itself" ;;
        esac
        [ "$depth" -lt 16 ] || die "module dependencies of $name nest too deep"
        if grep -Eq "/${name//_/[-_]}\.ko(\.[a-z]+)?\$" "$tree/modules.builtin" 2>/dev/null; then
            state[$name]=done
            return 0
        fi
        ko=$(find "$tree/kernel" -name "${name}.ko" -o -name "${name//_/-}.ko" | head -n 1)
        [ -n "$ko" ] || die "no module $name in the kernel package"
        state[$name]=busy
        for dep in $(modinfo_field "$ko" depends | tr ',' ' ') \
                   $(modinfo_field "$ko" softdep | sed -n 's/.*pre: *\([^:]*\)\( post:.*\)\{0,1\}$/\1/p'); do
            add_module "$dep" $((depth + 1))
        done
        cp "$ko" "$dest/"
        basename "$ko" >> "$dest/load-order.tmp"
        state[$name]=done
    }
    local m
    for m in $CXL_MODULES; do add_module "$m"; done
    echo "$CXL_MODULES" > "$dest/wanted"
    mv "$dest/load-order.tmp" "$dest/load-order"
}

# The cache holds the kernel image and the modules of CXL_MODULES; a cache
# made before a change of that list is made again from the package.
kernel_cached() {
    [ -s "$1/vmlinuz" ] && [ -s "$1/modules/load-order" ] &&
        [ "$(cat "$1/modules/wanted" 2>/dev/null)" = "$CXL_MODULES" ]
}

setup_kernel() {
    local kdir=$CACHE/kernel
    kernel_cached "$kdir" && return 0
    local pkg
    pkg=$(kernel_package)
    if [ -z "$pkg" ] && [ $SETUP = 1 ]; then
        as_root apt-get update -qq >&2 || true
        pkg=$(kernel_package)
    fi
    [ -n "$pkg" ] || die "cannot tell which kernel package $KERNEL_META depends on"
    local debs=$CACHE/debs
    mkdir -p "$debs"
    if ! ls "$debs/${pkg}"_*.deb >/dev/null 2>&1; then
        [ $SETUP = 1 ] || die "no kernel package in $debs (run without --no-setup)"
        note "fetching $pkg (apt-get download; unpacked with dpkg -x, nothing is installed)"
        (cd "$debs" && apt-get -qq -o APT::Sandbox::User=root download "$pkg" >&2) ||
            die "apt-get download $pkg failed"
    fi
    local deb x
    deb=$(ls -t "$debs/${pkg}"_*.deb | head -1)
    x=$CACHE/unpack
    rm -rf "$x" "$kdir"
    mkdir -p "$x" "$kdir"
    dpkg -x "$deb" "$x" || die "dpkg -x $deb failed"
    # Only the kernel image and the CXL drivers are kept.
    cp "$x"/boot/vmlinuz-* "$kdir/vmlinuz.tmp"
    basename "$deb" .deb > "$kdir/PACKAGE"
    keep_modules "$x" "$kdir"
    mv "$kdir/vmlinuz.tmp" "$kdir/vmlinuz"
    rm -rf "$x"
}

setup_packages
# One kernel per cache, fetched once even when several runs start together.
exec 9>"$CACHE/lock"
flock 9
setup_kernel
flock -u 9

# --------------------------------------------------------------- initramfs
# The initramfs is built per run, beside its results.
ROOT=$OUT/initramfs
rm -rf "$ROOT"
mkdir -p "$ROOT"/{bin,dev,proc,sys,tmp,root,etc,harness,results,opt/bin} \
         "$ROOT"/opt/tarvo/{bin,lib,etc,share}
cp /bin/busybox "$ROOT/bin/busybox"
[ "$(id -u)" = 0 ] && mknod -m 600 "$ROOT/dev/console" c 5 1
cp "$HERE/guest/init" "$ROOT/init"
chmod 755 "$ROOT/init"
cp "$HERE"/guest/*.sh "$ROOT/harness/"
cp "$SCRIPT" "$ROOT/harness/script.sh"
LIBDIRS=""

add_libdir() {
    case ":$LIBDIRS:" in *":$1:"*) ;; *) LIBDIRS=${LIBDIRS:+$LIBDIRS:}$1 ;; esac
}

# The shared libraries of FILE, each copied to its own absolute path; those
# of the build tree go to /opt/tarvo/lib, where the program's rpath
# ($ORIGIN/../lib) finds them.
add_libraries() {
    local lib dest
    for lib in $(ldd "$1" 2>/dev/null |
                 awk '$2 == "=>" && $3 ~ /^\// {print $3} $1 ~ /^\// {print $1}'); do
        case "$(readlink -f "$lib")" in
        "$BUILD_REAL"/lib/*) continue ;;
        esac
        dest=$ROOT$lib
        [ -e "$dest" ] && continue
        mkdir -p "$(dirname "$dest")"
        cp -L "$lib" "$dest"
        add_libdir "$(dirname "$lib")"
    done
}

add_program() {   # add_program FILE: FILE on the guest's PATH, with its libraries
    local f
    f=$(readlink -f "$(command -v "$1" || echo "$1")")
    [ -f "$f" ] || die "no program $1"
    mkdir -p "$ROOT$(dirname "$f")"
    cp -L "$f" "$ROOT$f"
    ln -sf "$f" "$ROOT/opt/bin/$(basename "$1")"
    add_libraries "$f"
}

# tarvo, its libraries and its data, laid out as installed.
cp -L "$BUILD/bin/tarvo" "$ROOT/opt/tarvo/bin/tarvo"
shopt -s nullglob
for lib in "$BUILD"/lib/*.so*; do cp -a "$lib" "$ROOT/opt/tarvo/lib/"; done
for d in etc share; do
    for f in "$BUILD/$d"/*; do cp -a "$f" "$ROOT/opt/tarvo/$d/"; done
done
add_libraries "$BUILD/bin/tarvo"
for lib in "$BUILD"/lib/*.so; do add_libraries "$lib"; done
shopt -u nullglob
# Guest scripts also run the program as a user who is not root, whatever
# modes the build tree has.
chmod -R a+rX "$ROOT/opt/tarvo"

# The guest's own view of PCI: lspci with its names file.
add_program lspci
if [ -e /usr/share/misc/pci.ids ]; then
    mkdir -p "$ROOT/usr/share/misc"
    cp -L /usr/share/misc/pci.ids "$ROOT/usr/share/misc/"
fi
for b in "${EXTRA_BINS[@]}"; do add_program "$b"; done
if [ $MODULES = 1 ]; then
    mkdir -p "$ROOT/harness/modules"
    cp "$CACHE/kernel/modules/"*.ko "$CACHE/kernel/modules/load-order" "$ROOT/harness/modules/"
fi
for f in "${EXTRA_FILES[@]}"; do
    [ -f "${f%%:*}" ] || die "--file ${f%%:*}: no such file"
    mkdir -p "$ROOT$(dirname "${f#*:}")"
    cp -L "${f%%:*}" "$ROOT${f#*:}"
done

{
    [ -n "$LIBDIRS" ] && echo "export LD_LIBRARY_PATH=$LIBDIRS"
    echo "export TARVO_ROOT=/opt/tarvo"
} > "$ROOT/harness/env"

INITRD=$OUT/initramfs.cpio.gz
(cd "$ROOT" && find . | LC_ALL=C sort | /bin/busybox cpio -o -H newc -R 0:0 2>/dev/null) |
    gzip -1 > "$INITRD.tmp"
mv "$INITRD.tmp" "$INITRD"
rm -rf "$ROOT"

# -------------------------------------------------------------------- boot
CONSOLE=$OUT/console.log
DATA=$OUT/data.log
rm -f "$CONSOLE" "$DATA"
QEMU=(qemu-system-x86_64
    -accel tcg -machine q35,cxl=on -m 512M -smp 1
    -nodefaults -display none -monitor none -no-reboot
    -serial "file:$CONSOLE" -serial "file:$DATA"
    -kernel "$CACHE/kernel/vmlinuz" -initrd "$INITRD"
    -append "console=ttyS0 iomem=$IOMEM panic=-1 quiet"
    -object memory-backend-ram,id=cxl-mem0,size=256M
    -object memory-backend-ram,id=cxl-lsa0,size=256M
    -device pxb-cxl,bus_nr=12,bus=pcie.0,id=cxl.0
    -device cxl-rp,port=0,bus=cxl.0,id=cxl_rp0,chassis=0,slot=2
    -device cxl-type3,bus=cxl_rp0,memdev=cxl-mem0,lsa=cxl-lsa0,id=cxl-pmem0,sn=0x1
    -machine cxl-fmw.0.targets.0=cxl.0,cxl-fmw.0.size=4G)
printf '%q ' "${QEMU[@]}" > "$OUT/qemu-command.txt"
echo >> "$OUT/qemu-command.txt"

t0=$(date +%s.%N)
set +e
timeout --kill-after=10 "$TIMEOUT" "${QEMU[@]}" </dev/null >"$OUT/qemu-stdout.txt" 2>&1
qrc=$?
set -e
t1=$(date +%s.%N)
WALL=$(awk -v a="$t0" -v b="$t1" 'BEGIN {printf "%.2f", b - a}')

# ----------------------------------------------------------------- collect
[ -f "$CONSOLE" ] || { cat "$OUT/qemu-stdout.txt" >&2; die "QEMU did not start (status $qrc)"; }
tr -d '\r' < "$CONSOLE" > "$OUT/console.txt"
sed -n '/^==== E2E BEGIN/,/^==== E2E END/p' "$OUT/console.txt" | sed '1d;$d' > "$OUT/output.txt"
[ $QUIET = 1 ] || cat "$OUT/output.txt"
if ! grep -q '^==== E2E END' "$OUT/console.txt"; then
    [ $qrc = 124 ] && note "QEMU killed after $TIMEOUT s"
    tail -n 30 "$OUT/console.txt" >&2
    die "the guest did not finish (QEMU status $qrc); console in $OUT/console.txt"
fi
grc=$(sed -n 's/^==== E2E END rc=\([0-9]*\).*/\1/p' "$OUT/console.txt")
up_begin=$(sed -n 's/^==== E2E BEGIN uptime=\([0-9.]*\).*/\1/p' "$OUT/console.txt")
up_end=$(sed -n 's/^==== E2E END rc=[0-9]* uptime=\([0-9.]*\).*/\1/p' "$OUT/console.txt")

rm -rf "$OUT/results"
mkdir -p "$OUT/results"
tr -d '\r' < "$DATA" | sed -n '/^==== DATA BEGIN/,/^==== DATA END/p' | sed '1d;$d' |
    base64 -d | tar -xzf - -C "$OUT/results" ||
    die "could not unpack the files sent back by the guest"
grep -q '^==== DATA END' <(tr -d '\r' < "$DATA") || die "the guest's files came back incomplete"

{
    echo "QEMU start to exit: $WALL s"
    echo "guest uptime at script start: ${up_begin:-?} s"
    echo "guest uptime at script end: ${up_end:-?} s"
    echo "accelerator: tcg"
    echo "QEMU: $(qemu-system-x86_64 --version | head -1)"
    echo "kernel package: $(cat "$CACHE/kernel/PACKAGE" 2>/dev/null || echo '?')"
    echo "initramfs: $(du -k "$INITRD" | cut -f1) KiB"
    echo "guest script status: $grc; QEMU status: $qrc"
} > "$OUT/timing.txt"
exit "${grc:-125}"
