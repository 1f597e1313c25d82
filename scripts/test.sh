#!/usr/bin/env bash
# Builds and runs the whole test suite on every target: x86-64, the
# sanitizer build, and the 32-bit x86 and ARM cross builds under qemu-user.
# The fuzz preset (clang) builds the fuzz targets and runs each briefly.
# Usage: scripts/test.sh [preset ...]   (default: all five)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

presets=("$@")
[ ${#presets[@]} -eq 0 ] && presets=(native sanitize fuzz i686 armhf)

failed=()
for preset in "${presets[@]}"; do
  echo "=== ${preset}: configure and build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$(nproc)"
  echo "=== ${preset}: test"
  if ! ctest --preset "$preset" -j "$(nproc)"; then
    failed+=("$preset")
  fi
done

if [ ${#failed[@]} -ne 0 ]; then
  echo "FAILED on: ${failed[*]}"
  exit 1
fi
echo "All tests passed on: ${presets[*]}"
