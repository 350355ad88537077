#!/usr/bin/env bash
# Makes the Debian package from a Release tree without tests and benchmarks (only the packaged
# programs are built) and tests it: unpacked into a scratch root, the host run from there against
# simulated meters (tests/tools/package_deb_test.sh).
# Usage: package-deb.sh [BUILD-DIR]   (default build/package); the package is left in
# BUILD-DIR/packages/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/package}
mkdir -p "$(dirname "$build")"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DCJT_TESTS=OFF -DCJT_BENCH=OFF -DCMAKE_INSTALL_PREFIX=/usr \
  >"$build.configure.log"
cmake --build "$build" -j"$(nproc)" --target package >"$build.build.log" 2>&1 || { tail -n 40 "$build.build.log"; exit 1; }
bash "$root/tests/tools/package_deb_test.sh" "$build"/packages/cjt188_*.deb
