#!/usr/bin/env bash
# Installs the Debian packages the build needs, only those that are missing;
# the last line's are for making and checking the program's own package.
set -euo pipefail
pkgs=(cmake g++ make pkg-config qt6-base-dev libzip-dev pxlib-dev libbenchmark-dev clang clang-format libclang-rt-dev zlib1g-dev fonts-liberation2 poppler-utils libxml2-dev
    dpkg-dev lintian desktop-file-utils appstream)
# The backup benchmark measures against zip and unzip: only with --bench.
if [ "${1:-}" = "--bench" ]; then
    pkgs+=(zip unzip)
fi
missing=()
for p in "${pkgs[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
fi
