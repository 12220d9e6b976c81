#!/usr/bin/env bash
# Builds the program and starts it on a ready data root; when none exists yet,
# one is created from the built-in templates first.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B build >/dev/null
cmake --build build -j"$jobs"
if [ -x build/tools/qesto-setup/qesto-setup ]; then
    build/tools/qesto-setup/qesto-setup --if-missing
fi
exec build/src/app/qesto "$@"
