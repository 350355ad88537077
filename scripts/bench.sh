#!/usr/bin/env bash
# Builds the benchmarks in a native Release tree and prints their tables beside the goals:
# thousands of idle connections, and the data path against a bare decode, both through the
# library's exports. Arguments go to connections_bench (connection counts; default 1000 10000).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/setup.sh --demo
mkdir -p build
cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release -DCJT_TESTS=OFF >build/bench.configure.log 2>&1 ||
  { tail -n 40 build/bench.configure.log; exit 1; }
cmake --build build/bench -j"$(nproc)" --target connections_bench data_path_speed >build/bench.build.log 2>&1 ||
  { tail -n 40 build/bench.build.log; exit 1; }
cd build/bench/bench
echo "=== Idle connections (a 60 s poll each, no answers) ==="
./connections_bench "$@"
echo
echo "=== Data path: heat 901F answers through ProcessData with an output list ==="
./data_path_speed
echo "goals: at least 500000 answers/s (one core), and a ratio of 10 or less"
