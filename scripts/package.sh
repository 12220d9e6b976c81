#!/usr/bin/env bash
# Builds the program for release in its own tree (build-release) and makes the
# Debian package of it; the package's path is the last line printed.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
jobs=$(nproc 2>/dev/null || echo 2)
# Debian's hardening flags, all of them: a program that reads archives and
# tables from other computers is bound at start so its relocations stay read-only.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
LDFLAGS="$(dpkg-buildflags --get LDFLAGS)"
export CXXFLAGS LDFLAGS
cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DQESTO_TESTS=OFF -DQESTO_BENCH=OFF >/dev/null
cmake --build build-release -j"$jobs"
rm -f build-release/qesto_*.deb
(cd build-release && cpack -G DEB >/dev/null)
ls "$PWD"/build-release/qesto_*.deb
