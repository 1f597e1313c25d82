#!/usr/bin/env bash
# Builds the plug-ins and the host natively, then runs the demo station
# against the simulator. Extra arguments go to iohost.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset native >/dev/null
cmake --build --preset native -j "$(nproc)"
if [ -x build/native/tools/iohost/iohost ]; then
  exec build/native/tools/iohost/iohost run examples/demo.toml --simulate "$@"
fi
# Until the host program is built: list the plug-ins that were built.
for plugin in build/native/plugins/*.so; do echo "built $(basename "$plugin")"; done
