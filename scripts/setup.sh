#!/usr/bin/env bash
# Installs what building and testing tarvo needs on Debian, when it is missing.
set -euo pipefail

packages=(cmake gcc g++ make libboost-dev libboost-program-options-dev libboost-log-dev
          libboost-filesystem-dev libboost-thread-dev libgtest-dev util-linux)
if [ "${1:-}" = "--e2e" ]; then
    # The emulated CXL guest of the end-to-end test, the demo and the
    # benchmark; python3 checks that the JSON logs parse.
    packages+=(qemu-system-x86 busybox-static pciutils gzip python3)
fi

missing=()
for p in "${packages[@]}"; do
    dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
fi
