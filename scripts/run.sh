#!/usr/bin/env bash
# Builds the host program and every plug-in natively, then runs the demo
# station against the built-in module simulator. Extra arguments go to
# iohost (for example --trace, --duration 10, --json).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset native >/dev/null
cmake --build --preset native -j "$(nproc)" --target iohost
exec build/native/tools/iohost/iohost run examples/demo.toml --simulate "$@"
