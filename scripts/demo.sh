#!/usr/bin/env bash
# The demo: the reference host against simulated meters. The host program is not built
# yet; until it is, this says so and runs nothing.
set -euo pipefail
echo "cjt188 demo: the reference host (cjt188-host --simulate) is not part of the build yet."
echo "Run 'bash scripts/test-all.sh' to build the foundation and run its tests."
